// Reading files into molecules: read, build, bonds, radii, secondary structure, colours, masses.
#include "model/VornDoc.h"

#include "analysis/SecondaryStructure.h"
#include "appearance/Radii.h"
#include "core/VornError.h"
#include "io/PdbFile.h"
#include "model/MoleculeBuilder.h"
#include "model/UiHost.h"

#include <algorithm>
#include <cctype>
#include <new>

CVornDoc::CVornDoc(UiHost* ui) : m_ui(ui) {}

void CVornDoc::Status(const std::string& text) {
    if (m_ui)
        m_ui->SetStatusText(text);
}

Molecule& CVornDoc::AppendNewMolecule() {
    std::unique_ptr<Molecule> mol(new (std::nothrow) Molecule);
    if (!mol)
        VORN_RAISE("VornDoc", "Unable to allocate memory for new molecule");
    for (auto& other : molecules)
        other->active = false;
    primary = molecules.Append(std::move(mol)).get();
    return *primary;
}

bool CVornDoc::ReadCoordinateFile(const std::string& fileName) {
    Molecule& mol = AppendNewMolecule();
    ReadByType(mol, fileName, multiModelTraj, connectOnRead, kFilePdb);
    if (mol.atoms.empty())
        return false;
    if (secondaryStructOnRead) {
        Status("Assigning secondary structure ...");
        AssignSecondaryStructure(mol, m_ui);
    }
    ColorAndMassByElement(mol, colorTables);
    mol.fileName = fileName;
    Status("Ready");
    return true;
}

void CVornDoc::ReadByType(Molecule& mol, const std::string& fileName, bool multiModel, bool connect,
                          int type) {
    if (type == kFileByExtension)
        type = FileTypeOfName(fileName);
    if (type == kFileXyz)
        VORN_RAISE("VornDoc", "XYZ files aren't supported yet!");
    if (type == kFileCrd)
        VORN_RAISE("VornDoc", "CRD files aren't supported yet!");
    if (type != kFilePdb)
        VORN_RAISE("VornDoc", "Unknown file type!");

    Status("Reading pdb file ...");
    PdbFile pdb;
    if (!pdb.Read(fileName))
        VORN_RAISE("VornDoc", "Can't open ``" + fileName + "'' for reading.");
    Status("Processing data ...");
    BuildMolecule(mol, pdb, multiModel, connect, m_ui);
    SetRadii(mol, kDefaultRadius, 0, 0, 0.0f);
}

int CVornDoc::FileTypeOfName(const std::string& fileName) {
    const size_t dot = fileName.rfind('.');
    if (dot == std::string::npos)
        return kFileUnknown;
    std::string ext = fileName.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    static const char* const extensions[] = {"pdb", "xyz", "crd", "dcd", "ptf"};
    for (int type = kFilePdb; type <= kFilePtf; ++type)
        if (ext == extensions[type])
            return type;
    return kFileUnknown;
}
