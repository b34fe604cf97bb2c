// The picture commands of the main window: Export Image, Create Movie, Copy, Print, Print Setup
// and the print and copy options, each drawing the view again off screen.
#pragma once

#include "app/QtOffscreenContexts.h"
#include "app/dialogs/MovieDialog.h"
#include "render/VectorPictures.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRect>

#include <memory>
#include <string>

class QPainter;
class QPrinter;

namespace vorn {

class CMainFrame;
class CVornDoc;
class CVornView;
class PrintOptionsDialog;
struct DibImage;

// Where a picture of imageW × imageH goes on a target of targetW × targetH pixels: stretched to
// the target's width, or to its height when that would be too high, and centred.
QRect StretchedRect(int imageW, int imageH, int targetW, int targetH);

// A captured picture as Qt holds it, top row first. At a depth of 16 bits its colours keep 5 bits
// a component, as a 16-bit bitmap holds them.
QImage PictureOfDib(const DibImage& dib, int depth);

// A child of the main window, which it reaches for the view, its context and message boxes.
class OutputCommands : public QObject {
public:
    OutputCommands(CMainFrame& frame, CVornDoc& doc);
    ~OutputCommands() override;

    // File menu: the picture as EPS, BMP, PNG, SVG or PDF, chosen in a save window.
    void ExportImage();
    // File menu: the current molecule's trajectory as a movie; playback waits meanwhile and goes
    // on at the same frame afterwards.
    void CreateMovie();
    // Edit menu: the picture on the clipboard, as large as the window up to 1000 pixels a side.
    void Copy();
    // File menu: the print window, then the picture on one page.
    void Print();
    void PrintSetup();
    // The "Printing/Clip board Options" window, beside the view.
    void ShowPrintOptions();

    // The picture on one page of printer: the page filled with the background, the picture
    // stretched onto it keeping its proportions, labels at the size they have on screen. False
    // after a message; then nothing was printed.
    bool PrintPicture(QPrinter& printer);
    // The printer of Print and Print Setup, whose settings last from one print to the next.
    QPrinter& Printer();

private:
    CVornView& View();
    void WriteVectorPicture(const std::string& path, VectorFormat format);
    void WriteRasterPicture(const std::string& path, bool png);
    // With the view's context current; the reason of a failure, or "".
    std::string Capture(int width, int height, const CaptureOptions& options, DibImage& image);
    void DrawPicture(QPainter& painter, const QImage& picture, int targetW, int targetH);
    RecordingResult Record(const MovieRequest& request, const MovieProgress& progress,
                           std::string& error);
    // For a file the save window did not ask about: whether it may be replaced.
    bool MayReplace(const std::string& path);
    std::string PictureTitle() const;

    CMainFrame& m_frame;
    CVornDoc& m_doc;
    QtOffscreenContexts m_contexts;
    std::unique_ptr<QPrinter> m_printer;
    QPointer<PrintOptionsDialog> m_printOptions;
    int m_imageType = 0; // the file type chosen last in Export Image
};

} // namespace vorn
