// Settings kept between runs as a user changes them, purged by Clean Registry, restored to their
// defaults, and read from hand-edited, damaged or unwritable settings files without harm.
#include "AppTestSupport.h"
#include "app/QtSettingsStore.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

namespace vorn {

namespace {

QString SettingsFile() {
    return QtSettingsStore().FileName();
}

QString SettingsText() {
    QFile file(SettingsFile());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void WriteSettings(const QByteArray& text) {
    QDir().mkpath(QFileInfo(SettingsFile()).absolutePath());
    QFile file(SettingsFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

TEST(Settings, KeptBetweenRunsAndPurgedByCleanRegistry) {
    QFile::remove(SettingsFile());
    const std::string copy = (std::filesystem::temp_directory_path() / "vorn-crambin.pdb").string();
    std::filesystem::copy_file(kData + "/1crn.pdb", copy,
                               std::filesystem::copy_options::overwrite_existing);
    {
        ModalHand hand;
        RunningApp run;
        Trigger(&run.Frame(), "View/Line Width/3");
        Trigger(&run.Frame(), "View/Depth Cue");
        const int red[4] = {255, 0, 0, 255};
        run.Frame().RunView([&](CVornView& v) { v.ApplyColor(0, red); });
        ASSERT_TRUE(run.Frame().OpenDocumentFile(copy));
        run.Frame().resize(640, 500);
        run.Close();
    }
    const QString text = SettingsText();
    EXPECT_TRUE(text.contains("lineWidth=3.000")) << text.toStdString();
    EXPECT_TRUE(text.contains("depthCue=FALSE"));
    EXPECT_TRUE(text.contains("backgroundColor=1.000 0.000 0.000 1.000"));
    EXPECT_TRUE(text.contains("[Recent%20File%20List]"));
    {
        ModalHand hand;
        RunningApp run;
        EXPECT_EQ(run.View().params.lineWidth, 3.0f);
        EXPECT_FALSE(run.View().params.depthCue);
        EXPECT_EQ(run.Picture().pixel(0, 0), qRgb(255, 0, 0));
        EXPECT_EQ(run.Frame().size(), QSize(640, 500));
        EXPECT_EQ(run.Frame().RecentFiles(), std::vector<std::string>{copy});
        QAction* recent = MenuAction(&run.Frame(), "File/1 vorn-crambin.pdb");
        ASSERT_NE(recent, nullptr);
        EXPECT_TRUE(recent->isVisible());
        // Clean Registry asks first; Yes marks everything for removal at exit.
        Trigger(&run.Frame(), "Options/Persistent Settings/Clean Registry");
        EXPECT_EQ(hand.messages.size(), 1u);
        EXPECT_TRUE(
            MenuAction(&run.Frame(), "Options/Persistent Settings/Clean Registry")->isChecked());
        run.Close();
    }
    EXPECT_FALSE(SettingsText().contains("lineWidth")) << SettingsText().toStdString();
    EXPECT_FALSE(SettingsText().contains("Recent"));
    {
        ModalHand hand;
        RunningApp run;
        EXPECT_EQ(run.View().params.lineWidth, 2.0f);
        EXPECT_TRUE(run.View().params.depthCue);
        EXPECT_TRUE(run.Frame().RecentFiles().empty());
        // Answering No to the question leaves the item unchecked.
        hand.answerYes = false;
        Trigger(&run.Frame(), "Options/Persistent Settings/Clean Registry");
        EXPECT_FALSE(run.Frame().PurgeOnExit());
        run.Close();
    }
    std::filesystem::remove(copy);
}

TEST(Settings, RestoreDefaultsAsksThenResets) {
    ModalHand hand;
    RunningApp run({kData + "/1crn.pdb"});
    Trigger(&run.Frame(), "View/Line Width/5");
    Trigger(&run.Frame(), "View/Graphics Quality/Low");
    run.Doc().multiModelTraj = true;
    hand.answerYes = false;
    Trigger(&run.Frame(), "Options/Persistent Settings/Restore Defaults");
    EXPECT_EQ(run.View().params.lineWidth, 5.0f);
    hand.answerYes = true;
    Trigger(&run.Frame(), "Options/Persistent Settings/Restore Defaults");
    EXPECT_EQ(hand.messages.size(), 2u);
    EXPECT_EQ(hand.messages.back(), "About to return all settings to their default values.\r\n"
                                    "Continue?");
    EXPECT_EQ(run.View().params.lineWidth, 2.0f);
    EXPECT_EQ(run.View().params.resolution, 1);
    EXPECT_EQ(run.View().params.res.atomRes, 15);
    EXPECT_FALSE(run.Doc().multiModelTraj);
    EXPECT_GT(CoveredPixels(run.Picture()), 0);
}

// Damaged or hostile files: every value that cannot be taken keeps its default, good values are
// taken, nothing is said and nothing crashes.
TEST(Settings, DamagedFilesGiveDefaultsForWhatCannotBeRead) {
    const QByteArray cases[] = {
        "[Settings]\nlineAlias=FALSE\nlineWidth=abc\nmatShininess=1e9\nresolution=7\n"
        "depthCue=maybe\nbackgroundColor=0.5 x\nprintColorDepth=@Variant(\\0\\0\\0\\x7f)\n"
        "atomRes=\"30\nselectionColor=1,2,3,4\n[Recent%20File%20List]\nFile1=/nowhere/x.pdb\n",
        QByteArray("\x00\xff\xfe[Set\x01tings]\n==\n\n[", 14) + QByteArray(5000, '\x9c'),
        "[Settings]\nlineAlias=FALSE\nlineWid",
    };
    for (const QByteArray& text : cases) {
        WriteSettings(text);
        ModalHand hand;
        RunningApp run({kData + "/1crn.pdb"});
        const ViewParameters& p = run.View().params;
        if (text.startsWith("[Settings]")) {
            EXPECT_FALSE(p.lineAlias); // a good value in a bad file is taken
        }
        EXPECT_EQ(p.lineWidth, 2.0f);
        EXPECT_EQ(p.matShininess, 15.0f);
        EXPECT_EQ(p.resolution, 1);
        EXPECT_TRUE(p.depthCue);
        EXPECT_EQ(p.printColorDepth, 16);
        EXPECT_EQ(p.backgroundColor[1], 0.0f);
        EXPECT_TRUE(hand.messages.empty());
        EXPECT_GT(CoveredPixels(run.Picture()), 0);
        run.Close();
    }
}

// A settings file that cannot be written loses the changes of the run, and nothing else happens.
TEST(Settings, AnUnwritableSettingsPlaceIsNoFailure) {
    const QString blocker = QDir::tempPath() + "/vorn-not-a-directory";
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, blocker + "/config");
    {
        ModalHand hand;
        RunningApp run({kData + "/1crn.pdb"});
        Trigger(&run.Frame(), "View/Line Width/4");
        run.Close();
        EXPECT_TRUE(hand.messages.empty());
    }
    RunningApp again;
    EXPECT_EQ(again.View().params.lineWidth, 2.0f);
    again.Close();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    QFile::remove(blocker);
}

// A recent file that has gone says so, leaves the title "No Molecule Loaded" and leaves the list.
TEST(Settings, ARecentFileThatHasGone) {
    const std::string gone = (std::filesystem::temp_directory_path() / "vorn-gone.pdb").string();
    std::filesystem::copy_file(kData + "/1crn.pdb", gone,
                               std::filesystem::copy_options::overwrite_existing);
    ModalHand hand;
    RunningApp run({kData + "/1ubq.pdb"});
    ASSERT_TRUE(run.Frame().OpenDocumentFile(gone));
    std::filesystem::remove(gone);
    Trigger(&run.Frame(), "File/1 vorn-gone.pdb");
    EXPECT_EQ(hand.messages, std::vector<std::string>{"Can't open file!"});
    EXPECT_EQ(run.Frame().windowTitle().toStdString(), "No Molecule Loaded - Vorn");
    EXPECT_TRUE(run.Frame().RecentFiles().empty());
    EXPECT_EQ(run.Doc().MoleculeCount(), 2); // what was read stays
}

} // namespace

} // namespace vorn
