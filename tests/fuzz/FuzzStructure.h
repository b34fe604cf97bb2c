// What the structure-file fuzzers share: the input written as a file, plain or gzip-compressed,
// and the load of the document followed by the Save and Export commands on what was read.
#pragma once

#include "FuzzScratch.h"
#include "core/VornError.h"
#include "document/VornDoc.h"
#include "model/MoleculeWriter.h"

#include <cstdint>
#include <string>
#include <zlib.h>

namespace fuzz {

// The input as the scratch file of that name, compressed when gzip is set; returns its path.
inline std::string WriteInput(const std::string& name, const std::uint8_t* data, std::size_t size,
                              bool gzip) {
    const std::string path = ScratchFile(gzip ? name + ".gz" : name);
    if (!gzip) {
        WriteFile(path, data, size);
        return path;
    }
    gzFile gz = gzopen(path.c_str(), "wb1");
    if (!gz)
        std::abort();
    if (size)
        gzwrite(gz, data, static_cast<unsigned>(size));
    gzclose(gz);
    return path;
}

// Loads the file into the document as it is set up, then saves the structure and exports its
// frames. Errors the readers and writers raise are expected; anything else is a finding.
inline void LoadSaveExport(vorn::CVornDoc& doc, const std::string& path) {
    try {
        if (!doc.ReadCoordinateFile(path))
            return;
        const vorn::Molecule& mol = *doc.primary;
        vorn::SaveCoordinates({&mol}, ScratchFile("saved.pdb"), vorn::kSavePdb, 3, true, true);
        if (mol.frames.Count() > 0)
            vorn::ExportTrajectory(mol, ScratchFile("frames.pdb"), 1, mol.frames.Count(), nullptr);
    } catch (const vorn::VornError&) {
    }
}

} // namespace fuzz
