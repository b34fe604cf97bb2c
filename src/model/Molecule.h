// The in-memory molecule: atoms, chains of residues, bonds, monitors and trajectory frames.
#pragma once

#include "core/FlatLists.h"
#include "core/IndexedList.h"
#include "model/Elements.h"
#include "model/MotionState.h"
#include "model/SurfaceMesh.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vorn {

// Display colour of an atom, four bytes (A = 255 is opaque).
struct Rgba {
    std::uint8_t r = 255, g = 255, b = 255, a = 255;
    bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
    bool operator!=(const Rgba& o) const { return !(*this == o); }
};

// Names are short fixed fields (a PDB atom name has at most 7 characters, a residue name at most
// 5): inline arrays keep a million atoms compact and cheap to copy.
struct Atom {
    char name[8] = "";         // atom name as the reader delivered it
    float radius = 1.0f;       // display radius, Å
    float mass = 1.0f;         // atomic mass units
    float x = 0, y = 0, z = 0; // Å
    char resName[8] = "";
    std::int32_t resSeq = 0;
    float tempFactor = 0;
    float occupancy = 0;
    std::int32_t serial = -1;
    std::int32_t element = kUnknownElement;
    Rgba color;
    bool hetero = false; // HETATM record, water residue, or lone oxygen
    std::int32_t model = 1;
    char chain = '\x01';
};

// The atom indices of one residue in file order. One array per residue: a list node per atom
// would cost a million allocations for a million atoms.
class ResidueAtoms {
public:
    int Count() const { return static_cast<int>(m_atoms.size()); }
    bool Empty() const { return m_atoms.empty(); }
    void Append(int index) { m_atoms.push_back(index); }
    void Reserve(int count) { m_atoms.reserve(static_cast<std::size_t>(count)); }
    int operator[](int i) const { return m_atoms[static_cast<std::size_t>(i)]; }
    const int* begin() const { return m_atoms.data(); }
    const int* end() const { return m_atoms.data() + m_atoms.size(); }

private:
    std::vector<int> m_atoms;
};

struct Residue {
    std::int32_t type = kUnknownResidue;
    std::int32_t structure = kNotAssigned;
    std::int32_t number = -1;
    std::int32_t caIndex = -1;     // atom "CA" ("C3*" or "C3'" for nucleotides)
    std::int32_t orientIndex = -1; // atom "O" ("C5*", "C5'" for nucleotides): orients the ribbon
    float profileA = 1.0f, profileB = 1.0f;
    ResidueAtoms atoms; // atom indices in file order
};

struct Chain {
    std::int32_t model = 0;
    char id = ' ';
    std::vector<Residue> residues; // in sequence order
};

struct Bond {
    int first = 0; // atom index, first < second
    int second = 0;
    bool split = false;  // the two atoms differ in colour: drawn as two halves
    bool hetero = false; // either atom is hetero
};

// Atom-pair monitor: a dashed line with its distance between two atoms.
struct Monitor {
    int kind = 0;
    int atomA = -1;
    int atomB = -1;
    Rgba color;
};

// Radius schemes of SetRadii.
enum RadiusScheme {
    kDefaultRadius = 0,
    kRadiusByElement,
    kRadiusByAtom,
    kRadiusByTemperature,
    kRadiusByOccupancy
};

struct Molecule {
    std::string fileName;
    std::vector<Atom> atoms;
    std::vector<Chain> chains;
    std::vector<Bond> bonds;
    IndexedList<Monitor> monitors;
    FlatLists bonded; // per atom, the indices of its bonded atoms

    // Trajectory frames: each 3 × atom count floats (x, y, z per atom, in atom order).
    IndexedList<std::vector<float>> frames;
    int frameCount = 0;
    int valueSize = 0;               // bytes per coordinate value in the trajectory file (4 or 8)
    int currentFrame = 0;            // 0 shows the atoms' coordinates, k > 0 frame k − 1
    std::vector<float> frameCenters; // 3 per frame: the centre of mass removed from it, Å
    float boxMin[3] = {0, 0, 0};     // smallest x, y, z over the atoms and all frames, Å
    float boxSize[3] = {0, 0, 0};    // largest minus smallest, Å
    float boxDiagonal = 0;           // Å

    // Magnitudes of the extreme temperature factors and occupancies of the file's records.
    float tempMax = 1.0f, tempMin = 1.0f;
    float occMax = 1.0f, occMin = 1.0f;

    bool active = true; // menu commands act on it
    // How the view shows it: the render mode (0 hidden, 1 wire frame, 2 CPK, 3 points, 4 sticks,
    // 5 ball and stick, 6 to 13 traces, ribbons and tubes) and the flags of the Molecule menu.
    int renderMode = 1;
    bool showWireFrame = false; // wire frame under traces and ribbons
    bool solvent = true;        // hetero atoms and their bonds shown
    bool atomLabels = false;
    bool monitorsShown = true;
    bool monitorLabels = false;
    MotionState motion; // motion.moving: free to be turned and moved by the mouse

    int radiusScheme = kDefaultRadius;
    float elementRadii[kElementCount] = {};

    SurfaceMesh surface; // the molecular surface, built on demand

    int AtomCount() const { return static_cast<int>(atoms.size()); }
    int ResidueCount() const; // residues kept in chains
};

// (value - min) / (max - min), or 1.0 when the range is empty (under 1e-6): where a temperature
// factor or occupancy lies within the molecule's range.
double Normalize(double value, double min, double max);

// Index of the atom with the given serial number, or -1.
int FindAtomBySerial(const Molecule& mol, int serial);

// The first residue, scanning chains in order, with the given number; false when there is none.
bool FindResidueByNumber(const Molecule& mol, int number, int& chainIndex, int& residueIndex);

} // namespace vorn
