#pragma once

// The tool's one window: a strip of four tab headers on the left and three frames stacked on the
// right, one per tab. Every control is a member under its own name and carries that name (with
// its index, for control arrays) as its objectName.

#include <QFrame>
#include <QLabel>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "update/reception.h"

class QGroupBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace korrin {

namespace platform {
class sckHTTP;
}

// The folder of the running executable with exactly one separator at its end.
QString AppFolder();

// A label that reports a click, for the tab headers' icons and captions.
class ClickableLabel : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;
  signals:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class frmPatcher : public QWidget {
    Q_OBJECT
  public:
    // programFolder holds the definition files; it ends in a separator. Loading the window runs
    // start-up: the catalogue is read and the two settings restored.
    explicit frmPatcher(QString programFolder = AppFolder(), QWidget* parent = nullptr);
    ~frmPatcher() override;

    // The controls, in the order the window holds them.
    QFrame* Picture1;
    std::array<ClickableLabel*, 4> tabPick;
    std::array<ClickableLabel*, 4> lblTab;
    std::array<QGroupBox*, 3> tabForm;
    QPushButton* Command1;
    QPlainTextEdit* txtAbout;
    QFrame* pertotal;
    QFrame* perDone;
    QLineEdit* txtUpdateUrl;
    std::array<QFrame*, 8> ThreeD;
    std::array<QLabel*, 5> lbl;
    QLabel* Picture2;
    QPushButton* txtPickDIR;
    QLineEdit* txtDir;
    QLabel* Label1;
    QListWidget* lstPatch;
    QPushButton* cmdApply;
    QLineEdit* txtValue;
    std::array<QRadioButton*, 2> opOnOff;
    QLabel* lblDescription;
    QLabel* lblBuild;

    // What the selection view stored for Apply. Each selection starts them afresh, so a broken
    // definition can never leave Apply with the kind, bytes or signatures of an earlier one.
    std::string valueKind;
    std::string onBytes;
    std::string offBytes;
    std::string locationList;
    // Why the selected definition cannot be applied; empty when it is complete.
    std::vector<std::string> definitionProblems;
    bool definitionSelected = false;

    const QString& programFolder() const { return programFolder_; }

    // The handlers, named after control and event.
    void tabPick_Click(short Index);
    void lblTab_Click(short Index);
    void Form_Load();
    void txtDir_Change();
    void txtUpdateUrl_Change();
    void lstPatch_Click();
    void txtPickDIR_Click();

    // Apply, in src/patch/.
    void cmdApply_Click();

    // The online update, in src/update/.
    platform::sckHTTP* sckHTTP = nullptr;
    update::Reception reception;  // receiveBuffer and contentLength of the current connection
    std::string updatePath;
    void Command1_Click();
    void sckHTTP_Connect();
    void sckHTTP_DataArrival(qint64 bytesTotal);
    void sckHTTP_Close();
    void sckHTTP_Error(const QString& reason);

  signals:
    // An update has completed and the user has seen so: the window is to be unloaded and
    // loaded again, with description in txtAbout. Its owner does that, since a window cannot
    // delete itself from inside its own socket's events.
    void reloadRequested(const QString& description);

  public:
    // The text of txtAbout with CR LF line ends, as the update script writes it.
    QString aboutText() const;
    void setAboutText(const QString& text);

    // Width in twips (15 to the pixel), the unit in which the progress bar is computed.
    static constexpr int kTwipsPerPixel = 15;

  private:
    void BuildControls();
    void BuildUpdateConnection();
    QString programFolder_;
    bool updateConnected_ = false;  // the current update's connection came up
};

// Ends the whole program at once. Tests replace it to observe the Exit header.
void EndProgram();
void SetEndProgram(std::function<void()> end);

}  // namespace korrin
