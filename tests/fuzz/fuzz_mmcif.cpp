// Fuzzes the mmCIF reader and the whole coordinate-file load on plain and gzip-compressed input,
// then saves what was read and exports its frames, as the Save and Export commands would.
#include "FuzzStructure.h"
#include "io/MmcifFile.h"
#include "io/PdbFile.h"

using namespace vorn;

// The first byte picks the variant and stays part of the text: bit 0 (but for the gzip magic
// 0x1f) compresses the input, bit 1 reads models as trajectory frames, bit 2 reads without
// computed bonds (the links alone).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const unsigned first = size ? data[0] : 0u;
    const std::string path =
        fuzz::WriteInput("input.cif", data, size, (first & 1u) != 0 && first != 0x1f);
    try {
        PdbFile pdb;
        ReadMmcifFile(path, pdb);
    } catch (const VornError&) {
        return 0; // the load below would stop at the same error
    }
    CVornDoc doc;
    doc.multiModelTraj = (first & 2u) != 0;
    doc.connectOnRead = (first & 4u) == 0;
    fuzz::LoadSaveExport(doc, path);
    return 0;
}
