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
#include <utility>
#include <vector>

namespace vorn {

namespace {

using Names = std::vector<std::string>;

// Parses "vorn" and args as main() would; returns the message of the VornError raised, or "".
std::string ParseError(Names args, CCommandLineOptions& options) {
    args.insert(args.begin(), "vorn");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    try {
        ParseCommandLine(static_cast<int>(argv.size()), argv.data(), options);
    } catch (const VornError& e) {
        EXPECT_EQ(e.Source(), "CommandLine");
        return e.Message();
    }
    return "";
}

CCommandLineOptions Parse(const Names& args) {
    CCommandLineOptions options;
    EXPECT_EQ(ParseError(args, options), "");
    return options;
}

Names Files(const CCommandLineOptions& options) {
    Names names(options.files.begin(), options.files.end());
    std::sort(names.begin(), names.end());
    return names;
}

const char kNoFile[] = "A filename was not found on the command line";
const char kNoBpp[] = "A bpp value was not found on the command line";

} // namespace

TEST(CommandLine, SwitchesFilesAndCase) {
    CCommandLineOptions o =
        Parse({"-align", "-cm", "-no_connect", "-multi", "a.pdb", "-dcd", "t.dcd", "/abs/b.pdb"});
    EXPECT_TRUE(o.align && o.zeroCom && o.multi && o.dcdGiven && o.fileGiven);
    EXPECT_FALSE(o.connect || o.help || o.pdbGiven || o.bppGiven || o.zbufGiven);
    EXPECT_EQ(o.dcdFile, "t.dcd");
    EXPECT_EQ(Names(o.files.begin(), o.files.end()), (Names{"a.pdb", "/abs/b.pdb"}));
    o = Parse({"-?", "-pdb", "c.pdb"});
    EXPECT_TRUE(o.help && o.pdbGiven && o.connect && !o.fileGiven);
    EXPECT_EQ(Files(o), Names{"c.pdb"});
    EXPECT_TRUE(Parse({"-help"}).help);
    // Other capitalisations are unknown names, and those are ignored.
    o = Parse({"-Help", "-ALIGN", "-bogus", "-PDB", "x.pdb"});
    EXPECT_TRUE(o.fileGiven && !o.help && !o.align && !o.pdbGiven);
    EXPECT_EQ(Files(o), Names{"x.pdb"});
}

TEST(CommandLine, NumericValues) {
    CCommandLineOptions o = Parse({"-bpp", "-align", "24", "-zbuf", "32bit"});
    EXPECT_TRUE(o.align && o.bppGiven && o.zbufGiven && !o.fileGiven && o.files.Count() == 0);
    EXPECT_EQ(std::make_pair(o.bppValue, o.zbufValue), std::make_pair(24, 32));
    EXPECT_EQ(Parse({"-bpp", "abc"}).bppValue, 0);
    EXPECT_EQ(Parse({"-bpp", "99999999999999999999"}).bppValue, INT_MAX);
    o = Parse({"-bpp", "-zbuf", "24"}); // both wait, so the one value serves both
    EXPECT_EQ(std::make_pair(o.bppValue, o.zbufValue), std::make_pair(24, 24));
}

TEST(CommandLine, MissingValuesRaise) {
    CCommandLineOptions a, b, c, d, e, f;
    EXPECT_EQ(ParseError({"-bpp"}, a), kNoBpp);
    EXPECT_EQ(ParseError({"x.pdb", "-zbuf"}, b), "A zbuf value was not found on the command line");
    EXPECT_EQ(ParseError({"-dcd"}, c), kNoFile);
    EXPECT_EQ(ParseError({"-pdb", "-align", "x.pdb"}, d), kNoFile);
    EXPECT_FALSE(d.pdbGiven || d.dcdGiven || d.align);
    EXPECT_EQ(ParseError({"-dcd", "-cm", "t.dcd"}, e), kNoFile);
    EXPECT_FALSE(e.dcdGiven || e.zeroCom);
    EXPECT_EQ(ParseError({"-bpp", "-multi"}, f),
              kNoBpp); // only options follow: the value never comes
    CCommandLineOptions o;
    o.ParseParam("bpp", true, false); // an interrupted parse leaves bpp waiting
    EXPECT_EQ(ParseError({"x.pdb"}, o), "");
    EXPECT_EQ(o.bppValue, 0);
    EXPECT_EQ(Files(o), Names{"x.pdb"});
}

// Names come sorted, with a backslash of the pattern given as "/" so that they can be opened.
TEST(CommandLine, WildcardsKeepThePatternsDirectory) {
    char templ[] = "/tmp/vorn-cmdline-XXXXXX";
    ASSERT_NE(mkdtemp(templ), nullptr);
    const std::filesystem::path root = templ, oldCwd = std::filesystem::current_path();
    std::filesystem::create_directory(root / "dir");
    for (const char* name : {"b.pdb", "a.pdb", "c.txt", "[x].pdb", "y?.pdb", "yz.pdb"})
        std::ofstream(root / "dir" / name) << "END\n";
    std::filesystem::current_path(root);
    EXPECT_EQ(Files(Parse({"dir/*.pdb"})),
              (Names{"dir/[x].pdb", "dir/a.pdb", "dir/b.pdb", "dir/y?.pdb", "dir/yz.pdb"}));
    CCommandLineOptions o = Parse({"-pdb", "dir\\[*.pdb", "-dcd", "t.dcd"});
    EXPECT_EQ(Files(o), (Names{"dir/[x].pdb"}));
    EXPECT_TRUE(std::ifstream(Files(o).front()).good());
    EXPECT_EQ(Files(Parse({"dir/y?*"})), (Names{"dir/y?.pdb"}));
    EXPECT_EQ(Files(Parse({"dir/y*b"})), (Names{"dir/y?.pdb", "dir/yz.pdb"}));
    EXPECT_FALSE(o.fileGiven);
    EXPECT_EQ(Files(Parse({(root / "dir").string() + "/c*"})),
              Names{(root / "dir" / "c.txt").string()});
    CCommandLineOptions a, b;
    EXPECT_EQ(ParseError({"dir/*.dcd"}, a), "The wildcard failed to match a file name");
    EXPECT_EQ(ParseError({"missing/*.pdb"}, b), "The wildcard failed to match a file name");
    std::filesystem::current_path(root / "dir");
    EXPECT_EQ(Files(Parse({"*.pdb"})), (Names{"[x].pdb", "a.pdb", "b.pdb", "y?.pdb", "yz.pdb"}));
    std::filesystem::current_path(oldCwd);
    std::filesystem::remove_all(root);
}

} // namespace vorn
