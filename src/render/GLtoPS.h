// Encapsulated PostScript from OpenGL's feedback buffer: points, lines and flat or Gouraud-shaded
// polygons painted back to front, polygons hidden behind nearer ones culled on a grid.
#pragma once

#include <cstdio>
#include <vector>

namespace vorn {

class UiHost;

// The feedback buffer's first size: four megabytes of floats.
constexpr int kDefaultFeedbackFloats = 1 << 20;

// What the page is drawn with, read from GL when the file is written.
struct PostScriptPage {
    float viewport[4] = {0, 0, 0, 0}; // x, y, width, height (window pixels)
    float clearColor[4] = {0, 0, 0, 1};
    float lineWidth = 1.0f;
    float pointSize = 1.0f;
};

// The primitives found in the feedback and how many polygons the visibility pass kept.
struct PostScriptCounts {
    int points = 0, lines = 0, polygons = 0, bitmaps = 0;
    int polygonsDrawn = 0;
};

// Writes the whole EPS text for count floats of GL_3D_COLOR feedback (7 floats a vertex) onto the
// page: header and prologue, background, then every primitive farthest first. Without cullHidden
// every polygon is written. The grid pass reports its columns as progress through ui (may be
// null). Raises VornError (source "GLtoPS") on a token it does not know or memory it cannot have.
PostScriptCounts WritePostScript(std::FILE* file, const float* feedback, int count,
                                 const PostScriptPage& page, bool cullHidden, UiHost* ui);

// One export: Begin, draw the scene, End, repeated until End succeeds. The file stays the
// caller's: GLtoPS neither owns nor closes it.
class GLtoPS {
public:
    // A bufferSize of 0 or less means kDefaultFeedbackFloats. A null file raises "Invalid file
    // handle".
    GLtoPS(std::FILE* file, int bufferSize, UiHost* ui = nullptr);

    // Feedback mode into the buffer, 3D coordinates with colours.
    void Begin();
    // Back to rendering. False when the buffer overflowed: it has doubled, draw again. True when
    // the file was written.
    bool End();

    int BufferSize() const { return static_cast<int>(m_buffer.size()); }
    const PostScriptCounts& Written() const { return m_written; }

    // The visibility pass; off only to measure what it saves.
    bool cullHidden = true;

private:
    void Allocate(std::size_t floats);

    std::FILE* m_file;
    UiHost* m_ui;
    std::vector<float> m_buffer;
    PostScriptCounts m_written;
};

} // namespace vorn
