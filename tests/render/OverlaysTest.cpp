// Pictures of the annotations: atom labels, axes, monitors, hydrogen bonds, the measurement and
// torsion markers; the label font and the pause around its change.
#include "RenderTestContext.h"
#include "render/BuiltInFont.h"
#include "render/LabelFont.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

namespace vorn {

namespace {

struct Pixel {
    int r = 0, g = 0, b = 0;
    int Max() const { return std::max({r, g, b}); }
    int Min() const { return std::min({r, g, b}); }
    bool operator==(const Pixel& o) const { return r == o.r && g == o.g && b == o.b; }
};

// Pixels counted from the bottom left, as the picture is read back.
struct Picture {
    DibImage image = ReadPixelsAsDib(320, 240);
    Pixel At(int x, int up) const {
        const std::uint8_t* p = image.Row(up) + 3 * x;
        return {p[2], p[1], p[0]};
    }
    Pixel At(const WindowPoint& p) const { return At(p.X(), 240 - p.Y()); }
    // The pixels of the box [x0, x1] × [up0, up1] that satisfy the test.
    template <typename Test>
    int Count(int x0, int x1, int up0, int up1, Test test) const {
        int n = 0;
        for (int up = std::max(up0, 0); up <= std::min(up1, 239); ++up)
            for (int x = std::max(x0, 0); x <= std::min(x1, 319); ++x)
                n += test(At(x, up)) ? 1 : 0;
        return n;
    }
    template <typename Test>
    int Count(Test test) const {
        return Count(0, 319, 0, 239, test);
    }
    // The smallest box around the pixels that satisfy the test.
    struct Box {
        int x0 = 320, x1 = -1, up0 = 240, up1 = -1;
        int Width() const { return x1 - x0 + 1; }
        int Height() const { return up1 - up0 + 1; }
    };
    template <typename Test>
    Box Around(Test test) const {
        Box b;
        for (int up = 0; up < 240; ++up)
            for (int x = 0; x < 320; ++x)
                if (test(At(x, up)))
                    b = {std::min(b.x0, x), std::max(b.x1, x), std::min(b.up0, up),
                         std::max(b.up1, up)};
        return b;
    }
};

bool Lit(const Pixel& p) {
    return p.Max() > 8;
}

bool Dark(const Pixel& p) {
    return p.Max() < 60;
}

Picture Draw(ViewFixture& f) {
    f.view.RenderScene(0);
    return Picture();
}

// A hidden molecule of carbon atoms at the places, in the colour, drawn at the scene scale.
Molecule& Hidden(ViewFixture& f, const std::vector<std::array<float, 3>>& places, float scale,
                 Rgba color = {}) {
    Molecule& mol = f.AddMolecule(places);
    for (Atom& a : mol.atoms)
        a.color = color;
    mol.renderMode = kHideMolecule;
    f.view.params.sceneScale = scale;
    return mol;
}

void WhiteBackgroundWithoutFog(ViewFixture& f) {
    const int white[4] = {255, 255, 255, 255};
    f.view.ApplyColor(0, white);
    f.view.ToggleDepthCue();
}

TEST(AtomLabels, SerialNumberInTheAtomsColourUnshadedEvenAtTheBackOfTheFog) {
    ViewFixture f;
    // At the far end of the fog an unlabelled colour would fade to the black background.
    Molecule& mol = Hidden(f, {{0, 0, -2}}, 4, {255, 128, 0, 255});
    mol.atoms[0].serial = 8;
    ASSERT_TRUE(f.view.params.depthCue);
    EXPECT_EQ(Draw(f).Count(Lit), 0);
    mol.atomLabels = true;
    const Picture picture = Draw(f);
    const Pixel orange{255, 128, 0};
    const int lit = picture.Count(Lit);
    EXPECT_GT(lit, 40);
    EXPECT_EQ(picture.Count([&](const Pixel& p) { return p == orange; }), lit);
    // "8" of the built-in bold font at 18 pixels: 11 wide, 14 high, standing on the atom's point.
    const WindowPoint at = WindowPointOfAtom(f.view, mol, 0);
    const Picture::Box box = picture.Around(Lit);
    EXPECT_EQ(box.Width(), 11);
    EXPECT_EQ(box.Height(), 14);
    EXPECT_NEAR(box.x0, at.x, 1);
    EXPECT_NEAR(box.up0, 240 - at.y, 1);
    const int x = box.x0;
    // Lighting and fog are back for what follows; the pick pass draws no labels.
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    mol.renderMode = kWireFrame;
    EXPECT_EQ(f.view.Pick(x + 7, at.Y() - 7).kind, kPickedNothing);
}

// Glyphs of a solid block, 3 × 4 pixels, for every code; or none at all.
struct BlockGlyphs : GlyphSource {
    GlyphSet Rasterise(const LabelFont& font) override {
        asked = font;
        if (broken)
            return {};
        Glyph block{3, 4, 0, 0, 5, std::vector<std::uint8_t>(4, 0xE0)};
        return GlyphSet(kGlyphCount, block);
    }
    LabelFont asked;
    bool broken = false;
};

TEST(AtomLabels, GlyphsComeFromTheSourceAndAFailedFontDrawsNoText) {
    ViewFixture f;
    Molecule& mol = Hidden(f, {{0, 0, 0}}, 4, {255, 255, 255, 255});
    mol.atoms[0].serial = 42;
    mol.atomLabels = true;
    BlockGlyphs source;
    f.view.SetGlyphSource(&source);
    EXPECT_EQ(source.asked.height, -18); // the screen's scaling leaves the height as it is
    EXPECT_EQ(source.asked.face, "Arial");
    EXPECT_EQ(Draw(f).Count(Lit), 2 * 3 * 4); // two blocks

    LabelFont font;
    font.height = -30;
    font.face = "Serif";
    f.view.SetLabelFont(font);
    EXPECT_EQ(source.asked.height, -30);
    EXPECT_EQ(f.view.params.labelFont.face, "Serif");
    source.broken = true;
    f.view.SetLabelFont(font);
    EXPECT_EQ(f.view.params.labelListBase, -1);
    EXPECT_EQ(Draw(f).Count(Lit), 0);
    // Back to the built-in font, near the height asked: 30 pixels make three per cell pixel, so
    // digits of seven rows stand 21 pixels high.
    f.view.SetGlyphSource(nullptr);
    ASSERT_GT(f.view.params.labelListBase, 0);
    EXPECT_EQ(Draw(f).Around(Lit).Height(), 21);
}

TEST(LabelFontTest, HeightsScaleForTheDeviceAndBoldGlyphsAreAPixelWider) {
    EXPECT_EQ(ScaledLabelFont(LabelFont{}, 164, 82).height, -36);
    EXPECT_EQ(ScaledLabelFont(LabelFont{}, 100, 82).height, -22); // 21.95 rounded
    LabelFont font;
    font.height = -9, font.weight = 400;
    BuiltInFont builtIn;
    EXPECT_EQ(builtIn.Rasterise(font)['-'].rows[5], 0xF8); // 5 pixels at the middle height
    font.weight = 700;
    EXPECT_EQ(builtIn.Rasterise(font)['-'].rows[5], 0xFC);
}

TEST(Axes, ComplementOfTheBackgroundAlongXAndYLetteredAtTheTips) {
    ViewFixture f;
    Molecule& mol = Hidden(f, {{0, 0, 0}}, 3);
    mol.boxDiagonal = 10; // radius 5 Å: axes of 1.5 Å
    WhiteBackgroundWithoutFog(f);
    EXPECT_EQ(Draw(f).Count(Dark), 0);
    f.view.ToggleAxes();
    const Picture picture = Draw(f);
    const WindowPoint x = WindowPointOf(f.view, {0.6, 0, 0});
    const WindowPoint y = WindowPointOf(f.view, {0, 0.6, 0});
    const WindowPoint tip = WindowPointOf(f.view, {1.5, 0, 0});
    // Across each shaft the darkest pixel is black (only a specular glint is grey).
    EXPECT_GT(picture.Count(x.X(), x.X(), 240 - x.Y() - 4, 240 - x.Y() + 4, Dark), 0);
    EXPECT_GT(picture.Count(y.X() - 4, y.X() + 4, 240 - y.Y(), 240 - y.Y(), Dark), 0);
    // "X" stands right of and above its tip: 11 × 14 pixels of black ink.
    const int letter =
        picture.Count(tip.X() + 1, tip.X() + 11, 240 - tip.Y() + 4, 240 - tip.Y() + 14,
                      [](const Pixel& p) { return p.Max() == 0; });
    EXPECT_GT(letter, 20);
    EXPECT_EQ(picture.At(10, 10), (Pixel{255, 255, 255}));
    // Culling and dithering are back as the other drawers expect them.
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_DITHER));
}

