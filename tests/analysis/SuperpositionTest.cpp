// Superposition: the closed-form eigen system, the Kabsch rotation, aligning molecules and RMSD.
#include "analysis/Superposition.h"

#include "RaisedError.h"
#include "core/VornError.h"
#include "model/Molecule.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numeric>
#include <string>
#include <vector>

namespace vorn {

namespace {

using Point = std::array<double, 3>;
using Points = std::vector<Point>;

Molecule MoleculeOf(const Points& points) {
    Molecule mol;
    for (const Point& p : points) {
        Atom& atom = mol.atoms.emplace_back();
        atom.x = float(p[0]), atom.y = float(p[1]), atom.z = float(p[2]), atom.mass = 12.011f;
    }
    return mol;
}

std::vector<int> All(const Molecule& mol) {
    std::vector<int> list(size_t(mol.AtomCount()));
    std::iota(list.begin(), list.end(), 0);
    return list;
}

TEST(Superposition, EachClosedFormCaseFindsTheKnownEigenSystem) {
    const double r2 = std::sqrt(2.0), r33 = std::sqrt(33.0);
    // Rows of the matrix, then its eigenvalues.
    const double cases[][4][3] = {
        {{5, 5e-8, 0}, {5e-8, 2, -5e-8}, {0, -5e-8, 7}, {2, 5, 7}}, // diagonal within 1e-7
        {{2, 1, 0}, {1, 2, 0}, {0, 0, 5}, {1, 3, 5}},               // upper block
        {{5, 0, 0}, {0, 2, 1}, {0, 1, 2}, {1, 3, 5}},               // lower block
        {{2, 1, 0}, {1, 2, 1}, {0, 1, 2}, {2 - r2, 2, 2 + r2}},     // tridiagonal
        // 81·Q·diag(1, 2, 3)·Qᵀ with the reflection Q = I − 2vvᵀ, v = (1, 2, 2) / 3.
        {{129, 60, 24}, {60, 210, -24}, {24, -24, 147}, {81, 162, 243}},
        {{2, 1, 1}, {1, 2, 1}, {1, 1, -2}, {(1 - r33) / 2, 1, (1 + r33) / 2}}, // (1, −1, 0)
        {{2, 1, 1}, {1, 2, 1}, {1, 1, 2}, {1, 1, 4}}, // a plane of eigenvectors for 1
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0][0]);
        EigenSystem e;
        ASSERT_TRUE(DiagonalizeSymmetric3(c, e));
        std::vector<double> values(e.values, e.values + 3);
        std::sort(values.begin(), values.end());
        for (size_t k = 0; k < 3; ++k) {
            EXPECT_NEAR(values[k], c[3][k], 1e-9);
            for (size_t i = 0; i < 3; ++i) {
                double mv = 0, dot = 0;
                for (size_t j = 0; j < 3; ++j)
                    mv += c[i][j] * e.vectors[j][k], dot += e.vectors[j][k] * e.vectors[j][i];
                EXPECT_NEAR(mv, e.values[k] * e.vectors[i][k], 1e-7) << k << i;
                EXPECT_NEAR(dot, i == k ? 1.0 : 0.0, 1e-9) << k << i;
            }
        }
    }
}

