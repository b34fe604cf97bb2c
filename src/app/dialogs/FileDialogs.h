// The windows of the File menu that choose what to read: "Coordinate File Options" and "Open
// Coordiante and Trajectory" (its title is spelled so).
#pragma once

#include <QDialog>
#include <QString>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace vorn {

// The document's five reading options.
struct ReadingOptions {
    bool connect = true;
    bool secondaryStructure = true;
    bool multiModel = false;
    bool zeroCom = true;
    int multiModelProcess = 0; // 0 verbatim, 1 zero centre of mass, 2 align
};

// The radio group of the processing modes is enabled only while the multiple-structures box is
// checked.
class CoordinateOptionsDialog : public QDialog {
    Q_OBJECT
public:
    explicit CoordinateOptionsDialog(const ReadingOptions& options, QWidget* parent = nullptr);
    ReadingOptions Options() const;

    QCheckBox* MultiModelBox() { return m_multi; }
    QRadioButton* ModeButton(int mode);

private:
    QCheckBox* m_connect;
    QCheckBox* m_secondary;
    QCheckBox* m_multi;
    QCheckBox* m_zeroCom;
    QButtonGroup* m_modes;
};

// What the coordinate-and-trajectory window chose.
struct CoordinatesAndTrajectory {
    QString coordinates;
    int coordinateType = 0; // 0 PDB, 1 XYZ, 2 CRD
    QString trajectory;
    int trajectoryType = 3; // 3 DCD
    int mode = 0;           // 0 verbatim, 1 zero centre of mass, 2 align
};

class CoordinatesAndTrajectoryDialog : public QDialog {
    Q_OBJECT
public:
    explicit CoordinatesAndTrajectoryDialog(QWidget* parent = nullptr);
    CoordinatesAndTrajectory Choice() const;

    QLineEdit* CoordinateField() { return m_coordinates; }
    QLineEdit* TrajectoryField() { return m_trajectory; }
    QComboBox* CoordinateTypes() { return m_coordinateType; }
    QRadioButton* ModeButton(int mode);

private:
    QLineEdit* m_coordinates;
    QComboBox* m_coordinateType;
    QLineEdit* m_trajectory;
    QComboBox* m_trajectoryType;
    QButtonGroup* m_modes;
};

// The file-window filter of a coordinate type: "PDB files" (with "mmCIF files" beside it),
// "XYZ files" or "CRD files".
QString CoordinateFilter(int type);

} // namespace vorn
