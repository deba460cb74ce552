// The Updates tab end to end: the real window, loaded by its owner as the program does, fetching
// from a real HTTP server on the product's own port 80. Runs in a private network namespace
// (tests/support/in_netns.sh), where that port is free and nothing reaches the host's network.

#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "loopback_server.h"
#include "qt/window_owner.h"
#include "window_fixture.h"

using korrin::qt::frmPatcher;
using korrin::qt::WindowOwner;

using korrin::testing::Find;
using korrin::testing::ReadFile;
using korrin::testing::Titles;
using korrin::testing::WriteFile;

namespace {

constexpr int kWait = 30000;
const QString kAddress = QStringLiteral("127.0.0.1/patch/");
const QString kCompleted = QStringLiteral("Auto update completed.");

QString About(frmPatcher* w) {
    return QString::fromStdString(w->model().txtAbout());
}

}  // namespace

class UpdateEndToEndTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> served_;
    std::unique_ptr<QTemporaryDir> program_;
    std::unique_ptr<QProcess> server_;
    std::unique_ptr<WindowOwner> owner_;
    QStringList messages_;
    QList<int> barAtMessage_;  // perDone's width in the window that showed each message

    QString ProgramFile(const QString& name) const { return program_->filePath(name); }

    // python's own HTTP server on port 80, serving served_; it says so once it listens.
    void StartServer() {
        server_ = std::make_unique<QProcess>();
        server_->setProcessChannelMode(QProcess::MergedChannels);
        server_->start(QStringLiteral("python3"),
                       {QStringLiteral("-u"), QStringLiteral("-m"), QStringLiteral("http.server"),
                        QStringLiteral("80"), QStringLiteral("--bind"), QStringLiteral("127.0.0.1"),
                        QStringLiteral("--directory"), served_->path()});
        QVERIFY2(server_->waitForStarted(kWait), "python3 did not start");
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += server_->readAll()).contains("Serving HTTP"), kWait);
    }

    // The window as the program shows it, on its Updates tab with address typed in.
    frmPatcher* Load(const QString& address) {
        owner_ = std::make_unique<WindowOwner>(
            QFile::encodeName(program_->path() + QLatin1Char('/')).toStdString());
        owner_->Load();
        frmPatcher* w = owner_->window();
        QTest::mouseClick(Find<QLabel>(w, "tabPick(2)"), Qt::LeftButton);
        Find<QLineEdit>(w, "txtUpdateUrl")->setText(address);
        return w;
    }

  private slots:
    void initTestCase() {
        // Port 80 of the host is not ours to take.
        if (!qEnvironmentVariableIsSet("KORRIN_IN_NETNS")) QSKIP("run through in_netns.sh");
    }

    void init() {
        korrin::testing::WindowFixture::ClearSettings();
        messages_.clear();
        barAtMessage_.clear();
        korrin::qt::SetMessageHandler([this](QWidget* parent, const QString& text) {
            messages_ << text;
            auto* w = qobject_cast<frmPatcher*>(parent);
            barAtMessage_ << (w ? Find<QWidget>(w, "perDone")->width() : -1);
        });
        served_ = std::make_unique<QTemporaryDir>();
        program_ = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir(served_->path()).mkdir(QStringLiteral("patch")));
        WriteFile(ProgramFile(QStringLiteral("old.pat")),
                  "patch:Old title\r\nparam:num|1\r\nlocation:AABB\r\n");
        WriteFile(ProgramFile(QStringLiteral("keep.pat")),
                  "patch:Kept\r\nparam:num|1\r\nlocation:AABB\r\n");
    }

    void cleanup() {
        owner_.reset();
        if (server_) {
            server_->kill();
            server_->waitForFinished(kWait);
            server_.reset();
        }
        korrin::qt::SetMessageHandler({});
    }

    void updateReplacesDefinitionsAndRebuildsTheCatalogue() {
        // The running program's own file may be neither deleted nor overwritten by a script.
        const QString self = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        WriteFile(ProgramFile(self), "the program");
        const QByteArray newPat =
            "patch:New title\r\ndescription:Brand new.\r\nparam:num|5\r\nlocation:AABB\r\n";
        WriteFile(served_->filePath(QStringLiteral("patch/patch.dsc")),
                  "open description\r\nTwo patches changed.\r\n||\r\n\r\nThe old one is gone.\r\n"
                  "open new.pat\r\n" +
                      newPat +
                      "close\r\nopen keep.pat\r\npatch:Kept, renamed\r\nparam:num|1\r\n"
                      "location:AABB\r\nclose\r\nkill old.pat\r\nkill " +
                      self.toLocal8Bit() + "\r\nopen " + self.toLocal8Bit() + "\r\nreplaced\r\n");
        StartServer();
        QPointer<frmPatcher> old = Load(kAddress);
        QSignalSpy reloaded(owner_.get(), &WindowOwner::reloaded);

        QTest::mouseClick(Find<QPushButton>(old, "Command1"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(reloaded.size(), 1, kWait);
        // Followed by the steps on the program's own file that the script may not do.
        QVERIFY(messages_.size() == 1 && messages_[0].startsWith(kCompleted + QLatin1Char('\n')));
        // Content-Length announced the body, so the bar was full; the box clipped the rest.
        QCOMPARE(barAtMessage_.first(), 175);
        QTRY_VERIFY(old.isNull());

        frmPatcher* w = owner_->window();
        QCOMPARE(About(w), QStringLiteral("Two patches changed.\r\n\r\nThe old one is gone.\r\n"));
        QCOMPARE(Titles(Find<QListWidget>(w, "lstPatch")),
                 (QStringList{QStringLiteral("Kept, renamed"), QStringLiteral("New title")}));
        QCOMPARE(ReadFile(ProgramFile(QStringLiteral("new.pat"))), newPat);
        QVERIFY(!QFile::exists(ProgramFile(QStringLiteral("old.pat"))));
        QVERIFY(!QFile::exists(ProgramFile(QStringLiteral("patch.dsc"))));
        QCOMPARE(ReadFile(ProgramFile(self)), QByteArray("the program"));
        // A fresh window: its layout state, the Find tab in view.
        QCOMPARE(Find<QWidget>(w, "perDone")->width(), 8);
        QVERIFY(Find<QWidget>(w, "tabForm(1)")->isVisible() &&
                !Find<QWidget>(w, "tabForm(2)")->isVisible());
    }

    void noUpdateOrNoPlaceForItStopsWithAMessage_data() {
        QTest::addColumn<bool>("served");
        QTest::addColumn<bool>("folderGone");
        QTest::addColumn<QString>("message");
        QTest::newRow("no description file")
            << false << false << QStringLiteral("No update available at this time");
        QTest::newRow("program folder gone")
            << true << true << QStringLiteral("The update could not be stored: ");
    }

    void noUpdateOrNoPlaceForItStopsWithAMessage() {
        QFETCH(bool, served);
        QFETCH(bool, folderGone);
        QFETCH(QString, message);
        if (served) {
            WriteFile(served_->filePath(QStringLiteral("patch/patch.dsc")),
                      "open description\r\nNever shown.\r\nkill keep.pat\r\n");
        }
        StartServer();
        frmPatcher* w = Load(kAddress);
        QSignalSpy reloaded(owner_.get(), &WindowOwner::reloaded);
        if (folderGone) QVERIFY(program_->remove());

        QTest::mouseClick(Find<QPushButton>(w, "Command1"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(messages_.size(), 1, kWait);
        QVERIFY2(messages_.first().startsWith(message), qPrintable(messages_.first()));
        QCoreApplication::processEvents();  // a reload would have run by now
        QCOMPARE(reloaded.size(), 0);
        QCOMPARE(owner_->window(), w);
        QCOMPARE(About(w), QString());
        QVERIFY(!QFile::exists(ProgramFile(QStringLiteral("patch.dsc"))));
        QCOMPARE(QFile::exists(ProgramFile(QStringLiteral("keep.pat"))), !folderGone);
    }

    void failedConnectionNamesHostAndReason_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("host");
        QTest::newRow("refused") << kAddress << QStringLiteral("127.0.0.1");
        QTest::newRow("unreachable")
            << QStringLiteral("10.255.0.1/patch/") << QStringLiteral("10.255.0.1");
        QTest::newRow("not found") << QStringLiteral("no-such-host.invalid/patch/")
                                   << QStringLiteral("no-such-host.invalid");
        QTest::newRow("empty host") << QStringLiteral("/patch/") << QString();
    }

    void failedConnectionNamesHostAndReason() {
        QFETCH(QString, address);
        QFETCH(QString, host);
        frmPatcher* w = Load(address);
        const QString welcome = About(w);
        const QString opening =
            QStringLiteral("Cannot connect to the update server \"%1\": ").arg(host);
        // Pressed again after the message, the button tries again.
        for (int press = 1; press <= 2; ++press) {
            QTest::mouseClick(Find<QPushButton>(w, "Command1"), Qt::LeftButton);
            QTRY_COMPARE_WITH_TIMEOUT(messages_.size(), press, kWait);
        }
        QVERIFY2(messages_.first().startsWith(opening), qPrintable(messages_.first()));
        QVERIFY2(messages_.first().size() > opening.size() + 40, qPrintable(messages_.first()));
        QCOMPARE(messages_.last(), messages_.first());
        QCOMPARE(About(w), welcome);
    }

    void badAddressConnectsNowhere() {
        frmPatcher* w = Load(QStringLiteral("127.0.0.1"));
        QTest::mouseClick(Find<QPushButton>(w, "Command1"), Qt::LeftButton);
        QCOMPARE(messages_,
                 QStringList{QStringLiteral("The update address is incorrectly inputted. "
                                            "Please correct the problem and try again")});
    }

    // A server that answers in two halves, the second only when the test says so, to see the
    // bar part way; python sends all at once.
    void requestIsExactAndTheBarFollowsTheAnnouncedLength() {
        const QByteArray header = "HTTP/1.0 200 OK\r\nContent-Length: 400\r\n\r\n";  // 40 bytes
        QByteArray body = "open description\r\nHalf and half.\r\n";
        body += QByteArray(400 - body.size(), 'x');
        QPointer<QTcpSocket> peer;
        QByteArray request;
        korrin::testing::LoopbackServer server(
            [&](QTcpSocket* p, const QByteArray& r) {
                peer = p;
                request = r;
                peer->write(header + body.left(200));
            },
            80);
        QVERIFY(server.listening());
        frmPatcher* w = Load(QStringLiteral("127.0.0.1/d/"));
        QSignalSpy reloaded(owner_.get(), &WindowOwner::reloaded);
        QTest::mouseClick(Find<QPushButton>(w, "Command1"), Qt::LeftButton);

        // 240 of 400 announced bytes have come: 0.6 of the 175-pixel box.
        QTRY_COMPARE_WITH_TIMEOUT(Find<QWidget>(w, "perDone")->width(), 105, kWait);
        QCOMPARE(request, QByteArray("GET /d/patch.dsc HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n"));
        peer->write(body.mid(200));
        peer->disconnectFromHost();
        QTRY_COMPARE_WITH_TIMEOUT(messages_, QStringList{kCompleted}, kWait);
        QCOMPARE(barAtMessage_.first(), 175);
        QTRY_COMPARE_WITH_TIMEOUT(reloaded.size(), 1, kWait);
        QCOMPARE(About(owner_->window()), QStringLiteral("Half and half.\r\n") +
                                              QString(366, QLatin1Char('x')) +
                                              QStringLiteral("\r\n"));
    }
};

QTEST_MAIN(UpdateEndToEndTest)
#include "update_e2e_test.moc"
