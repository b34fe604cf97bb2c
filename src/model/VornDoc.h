// The document: the molecules in reading order, the reading options and the load pipeline.
#pragma once

#include "appearance/ColorScheme.h"
#include "core/IndexedList.h"
#include "model/Molecule.h"

#include <memory>
#include <string>

class UiHost;

// File type codes.
enum FileType {
    kFilePdb = 0,
    kFileXyz,
    kFileCrd,
    kFileDcd,
    kFilePtf,
    kFileByExtension,
    kFileUnknown
};

class CVornDoc {
public:
    explicit CVornDoc(UiHost* ui = nullptr);

    // Reads a coordinate file (always as PDB) into a new molecule that becomes the primary and
    // only active one. Returns false when the file holds no atoms; raises VornError on failure,
    // leaving the molecule in the list as far as it was filled.
    bool ReadCoordinateFile(const std::string& fileName);

    // Fills a molecule from a file of the given type code.
    void ReadByType(Molecule& mol, const std::string& fileName, bool multiModel, bool connect,
                    int type);

    // The type code of a name's extension (the text after the last ".", lower-cased).
    static int FileTypeOfName(const std::string& fileName);

    // Reading options.
    bool connectOnRead = true;
    bool zeroComOnRead = true;
    bool secondaryStructOnRead = true;
    bool multiModelTraj = false;
    int multiModelTrajProcess = 0; // 0 verbatim, 1 zero centre of mass, 2 align

    ColorTables colorTables;
    IndexedList<std::unique_ptr<Molecule>> molecules; // in reading order
    Molecule* primary = nullptr;

private:
    Molecule& AppendNewMolecule();
    void Status(const std::string& text);

    UiHost* m_ui;
};
