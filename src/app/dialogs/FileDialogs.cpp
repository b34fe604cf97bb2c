// The "Coordinate File Options" and "Open Coordiante and Trajectory" windows.
#include "app/dialogs/FileDialogs.h"

#include "app/dialogs/DialogParts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vorn {

namespace {

const char* const kModes[3] = {"Verbatim", "Zero center of mass", "Align"};

// The three processing modes as radio buttons in a group box; mode m has id m.
QGroupBox* ModeGroup(const QString& title, QButtonGroup*& group, int mode, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(box);
    group = new QButtonGroup(parent);
    for (int m = 0; m < 3; ++m) {
        auto* button = new QRadioButton(kModes[m], box);
        group->addButton(button, m);
        layout->addWidget(button);
    }
    if (QAbstractButton* chosen = group->button(mode >= 0 && mode <= 2 ? mode : 0))
        chosen->setChecked(true);
    return box;
}

} // namespace

QString CoordinateFilter(int type) {
    switch (type) {
    case 1:
        return "XYZ files (*.xyz *.XYZ)";
    case 2:
        return "CRD files (*.crd *.CRD)";
    default:
        return "PDB files (*.pdb *.PDB *.ent *.pdb.gz *.ent.gz *.gz);;"
               "mmCIF files (*.cif *.CIF *.mmcif *.cif.gz *.mmcif.gz)";
    }
}

CoordinateOptionsDialog::CoordinateOptionsDialog(const ReadingOptions& options, QWidget* parent)
    : QDialog(parent), m_connect(new QCheckBox("Compute Molecular Connectivity", this)),
      m_secondary(new QCheckBox("Compute Secondary Structure", this)),
      m_multi(new QCheckBox("Interpret multiple structures as a trajectory", this)),
      m_zeroCom(new QCheckBox("Zero center of mass", this)) {
    setWindowTitle("Coordinate File Options");
    m_connect->setChecked(options.connect);
    m_secondary->setChecked(options.secondaryStructure);
    m_multi->setChecked(options.multiModel);
    m_zeroCom->setChecked(options.zeroCom);
    QGroupBox* modes = ModeGroup("", m_modes, options.multiModelProcess, this);
    const auto enableModes = [this](bool on) {
        for (QAbstractButton* b : m_modes->buttons())
            b->setEnabled(on);
    };
    enableModes(options.multiModel);
    connect(m_multi, &QCheckBox::toggled, this, enableModes);
    auto* layout = new QVBoxLayout(this);
    for (QCheckBox* box : {m_connect, m_secondary, m_zeroCom, m_multi})
        layout->addWidget(box);
    layout->addWidget(modes);
    layout->addWidget(OkCancel(this));
}

ReadingOptions CoordinateOptionsDialog::Options() const {
    ReadingOptions o;
    o.connect = m_connect->isChecked();
    o.secondaryStructure = m_secondary->isChecked();
    o.multiModel = m_multi->isChecked();
    o.zeroCom = m_zeroCom->isChecked();
    o.multiModelProcess = m_modes->checkedId() < 0 ? 0 : m_modes->checkedId();
    return o;
}

QRadioButton* CoordinateOptionsDialog::ModeButton(int mode) {
    return static_cast<QRadioButton*>(m_modes->button(mode));
}

CoordinatesAndTrajectoryDialog::CoordinatesAndTrajectoryDialog(QWidget* parent)
    : QDialog(parent), m_coordinates(new QLineEdit(this)), m_coordinateType(new QComboBox(this)),
      m_trajectory(new QLineEdit(this)), m_trajectoryType(new QComboBox(this)) {
    setWindowTitle("Open Coordiante and Trajectory");
    m_coordinateType->addItems({"PDB", "XYZ", "CRD"});
    m_trajectoryType->addItems({"DCD"});
    auto* browseCoordinates = new QPushButton("Browse ...", this);
    auto* browseTrajectory = new QPushButton("Browse ...", this);
    for (QPushButton* b : {browseCoordinates, browseTrajectory})
        b->setAutoDefault(false);
    connect(browseCoordinates, &QPushButton::clicked, this, [this] {
        const QString name = QFileDialog::getOpenFileName(
            this, "Open", QDir::currentPath(), CoordinateFilter(m_coordinateType->currentIndex()));
        if (!name.isEmpty())
            m_coordinates->setText(name);
    });
    connect(browseTrajectory, &QPushButton::clicked, this, [this] {
        const QString name = QFileDialog::getOpenFileName(this, "Open", QDir::currentPath(),
                                                          "DCD files (*.dcd *.DCD)");
        if (!name.isEmpty())
            m_trajectory->setText(name);
    });
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("Coordinate file:", this), 0, 0);
    grid->addWidget(m_coordinates, 0, 1);
    grid->addWidget(browseCoordinates, 0, 2);
    grid->addWidget(m_coordinateType, 0, 3);
    grid->addWidget(new QLabel("Trajectory file:", this), 1, 0);
    grid->addWidget(m_trajectory, 1, 1);
    grid->addWidget(browseTrajectory, 1, 2);
    grid->addWidget(m_trajectoryType, 1, 3);
    grid->setColumnMinimumWidth(1, 260);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(ModeGroup("Trajectory Read Options", m_modes, 0, this));
    layout->addWidget(OkCancel(this));
}

CoordinatesAndTrajectory CoordinatesAndTrajectoryDialog::Choice() const {
    CoordinatesAndTrajectory c;
    c.coordinates = m_coordinates->text();
    c.coordinateType = m_coordinateType->currentIndex();
    c.trajectory = m_trajectory->text();
    c.trajectoryType = m_trajectoryType->currentIndex() + 3;
    c.mode = m_modes->checkedId() < 0 ? 0 : m_modes->checkedId();
    return c;
}

QRadioButton* CoordinatesAndTrajectoryDialog::ModeButton(int mode) {
    return static_cast<QRadioButton*>(m_modes->button(mode));
}

} // namespace vorn
