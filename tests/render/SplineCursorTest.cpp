// The backbone spline: points through the alpha carbons, tension, guide points that keep a
// ribbon on one side, the ribbon frame and profile, broken backbones and trajectory frames.
#include "render/SplineCursor.h"

#include "../RaisedError.h"
#include "BackboneMolecule.h"
#include "render/Ribbons.h"
#include "render/ViewParameters.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace vorn {

namespace {

double Angle(const Vec3& a, const Vec3& b) {
    return std::acos(std::clamp(Dot(a, b) / (Length(a) * Length(b)), -1.0, 1.0)) * 180 / M_PI;
}

// A gently curving chain of n residues with oxygens to one side.
BackboneMolecule Wavy(int n) {
    BackboneMolecule b;
    b.NewChain();
    for (int k = 0; k < n; ++k) {
        const Vec3 ca = {3.8 * k, 2.0 * std::sin(k * 0.7), 0.5 * k};
        b.Add(ca, Add(ca, Vec3{0, 0.2, 1.2}));
    }
    return b;
}

// The ribbon points, five between alpha carbons, of one chain that build makes, in the profile of
// the mode.
template <typename Build>
std::vector<RibbonPoint> RibbonOf(Build build, int mode) {
    BackboneMolecule b;
    b.NewChain();
    build(b);
    SetRibbonProfile(b.mol, mode);
    return AllPoints<RibbonPoint>(SplineCursor(b.mol, 0, 5, 1.25f));
}

} // namespace

TEST(SplineCursor, RaisesOnBadResolutionAndChainNumbers) {
    const BackboneMolecule b = Wavy(5);
    EXPECT_EQ(SourcedErrorOf([&] { SplineCursor(b.mol, 0, -1, 1.25f); }),
              "VornView: Bad resolution");
    EXPECT_EQ(SourcedErrorOf([&] { SplineCursor(b.mol, -1, 5, 1.25f); }),
              "VornView: Bad chain number -- too small");
    EXPECT_EQ(SourcedErrorOf([&] { SplineCursor(b.mol, 1, 5, 1.25f); }),
              "VornView: Bad chain number -- too large");
    // The resolution is checked first.
    EXPECT_EQ(ErrorOf([&] { SplineCursor(b.mol, 7, -2, 1.25f); }), "Bad resolution");
    EXPECT_EQ(ErrorOf([&] { SplineCursor(b.mol, 0, 0, 1.25f); }), "no error");
}

TEST(SplineCursor, PassesThroughEachAlphaCarbonButTheLast) {
    const BackboneMolecule b = Wavy(8);
    // Resolution 3: four points per segment at t = 0, 1/4, 1/2, 3/4, the first on the segment's
    // alpha carbon, whose colour they take; resolution 0: the alpha carbons alone. The last is
    // never reached.
    for (int res : {3, 0}) {
        const auto points = AllPoints<TracePoint>(SplineCursor(b.mol, 0, res, 1.25f));
        ASSERT_EQ(points.size(), 7u * static_cast<unsigned>(res + 1));
        for (std::size_t k = 0; k < points.size(); ++k) {
            const int i = static_cast<int>(k) / (res + 1);
            EXPECT_FLOAT_EQ(points[k].t, float(k % std::size_t(res + 1)) / float(res + 1));
            EXPECT_EQ(points[k].atom, b.mol.chains[0].residues[std::size_t(i)].caIndex);
            if (k % std::size_t(res + 1) == 0) {
                EXPECT_LT(Length(Sub(Wide(points[k].position), b.AlphaCarbon(0, i))), 1e-5);
            }
        }
        EXPECT_GT(Length(Sub(Wide(points.back().position), b.AlphaCarbon(0, 7))), 0.5);
    }
    // Chains of fewer than four residues are too short for a spline.
    for (int n = 1; n <= 4; ++n) {
        const BackboneMolecule shortChain = Wavy(n);
        EXPECT_EQ(AllPoints<TracePoint>(SplineCursor(shortChain.mol, 0, 5, 1.25f)).size(),
                  n < 4 ? 0u : 18u);
        EXPECT_EQ(AllPoints<RibbonPoint>(SplineCursor(shortChain.mol, 0, 5, 1.25f)).size(),
                  n < 4 ? 0u : 18u);
    }
}

