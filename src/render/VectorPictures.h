// Vector pictures of what the view shows: Encapsulated PostScript through GLtoPS, SVG and PDF
// through gl2ps, each drawn once more through OpenGL's feedback buffer.
#pragma once

#include "render/GLtoPS.h"

#include <cstdio>
#include <string>

namespace vorn {

class CVornView;
class UiHost;

enum class VectorFormat { kEps, kSvg, kPdf };

// The vector format a file name asks for by its extension: .eps or .ps, .svg, .pdf, in lower or
// upper case. False for any other name.
bool VectorFormatOfPath(const std::string& path, VectorFormat& format);

// Where a picture asked for at path is written: ".ps" is appended unless the path contains ".ps",
// ".eps" or either in upper case anywhere; likewise ".svg" and ".pdf" for the other formats.
std::string VectorPicturePath(const std::string& path, VectorFormat format);

// The view's scene drawn through GLtoPS into the open file, again with a larger feedback buffer
// until it fits, with the view's context current. Progress of the visibility pass goes to ui (may
// be null); without cullHidden every polygon is written.
PostScriptCounts WriteEpsOfView(CVornView& view, std::FILE* file, UiHost* ui,
                                bool cullHidden = true);

// The view's scene drawn through gl2ps as SVG or PDF (format kSvg or kPdf) into the open file,
// which is emptied and written anew whenever the feedback buffer overflows. title names the
// picture in the file.
void WriteGl2psOfView(CVornView& view, std::FILE* file, VectorFormat format,
                      const std::string& title);

} // namespace vorn
