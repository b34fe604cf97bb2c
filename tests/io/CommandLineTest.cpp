// Command-line parsing: options, pending values, errors and wildcard expansion.
#include "io/CommandLine.h"

#include "core/VornError.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string>
#include <vector>

namespace {

// Runs the parser over "vorn" followed by args, as main() would.
void Parse(std::vector<std::string> args, CCommandLineOptions& options) {
    args.insert(args.begin(), "vorn");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    ParseCommandLine(static_cast<int>(argv.size()), argv.data(), options);
}

// The message of the VornError the parse raises, or "" when it succeeds.
std::string ParseError(const std::vector<std::string>& args, CCommandLineOptions& options) {
    try {
        Parse(args, options);
    } catch (const VornError& e) {
        EXPECT_EQ(e.Source(), "CommandLine");
        return e.Message();
    }
    return "";
}

std::vector<std::string> Files(const CCommandLineOptions& options) {
    std::vector<std::string> names(options.files.begin(), options.files.end());
    std::sort(names.begin(), names.end());
    return names;
}

const char kNoFile[] = "A filename was not found on the command line";

} // namespace

TEST(CommandLine, SwitchesAndFiles) {
    CCommandLineOptions o;
    Parse({"-align", "-cm", "-no_connect", "-multi", "a.pdb", "-dcd", "t.dcd", "/abs/b.pdb"}, o);
    EXPECT_TRUE(o.align && o.zeroCom && o.multi && o.dcdGiven && o.fileGiven);
    EXPECT_FALSE(o.connect || o.help || o.pdbGiven || o.bppGiven || o.zbufGiven);
    EXPECT_EQ(o.dcdFile, "t.dcd");
    ASSERT_EQ(o.files.Count(), 2);
    EXPECT_EQ(o.files[0], "a.pdb");
    EXPECT_EQ(o.files[1], "/abs/b.pdb"); // a leading "/" is a path, not an option

    CCommandLineOptions p;
    Parse({"-?", "-pdb", "c.pdb"}, p);
    EXPECT_TRUE(p.help && p.pdbGiven && p.connect);
    EXPECT_FALSE(p.fileGiven);
    ASSERT_EQ(p.files.Count(), 1);
    EXPECT_EQ(p.files[0], "c.pdb");
}

TEST(CommandLine, NamesAreCaseSensitiveAndUnknownOnesIgnored) {
    CCommandLineOptions o;
    Parse({"-Help", "-ALIGN", "-bogus", "-PDB", "x.pdb"}, o);
    EXPECT_FALSE(o.help || o.align || o.pdbGiven);
    EXPECT_TRUE(o.fileGiven);
    EXPECT_EQ(o.files.Count(), 1);
    CCommandLineOptions h;
    Parse({"-help"}, h);
    EXPECT_TRUE(h.help);
}

TEST(CommandLine, NumericValues) {
    CCommandLineOptions o;
    Parse({"-bpp", "-align", "24", "-zbuf", "32bit"}, o);
    EXPECT_TRUE(o.align && o.bppGiven && o.zbufGiven);
    EXPECT_EQ(o.bppValue, 24);
    EXPECT_EQ(o.zbufValue, 32);
    EXPECT_FALSE(o.fileGiven);
    EXPECT_EQ(o.files.Count(), 0);

    CCommandLineOptions letters;
    Parse({"-bpp", "abc"}, letters);
    EXPECT_EQ(letters.bppValue, 0);

    CCommandLineOptions huge;
    Parse({"-bpp", "99999999999999999999"}, huge);
    EXPECT_EQ(huge.bppValue, INT_MAX);

    // Both switches wait, so the one value after them serves both.
    CCommandLineOptions both;
    Parse({"-bpp", "-zbuf", "24"}, both);
    EXPECT_EQ(both.bppValue, 24);
    EXPECT_EQ(both.zbufValue, 24);
}

TEST(CommandLine, MissingValuesRaise) {
    CCommandLineOptions a, b, c, d, e, f;
    EXPECT_EQ(ParseError({"-bpp"}, a), "A bpp value was not found on the command line");
    EXPECT_EQ(ParseError({"x.pdb", "-zbuf"}, b), "A zbuf value was not found on the command line");
    EXPECT_EQ(ParseError({"-dcd"}, c), kNoFile);
    EXPECT_EQ(ParseError({"-pdb", "-align", "x.pdb"}, d), kNoFile);
    EXPECT_FALSE(d.pdbGiven || d.dcdGiven || d.align);
    EXPECT_EQ(ParseError({"-dcd", "-cm", "t.dcd"}, e), kNoFile);
    EXPECT_FALSE(e.dcdGiven || e.zeroCom);
    // The value of -bpp never arrives when only options follow it.
    EXPECT_EQ(ParseError({"-bpp", "-multi"}, f), "A bpp value was not found on the command line");
}

TEST(CommandLine, EachParseStartsWithNothingPending) {
    CCommandLineOptions o;
    o.ParseParam("bpp", true, false); // an interrupted parse leaves bpp waiting
    Parse({"x.pdb"}, o);
    EXPECT_EQ(o.bppValue, 0);
    EXPECT_TRUE(o.fileGiven);
    ASSERT_EQ(o.files.Count(), 1);
    EXPECT_EQ(o.files[0], "x.pdb");
}

class CommandLineWildcard : public ::testing::Test {
protected:
    void SetUp() override {
        char templ[] = "/tmp/vorn-cmdline-XXXXXX";
        ASSERT_NE(mkdtemp(templ), nullptr);
        m_root = templ;
        std::filesystem::create_directory(m_root / "dir");
        for (const char* name : {"a.pdb", "b.pdb", "c.txt"})
            std::ofstream(m_root / "dir" / name) << "END\n";
        m_oldCwd = std::filesystem::current_path();
        std::filesystem::current_path(m_root);
    }
    void TearDown() override {
        std::filesystem::current_path(m_oldCwd);
        std::filesystem::remove_all(m_root);
    }
    std::filesystem::path m_root, m_oldCwd;
};

TEST_F(CommandLineWildcard, PrefixesMatchesWithThePatternsDirectory) {
    CCommandLineOptions slash;
    Parse({"dir/*.pdb"}, slash);
    EXPECT_EQ(Files(slash), (std::vector<std::string>{"dir/a.pdb", "dir/b.pdb"}));

    CCommandLineOptions backslash;
    Parse({"-pdb", "dir\\*.pdb", "-dcd", "t.dcd"}, backslash);
    EXPECT_EQ(Files(backslash), (std::vector<std::string>{"dir\\a.pdb", "dir\\b.pdb"}));
    EXPECT_FALSE(backslash.fileGiven);

    const std::string absolute = (m_root / "dir").string() + "/c*";
    CCommandLineOptions abs;
    Parse({absolute}, abs);
    EXPECT_EQ(Files(abs), (std::vector<std::string>{(m_root / "dir" / "c.txt").string()}));

    std::filesystem::current_path(m_root / "dir");
    CCommandLineOptions bare;
    Parse({"*.pdb"}, bare);
    EXPECT_EQ(Files(bare), (std::vector<std::string>{"a.pdb", "b.pdb"}));
}

TEST_F(CommandLineWildcard, NoMatchRaises) {
    CCommandLineOptions a, b;
    EXPECT_EQ(ParseError({"dir/*.dcd"}, a), "The wildcard failed to match a file name");
    EXPECT_EQ(ParseError({"missing/*.pdb"}, b), "The wildcard failed to match a file name");
}
