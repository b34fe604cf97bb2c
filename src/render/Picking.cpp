// Picking by the graphics library's selection mode: one point per atom and per bond midpoint
// drawn under a 10 × 10 pixel pick window, the nearest hit kept, and what a click does with it.
#include "render/Picking.h"

#include "core/UiHost.h"
#include "core/VornError.h"
#include "document/VornDoc.h"
#include "model/Molecule.h"
#include "render/ViewHost.h"
#include "render/VornView.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <new>
#include <vector>

namespace vorn {

namespace {

const char* const kSource = "pick";

// Side of the square around the click that counts as under the mouse, pixels.
constexpr double kPickWindow = 10.0;

// The view volume of the current projection and modelview matrices, for points of the model. A
// point outside it is clipped and can never be hit; under a pick window of 10 pixels nearly all
// points are outside, and leaving them out of the pass saves most of its time. The test is a
// little generous, so that points at the very edge still go to GL, which decides.
class ViewVolume {
public:
    ViewVolume() {
        GLdouble p[16], m[16];
        glGetDoublev(GL_PROJECTION_MATRIX, p);
        glGetDoublev(GL_MODELVIEW_MATRIX, m);
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r) {
                double sum = 0;
                for (int k = 0; k < 4; ++k)
                    sum += p[4 * k + r] * m[4 * c + k];
                m_clip[4 * c + r] = sum;
            }
    }
    bool Contains(const float* v) const {
        double c[4];
        for (int r = 0; r < 4; ++r)
            c[r] = m_clip[r] * v[0] + m_clip[4 + r] * v[1] + m_clip[8 + r] * v[2] + m_clip[12 + r];
        // Behind the eye w is negative and nothing is inside.
        const double w = c[3] + 1e-3 * std::fabs(c[3]);
        return std::fabs(c[0]) <= w && std::fabs(c[1]) <= w && std::fabs(c[2]) <= w;
    }

private:
    double m_clip[16];
};

void PickPoint(unsigned name, const float* p) {
    glLoadName(name);
    glBegin(GL_POINTS);
    glVertex3fv(p);
    glEnd();
}

// Selection mode with the pick window in the projection, left again however the pass ends: the
// projection, the matrix mode and immediate primitives are as they were before.
class SelectionPass {
public:
    SelectionPass(std::vector<GLuint>& buffer, const PickViewport& v, int x, int y,
                  int windowHeight, float fieldOfView, Primitives& primitives)
        : m_primitives(primitives), m_wasImmediate(primitives.Immediate()) {
        const auto size = static_cast<GLsizei>(std::min<std::size_t>(buffer.size(), INT_MAX));
        glSelectBuffer(size, buffer.data());
        glRenderMode(GL_SELECT);
        glInitNames();
        glPushName(0);
        GLint viewport[4] = {v.x, v.y, v.width, v.height};
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        gluPickMatrix(x, windowHeight - y, kPickWindow, kPickWindow, viewport);
        gluPerspective(fieldOfView, static_cast<double>(v.width) / v.height, 0.5, 7.0);
        glMatrixMode(GL_MODELVIEW);
        // Display lists must not be called in selection mode (Mesa crashes on a sphere list).
        m_primitives.SetImmediate(true);
    }
    // The number of hit records, negative when the buffer overflowed.
    GLint Finish() {
        if (m_finished)
            return 0;
        m_finished = true;
        m_primitives.SetImmediate(m_wasImmediate);
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        return glRenderMode(GL_RENDER);
    }
    ~SelectionPass() { Finish(); }
    SelectionPass(const SelectionPass&) = delete;
    SelectionPass& operator=(const SelectionPass&) = delete;

private:
    Primitives& m_primitives;
    bool m_wasImmediate;
    bool m_finished = false;
};

} // namespace

std::uint32_t PickNameCount(const MoleculeList& molecules) {
    std::uint32_t names = 0;
    for (const auto& mol : molecules)
        if (mol->AtomCount() > 0)
            names += static_cast<std::uint32_t>(mol->atoms.size() + mol->bonds.size());
    return names;
}

std::uint32_t ChooseHit(const std::uint32_t* buffer, int size, int hits) {
    std::uint32_t kept = kNoPickName;
    std::uint32_t nearest = 0xFFFFFFFFu;
    long k = 0;
    for (int h = 0; h < hits && k + 3 <= size; ++h) {
        const std::uint32_t names = buffer[k];
        if (names > static_cast<std::uint32_t>(size - k - 3))
            break;
        const std::uint32_t minDepth = buffer[k + 1];
        // Depths are unsigned fractions of the depth range: a signed comparison would put the
        // back half of the scene in front.
        if (names > 0 && minDepth <= nearest) {
            nearest = minDepth;
            kept = buffer[k + 3];
        }
        k += 3 + static_cast<long>(names);
    }
    return kept;
}

