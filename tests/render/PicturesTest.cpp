// Pictures of real structures drawn off screen, judged by pixel statistics.
#include "../ScratchFiles.h"
#include "RenderTestContext.h"
#include "model/VornDoc.h"
#include "render/OffscreenPicture.h"
#include "render/VornView.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const std::string kData = VORN_TEST_DATA;

struct Pixel {
    int r = 0, g = 0, b = 0;
    int Max() const { return std::max({r, g, b}); }
};

Pixel At(const DibImage& image, int x, int y) {
    const std::uint8_t* p = image.Row(y) + 3 * x;
    return {p[2], p[1], p[0]};
}

// The brightest pixel of the 5 × 5 square around (x, y): lines are thin and smoothed at their
// edges, so the square finds their core.
Pixel BrightestNear(const DibImage& image, double x, double y) {
    Pixel best;
    const int cx = static_cast<int>(std::lround(x)), cy = static_cast<int>(std::lround(y));
    for (int j = std::max(0, cy - 2); j <= std::min(image.height - 1, cy + 2); ++j)
        for (int i = std::max(0, cx - 2); i <= std::min(image.width - 1, cx + 2); ++i)
            if (At(image, i, j).Max() > best.Max())
                best = At(image, i, j);
    return best;
}

// Lit pixels (any channel above the black background's noise) of the columns [x0, x1).
struct LitStats {
    long count = 0;
    double cx = 0, cy = 0; // centroid, pixels from the bottom left
    double Fraction(int columns, int rows) const {
        return double(count) / (double(columns) * rows);
    }
};

LitStats Lit(const DibImage& image, int x0, int x1) {
    LitStats s;
    for (int y = 0; y < image.height; ++y)
        for (int x = x0; x < x1; ++x)
            if (At(image, x, y).Max() > 8) {
                ++s.count;
                s.cx += x;
                s.cy += y;
            }
    if (s.count > 0) {
        s.cx /= double(s.count);
        s.cy /= double(s.count);
    }
    return s;
}

LitStats Lit(const DibImage& image) {
    return Lit(image, 0, image.width);
}

// Where the view puts a position of the molecule (Å, unrotated) in a picture without stereo: the
// scene maps sceneScale Å to 4 units, 4 units in front of the eye, under the view's perspective.
struct Point2 {
    double x, y;
};

Point2 Project(const CVornView& view, const Molecule& mol, const float* p) {
    const ViewParameters& v = view.params;
    const double s = 4.0 / v.sceneScale;
    const double depth = 4.0 - s * (p[2] + mol.motion.translation[2]);
    const double f = 1.0 / std::tan(v.fieldOfView * M_PI / 360.0);
    const double aspect = double(v.windowWidth) / v.windowHeight;
    const double nx = f / aspect * s * (p[0] + mol.motion.translation[0]) / depth;
    const double ny = f * s * (p[1] + mol.motion.translation[1]) / depth;
    return {(nx + 1) / 2 * v.windowWidth, (ny + 1) / 2 * v.windowHeight};
}

Point2 ProjectAtom(const CVornView& view, const Molecule& mol, int atom) {
    return Project(view, mol, &mol.atoms[static_cast<size_t>(atom)].x);
}

std::string AtomLine(const char* record, int serial, const char* name, const char* residue,
                     double x, double y, double z) {
    char line[96];
    std::snprintf(line, sizeof line, "%-6s%5d %-4s %3s A   1    %8.3f%8.3f%8.3f  1.00 20.00\n",
                  record, serial, name, residue, x, y, z);
    return line;
}

// Writes the records to a scratch file and reads it as the only molecule of doc.
Molecule& ReadRecords(CVornDoc& doc, const std::string& name, const std::string& records) {
    const std::string path = ScratchPath(name);
    std::ofstream(path) << records << "END\n";
    EXPECT_TRUE(doc.ReadCoordinateFile(path));
    std::remove(path.c_str());
    return *doc.primary;
}