TEST(HydrogenBonds, TwelveAngstromsShowAsSixDashesOfOneAngstrom) {
    ViewFixture f;
    Hidden(f, {{-6, 0, 0}, {6, 0, 0}}, 16);
    f.doc.hydrogenBonds = {{0, 0, 0, 1}};
    EXPECT_EQ(Draw(f).Count(Lit), 0); // not shown
    f.view.params.hBondsShown = true;
    const Picture picture = Draw(f);
    // Lit columns along the bond, in runs.
    std::vector<std::pair<int, int>> runs; // first and last column
    for (int x = 0; x < 320; ++x) {
        if (picture.Count(x, x, 117, 123, Lit) == 0)
            continue;
        if (!runs.empty() && runs.back().second == x - 1)
            runs.back().second = x;
        else
            runs.emplace_back(x, x);
    }
    ASSERT_EQ(runs.size(), 6u);
    const double perAngstrom = WindowPointOf(f.view, {1, 0, 0}).x - 160;
    for (size_t k = 0; k < 6; ++k) {
        const double middle = WindowPointOf(f.view, {-5.5 + 2.0 * double(k), 0, 0}).x;
        EXPECT_NEAR((runs[k].first + runs[k].second) / 2.0, middle, 1.5) << "dash " << k;
        EXPECT_NEAR(runs[k].second - runs[k].first + 1, perAngstrom, 3) << "dash " << k;
    }
    const Pixel red = picture.At(WindowPointOf(f.view, {-5.5, 0, 0}));
    EXPECT_GT(red.r, 100);
    EXPECT_LT(std::max(red.g, red.b), 20);
    // A record left from a molecule that has gone is passed over.
    f.doc.hydrogenBonds = {{0, 3, 0, 1}};
    EXPECT_EQ(Draw(f).Count(Lit), 0);
}

