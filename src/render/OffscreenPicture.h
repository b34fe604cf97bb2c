// A picture of the document drawn by a view of its own in an off-screen context: what vorn-cli,
// the tests and the benchmarks see, with no window system at all.
#pragma once

#include "output/DibImage.h"

#include <functional>
#include <memory>

namespace vorn {

class CVornDoc;
class CVornView;
class OffscreenContext;

// A view with default settings drawing the document into a width × height picture.
class OffscreenPicture {
public:
    // Raises VornError when no off-screen context can be had.
    OffscreenPicture(CVornDoc& doc, int width, int height);
    ~OffscreenPicture();
    // The view, after it was told of the document: change its parameters or the molecules'
    // display flags before drawing.
    CVornView& View() { return *m_view; }
    // Draws the scene once and reads it back.
    DibImage Render();
    // Makes the picture's context current (for the view's commands and vector pictures).
    void MakeCurrent();

private:
    class Host;
    std::unique_ptr<OffscreenContext> m_context;
    std::unique_ptr<Host> m_host;
    std::unique_ptr<CVornView> m_view;
};

} // namespace vorn