bool RedDominant(const Pixel& p) {
    return p.r > 60 && p.r > 3 * p.g && p.r > 3 * p.b;
}
bool BlueDominant(const Pixel& p) {
    return p.b > 60 && p.b > p.r + 20 && p.b > p.g + 20;
}
bool Grey(const Pixel& p) {
    return p.r > 60 && std::abs(p.r - p.g) < 20 && std::abs(p.g - p.b) < 20;
}

} // namespace

TEST(Pictures, OffscreenContextClearsAndReadsBack) {
    OffscreenContext& c = TestContext();
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    const DibImage image = ReadPixelsAsDib(c.Width(), c.Height());
    ASSERT_EQ(image.RowBytes(), 960);
    EXPECT_EQ(image.Row(0)[0], 0);   // blue
    EXPECT_EQ(image.Row(0)[2], 255); // red
}

TEST(Pictures, ModesOfAProteinCoverIncreasingAreas) {
    CVornDoc doc;
    ASSERT_TRUE(doc.ReadCoordinateFile(kData + "/1crn.pdb"));
    OffscreenPicture picture(doc, 320, 240);
    double fraction[6];
    double litMean[6];
    for (int mode = 0; mode <= 5; ++mode) {
        picture.View().SetRenderMode(mode); // also the stick and ball radii of the mode
        const DibImage image = picture.Render();
        const LitStats s = Lit(image);
        fraction[mode] = s.Fraction(320, 240);
        double sum = 0;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x)
                sum += At(image, x, y).Max() > 8 ? At(image, x, y).Max() : 0;
        litMean[mode] = s.count ? sum / double(s.count) : 0;
        if (mode != 0) {
            // The protein is centred: a wrong scale or translation moves it off the middle.
            EXPECT_NEAR(s.cx, 160, 40) << "mode " << mode;
            EXPECT_NEAR(s.cy, 120, 40) << "mode " << mode;
        }
    }
    EXPECT_EQ(fraction[0], 0.0); // hidden: only the black background
    EXPECT_LT(fraction[kPoints], fraction[kWireFrame]);
    EXPECT_LT(fraction[kWireFrame], fraction[kSticks]);
    EXPECT_LT(fraction[kSticks], fraction[kBallAndStick]);
    EXPECT_LT(fraction[kBallAndStick], fraction[kCpk]);
    // 327 atoms of 2 × 2 pixels at most, partly overlapping.
    EXPECT_GT(fraction[kPoints], 0.005);
    EXPECT_LT(fraction[kPoints], 0.02);
    EXPECT_GT(fraction[kWireFrame], 0.05);
    EXPECT_LT(fraction[kSticks], 0.35);
    // Van der Waals spheres cover most of the middle of the window but not all of it.
    EXPECT_GT(fraction[kCpk], 0.6);
    EXPECT_LT(fraction[kCpk], 0.95);
    // Without the solid lights the spheres would show only their dim ambient colour.
    EXPECT_GT(litMean[kCpk], 130);
    EXPECT_GT(litMean[kSticks], 110);
}

