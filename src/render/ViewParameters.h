// Every drawing parameter of the view with the value it has when the view is created or reset.
#pragma once

#include <string>

namespace vorn {

// Render modes stored per molecule.
enum RenderMode {
    kHideMolecule = 0,
    kWireFrame,
    kCpk,
    kPoints,
    kSticks,
    kBallAndStick,
    kTraceSticks,
    kTraceWireFrame,
    kSpline,
    kSolidRibbon,
    kFlatRibbon,
    kTube,
    kTemperatureTube,
    kOccupancyTube,
    kRenderModeCount
};

// Geometric quality: 0 High, 1 Medium, 2 Low, 3 Custom.
enum ResolutionPreset { kHighResolution = 0, kMediumResolution, kLowResolution, kCustomResolution };

// Tessellation counts of the primitives and of the backbone splines.
struct Resolution {
    int atomRes = 15;      // slices of the atom hemisphere
    int bondRes = 15;      // slices of the bond cylinder
    int selectionRes = 20; // slices of the selection hemisphere, disk, cylinder and cone
    int splineRes = 5;     // points per residue along backbone splines
    int ribbonRes = 5;     // cross-section resolution of ribbons and tubes
    float splineTension = 1.25f;
};

struct LabelFont {
    int height = -18; // negative: character height in pixels
    int weight = 700; // bold
    std::string face = "Arial";
};

struct ViewParameters {
    float backgroundColor[4] = {0, 0, 0, 1}; // also the fog colour
    float selectionColor[4] = {0, 0.9f, 0, 0.6f};
    float hBondColor[3] = {1, 0, 0};
    float matSpecular[4] = {0.3f, 0.3f, 0.3f, 0.3f};
    float matShininess = 15.0f;
    bool depthCue = true; // fog
    float fogDensity = 0.25f;
    bool lineAlias = true; // smoothed lines
    bool smooth3D = true;  // smooth shading of solids
    // Spheres and cylinders as tessellated polygons rather than shaded impostors (which need
    // GLSL and smooth shading; the pick and vector-picture passes always take polygons).
    bool drawPolygons = false;
    float lineWidth = 2.0f;
    int resolution = kMediumResolution;
    Resolution res;
    bool displayStereo = false;
    float stereoAngle = 3.5f; // degrees: half the angle between the eyes
    bool clipView = false;
    bool clipSurface = false;
    bool displayClipPlane = false;
    float clipPlaneColor[4] = {0.5f, 0.5f, 0.5f, 0.5f};
    bool scaleToFit = true;
    float fieldOfView = 60.0f; // degrees, vertical, 0 to 180
    float sceneScale = 1.0f;   // the size mapped to 4 units in front of the eye, Å
    bool axesShown = false;
    bool hBondsShown = false;
    bool momentumEnabled = false;
    bool spinning = false;
    bool playing = false;
    bool playReverse = false;
    bool continuousRedraw = false;
    float stickRadius = 0.175f; // Å
    float ballRadius = 0.275f;  // Å
    int printColorDepth = 16;
    int memoryLimit = -1; // kilobytes, -1 no limit
    int colorBits = 16;
    int depthBits = 16;
    LabelFont labelFont;
    int labelListBase = -1;
    int windowWidth = 0, windowHeight = 0;
    bool leftButtonDown = false, shiftDown = false;
    unsigned frameTime = ~0u, previousFrameTime = 0; // milliseconds of the steady clock
    float lastScaleX = 0;                            // of field-of-view drags, window pixels
};

} // namespace vorn
