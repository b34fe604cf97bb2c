// The impostor shaders. Each sphere or cylinder is one screen-facing quad that covers exactly the
// lines of sight touching it; every pixel of the quad casts its line of sight from the eye (the
// origin of eye coordinates) at the shape, discards a miss, and shades the nearest hit as the
// fixed-function pipeline shades a vertex: emission, ambient, and per light switched on the
// diffuse and specular terms, with the colour as ambient and diffuse material, then linear fog.
// The hit's own depth goes to the depth buffer, so impostors and polygons hide each other where
// they meet. The clipping plane is tested at the hit rather than at the quad's corners.
#include "render/ImpostorShaders.h"

namespace vorn {

namespace {

// Where the quad's corners go: a line of sight is kept as (x, y) / -z, the ray (x', y', -1)
// through it. The projection is a perspective one (w = -z, no translation in x and y), which the
// renderer checks before it draws.
const char* const kVertexCommon = R"(#version 120
uniform float u_scale;
uniform float u_radius;

// The smallest and largest x / -z over a circle of radius r centred at (x, z), z < -r: the lines
// of sight that touch it. A side whose tangent passes behind the eye is unbounded.
vec2 TangentRange(float x, float z, float r) {
    float t = x / -z;
    float b = r / sqrt(max(x * x + z * z - r * r, 1.0e-30));
    float below = 1.0 + t * b;
    float above = 1.0 - t * b;
    return vec2(below > 0.0 ? (t - b) / below : -1.0e4, above > 0.0 ? (t + b) / above : 1.0e4);
}

vec4 ScreenPosition(vec2 ray) {
    mat4 p = gl_ProjectionMatrix;
    return vec4(p[0][0] * ray.x + p[1][0] * ray.y - p[2][0],
                p[0][1] * ray.x + p[1][1] * ray.y - p[2][1], 0.0, 1.0);
}

// All four corners at one point outside the view: nothing is drawn.
const vec4 kNowhere = vec4(0.0, 0.0, 2.0, 1.0);

// The line of sight through a corner of the viewport: a shape reaching across the eye's plane
// has no bounded outline, so its quad is the whole view.
vec2 ViewportCornerRay(vec2 corner) {
    mat4 p = gl_ProjectionMatrix;
    vec2 b = corner + vec2(p[2][0], p[2][1]);
    float det = p[0][0] * p[1][1] - p[1][0] * p[0][1];
    return vec2(p[1][1] * b.x - p[1][0] * b.y, p[0][0] * b.y - p[0][1] * b.x) / det;
}
)";

const char* const kSphereVertex = R"(
attribute vec4 a_center;
attribute vec4 a_color;
attribute vec2 a_corner;
varying vec3 v_ray;    // the line of sight (x, y, -1) in sphere radii
varying vec4 v_origin; // the eye from the sphere's centre in sphere radii; the radius
varying vec2 v_gamma;  // |v_origin.xyz|² - 1 and its reciprocal
varying vec4 v_color;

void main() {
    vec3 c = (gl_ModelViewMatrix * vec4(a_center.xyz, 1.0)).xyz;
    float r = (u_radius >= 0.0 ? u_radius : a_center.w) * u_scale;
    v_color = a_color;
    v_ray = vec3(0.0);
    v_origin = vec4(0.0);
    v_gamma = vec2(0.0);
    // From inside a sphere none of its outer side is seen.
    if (!(r > 0.0) || !(dot(c, c) > r * r)) {
        gl_Position = kNowhere;
        return;
    }
    v_origin = vec4(-c / r, r);
    float gamma = dot(v_origin.xyz, v_origin.xyz) - 1.0;
    v_gamma = vec2(gamma, 1.0 / gamma);
    vec2 ray = ViewportCornerRay(a_corner);
    if (-c.z > r) {
        vec2 x = TangentRange(c.x, c.z, r);
        vec2 y = TangentRange(c.y, c.z, r);
        ray = vec2(a_corner.x < 0.0 ? x.x : x.y, a_corner.y < 0.0 ? y.x : y.y);
    }
    v_ray = vec3(ray, -1.0) / r;
    gl_Position = ScreenPosition(ray);
}
)";

