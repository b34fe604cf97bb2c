// Reads text lines of a plain or gzip-compressed file through zlib, with bounds on line length and
// on how far a compressed stream may unpack.
#pragma once

#include <cstddef>
#include <string>
#include <zlib.h>

namespace vorn {

// A compressed stream may unpack to the larger of floorBytes and ratio times the compressed
// file's size. Coordinate text packs about four to one, so a ratio of 100 leaves wide
// headroom, while a crafted stream (deflate reaches about 1000 to one) stops after a bounded
// read. The floor, 256 MiB or about three million atom lines, keeps any small file readable
// however oddly it packs: only streams both huge and abnormally dense are refused.
struct GzUnpackLimit {
    long long floorBytes = 256LL << 20;
    long long ratio = 100;
};

class GzLineReader {
public:
    static constexpr int kMaxLineChars = 511; // longer lines are cut and their rest dropped

    // Opens a regular file (never a directory or a device, whose reads could block or fail
    // oddly); false when it cannot be opened.
    bool Open(const std::string& fileName, GzUnpackLimit limit = GzUnpackLimit());
    GzLineReader() = default;
    ~GzLineReader();
    GzLineReader(const GzLineReader&) = delete;
    GzLineReader& operator=(const GzLineReader&) = delete;

    // The next line, at most kMaxLineChars characters (the rest of a longer line is dropped), or
    // null at the end of the file or on a stream error.
    const char* Next();
    // Up to length bytes of the text as they come, lines and all; 0 at the end of the file, on a
    // stream error or past the unpack limit. Not to be mixed with Next on one file.
    std::size_t ReadBytes(char* buffer, std::size_t length);
    // True when the stream ended in an error (corrupt or truncated gzip data).
    bool Failed() const;
    // True when reading stopped because the stream unpacked past its limit.
    bool Oversized() const { return m_oversized; }
    // The uncompressed size of the text, estimated for compressed files.
    long long EstimatedBytes() const;

private:
    // Reads into buffer; reports whether a full buffer was read without reaching a newline.
    bool ReadInto(char* buffer, bool& cut);

    gzFile m_gz = nullptr;
    long long m_fileBytes = 0;
    long long m_maxUnpackedBytes = 0; // 0: no limit (plain text is bounded by the file)
    bool m_oversized = false;
    char m_line[kMaxLineChars + 1];
    char m_rest[kMaxLineChars + 1];
};

} // namespace vorn