// Collinear pairs (two zero eigenvalues) fail; triangles (one zero) and identical sets align, and
// nearly collinear pairs move B rigidly.
TEST(Superposition, DegenerateShapes) {
    for (const Points& a : {Points{{0, 0, 0}, {1, 1, 1}, {3, 3, 3}}, Points{}}) {
        Molecule ma = MoleculeOf(a), mb = ma;
        mb.motion.rotation = {0, 0.6f, 0, 0.8f};
        EXPECT_EQ(SourcedErrorOf([&] { AlignMolecules(ma, mb, All(ma), All(mb), true); }),
                  "kabsch: Zero eigen values in kabsch: "
                  "Colinear molecules are not currently allowed.");
    }
    // A scalene triangle and an equilateral one (two equal eigenvalues), turned and shifted.
    const double h = std::sqrt(0.75);
    for (const Points& a : {Points{{0, 0, 0}, {3, 0, 0}, {1, 2, 0}},
                            Points{{1, 0, 0}, {-0.5, h, 0}, {-0.5, -h, 0}}}) {
        Molecule ma = MoleculeOf(a), mb = ma;
        mb.motion.rotation = {0.36f, 0.48f, -0.64f, 0.48f}, mb.motion.translation[1] = 4;
        AlignMolecules(ma, mb, All(ma), All(mb), false);
        EXPECT_NEAR(ComputeRmsd(ma, mb, All(ma), All(mb), false), 0, 1e-5);
    }
    // An octahedron (three equal eigenvalues) onto itself: B stays put, to the last bit.
    Molecule a = MoleculeOf({{2, 0, 0}, {-2, 0, 0}, {0, 2, 0}, {0, -2, 0}, {0, 0, 2}, {0, 0, -2}});
    Molecule b = a;
    AlignMolecules(a, b, All(a), All(b), true);
    EXPECT_EQ(ComputeRmsd(a, b, All(a), All(b), true), 0.0);

    // The first three a few hundredths off one line: the fit is barely defined, B stays rigid.
    a = MoleculeOf({{-6.18, 5.6, -5.4}, {2.77, 1.1, 5.1}, {9.41, -2.2, 12.8}, {6, 2, 3}});
    b = a;
    b.motion.rotation = {0.5f, 0.5f, -0.5f, 0.5f};
    const std::vector<int> list = {0, 1, 2};
    AlignMolecules(a, b, list, list, false);
    EXPECT_LT(ComputeRmsd(a, b, list, list, false), 0.03);
    auto d = [](const Atom& p, const Atom& q) {
        return std::hypot(p.x - q.x, p.y - q.y, p.z - q.z);
    };
    for (size_t i = 0; i < 3; ++i)
        EXPECT_NEAR(d(b.atoms[3], b.atoms[i]), d(a.atoms[3], a.atoms[i]), 1e-4) << i;
}

// B and C show A turned and shifted by motion states of their own; C shows a trajectory frame,
// and only that frame may move.
TEST(Superposition, AlignmentRecoversATurnAndShiftWhateverTheMotion) {
    Points cloud;
    for (int i = 0; i < 40; ++i)
        cloud.push_back({10 * std::sin(i), 10 * std::cos(3 * i), 10 * std::sin(7 * i + 1)});
    Molecule a = MoleculeOf(cloud), b = a, c = a;
    std::vector<float> frame;
    for (const Atom& t : a.atoms)
        frame.insert(frame.end(), {t.x, t.y, t.z});
    c.frames.Insert(0, frame);
    c.currentFrame = 1;
    const Quaternion turn{0.48f, -0.64f, 0.36f, 0.48f};
    a.motion.translation[0] = 1.5f;
    b.motion.rotation = c.motion.rotation = turn;
    b.motion.translation[2] = c.motion.translation[2] = -4.0f;
    const std::vector<int> list = All(a);
    AlignMolecules(a, b, list, list, true);
    EXPECT_NEAR(ComputeRmsd(a, b, list, list, true), 0, 1e-4);
    EXPECT_EQ(b.motion.rotation.x, turn.x); // the motion state stays
    AlignMolecules(a, c, list, list, false);
    EXPECT_NEAR(ComputeRmsd(a, c, list, list, false), 0, 1e-5);
    EXPECT_EQ(c.atoms[0].x, float(cloud[0][0]));
}

TEST(Superposition, MassWeightingUsesTheMeanMassOfAPair) {
    Molecule a = MoleculeOf({{0, 0, 0}, {5, 0, 0}}), b = MoleculeOf({{1, 0, 0}, {5, 2, 0}});
    a.atoms[0].mass = 1.008f; // hydrogen paired with carbon
    const double w = (double(1.008f) + double(12.011f)) / 2, c = 12.011f;
    const std::vector<int> list = {0, 1}, longer = {0, 1, 0};
    EXPECT_NEAR(ComputeRmsd(a, b, list, longer, true), std::sqrt((w * 1 + c * 4) / (w + c)), 1e-12);
    EXPECT_NEAR(ComputeRmsd(a, b, list, list, false), std::sqrt(2.5), 1e-12);
    EXPECT_EQ(ComputeRmsd(a, b, {}, list, true), 0.0);
    const std::vector<int> past = {0, 2};
    EXPECT_EQ(SourcedErrorOf([&] { ComputeRmsd(a, b, past, list, true); }),
              "kabsch: kabsch:: Atom index out of range");
    // The turn itself is checked where trajectory frames are aligned.
    std::vector<float> frame(9), weights(3, 1.0f);
    EXPECT_EQ(SourcedErrorOf([&] { kabsch(a.atoms, frame.data(), weights.data(), 3); }),
              "kabsch: kabsch:: More moving points than reference atoms");
}

} // namespace

} // namespace vorn
