// The molecular surface: case tables, quality, mesh shape and orientation, areas, reports and
// refusals.
#include "analysis/VornSurface.h"

#include "analysis/MarchingCubesTables.h"
#include "core/VornError.h"
#include "model/Molecule.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <numeric>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// A lone atom's surface lies where 1 / (1 + s³) = 0.475, s = (d / R)²: at d = 1.017 R.
const double kLoneScale = std::sqrt(std::cbrt(1 / 0.475 - 1));

Atom AtomAt(float x, float y, float z, float radius = 1.5f, bool hetero = false, int serial = 1) {
    Atom atom;
    atom.x = x, atom.y = y, atom.z = z, atom.radius = radius;
    atom.hetero = hetero, atom.serial = serial;
    return atom;
}

void Build(Molecule& mol) {
    mol.surface.BuildSurface(mol.atoms, mol.frames, mol.currentFrame, nullptr);
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
    mol.surface.GetAtomSurfaceArea(areas);
    return areas;
}

double TotalArea(const Molecule& mol) {
    const std::vector<float> areas = Areas(mol);
    return std::accumulate(areas.begin(), areas.end(), 0.0);
}

// Vertex normals more than 8° off the outward radial from c, and triangles turned inwards by
// their right-hand winding (welded slivers may tilt, so only a clear turn counts).
int InwardCount(const VornSurface& s, const float c[3]) {
    const auto cosine = [&](int v, const double n[3]) {
        const float* p = &s.vertices[3 * size_t(v)];
        const double r[3] = {p[0] - c[0], p[1] - c[1], p[2] - c[2]};
        return (r[0] * n[0] + r[1] * n[1] + r[2] * n[2]) / std::hypot(r[0], r[1], r[2]) /
               std::hypot(n[0], n[1], n[2]);
    };
    int inward = 0;
    for (int v = 0; v < s.VertexCount(); ++v) {
        const float* n = &s.normals[3 * size_t(v)];
        const double normal[3] = {n[0], n[1], n[2]};
        inward += cosine(v, normal) < 0.99;
    }
    for (size_t t = 0; t < s.triangles.size(); t += 3) {
        const float* a = &s.vertices[3 * size_t(s.triangles[t])];
        const float* b = &s.vertices[3 * size_t(s.triangles[t + 1])];
        const float* d = &s.vertices[3 * size_t(s.triangles[t + 2])];
        const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        const double w[3] = {d[0] - a[0], d[1] - a[1], d[2] - a[2]};
        const double n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2],
                             u[0] * w[1] - u[1] * w[0]};
        inward += cosine(s.triangles[t], n) < -0.5;
    }
    return inward;
}

// Connected pieces of a closed mesh, or -1 when it is empty or open (an edge not shared by
// exactly two triangles). Vertices that no triangle uses do not count.
int ClosedPieces(const VornSurface& s) {
    std::map<std::pair<int, int>, int> edges;
    std::map<int, int> parent;
    const std::function<int(int)> root = [&](int v) {
        return parent[v] == v ? v : parent[v] = root(parent[v]);
    };
    for (int v : s.triangles)
        parent[v] = v;
    for (size_t t = 0; t < s.triangles.size(); ++t) {
        const int a = s.triangles[t], b = s.triangles[t % 3 == 2 ? t - 2 : t + 1];
        ++edges[std::minmax(a, b)];
        parent[root(a)] = root(b);
    }
    for (const auto& edge : edges)
        if (edge.second != 2)
            return -1;
    int pieces = 0;
    for (const auto& [v, p] : parent)
        pieces += v == p;
    return edges.empty() ? -1 : pieces;
}

std::string ErrorOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const VornError& e) {
        return e.Source() + ": " + e.Message();
    }
    return "no error";
}

TEST(VornSurfaceTables, StandardTablesAndEveryRowMatchesItsCrossedEdges) {
    EXPECT_EQ(std::vector<int>(kEdgeTable, kEdgeTable + 4),
              (std::vector<int>{0x000, 0x109, 0x203, 0x30A}));
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
    VornSurface s;
    for (int quality = 0; quality <= 100; ++quality) {
        s.SetQuality(quality);
        EXPECT_EQ(s.Quality(), quality);
    }
    EXPECT_FLOAT_EQ(s.spacing, 0.1f);
    s.SetQuality(0);
    s.SetQuality(101); // out of range: ignored
    s.SetQuality(-1);
    EXPECT_FLOAT_EQ(s.spacing, 1.75f);
    s.SetQuality(70);
    EXPECT_FLOAT_EQ(s.spacing, 0.595f);
}

TEST(VornSurfaceMesh, LoneAtomIsAClosedOutwardSphereOfTheExpectedArea) {
    const float c[3] = {0.3f, -0.2f, 0.1f};
    // The finest grid within 1 %, the default within 4 %; a 3 Å probe reaches past the box cells.
    const double cases[][3] = {{100, 0, 0.01}, {70, 0, 0.04}, {70, 3, 0.01}}; // quality, probe, ±
    for (const auto& [quality, probe, tolerance] : cases) {
        SCOPED_TRACE(testing::Message() << quality << " " << probe);
        const Molecule mol = Surfaced({AtomAt(c[0], c[1], c[2])}, int(quality), float(probe));
        const double sphere = 4 * std::acos(-1.0) * std::pow((1.5 + probe) * kLoneScale, 2);
        EXPECT_EQ(ClosedPieces(mol.surface), 1);
        EXPECT_EQ(InwardCount(mol.surface, c), 0);
        EXPECT_NEAR(TotalArea(mol), sphere, tolerance * sphere);
    }
}

