// Reads text lines of a plain or gzip-compressed file through zlib, with a bound on line length.
#pragma once

#include <cstddef>
#include <string>
#include <zlib.h>

class GzLineReader {
public:
    static constexpr int kMaxLineChars = 511; // longer lines are cut and their rest dropped

    // Opens a regular file (never a directory or a device, whose reads could block or fail
    // oddly); false when it cannot be opened.
    bool Open(const std::string& fileName);
    GzLineReader() = default;
    ~GzLineReader();
    GzLineReader(const GzLineReader&) = delete;
    GzLineReader& operator=(const GzLineReader&) = delete;

    // The next line, at most kMaxLineChars characters (the rest of a longer line is dropped), or
    // null at the end of the file or on a stream error.
    const char* Next();
    // True when the stream ended in an error (corrupt or truncated gzip data).
    bool Failed() const;
    // The uncompressed size of the text, estimated for compressed files.
    long long EstimatedBytes() const;

private:
    // Reads into buffer; reports whether a full buffer was read without reaching a newline.
    bool ReadInto(char* buffer, bool& cut);

    gzFile m_gz = nullptr;
    long long m_fileBytes = 0;
    char m_line[kMaxLineChars + 1];
    char m_rest[kMaxLineChars + 1];
};
