// Reads the text of a plain or gzip-compressed file in large blocks of whole lines.
#include "io/LineBlocks.h"

#include <algorithm>
#include <cstring>

namespace vorn {

namespace {

// Only the first kMaxLineChars characters of a line are ever looked at.
constexpr std::size_t kKeptLineChars = GzLineReader::kMaxLineChars;

const char* LastNewline(const char* text, std::size_t size) {
    return static_cast<const char*>(memrchr(text, '\n', size));
}

} // namespace

bool LineBlockSource::Open(const std::string& fileName, GzUnpackLimit limit,
                           std::size_t blockBytes) {
    m_blockBytes = std::max<std::size_t>(blockBytes, 1);
    m_pending.clear();
    return m_reader.Open(fileName, limit);
}

// The block starts with the unfinished line of the last one, then takes fresh text up to its
// last newline; what follows waits for the next block. A line still unfinished after a whole
// read keeps only its first characters, which are all any reader of a line looks at.
bool LineBlockSource::Next(TextBlock& block) {
    const std::size_t capacity = m_blockBytes + kKeptLineChars + 1;
    if (block.bytes.size() < capacity)
        block.bytes.resize(capacity);
    char* text = block.bytes.data();
    std::size_t used = m_pending.size();
    std::memcpy(text, m_pending.data(), used);
    m_pending.clear();
    for (;;) {
        // used is at most kKeptLineChars here, so a read never falls short of m_blockBytes.
        const std::size_t read =
            m_reader.ReadBytes(text + used, std::min(capacity - 1 - used, m_blockBytes));
        if (read == 0) { // end of text, damaged stream or past the limit
            block.size = used;
            return used > 0;
        }
        used += read;
        if (const char* newline = LastNewline(text, used)) {
            block.size = static_cast<std::size_t>(newline - text) + 1;
            const std::size_t rest = std::min(used - block.size, kKeptLineChars);
            m_pending.assign(text + block.size, rest);
            return true;
        }
        used = std::min(used, kKeptLineChars);
    }
}

} // namespace vorn
