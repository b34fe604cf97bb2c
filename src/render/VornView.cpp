// The view: GL set-up, camera, scene drawing, the paced draw cycle and the display commands.
#include "render/VornView.h"

#include "core/HugePages.h"
#include "core/UiHost.h"
#include "core/Vec3.h"
#include "core/VornError.h"
#include "document/VornDoc.h"
#include "render/GlCapability.h"
#include "render/Representations.h"
#include "render/Ribbons.h"
#include "render/ViewHost.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vorn {

namespace {

const char* const kSource = "VornView";

// Molecules are drawn inside a scene of this many units mapped from sceneScale Å, 4 units in front
// of the eye, between near and far planes at 0.5 and 7.
constexpr float kSceneUnits = 4.0f;

} // namespace

CVornView::CVornView(CVornDoc& doc, ViewHost& host, UiHost* ui)
    : m_doc(doc), m_host(host), m_ui(ui), m_viewLight(m_lightNames), m_lights(m_lightNames) {
    // Lines and points take their colours flat from a pure ambient light.
    m_viewLight.ambient[0] = m_viewLight.ambient[1] = m_viewLight.ambient[2] = 1;
    m_viewLight.position[0] = 1;
    std::fill(std::begin(m_inverseRotation), std::end(m_inverseRotation), 0.0f);
    std::fill(std::begin(m_modelView), std::end(m_modelView), 0.0f);
    KeepFreedHeapMemory();
}

void CVornView::Create(int colorBits, int depthBits) {
    params.colorBits = colorBits;
    params.depthBits = depthBits;
    impostors.ContextChanged();
    InitialiseGl();
    m_viewLight.Enable();
}

void CVornView::ResetDrawingState() {
    InitialiseGl();
    m_viewLight.Enable();
    SetProjection();
    RequestRedraw();
}

void CVornView::TakeSettingsOf(const CVornView& window) {
    const int labelListBase = params.labelListBase; // lists of this view's context, if any
    params = window.params;
    params.labelListBase = labelListBase;
    params.playing = params.spinning = params.continuousRedraw = false;
    m_lights = window.m_lights; // both views name their lights in the same order
    clipPlane = window.clipPlane;
    torsion = window.torsion;
    pickedMolecule = window.pickedMolecule;
}

void CVornView::InitialiseGl() {
    ApplyResolution();
    glEnable(GL_DEPTH_TEST);
    glClearColor(params.backgroundColor[0], params.backgroundColor[1], params.backgroundColor[2],
                 params.backgroundColor[3]);
    glClearDepth(1.0);
    glEnable(GL_NORMALIZE);
    // Smoothing follows the setting read back from the last run rather than starting on.
    SetCapability(GL_LINE_SMOOTH, params.lineAlias);
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);
    glDisable(GL_DITHER);
    glShadeModel(GL_FLAT);
    LoadLightsAndMaterial();
    glEnable(GL_LIGHTING);
    // Linear fog from 3 to 6 units: the front of the scene bright, the back fading into the
    // background (the density has no effect in this mode).
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogf(GL_FOG_DENSITY, params.fogDensity);
    glFogf(GL_FOG_START, 3.0f);
    glFogf(GL_FOG_END, 6.0f);
    glFogfv(GL_FOG_COLOR, params.backgroundColor);
    SetCapability(GL_FOG, params.depthCue);
    RebuildLabelFont();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, -kSceneUnits);
}

void CVornView::ApplyResolution() {
    ApplyPreset(params.resolution, params.res);
    primitives.Rebuild(params.res);
}

void CVornView::LoadLightsAndMaterial() {
    m_viewLight.Load();
    m_lights.Load();
    LoadMaterial(params.matShininess, params.matSpecular);
}

void CVornView::Resize(int width, int height) {
    if (width <= 0 || height <= 0)
        return;
    params.windowWidth = width;
    params.windowHeight = height;
    SetProjection();
    if (m_ui) {
        char text[64];
        std::snprintf(text, sizeof text, "Window Size %d x %d", width, height);
        m_ui->SetStatusText(text);
    }
}

void CVornView::SetProjection() {
    if (params.windowWidth <= 0 || params.windowHeight <= 0)
        return; // not sized yet
    const int width = params.displayStereo ? params.windowWidth / 2 : params.windowWidth;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(params.fieldOfView, static_cast<double>(width) / params.windowHeight, 0.5, 7.0);
    glMatrixMode(GL_MODELVIEW);
}

void CVornView::RenderScene(int mode) {
    if (mode != 0 && mode != 1)
        VORN_RAISE(kSource, "Unknown rendering mode!");
    const int w = params.windowWidth, h = params.windowHeight;
    clipPlane.Follow(params);
    if (mode == 0)
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (!params.displayStereo) {
        glViewport(0, 0, w, h);
        RenderPass(mode, 0);
        return;
    }
    // Split screen: the left eye's picture on the left half, each turned by half the angle.
    glViewport(0, 0, w / 2, h);
    RenderPass(mode, -1);
    glViewport(w / 2, 0, w / 2, h);
    RenderPass(mode, +1);
}

void CVornView::RenderPass(int mode, int eye) {
    unsigned nameBase = 0;
    // The plane turns with each eye, so both pictures of a stereo pair are cut at one place.
    clipPlane.Apply(static_cast<float>(eye) * params.stereoAngle);
    for (auto& mol : m_doc.molecules)
        if (mol->AtomCount() > 0)
            DrawMolecule(*mol, mode, eye, nameBase);
    if (mode == 0) {
        DrawSceneAnnotations(eye);
        if (clipPlane.displayed)
            clipPlane.Draw();
    }
}

