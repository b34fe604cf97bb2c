// The small windows of picture output: the size of an exported raster picture ("Export Image")
// and the memory and colour depth of prints and copies ("Printing/Clip board Options").
#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace vorn {

// The number a field's text starts with, as C's atoi reads it: leading blanks, a sign, digits;
// 0 when there is none, the nearest int when it is too large.
int LeadingInteger(const QString& text);

// "Export Image": width and height in pixels, each a whole number from 1 to kMaxSide. OK refuses
// anything else with a message and stays open.
class ImageSizeDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxSide = 32767;

    ImageSizeDialog(int width, int height, QWidget* parent = nullptr);
    int ImageWidth() const;
    int ImageHeight() const;

    QLineEdit* WidthField() { return m_width; }
    QLineEdit* HeightField() { return m_height; }

    void accept() override;

private:
    QLineEdit* m_width;
    QLineEdit* m_height;
};

// "Printing/Clip board Options": how much memory the picture of a print or a copy may take
// (kilobytes; -1 for no limit) and its colour depth (16 or 24 bits). OK reports the choice.
class PrintOptionsDialog : public QDialog {
    Q_OBJECT
public:
    PrintOptionsDialog(int memoryLimit, int colorDepth, QWidget* parent = nullptr);
    // Shows these values (the window is opened again).
    void ShowOptions(int memoryLimit, int colorDepth);

    QRadioButton* UnlimitedButton() { return m_unlimited; }
    QRadioButton* LimitButton() { return m_limited; }
    QLineEdit* AmountField() { return m_amount; }
    QComboBox* DepthList() { return m_depth; }

    void accept() override;

signals:
    void optionsChosen(int memoryLimit, int colorDepth);

private:
    QRadioButton* m_unlimited;
    QRadioButton* m_limited;
    QLineEdit* m_amount;
    QComboBox* m_depth;
};

} // namespace vorn
