// The scratch records a surface build hands between its steps: progress, the field grid and the
// mesh before welding.
#pragma once

#include "analysis/VornSurface.h"
#include "core/UiHost.h"

#include <cstddef>
#include <vector>

namespace vorn {

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

    void Show(int phase, std::size_t done, std::size_t total) {
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
    std::size_t Index(int i, int j, int k) const {
        return (static_cast<std::size_t>(k) * static_cast<std::size_t>(n[1]) +
                static_cast<std::size_t>(j)) *
                   static_cast<std::size_t>(n[0]) +
               static_cast<std::size_t>(i);
    }
};

// Marching-cubes output before welding: each grid-edge crossing once, in order of first use.
struct VornSurface::Mesh {
    std::vector<float> points; // x, y, z each
    std::vector<int> triangles;
};

} // namespace vorn