const char* const kCylinderVertex = R"(
attribute vec3 a_first;
attribute vec3 a_second;
attribute vec4 a_firstColor;
attribute vec4 a_secondColor;
attribute vec2 a_corner;
varying vec2 v_ray;
varying vec4 v_axis;   // unit axis from the first end, length
varying vec4 v_offset; // the eye's offset from the axis line (perpendicular to it), radius
varying vec4 v_moment; // offset × axis, the eye's distance along the axis from the first end
varying vec4 v_firstColor;
varying vec4 v_secondColor;

void main() {
    vec3 a = (gl_ModelViewMatrix * vec4(a_first, 1.0)).xyz;
    vec3 b = (gl_ModelViewMatrix * vec4(a_second, 1.0)).xyz;
    float r = u_radius * u_scale;
    float len = length(b - a);
    vec3 u = len > 0.0 ? (b - a) / len : vec3(0.0, 0.0, 1.0);
    float along = dot(-a, u);
    vec3 offset = -a - along * u;
    v_axis = vec4(u, len);
    v_offset = vec4(offset, r);
    v_moment = vec4(cross(offset, u), along);
    v_firstColor = a_firstColor;
    v_secondColor = a_secondColor;
    v_ray = vec2(0.0);
    // From inside the cylinder's line no outer side is seen.
    if (!(len > 0.0) || !(r > 0.0) || !(dot(offset, offset) > r * r)) {
        gl_Position = kNowhere;
        return;
    }
    if (!(-a.z > r) || !(-b.z > r)) {
        v_ray = ViewportCornerRay(a_corner);
        gl_Position = ScreenPosition(v_ray);
        return;
    }
    // A rectangle along the cylinder on screen that holds the outlines of the spheres around
    // both ends, and so the cylinder between them.
    vec2 t = b.xy / -b.z - a.xy / -a.z;
    float tl = length(t);
    t = tl > 1.0e-7 ? t / tl : vec2(1.0, 0.0);
    vec2 n = vec2(-t.y, t.x);
    vec2 ta = TangentRange(dot(a.xy, t), a.z, r);
    vec2 tb = TangentRange(dot(b.xy, t), b.z, r);
    vec2 na = TangentRange(dot(a.xy, n), a.z, r);
    vec2 nb = TangentRange(dot(b.xy, n), b.z, r);
    float s = a_corner.x < 0.0 ? min(ta.x, tb.x) : max(ta.y, tb.y);
    float w = a_corner.y < 0.0 ? min(na.x, nb.x) : max(na.y, nb.y);
    v_ray = s * t + w * n;
    gl_Position = ScreenPosition(v_ray);
}
)";

// Depth, clipping, lighting and fog of a hit at p (eye coordinates), t = -p.z in front of the eye
// (invT its reciprocal), with unit normal n. u_depth: the window depth is x + y / t, and lies
// from z to w between the near and far planes.
const char* const kFragmentCommon = R"(
uniform vec3 u_ambient;
uniform vec3 u_toLight[8];
uniform vec3 u_halfway[8];
uniform vec4 u_depth;

void Finish(float t, float invT, vec3 p, vec3 n, vec4 color) {
    float depth = u_depth.x + u_depth.y * invT;
    // Outside the near and far planes the polygons would have been clipped there.
    if (depth < u_depth.z || depth > u_depth.w)
        discard;
#ifdef CLIP
    if (dot(gl_ClipPlane[0], vec4(p, 1.0)) < 0.0)
        discard;
#endif
    gl_FragDepth = depth;
    vec3 lit = gl_FrontMaterial.emission.rgb + u_ambient * color.rgb;
    vec3 shine = vec3(0.0);
    LIGHTS
    lit = clamp(lit + shine, 0.0, 1.0);
#ifdef FOG
    float f = clamp((gl_Fog.end - t) * gl_Fog.scale, 0.0, 1.0);
    lit = mix(gl_Fog.color.rgb, lit, f);
#endif
    gl_FragColor = vec4(lit, color.a);
}
)";

const char* const kSphereFragment = R"(
varying vec3 v_ray;
varying vec4 v_origin;
varying vec2 v_gamma;
varying vec4 v_color;

