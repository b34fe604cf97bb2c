// Fuzzes the mmCIF reader and the whole coordinate-file load on plain and gzip-compressed input,
// then saves what was read and exports its frames, as the Save and Export commands would.
#include "FuzzStructure.h"
#include "io/MmcifFile.h"
#include "io/PdbFile.h"

#include <cstdlib>
#include <string>

using namespace vorn;

namespace {

constexpr std::size_t kReadersWindow = ~std::size_t{0};

// What a read made of the file with the given window (or the reader's own): its records and
// links, or the error it raised (then read is false).
std::string ReadAsText(const std::string& path, std::size_t window, bool& read) {
    std::string text;
    read = false;
    try {
        PdbFile pdb;
        if (window == kReadersWindow)
            ReadMmcifFile(path, pdb);
        else
            ReadMmcifFile(path, pdb, window);
        read = true;
        for (const PdbRecord& r : pdb.records)
            text += std::string(r.record) + " " + std::to_string(r.serial) + " " + r.atomName +
                    " " + r.resName + " " + r.chain + " " + std::to_string(r.resSeq) + " " +
                    std::to_string(r.x) + " " + std::to_string(r.y) + " " + std::to_string(r.z) +
                    " " + std::to_string(r.occupancy) + " " + std::to_string(r.tempFactor) + " " +
                    std::to_string(r.hetero) + " " + std::to_string(r.model) + "\n";
        text += std::to_string(pdb.conectCount) + " " + std::to_string(pdb.bondCount);
    } catch (const VornError& e) {
        text = e.Message();
    }
    return text;
}

} // namespace

// The first byte picks the variant and stays part of the text: bit 0 (but for the gzip magic
// 0x1f) compresses the input, bit 1 reads models as trajectory frames, bit 2 reads without
// computed bonds (the links alone).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const unsigned first = size ? data[0] : 0u;
    const std::string path =
        fuzz::WriteInput("input.cif", data, size, (first & 1u) != 0 && first != 0x1f);
    // Runs of plain loop values are read outside the general CIF rules; a window of a few bytes
    // (set by the second byte) hands values back and forth between the two. Every window must
    // read what the general rules alone read.
    bool read = false, alsoRead = false;
    const std::string general = ReadAsText(path, 0, read);
    if (ReadAsText(path, size > 1 ? 1u + data[1] % 8u : 1u, alsoRead) != general ||
        ReadAsText(path, kReadersWindow, alsoRead) != general)
        std::abort();
    if (!read)
        return 0; // the load below would stop at the same error
    CVornDoc doc;
    doc.multiModelTraj = (first & 2u) != 0;
    doc.connectOnRead = (first & 4u) == 0;
    fuzz::LoadSaveExport(doc, path);
    return 0;
}