TEST(SplineCursor, TensionOutsideOneToThreeGivesTheCatmullRomSpline) {
    const BackboneMolecule b = Wavy(6);
    EXPECT_EQ(SplineCursor(b.mol, 0, 1, 5.0f).Tension(), 2.0f);
    EXPECT_EQ(SplineCursor(b.mol, 0, 1, 0.5f).Tension(), 2.0f);
    EXPECT_EQ(SplineCursor(b.mol, 0, 1, 1.0f).Tension(), 1.0f);
    EXPECT_EQ(SplineCursor(b.mol, 0, 1, 3.0f).Tension(), 3.0f);
    // Halfway between P1 and P2 the Catmull-Rom spline is (-P0 + 9·P1 + 9·P2 - P3) / 16 (the
    // second segment has all four control points inside the chain). Tension 1 bows the curve
    // further from the chord than 2 does, 3 less.
    const Vec3 p0 = b.AlphaCarbon(0, 0), p1 = b.AlphaCarbon(0, 1), p2 = b.AlphaCarbon(0, 2),
               p3 = b.AlphaCarbon(0, 3);
    const Vec3 expected = Scale(Add(Sub(Scale(Add(p1, p2), 9.0), p0), Scale(p3, -1.0)), 1.0 / 16);
    auto halfway = [&](float tension) {
        return Wide(AllPoints<TracePoint>(SplineCursor(b.mol, 0, 1, tension))[3].position);
    };
    EXPECT_LT(Length(Sub(halfway(5.0f), expected)), 1e-4);
    const Vec3 chord = Scale(Add(p1, p2), 0.5);
    EXPECT_GT(Length(Sub(halfway(1.0f), chord)), Length(Sub(expected, chord)) + 0.01);
    EXPECT_LT(Length(Sub(halfway(3.0f), chord)), Length(Sub(expected, chord)) - 0.01);
}

TEST(SplineCursor, HelixRibbonKeepsThePitchAndItsProfileAndAStrandItsSide) {
    auto points = RibbonOf([](BackboneMolecule& b) { AddHelix(b, 20); }, kSolidRibbon);
    ASSERT_EQ(points.size(), 19u * 6);
    // The centre line climbs 1.5 Å per 100 degrees, a pitch of 5.4 Å per turn, on a cylinder a
    // little inside the alpha carbons'. Away from the reflected ends each point of a segment is
    // the same point of the segment before, turned by 100 degrees and raised by 1.5 Å.
    const double turn = 100 * M_PI / 180;
    for (std::size_t k = 6; k + 12 < points.size(); ++k) {
        const Vec3 p = Wide(points[k].position), q = Wide(points[k + 6].position);
        const Vec3 turned = {p[0] * std::cos(turn) - p[1] * std::sin(turn),
                             p[0] * std::sin(turn) + p[1] * std::cos(turn), p[2] + 1.5};
        EXPECT_LT(Length(Sub(q, turned)), 1e-4) << "point " << k;
        EXPECT_GT(std::hypot(p[0], p[1]), 2.0) << "point " << k;
        EXPECT_LT(std::hypot(p[0], p[1]), 2.31) << "point " << k;
    }
    for (std::size_t k = 0; k < points.size(); ++k) {
        const RibbonPoint& p = points[k];
        // 2 Å wide and 1 Å thick in a helix; the normal is square to the width and the tangent.
        EXPECT_NEAR(Length(p.width), 1.0, 1e-4) << "point " << k;
        EXPECT_NEAR(Length(p.thickness), 0.5, 1e-4) << "point " << k;
        EXPECT_NEAR(Angle(Wide(p.width), Wide(p.thickness)), 90, 1e-3) << "point " << k;
        EXPECT_NEAR(Angle(Wide(p.tangent), Wide(p.thickness)), 90, 1e-3) << "point " << k;
        // The tangent is the direction of travel: that of the chord to the next point.
        if (k + 1 < points.size()) {
            const Vec3 chord = Sub(Wide(points[k + 1].position), Wide(p.position));
            EXPECT_LT(Angle(Wide(p.tangent), chord), 15) << "point " << k;
        }
    }

    points = RibbonOf([](BackboneMolecule& b) { AddStrand(b, 10); }, kFlatRibbon);
    ASSERT_EQ(points.size(), 9u * 6);
    // The oxygens alternate up and down; the guide points follow the first residue's side, so
    // the ribbon lies flat in the x-z plane, 4 Å wide, without a twist.
    const double side = points[0].width[2] > 0 ? 1 : -1;
    for (std::size_t k = 0; k < points.size(); ++k) {
        const Vec3 w = Wide(points[k].width);
        EXPECT_NEAR(Length(w), 2.0, 1e-4) << "point " << k;
        EXPECT_GT(side * w[2], 0.95 * Length(w)) << "point " << k;
    }
}

