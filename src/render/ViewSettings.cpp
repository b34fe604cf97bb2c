// The view's persisted values, listed once in the order they are written; loading, saving and
// purging walk that list.
#include "render/ViewSettings.h"

#include "core/SettingsStore.h"
#include "document/ReadingSettings.h"
#include "document/VornDoc.h"
#include "render/Primitives.h"
#include "render/VornView.h"

#include <algorithm>
#include <string>

namespace vorn {

namespace {

// Each persisted view value, in writing order, handed to a visitor with the range accepted when
// it is read back. Light names carry the light's index.
// Params and Lights are const for the visitors that only read them.
template <typename Params, typename Lights, typename Visitor>
void VisitViewValues(Params& p, Lights& lights, Visitor& v) {
    v.Int("printColorDepth", p.printColorDepth, [](int d) { return d == 16 || d == 24; });
    v.Reals("matSpecular", p.matSpecular, 4);
    // The Lighting window sets shininess up to 128 (100 % shiny), so that is what reads back.
    v.Real("matShininess", p.matShininess, 0.0f, 128.0f);
    v.Reals("backgroundColor", p.backgroundColor, 4);
    v.Reals("selectionColor", p.selectionColor, 4);
    v.Reals("hBondColor", p.hBondColor, 3);
    v.Switch("depthCue", p.depthCue);
    v.Switch("lineAlias", p.lineAlias);
    v.Switch("smooth3D", p.smooth3D);
    v.Stereo("displayStereo", p.displayStereo);
    v.Switch("clipView", p.clipView);
    v.Switch("clipSurface", p.clipSurface);
    v.WrittenOnly("displayClipPlane", p.displayClipPlane); // the plane is hidden at every start
    v.Reals("clipPlaneColor", p.clipPlaneColor, 4);
    v.Int("resolution", p.resolution, [](int r) { return r >= 0 && r <= 3; });
    v.Int("atomRes", p.res.atomRes, [](int r) { return r >= 2 && r <= 75; });
    v.Int("bondRes", p.res.bondRes, [](int r) { return r >= 2 && r <= 75; });
    v.Int("selectionRes", p.res.selectionRes, [](int r) { return r >= 3 && r <= 75; });
    v.Int("splineRes", p.res.splineRes, [](int r) { return r >= 0 && r <= 50; });
    v.Int("ribbonRes", p.res.ribbonRes, [](int r) { return r >= 3 && r <= 50; });
    v.Real("splineTension", p.res.splineTension, 1.0f, 2.0f);
    v.Real("lineWidth", p.lineWidth, 1.0f, 10.0f);
    v.Switch("scaleToFit", p.scaleToFit);
    v.Switch("drawPolygons", p.drawPolygons);
    for (int i = 0; i < 6; ++i) {
        const std::string n = std::to_string(i);
        v.Reals(("SolidSpecular" + n).c_str(), lights[i].specular, 3);
        v.Reals(("SolidDiffuse" + n).c_str(), lights[i].diffuse, 3);
        v.Switch(("TurnOnSolid" + n).c_str(), lights.turnedOn[i]);
    }
    v.Reals("SolidAmbient", lights[6].ambient, 3);
    v.Switch("TurnOnAmbient", lights.turnedOn[6]);
}

class Loader {
public:
    explicit Loader(SettingsStore& store) : m_section(store) {}
    void Switch(const char* name, bool& value) { m_section.ReadSwitch(name, value); }
    void WrittenOnly(const char*, bool&) {}
    // Stored as an integer; only 1 switches stereo on.
    void Stereo(const char* name, bool& value) {
        int stored = 0;
        m_section.ReadInt(name, stored, 1, 1);
        if (stored == 1)
            value = true;
    }
    template <typename Accept>
    void Int(const char* name, int& value, Accept accept) {
        int read = value;
        m_section.ReadInt(name, read, -2147483647 - 1, 2147483647);
        if (accept(read))
            value = read;
    }
    void Real(const char* name, float& value, float lo, float hi) {
        m_section.ReadReal(name, value, lo, hi);
    }
    void Reals(const char* name, float* values, int count) {
        m_section.ReadReals(name, values, count);
    }

private:
    SettingsSection m_section;
};

class Saver {
public:
    explicit Saver(SettingsStore& store) : m_section(store) {}
    void Switch(const char* name, bool value) { m_section.WriteSwitch(name, value); }
    void WrittenOnly(const char* name, bool value) { m_section.WriteSwitch(name, value); }
    void Stereo(const char* name, bool value) { m_section.WriteInt(name, value ? 1 : 0); }
    template <typename Accept>
    void Int(const char* name, int value, Accept) {
        m_section.WriteInt(name, value);
    }
    void Real(const char* name, float value, float, float) { m_section.WriteReal(name, value); }
    void Reals(const char* name, const float* values, int count) {
        m_section.WriteReals(name, values, count);
    }

private:
    SettingsSection m_section;
};

class Remover {
public:
    explicit Remover(SettingsStore& store) : m_section(store) {}
    void Switch(const char* name, bool) { m_section.Remove(name); }
    void WrittenOnly(const char* name, bool) { m_section.Remove(name); }
    void Stereo(const char* name, bool) { m_section.Remove(name); }
    template <typename Accept>
    void Int(const char* name, int, Accept) {
        m_section.Remove(name);
    }
    void Real(const char* name, float, float, float) { m_section.Remove(name); }
    void Reals(const char* name, const float*, int) { m_section.Remove(name); }

private:
    SettingsSection m_section;
};

void CopyColor(float* to, const float* from, int count) {
    std::copy(from, from + count, to);
}

} // namespace

void SetDefaultSettings(CVornView& view, SettingsStore* store) {
    const ViewParameters d;
    ViewParameters& p = view.params;
    p.printColorDepth = d.printColorDepth;
    p.memoryLimit = d.memoryLimit; // not stored, but back to no limit
    CopyColor(p.matSpecular, d.matSpecular, 4);
    p.matShininess = d.matShininess;
    CopyColor(p.backgroundColor, d.backgroundColor, 4);
    CopyColor(p.selectionColor, d.selectionColor, 4);
    CopyColor(p.hBondColor, d.hBondColor, 3);
    p.depthCue = d.depthCue;
    p.lineAlias = d.lineAlias;
    p.smooth3D = d.smooth3D;
    p.displayStereo = d.displayStereo;
    p.clipView = d.clipView;
    p.clipSurface = d.clipSurface;
    p.displayClipPlane = d.displayClipPlane;
    CopyColor(p.clipPlaneColor, d.clipPlaneColor, 4);
    p.resolution = kMediumResolution;
    ApplyPreset(p.resolution, p.res);
    p.lineWidth = d.lineWidth;
    p.scaleToFit = d.scaleToFit;
    p.drawPolygons = d.drawPolygons;
    view.Lights().ResetColors();
    if (store)
        LoadSettings(view, *store);
    view.clipPlane.Follow(p);
}

void LoadSettings(CVornView& view, SettingsStore& store) {
    Loader loader(store);
    VisitViewValues(view.params, view.Lights(), loader);
    view.clipPlane.Follow(view.params); // the plane takes the colour read back
}

void SaveSettings(const CVornView& view, const CVornDoc& doc, SettingsStore& store) {
    SaveReadingSettings(doc, store);
    Saver saver(store);
    VisitViewValues(view.params, view.Lights(), saver);
}

void PurgeSettings(SettingsStore& store) {
    PurgeReadingSettings(store);
    // Only the names matter here: any parameters and lights serve.
    const ViewParameters params;
    LightNames names;
    const LightSet lights(names);
    Remover remover(store);
    VisitViewValues(params, lights, remover);
}

} // namespace vorn
