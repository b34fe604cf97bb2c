// Molecules in and out through the viewer's windows: a number column pasted from the clipboard,
// the Save Coordinates and Export Trajectory windows (their files read back), and structures
// downloaded from an HTTP server this test runs on 127.0.0.1, good entries and hostile ones.
#include "AppTestSupport.h"
#include "app/dialogs/CustomColorsDialog.h"
#include "app/dialogs/DownloadDialog.h"
#include "app/dialogs/PasteDialog.h"
#include "app/dialogs/SavingDialogs.h"
#include "appearance/ColorScheme.h"
#include "document/PasteColumn.h"
#include "io/PdbFile.h"
#include "render/ViewParameters.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <type_traits>

namespace vorn {

namespace {

const char kDownloadFailed[] = "Unable to download pdb entry -- please check server and pdb id";
const char kReadFailed[] = "Can't read pdb file -- please check server and pdb id";

// A window of type W answered by act: the first time it comes up act runs and OK is clicked;
// whenever it comes up again (after a refusal) again runs and may ask for OK once more (true), or
// the window is cancelled. seen counts its appearances. OK is clicked from the window's own event
// loop, so that the message box of a refusal is answered by the hand as any other.
template <typename W>
void Answer(ModalHand& hand, int& seen, std::function<void(W*)> act,
            std::function<bool(W*)> again = {}) {
    auto pending = std::make_shared<bool>(false);
    hand.onWindow = [&seen, act, again, pending](QWidget* w) {
        auto* window = qobject_cast<W*>(w);
        if (!window)
            return false;
        if (*pending)
            return true;
        if constexpr (std::is_same_v<W, DownloadDialog>)
            if (window->Downloading())
                return true;
        const bool first = seen++ == 0;
        if (first)
            act(window);
        if (!first && !(again && again(window))) {
            window->reject();
            return true;
        }
        *pending = true;
        QMetaObject::invokeMethod(
            window,
            [window = QPointer<W>(window), pending] {
                if (window)
                    ClickOk(window);
                *pending = false;
            },
            Qt::QueuedConnection);
        return true;
    };
}

std::vector<float> Temperatures(const Molecule& mol) {
    std::vector<float> values;
    for (const Atom& a : mol.atoms)
        values.push_back(a.tempFactor);
    return values;
}

QString Column(int count, const std::function<double(int)>& value) {
    QString text;
    for (int i = 0; i < count; ++i)
        text += QString::number(value(i), 'g', 9) + "\r\n";
    return text;
}

} // namespace

// The column goes into every atom; the colours of the open Custom Colors window and the
// temperature tube follow the new values. Refusals keep the window open and the atoms as they are.
TEST(Exchange, PastedColumnsAndTheirRefusals) {
    RunningApp app({kData + "/1crn.pdb"});
    Molecule& mol = *app.Doc().primary;
    ASSERT_EQ(mol.AtomCount(), 327);
    Trigger(&app.Frame(), "Color/Molecule ...");
    ASSERT_NE(Shown<CustomColorsDialog>(), nullptr);
    for (QRadioButton* b : Shown<CustomColorsDialog>()->findChildren<QRadioButton*>())
        if (b->text() == kColorSchemeLabels[kColorByTemperature])
            b->click();
    Trigger(&app.Frame(), "Molecule/Ribbon/Temperature Tube");

    // Atom i gets i + 1 (atom 5 as -6), so the last atom is the warmest.
    QApplication::clipboard()->setText(Column(327, [](int i) { return i == 5 ? -6 : i + 1; }));
    ModalHand hand;
    int seen = 0;
    Answer<PasteDialog>(hand, seen, [](PasteDialog* d) {
        EXPECT_FALSE(d->SerialField()->isEnabled());
        EXPECT_FALSE(d->FirstField()->isEnabled());
        d->ModeButton(kPasteAllAtoms)->click();
    });
    Trigger(&app.Frame(), "Edit/Paste");
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(hand.messages, (std::vector<std::string>{kNegativeWarning}));
    for (int i = 0; i < 327; ++i)
        ASSERT_EQ(mol.atoms[size_t(i)].tempFactor, float(i + 1)) << i;
    EXPECT_EQ(mol.tempMin, 1.0f);
    EXPECT_EQ(mol.tempMax, 327.0f);
    EXPECT_EQ(mol.atoms.front().color, (Rgba{0, 0, 255, 255}));
    EXPECT_EQ(mol.atoms.back().color, (Rgba{255, 0, 0, 255}));
    const Residue& first = mol.chains.front().residues.front();
    const Residue& last = mol.chains.back().residues.back();
    EXPECT_LT(first.profileA, 0.3f);
    EXPECT_GT(last.profileA, 2.1f);
    EXPECT_GT(CoveredPixels(app.Picture()), 1000);

    // The window's fields follow its mode; a refusal keeps it open and changes nothing.
    const std::vector<float> before = Temperatures(mol);
    QApplication::clipboard()->setText("1 2 3");
    hand.messages.clear();
    seen = 0;
    QStringList labels;
    Answer<PasteDialog>(hand, seen, [&](PasteDialog* d) {
        for (QLabel* label : d->findChildren<QLabel*>())
            labels << label->text();
        d->ModeButton(kPasteSingleAtom)->click();
        EXPECT_TRUE(d->SerialField()->isEnabled());
        EXPECT_FALSE(d->LastField()->isEnabled());
        d->ModeButton(kPasteRange)->click();
        EXPECT_FALSE(d->SerialField()->isEnabled());
        EXPECT_TRUE(d->FirstField()->isEnabled() && d->LastField()->isEnabled());
        d->ModeButton(kPasteAlphaCarbons)->click();
    });
    Trigger(&app.Frame(), "Edit/Paste");
    EXPECT_EQ(seen, 2); // open again after the refusal, then cancelled
    EXPECT_TRUE(labels.contains("Number of atoms: 327"));
    EXPECT_TRUE(labels.contains("Number of alpha carbons: 46"));
    EXPECT_TRUE(labels.contains("Number of inputs on clipboad: 3"));
    EXPECT_EQ(hand.messages,
              (std::vector<std::string>{
                  "Unable to paste data, number of inputs is less\nthan the number of alpha "
                  "carbons"}));
    EXPECT_EQ(Temperatures(mol), before);

    // A serial no atom has, then a range of serials 10 to 12 into the occupancies.
    hand.messages.clear();
    seen = 0;
    Answer<PasteDialog>(
        hand, seen,
        [](PasteDialog* d) {
            d->ModeButton(kPasteSingleAtom)->click();
            d->SerialField()->setText("4000");
        },
        [](PasteDialog* d) {
            d->TargetList()->setCurrentIndex(kPasteOccupancy);
            d->ModeButton(kPasteRange)->click();
            d->FirstField()->setText("10");
            d->LastField()->setText("12");
            return true;
        });
    Trigger(&app.Frame(), "Edit/Paste");
    EXPECT_EQ(hand.messages, (std::vector<std::string>{kInvalidAtomId}));
    for (int serial = 9; serial <= 13; ++serial) {
        const float expected = serial >= 10 && serial <= 12 ? float(serial - 9) : 1.0f;
        EXPECT_EQ(mol.atoms[size_t(FindAtomBySerial(mol, serial))].occupancy, expected) << serial;
    }

    // What is no column of numbers never reaches the window.
    seen = 0;
    const std::vector<std::string> unreadable{kNonNumericWarning, kUnreadableClipboard};
    QImage image(4, 4, QImage::Format_RGB32);
    const std::pair<std::function<void(QClipboard*)>, std::vector<std::string>> clips[] = {
        {[](QClipboard* c) { c->setText("1.5\n2\nnan\n"); }, unreadable},
        {[](QClipboard* c) { c->setText(" \r\n\t"); }, {kEmptyClipboard}},
        {[&](QClipboard* c) { c->setImage(image); }, {"Sorry -- only ASCII text can be pasted!"}}};
    for (const auto& [put, messages] : clips) {
        put(QApplication::clipboard());
        hand.messages.clear();
        Trigger(&app.Frame(), "Edit/Paste");
        EXPECT_EQ(hand.messages, messages);
    }
    EXPECT_EQ(seen, 0);
    EXPECT_EQ(Temperatures(mol), before);
}

class ExchangeFiles : public testing::Test {
protected:
    QString Path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

// The window's choices reach the file: precision, CONECT lines, ".pdb" appended; an empty name
// keeps the window open, an unsupported type writes nothing. Export needs frames.
TEST_F(ExchangeFiles, SaveCoordinatesWritesWhatTheWindowChose) {
    RunningApp app({kData + "/1crn.pdb"});
    ModalHand hand;
    int seen = 0;
    Answer<SaveCoordinatesDialog>(
        hand, seen, [](SaveCoordinatesDialog*) {},
        [this, &seen](SaveCoordinatesDialog* d) {
            if (seen > 2)
                return false;
            EXPECT_EQ(d->PrecisionList()->count(), 13);
            d->NameField()->setText(Path("saved"));
            d->PrecisionList()->setCurrentIndex(2); // 5 decimals
            d->ConectBox()->setChecked(false);
            return true;
        });
    Trigger(&app.Frame(), "File/Save Coord ...");
    EXPECT_EQ(hand.messages, (std::vector<std::string>{"Please enter a file name"}));
    const std::string saved = Path("saved.pdb").toStdString();
    PdbFile pdb;
    ASSERT_TRUE(pdb.Read(saved));
    const Molecule& mol = *app.Doc().primary;
    ASSERT_EQ(pdb.records.size(), 327u);
    EXPECT_NEAR(pdb.records[100].x, mol.atoms[100].x, 1e-4);
    EXPECT_NEAR(pdb.records[100].z, mol.atoms[100].z, 1e-4);
    const QByteArray text = FileBytes(saved);
    EXPECT_FALSE(text.contains("CONECT"));
    EXPECT_TRUE(text.contains(QByteArray::number(double(mol.atoms[0].x), 'f', 5)));

    hand.messages.clear();
    seen = 0;
    Answer<SaveCoordinatesDialog>(hand, seen, [this](SaveCoordinatesDialog* d) {
        d->NameField()->setText(Path("other.pdb"));
        d->TypeList()->setCurrentIndex(1);
    });
    Trigger(&app.Frame(), "File/Save Coord ...");
    EXPECT_EQ(hand.messages, (std::vector<std::string>{"XYZ files aren't supported yet!"}));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"saved.pdb"});

