// Turns the marching-cubes crossings into the surface's mesh: crossings that lie closer than half
// a grid step become one vertex, folded triangles go, every vertex gets its outward normal and
// nearest atom, and every triangle is wound counter-clockwise seen from outside.
#include "analysis/VornSurface.h"
#include "analysis/VornSurfaceInternals.h"
#include "core/VornError.h"
#include "model/SurfaceMesh.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace vorn {

namespace {

constexpr const char* kSource = "VornSurface";
// Welding looks for partners in cells at least this wide (Å), and at least as wide as the welding
// distance; a budget of cells per point widens them for meshes spread over a large space.
constexpr float kWeldCell = 0.5f;
constexpr double kWeldCellsPerPoint = 4.0;

Vec3f PointAt(const std::vector<float>& xyz, size_t i) {
    return At(&xyz[3 * i]);
}

// The mesh points bucketed on a grid of cells at least minCell wide.
class WeldGrid {
public:
    WeldGrid(const std::vector<float>& points, float minCell) {
        const size_t count = points.size() / 3;
        float lo[3], hi[3];
        for (int a = 0; a < 3; ++a) {
            lo[a] = hi[a] = points[size_t(a)];
            for (size_t v = 0; v < count; ++v)
                lo[a] = std::min(lo[a], points[3 * v + size_t(a)]),
                hi[a] = std::max(hi[a], points[3 * v + size_t(a)]);
        }
        m_axes = FitAxes(lo, hi, minCell, std::max(4096.0, kWeldCellsPerPoint * double(count)));
        m_cells = CellGrid(m_axes[0].cells, m_axes[1].cells, m_axes[2].cells);
        m_cells.Fill(static_cast<int>(count), [&](int v) {
            const float* p = &points[3 * size_t(v)];
            return m_cells.CellIndex(m_axes[0].CellOf(p[0]), m_axes[1].CellOf(p[1]),
                                     m_axes[2].CellOf(p[2]));
        });
    }

    // Calls visit(point index) for every point in the 27 cells around p.
    template <typename Visit>
    void ForEachNear(const Vec3f& p, Visit visit) const {
        const std::vector<int>& items = m_cells.Items();
        m_cells.ForEachSlotNear(m_axes[0].CellOf(p[0]), m_axes[1].CellOf(p[1]),
                                m_axes[2].CellOf(p[2]), 1,
                                [&](int slot) { visit(items[size_t(slot)]); });
    }

private:
    std::array<GridAxis<float>, 3> m_axes;
    CellGrid m_cells;
};

// True when triangle b has the corners of a in the opposite winding.
bool Opposite(const int* a, const int* b) {
    for (int r = 0; r < 3; ++r)
        if (b[0] == a[r] && b[1] == a[(r + 2) % 3] && b[2] == a[(r + 1) % 3])
            return true;
    return false;
}

// Welding can fold two triangles onto the same three vertices with opposite windings: such a fin
// encloses nothing and gives its edges four triangles instead of two, so both go. Triangles are
// compared within buckets of their smallest corner.
void RemoveFins(std::vector<int>& triangles, int vertexCount) {
    const int count = static_cast<int>(triangles.size() / 3);
    CellGrid byCorner(vertexCount, 1, 1);
    byCorner.Fill(count, [&](int t) {
        const int* c = &triangles[3 * size_t(t)];
        return std::min({c[0], c[1], c[2]});
    });
    const std::vector<int>& bucket = byCorner.Items();
    std::vector<bool> drop(size_t(count), false);
    const auto corners = [&](int slot) { return &triangles[3 * size_t(bucket[size_t(slot)])]; };
    const auto dropped = [&](int slot) { return drop[size_t(bucket[size_t(slot)])]; };
    for (int v = 0; v < vertexCount; ++v)
        for (int p = byCorner.Begin(v); p < byCorner.End(v); ++p)
            for (int q = p + 1; q < byCorner.End(v) && !dropped(p); ++q)
                if (!dropped(q) && Opposite(corners(p), corners(q)))
                    drop[size_t(bucket[size_t(p)])] = drop[size_t(bucket[size_t(q)])] = true;
    size_t kept = 0;
    for (size_t t = 0; t < size_t(count); ++t)
        if (!drop[t])
            for (size_t k = 0; k < 3; ++k)
                triangles[kept++] = triangles[3 * t + k];
    triangles.resize(kept);
}

} // namespace

// Groups mesh points closer than half a grid step to the first point of their group (in order of
// first use). Triangles with two corners in one group are dropped.
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
    m_mesh.triangles.swap(corners);
    RemoveFins(m_mesh.triangles, m_mesh.VertexCount());
}

