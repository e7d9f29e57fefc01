#pragma once
// The designer's three-way question (Yes, No, Cancel). Windows ask through it so that tests
// can answer without a message box.

#include <QString>

#include <functional>

namespace orv {

enum class TAnswer { Yes, No, Cancel };

using TQuestionHandler = std::function<TAnswer(const QString &caption, const QString &text)>;
// Replaces the handler (an empty one restores the message box); returns the previous one.
TQuestionHandler setDesignerQuestionHandler(TQuestionHandler handler);
TAnswer askYesNoCancel(const QString &caption, const QString &text);
// A Yes/No question through the same handler (its Cancel counts as No).
bool askYesNo(const QString &caption, const QString &text);

} // namespace orv
