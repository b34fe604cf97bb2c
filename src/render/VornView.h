// The one OpenGL view: camera, draw cycle, display commands and motion by mouse and keys.
#pragma once

#include "analysis/TorsionBond.h"
#include "render/ClipPlane.h"
#include "render/Impostors.h"
#include "render/Picking.h"
#include "render/Primitives.h"
#include "render/RenderToDib.h"
#include "render/SurfaceDrawing.h"
#include "render/VectorPictures.h"
#include "render/ViewParameters.h"
#include "render/VornLight.h"

#include <string>
#include <vector>

namespace vorn {

class CVornDoc;
struct DrawContext;
class GlyphSource;
class UiHost;
class ViewHost;
struct Molecule;

// The draw cycle's state saved by CVornView::Pause while a modal window is open.
struct PausedDrawing {
    bool paused = false; // only while a molecule is loaded
    bool continuousRedraw = false, playing = false, spinning = false;
    int frameIndex = 0;
};

// The view draws with whatever GL context the host has made current: the host makes its context
// current before it calls any operation, since commands change GL state at once. It reaches the
// window system only through the ViewHost port, and the status bar through UiHost (may be null).
class CVornView {
public:
    CVornView(CVornDoc& doc, ViewHost& host, UiHost* ui = nullptr);

    // The context is current: records the colour and depth bits it was given and sets up the
    // drawing state (lists, depth test, lights, material, fog, blending, camera).
    void Create(int colorBits, int depthBits);
    // The client size changed; ignored unless both are above zero.
    void Resize(int width, int height);
    // Perspective for the current size, field of view and stereo.
    void SetProjection();
    // One pass of the draw cycle: pacing, the scene, playback, the buffer swap.
    void Draw();
    // Mode 0 draws the picture, mode 1 the pick names of every atom and bond.
    void RenderScene(int mode);
    // The size that is mapped to 4 units in front of the eye.
    float ScaleToFitSize(bool scaleToFit) const;
    // After a file was read or molecules were added or removed.
    void DocumentChanged();

    // The View menu.
    void ToggleScaleToFit();
    void ToggleDepthCue();
    void ToggleAntiAlias();
    void ToggleSmooth3D();
    // Spheres and cylinders as polygons instead of impostors.
    void TogglePolygons();
    void ToggleAxes();
    void ToggleStereo();
    void ToggleHydrogenBonds();
    void SetLineWidth(float width);
    void SetResolution(int preset); // High, Medium or Low
    // A value of the custom-resolution window (index 0 to 6).
    void CustomResolution(int index, int value);

    // The Molecule menu, on every active molecule.
    void SetRenderMode(int mode);
    enum MoleculeFlag { kAtomLabels, kSolvent, kMonitors, kMonitorLabels, kShowWireFrame };
    void ToggleMoleculeFlag(MoleculeFlag flag);
    // The check mark: the flag of the active molecules (of the first active one).
    bool MoleculeFlagShown(MoleculeFlag flag) const;

    // Playback from the Animate window.
    void Play(bool reverse);
    void StopPlayback();

    // Colour targets: 0 background (RGB), 1 selection (RGBA), 2 hydrogen bonds (RGB), 3 clipping
    // plane (RGBA); components 0 to 255.
    void GetColor(int target, int rgba[4]) const;
    void ApplyColor(int target, const int rgba[4]);

    // The Clipping menu: the plane for the whole scene, for surfaces only, drawn as a disk, and
    // back through the origin.
    void ToggleClipView();
    void ToggleClipSurface();
    void ToggleDisplayClipPlane();
    void CenterClipPlane();

