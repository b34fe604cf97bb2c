// Start-up as a user starts the viewer: files and a trajectory on the command line, the reading
// window and its Cancel, the messages of a command line that cannot be read, and the help window.
#include "AppTestSupport.h"
#include "app/dialogs/AboutDialog.h"
#include "app/dialogs/ReadingTrajectoryDialog.h"

#include <QLabel>
#include <QTextEdit>

#include <gtest/gtest.h>
#include <thread>

namespace vorn {

namespace {

TEST(StartUp, AFileOnTheCommandLineIsShownAndTitled) {
    ModalHand hand;
    RunningApp run({kData + "/1crn.pdb"});
    EXPECT_EQ(run.Frame().windowTitle().toStdString(), kData + "/1crn.pdb - Vorn");
    ASSERT_EQ(run.Doc().MoleculeCount(), 1);
    EXPECT_EQ(run.Doc().primary->AtomCount(), 327);
    EXPECT_TRUE(run.GlView().FirstFrameDrawn());
    // The wire frame covers part of the window; the rest is the black background.
    const QImage picture = run.Picture();
    EXPECT_EQ(picture.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_GT(CoveredPixels(picture), picture.width() * picture.height() / 50);
    EXPECT_TRUE(hand.messages.empty());
}

TEST(StartUp, ATrajectoryIsReadBehindTheReadingWindow) {
    ModalHand hand;
    bool windowSeen = false;
    ReadingTrajectoryDialog::FrameHookForTests() = [&](int) { windowSeen = true; };
    RunningApp run({"-cm", kData + "/adk_closed.pdb", "-dcd", kData + "/dcd/adk_2frames.dcd"});
    ReadingTrajectoryDialog::FrameHookForTests() = nullptr;
    EXPECT_TRUE(windowSeen);
    ASSERT_EQ(run.Doc().MoleculeCount(), 1);
    EXPECT_EQ(run.Doc().primary->frames.Count(), 2);
    EXPECT_EQ(run.Frame().windowTitle().toStdString(),
              kData + "/adk_closed.pdb+" + kData + "/dcd/adk_2frames.dcd - Vorn");
    EXPECT_TRUE(run.View().params.playing); // playback starts by itself
    EXPECT_TRUE(hand.messages.empty());
}

TEST(StartUp, CancelledTrajectoryLeavesTheStructureWithoutFrames) {
    ModalHand hand;
    hand.onWindow = [](QWidget* w) {
        auto* reading = qobject_cast<ReadingTrajectoryDialog*>(w);
        if (reading)
            reading->reject(); // Cancel
        return reading != nullptr;
    };
    // Each frame takes a while, so the Cancel comes before the second.
    ReadingTrajectoryDialog::FrameHookForTests() = [](int) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    };
    RunningApp run({kData + "/adk_closed.pdb", "-dcd", kData + "/dcd/adk_2frames.dcd"});
    ReadingTrajectoryDialog::FrameHookForTests() = nullptr;
    EXPECT_EQ(hand.messages, std::vector<std::string>{"Trajectory read has been canceled"});
    ASSERT_EQ(run.Doc().MoleculeCount(), 1);
    EXPECT_EQ(run.Doc().primary->frames.Count(), 0);
    EXPECT_EQ(run.Doc().primary->frameCount, 0);
    EXPECT_FALSE(run.View().params.playing);
    EXPECT_EQ(run.Frame().windowTitle().toStdString(), kData + "/adk_closed.pdb - Vorn");
}

TEST(StartUp, CommandLinesThatCannotBeReadSaySo) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{kData + "/1crn.pdb", kData + "/1ubq.pdb", "-dcd", kData + "/dcd/adk_2frames.dcd"},
         "Only one structure can be read when reading DCD files"},
        {{"-pdb"}, "A filename was not found on the command line"},
        {{kData + "/no_such.pdb"}, "Can't open file!"},
        {{kData + "/1crn.pdb", "-dcd", kData + "/dcd/adk_2frames.dcd"},
         "Incorrect Number of atoms in DCD file!"},
    };
    for (const Case& c : cases) {
        ModalHand hand;
        RunningApp run(c.args);
        EXPECT_EQ(hand.messages, std::vector<std::string>{c.message});
    }
}

TEST(StartUp, HelpWindowAndAboutBox) {
    ModalHand hand;
    std::string help;
    hand.onWindow = [&](QWidget* w) {
        if (auto* dialog = qobject_cast<CommandLineHelpDialog*>(w)) {
            help = dialog->windowTitle().toStdString() + "|" +
                   dialog->findChild<QTextEdit*>()->toPlainText().toStdString();
            dialog->accept();
            return true;
        }
        return false;
    };
    RunningApp run({"-help"});
    EXPECT_EQ(help.substr(0, help.find('\n')),
              "Command Line Options|[filename]\t\tOpen coordinate file (type based on file "
              "extension)");

    QStringList about;
    hand.onWindow = [&](QWidget* w) {
        if (auto* dialog = qobject_cast<AboutDialog*>(w)) {
            for (QLabel* label : dialog->findChildren<QLabel*>())
                about << label->text();
            dialog->accept();
            return true;
        }
        return false;
    };
    Trigger(&run.Frame(), "Help/About Vorn...");
    EXPECT_TRUE(about.contains(QString::asprintf("Vorn (linux) version %.2f", VornVersion())));
    EXPECT_TRUE(about.filter("Build date: ").size() == 1);
    EXPECT_TRUE(
        about.contains(QString::asprintf("Using a %d bit Z buffer with %d bpp display",
                                         run.GlView().DepthBits(), run.GlView().ColorBits())));
    EXPECT_TRUE(about.filter("llvmpipe").size() == 1) << about.join(";").toStdString();
}

} // namespace

} // namespace vorn
