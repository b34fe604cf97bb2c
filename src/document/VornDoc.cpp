// Reading files into molecules: read, build, bonds, radii, secondary structure, colours, masses.
#include "document/VornDoc.h"

#include "analysis/SecondaryStructure.h"
#include "appearance/Radii.h"
#include "core/UiHost.h"
#include "core/VornError.h"
#include "document/Trajectory.h"
#include "io/MmcifFile.h"
#include "io/PdbFile.h"
#include "model/MoleculeBuilder.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <new>

namespace vorn {

CVornDoc::CVornDoc(UiHost* ui) : m_ui(ui) {
    std::copy(std::begin(kElementMasses), std::end(kElementMasses), std::begin(massTable));
}

void CVornDoc::Status(const std::string& text) {
    if (m_ui)
        m_ui->SetStatusText(text);
}

// A molecule being read: appended as the primary and only active molecule, and taken out again,
// with the earlier primary molecule and active flags back, unless the read is kept. A failed read
// leaves nothing behind that the user would have to delete.
class CVornDoc::NewMolecule {
public:
    explicit NewMolecule(CVornDoc& doc) : m_doc(doc), m_primary(doc.primary) {
        std::unique_ptr<Molecule> mol(new (std::nothrow) Molecule);
        if (!mol)
            VORN_RAISE("VornDoc", "Unable to allocate memory for new molecule");
        for (auto& other : doc.molecules) {
            m_active.push_back(other->active);
            other->active = false;
        }
        doc.primary = doc.molecules.Append(std::move(mol)).get();
    }
    ~NewMolecule() {
        if (m_kept)
            return;
        m_doc.molecules.Remove(m_doc.molecules.Count() - 1);
        m_doc.primary = m_primary;
        int i = 0;
        for (auto& other : m_doc.molecules)
            other->active = m_active[static_cast<size_t>(i++)];
    }
    NewMolecule(const NewMolecule&) = delete;
    NewMolecule& operator=(const NewMolecule&) = delete;

