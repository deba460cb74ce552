// Apply end to end through the window: a definition file in the program folder, a target file,
// the user's choice on the Patch tab, a click on Apply, the message and the bytes on disk.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "app/frmPatcher.h"
#include "window_fixture.h"

using korrin::frmPatcher;

namespace {

const QString kMissing =
    QStringLiteral(" does not exist. Please verify the path is right in the 'Find' tab");
const QString kFailed = QStringLiteral(
    "Patch failed. This may be because the VP build you are trying to patch does not allow this "
    "patch");
const QString kDone = QStringLiteral("Patch completed successfully");
const QString kIncomplete =
    QStringLiteral("This patch cannot be applied because its definition is incomplete: ");

QByteArray Hex(const char* hex) {
    return QByteArray::fromHex(hex);
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

}  // namespace

class ApplyWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<korrin::testing::WindowFixture> fixture_;

  private slots:
    void init() {
        fixture_ = std::make_unique<korrin::testing::WindowFixture>();
        korrin::testing::WindowFixture::ClearSettings();
    }
    void cleanup() { fixture_.reset(); }

    void applyWritesTheBytesAndSaysHowItWent_data() {
        QTest::addColumn<QByteArray>("param");
        QTest::addColumn<QByteArray>("location");
        QTest::addColumn<int>("option");  // 0 or 1 for a "yn" patch; -1 types value instead
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QString>("message");
        auto row = [](const char* name, const char* param, const char* location, int option,
                      const QString& value, const char* before, const char* after,
                      const QString& message) {
            QTest::newRow(name) << QByteArray(param) << QByteArray(location) << option << value
                                << Hex(before) << Hex(after) << message;
        };
        const QString none;
        row("yn first option", "yn|On:9090|Off:E841", "0F8C51", 0, none, "110F8C51AAAA22",
            "110F8C51909022", kDone);
        row("yn second option", "yn|On:9090|Off:E841", "0F8C51", 1, none, "110F8C51AAAA22",
            "110F8C51E84122", kDone);
        row("num after each signature", "num|0", "AA,BB", -1, QStringLiteral("1000"),
            "AA0000BB0000", "AAE803BBE803", kDone);
        row("num fraction rounds to even", "num|0", "AA", -1, QStringLiteral("300.5"), "AA0000",
            "AA2C01", kDone);
        row("num above 65535", "num|0", "AA", -1, QStringLiteral("65536"), "AA1111", "AA00FF",
            kDone);
        row("num with no two-byte form", "num|0", "AA", -1, QStringLiteral("255.2"), "AA1111",
            "AA1111", kFailed);
        row("text", "text|x", "AA", -1, QStringLiteral("abc"), "AA000000", "AA616263", kDone);
        row("text outside the code page", "text|x", "AA", -1, QStringLiteral("a\u20AC\U0001F600"),
            "AA000000", "AA613F3F", kDone);
        row("text written past the end is dropped", "text|x", "AA", -1, QStringLiteral("abcdef"),
            "00AA0000", "00AA6162", kDone);
        row("first occurrence only", "yn|On:FF|Off:00", "2233", 0, none, "223300223300",
            "2233FF223300", kDone);
        row("later signature matches bytes an earlier one wrote", "yn|On:BBDD,EE|Off:00,00",
            "AA,BBDD", 0, none, "00AA000000", "00AABBDDEE", kDone);
        row("and-mode missing signature writes nothing", "yn|On:90,90|Off:00,00", "AA,CC", 0, none,
            "AA00BB00", "AA00BB00", kFailed);
        row("or-mode second alternative", "yn|On:90,91|Off:00,00", "or|CC,BB", 0, none, "AA00BB00",
            "AA00BB91", kDone);
        row("or-mode both alternatives", "yn|On:90,91|Off:00,00", "or|AA,BB", 0, none, "AA00BB00",
            "AA90BB91", kDone);
        row("or-mode none found", "yn|On:90,91|Off:00,00", "or|CC,DD", 0, none, "AA00BB00",
            "AA00BB00", kFailed);
        row("upper-case OR is and-mode", "yn|On:90|Off:00", "OR|AA", 0, none, "AA00", "AA00",
            kFailed);
        row("kind none of the three", "other|x", "AA", -1, none, "AA00", "AA00", kFailed);
        row("option list shorter than the signatures", "yn|On:90|Off:00", "AA,BB", 0, none,
            "AA00BB00", "AA00BB00", kFailed);
        row("signature of lower-case digits", "yn|On:90|Off:00", "aa", 0, none, "AA00", "AA00",
            kFailed);
    }

