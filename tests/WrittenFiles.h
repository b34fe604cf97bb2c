// Files that tests write and read back: a scratch directory per test, the text of a file and the
// lines that begin with a record name.
#pragma once

#include "io/PdbWriter.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace vorn {

using Lines = std::vector<std::string>;

inline std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline Lines LinesStartingWith(const std::string& text, const std::string& head) {
    Lines lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, head.size(), head) == 0)
            lines.push_back(line);
    return lines;
}

// A test with a directory of its own, removed after the test.
class WrittenFilesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(mkdtemp(m_dir), nullptr); }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    size_t Entries() const {
        return size_t(std::distance(std::filesystem::directory_iterator(m_dir), {}));
    }
    std::string Path(const char* name) const { return std::string(m_dir) + "/" + name; }
    // The text the records print as.
    std::string WrittenText(const PdbFile& pdb, int precision, bool conect) const {
        EXPECT_TRUE(WritePdbRecords(pdb, Path("w.pdb"), precision, conect));
        return ReadText(Path("w.pdb"));
    }

private:
    char m_dir[32] = "/tmp/vorn-written.XXXXXX";
};

} // namespace vorn