    // Surfaces. A build uses the coordinates the molecule shows and the options its surface
    // holds, reports progress through UiHost and raises VornError on failure ("Out of memory"
    // for a grid too large at that quality), leaving the surface the molecule had.
    void BuildMoleculeSurface(Molecule& mol);
    void DestroyMoleculeSurface(Molecule& mol);
    // "Solid", "Mesh" or "Dots" (a SurfaceStyle) on every active molecule: a molecule without a
    // surface gets one in that style, one with a surface of another style switches to it, one
    // with this style loses its surface. A failed build stops there and raises.
    void SurfaceCommand(int style);
    // The check mark: the primary molecule has a surface of that style.
    bool SurfaceStyleShown(int style) const;
    // The Surface Options window's Apply: the options go into every active molecule's surface.
    void ApplySurfaceOptions(const SurfaceOptions& options);
    // Its "Rebuild Surface": every active molecule's surface built anew; a failed build stops
    // there and raises.
    void RebuildSurfaces();

    // The Lighting window's state and its apply.
    LightingChoice Lighting() const;
    void ApplyLighting(const LightingChoice& choice);
    // The solid lights, whose colours and switches are persisted.
    LightSet& Lights() { return m_lights; }
    const LightSet& Lights() const { return m_lights; }

    // Sets the drawing state up again from the parameters (after "Restore Defaults").
    void ResetDrawingState();
    // Takes what window draws with, for a view that draws the same document elsewhere (captures,
    // movies): its parameters but for this view's own label lists and the playback flags, its
    // lights, clipping plane, torsion marker and picked molecule. Size and GL state follow when
    // the caller sizes this view and sets it up.
    void TakeSettingsOf(const CVornView& window);

    // The Animate window's slider: shows that frame index.
    void ShowFrame(int index);

    // Requests of the Molecule Selection window for the molecules at the given list positions.
    enum MoleculeRequest {
        kDeleteMolecule = 1049,
        kMakePrimary = 1050,
        kToggleFixed = 1051,
        kToggleSelection = 1052,
        kDuplicateMolecule = 1053
    };
    void MoleculeSelection(int request, const std::vector<int>& positions);

    // After atom colours or radii changed outside the view's own commands (the colour, radius
    // and sequence windows): the picture is drawn again.
    void Redraw() { RequestRedraw(); }
    // The Adjust Torsion Angle window's slider: turns the picked torsion to degrees, then what
    // depends on the atoms' places follows. False (nothing turned) when the torsion's molecule
    // is no longer in the document.
    bool TurnTorsion(double degrees);
    // "Align B to A" of the alignment window: moves b so that its listed atoms lie on a's, and
    // returns their RMSD afterwards (Å).
    double AlignMolecules(const Molecule& a, Molecule& b, const std::vector<int>& listA,
                          const std::vector<int>& listB, bool massWeighting);

    // Mouse and keys, as the window delivers them. Button states are those after the event.
    enum Button { kLeftButton, kMiddleButton, kRightButton };
    struct Buttons {
        bool left = false, middle = false, right = false, shift = false, ctrl = false;
    };
    // A left press without the right button picks (PickAndHandOver) before it starts turning.
    void MouseDown(Button button, int x, int y, Buttons held);
    void MouseUp(Button button, int x, int y, Buttons held);
    void MouseMove(int x, int y, Buttons held);
    // Signed delta in units of 120 per notch.
    void Wheel(int delta);
    enum Key { kKeyLeft, kKeyRight, kKeyUp, kKeyDown, kKeyShift, kKeyOther };
    void KeyDown(Key key);
    void KeyUp(Key key);

    // The Motion menu.
    void IncreaseSensitivity();
    void DecreaseSensitivity();
    void DefaultSensitivity();
    void Center();
    void ToggleMomentum();

    // Motion steps in window pixels.
    void BeginRotation(int x, int y);
    void RotationStep(int x, int y);
    void BeginTranslation(int x, int y);
    void TranslationStep(int x, int y);
    void BeginScale(int x);
    void ScaleStep(int x);

    // The atom or bond drawn under window pixel (x, y) (y downward), by selection mode under a
    // 10 × 10 pixel window; in stereo in the half the point lies in. Nothing when nothing is
    // there or the selection buffer overflowed ("WARNING: select buffer overflow!" shown).
    PickResult Pick(int x, int y);

