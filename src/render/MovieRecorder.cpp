// Trajectory movies: move the playback to each frame, rebuild what depends on the coordinates,
// draw off screen, hand the picture to the movie writer.
#include "render/MovieRecorder.h"

#include "analysis/VornSurface.h"
#include "core/VornError.h"
#include "document/VornDoc.h"
#include "render/ViewHost.h"
#include "render/VornView.h"

#include <vector>

namespace vorn {

namespace {

// Nobody watches the movie's view: it draws when asked, never on its own.
class QuietHost : public ViewHost {
public:
    void RequestRedraw() override {}
    bool SwapBuffers() override { return true; }
    unsigned Milliseconds() override { return 0; }
    void Sleep(unsigned) override {}
};

// The context of the whole recording, with the movie's messages for its failures.
std::unique_ptr<OffscreenContext> MovieContext(const MovieRequest& request) {
    try {
        std::unique_ptr<OffscreenContext> context =
            request.contexts ? request.contexts(request.width, request.height)
                             : CreateEglOffscreenContext(request.width, request.height, 24);
        if (context)
            return context;
    } catch (const VornError&) {
    }
    VORN_RAISE("VornMovie", "Error creating memory device context for movie frame!");
}

// The movie's context and a view of its own drawing the document into it.
class MovieCanvas {
public:
    MovieCanvas(CVornDoc& doc, const MovieRequest& request)
        : m_context(MovieContext(request)), m_view(doc, m_host) {
        MakeCurrent();
        m_view.SetGlyphSource(request.glyphs);
        m_view.Create(24, 24);
        m_view.Resize(request.width, request.height);
        m_view.DocumentChanged();
    }
    MovieCanvas(const MovieCanvas&) = delete;
    MovieCanvas& operator=(const MovieCanvas&) = delete;
    ~MovieCanvas() { m_context->Release(); }

    CVornView& View() { return m_view; }
    DibImage Render() {
        MakeCurrent();
        m_view.RenderScene(0);
        return ReadPixelsAsDib(m_context->Width(), m_context->Height());
    }

private:
    void MakeCurrent() {
        try {
            m_context->MakeCurrent();
        } catch (const VornError&) {
            VORN_RAISE("VornMovie", "wglMakeCurrent failed!");
        }
    }

    std::unique_ptr<OffscreenContext> m_context;
    QuietHost m_host;
    CVornView m_view;
};

// Puts the playback back where it was once the recording ends, however it ends, with the
// hydrogen bonds and surfaces of that frame.
class PlaybackRestorer {
public:
    PlaybackRestorer(CVornDoc& doc, bool hydrogenBonds, std::vector<Molecule*> surfaces)
        : m_doc(doc), m_frameIndex(doc.FrameIndex()), m_hydrogenBonds(hydrogenBonds),
          m_surfaces(std::move(surfaces)) {}
    PlaybackRestorer(const PlaybackRestorer&) = delete;
    PlaybackRestorer& operator=(const PlaybackRestorer&) = delete;
    ~PlaybackRestorer() {
        m_doc.SetFrame(m_frameIndex);
        if (m_hydrogenBonds)
            m_doc.FindHydrogenBonds();
        for (Molecule* mol : m_surfaces) {
            try {
                BuildSurface(*mol, nullptr);
            } catch (const VornError&) {
                mol->surface.DestroySurface(); // rather none than one of another frame
            }
        }
    }

private:
    CVornDoc& m_doc;
    int m_frameIndex;
    bool m_hydrogenBonds;
    std::vector<Molecule*> m_surfaces;
};

std::vector<Molecule*> BuiltSurfaces(CVornDoc& doc, bool update) {
    std::vector<Molecule*> molecules;
    if (update)
        for (auto& mol : doc.molecules)
            if (mol->surface.valid)
                molecules.push_back(mol.get());
    return molecules;
}

} // namespace

bool RecordMovie(CVornDoc& doc, const CVornView* view, const MovieRequest& request,
                 const MovieProgress& progress) {
    if (request.start < 0 || request.stop < request.start)
        VORN_RAISE("VornMovie", "Please enter a valid step range!");
    VornMovie movie;
    movie.Open(request.fileName, request.width, request.height, request.frameRate, request.depth,
               request.codec, request.quality);
    MovieCanvas canvas(doc, request);
    CVornView& drawer = canvas.View();
    if (view) {
        drawer.TakeSettingsOf(*view);
        drawer.Resize(request.width, request.height);
        drawer.ResetDrawingState();
    }
    const bool hydrogenBonds = drawer.params.hBondsShown;
    const std::vector<Molecule*> surfaces = BuiltSurfaces(doc, request.updateSurfaces);
    PlaybackRestorer restorer(doc, hydrogenBonds, surfaces);
    const int total = request.stop - request.start + 1;
    for (int k = request.start; k <= request.stop; ++k) {
        doc.SetFrame(k);
        if (hydrogenBonds)
            doc.FindHydrogenBonds();
        for (Molecule* mol : surfaces)
            BuildSurface(*mol, nullptr);
        movie.AddFrame(canvas.Render());
        if (progress && !progress(k - request.start + 1, total)) {
            movie.Discard();
            return false;
        }
    }
    movie.Close();
    return true;
}

} // namespace vorn
