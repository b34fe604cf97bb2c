// Builds the molecular surface: the atom box, the field on a grid and its triangles by marching
// cubes. Welding and orientation are in SurfaceWelding.cpp, the areas in SurfaceArea.cpp.
#include "analysis/VornSurface.h"

#include "analysis/MarchingCubesTables.h"
#include "analysis/VornSurfaceInternals.h"
#include "core/VornError.h"
#include "model/Molecule.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

namespace vorn {

namespace {

constexpr const char* kSource = "VornSurface";
// A lone atom's surface lies about 1.017 R from its centre. The atom-box cells and the grid margin
// are kept at least 1.1 R of the largest atom, so that a large radius or probe never has its
// surface cut off by the 27-cell search or by the edge of the grid.
constexpr float kReach = 1.1f;
// Atoms with R below this (Å) add no field: nothing that small can show on the grid, and 1 / R²
// must stay finite.
constexpr float kSmallestRadius = 1e-3f;
// The atom box refuses more cells than this (64 MiB of cell starts).
constexpr double kMaxBoxCells = double(1 << 24);

[[noreturn]] void OutOfMemory() {
    VORN_RAISE(kSource, "Out of memory");
}

bool Finite(const float p[3]) {
    return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]);
}

// The frame's coordinates when frameIndex names a frame holding every atom, else null.
const float* FrameCoordinates(const IndexedList<std::vector<float>>& frames, int frameIndex,
                              size_t atomCount) {
    if (frameIndex < 0 || frameIndex >= frames.Count())
        return nullptr;
    const std::vector<float>& frame = frames[frameIndex];
    return frame.size() >= 3 * atomCount ? frame.data() : nullptr;
}

void Position(const std::vector<Atom>& atoms, const float* frame, size_t i, float p[3]) {
    if (frame) {
        std::copy(frame + 3 * i, frame + 3 * i + 3, p);
    } else {
        p[0] = atoms[i].x, p[1] = atoms[i].y, p[2] = atoms[i].z;
    }
}

// Triangles of each marching-cubes case.
struct CaseTriangles {
    int count[256] = {};
    CaseTriangles() {
        for (int c = 0; c < 256; ++c)
            while (kTriangleTable[c][3 * count[c]] != -1)
                ++count[c];
    }
};
const CaseTriangles kCaseTriangles;

// Where each cube edge starts (offset from the cube's corner 0) and along which axis it runs.
struct EdgeStart {
    int di, dj, dk, axis;
};
constexpr EdgeStart kEdgeStart[12] = {{0, 0, 0, 0}, {1, 0, 0, 1}, {0, 1, 0, 0}, {0, 0, 0, 1},
                                      {0, 0, 1, 0}, {1, 0, 1, 1}, {0, 1, 1, 0}, {0, 0, 1, 1},
                                      {0, 0, 0, 2}, {1, 0, 0, 2}, {1, 1, 0, 2}, {0, 1, 0, 2}};
// Corner n of a cube as offsets from corner 0.
constexpr int kCorner[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                               {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};

void SwapArrays(SurfaceMesh& a, SurfaceMesh& b) {
    a.vertices.swap(b.vertices);
    a.normals.swap(b.normals);
    a.vertexAtom.swap(b.vertexAtom);
    a.triangles.swap(b.triangles);
}

} // namespace

// Built beside the molecule's surface, which is replaced only by a finished build: a refused or
// failed one leaves the surface the molecule had.
void BuildSurface(Molecule& mol, UiHost* ui) {
    SurfaceMesh aside;
    SwapArrays(aside, mol.surface);
    SurfaceMesh built = mol.surface; // its settings, without copying its arrays
    SwapArrays(aside, mol.surface);
    VornSurface(built).BuildSurface(mol.atoms, mol.frames, mol.currentFrame, ui);
    mol.surface = std::move(built);
}

void VornSurface::BuildSurface(const std::vector<Atom>& atoms,
                               const IndexedList<std::vector<float>>& frames, int currentFrame,
                               UiHost* ui) {
    SurfaceMesh& mesh = m_mesh;
    mesh.DestroySurface();
    mesh.gridSize = {0, 0, 0};
    mesh.frameIndex = currentFrame - 1;
    const float* frame = FrameCoordinates(frames, mesh.frameIndex, atoms.size());
    if (!frame)
        mesh.frameIndex = -1;
    Progress progress(ui);
    try {
        if (!BuildAtomBox(atoms, frame)) {
            mesh.valid = true; // nothing takes part: an empty surface
            return;
        }
        Mesh crossings;
        {
            Grid grid = SizeFieldGrid();
            std::copy(grid.n, grid.n + 3, mesh.gridSize.begin());
            ComputeFieldGrid(grid, progress);
            PolygoniseGrid(grid, crossings);
        }
        WeldVertices(crossings);
        ComputeNormals(progress);
        OrientTriangles();
        mesh.valid = true;
    } catch (const std::bad_alloc&) {
        mesh.DestroySurface();
        OutOfMemory();
    } catch (...) {
        mesh.DestroySurface();
        throw;
    }
}

