// Reads the text of a plain or gzip-compressed file in large blocks of whole lines, so that the
// lines of one block can be parsed apart from those of the others.
#pragma once

#include "io/GzLineReader.h"

#include <cstddef>
#include <string>
#include <vector>

namespace vorn {

// Whole lines of the file, each ended by its newline except the last line of a file that lacks
// one. A line longer than GzLineReader::kMaxLineChars may reach the block cut short, but never by
// fewer than that many characters, so that a reader that cuts lines there sees what
// GzLineReader::Next gives.
struct TextBlock {
    std::vector<char> bytes; // the lines, then room for at least one more byte
    std::size_t size = 0;    // bytes of lines
};

class LineBlockSource {
public:
    static constexpr std::size_t kDefaultBlockBytes = std::size_t{1} << 20;

    // Opens as GzLineReader::Open does. blockBytes is the text read at a time (at least one
    // byte): a block holds the whole lines of one read, with the end of a line the read before
    // left unfinished.
    bool Open(const std::string& fileName, GzUnpackLimit limit = GzUnpackLimit(),
              std::size_t blockBytes = kDefaultBlockBytes);

    // Fills block with the next lines; false when the text has ended, the stream has failed or
    // the unpack limit was passed. The block's storage is reused.
    bool Next(TextBlock& block);

    bool Failed() const { return m_reader.Failed(); }
    bool Oversized() const { return m_reader.Oversized(); }
    long long EstimatedBytes() const { return m_reader.EstimatedBytes(); }

private:
    GzLineReader m_reader;
    std::size_t m_blockBytes = kDefaultBlockBytes;
    std::string m_pending; // the start of a line that the last block did not end
};

} // namespace vorn
