// The "Surface Options" property sheet.
#include "app/dialogs/SurfaceOptionsDialog.h"

#include "app/dialogs/ColorDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vorn {

namespace {

const char* const kComponents[4] = {"R", "G", "B", "A"};

QSlider* HorizontalSlider(int minimum, int maximum, QWidget* parent) {
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setRange(minimum, maximum);
    return slider;
}

} // namespace

SurfaceOptionsDialog::SurfaceOptionsDialog(QWidget* parent)
    : QDialog(parent), m_pages(new QTabWidget(this)) {
    setWindowTitle("Surface Options");
    m_pages->addTab(BuildRenderPage(), "Render");
    m_pages->addTab(BuildColorPage(), "Color");
    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    for (QAbstractButton* b : buttons->buttons())
        if (auto* push = qobject_cast<QPushButton*>(b))
            push->setAutoDefault(false);
    connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
            [this] { emit applied(Options()); });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        emit applied(Options());
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addWidget(buttons);
    ShowOptions(SurfaceOptions());
}

QWidget* SurfaceOptionsDialog::BuildRenderPage() {
    auto* page = new QWidget(this);
    auto* quality = new QGroupBox("Surface Quality", page);
    m_quality = HorizontalSlider(0, 100, quality);
    m_quality->setTickPosition(QSlider::TicksBelow);
    m_quality->setTickInterval(10);
    auto* qualityGrid = new QGridLayout(quality);
    qualityGrid->addWidget(m_quality, 0, 0, 1, 3);
    qualityGrid->addWidget(new QLabel("Low", quality), 1, 0, Qt::AlignLeft);
    qualityGrid->addWidget(new QLabel("Med.", quality), 1, 1, Qt::AlignHCenter);
    qualityGrid->addWidget(new QLabel("High", quality), 1, 2, Qt::AlignRight);

    m_type = new QComboBox(page);
    m_type->addItem("Heuristic vanDerWaals Surface");
    m_solvent = new QCheckBox("Include solvent atoms in surface", page);
    m_probe = new QDoubleSpinBox(page);
    m_probe->setRange(0.0, 3.0);
    m_probe->setDecimals(2);
    m_probe->setSingleStep(0.1);
    auto* form = new QFormLayout;
    form->addRow("Surface Type:", m_type);
    form->addRow("Probe Sphere Radius:", m_probe);

    auto* note = new QLabel("These options are not applied to an existing surface: a changed "
                            "option takes effect the next time the surface is built.",
                            page);
    note->setWordWrap(true);
    auto* rebuild = new QPushButton("Rebuild Surface", page);
    rebuild->setAutoDefault(false);
    connect(rebuild, &QPushButton::clicked, this, [this] { emit rebuildRequested(Options()); });

    connect(m_quality, &QSlider::valueChanged, this, &SurfaceOptionsDialog::Changed);
    connect(m_solvent, &QCheckBox::toggled, this, &SurfaceOptionsDialog::Changed);
    connect(m_probe, &QDoubleSpinBox::valueChanged, this, &SurfaceOptionsDialog::Changed);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(quality);
    layout->addLayout(form);
    layout->addWidget(m_solvent);
    layout->addWidget(note);
    layout->addStretch();
    layout->addWidget(rebuild, 0, Qt::AlignRight);
    return page;
}

QWidget* SurfaceOptionsDialog::BuildColorPage() {
    auto* page = new QWidget(this);
    m_byAtom = new QRadioButton("Color by atom", page);
    m_userColor = new QRadioButton("User defined color", page);
    auto* choice = new QButtonGroup(page);
    choice->addButton(m_byAtom);
    choice->addButton(m_userColor);

    m_transparency = new QCheckBox("Enable Surface Transparency", page);
    m_alpha = HorizontalSlider(0, 255, page);
    m_alphaText = new QLabel(page);
    auto* byAtom = new QGridLayout;
    byAtom->setContentsMargins(24, 0, 0, 0);
    byAtom->addWidget(m_transparency, 0, 0, 1, 2);
    byAtom->addWidget(m_alpha, 1, 0);
    byAtom->addWidget(m_alphaText, 1, 1);

    auto* fields = new QHBoxLayout;
    fields->setContentsMargins(24, 0, 0, 0);
    for (int k = 0; k < 4; ++k) {
        m_fields[k] = new QSpinBox(page);
        m_fields[k]->setRange(0, 255);
        m_fields[k]->setObjectName(kComponents[k]);
        fields->addWidget(new QLabel(kComponents[k], page));
        fields->addWidget(m_fields[k]);
        connect(m_fields[k], &QSpinBox::valueChanged, this, &SurfaceOptionsDialog::Changed);
    }
    m_swatch = new QWidget(page);
    m_swatch->setMinimumSize(24, 24);
    m_swatch->setAutoFillBackground(true);
    m_colorButton = new QPushButton("Color ...", page);
    m_colorButton->setAutoDefault(false);
    fields->addWidget(m_swatch);
    fields->addWidget(m_colorButton);
    fields->addStretch();

    m_automatic = new QCheckBox("Automatic apply", page);
    m_automatic->setChecked(true);

    connect(m_byAtom, &QRadioButton::toggled, this, [this] {
        EnableColorControls();
        Changed();
    });
    connect(m_transparency, &QCheckBox::toggled, this, [this] {
        EnableColorControls();
        Changed();
    });
    connect(m_alpha, &QSlider::valueChanged, this, [this](int value) {
        m_alphaText->setText(QString::asprintf("Alpha = %d", value));
        Changed();
    });
    connect(m_colorButton, &QPushButton::clicked, this, &SurfaceOptionsDialog::PickColor);
    // Switched on, it brings the surfaces in line with what the pages show at once.
    connect(m_automatic, &QCheckBox::toggled, this, &SurfaceOptionsDialog::Changed);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_byAtom);
    layout->addLayout(byAtom);
    layout->addWidget(m_userColor);
    layout->addLayout(fields);
    layout->addStretch();
    layout->addWidget(m_automatic);
    return page;
}

