// The molecular surface: case tables, quality, mesh shape and orientation, areas, reports and
// refusals.
#include "analysis/VornSurface.h"

#include "RaisedError.h"
#include "analysis/MarchingCubesTables.h"
#include "core/VornError.h"
#include "model/Molecule.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

namespace vorn {

namespace {

// A lone atom's surface lies where 1 / (1 + s³) = 0.475, s = (d / R)²: at d = 1.017 R.
const double kLoneScale = std::sqrt(std::cbrt(1 / 0.475 - 1));

Atom AtomAt(float x, float y, float z, float radius = 1.5f, bool hetero = false) {
    Atom atom;
    atom.x = x, atom.y = y, atom.z = z, atom.radius = radius, atom.hetero = hetero;
    return atom;
}

void Build(Molecule& mol) {
    BuildSurface(mol, nullptr);
}

Molecule Surfaced(std::vector<Atom> atoms, int quality = 70, float probe = 0) {
    Molecule mol;
    mol.atoms = std::move(atoms);
    mol.surface.SetQuality(quality);
    mol.surface.probeRadius = probe;
    Build(mol);
    return mol;
}

std::vector<float> Areas(const Molecule& mol) {
    std::vector<float> areas(mol.atoms.size());
    GetAtomSurfaceArea(mol.surface, areas);
    return areas;
}

double TotalArea(const Molecule& mol) {
    const std::vector<float> areas = Areas(mol);
    return std::accumulate(areas.begin(), areas.end(), 0.0);
}

using Vec = std::array<double, 3>;

Vec Diff(const float* p, const float* q) {
    return {p[0] - q[0], p[1] - q[1], p[2] - q[2]};
}

double Cosine(const Vec& a, const Vec& b) {
    return (a[0] * b[0] + a[1] * b[1] + a[2] * b[2]) / std::hypot(a[0], a[1], a[2]) /
           std::hypot(b[0], b[1], b[2]);
}

// Vertex normals more than 8° off the outward radial from c, and triangles turned inwards by
// their right-hand winding (welded slivers may tilt, so only a clear turn counts).
int InwardCount(const SurfaceMesh& s, const float c[3]) {
    const float origin[3] = {0, 0, 0};
    const auto at = [&](int v) { return &s.vertices[3 * size_t(v)]; };
    int inward = 0;
    for (int v = 0; v < s.VertexCount(); ++v)
        inward += Cosine(Diff(at(v), c), Diff(&s.normals[3 * size_t(v)], origin)) < 0.99;
    for (size_t t = 0; t < s.triangles.size(); t += 3) {
        const float* a = at(s.triangles[t]);
        const Vec u = Diff(at(s.triangles[t + 1]), a), w = Diff(at(s.triangles[t + 2]), a);
        const Vec n = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2],
                       u[0] * w[1] - u[1] * w[0]};
        inward += Cosine(Diff(a, c), n) < -0.5;
    }
    return inward;
}

// A mesh is closed when every edge is shared by exactly two triangles.
bool Closed(const SurfaceMesh& s) {
    std::map<std::pair<int, int>, int> edges;
    for (size_t t = 0; t < s.triangles.size(); ++t)
        ++edges[std::minmax(s.triangles[t], s.triangles[t % 3 == 2 ? t - 2 : t + 1])];
    return !edges.empty() &&
           std::all_of(edges.begin(), edges.end(), [](const auto& e) { return e.second == 2; });
}

