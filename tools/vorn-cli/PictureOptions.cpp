// The options of vorn-cli render that shape its view, and the writing of its picture in the
// format the output's extension names.
#include "PictureOptions.h"

#include "Arguments.h"
#include "appearance/ColorScheme.h"
#include "document/VornDoc.h"
#include "output/ImageFiles.h"
#include "render/OffscreenPicture.h"
#include "render/VornView.h"

#include <cmath>
#include <cstdio>

namespace vorn {

namespace {

bool EndsWith(const std::string& s, const std::string& end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

struct NamedScheme {
    const char* name;
    int scheme;
};

// The schemes that need no colour or number of their own.
const NamedScheme kSchemes[] = {
    {"element", kColorByElement},          {"temperature", kColorByTemperature},
    {"occupancy", kColorByOccupancy},      {"structure", kColorByStructure},
    {"residue-type", kColorByResidueType}, {"index", kColorByResidueIndex}};

int SchemeOfName(const std::string& name) {
    for (const NamedScheme& s : kSchemes)
        if (name == s.name)
            return s.scheme;
    throw UsageError("--color takes element, temperature, occupancy, structure, residue-type or "
                     "index");
}

// "A,B,C": three numbers separated by commas.
bool ThreeNumbers(const std::string& text, double (&v)[3]) {
    char tail = 0;
    return std::sscanf(text.c_str(), "%lf,%lf,%lf%c", &v[0], &v[1], &v[2], &tail) == 3 &&
           std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

// The request that runs a scheme on its own: the element and structure schemes also store their
// colour into the table entry they name, so they are given the entry's own colour.
ColorSchemeRequest RequestFor(int scheme, const ColorTables& tables) {
    ColorSchemeRequest request;
    request.scheme = scheme;
    const Rgba c = scheme == kColorByStructure ? tables.structure[request.structure]
                                               : tables.element[request.element];
    request.r = c.r, request.g = c.g, request.b = c.b, request.a = c.a;
    return request;
}

// The drawn rotation of a quaternion is the transpose of its usual matrix, so turning the picture
// by t about a screen axis multiplies the molecule's rotation by t's conjugate on the right.
void TurnAboutScreenAxis(MotionState& motion, int axis, double degrees) {
    const double half = -degrees * M_PI / 360;
    Quaternion t;
    float* components[3] = {&t.x, &t.y, &t.z};
    *components[axis] = static_cast<float>(std::sin(half));
    t.w = static_cast<float>(std::cos(half));
    motion.rotation = Multiply(motion.rotation, t);
    motion.rotationMatrix = QuaternionToMatrix(motion.rotation);
}

} // namespace

PictureOutput PictureOutputOf(const Arguments& args) {
    PictureOutput output;
    output.path = args.Value("-o", "");
    const std::string& p = output.path;
    if (EndsWith(p, ".png") || EndsWith(p, ".PNG"))
        output.kind = PictureKind::kPng;
    else if (EndsWith(p, ".bmp") || EndsWith(p, ".BMP"))
        output.kind = PictureKind::kBmp;
    else if (VectorFormatOfPath(p, output.vector))
        output.kind = PictureKind::kVector;
    else
        throw UsageError("render needs -o OUT.png, OUT.bmp, OUT.eps, OUT.svg or OUT.pdf");
    return output;
}

ViewOptions ViewOptionsOf(const Arguments& args) {
    ViewOptions o;
    if (args.values.count("--color"))
        o.colorScheme = SchemeOfName(args.Value("--color", ""));
    if (args.values.count("--background")) {
        double rgb[3];
        if (!ThreeNumbers(args.Value("--background", ""), rgb))
            throw UsageError("--background takes R,G,B, each 0 to 255");
        for (int k = 0; k < 3; ++k) {
            if (rgb[k] < 0 || rgb[k] > 255 || rgb[k] != std::floor(rgb[k]))
                throw UsageError("--background takes R,G,B, each 0 to 255");
            o.background[k] = static_cast<int>(rgb[k]);
        }
    }
    o.fieldOfView = args.NumberValue("--fov", 0);
    if (args.values.count("--fov") && !(o.fieldOfView > 0 && o.fieldOfView < 180))
        throw UsageError("--fov takes degrees above 0 and below 180");
    if (args.values.count("--turn") && !ThreeNumbers(args.Value("--turn", ""), o.turn))
        throw UsageError("--turn takes X,Y,Z in degrees");
    return o;
}

void ApplyViewOptions(const ViewOptions& o, CVornDoc& doc, CVornView& view) {
    for (auto& mol : doc.molecules) {
        if (o.colorScheme >= 0)
            ApplyColorScheme(*mol, doc.colorTables, RequestFor(o.colorScheme, doc.colorTables));
        for (int axis = 0; axis < 3; ++axis)
            if (o.turn[axis] != 0)
                TurnAboutScreenAxis(mol->motion, axis, o.turn[axis]);
    }
    if (o.background[0] >= 0) {
        const int rgba[4] = {o.background[0], o.background[1], o.background[2], 255};
        view.ApplyColor(0, rgba);
    }
    if (o.fieldOfView > 0) {
        view.params.fieldOfView = static_cast<float>(o.fieldOfView);
        view.SetProjection();
    }
}

void WritePicture(const PictureOutput& output, CVornDoc& doc, OffscreenPicture& picture) {
    const std::string title = doc.primary ? doc.primary->fileName : "";
    if (output.kind == PictureKind::kVector) {
        picture.MakeCurrent();
        picture.View().ExportVectorPicture(output.path, output.vector);
        return;
    }
    const DibImage image = picture.Render();
    if (output.kind == PictureKind::kPng)
        WritePngFile(output.path, image, title);
    else
        WriteBmpFile(output.path, image);
}

} // namespace vorn
