// The "Lighting" window.
#include "app/dialogs/LightingDialog.h"

#include "app/dialogs/ColorDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace vorn {

namespace {

// Check boxes by light index (0 front, 1 right, 2 top, 3 back, 4 left, 5 bottom, 6 ambient) and
// where they sit in the group.
struct SwitchSpec {
    const char* label;
    int row, column;
};
constexpr SwitchSpec kSwitches[LightSet::kCount] = {
    {"Front", 1, 1}, {"Right", 1, 2},  {"Top", 0, 1},    {"Back", 0, 2},
    {"Left", 1, 0},  {"Bottom", 2, 1}, {"Ambient", 2, 2}};

QSlider* PercentSlider(int value, QWidget* parent) {
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setRange(0, 100);
    slider->setValue(value);
    return slider;
}

} // namespace

LightingDialog::LightingDialog(const LightingChoice& choice, QWidget* parent)
    : QDialog(parent), m_choice(choice), m_shiny(PercentSlider(choice.shinyPercent, this)),
      m_specular(PercentSlider(choice.specularPercent, this)), m_shinyText(new QLabel(this)),
      m_specularText(new QLabel(this)), m_automatic(new QCheckBox("Automatic apply", this)),
      m_apply(new QPushButton("Apply", this)) {
    setWindowTitle("Lighting");
    auto* lights = new QGroupBox("Turn Lights on/off", this);
    auto* lightGrid = new QGridLayout(lights);
    for (int i = 0; i < LightSet::kCount; ++i) {
        m_switches[i] = new QCheckBox(kSwitches[i].label, lights);
        m_switches[i]->setChecked(choice.on[i]);
        lightGrid->addWidget(m_switches[i], kSwitches[i].row, kSwitches[i].column);
        connect(m_switches[i], &QCheckBox::toggled, this, [this, i](bool on) {
            m_choice.on[i] = on;
            Changed();
        });
    }
    auto* color = new QGroupBox("Light color", this);
    auto* colorRow = new QHBoxLayout(color);
    const char* const names[3] = {"Red", "Green", "Blue"};
    for (int k = 0; k < 3; ++k) {
        m_fields[k] = new QLineEdit(QString::asprintf("%d", choice.color[k]), color);
        m_fields[k]->setObjectName(names[k]);
        m_fields[k]->setMaximumWidth(48);
        colorRow->addWidget(m_fields[k]);
        // A value outside 0 to 255 (or none) puts the last accepted one back.
        connect(m_fields[k], &QLineEdit::textEdited, this, [this, k](const QString& text) {
            bool ok = false;
            const int value = text.trimmed().toInt(&ok);
            if (!ok || value < 0 || value > 255) {
                const QSignalBlocker quiet(m_fields[k]);
                m_fields[k]->setText(QString::asprintf("%d", m_choice.color[k]));
                return;
            }
            m_choice.color[k] = value;
            Changed();
        });
    }
    auto* select = new QPushButton("Select color", color);
    select->setAutoDefault(false);
    colorRow->addWidget(select);
    connect(select, &QPushButton::clicked, this, &LightingDialog::SelectColor);

    connect(m_shiny, &QSlider::valueChanged, this, [this](int value) {
        m_choice.shinyPercent = value;
        ShowPercents();
        Changed();
    });
    connect(m_specular, &QSlider::valueChanged, this, [this](int value) {
        m_choice.specularPercent = value;
        ShowPercents();
        Changed();
    });
    ShowPercents();
    auto* material = new QGridLayout;
    material->addWidget(m_shiny, 0, 0);
    material->addWidget(m_shinyText, 0, 1);
    material->addWidget(m_specular, 1, 0);
    material->addWidget(m_specularText, 1, 1);

    auto* ok = new QPushButton("OK", this);
    auto* close = new QPushButton("Close", this);
    for (QPushButton* b : {ok, close, m_apply})
        b->setAutoDefault(false);
    m_automatic->setChecked(true);
    m_apply->setEnabled(false);
    connect(m_automatic, &QCheckBox::toggled, m_apply, &QPushButton::setDisabled);
    connect(m_apply, &QPushButton::clicked, this, [this] { emit applied(m_choice); });
    connect(ok, &QPushButton::clicked, this, [this] {
        emit applied(m_choice);
        accept();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_automatic);
    buttons->addStretch();
    buttons->addWidget(m_apply);
    buttons->addWidget(ok);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lights);
    layout->addWidget(color);
    layout->addLayout(material);
    layout->addLayout(buttons);
}

void LightingDialog::ShowPercents() {
    m_shinyText->setText(QString::asprintf("%d%% shiny", m_choice.shinyPercent));
    m_specularText->setText(QString::asprintf("%d%% specular", m_choice.specularPercent));
}

void LightingDialog::Changed() {
    if (m_automatic->isChecked())
        emit applied(m_choice);
}

// The colour picker on the current colour; its OK or apply copies the colour into the fields.
void LightingDialog::SelectColor() {
    if (!m_picker) {
        m_picker = new ColorDialog(this);
        m_picker->setAttribute(Qt::WA_DeleteOnClose);
        const auto take = [this](int, const QColor& c) {
            const int rgb[3] = {c.red(), c.green(), c.blue()};
            for (int k = 0; k < 3; ++k) {
                m_choice.color[k] = rgb[k];
                const QSignalBlocker quiet(m_fields[k]);
                m_fields[k]->setText(QString::asprintf("%d", rgb[k]));
            }
            Changed();
        };
        connect(m_picker, &ColorDialog::applied, this, take);
        connect(m_picker, &ColorDialog::accepted, this, take);
    }
    m_picker->SetColor(0, QColor(m_choice.color[0], m_choice.color[1], m_choice.color[2]), false);
    m_picker->show();
    m_picker->raise();
}

} // namespace vorn
