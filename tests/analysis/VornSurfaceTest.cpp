// The molecular surface: case tables, quality, field, mesh shape and orientation, areas, reports
// and refusals.
#include "analysis/VornSurface.h"

#include "analysis/MarchingCubesTables.h"
#include "core/VornError.h"
#include "model/Molecule.h"
#include "model/UiHost.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <numeric>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979;
// A lone atom's surface lies where 1 / (1 + s³) = 0.475, s = (d / R)².
const double kLoneScale = std::sqrt(std::cbrt(1 / 0.475 - 1));

Atom AtomAt(float x, float y, float z, float radius = 1.5f, bool hetero = false, int serial = 1) {
    Atom atom;
    atom.x = x, atom.y = y, atom.z = z, atom.radius = radius;
    atom.hetero = hetero, atom.serial = serial;
    return atom;
}

Molecule MoleculeOf(std::vector<Atom> atoms, int quality = 70) {
    Molecule mol;
    mol.atoms = std::move(atoms);
    mol.surface.SetQuality(quality);
    return mol;
}

void Build(Molecule& mol, UiHost* ui = nullptr) {
    mol.surface.BuildSurface(mol.atoms, mol.frames, mol.currentFrame, ui);
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

const float* Vertex(const VornSurface& s, int v) {
    return &s.vertices[3 * size_t(v)];
}

// Every edge of a closed mesh is shared by exactly two triangles.
bool Closed(const VornSurface& s) {
    std::map<std::pair<int, int>, int> edges;
    for (size_t t = 0; t < s.triangles.size(); t += 3)
        for (size_t k = 0; k < 3; ++k) {
            const int a = s.triangles[t + k], b = s.triangles[t + (k + 1) % 3];
            ++edges[{std::min(a, b), std::max(a, b)}];
        }
    for (const auto& edge : edges)
        if (edge.second != 2)
            return false;
    return !edges.empty();
}

// Cosines between the right-hand normal of each triangle and its three vertex normals.
std::vector<std::array<double, 3>> WindingCosines(const VornSurface& s) {
    std::vector<std::array<double, 3>> out;
    for (size_t t = 0; t < s.triangles.size(); t += 3) {
        const float *a = Vertex(s, s.triangles[t]), *b = Vertex(s, s.triangles[t + 1]),
                    *c = Vertex(s, s.triangles[t + 2]);
        const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        const double w[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        const double n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2],
                             u[0] * w[1] - u[1] * w[0]};
        const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        std::array<double, 3>& cosines = out.emplace_back();
        for (size_t k = 0; k < 3; ++k) {
            const float* normal = &s.normals[3 * size_t(s.triangles[t + k])];
            cosines[k] = (n[0] * normal[0] + n[1] * normal[1] + n[2] * normal[2]) / length;
        }
    }
    return out;
}

// Connected pieces of the mesh (vertices that no triangle uses do not count).
int Components(const VornSurface& s) {
    std::vector<int> parent(size_t(s.VertexCount()));
    std::iota(parent.begin(), parent.end(), 0);
    auto root = [&](int v) {
        while (parent[size_t(v)] != v)
            v = parent[size_t(v)] = parent[size_t(parent[size_t(v)])];
        return v;
    };
    std::vector<bool> used(parent.size(), false);
    for (size_t t = 0; t < s.triangles.size(); t += 3)
        for (size_t k = 0; k < 3; ++k) {
            used[size_t(s.triangles[t + k])] = true;
            parent[size_t(root(s.triangles[t + k]))] = root(s.triangles[t]);
        }
    int count = 0;
    for (int v = 0; v < s.VertexCount(); ++v)
        count += used[size_t(v)] && root(v) == v;
    return count;
}

std::string ErrorOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const VornError& e) {
        return e.Source() + ": " + e.Message();
    }
    return "no error";
}

struct ProgressHost : UiHost {
    void BeginProgress(int steps) override { calls.push_back("begin " + std::to_string(steps)); }
    void SetProgress(int position) override { positions.push_back(position); }
    void EndProgress() override { calls.push_back("end"); }
    std::vector<std::string> calls;
    std::vector<int> positions;
};