TEST(VornSurfaceMesh, DistantAtomsAndSolvent) {
    const double lone = TotalArea(Surfaced({AtomAt(0, 0, 0)}));
    const Molecule two = Surfaced({AtomAt(0, 0, 0), AtomAt(20, 0, 0, 1.5f, false, 2)});
    EXPECT_EQ(ClosedPieces(two.surface), 2);
    EXPECT_NEAR(Areas(two)[0], lone, 0.005 * lone);
    EXPECT_NEAR(Areas(two)[1], lone, 0.005 * lone);

    // A water oxygen 6 Å away: no surface and no area unless solvent is included.
    Molecule wet = Surfaced({AtomAt(0, 0, 0), AtomAt(6, 0, 0, 1.471f, true, 2)});
    EXPECT_EQ(Areas(wet)[1], 0.0f);
    EXPECT_EQ(ClosedPieces(wet.surface), 1);
    wet.surface.includeSolvent = true;
    Build(wet);
    EXPECT_GT(Areas(wet)[1], 25.0f);
    EXPECT_EQ(ClosedPieces(wet.surface), 2);
}

TEST(VornSurfaceMesh, NothingToSurfaceGivesAnEmptyValidSurface) {
    const float nan = std::nanf("");
    const std::vector<std::vector<Atom>> cases = {
        {},
        {AtomAt(0, 0, 0, 0.0f), AtomAt(1, 0, 0, 0.0f)},
        {AtomAt(0, 0, 0, 1.5f, true)},
        {AtomAt(nan, 0, 0), AtomAt(0, INFINITY, 0)},
    };
    for (size_t c = 0; c < cases.size(); ++c) {
        const Molecule mol = Surfaced(cases[c]);
        EXPECT_TRUE(mol.surface.valid) << "case " << c;
        EXPECT_EQ(mol.surface.TriangleCount(), 0) << "case " << c;
        EXPECT_EQ(TotalArea(mol), 0.0) << "case " << c;
    }
}

TEST(VornSurfaceErrors, RefusalsAndTheirMessages) {
    // A 1000 Å box at quality 100 would take 10^12 grid points, spacing 0 infinitely many: both
    // are refused before anything is allocated.
    Molecule huge = Surfaced({}, 100); // valid and empty until the refused build
    huge.atoms = {AtomAt(0, 0, 0), AtomAt(1000, 1000, 1000)};
    EXPECT_EQ(ErrorOf([&] { Build(huge); }), "VornSurface: Out of memory");
    EXPECT_FALSE(huge.surface.valid);
    huge.atoms.pop_back();
    huge.surface.spacing = 0;
    EXPECT_EQ(ErrorOf([&] { Build(huge); }), "VornSurface: Out of memory");
    EXPECT_EQ(ErrorOf([&] { Areas(huge); }),
              "VornSurface: Can not compute surface area for invalid surface");
}

// The "%d\t%f" lines of a report, their sum and the total of its closing line.
struct Report {
    std::vector<int> ids;
    double sum = 0, total = -1;
};

Report ParseReport(const std::string& text) {
    Report report;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        int id = 0;
        double area = 0;
        if (std::sscanf(line.c_str(), "%d\t%lf", &id, &area) == 2)
            report.ids.push_back(id), report.sum += area;
        std::sscanf(line.c_str(), "# Total Surface Area = %lf", &report.total);
    }
    return report;
}

TEST(VornSurfaceReport, ResidueAndAtomReportsSumToTheirTotals) {
    Molecule mol;
    mol.atoms = {AtomAt(0, 0, 0, 1.5f, false, 11), AtomAt(1.5f, 0, 0, 1.7f, false, 12),
                 AtomAt(12, 0, 0, 1.5f, false, 13), AtomAt(0, 8, 0, 1.5f, true, 14)};
    Chain& chain = mol.chains.emplace_back();
    chain.residues.resize(2);
    chain.residues[0].number = 7, chain.residues[0].atoms.Append(0);
    chain.residues[0].atoms.Append(1);
    chain.residues[1].number = 9, chain.residues[1].atoms.Append(2);

    const std::string text = SurfaceAreaReport(mol, true, nullptr);
    EXPECT_NE(text.find("\r\n###################################\n# Total Surface Area = "),
              std::string::npos);
    const Report residues = ParseReport(text);
    EXPECT_FALSE(mol.surface.valid); // a molecule without a surface is left without one
    EXPECT_TRUE(mol.surface.vertices.empty());
    EXPECT_EQ(residues.ids, (std::vector<int>{7, 9}));
    EXPECT_NEAR(residues.sum, residues.total, 2e-6);

    Build(mol);
    const Report atoms = ParseReport(SurfaceAreaReport(mol, false, nullptr));
    EXPECT_TRUE(mol.surface.valid);
    EXPECT_EQ(atoms.ids, (std::vector<int>{11, 12, 13, 14}));
    EXPECT_NEAR(atoms.sum, atoms.total, 4e-6);
    EXPECT_NEAR(atoms.total, residues.total, 1e-5);
    EXPECT_STREQ(kResidueAreaTitle, "Residue Surface Areas (in Angstrom^2)");
    EXPECT_STREQ(kAtomAreaTitle, "Atomic Surface Areas (in Angstrom^2)");
}

} // namespace
