// Reads text lines of a plain or gzip-compressed file through zlib.
#include "io/GzLineReader.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vorn {

namespace {
constexpr unsigned kBufferBytes = 256 * 1024;
} // namespace

GzLineReader::~GzLineReader() {
    if (m_gz)
        gzclose(m_gz);
}

bool GzLineReader::Open(const std::string& fileName, GzUnpackLimit limit) {
    struct stat info {};
    if (m_gz || ::stat(fileName.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    m_gz = gzdopen(fd, "rb");
    if (!m_gz) {
        ::close(fd);
        return false;
    }
    gzbuffer(m_gz, kBufferBytes);
    m_fileBytes = info.st_size;
    if (!gzdirect(m_gz))
        m_maxUnpackedBytes = std::max(limit.floorBytes, limit.ratio * m_fileBytes);
    return true;
}

bool GzLineReader::ReadInto(char* buffer, bool& cut) {
    if (m_oversized)
        return false;
    // The sentinel survives unless gzgets filled the buffer; embedded NULs cannot fool it.
    buffer[kMaxLineChars] = 1;
    if (!gzgets(m_gz, buffer, kMaxLineChars + 1))
        return false;
    // gztell counts every unpacked byte, dropped line rests and NULs included.
    if (m_maxUnpackedBytes > 0 && gztell(m_gz) > m_maxUnpackedBytes) {
        m_oversized = true;
        return false;
    }
    cut = buffer[kMaxLineChars] == '\0' && buffer[kMaxLineChars - 1] != '\n';
    return true;
}

const char* GzLineReader::Next() {
    bool cut = false;
    if (!ReadInto(m_line, cut))
        return nullptr;
    for (bool more = cut; more;)
        if (!ReadInto(m_rest, more))
            break;
    return m_line;
}

std::size_t GzLineReader::ReadBytes(char* buffer, std::size_t length) {
    if (m_oversized || length == 0)
        return 0;
    const int read =
        gzread(m_gz, buffer, static_cast<unsigned>(std::min<std::size_t>(length, 1u << 30)));
    if (read <= 0)
        return 0;
    if (m_maxUnpackedBytes > 0 && gztell(m_gz) > m_maxUnpackedBytes) {
        m_oversized = true;
        return 0;
    }
    return static_cast<std::size_t>(read);
}

bool GzLineReader::Failed() const {
    int code = Z_OK;
    gzerror(m_gz, &code);
    return code != Z_OK && code != Z_STREAM_END;
}

long long GzLineReader::EstimatedBytes() const {
    // gzip packs coordinate text about four to one.
    return gzdirect(m_gz) ? m_fileBytes : m_fileBytes * 4;
}

} // namespace vorn
