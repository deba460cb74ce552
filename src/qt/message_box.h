#pragma once

// The tool's message box: the text, one OK button, no icon, the application's title. Tests put
// a recorder in place of the modal box, which would otherwise wait for a click forever.

#include <QString>
#include <functional>

class QWidget;

namespace korrin::qt {

inline const QString kApplicationTitle = QStringLiteral("Korrin Patcher");

using MessageHandler = std::function<void(QWidget* parent, const QString& text)>;

// Shows text and returns when the user has dismissed it.
void ShowMessage(QWidget* parent, const QString& text);

// Replaces how messages are shown; an empty handler puts the real message box back.
void SetMessageHandler(MessageHandler handler);

using QuestionHandler = std::function<bool(QWidget* parent, const QString& text)>;

// Asks text with Yes and No buttons, No the default, in the same box; true for Yes.
bool AskQuestion(QWidget* parent, const QString& text);

// Replaces how questions are asked; an empty handler puts the real box back.
void SetQuestionHandler(QuestionHandler handler);

}  // namespace korrin::qt
