// Scratch file names for tests. CTest runs tests in parallel processes, so every name carries
// the process id: two tests never write the same file.
#pragma once

#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace vorn {

inline std::string ScratchPath(const std::string& name) {
    return ::testing::TempDir() + "vorn_" + std::to_string(::getpid()) + "_" + name;
}

} // namespace vorn
