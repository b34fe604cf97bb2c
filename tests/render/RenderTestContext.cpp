// The shared off-screen context of the render tests.
#include "RenderTestContext.h"

#include "core/VornError.h"

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