// The atoms that take part (finite position, R big enough, hetero only with solvent), the
// bounding box of every finite atom position widened by the margin, and the box cells. False
// when no atom takes part. Refuses a grid or box too large before allocating either.
bool VornSurface::BuildAtomBox(const std::vector<Atom>& atoms, const float* frame) {
    std::vector<BoxAtom>().swap(m_boxAtoms);
    m_cells = CellGrid();
    float lo[3], hi[3];
    std::fill(lo, lo + 3, std::numeric_limits<float>::infinity());
    std::fill(hi, hi + 3, -std::numeric_limits<float>::infinity());
    std::vector<BoxAtom> listed;
    float largest = 0;
    for (size_t i = 0; i < atoms.size(); ++i) {
        float p[3];
        Position(atoms, frame, i, p);
        if (!Finite(p))
            continue;
        for (int a = 0; a < 3; ++a)
            lo[a] = std::min(lo[a], p[a]), hi[a] = std::max(hi[a], p[a]);
        const float r = atoms[i].radius + m_mesh.probeRadius;
        if (!(r >= kSmallestRadius && std::isfinite(r)) ||
            (atoms[i].hetero && !m_mesh.includeSolvent))
            continue;
        listed.push_back({p[0], p[1], p[2], r, 1.0f / (r * r), static_cast<int>(i)});
        largest = std::max(largest, r);
    }
    if (listed.empty())
        return false;
    const float reach = kReach * largest;
    const float margin = std::fmax(2 * m_mesh.probeRadius + m_mesh.boxCell, reach + m_mesh.spacing);
    for (int a = 0; a < 3; ++a)
        m_boxMin[a] = lo[a] - margin, m_boxMax[a] = hi[a] + margin;
    SizeFieldGrid(); // refuses a grid that would not fit before the box takes memory
    SizeBoxCells(reach);
    // Each atom in its cell, atom order kept within a cell.
    m_cells.Fill(static_cast<int>(listed.size()), [&](int n) {
        const BoxAtom& atom = listed[size_t(n)];
        return m_cells.CellIndex(m_axes[0].CellOf(atom.x), m_axes[1].CellOf(atom.y),
                                 m_axes[2].CellOf(atom.z));
    });
    m_boxAtoms.reserve(listed.size());
    for (int n : m_cells.Items())
        m_boxAtoms.push_back(listed[size_t(n)]);
    return true;
}

// Cell size per axis: boxCell, or extent / boxMaxCells on axes of at least boxLargeExtent, and
// never below reach.
void VornSurface::SizeBoxCells(float reach) {
    double cells = 1;
    for (int a = 0; a < 3; ++a) {
        const float extent = m_boxMax[a] - m_boxMin[a];
        float cell = m_mesh.boxCell;
        if (extent >= m_mesh.boxLargeExtent && m_mesh.boxMaxCells > 0)
            cell = extent / static_cast<float>(m_mesh.boxMaxCells);
        m_axes[a].min = m_boxMin[a];
        m_axes[a].cell = std::fmax(cell, reach);
        const double count = std::floor(double(extent) / m_axes[a].cell) + 1;
        cells *= count;
        if (!(cells <= kMaxBoxCells))
            OutOfMemory();
        m_axes[a].cells = static_cast<int>(count);
    }
    m_cells = CellGrid(m_axes[0].cells, m_axes[1].cells, m_axes[2].cells);
}

// The cell of coordinate p along axis, not clamped into the box; points far outside it (or not
// finite) land a few cells beyond its edge, where no atom is listed.
int VornSurface::AxisCell(int axis, float p) const {
    constexpr float kBeyond = 8; // more than the widest search (4 cells)
    const float cell = std::floor(m_axes[axis].Offset(p));
    if (!(cell >= -kBeyond))
        return -static_cast<int>(kBeyond);
    return static_cast<int>(std::min(cell, static_cast<float>(m_axes[axis].cells) + kBeyond));
}

