#pragma once
// The questions the report windows ask the user through standard dialogs: a file to save,
// a line of text. Each goes through a replaceable function so that tests can answer it;
// by default the standard dialogs are shown.

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

namespace orv {

struct TSaveFileRequest {
    QString Title;            // "Výběr souboru"
    QStringList Filters;      // Qt name filters, the first is selected
    QString DefaultSuffix;    // without the dot
    bool ConfirmOverwrite = true;
    QString StartName;
};
// The chosen file, or empty for cancel.
using TSaveFileAsker = std::function<QString(QWidget *parent, const TSaveFileRequest &request)>;
TSaveFileAsker &saveFileAsker();
QString AskSaveFile(QWidget *parent, const TSaveFileRequest &request);

// The answer, or nothing for cancel.
using TTextAsker = std::function<std::optional<QString>(QWidget *parent, const QString &title,
                                                         const QString &label, const QString &initial)>;
TTextAsker &textAsker();
std::optional<QString> AskText(QWidget *parent, const QString &title, const QString &label,
                               const QString &initial);

// Filters written as "text|pattern|text|pattern" turned into Qt name filters: the shown
// text with its own bracketed patterns.
QStringList QtFilters(const QString &filter);

} // namespace orv
