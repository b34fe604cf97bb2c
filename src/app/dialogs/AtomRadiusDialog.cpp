// The Atom Radius window.
#include "app/dialogs/AtomRadiusDialog.h"

#include "app/dialogs/DialogParts.h"
#include "appearance/Radii.h"
#include "document/VornDoc.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace vorn {

namespace {

// The radio buttons from top to bottom.
constexpr std::pair<const char*, int> kSchemeButtons[5] = {
    {"Radius by element", kRadiusByElement},
    {"Radius by atom", kRadiusByAtom},
    {"Default Radius", kDefaultRadius},
    {"Radius by PDB occupancy field", kRadiusByOccupancy},
    {"Radius by PDB temperature field", kRadiusByTemperature}};

QString RadiusText(float radius) {
    return QString::number(static_cast<double>(radius), 'g', 6);
}

} // namespace

AtomRadiusDialog::AtomRadiusDialog(const CVornDoc& doc, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_elements(new QListWidget(this)), m_radius(new QLineEdit(this)),
      m_atomNumber(new QLineEdit(this)) {
    setWindowTitle("Atom Radius");
    auto* schemes = new QGroupBox("Radius scheme", this);
    auto* schemeColumn = new QVBoxLayout(schemes);
    for (const auto& [label, scheme] : kSchemeButtons) {
        m_schemes[scheme] = new QRadioButton(label, schemes);
        schemeColumn->addWidget(m_schemes[scheme]);
        connect(m_schemes[scheme], &QRadioButton::clicked, this,
                [this, scheme = scheme] { SchemeClicked(scheme); });
    }
    schemeColumn->addStretch();

    for (int e = 0; e < kElementCount; ++e)
        m_elements->addItem(kElementNames[e]);
    m_elements->setCurrentRow(kCarbon);
    connect(m_elements, &QListWidget::currentRowChanged, this, [this] { ShowElementRadius(); });

    m_radius->setObjectName("Radius");
    m_atomNumber->setObjectName("AtomNumber");
    m_atomNumber->setValidator(
        new QRegularExpressionValidator(QRegularExpression("-?[0-9]{0,9}"), m_atomNumber));
    connect(m_atomNumber, &QLineEdit::textEdited, this, [this] { ShowAtomRadius(); });
    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel("Radius:", this), 0, 0);
    fields->addWidget(m_radius, 0, 1);
    fields->addWidget(new QLabel("(Angstroms)", this), 0, 2);
    fields->addWidget(new QLabel("Atom number:", this), 1, 0);
    fields->addWidget(m_atomNumber, 1, 1);
    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel("Element", this));
    right->addWidget(m_elements);
    right->addLayout(fields);

    auto* columns = new QHBoxLayout;
    columns->addWidget(schemes);
    columns->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(ApplyOkCancel(this, [this] { return Apply(); }));
    ShowScheme();
}

int AtomRadiusDialog::Scheme() const {
    for (int s = 0; s < 5; ++s)
        if (m_schemes[s]->isChecked())
            return s;
    return kDefaultRadius;
}

void AtomRadiusDialog::ShowScheme() {
    const Molecule* mol = m_doc.primary;
    const int scheme = (mol && mol->radiusScheme >= 0 && mol->radiusScheme < 5) ? mol->radiusScheme
                                                                                : kDefaultRadius;
    const QSignalBlocker quiet(m_schemes[scheme]);
    m_schemes[scheme]->setChecked(true);
    Enable(scheme);
}

void AtomRadiusDialog::SchemeClicked(int scheme) {
    emit schemeChosen(scheme);
    Enable(scheme);
}

// The element list and the atom number belong to their schemes, the radius to both; the field
// shows the radius the scheme would change.
void AtomRadiusDialog::Enable(int scheme) {
    m_elements->setEnabled(scheme == kRadiusByElement);
    m_atomNumber->setEnabled(scheme == kRadiusByAtom);
    m_radius->setEnabled(scheme == kRadiusByElement || scheme == kRadiusByAtom);
    if (scheme == kRadiusByElement)
        ShowElementRadius();
    else if (scheme == kRadiusByAtom)
        ShowAtomRadius();
}

void AtomRadiusDialog::ShowElementRadius() {
    const int element = std::clamp(m_elements->currentRow(), 0, kElementCount - 1);
    const Molecule* mol = m_doc.primary;
    m_radius->setText(
        RadiusText(mol ? ElementRadius(*mol, element) : kDefaultElementRadii[element]));
}

// The typed atom's radius, 0 when no atom has the number.
void AtomRadiusDialog::ShowAtomRadius() {
    const Molecule* mol = m_doc.primary;
    bool ok = false;
    const int serial = m_atomNumber->text().trimmed().toInt(&ok);
    const int index = (mol && ok) ? FindAtomBySerial(*mol, serial) : -1;
    m_radius->setText(RadiusText(index >= 0 ? mol->atoms[index].radius : 0.0f));
}

// False when the radius the scheme needs is not a number from 0 to 100: the message says so and
// nothing is applied.
bool AtomRadiusDialog::Apply() {
    const int scheme = Scheme();
    bool ok = false;
    const float radius = m_radius->text().trimmed().toFloat(&ok);
    const bool needsRadius = scheme == kRadiusByElement || scheme == kRadiusByAtom;
    if (needsRadius && !(ok && radius >= 0.0f && radius <= kMaxRadius)) {
        QMessageBox::warning(this, "Vorn", "Please enter a radius from 0.0 to 100.0 Angstroms.");
        m_radius->setFocus();
        m_radius->selectAll();
        return false;
    }
    bool serialOk = false;
    const int serial = m_atomNumber->text().trimmed().toInt(&serialOk);
    emit applied(std::clamp(m_elements->currentRow(), 0, kElementCount - 1), serialOk ? serial : 0,
                 ok ? radius : 0.0f);
    return true;
}

} // namespace vorn
