// A file that replaces its target only once it is completely written.
#pragma once

#include <cstdio>
#include <string>

namespace vorn {

// A file that takes the place of its target only once it is completely written: the text goes to
// a temporary file in the target's directory (so that the rename stays on one file system), which
// is flushed to disk and renamed over the target. Until then the old file is untouched, and a
// temporary that is not committed is removed.
class ReplacingFile {
public:
    ReplacingFile() = default;
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;
    ~ReplacingFile() { Discard(); }

    bool Open(const std::string& target);
    std::FILE* File() const { return m_file; }
    // Flushes, syncs, closes and renames; false (and the temporary removed) when any step fails.
    bool Commit();

private:
    void Discard();

    std::string m_target;
    std::string m_temp;
    std::FILE* m_file = nullptr;
};

} // namespace vorn
