// Scratch file names for tests. CTest runs tests in parallel processes, so every name carries
// the process id: two tests never write the same file. Every name handed out is removed when the
// test process ends, whether the test passed, failed or left the file half written.
#pragma once

#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <system_error>
#include <unistd.h>

namespace vorn {

class ScratchFiles {
public:
    static ScratchFiles& Instance() {
        static ScratchFiles files;
        return files;
    }
    void Add(const std::string& path) { m_paths.insert(path); }
    ~ScratchFiles() {
        std::error_code ignored;
        for (const std::string& path : m_paths)
            std::filesystem::remove_all(path, ignored);
    }

private:
    ScratchFiles() = default;
    std::set<std::string> m_paths;
};

inline std::string ScratchPath(const std::string& name) {
    std::string path = ::testing::TempDir() + "vorn_" + std::to_string(::getpid()) + "_" + name;
    ScratchFiles::Instance().Add(path);
    return path;
}

} // namespace vorn
