// Records a trajectory as a movie: the frames of the document's playback drawn off screen one by
// one and written by VornMovie.
#pragma once

#include "output/VornMovie.h"
#include "render/OffscreenContext.h"

#include <functional>
#include <memory>
#include <string>

namespace vorn {

class CVornDoc;
class CVornView;
class GlyphSource;

// Makes the context the frames are drawn in, of width × height pixels with a depth buffer, or
// raises VornError.
using MovieContextMaker = std::function<std::unique_ptr<OffscreenContext>(int width, int height)>;

struct MovieRequest {
    std::string fileName;          // ".avi" appended as MovieFileName says
    int width = 640, height = 480; // pixels
    int frameRate = 15;            // frames per second
    int depth = 24;                // bits per pixel: 16, 24 or 32
    MovieCodec codec = MovieCodec::raw;
    int quality = kDefaultMovieQuality;
    // Playback frame indices, both recorded: 0 shows the structure, 1 to the frame count the
    // trajectory's frames (larger indices wrap around as playback does).
    int start = 1, stop = 1;
    bool updateSurfaces = false;   // rebuild every built molecular surface for each frame
    GlyphSource* glyphs = nullptr; // label glyphs; null: the built-in font
    // Where the frames are drawn; empty: an EGL context without any window system. It lives for
    // the whole recording.
    MovieContextMaker contexts;
};

// After each frame: the frames written and the frames in all. Returning false cancels.
using MovieProgress = std::function<bool(int written, int total)>;

// Records frames start..stop of the document's playback into request.fileName, each drawn off
// screen by a view of its own with the settings of view (the defaults when view is null) at
// request.width × request.height. Returns true when the movie is in place, false when progress
// cancelled it (nothing written, an older file untouched). Raises VornError with nothing written:
// "Please enter a valid step range!" (start negative or stop below start), the writer's errors,
// "Error creating memory device context for movie frame!" when no context can be had. Either way
// the document's frame index comes back, and with it the hydrogen bonds and the surfaces rebuilt
// for the movie. The movie's context is released at the end: no GL context is current afterwards.
bool RecordMovie(CVornDoc& doc, const CVornView* view, const MovieRequest& request,
                 const MovieProgress& progress = {});

} // namespace vorn
