// The view's vector pictures: the feedback passes for GLtoPS and gl2ps, file names by format, and
// the export command that replaces its file only once the picture is complete.
#include "render/VectorPictures.h"

#include "core/ReplacingFile.h"
#include "core/VornError.h"
#include "document/VornDoc.h"
#include "render/VornView.h"

#include <GL/gl.h>

#include <cctype>
#include <climits>
#include <gl2ps.h>
#include <unistd.h>

namespace vorn {

namespace {

const char* const kSource = "GLtoPS";

bool EndsWithNoCase(const std::string& s, const std::string& end) {
    if (s.size() < end.size())
        return false;
    for (std::size_t i = 0; i < end.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - end.size() + i])) != end[i])
            return false;
    return true;
}

bool ContainsEitherCase(const std::string& path, std::string ext) {
    if (path.find(ext) != std::string::npos)
        return true;
    for (char& c : ext)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return path.find(ext) != std::string::npos;
}

// For the length of one export: primitives emitted directly instead of through display lists
// (Mesa returns wrong primitives from lists in feedback mode, or crashes on a sphere list), and
// rendering mode again however the drawing ends.
class FeedbackDrawing {
public:
    explicit FeedbackDrawing(CVornView& view)
        : m_view(view), m_wasImmediate(view.primitives.Immediate()) {
        m_view.primitives.SetImmediate(true);
    }
    ~FeedbackDrawing() {
        GLint mode = GL_RENDER;
        glGetIntegerv(GL_RENDER_MODE, &mode);
        if (mode != GL_RENDER)
            glRenderMode(GL_RENDER);
        m_view.primitives.SetImmediate(m_wasImmediate);
        FullViewport();
    }
    FeedbackDrawing(const FeedbackDrawing&) = delete;
    FeedbackDrawing& operator=(const FeedbackDrawing&) = delete;

    // The whole window, also after the right eye's half of a stereo picture: the page is the
    // window.
    void FullViewport() const {
        glViewport(0, 0, m_view.params.windowWidth, m_view.params.windowHeight);
    }

private:
    CVornView& m_view;
    bool m_wasImmediate;
};

// gl2ps keeps one page open at a time: a drawing that throws must still close it.
class Gl2psPage {
public:
    explicit Gl2psPage(GLint status) : m_open(status == GL2PS_SUCCESS) {}
    ~Gl2psPage() { End(); }
    Gl2psPage(const Gl2psPage&) = delete;
    Gl2psPage& operator=(const Gl2psPage&) = delete;
    bool Open() const { return m_open; }
    GLint End() {
        if (!m_open)
            return GL2PS_UNINITIALIZED;
        m_open = false;
        return gl2psEndPage();
    }

private:
    bool m_open;
};

void Empty(std::FILE* file) {
    std::fflush(file);
    if (ftruncate(fileno(file), 0) != 0)
        VORN_RAISE(kSource, "Unable to write vector picture");
    std::rewind(file);
}

} // namespace

bool VectorFormatOfPath(const std::string& path, VectorFormat& format) {
    if (EndsWithNoCase(path, ".eps") || EndsWithNoCase(path, ".ps"))
        format = VectorFormat::kEps;
    else if (EndsWithNoCase(path, ".svg"))
        format = VectorFormat::kSvg;
    else if (EndsWithNoCase(path, ".pdf"))
        format = VectorFormat::kPdf;
    else
        return false;
    return true;
}

std::string VectorPicturePath(const std::string& path, VectorFormat format) {
    if (format == VectorFormat::kEps)
        return ContainsEitherCase(path, ".ps") || ContainsEitherCase(path, ".eps") ? path
                                                                                   : path + ".ps";
    const char* ext = format == VectorFormat::kSvg ? ".svg" : ".pdf";
    return ContainsEitherCase(path, ext) ? path : path + ext;
}

PostScriptCounts WriteEpsOfView(CVornView& view, std::FILE* file, UiHost* ui, bool cullHidden) {
    GLtoPS eps(file, 0, ui);
    eps.cullHidden = cullHidden;
    FeedbackDrawing drawing(view);
    do {
        eps.Begin();
        view.RenderScene(0);
        drawing.FullViewport();
    } while (!eps.End());
    return eps.Written();
}

void WriteGl2psOfView(CVornView& view, std::FILE* file, VectorFormat format,
                      const std::string& title) {
    GLint viewport[4] = {0, 0, view.params.windowWidth, view.params.windowHeight};
    const GLint gl2psFormat = format == VectorFormat::kPdf ? GL2PS_PDF : GL2PS_SVG;
    // Hidden polygons are culled in the picture plane, as the PostScript pass does.
    const GLint options = GL2PS_DRAW_BACKGROUND | GL2PS_OCCLUSION_CULL | GL2PS_SILENT;
    FeedbackDrawing drawing(view);
    for (GLint floats = kDefaultFeedbackFloats;; floats *= 2) {
        Gl2psPage page(gl2psBeginPage(title.c_str(), "Vorn", viewport, gl2psFormat,
                                      GL2PS_SIMPLE_SORT, options, GL_RGBA, 0, nullptr, 13, 13, 13,
                                      floats, file, title.c_str()));
        if (!page.Open())
            VORN_RAISE(kSource, "Unable to allocate memory for feedback buffer");
        gl2psLineWidth(view.params.lineWidth);
        view.RenderScene(0);
        drawing.FullViewport();
        const GLint result = page.End();
        // An empty scene gives no feedback: the page is complete all the same.
        if (result == GL2PS_SUCCESS || result == GL2PS_NO_FEEDBACK)
            return;
        if (result != GL2PS_OVERFLOW || floats > INT_MAX / 2)
            VORN_RAISE(kSource, "Unable to write vector picture");
        Empty(file);
    }
}

std::string CVornView::ExportVectorPicture(const std::string& path, VectorFormat format) {
    const std::string target = VectorPicturePath(path, format);
    ReplacingFile file;
    if (!file.Open(target))
        VORN_RAISE(kSource, "Unable to open " + target + " for writing");
    if (format == VectorFormat::kEps)
        WriteEpsOfView(*this, file.File(), m_ui);
    else
        WriteGl2psOfView(*this, file.File(), format,
                         m_doc.primary ? m_doc.primary->fileName : "Vorn");
    if (std::ferror(file.File()) || !file.Commit())
        VORN_RAISE(kSource, "Unable to write " + target);
    return target;
}

} // namespace vorn
