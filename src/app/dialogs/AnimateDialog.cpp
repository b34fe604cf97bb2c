// The "Animate" window.
#include "app/dialogs/AnimateDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QVBoxLayout>

namespace vorn {

namespace {

QPushButton* Button(const QString& text, QStyle::StandardPixmap icon, QWidget* parent) {
    auto* button = new QPushButton(parent->style()->standardIcon(icon), text, parent);
    button->setAutoDefault(false);
    return button;
}

} // namespace

AnimateDialog::AnimateDialog(QWidget* parent)
    : QDialog(parent), m_slider(new QSlider(Qt::Horizontal, this)),
      m_text(new QLabel("Frame: --", this)) {
    setWindowTitle("Animate");
    auto* forward = Button("Forward", QStyle::SP_MediaPlay, this);
    auto* stop = Button("Stop", QStyle::SP_MediaStop, this);
    auto* reverse = Button("Reverse", QStyle::SP_MediaSeekBackward, this);
    connect(forward, &QPushButton::clicked, this, &AnimateDialog::playForward);
    connect(stop, &QPushButton::clicked, this, &AnimateDialog::stopPlayback);
    connect(reverse, &QPushButton::clicked, this, &AnimateDialog::playBackward);
    // Moving the slider by hand (not the frames it follows) chooses a frame.
    connect(m_slider, &QSlider::valueChanged, this, [this](int value) {
        if (m_frameCount > 0)
            emit frameChosen(value);
    });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(reverse);
    buttons->addWidget(stop);
    buttons->addWidget(forward);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_slider);
    layout->addLayout(buttons);
    layout->addWidget(m_text);
    SetFrames(0, 0);
}

void AnimateDialog::SetFrames(int frameCount, int frame) {
    m_frameCount = frameCount;
    const QSignalBlocker quiet(m_slider);
    if (frameCount <= 0) {
        m_slider->setRange(0, 0);
        m_slider->setValue(0);
        m_text->setText("Frame: --");
        return;
    }
    m_slider->setRange(0, frameCount);
    ShowFrame(frame);
}

void AnimateDialog::ShowFrame(int frame) {
    if (m_frameCount <= 0)
        return;
    const QSignalBlocker quiet(m_slider);
    m_slider->setValue(frame);
    m_text->setText(QString::asprintf("Frame: %d", frame));
}

} // namespace vorn