PickResult DecodePickName(const MoleculeList& molecules, std::uint32_t name) {
    if (name == kNoPickName)
        VORN_RAISE(kSource, "Selection buffer underflow -> match not found!");
    if (name >= PickNameCount(molecules))
        VORN_RAISE(kSource, "Selection buffer overflow!");
    std::uint32_t rest = name;
    for (const auto& mol : molecules) {
        if (mol->AtomCount() == 0)
            continue;
        const auto atoms = static_cast<std::uint32_t>(mol->atoms.size());
        const auto range = atoms + static_cast<std::uint32_t>(mol->bonds.size());
        if (rest < range) {
            if (rest < atoms)
                return {kPickedAtom, static_cast<int>(rest), mol.get()};
            return {kPickedBond, static_cast<int>(rest - atoms), mol.get()};
        }
        rest -= range;
    }
    return {}; // not reached: the name is below the count
}

PickViewport PickViewportAt(int x, int windowWidth, int windowHeight, bool stereo) {
    if (!stereo)
        return {0, 0, windowWidth, windowHeight};
    const int half = windowWidth / 2;
    return x < half ? PickViewport{0, 0, half, windowHeight}
                    : PickViewport{half, 0, half, windowHeight};
}

// One name per atom and bond, counted across the document; atoms are picked at their centres and
// bonds at their midpoints, drawn as single points. A hidden molecule, or a spline or ribbon
// without its wire frame, draws none but its names are still counted.
void CVornView::DrawPickNames(const Molecule& mol, unsigned nameBase) {
    const bool hidden =
        mol.renderMode == kHideMolecule || (mol.renderMode >= kSpline && !mol.showWireFrame);
    if (hidden)
        return;
    glPushMatrix();
    PlaceMolecule(mol);
    const ViewVolume volume;
    const ShownPositions pos(mol);
    for (int i = 0; i < mol.AtomCount(); ++i)
        if (!(mol.atoms[static_cast<size_t>(i)].hetero && !mol.solvent) && volume.Contains(pos[i]))
            PickPoint(nameBase + static_cast<unsigned>(i), pos[i]);
    const unsigned bondBase = nameBase + static_cast<unsigned>(mol.AtomCount());
    for (size_t j = 0; j < mol.bonds.size(); ++j) {
        const Bond& b = mol.bonds[j];
        if (!mol.solvent && mol.atoms[static_cast<size_t>(b.first)].hetero &&
            mol.atoms[static_cast<size_t>(b.second)].hetero)
            continue;
        const float* p = pos[b.first];
        const float* q = pos[b.second];
        const float middle[3] = {(p[0] + q[0]) / 2, (p[1] + q[1]) / 2, (p[2] + q[2]) / 2};
        if (volume.Contains(middle))
            PickPoint(bondBase + static_cast<unsigned>(j), middle);
    }
    glPopMatrix();
}

PickResult CVornView::Pick(int x, int y) {
    const int w = params.windowWidth, h = params.windowHeight;
    const std::uint32_t names = PickNameCount(m_doc.molecules);
    const PickViewport viewport = PickViewportAt(x, w, h, params.displayStereo);
    if (names == 0 || viewport.width <= 0 || h <= 0)
        return {};
    // A record is the name count, two depths and one name. Both eye passes of a stereo view run
    // under the same pick window, so each name can be hit twice there.
    const std::size_t passes = params.displayStereo ? 2 : 1;
    std::vector<GLuint> buffer;
    try {
        buffer.resize(4 * std::size_t(names) * passes);
    } catch (const std::bad_alloc&) {
        VORN_RAISE(kSource, "Unable to allocate memory for selection!");
    }
    GLint hits = 0;
    {
        SelectionPass pass(buffer, viewport, x, y, h, params.fieldOfView, primitives);
        RenderScene(1);
        hits = pass.Finish();
    }
    if (hits < 0) {
        if (m_ui)
            m_ui->ShowMessage("WARNING: select buffer overflow!");
        return {};
    }
    if (hits == 0)
        return {};
    const int size = static_cast<int>(std::min<std::size_t>(buffer.size(), INT_MAX));
    return DecodePickName(m_doc.molecules, ChooseHit(buffer.data(), size, hits));
}

// A picked atom is named in the status bar and offered to the measurement table, a picked bond
// becomes the torsion bond, each only while its window is open.
void CVornView::PickAndHandOver(int x, int y) {
    const PickResult hit = Pick(x, y);
    if (hit.kind == kPickedAtom) {
        const Atom& atom = hit.molecule->atoms[static_cast<std::size_t>(hit.index)];
        if (m_ui) {
            char text[32];
            std::snprintf(text, sizeof text, "%d", atom.serial);
            m_ui->SetPaneText(1, text);
            m_ui->SetPaneText(2, atom.name);
            std::snprintf(text, sizeof text, "%s%d", atom.resName, atom.resSeq);
            m_ui->SetPaneText(3, text);
        }
        if (m_host.MeasureDialogOpen() &&
            m_doc.measures.TogglePick(kPickedAtom, hit.molecule, hit.index)) {
            m_host.RefreshMeasureDialog();
            RequestRedraw();
        }
    } else if (hit.kind == kPickedBond && m_host.TorsionDialogOpen()) {
        torsion.SelectTorsionBond(*hit.molecule, hit.index);
        pickedMolecule = torsion.GetMolecule();
        m_host.RefreshTorsionDialog();
        RequestRedraw();
    }
}

} // namespace vorn