// The atoms of the 3 × 3 × 3 cells around cell, z slowest, in list order within a cell.
void VornSurface::GatherFieldAtoms(const int cell[3], std::vector<FieldAtom>& out) const {
    out.clear();
    m_cells.ForEachSlotNear(cell[0], cell[1], cell[2], 1, [&](int slot) {
        const BoxAtom& atom = m_boxAtoms[size_t(slot)];
        out.push_back({atom.x, atom.y, atom.z, atom.invR2});
    });
}

float VornSurface::SumField(const FieldAtom* list, size_t count, const float p[3],
                            float saturation) {
    float sum = 0;
    for (size_t n = 0; n < count; ++n) {
        const float dx = p[0] - list[n].x, dy = p[1] - list[n].y, dz = p[2] - list[n].z;
        const float s = (dx * dx + dy * dy + dz * dz) * list[n].invR2;
        sum += 1.0f / (1.0f + s * s * s);
        if (sum > saturation)
            return sum;
    }
    return sum;
}

float VornSurface::FieldValue(float x, float y, float z) const {
    const float p[3] = {x, y, z};
    int cell[3];
    for (int a = 0; a < 3; ++a) {
        cell[a] = AxisCell(a, p[a]);
        if (!(cell[a] >= 0 && cell[a] < m_axes[a].cells))
            return 0;
    }
    std::vector<FieldAtom> near;
    GatherFieldAtoms(cell, near);
    return SumField(near.data(), near.size(), p, m_mesh.saturation);
}

float VornSurface::GridCoordinate(int axis, int index) const {
    return m_boxMin[axis] + static_cast<float>(index) * m_mesh.spacing;
}

// The grid over the widened box: int(extent / spacing) + 1 points per axis. More than
// kMaxGridPoints points in all (or a spacing that is not a positive number) is refused.
VornSurface::Grid VornSurface::SizeFieldGrid() const {
    const float spacing = m_mesh.spacing;
    Grid grid;
    double points = 1;
    for (int a = 0; a < 3; ++a) {
        const double count = std::floor(double(m_boxMax[a] - m_boxMin[a]) / spacing) + 1;
        points *= count;
        if (!(spacing > 0) || !(points <= double(kMaxGridPoints)))
            OutOfMemory();
        grid.n[a] = static_cast<int>(count);
    }
    return grid;
}

// For each box cell along an axis, the first grid index in it; the last entry is the count.
std::vector<int> VornSurface::CellStarts(int axis, int count) const {
    const int cells = m_axes[axis].cells;
    std::vector<int> start(size_t(cells) + 1, count);
    for (int i = count - 1; i >= 0; --i) {
        const int cell = m_axes[axis].CellOf(GridCoordinate(axis, i));
        for (int c = cell; c >= 0 && start[size_t(c)] > i; --c)
            start[size_t(c)] = i;
    }
    return start;
}

// Fills the grid slice by slice; within a slice, box cell by box cell, so that each cell's
// neighbouring atoms are gathered once.
void VornSurface::ComputeFieldGrid(Grid& grid, Progress& progress) const {
    grid.values.resize(size_t(grid.n[0]) * size_t(grid.n[1]) * size_t(grid.n[2]));
    const std::vector<int> startX = CellStarts(0, grid.n[0]);
    const std::vector<int> startY = CellStarts(1, grid.n[1]);
    const float saturation = m_mesh.saturation;
    std::vector<FieldAtom> near;
    for (int k = 0; k < grid.n[2]; ++k) {
        if (k % 10 == 0)
            progress.Show(0, size_t(k), size_t(grid.n[2]));
        const float z = GridCoordinate(2, k);
        int cell[3] = {0, 0, m_axes[2].CellOf(z)};
        for (cell[1] = 0; cell[1] < m_axes[1].cells; ++cell[1])
            for (cell[0] = 0; cell[0] < m_axes[0].cells; ++cell[0]) {
                GatherFieldAtoms(cell, near);
                for (int j = startY[size_t(cell[1])]; j < startY[size_t(cell[1]) + 1]; ++j) {
                    float p[3] = {0, GridCoordinate(1, j), z};
                    float* row = &grid.values[grid.Index(0, j, k)];
                    for (int i = startX[size_t(cell[0])]; i < startX[size_t(cell[0]) + 1]; ++i) {
                        p[0] = GridCoordinate(0, i);
                        row[i] = SumField(near.data(), near.size(), p, saturation);
                    }
                }
            }
    }
}