void SurfaceOptionsDialog::ShowOptions(const SurfaceOptions& options) {
    m_filling = true;
    m_quality->setValue(options.quality);
    m_solvent->setChecked(options.includeSolvent);
    m_probe->setValue(options.probeRadius);
    m_byAtom->setChecked(options.colorByAtom);
    m_userColor->setChecked(!options.colorByAtom);
    m_transparency->setChecked(options.alpha < 255);
    m_alpha->setValue(options.alpha);
    m_alphaText->setText(QString::asprintf("Alpha = %d", options.alpha));
    for (int k = 0; k < 4; ++k)
        m_fields[k]->setValue(options.uniformColor[size_t(k)]);
    m_filling = false;
    EnableColorControls();
}

SurfaceOptions SurfaceOptionsDialog::Options() const {
    SurfaceOptions o;
    o.quality = m_quality->value();
    o.probeRadius = static_cast<float>(m_probe->value());
    o.includeSolvent = m_solvent->isChecked();
    o.colorByAtom = m_byAtom->isChecked();
    o.alpha = static_cast<std::uint8_t>(m_transparency->isChecked() ? m_alpha->value() : 255);
    for (int k = 0; k < 4; ++k)
        o.uniformColor[size_t(k)] = static_cast<std::uint8_t>(m_fields[k]->value());
    return o;
}

// By atom: the transparency switch, and the alpha slider while it is on. One colour: its fields
// and the picker.
void SurfaceOptionsDialog::EnableColorControls() {
    const bool byAtom = m_byAtom->isChecked();
    m_transparency->setEnabled(byAtom);
    m_alpha->setEnabled(byAtom && m_transparency->isChecked());
    m_alphaText->setEnabled(byAtom && m_transparency->isChecked());
    for (QSpinBox* field : m_fields)
        field->setEnabled(!byAtom);
    m_colorButton->setEnabled(!byAtom);
    QPalette palette = m_swatch->palette();
    palette.setColor(QPalette::Window,
                     QColor(m_fields[0]->value(), m_fields[1]->value(), m_fields[2]->value()));
    m_swatch->setPalette(palette);
}

void SurfaceOptionsDialog::Changed() {
    if (m_filling)
        return;
    EnableColorControls(); // the swatch follows the fields
    if (m_automatic->isChecked())
        emit applied(Options());
}

// The colour picker on the user-defined colour; its OK or apply puts the colour in the fields.
void SurfaceOptionsDialog::PickColor() {
    if (!m_picker) {
        m_picker = new ColorDialog(this);
        m_picker->setAttribute(Qt::WA_DeleteOnClose);
        const auto take = [this](int, const QColor& c) {
            const int rgba[4] = {c.red(), c.green(), c.blue(), c.alpha()};
            // One change for the four components, not four.
            m_filling = true;
            for (int k = 0; k < 4; ++k)
                m_fields[k]->setValue(rgba[k]);
            m_filling = false;
            Changed();
        };
        connect(m_picker, &ColorDialog::applied, this, take);
        connect(m_picker, &ColorDialog::accepted, this, take);
    }
    const SurfaceOptions o = Options();
    m_picker->SetColor(
        0, QColor(o.uniformColor[0], o.uniformColor[1], o.uniformColor[2], o.uniformColor[3]),
        true);
    m_picker->show();
    m_picker->raise();
}

} // namespace vorn
