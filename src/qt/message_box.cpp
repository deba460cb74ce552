#include "qt/message_box.h"

#include <QMessageBox>

namespace korrin::qt {
namespace {

MessageHandler& Handler() {
    static MessageHandler handler;
    return handler;
}

QuestionHandler& Asker() {
    static QuestionHandler handler;
    return handler;
}

}  // namespace

void ShowMessage(QWidget* parent, const QString& text) {
    if (Handler()) {
        Handler()(parent, text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, kApplicationTitle, text, QMessageBox::Ok, parent);
    box.exec();
}

void SetMessageHandler(MessageHandler handler) {
    Handler() = std::move(handler);
}

bool AskQuestion(QWidget* parent, const QString& text) {
    if (Asker()) return Asker()(parent, text);
    QMessageBox box(QMessageBox::NoIcon, kApplicationTitle, text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void SetQuestionHandler(QuestionHandler handler) {
    Asker() = std::move(handler);
}

}  // namespace korrin::qt
