// The "Lighting" window: the lights switched on and off, their common colour, and the material's
// shininess and specular reflectance in percent.
#pragma once

#include "render/VornLight.h"

#include <QDialog>
#include <QPointer>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace vorn {

class ColorDialog;

class LightingDialog : public QDialog {
    Q_OBJECT
public:
    // Starts from the view's lights and material; "Automatic apply" is on.
    explicit LightingDialog(const LightingChoice& choice, QWidget* parent = nullptr);

    LightingChoice Choice() const { return m_choice; }
    QCheckBox* Switch(int light) { return m_switches[light]; }
    QLineEdit* ColorField(int k) { return m_fields[k]; }
    QSlider* ShinySlider() { return m_shiny; }
    QSlider* SpecularSlider() { return m_specular; }
    QCheckBox* AutomaticApply() { return m_automatic; }

signals:
    // "Apply", automatic apply, and "OK" before the window closes.
    void applied(const LightingChoice& choice);

private:
    void Changed();
    void ShowPercents();
    void SelectColor();

    LightingChoice m_choice;
    QCheckBox* m_switches[LightSet::kCount];
    QLineEdit* m_fields[3];
    QSlider* m_shiny;
    QSlider* m_specular;
    QLabel* m_shinyText;
    QLabel* m_specularText;
    QCheckBox* m_automatic;
    QPushButton* m_apply;
    QPointer<ColorDialog> m_picker;
};

} // namespace vorn
