// Pictures of the view in files, on the clipboard and on paper, and trajectory movies: the save
// and size windows, wait cursors and messages around the off-screen captures.
#include "app/OutputCommands.h"

#include "app/GlWidget.h"
#include "app/MainFrame.h"
#include "app/WaitCursor.h"
#include "app/dialogs/PictureDialogs.h"
#include "core/VornError.h"
#include "document/VornDoc.h"
#include "output/DibImage.h"
#include "output/ImageFiles.h"
#include "render/VornView.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>

namespace vorn {

namespace {

// The save window's types, in the order that decides the format: EPS, BMP, PNG, then SVG and PDF.
// A name without its type's extension gets it when the file is written.
constexpr const char* kImageTypes[] = {"Postscript files (*.ps)", "Bitmap files (*.bmp)",
                                       "PNG files (*.png)", "SVG files (*.svg)",
                                       "PDF files (*.pdf)"};

QStringList ImageFilters() {
    QStringList filters;
    for (const char* type : kImageTypes)
        filters << type;
    return filters;
}

std::string MessageOf(const std::exception& e) {
    const std::string text = e.what();
    return text.empty() ? "Excepts error thrown" : text;
}

QColor BackgroundOf(const CVornView& view) {
    const auto component = [&](int i) {
        return std::clamp(static_cast<int>(view.params.backgroundColor[i] * 255), 0, 255);
    };
    return QColor(component(0), component(1), component(2));
}

} // namespace

QRect StretchedRect(int imageW, int imageH, int targetW, int targetH) {
    if (imageW < 1 || imageH < 1)
        return {};
    long long width = targetW;
    long long height = static_cast<long long>(imageH) * targetW / imageW;
    if (height > targetH) {
        width = static_cast<long long>(imageW) * targetH / imageH;
        height = targetH;
    }
    return QRect(static_cast<int>((targetW - width) / 2), static_cast<int>((targetH - height) / 2),
                 static_cast<int>(width), static_cast<int>(height));
}

QImage PictureOfDib(const DibImage& dib, int depth) {
    if (dib.width < 1 || dib.height < 1 ||
        dib.bits.size() < static_cast<size_t>(dib.RowBytes()) * dib.height)
        return {};
    const QImage rows(dib.bits.data(), dib.width, dib.height, dib.RowBytes(),
                      QImage::Format_BGR888);
    // The bitmap's rows run bottom up; mirroring also copies them out of the bitmap.
    return rows.mirrored(false, true)
        .convertToFormat(depth == 16 ? QImage::Format_RGB555 : QImage::Format_RGB32);
}

OutputCommands::OutputCommands(CMainFrame& frame, CVornDoc& doc)
    : QObject(&frame), m_frame(frame), m_doc(doc) {}

OutputCommands::~OutputCommands() = default;

CVornView& OutputCommands::View() {
    return m_frame.GlView().View();
}

QPrinter& OutputCommands::Printer() {
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

void OutputCommands::ExportImage() {
    const QStringList filters = ImageFilters();
    QFileDialog dialog(&m_frame, "Export Image", QDir::currentPath());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters[m_imageType]);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const std::string path = QFile::encodeName(dialog.selectedFiles().front()).toStdString();
    const int type = int(filters.indexOf(dialog.selectedNameFilter()));
    if (type >= 0)
        m_imageType = type;
    switch (type) {
    case 0:
        WriteVectorPicture(path, VectorFormat::kEps);
        break;
    case 1:
        WriteRasterPicture(path, false);
        break;
    case 2:
        WriteRasterPicture(path, true);
        break;
    case 3:
        WriteVectorPicture(path, VectorFormat::kSvg);
        break;
    case 4:
        WriteVectorPicture(path, VectorFormat::kPdf);
        break;
    default:
        m_frame.ShowMessage("Unknown file format!");
    }
}

// The save window asked about the name chosen there; an extension added afterwards names another
// file, which must not be replaced unasked.
bool OutputCommands::MayReplace(const std::string& path) {
    const QString name = QString::fromStdString(path);
    if (!QFileInfo::exists(name))
        return true;
    return QMessageBox::question(&m_frame, "Export Image",
                                 QString("%1 already exists.\nDo you want to replace it?")
                                     .arg(QDir::toNativeSeparators(name)),
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

void OutputCommands::WriteVectorPicture(const std::string& path, VectorFormat format) {
    if (VectorPicturePath(path, format) != path && !MayReplace(VectorPicturePath(path, format)))
        return;
    std::string error;
    {
        const WaitCursor wait;
        m_frame.GlView().Command([&](CVornView& v) {
            try {
                v.ExportVectorPicture(path, format);
            } catch (const std::exception& e) {
                error = MessageOf(e);
            }
        });
    }
    if (!error.empty())
        m_frame.ShowMessage(error);
}

std::string OutputCommands::PictureTitle() const {
    const int position = m_doc.primary ? m_doc.IndexOf(m_doc.primary) : -1;
    if (position < 0)
        return "No Molecule Loaded";
    return std::to_string(position + 1) + ") " + m_doc.primary->fileName;
}

void OutputCommands::WriteRasterPicture(const std::string& path, bool png) {
    const ViewParameters& p = View().params;
    ImageSizeDialog size(p.windowWidth, p.windowHeight, &m_frame);
    if (size.exec() != QDialog::Accepted)
        return;
    const std::string target = WithExtension(path, png ? ".png" : ".bmp");
    if (target != path && !MayReplace(target))
        return;
    DibImage image;
    std::string error;
    {
        const WaitCursor wait;
        error = Capture(size.ImageWidth(), size.ImageHeight(), {}, image);
    }
    if (!error.empty()) {
        m_frame.ShowMessage(error);
        m_frame.ShowMessage("Unable to write bitmap (invalid dib)");
        return;
    }
    try {
        const WaitCursor wait;
        if (png)
            WritePngFile(target, image, PictureTitle());
        else
            WriteBmpFile(target, image);
    } catch (const std::exception& e) {
        error = MessageOf(e);
    }
    if (!error.empty())
        m_frame.ShowMessage(error);
}

std::string OutputCommands::Capture(int width, int height, const CaptureOptions& options,
                                    DibImage& image) {
    std::string error;
    m_frame.GlView().Command([&](CVornView& v) {
        try {
            image = v.RenderToDIB(width, height, m_contexts, options);
        } catch (const std::bad_alloc&) {
            error = "Unable to create DIB for storing image";
        } catch (const std::exception& e) {
            error = MessageOf(e);
        }
    });
    return error;
}

// The target filled with the background, the picture stretched onto it (without smoothing, as a
// bitmap is stretched) and centred.
void OutputCommands::DrawPicture(QPainter& painter, const QImage& picture, int targetW,
                                 int targetH) {
    painter.fillRect(QRect(0, 0, targetW, targetH), BackgroundOf(View()));
    painter.drawImage(StretchedRect(picture.width(), picture.height(), targetW, targetH), picture);
}

void OutputCommands::Copy() {
    const ViewParameters& p = View().params;
    // The copy is the window's size within the capture's cap, so that all of it is picture.
    const int width = std::min(p.windowWidth, kMaxCaptureSide);
    const int height = std::min(p.windowHeight, kMaxCaptureSide);
    QImage bitmap;
    if (width > 0 && height > 0)
        bitmap = QImage(width, height, QImage::Format_RGB32);
    if (bitmap.isNull()) {
        m_frame.ShowMessage("Unable to create Bitmap for clipboard copy");
        return;
    }
    std::string error;
    {
        const WaitCursor wait;
        DibImage image;
        error = Capture(width, height, {}, image);
        if (error.empty()) {
            QPainter painter(&bitmap);
            DrawPicture(painter, PictureOfDib(image, p.printColorDepth), width, height);
        }
    }
    if (!error.empty()) {
        m_frame.ShowMessage(error);
        return;
    }
    QApplication::clipboard()->setImage(bitmap);
}

void OutputCommands::Print() {
    QPrintDialog dialog(&Printer(), &m_frame);
    if (dialog.exec() == QDialog::Accepted)
        PrintPicture(Printer());
}

void OutputCommands::PrintSetup() {
    QPageSetupDialog dialog(&Printer(), &m_frame);
    dialog.exec();
}

bool OutputCommands::PrintPicture(QPrinter& printer) {
    const ViewParameters& p = View().params;
    const int pageW = printer.width(), pageH = printer.height();
    // The picture is captured at most 1000 pixels a side and stretched onto the page: labels are
    // drawn for the resolution the picture has there, so that they keep their size on screen.
    const CaptureSize size =
        FitCaptureSize(pageW, pageH, p.windowWidth, p.windowHeight, p.memoryLimit);
    const QRect onPage = StretchedRect(size.width, size.height, pageW, pageH);
    CaptureOptions options;
    options.screenDpi = m_frame.GlView().logicalDpiY();
    if (onPage.height() > 0)
        options.targetDpi = static_cast<int>(static_cast<long long>(printer.logicalDpiY()) *
                                             size.height / onPage.height());
    std::string error;
    {
        const WaitCursor wait;
        DibImage image;
        error = Capture(pageW, pageH, options, image);
        // The page is begun only once there is a picture for it: a failed capture prints nothing.
        QPainter painter;
        if (error.empty() && !painter.begin(&printer))
            error =
                printer.outputFileName().isEmpty()
                    ? "Unable to print on printer '" + printer.printerName().toStdString() + "'"
                    : "Unable to open " + printer.outputFileName().toStdString() + " for writing";
        if (error.empty()) {
            DrawPicture(painter, PictureOfDib(image, p.printColorDepth), pageW, pageH);
            painter.end();
        }
    }
    if (!error.empty())
        m_frame.ShowMessage(error);
    return error.empty();
}

void OutputCommands::ShowPrintOptions() {
    const ViewParameters& p = View().params;
    if (!m_printOptions) {
        m_printOptions = new PrintOptionsDialog(p.memoryLimit, p.printColorDepth, &m_frame);
        m_printOptions->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_printOptions, &PrintOptionsDialog::optionsChosen, this,
                [this](int memoryLimit, int colorDepth) {
                    View().params.memoryLimit = memoryLimit;
                    View().params.printColorDepth = colorDepth;
                });
    } else {
        m_printOptions->ShowOptions(p.memoryLimit, p.printColorDepth);
    }
    m_printOptions->show();
    m_printOptions->raise();
    m_printOptions->activateWindow();
}

void OutputCommands::CreateMovie() {
    // The dialog opens on the structure; playback waits and comes back at its frame afterwards.
    PausedDrawing paused;
    m_frame.RunView([&](CVornView& v) {
        paused = v.Pause();
        if (paused.paused)
            v.ShowFrame(0);
    });
    const ViewParameters& p = View().params;
    MovieDialog dialog(
        m_doc.primary ? m_doc.primary->frames.Count() : 0, p.windowWidth, p.windowHeight,
        [this](const MovieRequest& request, const MovieProgress& progress, std::string& error) {
            return Record(request, progress, error);
        },
        &m_frame);
    dialog.exec();
    m_frame.RunView([&](CVornView& v) {
        v.Resume(paused);
        if (paused.paused)
            v.ShowFrame(paused.frameIndex); // with that frame's hydrogen bonds
    });
}

RecordingResult OutputCommands::Record(const MovieRequest& request, const MovieProgress& progress,
                                       std::string& error) {
    MovieRequest movie = request;
    movie.glyphs = m_frame.GlView().Glyphs();
    // Contexts of Qt's own kind: an EGL context made current beside the window's GLX one would
    // leave Qt believing its context still current.
    movie.contexts = [this](int width, int height) { return m_contexts.Create(width, height, 24); };
    bool written = false;
    try {
        written = RecordMovie(m_doc, &View(), movie, progress);
    } catch (const std::bad_alloc&) {
        error = "Out of memory";
    } catch (const std::exception& e) {
        error = MessageOf(e);
    }
    // The movie's context is gone and none is current: the window's comes back for its paints.
    m_frame.RunView([](CVornView& v) { v.Redraw(); });
    if (!error.empty())
        return RecordingResult::kFailed;
    return written ? RecordingResult::kWritten : RecordingResult::kCancelled;
}

OutputCommands& CMainFrame::Output() {
    if (!m_output)
        m_output = new OutputCommands(*this, m_doc);
    return *m_output;
}

void CMainFrame::AddOutputFileCommands(QMenu* file) {
    file->addSeparator();
    AddCommand(file, "Export &Image ...", [this] { Output().ExportImage(); });
    AddCommand(file, "Create &Movie ...", [this] { Output().CreateMovie(); });
    file->addSeparator();
    AddCommand(file, "&Print ...", [this] { Output().Print(); })->setShortcut(QKeySequence::Print);
    AddCommand(file, "Print Set&up ...", [this] { Output().PrintSetup(); });
    AddCommand(file, "Print/Copy/Export &Options ...", [this] { Output().ShowPrintOptions(); });
}

void CMainFrame::AddCopyCommand(QMenu* edit) {
    AddCommand(edit, "&Copy", [this] { Output().Copy(); })->setShortcut(QKeySequence::Copy);
}

} // namespace vorn