TEST(VornSurfaceTables, StandardTablesAndEveryRowMatchesItsCrossedEdges) {
    EXPECT_EQ(kEdgeTable[0], 0x000);
    EXPECT_EQ(kEdgeTable[1], 0x109);
    EXPECT_EQ(kEdgeTable[2], 0x203);
    EXPECT_EQ(kEdgeTable[3], 0x30A);
    EXPECT_EQ(kEdgeTable[4], 0x406);
    EXPECT_EQ(kEdgeTable[5], 0x50F);
    EXPECT_EQ(kEdgeTable[255], 0x000);
    EXPECT_EQ(kTriangleTable[0][0], -1);
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
    EXPECT_EQ(s.Quality(), 70);
    for (int quality = 0; quality <= 100; ++quality) {
        s.SetQuality(quality);
        EXPECT_EQ(s.Quality(), quality);
    }
    s.SetQuality(100);
    EXPECT_FLOAT_EQ(s.spacing, 0.1f);
    s.SetQuality(0);
    EXPECT_FLOAT_EQ(s.spacing, 1.75f);
    s.SetQuality(101);
    s.SetQuality(-1);
    EXPECT_FLOAT_EQ(s.spacing, 1.75f);
    s.SetQuality(70);
    EXPECT_FLOAT_EQ(s.spacing, 0.595f);
}

TEST(VornSurfaceField, LoneAtomLevelSaturationAndOutside) {
    // Three atoms on one spot: the sum stops at the first that passes the saturation.
    Molecule mol = MoleculeOf({AtomAt(0, 0, 0), AtomAt(0, 0, 0), AtomAt(0, 0, 0)});
    Build(mol);
    EXPECT_FLOAT_EQ(mol.surface.FieldValue(0, 0, 0), 1.0f);
    Molecule lone = MoleculeOf({AtomAt(1, 2, 3)});
    Build(lone);
    EXPECT_NEAR(lone.surface.FieldValue(1 + float(1.5 * kLoneScale), 2, 3), 0.475f, 1e-5);
    EXPECT_NEAR(lone.surface.FieldValue(1, 2 + 1.5f, 3), 0.5f, 1e-6);
    EXPECT_EQ(lone.surface.FieldValue(100, 2, 3), 0.0f);
}

// Mean distance of the vertices from the centre; every vertex normal must point away from it.
double MeanRadius(const VornSurface& s, const float centre[3]) {
    double sum = 0;
    for (int v = 0; v < s.VertexCount(); ++v) {
        const float* p = Vertex(s, v);
        const double d[3] = {p[0] - centre[0], p[1] - centre[1], p[2] - centre[2]};
        const double r = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        const float* n = &s.normals[3 * size_t(v)];
        EXPECT_GT((d[0] * n[0] + d[1] * n[1] + d[2] * n[2]) / r, 0.99) << "vertex " << v;
        EXPECT_EQ(s.vertexAtom[size_t(v)], 0);
        sum += r;
    }
    return sum / s.VertexCount();
}

TEST(VornSurfaceMesh, LoneAtomIsAClosedOutwardSphereOfTheExpectedArea) {
    const float centre[3] = {0.3f, -0.2f, 0.1f};
    const double sphere = 4 * kPi * std::pow(1.5 * kLoneScale, 2);
    // The finest grid: a sphere within 1 %, every triangle counter-clockwise from outside.
    Molecule fine = MoleculeOf({AtomAt(centre[0], centre[1], centre[2])}, 100);
    Build(fine);
    ASSERT_TRUE(fine.surface.valid);
    EXPECT_TRUE(Closed(fine.surface));
    EXPECT_EQ(Components(fine.surface), 1);
    EXPECT_NEAR(MeanRadius(fine.surface, centre), 1.5 * kLoneScale, 0.002);
    EXPECT_NEAR(TotalArea(fine), sphere, 0.01 * sphere);
    for (const auto& cosines : WindingCosines(fine.surface))
        EXPECT_GT(*std::min_element(cosines.begin(), cosines.end()), 0.5);

    // The default grid: coarser, a little smaller, and no triangle faces inwards.
    Molecule mol = MoleculeOf({AtomAt(centre[0], centre[1], centre[2])});
    ProgressHost host;
    Build(mol, &host);
    EXPECT_TRUE(Closed(mol.surface));
    EXPECT_NEAR(MeanRadius(mol.surface, centre), 1.5 * kLoneScale, 0.015);
    EXPECT_NEAR(TotalArea(mol), sphere, 0.04 * sphere);
    for (const auto& cosines : WindingCosines(mol.surface))
        EXPECT_GT(*std::max_element(cosines.begin(), cosines.end()), -0.5);
    // A wide probe: the atom's surface (4.58 Å out) is not cut off by the 3 Å box cells.
    Molecule wide = MoleculeOf({AtomAt(centre[0], centre[1], centre[2])});
    wide.surface.probeRadius = 3.0f;
    Build(wide);
    EXPECT_TRUE(Closed(wide.surface));
    const double wideSphere = 4 * kPi * std::pow(4.5 * kLoneScale, 2);
    EXPECT_NEAR(TotalArea(wide), wideSphere, 0.01 * wideSphere);

    EXPECT_EQ(host.calls, (std::vector<std::string>{"begin 200", "end"}));
    ASSERT_FALSE(host.positions.empty());
    EXPECT_TRUE(std::is_sorted(host.positions.begin(), host.positions.end()));
    EXPECT_EQ(host.positions.front(), 0);
    EXPECT_GE(host.positions.back(), 190);
    EXPECT_LT(host.positions.back(), 200);
}

