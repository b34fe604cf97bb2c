// Builds the molecular surface (atom box, field grid, marching cubes, welding, normals,
// orientation) and splits its area among atoms and residues.
#include "analysis/VornSurface.h"

#include "analysis/MarchingCubesTables.h"
#include "core/UiHost.h"
#include "core/VornError.h"
#include "model/Molecule.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <new>
#include <utility>

namespace {

constexpr const char* kSource = "VornSurface";
// Each corner of a triangle hands this share of its area to the corner's nearest atom.
constexpr float kThird = 0.33333334f;
// A lone atom's surface lies about 1.017 R from its centre. The atom-box cells and the grid margin
// are kept at least 1.1 R of the largest atom, so that a large radius or probe never has its
// surface cut off by the 27-cell search or by the edge of the grid.
constexpr float kReach = 1.1f;
// Atoms with R below this (Å) add no field: nothing that small can show on the grid, and 1 / R²
// must stay finite.
constexpr float kSmallestRadius = 1e-3f;
// The atom box refuses more cells than this (64 MiB of cell starts).
constexpr double kMaxBoxCells = double(1 << 24);
// Hash cells of the vertex welding, Å, and the share of the extent used on long axes.
constexpr float kWeldCell = 0.5f;
constexpr float kWeldLargeExtent = 100.0f;
constexpr float kWeldExtentShare = 0.005f;

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

float Dot(const float a[3], const float b[3]) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// (a − b) × (c − b).
void CrossAt(const float a[3], const float b[3], const float c[3], float out[3]) {
    const float u[3] = {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
    const float v[3] = {c[0] - b[0], c[1] - b[1], c[2] - b[2]};
    out[0] = u[1] * v[2] - u[2] * v[1];
    out[1] = u[2] * v[0] - u[0] * v[2];
    out[2] = u[0] * v[1] - u[1] * v[0];
}

// The welding's hash grid: mesh points sorted by cell, with the start of every row of cells
// (one y and z) so that a point's 27 neighbouring cells are nine short searches.
class WeldGrid {
public:
    explicit WeldGrid(const std::vector<float>& points) {
        const size_t count = points.size() / 3;
        for (int a = 0; a < 3; ++a) {
            float lo = points[size_t(a)], hi = lo;
            for (size_t v = 0; v < count; ++v)
                lo = std::min(lo, points[3 * v + size_t(a)]),
                hi = std::max(hi, points[3 * v + size_t(a)]);
            const float extent = hi - lo;
            m_min[a] = lo;
            m_cell[a] = extent >= kWeldLargeExtent ? extent * kWeldExtentShare : kWeldCell;
            m_n[a] = static_cast<int>(extent / m_cell[a]) + 1;
        }
        m_keyed.resize(count);
        for (size_t v = 0; v < count; ++v) {
            int c[3];
            CellOf(&points[3 * v], c);
            m_keyed[v] = {Key(c[0], c[1], c[2]), static_cast<int>(v)};
        }
        std::sort(m_keyed.begin(), m_keyed.end());
        const size_t rows = size_t(m_n[1]) * size_t(m_n[2]);
        m_rowStart.assign(rows + 1, 0);
        for (const auto& entry : m_keyed)
            ++m_rowStart[size_t(entry.first / m_n[0]) + 1];
        for (size_t r = 0; r < rows; ++r)
            m_rowStart[r + 1] += m_rowStart[r];
    }

    // Calls visit(point index) for every point in the 27 cells around p.
    template <typename Visit>
    void ForEachNear(const float p[3], Visit visit) const {
        int c[3];
        CellOf(p, c);
        for (int z = std::max(c[2] - 1, 0); z <= std::min(c[2] + 1, m_n[2] - 1); ++z)
            for (int y = std::max(c[1] - 1, 0); y <= std::min(c[1] + 1, m_n[1] - 1); ++y) {
                const size_t row = size_t(z) * size_t(m_n[1]) + size_t(y);
                const auto end = m_keyed.begin() + m_rowStart[row + 1];
                const std::int64_t last = Key(std::min(c[0] + 1, m_n[0] - 1), y, z);
                const std::pair<std::int64_t, int> first{Key(std::max(c[0] - 1, 0), y, z), -1};
                for (auto it = std::lower_bound(m_keyed.begin() + m_rowStart[row], end, first);
                     it != end && it->first <= last; ++it)
                    visit(it->second);
            }
    }

private:
    void CellOf(const float p[3], int c[3]) const {
        for (int a = 0; a < 3; ++a)
            c[a] = std::clamp(static_cast<int>((p[a] - m_min[a]) / m_cell[a]), 0, m_n[a] - 1);
    }
    std::int64_t Key(int x, int y, int z) const {
        return (std::int64_t(z) * m_n[1] + y) * m_n[0] + x;
    }

    float m_min[3], m_cell[3];
    int m_n[3];
    std::vector<std::pair<std::int64_t, int>> m_keyed; // cell key, point index
    std::vector<std::ptrdiff_t> m_rowStart;
};

// True when triangle b has the corners of a in the opposite winding.
bool Opposite(const int* a, const int* b) {
    for (int r = 0; r < 3; ++r)
        if (b[0] == a[r] && b[1] == a[(r + 2) % 3] && b[2] == a[(r + 1) % 3])
            return true;
    return false;
}

void AppendLine(std::string& text, int number, double value) {
    char line[64];
    std::snprintf(line, sizeof line, "%d\t%f\r\n", number, value);
    text += line;
}

} // namespace

// Progress over 0 to 200: the field grid fills the first half, the vertex normals the second.
// Only changed positions are passed on.
class VornSurface::Progress {
public:
    explicit Progress(UiHost* ui) : m_ui(ui) {
        if (m_ui)
            m_ui->BeginProgress(200);
    }
    ~Progress() {
        if (m_ui)
            m_ui->EndProgress();
    }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void Show(int phase, size_t done, size_t total) {
        if (!m_ui || total == 0)
            return;
        const int position = phase * 100 + static_cast<int>(done * 100 / total);
        if (position != m_last)
            m_ui->SetProgress(m_last = position);
    }

private:
    UiHost* m_ui;
    int m_last = -1;
};

// Field values on the grid points, x fastest.
struct VornSurface::Grid {
    int n[3] = {0, 0, 0};
    std::vector<float> values;
    size_t Index(int i, int j, int k) const {
        return (static_cast<size_t>(k) * static_cast<size_t>(n[1]) + static_cast<size_t>(j)) *
                   static_cast<size_t>(n[0]) +
               static_cast<size_t>(i);
    }
};

// Marching-cubes output before welding: each grid-edge crossing once, in order of first use.
struct VornSurface::Mesh {
    std::vector<float> points; // x, y, z each
    std::vector<int> triangles;
};

// Rounded to the nearest step: truncating would show the default spacing 0.595 as 69.
int VornSurface::Quality() const {
    const float quality = (1.0f - (spacing - 0.1f) * 0.6060606f) * 100.0f;
    return quality > 0 ? static_cast<int>(std::lround(std::min(quality, 100.0f))) : 0;
}

void VornSurface::SetQuality(int quality) {
    if (quality < 0 || quality > 100)
        return;
    spacing = static_cast<float>(100 - quality) * 0.0165f + 0.1f;
}

void VornSurface::DestroySurface() {
    std::vector<float>().swap(vertices);
    std::vector<float>().swap(normals);
    std::vector<int>().swap(vertexAtom);
    std::vector<int>().swap(triangles);
    valid = false;
}

void VornSurface::BuildSurface(const std::vector<Atom>& atoms,
                               const IndexedList<std::vector<float>>& frames, int currentFrame,
                               UiHost* ui) {
    DestroySurface();
    m_gridSize = {0, 0, 0};
    frameIndex = currentFrame - 1;
    const float* frame = FrameCoordinates(frames, frameIndex, atoms.size());
    if (!frame)
        frameIndex = -1;
    Progress progress(ui);
    try {
        if (!BuildAtomBox(atoms, frame)) {
            valid = true; // nothing takes part: an empty surface
            return;
        }
        Mesh mesh;
        {
            Grid grid = SizeFieldGrid();
            std::copy(grid.n, grid.n + 3, m_gridSize.begin());
            ComputeFieldGrid(grid, progress);
            PolygoniseGrid(grid, mesh);
        }
        WeldVertices(mesh);
        ComputeNormals(progress);
        OrientTriangles();
        valid = true;
    } catch (const std::bad_alloc&) {
        DestroySurface();
        OutOfMemory();
    } catch (...) {
        DestroySurface();
        throw;
    }
}

// The atoms that take part (finite position, R big enough, hetero only with solvent), the
// bounding box of every finite atom position widened by the margin, and the box cells. False
// when no atom takes part. Refuses a grid or box too large before allocating either.
bool VornSurface::BuildAtomBox(const std::vector<Atom>& atoms, const float* frame) {
    std::vector<BoxAtom>().swap(m_boxAtoms);
    std::vector<int>().swap(m_cellStart);
    std::fill(m_cells, m_cells + 3, 0);
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
        const float r = atoms[i].radius + probeRadius;
        if (!(r >= kSmallestRadius && std::isfinite(r)) || (atoms[i].hetero && !includeSolvent))
            continue;
        listed.push_back({p[0], p[1], p[2], r, 1.0f / (r * r), static_cast<int>(i)});
        largest = std::max(largest, r);
    }
    if (listed.empty())
        return false;
    const float reach = kReach * largest;
    const float margin = std::fmax(2 * probeRadius + boxCell, reach + spacing);
    for (int a = 0; a < 3; ++a)
        m_boxMin[a] = lo[a] - margin, m_boxMax[a] = hi[a] + margin;
    SizeFieldGrid(); // refuses a grid that would not fit before the box takes memory
    SizeBoxCells(reach);
    ListBoxAtoms(listed);
    return true;
}

