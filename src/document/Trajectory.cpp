// Trajectory frames of a molecule: attaching a DCD file, reading its frames (also on a worker
// thread) and processing them once read (centre of mass, alignment, bounding box).
#include "document/Trajectory.h"

#include "analysis/Superposition.h"
#include "core/HugePages.h"
#include "core/Parallel.h"
#include "core/VornError.h"
#include "model/Molecule.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <new>
#include <thread>
#include <vector>

namespace vorn {

namespace {

[[noreturn]] void RaiseForType(int type) {
    if (type == kTrajectoryPtf)
        VORN_RAISE("VornDoc", "PTF files are not currently supported!");
    VORN_RAISE("VornDoc", "Unknown file type!");
}

// The reader leaves read errors in its error text instead of raising them.
void RaiseErrorText(const DcdFile& dcd) {
    if (!dcd.ErrorText().empty())
        VORN_RAISE("VornDoc", dcd.ErrorText());
}

void CheckAtomCount(const Molecule& mol, int fileAtoms) {
    if (fileAtoms != mol.AtomCount())
        VORN_RAISE("VornDoc", "Incorrect Number of atoms in DCD file!");
}

void CheckValueSize(int valueSize) {
    if (valueSize != 4 && valueSize != 8)
        VORN_RAISE("VornDoc", "Incompatible data size in DCD file!");
}

// Frames of a large molecule are megabytes each: their pages are advised huge (see HugePages).
std::vector<float> FrameBuffer(const Molecule& mol) {
    return LargeVector<float>(3 * static_cast<size_t>(mol.AtomCount()));
}

// Opens the file and reads its header, which must fit the molecule; the reader stands at the
// first frame.
void OpenForMolecule(DcdFile& dcd, const Molecule& mol, const std::string& fileName,
                     int& frameCount, int& valueSize) {
    if (!dcd.Open(fileName))
        VORN_RAISE("VornDoc", "Can't open DCD file for reading!");
    int atoms = 0;
    dcd.ReadHeader(atoms, frameCount, valueSize);
    RaiseErrorText(dcd);
    CheckAtomCount(mol, atoms);
}

} // namespace

void TrajectoryReader::Attach(Molecule& mol, const std::string& fileName, int type) {
    mol.frames.Clear();
    mol.frameCount = 0;
    mol.valueSize = 0;
    if (type != kTrajectoryDcd)
        RaiseForType(type);
    OpenDcd(mol, fileName);
    if (mol.frameCount == 0)
        VORN_RAISE("VornDoc", "The specified trajectory has zero steps!");
}

void TrajectoryReader::ReadFrame(Molecule& mol, const std::string& fileName, int type) {
    if (type != kTrajectoryDcd)
        RaiseForType(type);
    ReadNextDcdFrame(mol, fileName);
}

// Validates and counts only; a local reader closes the file on every path. A rejected file
// leaves frameCount and valueSize at 0, so nothing reads frames of a file that did not fit.
void TrajectoryReader::OpenDcd(Molecule& mol, const std::string& fileName) {
    DcdFile dcd;
    int frameCount = 0, valueSize = 0;
    OpenForMolecule(dcd, mol, fileName, frameCount, valueSize);
    CheckValueSize(valueSize);
    mol.frameCount = frameCount;
    mol.valueSize = valueSize;
}

// A frame that fails part-way is not appended: the list holds only whole frames.
void TrajectoryReader::ReadNextDcdFrame(Molecule& mol, const std::string& fileName) {
    CheckValueSize(mol.valueSize);
    if (mol.frames.Empty() || !m_dcd.IsOpen())
        Reopen(mol, fileName);
    std::vector<float> frame = FrameBuffer(mol);
    m_dcd.ReadFrame(frame.data(), mol.AtomCount(), mol.valueSize);
    RaiseErrorText(m_dcd);
    mol.frames.Append(std::move(frame));
    ++m_framesRead;
}

// Positions the file after the frames the molecule already holds. The header is checked again:
// the file may have changed since it was attached.
void TrajectoryReader::Reopen(const Molecule& mol, const std::string& fileName) {
    m_dcd.Close();
    int frameCount = 0, valueSize = 0;
    OpenForMolecule(m_dcd, mol, fileName, frameCount, valueSize);
    m_framesRead = 0;
    std::vector<float> skipped = mol.frames.Empty() ? std::vector<float>() : FrameBuffer(mol);
    for (int i = 0; i < mol.frames.Count(); ++i, ++m_framesRead) {
        m_dcd.ReadFrame(skipped.data(), mol.AtomCount(), mol.valueSize);
        RaiseErrorText(m_dcd);
    }
}

bool ReadTrajectoryFrames(Molecule& mol, const std::string& fileName, int type, int first, int end,
                          const std::atomic<bool>& keepGoing,
                          const std::function<void(int)>& progress) {
    TrajectoryReader reader;
    for (int i = first; i < end; ++i) {
        if (!keepGoing.load())
            return false;
        reader.ReadFrame(mol, fileName, type);
        if (progress)
            progress(i + 1);
    }
    return true;
}

bool ReadTrajectoryOnWorker(Molecule& mol, const std::string& fileName, int type, int first,
                            int end, const std::atomic<bool>& keepGoing,
                            const std::function<void(int)>& progress) {
    bool completed = false;
    std::exception_ptr error;
    std::thread worker([&] {
        try {
            completed = ReadTrajectoryFrames(mol, fileName, type, first, end, keepGoing, progress);
        } catch (...) {
            error = std::current_exception();
        }
    });
    worker.join();
    if (error)
        std::rethrow_exception(error);
    return completed;
}

FramesBefore::FramesBefore(Molecule& mol)
    : m_frames(std::move(mol.frames)), m_frameCount(mol.frameCount), m_valueSize(mol.valueSize),
      m_currentFrame(mol.currentFrame), m_frameCenters(mol.frameCenters) {
    mol.frameCount = mol.valueSize = mol.currentFrame = 0;
}

void FramesBefore::Restore(Molecule& mol) {
    mol.frames = std::move(m_frames);
    mol.frameCount = m_frameCount;
    mol.valueSize = m_valueSize;
    mol.currentFrame = m_currentFrame;
    mol.frameCenters = m_frameCenters;
}

namespace {

// Smallest and largest x, y, z seen so far.
struct Box {
    float lo[3], hi[3];
    Box(float x, float y, float z) : lo{x, y, z}, hi{x, y, z} {}
    void Take(float x, float y, float z) {
        const float p[3] = {x, y, z};
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], p[k]);
            hi[k] = std::max(hi[k], p[k]);
        }
    }
    // std::min and std::max keep the earlier of equal values and a NaN they start from, so boxes
    // that each start from the same first point and are taken in order give the box of one pass.
    void Take(const Box& b) {
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], b.lo[k]);
            hi[k] = std::max(hi[k], b.hi[k]);
        }
    }
};

