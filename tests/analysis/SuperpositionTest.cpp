// Superposition: the closed-form eigen system, the Kabsch rotation, aligning molecules and RMSD.
#include "analysis/Superposition.h"

#include "core/VornError.h"
#include "model/Molecule.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

using Point = std::array<double, 3>;

// A unit quaternion turning by angle (radians) about the given axis.
Quaternion Turn(double angle, Point axis) {
    const double n = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
    const double s = std::sin(angle / 2) / n;
    return {float(axis[0] * s), float(axis[1] * s), float(axis[2] * s), float(std::cos(angle / 2))};
}

Point Rotate(const Quaternion& q, const Point& p) {
    MotionState state;
    state.rotation = q;
    const Matrix3 r = DisplayRotation(state);
    return {r[0][0] * p[0] + r[0][1] * p[1] + r[0][2] * p[2],
            r[1][0] * p[0] + r[1][1] * p[1] + r[1][2] * p[2],
            r[2][0] * p[0] + r[2][1] * p[1] + r[2][2] * p[2]};
}

Molecule MoleculeOf(const std::vector<Point>& points, float mass = 12.011f) {
    Molecule mol;
    for (const Point& p : points) {
        Atom& atom = mol.atoms.emplace_back();
        atom.x = float(p[0]), atom.y = float(p[1]), atom.z = float(p[2]), atom.mass = mass;
    }
    return mol;
}

std::vector<int> AllAtoms(const Molecule& mol) {
    std::vector<int> list;
    for (int i = 0; i < mol.AtomCount(); ++i)
        list.push_back(i);
    return list;
}

std::string AlignMessage(const std::vector<Point>& a, const std::vector<Point>& b) {
    Molecule ma = MoleculeOf(a), mb = MoleculeOf(b);
    try {
        AlignMolecules(ma, mb, AllAtoms(ma), AllAtoms(mb), true);
    } catch (const VornError& e) {
        EXPECT_EQ(e.Source(), "kabsch");
        return e.Message();
    }
    return "aligned";
}

void ExpectEigenSystem(const double m[3][3], const double expected[3]) {
    EigenSystem e;
    ASSERT_TRUE(DiagonalizeSymmetric3(m, e));
    std::vector<double> values(e.values, e.values + 3), sorted(expected, expected + 3);
    std::sort(values.begin(), values.end()), std::sort(sorted.begin(), sorted.end());
    for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(values[k], sorted[k], 1e-9) << k;
    for (int k = 0; k < 3; ++k)
        for (int i = 0; i < 3; ++i) {
            const double mv =
                m[i][0] * e.vectors[0][k] + m[i][1] * e.vectors[1][k] + m[i][2] * e.vectors[2][k];
            EXPECT_NEAR(mv, e.values[k] * e.vectors[i][k], 1e-9) << k << "," << i;
        }
    for (int k = 0; k < 3; ++k)
        for (int l = 0; l < 3; ++l) {
            double dot = 0;
            for (int i = 0; i < 3; ++i)
                dot += e.vectors[i][k] * e.vectors[i][l];
            EXPECT_NEAR(dot, k == l ? 1.0 : 0.0, 1e-9) << k << "," << l;
        }
}

TEST(Superposition, DiagonalMatrixTakesTheShortcut) {
    const double m[3][3] = {{5, 5e-8, 0}, {5e-8, 2, -5e-8}, {0, -5e-8, 7}};
    EigenSystem e;
    ASSERT_TRUE(DiagonalizeSymmetric3(m, e));
    const double values[3] = {5, 2, 7};
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(e.values[k], values[k]);
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(e.vectors[i][k], i == k ? 1.0 : 0.0);
}

