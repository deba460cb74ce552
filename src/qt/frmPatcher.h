#pragma once

// The tool's one window on Qt: a strip of four tab headers on the left and three frames stacked
// on the right, one per tab. It draws what the window model tells it and forwards every click,
// keystroke and socket event to the model's handler; it decides nothing itself. Every control
// carries its given name (with its index, for control arrays) as its objectName.

#include <QLabel>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "platform/program_file.h"
#include "qt/settings_store.h"
#include "window/view.h"
#include "window/window_model.h"

class QAction;
class QAction;
class QFrame;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QMenu;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace korrin::qt {

class sckHTTP;

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

class frmPatcher : public QWidget, private window::View {
    Q_OBJECT
  public:
    // program.folder holds the definition files. Loading the window runs start-up: the catalogue
    // is read and the two settings restored. A window loaded again after an update is given the
    // update's description (UTF-8) for txtAbout.
    explicit frmPatcher(platform::ProgramFile program, QWidget* parent = nullptr,
                        std::optional<std::string> updateDescription = std::nullopt);
    ~frmPatcher() override;

    // The window's state and handlers.
    window::WindowModel& model() { return *model_; }

  signals:
    // An update has completed and the user has seen so: the window is to be unloaded and loaded
    // again, with description (UTF-8) in txtAbout. Its owner does that, since a window cannot
    // delete itself from inside its own socket's events.
    void reloadRequested(const QString& description);

  private:
    // window::View
    void SetText(window::Control control, const std::string& text) override;
    void SetVisible(window::Control control, bool visible) override;
    void SetOption(int index) override;
    void SetListEntries(const std::vector<std::string>& entries) override;
    void SetListIndex(int row) override;
    void SetProgressWidth(int pixels) override;
    void ShowBusy(bool busy) override;
    void Repaint() override;
    void ShowMessage(const std::string& text) override;
    bool AskQuestion(const std::string& text) override;
    std::optional<std::string> BrowseFolder() override;

    QWidget* ControlFor(window::Control control) const;

    void BuildWindow();
    void BuildTabStrip();
    void BuildUpdateFrame();
    void BuildFindFrame();
    void BuildPatchFrame();
    void AddSeparator(QWidget* frame, int index, int x1, int y1, int x2, bool highlight);
    void ForwardEvents();
    // The whole text as a tooltip where the control cuts it, and none where it shows whole.
    void ToolTipWhereCut(QWidget* control, const QString& text);

    QFrame* tabStrip_ = nullptr;                    // Picture1
    std::array<ClickableLabel*, 4> tabIcons_{};     // tabPick
    std::array<ClickableLabel*, 4> tabCaptions_{};  // lblTab
    std::array<QGroupBox*, 3> frames_{};            // tabForm
    QPushButton* updateButton_ = nullptr;           // Command1
    QPlainTextEdit* updateNotes_ = nullptr;         // txtAbout
    QFrame* progressBox_ = nullptr;                 // pertotal
    QFrame* progressBar_ = nullptr;                 // perDone
    QLineEdit* updateAddress_ = nullptr;            // txtUpdateUrl
    std::array<QFrame*, 8> separators_{};           // ThreeD
    std::array<QLabel*, 5> captions_{};             // lbl
    QLabel* titlePicture_ = nullptr;                // Picture2
    QPushButton* folderButton_ = nullptr;           // txtPickDIR
    QLineEdit* targetPath_ = nullptr;               // txtDir
    QLabel* targetPathCaption_ = nullptr;           // Label1
    QListWidget* patchList_ = nullptr;              // lstPatch
    QMenu* patchMenu_ = nullptr;                    // lstPatch's context menu
    QAction* undoLastApply_ = nullptr;              // mnuUndoLastApply
    QPushButton* applyButton_ = nullptr;            // cmdApply
    QLineEdit* valueBox_ = nullptr;                 // txtValue
    std::array<QRadioButton*, 2> optionButtons_{};  // opOnOff
    QLabel* descriptionLabel_ = nullptr;            // lblDescription
    QLabel* buildLabel_ = nullptr;                  // lblBuild

    QtSettingsStore settings_;
    sckHTTP* connection_ = nullptr;
    QTimer* silenceTimer_ = nullptr;  // the update's wait for its server
    std::unique_ptr<window::WindowModel> model_;
};

// Ends the whole program at once. Tests replace it to observe the Exit header.
void EndProgram();
void SetEndProgram(std::function<void()> end);

}  // namespace korrin::qt
