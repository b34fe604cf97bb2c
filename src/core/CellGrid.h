// A uniform grid of cells whose items are stored cell by cell, so that the items near a place are
// found in a few cells instead of by a search of all of them.
#pragma once

#include "core/FlatLists.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <vector>

namespace vorn {

// The cells along one axis: `cells` cells of size `cell` from `min`. T is the precision in which
// the cell of a coordinate is computed; callers that must reproduce earlier results keep theirs.
template <typename T>
struct GridAxis {
    T min = 0;
    T cell = 1;
    int cells = 1;

    // The position of v in cells from min, not clamped (NaN stays NaN).
    T Offset(T v) const { return (v - min) / cell; }

    // The cell of v, clamped into the axis; NaN and -inf go to cell 0.
    int CellOf(T v) const {
        const T c = Offset(v);
        if (!(c >= 0))
            return 0;
        if (c >= static_cast<T>(cells))
            return cells - 1;
        return static_cast<int>(c);
    }
};

// Axes over the boxes lo .. hi with cells of at least minCell, all widened by the same factor
// until there are at most maxCells cells in all: far-flung points then share larger cells instead
// of needing a grid the size of the space between them.
template <typename T>
std::array<GridAxis<T>, 3> FitAxes(const T lo[3], const T hi[3], T minCell, double maxCells) {
    std::array<GridAxis<T>, 3> axes;
    T cell = minCell;
    for (;;) {
        double total = 1;
        for (int a = 0; a < 3; ++a) {
            const double extent = std::max(0.0, double(hi[a]) - double(lo[a]));
            axes[a].min = lo[a];
            axes[a].cell = cell;
            axes[a].cells = static_cast<int>(std::min(extent / double(cell), 1e9)) + 1;
            total *= axes[a].cells;
        }
        if (total <= maxCells)
            return axes;
        cell = static_cast<T>(cell * std::max(1.25, std::cbrt(total / maxCells)));
    }
}

// Items (numbered 0 .. n − 1) bucketed by cell with a counting sort: the slots Begin(c) .. End(c)
// − 1 of Items() hold the items of cell c in item order. Cells are numbered x fastest.
class CellGrid {
public:
    CellGrid() = default;
    CellGrid(int nx, int ny, int nz) : m_n{nx, ny, nz} {}

    int CellsAlong(int axis) const { return m_n[axis]; }
    std::size_t CellCount() const {
        return static_cast<std::size_t>(m_n[0]) * static_cast<std::size_t>(m_n[1]) *
               static_cast<std::size_t>(m_n[2]);
    }
    int CellIndex(int x, int y, int z) const { return (z * m_n[1] + y) * m_n[0] + x; }

    // Buckets items 0 .. count − 1; cellOf(i) gives an item's cell index, or −1 for an item that
    // belongs to no cell and gets no slot.
    template <typename CellOfItem>
    void Fill(int count, CellOfItem cellOf) {
        m_slots = GroupByKey(static_cast<int>(CellCount()), count, cellOf);
    }
    // The same on several threads; cellOf is called from several threads at once.
    template <typename CellOfItem>
    void FillOnThreads(int count, CellOfItem cellOf) {
        m_slots = GroupByKeyOnThreads(static_cast<int>(CellCount()), count, cellOf);
    }

    int Begin(int cell) const { return m_slots.Start(cell); }
    int End(int cell) const { return m_slots.Start(cell + 1); }
    // The item of each slot; a caller may reorder the slots within a cell.
    std::vector<int>& Items() { return m_slots.Values(); }
    const std::vector<int>& Items() const { return m_slots.Values(); }

    // Calls visit(slot) for the slots of every cell within reach cells of (x, y, z) on each axis,
    // cells in index order (z slowest, x fastest), slots in order within a cell. The cell itself
    // may lie outside the grid.
    template <typename Visit>
    void ForEachSlotNear(int x, int y, int z, int reach, Visit visit) const {
        for (int cz = std::max(z - reach, 0); cz <= std::min(z + reach, m_n[2] - 1); ++cz)
            for (int cy = std::max(y - reach, 0); cy <= std::min(y + reach, m_n[1] - 1); ++cy)
                for (int cx = std::max(x - reach, 0); cx <= std::min(x + reach, m_n[0] - 1); ++cx) {
                    const int c = CellIndex(cx, cy, cz);
                    for (int s = Begin(c); s < End(c); ++s)
                        visit(s);
                }
    }

private:
    int m_n[3] = {0, 0, 0};
    FlatLists m_slots; // list c: the items of cell c
};

} // namespace vorn