TEST(Superposition, EachClosedFormCaseFindsTheKnownEigenSystem) {
    const double upper[3][3] = {{2, 1, 0}, {1, 2, 0}, {0, 0, 5}};
    const double upperValues[3] = {1, 3, 5};
    ExpectEigenSystem(upper, upperValues);
    const double lower[3][3] = {{5, 0, 0}, {0, 2, 1}, {0, 1, 2}};
    ExpectEigenSystem(lower, upperValues);
    const double tri[3][3] = {{2, 1, 0}, {1, 2, 1}, {0, 1, 2}};
    const double triValues[3] = {2 - std::sqrt(2.0), 2, 2 + std::sqrt(2.0)};
    ExpectEigenSystem(tri, triValues);
    // Q·diag(1, 2, 3)·Qᵀ with the reflection Q = I − 2vvᵀ/|v|², v = (1, 1, 1): no zero element.
    double general[3][3];
    const double q[3][3] = {{1 / 3.0, -2 / 3.0, -2 / 3.0},
                            {-2 / 3.0, 1 / 3.0, -2 / 3.0},
                            {-2 / 3.0, -2 / 3.0, 1 / 3.0}};
    const double d[3] = {1, 2, 3};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            general[i][j] =
                q[i][0] * d[0] * q[j][0] + q[i][1] * d[1] * q[j][1] + q[i][2] * d[2] * q[j][2];
    ExpectEigenSystem(general, d);
    // An eigenvector in the xy plane, (1, −1, 0), which the closed form with z = 1 cannot give.
    const double flat[3][3] = {{2, 1, 1}, {1, 2, 1}, {1, 1, -2}};
    const double flatValues[3] = {1, (1 - std::sqrt(33.0)) / 2, (1 + std::sqrt(33.0)) / 2};
    ExpectEigenSystem(flat, flatValues);
    // A double eigenvalue leaves the closed-form vectors of its plane undetermined.
    const double twice[3][3] = {{2, 1, 1}, {1, 2, 1}, {1, 1, 2}};
    const double twiceValues[3] = {1, 1, 4};
    ExpectEigenSystem(twice, twiceValues);
}

TEST(Superposition, CollinearPairsFailAndPlanarOnesAlign) {
    EXPECT_EQ(AlignMessage({{0, 0, 0}, {1, 1, 1}, {3, 3, 3}}, {{1, 0, 0}, {2, 0, 0}, {4, 0, 0}}),
              "Zero eigen values in kabsch: Colinear molecules are not currently allowed.");
    EXPECT_EQ(AlignMessage({}, {}),
              "Zero eigen values in kabsch: Colinear molecules are not currently allowed.");
    // A scalene triangle and an equilateral one (two equal eigenvalues), turned and shifted.
    const Quaternion q = Turn(1.1, {1, -2, 0.5});
    for (const std::vector<Point>& a :
         {std::vector<Point>{{0, 0, 0}, {3, 0, 0}, {1, 2, 0}},
          std::vector<Point>{{1, 0, 0}, {-0.5, std::sqrt(0.75), 0}, {-0.5, -std::sqrt(0.75), 0}}}) {
        std::vector<Point> b;
        for (const Point& p : a) {
            const Point r = Rotate(q, p);
            b.push_back({r[0] + 4, r[1] - 1, r[2] + 2});
        }
        Molecule ma = MoleculeOf(a), mb = MoleculeOf(b);
        AlignMolecules(ma, mb, AllAtoms(ma), AllAtoms(mb), false);
        EXPECT_NEAR(ComputeRmsd(ma, mb, AllAtoms(ma), AllAtoms(mb), false), 0, 1e-5);
    }
}

// Three atoms within a few hundredths of an Ångström of one line: the fit is barely defined,
// but whatever it does must keep B rigid.
TEST(Superposition, NearlyCollinearPairsStillMoveBRigidly) {
    std::vector<Point> points;
    for (const double s : {-12.0, 3.0, 14.0})
        points.push_back({1 + 0.6 * s, 2 - 0.3 * s, 3 + 0.7 * s});
    points[0][0] += 0.02, points[1][0] -= 0.03, points[2][0] += 0.01;
    points.push_back({6, 2, 3}); // off the line, not listed
    Molecule a = MoleculeOf(points), b = MoleculeOf(points);
    b.motion.rotation = Turn(1.3, {1, 2, -1});
    const std::vector<int> list = {0, 1, 2};
    AlignMolecules(a, b, list, list, false);
    EXPECT_LT(ComputeRmsd(a, b, list, list, false), 0.03); // the size of the offsets
    for (int i = 0; i < 3; ++i) {
        const float dx = b.atoms[3].x - b.atoms[i].x, dy = b.atoms[3].y - b.atoms[i].y,
                    dz = b.atoms[3].z - b.atoms[i].z;
        const double distance = std::sqrt(dx * dx + dy * dy + dz * dz);
        const Point& p = points[size_t(i)];
        const double original =
            std::sqrt((6 - p[0]) * (6 - p[0]) + (2 - p[1]) * (2 - p[1]) + (3 - p[2]) * (3 - p[2]));
        EXPECT_NEAR(distance, original, 1e-4) << i;
    }
}

TEST(Superposition, IdenticalCoordinatesGiveTheIdentityAndNoDeviation) {
    // An octahedron: three equal eigenvalues.
    const std::vector<Point> points = {{2, 0, 0},  {-2, 0, 0}, {0, 2, 0},
                                       {0, -2, 0}, {0, 0, 2},  {0, 0, -2}};
    Molecule a = MoleculeOf(points), b = MoleculeOf(points);
    AlignMolecules(a, b, AllAtoms(a), AllAtoms(b), true);
    for (size_t i = 0; i < points.size(); ++i) {
        EXPECT_EQ(b.atoms[i].x, a.atoms[i].x) << i;
        EXPECT_EQ(b.atoms[i].y, a.atoms[i].y) << i;
        EXPECT_EQ(b.atoms[i].z, a.atoms[i].z) << i;
    }
    EXPECT_EQ(b.motion.translation[0], 0.0f);
    EXPECT_EQ(ComputeRmsd(a, b, AllAtoms(a), AllAtoms(b), true), 0.0);
}

