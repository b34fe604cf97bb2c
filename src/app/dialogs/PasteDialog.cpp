// The "Paste ASCII Text" window.
#include "app/dialogs/PasteDialog.h"

#include "app/dialogs/DialogParts.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace vorn {

namespace {

// The modes from top to bottom.
constexpr std::pair<const char*, int> kModeButtons[4] = {
    {"All atoms", kPasteAllAtoms},
    {"All alpha carbons", kPasteAlphaCarbons},
    {"Single atom", kPasteSingleAtom},
    {"Range of atoms (inclusive)", kPasteRange}};

QLineEdit* SerialEdit(const char* name, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setValidator(new QRegularExpressionValidator(QRegularExpression("-?[0-9]{0,9}"), field));
    return field;
}

// A serial as typed; false for an empty field.
bool SerialOf(const QLineEdit* field, int& serial) {
    bool ok = false;
    const int value = field->text().toInt(&ok);
    if (ok)
        serial = value;
    return ok;
}

} // namespace

PasteDialog::PasteDialog(const PasteCounts& counts, Refusal refusal, QWidget* parent)
    : QDialog(parent), m_refusal(std::move(refusal)), m_target(new QComboBox(this)),
      m_modes(new QButtonGroup(this)), m_serial(SerialEdit("Serial", this)),
      m_first(SerialEdit("FirstSerial", this)), m_last(SerialEdit("LastSerial", this)) {
    setWindowTitle("Paste ASCII Text");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::asprintf("Number of atoms: %d", counts.atoms), this));
    layout->addWidget(
        new QLabel(QString::asprintf("Number of alpha carbons: %d", counts.alphaCarbons), this));
    layout->addWidget(
        new QLabel(QString::asprintf("Number of inputs on clipboad: %d", counts.inputs), this));

    m_target->addItems({"Temperature Factor", "Occupancy"});
    auto* target = new QHBoxLayout;
    target->addWidget(new QLabel("Paste into:", this));
    target->addWidget(m_target, 1);
    layout->addLayout(target);

    auto* modes = new QGroupBox("Atoms", this);
    auto* grid = new QGridLayout(modes);
    for (const auto& [label, mode] : kModeButtons) {
        auto* button = new QRadioButton(label, modes);
        m_modes->addButton(button, mode);
    }
    grid->addWidget(ModeButton(kPasteAllAtoms), 0, 0, 1, 5);
    grid->addWidget(ModeButton(kPasteAlphaCarbons), 1, 0, 1, 5);
    grid->addWidget(ModeButton(kPasteSingleAtom), 2, 0);
    grid->addWidget(new QLabel("Atom:", modes), 2, 1);
    grid->addWidget(m_serial, 2, 2, 1, 3);
    grid->addWidget(ModeButton(kPasteRange), 3, 0);
    grid->addWidget(new QLabel("From:", modes), 3, 1);
    grid->addWidget(m_first, 3, 2);
    grid->addWidget(new QLabel("to", modes), 3, 3);
    grid->addWidget(m_last, 3, 4);
    layout->addWidget(modes);
    ModeButton(kPasteAllAtoms)->setChecked(true);
    connect(m_modes, &QButtonGroup::idToggled, this, [this] { EnableFields(); });
    EnableFields();

    layout->addWidget(OkCancel(this)); // OK runs this window's accept()
}

QRadioButton* PasteDialog::ModeButton(int mode) {
    return qobject_cast<QRadioButton*>(m_modes->button(mode));
}

void PasteDialog::EnableFields() {
    const int mode = m_modes->checkedId();
    m_serial->setEnabled(mode == kPasteSingleAtom);
    m_first->setEnabled(mode == kPasteRange);
    m_last->setEnabled(mode == kPasteRange);
}

PasteRequest PasteDialog::Request() const {
    PasteRequest request;
    request.target = m_target->currentIndex();
    request.mode = m_modes->checkedId();
    SerialOf(m_serial, request.serial);
    SerialOf(m_first, request.firstSerial);
    SerialOf(m_last, request.lastSerial);
    return request;
}

void PasteDialog::accept() {
    const PasteRequest request = Request();
    int serial = 0;
    std::string refusal;
    if (request.mode == kPasteSingleAtom && !SerialOf(m_serial, serial))
        refusal = kInvalidAtomId;
    else if (request.mode == kPasteRange &&
             (!SerialOf(m_first, serial) || !SerialOf(m_last, serial)))
        refusal = kNoAtomsInRange;
    else if (m_refusal)
        refusal = m_refusal(request);
    if (!refusal.empty()) {
        QMessageBox::warning(this, "Vorn", QString::fromStdString(refusal));
        return;
    }
    QDialog::accept();
}

} // namespace vorn
