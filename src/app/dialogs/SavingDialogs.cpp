// The "Save Coordinates" and "Export Trajectory" windows.
#include "app/dialogs/SavingDialogs.h"

#include "app/dialogs/DialogParts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>

namespace vorn {

namespace {

const char* const kTypeFilters[3] = {"PDB files (*.pdb *.PDB)", "XYZ files (*.xyz *.XYZ)",
                                     "CRD files (*.crd *.CRD)"};

// A frame number as typed; an empty field reads as 0, which no range accepts.
int FrameOf(const QLineEdit* field) {
    return field->text().toInt();
}

} // namespace

SaveCoordinatesDialog::SaveCoordinatesDialog(QWidget* parent)
    : QDialog(parent), m_name(new QLineEdit(this)), m_type(new QComboBox(this)),
      m_precision(new QComboBox(this)),
      m_conect(new QCheckBox("Write molecular connectivity (CONECT entries)", this)),
      m_normalise(new QCheckBox("Normalize Temperature factors", this)) {
    setWindowTitle("Save Coordinates");
    m_name->setObjectName("FileName");
    m_name->setMinimumWidth(300);
    auto* browse = Button("Browse ...", this);
    connect(browse, &QPushButton::clicked, this, &SaveCoordinatesDialog::Browse);
    m_type->addItems({"PDB", "XYZ", "CRD"});
    for (int p = 3; p <= 15; ++p)
        m_precision->addItem(QString::number(p));
    m_conect->setChecked(true);
    m_normalise->setChecked(true);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("File name:", this), 0, 0);
    grid->addWidget(m_name, 0, 1);
    grid->addWidget(browse, 0, 2);
    grid->addWidget(new QLabel("File Type", this), 1, 0);
    grid->addWidget(m_type, 1, 1);
    grid->addWidget(new QLabel("File Precision", this), 2, 0);
    grid->addWidget(m_precision, 2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_conect);
    layout->addWidget(m_normalise);
    layout->addWidget(OkCancel(this));
}

void SaveCoordinatesDialog::Browse() {
    const int type = std::clamp(m_type->currentIndex(), 0, 2);
    const QString name = QFileDialog::getSaveFileName(this, "Save Coordinates", QDir::currentPath(),
                                                      kTypeFilters[type]);
    if (!name.isEmpty())
        m_name->setText(name);
}

SaveChoice SaveCoordinatesDialog::Choice() const {
    SaveChoice choice;
    choice.fileName = m_name->text();
    choice.type = m_type->currentIndex();
    choice.precision = m_precision->currentIndex() + 3;
    choice.conect = m_conect->isChecked();
    choice.normalise = m_normalise->isChecked();
    return choice;
}

void SaveCoordinatesDialog::accept() {
    if (m_name->text().isEmpty()) {
        QMessageBox::warning(this, "Vorn", "Please enter a file name");
        return;
    }
    QDialog::accept();
}

ExportTrajectoryDialog::ExportTrajectoryDialog(int first, int last, QWidget* parent)
    : QDialog(parent), m_first(first), m_last(last), m_name(new QLineEdit(this)),
      m_extent(new QButtonGroup(this)), m_start(new QLineEdit(QString::number(first), this)),
      m_stop(new QLineEdit(QString::number(last), this)) {
    setWindowTitle("Export Trajectory");
    m_name->setObjectName("FileName");
    m_name->setMinimumWidth(300);
    m_start->setObjectName("Start");
    m_stop->setObjectName("Stop");
    for (QLineEdit* field : {m_start, m_stop})
        field->setValidator(
            new QRegularExpressionValidator(QRegularExpression("-?[0-9]{0,9}"), field));
    auto* browse = Button("Browse", this);
    connect(browse, &QPushButton::clicked, this, &ExportTrajectoryDialog::Browse);
    auto* type = new QComboBox(this);
    type->addItem("PDB");

    auto* extent = new QGroupBox(this);
    auto* grid = new QGridLayout(extent);
    auto* entire = new QRadioButton("Export entire trajectory", extent);
    auto* range = new QRadioButton("Export selected range", extent);
    m_extent->addButton(entire, 0);
    m_extent->addButton(range, 1);
    entire->setChecked(true);
    grid->addWidget(entire, 0, 0, 1, 4);
    grid->addWidget(range, 1, 0, 1, 4);
    grid->addWidget(new QLabel("Start:", extent), 2, 0);
    grid->addWidget(m_start, 2, 1);
    grid->addWidget(new QLabel("Stop:", extent), 2, 2);
    grid->addWidget(m_stop, 2, 3);
    connect(m_extent, &QButtonGroup::idToggled, this, [this] { EnableRange(); });
    EnableRange();

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel("File name:", this), 0, 0);
    fields->addWidget(m_name, 0, 1);
    fields->addWidget(browse, 0, 2);
    fields->addWidget(new QLabel("File Type", this), 1, 0);
    fields->addWidget(type, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(extent);
    layout->addWidget(OkCancel(this));
}

QRadioButton* ExportTrajectoryDialog::EntireButton() {
    return qobject_cast<QRadioButton*>(m_extent->button(0));
}

QRadioButton* ExportTrajectoryDialog::RangeButton() {
    return qobject_cast<QRadioButton*>(m_extent->button(1));
}

void ExportTrajectoryDialog::EnableRange() {
    const bool range = m_extent->checkedId() == 1;
    m_start->setEnabled(range);
    m_stop->setEnabled(range);
}

void ExportTrajectoryDialog::Browse() {
    QFileDialog dialog(this, "Specify PDB file to create", QDir::currentPath(),
                       "PDB files (*.pdb *.PDB)");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("pdb");
    dialog.selectFile("*.pdb");
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        m_name->setText(dialog.selectedFiles().front());
}

ExportChoice ExportTrajectoryDialog::Choice() const {
    ExportChoice choice;
    choice.fileName = m_name->text();
    const bool range = m_extent->checkedId() == 1;
    choice.start = range ? FrameOf(m_start) : m_first;
    choice.stop = range ? FrameOf(m_stop) : m_last;
    return choice;
}

void ExportTrajectoryDialog::accept() {
    const ExportChoice choice = Choice();
    const char* refusal = choice.fileName.isEmpty() ? "Please enter a file name."
                          : choice.start < m_first  ? "Invalid limit for trajectory start"
                          : choice.stop > m_last    ? "Invalid limit for trajectory stop"
                                                    : nullptr;
    if (refusal) {
        QMessageBox::warning(this, "Vorn", refusal);
        return;
    }
    QDialog::accept();
}

} // namespace vorn
