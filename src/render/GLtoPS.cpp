// OpenGL feedback to Encapsulated PostScript: the token walk, the depth sort, the visibility grid
// and the PostScript text of each primitive.
#include "render/GLtoPS.h"

#include "core/UiHost.h"
#include "core/VornError.h"

#include <GL/gl.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <new>

namespace vorn {

namespace {

const char* const kSource = "GLtoPS";

constexpr int kVertexFloats = 7;            // x, y, z (window), red, green, blue, alpha
constexpr float kGouraudThreshold = 0.075f; // colour difference that splits a triangle
constexpr double kSmoothLineFactor = 0.06;  // colour steps per window unit and unit of colour
constexpr int kPrimitivesPerCell = 500;
constexpr int kLeastGridSize = 10;
constexpr int kLeastSamples = 50, kMostSamples = 100; // per side of a cell

// The procedures the primitives call. triangle: [x1 x2 x3 y1 y2 y3] [r g b]; computediff1: three
// numbers, true when two differ by threshold or more; computediff3: three colours, computediff1 on
// the reds, else the greens, else the blues; middlecolor: two colours to their mean;
// gouraudtriangle: the coordinates and three colours, split at the edge midpoints while the
// colours differ too much, else filled in their mean. Each split halves the differences, so the
// recursion ends; every level keeps its corners in a dictionary of its own.
const char* const kPrologue[] = {
    "/bd { bind def } bind def",
    "/triangle { aload pop setrgbcolor aload pop newpath",
    "  5 index 3 index moveto 4 index 2 index lineto 3 index 1 index lineto",
    "  6 { pop } repeat closepath fill } bd",
    "/computediff1 {",
    "  2 copy sub abs threshold ge { pop pop pop true } {",
    "    exch 2 index sub abs threshold ge { pop pop true } { sub abs threshold ge } ifelse",
    "  } ifelse } bd",
    "/computediff3 {",
    "  3 copy 0 get 3 1 roll 0 get 3 1 roll 0 get 3 1 roll computediff1 { pop pop pop true } {",
    "    3 copy 1 get 3 1 roll 1 get 3 1 roll 1 get 3 1 roll computediff1 { pop pop pop true } {",
    "      2 get 3 1 roll 2 get 3 1 roll 2 get 3 1 roll computediff1",
    "    } ifelse",
    "  } ifelse } bd",
    "/middlecolor {",
    "  2 copy 0 get exch 0 get add 2 div 3 1 roll",
    "  2 copy 1 get exch 1 get add 2 div 3 1 roll",
    "  2 get exch 2 get add 2 div 3 array astore } bd",
    "/gouraudtriangle {",
    "  3 copy computediff3 {",
    "    16 dict begin",
    "    /c3 exch def /c2 exch def /c1 exch def aload pop",
    "    /y3 exch def /y2 exch def /y1 exch def /x3 exch def /x2 exch def /x1 exch def",
    "    /c12 c1 c2 middlecolor def /c13 c1 c3 middlecolor def /c23 c2 c3 middlecolor def",
    "    /x12 x1 x2 add 2 div def /y12 y1 y2 add 2 div def",
    "    /x13 x1 x3 add 2 div def /y13 y1 y3 add 2 div def",
    "    /x23 x2 x3 add 2 div def /y23 y2 y3 add 2 div def",
    "    [x1 x12 x13 y1 y12 y13] c1 c12 c13 gouraudtriangle",
    "    [x12 x2 x23 y12 y2 y23] c12 c2 c23 gouraudtriangle",
    "    [x13 x23 x3 y13 y23 y3] c13 c23 c3 gouraudtriangle",
    "    [x12 x23 x13 y12 y23 y13] c12 c23 c13 gouraudtriangle",
    "    end",
    "  } {",
    "    4 dict begin /c3 exch def /c2 exch def /c1 exch def",
    "    [ 0 1 2 { dup c1 exch get exch dup c2 exch get exch c3 exch get add add 3 div } for ]",
    "    end triangle",
    "  } ifelse } bd",
};

// One primitive of the feedback: where its token lies, its depth, whether it is written.
struct Record {
    int start;
    float depth;
    std::uint8_t drawn;
};

int TokenAt(const float* f, int i) {
    return static_cast<int>(f[i]);
}

// The floats the primitive at f[i] takes, token included; 0 when the token is unknown or the
// primitive runs past count.
int PrimitiveSize(const float* f, int i, int count) {
    long size = 0;
    switch (TokenAt(f, i)) {
    case GL_POINT_TOKEN:
    case GL_BITMAP_TOKEN:
        size = 1 + kVertexFloats;
        break;
    case GL_LINE_TOKEN:
    case GL_LINE_RESET_TOKEN:
        size = 1 + 2 * kVertexFloats;
        break;
    case GL_POLYGON_TOKEN:
        if (i + 1 >= count || !(f[i + 1] <= float(count)))
            return 0;
        size = 2 + kVertexFloats * std::max(0L, static_cast<long>(f[i + 1]));
        break;
    default:
        return 0;
    }
    return size <= count - i ? static_cast<int>(size) : 0;
}

int PolygonVertexCount(const float* f, const Record& r) {
    return std::max(0, static_cast<int>(f[r.start + 1]));
}

// The first vertex of the primitive.
const float* Vertices(const float* f, const Record& r) {
    return f + r.start + (TokenAt(f, r.start) == GL_POLYGON_TOKEN ? 2 : 1);
}

float DepthKey(const float* f, const Record& r) {
    const float* v = Vertices(f, r);
    switch (TokenAt(f, r.start)) {
    case GL_LINE_TOKEN:
    case GL_LINE_RESET_TOKEN:
        return (v[2] + v[kVertexFloats + 2]) / 2;
    case GL_POLYGON_TOKEN: {
        const int n = PolygonVertexCount(f, r);
        double sum = 0;
        for (int k = 0; k < n; ++k)
            sum += v[kVertexFloats * k + 2];
        return n > 0 ? static_cast<float>(sum / n) : 0.0f;
    }
    default:
        return v[2];
    }
}

// Two walks: the count, then the records, nearest first.
std::vector<Record> ReadRecords(const float* f, int count, PostScriptCounts& counts) {
    std::size_t primitives = 0;
    for (int i = 0; i < count;) {
        const int size = PrimitiveSize(f, i, count);
        if (size == 0)
            VORN_RAISE(kSource, "Unexpected feedback token");
        ++primitives;
        i += size;
    }
    std::vector<Record> records;
    try {
        records.reserve(primitives);
    } catch (const std::bad_alloc&) {
        VORN_RAISE(kSource, "Unable to allocate memory for PS primitives");
    }
    for (int i = 0; i < count; i += PrimitiveSize(f, i, count)) {
        Record r{i, 0, 0};
        r.depth = DepthKey(f, r);
        records.push_back(r);
        switch (TokenAt(f, i)) {
        case GL_POINT_TOKEN:
            ++counts.points;
            break;
        case GL_POLYGON_TOKEN:
            ++counts.polygons;
            break;
        case GL_BITMAP_TOKEN:
            ++counts.bitmaps;
            break;
        default:
            ++counts.lines;
        }
    }
    std::stable_sort(records.begin(), records.end(),
                     [](const Record& a, const Record& b) { return a.depth < b.depth; });
    return records;
}

// Strictly inside a polygon wound counter-clockwise in window coordinates: left of every edge.
bool Contains(const float* v, int n, double px, double py) {
    for (int k = 0; k < n; ++k) {
        const float* a = v + kVertexFloats * k;
        const float* b = v + kVertexFloats * ((k + 1) % n);
        if (!(double(b[1] - a[1]) * (px - a[0]) < double(b[0] - a[0]) * (py - a[1])))
            return false;
    }
    return true;
}

struct Box {
    float minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    void Add(const float* v) {
        minX = std::min(minX, v[0]), maxX = std::max(maxX, v[0]);
        minY = std::min(minY, v[1]), maxY = std::max(maxY, v[1]);
    }
    bool Holds(double x, double y) const { return x > minX && x < maxX && y > minY && y < maxY; }
};

// A polygon in a cell of the grid, with its box to pass over it quickly.
struct CellPolygon {
    Record* record;
    Box box;
};

class ProgressSteps {
public:
    ProgressSteps(UiHost* ui, int steps) : m_ui(ui) {
        if (m_ui)
            m_ui->BeginProgress(steps);
    }
    ~ProgressSteps() {
        if (m_ui)
            m_ui->EndProgress();
    }
    ProgressSteps(const ProgressSteps&) = delete;
    ProgressSteps& operator=(const ProgressSteps&) = delete;
    void Step() {
        if (m_ui)
            m_ui->StepProgress();
    }

private:
    UiHost* m_ui;
};

// Samples each cell on a lattice of 50 to 100 points a side; each point flags the nearest polygon
// of the cell that holds it. Polygons no sample finds are behind others and stay unwritten.
void SampleCell(const float* f, std::vector<CellPolygon>& cell, double x0, double y0, double width,
                double height) {
    const int s = std::clamp(static_cast<int>(cell.size()), kLeastSamples, kMostSamples);
    const double right = x0 + width, top = y0 + height;
    for (int i = 0;; ++i) {
        const double px = x0 + i * (width / s);
        if (!(px < right))
            break;
        for (int j = 0;; ++j) {
            const double py = y0 + j * (height / s);
            if (!(py < top))
                break;
            for (CellPolygon& p : cell)
                if (p.box.Holds(px, py) &&
                    Contains(Vertices(f, *p.record), PolygonVertexCount(f, *p.record), px, py)) {
                    p.record->drawn = 1;
                    break;
                }
        }
    }
}

// Flags every point, line and bitmap drawn, and the polygons that the grid's samples find.
void FlagVisible(const float* f, std::vector<Record>& records, UiHost* ui) {
    Box all;
    for (Record& r : records) {
        const bool polygon = TokenAt(f, r.start) == GL_POLYGON_TOKEN;
        r.drawn = !polygon;
        if (polygon)
            for (int k = 0; k < PolygonVertexCount(f, r); ++k)
                all.Add(Vertices(f, r) + kVertexFloats * k);
    }
    const int g = std::max(
        kLeastGridSize, static_cast<int>(std::sqrt(double(records.size()) / kPrimitivesPerCell)));
    const double cellW = (double(all.maxX) - all.minX) / g,
                 cellH = (double(all.maxY) - all.minY) / g;
    if (!(cellW > 0) || !(cellH > 0))
        return; // no polygon, or none with an area
    std::vector<std::vector<CellPolygon>> cells(static_cast<std::size_t>(g) * g);
    for (Record& r : records) {
        const int n = TokenAt(f, r.start) == GL_POLYGON_TOKEN ? PolygonVertexCount(f, r) : 0;
        if (n == 0)
            continue;
        CellPolygon p{&r, {}};
        double sumX = 0, sumY = 0;
        for (int k = 0; k < n; ++k) {
            const float* v = Vertices(f, r) + kVertexFloats * k;
            p.box.Add(v);
            sumX += v[0], sumY += v[1];
        }
        const int column = std::clamp(static_cast<int>((sumX / n - all.minX) / cellW), 0, g - 1);
        const int row = std::clamp(static_cast<int>((sumY / n - all.minY) / cellH), 0, g - 1);
        cells[static_cast<std::size_t>(column) * g + row].push_back(p);
    }
    ProgressSteps progress(ui, g);
    for (int column = 0; column < g; ++column) {
        for (int row = 0; row < g; ++row) {
            auto& cell = cells[static_cast<std::size_t>(column) * g + row];
            if (!cell.empty())
                SampleCell(f, cell, all.minX + column * cellW, all.minY + row * cellH, cellW,
                           cellH);
        }
        progress.Step();
    }
}

void WriteHeader(std::FILE* file, const PostScriptPage& page) {
    const float* v = page.viewport;
    std::fprintf(file, "%%!PS-Adobe-2.0 EPSF-2.0\n");
    std::fprintf(file, "%%%%Creator: %s (using OpenGL feedback)\n", "Vorn");
    std::fprintf(file, "%%%%BoundingBox: %g %g %g %g\n", v[0], v[1], v[2], v[3]);
    std::fputs("%%EndComments\n\ngsave\n\n", file);
    std::fputs("% the gouraudtriangle PostScript fragement below is free\n", file);
    std::fprintf(file, "/threshold %g def\n", kGouraudThreshold);
    for (const char* line : kPrologue)
        std::fprintf(file, "%s\n", line);
    std::fprintf(file, "\n%g setlinewidth\n", page.lineWidth);
    const float* c = page.clearColor;
    std::fprintf(file, "%g %g %g setrgbcolor\n", c[0], c[1], c[2]);
    std::fputs("gsave\nnewpath\n", file);
    std::fprintf(file, "%g %g moveto\n", v[0], v[1]);
    std::fprintf(file, "%g 0 rlineto\n", v[2]);
    std::fprintf(file, "0 %g rlineto\n", v[3]);
    std::fprintf(file, "%g neg 0 rlineto\n", v[2]);
    std::fputs("closepath\nfill\ngrestore\n\n", file);
}

void WritePoint(std::FILE* file, const float* v, float pointSize) {
    std::fprintf(file, "%g %g %g setrgbcolor\n", v[3], v[4], v[5]);
    std::fprintf(file, "%g %g %g 0 360 arc fill\n\n", v[0], v[1], pointSize / 2);
}

// A line whose end colours differ is drawn in steps of graded colour, more the longer it is and
// the more the colours differ; the running point starts half a step back so that both ends keep
// their own colours.
void WriteLine(std::FILE* file, const float* a, const float* b) {
    const double dr = b[3] - a[3], dg = b[4] - a[4], db = b[5] - a[5];
    int steps = 0;
    double x = a[0], y = a[1], r = a[3], g = a[4], bl = a[5];
    double dx = b[0] - a[0], dy = b[1] - a[1];
    if (dr != 0 || dg != 0 || db != 0) {
        const double largest = std::max({std::fabs(dr), std::fabs(dg), std::fabs(db)});
        const double wanted = largest * std::sqrt(dx * dx + dy * dy) * kSmoothLineFactor;
        steps = static_cast<int>(std::clamp(wanted, 1.0, 1e6));
        dx /= steps, dy /= steps;
        x -= dx / 2, y -= dy / 2;
        r -= dr / steps / 2, g -= dg / steps / 2, bl -= db / steps / 2;
    }
    std::fprintf(file, "%g %g %g setrgbcolor\n", a[3], a[4], a[5]);
    std::fprintf(file, "%g %g moveto\n", a[0], a[1]);
    for (int i = 0; i < steps; ++i) {
        x += dx, y += dy;
        r += dr / steps, g += dg / steps, bl += db / steps;
        std::fprintf(file, "%g %g lineto stroke\n", x, y);
        std::fprintf(file, "%g %g %g setrgbcolor\n", r, g, bl);
        std::fprintf(file, "%g %g moveto\n", x, y);
    }
    std::fprintf(file, "%g %g lineto stroke\n", b[0], b[1]);
}

bool SameColour(const float* a, const float* b) {
    return a[3] == b[3] && a[4] == b[4] && a[5] == b[5];
}

// One colour: a filled path. Several: the fan of triangles from the first vertex, each shaded.
void WritePolygon(std::FILE* file, const float* v, int n) {
    if (n <= 0)
        return;
    bool flat = true;
    for (int k = 1; k < n && flat; ++k)
        flat = SameColour(v, v + kVertexFloats * k);
    if (flat) {
        std::fputs("newpath\n", file);
        std::fprintf(file, "%g %g %g setrgbcolor\n", v[3], v[4], v[5]);
        std::fprintf(file, "%g %g moveto\n", v[0], v[1]);
        for (int k = 1; k < n; ++k)
            std::fprintf(file, "%g %g lineto\n", v[kVertexFloats * k], v[kVertexFloats * k + 1]);
        std::fputs("closepath fill\n\n", file);
        return;
    }
    for (int i = 0; i + 2 < n; ++i) {
        const float* b = v + kVertexFloats * (i + 1);
        const float* c = v + kVertexFloats * (i + 2);
        std::fprintf(file, "[%g %g %g %g %g %g]", v[0], b[0], c[0], v[1], b[1], c[1]);
        std::fprintf(file, " [%g %g %g] [%g %g %g] [%g %g %g] gouraudtriangle\n", v[3], v[4], v[5],
                     b[3], b[4], b[5], c[3], c[4], c[5]);
    }
}

void WritePrimitive(std::FILE* file, const float* f, const Record& r, const PostScriptPage& page) {
    const float* v = Vertices(f, r);
    switch (TokenAt(f, r.start)) {
    case GL_POINT_TOKEN:
        WritePoint(file, v, page.pointSize);
        break;
    case GL_LINE_TOKEN:
    case GL_LINE_RESET_TOKEN:
        WriteLine(file, v, v + kVertexFloats);
        break;
    case GL_POLYGON_TOKEN:
        WritePolygon(file, v, PolygonVertexCount(f, r));
        break;
    default: // bitmaps (label glyphs) have no PostScript form here
        break;
    }
}

} // namespace

PostScriptCounts WritePostScript(std::FILE* file, const float* feedback, int count,
                                 const PostScriptPage& page, bool cullHidden, UiHost* ui) {
    if (!file)
        VORN_RAISE(kSource, "Invalid file handle");
    PostScriptCounts counts;
    std::vector<Record> records = ReadRecords(feedback, std::max(0, count), counts);
    if (cullHidden)
        FlagVisible(feedback, records, ui);
    else
        for (Record& r : records)
            r.drawn = 1;
    WriteHeader(file, page);
    // Farthest first, so that nearer primitives paint over those behind them.
    for (auto r = records.rbegin(); r != records.rend(); ++r) {
        if (!r->drawn)
            continue;
        if (TokenAt(feedback, r->start) == GL_POLYGON_TOKEN)
            ++counts.polygonsDrawn;
        WritePrimitive(file, feedback, *r, page);
    }
    std::fputs("grestore\n\n", file);
    std::fputs("%Add `showpage' to the end of this file to be able to print to a printer.\n", file);
    return counts;
}

GLtoPS::GLtoPS(std::FILE* file, int bufferSize, UiHost* ui) : m_file(file), m_ui(ui) {
    if (!file)
        VORN_RAISE(kSource, "Invalid file handle");
    Allocate(static_cast<std::size_t>(bufferSize > 0 ? bufferSize : kDefaultFeedbackFloats));
}

void GLtoPS::Allocate(std::size_t floats) {
    std::vector<float>().swap(m_buffer); // the old buffer goes before the larger one comes
    try {
        m_buffer.resize(floats);
    } catch (const std::bad_alloc&) {
        VORN_RAISE(kSource, "Unable to allocate memory for feedback buffer");
    }
}

void GLtoPS::Begin() {
    glFeedbackBuffer(BufferSize(), GL_3D_COLOR, m_buffer.data());
    glRenderMode(GL_FEEDBACK);
}

bool GLtoPS::End() {
    const GLint used = glRenderMode(GL_RENDER);
    if (used < 0) {
        // GL counts the buffer in GLsizei: past that it cannot grow.
        if (m_buffer.size() > static_cast<std::size_t>(INT_MAX / 2))
            VORN_RAISE(kSource, "Unable to allocate memory for feedback buffer");
        Allocate(m_buffer.size() * 2);
        return false;
    }
    PostScriptPage page;
    glGetFloatv(GL_VIEWPORT, page.viewport);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, page.clearColor);
    glGetFloatv(GL_LINE_WIDTH, &page.lineWidth);
    glGetFloatv(GL_POINT_SIZE, &page.pointSize);
    m_written = WritePostScript(m_file, m_buffer.data(), used, page, cullHidden, m_ui);
    return true;
}

} // namespace vorn
