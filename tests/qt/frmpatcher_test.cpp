// The Qt window's contract: every control under its name, of its kind, with its text and
// visibility; no two visible controls on top of each other and none outside the window; and the
// clicks and keys of a user reaching the model. What the window does is tested on the model.

#include "qt/frmPatcher.h"

#include <QAbstractButton>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "qt/message_box.h"
#include "window_fixture.h"

using korrin::qt::frmPatcher;
using korrin::testing::Find;

namespace {

std::unique_ptr<frmPatcher> Open(const QString& folder) {
    auto window = std::make_unique<frmPatcher>(
        korrin::platform::ProgramFile{QFile::encodeName(folder).toStdString(), "korrin-patcher"});
    window->show();
    return window;
}

QString TextOf(const QWidget* control) {
    if (auto* label = qobject_cast<const QLabel*>(control)) return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(control)) return button->text();
    if (auto* line = qobject_cast<const QLineEdit*>(control)) return line->text();
    if (auto* frame = qobject_cast<const QGroupBox*>(control)) return frame->title();
    if (auto* notes = qobject_cast<const QPlainTextEdit*>(control)) {
        return notes->toPlainText().section(QLatin1Char('\n'), 0, 0);
    }
    return {};
}

// Where a control draws: a label only as far as its text reaches.
QRect Drawn(const QWidget* control) {
    QRect place = control->geometry();
    if (auto* label = qobject_cast<const QLabel*>(control); label && !label->wordWrap()) {
        if (!label->text().isEmpty()) {
            place.setWidth(
                std::min(place.width(), label->fontMetrics().horizontalAdvance(label->text())));
        }
    }
    return place;
}

}  // namespace

class FrmPatcherTest : public QObject {
    Q_OBJECT
    std::unique_ptr<korrin::testing::WindowFixture> fixture_;

  private slots:
    void init() {
        fixture_ = std::make_unique<korrin::testing::WindowFixture>();
        korrin::testing::WindowFixture::ClearSettings();
    }
    void cleanup() { fixture_.reset(); }

