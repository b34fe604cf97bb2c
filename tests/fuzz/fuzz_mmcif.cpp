// Fuzzes the mmCIF reader and the whole coordinate-file load on plain and gzip-compressed input,
// then saves what was read and exports its frames, as the Save and Export commands would.
#include "FuzzScratch.h"
#include "core/VornError.h"
#include "document/VornDoc.h"
#include "io/MmcifFile.h"
#include "io/PdbFile.h"
#include "model/MoleculeWriter.h"

#include <cstdint>
#include <string>
#include <zlib.h>

using namespace vorn;

namespace {

// The first byte picks the variant and stays part of the text: bit 0 (but for the gzip magic
// 0x1f) compresses the input, bit 1 reads models as trajectory frames, bit 2 reads without
// computed bonds (the links alone).
struct Variant {
    bool gzip;
    bool multiModel;
    bool connect;
};

Variant VariantOf(const std::uint8_t* data, std::size_t size) {
    const unsigned first = size ? data[0] : 0u;
    return {(first & 1u) != 0 && first != 0x1f, (first & 2u) != 0, (first & 4u) == 0};
}

void WriteGzip(const std::string& path, const std::uint8_t* data, std::size_t size) {
    gzFile gz = gzopen(path.c_str(), "wb1");
    if (!gz)
        std::abort();
    if (size)
        gzwrite(gz, data, static_cast<unsigned>(size));
    gzclose(gz);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Variant variant = VariantOf(data, size);
    const std::string path = fuzz::ScratchFile(variant.gzip ? "input.cif.gz" : "input.cif");
    if (variant.gzip)
        WriteGzip(path, data, size);
    else
        fuzz::WriteFile(path, data, size);
    try {
        PdbFile pdb;
        ReadMmcifFile(path, pdb);
    } catch (const VornError&) {
        return 0; // the load below would stop at the same error
    }
    try {
        CVornDoc doc;
        doc.multiModelTraj = variant.multiModel;
        doc.connectOnRead = variant.connect;
        if (!doc.ReadCoordinateFile(path))
            return 0;
        const Molecule& mol = *doc.primary;
        SaveCoordinates({&mol}, fuzz::ScratchFile("saved.pdb"), kSavePdb, 3, true, true);
        if (mol.frames.Count() > 0)
            ExportTrajectory(mol, fuzz::ScratchFile("frames.pdb"), 1, mol.frames.Count(), nullptr);
    } catch (const VornError&) {
    }
    return 0;
}
