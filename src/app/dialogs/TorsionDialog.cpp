// The "Adjust Torsion Angle" window.
#include "app/dialogs/TorsionDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace vorn {

namespace {

constexpr double kSinglePi = 3.1415927;

} // namespace

TorsionDialog::TorsionDialog(QWidget* parent)
    : QDialog(parent), m_slider(new QSlider(Qt::Horizontal, this)), m_text(new QLabel(this)) {
    setWindowTitle("Adjust Torsion Angle");
    m_slider->setRange(0, 360);
    m_slider->setTickInterval(20);
    m_slider->setTickPosition(QSlider::TicksBelow);
    m_slider->setMinimumWidth(300);
    m_text->setMinimumWidth(60);
    connect(m_slider, &QSlider::valueChanged, this, [this](int position) {
        ShowText();
        emit turned(position - 180);
    });
    auto* close = new QPushButton("Close", this);
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addWidget(m_slider, 1);
    row->addWidget(m_text);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Pick a bond in the view; the slider turns the smaller side of "
                                 "the molecule about it.",
                                 this));
    layout->addLayout(row);
    layout->addWidget(close, 0, Qt::AlignRight);
    ShowTorsion(false, 0);
}

void TorsionDialog::ShowTorsion(bool canTurn, double degrees) {
    const QSignalBlocker quiet(m_slider);
    m_slider->setValue(canTurn ? static_cast<int>(degrees) + 180 : 360);
    m_slider->setEnabled(canTurn);
    ShowText();
}

void TorsionDialog::SetRadians(double radians) {
    if (!(radians >= -kSinglePi && radians < kSinglePi))
        radians = 0;
    m_slider->setValue(static_cast<int>(radians * 57.29577791868204 + 180));
}

// The turn in radians.
void TorsionDialog::ShowText() {
    m_text->setText(QString::asprintf("%.3g", (m_slider->value() - 180) * 0.017453293));
}

QString TorsionDialog::Text() const {
    return m_text->text();
}

} // namespace vorn
