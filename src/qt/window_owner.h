#pragma once

// Owns the one window. An update ends by unloading the window and showing it again; a window
// cannot delete itself inside its own socket's signal, so this owner does it afterwards.

#include <QObject>
#include <QPointer>
#include <QString>

#include "platform/program_file.h"
#include "qt/frmPatcher.h"

namespace korrin::qt {

class WindowOwner : public QObject {
    Q_OBJECT
  public:
    // The window of the running program, over the definitions in its own folder.
    WindowOwner();
    // The same over the definitions in programFolder, which ends in a separator.
    explicit WindowOwner(std::string programFolder);
    ~WindowOwner() override;

    // Loads a new window, centred at its first show, and shows it. A window that completes an
    // update asks for Reload.
    void Load();

    // Unloads the current window and loads a fresh one, whose start-up reads the catalogue
    // again; description then goes into its txtAbout. Safe to call from the window's handlers.
    void Reload(const QString& description);

    frmPatcher* window() const { return window_; }

  signals:
    void reloaded();

  private:
    platform::ProgramFile program_;
    QPointer<frmPatcher> window_;
};

}  // namespace korrin::qt