TEST(VornSurfaceMesh, DistantAtomsAndSolventAndFrames) {
    Molecule one = MoleculeOf({AtomAt(0, 0, 0)});
    Build(one);
    Molecule two = MoleculeOf({AtomAt(0, 0, 0, 1.5f, false, 1), AtomAt(20, 0, 0, 1.5f, false, 2)});
    Build(two);
    EXPECT_EQ(Components(two.surface), 2);
    EXPECT_TRUE(Closed(two.surface));
    const std::vector<float> areas = Areas(two);
    EXPECT_NEAR(areas[0], TotalArea(one), 0.005 * TotalArea(one));
    EXPECT_NEAR(areas[1], TotalArea(one), 0.005 * TotalArea(one));

    // Beyond boxLargeExtent the box has boxMaxCells cells per axis; the welding grid widens too.
    Molecule far = MoleculeOf({AtomAt(0, 0, 0), AtomAt(0, 0, 700)});
    Build(far);
    EXPECT_EQ(Components(far.surface), 2);
    EXPECT_TRUE(Closed(far.surface));
    EXPECT_NEAR(TotalArea(far), 2 * TotalArea(one), 0.01 * TotalArea(one));

    // A water oxygen 6 Å away: no surface and no area unless solvent is included.
    Molecule wet = MoleculeOf({AtomAt(0, 0, 0), AtomAt(6, 0, 0, 1.471f, true, 2)});
    Build(wet);
    EXPECT_EQ(Areas(wet)[1], 0.0f);
    EXPECT_EQ(Components(wet.surface), 1);
    wet.surface.includeSolvent = true;
    Build(wet);
    EXPECT_GT(Areas(wet)[1], 25.0f);
    EXPECT_EQ(Components(wet.surface), 2);

    // Frame k − 1 is used when currentFrame is k.
    Molecule moved = MoleculeOf({AtomAt(0, 0, 0)});
    moved.frames.Append({50, 60, 70});
    moved.currentFrame = 1;
    Build(moved);
    EXPECT_EQ(moved.surface.frameIndex, 0);
    EXPECT_NEAR(Vertex(moved.surface, 0)[1], 60, 2);
    EXPECT_NEAR(TotalArea(moved), TotalArea(one), 0.005 * TotalArea(one));
    moved.currentFrame = 2; // no such frame: the atom records
    Build(moved);
    EXPECT_EQ(moved.surface.frameIndex, -1);
    EXPECT_NEAR(Vertex(moved.surface, 0)[1], 0, 2);
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
        Molecule mol = MoleculeOf(cases[c]);
        Build(mol);
        EXPECT_TRUE(mol.surface.valid) << "case " << c;
        EXPECT_EQ(mol.surface.TriangleCount(), 0) << "case " << c;
        EXPECT_EQ(TotalArea(mol), 0.0) << "case " << c;
    }
    // Radius-0 and non-finite atoms beside a real one leave its surface alone.
    Molecule lone = MoleculeOf({AtomAt(0, 0, 0)});
    Build(lone);
    Molecule mixed = MoleculeOf({AtomAt(0, 0, 0), AtomAt(1, 0, 0, 0.0f), AtomAt(nan, 1e30f, 0)});
    Build(mixed);
    EXPECT_EQ(Areas(mixed)[1], 0.0f);
    EXPECT_NEAR(TotalArea(mixed), TotalArea(lone), 0.005 * TotalArea(lone));
}

