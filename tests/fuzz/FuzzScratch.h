// A private scratch directory for one fuzzing process, removed again when the process exits.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fuzz {

// Made under $TMPDIR (or /tmp) on first use; the fuzz script points TMPDIR at its own scratch
// tree, so even a crashed process leaves nothing behind once the script cleans up.
inline const std::filesystem::path& ScratchDir() {
    // Never destroyed: the exit handler below still needs it.
    static const std::filesystem::path* const dir = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vorn-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(ScratchDir(), ignored);
        });
        return new std::filesystem::path(pattern);
    }();
    return *dir;
}

inline std::string ScratchFile(const std::string& name) {
    return (ScratchDir() / name).string();
}

inline void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

} // namespace fuzz