    // Without frames there is no trajectory to export, and no window comes.
    hand.messages.clear();
    seen = 0;
    Answer<ExportTrajectoryDialog>(hand, seen, [](ExportTrajectoryDialog*) {});
    Trigger(&app.Frame(), "File/Export Traj ...");
    EXPECT_EQ(seen, 0);
    EXPECT_EQ(hand.messages, (std::vector<std::string>{"Cannot export a zero length trajectory"}));
}

// Each refusal keeps the window open; the export writes the chosen frames and the view shows the
// frame it showed before.
TEST_F(ExchangeFiles, ExportTrajectoryWritesTheChosenFrames) {
    RunningApp app({kData + "/2eqq.pdb", "-multi"});
    const Molecule& mol = *app.Doc().primary;
    const int frames = mol.frames.Count();
    ASSERT_GE(frames, 5);
    app.Frame().RunView([](CVornView& v) { v.StopPlayback(); }); // it plays on opening
    app.Doc().SetFrame(4);
    ModalHand hand;
    int seen = 0;
    const std::vector<std::function<void(ExportTrajectoryDialog*)>> attempts = {
        [](ExportTrajectoryDialog* d) { d->RangeButton()->click(); },
        [this](ExportTrajectoryDialog* d) {
            d->NameField()->setText(Path("frames.pdb"));
            d->StartField()->setText("0");
        },
        [](ExportTrajectoryDialog* d) {
            d->StartField()->setText("2");
            d->StopField()->setText(QString::number(d->StopField()->text().toInt() + 1));
        },
        [](ExportTrajectoryDialog* d) { d->StopField()->setText("4"); },
    };
    Answer<ExportTrajectoryDialog>(
        hand, seen,
        [&](ExportTrajectoryDialog* d) {
            EXPECT_TRUE(d->EntireButton()->isChecked());
            EXPECT_FALSE(d->StartField()->isEnabled());
            EXPECT_EQ(d->StartField()->text(), "1");
            EXPECT_EQ(d->StopField()->text(), QString::number(frames));
            attempts[0](d);
            EXPECT_TRUE(d->StartField()->isEnabled());
        },
        [&](ExportTrajectoryDialog* d) {
            if (seen > int(attempts.size()))
                return false;
            attempts[size_t(seen - 1)](d);
            return true;
        });
    Trigger(&app.Frame(), "File/Export Traj ...");
    EXPECT_EQ(hand.messages, (std::vector<std::string>{"Please enter a file name.",
                                                       "Invalid limit for trajectory start",
                                                       "Invalid limit for trajectory stop"}));
    PdbFile pdb;
    ASSERT_TRUE(pdb.Read(Path("frames.pdb").toStdString()));
    ASSERT_EQ(pdb.records.size(), size_t(3 * mol.AtomCount()));
    EXPECT_EQ(pdb.records.back().model, 3);
    EXPECT_NEAR(pdb.records.front().x, mol.frames[1][0], 1e-3);
    EXPECT_EQ(app.Doc().FrameIndex(), 4);
}

