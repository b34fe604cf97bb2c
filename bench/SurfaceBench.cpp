// Times the molecular surface of a real protein at a given quality and reports the mesh, its area
// and the memory the build took; best and median of several runs in milliseconds.
//
//   surface_bench [PDB] [ATOMS] [QUALITY] [RUNS]
//       (defaults tests/data/1a0q.pdb, 5000 atoms, quality 70, 5 runs)
//
// The protein atoms of the file are tiled side by side along x until ATOMS are reached; hetero
// atoms are left out, as the surface leaves out solvent by default.
#include "BenchSupport.h"
#include "analysis/VornSurface.h"
#include "document/VornDoc.h"
#include "model/Molecule.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <vector>

using namespace vorn;
using namespace vorn::bench;

namespace {

std::vector<Atom> TiledProtein(const Molecule& source, size_t wanted) {
    std::vector<Atom> protein;
    for (const Atom& atom : source.atoms)
        if (!atom.hetero)
            protein.push_back(atom);
    std::vector<Atom> out;
    const float shift = source.boxSize[0] + 4.0f; // Å between copies
    for (int copy = 0; out.size() < wanted && !protein.empty(); ++copy)
        for (size_t i = 0; i < protein.size() && out.size() < wanted; ++i) {
            out.push_back(protein[i]);
            out.back().x += static_cast<float>(copy) * shift;
        }
    return out;
}

long PeakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv) {
    const std::string path = argc > 1 ? argv[1] : "tests/data/1a0q.pdb";
    const size_t atoms = argc > 2 ? static_cast<size_t>(std::atol(argv[2])) : 5000;
    const int quality = argc > 3 ? std::atoi(argv[3]) : 70;
    const int runs = argc > 4 ? std::atoi(argv[4]) : 5;
    CVornDoc doc;
    if (!doc.ReadCoordinateFile(path)) {
        std::fprintf(stderr, "%s holds no atoms\n", path.c_str());
        return 1;
    }
    Molecule mol;
    mol.atoms = TiledProtein(*doc.primary, atoms);
    mol.surface.SetQuality(quality);
    std::printf("%s: %zu atoms, quality %d (spacing %.3f A), %d runs\n", path.c_str(),
                mol.atoms.size(), quality, mol.surface.spacing, runs);
    const long before = PeakKiB();
    std::vector<double> ms;
    for (int r = 0; r < runs; ++r) {
        const auto start = Clock::now();
        BuildSurface(mol, nullptr);
        ms.push_back(Milliseconds(start));
    }
    std::sort(ms.begin(), ms.end());
    std::vector<float> areas(mol.atoms.size());
    GetAtomSurfaceArea(mol.surface, areas);
    double total = 0;
    for (float a : areas)
        total += a;
    const SurfaceMesh& s = mol.surface;
    const double meshMiB = double(s.vertices.size() + s.normals.size()) * sizeof(float) +
                           double(s.vertexAtom.size() + s.triangles.size()) * sizeof(int);
    std::printf("BuildSurface                 best %8.1f ms   median %8.1f ms\n", ms.front(),
                ms[ms.size() / 2]);
    std::printf("%d vertices, %d triangles, area %.1f A^2, mesh %.1f MiB\n", s.VertexCount(),
                s.TriangleCount(), total, meshMiB / (1 << 20));
    const std::array<int, 3> n = s.gridSize;
    std::printf("field grid %d x %d x %d points, %.1f MiB\n", n[0], n[1], n[2],
                double(n[0]) * n[1] * n[2] * sizeof(float) / (1 << 20));
    std::printf("peak memory %ld KiB before the builds, %ld KiB after (+%ld KiB)\n", before,
                PeakKiB(), PeakKiB() - before);
    return 0;
}
