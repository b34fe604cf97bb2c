// Pictures, copies, prints and movies of the view as a user makes them: through the File and Edit
// menus and their windows, checked by reading back what was written, copied or printed.
#include "AppTestSupport.h"
#include "MovieProbe.h"
#include "app/OutputCommands.h"
#include "app/QtOffscreenContexts.h"
#include "app/dialogs/MovieDialog.h"
#include "app/dialogs/PictureDialogs.h"
#include "output/ImageFiles.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace vorn {

namespace {

class Output : public FreshSettings {
protected:
    std::string Path(const char* name) const { return m_dir.filePath(name).toStdString(); }

private:
    QTemporaryDir m_dir;
};

// Answers a save window with a file type (its position in the list) and a name. The name field
// takes a chosen name only while it does not have the focus.
void ChooseFile(QFileDialog* files, int type, const std::string& path) {
    files->selectNameFilter(files->nameFilters()[type]);
    if (QWidget* focus = QApplication::focusWidget())
        focus->clearFocus();
    files->selectFile(QString::fromStdString(path));
    static_cast<QDialog*>(files)->accept();
}

// The save window answered with a file type (its position in the list) and a name, the size
// window with a size (or its proposal, when none is given).
void AnswerExport(ModalHand& hand, int type, const std::string& path, QString width = {},
                  QString height = {}) {
    hand.onWindow = [=](QWidget* window) {
        if (auto* files = qobject_cast<QFileDialog*>(window)) {
            ChooseFile(files, type, path);
        } else if (auto* size = qobject_cast<ImageSizeDialog*>(window)) {
            if (!width.isEmpty()) {
                size->WidthField()->setText(width);
                size->HeightField()->setText(height);
            }
            size->accept();
        } else {
            return false;
        }
        return true;
    };
}

// Runs f from the event loop: a modal window opened while the hand's timer runs (a message box
// from a refused OK) would never be answered, since a timer does not fire inside its own handler.
template <typename F>
void Later(QObject* context, F f) {
    QTimer::singleShot(0, context, f);
}

// The options window through its File menu entry (its label holds the path separator).
PrintOptionsDialog* OpenPrintOptions(RunningApp& run) {
    for (QAction* action : MenuAction(&run.Frame(), "File")->menu()->actions())
        if (action->text() == "Print/Copy/Export &Options ...")
            action->trigger();
    return Shown<PrintOptionsDialog>();
}

void SetBackground(RunningApp& run, int r, int g, int b) {
    const int rgba[4] = {r, g, b, 255};
    run.Frame().RunView([&](CVornView& v) { v.ApplyColor(0, rgba); });
}

// Whether two colours differ by more than tolerance in a component.
bool Differ(QRgb p, QRgb q, int tolerance) {
    return std::abs(qRed(p) - qRed(q)) > tolerance || std::abs(qGreen(p) - qGreen(q)) > tolerance ||
           std::abs(qBlue(p) - qBlue(q)) > tolerance;
}

// Pixels whose colours differ from the other picture's by more than tolerance in a component.
int DifferingPixels(const QImage& a, const QImage& b, int tolerance) {
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            differing += Differ(a.pixel(x, y), b.pixel(x, y), tolerance);
    return differing;
}

// Columns that differ from the one left of them: a picture stretched from n columns has fewer
// than n.
int ChangingColumns(const QImage& picture) {
    int changing = 0;
    for (int x = 1; x < picture.width(); ++x)
        for (int y = 0; y < picture.height(); ++y)
            if (picture.pixel(x, y) != picture.pixel(x - 1, y)) {
                ++changing;
                break;
            }
    return changing;
}

// Whether every component holds only what 5 bits keep (expanded as 16-bit pictures are).
bool FiveBitColors(const QImage& picture) {
    const auto kept = [](int c) { return c == ((c >> 3) << 3 | c >> 5); };
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = picture.pixel(x, y);
            if (!kept(qRed(p)) || !kept(qGreen(p)) || !kept(qBlue(p)))
                return false;
        }
    return true;
}

bool Exists(const std::string& path) {
    return QFile::exists(QString::fromStdString(path));
}

} // namespace

TEST(OutputPlacement, PicturesKeepTheirProportionsCentredOnTheTarget) {
    EXPECT_EQ(StretchedRect(4800, 3600, 4800, 6600), QRect(0, 1500, 4800, 3600));
    EXPECT_EQ(StretchedRect(500, 400, 1000, 800), QRect(0, 0, 1000, 800));
    EXPECT_EQ(StretchedRect(100, 400, 1000, 800), QRect(400, 0, 200, 800));
    EXPECT_TRUE(StretchedRect(0, 400, 1000, 800).isEmpty());
}

