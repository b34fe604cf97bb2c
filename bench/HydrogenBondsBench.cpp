// Times the hydrogen-bond search on a real protein tiled to a given atom count, as one molecule
// and split into two molecules the second of which is placed by its motion state.
//
//   hydrogen_bonds_bench SOURCE.pdb ATOMS [RUNS]      (defaults 100000 atoms, 11 runs)
//
// Copies of the source (atoms and neighbour lists) are set on a cubic lattice 80 Å apart.
#include "BenchSupport.h"
#include "analysis/HydrogenBonds.h"
#include "document/VornDoc.h"
#include "model/Molecule.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace vorn;
using namespace vorn::bench;

namespace {

constexpr float kSpacing = 80; // Å between copies

// Atoms [first, last) of the tiling of source, side copies to an edge, as one molecule.
Molecule Tiled(const Molecule& source, long side, long first, long last) {
    const long n = source.AtomCount();
    const long total = last - first;
    Molecule mol;
    mol.atoms.reserve(static_cast<size_t>(total));
    for (long i = first; i < last; ++i) {
        const long copy = i / n, atom = i % n;
        Atom a = source.atoms[static_cast<size_t>(atom)];
        a.x += kSpacing * static_cast<float>(copy % side);
        a.y += kSpacing * static_cast<float>(copy / side % side);
        a.z += kSpacing * static_cast<float>(copy / (side * side));
        mol.atoms.push_back(a);
        std::vector<int> list;
        for (int j : source.bonded[static_cast<int>(atom)]) {
            const long k = copy * n + j - first;
            if (k >= 0 && k < total)
                list.push_back(static_cast<int>(k));
        }
        mol.bonded.Add(list.begin(), list.end());
    }
    return mol;
}

template <typename Work>
void Report(const char* name, int runs, Work work) {
    std::vector<double> ms;
    size_t bonds = 0;
    for (int r = 0; r < runs; ++r) {
        const auto start = Clock::now();
        bonds = work().size();
        ms.push_back(Milliseconds(start));
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-34s %zu bonds   best %8.2f ms   median %8.2f ms\n", name, bonds, ms.front(),
                ms[ms.size() / 2]);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: hydrogen_bonds_bench SOURCE.pdb [ATOMS] [RUNS]\n");
        return 2;
    }
    const long atoms = argc > 2 ? std::atol(argv[2]) : 100000;
    const int runs = argc > 3 ? std::atoi(argv[3]) : 11;
    CVornDoc doc;
    if (!doc.ReadCoordinateFile(argv[1]))
        return 1;
    const Molecule& source = doc.MoleculeAt(0);
    const long n = source.AtomCount();
    const long side = static_cast<long>(std::ceil(std::cbrt(std::ceil(double(atoms) / n))));
    const Molecule whole = Tiled(source, side, 0, atoms);
    // The second half turned half round z, and turned back into place by its motion state.
    const long half = atoms / 2 / n * n;
    const Molecule first = Tiled(source, side, 0, half);
    Molecule second = Tiled(source, side, half, atoms);
    for (Atom& a : second.atoms)
        a.x = -a.x, a.y = -a.y;
    second.motion.rotation = {0, 0, 1, 0};
    std::printf("%ld atoms from %s (%d per copy), %d runs\n", atoms, argv[1], source.AtomCount(),
                runs);
    Report("one molecule", runs, [&] { return FindHydrogenBonds({&whole}); });
    Report("two molecules, second turned", runs, [&] {
        return FindHydrogenBonds({&first, &second});
    });
    return 0;
}
