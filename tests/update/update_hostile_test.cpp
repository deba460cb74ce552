// The Updates tab against a hostile server: anyone on the path of a plain-HTTP update can answer
// in its place. The real window, loaded by its owner, fetches from a hand-written server on port
// 80 in a private network namespace (tests/support/in_netns.sh) that sends scripts with names
// meant to leave the program folder, headers and bodies that never end, responses cut at every
// byte and a byte at a time. Whatever it sends, nothing outside the program folder changes, no
// folder inside it changes, the program's own file stays, and the window goes on.
//
// Prints its figures ("cases", "touched outside"), which docs/reliability.md gathers.

#include <QDir>
#include <QDirIterator>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
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

constexpr int kWait = 60000;
const QString kCompleted = QStringLiteral("Auto update completed.");

QByteArray Answer(const QByteArray& body) {
    return "HTTP/1.0 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" +
           body;
}

// Sends bytes and closes.
std::function<void(QTcpSocket*)> All(const QByteArray& bytes) {
    return [bytes](QTcpSocket* peer) {
        peer->write(bytes);
        peer->disconnectFromHost();
    };
}

// Sends bytes one at a time, each once the one before has gone, then closes.
std::function<void(QTcpSocket*)> ByteByByte(const QByteArray& bytes) {
    return [bytes](QTcpSocket* peer) {
        auto sent = std::make_shared<qsizetype>(0);
        auto next = [peer, bytes, sent] {
            if (*sent == bytes.size()) {
                peer->disconnectFromHost();
                return;
            }
            peer->write(bytes.mid((*sent)++, 1));
        };
        QObject::connect(peer, &QTcpSocket::bytesWritten, peer, next);
        next();
    };
}

// Sends start, then filler for ever, as long as the other side takes it.
std::function<void(QTcpSocket*)> Endless(const QByteArray& start) {
    return [start](QTcpSocket* peer) {
        const QByteArray filler(256 * 1024, 'x');
        auto more = [peer, filler] {
            if (peer->state() == QAbstractSocket::ConnectedState &&
                peer->bytesToWrite() < 1 << 20) {
                peer->write(filler);
            }
        };
        QObject::connect(peer, &QTcpSocket::bytesWritten, peer, more);
        peer->write(start);
        more();
    };
}

}  // namespace

class UpdateHostileTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> root_;
    std::unique_ptr<korrin::testing::LoopbackServer> server_;
    std::function<void(QTcpSocket*)> serve_;
    std::unique_ptr<WindowOwner> owner_;
    QStringList messages_;
    QString self_;  // the program's own file name
    std::map<QString, QByteArray> untouchable_;
    int cases_ = 0;
    int touchedOutside_ = 0;

    QString App() const { return root_->filePath(QStringLiteral("app")); }
    QString AppFile(const QString& name) const { return App() + QLatin1Char('/') + name; }

    // Everything under the root that no update may change, by path: each file's bytes, and a
    // mark for each folder. The plain files directly in the program folder are an update's to
    // change, all but the program's own.
    std::map<QString, QByteArray> Untouchable() const {
        std::map<QString, QByteArray> seen;
        const QDir root(root_->path());
        QDirIterator it(root_->path(),
                        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo entry(it.next());
            const QString path = root.relativeFilePath(entry.filePath());
            if (entry.isSymLink()) {
                seen[path] = "<link>";
            } else if (entry.isDir()) {
                seen[path] = "<folder>";
            } else if (entry.path() != App() || entry.fileName() == self_) {
                seen[path] = ReadFile(entry.filePath());
            }
        }
        return seen;
    }

    // The plain files of the program folder as at the start. Names are handled as bytes: a
    // script may have made one that is no text in the system's encoding.
    void ResetApp() {
        for (const auto& entry : std::filesystem::directory_iterator(AppPath())) {
            if (entry.is_regular_file() &&
                QFile::decodeName(entry.path().filename().c_str()) != self_) {
                std::filesystem::remove(entry.path());
            }
        }
        WriteFile(AppFile(QStringLiteral("old.pat")),
                  "patch:Old\r\nparam:num|1\r\nlocation:AABB\r\n");
        WriteFile(AppFile(QStringLiteral("notes.txt")), "notes");
    }

    QByteArray AppState() const {
        std::map<std::string, QByteArray> files;
        for (const auto& entry : std::filesystem::directory_iterator(AppPath())) {
            if (entry.is_regular_file()) {
                files[entry.path().filename().string()] =
                    ReadFile(QFile::decodeName(entry.path().c_str()));
            }
        }
        QByteArray state;
        for (const auto& [name, bytes] : files)
            state += QByteArray::fromStdString(name) + '=' + bytes + '\n';
        return state;
    }

    std::filesystem::path AppPath() const { return QFile::encodeName(App()).toStdString(); }

    // One update through the window, from the click to its message and, after a completed one,
    // the reload. Counts the case, and a case that touched anything outside the program folder.
    QString Update(const std::function<void(QTcpSocket*)>& serve, const QString& what) {
        serve_ = serve;
        frmPatcher* w = owner_->window();
        Find<QLineEdit>(w, "txtUpdateUrl")->setText(QStringLiteral("127.0.0.1/patch/"));
        messages_.clear();
        QSignalSpy reloaded(owner_.get(), &WindowOwner::reloaded);
        QTest::mouseClick(Find<QPushButton>(w, "Command1"), Qt::LeftButton);
        [&] { QTRY_COMPARE_WITH_TIMEOUT(messages_.size(), 1, kWait); }();
        if (messages_.isEmpty()) return QString();
        if (messages_.first().startsWith(kCompleted)) {
            [&] { QTRY_COMPARE_WITH_TIMEOUT(reloaded.size(), 1, kWait); }();
        }
        ++cases_;
        if (Untouchable() != untouchable_) {
            ++touchedOutside_;
            qWarning("touched outside the program folder: %s", qPrintable(what));
        }
        return messages_.first();
    }

  private slots:
    void initTestCase() {
        // Port 80 of the host is not ours to take.
        if (!qEnvironmentVariableIsSet("KORRIN_IN_NETNS")) QSKIP("run through in_netns.sh");
        korrin::testing::WindowFixture::ClearSettings();
        korrin::qt::SetMessageHandler([this](QWidget*, const QString& text) { messages_ << text; });
        root_ = std::make_unique<QTemporaryDir>();
        const QDir root(root_->path());
        QVERIFY(root.mkpath(QStringLiteral("app/sub")));
        QVERIFY(root.mkpath(QStringLiteral("other")));
        WriteFile(root.filePath(QStringLiteral("victim.pat")), "patch:Outside\r\n");
        WriteFile(root.filePath(QStringLiteral("secret")), "not for updates");
        WriteFile(root.filePath(QStringLiteral("other/y.pat")), "patch:Sibling\r\n");
        WriteFile(root.filePath(QStringLiteral("app/sub/x.pat")), "patch:Below\r\n");
        self_ = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        WriteFile(AppFile(self_), "the program");
        ResetApp();
        untouchable_ = Untouchable();

        server_ = std::make_unique<korrin::testing::LoopbackServer>(
            [this](QTcpSocket* peer, const QByteArray&) { serve_(peer); }, 80);
        QVERIFY(server_->listening());
        owner_ = std::make_unique<WindowOwner>(
            QFile::encodeName(App() + QLatin1Char('/')).toStdString());
        owner_->Load();
    }

    void cleanupTestCase() {
        owner_.reset();
        server_.reset();
        korrin::qt::SetMessageHandler({});
        std::printf("[ figures  ] UpdateHostileTest: %d cases, %d touched outside\n", cases_,
                    touchedOutside_);
        QCOMPARE(touchedOutside_, 0);
    }

    void init() { ResetApp(); }

    void hostileNames_data() {
        QTest::addColumn<QByteArray>("script");
        const QByteArray outside = QFile::encodeName(root_->path());
        const QByteArray self = QFile::encodeName(self_);
        const QByteArray names[] = {
            // parent steps
            "../victim.pat",
            "..",
            "...",
            "sub/../../victim.pat",
            "..\\victim.pat",
            "..\\..\\x",
            // absolute paths
            outside + "/victim.pat",
            outside + "/other/y.pat",
            "/" + outside + "/secret",
            // drive letters
            "C:victim.pat",
            "C:\\victim.pat",
            "c:/victim.pat",
            // separators of both kinds
            "sub/x.pat",
            "sub\\x.pat",
            "sub/",
            "sub",
            "./old.pat",
            ".\\old.pat",
            // control characters
            QByteArray("a\0b.pat", 7),
            QByteArray("\0../victim.pat", 14),
            "a\x01.pat",
            "tab\there.pat",
            "del\x7F.pat",
            "\x1B[2J.pat",
            // the program's own file, in any letter case
            self,
            self.toUpper(),
            self + "*",
            "*" + self.right(3),
            // names that differ only in case
            "OLD.PAT",
            "Old.pat",
            "NOTES.TXT",
            // high bytes and long names
            "\xE9t\xE9.pat",
            QByteArray(300, 'n') + ".pat",
        };
        for (const QByteArray& name : names) {
            const QByteArray shown = name.toPercentEncoding("./\\:*");
            QTest::newRow(("open " + shown).constData())
                << QByteArray("open " + name + "\r\nhostile\r\nclose\r\n");
            QTest::newRow(("kill " + shown).constData()) << QByteArray("kill " + name + "\r\n");
        }
        // Wildcard kills.
        for (const QByteArray pattern : {"*", "*.*", "?*", "*\\*", "../*", "*/*", "sub*"}) {
            QTest::newRow(("kill " + pattern).constData())
                << QByteArray("kill " + pattern + "\r\n");
        }
        QTest::newRow("kill everything, then write the program")
            << QByteArray("kill *\r\nopen " + self + "\r\nMZ\r\nclose\r\nopen x.pat\r\nx\r\n");
    }

    void hostileNames() {
        QFETCH(QByteArray, script);
        const QString message = Update(All(Answer(script)), QString::fromLatin1(script));
        // Completed, with the refused steps listed after it.
        QVERIFY2(message.startsWith(kCompleted), qPrintable(message));
        QCOMPARE(Untouchable(), untouchable_);
        QCOMPARE(ReadFile(AppFile(self_)), QByteArray("the program"));
    }

    // The same header or body for ever: the window stops at its size limit and closes the
    // connection, and nothing of it is run.
    void responseThatNeverEnds_data() {
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("header") << QByteArray("HTTP/1.0 200 OK\r\nX-Never-Ends: ");
        QTest::newRow("body") << QByteArray("HTTP/1.0 200 OK\r\n\r\nopen a.pat\r\n");
    }

    void responseThatNeverEnds() {
        QFETCH(QByteArray, start);
        const QByteArray before = AppState();
        const QString message = Update(Endless(start), QString::fromLatin1(start));
        QVERIFY2(message.startsWith(QStringLiteral("The update is larger than")),
                 qPrintable(message));
        QCOMPARE(AppState(), before);
    }

    // A response cut at every byte by the server closing the connection. With the length
    // announced, a cut one changes nothing at all; without, what arrived runs, and still nothing
    // outside the program folder changes.
    void responseCutAtEveryByte() {
        const QByteArray script =
            "open description\r\nCut.\r\nkill old.pat\r\nkill ../victim.pat\r\nopen new.pat\r\n"
            "patch:New\r\nparam:num|1\r\nlocation:AABB\r\nclose\r\nopen ../victim.pat\r\nx\r\n";
        const QByteArray announced = Answer(script);
        const QByteArray unannounced = "HTTP/1.0 200 OK\r\n\r\n" + script;
        const QByteArray before = AppState();
        for (const QByteArray& response : {announced, unannounced}) {
            for (qsizetype cut = 0; cut <= response.size(); ++cut) {
                ResetApp();
                const QString what = QStringLiteral("cut at %1").arg(cut);
                const QString message = Update(All(response.left(cut)), what);
                QVERIFY2(!message.isEmpty(), qPrintable(what));
                if (response == announced && cut < response.size()) {
                    QVERIFY2(!message.startsWith(kCompleted), qPrintable(what));
                    QVERIFY2(AppState() == before, qPrintable(what));
                }
            }
            QVERIFY(messages_.first().startsWith(kCompleted));
            QVERIFY(QFile::exists(AppFile(QStringLiteral("new.pat"))));
            QVERIFY(!QFile::exists(AppFile(QStringLiteral("old.pat"))));
        }
    }

    // A byte at a time, each batch its own event: the same update as all at once.
    void slowSender() {
        const QByteArray script =
            "open description\r\nSlow.\r\nopen new.pat\r\npatch:New\r\nclose\r\nkill ../*\r\n";
        const QString message = Update(ByteByByte(Answer(script)), QStringLiteral("slow"));
        QVERIFY2(message.startsWith(kCompleted), qPrintable(message));
        const QByteArray slow = AppState();
        ResetApp();
        QCOMPARE(Update(All(Answer(script)), QStringLiteral("fast")), message);
        QCOMPARE(AppState(), slow);
        QCOMPARE(owner_->window()->model().txtAbout(), "Slow.\r\n");
    }
};

QTEST_MAIN(UpdateHostileTest)
#include "update_hostile_test.moc"