TEST_F(Output, ExportImageWritesWhatTheWindowShowsInEveryType) {
    ModalHand hand;
    RunningApp run({kData + "/1crn.pdb"});
    SetBackground(run, 40, 80, 160);
    const QImage window = run.Picture().convertToFormat(QImage::Format_RGB32);
    const ViewParameters& p = run.View().params;
    ASSERT_EQ(window.size(), QSize(p.windowWidth, p.windowHeight));

    // At the size the size window proposes, the window's size, the file holds its picture.
    AnswerExport(hand, 2, Path("shot"));
    Trigger(&run.Frame(), "File/Export Image ...");
    const QImage png(QString::fromStdString(Path("shot.png")));
    ASSERT_EQ(png.size(), window.size());
    EXPECT_EQ(png.pixel(0, 0), qRgb(40, 80, 160));
    EXPECT_GT(CoveredPixels(png), png.width() * png.height() / 20);
    // The window draws with 16 colour bits, the file with 24.
    EXPECT_LT(DifferingPixels(png, window, 12), png.width() * png.height() / 100);
    EXPECT_EQ(png.text("Title").toStdString(), "1) " + run.Doc().primary->fileName);

    // Another size: the window's proportions within it, as BMP.
    AnswerExport(hand, 1, Path("shot.bmp"), "200", "1000");
    Trigger(&run.Frame(), "File/Export Image ...");
    const QByteArray bmp = FileBytes(Path("shot.bmp"));
    const CaptureSize size = FitCaptureSize(200, 1000, p.windowWidth, p.windowHeight, -1);
    ASSERT_EQ(size.width, 200);
    EXPECT_TRUE(bmp.startsWith("BM"));
    EXPECT_EQ(bmp.size(), 54 + (200 * 3 + 3) / 4 * 4 * size.height);
    const QImage read = QImage::fromData(bmp, "BMP");
    EXPECT_EQ(read.size(), QSize(size.width, size.height));
    EXPECT_EQ(read.pixel(0, 0), qRgb(40, 80, 160));

    // Vector pictures: their headers and ends, and the bonds of the wire frame as lines.
    struct Case {
        int type;
        const char *asked, *written, *head, *tail;
    };
    const std::string box = "%%BoundingBox: 0 0 " + std::to_string(p.windowWidth) + " " +
                            std::to_string(p.windowHeight) + "\n";
    for (const Case& c :
         {Case{0, "v", "v.ps", "%!PS-Adobe-2.0 EPSF-2.0\n", "to print to a printer."},
          Case{3, "v.svg", "v.svg", "<?xml", "</svg>\n"},
          Case{4, "v.PDF", "v.PDF", "%PDF-", "%%EOF\n"}}) {
        AnswerExport(hand, c.type, Path(c.asked));
        Trigger(&run.Frame(), "File/Export Image ...");
        const QByteArray bytes = FileBytes(Path(c.written));
        EXPECT_TRUE(bytes.startsWith(c.head)) << c.written;
        EXPECT_TRUE(bytes.trimmed().endsWith(QByteArray(c.tail).trimmed())) << c.written;
        if (c.type == 0) {
            EXPECT_TRUE(bytes.contains(box.c_str()));
            EXPECT_GT(bytes.count(" lineto stroke\n"), 300); // the wire frame's bonds
        }
    }
    EXPECT_TRUE(hand.messages.empty());
}