TEST(VornSurfaceErrors, RefusalsAndTheirMessages) {
    // A 1000 Å box at quality 100 would take 10^12 grid points.
    Molecule huge = MoleculeOf({AtomAt(0, 0, 0), AtomAt(1000, 1000, 1000)}, 100);
    EXPECT_EQ(ErrorOf([&] { Build(huge); }), "VornSurface: Out of memory");
    EXPECT_FALSE(huge.surface.valid);
    huge.atoms.pop_back();
    huge.surface.spacing = 0;
    EXPECT_EQ(ErrorOf([&] { Build(huge); }), "VornSurface: Out of memory");

    VornSurface none;
    std::vector<float> areas(3);
    EXPECT_EQ(ErrorOf([&] { none.GetAtomSurfaceArea(areas); }),
              "VornSurface: Can not compute surface area for invalid surface");
    Molecule two = MoleculeOf({AtomAt(0, 0, 0), AtomAt(20, 0, 0)});
    Build(two);
    areas.resize(1); // a surface of two atoms against the areas of one
    EXPECT_EQ(ErrorOf([&] { two.surface.GetAtomSurfaceArea(areas); }),
              "VornSurface: Invalid atom index in GetAtomSurfaceArea");
    two.surface.vertices.insert(two.surface.vertices.end(), {300, 0, 0}); // far from every atom
    EXPECT_EQ(ErrorOf([&] { two.surface.GradientAndColorIndex(two.surface.VertexCount() - 1); }),
              "VornSurface: Invalid color index in GradientAndColorIndex");
}

// Values of "%d\t%f\r\n" lines and the total of the closing line.
std::pair<std::vector<std::pair<int, double>>, double> ParseReport(const std::string& text) {
    std::vector<std::pair<int, double>> lines;
    std::istringstream in(text);
    std::string line;
    double total = -1;
    while (std::getline(in, line)) {
        if (line.rfind("# Total Surface Area = ", 0) == 0)
            total = std::atof(line.c_str() + 23);
        else if (line[0] != '#')
            lines.emplace_back(std::atoi(line.c_str()), std::atof(line.c_str() + line.find('\t')));
    }
    return {lines, total};
}

TEST(VornSurfaceReport, ResidueAndAtomReportsSumToTheirTotals) {
    Molecule mol =
        MoleculeOf({AtomAt(0, 0, 0, 1.5f, false, 11), AtomAt(1.5f, 0, 0, 1.7f, false, 12),
                    AtomAt(12, 0, 0, 1.5f, false, 13), AtomAt(0, 8, 0, 1.5f, true, 14)});
    Chain& chain = mol.chains.emplace_back();
    chain.residues.resize(2);
    chain.residues[0].number = 7, chain.residues[0].atoms.Append(0),
    chain.residues[0].atoms.Append(1);
    chain.residues[1].number = 9, chain.residues[1].atoms.Append(2);

    const std::string byResidue = SurfaceAreaReport(mol, true, nullptr);
    EXPECT_FALSE(mol.surface.valid);
    EXPECT_TRUE(mol.surface.vertices.empty());
    EXPECT_NE(byResidue.find("\r\n###################################\n# Total Surface Area = "),
              std::string::npos);
    const auto [residues, residueTotal] = ParseReport(byResidue);
    ASSERT_EQ(residues.size(), 2u);
    EXPECT_EQ(residues[0].first, 7);
    EXPECT_EQ(residues[1].first, 9);
    EXPECT_NEAR(residues[0].second + residues[1].second, residueTotal, 2e-6);

    Build(mol); // an existing surface is used and kept
    const std::string byAtom = SurfaceAreaReport(mol, false, nullptr);
    EXPECT_TRUE(mol.surface.valid);
    const auto [atoms, atomTotal] = ParseReport(byAtom);
    ASSERT_EQ(atoms.size(), 4u);
    EXPECT_EQ(atoms[0].first, 11);
    EXPECT_EQ(atoms[3].first, 14);
    EXPECT_EQ(atoms[3].second, 0.0); // hetero, solvent off
    double sum = 0;
    for (const auto& line : atoms)
        sum += line.second;
    EXPECT_NEAR(sum, atomTotal, 4e-6);
    EXPECT_NEAR(atomTotal, residueTotal, 1e-5);
    EXPECT_NEAR(atoms[0].second + atoms[1].second, residues[0].second, 2e-6);
    EXPECT_STREQ(kResidueAreaTitle, "Residue Surface Areas (in Angstrom^2)");
    EXPECT_STREQ(kAtomAreaTitle, "Atomic Surface Areas (in Angstrom^2)");
}

} // namespace
