// Export Trajectory over the document: the frame shown around an export.
#include "document/SavingCommands.h"

#include "WrittenFiles.h"
#include "core/UiHost.h"
#include "document/VornDoc.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vorn {

namespace {

const std::string kData = VORN_TEST_DATA;

// Records each message with the frame index the document had when it came.
struct FrameWatchingHost : UiHost {
    explicit FrameWatchingHost(const CVornDoc& d) : doc(d) {}
    void ShowMessage(const std::string& text) override {
        messages.push_back(text);
        framesAtMessage.push_back(doc.FrameIndex());
    }
    const CVornDoc& doc;
    std::vector<std::string> messages;
    std::vector<int> framesAtMessage;
};

class SavingCommands : public WrittenFilesTest {};

} // namespace

TEST_F(SavingCommands, ExportShowsTheStructureMeanwhileAndTheFrameAfterwards) {
    CVornDoc doc;
    FrameWatchingHost host(doc);
    // Without a molecule there is nothing to export.
    EXPECT_FALSE(ExportPrimaryTrajectory(doc, Path("t.pdb"), 1, 1, &host));
    EXPECT_EQ(host.messages, (std::vector<std::string>{"Cannot export a zero length trajectory"}));
    EXPECT_EQ(Entries(), 0u);
    host.messages.clear(), host.framesAtMessage.clear();

    doc.multiModelTraj = true;
    ASSERT_TRUE(doc.ReadCoordinateFile(kData + "/2eqq.pdb"));
    const int frames = doc.primary->frames.Count();
    ASSERT_GE(frames, 4);
    doc.SetFrame(3);
    ASSERT_EQ(doc.primary->currentFrame, 3);

    ASSERT_TRUE(ExportPrimaryTrajectory(doc, Path("t.pdb"), 2, 4, &host));
    EXPECT_EQ(LinesStartingWith(ReadText(Path("t.pdb")), "MODEL").size(), 3u);
    EXPECT_EQ(doc.FrameIndex(), 3);
    EXPECT_EQ(doc.primary->currentFrame, 3);

    // A refusal comes while the structure itself is shown; the frame returns after it.
    EXPECT_FALSE(ExportPrimaryTrajectory(doc, Path("u.pdb"), 1, frames + 1, &host));
    EXPECT_EQ(host.messages, (std::vector<std::string>{"Invalid stopping step"}));
    EXPECT_EQ(host.framesAtMessage, (std::vector<int>{0}));
    EXPECT_EQ(doc.FrameIndex(), 3);
    EXPECT_EQ(doc.primary->currentFrame, 3);
    EXPECT_EQ(Entries(), 1u);
}

} // namespace vorn
