// Builds the molecular surface of a molecule: a smooth field of atomic bumps triangulated on a grid
// by marching cubes, each vertex knowing its nearest atom (colour, per-atom and per-residue areas).
#pragma once

#include "core/CellGrid.h"
#include "core/IndexedList.h"
#include "core/Vec3.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vorn {

class UiHost;
struct Atom;
struct Molecule;
struct SurfaceMesh;

// Window titles of the two surface-area reports.
inline constexpr const char* kResidueAreaTitle = "Residue Surface Areas (in Angstrom^2)";
inline constexpr const char* kAtomAreaTitle = "Atomic Surface Areas (in Angstrom^2)";

// The largest field grid a build accepts: 2^31 points, 8 GiB of floats. Bigger grids are refused
// with "Out of memory" before anything is allocated.
inline constexpr std::int64_t kMaxGridPoints = std::int64_t(1) << 31;

// Fills a SurfaceMesh with the settings it holds. The builder keeps the atom box of its last build
// (for FieldValue and GradientAndColorIndex); the mesh keeps only the result. Errors are VornError
// (source "VornSurface").
class VornSurface {
public:
    explicit VornSurface(SurfaceMesh& mesh) : m_mesh(mesh) {}

    // Builds the surface from the atoms, or from frame currentFrame − 1 of frames when
    // currentFrame > 0, replacing any previous one, and sets valid. Progress (0 to 200) goes to
    // ui, which may be null. Without surface atoms the result is an empty valid surface.
    void BuildSurface(const std::vector<Atom>& atoms, const IndexedList<std::vector<float>>& frames,
                      int currentFrame, UiHost* ui);

    // The field at a point (0 outside the atom box of the last build).
    float FieldValue(float x, float y, float z) const;

    // Sets the unit normal and the nearest atom of a vertex from the atoms around it.
    void GradientAndColorIndex(int vertex);

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
    int AxisCell(int axis, float p) const;
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
    void ComputeNormals(Progress& progress);
    int SumGradient(const Vec3f& p, const int cell[3], int r, Vec3f& normal) const;
    void OrientTriangles();

    SurfaceMesh& m_mesh;
    // Atom box of the last build: the box (Å), its cells and the atoms listed cell by cell.
    float m_boxMin[3] = {0, 0, 0};
    float m_boxMax[3] = {0, 0, 0};
    std::array<GridAxis<float>, 3> m_axes;
    CellGrid m_cells;
    std::vector<BoxAtom> m_boxAtoms; // in the order of the cells' slots
};

// Builds the molecule's surface from the coordinates it shows. A build that fails (VornError)
// leaves the surface the molecule had.
void BuildSurface(Molecule& mol, UiHost* ui);

// Fills areas (one entry per atom, its size is the atom count) with each atom's share of the
// surface's area, Å².
void GetAtomSurfaceArea(const SurfaceMesh& mesh, std::vector<float>& areas);

// The text of a surface-area report of mol: per residue of every chain ("%d\t%f\r\n", residue
// number and area) or per atom (serial number and area), then the total of the listed values.
// Builds a surface with the current settings when mol has no valid one, and destroys it after.
std::string SurfaceAreaReport(Molecule& mol, bool byResidue, UiHost* ui);

} // namespace vorn