TEST(VornSurfaceTables, StandardTablesAndEveryRowMatchesItsCrossedEdges) {
    EXPECT_EQ(std::vector<int>(kTriangleTable[1], kTriangleTable[1] + 4),
              (std::vector<int>{0, 8, 3, -1}));
    const int ends[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                             {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
    for (int c = 0; c < 256; ++c) {
        int crossed = 0, used = 0, n = 0;
        for (int e = 0; e < 12; ++e)
            crossed |= (((c >> ends[e][0]) ^ (c >> ends[e][1])) & 1) << e;
        for (; kTriangleTable[c][n] != -1; ++n)
            used |= 1 << kTriangleTable[c][n];
        EXPECT_EQ(kEdgeTable[c], crossed) << "case " << c;
        EXPECT_EQ(used, crossed) << "case " << c;
        EXPECT_EQ(n % 3, 0) << "case " << c;
    }
}

TEST(VornSurfaceSettings, QualityBothWays) {
    SurfaceMesh s;
    for (int quality = 0; quality <= 100; ++quality) {
        s.SetQuality(quality);
        EXPECT_EQ(s.Quality(), quality);
    }
    EXPECT_FLOAT_EQ(s.spacing, 0.1f);
    s.SetQuality(0), s.SetQuality(101), s.SetQuality(-1); // out of range: ignored
    EXPECT_FLOAT_EQ(s.spacing, 1.75f);
}

TEST(VornSurfaceMesh, LoneAtomIsAClosedOutwardSphereOfTheExpectedArea) {
    const float c[3] = {0.3f, -0.2f, 0.1f};
    // The finest grid within 1 %, the default within 4 %; a 3 Å probe reaches past the box cells.
    const double cases[][3] = {{100, 0, 0.01}, {70, 0, 0.04}, {70, 3, 0.01}}; // quality, probe, ±
    for (const auto& [quality, probe, tolerance] : cases) {
        SCOPED_TRACE(testing::Message() << quality << " " << probe);
        const Molecule mol = Surfaced({AtomAt(c[0], c[1], c[2])}, int(quality), float(probe));
        const double sphere = 4 * std::acos(-1.0) * std::pow((1.5 + probe) * kLoneScale, 2);
        EXPECT_TRUE(Closed(mol.surface));
        EXPECT_EQ(InwardCount(mol.surface, c), 0);
        EXPECT_NEAR(TotalArea(mol), sphere, tolerance * sphere);
    }
}

TEST(VornSurfaceMesh, DistantAtomsAndSolvent) {
    const double lone = TotalArea(Surfaced({AtomAt(0, 0, 0)}));
    const Molecule two = Surfaced({AtomAt(0, 0, 0), AtomAt(20, 0, 0)});
    EXPECT_TRUE(Closed(two.surface));
    for (float area : Areas(two))
        EXPECT_NEAR(area, lone, 0.005 * lone);

    // A water oxygen 6 Å away: no surface and no area unless solvent is included.
    Molecule wet = Surfaced({AtomAt(0, 0, 0), AtomAt(6, 0, 0, 1.471f, true)});
    EXPECT_EQ(Areas(wet)[1], 0.0f);
    EXPECT_NEAR(TotalArea(wet), lone, 0.005 * lone);
    wet.surface.includeSolvent = true;
    Build(wet);
    EXPECT_TRUE(Closed(wet.surface));
    EXPECT_GT(Areas(wet)[1], 25.0f);
}

TEST(VornSurfaceMesh, NothingToSurfaceGivesAnEmptyValidSurface) {
    const float nan = std::nanf("");
    const std::vector<std::vector<Atom>> cases = {{},
                                                  {AtomAt(0, 0, 0, 0.0f), AtomAt(1, 0, 0, 0.0f)},
                                                  {AtomAt(0, 0, 0, 1.5f, true)},
                                                  {AtomAt(nan, 0, 0), AtomAt(0, INFINITY, 0)}};
    for (size_t c = 0; c < cases.size(); ++c) {
        const Molecule mol = Surfaced(cases[c]);
        EXPECT_TRUE(mol.surface.valid && mol.surface.TriangleCount() == 0) << "case " << c;
    }
}

TEST(VornSurfaceErrors, RefusalsAndTheirMessages) {
    // A 1000 Å box at quality 100 would take 10^12 grid points, spacing 0 infinitely many: both
    // are refused before anything is allocated, and the surface built before stays.
    Molecule huge = Surfaced({AtomAt(0, 0, 0)}, 100);
    const size_t triangles = huge.surface.triangles.size();
    huge.atoms.push_back(AtomAt(1000, 1000, 1000));
    EXPECT_EQ(SourcedErrorOf([&] { Build(huge); }), "VornSurface: Out of memory");
    EXPECT_TRUE(huge.surface.valid);
    EXPECT_EQ(huge.surface.triangles.size(), triangles);
    huge.atoms.pop_back();
    huge.surface.spacing = 0;
    EXPECT_EQ(SourcedErrorOf([&] { Build(huge); }), "VornSurface: Out of memory");
    huge.surface.DestroySurface();
    EXPECT_EQ(SourcedErrorOf([&] { Areas(huge); }),
              "VornSurface: Can not compute surface area for invalid surface");
}

// Lines and totals are pinned on real files by the command line's area reports.
TEST(VornSurfaceReport, ATemporarySurfaceIsDestroyedAndABuiltOneKept) {
    Molecule mol;
    mol.atoms = {AtomAt(0, 0, 0), AtomAt(1.5f, 0, 0, 1.7f)};
    const std::string report = SurfaceAreaReport(mol, false, nullptr);
    EXPECT_FALSE(mol.surface.valid);
    EXPECT_TRUE(mol.surface.vertices.empty());
    Build(mol);
    EXPECT_EQ(SurfaceAreaReport(mol, false, nullptr), report);
    EXPECT_TRUE(mol.surface.valid);
}

} // namespace

} // namespace vorn
