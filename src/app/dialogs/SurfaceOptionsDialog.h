// The "Surface Options" property sheet: the "Render" page (quality, surface type, solvent, probe
// radius, "Rebuild Surface") and the "Color" page (by atom with optional transparency, or one
// colour of the user's), with "OK", "Cancel", "Apply" and "Automatic apply".
#pragma once

#include "render/SurfaceDrawing.h"

#include <QDialog>
#include <QPointer>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QTabWidget;

namespace vorn {

class ColorDialog;

// Modeless. It keeps no options of its own beyond what its controls show: the caller fills it
// from a surface and takes what it applies.
class SurfaceOptionsDialog : public QDialog {
    Q_OBJECT
public:
    explicit SurfaceOptionsDialog(QWidget* parent = nullptr);

    // Shows a surface's options; nothing is applied.
    void ShowOptions(const SurfaceOptions& options);
    // The options as the pages show them. Without "Enable Surface Transparency" the surface is
    // opaque (alpha 255) whatever the alpha slider shows.
    SurfaceOptions Options() const;

    QTabWidget* Pages() { return m_pages; }
    QSlider* QualitySlider() { return m_quality; }
    QComboBox* SurfaceType() { return m_type; }
    QCheckBox* IncludeSolvent() { return m_solvent; }
    QDoubleSpinBox* ProbeRadius() { return m_probe; }
    QRadioButton* ColorByAtom() { return m_byAtom; }
    QRadioButton* UserDefinedColor() { return m_userColor; }
    QCheckBox* Transparency() { return m_transparency; }
    QSlider* AlphaSlider() { return m_alpha; }
    QLabel* AlphaText() { return m_alphaText; }
    // R, G, B and A of the user-defined colour.
    QSpinBox* ColorField(int k) { return m_fields[k]; }
    QPushButton* ColorButton() { return m_colorButton; }
    QCheckBox* AutomaticApply() { return m_automatic; }

signals:
    // "Apply", "OK" and, with "Automatic apply", every change.
    void applied(const SurfaceOptions& options);
    // "Rebuild Surface": the options applied, then the surfaces built anew.
    void rebuildRequested(const SurfaceOptions& options);

private:
    QWidget* BuildRenderPage();
    QWidget* BuildColorPage();
    void EnableColorControls();
    void Changed();
    void PickColor();

    QTabWidget* m_pages;
    QSlider* m_quality;
    QComboBox* m_type;
    QCheckBox* m_solvent;
    QDoubleSpinBox* m_probe;
    QRadioButton* m_byAtom;
    QRadioButton* m_userColor;
    QCheckBox* m_transparency;
    QSlider* m_alpha;
    QLabel* m_alphaText;
    QSpinBox* m_fields[4];
    QWidget* m_swatch;
    QPushButton* m_colorButton;
    QCheckBox* m_automatic;
    bool m_filling = false; // controls set by ShowOptions apply nothing
    QPointer<ColorDialog> m_picker;
};

} // namespace vorn
