// Fuzzes the PDB reader and the whole coordinate-file load on plain and gzip-compressed input, then
// saves what was read and exports its frames, as the Save and Export commands would.
#include "FuzzStructure.h"
#include "io/PdbFile.h"

using namespace vorn;

// The first byte picks the variant, and stays part of the file text. Odd first bytes other than
// the gzip magic 0x1f get the input compressed (so a .gz seed is read as it stands); bit 1 reads
// models as trajectory frames and bits 2-3 choose how those frames are processed.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const unsigned first = size ? data[0] : 0u;
    const std::string path =
        fuzz::WriteInput("input.pdb", data, size, (first & 1u) != 0 && first != 0x1f);
    try {
        PdbFile pdb;
        pdb.Read(path);
    } catch (const VornError&) {
        return 0; // the load below would stop at the same error
    }
    CVornDoc doc;
    doc.multiModelTraj = (first & 2u) != 0;
    doc.multiModelTrajProcess = int((first >> 2) & 3u) % 3;
    fuzz::LoadSaveExport(doc, path);
    return 0;
}