    // Label font: where glyphs come from (null: the built-in font; the source must outlive the
    // view), and the "Font" command's new font. Once GL is set up (Create) both rebuild the
    // glyph lists at once, so the context must be current.
    void SetGlyphSource(GlyphSource* source);
    void SetLabelFont(const LabelFont& font);
    // Around a modal window (the font window): with a molecule loaded, playback, spinning and
    // continuous redraw stop, and Resume brings them back at the same frame and redraws.
    PausedDrawing Pause();
    void Resume(const PausedDrawing& saved);

    // The picture as this view shows it, drawn again by a view with this one's settings in a
    // context of its own from contexts: wanted width × height capped at 1000 a side, fitted to
    // the window's aspect and halved within params.memoryLimit. The caller's context is current
    // again afterwards. Raises "Unable to create DIB for storing image" when no context can be had.
    DibImage RenderToDIB(int width, int height, OffscreenContextFactory& contexts,
                         const CaptureOptions& options = {}) const;
    // Writes the picture through the feedback buffer, with this view's context current, to
    // VectorPicturePath(path, format), which it returns. The file is replaced only once the
    // picture is complete. Raises VornError.
    std::string ExportVectorPicture(const std::string& path, VectorFormat format);

    ViewParameters params;
    Primitives primitives;
    ImpostorRenderer impostors;
    TorsionBond torsion;
    Molecule* pickedMolecule = nullptr;
    ClipPlane clipPlane;

private:
    void InitialiseGl();
    void ApplyResolution();
    void LoadLightsAndMaterial();
    void RenderPass(int mode, int eye);
    void DrawMolecule(Molecule& mol, int mode, int eye, unsigned& nameBase);
    void PlaceMolecule(const Molecule& mol) const;
    // The impostors when this pass may draw them: a picture (not a pick or feedback pass) of
    // smoothly shaded solids, with polygons not asked for.
    ImpostorRenderer* ImpostorsForPass();
    void DrawPickNames(const Molecule& mol, unsigned nameBase);
    // Shows a picked atom in the status bar and offers it to the measurement table, or makes a
    // picked bond the torsion bond, while their windows are open.
    void PickAndHandOver(int x, int y);
    void RebuildLabelFont();
    // Annotations of one molecule before its representation (labels) and after it (torsion
    // marker, monitors, axes); those of the whole scene after every molecule of a pass.
    void DrawLabelsOf(const Molecule& mol, const DrawContext& dc);
    void DrawAnnotationsOf(const Molecule& mol, const DrawContext& dc);
    void DrawSceneAnnotations(int eye);
    // Ctrl drags: the clipping plane turned or moved instead of the molecules.
    void TurnClipPlane(int x, int y);
    void MoveClipPlane(int x);
    void StopSpinning();
    bool AnyFixed() const;
    bool AllMoving() const;
    // After molecules moved against each other: the scene scale, the hydrogen bonds when shown
    // (always, or only when a fixed molecule makes them change), the alignment window.
    void AfterMove(bool hBondsOnlyWithFixed);
    // After free molecules turned: with a fixed one their hydrogen bonds to it change.
    void HydrogenBondsAfterTurn();
    void RequestRedraw();

    CVornDoc& m_doc;
    ViewHost& m_host;
    UiHost* m_ui;
    LightNames m_lightNames;
    VornLight m_viewLight; // pure ambient light for lines and points
    LightSet m_lights;     // the solid lights
    GlyphSource* m_glyphSource = nullptr;
    bool m_glReady = false;  // GL was set up: font changes rebuild the glyph lists at once
    bool m_rotating = false; // a left-button rotation began in this gesture
    bool m_rotatedSinceDown = false;
    bool m_clipDrag = false;     // the drag began with Ctrl: it moves the clipping plane
    float m_inverseRotation[16]; // of the molecule being drawn, for facing hemispheres
    float m_modelView[16];       // of the molecule being drawn
};

} // namespace vorn