    void everyControlHasItsNameKindTextAndVisibility() {
        QTemporaryDir empty;
        const auto w = Open(empty.path() + QLatin1Char('/'));
        QCOMPARE(w->objectName(), QStringLiteral("frmPatcher"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Korrin Patcher 1.0"));
        QCOMPARE(w->size(), QSize(360, 273));
        QCOMPARE(w->minimumSize(), w->maximumSize());
        QVERIFY(!w->windowIcon().isNull());
        QFile table(QStringLiteral(KORRIN_TEST_DATA "/window_controls.txt"));
        QVERIFY(table.open(QIODevice::ReadOnly));
        int rows = 0;
        while (!table.atEnd()) {
            const QString line = QString::fromUtf8(table.readLine()).chopped(1);
            if (line.startsWith(QLatin1Char('#'))) continue;
            const QStringList c = line.split(QLatin1Char(';'));
            const auto matches = w->findChildren<QWidget*>(c[0]);
            QVERIFY2(matches.size() == 1, qPrintable(line));
            const QWidget* control = matches.first();
            QCOMPARE(QString::fromLatin1(control->metaObject()->className()), c[1]);
            QCOMPARE(control->parentWidget()->objectName(), c[2]);
            QCOMPARE(TextOf(control), c[3]);
            QCOMPARE(control->isVisibleTo(control->parentWidget()), c[4] == QLatin1String("1"));
            ++rows;
        }
        QCOMPARE(rows, 41);
    }

    void visibleControlsNeitherOverlapNorLeaveTheWindow() {
        const auto w = Open(QStringLiteral(KORRIN_TEST_DATA "/catalogues/three/"));
        for (short tab : {1, 0, 2}) {
            w->model().tabPick_Click(tab);
            for (const QWidget* parent : w->findChildren<QWidget*>()) {
                QList<const QWidget*> shown;
                for (const QObject* child : parent->children()) {
                    auto* control = qobject_cast<const QWidget*>(child);
                    if (control == nullptr || !control->isVisible() ||
                        parent->inherits("QAbstractScrollArea") || control->isWindow()) {
                        continue;
                    }
                    const QRect inWindow(control->mapTo(w.get(), QPoint()), control->size());
                    QVERIFY2(w->rect().contains(inWindow), qPrintable(control->objectName()));
                    for (const QWidget* other : shown) {
                        QVERIFY2(!Drawn(control).intersects(Drawn(other)),
                                 qPrintable(control->objectName() + QStringLiteral(" on ") +
                                            other->objectName()));
                    }
                    shown << control;
                }
            }
        }
    }

    void headersSwitchTabsAndExitEnds() {
        QTemporaryDir empty;
        const auto w = Open(empty.path() + QLatin1Char('/'));
        int ended = 0;
        korrin::qt::SetEndProgram([&] { ++ended; });
        QTest::mouseClick(Find<QLabel>(w.get(), "lblTab(0)"), Qt::LeftButton);
        QVERIFY(Find<QGroupBox>(w.get(), "tabForm(0)")->isVisible());
        QTest::mouseClick(Find<QLabel>(w.get(), "tabPick(2)"), Qt::LeftButton);
        QVERIFY(Find<QGroupBox>(w.get(), "tabForm(2)")->isVisible());
        QVERIFY(!Find<QGroupBox>(w.get(), "tabForm(0)")->isVisible());
        QTest::mouseClick(Find<QLabel>(w.get(), "tabPick(3)"), Qt::LeftButton);
        korrin::qt::SetEndProgram({});
        QCOMPARE(ended, 1);
    }

    void folderDialogCancelKeepsThePath() {
        QTemporaryDir empty;
        const auto w = Open(empty.path() + QLatin1Char('/'));
        auto* path = Find<QLineEdit>(w.get(), "txtDir");
        path->setText(QStringLiteral("/typed/by/hand"));
        korrin::qt::dirthing::SetBrowser([] { return QString(); });
        QTest::mouseClick(Find<QPushButton>(w.get(), "txtPickDIR"), Qt::LeftButton);
        QCOMPARE(path->text(), QStringLiteral("/typed/by/hand"));
        korrin::qt::dirthing::SetBrowser([] { return QStringLiteral("/opt/VP"); });
        QTest::mouseClick(Find<QPushButton>(w.get(), "txtPickDIR"), Qt::LeftButton);
        QCOMPARE(path->text(), QStringLiteral("/opt/VP/vplaces.exe"));
    }

    // Where a control cuts a title, a description or an option caption, its tooltip holds the
    // whole text; where the text shows whole, there is none.
    void cutTextsHaveTheirWholeTextAsTooltip() {
        QTemporaryDir dir;
        const QByteArray text(120, 'W');
        korrin::testing::WriteFile(dir.filePath(QStringLiteral("a.pat")),
                                   "patch:" + text + "\r\ndescription:" + text + "\r\nparam:yn|" +
                                       text + ":90|Off:E8\r\nlocation:AA\r\n");
        const auto w = Open(dir.path() + QLatin1Char('/'));
        const QString whole = QString::fromLatin1(text);
        QCOMPARE(Find<QListWidget>(w.get(), "lstPatch")->item(0)->toolTip(), whole);
        QCOMPARE(Find<QLabel>(w.get(), "lblDescription")->toolTip(), whole);
        QCOMPARE(Find<QWidget>(w.get(), "opOnOff(0)")->toolTip(), whole);
        QCOMPARE(Find<QWidget>(w.get(), "opOnOff(1)")->toolTip(), QString());
    }

    // The user's choices and typing reach Apply, and the path typed is there at the next start.
    void applyThroughTheWidgets() {
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        korrin::testing::WriteFile(folder + QStringLiteral("a.pat"),
                                   "patch:A\r\nparam:yn|On:90|Off:E8\r\nlocation:AA\r\n");
        korrin::testing::WriteFile(folder + QStringLiteral("vplaces.exe"), "\xAA\x01");
        const auto w = Open(folder);
        QTest::mouseClick(Find<QLabel>(w.get(), "lblTab(0)"), Qt::LeftButton);
        QTest::mouseClick(Find<QWidget>(w.get(), "opOnOff(1)"), Qt::LeftButton);
        auto* path = Find<QLineEdit>(w.get(), "txtDir");
        path->clear();
        QTest::keyClicks(path, folder + QStringLiteral("vplaces.exe"));
        QTest::mouseClick(Find<QPushButton>(w.get(), "cmdApply"), Qt::LeftButton);
        QCOMPARE(fixture_->messages, QStringList{QStringLiteral("Patch completed successfully")});
        QCOMPARE(korrin::testing::ReadFile(folder + QStringLiteral("vplaces.exe")),
                 QByteArray("\xAA\xE8"));

        // Ctrl+Z on the Patch tab takes it back, once the question is answered Yes.
        QStringList asked;
        korrin::qt::SetQuestionHandler([&asked](QWidget*, const QString& question) {
            asked << question;
            return true;
        });
        auto* list = Find<QListWidget>(w.get(), "lstPatch");
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
        korrin::qt::SetQuestionHandler({});
        QCOMPARE(asked.size(), 1);
        QCOMPARE(korrin::testing::ReadFile(folder + QStringLiteral("vplaces.exe")),
                 QByteArray("\xAA\x01"));
        QCOMPARE(Find<QLineEdit>(Open(folder).get(), "txtDir")->text(),
                 folder + QStringLiteral("vplaces.exe"));
    }
};

QTEST_MAIN(FrmPatcherTest)
#include "frmpatcher_test.moc"