TEST(Pictures, ElementsShowTheirColoursOnLitSpheres) {
    CVornDoc doc;
    // Three atoms too far apart to bond, in the plane of the screen, the carbon in the middle.
    Molecule& mol = ReadRecords(doc, "elements.pdb",
                                AtomLine("ATOM", 1, " N", "ALA", -6, 0, 0) +
                                    AtomLine("ATOM", 2, " C", "ALA", 0, 0, 0) +
                                    AtomLine("ATOM", 3, " O", "ALA", 6, 0, 0));
    ASSERT_EQ(mol.AtomCount(), 3);
    mol.renderMode = kCpk;
    OffscreenPicture picture(doc, 320, 240);
    // Scale to fit maps the atom centres' box, not the spheres, to the window: a flat row of
    // atoms would reach past its sides.
    picture.View().params.sceneScale = 12;
    const DibImage image = picture.Render();
    const CVornView& view = picture.View();
    const Point2 n = ProjectAtom(view, mol, 0), c = ProjectAtom(view, mol, 1),
                 o = ProjectAtom(view, mol, 2);
    EXPECT_TRUE(BlueDominant(BrightestNear(image, n.x, n.y)));
    EXPECT_TRUE(Grey(BrightestNear(image, c.x, c.y)));
    EXPECT_TRUE(RedDominant(BrightestNear(image, o.x, o.y)));
    // The front light makes the middle of the sphere facing the eye brighter than its rim, 80 %
    // of the projected radius out on either side. (Off the axis the brightest point moves outward
    // with the perspective.)
    const Atom& carbon = mol.atoms[1];
    const float edge[3] = {carbon.x + carbon.radius, carbon.y, carbon.z};
    const double radius = Project(view, mol, edge).x - c.x;
    ASSERT_GT(radius, 20);
    const int middle = At(image, int(c.x), int(c.y)).Max();
    for (int side : {-1, 1}) {
        const Pixel rim = At(image, static_cast<int>(c.x + side * 0.8 * radius), int(c.y));
        EXPECT_GT(middle, rim.Max() + 30) << "side " << side;
        EXPECT_GT(rim.Max(), 8) << "side " << side; // still inside the sphere
    }
}

TEST(Pictures, SplitBondsShowBothHalvesInTheirAtomsColours) {
    CVornDoc doc;
    Molecule& mol = ReadRecords(doc, "split.pdb",
                                AtomLine("ATOM", 1, " C", "ALA", -0.7, 0, 0) +
                                    AtomLine("ATOM", 2, " O", "ALA", 0.7, 0, 0));
    ASSERT_EQ(mol.bonds.size(), 1u);
    ASSERT_TRUE(mol.bonds[0].split);
    mol.renderMode = kWireFrame;
    OffscreenPicture picture(doc, 320, 240);
    picture.View().params.sceneScale = 3;
    const float quarter[3] = {-0.35f, 0, 0}, threeQuarters[3] = {0.35f, 0, 0};
    const Point2 a = Project(picture.View(), mol, quarter);
    const Point2 b = Project(picture.View(), mol, threeQuarters);
    DibImage image = picture.Render();
    EXPECT_TRUE(Grey(BrightestNear(image, a.x, a.y)));
    EXPECT_TRUE(RedDominant(BrightestNear(image, b.x, b.y)));
    // Without the flag the whole bond takes the first atom's colour; sticks split the same way.
    mol.bonds[0].split = false;
    image = picture.Render();
    EXPECT_TRUE(Grey(BrightestNear(image, b.x, b.y)));
    mol.bonds[0].split = true;
    picture.View().SetRenderMode(kSticks);
    image = picture.Render();
    EXPECT_TRUE(Grey(BrightestNear(image, a.x, a.y)));
    EXPECT_TRUE(RedDominant(BrightestNear(image, b.x, b.y)));
}

TEST(Pictures, SolventOffHidesHeteroAtomsAndBondsInEveryMode) {
    CVornDoc doc;
    // A bonded pair of protein atoms on the left, a bonded hetero pair on the right.
    Molecule& mol = ReadRecords(doc, "hetero.pdb",
                                AtomLine("ATOM", 1, " CA", "ALA", -5, 0, 0) +
                                    AtomLine("ATOM", 2, " C", "ALA", -3.5, 0, 0) +
                                    AtomLine("HETATM", 3, " C1", "EOH", 3.5, 0, 0) +
                                    AtomLine("HETATM", 4, " O", "EOH", 5, 0, 0));
    ASSERT_EQ(mol.bonds.size(), 2u);
    ASSERT_TRUE(mol.bonds[1].hetero);
    OffscreenPicture picture(doc, 320, 240);
    picture.View().params.sceneScale = 12;
    const int middle = static_cast<int>(ProjectAtom(picture.View(), mol, 1).x +
                                        ProjectAtom(picture.View(), mol, 2).x) /
                       2;
    for (int mode = kWireFrame; mode <= kBallAndStick; ++mode) {
        picture.View().SetRenderMode(mode);
        mol.solvent = true;
        DibImage image = picture.Render();
        EXPECT_GT(Lit(image, middle, 320).count, 0) << "mode " << mode;
        mol.solvent = false;
        image = picture.Render();
        EXPECT_EQ(Lit(image, middle, 320).count, 0) << "mode " << mode;
        EXPECT_GT(Lit(image, 0, middle).count, 0) << "mode " << mode;
    }
}

