// What vorn-cli render writes (a raster or a vector picture, by the file's extension) and how its
// view differs from the defaults: colour scheme, background, field of view and turn.
#pragma once

#include "render/VectorPictures.h"

#include <string>

namespace vorn {

struct Arguments;
class CVornDoc;
class CVornView;
class OffscreenPicture;

enum class PictureKind { kPng, kBmp, kVector };

struct PictureOutput {
    std::string path;
    PictureKind kind = PictureKind::kPng;
    VectorFormat vector = VectorFormat::kEps;
};

// -o by its extension: .png, .bmp, .eps or .ps, .svg, .pdf (either case). Raises UsageError.
PictureOutput PictureOutputOf(const Arguments& args);

struct ViewOptions {
    int colorScheme = -1;             // a ColorScheme; -1 keeps the colours read
    int background[3] = {-1, -1, -1}; // 0 to 255; -1 keeps the default
    double fieldOfView = 0;           // degrees; 0 keeps the default
    double turn[3] = {0, 0, 0};       // degrees about the screen's x, y and z axes, in that order
};

// --color, --background, --fov and --turn, checked before anything is read. Raises UsageError.
ViewOptions ViewOptionsOf(const Arguments& args);

// Colours every molecule by the scheme, turns every molecule about the screen axes and sets the
// view's background and field of view. The view's context must be current.
void ApplyViewOptions(const ViewOptions& options, CVornDoc& doc, CVornView& view);

// Draws the picture and writes it; a file is replaced only by a complete one.
void WritePicture(const PictureOutput& output, CVornDoc& doc, OffscreenPicture& picture);

} // namespace vorn
