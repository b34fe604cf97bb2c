// Fuzzes the DCD reader through the document: a structure of matching size, then the trajectory.
#include "FuzzScratch.h"
#include "core/VornError.h"
#include "document/VornDoc.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

using namespace vorn;

namespace {

constexpr std::int64_t kMinAtoms = 2;
constexpr std::int64_t kMaxAtoms = 4000; // keeps the structure read cheap

std::int64_t Load32(const std::uint8_t* p, bool swap) {
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return static_cast<std::int32_t>(swap ? __builtin_bswap32(v) : v);
}

// NATOM as the header gives it (the first record's marker tells the byte order; NATOM follows
// the title record, whose length is its leading marker at byte 92), clamped to the range the
// harness builds structures for. Inputs too short for a header get the smallest structure.
int AtomCountOf(const std::uint8_t* dcd, std::size_t size) {
    if (size < 96)
        return int(kMinAtoms);
    const bool swap = Load32(dcd, false) != 84;
    const std::int64_t titleBytes = Load32(dcd + 92, swap);
    const std::int64_t at = 104 + titleBytes;
    if (titleBytes < 0 || at + 4 > std::int64_t(size))
        return int(kMinAtoms);
    return int(std::clamp(Load32(dcd + at, swap), kMinAtoms, kMaxAtoms));
}

// A structure of n carbon atoms on a 1.5 Å grid (mass, so the trajectory modes centre and turn
// the frames), written once per size.
const std::string& StructureFile(int n) {
    static int written = -1;
    static const std::string path = fuzz::ScratchFile("structure.pdb");
    if (written != n) {
        std::ofstream out(path, std::ios::trunc);
        char line[96];
        for (int i = 0; i < n; ++i) {
            std::snprintf(line, sizeof line, "ATOM %d C ALA A %d %.1f %.1f %.1f\n", i + 1,
                          i / 8 + 1, 1.5 * (i % 16), 1.5 * (i / 16 % 16), 1.5 * (i / 256));
            out << line;
        }
        written = n;
    }
    return path;
}

} // namespace

// The first byte is no part of the file: it chooses the processing mode (0 verbatim, 1 centred,
// 2 aligned) and, with bit 7, whether the structure's centre of mass stays in its coordinates.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const int mode = data[0] % 3;
    const bool zeroCom = (data[0] & 0x80u) == 0;
    const std::uint8_t* dcd = data + 1;
    const std::size_t dcdSize = size - 1;
    static const std::string dcdPath = fuzz::ScratchFile("input.dcd");
    fuzz::WriteFile(dcdPath, dcd, dcdSize);
    CVornDoc doc;
    doc.connectOnRead = false;
    doc.secondaryStructOnRead = false;
    doc.zeroComOnRead = zeroCom;
    try {
        if (!doc.ReadCoordinateFile(StructureFile(AtomCountOf(dcd, dcdSize))))
            std::abort(); // the harness wrote atoms: the structure must load
        doc.ReadTrajectory(dcdPath, kFileDcd, mode, "canceled");
    } catch (const VornError&) {
    }
    return 0;
}
