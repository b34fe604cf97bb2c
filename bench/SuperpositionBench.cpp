// Times RMSD, superposition of two molecules and the rotation-only fit of a trajectory frame over
// many atom pairs; reports the best and median of several runs in milliseconds.
//
//   superposition_bench [PAIRS] [RUNS]      (defaults 100000 pairs, 21 runs)
#include "BenchSupport.h"
#include "analysis/Superposition.h"
#include "model/Molecule.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

using namespace vorn;
using namespace vorn::bench;

namespace {

Molecule RandomCloud(int atoms, std::mt19937& random) {
    std::uniform_real_distribution<float> coordinate(-40, 40);
    Molecule mol;
    mol.atoms.resize(static_cast<size_t>(atoms));
    for (Atom& atom : mol.atoms) {
        atom.x = coordinate(random), atom.y = coordinate(random), atom.z = coordinate(random);
        atom.mass = 12.011f;
    }
    return mol;
}

template <typename Work>
void Report(const char* name, int runs, Work work) {
    std::vector<double> ms;
    for (int r = 0; r < runs; ++r) {
        const auto start = Clock::now();
        work();
        ms.push_back(Milliseconds(start));
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-28s best %8.3f ms   median %8.3f ms\n", name, ms.front(), ms[ms.size() / 2]);
}

} // namespace

int main(int argc, char** argv) {
    const int pairs = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 21;
    std::mt19937 random(1);
    const Molecule a = RandomCloud(pairs, random);
    Molecule b = RandomCloud(pairs, random);
    b.motion.rotation = {0.2f, 0.3f, -0.1f, 0.927362f};
    std::vector<int> list(static_cast<size_t>(pairs));
    for (int i = 0; i < pairs; ++i)
        list[static_cast<size_t>(i)] = i;
    std::printf("%d pairs, %d runs\n", pairs, runs);
    double rmsd = 0;
    Report("ComputeRmsd", runs, [&] { rmsd += ComputeRmsd(a, b, list, list, true); });
    Report("AlignMolecules", runs, [&] { AlignMolecules(a, b, list, list, true); });
    Report("AlignMolecules+ComputeRmsd", runs, [&] {
        AlignMolecules(a, b, list, list, true);
        rmsd += ComputeRmsd(a, b, list, list, true);
    });
    std::vector<float> frame(3 * static_cast<size_t>(pairs));
    const std::vector<float> weights(static_cast<size_t>(pairs), 12.011f);
    Report("kabsch (one frame)", runs, [&] {
        for (size_t i = 0; i < b.atoms.size(); ++i)
            frame[3 * i] = b.atoms[i].x, frame[3 * i + 1] = b.atoms[i].y,
                      frame[3 * i + 2] = b.atoms[i].z;
        kabsch(a.atoms, frame.data(), weights.data(), pairs);
    });
    std::printf("(checksum %.3f)\n", rmsd);
    return 0;
}
