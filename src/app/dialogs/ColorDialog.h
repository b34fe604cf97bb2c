// The "Color" window: four vertical sliders and fields for red, green, blue and alpha (0 to 255),
// a swatch, and OK, Cancel, Apply and "Automatic apply".
#pragma once

#include <QColor>
#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSlider;
class QWidget;

namespace vorn {

class ColorDialog : public QDialog {
    Q_OBJECT
public:
    explicit ColorDialog(QWidget* parent = nullptr);

    // The colour being edited for a target (the view's colour targets: 0 background, 1
    // selection, 2 hydrogen bonds, 3 clipping plane): the starting and the working colour.
    // Without alpha, the alpha slider and field are disabled.
    void SetColor(int target, const QColor& color, bool useAlpha);
    QColor Working() const { return m_working; }
    int Target() const { return m_target; }

signals:
    void applied(int target, const QColor& color);  // Apply, or any change with automatic apply
    void accepted(int target, const QColor& color); // OK
    void closedWithoutOk(int target);

protected:
    void done(int result) override;

private:
    void SetComponent(int k, int value);
    void Changed();
    int Component(const QColor& c, int k) const;

    QColor m_start{255, 255, 255, 255};
    QColor m_working{255, 255, 255, 255};
    int m_target = 0;
    QSlider* m_sliders[4];
    QLineEdit* m_fields[4];
    QWidget* m_swatch;
    QCheckBox* m_automatic;
    QPushButton* m_apply;
};

} // namespace vorn