namespace {

// An HTTP/1.1 server on 127.0.0.1 with a fixed answer per path; paths it does not know are 404.
class EntryServer : public QObject {
public:
    enum Way { kWhole, kCloseEarly, kStall };
    struct Answer {
        int status = 200;
        QByteArray body;
        QByteArray headers; // extra header lines, each ending in CRLF
        Way way = kWhole;
    };
    static Answer Reply(int status, QByteArray body, QByteArray headers = {}, Way way = kWhole) {
        return Answer{status, std::move(body), std::move(headers), way};
    }

    EntryServer() {
        EXPECT_TRUE(m_server.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection())
                Serve(socket);
        });
    }
    QString Host() const { return QString("127.0.0.1:%1").arg(m_server.serverPort()); }
    std::map<QByteArray, Answer> answers;
    int requests = 0;

private:
    void Serve(QTcpSocket* socket) {
        socket->setParent(this);
        auto request = std::make_shared<QByteArray>();
        QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket, request] {
            *request += socket->readAll();
            if (!request->contains("\r\n\r\n"))
                return;
            ++requests;
            const QByteArray path = request->split(' ').value(1).split('?').value(0);
            request->clear();
            const auto found = answers.find(path);
            const Answer a =
                found == answers.end() ? Reply(404, "<html>Not Found</html>") : found->second;
            if (a.way == kStall)
                return;
            const qsizetype promised = a.way == kCloseEarly ? a.body.size() * 10 : a.body.size();
            socket->write("HTTP/1.1 " + QByteArray::number(a.status) + " Answer\r\n" +
                          "Content-Length: " + QByteArray::number(promised) + "\r\n" +
                          "Connection: close\r\n" + a.headers + "\r\n" + a.body);
            socket->flush();
            socket->disconnectFromHost();
        });
    }

    QTcpServer m_server;
};