// Cell size per axis: boxCell, or extent / boxMaxCells on axes of at least boxLargeExtent, and
// never below reach.
void VornSurface::SizeBoxCells(float reach) {
    double cells = 1;
    for (int a = 0; a < 3; ++a) {
        const float extent = m_boxMax[a] - m_boxMin[a];
        float cell = boxCell;
        if (extent >= boxLargeExtent && boxMaxCells > 0)
            cell = extent / static_cast<float>(boxMaxCells);
        m_cell[a] = std::fmax(cell, reach);
        const double count = std::floor(double(extent) / m_cell[a]) + 1;
        cells *= count;
        if (!(cells <= kMaxBoxCells))
            OutOfMemory();
        m_cells[a] = static_cast<int>(count);
    }
}

// Lists every atom in its cell, keeping atom order within a cell.
void VornSurface::ListBoxAtoms(const std::vector<BoxAtom>& listed) {
    const size_t cellCount = size_t(m_cells[0]) * size_t(m_cells[1]) * size_t(m_cells[2]);
    std::vector<int> cellOfAtom(listed.size());
    m_cellStart.assign(cellCount + 1, 0);
    for (size_t n = 0; n < listed.size(); ++n) {
        int cell[3];
        const float p[3] = {listed[n].x, listed[n].y, listed[n].z};
        CellOf(p, cell);
        cellOfAtom[n] = CellIndex(cell[0], cell[1], cell[2]);
        ++m_cellStart[size_t(cellOfAtom[n]) + 1];
    }
    for (size_t c = 0; c < cellCount; ++c)
        m_cellStart[c + 1] += m_cellStart[c];
    std::vector<int> fill(m_cellStart.begin(), m_cellStart.end() - 1);
    m_boxAtoms.resize(listed.size());
    for (size_t n = 0; n < listed.size(); ++n)
        m_boxAtoms[size_t(fill[size_t(cellOfAtom[n])]++)] = listed[n];
}