// A random cloud; B is A turned and shifted, shown through a motion state of its own.
TEST(Superposition, AlignmentRecoversATurnAndShiftWhateverBsMotion) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coordinate(-10, 10);
    std::vector<Point> cloud(40);
    for (Point& p : cloud)
        p = {coordinate(random), coordinate(random), coordinate(random)};
    const Quaternion q = Turn(2.3, {0.3, 1, -0.7});
    std::vector<Point> moved;
    for (const Point& p : cloud) {
        const Point r = Rotate(q, p);
        moved.push_back({r[0] - 5, r[1] + 12, r[2] + 3});
    }
    Molecule a = MoleculeOf(cloud), b = MoleculeOf(moved);
    a.motion.translation[0] = 1.5f;
    b.motion.rotation = Turn(0.8, {1, 1, 0});
    b.motion.translation[2] = -4.0f;
    const std::vector<int> list = AllAtoms(a);
    EXPECT_GT(ComputeRmsd(a, b, list, list, true), 1.0);
    AlignMolecules(a, b, list, list, true);
    EXPECT_NEAR(ComputeRmsd(a, b, list, list, true), 0, 1e-5);
    for (int i = 0; i < a.AtomCount(); ++i)
        for (size_t c = 0; c < 3; ++c)
            EXPECT_NEAR(DisplayPosition(b, i)[c], DisplayPosition(a, i)[c], 1e-4);
    EXPECT_FLOAT_EQ(b.motion.rotation.x, Turn(0.8, {1, 1, 0}).x); // the motion state stays

    // B showing a trajectory frame: only that frame moves.
    Molecule c = MoleculeOf(moved);
    std::vector<float> frame;
    for (const Point& p : cloud)
        for (double v : Rotate(q, p))
            frame.push_back(float(v));
    c.frames.Insert(0, frame);
    c.currentFrame = 1;
    AlignMolecules(a, c, list, list, false);
    EXPECT_NEAR(ComputeRmsd(a, c, list, list, false), 0, 1e-5);
    EXPECT_EQ(c.atoms[0].x, float(moved[0][0]));
}

TEST(Superposition, MassWeightingUsesTheMeanMassOfAPair) {
    Molecule a = MoleculeOf({{0, 0, 0}, {5, 0, 0}}), b = MoleculeOf({{1, 0, 0}, {5, 2, 0}});
    a.atoms[0].mass = 1.008f; // hydrogen paired with carbon
    const double w = (double(1.008f) + double(12.011f)) / 2, c = 12.011f;
    const std::vector<int> list = {0, 1}, longer = {0, 1, 0};
    EXPECT_NEAR(ComputeRmsd(a, b, list, longer, true), std::sqrt((w * 1 + c * 4) / (w + c)), 1e-12);
    EXPECT_NEAR(ComputeRmsd(a, b, list, list, false), std::sqrt(2.5), 1e-12);
    EXPECT_EQ(ComputeRmsd(a, b, {}, list, true), 0.0);
    try {
        ComputeRmsd(a, b, {0, 2}, list, true);
        ADD_FAILURE() << "an index past the atoms was read";
    } catch (const VornError& e) {
        EXPECT_EQ(e.Message(), "kabsch:: Atom index out of range");
    }
}

TEST(Superposition, KabschTurnsAFrameBackOntoTheReference) {
    const std::vector<Point> points = {{1, 2, -1}, {-3, 0.5, 2}, {2, -2.5, -1}, {0, 0, 0}};
    const Molecule reference = MoleculeOf(points);
    const Quaternion q = Turn(-0.9, {2, 1, 3});
    std::vector<float> frame;
    for (const Point& p : points)
        for (double v : Rotate(q, p))
            frame.push_back(float(v));
    const std::vector<float> weights = {12.011f, 14.007f, 15.999f, 1.008f};
    kabsch(reference.atoms, frame.data(), weights.data(), 4);
    for (size_t i = 0; i < points.size(); ++i)
        for (size_t c = 0; c < 3; ++c)
            EXPECT_NEAR(frame[3 * i + c], points[i][c], 1e-5);
    EXPECT_THROW(kabsch(reference.atoms, frame.data(), weights.data(), 5), VornError);
}

} // namespace
