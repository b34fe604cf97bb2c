// Trajectory movies drawn off screen: the frames asked for in their order, the view's settings,
// progress and cancel, surfaces following the frames, and the playback put back afterwards.
#include "render/MovieRecorder.h"

#include "../MovieProbe.h"
#include "../RaisedError.h"
#include "../WrittenFiles.h"
#include "RenderTestContext.h"
#include "analysis/VornSurface.h"
#include "render/OffscreenPicture.h"

#include <vector>

namespace vorn {

namespace {

// An NMR ensemble read as a trajectory (19 frames of 423 atoms, each a little different), shown
// at playback frame 5; movies of 48 × 36 pixels, whose rows need no padding.
class MovieRecorderTest : public WrittenFilesTest {
protected:
    void SetUp() override {
        WrittenFilesTest::SetUp();
        doc.multiModelTraj = true;
        ASSERT_TRUE(doc.ReadCoordinateFile(std::string(VORN_TEST_DATA) + "/2eqq.pdb"));
        doc.SetFrame(5);
        request.fileName = Path("t.avi");
        request.width = 48;
        request.height = 36;
    }
    // Frame k of the movie, bottom row first as a bitmap holds it.
    std::string MovieFrame(int k) const {
        const std::string decoded = CommandOutput("ffmpeg -v error -i " + request.fileName +
                                                  " -vf vflip -f rawvideo -pix_fmt bgr24 -");
        const std::size_t size = std::size_t(request.width) * request.height * 3;
        return decoded.substr(k * size, size);
    }
    // The picture of playback frame k as vorn-cli render draws it.
    std::string Picture(int k) {
        OffscreenPicture picture(doc, request.width, request.height);
        doc.SetFrame(k);
        const DibImage image = picture.Render();
        doc.SetFrame(5);
        return {image.bits.begin(), image.bits.end()};
    }

    CVornDoc doc;
    MovieRequest request;
};

} // namespace

TEST_F(MovieRecorderTest, RecordsTheFramesAskedForAndPutsThePlaybackBack) {
    request.start = 0;
    request.stop = 2;
    std::vector<int> steps;
    EXPECT_TRUE(RecordMovie(doc, nullptr, request, [&](int written, int total) {
        steps.push_back(written * 10 + total);
        return true;
    }));
    EXPECT_EQ(steps, (std::vector<int>{13, 23, 33}));
    EXPECT_EQ(doc.FrameIndex(), 5);
    EXPECT_EQ(doc.primary->currentFrame, 5);
    EXPECT_EQ(Probe(request.fileName), "rawvideo,48,36,3 +++");
    for (int k = 0; k <= 2; ++k)
        EXPECT_TRUE(MovieFrame(k) == Picture(k)) << "frame " << k;
    EXPECT_TRUE(MovieFrame(0) != MovieFrame(1));
    // Cancelled after the second frame: nothing written, the playback back all the same.
    int calls = 0;
    request.fileName = Path("cancelled.avi");
    EXPECT_FALSE(RecordMovie(doc, nullptr, request, [&](int, int) { return ++calls < 2; }));
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(doc.FrameIndex(), 5);
    request.start = 3;
    EXPECT_EQ(ErrorOf([&] { RecordMovie(doc, nullptr, request); }),
              "Please enter a valid step range!");
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(MovieRecorderTest, DrawsWithTheSettingsOfTheViewGiven) {
    FakeViewHost host;
    CVornView view(doc, host); // settings only: it never draws
    view.params.backgroundColor[2] = 1.0f;
    ASSERT_TRUE(RecordMovie(doc, &view, request));
    EXPECT_EQ(MovieFrame(0).substr(0, 3), std::string("\xff\0\0", 3)); // a blue corner, in BGR
}

TEST_F(MovieRecorderTest, SurfacesFollowTheFramesAndComeBack) {
    Molecule& mol = *doc.primary;
    BuildSurface(mol, nullptr);
    ASSERT_EQ(mol.surface.frameIndex, 4); // playback frame 5 shows frame 4 of the list
    request.stop = 2;
    request.updateSurfaces = true;
    std::vector<int> built;
    ASSERT_TRUE(RecordMovie(doc, nullptr, request, [&](int, int) {
        built.push_back(mol.surface.frameIndex);
        return true;
    }));
    EXPECT_EQ(built, (std::vector<int>{0, 1}));
    EXPECT_TRUE(mol.surface.valid);
    EXPECT_EQ(mol.surface.frameIndex, 4);
}

} // namespace vorn
