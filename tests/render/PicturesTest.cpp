// Pictures of real structures drawn off screen, judged by pixel statistics.
#include "../ScratchFiles.h"
#include "Pixels.h"
#include "document/VornDoc.h"
#include "render/OffscreenPicture.h"
#include "render/VornView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace vorn {

namespace {

const std::string kData = VORN_TEST_DATA;

struct Point2 {
    double x, y;
};

// The brightest pixel of the 5 × 5 square around p: lines are thin and smoothed at their edges,
// so the square finds their core.
Pixel BrightestNear(const DibImage& image, Point2 p) {
    Pixel best;
    for (int j = -2; j <= 2; ++j)
        for (int i = -2; i <= 2; ++i)
            best = std::max(best, At(image, int(std::lround(p.x)) + i, int(std::lround(p.y)) + j));
    return best;
}

// Where the view's perspective puts the eye-space point (x, y, z), z < 0, without stereo.
Point2 ToScreen(const CVornView& view, double x, double y, double z) {
    const ViewParameters& v = view.params;
    const double f = 1.0 / std::tan(v.fieldOfView * M_PI / 360.0);
    const double aspect = double(v.windowWidth) / v.windowHeight;
    return {(f / aspect * x / -z + 1) / 2 * v.windowWidth, (f * y / -z + 1) / 2 * v.windowHeight};
}

std::string AtomLine(int serial, const char* name, double x, double y = 0,
                     const char* record = "ATOM", const char* residue = "ALA") {
    char line[96];
    std::snprintf(line, sizeof line, "%-6s%5d %-4s %3s A   1    %8.3f%8.3f%8.3f  1.00 20.00\n",
                  record, serial, name, residue, x, y, 0.0);
    return line;
}

// Reads the records (no records: the crambin file) as the only molecule of doc.
Molecule& ReadRecords(CVornDoc& doc, const std::string& records, bool trajectory) {
    const std::string path = ScratchPath("pictures.pdb");
    std::ofstream(path) << records << "END\n";
    doc.multiModelTraj = trajectory;
    EXPECT_TRUE(doc.ReadCoordinateFile(records.empty() ? kData + "/1crn.pdb" : path));
    std::remove(path.c_str());
    return *doc.primary;
}

// The records read as the only molecule of a document, drawn in the mode at the scale (Å mapped
// to the window; 0 leaves the scale to fit) by a 320 × 240 picture.
struct Scene {
    Scene(const std::string& records, int mode, float scale, bool trajectory = false)
        : mol(ReadRecords(doc, records, trajectory)) {
        view.SetRenderMode(mode);
        if (scale > 0)
            view.params.sceneScale = scale;
    }
    // A position of the molecule (Å, unrotated) on screen: sceneScale Å map to 4 units, 4 units
    // in front of the eye.
    Point2 Screen(double x, double y = 0) const {
        const double s = 4.0 / view.params.sceneScale;
        const float* t = mol.motion.translation;
        return ToScreen(view, s * (x + t[0]), s * (y + t[1]), s * t[2] - 4);
    }
    Point2 AtomAt(int atom) const { return Screen(mol.atoms.at(size_t(atom)).x); }

    CVornDoc doc;
    Molecule& mol;
    OffscreenPicture picture{doc, 320, 240};
    CVornView& view = picture.View();
};

} // namespace

TEST(Pictures, ModesOfAProteinCoverIncreasingAreas) {
    Scene crambin("", kHideMolecule, 0);
    LitStats s[6];
    for (int mode = 0; mode <= 5; ++mode) {
        crambin.view.SetRenderMode(mode); // also the stick and ball radii of the mode
        s[mode] = Lit(crambin.picture.Render());
        if (mode != 0) { // centred: a wrong scale or translation moves the protein off the middle
            EXPECT_NEAR(s[mode].cx, 160, 40) << "mode " << mode;
            EXPECT_NEAR(s[mode].cy, 120, 40) << "mode " << mode;
        }
    }
    auto fraction = [&](int mode) { return double(s[mode].count) / (320 * 240); };
    EXPECT_EQ(s[0].count, 0); // hidden: only the black background
    const int increasing[] = {kPoints, kWireFrame, kSticks, kBallAndStick, kCpk};
    for (int i = 0; i < 4; ++i)
        EXPECT_LT(fraction(increasing[i]), fraction(increasing[i + 1])) << "mode " << increasing[i];
    // 327 atoms of 2 × 2 pixels at most, partly overlapping; van der Waals spheres cover most of
    // the middle of the window but not all of it.
    EXPECT_GT(fraction(kPoints), 0.005);
    EXPECT_LT(fraction(kPoints), 0.02);
    EXPECT_GT(fraction(kWireFrame), 0.05);
    EXPECT_LT(fraction(kSticks), 0.35);
    EXPECT_GT(fraction(kCpk), 0.6);
    EXPECT_LT(fraction(kCpk), 0.95);
    // Without the solid lights the spheres would show only their dim ambient colour.
    EXPECT_GT(s[kCpk].mean, 130);
    EXPECT_GT(s[kSticks].mean, 110);
}