// The structure download in one application: each case's files in a temporary directory of its
// own, which the download must leave empty.
class Download : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_temp.isValid());
        m_oldTemp = qgetenv("TMPDIR");
        qputenv("TMPDIR", m_temp.path().toLocal8Bit());
        using S = EntryServer;
        const auto file = [](const std::string& name) {
            return S::Reply(200, FileBytes(kData + "/" + name));
        };
        server.answers["/files/1a28.pdb.gz"] = file("1a28.pdb.gz");
        server.answers["/files/1crn.pdb"] = file("1crn.pdb");
        server.answers["/files/2BEG.cif.gz"] = file("2BEG.cif.gz");
        server.answers["/files/bomb.pdb"] = file("bad/gzip_bomb.pdb.gz");
        server.answers["/files/page.pdb"] =
            S::Reply(200, "<html><body>Search results</body></html>\n");
        server.answers["/files/cut.pdb"] =
            S::Reply(200, FileBytes(kData + "/1crn.pdb").left(4000), {}, S::kCloseEarly);
        server.answers["/files/moved.pdb"] = S::Reply(302, {}, "Location: /files/1crn.pdb\r\n");
        server.answers["/files/ftp.pdb"] = S::Reply(
            302, {}, "Location: ftp://" + server.Host().toLatin1() + "/files/1crn.pdb\r\n");
        server.answers["/files/file.pdb"] = S::Reply(302, {}, "Location: file:///etc/hostname\r\n");
        server.answers["/files/stall.pdb"] = S::Reply(200, {}, {}, S::kStall);
        server.answers["/files/1536.pdb"] = S::Reply(200, QByteArray(1536, 'x'));
        DownloadDialog::SetStallTimeout(600);
    }
    void TearDown() override {
        qputenv("TMPDIR", m_oldTemp);
        DownloadDialog::SetStallTimeout(30000);
    }
    QStringList Left() const { return QDir(m_temp.path()).entryList(QDir::Files); }

    // Runs the download command for the entry code with a template on this server.
    std::vector<std::string> Fetch(RunningApp& app, const QString& code,
                                   const QString& requestTemplate = "http://%SERVER%/files/"
                                                                    "%PDBID%.pdb") {
        ModalHand hand;
        int seen = 0;
        Answer<DownloadDialog>(hand, seen, [&](DownloadDialog* d) {
            d->ServerBox()->setCurrentText(server.Host());
            d->CodeBox()->setCurrentText(code);
            d->TemplateBox()->setCurrentText(requestTemplate);
        });
        Trigger(&app.Frame(), "File/Query PDB Database ...");
        return hand.messages;
    }

    EntryServer server;

