#include "qt/window_owner.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

namespace korrin::qt {

WindowOwner::WindowOwner() : program_(platform::OwnProgramFile()) {}

WindowOwner::WindowOwner(std::string programFolder) : program_(platform::OwnProgramFile()) {
    program_.folder = std::move(programFolder);
}

WindowOwner::~WindowOwner() {
    delete window_;
}

void WindowOwner::Load() {
    window_ = new frmPatcher(program_);
    connect(window_, &frmPatcher::reloadRequested, this, &WindowOwner::Reload);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = window_->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window_->move(frame.topLeft());
    }
    window_->show();
}

void WindowOwner::Reload(const QString& description) {
    // Later, from the event loop: the caller may be a handler of the window being replaced.
    QTimer::singleShot(0, this, [this, description] {
        const QPoint place = window_ ? window_->pos() : QPoint();
        if (window_) {
            window_->hide();
            window_->deleteLater();
        }
        window_ = new frmPatcher(program_, nullptr, description.toStdString());
        connect(window_, &frmPatcher::reloadRequested, this, &WindowOwner::Reload);
        window_->move(place);
        window_->show();
        emit reloaded();
    });
}

}  // namespace korrin::qt