TEST(Pictures, ElementsShowTheirColoursOnLitSpheres) {
    // Atoms too far apart to bond. Scale to fit maps the atom centres' box, not the spheres, to
    // the window: a flat row of atoms would reach past its sides.
    Scene scene(AtomLine(1, " N", -6) + AtomLine(2, " C", 0) + AtomLine(3, " O", 6), kCpk, 12);
    const DibImage image = scene.picture.Render();
    const Point2 c = scene.AtomAt(1);
    EXPECT_TRUE(BrightestNear(image, scene.AtomAt(0)).Blue());
    EXPECT_TRUE(BrightestNear(image, c).Grey());
    EXPECT_TRUE(BrightestNear(image, scene.AtomAt(2)).Red());
    // The front light makes the middle of the sphere facing the eye brighter than its rim, 80 %
    // of the projected radius out on either side.
    const double radius = scene.Screen(scene.mol.atoms[1].x + scene.mol.atoms[1].radius).x - c.x;
    ASSERT_GT(radius, 20);
    const int middle = At(image, int(c.x), int(c.y)).Max();
    for (int side : {-1, 1}) {
        const Pixel rim = At(image, static_cast<int>(c.x + side * 0.8 * radius), int(c.y));
        EXPECT_GT(middle, rim.Max() + 30) << "side " << side;
        EXPECT_GT(rim.Max(), 8) << "side " << side; // still inside the sphere
    }
}

TEST(Pictures, SplitBondsShowBothHalvesInTheirAtomsColours) {
    Scene scene(AtomLine(1, " C", -0.7) + AtomLine(2, " O", 0.7), kWireFrame, 3);
    Bond& bond = scene.mol.bonds.at(0);
    ASSERT_TRUE(bond.split);
    const Point2 a = scene.Screen(-0.35), b = scene.Screen(0.35);
    EXPECT_TRUE(BrightestNear(scene.picture.Render(), a).Grey());
    EXPECT_TRUE(BrightestNear(scene.picture.Render(), b).Red());
    // Without the flag the whole bond takes the first atom's colour; sticks split the same way.
    bond.split = false;
    EXPECT_TRUE(BrightestNear(scene.picture.Render(), b).Grey());
    bond.split = true;
    scene.view.SetRenderMode(kSticks);
    EXPECT_TRUE(BrightestNear(scene.picture.Render(), a).Grey());
    EXPECT_TRUE(BrightestNear(scene.picture.Render(), b).Red());
}

TEST(Pictures, SolventOffHidesHeteroAtomsAndBondsInEveryMode) {
    // A bonded pair of protein atoms on the left, a bonded hetero pair on the right.
    Scene scene(AtomLine(1, " CA", -5) + AtomLine(2, " C", -3.5) +
                    AtomLine(3, " C1", 3.5, 0, "HETATM", "EOH") +
                    AtomLine(4, " O", 5, 0, "HETATM", "EOH"),
                kWireFrame, 12);
    ASSERT_TRUE(scene.mol.bonds.at(1).hetero);
    const int middle = static_cast<int>(scene.AtomAt(1).x + scene.AtomAt(2).x) / 2;
    for (int mode = kWireFrame; mode <= kBallAndStick; ++mode) {
        scene.view.SetRenderMode(mode);
        scene.mol.solvent = true;
        EXPECT_GT(Lit(scene.picture.Render(), middle).count, 0) << "mode " << mode;
        scene.mol.solvent = false;
        const DibImage image = scene.picture.Render();
        EXPECT_EQ(Lit(image, middle).count, 0) << "mode " << mode;
        EXPECT_GT(Lit(image, 0, middle).count, 0) << "mode " << mode;
    }
}