std::vector<float> Masses(const Molecule& mol) {
    std::vector<float> masses(mol.atoms.size());
    for (size_t i = 0; i < masses.size(); ++i)
        masses[i] = mol.atoms[i].mass;
    return masses;
}

std::vector<std::vector<float>*> FramesOf(Molecule& mol) {
    std::vector<std::vector<float>*> frames;
    for (std::vector<float>& frame : mol.frames)
        frames.push_back(&frame);
    return frames;
}

double TotalMass(const Molecule& mol) {
    double total = 0;
    for (const Atom& atom : mol.atoms)
        total += atom.mass;
    return total;
}

// Sums in double: a million single-precision terms would lose the centre's last digits.
void CentreStructure(Molecule& mol, double totalMass, bool zeroComOnRead) {
    double sum[3] = {0, 0, 0};
    for (const Atom& a : mol.atoms) {
        sum[0] += static_cast<double>(a.mass) * a.x;
        sum[1] += static_cast<double>(a.mass) * a.y;
        sum[2] += static_cast<double>(a.mass) * a.z;
    }
    float c[3];
    for (int k = 0; k < 3; ++k)
        c[k] = static_cast<float>(sum[k] / totalMass);
    for (Atom& a : mol.atoms) {
        a.x -= c[0];
        a.y -= c[1];
        a.z -= c[2];
    }
    if (!zeroComOnRead)
        for (int k = 0; k < 3; ++k)
            mol.motion.translation[k] += c[k];
}

