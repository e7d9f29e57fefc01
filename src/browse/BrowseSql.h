#pragma once
// The SQL line changes of the quick find and of the notes filter, as plain functions over
// the line lists of qMatFind and qDbTree.

#include <QLocale>
#include <QString>
#include <QStringList>

namespace orv::browse {

// The text every quick-find condition starts with; the remover looks for it.
QString quickFindMarker();
// The typed text as it is searched for: blanks removed, upper case in the user's locale.
QString quickFindText(const QString &typed, const QLocale &locale = QLocale());
// The condition written into qMatFind: the designation without blanks contains the text.
// The text goes into a quoted LIKE pattern whose %, _ and quotes are literal.
QString quickFindCondition(const QString &typed, const QLocale &locale = QLocale());
// Removes a previous quick-find condition from qMatFind's lines and appends the new one.
void setQuickFind(QStringList &matFindSql, const QString &typed, const QLocale &locale = QLocale());
// Removes the quick-find condition; qMatFind then lists every material.
void clearQuickFind(QStringList &matFindSql);

// Lines 1 and 3 (counted from 0) of qDbTree with the notes filter on or off.
void setNotesFilterLines(QStringList &dbTreeSql, bool on);
bool notesFilterLinesOn(const QStringList &dbTreeSql);

} // namespace orv::browse
