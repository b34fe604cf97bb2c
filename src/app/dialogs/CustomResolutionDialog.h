// The "Geometric Resolution/Polygon Count" window: six sliders for the custom resolution, "Auto
// Apply", "Apply" and "Close".
#pragma once

#include "render/ViewParameters.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;

namespace vorn {

class CustomResolutionDialog : public QDialog {
    Q_OBJECT
public:
    // The sliders start at the view's values (the tension slider at (tension − 1) · 30).
    explicit CustomResolutionDialog(const Resolution& res, QWidget* parent = nullptr);

    static constexpr int kSliders = 6;
    QSlider* Slider(int index) { return m_sliders[index]; }

signals:
    // (index, slider position) for the view: 0 atom, 1 bond, 2 selection, 3 spline resolution,
    // 4 tension, 5 ribbon resolution; 6 when the window is closed.
    void valueChosen(int index, int value);

protected:
    void done(int result) override;

private:
    void ShowValue(int index);

    QSlider* m_sliders[kSliders];
    QLabel* m_values[kSliders];
    QCheckBox* m_autoApply;
    QPushButton* m_apply;
};

} // namespace vorn
