// The window as a user meets it: its controls, its tabs, start-up on real definition files, the
// selection view and the two settings.

#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "app/frmPatcher.h"
#include "window_fixture.h"

using korrin::frmPatcher;

namespace {

const QString kData = QStringLiteral(KORRIN_TEST_DATA);
const QString kDefinitions = kData + QStringLiteral("/definitions/");
const QString kThree = kData + QStringLiteral("/catalogues/three/");

QString Title(const QListWidgetItem* item) {
    return item->text().section(QString(100, QLatin1Char(' ')), 0, 0);
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<korrin::testing::WindowFixture> fixture_;

    std::unique_ptr<frmPatcher> Open(const QString& folder) {
        auto window = std::make_unique<frmPatcher>(folder);
        window->show();
        return window;
    }

    // Selects the entry with this title, as a user's click does.
    static void Select(frmPatcher& w, const QString& title) {
        for (int row = 0; row < w.lstPatch->count(); ++row) {
            if (Title(w.lstPatch->item(row)) == title) {
                w.lstPatch->setCurrentRow(row);
                return;
            }
        }
        QFAIL(qPrintable(QStringLiteral("no entry titled ") + title));
    }

  private slots:
    void init() {
        fixture_ = std::make_unique<korrin::testing::WindowFixture>();
        korrin::testing::WindowFixture::ClearSettings();
    }
    void cleanup() { fixture_.reset(); }

    void controlsHaveTheirNamesTextsPlacesAndVisibility_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("container");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QRect>("place");
        auto row = [](const char* name, const char* container, const char* text, bool shown,
                      QRect place) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(container)
                                << QString::fromLatin1(text) << shown << place;
        };
        row("Picture1", "frmPatcher", "", true, {9, 17, 88, 247});
        row("tabPick(1)", "Picture1", "", true, {23, 5, 32, 32});
        row("lblTab(1)", "Picture1", "Find it!", true, {11, 39, 64, 13});
        row("tabPick(0)", "Picture1", "", true, {22, 65, 32, 32});
        row("lblTab(0)", "Picture1", "Patch it!", true, {10, 99, 64, 13});
        row("tabPick(2)", "Picture1", "", true, {22, 126, 32, 32});
        row("lblTab(2)", "Picture1", "Updates", true, {10, 160, 64, 13});
        row("tabPick(3)", "Picture1", "", true, {23, 184, 32, 32});
        row("lblTab(3)", "Picture1", "Exit", true, {11, 219, 64, 13});
        row("tabForm(2)", "frmPatcher", "Update from the internet", false, {105, 11, 247, 253});
        row("Command1", "tabForm(2)", "Update", true, {192, 55, 45, 18});
        row("txtAbout", "tabForm(2)", "", true, {10, 93, 227, 149});
        row("pertotal", "tabForm(2)", "", true, {10, 55, 175, 17});
        row("perDone", "pertotal", "", true, {0, 0, 8, 14});
        row("txtUpdateUrl", "tabForm(2)", "korrin.example.net/patch/", true, {96, 16, 142, 20});
        row("lbl(0)", "tabForm(2)", "Update address:", true, {9, 19, 84, 14});
        row("tabForm(1)", "frmPatcher", "Let's get started!", true, {105, 11, 247, 253});
        row("Picture2", "tabForm(1)", "", true, {12, 20, 223, 176});
        row("txtPickDIR", "tabForm(1)", "", true, {210, 221, 24, 20});
        row("txtDir", "tabForm(1)", "C:\\", true, {10, 221, 193, 20});
        row("Label1", "tabForm(1)", "Location of the VP executable:", true, {10, 202, 156, 14});
        row("tabForm(0)", "frmPatcher", "Patch", false, {105, 11, 247, 253});
        row("lstPatch", "tabForm(0)", "", true, {55, 16, 180, 69});
        row("cmdApply", "tabForm(0)", "Apply", true, {181, 222, 55, 21});
        row("txtValue", "tabForm(0)", "Patch value", true, {52, 182, 182, 19});
        row("opOnOff(0)", "tabForm(0)", "On", true, {73, 183, 74, 19});
        row("opOnOff(1)", "tabForm(0)", "Off", true, {165, 183, 74, 19});
        row("lbl(4)", "tabForm(0)", "Name:", true, {13, 19, 34, 13});
        row("lbl(3)", "tabForm(0)", "Value:", true, {12, 184, 34, 13});
        row("lblDescription", "tabForm(0)",
            "This is a little note about the patch, what it does, how it works, and what its "
            "value coresponds to.",
            true, {55, 110, 178, 53});
        row("lbl(2)", "tabForm(0)", "Info:", true, {12, 110, 57, 13});
        row("lblBuild", "tabForm(0)", "Buildnumber", false, {74, 104, 167, 15});
        row("lbl(1)", "tabForm(0)", "Build:", false, {12, 104, 34, 13});
        row("ThreeD(0)", "tabForm(0)", "", true, {1, 95, 244, 1});
        row("ThreeD(1)", "tabForm(0)", "", true, {-2, 96, 246, 1});
        row("ThreeD(2)", "tabForm(0)", "", true, {1, 210, 244, 1});
        row("ThreeD(3)", "tabForm(0)", "", true, {-2, 211, 246, 1});
        row("ThreeD(4)", "tabForm(2)", "", true, {-1, 44, 246, 1});
        row("ThreeD(5)", "tabForm(2)", "", true, {2, 43, 244, 1});
        row("ThreeD(6)", "tabForm(2)", "", true, {1, 81, 244, 1});
        row("ThreeD(7)", "tabForm(2)", "", true, {0, 82, 246, 1});
    }

    void controlsHaveTheirNamesTextsPlacesAndVisibility() {
        QFETCH(QString, name);
        QFETCH(QString, container);
        QFETCH(QString, text);
        QFETCH(bool, shown);
        QFETCH(QRect, place);
        // An empty folder: no entry is selected, so every control keeps its layout state.
        QTemporaryDir empty;
        const auto w = Open(empty.path() + QLatin1Char('/'));
        const auto matches = w->findChildren<QWidget*>(name);
        QCOMPARE(matches.size(), 1);
        QWidget* control = matches.first();
        QCOMPARE(control->parentWidget()->objectName(), container);
        QCOMPARE(control->isVisibleTo(control->parentWidget()), shown);
        QCOMPARE(control->geometry(), place);
        QString actual;
        if (auto* label = qobject_cast<QLabel*>(control)) actual = label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(control)) actual = button->text();
        if (auto* line = qobject_cast<QLineEdit*>(control)) actual = line->text();
        if (auto* frame = qobject_cast<QGroupBox*>(control)) actual = frame->title();
        QCOMPARE(actual, text);
    }

    void windowHasItsCaptionSizeAndWelcomeText() {
        QTemporaryDir empty;
        const auto w = Open(empty.path() + QLatin1Char('/'));
        QCOMPARE(w->objectName(), QStringLiteral("frmPatcher"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Korrin Patcher 1.0"));
        QCOMPARE(w->size(), QSize(360, 273));
        QCOMPARE(w->minimumSize(), w->maximumSize());
        QVERIFY(!(w->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(w->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!w->windowIcon().isNull());
        QCOMPARE(w->pertotal->width() * frmPatcher::kTwipsPerPixel, 2625);
        QCOMPARE(w->perDone->width() * frmPatcher::kTwipsPerPixel, 120);
        const QString about = w->aboutText();
        QVERIFY(about.startsWith(QStringLiteral("Welcome to the update centre. This part \r\n")));
        QVERIFY(
            about.endsWith(QStringLiteral("auto-update unless they do something\r\n"
                                          "that is unique, and functional.\r\n")));
        QCOMPARE(about.count(QStringLiteral("\r\n")), 10);
        QVERIFY(about.contains(QStringLiteral("members.\r\n\r\nWhile")));
        for (QRadioButton* option : w->opOnOff) QVERIFY(option->font().bold());
        QCOMPARE(w->opOnOff[0]->y(), w->opOnOff[1]->y());
    }

    void headersSwitchTabs_data() {
        QTest::addColumn<bool>("useCaption");
        QTest::newRow("icon") << false;
        QTest::newRow("caption") << true;
    }

    void headersSwitchTabs() {
        QFETCH(bool, useCaption);
        QTemporaryDir empty;
        const auto w = Open(empty.path() + QLatin1Char('/'));
        const auto& headers = useCaption ? w->lblTab : w->tabPick;
        auto shown = [&] {
            QStringList titles;
            for (QGroupBox* frame : w->tabForm) {
                if (frame->isVisible()) titles << frame->title();
            }
            return titles;
        };
        QCOMPARE(shown(), QStringList{QStringLiteral("Let's get started!")});
        QTest::mouseClick(headers[0], Qt::LeftButton);
        QCOMPARE(shown(), QStringList{QStringLiteral("Patch")});
        QTest::mouseClick(headers[0], Qt::LeftButton);
        QCOMPARE(shown(), QStringList{QStringLiteral("Patch")});
        QTest::mouseClick(headers[2], Qt::LeftButton);
        QCOMPARE(shown(), QStringList{QStringLiteral("Update from the internet")});
        QTest::mouseClick(headers[1], Qt::LeftButton);
        QCOMPARE(shown(), QStringList{QStringLiteral("Let's get started!")});
        // The strip holds the headers from top to bottom as Find, Patch, Updates, Exit.
        QVERIFY(headers[1]->y() < headers[0]->y());
        QVERIFY(headers[0]->y() < headers[2]->y());
        QVERIFY(headers[2]->y() < headers[3]->y());
    }

    void exitEndsTheProgramAtOnce() {
        QTemporaryDir empty;
        const auto w = Open(empty.path() + QLatin1Char('/'));
        int ended = 0;
        korrin::SetEndProgram([&] { ++ended; });
        QTest::mouseClick(w->lblTab[3], Qt::LeftButton);
        korrin::SetEndProgram({});
        QCOMPARE(ended, 1);
        for (QGroupBox* frame : w->tabForm) QVERIFY(!frame->isVisible());
        QVERIFY(fixture_->messages.isEmpty());
    }

    void startUpListsEveryPatchLineAndSelectsTheFirst() {
        const auto w = Open(kThree);
        QCOMPARE(w->lstPatch->count(), 3);
        QCOMPARE(w->lstPatch->item(0)->text(), QStringLiteral("Fast start") +
                                                   QString(100, QLatin1Char(' ')) +
                                                   QStringLiteral("a_fast_start.pat"));
        QCOMPARE(Title(w->lstPatch->item(1)), QStringLiteral("Line length"));
        QCOMPARE(Title(w->lstPatch->item(2)), QStringLiteral("Title text"));
        QCOMPARE(w->lstPatch->currentRow(), 0);
        QCOMPARE(w->lblDescription->text(), QStringLiteral("Skips the intro."));
        QCOMPARE(w->opOnOff[0]->text(), QStringLiteral("Skip"));
        QCOMPARE(w->opOnOff[1]->text(), QStringLiteral("Keep"));
        QVERIFY(w->opOnOff[0]->isChecked());
        QVERIFY(!w->txtValue->isVisibleTo(w->tabForm[0]));
        QCOMPARE(w->valueKind, std::string("yn"));
        QCOMPARE(w->onBytes, std::string("EB"));
        QCOMPARE(w->offBytes, std::string("74"));
        QCOMPARE(w->locationList, std::string("833D4C8B5A0000"));
        QVERIFY(w->definitionProblems.empty());
        // The titles are in view; the file names lie beyond the list's right edge.
        QCOMPARE(w->lstPatch->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(w->lstPatch->textElideMode(), Qt::ElideNone);
    }

    void selectionShowsEachKind_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("description");
        QTest::addColumn<bool>("options");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("on");
        QTest::addColumn<QString>("off");
        QTest::addColumn<QString>("locations");
        QTest::addColumn<bool>("complete");
        auto row = [](const char* title, const char* description, bool options, const char* value,
                      const char* kind, const char* on, const char* off, const char* locations,
                      bool complete) {
            QTest::newRow(title) << QString::fromLatin1(title) << QString::fromLatin1(description)
                                 << options << QString::fromLatin1(value)
                                 << QString::fromLatin1(kind) << QString::fromLatin1(on)
                                 << QString::fromLatin1(off) << QString::fromLatin1(locations)
                                 << complete;
        };
        row("Yes or no", "Two options.", true, "", "yn", "9090", "E841", "0F8C510100003D", true);
        row("Number", "A number.", false, "1000", "num", "", "", "AABB", true);
        row("Text", "A text.", false, "abc", "text", "", "", "or|AABB,CCDD", true);
        row("Other kind", "Kind none of the three.", false, "", "other", "", "", "AABB", true);
        row("Yn then num", "Two param lines.", false, "5", "num", "01", "02", "AABB", true);
        row("No param", "Missing param.", false, "", "", "", "", "AABB", false);
        row("No location", "Missing location.", true, "", "yn", "01", "02", "", false);
        row("One option", "Yn with one option.", true, "", "yn", "01", "", "AABB", false);
        row("Twice two", "Two entries, one file.", false, "t", "text", "", "", "AABB", true);
    }

    void selectionShowsEachKind() {
        QFETCH(QString, title);
        QFETCH(QString, description);
        QFETCH(bool, options);
        QFETCH(QString, value);
        QFETCH(QString, kind);
        QFETCH(QString, on);
        QFETCH(QString, off);
        QFETCH(QString, locations);
        QFETCH(bool, complete);
        const auto w = Open(kDefinitions);
        // Come from a complete definition of another kind, so that nothing may be left over.
        Select(*w, QStringLiteral("Yes or no"));
        Select(*w, QStringLiteral("Number"));
        Select(*w, title);
        QCOMPARE(w->lblDescription->text(), description);
        QWidget* tab = w->tabForm[0];
        if (!value.isEmpty()) QCOMPARE(w->txtValue->text(), value);
        if (title != QLatin1String("No param")) {
            QCOMPARE(w->opOnOff[0]->isVisibleTo(tab), options);
            QCOMPARE(w->opOnOff[1]->isVisibleTo(tab), options);
            QCOMPARE(w->txtValue->isVisibleTo(tab), !options);
        }
        if (options) QVERIFY(w->opOnOff[0]->isChecked() && !w->opOnOff[1]->isChecked());
        QCOMPARE(QString::fromStdString(w->valueKind), kind);
        QCOMPARE(QString::fromStdString(w->onBytes), on);
        QCOMPARE(QString::fromStdString(w->offBytes), off);
        QCOMPARE(QString::fromStdString(w->locationList), locations);
        QCOMPARE(w->definitionProblems.empty(), complete);
        QVERIFY(fixture_->messages.isEmpty());
    }

    void selectionPutsDefaultsBackAndKeepsWhatTheFileDoesNotSet() {
        const auto w = Open(kDefinitions);
        Select(*w, QStringLiteral("Yes or no"));
        w->opOnOff[1]->setChecked(true);
        Select(*w, QStringLiteral("Number"));
        w->txtValue->setText(QStringLiteral("77"));
        Select(*w, QStringLiteral("Yes or no"));
        QVERIFY(w->opOnOff[0]->isChecked());
        Select(*w, QStringLiteral("Number"));
        QCOMPARE(w->txtValue->text(), QStringLiteral("1000"));

        // A "text" value typed, then a "yn" patch: the hidden box keeps it, and a kind that is
        // none of the three shows it again.
        Select(*w, QStringLiteral("Text"));
        w->txtValue->setText(QStringLiteral("typed"));
        Select(*w, QStringLiteral("Yes or no"));
        Select(*w, QStringLiteral("Other kind"));
        QVERIFY(w->txtValue->isVisibleTo(w->tabForm[0]));
        QCOMPARE(w->txtValue->text(), QStringLiteral("typed"));

        // No description line: the previous description stays.
        Select(*w, QStringLiteral("No description"));
        QCOMPARE(w->lblDescription->text(), QStringLiteral("Kind none of the three."));
        QCOMPARE(w->txtValue->text(), QStringLiteral("kept"));
    }

    void brokenFilesNeverLeaveAnEarlierDefinitionForApply() {
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        QVERIFY(QFile::copy(kDefinitions + QStringLiteral("yn_two_options.pat"),
                            folder + QStringLiteral("a.pat")));
        QVERIFY(QFile::copy(kDefinitions + QStringLiteral("num_default_1000.pat"),
                            folder + QStringLiteral("b.pat")));
        {
            QFile blank(folder + QStringLiteral("c.pat"));
            QVERIFY(blank.open(QIODevice::WriteOnly));
            blank.write("patch:Ends in a blank \r\nparam:text|x\r\nlocation:AA\r\n");
        }
        const auto w = Open(folder);
        QCOMPARE(w->lstPatch->count(), 3);
        QVERIFY(QFile::remove(folder + QStringLiteral("b.pat")));

        // Removed since start-up.
        w->lstPatch->setCurrentRow(1);
        QVERIFY(!w->definitionProblems.empty());
        QVERIFY(w->valueKind.empty() && w->onBytes.empty() && w->locationList.empty());
        // A title ending in a blank points the entry at a name that is not there.
        w->lstPatch->setCurrentRow(0);
        w->lstPatch->setCurrentRow(2);
        QVERIFY(!w->definitionProblems.empty());
        QVERIFY(w->valueKind.empty() && w->onBytes.empty() && w->locationList.empty());
        QVERIFY(fixture_->messages.isEmpty());
    }

    void lineFeedOnlyFileIsOneLine() {
        const auto w = Open(kDefinitions);
        QCOMPARE(Title(w->lstPatch->item(0)),
                 QStringLiteral("LF only\ndescription:never seen\nparam:num|1\nlocation:AABB\n"));
        QCOMPARE(w->lstPatch->currentRow(), 0);
        QVERIFY(!w->definitionProblems.empty());
        QVERIFY(w->lblDescription->text().startsWith(QStringLiteral("This is a little note")));
    }

    void settingsAreWrittenOnChangeAndRestoredAtTheNextStart() {
        QTemporaryDir empty;
        const QString folder = empty.path() + QLatin1Char('/');
        const QSettings store(QStringLiteral("Norvane"), QStringLiteral("Patcher"));
        {
            const auto w = Open(folder);
            QCOMPARE(w->txtDir->text(), QStringLiteral("C:\\"));
            QVERIFY(!store.contains(QStringLiteral("Path")));
            w->txtDir->clear();
            QTest::keyClicks(w->txtDir, QStringLiteral("/opt/vp/vplaces.exe"));
            QCOMPARE(QSettings(QStringLiteral("Norvane"), QStringLiteral("Patcher"))
                         .value(QStringLiteral("Path"))
                         .toString(),
                     QStringLiteral("/opt/vp/vplaces.exe"));
            w->txtUpdateUrl->clear();
        }
        const auto again = Open(folder);
        QCOMPARE(again->txtDir->text(), QStringLiteral("/opt/vp/vplaces.exe"));
        // An emptied address is stored as empty and comes back empty, not as the default.
        QCOMPARE(again->txtUpdateUrl->text(), QString());
        QSettings(QStringLiteral("Norvane"), QStringLiteral("Patcher"))
            .remove(QStringLiteral("URL"));
        const auto third = Open(folder);
        QCOMPARE(third->txtUpdateUrl->text(), QStringLiteral("korrin.example.net/patch/"));
    }

    void folderButtonComposesTheTargetPath_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("path");
        QTest::newRow("folder") << QStringLiteral("/opt/VP")
                                << QStringLiteral("/opt/VP/vplaces.exe");
        QTest::newRow("root") << QStringLiteral("/") << QStringLiteral("/vplaces.exe");
        QTest::newRow("trailing separator")
            << QStringLiteral("/opt/VP/") << QStringLiteral("/opt/VP/vplaces.exe");
        QTest::newRow("blank in name") << QStringLiteral("/home/me/Program Files/VP")
                                       << QStringLiteral("/home/me/Program Files/VP/vplaces.exe");
        QTest::newRow("cancelled") << QString() << QStringLiteral("/typed/by/hand");
    }

    void folderButtonComposesTheTargetPath() {
        QFETCH(QString, chosen);
        QFETCH(QString, path);
        QTemporaryDir empty;
        const auto w = Open(empty.path() + QLatin1Char('/'));
        w->txtDir->setText(QStringLiteral("/typed/by/hand"));
        korrin::dirthing::SetBrowser([chosen] { return chosen; });
        QTest::mouseClick(w->txtPickDIR, Qt::LeftButton);
        QCOMPARE(w->txtDir->text(), path);
        QCOMPARE(QSettings(QStringLiteral("Norvane"), QStringLiteral("Patcher"))
                     .value(QStringLiteral("Path"))
                     .toString(),
                 path);
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