TEST(Pictures, TrajectoryFrameIsDrawnWhereItsCoordinatesAre) {
    CVornDoc doc;
    doc.multiModelTraj = true;
    // Model 1 is centred on the origin; model 2 is the same square moved 4 Å along x.
    std::string records;
    for (int model = 1; model <= 2; ++model) {
        const double dx = model == 1 ? 0 : 4;
        records += "MODEL     " + std::to_string(model) + "\n";
        records += AtomLine("ATOM", 1, " C", "ALA", dx - 1.5, 0, 0) +
                   AtomLine("ATOM", 2, " C", "ALA", dx + 1.5, 0, 0) +
                   AtomLine("ATOM", 3, " C", "ALA", dx, -1.5, 0) +
                   AtomLine("ATOM", 4, " C", "ALA", dx, 1.5, 0) + "ENDMDL\n";
    }
    Molecule& mol = ReadRecords(doc, "frames.pdb", records);
    ASSERT_EQ(mol.AtomCount(), 4);
    ASSERT_EQ(mol.frames.Count(), 1);
    mol.renderMode = kCpk;
    OffscreenPicture picture(doc, 320, 240);
    picture.View().params.sceneScale = 12;
    const float origin[3] = {0, 0, 0}, moved[3] = {4, 0, 0};
    const Point2 p0 = Project(picture.View(), mol, origin);
    const Point2 p1 = Project(picture.View(), mol, moved);
    ASSERT_GT(p1.x - p0.x, 20); // a move the picture can resolve
    doc.SetFrame(0);
    const LitStats atoms = Lit(picture.Render());
    doc.SetFrame(1);
    const LitStats frame = Lit(picture.Render());
    EXPECT_NEAR(atoms.cx, p0.x, 3);
    EXPECT_NEAR(frame.cx, p1.x, 3);
    EXPECT_NEAR(frame.cy, atoms.cy, 2);
    EXPECT_NEAR(frame.count, atoms.count, atoms.count / 20);
}

TEST(Pictures, ZeroLengthBondDrawsOnlyTheAtom) {
    CVornDoc doc;
    Molecule& mol = ReadRecords(doc, "zero.pdb",
                                AtomLine("ATOM", 1, " C", "ALA", 0, 0, 0) +
                                    AtomLine("ATOM", 2, " C", "ALA", 0, 0, 0));
    if (mol.bonds.empty())
        mol.bonds.push_back(Bond{0, 1, false, false});
    OffscreenPicture picture(doc, 320, 240);
    picture.View().SetRenderMode(kSticks);
    const DibImage image = picture.Render();
    const Point2 centre = ProjectAtom(picture.View(), mol, 0);
    const float edge[3] = {picture.View().params.ballRadius, 0, 0};
    const double radius = Project(picture.View(), mol, edge).x - centre.x;
    ASSERT_GT(radius, 5);
    const LitStats s = Lit(image);
    // A disc of the ball's radius around the atom, nothing else.
    EXPECT_NEAR(double(s.count), M_PI * radius * radius, 0.15 * M_PI * radius * radius);
    EXPECT_NEAR(s.cx, centre.x, 1.5);
    EXPECT_NEAR(s.cy, centre.y, 1.5);
    EXPECT_GT(At(image, int(centre.x), int(centre.y)).Max(), 100);
}