// Corner n of the case index is set when its value is at most isoLevel (outside).
int VornSurface::CaseOf(const Grid& grid, int i, int j, int k) const {
    int index = 0;
    for (int n = 0; n < 8; ++n)
        if (grid.values[grid.Index(i + kCorner[n][0], j + kCorner[n][1], k + kCorner[n][2])] <=
            m_mesh.isoLevel)
            index |= 1 << n;
    return index;
}

// Marching cubes over every cell of the grid. A crossing shared by neighbouring cells is made
// once (from the edge's lower grid point), so the mesh needs welding only where crossings lie
// closer than half a grid step. Sizes are counted first so that the arrays are allocated once.
void VornSurface::PolygoniseGrid(const Grid& grid, Mesh& mesh) const {
    const int nx = grid.n[0], ny = grid.n[1], nz = grid.n[2];
    if (nx < 2 || ny < 2 || nz < 2)
        return;
    size_t triangleCount = 0;
    for (int k = 0; k + 1 < nz; ++k)
        for (int j = 0; j + 1 < ny; ++j)
            for (int i = 0; i + 1 < nx; ++i)
                triangleCount += size_t(kCaseTriangles.count[CaseOf(grid, i, j, k)]);
    const size_t crossings = CountCrossings(grid);
    if (crossings > size_t(std::numeric_limits<int>::max()))
        OutOfMemory(); // vertex indices are ints
    mesh.points.reserve(3 * crossings);
    mesh.triangles.reserve(3 * triangleCount);
    const size_t plane = size_t(nx) * size_t(ny);
    std::vector<int> slots[5]; // x and y edges of the even and odd slices, z edges of the layer
    for (std::vector<int>& s : slots)
        s.assign(plane, -1);
    for (int k = 0; k + 1 < nz; ++k) {
        std::fill(slots[2 * ((k + 1) & 1)].begin(), slots[2 * ((k + 1) & 1)].end(), -1);
        std::fill(slots[2 * ((k + 1) & 1) + 1].begin(), slots[2 * ((k + 1) & 1) + 1].end(), -1);
        std::fill(slots[4].begin(), slots[4].end(), -1);
        for (int j = 0; j + 1 < ny; ++j)
            for (int i = 0; i + 1 < nx; ++i) {
                const int c = CaseOf(grid, i, j, k);
                for (int t = 0; kTriangleTable[c][t] != -1; ++t) {
                    const EdgeStart& e = kEdgeStart[kTriangleTable[c][t]];
                    const int at[3] = {i + e.di, j + e.dj, k + e.dk};
                    std::vector<int>& slot =
                        e.axis == 2 ? slots[4] : slots[2 * ((k + e.dk) & 1) + e.axis];
                    int& id = slot[size_t(at[1]) * size_t(nx) + size_t(at[0])];
                    if (id < 0)
                        id = AddCrossing(grid, at, e.axis, mesh);
                    mesh.triangles.push_back(id);
                }
            }
    }
}

// Grid edges whose ends lie on different sides of isoLevel: each gets one mesh point.
size_t VornSurface::CountCrossings(const Grid& grid) const {
    const float isoLevel = m_mesh.isoLevel;
    size_t count = 0;
    for (int k = 0; k < grid.n[2]; ++k)
        for (int j = 0; j < grid.n[1]; ++j)
            for (int i = 0; i < grid.n[0]; ++i) {
                const bool outside = grid.values[grid.Index(i, j, k)] <= isoLevel;
                for (int a = 0; a < 3; ++a) {
                    int to[3] = {i, j, k};
                    if (++to[a] < grid.n[a])
                        count +=
                            (grid.values[grid.Index(to[0], to[1], to[2])] <= isoLevel) != outside;
                }
            }
    return count;
}

// The point where the field crosses isoLevel on the grid edge from at along axis.
int VornSurface::AddCrossing(const Grid& grid, const int at[3], int axis, Mesh& mesh) const {
    int to[3] = {at[0], at[1], at[2]};
    ++to[axis];
    const float va = grid.values[grid.Index(at[0], at[1], at[2])];
    const float vb = grid.values[grid.Index(to[0], to[1], to[2])];
    const float t = vb == va ? 0.5f : (m_mesh.isoLevel - va) / (vb - va);
    for (int a = 0; a < 3; ++a) {
        const float from = GridCoordinate(a, at[a]);
        mesh.points.push_back(from + t * (GridCoordinate(a, to[a]) - from));
    }
    return static_cast<int>(mesh.points.size() / 3 - 1);
}

} // namespace vorn
