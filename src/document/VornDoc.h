// The document: the molecules in reading order, the reading options and the load pipeline.
#pragma once

#include "analysis/HydrogenBonds.h"
#include "analysis/MeasureTable.h"
#include "appearance/ColorScheme.h"
#include "core/IndexedList.h"
#include "model/Molecule.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vorn {

class UiHost;

// File type codes.
enum FileType {
    kFilePdb = 0,
    kFileXyz,
    kFileCrd,
    kFileDcd,
    kFilePtf,
    kFileByExtension,
    kFileUnknown,
    kFileMmcif
};

class CVornDoc {
public:
    explicit CVornDoc(UiHost* ui = nullptr);
    // Where status texts, warnings and progress go from now on (may be null).
    void SetUi(UiHost* ui) { m_ui = ui; }

    // Reads a coordinate file (PDB or mmCIF, told apart by name and content) into a new molecule
    // that becomes the primary and only active one. Returns false when the file holds no atoms;
    // raises VornError on failure. Either way the new molecule is removed again and the earlier
    // primary and active ones return.
    bool ReadCoordinateFile(const std::string& fileName);

    // Fills a molecule from a file of the given type code. A PDB file may be mmCIF by its name or
    // content; an mmCIF file is always read as one.
    void ReadByType(Molecule& mol, const std::string& fileName, bool multiModel, bool connect,
                    int type);

    // Reads frames [first, end) of a trajectory into a molecule behind whatever the caller shows
    // meanwhile; returns false when the user cancelled.
    using TrajectoryRunner = std::function<bool(Molecule& mol, const std::string& fileName,
                                                int type, int first, int end)>;
    // Attaches a trajectory to the primary molecule, reads all its frames through run (by
    // default on a worker thread, waiting for it) and processes them with mode. A cancelled read
    // raises cancelMessage.
    void ReadTrajectory(const std::string& fileName, int type, int mode,
                        const std::string& cancelMessage, const TrajectoryRunner& run = {});

    // The coordinate-and-trajectory command after its window: reads the coordinate file as the
    // given type into a new molecule, gives it structure, colours and masses, reads every frame
    // of the trajectory and processes them with mode. Empty names are refused with a message
    // (false, nothing read); the title becomes "coordinates+trajectory".
    bool ReadCoordinatesAndTrajectory(const std::string& coordName, int coordType,
                                      const std::string& trajName, int trajType, int mode,
                                      const TrajectoryRunner& run = {});

    // The type code of a name's extension (the text after the last ".", lower-cased); names
    // ending in ".cif", ".mmcif", ".cif.gz" or ".mmcif.gz" are mmCIF.
    static int FileTypeOfName(const std::string& fileName);

    // Molecule list. Indices are positions in the list.
    int MoleculeCount() const { return molecules.Count(); }
    Molecule& MoleculeAt(int index) { return *molecules[index]; }
    int IndexOf(const Molecule* mol) const; // -1 when not in the list
    // Deletes the molecule; when it was the primary one, the last remaining molecule becomes the
    // primary and active one.
    void DeleteMolecule(int index);
    // Appends a deep copy (atoms, chains, bonds, monitors, frames, motion) and returns it.
    Molecule& DuplicateMolecule(int index);
    // Makes the molecule the primary and only active one.
    void MakePrimary(int index);
    // Fixed molecules stay put while the mouse moves the free ones.
    void ToggleFixed(int index);
    // Flips the molecule's active flag; the primary molecule stays active.
    void ToggleSelection(int index);

    // Rebuilds the hydrogen bonds within and between all molecules in their current placement.
    void FindHydrogenBonds();

    // Playback: a global frame index shown by every molecule with frames, modulo its own length.
    void ResetPlayback();
    void StepForward();
    void StepBackward();
    void SetFrame(int index);
    int FrameIndex() const { return m_frameIndex; }
    int FrameModulus() const { return m_frameModulus; }

    // Reading options.
    bool connectOnRead = true;
    bool zeroComOnRead = true;
    bool secondaryStructOnRead = true;
    bool multiModelTraj = false;
    int multiModelTrajProcess = 0; // 0 verbatim, 1 zero centre of mass, 2 align

    ColorTables colorTables;
    float massTable[kElementCount];                     // atomic mass units by element
    std::vector<std::string> servers{"files.rcsb.org"}; // structure servers tried this run
    std::vector<std::string> identifiers{"1ckw"};       // entry codes tried this run
    IndexedList<std::unique_ptr<Molecule>> molecules;   // in reading order
    Molecule* primary = nullptr;

    MeasureTable measures;                   // the atoms picked for measuring
    std::vector<HydrogenBond> hydrogenBonds; // as last found; molecules by list position
    std::string title; // the window title: the file read, or "No Molecule Loaded" after a failure

private:
    class NewMolecule;
    void FinishRead(Molecule& mol);
    void ReadFrames(Molecule& mol, const std::string& fileName, int type, int mode,
                    const std::string& cancelMessage, const TrajectoryRunner& run);
    void Status(const std::string& text);
    void ShowFrameIndex();

    UiHost* m_ui;
    int m_frameIndex = 0;
    int m_frameModulus = 0;
};

} // namespace vorn
