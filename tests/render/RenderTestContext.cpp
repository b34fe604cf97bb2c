// The shared off-screen context of the render tests.
#include "RenderTestContext.h"

#include "core/VornError.h"

#include <gtest/gtest.h>

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