TEST_F(Output, ExportImageRefusesBadSizesAndKeepsFilesItWasNotAskedAbout) {
    ModalHand hand;
    RunningApp run({kData + "/1crn.pdb"});
    int sizeWindows = 0;
    hand.onWindow = [&](QWidget* window) {
        if (auto* files = qobject_cast<QFileDialog*>(window)) {
            ChooseFile(files, 2, Path("bad"));
        } else if (auto* size = qobject_cast<ImageSizeDialog*>(window)) {
            const char* widths[] = {"0", "abc", "-3", "40000", " "};
            if (sizeWindows < 5) {
                size->WidthField()->setText(widths[sizeWindows++]);
                Later(size, [size] { size->accept(); }); // refused: the window stays
            } else {
                size->reject();
            }
        } else {
            return false;
        }
        return true;
    };
    Trigger(&run.Frame(), "File/Export Image ...");
    EXPECT_EQ(hand.messages,
              std::vector<std::string>(5, "Please enter an integer between 1 and 32767."));
    EXPECT_FALSE(Exists(Path("bad.png")));

    // "old.bmp" chosen as PNG is written to "old.bmp.png", which the save window did not ask
    // about: it is asked for here, and No keeps it.
    QFile old(QString::fromStdString(Path("old.bmp.png")));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("keep") == 4);
    old.close();
    hand.messages.clear();
    hand.answerYes = false;
    AnswerExport(hand, 2, Path("old.bmp"));
    Trigger(&run.Frame(), "File/Export Image ...");
    ASSERT_EQ(hand.messages.size(), 1u);
    EXPECT_NE(hand.messages[0].find("already exists"), std::string::npos);
    EXPECT_EQ(FileBytes(Path("old.bmp.png")), "keep");

    // A folder that does not exist: the message, and no file.
    hand.messages.clear();
    const std::string missing = Path("no-such-folder") + "/shot.png";
    AnswerExport(hand, 2, missing);
    Trigger(&run.Frame(), "File/Export Image ...");
    // (The save window takes a folder that does not exist as one below the current one.)
    ASSERT_EQ(hand.messages.size(), 1u);
    EXPECT_EQ(hand.messages[0].rfind("Unable to open ", 0), 0u) << hand.messages[0];
    EXPECT_TRUE(
        QString::fromStdString(hand.messages[0]).endsWith("/no-such-folder/shot.png for writing"));
    EXPECT_FALSE(Exists(missing));
}

TEST_F(Output, CopyPutsTheCaptureOnTheClipboardWithTheOptionsChosen) {
    ModalHand hand;
    RunningApp run({kData + "/1crn.pdb"});
    const ViewParameters& p = run.View().params;
    QtOffscreenContexts contexts;
    const auto capture = [&] {
        DibImage dib;
        run.Frame().RunView(
            [&](CVornView& v) { dib = v.RenderToDIB(p.windowWidth, p.windowHeight, contexts); });
        return PictureOfDib(dib, p.printColorDepth).convertToFormat(QImage::Format_RGB32);
    };
    const auto copied = [&] {
        Trigger(&run.Frame(), "Edit/Copy");
        return QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    };
    const QImage sixteen = copied();
    EXPECT_EQ(sixteen, capture());
    EXPECT_TRUE(FiveBitColors(sixteen)); // the default depth

    auto* options = OpenPrintOptions(run);
    ASSERT_NE(options, nullptr);
    EXPECT_TRUE(options->UnlimitedButton()->isChecked());
    EXPECT_EQ(options->AmountField()->text(), "8192");
    EXPECT_EQ(options->DepthList()->currentText(), "16 bit");
    options->DepthList()->setCurrentIndex(1);
    options->accept();
    EXPECT_EQ(p.printColorDepth, 24);
    EXPECT_EQ(p.memoryLimit, -1);
    const QImage full = copied();
    EXPECT_EQ(full, capture());
    EXPECT_FALSE(FiveBitColors(full));

    // 100 KB hold a picture of a fraction of the window's size, stretched back onto it.
    options = OpenPrintOptions(run);
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(options->DepthList()->currentText(), "24 bit");
    options->LimitButton()->setChecked(true);
    options->AmountField()->setText("100");
    options->accept();
    EXPECT_EQ(p.memoryLimit, 100);
    const QImage limited = copied();
    const CaptureSize small =
        FitCaptureSize(p.windowWidth, p.windowHeight, p.windowWidth, p.windowHeight, p.memoryLimit);
    ASSERT_LT(small.width * 3, p.windowWidth);
    EXPECT_EQ(limited.size(), QSize(p.windowWidth, p.windowHeight));
    EXPECT_LT(ChangingColumns(limited), small.width);
    EXPECT_GT(ChangingColumns(full), small.width);

    // Restore Defaults takes the limit away again.
    Trigger(&run.Frame(), "Options/Persistent Settings/Restore Defaults");
    EXPECT_EQ(p.memoryLimit, -1);
    EXPECT_EQ(p.printColorDepth, 16);
    EXPECT_EQ(hand.messages.size(), 1u); // the question of Restore Defaults alone
}

