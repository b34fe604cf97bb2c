// Vector pictures read back: the PostScript of hand-made feedback (header, line steps, flat and
// Gouraud polygons, the visibility pass), and EPS, SVG and PDF files of real scenes.
#include "render/VectorPictures.h"

#include "../RaisedError.h"
#include "../ScratchFiles.h"
#include "../WrittenFiles.h"
#include "Pixels.h"

#include <GL/gl.h>

#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>

namespace vorn {

namespace {

struct V {
    float x, y, z, r, g, b;
};

// Feedback as GL_3D_COLOR leaves it: a token, then 7 floats a vertex.
struct Feedback {
    std::vector<float> f;
    void Vertices(std::initializer_list<V> vs) {
        for (const V& v : vs)
            f.insert(f.end(), {v.x, v.y, v.z, v.r, v.g, v.b, 1.0f});
    }
    void Add(float token, std::initializer_list<V> vs) { f.push_back(token), Vertices(vs); }
    void Polygon(std::initializer_list<V> vs) {
        f.insert(f.end(), {float(GL_POLYGON_TOKEN), float(vs.size())}), Vertices(vs);
    }
    // A flat square of one colour, counter-clockwise.
    void Square(float x0, float y0, float x1, float y1, float z, float r, float g, float b) {
        Polygon({{x0, y0, z, r, g, b},
                 {x1, y0, z, r, g, b},
                 {x1, y1, z, r, g, b},
                 {x0, y1, z, r, g, b}});
    }
};

// What a writer puts into a file.
template <typename Write>
std::string TextOf(Write write) {
    char* text = nullptr;
    size_t size = 0;
    std::FILE* file = open_memstream(&text, &size);
    try {
        write(file);
    } catch (...) {
        std::fclose(file);
        std::free(text);
        throw;
    }
    std::fclose(file);
    std::string written(text, size);
    std::free(text);
    return written;
}

struct Written {
    PostScriptCounts counts;
    std::string text;
    Lines lines;
    int Count(const std::string& line) const {
        return int(std::count(lines.begin(), lines.end(), line));
    }
    int IndexOf(const std::string& line) const {
        return int(std::find(lines.begin(), lines.end(), line) - lines.begin());
    }
};

Written Split(const std::string& text, const PostScriptCounts& counts) {
    Written w{counts, text, {}};
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        w.lines.push_back(line);
    return w;
}

Written WriteToText(const Feedback& fb, bool cullHidden) {
    PostScriptPage page{{0, 0, 640, 480}, {0.2f, 0.4f, 0.6f, 1}, 2, 1};
    PostScriptCounts counts;
    const std::string text = TextOf([&](std::FILE* file) {
        counts = WritePostScript(file, fb.f.data(), int(fb.f.size()), page, cullHidden, nullptr);
    });
    return Split(text, counts);
}

int Occurrences(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

} // namespace

TEST(PostScript, WritesEachPrimitiveFarthestFirst) {
    Feedback fb;
    fb.Add(GL_POINT_TOKEN, {{600, 400, 0.1f, 1, 1, 1}});
    fb.Add(GL_LINE_TOKEN, {{10, 10, 0.5f, .5f, .5f, .5f}, {100, 10, 0.5f, .5f, .5f, .5f}});
    // Red to blue over 110 units: 6.6 steps.
    fb.Add(GL_LINE_TOKEN, {{10, 50, 0.4f, 1, 0, 0}, {120, 50, 0.4f, 0, 0, 1}});
    fb.Add(GL_BITMAP_TOKEN, {{50, 50, 0, 1, 1, 1}});
    fb.Polygon({{200, 200, 0.3f, 0, 1, 0}, {300, 200, 0.3f, 0, 1, 0}, {250, 300, 0.3f, 0, 1, 0}});
    fb.Polygon({{400, 100, 0.2f, 1, 0, 0},
                {500, 100, 0.2f, 0, 1, 0},
                {500, 200, 0.2f, 0, 0, 1},
                {400, 200, 0.2f, 1, 0, 0}});
    const Written w = WriteToText(fb, true);
    const PostScriptCounts& c = w.counts;
    EXPECT_EQ(std::vector<int>({c.points, c.lines, c.polygons, c.bitmaps, c.polygonsDrawn}),
              std::vector<int>({1, 2, 2, 1, 2}));

    EXPECT_EQ(Lines(w.lines.begin(), w.lines.begin() + 4),
              Lines({"%!PS-Adobe-2.0 EPSF-2.0", "%%Creator: Vorn (using OpenGL feedback)",
                     "%%BoundingBox: 0 0 640 480", "%%EndComments"}));
    EXPECT_EQ(w.IndexOf("0.2 0.4 0.6 setrgbcolor") + 3, w.IndexOf("0 0 moveto"));
    EXPECT_EQ(w.lines.back(),
              "%Add `showpage' to the end of this file to be able to print to a printer.");

    // One colour: one stroke. Red to blue: 6 graded pieces and the last, each with its colour.
    const int red = w.IndexOf("1 0 0 setrgbcolor");
    EXPECT_EQ(Lines(w.lines.begin() + red, w.lines.begin() + red + 4),
              Lines({"1 0 0 setrgbcolor", "10 50 moveto", "19.1667 50 lineto stroke",
                     "0.916667 0 0.0833333 setrgbcolor"}));
    EXPECT_EQ(w.lines[size_t(red) + 20], "120 50 lineto stroke");
    EXPECT_EQ(Occurrences(w.text, "lineto stroke\n"), 1 + 7);
    // The flat triangle as one path; the shaded quadrilateral as a fan of two triangles.
    const int triangle = w.IndexOf("0 1 0 setrgbcolor");
    EXPECT_EQ(Lines(w.lines.begin() + triangle - 1, w.lines.begin() + triangle + 5),
              Lines({"newpath", "0 1 0 setrgbcolor", "200 200 moveto", "300 200 lineto",
                     "250 300 lineto", "closepath fill"}));
    const int quad = w.IndexOf("[400 500 500 100 100 200] [1 0 0] [0 1 0] [0 0 1] gouraudtriangle");
    EXPECT_EQ(w.lines[size_t(quad) + 1],
              "[400 500 400 100 200 200] [1 0 0] [0 0 1] [1 0 0] gouraudtriangle");
    EXPECT_EQ(w.Count("600 400 0.5 0 360 arc fill"), 1); // half the point size
    // Farthest first: grey line, graded line, triangle, quadrilateral, point.
    const int order[] = {
        w.IndexOf("10 10 moveto"), red, triangle, quad, w.IndexOf("1 1 1 setrgbcolor"),
        int(w.lines.size()) - 1};
    EXPECT_TRUE(std::is_sorted(std::begin(order), std::end(order)));
}

TEST(PostScript, VisibilityPassDropsPolygonsHiddenInTheirCell) {
    Feedback fb;
    // Tiny corners span 0..1000: a 10 × 10 grid of 100-unit cells.
    fb.Polygon({{0, 0, 0.5f, 1, 0, 0}, {5, 0, 0.5f, 1, 0, 0}, {0, 5, 0.5f, 1, 0, 0}});
    fb.Polygon({{1000, 1000, .5f, 1, 0, 0}, {995, 1000, .5f, 1, 0, 0}, {1000, 995, .5f, 1, 0, 0}});
    // Cell (4, 4): a far square wholly behind a near one that fills the cell.
    fb.Square(420, 420, 480, 480, 0.9f, 0.25f, 0.5f, 0.75f);
    fb.Square(400, 400, 500, 500, 0.1f, 1, 1, 0);
    // Cell (7, 7): a far square that shows above the near one.
    fb.Square(720, 720, 780, 790, 0.9f, 0.75f, 0.5f, 0.25f);
    fb.Square(700, 700, 800, 750, 0.1f, 0, 1, 1);
    const Written culled = WriteToText(fb, true);
    EXPECT_EQ(culled.counts.polygonsDrawn, 5);
    EXPECT_EQ(culled.Count("0.25 0.5 0.75 setrgbcolor"), 0);
    EXPECT_EQ(culled.Count("0.75 0.5 0.25 setrgbcolor"), 1);
    EXPECT_EQ(culled.Count("closepath fill"), 5);
    const Written all = WriteToText(fb, false);
    EXPECT_EQ(all.counts.polygonsDrawn, 6);
    EXPECT_EQ(all.Count("0.25 0.5 0.75 setrgbcolor"), 1);
}

TEST(PostScript, RefusesFeedbackItCannotRead) {
    Feedback cut; // a polygon whose vertices run past the end
    cut.Polygon({{0, 0, 0, 1, 0, 0}, {1, 0, 0, 1, 0, 0}, {0, 1, 0, 1, 0, 0}});
    cut.f.resize(cut.f.size() - 3);
    EXPECT_EQ(SourcedErrorOf([&] { WriteToText(cut, true); }), "GLtoPS: Unexpected feedback token");
    EXPECT_EQ(ErrorOf([] { GLtoPS(nullptr, 0); }), "Invalid file handle");
}

TEST(VectorPictures, PathsTakeTheirExtensionUnlessTheyHaveIt) {
    const std::pair<const char*, const char*> eps[] = {{"picture", "picture.ps"},
                                                       {"picture.PS", "picture.PS"},
                                                       {"picture.eps", "picture.eps"},
                                                       {"my.psfiles/pic", "my.psfiles/pic"}};
    for (const auto& [path, written] : eps)
        EXPECT_EQ(VectorPicturePath(path, VectorFormat::kEps), written);
    EXPECT_EQ(VectorPicturePath("picture", VectorFormat::kSvg), "picture.svg");
    EXPECT_EQ(VectorPicturePath("picture.PDF", VectorFormat::kPdf), "picture.PDF");
}

namespace {

// Crambin in the shared 320 × 240 context, wholly inside the window.
struct CrambinView : Crambin {
    explicit CrambinView(int mode) {
        view.SetRenderMode(mode);
        view.params.sceneScale *= 2;
    }
    // Wire-frame lines: a bond in two colours is drawn as two halves.
    int BondLines() const {
        int n = 0;
        for (const Bond& b : doc.primary->bonds)
            n += b.split ? 2 : 1;
        return n;
    }
};

std::string Exported(CVornView& view, const std::string& name, VectorFormat format) {
    const std::string path = view.ExportVectorPicture(ScratchPath(name), format);
    std::string text = ReadText(path);
    std::remove(path.c_str());
    return text;
}

// Vertex colours [r g b] of shaded triangles that are clearly red.
int RedVertices(const std::string& eps) {
    int n = 0;
    for (std::size_t at = eps.find('['); at != std::string::npos; at = eps.find('[', at + 1)) {
        std::istringstream colour(eps.substr(at + 1, eps.find(']', at) - at - 1));
        double r, g, b, more;
        if (colour >> r >> g >> b && !(colour >> more))
            n += r > std::max(g, b) + 0.3;
    }
    return n;
}

} // namespace

TEST(VectorPictures, OverflowingSceneIsDrawnAgainAndWrittenOnce) {
    CrambinView f(kWireFrame);
    f.doc.primary->atomLabels = true; // glyphs from display lists: a bitmap each, nothing written
    int glyphs = 0;
    for (const Atom& a : f.doc.primary->atoms)
        glyphs += int(std::to_string(a.serial).size());
    int passes = 0, bufferSize = 0;
    PostScriptCounts counts;
    const std::string text = TextOf([&](std::FILE* file) {
        GLtoPS eps(file, 64);
        f.view.primitives.SetImmediate(true);
        for (bool done = false; !done; ++passes) {
            eps.Begin();
            f.view.RenderScene(0);
            done = eps.End();
        }
        f.view.primitives.SetImmediate(false);
        counts = eps.Written();
        bufferSize = eps.BufferSize();
    });
    EXPECT_GE(passes, 5);
    EXPECT_EQ(bufferSize, 64 << (passes - 1));
    EXPECT_EQ(Occurrences(text, "%!PS-Adobe-2.0 EPSF-2.0\n"), 1);
    EXPECT_NE(text.find("%%BoundingBox: 0 0 320 240\n"), std::string::npos);
    // Only lines in a wire frame, every one written, each in one colour; labels leave no trace.
    EXPECT_EQ(counts.polygons + counts.points, 0);
    EXPECT_EQ(counts.bitmaps, glyphs);
    EXPECT_EQ(counts.lines, f.BondLines());
    EXPECT_EQ(Occurrences(text, "lineto stroke\n"), f.BondLines());
}

TEST(VectorPictures, EpsOfSpheresLeavesOutThoseBehindOthers) {
    // A wall of overlapping carbon spheres with small oxygen spheres behind it, seen along z.
    ViewFixture f;
    std::vector<std::array<float, 3>> places;
    for (int i = -6; i <= 6; ++i)
        for (int j = -6; j <= 6; ++j)
            places.push_back({float(i), float(j), 2});
    const size_t wall = places.size();
    for (float x : {-3.0f, 0.0f, 3.0f})
        places.push_back({x, x / 2, -2});
    Molecule& mol = f.AddMolecule(places);
    for (size_t i = 0; i < mol.atoms.size(); ++i) {
        mol.atoms[i].radius = i < wall ? 0.9f : 1.0f;
        mol.atoms[i].color = i < wall ? Rgba{128, 128, 128, 255} : Rgba{255, 0, 0, 255};
    }
    f.view.DocumentChanged();
    f.view.SetRenderMode(kCpk);
    f.view.params.sceneScale = 16; // the wall fills most of the window
    const std::string culled = Exported(f.view, "spheres", VectorFormat::kEps);
    PostScriptCounts all;
    const std::string unculled =
        TextOf([&](std::FILE* file) { all = WriteEpsOfView(f.view, file, nullptr, false); });
    // A fan and three bands of 15 slices, each quadrilateral as two triangles, facing the eye.
    EXPECT_EQ(all.polygons, 172 * 105);
    EXPECT_EQ(all.polygonsDrawn, all.polygons);
    // Samples find the nearest polygon of their own cell: the oxygens' show only where a cell
    // edge cuts the carbon polygons over them (none shows in the picture itself).
    EXPECT_GT(RedVertices(unculled), 900);
    EXPECT_LT(RedVertices(culled) * 10, RedVertices(unculled));
    EXPECT_GT(Occurrences(culled, "] gouraudtriangle\n"), 169 * 60);
}

namespace {

// The elements of an XML text by name, or none when it is not well-formed: tags closed in order,
// attribute values quoted, one root.
std::map<std::string, int> XmlElements(const std::string& xml) {
    std::map<std::string, int> elements;
    std::vector<std::string> open;
    int roots = 0;
    for (std::size_t at = xml.find('<'); at != std::string::npos; at = xml.find('<', at + 1)) {
        const std::size_t end = xml.find(xml.compare(at, 2, "<?") == 0 ? "?>" : ">", at);
        if (end == std::string::npos)
            return {};
        const std::string tag = xml.substr(at + 1, end - at - 1);
        if (tag.empty())
            return {};
        if (tag[0] == '?')
            continue;
        const bool closing = tag[0] == '/', empty = tag.back() == '/';
        const std::string name = tag.substr(closing, tag.find_first_of(" \n/", 1) - closing);
        if (std::count(tag.begin(), tag.end(), '"') % 2 != 0 || tag.find('<') != std::string::npos)
            return {};
        if (closing) {
            if (open.empty() || open.back() != name)
                return {};
            open.pop_back();
            continue;
        }
        roots += open.empty();
        ++elements[name];
        if (!empty)
            open.push_back(name);
    }
    return open.empty() && roots == 1 ? elements : std::map<std::string, int>{};
}

// Whether a PDF's structure holds: header, every cross-reference entry at its object, startxref
// at the table, the trailer's size, the end mark.
bool SoundPdf(const std::string& pdf) {
    const std::size_t start = pdf.rfind("startxref\n");
    if (pdf.rfind("%PDF-1.4\n", 0) != 0 || start == std::string::npos ||
        pdf.compare(pdf.size() - 6, 6, "%%EOF\n") != 0)
        return false;
    const std::size_t table = std::stoul(pdf.substr(start + 10));
    std::istringstream xref(pdf.substr(table));
    std::string word, offset, generation, use;
    int first = -1, count = 0;
    xref >> word >> first >> count;
    for (int k = 0; k < count && word == "xref"; ++k) {
        xref >> offset >> generation >> use;
        const std::string object = std::to_string(k) + " 0 obj\n";
        if (k > 0 && pdf.compare(std::stoul(offset), object.size(), object) != 0)
            return false;
    }
    xref >> word;
    return first == 0 && word == "trailer" &&
           pdf.find("/Size " + std::to_string(count) + "\n", table) != std::string::npos;
}

} // namespace

TEST(VectorPictures, SvgAndPdfHoldEveryLineOfAWireFrame) {
    CrambinView f(kWireFrame);
    const std::string svg = Exported(f.view, "wire", VectorFormat::kSvg);
    const std::map<std::string, int> elements = XmlElements(svg);
    ASSERT_FALSE(elements.empty()) << "not well-formed";
    EXPECT_EQ(elements.at("polygon"), 1); // the background
    // Lines of one colour in a row come as one polyline: its points less one.
    int segments = 0;
    for (std::size_t at = svg.find("<polyline "); at != std::string::npos;
         at = svg.find("<polyline ", at + 1)) {
        const std::size_t points = svg.find("points=\"", at) + 8;
        segments += Occurrences(svg.substr(points, svg.find('"', points) - points), " ");
    }
    EXPECT_EQ(segments, f.BondLines());
    EXPECT_NE(svg.find(R"(viewBox="0 0 320 240")"), std::string::npos);

    const std::string pdf = Exported(f.view, "wire.PDF", VectorFormat::kPdf);
    EXPECT_TRUE(SoundPdf(pdf));
    EXPECT_EQ(Occurrences(pdf, " l\n"), f.BondLines());
    EXPECT_EQ(Occurrences(pdf, "0 0 320 240 re\n"), 1);
}

} // namespace vorn
