// Text forms of the settings store: switches, integers, reals and colours as they are read back
// from hand-edited or damaged text, and the recent-file list.
#include "core/SettingsStore.h"

#include "MemorySettings.h"

#include <gtest/gtest.h>

namespace vorn {

namespace {

TEST(SettingsSection, TextFormsAcceptedAndRefused) {
    MemorySettings store;
    SettingsSection s(store);
    bool on = false;
    for (const auto& [text, expected] : {std::pair{"true", true},
                                         {"FaLsE", false},
                                         {"yes", false},
                                         {"", false},
                                         {"TRUE ", false}}) {
        store.Set("flag", text);
        s.ReadSwitch("flag", on);
        EXPECT_EQ(on, expected) << "'" << text << "'";
    }
    store.Set("flag", "TRUE");
    s.ReadSwitch("flag", on);
    store.Set("flag", "\x01\xff garbage");
    s.ReadSwitch("flag", on);
    EXPECT_TRUE(on); // the last accepted value stays

    int depth = 16;
    for (const auto& [text, expected] :
         {std::pair{"24bits", 24}, {"32", 24}, {"  20", 20}, {"99999999999999", 20}, {"x", 0}}) {
        store.Set("depth", text);
        s.ReadInt("depth", depth, 0, 24);
        EXPECT_EQ(depth, expected) << text;
    }

    float width = 2;
    for (const auto& [text, expected] : {std::pair{"10", 10.0f},
                                         {"10.5", 10.0f},
                                         {"0.5", 10.0f},
                                         {"1.250abc", 1.25f},
                                         {"nan", 1.25f},
                                         {"1e3", 1.25f}}) {
        store.Set("width", text);
        s.ReadReal("width", width, 1, 10);
        EXPECT_FLOAT_EQ(width, expected) << text;
    }

    float color[4] = {0, 0, 0.5f, 1};
    store.Set("color", "1 1");
    s.ReadReals("color", color, 4);
    EXPECT_EQ((std::vector<float>(color, color + 4)), (std::vector<float>{1, 1, 0.5f, 1}));
    store.Set("color", "0.25 inf x 7");
    s.ReadReals("color", color, 4);
    EXPECT_EQ((std::vector<float>(color, color + 4)), (std::vector<float>{0.25f, 1, 0.5f, 1}));

    // Absent values read as they were; written values have their fixed forms.
    s.ReadReal("absent", width, 1, 10);
    EXPECT_FLOAT_EQ(width, 1.25f);
    s.WriteReals("color", color, 3);
    s.WriteReal("width", 15);
    s.WriteSwitch("flag", false);
    EXPECT_EQ(store.Get("color"), "0.250 1.000 0.500");
    EXPECT_EQ(store.Get("width"), "15.000");
    EXPECT_EQ(store.Get("flag"), "FALSE");
}

TEST(RecentFiles, FourMostRecentFirstWithoutRepeats) {
    MemorySettings store;
    std::vector<std::string> files;
    for (const char* path : {"/a.pdb", "/b.pdb", "/c.pdb", "/a.pdb", "/d.pdb", "/e.pdb"})
        AddRecentFile(files, path);
    EXPECT_EQ(files, (std::vector<std::string>{"/e.pdb", "/d.pdb", "/a.pdb", "/c.pdb"}));
    SaveRecentFiles(store, files);
    EXPECT_EQ(store.values.at({"Recent File List", "File1"}), "/e.pdb");
    EXPECT_EQ(LoadRecentFiles(store), files);
    files.resize(1);
    SaveRecentFiles(store, files); // fewer entries remove the others
    EXPECT_EQ(LoadRecentFiles(store), files);
    store.values[{"Recent File List", "File3"}] = "/e.pdb"; // a hand-made repeat
    EXPECT_EQ(LoadRecentFiles(store), files);
    RemoveRecentFiles(store);
    EXPECT_TRUE(store.values.empty());
}

} // namespace

} // namespace vorn