int VornSurface::CellIndex(int cx, int cy, int cz) const {
    return (cz * m_cells[1] + cy) * m_cells[0] + cx;
}

// The cell of coordinate p along axis; points far outside the box (or not finite) land a few
// cells beyond its edge, where no atom is listed.
int VornSurface::AxisCell(int axis, float p) const {
    constexpr float kBeyond = 8; // more than the widest search (4 cells)
    const float cell = std::floor((p - m_boxMin[axis]) / m_cell[axis]);
    if (!(cell >= -kBeyond))
        return -static_cast<int>(kBeyond);
    return static_cast<int>(std::min(cell, static_cast<float>(m_cells[axis]) + kBeyond));
}

// The cell of p, clamped into the box.
void VornSurface::CellOf(const float p[3], int cell[3]) const {
    for (int a = 0; a < 3; ++a)
        cell[a] = std::clamp(AxisCell(a, p[a]), 0, m_cells[a] - 1);
}

// The atoms of the 3 × 3 × 3 cells around cell, z slowest, in list order within a cell.
void VornSurface::GatherFieldAtoms(const int cell[3], std::vector<FieldAtom>& out) const {
    out.clear();
    for (int cz = std::max(cell[2] - 1, 0); cz <= std::min(cell[2] + 1, m_cells[2] - 1); ++cz)
        for (int cy = std::max(cell[1] - 1, 0); cy <= std::min(cell[1] + 1, m_cells[1] - 1); ++cy)
            for (int cx = std::max(cell[0] - 1, 0); cx <= std::min(cell[0] + 1, m_cells[0] - 1);
                 ++cx) {
                const int c = CellIndex(cx, cy, cz);
                for (int n = m_cellStart[size_t(c)]; n < m_cellStart[size_t(c) + 1]; ++n) {
                    const BoxAtom& atom = m_boxAtoms[size_t(n)];
                    out.push_back({atom.x, atom.y, atom.z, atom.invR2});
                }
            }
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
        if (!(cell[a] >= 0 && cell[a] < m_cells[a]))
            return 0;
    }
    std::vector<FieldAtom> near;
    GatherFieldAtoms(cell, near);
    return SumField(near.data(), near.size(), p, saturation);
}

