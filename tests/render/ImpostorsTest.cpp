// Sphere and cylinder impostors against the polygons they stand in for: pictures of the same scene
// compared by pixel statistics, depth where spheres overlap, fog and the clipping plane, outlines
// off the axis, the buffers kept between frames, and the polygon path wherever it must stay.
#include "../RaisedError.h"
#include "Pixels.h"
#include "render/ShaderProgram.h"
#include "render/VectorPictures.h"

#include <GL/gl.h>

#include <cstdio>
#include <gtest/gtest.h>

namespace vorn {

namespace {

// Counts and mean brightness of the lit pixels and of those of each element's colour (oxygen
// red, nitrogen blue, carbon grey) in the columns [x0, x1).
struct Stats {
    struct Class {
        long count = 0;
        double mean = 0;
    };
    Class lit, red, blue, grey;
};

Stats StatsOf(const DibImage& image, int x0 = 0, int x1 = 320) {
    Stats s;
    auto add = [](Stats::Class& c, const Pixel& p) {
        c.mean += p.Max();
        ++c.count;
    };
    for (int y = 0; y < image.height; ++y)
        for (int x = x0; x < x1; ++x) {
            const Pixel p = At(image, x, y);
            if (!p.Lit())
                continue;
            add(s.lit, p);
            if (p.Red())
                add(s.red, p);
            else if (p.Blue())
                add(s.blue, p);
            else if (p.Grey())
                add(s.grey, p);
        }
    for (Stats::Class* c : {&s.lit, &s.red, &s.blue, &s.grey})
        c->mean /= double(std::max(1L, c->count));
    return s;
}

struct Pictures {
    DibImage impostors, polygons;
};

// The same scene through both paths, the polygons at the high resolution; the impostors must
// really have been drawn.
Pictures BothPaths(CVornView& view) {
    const int filled = view.impostors.BuffersFilled();
    if (view.params.resolution != kHighResolution)
        view.SetResolution(kHighResolution);
    Pictures p;
    view.params.drawPolygons = false;
    p.impostors = Drawn(view);
    view.params.drawPolygons = true;
    p.polygons = Drawn(view);
    view.params.drawPolygons = false;
    EXPECT_TRUE(view.impostors.Available()) << view.impostors.Refusal();
    EXPECT_GE(view.impostors.BuffersFilled(), filled);
    return p;
}

// The pixel statistics of two pictures of one scene agree: each element's pixels within 6 % and
// their mean brightness within 8 % (the impostors light every pixel, the polygons interpolate
// between their corners). The impostors cover up to 4 % more: at the high resolution the polygon
// hemisphere is a 25-gon that stops 5 degrees short of the sphere's outline.
void ExpectAlike(const Pictures& p, const std::string& what, int x0 = 0, int x1 = 320) {
    const Stats a = StatsOf(p.impostors, x0, x1), b = StatsOf(p.polygons, x0, x1);
    ASSERT_GT(b.lit.count, 500) << what;
    EXPECT_GE(a.lit.count, b.lit.count - 20) << what;
    EXPECT_LE(a.lit.count, 1.04 * b.lit.count + 20) << what;
    EXPECT_NEAR(a.lit.mean, b.lit.mean, 0.08 * b.lit.mean) << what;
    const std::pair<const Stats::Class*, const Stats::Class*> classes[] = {
        {&a.red, &b.red}, {&a.blue, &b.blue}, {&a.grey, &b.grey}};
    for (const auto& [mine, theirs] : classes) {
        if (theirs->count < 200)
            continue;
        EXPECT_NEAR(mine->count, theirs->count, 0.06 * theirs->count + 20) << what;
        EXPECT_NEAR(mine->mean, theirs->mean, 0.08 * theirs->mean) << what;
    }
}

TEST(Impostors, GlslIsUsableFromOpenGl2WithGlsl120) {
    EXPECT_TRUE(GlslUsable("4.5 (Compatibility Profile) Mesa 22.3.6", "4.50"));
    EXPECT_TRUE(GlslUsable("2.1 Mesa 7.10", "1.20"));
    const char* refused[][2] = {{"2.0 Some Driver", "1.10"},
                                {"1.5 Mesa", "1.20"},
                                {"1.4 (Compatibility Profile) Mesa", nullptr},
                                {"OpenGL ES 3.2 Mesa", "OpenGL ES GLSL ES 3.20"},
                                {nullptr, nullptr},
                                {"", ""}};
    for (const auto& [gl, glsl] : refused)
        EXPECT_FALSE(GlslUsable(gl, glsl)) << (gl ? gl : "null");
}

TEST(Impostors, PicturesOfEachModeAgreeWithThePolygons) {
    Crambin scene;
    for (int mode : {kCpk, kSticks, kBallAndStick}) {
        scene.view.SetRenderMode(mode);
        ExpectAlike(BothPaths(scene.view), "mode " + std::to_string(mode));
    }
    // Turned, in stereo (each eye in its half), and on a white background.
    scene.view.SetRenderMode(kBallAndStick);
    scene.mol.motion.rotation = {0.3f, 0.5f, 0.1f, 0.8f};
    scene.view.ToggleStereo();
    const Pictures stereo = BothPaths(scene.view);
    ExpectAlike(stereo, "left eye", 0, 160);
    ExpectAlike(stereo, "right eye", 160, 320);
}

TEST(Impostors, TheFrontSphereWinsWhereSpheresOverlap) {
    for (bool frontFirst : {true, false}) {
        ViewFixture f;
        // Red 1 Å nearer the eye than blue, half a radius to the side of it.
        Molecule& mol = f.AddMolecule({{0.3f, 0, 1}, {-0.3f, 0, -1}});
        if (!frontFirst)
            std::swap(mol.atoms[0], mol.atoms[1]);
        for (Atom& a : mol.atoms)
            a.color = a.z > 0 ? Rgba{255, 0, 0, 255} : Rgba{0, 0, 255, 255};
        f.view.SetRenderMode(kCpk);
        f.view.params.sceneScale = 8;
        const Pictures p = BothPaths(f.view);
        for (const DibImage* image : {&p.impostors, &p.polygons}) {
            // Between the centres both spheres cover the pixel; beyond the blue one's far side
            // only blue shows.
            EXPECT_TRUE(At(*image, 160, 120).Red()) << frontFirst;
            const double left = WindowPointOf(f.view, {-0.3 - 0.95, 0, -1}).x;
            EXPECT_TRUE(At(*image, int(left), 120).Blue()) << frontFirst;
        }
        ExpectAlike(p, "overlap");
    }
}

TEST(Impostors, SpheresAndCylindersOffTheAxisKeepTheirWholeOutline) {
    // Atoms near the corners of the window, where the lines of sight are steepest, and a bond
    // running from near the middle out toward a corner, slanted in depth.
    ViewFixture f;
    Molecule& mol =
        f.AddMolecule({{-5.5f, 3.6f, 1}, {5.2f, -3.4f, -2}, {0.5f, 0.3f, 2}, {4, 2.5f, -1}});
    mol.bonds.push_back(Bond{2, 3, true, false});
    mol.atoms[3].color = {255, 0, 0, 255};
    f.view.params.sceneScale = 6;
    f.view.SetRenderMode(kCpk);
    ExpectAlike(BothPaths(f.view), "corner spheres");
    f.view.SetRenderMode(kSticks);
    ExpectAlike(BothPaths(f.view), "slanted stick");
}

TEST(Impostors, ShapesReachingPastTheEyesPlaneShowWhatLiesBeyondTheNearPlane) {
    // 1 Å is a scene unit and the eye sits 4 units in front of the centre: this sphere of radius
    // 1 reaches from 0.6 behind the eye's plane to 1.4 in front of it, beside the eye.
    ViewFixture f;
    Molecule& mol = f.AddMolecule({{1.2f, 0, 3.6f}, {-1.2f, 0, 0}});
    mol.atoms[0].color = {255, 0, 0, 255};
    mol.atoms[1].radius = 0.3f;
    f.view.SetRenderMode(kCpk);
    f.view.params.sceneScale = 4;
    f.view.ToggleDepthCue();
    // Its surface point at normal (-0.98, 0, -0.2) faces the eye 0.6 in front of it.
    const WindowPoint seen = WindowPointOf(f.view, {1.2 - 0.98, 0, 3.6 - 0.2});
    ASSERT_GT(seen.x, 170);
    ASSERT_LT(seen.x, 300);
    const DibImage image = Drawn(f.view);
    EXPECT_TRUE(At(image, seen.X(), seen.Y()).Red());
    EXPECT_LT(At(image, 160, 120).Max(), 9); // straight ahead the line of sight passes it

    // A stick whose end lies 0.05 in front of the eye's plane, past the eye, shows its middle
    // straight ahead.
    mol.atoms[0].x = 1, mol.atoms[0].z = 3.95f;
    mol.atoms[1].x = -1;
    mol.bonds.push_back(Bond{0, 1, false, false});
    f.view.SetRenderMode(kSticks);
    EXPECT_TRUE(At(Drawn(f.view), 160, 120).Red());
}

TEST(Impostors, FogAndTheClippingPlaneActOnImpostorsAsOnPolygons) {
    // One sphere in front of the fog's start, one deep in it (1 Å is a scene unit here).
    ViewFixture f;
    f.AddMolecule({{-1.5f, 0, 2}, {1.5f, 0, -1.5f}});
    f.view.SetRenderMode(kCpk);
    f.view.params.sceneScale = 4;
    const Pictures fogged = BothPaths(f.view);
    f.view.ToggleDepthCue();
    const Pictures clear = BothPaths(f.view);
    const WindowPoint near = WindowPointOf(f.view, {-1.5, 0, 2});
    const WindowPoint far = WindowPointOf(f.view, {1.5, 0, -1.5});
    auto ratio = [&](const Pictures& a, const Pictures& b, bool impostors, WindowPoint w) {
        const DibImage& x = impostors ? a.impostors : a.polygons;
        const DibImage& y = impostors ? b.impostors : b.polygons;
        return double(At(x, w.X(), w.Y()).Max()) / At(y, w.X(), w.Y()).Max();
    };
    EXPECT_NEAR(ratio(fogged, clear, true, near), 1.0, 0.02);
    const double polygons = ratio(fogged, clear, false, far);
    ASSERT_LT(polygons, 0.8);
    EXPECT_NEAR(ratio(fogged, clear, true, far), polygons, 0.05);
    ExpectAlike(fogged, "fogged");

    Crambin scene;
    // A plane across the middle, seen from the cut side: spheres beyond it vanish, cut ones open
    // and are capped; one seen from the kept side leaves the cut spheres hollow.
    scene.view.ToggleClipView();
    for (Vec3f normal : {Vec3f{1, 0, 0}, Vec3f{0, 0, 1}, Vec3f{0, 0, -1}}) {
        scene.view.clipPlane.SetPlane({0, 0, 0}, normal, true);
        for (int mode : {kCpk, kBallAndStick}) {
            scene.view.SetRenderMode(mode);
            const Pictures cut = BothPaths(scene.view);
            ExpectAlike(cut, "clipped mode " + std::to_string(mode));
            if (normal[0] == 1) {
                EXPECT_EQ(StatsOf(cut.impostors, 161).lit.count, 0);
            }
        }
    }
}

TEST(Impostors, BuffersAreFilledOncePerChangeOfTheScene) {
    Crambin scene;
    CVornView& view = scene.view;
    view.SetRenderMode(kCpk);
    Drawn(view);
    ASSERT_EQ(view.impostors.BuffersFilled(), 1);
    // Turning, zooming and the stereo pair draw the same buffer again.
    scene.mol.motion.rotation = {0, 0.6f, 0, 0.8f};
    view.params.sceneScale *= 1.5f;
    view.ToggleStereo();
    Drawn(view);
    view.ToggleStereo();
    Drawn(view);
    EXPECT_EQ(view.impostors.BuffersFilled(), 1);
    // A new colour, a radius, the solvent flag: the spheres again.
    scene.mol.atoms[5].color = {0, 255, 0, 255};
    Drawn(view);
    EXPECT_EQ(view.impostors.BuffersFilled(), 2);
    scene.mol.atoms[5].radius = 3;
    Drawn(view);
    EXPECT_EQ(view.impostors.BuffersFilled(), 3);
    view.ToggleMoleculeFlag(CVornView::kSolvent);
    Drawn(view);
    EXPECT_EQ(view.impostors.BuffersFilled(), 4);
    // Sticks keep the spheres and add the cylinders; a bond's split flag refills those alone.
    view.SetRenderMode(kSticks);
    Drawn(view);
    EXPECT_EQ(view.impostors.BuffersFilled(), 5);
    scene.mol.bonds[3].split = !scene.mol.bonds[3].split;
    Drawn(view);
    EXPECT_EQ(view.impostors.BuffersFilled(), 6);
    // A moved atom refills both.
    scene.mol.atoms[0].x += 0.5f;
    Drawn(view);
    EXPECT_EQ(view.impostors.BuffersFilled(), 8);
    // A new context (the window's can be made anew) has none of the old buffers.
    view.Create(24, 24);
    Drawn(view);
    EXPECT_EQ(view.impostors.BuffersFilled(), 10);
}

TEST(Impostors, TrajectoryFramesDrawTheirOwnPositions) {
    ViewFixture f;
    Molecule& mol = f.AddMolecule({{-2, 0, 0}, {2, 0, 0}});
    mol.frames.Append(std::vector<float>{-2, 2, 0, 2, 2, 0});
    mol.frameCount = 1;
    f.view.SetRenderMode(kCpk);
    f.view.params.sceneScale = 6;
    const DibImage atoms = Drawn(f.view);
    mol.currentFrame = 1;
    const Pictures frame = BothPaths(f.view);
    ExpectAlike(frame, "frame");
    // The frame lies 2 Å higher: the picture moved up by the same amount on both paths.
    auto centreY = [](const DibImage& image) {
        double sum = 0;
        long n = 0;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x)
                if (At(image, x, y).Lit())
                    sum += y, ++n;
        return sum / double(std::max(1L, n));
    };
    EXPECT_GT(centreY(frame.impostors) - centreY(atoms), 20);
    EXPECT_NEAR(centreY(frame.impostors), centreY(frame.polygons), 1.0);
}

TEST(Impostors, PicksAndVectorPicturesStillCountPolygons) {
    Crambin scene;
    CVornView& view = scene.view;
    view.SetRenderMode(kBallAndStick);
    const DibImage drawn = Drawn(view);
    ASSERT_EQ(view.impostors.BuffersFilled(), 2);
    auto eps = [&] {
        std::FILE* file = std::tmpfile();
        const PostScriptCounts counts = WriteEpsOfView(view, file, nullptr, false);
        std::fclose(file);
        return counts;
    };
    const PostScriptCounts afterImpostors = eps();
    view.params.drawPolygons = true;
    const PostScriptCounts withPolygons = eps();
    view.params.drawPolygons = false;
    // Hemispheres and cylinders at the medium resolution: hundreds of polygons an atom.
    EXPECT_GT(afterImpostors.polygons, 100 * scene.mol.AtomCount());
    EXPECT_EQ(afterImpostors.polygons, withPolygons.polygons);
    EXPECT_EQ(afterImpostors.lines, withPolygons.lines);
    // The pick finds the atom under the mouse; and afterwards the same impostors are drawn again.
    const WindowPoint p = WindowPointOfAtom(view, scene.mol, 20);
    const PickResult hit = view.Pick(p.X(), p.Y());
    EXPECT_NE(hit.kind, kPickedNothing);
    const DibImage again = Drawn(view);
    EXPECT_EQ(view.impostors.BuffersFilled(), 2);
    EXPECT_EQ(again.bits, drawn.bits);
}

TEST(Impostors, WithoutGlslOrSmoothShadingThePolygonsAreDrawn) {
    Crambin scene;
    CVornView& view = scene.view;
    view.SetRenderMode(kSticks);
    const int redraws = scene.host.redraws;
    view.TogglePolygons(); // the view command asks for a new picture
    ASSERT_TRUE(view.params.drawPolygons);
    EXPECT_EQ(scene.host.redraws, redraws + 1);
    const DibImage polygons = Drawn(view);
    view.TogglePolygons();
    ASSERT_FALSE(view.params.drawPolygons);
    // A context that reports OpenGL 1.4 and no shading language.
    view.impostors.AssumeVersions("1.4 (Compatibility Profile) Mesa", "");
    EXPECT_EQ(Drawn(view).bits, polygons.bits);
    EXPECT_FALSE(view.impostors.Available());
    EXPECT_NE(view.impostors.Refusal().find("1.4"), std::string::npos);
    EXPECT_EQ(view.impostors.BuffersFilled(), 0);
    // Back to what the context reports: impostors, a different picture.
    view.impostors.AssumeVersions("4.5 Mesa", "4.50");
    EXPECT_NE(Drawn(view).bits, polygons.bits);
    EXPECT_EQ(view.impostors.BuffersFilled(), 2);
    // Flat shading shows the facets only polygons have.
    view.ToggleSmooth3D();
    const DibImage flat = Drawn(view);
    view.params.drawPolygons = true;
    EXPECT_EQ(Drawn(view).bits, flat.bits);
    EXPECT_EQ(view.impostors.BuffersFilled(), 2);
}

} // namespace

} // namespace vorn