// The group (new vertex index) of every point; fills vertices with the groups' first points.
std::vector<int> VornSurface::GroupPoints(const std::vector<float>& points) {
    const size_t count = points.size() / 3;
    std::vector<int> group(count, -1);
    if (count == 0)
        return group;
    const float half = m_mesh.spacing / 2;
    const float limit = half * half;
    const WeldGrid weld(points, std::max(kWeldCell, half));
    std::vector<float>& vertices = m_mesh.vertices;
    vertices.reserve(points.size());
    for (size_t v = 0; v < count; ++v) {
        if (group[v] >= 0)
            continue;
        const int id = static_cast<int>(vertices.size() / 3);
        const Vec3f seed = PointAt(points, v);
        vertices.insert(vertices.end(), seed.begin(), seed.end());
        weld.ForEachNear(seed, [&](int w) {
            if (group[size_t(w)] < 0 && Distance2(PointAt(points, size_t(w)), seed) <= limit)
                group[size_t(w)] = id;
        });
        group[v] = id; // a point is always in its own group, whatever rounding says
    }
    vertices.shrink_to_fit();
    return group;
}

void VornSurface::ComputeNormals(Progress& progress) {
    const size_t count = m_mesh.vertices.size() / 3;
    m_mesh.normals.assign(3 * count, 0.0f);
    m_mesh.vertexAtom.assign(count, -1);
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
    const size_t count = m_mesh.vertices.size() / 3;
    if (vertex < 0 || size_t(vertex) >= count || m_boxAtoms.empty())
        VORN_RAISE(kSource, "Invalid color index in GradientAndColorIndex");
    m_mesh.normals.resize(3 * count);
    m_mesh.vertexAtom.resize(count, -1);
    const Vec3f p = PointAt(m_mesh.vertices, size_t(vertex));
    const int cell[3] = {AxisCell(0, p[0]), AxisCell(1, p[1]), AxisCell(2, p[2])};
    Vec3f normal = {0, 0, 0};
    int nearest = -1;
    for (int r = 1; r <= 4 && nearest < 0; ++r)
        nearest = SumGradient(p, cell, r, normal);
    if (nearest < 0)
        VORN_RAISE(kSource, "Invalid color index in GradientAndColorIndex");
    const float length = Length(normal);
    for (int a = 0; a < 3; ++a)
        m_mesh.normals[3 * size_t(vertex) + size_t(a)] = length > 0 ? normal[a] / length : 0.0f;
    m_mesh.vertexAtom[size_t(vertex)] = nearest;
}

// Adds u · s² / (R (1 + s³)²), u = (p − atom) / R and s = |u|², of the atoms within r cells of
// cell to normal; returns the nearest atom, or -1 when there is none.
int VornSurface::SumGradient(const Vec3f& p, const int cell[3], int r, Vec3f& normal) const {
    int nearest = -1;
    float smallest = std::numeric_limits<float>::infinity();
    m_cells.ForEachSlotNear(cell[0], cell[1], cell[2], r, [&](int slot) {
        const BoxAtom& atom = m_boxAtoms[size_t(slot)];
        const Vec3f u = {(p[0] - atom.x) / atom.r, (p[1] - atom.y) / atom.r,
                         (p[2] - atom.z) / atom.r};
        const float s = Dot(u, u);
        const float w = s * s / (atom.r * (1 + s * s * s) * (1 + s * s * s));
        for (int a = 0; a < 3; ++a)
            normal[a] += u[a] * w;
        if (nearest < 0 || s < smallest)
            smallest = s, nearest = atom.atom;
    });
    return nearest;
}

// Marching cubes leaves the winding of a triangle to its case. A triangle (a, b, c) whose
// (pa − pb) × (pc − pb) agrees with all three vertex normals (cosine above 0.5) runs clockwise
// seen from outside, and is turned round.
void VornSurface::OrientTriangles() {
    std::vector<int>& triangles = m_mesh.triangles;
    for (size_t t = 0; t + 2 < triangles.size(); t += 3) {
        const Vec3f pa = PointAt(m_mesh.vertices, size_t(triangles[t]));
        const Vec3f pb = PointAt(m_mesh.vertices, size_t(triangles[t + 1]));
        const Vec3f pc = PointAt(m_mesh.vertices, size_t(triangles[t + 2]));
        const Vec3f face = Cross(Sub(pa, pb), Sub(pc, pb));
        const float length = Length(face);
        if (!(length > 0))
            continue;
        bool inward = true;
        for (int k = 0; k < 3 && inward; ++k)
            inward = Dot(face, PointAt(m_mesh.normals, size_t(triangles[t + size_t(k)]))) >
                     0.5f * length;
        if (inward)
            std::swap(triangles[t], triangles[t + 2]);
    }
}

} // namespace vorn