// Moves the frame's centre of mass to the origin and stores it in centre.
void CentreFrame(std::vector<float>& frame, const std::vector<float>& masses, double totalMass,
                 float* centre) {
    double sum[3] = {0, 0, 0};
    for (size_t i = 0; i < masses.size(); ++i)
        for (int k = 0; k < 3; ++k)
            sum[k] += static_cast<double>(masses[i]) * frame[3 * i + k];
    for (int k = 0; k < 3; ++k)
        centre[k] = static_cast<float>(sum[k] / totalMass);
    for (size_t i = 0; i < masses.size(); ++i)
        for (int k = 0; k < 3; ++k)
            frame[3 * i + k] -= centre[k];
}

void ZeroFrameCenters(Molecule& mol) {
    // Sized for every frame held, should the list ever outgrow frameCount.
    const size_t frames = static_cast<size_t>(std::max({mol.frameCount, mol.frames.Count(), 0}));
    try {
        mol.frameCenters.assign(3 * frames, 0.0f);
    } catch (const std::bad_alloc&) {
        VORN_RAISE("VornDoc", "Out of memory");
    }
}

void CentreAndAlignFrames(Molecule& mol, int mode, double totalMass) {
    if (!mol.frames.Empty() && mol.frameCount == 0)
        VORN_RAISE("VornDoc", "steps == 0");
    if (totalMass <= 0 || mol.frames.Empty())
        return; // centre and fit are undefined without mass
    const std::vector<float> masses = Masses(mol);
    const std::vector<std::vector<float>*> frames = FramesOf(mol);
    // Each frame is centred and turned by itself, so threads take whole frames.
    RunParts(static_cast<int>(frames.size()), [&](int f) {
        std::vector<float>& frame = *frames[static_cast<size_t>(f)];
        CentreFrame(frame, masses, totalMass, mol.frameCenters.data() + 3 * size_t(f));
        if (mode == kTrajectoryAlign)
            kabsch(mol.atoms, frame.data(), masses.data(), mol.AtomCount());
    });
}

// The box over the atoms (part 0) and every frame (part f + 1), taken on several threads.
void SetBox(Molecule& mol) {
    const Atom& first = mol.atoms.front();
    const std::vector<std::vector<float>*> frames = FramesOf(mol);
    std::vector<Box> boxes(frames.size() + 1, Box(first.x, first.y, first.z));
    RunParts(static_cast<int>(boxes.size()), [&](int part) {
        Box& box = boxes[static_cast<size_t>(part)];
        if (part == 0) {
            for (const Atom& a : mol.atoms)
                box.Take(a.x, a.y, a.z);
            return;
        }
        const std::vector<float>& frame = *frames[static_cast<size_t>(part) - 1];
        for (size_t i = 0; i + 2 < frame.size(); i += 3)
            box.Take(frame[i], frame[i + 1], frame[i + 2]);
    });
    Box box = boxes.front();
    for (const Box& part : boxes)
        box.Take(part);
    double squares = 0;
    for (int k = 0; k < 3; ++k) {
        mol.boxMin[k] = box.lo[k];
        mol.boxSize[k] = box.hi[k] - box.lo[k];
        squares += static_cast<double>(mol.boxSize[k]) * mol.boxSize[k];
    }
    mol.boxDiagonal = static_cast<float>(std::sqrt(squares));
}

} // namespace

void ProcessTrajectory(Molecule& mol, int mode, bool zeroComOnRead) {
    if (mol.atoms.empty())
        return;
    const double totalMass = TotalMass(mol);
    if (totalMass > 0)
        CentreStructure(mol, totalMass, zeroComOnRead);
    ZeroFrameCenters(mol);
    if (mode == kTrajectoryZeroCom || mode == kTrajectoryAlign)
        CentreAndAlignFrames(mol, mode, totalMass);
    SetBox(mol);
}

} // namespace vorn