TEST(Pictures, TrajectoryFrameIsDrawnWhereItsCoordinatesAre) {
    // Model 1 is a square centred on the origin; model 2 is the same square moved 4 Å along x.
    std::string records;
    for (const double dx : {0, 4})
        records += "MODEL     " + std::to_string(int(dx) / 4 + 1) + "\n" +
                   AtomLine(1, " C", dx - 1.5) + AtomLine(2, " C", dx + 1.5) +
                   AtomLine(3, " C", dx, -1.5) + AtomLine(4, " C", dx, 1.5) + "ENDMDL\n";
    Scene scene(records, kCpk, 12, true);
    ASSERT_EQ(scene.mol.frames.Count(), 1); // model 2 is a frame, not more atoms
    const Point2 p0 = scene.Screen(0), p1 = scene.Screen(4);
    ASSERT_GT(p1.x - p0.x, 20); // a move the picture can resolve
    scene.doc.SetFrame(0);
    const LitStats atoms = Lit(scene.picture.Render());
    scene.doc.SetFrame(1);
    const LitStats frame = Lit(scene.picture.Render());
    EXPECT_NEAR(atoms.cx, p0.x, 3);
    EXPECT_NEAR(frame.cx, p1.x, 3);
    EXPECT_NEAR(frame.cy, atoms.cy, 2);
    EXPECT_NEAR(frame.count, atoms.count, atoms.count / 20);
}

TEST(Pictures, ZeroLengthBondDrawsOnlyTheAtom) {
    Scene scene(AtomLine(1, " C", 0) + AtomLine(2, " C", 0), kSticks, 0);
    if (scene.mol.bonds.empty())
        scene.mol.bonds.push_back(Bond{0, 1, false, false});
    const DibImage image = scene.picture.Render();
    const Point2 centre = scene.AtomAt(0);
    const double radius =
        scene.Screen(scene.mol.atoms[0].x + scene.view.params.ballRadius).x - centre.x;
    ASSERT_GT(radius, 5);
    // A disc of the ball's radius around the atom, nothing else.
    const LitStats s = Lit(image);
    EXPECT_NEAR(double(s.count), M_PI * radius * radius, 0.15 * M_PI * radius * radius);
    EXPECT_NEAR(s.cx, centre.x, 1.5);
    EXPECT_NEAR(s.cy, centre.y, 1.5);
    EXPECT_GT(At(image, int(centre.x), int(centre.y)).Max(), 100);
}

TEST(Pictures, SpheresOffTheAxisShowTheirWholeOutline) {
    Scene scene(AtomLine(1, " C", 0), kCpk, 10);
    scene.mol.atoms[0].x = -5.0f; // the read put the lone atom at the centre of mass
    const DibImage image = scene.picture.Render();
    // In the eye's frame the sphere sits at (cx, 0, -4); its outline along the middle row is
    // where the lines of sight from the eye touch it.
    const Atom& atom = scene.mol.atoms[0];
    const double s = 4.0 / scene.view.params.sceneScale, cx = s * atom.x, r = s * atom.radius;
    const double centre = std::atan2(cx, 4), half = std::asin(r / std::hypot(cx, 4));
    auto column = [&](double a) { return ToScreen(scene.view, std::sin(a), 0, -std::cos(a)).x; };
    int first = -1, last = -1;
    for (int x = 0; x < image.width; ++x)
        if (At(image, x, image.height / 2).Max() > 8)
            first = first < 0 ? x : first, last = x;
    ASSERT_GT(column(centre + half) - column(centre - half), 40);
    EXPECT_NEAR(first, column(centre - half), 2.0);
    // The side toward the middle of the window is not cut away.
    EXPECT_NEAR(last, column(centre + half), 2.0);
}

TEST(Pictures, StereoDrawsEachEyeInItsHalfWithLitSpheres) {
    Scene crambin("", kCpk, 0);
    crambin.view.ToggleStereo();
    DibImage image = crambin.picture.Render();
    // The two eyes see nearly the same picture, each in its own half.
    const LitStats left = Lit(image, 0, 160), right = Lit(image, 160, 320);
    EXPECT_GT(std::min(left.count, right.count), 0.3 * 160 * 240);
    EXPECT_NEAR(right.cx - left.cx, 160, 25);

    // One sphere at the centre of each half: its front faces the eye, bright in the middle,
    // and it is round (a turned hemisphere would lose one side).
    Scene one(AtomLine(1, " C", 0), kCpk, 12);
    one.view.ToggleStereo();
    image = one.picture.Render();
    for (int half = 0; half < 2; ++half) {
        const LitStats s = Lit(image, 160 * half, 160 * half + 160);
        ASSERT_GT(s.count, 100) << "half " << half;
        EXPECT_NEAR(s.cx, 160 * half + 80, 1.5) << "half " << half;
        EXPECT_NEAR(s.cy, 120, 1.5) << "half " << half;
        const Pixel middle = At(image, 160 * half + 80, 120);
        EXPECT_TRUE(middle.Grey()) << "half " << half;
        EXPECT_GT(middle.Max(), 120) << "half " << half;
    }
}

} // namespace vorn