    void applyWritesTheBytesAndSaysHowItWent() {
        QFETCH(QByteArray, param);
        QFETCH(QByteArray, location);
        QFETCH(int, option);
        QFETCH(QString, value);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(QString, message);

        QTemporaryDir folder;
        const QString program = folder.path() + QStringLiteral("/");
        WriteFile(program + QStringLiteral("case.pat"),
                  "patch:Case\r\nparam:" + param + "\r\nlocation:" + location + "\r\n");
        const QString target = program + QStringLiteral("vplaces.exe");
        WriteFile(target, before);

        frmPatcher w(program);
        w.txtDir->setText(target);
        w.tabPick_Click(0);
        if (option >= 0) {
            QTest::mouseClick(w.opOnOff[option], Qt::LeftButton);
            QVERIFY(w.opOnOff[option]->isChecked());
        } else if (!value.isNull()) {
            w.txtValue->setText(value);
        }
        QTest::mouseClick(w.cmdApply, Qt::LeftButton);

        QCOMPARE(fixture_->messages, QStringList{message});
        QCOMPARE(ReadFile(target).toHex(), after.toHex());
        QCOMPARE(QDir(program).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    void applyRefusesWhatItCannotDo_data() {
        QTest::addColumn<QByteArray>("definition");
        QTest::addColumn<QString>("targetName");
        QTest::addColumn<QString>("messageStart");
        QTest::newRow("target missing")
            << QByteArray("patch:A\r\nparam:yn|On:90|Off:00\r\nlocation:AA\r\n")
            << QStringLiteral("gone.exe") << QStringLiteral("%1gone.exe") + kMissing;
        QTest::newRow("target names a folder")
            << QByteArray("patch:A\r\nparam:yn|On:90|Off:00\r\nlocation:AA\r\n")
            << QStringLiteral("sub") << QStringLiteral("%1sub") + kMissing;
        QTest::newRow("no location line") << QByteArray("patch:A\r\nparam:yn|On:90|Off:00\r\n")
                                          << QStringLiteral("vplaces.exe") << kIncomplete;
        QTest::newRow("no param line") << QByteArray("patch:A\r\nlocation:AA\r\n")
                                       << QStringLiteral("vplaces.exe") << kIncomplete;
        QTest::newRow("empty catalogue") << QByteArray() << QStringLiteral("vplaces.exe")
                                         << QStringLiteral("No patch is selected.");
    }

    void applyRefusesWhatItCannotDo() {
        QFETCH(QByteArray, definition);
        QFETCH(QString, targetName);
        QFETCH(QString, messageStart);
        QTemporaryDir folder;
        const QString program = folder.path() + QStringLiteral("/");
        if (!definition.isEmpty()) WriteFile(program + QStringLiteral("a.pat"), definition);
        WriteFile(program + QStringLiteral("vplaces.exe"), Hex("AA00"));
        QVERIFY(QDir(program).mkdir(QStringLiteral("sub")));

        frmPatcher w(program);
        w.txtDir->setText(program + targetName);
        QTest::mouseClick(w.cmdApply, Qt::LeftButton);
        QCOMPARE(fixture_->messages.size(), 1);
        QVERIFY2(fixture_->messages[0].startsWith(
                     QString(messageStart).replace(QStringLiteral("%1"), program)),
                 qPrintable(fixture_->messages[0]));
        QCOMPARE(ReadFile(program + QStringLiteral("vplaces.exe")), Hex("AA00"));
    }

    void runningTargetIsReportedOpenAndLeftAlone() {
        QTemporaryDir folder;
        const QString program = folder.path() + QStringLiteral("/");
        const QString target = program + QStringLiteral("vplaces.exe");
        QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), target));
        // The ELF magic number is the signature; the byte after it is the file's class.
        WriteFile(program + QStringLiteral("a.pat"),
                  "patch:A\r\nparam:yn|On:09|Off:09\r\nlocation:7F454C46\r\n");
        const QByteArray before = ReadFile(target);

        const pid_t child = fork();
        if (child == 0) {
            execl(target.toLocal8Bit().constData(), "vplaces.exe", "30",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        QTest::qWait(200);  // let the kernel map the file as a running program
        frmPatcher w(program);
        w.txtDir->setText(target);
        QTest::mouseClick(w.cmdApply, Qt::LeftButton);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);

        QCOMPARE(
            fixture_->messages,
            QStringList{QStringLiteral(
                "You currently have VPLACES.EXE open. Please close it and try patching again")});
        QVERIFY(ReadFile(target) == before);
        QCOMPARE(QDir(program).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }
};

QTEST_MAIN(ApplyWindowTest)
#include "apply_window_test.moc"