private:
    QTemporaryDir m_temp;
    QByteArray m_oldTemp;
};

} // namespace

TEST_F(Download, ReadsCompressedPlainAndMmcifEntries) {
    RunningApp app;
    const QString tmpl = "http://%SERVER%/files/%PDBID%";
    EXPECT_TRUE(Fetch(app, "1a28", tmpl + ".pdb.gz").empty());
    EXPECT_TRUE(Fetch(app, "1crn", tmpl + ".pdb").empty());
    EXPECT_TRUE(Fetch(app, "2BEG", tmpl + ".cif.gz").empty());
    EXPECT_TRUE(Fetch(app, "moved", tmpl + ".pdb").empty()); // redirected to 1crn
    ASSERT_EQ(app.Doc().MoleculeCount(), 4);
    EXPECT_EQ(app.Doc().MoleculeAt(1).AtomCount(), 327);
    EXPECT_EQ(app.Doc().MoleculeAt(3).AtomCount(), 327);
    EXPECT_GT(app.Doc().MoleculeAt(2).AtomCount(), 100);
    EXPECT_EQ(app.Doc().title, "moved");
    EXPECT_TRUE(app.Frame().windowTitle().startsWith("moved"));
    EXPECT_TRUE(Left().isEmpty()) << Left().join(' ').toStdString();
    // The codes and the server that worked are offered from now on.
    EXPECT_EQ(app.Doc().identifiers,
              (std::vector<std::string>{"1ckw", "1a28", "1crn", "2BEG", "moved"}));
    EXPECT_EQ(app.Doc().servers,
              (std::vector<std::string>{"files.rcsb.org", server.Host().toStdString()}));
    EXPECT_GT(CoveredPixels(app.Picture()), 1000);
}

