// The windows of the File menu that choose how molecules are written: "Save Coordinates" and
// "Export Trajectory".
#pragma once

#include <QDialog>
#include <QString>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace vorn {

// What the Save Coordinates window chose.
struct SaveChoice {
    QString fileName;
    int type = 0;      // 0 PDB, 1 XYZ, 2 CRD
    int precision = 3; // decimals, 3 to 15
    bool conect = true;
    bool normalise = true;
};

// OK with an empty file name shows "Please enter a file name" and the window stays open.
class SaveCoordinatesDialog : public QDialog {
    Q_OBJECT
public:
    explicit SaveCoordinatesDialog(QWidget* parent = nullptr);
    SaveChoice Choice() const;

    QLineEdit* NameField() { return m_name; }
    QComboBox* TypeList() { return m_type; }
    QComboBox* PrecisionList() { return m_precision; }
    QCheckBox* ConectBox() { return m_conect; }
    QCheckBox* NormaliseBox() { return m_normalise; }

    void accept() override;

private:
    void Browse();

    QLineEdit* m_name;
    QComboBox* m_type;
    QComboBox* m_precision;
    QCheckBox* m_conect;
    QCheckBox* m_normalise;
};

// What the Export Trajectory window chose: frames start to stop, 1-based.
struct ExportChoice {
    QString fileName;
    int start = 1;
    int stop = 1;
};

// Offers frames first to last. OK refuses, the window staying open, an empty name ("Please enter
// a file name.") and a selected range that begins before first ("Invalid limit for trajectory
// start") or ends after last ("Invalid limit for trajectory stop").
class ExportTrajectoryDialog : public QDialog {
    Q_OBJECT
public:
    ExportTrajectoryDialog(int first, int last, QWidget* parent = nullptr);
    ExportChoice Choice() const;

    QLineEdit* NameField() { return m_name; }
    QRadioButton* EntireButton();
    QRadioButton* RangeButton();
    QLineEdit* StartField() { return m_start; }
    QLineEdit* StopField() { return m_stop; }

    void accept() override;

private:
    void Browse();
    void EnableRange();

    int m_first;
    int m_last;
    QLineEdit* m_name;
    QButtonGroup* m_extent;
    QLineEdit* m_start;
    QLineEdit* m_stop;
};

} // namespace vorn