    Molecule& Get() { return *m_doc.primary; }
    void Keep() { m_kept = true; }

private:
    CVornDoc& m_doc;
    Molecule* m_primary;
    std::vector<bool> m_active;
    bool m_kept = false;
};

bool CVornDoc::ReadCoordinateFile(const std::string& fileName) {
    NewMolecule read(*this);
    Molecule& mol = read.Get();
    ReadByType(mol, fileName, multiModelTraj, connectOnRead, kFilePdb);
    if (mol.atoms.empty())
        return false;
    FinishRead(mol);
    ProcessTrajectory(mol, multiModelTraj ? multiModelTrajProcess : kTrajectoryVerbatim,
                      zeroComOnRead);
    mol.fileName = fileName;
    read.Keep();
    ResetPlayback();
    Status("Ready");
    return true;
}

// Secondary structure, then element colours and masses.
void CVornDoc::FinishRead(Molecule& mol) {
    if (secondaryStructOnRead) {
        Status("Assigning secondary structure ...");
        AssignSecondaryStructure(mol, m_ui);
    }
    ColorAndMassByElement(mol, colorTables, massTable);
}

void CVornDoc::ReadTrajectory(const std::string& fileName, int type, int mode,
                              const std::string& cancelMessage, const TrajectoryRunner& run) {
    if (!primary)
        VORN_RAISE("VornDoc", "No molecule to read the trajectory for");
    ReadFrames(*primary, fileName, type, mode, cancelMessage, run);
}

// A read that is cancelled or fails leaves the molecule's frames as they were before it: no half
// trajectory whose frame count promises frames that were never read.
void CVornDoc::ReadFrames(Molecule& mol, const std::string& fileName, int type, int mode,
                          const std::string& cancelMessage, const TrajectoryRunner& run) {
    FramesBefore before(mol);
    try {
        TrajectoryReader().Attach(mol, fileName, type);
        bool completed = false;
        if (run) {
            completed = run(mol, fileName, type, 0, mol.frameCount);
        } else {
            const std::atomic<bool> keepGoing{true};
            completed =
                ReadTrajectoryOnWorker(mol, fileName, type, 0, mol.frameCount, keepGoing, {});
        }
        if (!completed)
            VORN_RAISE("VornDoc", cancelMessage);
        ProcessTrajectory(mol, mode, zeroComOnRead);
    } catch (...) {
        before.Restore(mol);
        ResetPlayback();
        throw;
    }
    ResetPlayback();
}

bool CVornDoc::ReadCoordinatesAndTrajectory(const std::string& coordName, int coordType,
                                            const std::string& trajName, int trajType, int mode,
                                            const TrajectoryRunner& run) {
    const char* refusal = coordName.empty()  ? "Please enter a coordinate file name"
                          : trajName.empty() ? "Please enter a trajectory file name"
                                             : nullptr;
    if (refusal) {
        if (m_ui)
            m_ui->ShowMessage(refusal);
        return false;
    }
    NewMolecule read(*this);
    Molecule& mol = read.Get();
    ReadByType(mol, coordName, multiModelTraj, connectOnRead, coordType);
    mol.fileName = coordName;
    if (mol.atoms.empty())
        return false;
    FinishRead(mol);
    // The structure stays when its trajectory is cancelled or fails.
    read.Keep();
    ReadFrames(mol, trajName, trajType, mode, "Trajectory read has been cancelled", run);
    title = coordName + "+" + trajName;
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
    if (type != kFilePdb && type != kFileMmcif)
        VORN_RAISE("VornDoc", "Unknown file type!");

    PdbFile pdb;
    if (type == kFileMmcif || FileTypeOfName(fileName) == kFileMmcif || IsMmcifFile(fileName)) {
        Status("Reading mmCIF file ...");
        ReadMmcifFile(fileName, pdb);
    } else {
        Status("Reading pdb file ...");
        if (!pdb.Read(fileName))
            VORN_RAISE("VornDoc", "Can't open ``" + fileName + "'' for reading.");
    }
    Status("Processing data ...");
    BuildMolecule(mol, pdb, multiModel, connect, m_ui);
    SetRadii(mol, kDefaultRadius, 0, 0, 0.0f);
}

int CVornDoc::FileTypeOfName(const std::string& fileName) {
    std::string name = fileName;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto endsWith = [&name](const std::string& end) {
        return name.size() >= end.size() &&
               name.compare(name.size() - end.size(), end.size(), end) == 0;
    };
    for (const char* end : {".cif", ".mmcif", ".cif.gz", ".mmcif.gz"})
        if (endsWith(end))
            return kFileMmcif;
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return kFileUnknown;
    const std::string ext = name.substr(dot + 1);
    static const char* const extensions[] = {"pdb", "xyz", "crd", "dcd", "ptf"};
    for (int type = kFilePdb; type <= kFilePtf; ++type)
        if (ext == extensions[type])
            return type;
    return kFileUnknown;
}

int CVornDoc::IndexOf(const Molecule* mol) const {
    int index = 0;
    for (const auto& m : molecules) {
        if (m.get() == mol)
            return index;
        ++index;
    }
    return -1;
}

void CVornDoc::DeleteMolecule(int index) {
    const bool wasPrimary = molecules[index].get() == primary;
    molecules.Remove(index);
    measures.RemoveMolecule(molecules);
    if (wasPrimary) {
        primary = nullptr;
        if (!molecules.Empty())
            MakePrimary(molecules.Count() - 1);
    }
    ResetPlayback();
}

Molecule& CVornDoc::DuplicateMolecule(int index) {
    std::unique_ptr<Molecule> copy(new (std::nothrow) Molecule(*molecules[index]));
    if (!copy)
        VORN_RAISE("VornDoc", "Unable to allocate memory for new molecule");
    copy->active = false;
    Molecule& added = *molecules.Append(std::move(copy));
    ResetPlayback();
    return added;
}

void CVornDoc::MakePrimary(int index) {
    for (auto& m : molecules)
        m->active = false;
    primary = molecules[index].get();
    primary->active = true;
}

void CVornDoc::ToggleFixed(int index) {
    Molecule& mol = *molecules[index];
    mol.motion.moving = !mol.motion.moving;
}

void CVornDoc::ToggleSelection(int index) {
    Molecule& mol = *molecules[index];
    mol.active = !mol.active;
    if (primary)
        primary->active = true;
}

void CVornDoc::FindHydrogenBonds() {
    std::vector<const Molecule*> list;
    for (const auto& m : molecules)
        list.push_back(m.get());
    hydrogenBonds = vorn::FindHydrogenBonds(list);
}

void CVornDoc::ResetPlayback() {
    int longest = 0;
    for (const auto& m : molecules)
        longest = std::max(longest, m->frames.Count());
    m_frameIndex = 0;
    m_frameModulus = longest + 1;
    ShowFrameIndex();
}

void CVornDoc::StepForward() {
    if (m_frameModulus == 0)
        return;
    m_frameIndex = (m_frameIndex + 1) % m_frameModulus;
    ShowFrameIndex();
}

void CVornDoc::StepBackward() {
    if (m_frameModulus == 0)
        return;
    m_frameIndex = (m_frameIndex - 1) % m_frameModulus;
    if (m_frameIndex < 0)
        m_frameIndex = m_frameModulus - 1;
    ShowFrameIndex();
}

void CVornDoc::SetFrame(int index) {
    if (m_frameModulus == 0)
        return;
    m_frameIndex = index % m_frameModulus;
    if (m_frameIndex < 0)
        m_frameIndex += m_frameModulus;
    ShowFrameIndex();
}

// Index 0 shows every molecule's own coordinates; a molecule with n frames shows frame k − 1 for
// k = index mod (n + 1), so shorter trajectories start over while longer ones play on.
void CVornDoc::ShowFrameIndex() {
    for (auto& m : molecules)
        if (!m->frames.Empty())
            m->currentFrame = m_frameIndex % (m->frames.Count() + 1);
}

} // namespace vorn
