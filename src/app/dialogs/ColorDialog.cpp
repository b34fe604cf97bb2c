// The "Color" window.
#include "app/dialogs/ColorDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace vorn {

namespace {

const char* const kNames[4] = {"Red", "Green", "Blue", "Alpha"};

} // namespace

ColorDialog::ColorDialog(QWidget* parent)
    : QDialog(parent), m_swatch(new QWidget(this)),
      m_automatic(new QCheckBox("Automatic apply", this)), m_apply(new QPushButton("Apply", this)) {
    setWindowTitle("Color");
    auto* grid = new QGridLayout;
    for (int k = 0; k < 4; ++k) {
        // 255 at the top: the slider's own position runs the other way.
        m_sliders[k] = new QSlider(Qt::Vertical, this);
        m_sliders[k]->setRange(0, 255);
        m_sliders[k]->setInvertedAppearance(false);
        m_sliders[k]->setObjectName(kNames[k]);
        m_fields[k] = new QLineEdit(this);
        m_fields[k]->setObjectName(QString(kNames[k]) + "Field");
        m_fields[k]->setMaximumWidth(48);
        grid->addWidget(new QLabel(kNames[k], this), 0, k, Qt::AlignHCenter);
        grid->addWidget(m_sliders[k], 1, k, Qt::AlignHCenter);
        grid->addWidget(m_fields[k], 2, k, Qt::AlignHCenter);
        connect(m_sliders[k], &QSlider::valueChanged, this, [this, k](int value) {
            SetComponent(k, value);
            const QSignalBlocker quiet(m_fields[k]);
            m_fields[k]->setText(QString::asprintf("%d", value));
            Changed();
        });
        // A number outside 0 to 255 (or none) is refused: the field shows the working colour's
        // component again, which is what the slider shows and Apply applies (the starting one
        // until the component was changed).
        connect(m_fields[k], &QLineEdit::textEdited, this, [this, k](const QString& text) {
            bool ok = false;
            const int value = text.trimmed().toInt(&ok);
            if (!ok || value < 0 || value > 255) {
                const QSignalBlocker quiet(m_fields[k]);
                m_fields[k]->setText(QString::asprintf("%d", Component(m_working, k)));
                return;
            }
            SetComponent(k, value);
            const QSignalBlocker quiet(m_sliders[k]);
            m_sliders[k]->setValue(value);
            Changed();
        });
    }
    m_swatch->setMinimumSize(64, 64);
    m_swatch->setAutoFillBackground(true);
    auto* ok = new QPushButton("OK", this);
    auto* cancel = new QPushButton("Cancel", this);
    for (QPushButton* b : {ok, cancel, m_apply})
        b->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, [this] {
        emit accepted(m_target, m_working);
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_apply, &QPushButton::clicked, this, [this] { emit applied(m_target, m_working); });
    connect(m_automatic, &QCheckBox::toggled, this, [this](bool on) {
        m_apply->setEnabled(!on);
        if (on)
            emit applied(m_target, m_working);
    });
    auto* side = new QVBoxLayout;
    side->addWidget(m_swatch);
    side->addWidget(m_automatic);
    side->addStretch();
    side->addWidget(ok);
    side->addWidget(cancel);
    side->addWidget(m_apply);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(side);
    SetColor(0, m_start, true);
}

int ColorDialog::Component(const QColor& c, int k) const {
    switch (k) {
    case 0:
        return c.red();
    case 1:
        return c.green();
    case 2:
        return c.blue();
    default:
        return c.alpha();
    }
}

void ColorDialog::SetComponent(int k, int value) {
    switch (k) {
    case 0:
        m_working.setRed(value);
        break;
    case 1:
        m_working.setGreen(value);
        break;
    case 2:
        m_working.setBlue(value);
        break;
    default:
        m_working.setAlpha(value);
        break;
    }
}

void ColorDialog::SetColor(int target, const QColor& color, bool useAlpha) {
    m_target = target;
    m_start = m_working = color;
    for (int k = 0; k < 4; ++k) {
        const QSignalBlocker quietSlider(m_sliders[k]);
        const QSignalBlocker quietField(m_fields[k]);
        m_sliders[k]->setValue(Component(color, k));
        m_fields[k]->setText(QString::asprintf("%d", Component(color, k)));
    }
    m_sliders[3]->setEnabled(useAlpha);
    m_fields[3]->setEnabled(useAlpha);
    QPalette palette = m_swatch->palette();
    palette.setColor(QPalette::Window, QColor(color.red(), color.green(), color.blue()));
    m_swatch->setPalette(palette);
}

// The swatch shows the working colour; with automatic apply every change is applied at once.
void ColorDialog::Changed() {
    QPalette palette = m_swatch->palette();
    palette.setColor(QPalette::Window,
                     QColor(m_working.red(), m_working.green(), m_working.blue()));
    m_swatch->setPalette(palette);
    if (m_automatic->isChecked())
        emit applied(m_target, m_working);
}

void ColorDialog::done(int result) {
    if (result != QDialog::Accepted)
        emit closedWithoutOk(m_target);
    QDialog::done(result);
}

} // namespace vorn
