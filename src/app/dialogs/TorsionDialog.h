// The "Adjust Torsion Angle" window: a slider from 0 to 360 whose middle is the conformation at the
// time the bond was picked, and the turn in radians.
#pragma once

#include <QDialog>

class QLabel;
class QSlider;

namespace vorn {

class TorsionDialog : public QDialog {
    Q_OBJECT
public:
    explicit TorsionDialog(QWidget* parent = nullptr);

    // The picked torsion: with a bond that can turn the slider stands at int(degrees) + 180 and is
    // enabled; without one it stands at 360, disabled.
    void ShowTorsion(bool canTurn, double degrees);
    // A turn given in radians: accepted in [-π, π), anything else counts as 0.
    void SetRadians(double radians);
    QSlider* Slider() { return m_slider; }
    QString Text() const;

signals:
    // The slider moved: the turn relative to the picked conformation, degrees.
    void turned(double degrees);

private:
    void ShowText();

    QSlider* m_slider;
    QLabel* m_text;
};

} // namespace vorn
