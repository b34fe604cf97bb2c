// Measures the lookups of serials a file does not hold: every atom names a missing serial in a
// CONECT line, and the file is read without computing bonds, so every lookup misses.
//
//   serial_lookup_bench ATOMS [WORKDIR]
#include "BenchSupport.h"
#include "io/PdbFile.h"
#include "model/Molecule.h"
#include "model/MoleculeBuilder.h"

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace vorn;
using namespace vorn::bench;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: serial_lookup_bench ATOMS [WORKDIR]\n");
        return 2;
    }
    const long atoms = std::atol(argv[1]);
    const std::string file = std::string(argc > 2 ? argv[2] : "/tmp") + "/vorn_serials_" +
                             std::to_string(atoms) + ".pdb";
    std::FILE* f = std::fopen(file.c_str(), "w");
    if (!f)
        return 1;
    for (long i = 0; i < atoms; ++i)
        std::fprintf(f, "ATOM  %5ld  CA  ALA A%4ld    %8.3f%8.3f%8.3f  1.00 20.00\n",
                     (i % 99999) + 1, i % 9999, 3.8 * double(i % 100), 3.8 * double(i / 100 % 100),
                     3.8 * double(i / 10000));
    for (long i = 0; i < atoms; ++i)
        std::fprintf(f, "CONECT %5ld %5ld\n", (i % 99999) + 1, -(i % 9999) - 1);
    std::fclose(f);

    const auto start = Clock::now();
    PdbFile pdb;
    pdb.Read(file);
    Molecule mol;
    BuildMolecule(mol, pdb, false, /*connect=*/false, nullptr);
    const double seconds = Seconds(start);
    std::printf("%ld atoms, each naming a missing serial: read and built in %.3f s (%zu bonds)\n",
                atoms, seconds, mol.bonds.size());
    std::remove(file.c_str());
    return 0;
}