TEST(HydrogenBonds, EndsFollowEachMoleculesTurnAndMove) {
    ViewFixture f;
    Hidden(f, {{0, 0, 0}}, 16);
    Molecule& other = Hidden(f, {{6, 0, 0}}, 16);
    other.motion.translation[1] = 1;
    other.motion.rotation = {0, 0, std::sqrt(0.5f), std::sqrt(0.5f)}; // a quarter turn about z
    f.doc.hydrogenBonds = {{0, 1, 0, 0}};
    f.view.params.hBondsShown = true;
    const Picture picture = Draw(f);
    // (6, 1, 0) turned to (1, -6, 0): the first dash starts at the origin and points that way.
    ASSERT_NEAR(DisplayPosition(other, 0)[1], -6, 1e-5);
    const WindowPoint first = WindowPointOf(f.view, {0.04, -0.24, 0});
    const WindowPoint gap = WindowPointOf(f.view, {0.12, -0.72, 0});
    EXPECT_GT(picture.Count(first.X() - 1, first.X() + 1, 239 - first.Y(), 241 - first.Y(), Lit),
              0);
    EXPECT_EQ(picture.Count(gap.X() - 1, gap.X() + 1, 239 - gap.Y(), 241 - gap.Y(), Lit), 0);
    EXPECT_EQ(picture.Count(150, 170, 125, 160, Lit), 0); // nothing above the origin
}

TEST(MeasureMarkers, OnePointIsATranslucentBallTwoAreJoinedByAStippledLine) {
    ViewFixture f;
    Molecule& mol = Hidden(f, {{-3, 0, 0}, {3, 0, 0}}, 8, {0, 0, 255, 255});
    f.doc.measures.TogglePick(1, &mol, 0);
    EXPECT_EQ(Draw(f).Count(Lit), 0); // the Measure window is closed
    f.host.measureOpen = true;
    Picture picture = Draw(f);
    const WindowPoint a = WindowPointOfAtom(f.view, mol, 0);
    const double radius = WindowPointOf(f.view, {-2.6, 0, 0}).x - a.x; // 0.4 Å
    const int lit = picture.Count(Lit);
    EXPECT_NEAR(lit, M_PI * radius * radius, 0.25 * M_PI * radius * radius);
    const int r = int(radius) + 2, up = 240 - a.Y();
    EXPECT_EQ(picture.Count(a.X() - r, a.X() + r, up - r, up + r, Lit), lit); // no line
    const Pixel middle = picture.At(a);
    EXPECT_GT(middle.b, 60);
    EXPECT_LT(middle.b, 180); // alpha 150 of 255 over black
    EXPECT_GT(middle.b, std::max(middle.r, middle.g) + 60);

    f.doc.measures.TogglePick(1, &mol, 1);
    picture = Draw(f);
    // Between the balls the line in the selection colour, in dashes of the stipple.
    int dashes = 0;
    bool inDash = false;
    for (int x = a.X() + r; x < 320 - a.X() - r; ++x) {
        const bool on = picture.Count(x, x, 118, 122, [](const Pixel& p) {
            return p.g > 40 && p.g > 2 * std::max(p.r, p.b);
        }) > 0;
        dashes += on && !inDash ? 1 : 0;
        inDash = on;
    }
    EXPECT_GE(dashes, 8);
    EXPECT_TRUE(glIsEnabled(GL_LINE_SMOOTH)); // smoothing back as lineAlias has it
    EXPECT_FALSE(glIsEnabled(GL_LINE_STIPPLE));
}

