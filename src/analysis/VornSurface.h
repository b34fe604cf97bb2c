// The molecular surface of a molecule: a smooth field of atomic bumps triangulated on a grid by
// marching cubes, each vertex knowing its nearest atom (colour, per-atom and per-residue areas).
#pragma once

#include "core/IndexedList.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct Atom;
struct Molecule;
class UiHost;

// Window titles of the two surface-area reports.
inline constexpr const char* kResidueAreaTitle = "Residue Surface Areas (in Angstrom^2)";
inline constexpr const char* kAtomAreaTitle = "Atomic Surface Areas (in Angstrom^2)";

// The largest field grid a build accepts: 2^31 points, 8 GiB of floats. Bigger grids are refused
// with "Out of memory" before anything is allocated.
inline constexpr std::int64_t kMaxGridPoints = std::int64_t(1) << 31;

// One per molecule; copying a molecule copies its surface. Errors are VornError (source
// "VornSurface").
class VornSurface {
public:
    bool valid = false;            // a surface has been built
    float isoLevel = 0.475f;       // field level of the surface
    float saturation = 0.95f;      // a field sum stops once it exceeds this
    float probeRadius = 0.0f;      // added to every atom radius, Å (0 to 3 in the options)
    float spacing = 0.595f;        // field grid step, Å
    int frameIndex = -1;           // trajectory frame of the coordinates; -1 = the atom records
    int drawStyle = 0;             // 0 solid, 1 mesh, 2 dots
    bool includeSolvent = false;   // hetero atoms take part
    float boxCell = 3.0f;          // atom-box cell size and box margin, Å
    int boxMaxCells = 200;         // cells per axis of a box at least boxLargeExtent wide
    float boxLargeExtent = 600.0f; // Å
    bool colorByAtom = true;       // vertices take their atom's colour, else uniformColor
    std::uint8_t alpha = 255;      // alpha used with colorByAtom
    std::array<std::uint8_t, 4> uniformColor = {128, 128, 128, 255}; // R, G, B, A

    std::vector<float> vertices; // x, y, z per welded vertex, Å
    std::vector<float> normals;  // unit outward normal per vertex
    std::vector<int> vertexAtom; // index of each vertex's nearest atom
    std::vector<int> triangles;  // 3 vertex indices each, counter-clockwise seen from outside

    int VertexCount() const { return static_cast<int>(vertices.size() / 3); }
    int TriangleCount() const { return static_cast<int>(triangles.size() / 3); }

    // Points per axis of the field grid of the last build (zeros when it needed none).
    std::array<int, 3> GridSize() const { return m_gridSize; }

    // The options slider, 0 (coarse) to 100 (fine), and the grid spacing it stands for:
    // spacing = (100 − quality) × 0.0165 + 0.1 Å. A quality outside 0..100 is ignored.
    int Quality() const;
    void SetQuality(int quality);

    // Builds the surface from the atoms, or from frame currentFrame − 1 of frames when
    // currentFrame > 0, replacing any previous one, and sets valid. Progress (0 to 200) goes to
    // ui, which may be null. Without surface atoms the result is an empty valid surface.
    void BuildSurface(const std::vector<Atom>& atoms, const IndexedList<std::vector<float>>& frames,
                      int currentFrame, UiHost* ui);

    // The field at a point (0 outside the atom box of the last build).
    float FieldValue(float x, float y, float z) const;

    // Sets the unit normal and the nearest atom of a vertex from the atoms around it.
    void GradientAndColorIndex(int vertex);

    // Fills areas (one entry per atom, its size is the atom count) with each atom's share of the
    // surface area, Å².
    void GetAtomSurfaceArea(std::vector<float>& areas) const;

    // Frees the arrays and clears valid; the settings stay.
    void DestroySurface();

private:
    // An atom taking part in the surface, as the atom box lists it.
    struct BoxAtom {
        float x, y, z;
        float r;     // radius + probeRadius, Å
        float invR2; // 1 / r²
        int atom;    // index in the atom array
    };
    // Position and 1 / R² of an atom, as the field sums read them.
    struct FieldAtom {
        float x, y, z, invR2;
    };
    struct Grid;
    struct Mesh;
    class Progress;

    static float SumField(const FieldAtom* list, std::size_t count, const float p[3],
                          float saturation);
    bool BuildAtomBox(const std::vector<Atom>& atoms, const float* frame);
    void SizeBoxCells(float reach);
    void ListBoxAtoms(const std::vector<BoxAtom>& listed);
    int CellIndex(int cx, int cy, int cz) const;
    int AxisCell(int axis, float p) const;
    void CellOf(const float p[3], int cell[3]) const;
    void GatherFieldAtoms(const int cell[3], std::vector<FieldAtom>& out) const;
    float GridCoordinate(int axis, int index) const;
    Grid SizeFieldGrid() const;
    std::vector<int> CellStarts(int axis, int count) const;
    void ComputeFieldGrid(Grid& grid, Progress& progress) const;
    int CaseOf(const Grid& grid, int i, int j, int k) const;
    void PolygoniseGrid(const Grid& grid, Mesh& mesh) const;
    std::size_t CountCrossings(const Grid& grid) const;
    int AddCrossing(const Grid& grid, const int at[3], int axis, Mesh& mesh) const;
    void WeldVertices(Mesh& mesh);
    std::vector<int> GroupPoints(const std::vector<float>& points);
    void DropFins();
    void ComputeNormals(Progress& progress);
    int SumGradient(const float p[3], const int cell[3], int r, float normal[3]) const;
    void OrientTriangles();

    // Atom box of the last build: cells per axis, their size and the box origin (Å).
    float m_boxMin[3] = {0, 0, 0};
    float m_boxMax[3] = {0, 0, 0};
    float m_cell[3] = {1, 1, 1};
    int m_cells[3] = {0, 0, 0};
    std::vector<int> m_cellStart;    // per cell its first entry in m_boxAtoms, plus the end
    std::vector<BoxAtom> m_boxAtoms; // grouped by cell, atom order within a cell
    std::array<int, 3> m_gridSize = {0, 0, 0};
};

// The text of a surface-area report of mol: per residue of every chain ("%d\t%f\r\n", residue
// number and area) or per atom (serial number and area), then the total of the listed values.
// Builds a surface with the current settings when mol has no valid one, and destroys it after.
std::string SurfaceAreaReport(Molecule& mol, bool byResidue, UiHost* ui);
