#include "core/SqlText.h"

#include <cmath>

namespace orv {
namespace {

// Lines are addressed 1-based as the query templates number them.
QString &line(QStringList &lines, int n)
{
    while (lines.size() < n)
        lines.append(QString());
    return lines[n - 1];
}

QString lineAt(const QStringList &lines, int n)
{
    return n <= lines.size() ? lines.at(n - 1) : QString();
}

} // namespace

void appendWhere(QStringList &lines, const QString &cond, int joinMode)
{
    if (lineAt(lines, 2).isEmpty()) {
        line(lines, 2) = QStringLiteral("  where");
        line(lines, 3) = QStringLiteral("  (") + cond + QStringLiteral(")");
        return;
    }
    int slot = 4;
    while (slot < 24 && !lineAt(lines, slot).isEmpty())
        ++slot;
    if (!lineAt(lines, slot).isEmpty())
        return;
    QString prefix;
    switch (joinMode) {
    case 0: prefix = QStringLiteral("  and "); break;
    case 1: prefix = QStringLiteral("  or "); break;
    case 2: prefix = QStringLiteral("  "); break;
    default: break;
    }
    line(lines, slot) = prefix + cond;
}

void removeWhere(QStringList &lines, const QString &search)
{
    int found = 0;
    for (int n = 3; n <= 23; ++n) {
        // The old helper compared a 1-based position with 0, so a text found at the very
        // start of a line counts as well: any occurrence does.
        if (!search.isEmpty() && lineAt(lines, n).contains(search)) {
            found = n;
            break;
        }
    }
    if (found == 0)
        return;
    line(lines, found).clear();
    for (int n = found; n < 23; ++n)
        line(lines, n) = lineAt(lines, n + 1);
    if (lineAt(lines, 3).isEmpty())
        line(lines, 2).clear();
    QString &third = line(lines, 3);
    if (third.startsWith(QStringLiteral("  and"))) {
        third.remove(0, 5);
        if (third.startsWith(QStringLiteral("  or")))
            third.remove(0, 4);
    }
}

QString stripSpaces(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (c != u' ')
            out.append(c);
    return out;
}

QString sqlQuote(const QString &text)
{
    QString out;
    out.reserve(text.size() + 2);
    out.append(u'\'');
    for (QChar c : text) {
        if (c == u'\'')
            out.append(u'\'');
        // A NUL would end the statement inside SQLite's parser; it has no meaning in our texts.
        if (c.unicode() == 0)
            continue;
        out.append(c);
    }
    out.append(u'\'');
    return out;
}

QString likeEscape(const QString &text, QChar escape)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c == u'%' || c == u'_' || c == escape)
            out.append(escape);
        out.append(c);
    }
    return out;
}

QString sqlNumber(qint64 value)
{
    return QString::number(value);
}

QString sqlNumber(double value)
{
    if (std::isnan(value) || std::isinf(value))
        return QStringLiteral("NULL");
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(static_cast<qint64>(value));
    // QString::number never uses the locale, so the decimal point is always '.'.
    return QString::number(value, 'g', 15);
}

} // namespace orv
