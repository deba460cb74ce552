#pragma once

// Owns the one window. An update ends by unloading the window and showing it again; a window
// cannot delete itself inside its own socket's signal, so this owner does it afterwards.

#include <QObject>
#include <QPointer>
#include <QString>

#include "app/frmPatcher.h"

namespace korrin {

class WindowOwner : public QObject {
    Q_OBJECT
  public:
    explicit WindowOwner(QString programFolder = AppFolder());
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
    QString programFolder_;
    QPointer<frmPatcher> window_;
};

}  // namespace korrin