void CVornView::DrawMolecule(Molecule& mol, int mode, int eye, unsigned& nameBase) {
    glPushMatrix();
    if (eye != 0)
        glRotatef(eye * params.stereoAngle, 0, 1, 0);
    const std::array<float, 16> m = QuaternionToMatrix(mol.motion.rotation);
    glMultMatrixf(m.data());
    // The inverse of a rotation is its transpose.
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            m_inverseRotation[4 * i + j] = m[static_cast<size_t>(4 * j + i)];
    m_inverseRotation[15] = 1;
    if (mode == 1) {
        DrawPickNames(mol, nameBase);
        nameBase += static_cast<unsigned>(mol.AtomCount() + static_cast<int>(mol.bonds.size()));
        glPopMatrix();
        return;
    }
    PlaceMolecule(mol);
    glGetFloatv(GL_MODELVIEW_MATRIX, m_modelView);
    const DrawContext dc{params,      primitives, m_viewLight,       m_lights, m_inverseRotation,
                         m_modelView, eye,        ImpostorsForPass()};
    DrawLabelsOf(mol, dc);
    if (!DrawClippedAtoms(mol, dc, clipPlane) && !DrawAtomsAndBonds(mol, dc)) {
        if (mol.renderMode >= kSolidRibbon && mol.showWireFrame)
            DrawWireFrame(mol, dc);
        DrawBackbone(mol, dc);
    }
    DrawAnnotationsOf(mol, dc);
    DrawSurface(mol, dc); // last, so that a translucent surface lies over the rest
    glPopMatrix();
}

// Inside the molecule's rotation: the scene's Å to units, then the molecule's own move.
void CVornView::PlaceMolecule(const Molecule& mol) const {
    const float s = kSceneUnits / params.sceneScale;
    glScalef(s, s, s);
    glTranslatef(mol.motion.translation[0], mol.motion.translation[1], mol.motion.translation[2]);
}

// Flat shading asks for the facets that only polygons have; selection and feedback need real
// geometry.
ImpostorRenderer* CVornView::ImpostorsForPass() {
    if (params.drawPolygons || !params.smooth3D || primitives.Immediate())
        return nullptr;
    return &impostors;
}

void CVornView::Draw() {
    ViewParameters& p = params;
    if (p.continuousRedraw) {
        // At most one frame per 50 ms: sleep away the rest of the period, then ask for the next.
        const unsigned t = m_host.Milliseconds();
        p.frameTime = t;
        if (t - p.previousFrameTime < 50) {
            m_host.Sleep(50 - (t - p.previousFrameTime));
            p.frameTime = m_host.Milliseconds();
        }
        m_host.RequestRedraw();
        if (p.frameTime - p.previousFrameTime < 15)
            return;
        if (p.spinning) {
            for (auto& mol : m_doc.molecules)
                if (mol->motion.moving)
                    Compose(mol->motion);
            HydrogenBondsAfterTurn();
        }
    }
    RenderScene(0);
    m_host.RefreshMeasureDialog();
    m_host.ShowFrameNumber(m_doc.FrameIndex());
    if (p.playing) {
        if (p.playReverse)
            m_doc.StepBackward();
        else
            m_doc.StepForward();
        if (p.hBondsShown)
            m_doc.FindHydrogenBonds();
        m_host.NotifyAlignmentDialog();
    }
    if (!m_host.SwapBuffers())
        VORN_RAISE(kSource, "SwapBuffers failed");
    p.previousFrameTime = p.frameTime;
}

float CVornView::ScaleToFitSize(bool scaleToFit) const {
    if (!m_doc.primary)
        return 1.0f;
    float size = 0;
    if (scaleToFit) {
        // The box around every molecule's centre moved by its translation, seen from the origin.
        Vec3 reach = {0, 0, 0};
        for (const auto& mol : m_doc.molecules)
            for (int k = 0; k < 3; ++k)
                reach[k] = std::max(reach[k], std::fabs(double(mol->motion.translation[k])) +
                                                  mol->boxSize[k] / 2.0);
        size = static_cast<float>(Length(reach));
    } else {
        for (const auto& mol : m_doc.molecules)
            size = std::max(size, mol->boxDiagonal / 2);
    }
    // A lone atom has no extent; a scale of 0 would put the scene at infinity.
    return size > 0 ? size : 1.0f;
}

void CVornView::DocumentChanged() {
    m_host.RefreshMoleculeSelection();
    std::vector<const Molecule*> shown;
    for (const auto& mol : m_doc.molecules)
        shown.push_back(mol.get());
    impostors.Keep(shown);
    ViewParameters& p = params;
    if (!m_doc.primary) {
        p.continuousRedraw = false;
        RequestRedraw(); // clear what the last molecule left on screen
        return;
    }
    p.sceneScale = ScaleToFitSize(p.scaleToFit);
    p.playReverse = false;
    p.playing = m_doc.primary->frames.Count() > 0;
    p.continuousRedraw = p.playing || p.spinning;
    torsion.Clear();
    pickedMolecule = nullptr;
    m_host.RefreshMeasureDialog();
    m_host.NotifyAlignmentDialog();
    SetRibbonProfile(*m_doc.primary, m_doc.primary->renderMode);
    if (p.hBondsShown)
        m_doc.FindHydrogenBonds();
    RequestRedraw();
}

void CVornView::RequestRedraw() {
    m_host.RequestRedraw();
}

} // namespace vorn
