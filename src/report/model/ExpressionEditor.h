#pragma once
// What the expression editor and the function dialog of the designer offer, without the
// windows: the insertable items, the insertion rule and the check of an expression.

#include <QList>
#include <QString>
#include <QStringList>

namespace orv {

class TSestavaModel;
class TExprContext;

struct TEditorItem {
    QString Caption;      // as the drop-down list shows it
    QString InsertText;   // what goes in at the caret
    int CaretOffset = 0;  // where the caret lands, counted from the start of InsertText
};

// "#", the number left-aligned in three characters, and the name; inserted as #3 or #Name.
QList<TEditorItem> editorFieldItems(const TSestavaModel &report, bool byName);
QList<TEditorItem> editorParameterItems(const TSestavaModel &report);
// Datum tisku, Čas tisku, Číslo řádku, Číslo stránky (not for details), then per group.
QList<TEditorItem> editorVariableItems(const TSestavaModel &report);
QList<TEditorItem> editorFunctionItems(const TSestavaModel &report, bool byName);

struct TBuiltinCategory {
    QString Caption;      // "Matematické:", "Textové:", "Datumové a časové:", ...
    QList<TEditorItem> Items;   // "SUBSTR(,,)", caret after "("
};
QList<TBuiltinCategory> editorBuiltinCategories();
// "()", "+", ..., " NOT ", " AND ", " OR ", " IN " (which inserts " IN[]").
QList<TEditorItem> editorOperatorItems();

// Puts the item at the caret and moves the caret as the item says.
void insertEditorItem(QString &text, int &caret, const TEditorItem &item);

// The description of an error code shown in the editor's message.
QString expressionErrorText(int code);

struct TExpressionCheck {
    bool Ok = true;
    QString Caption;   // "Informace" or "Chyba"
    QString Message;   // "Výraz je v pořádku." or "Chyba : "..." na pozici n" (1-based)
    int Caret = -1;    // 0-based caret position after an error
    int Error = 0;     // the evaluator's error code
    // Whether the text is a well-formed expression: a domain error (a division by a field
    // that is 0 while designing) depends on the data, not on what was typed.
    bool compiles() const;
};
TExpressionCheck checkExpression(TExprContext *context, const QString &expression);

} // namespace orv