void main() {
    // In sphere radii around the centre the line of sight runs from o along d and meets the unit
    // sphere where |o + t·d| = 1: a t² - 2 b t + gamma = 0 with b = -o · d. The discriminant,
    // written a - |d × o|², keeps its precision for spheres far smaller than their distance; the
    // nearer root, written gamma / (b + root), needs no difference of near-equal numbers.
    vec3 d = v_ray;
    vec3 o = v_origin.xyz;
    vec3 m = cross(d, o);
    float disc = dot(d, d) - dot(m, m);
    if (disc < 0.0)
        discard;
    float q = sqrt(disc) - dot(o, d);
    float t = v_gamma.x / q;
    // t runs along (x, y, -1) in eye units too: the hit lies t in front of the eye.
    Finish(t, q * v_gamma.y, t * v_origin.w * d, o + t * d, v_color);
}
)";

const char* const kCylinderFragment = R"(
varying vec2 v_ray;
varying vec4 v_axis;
varying vec4 v_offset;
varying vec4 v_moment;
varying vec4 v_firstColor;
varying vec4 v_secondColor;

void main() {
    vec3 d = vec3(v_ray, -1.0);
    vec3 u = v_axis.xyz;
    float r = v_offset.w;
    // Across the axis the line of sight runs from the eye's offset e along dp; it meets the
    // cylinder where |e + t·dp| = r. The discriminant |dp|² r² - (d · (e × u))² keeps its
    // precision for cylinders far thinner than their distance.
    float du = dot(d, u);
    vec3 dp = d - du * u;
    float a = dot(dp, dp);
    float b = dot(dp, v_offset.xyz);
    float m = dot(d, v_moment.xyz);
    float disc = a * r * r - m * m;
    if (disc < 0.0 || a < 1.0e-12)
        discard;
    float t = (-b - sqrt(disc)) / a;
    // The ends are open, as the polygon cylinders are: past them the line of sight misses.
    float s = v_moment.w + t * du;
    if (s < 0.0 || s > v_axis.w)
        discard;
    Finish(t, 1.0 / t, t * d, (v_offset.xyz + t * dp) / r,
           s < 0.5 * v_axis.w ? v_firstColor : v_secondColor);
}
)";

// The diffuse and specular terms of each light the key names; the specular only where the
// light falls on the front (n · l > 0), as the fixed-function pipeline has it. Shininess 0 gives
// a specular factor of 1 there. Directions and half vectors come normalised in u_toLight and
// u_halfway (a distant viewer, as the fixed-function default has it).
std::string Lights(unsigned litLights) {
    std::string code;
    for (int i = 0; i < 8; ++i) {
        if (!(litLights & (1u << i)))
            continue;
        const std::string n = std::to_string(i);
        code += "{\n        float nl = dot(n, u_toLight[" + n + "]);\n" +
                "        if (nl > 0.0) {\n" + "            lit += nl * gl_LightSource[" + n +
                "].diffuse.rgb * color.rgb;\n" + "            shine += gl_FrontLightProduct[" + n +
                "].specular.rgb * pow(max(dot(n, u_halfway[" + n +
                "]), 1.0e-6), gl_FrontMaterial.shininess);\n        }\n    }\n    ";
    }
    return code;
}

std::string Fragment(const ShadingKey& key, const char* body) {
    std::string common = kFragmentCommon;
    const std::string marker = "LIGHTS";
    common.replace(common.find(marker), marker.size(), Lights(key.litLights));
    std::string source = "#version 120\n";
    if (key.fog)
        source += "#define FOG 1\n";
    if (key.clip)
        source += "#define CLIP 1\n";
    return source + common + body;
}

} // namespace

std::string SphereVertexShader() {
    return std::string(kVertexCommon) + kSphereVertex;
}

std::string SphereFragmentShader(const ShadingKey& key) {
    return Fragment(key, kSphereFragment);
}

std::string CylinderVertexShader() {
    return std::string(kVertexCommon) + kCylinderVertex;
}

std::string CylinderFragmentShader(const ShadingKey& key) {
    return Fragment(key, kCylinderFragment);
}

} // namespace vorn
