// The "Animate" window: a slider over the trajectory frames, Forward, Stop and Reverse, and the
// number of the frame shown.
#pragma once

#include <QDialog>

class QLabel;
class QSlider;

namespace vorn {

class AnimateDialog : public QDialog {
    Q_OBJECT
public:
    explicit AnimateDialog(QWidget* parent = nullptr);

    // The primary molecule's frame count (0: it has none, "Frame: --") and the frame shown.
    void SetFrames(int frameCount, int frame);
    // The frame drawn last: the slider and "Frame: %d" follow it.
    void ShowFrame(int frame);

signals:
    void playForward();
    void playBackward();
    void stopPlayback();
    void frameChosen(int frame);

private:
    QSlider* m_slider;
    QLabel* m_text;
    int m_frameCount = 0;
};

} // namespace vorn
