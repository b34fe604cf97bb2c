// The "Geometric Resolution/Polygon Count" window.
#include "app/dialogs/CustomResolutionDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace vorn {

namespace {

struct SliderSpec {
    const char* label;
    int lo, hi;
};

constexpr SliderSpec kSpecs[CustomResolutionDialog::kSliders] = {
    {"Atom\nResolution:", 2, 75},
    {"Bond\nResolution:", 2, 75},
    {"Atom/Torsion Selection Resolution:", 3, 75},
    {"Spline Resolution:", 0, 50},
    {"Spline Tension:", 0, 30},
    {"Ribbon Resolution:", 3, 50}};

constexpr int kTensionSlider = 4;

} // namespace

CustomResolutionDialog::CustomResolutionDialog(const Resolution& res, QWidget* parent)
    : QDialog(parent), m_autoApply(new QCheckBox("Auto Apply", this)),
      m_apply(new QPushButton("Apply", this)) {
    setWindowTitle("Geometric Resolution/Polygon Count");
    const int start[kSliders] = {res.atomRes,
                                 res.bondRes,
                                 res.selectionRes,
                                 res.splineRes,
                                 static_cast<int>((res.splineTension - 1.0f) * 30.0f),
                                 res.ribbonRes};
    auto* grid = new QGridLayout;
    for (int i = 0; i < kSliders; ++i) {
        m_sliders[i] = new QSlider(Qt::Horizontal, this);
        m_sliders[i]->setRange(kSpecs[i].lo, kSpecs[i].hi);
        m_sliders[i]->setValue(start[i]);
        m_sliders[i]->setMinimumWidth(200);
        m_values[i] = new QLabel(this);
        m_values[i]->setMinimumWidth(40);
        grid->addWidget(new QLabel(kSpecs[i].label, this), i, 0);
        grid->addWidget(m_sliders[i], i, 1);
        grid->addWidget(m_values[i], i, 2);
        ShowValue(i);
        connect(m_sliders[i], &QSlider::valueChanged, this, [this, i](int value) {
            ShowValue(i);
            if (m_autoApply->isChecked())
                emit valueChosen(i, value);
        });
    }
    auto* close = new QPushButton("Close", this);
    for (QPushButton* b : {m_apply, close})
        b->setAutoDefault(false);
    connect(m_apply, &QPushButton::clicked, this, [this] {
        for (int i = 0; i < kSliders; ++i)
            emit valueChosen(i, m_sliders[i]->value());
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_autoApply, &QCheckBox::toggled, m_apply, &QPushButton::setDisabled);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_autoApply);
    buttons->addStretch();
    buttons->addWidget(m_apply);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
}

void CustomResolutionDialog::ShowValue(int index) {
    const int position = m_sliders[index]->value();
    m_values[index]->setText(index == kTensionSlider
                                 ? QString::asprintf("%.3f", position / 30.0 + 1.0)
                                 : QString::asprintf("%d", position));
}

void CustomResolutionDialog::done(int result) {
    emit valueChosen(6, 0);
    QDialog::done(result);
}

} // namespace vorn