// Each failure says so, leaves no file behind and the molecules, title and lists as they were.
TEST_F(Download, FailuresLeaveNothingBehind) {
    RunningApp app({kData + "/1crn.pdb"});
    Molecule* primary = app.Doc().primary;
    const std::string title = app.Doc().title;
    const std::vector<std::string> codes = app.Doc().identifiers;
    const std::vector<std::string> failed{kDownloadFailed};
    const struct {
        const char* code;
        std::vector<std::string> messages;
    } cases[] = {
        {"missing", failed},     // 404
        {"cut", failed},         // closed early
        {"ftp", failed},         // redirect to ftp://
        {"file", failed},        // redirect to file://
        {"stall", failed},       // nothing arrives
        {"page", {kReadFailed}}, // an HTML page
        {"bomb", {"The file unpacks to far more data than a structure needs"}}, // gzip bomb
    };
    for (const auto& c : cases) {
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(Fetch(app, c.code), c.messages) << c.code;
        EXPECT_LT(clock.elapsed(), 20000) << c.code;
        EXPECT_TRUE(Left().isEmpty()) << c.code << ": " << Left().join(' ').toStdString();
        EXPECT_EQ(app.Doc().MoleculeCount(), 1) << c.code;
        EXPECT_EQ(app.Doc().primary, primary) << c.code;
        EXPECT_EQ(app.Doc().title, title) << c.code;
    }
    // The two whose download worked are remembered, as codes that reached a file.
    EXPECT_EQ(app.Doc().identifiers.size(), codes.size() + 2);
    EXPECT_EQ(server.requests, 7); // the refused redirects were not followed
}

// A template without a marker is refused before anything is asked of the server; Cancel stops a
// download that hangs; a download that ends leaves its file with the window until it goes.
TEST_F(Download, TheWindowRefusesCancelsAndOwnsItsFile) {
    RunningApp app;
    EXPECT_EQ(Fetch(app, "1crn", "http://%SERVER%/files/1crn.pdb"),
              std::vector<std::string>{"Invalid query format!"});
    EXPECT_EQ(Fetch(app, "1crn", "file:///%SERVER%/%PDBID%.pdb"),
              std::vector<std::string>{kDownloadFailed});
    EXPECT_EQ(server.requests, 0);

    DownloadDialog::SetStallTimeout(60000);
    DownloadDialog dialog(app.Doc().servers, app.Doc().identifiers);
    dialog.ServerBox()->setCurrentText(server.Host());
    dialog.CodeBox()->setCurrentText("stall");
    dialog.TemplateBox()->setCurrentText("http://%SERVER%/files/%PDBID%.pdb");
    dialog.show();
    ClickOk(&dialog);
    ASSERT_TRUE(dialog.Downloading());
    Wait(200);
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    EXPECT_FALSE(dialog.Downloading());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(Left().isEmpty());
    EXPECT_EQ(app.Doc().MoleculeCount(), 0);

    // The window on its own: the server list sorted with the first entry chosen, the amount read,
    // and the file, named with the URL's ending, which goes with the window.
    auto owned = std::make_unique<DownloadDialog>(
        std::vector<std::string>{"zeta.org", server.Host().toStdString(), "Alpha.org"},
        std::vector<std::string>{"1ckw", "9abc"});
    DownloadDialog& window = *owned;
    QStringList servers;
    for (int i = 0; i < window.ServerBox()->count(); ++i)
        servers << window.ServerBox()->itemText(i);
    EXPECT_EQ(servers, (QStringList{server.Host(), "Alpha.org", "zeta.org"}));
    EXPECT_EQ(window.ServerBox()->currentText(), "zeta.org");
    EXPECT_EQ(window.CodeBox()->currentText(), "1ckw");
    EXPECT_EQ(window.TemplateBox()->currentText(), "http://%SERVER%/pdb/files/%PDBID%.pdb.gz");

    window.ServerBox()->setCurrentText(server.Host());
    window.CodeBox()->setCurrentText("1536");
    window.TemplateBox()->setCurrentText("http://%SERVER%/files/%PDBID%.pdb?format=1");
    window.show();
    ClickOk(&window);
    QElapsedTimer clock;
    clock.start();
    while (window.Downloading() && clock.elapsed() < 10000)
        Wait(10);
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(window.StatusLine()->text(), "1.50kb read");
    EXPECT_EQ(window.Code(), "1536");
    EXPECT_TRUE(window.FileName().endsWith(".pdb"));
    EXPECT_EQ(QFile(window.FileName()).size(), 1536);
    EXPECT_EQ(Left().size(), 1);
    owned.reset();
    EXPECT_TRUE(Left().isEmpty());
}

} // namespace vorn