TEST_F(Output, PrintFillsOnePageWithThePictureCentred) {
    ModalHand hand;
    hand.onWindow = AcceptWindow<QPrintDialog>;
    RunningApp run({kData + "/1crn.pdb"});
    SetBackground(run, 200, 220, 240);
    QPrinter& printer = run.Frame().Output().Printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setFullPage(true); // the page's margins are the picture's too
    printer.setOutputFileName(QString::fromStdString(Path("page.pdf")));
    Trigger(&run.Frame(), "File/Print ...");
    ASSERT_TRUE(hand.messages.empty()) << hand.messages[0];
    const QByteArray pdf = FileBytes(Path("page.pdf"));
    ASSERT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r"), 1);

    // The page as a printer puts it on paper: the background all around a picture as wide as the
    // page (the window is wider than the page's proportions), centred from top to bottom.
    const std::string ppm = Path("page.ppm");
    ASSERT_EQ(std::system(("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r24 -sOutputFile='" +
                           ppm + "' '" + Path("page.pdf") + "'")
                              .c_str()),
              0);
    const QImage page(QString::fromStdString(ppm));
    ASSERT_FALSE(page.isNull());
    const QRect picture = StretchedRect(
        run.View().params.windowWidth, run.View().params.windowHeight, page.width(), page.height());
    ASSERT_GT(picture.top(), page.height() / 10);
    int outside = 0, inside = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const bool covered = Differ(page.pixel(x, y), qRgb(200, 220, 240), 6);
            (picture.adjusted(-1, -1, 1, 1).contains(x, y) ? inside : outside) += covered;
        }
    EXPECT_EQ(outside, 0);
    EXPECT_GT(inside, picture.width() * picture.height() / 50);

    // A file that cannot be made: the message, nothing printed.
    const std::string missing = Path("no-such-folder") + "/page.pdf";
    printer.setOutputFileName(QString::fromStdString(missing));
    EXPECT_FALSE(run.Frame().Output().PrintPicture(printer));
    EXPECT_EQ(hand.messages,
              std::vector<std::string>{"Unable to open " + missing + " for writing"});
    EXPECT_FALSE(Exists(missing));
}

TEST_F(Output, CreateMovieRecordsTheTrajectoryAndGoesOnWhereItWas) {
    ModalHand hand;
    RunningApp run({kData + "/adk_closed.pdb", "-dcd", kData + "/dcd/adk_2frames.dcd"});
    ASSERT_EQ(run.Doc().primary->frames.Count(), 2);
    run.Frame().RunView([](CVornView& v) {
        v.StopPlayback();
        v.ShowFrame(2);
    });
    // Each opening of the window: the name to record to (none: the window is closed).
    std::vector<std::string> names = {Path("adk"), Path("no-such-folder") + "/adk.avi", ""};
    int frameWhileOpen = -1;
    QPointer<MovieDialog> answered;
    bool clicked = false;
    hand.onWindow = [&](QWidget* window) {
        if (auto* dialog = qobject_cast<MovieDialog*>(window)) {
            if (dialog == answered) {
                if (clicked && !dialog->Recording()) // still open after a failure
                    dialog->reject();
                return true;
            }
            answered = dialog;
            clicked = false;
            frameWhileOpen = run.Doc().FrameIndex();
            EXPECT_EQ(dialog->StopField()->text(), "2");
            const QString name = QString::fromStdString(names.front());
            names.erase(names.begin());
            if (name.isEmpty()) {
                dialog->reject();
                return true;
            }
            dialog->NameField()->setText(name);
            dialog->WidthField()->SetText("64");
            dialog->HeightField()->SetText("48");
            dialog->DepthList()->setCurrentIndex(1);
            Later(dialog, [dialog, &clicked] {
                clicked = true;
                dialog->RecordButton()->click();
            });
            return true;
        }
        if (auto* codecs = qobject_cast<CompressionOptionsDialog*>(window)) {
            EXPECT_EQ(codecs->CodecList()->itemText(0), "Full Frames (Uncompressed)");
            codecs->CodecList()->setCurrentIndex(0);
            codecs->accept();
            return true;
        }
        return false;
    };
    Trigger(&run.Frame(), "File/Create Movie ...");
    EXPECT_EQ(frameWhileOpen, 0); // the window opens on the structure
    EXPECT_EQ(hand.messages, std::vector<std::string>{"Movie creation successfull!"});
    EXPECT_EQ(Probe(Path("adk.avi")), "rawvideo,64,48,2 ++");
    EXPECT_EQ(run.Doc().FrameIndex(), 2);
    EXPECT_FALSE(run.View().params.playing);
    EXPECT_TRUE(run.DrawFrame()); // the window draws again in its own context

    // A movie that cannot be written: its message, no file, the window stays until closed.
    hand.messages.clear();
    Trigger(&run.Frame(), "File/Create Movie ...");
    ASSERT_EQ(hand.messages.size(), 1u);
    EXPECT_EQ(hand.messages[0], "Error opening the AVI file. File name must end with '.avi'");
    EXPECT_FALSE(Exists(Path("no-such-folder")));

    // Playback waits while the window is open and goes on afterwards.
    run.Frame().RunView([](CVornView& v) { v.Play(false); });
    hand.messages.clear();
    Trigger(&run.Frame(), "File/Create Movie ...");
    EXPECT_TRUE(hand.messages.empty());
    EXPECT_TRUE(run.View().params.playing);
}

