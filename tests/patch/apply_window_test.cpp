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
#include "apply_table.h"
#include "window_fixture.h"

using korrin::frmPatcher;
using korrin::testing::ReadFile;
using korrin::testing::WriteFile;

namespace {

const QString kMissing =
    QStringLiteral(" does not exist. Please verify the path is right in the 'Find' tab");
const QString kIncomplete =
    QStringLiteral("This patch cannot be applied because its definition is incomplete: ");

QByteArray Hex(const char* hex) {
    return QByteArray::fromHex(hex);
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

    // The table that korrin-patch runs too: the same definition, target and value must give
    // the same message and bytes through the window.
    void applyMatchesTheSharedTable_data() {
        QTest::addColumn<int>("index");
        const auto cases = korrin::testing::ReadApplyTable(KORRIN_TEST_DATA "/apply_table.txt");
        QVERIFY(cases.size() > 20);
        for (std::size_t i = 0; i < cases.size(); ++i) {
            QTest::newRow(cases[i].name.c_str()) << static_cast<int>(i);
        }
    }

    void applyMatchesTheSharedTable() {
        QFETCH(int, index);
        const korrin::testing::ApplyCase c = korrin::testing::ReadApplyTable(
            KORRIN_TEST_DATA "/apply_table.txt")[static_cast<std::size_t>(index)];
        QTemporaryDir folder;
        const QString program = folder.path() + QStringLiteral("/");
        WriteFile(program + QStringLiteral("case.pat"), QByteArray::fromStdString(c.definition));
        const QString target = program + QStringLiteral("vplaces.exe");
        if (c.target) WriteFile(target, QByteArray::fromStdString(*c.target));

        frmPatcher w(program);
        w.tabPick_Click(0);
        if (c.option) {
            QRadioButton* option = w.opOnOff[static_cast<std::size_t>(*c.option - 1)];
            QTest::mouseClick(option, Qt::LeftButton);
            QVERIFY(option->isChecked());
        }
        if (c.value) w.txtValue->setText(QString::fromStdString(*c.value));
        w.txtDir->setText(target);
        QTest::mouseClick(w.cmdApply, Qt::LeftButton);

        QCOMPARE(fixture_->messages, QStringList{QFile::decodeName(QByteArray::fromStdString(
                                         c.MessageFor(QFile::encodeName(target).toStdString())))});
        if (c.target) {
            QCOMPARE(ReadFile(target).toHex(' '),
                     QByteArray::fromStdString(c.Expected()).toHex(' '));
        } else {
            QVERIFY(!QFile::exists(target));
        }
        // Nothing else appeared beside the target: no temporary file was left behind.
        QCOMPARE(QDir(program).entryList(QDir::Files | QDir::Hidden).size(), c.target ? 2 : 1);
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
