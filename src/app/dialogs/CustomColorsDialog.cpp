// The Custom Colors window.
#include "app/dialogs/CustomColorsDialog.h"

#include "app/dialogs/ColorDialog.h"
#include "app/dialogs/DialogParts.h"
#include "app/dialogs/SequenceDialog.h"
#include "document/VornDoc.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>

namespace vorn {

namespace {

const char* const kFieldLabels[4] = {"Red:", "Green:", "Blue:", "Alpha:"};
const char* const kFieldNames[4] = {"Red", "Green", "Blue", "Alpha"};
const char kNoValue[] = "--";

// The schemes that take the colour of the four fields.
bool TakesColor(int scheme) {
    return scheme == kColorByElement || scheme == kColorByAtom || scheme == kColorByResidue ||
           scheme == kColorByStructure;
}

// An integer field's value; what is not a number counts as 0.
int IntValue(const QLineEdit* field) {
    bool ok = false;
    const int value = field->text().trimmed().toInt(&ok);
    return ok ? value : 0;
}

} // namespace

CustomColorsDialog::CustomColorsDialog(const CVornDoc& doc, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_elements(new QListWidget(this)),
      m_structures(new QListWidget(this)), m_atomNumber(new QLineEdit(this)),
      m_residueNumber(new QLineEdit(this)), m_swatch(new QWidget(this)),
      m_select(Button("Select Color", this)), m_applySaved(Button("Apply Color", this)) {
    setWindowTitle("Custom Colors");
    auto* schemes = new QGroupBox("Color scheme", this);
    auto* schemeColumn = new QVBoxLayout(schemes);
    for (int s = 0; s < kColorSchemeCount; ++s) {
        m_schemes[s] = new QRadioButton(kColorSchemeLabels[s], schemes);
        schemeColumn->addWidget(m_schemes[s]);
        connect(m_schemes[s], &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                SchemeChosen();
        });
    }
    schemeColumn->addStretch();

    for (int e = 0; e < kElementCount; ++e)
        m_elements->addItem(kElementNames[e]);
    for (int code = kCoil; code <= kNucleicHelix; ++code)
        m_structures->addItem(kStructureLongNames[code]);
    m_elements->setCurrentRow(kCarbon);
    m_structures->setCurrentRow(kCoil);
    connect(m_elements, &QListWidget::currentRowChanged, this, [this] { ShowSchemeColor(); });
    connect(m_structures, &QListWidget::currentRowChanged, this, [this] { ShowSchemeColor(); });
    auto* lists = new QVBoxLayout;
    lists->addWidget(new QLabel("Element", this));
    lists->addWidget(m_elements);
    lists->addWidget(new QLabel("Structure", this));
    lists->addWidget(m_structures);

    // Serial and residue numbers may be negative in a file.
    const QRegularExpression number("-?[0-9]{0,9}");
    for (QLineEdit* field : {m_atomNumber, m_residueNumber})
        field->setValidator(new QRegularExpressionValidator(number, field));
    m_atomNumber->setObjectName("AtomNumber");
    m_residueNumber->setObjectName("ResidueNumber");
    connect(m_atomNumber, &QLineEdit::textEdited, this, [this] { ShowAtomColor(); });
    connect(m_residueNumber, &QLineEdit::textEdited, this, [this] { ShowResidueColor(); });
    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel("Atom number:", this), 0, 0);
    fields->addWidget(m_atomNumber, 0, 1);
    fields->addWidget(new QLabel("Residue number:", this), 1, 0);
    fields->addWidget(m_residueNumber, 1, 1);
    // Three characters: a minus sign and two digits, or three digits (typed values wrap to a
    // byte when they are stored).
    const QRegularExpression byte("-?[0-9]{0,3}");
    for (int k = 0; k < 4; ++k) {
        m_fields[k] = new QLineEdit(this);
        m_fields[k]->setObjectName(kFieldNames[k]);
        m_fields[k]->setMaxLength(3);
        m_fields[k]->setMaximumWidth(48);
        m_fields[k]->setValidator(new QRegularExpressionValidator(byte, m_fields[k]));
        fields->addWidget(new QLabel(kFieldLabels[k], this), 2 + k, 0);
        fields->addWidget(m_fields[k], 2 + k, 1);
        connect(m_fields[k], &QLineEdit::textEdited, this, [this] { ShowSwatch(); });
    }
    m_swatch->setMinimumSize(48, 32);
    m_swatch->setAutoFillBackground(true);
    fields->addWidget(m_swatch, 6, 0, 1, 2);

    auto* save = Button("Save Color", this);
    connect(m_select, &QPushButton::clicked, this, &CustomColorsDialog::SelectColor);
    connect(save, &QPushButton::clicked, this, &CustomColorsDialog::SaveColor);
    connect(m_applySaved, &QPushButton::clicked, this, &CustomColorsDialog::ApplySavedColor);
    m_applySaved->setEnabled(false); // until a colour was saved
    auto* colorColumn = new QVBoxLayout;
    colorColumn->addLayout(fields);
    colorColumn->addWidget(m_select);
    colorColumn->addWidget(save);
    colorColumn->addWidget(m_applySaved);
    colorColumn->addStretch();