TEST_F(Output, MovieWindowChecksItsFieldsBeforeRecording) {
    ModalHand hand;
    hand.onWindow = AcceptWindow<CompressionOptionsDialog>;
    std::vector<MovieRequest> requests;
    MovieDialog* window = nullptr;
    bool goesOn = true;
    // Each recording is cancelled by the window's Cancel after its first frame.
    MovieDialog dialog(
        7, 320, 240, [&](const MovieRequest& request, const MovieProgress& progress, std::string&) {
            requests.push_back(request);
            EXPECT_TRUE(window->Recording());
            EXPECT_EQ(window->Progress()->maximum(), request.stop - request.start + 1);
            window->CancelButton()->click();
            goesOn = progress(1, request.stop - request.start + 1);
            return RecordingResult::kCancelled;
        });
    window = &dialog;
    dialog.show();
    EXPECT_FALSE(dialog.StartField()->isEnabled());
    struct Case {
        const char *start, *stop, *rate, *width, *height, *name, *message;
    };
    const char* name = "/nowhere/m.avi";
    for (const Case& c :
         {Case{"5", "3", "15", "9", "9", name, "Please enter a valid step range!"},
          Case{"-1", "3", "15", "9", "9", name, "Please enter a valid step range!"},
          Case{"1", "3", "121", "9", "9", name, "Please enter a frame rate between 1 and 120"},
          Case{"1", "3", "x", "9", "9", name, "Please enter a frame rate between 1 and 120"},
          Case{"1", "3", "15", "0", "9", name, "Please enter a valid width"},
          Case{"1", "3", "15", "9", "-4", name, "Please enter a valid height"},
          Case{"1", "3", "15", "9", "9", " ", "Please enter a file name"}}) {
        dialog.SelectionButton()->setChecked(true);
        dialog.StartField()->setText(c.start);
        dialog.StopField()->setText(c.stop);
        dialog.RateField()->SetText(c.rate);
        dialog.WidthField()->SetText(c.width);
        dialog.HeightField()->SetText(c.height);
        dialog.NameField()->setText(c.name);
        hand.messages.clear();
        dialog.RecordButton()->click();
        EXPECT_EQ(hand.messages, std::vector<std::string>{c.message}) << c.message;
        EXPECT_TRUE(dialog.isVisible());
    }
    EXPECT_TRUE(requests.empty());

    // The limits themselves are taken; numbers are read up to their first other character.
    dialog.NameField()->setText(name);
    dialog.StartField()->setText("3");
    dialog.StopField()->setText("3 frames");
    dialog.RateField()->SetText("120");
    dialog.WidthField()->SetText("32767");
    dialog.DepthList()->setCurrentIndex(0);
    dialog.RecordButton()->click();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].start, 3);
    EXPECT_EQ(requests[0].stop, 3);
    EXPECT_EQ(requests[0].frameRate, 120);
    EXPECT_EQ(requests[0].width, 32767);
    EXPECT_EQ(requests[0].depth, 16);
    EXPECT_FALSE(goesOn);
    EXPECT_TRUE(dialog.isVisible());
    // The whole trajectory is its frames 1 to 7; the arrows keep to their range.
    dialog.EntireButton()->setChecked(true);
    dialog.RateField()->stepBy(5);
    dialog.RecordButton()->click();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].start, 1);
    EXPECT_EQ(requests[1].stop, 7);
    EXPECT_EQ(requests[1].frameRate, 120);
    EXPECT_TRUE(dialog.isVisible()); // a cancelled recording leaves the window open
}

} // namespace vorn