TEST(Monitors, BallsAndARodInTheMonitorsColourAndItsKindInBlackOnWhite) {
    ViewFixture f;
    Molecule& mol = Hidden(f, {{-3, 0, 0}, {3, 0, 0}}, 8);
    mol.monitors.Append(Monitor{7, 0, 1, {0, 0, 255, 255}});
    WhiteBackgroundWithoutFog(f);
    const auto blue = [](const Pixel& p) { return p.b > 100 && p.b > std::max(p.r, p.g) + 60; };
    Picture picture = Draw(f);
    for (double x : {-3.0, -1.5, 3.0}) {
        const WindowPoint p = WindowPointOf(f.view, {x, 0, 0});
        EXPECT_GT(picture.Count(p.X() - 1, p.X() + 1, 239 - p.Y(), 241 - p.Y(), blue), 0) << x;
    }
    // The kind above the rod, right of the middle: only with monitor labels.
    EXPECT_EQ(picture.Count(160, 172, 125, 134, Dark), 0);
    mol.monitorLabels = true;
    picture = Draw(f);
    EXPECT_GT(picture.Count(160, 172, 125, 134, Dark), 10);
    mol.monitorsShown = false;
    EXPECT_EQ(Draw(f).Count(blue), 0);
}

TEST(TorsionMarker, RingsThePickedBondWhileTheTorsionWindowIsOpen) {
    ViewFixture f;
    Molecule& mol = f.AddMolecule({{-2, 0, 0}, {2, 0, 0}, {4, 1, 0}});
    mol.bonds = {{0, 1}, {1, 2}};
    mol.bonded = FlatLists({0, 1, 3, 4}, {1, 0, 2, 1});
    f.view.params.sceneScale = 8;
    f.view.ToggleDepthCue();
    f.view.torsion.SelectTorsionBond(mol, 0);
    f.view.pickedMolecule = &mol;
    const auto green = [](const Pixel& p) { return p.g > 60 && p.g > 3 * std::max(p.r, p.b); };
    // The collar of radius 1 Å around the middle of the bond, seen edge on.
    const WindowPoint above = WindowPointOf(f.view, {0, 0.6, 0});
    const auto ring = [&](const Picture& p) {
        return p.Count(above.X() - 2, above.X() + 2, 240 - above.Y() - 2, 240 - above.Y() + 2,
                       green);
    };
    EXPECT_EQ(ring(Draw(f)), 0); // the window is closed
    f.host.torsionOpen = true;
    EXPECT_GT(ring(Draw(f)), 0);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    f.view.pickedMolecule = nullptr;
    EXPECT_EQ(ring(Draw(f)), 0);
}

TEST(PausedDrawing, FontChangeWhilePlayingResumesAtTheSameFrame) {
    ViewFixture f;
    EXPECT_FALSE(f.view.Pause().paused); // nothing loaded: nothing to pause
    Molecule& mol = f.AddMolecule({{0, 0, 0}});
    for (int k = 0; k < 4; ++k)
        mol.frames.Append(std::vector<float>{float(k), 0, 0});
    f.doc.ResetPlayback();
    f.view.DocumentChanged();
    f.view.Draw();
    f.host.now += 100;
    f.view.Draw();
    ASSERT_EQ(f.doc.FrameIndex(), 2);
    const PausedDrawing saved = f.view.Pause();
    EXPECT_FALSE(f.view.params.playing || f.view.params.continuousRedraw);
    f.view.Draw(); // a paint while the window is open advances nothing
    LabelFont font;
    font.height = -12;
    f.view.SetLabelFont(font);
    EXPECT_TRUE(glIsList(GLuint(f.view.params.labelListBase)));
    f.doc.SetFrame(0); // whatever happened meanwhile
    const int redraws = f.host.redraws;
    f.view.Resume(saved);
    EXPECT_TRUE(f.view.params.playing);
    EXPECT_TRUE(f.view.params.continuousRedraw);
    EXPECT_EQ(f.doc.FrameIndex(), 2);
    EXPECT_GT(f.host.redraws, redraws);
}

} // namespace

} // namespace vorn
