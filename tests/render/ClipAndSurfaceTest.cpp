// The clipping plane and molecular surfaces: the plane's state and drags, and pictures of crambin
// cut by it and wrapped in its surface, judged by pixel counts.
#include "../MemorySettings.h"
#include "../RaisedError.h"
#include "Pixels.h"
#include "render/ViewSettings.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

namespace vorn {

namespace {

SurfaceOptions Uniform(std::array<std::uint8_t, 4> color) {
    SurfaceOptions o;
    o.colorByAtom = false;
    o.uniformColor = color;
    return o;
}

} // namespace

TEST(ClipPlane, StateDragsAndBounds) {
    ClipPlane plane;
    EXPECT_NEAR(plane.normal[1], 0.0995037, 1e-6);
    EXPECT_NEAR(plane.normal[2], 0.9950372, 1e-6);
    EXPECT_NEAR(Dot(plane.u, plane.normal) + Dot(plane.v, plane.normal), 0, 1e-6);
    EXPECT_NEAR(Length(plane.u) * Length(plane.v), 1, 1e-6);
    EXPECT_EQ(SourcedErrorOf([&] {
                  plane.SetPlane({1, 1, 1}, {0, 0, 0}, true);
              }),
              "ClipPlane: Zero length normal vector!");
    EXPECT_EQ(plane.center, (Vec3f{0, 0, 0})); // the refused plane changed nothing

    // Through x = 1 scene unit, which is 2 Å at k = 0.5; molecules are placed by their motion.
    plane.SetPlane({1, 0, 0}, {2, 0, 0}, true);
    EXPECT_EQ(plane.equation[0], -1.0);
    EXPECT_EQ(plane.equation[3], 1.0);
    MotionState motion;
    const float far[3] = {3, 0, 0}, near[3] = {1.5f, 0, 0}, across[3] = {2.2f, 0, 0};
    EXPECT_EQ(plane.Classify(far, 0.5f, 0.5f, motion), kClippedSide);
    EXPECT_EQ(plane.Classify(near, 0.4f, 0.5f, motion), kKeptSide);
    EXPECT_EQ(plane.Classify(across, 0.5f, 0.5f, motion), kCutByPlane);
    motion.translation[0] = -2; // a molecule moved aside is classified where it is drawn
    EXPECT_EQ(plane.Classify(far, 0.5f, 0.5f, motion), kKeptSide);

    // A drag to the right turns the plane's face to the right, as it turns a molecule.
    plane.SetPlane({0, 0, 0}, {0, 0, 1}, true);
    EXPECT_TRUE(plane.EyeOnClippedSide());
    plane.BeginRotate(160, 120);
    plane.Rotate(200, 120, 320, 240);
    EXPECT_GT(plane.normal[0], 0.1f);
    EXPECT_NEAR(plane.normal[1], 0, 1e-6);
    EXPECT_NEAR(Length(plane.normal), 1, 1e-6);
    EXPECT_EQ(plane.equation[2], -plane.normal[2]);

    // Moving stops 7 units from the origin; centring keeps the orientation.
    const Vec3f normal = plane.normal;
    plane.BeginScale(0);
    plane.Scale(100000, 320);
    EXPECT_NEAR(Length(plane.center), 7, 1e-5);
    EXPECT_FALSE(plane.EyeOnClippedSide()); // the eye, 4 units out, is now on the kept side
    EXPECT_NEAR(plane.equation[3], Dot(plane.normal, plane.center), 1e-5);
    plane.Center();
    EXPECT_EQ(plane.center, (Vec3f{0, 0, 0}));
    EXPECT_EQ(plane.equation[3], 0.0);
    EXPECT_EQ(plane.normal, normal);
}

TEST(ClipPlane, CommandsSettingsAndCtrlDragsReachThePlane) {
    ViewFixture f;
    MemorySettings store;
    store.Set("clipPlaneColor", "0.1 0.2 0.3 0.4");
    SetDefaultSettings(f.view, &store);
    EXPECT_FLOAT_EQ(f.view.clipPlane.color[2], 0.3f);
    const int red[4] = {255, 0, 0, 128};
    f.view.ApplyColor(3, red);
    EXPECT_FLOAT_EQ(f.view.clipPlane.color[0], 1.0f);
    f.view.ToggleClipView();
    EXPECT_TRUE(f.view.clipPlane.enabled && glIsEnabled(GL_CLIP_PLANE0));
    f.view.ToggleDisplayClipPlane();
    EXPECT_TRUE(f.view.clipPlane.displayed);

    // Ctrl + right drag moves the plane and leaves the field of view; a plain drag zooms.
    f.AddMolecule({{0, 0, 0}});
    const float fov = f.view.params.fieldOfView;
    CVornView::Buttons ctrl;
    ctrl.right = ctrl.ctrl = true;
    f.view.MouseDown(CVornView::kRightButton, 100, 100, ctrl);
    f.view.MouseMove(132, 100, ctrl);
    f.view.MouseUp(CVornView::kRightButton, 132, 100, {});
    EXPECT_EQ(f.view.params.fieldOfView, fov);
    EXPECT_GT(Dot(f.view.clipPlane.center, f.view.clipPlane.normal), 0.09f); // 32 / 320 units
    ctrl.right = false, ctrl.left = true;
    const Vec3f before = f.view.clipPlane.normal;
    f.view.MouseDown(CVornView::kLeftButton, 160, 120, ctrl);
    f.view.MouseMove(160, 60, ctrl);
    EXPECT_NE(f.view.clipPlane.normal, before);
    EXPECT_EQ(f.doc.primary->motion.rotation.w, 1.0f); // the molecule did not turn
}

TEST(ClipPlanePictures, ClipViewCutsAwayTheNormalsSideAndItsPicks) {
    Crambin scene;
    scene.view.SetRenderMode(kCpk);
    const DibImage whole = scene.Picture();
    // The atoms drawn furthest to the left and right.
    int left = 0, right = 0;
    for (int i = 0; i < scene.mol.AtomCount(); ++i) {
        const double x = DisplayPosition(scene.mol, i)[0];
        left = x < DisplayPosition(scene.mol, left)[0] ? i : left;
        right = x > DisplayPosition(scene.mol, right)[0] ? i : right;
    }
    const WindowPoint l = WindowPointOfAtom(scene.view, scene.mol, left);
    const WindowPoint r = WindowPointOfAtom(scene.view, scene.mol, right);
    EXPECT_NE(scene.view.Pick(r.X(), r.Y()).kind, kPickedNothing);

    scene.view.clipPlane.SetPlane({0, 0, 0}, {1, 0, 0}, true);
    scene.view.ToggleClipView();
    const DibImage cut = scene.Picture();
    EXPECT_GT(LitCount(whole, 161), 10000);
    EXPECT_EQ(LitCount(cut, 161), 0); // the right half is gone
    // The left half is drawn as before: only spheres wholly on the right were left out.
    EXPECT_NEAR(LitCount(cut, 0, 159), LitCount(whole, 0, 159), 0.01 * LitCount(whole, 0, 159));
    EXPECT_EQ(scene.view.Pick(r.X(), r.Y()).kind, kPickedNothing);
    EXPECT_NE(scene.view.Pick(l.X(), l.Y()).kind, kPickedNothing);

    // Shown, the plane is a translucent disk in its colour across the middle.
    scene.view.clipPlane.SetPlane({0, 0, 0}, {0, 0, 1}, true);
    scene.view.ToggleClipView();
    scene.view.ToggleDisplayClipPlane();
    const int white[4] = {255, 255, 255, 255};
    scene.view.ApplyColor(3, white);
    scene.view.SetRenderMode(kHideMolecule);
    EXPECT_GT(At(scene.Picture(), 160, 120).Max(), 120); // white, dimmed by the fog
}

TEST(ClipPlanePictures, CapsCloseCutSpheresSeenFromTheCutSide) {
    ViewFixture f;
    Molecule& mol = f.AddMolecule({{0, 0, 0}});
    mol.atoms[0].radius = 1.5f;
    f.view.params.sceneScale = 8;
    f.view.clipPlane.SetPlane({0, 0, 0}, {0, 0, 1}, true); // through the atom, facing the eye
    f.view.ToggleClipView();
    auto middle = [&] { return At(Drawn(f.view), 160, 120); };
    // The front of the sphere is cut away; the cap shows where its inside would.
    f.view.SetRenderMode(kCpk);
    EXPECT_GT(middle().Max(), 100);
    // Ball and stick has no caps: there the cut ball is hollow and the background shows.
    f.view.SetRenderMode(kBallAndStick);
    EXPECT_LT(middle().Max(), 9);
    // Where the caps of two overlapping atoms meet in the plane, one of them covers the overlap
    // whole: no speckles of the other.
    Molecule& pair = f.AddMolecule({{-0.4f, 0, 0}, {0.4f, 0, 0}});
    mol.renderMode = kHideMolecule; // only the pair
    pair.renderMode = kCpk;
    pair.atoms[0].radius = pair.atoms[1].radius = 1.5f;
    pair.atoms[0].color = {255, 0, 0, 255};
    pair.atoms[1].color = {0, 0, 255, 255};
    f.view.DocumentChanged();
    f.view.clipPlane.SetPlane({0, 0, 0}, {0.3f, 0.4f, 1}, true); // turned: the depth varies
    const DibImage caps = Drawn(f.view);
    const int red = Count(
        caps, [](Pixel p) { return p.Red(); }, 150, 170);
    const int blue = Count(
        caps, [](Pixel p) { return p.Blue(); }, 150, 170);
    EXPECT_GT(red + blue, 500);
    EXPECT_EQ(std::min(red, blue), 0) << red << " red and " << blue << " blue";
    // In a stereo pass the eye's turn is taken into account.
    f.view.clipPlane.SetPlane({0, 0, 0}, {1, 0, 0.02f}, true);
    f.view.clipPlane.eyeAngle = -3.5f;
    EXPECT_TRUE(f.view.clipPlane.EyeOnClippedSide());
    f.view.clipPlane.eyeAngle = 3.5f;
    EXPECT_FALSE(f.view.clipPlane.EyeOnClippedSide());
}

TEST(SurfacePictures, StylesColoursAndCommands) {
    Crambin scene;
    scene.view.SetRenderMode(kCpk);
    const int cpk = LitCount(scene.Picture());
    scene.view.SetRenderMode(kHideMolecule);
    scene.view.SurfaceCommand(kSolidSurface);
    const SurfaceMesh& surface = scene.mol.surface;
    ASSERT_TRUE(surface.valid);
    EXPECT_TRUE(scene.view.SurfaceStyleShown(kSolidSurface));
    const int triangles = surface.TriangleCount();
    EXPECT_GT(triangles, 5000);
    const DibImage solid = scene.Picture();
    // The surface wraps the spheres; by atom it shows oxygen red and nitrogen blue.
    EXPECT_GT(LitCount(solid), cpk);
    EXPECT_GT(Count(solid, [](Pixel p) { return p.Red(); }), 2000);
    EXPECT_GT(Count(solid, [](Pixel p) { return p.Blue(); }), 200);

    scene.view.SurfaceCommand(kMeshSurface); // another style: switched, not built again
    EXPECT_EQ(surface.TriangleCount(), triangles);
    EXPECT_TRUE(scene.view.SurfaceStyleShown(kMeshSurface));
    const int mesh = LitCount(scene.Picture());
    scene.view.SurfaceCommand(kDotSurface);
    const int dots = LitCount(scene.Picture());
    EXPECT_LT(mesh, 0.9 * LitCount(solid));
    EXPECT_LT(dots, 0.7 * mesh);
    EXPECT_GT(dots, 1000);
    scene.view.SurfaceCommand(kDotSurface); // the same style again: the surface goes
    EXPECT_FALSE(surface.valid);
    EXPECT_EQ(LitCount(scene.Picture()), 0);

    // One colour; translucent by atom the surface leaves the atoms' own colours alone.
    scene.view.ApplySurfaceOptions(Uniform({0, 0, 255, 255}));
    scene.view.SurfaceCommand(kSolidSurface);
    const DibImage blue = scene.Picture();
    EXPECT_GT(Count(blue, [](Pixel p) { return p.b > p.r && p.b > p.g; }), 0.95 * LitCount(blue));

    // Opaque, the surface hides the atoms inside it; translucent, they show through it, and keep
    // their own opaque colours.
    scene.view.SetRenderMode(kCpk);
    EXPECT_LT(Differing(scene.Picture(), blue), 100);
    SurfaceOptions translucent;
    translucent.alpha = 100;
    scene.view.ApplySurfaceOptions(translucent);
    const DibImage over = scene.Picture();
    scene.view.SetRenderMode(kHideMolecule);
    EXPECT_GT(Differing(over, scene.Picture()), 10000);
    EXPECT_EQ(scene.mol.atoms[0].color.a, 255);
}

TEST(SurfacePictures, ClipSurfaceCutsTheSurfaceAloneAndShowsItsInside) {
    Crambin scene;
    scene.view.SetRenderMode(kCpk);
    const DibImage atoms = scene.Picture();
    scene.view.ApplySurfaceOptions(Uniform({0, 0, 255, 255}));
    scene.view.SurfaceCommand(kSolidSurface);
    scene.view.clipPlane.SetPlane({0, 0, 0}, {1, 0, 0}, true);
    scene.view.ToggleClipSurface();
    const DibImage cut = scene.Picture();
    // On the right the atoms are whole and bare; on the left the surface covers them.
    EXPECT_EQ(Differing(cut, atoms, 161), 0);
    EXPECT_GT(Count(
                  cut, [](Pixel p) { return p.Blue(); }, 0, 159),
              10000);
    // Without the atoms, cut where it faces the eye, the surface shows its inside lit (back
    // faces lit from their own side would only take the ambient light).
    scene.view.SetRenderMode(kHideMolecule);
    scene.view.ToggleDepthCue();
    scene.view.clipPlane.SetPlane({0, 0, 0}, {0, 0, 1}, true);
    EXPECT_GT(Count(scene.Picture(), [](Pixel p) { return p.Blue() && p.b > 150; }), 10000);
    // Clip View cuts both.
    scene.view.SetRenderMode(kCpk);
    scene.view.clipPlane.SetPlane({0, 0, 0}, {1, 0, 0}, true);
    scene.view.ToggleClipView();
    EXPECT_EQ(LitCount(scene.Picture(), 161), 0);
}

TEST(SurfaceCommands, FailedBuildsKeepTheSurfaceAndNothingToWrapGivesAnEmptyOne) {
    Crambin scene;
    scene.view.SurfaceCommand(kSolidSurface);
    const int triangles = scene.mol.surface.TriangleCount();
    // An atom 1000 Å away: at quality 100 the grid would take 10^12 points and is refused.
    scene.mol.atoms.push_back(scene.mol.atoms[0]);
    for (float* c :
         {&scene.mol.atoms.back().x, &scene.mol.atoms.back().y, &scene.mol.atoms.back().z})
        *c += 1000;
    SurfaceOptions fine;
    fine.quality = 100;
    scene.view.ApplySurfaceOptions(fine);
    const int redraws = scene.host.redraws;
    EXPECT_EQ(SourcedErrorOf([&] { scene.view.RebuildSurfaces(); }), "VornSurface: Out of memory");
    EXPECT_GT(scene.host.redraws, redraws);
    EXPECT_TRUE(scene.mol.surface.valid);
    EXPECT_EQ(scene.mol.surface.TriangleCount(), triangles);
    EXPECT_GT(LitCount(scene.Picture()), 10000);
    scene.view.SurfaceCommand(kSolidSurface); // removed, and the next build fails
    EXPECT_EQ(ErrorOf([&] { scene.view.SurfaceCommand(kSolidSurface); }), "Out of memory");
    EXPECT_FALSE(scene.mol.surface.valid);

    // Hetero atoms alone, or no atoms: an empty surface that draws nothing.
    ViewFixture f;
    Molecule& water = f.AddMolecule({{0, 0, 0}, {3, 0, 0}});
    water.atoms[0].hetero = water.atoms[1].hetero = true;
    water.solvent = false;
    f.view.SurfaceCommand(kSolidSurface);
    EXPECT_TRUE(water.surface.valid);
    EXPECT_EQ(water.surface.TriangleCount(), 0);
    Molecule& empty = f.AddMolecule({});
    f.view.BuildMoleculeSurface(empty);
    EXPECT_TRUE(empty.surface.valid);
    EXPECT_EQ(LitCount(Drawn(f.view)), 0);
}

} // namespace vorn