TEST(SplineCursor, OrientationAtomsOnTheBackboneLineKeepTheLastGuideDirection) {
    // A straight chain along x whose oxygens point along +y, except where they give no
    // direction: on the line of the backbone, on the alpha carbon itself, or everywhere.
    auto chain = [](auto orientation) {
        return RibbonOf(
            [&](BackboneMolecule& b) {
                for (int k = 0; k < 8; ++k) {
                    const Vec3 ca = {3.8 * k, 0, 0};
                    b.Add(ca, Add(ca, orientation(k)), kStrand);
                }
            },
            kSolidRibbon);
    };
    const Vec3 up = {0, 1.2, 0}, along = {1.2, 0, 0}, none = {0, 0, 0};
    auto someNone = [&](int k) { return k == 3 ? along : k == 5 ? none : up; };
    auto firstNone = [&](int k) { return k < 2 ? along : up; };
    for (const auto& points : {chain(someNone), chain(firstNone)}) {
        ASSERT_EQ(points.size(), 7u * 6);
        for (std::size_t k = 0; k < points.size(); ++k) {
            const Vec3 w = Wide(points[k].width);
            EXPECT_NEAR(Length(w), 2.0, 1e-4) << "point " << k;
            EXPECT_GT(w[1], 0.999 * Length(w)) << "point " << k;
        }
    }
    // With no direction anywhere the ribbon still has one, the same all along, square to x.
    const auto points = chain([&](int) { return along; });
    ASSERT_FALSE(points.empty());
    for (const RibbonPoint& p : points) {
        EXPECT_NEAR(Length(Wide(p.width)), 2.0, 1e-4);
        EXPECT_NEAR(Angle(Wide(p.width), {1, 0, 0}), 90, 1e-3);
        EXPECT_LT(Angle(Wide(p.width), Wide(points[0].width)), 1e-3);
        EXPECT_NEAR(Length(Wide(p.thickness)), 0.5, 1e-4);
    }
}

TEST(SplineCursor, WidthsAreInterpolatedAndNeverTurnNegative) {
    // Thick residues around thin ones: the interpolation undershoots between them.
    BackboneMolecule b;
    b.NewChain();
    AddStrand(b, 8, {0, 0, 0}, kCoil);
    const float widths[] = {2.2f, 0.2f, 0.2f, 2.2f, 2.2f, 0.2f, 0.2f, 2.2f};
    for (std::size_t k = 0; k < 8; ++k)
        b.mol.chains[0].residues[k].profileA = b.mol.chains[0].residues[k].profileB = widths[k];
    const auto points = AllPoints<RibbonPoint>(SplineCursor(b.mol, 0, 5, 1.25f));
    ASSERT_EQ(points.size(), 7u * 6);
    double least = 10;
    for (std::size_t k = 0; k < points.size(); ++k) {
        const double w = Length(Wide(points[k].width)), h = Length(Wide(points[k].thickness));
        least = std::min(least, w);
        EXPECT_LE(w, 2.5) << "point " << k;
        EXPECT_NEAR(w, h, 1e-4) << "point " << k; // a round tube stays round
        // The width points to the same side as at the start: never turned over by a negative
        // length.
        EXPECT_GT(Dot(Wide(points[k].width), Wide(points[0].width)), 0) << "point " << k;
        if (k % 6 == 0) { // at an alpha carbon, its own value
            EXPECT_NEAR(w, widths[k / 6], 1e-4) << "point " << k;
        }
    }
    EXPECT_LT(least, 0.19); // it did undershoot, and was held above zero
}

