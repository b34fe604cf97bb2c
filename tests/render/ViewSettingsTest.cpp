// The view's persisted values: first start, values read back from hand-edited text, writing order,
// Restore Defaults and purging.
#include "render/ViewSettings.h"

#include "MemorySettings.h"
#include "RenderTestContext.h"
#include "document/ReadingSettings.h"

#include <gtest/gtest.h>
#include <vector>

namespace vorn {

namespace {

std::vector<float> Values(const float* v, int n) {
    return std::vector<float>(v, v + n);
}

TEST(ViewSettings, StoredTextsAreTakenOnlyInTheirForms) {
    ViewFixture f;
    MemorySettings store;
    store.Set("printColorDepth", "32");
    store.Set("matShininess", "128");
    store.Set("lineWidth", "0.5");
    store.Set("resolution", "High");
    store.Set("atomRes", "30");
    store.Set("depthCue", "false");
    store.Set("displayClipPlane", "TRUE");
    store.Set("displayStereo", "2");
    store.Set("TurnOnSolid4", "True");
    store.Set("SolidDiffuse1", "0.1 0.2 0.3");
    SetDefaultSettings(f.view, &store);
    const ViewParameters& p = f.view.params;
    EXPECT_EQ(p.printColorDepth, 16);
    EXPECT_EQ(p.matShininess, 128.0f); // what 100 % shiny in the Lighting window gives
    EXPECT_EQ(p.lineWidth, 2.0f);
    EXPECT_EQ(p.resolution, kHighResolution); // no digits read as 0
    EXPECT_EQ(p.res.atomRes, 30);
    EXPECT_FALSE(p.depthCue);
    EXPECT_FALSE(p.displayClipPlane);
    EXPECT_FALSE(p.displayStereo);
    EXPECT_TRUE(f.view.Lights().turnedOn[4]);
    EXPECT_EQ(Values(f.view.Lights()[1].diffuse, 3), (std::vector<float>{0.1f, 0.2f, 0.3f}));

    // The level decides the resolutions when the drawing state is set up, unless it is Custom.
    f.view.ResetDrawingState();
    EXPECT_EQ(p.res.atomRes, 25);
    store.Set("resolution", "3");
    store.Set("matShininess", "128.5");
    store.Set("printColorDepth", "24");
    store.Set("displayStereo", "1");
    LoadSettings(f.view, store);
    f.view.ResetDrawingState();
    EXPECT_EQ(p.res.atomRes, 30);
    EXPECT_EQ(p.matShininess, 128.0f);
    EXPECT_EQ(p.printColorDepth, 24);
    EXPECT_TRUE(p.displayStereo);
}

TEST(ViewSettings, DefaultsOnFirstStartWrittenInOrderReadBackAlikeRestoredAndPurged) {
    ViewFixture f;
    MemorySettings store;
    // An empty store (the first start) gives the defaults and the medium level.
    f.view.params.lineWidth = 4;
    f.view.params.res.atomRes = 40;
    SetDefaultSettings(f.view, &store);
    const ViewParameters& p = f.view.params;
    EXPECT_EQ(p.lineWidth, 2.0f);
    EXPECT_EQ(p.resolution, kMediumResolution);
    EXPECT_EQ((std::vector<int>{p.res.atomRes, p.res.bondRes, p.res.selectionRes, p.res.splineRes,
                                p.res.ribbonRes}),
              (std::vector<int>{15, 15, 20, 5, 5}));
    EXPECT_EQ(p.res.splineTension, 1.25f);
    EXPECT_EQ(Values(f.view.Lights()[1].diffuse, 3), (std::vector<float>{0.5f, 0.5f, 0.5f}));

    f.doc.multiModelTraj = true;
    f.view.params.displayStereo = true;
    f.view.params.backgroundColor[2] = 0.5f;
    f.view.Lights().turnedOn[2] = true;
    f.view.params.drawPolygons = true;
    SaveSettings(f.view, f.doc, store);
    ASSERT_EQ(store.written.size(), 5u + 24u + 6u * 3u + 2u);
    EXPECT_EQ((std::vector<std::string>(store.written.begin(), store.written.begin() + 7)),
              (std::vector<std::string>{"zeroComOnRead", "connectOnRead", "multiModelTraj",
                                        "multiModelTrajProcess", "secondaryStructOnRead",
                                        "printColorDepth", "matSpecular"}));
    EXPECT_EQ(store.written.back(), "TurnOnAmbient");
    EXPECT_EQ(store.Get("displayStereo"), "1");
    EXPECT_EQ(store.Get("backgroundColor"), "0.000 0.000 0.500 1.000");
    EXPECT_EQ(store.Get("SolidAmbient"), "0.200 0.200 0.200");
    EXPECT_EQ(store.Get("drawPolygons"), "TRUE");

    ViewFixture next;
    SetDefaultSettings(next.view, &store);
    LoadReadingSettings(next.doc, store);
    EXPECT_TRUE(next.doc.multiModelTraj);
    EXPECT_TRUE(next.view.params.displayStereo);
    EXPECT_EQ(next.view.params.backgroundColor[2], 0.5f);
    EXPECT_TRUE(next.view.Lights().turnedOn[2]);
    EXPECT_TRUE(next.view.params.drawPolygons);

    // Restore Defaults: values back to their defaults, the light switches as they were.
    SetDefaultSettings(next.view, nullptr);
    ResetReadingSettings(next.doc);
    EXPECT_FALSE(next.doc.multiModelTraj);
    EXPECT_FALSE(next.view.params.displayStereo);
    EXPECT_EQ(next.view.params.backgroundColor[2], 0.0f);
    EXPECT_FALSE(next.view.params.drawPolygons);
    EXPECT_TRUE(next.view.Lights().turnedOn[2]);

    store.values[{"Recent File List", "File1"}] = "/kept.pdb";
    PurgeSettings(store);
    EXPECT_EQ(store.values.size(), 1u); // the recent files go separately, at exit
}

} // namespace

} // namespace vorn
