#pragma once
// SQL text as a list of lines, and the helpers that write user input into it.
// Query templates keep empty lines as condition slots: line 2 (index 1) is the
// "where" line and lines 3 to 24 (indexes 2..23) take one condition each.

#include <QString>
#include <QStringList>

namespace orv {

enum class JoinMode { And = 0, Or = 1, None = 2 };

// Writes condition `cond` into the first free slot of `lines`. Mode values other than
// 0, 1 and 2 write the condition alone, as the old query builders relied on.
void appendWhere(QStringList &lines, const QString &cond, int joinMode);
inline void appendWhere(QStringList &lines, const QString &cond, JoinMode mode)
{
    appendWhere(lines, cond, static_cast<int>(mode));
}

// Removes the first condition line (lines 3..23) that contains `search` and closes the gap.
void removeWhere(QStringList &lines, const QString &search);

// The text without its space characters; all other characters keep their order.
QString stripSpaces(const QString &text);

// A text as a safe SQL string constant: single quotes around it, inner quotes doubled.
QString sqlQuote(const QString &text);

// A text as a LIKE pattern body whose %, _ and the escape character are literal.
// Use it with "like '...' escape '\'": sqlQuote(likeEscape(t)) + " escape '\\'".
QString likeEscape(const QString &text, QChar escape = QChar(u'\\'));

// A number as SQL text: integers plainly, other values in general format with up to
// 15 significant digits and '.' as the decimal point whatever the locale.
QString sqlNumber(double value);
QString sqlNumber(qint64 value);
inline QString sqlNumber(int value) { return sqlNumber(static_cast<qint64>(value)); }

} // namespace orv