float VornSurface::GridCoordinate(int axis, int index) const {
    return m_boxMin[axis] + static_cast<float>(index) * spacing;
}

// The grid over the widened box: int(extent / spacing) + 1 points per axis. More than
// kMaxGridPoints points in all (or a spacing that is not a positive number) is refused.
VornSurface::Grid VornSurface::SizeFieldGrid() const {
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
    std::vector<int> start(size_t(m_cells[axis]) + 1, count);
    for (int i = count - 1; i >= 0; --i) {
        const int cell = std::clamp(AxisCell(axis, GridCoordinate(axis, i)), 0, m_cells[axis] - 1);
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
    std::vector<FieldAtom> near;
    for (int k = 0; k < grid.n[2]; ++k) {
        if (k % 10 == 0)
            progress.Show(0, size_t(k), size_t(grid.n[2]));
        const float z = GridCoordinate(2, k);
        int cell[3] = {0, 0, std::clamp(AxisCell(2, z), 0, m_cells[2] - 1)};
        for (cell[1] = 0; cell[1] < m_cells[1]; ++cell[1])
            for (cell[0] = 0; cell[0] < m_cells[0]; ++cell[0]) {
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
            isoLevel)
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
    const float t = vb == va ? 0.5f : (isoLevel - va) / (vb - va);
    for (int a = 0; a < 3; ++a) {
        const float from = GridCoordinate(a, at[a]);
        mesh.points.push_back(from + t * (GridCoordinate(a, to[a]) - from));
    }
    return static_cast<int>(mesh.points.size() / 3 - 1);
}

// Groups mesh points closer than half a grid step to the first point of their group (in order of
// first use), on a hash grid of kWeldCell cells (a 200th of the extent on axes of 100 Å or more).
// Triangles with two corners in one group are dropped.
void VornSurface::WeldVertices(Mesh& mesh) {
    const std::vector<int> group = GroupPoints(mesh.points);
    std::vector<float>().swap(mesh.points);
    std::vector<int>& corners = mesh.triangles; // renumbered in place
    size_t kept = 0;
    for (size_t t = 0; t + 2 < corners.size(); t += 3) {
        const int a = group[size_t(corners[t])], b = group[size_t(corners[t + 1])],
                  c = group[size_t(corners[t + 2])];
        if (a != b && b != c && a != c)
            corners[kept] = a, corners[kept + 1] = b, corners[kept + 2] = c, kept += 3;
    }
    corners.resize(kept);
    corners.shrink_to_fit();
    triangles.swap(corners);
    DropFins();
}

// The group (new vertex index) of every point; fills vertices with the groups' first points.
std::vector<int> VornSurface::GroupPoints(const std::vector<float>& points) {
    const size_t count = points.size() / 3;
    std::vector<int> group(count, -1);
    if (count == 0)
        return group;
    const WeldGrid weld(points);
    const float limit = (spacing / 2) * (spacing / 2);
    vertices.reserve(points.size());
    for (size_t v = 0; v < count; ++v) {
        if (group[v] >= 0)
            continue;
        const int id = static_cast<int>(vertices.size() / 3);
        const float* seed = &points[3 * v];
        vertices.insert(vertices.end(), seed, seed + 3);
        weld.ForEachNear(seed, [&](int w) {
            const float* p = &points[3 * size_t(w)];
            const float d[3] = {p[0] - seed[0], p[1] - seed[1], p[2] - seed[2]};
            if (group[size_t(w)] < 0 && Dot(d, d) <= limit)
                group[size_t(w)] = id;
        });
        group[v] = id; // a point is always in its own group, whatever rounding says
    }
    vertices.shrink_to_fit();
    return group;
}

// Welding can fold two triangles onto the same three vertices with opposite windings: such a fin
// encloses nothing and gives its edges four triangles instead of two, so both go. Triangles are
// compared within buckets of their smallest corner.
void VornSurface::DropFins() {
    const size_t count = triangles.size() / 3;
    std::vector<int> start(size_t(VertexCount()) + 1, 0);
    auto smallest = [&](size_t t) {
        return size_t(std::min({triangles[3 * t], triangles[3 * t + 1], triangles[3 * t + 2]}));
    };
    for (size_t t = 0; t < count; ++t)
        ++start[smallest(t) + 1];
    for (size_t v = 0; v + 1 < start.size(); ++v)
        start[v + 1] += start[v];
    std::vector<int> bucket(count), fill(start.begin(), start.end() - 1);
    for (size_t t = 0; t < count; ++t)
        bucket[size_t(fill[smallest(t)]++)] = static_cast<int>(t);
    std::vector<bool> drop(count, false);
    for (size_t v = 0; v + 1 < start.size(); ++v)
        for (int p = start[v]; p < start[v + 1]; ++p)
            for (int q = p + 1; q < start[v + 1] && !drop[size_t(bucket[size_t(p)])]; ++q)
                if (!drop[size_t(bucket[size_t(q)])] &&
                    Opposite(&triangles[3 * size_t(bucket[size_t(p)])],
                             &triangles[3 * size_t(bucket[size_t(q)])]))
                    drop[size_t(bucket[size_t(p)])] = drop[size_t(bucket[size_t(q)])] = true;
    size_t kept = 0;
    for (size_t t = 0; t < count; ++t)
        if (!drop[t])
            for (size_t k = 0; k < 3; ++k)
                triangles[kept++] = triangles[3 * t + k];
    triangles.resize(kept);
}

void VornSurface::ComputeNormals(Progress& progress) {
    const size_t count = vertices.size() / 3;
    normals.assign(3 * count, 0.0f);
    vertexAtom.assign(count, -1);
    for (size_t v = 0; v < count; ++v) {
        if (v % 10 == 0)
            progress.Show(1, v, count);
        GradientAndColorIndex(static_cast<int>(v));
    }
}

// The normal is the field's downhill direction, summed over the atoms of the cells within r
// cells of the vertex (r growing from 1 to 4 until an atom is found); the nearest atom is the
// one with the smallest (d / R)², the first found on ties.
void VornSurface::GradientAndColorIndex(int vertex) {
    const size_t count = vertices.size() / 3;
    if (vertex < 0 || size_t(vertex) >= count || m_boxAtoms.empty())
        VORN_RAISE(kSource, "Invalid color index in GradientAndColorIndex");
    normals.resize(3 * count);
    vertexAtom.resize(count, -1);
    const float* p = &vertices[3 * size_t(vertex)];
    const int cell[3] = {AxisCell(0, p[0]), AxisCell(1, p[1]), AxisCell(2, p[2])};
    float normal[3] = {0, 0, 0};
    int nearest = -1;
    for (int r = 1; r <= 4 && nearest < 0; ++r)
        nearest = SumGradient(p, cell, r, normal);
    if (nearest < 0)
        VORN_RAISE(kSource, "Invalid color index in GradientAndColorIndex");
    const float length = std::sqrt(Dot(normal, normal));
    for (int a = 0; a < 3; ++a)
        normals[3 * size_t(vertex) + size_t(a)] = length > 0 ? normal[a] / length : 0.0f;
    vertexAtom[size_t(vertex)] = nearest;
}

// Adds u · s² / (R (1 + s³)²), u = (p − atom) / R and s = |u|², of the atoms within r cells of
// cell to normal; returns the nearest atom, or -1 when there is none.
int VornSurface::SumGradient(const float p[3], const int cell[3], int r, float normal[3]) const {
    int nearest = -1;
    float smallest = std::numeric_limits<float>::infinity();
    for (int cz = std::max(cell[2] - r, 0); cz <= std::min(cell[2] + r, m_cells[2] - 1); ++cz)
        for (int cy = std::max(cell[1] - r, 0); cy <= std::min(cell[1] + r, m_cells[1] - 1); ++cy)
            for (int cx = std::max(cell[0] - r, 0); cx <= std::min(cell[0] + r, m_cells[0] - 1);
                 ++cx) {
                const int c = CellIndex(cx, cy, cz);
                for (int n = m_cellStart[size_t(c)]; n < m_cellStart[size_t(c) + 1]; ++n) {
                    const BoxAtom& atom = m_boxAtoms[size_t(n)];
                    const float u[3] = {(p[0] - atom.x) / atom.r, (p[1] - atom.y) / atom.r,
                                        (p[2] - atom.z) / atom.r};
                    const float s = Dot(u, u);
                    const float w = s * s / (atom.r * (1 + s * s * s) * (1 + s * s * s));
                    for (int a = 0; a < 3; ++a)
                        normal[a] += u[a] * w;
                    if (nearest < 0 || s < smallest)
                        smallest = s, nearest = atom.atom;
                }
            }
    return nearest;
}

// Marching cubes leaves the winding of a triangle to its case. A triangle (a, b, c) whose
// (pa − pb) × (pc − pb) agrees with all three vertex normals (cosine above 0.5) runs clockwise
// seen from outside, and is turned round.
void VornSurface::OrientTriangles() {
    for (size_t t = 0; t + 2 < triangles.size(); t += 3) {
        const float* pa = &vertices[3 * size_t(triangles[t])];
        const float* pb = &vertices[3 * size_t(triangles[t + 1])];
        const float* pc = &vertices[3 * size_t(triangles[t + 2])];
        float face[3];
        CrossAt(pa, pb, pc, face);
        const float length = std::sqrt(Dot(face, face));
        if (!(length > 0))
            continue;
        bool inward = true;
        for (int k = 0; k < 3 && inward; ++k) {
            const float* n = &normals[3 * size_t(triangles[t + size_t(k)])];
            inward = Dot(face, n) > 0.5f * length;
        }
        if (inward)
            std::swap(triangles[t], triangles[t + 2]);
    }
}

void VornSurface::GetAtomSurfaceArea(std::vector<float>& areas) const {
    if (!valid)
        VORN_RAISE(kSource, "Can not compute surface area for invalid surface");
    std::fill(areas.begin(), areas.end(), 0.0f);
    for (size_t t = 0; t + 2 < triangles.size(); t += 3) {
        float cross[3];
        CrossAt(&vertices[3 * size_t(triangles[t])], &vertices[3 * size_t(triangles[t + 1])],
                &vertices[3 * size_t(triangles[t + 2])], cross);
        const float share = std::sqrt(Dot(cross, cross)) / 2 * kThird;
        for (size_t k = 0; k < 3; ++k) {
            const int atom = vertexAtom[size_t(triangles[t + k])];
            if (atom < 0 || size_t(atom) >= areas.size())
                VORN_RAISE(kSource, "Invalid atom index in GetAtomSurfaceArea");
            areas[size_t(atom)] += share;
        }
    }
}

std::string SurfaceAreaReport(Molecule& mol, bool byResidue, UiHost* ui) {
    VornSurface& surface = mol.surface;
    // A surface built only for the report is discarded again, also when the report fails.
    struct Discard {
        VornSurface* surface;
        ~Discard() {
            if (surface)
                surface->DestroySurface();
        }
    } discard{surface.valid ? nullptr : &surface};
    if (!surface.valid)
        surface.BuildSurface(mol.atoms, mol.frames, mol.currentFrame, ui);
    std::vector<float> areas(mol.atoms.size());
    surface.GetAtomSurfaceArea(areas);
    std::string text;
    double total = 0;
    if (byResidue) {
        for (const Chain& chain : mol.chains)
            for (const Residue& residue : chain.residues) {
                double sum = 0;
                for (int atom : residue.atoms)
                    if (atom >= 0 && size_t(atom) < areas.size())
                        sum += areas[size_t(atom)];
                AppendLine(text, residue.number, sum);
                total += sum;
            }
    } else {
        for (size_t i = 0; i < areas.size(); ++i) {
            AppendLine(text, mol.atoms[i].serial, areas[i]);
            total += areas[i];
        }
    }
    char last[96];
    std::snprintf(last, sizeof last,
                  "###################################\n# Total Surface Area = %f", total);
    return text + last;
}