TEST(SplineCursor, PiecesAndTrajectoryFramesGiveTheirOwnPositions) {
    BackboneMolecule b = Wavy(10);
    // Frame 1 moves every atom 10 Å along x.
    std::vector<float> frame;
    for (const Atom& a : b.mol.atoms)
        frame.insert(frame.end(), {a.x + 10, a.y, a.z});
    b.mol.frames.Append(frame);
    const auto own = AllPoints<TracePoint>(SplineCursor(b.mol, 0, 2, 1.25f, 0, {2, 3, 4, 5, 6}));
    const auto moved = AllPoints<TracePoint>(SplineCursor(b.mol, 0, 2, 1.25f, 1, {2, 3, 4, 5, 6}));
    ASSERT_EQ(own.size(), 4u * 3);
    ASSERT_EQ(moved.size(), own.size());
    EXPECT_LT(Length(Sub(Wide(own[0].position), b.AlphaCarbon(0, 2))), 1e-5);
    for (std::size_t k = 0; k < own.size(); ++k)
        EXPECT_LT(Length(Sub(Wide(moved[k].position), Add(Wide(own[k].position), {10, 0, 0}))),
                  1e-4);
    // The plain form follows the frame the molecule shows.
    b.mol.currentFrame = 1;
    EXPECT_NEAR(AllPoints<TracePoint>(SplineCursor(b.mol, 0, 0, 1.25f))[0].position[0],
                b.AlphaCarbon(0, 0)[0] + 10, 1e-4);
}

TEST(BackbonePieces, SplitAtBreaksAndLeaveOutStackedOrUnusableResidues) {
    BackboneMolecule b;
    b.NewChain();
    double x = 0;
    auto protein = [&](double step) {
        x += step;
        return b.Add({x, 0, 0}, {x, 1.2, 0});
    };
    protein(0);
    protein(3.8);
    protein(7.5); // one residue missing: bridged
    protein(8.5); // a break
    protein(3.8);
    protein(0.3); // the same place again: left out
    protein(3.8);
    const int lost = protein(3.8);
    protein(3.8);
    protein(3.8);
    b.Add({x + 11, 0, 0}, {x + 11, 1.2, 0}, kNucleicHelix, kNucleotideA);
    b.Add({x + 22, 0, 0}, {x + 22, 1.2, 0}, kNucleicHelix, kNucleotideA); // bridged: nucleic
    b.Add({x + 34.5, 0, 0}, {x + 34.5, 1.2, 0}, kNucleicHelix, kNucleotideA);
    b.mol.atoms[static_cast<std::size_t>(lost)].x = std::numeric_limits<float>::quiet_NaN();
    b.mol.chains[0].residues[9].orientIndex = 4000; // no such atom
    const std::vector<BackbonePiece> expected = {{0, 1, 2}, {3, 4, 6}, {8}, {10, 11}, {12}};
    EXPECT_EQ(BackbonePieces(b.mol, 0, ShownPositions(b.mol)), expected);
    // A protein residue next to a nucleotide is held to the protein's distance.
    b.mol.chains[0].residues[10].type = kAla;
    const std::vector<BackbonePiece> mixed = {{0, 1, 2}, {3, 4, 6}, {8}, {10}, {11}, {12}};
    EXPECT_EQ(BackbonePieces(b.mol, 0, ShownPositions(b.mol)), mixed);
}

} // namespace vorn
