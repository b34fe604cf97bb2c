// Sizing of off-screen captures and the BMP and PNG files written from captured pictures.
#pragma once

#include "output/DibImage.h"

#include <string>

namespace vorn {

// Pixels per side that a capture never exceeds, so its bitmap stays within what can be allocated.
constexpr int kMaxCaptureSide = 1000;

struct CaptureSize {
    int width, height;
};

// The size of a capture asked for at wantedW × wantedH: capped at kMaxCaptureSide per side, fitted
// to the client area's aspect ratio, then halved while 3 bytes a pixel exceed memoryLimitKb
// kilobytes (no limit when memoryLimitKb <= 0). A client area without a size (a minimised
// window) keeps the wanted aspect; no side ever drops below 1.
CaptureSize FitCaptureSize(int wantedW, int wantedH, int clientW, int clientH, int memoryLimitKb);

// The path with ext (such as ".png") appended, unless the path already contains ext in lower or
// upper case anywhere.
std::string WithExtension(const std::string& path, const std::string& ext);

// Writes a 24-bit picture as an uncompressed BMP file: the rows as they lie, bottom row first.
// The target is replaced only by a complete file. Raises VornError on failure.
void WriteBmpFile(const std::string& path, const DibImage& image);

// Writes a 24-bit picture as an 8-bit RGB PNG file with "Title" and "Author" text chunks. The
// target is replaced only by a complete file. Raises VornError (with libpng's message when libpng
// fails) on failure.
void WritePngFile(const std::string& path, const DibImage& image, const std::string& title);

} // namespace vorn