// Screen column of the eye-space direction (x, -z) under the view's perspective.
double ScreenColumn(const CVornView& view, double x, double z) {
    const ViewParameters& v = view.params;
    const double f = 1.0 / std::tan(v.fieldOfView * M_PI / 360.0);
    const double aspect = double(v.windowWidth) / v.windowHeight;
    return (f / aspect * x / -z + 1) / 2 * v.windowWidth;
}

TEST(Pictures, SpheresOffTheAxisShowTheirWholeOutline) {
    CVornDoc doc;
    Molecule& mol = ReadRecords(doc, "offaxis.pdb", AtomLine("ATOM", 1, " C", "ALA", 0, 0, 0));
    mol.atoms[0].x = -5.0f; // the read put the lone atom at the centre of mass
    mol.renderMode = kCpk;
    OffscreenPicture picture(doc, 320, 240);
    CVornView& view = picture.View();
    view.params.sceneScale = 10;
    const DibImage image = picture.Render();
    // In the eye's frame the sphere sits at (cx, 0, -4); its outline along the middle row is
    // where the lines of sight from the eye touch it.
    const double s = 4.0 / view.params.sceneScale;
    const double cx = s * mol.atoms[0].x, cz = -4, r = s * mol.atoms[0].radius;
    const double d = std::hypot(cx, cz), centre = std::atan2(cx, -cz), half = std::asin(r / d);
    const double left = ScreenColumn(view, std::sin(centre - half), -std::cos(centre - half));
    const double right = ScreenColumn(view, std::sin(centre + half), -std::cos(centre + half));
    const int row = image.height / 2;
    int first = -1, last = -1;
    for (int x = 0; x < image.width; ++x)
        if (At(image, x, row).Max() > 8) {
            first = first < 0 ? x : first;
            last = x;
        }
    ASSERT_GT(right - left, 40);
    EXPECT_NEAR(first, left, 2.0);
    EXPECT_NEAR(last, right, 2.0); // the side toward the middle of the window is not cut away
}

TEST(Pictures, StereoDrawsEachEyeInItsHalfWithLitSpheres) {
    CVornDoc doc;
    ASSERT_TRUE(doc.ReadCoordinateFile(kData + "/1crn.pdb"));
    doc.primary->renderMode = kCpk;
    OffscreenPicture picture(doc, 320, 240);
    picture.View().ToggleStereo();
    DibImage image = picture.Render();
    const LitStats left = Lit(image, 0, 160), right = Lit(image, 160, 320);
    EXPECT_GT(left.Fraction(160, 240), 0.3);
    EXPECT_GT(right.Fraction(160, 240), 0.3);
    EXPECT_LT(left.cx, 160);
    EXPECT_GT(right.cx, 160);
    // The two eyes see nearly the same picture, each in its own half.
    EXPECT_NEAR(right.cx - left.cx, 160, 25);

    // One sphere at the centre of each half: its front faces the eye, bright in the middle,
    // and it is round (a turned hemisphere would lose one side).
    CVornDoc single;
    Molecule& mol = ReadRecords(single, "one.pdb", AtomLine("ATOM", 1, " C", "ALA", 0, 0, 0));
    mol.renderMode = kCpk;
    OffscreenPicture one(single, 320, 240);
    one.View().ToggleStereo();
    one.View().params.sceneScale = 12;
    image = one.Render();
    for (int half = 0; half < 2; ++half) {
        const LitStats s = Lit(image, 160 * half, 160 * half + 160);
        ASSERT_GT(s.count, 100) << "half " << half;
        EXPECT_NEAR(s.cx, 160 * half + 80, 1.5) << "half " << half;
        EXPECT_NEAR(s.cy, 120, 1.5) << "half " << half;
        const Pixel middle = At(image, 160 * half + 80, 120);
        EXPECT_TRUE(Grey(middle)) << "half " << half;
        EXPECT_GT(middle.Max(), 120) << "half " << half;
    }
}
