// The shared off-screen context of the render tests.
#include "RenderTestContext.h"

#include "core/VornError.h"

#include <cmath>
#include <gtest/gtest.h>

namespace vorn {

OffscreenContext& TestContext() {
    static std::unique_ptr<OffscreenContext> context;
    if (!context) {
        try {
            context = CreateEglOffscreenContext(320, 240, 24);
        } catch (const VornError& e) {
            // Without a context no render test means anything: stop the whole program red.
            ADD_FAILURE() << "no off-screen OpenGL context: " << e.what();
            throw;
        }
    }
    context->MakeCurrent();
    return *context;
}

WindowPoint WindowPointOf(const CVornView& view, const std::array<double, 3>& displayed, int eye) {
    const ViewParameters& v = view.params;
    const double s = 4.0 / v.sceneScale;
    double x = s * displayed[0], y = s * displayed[1], z = s * displayed[2];
    if (eye != 0) { // the eye's turn about the vertical axis
        const double a = eye * v.stereoAngle * M_PI / 180;
        const double turned = std::cos(a) * x + std::sin(a) * z;
        z = -std::sin(a) * x + std::cos(a) * z;
        x = turned;
    }
    z -= 4; // the eye is 4 units in front of the scene
    const int width = v.displayStereo ? v.windowWidth / 2 : v.windowWidth;
    const int left = eye > 0 ? v.windowWidth / 2 : 0;
    const double f = 1.0 / std::tan(v.fieldOfView * M_PI / 360.0);
    const double aspect = double(width) / v.windowHeight;
    const double up = (f * y / -z + 1) / 2 * v.windowHeight;
    return {left + (f / aspect * x / -z + 1) / 2 * width, v.windowHeight - up};
}

WindowPoint WindowPointOfAtom(const CVornView& view, const Molecule& mol, int atom, int eye) {
    return WindowPointOf(view, DisplayPosition(mol, atom), eye);
}

ViewFixture::ViewFixture() : view(doc, host, &ui) {
    TestContext();
    view.Create(24, 24);
    view.Resize(320, 240);
}

Molecule& ViewFixture::AddMolecule(const std::vector<std::array<float, 3>>& places) {
    auto mol = std::make_unique<Molecule>();
    for (const auto& p : places) {
        Atom a;
        a.x = p[0], a.y = p[1], a.z = p[2];
        a.element = 0;
        mol->atoms.push_back(a);
    }
    Molecule& added = *doc.molecules.Append(std::move(mol));
    doc.primary = &added;
    return added;
}

} // namespace vorn