    auto* columns = new QHBoxLayout;
    columns->addWidget(schemes);
    columns->addLayout(lists);
    columns->addLayout(colorColumn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(ApplyOkCancel(this, [this] {
        emit applied(Request());
        return true;
    }));
    m_schemes[kColorByElement]->setChecked(true);
}

int CustomColorsDialog::Scheme() const {
    for (int s = 0; s < kColorSchemeCount; ++s)
        if (m_schemes[s]->isChecked())
            return s;
    return kColorByElement;
}

ColorSchemeRequest CustomColorsDialog::Request() const {
    ColorSchemeRequest request;
    request.scheme = Scheme();
    request.element = std::max(0, m_elements->currentRow());
    request.structure = std::max(0, m_structures->currentRow());
    if (request.scheme == kColorByAtom)
        request.number = IntValue(m_atomNumber);
    else if (request.scheme == kColorByResidue)
        request.number = IntValue(m_residueNumber);
    request.r = FieldValue(0);
    request.g = FieldValue(1);
    request.b = FieldValue(2);
    request.a = FieldValue(3);
    return request;
}

int CustomColorsDialog::FieldValue(int k) const {
    return IntValue(m_fields[k]);
}

// Each list and number field belongs to one scheme; the colour fields to those that take one.
void CustomColorsDialog::SchemeChosen() {
    const int scheme = Scheme();
    m_elements->setEnabled(scheme == kColorByElement);
    m_structures->setEnabled(scheme == kColorByStructure);
    m_atomNumber->setEnabled(scheme == kColorByAtom);
    m_residueNumber->setEnabled(scheme == kColorByResidue);
    for (QLineEdit* field : m_fields)
        field->setEnabled(TakesColor(scheme));
    m_select->setEnabled(TakesColor(scheme));
    ShowSchemeColor();
}

// The colour the chosen scheme would start from: the selected table entry, or that of the atom or
// residue whose number is typed.
void CustomColorsDialog::ShowSchemeColor() {
    switch (Scheme()) {
    case kColorByElement:
        ShowColor(m_doc.colorTables.element[std::max(0, m_elements->currentRow())]);
        break;
    case kColorByStructure:
        ShowColor(m_doc.colorTables.structure[std::max(0, m_structures->currentRow())]);
        break;
    case kColorByAtom:
        ShowAtomColor();
        break;
    case kColorByResidue:
        ShowResidueColor();
        break;
    default:
        break;
    }
}

void CustomColorsDialog::ShowAtomColor() {
    const Molecule* mol = m_doc.primary;
    bool ok = false;
    const int serial = m_atomNumber->text().trimmed().toInt(&ok);
    const int index = (mol && ok) ? FindAtomBySerial(*mol, serial) : -1;
    if (index >= 0)
        ShowColor(mol->atoms[index].color);
    else
        ShowNoColor();
}

void CustomColorsDialog::ShowResidueColor() {
    const Molecule* mol = m_doc.primary;
    bool ok = false;
    const int number = m_residueNumber->text().trimmed().toInt(&ok);
    int chain = 0, residue = 0;
    int index = -1;
    if (mol && ok && FindResidueByNumber(*mol, number, chain, residue))
        index = ResidueColorAtom(*mol, mol->chains[chain].residues[residue]);
    if (index >= 0)
        ShowColor(mol->atoms[index].color);
    else
        ShowNoColor();
}

void CustomColorsDialog::ShowColor(const Rgba& color) {
    const int values[4] = {color.r, color.g, color.b, color.a};
    for (int k = 0; k < 4; ++k)
        m_fields[k]->setText(QString::asprintf("%d", values[k]));
    ShowSwatch();
}

void CustomColorsDialog::ShowNoColor() {
    for (QLineEdit* field : m_fields)
        field->setText(kNoValue);
    ShowSwatch();
}

// The colour the fields would store; the window's own colour while a field holds no number.
void CustomColorsDialog::ShowSwatch() {
    bool numbers = true;
    for (const QLineEdit* field : m_fields) {
        bool ok = false;
        field->text().trimmed().toInt(&ok);
        numbers = numbers && ok;
    }
    QPalette palette = m_swatch->palette();
    if (numbers) {
        const Rgba c = FieldColor(FieldValue(0), FieldValue(1), FieldValue(2), FieldValue(3));
        palette.setColor(QPalette::Window, QColor(c.r, c.g, c.b));
    } else {
        palette.setColor(QPalette::Window, this->palette().color(QPalette::Window));
    }
    m_swatch->setPalette(palette);
}

void CustomColorsDialog::SaveColor() {
    m_saved = SavedColor(FieldValue(0), FieldValue(1), FieldValue(2), FieldValue(3));
    m_applySaved->setEnabled(true);
}

void CustomColorsDialog::ApplySavedColor() {
    ShowColor(m_saved);
    emit applied(Request());
}

// The picker starts from the fields' colour; its changes and its OK go into the fields.
void CustomColorsDialog::SelectColor() {
    if (!m_picker) {
        m_picker = new ColorDialog(this);
        m_picker->setAttribute(Qt::WA_DeleteOnClose);
        const auto take = [this](int, const QColor& c) {
            ShowColor(Rgba{static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                           static_cast<std::uint8_t>(c.blue()),
                           static_cast<std::uint8_t>(c.alpha())});
        };
        connect(m_picker, &ColorDialog::applied, this, take);
        connect(m_picker, &ColorDialog::accepted, this, take);
    }
    const Rgba c = FieldColor(FieldValue(0), FieldValue(1), FieldValue(2), FieldValue(3));
    m_picker->SetColor(0, QColor(c.r, c.g, c.b, c.a), true);
    m_picker->show();
    m_picker->raise();
}

} // namespace vorn
