// Trajectory frames of a molecule: attaching a DCD file, reading its frames (also on a worker
// thread) and processing them once read (centre of mass, alignment, bounding box).
#pragma once

#include "core/IndexedList.h"
#include "io/DcdFile.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace vorn {

struct Molecule;

// Trajectory file type codes.
enum TrajectoryType { kTrajectoryDcd = 3, kTrajectoryPtf = 4 };

// Processing modes: frames as read, each frame centred on its own centre of mass, and centred
// frames also turned onto the structure.
enum TrajectoryMode { kTrajectoryVerbatim = 0, kTrajectoryZeroCom = 1, kTrajectoryAlign = 2 };

// One reader per trajectory read: it keeps the file open between frames so that consecutive
// ReadFrame calls return consecutive frames. Errors are VornError (source "VornDoc").
class TrajectoryReader {
public:
    // Empties the molecule's frames, then checks the file against the molecule and sets
    // frameCount and valueSize (bytes per value, 4 or 8). The file is closed again.
    void Attach(Molecule& mol, const std::string& fileName, int type);

    // Appends the next frame of the file. The first call for a molecule without frames (or on a
    // fresh reader) opens the file and positions it after the frames the molecule already has.
    void ReadFrame(Molecule& mol, const std::string& fileName, int type);

private:
    void OpenDcd(Molecule& mol, const std::string& fileName);
    void ReadNextDcdFrame(Molecule& mol, const std::string& fileName);
    void Reopen(const Molecule& mol, const std::string& fileName);

    DcdFile m_dcd;
    int m_framesRead = 0; // frames read since the file was (re)opened, skipped ones included
};

// Reads frames [first, end) into the molecule while keepGoing is true, checking it before each
// frame; progress receives the position after each frame (first + frames read so far) and is
// called on the reading thread. Returns false when stopped by the flag, true when every frame was
// read. A VornError in a frame ends the read and propagates; frames read before it are kept.
bool ReadTrajectoryFrames(Molecule& mol, const std::string& fileName, int type, int first, int end,
                          const std::atomic<bool>& keepGoing,
                          const std::function<void(int)>& progress);

// ReadTrajectoryFrames on one worker thread, joined before returning; an exception raised on the
// worker is raised again on the calling thread as the same object type (a VornError stays one).
bool ReadTrajectoryOnWorker(Molecule& mol, const std::string& fileName, int type, int first,
                            int end, const std::atomic<bool>& keepGoing,
                            const std::function<void(int)>& progress);

// A molecule's frames taken out while a new trajectory is read into it, to be put back when that
// read fails or is cancelled.
class FramesBefore {
public:
    explicit FramesBefore(Molecule& mol);
    void Restore(Molecule& mol);

private:
    IndexedList<std::vector<float>> m_frames;
    int m_frameCount;
    int m_valueSize;
    int m_currentFrame;
    std::vector<float> m_frameCenters;
};

// Run once after every read: moves the structure's mass-weighted centre of mass to the origin
// (into motion.translation when zeroComOnRead is off, so the molecule keeps its place on
// screen), treats the frames by mode (TrajectoryMode) and sets boxMin, boxSize and boxDiagonal
// over the atoms and all frames. A zero total mass leaves coordinates uncentred and unturned.
// Frames are treated on several threads; when one fails (its fit is undefined), its error is
// raised once all are done, and the frames are then in no state to keep.
void ProcessTrajectory(Molecule& mol, int mode, bool zeroComOnRead);

} // namespace vorn
