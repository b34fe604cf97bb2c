// The windows of Create Movie: "Render Trajectory As AVI Movie", which collects the movie's file,
// size, frames, rate and depth and follows the recording, and its codec choice, "Compression
// Options".
#pragma once

#include "render/MovieRecorder.h"

#include <QAbstractSpinBox>
#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;

namespace vorn {

// A number field whose arrows step within minimum to maximum but which takes any text typed into
// it, so that the window's own checks judge what was typed.
class SpinField : public QAbstractSpinBox {
    Q_OBJECT
public:
    SpinField(int minimum, int maximum, int value, QWidget* parent = nullptr);
    QString Text() const;
    void SetText(const QString& text);

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& position) const override;
    void fixup(QString& input) const override;

protected:
    StepEnabled stepEnabled() const override;

private:
    int m_minimum, m_maximum;
};

// "Compression Options": the codecs this machine can write into the movie's container (full
// frames first for AVI) and the quality of the lossy ones.
class CompressionOptionsDialog : public QDialog {
    Q_OBJECT
public:
    CompressionOptionsDialog(MovieContainer container, MovieCodec codec, int quality,
                             QWidget* parent = nullptr);
    MovieCodec Codec() const;
    int Quality() const;

    QComboBox* CodecList() { return m_codecs; }
    QSlider* QualitySlider() { return m_quality; }

private:
    void ShowQuality();

    std::vector<MovieCodecInfo> m_available;
    QComboBox* m_codecs;
    QSlider* m_quality;
    QLabel* m_qualityText;
};

enum class RecordingResult { kWritten, kCancelled, kFailed };

// "Render Trajectory As AVI Movie". Record checks the fields, asks for the compression, then hands
// the request to the recorder, which reports each frame to the progress bar; the window's Cancel
// stops a recording, and a finished movie closes the window.
class MovieDialog : public QDialog {
    Q_OBJECT
public:
    // Records the movie, calling progress after every frame; kFailed with the reason in error.
    using Recorder = std::function<RecordingResult(const MovieRequest&, const MovieProgress&,
                                                   std::string& error)>;

    // frames: the current molecule's trajectory frames; width × height: the view's window.
    MovieDialog(int frames, int width, int height, Recorder recorder, QWidget* parent = nullptr);

    QRadioButton* EntireButton() { return m_entire; }
    QRadioButton* SelectionButton() { return m_selection; }
    QLineEdit* StartField() { return m_start; }
    QLineEdit* StopField() { return m_stop; }
    SpinField* WidthField() { return m_width; }
    SpinField* HeightField() { return m_height; }
    SpinField* RateField() { return m_rate; }
    QComboBox* DepthList() { return m_depth; }
    QLineEdit* NameField() { return m_name; }
    QCheckBox* SurfaceBox() { return m_surfaces; }
    QProgressBar* Progress() { return m_progress; }
    QPushButton* RecordButton() { return m_record; }
    QPushButton* CancelButton() { return m_cancel; }
    bool Recording() const { return m_recording; }

    void reject() override;

private:
    void Browse();
    void Record();
    // The request of the fields, or false after saying what is wrong.
    bool CheckedRequest(MovieRequest& request);
    bool ChooseCompression(MovieRequest& request);
    void Complain(const QString& text);

    Recorder m_recorder;
    QRadioButton* m_entire;
    QRadioButton* m_selection;
    QLineEdit* m_start;
    QLineEdit* m_stop;
    SpinField* m_width;
    SpinField* m_height;
    SpinField* m_rate;
    QComboBox* m_depth;
    QLineEdit* m_name;
    QCheckBox* m_surfaces;
    QProgressBar* m_progress;
    QPushButton* m_record;
    QPushButton* m_cancel;
    int m_frames;
    bool m_recording = false;
    bool m_cancelRequested = false;
    // The last compression chosen, offered again.
    MovieCodec m_codec = MovieCodec::raw;
    int m_quality = kDefaultMovieQuality;
};

} // namespace vorn
