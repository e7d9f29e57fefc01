// The dialect translation: a statement written for both engines becomes the text the server
// is sent. Pure text work, apart from the session and cursors in PgEngine.cpp.
#include "db/engine/PgEngine.h"

#include <QRegularExpression>

namespace orv::db::engine {

namespace {

bool identStart(QChar c) { return c.isLetter() || c == u'_'; }
bool identChar(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$'; }

} // namespace

QString serverText(const QString &sql, QStringList *parameterNames)
{
    QString out;
    out.reserve(sql.size() + 16);
    QStringList names;
    QStringList literals; // string constants, kept aside while the text is rewritten
    QString lastWord;
    const qsizetype n = sql.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = sql[i];
        if (c == u'\'') {
            qsizetype j = i + 1;
            while (j < n) {
                if (sql[j] == u'\'') {
                    if (j + 1 < n && sql[j + 1] == u'\'') {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            literals << sql.mid(i, j + 1 - i);
            out += QChar(0xE000) + QString::number(literals.size() - 1) + QChar(0xE001);
            i = j + 1;
        } else if (c == u'"') {
            qsizetype j = sql.indexOf(u'"', i + 1);
            if (j < 0)
                j = n - 1;
            out += sql.mid(i, j + 1 - i).toLower();
            i = j + 1;
        } else if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            qsizetype j = sql.indexOf(u'\n', i);
            if (j < 0)
                j = n;
            out += sql.mid(i, j - i);
            i = j;
        } else if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
            qsizetype j = sql.indexOf(QLatin1String("*/"), i + 2);
            j = j < 0 ? n : j + 2;
            out += sql.mid(i, j - i);
            i = j;
        } else if (c == u':' && i + 1 < n && sql[i + 1] == u':') {
            out += QLatin1String("::");
            i += 2;
        } else if (c == u'$' && (i == 0 || !identChar(sql[i - 1]))
                   && (i + 1 < n && (sql[i + 1] == u'$' || identStart(sql[i + 1])))) {
            // A dollar-quoted text ($f$ ... $f$) is kept as it stands.
            qsizetype j = i + 1;
            while (j < n && identChar(sql[j]) && sql[j] != u'$')
                ++j;
            if (j < n && sql[j] == u'$') {
                const QString tag = sql.mid(i, j + 1 - i);
                qsizetype e = sql.indexOf(tag, j + 1);
                e = e < 0 ? n : e + tag.size();
                literals << sql.mid(i, e - i);
                out += QChar(0xE000) + QString::number(literals.size() - 1) + QChar(0xE001);
                i = e;
            } else {
                out += c;
                ++i;
            }
        } else if ((c == u':' || c == u'@') && i + 1 < n && identStart(sql[i + 1])
                   && !(i > 0 && identChar(sql[i - 1]))) {
            qsizetype j = i + 1;
            while (j < n && identChar(sql[j]))
                ++j;
            const QString name = sql.mid(i + 1, j - i - 1);
            qsizetype k = 0;
            for (; k < names.size(); ++k)
                if (names[k].compare(name, Qt::CaseInsensitive) == 0)
                    break;
            if (k == names.size())
                names << name;
            out += QLatin1Char('$') + QString::number(k + 1);
            i = j;
        } else if (c == u'?') {
            qsizetype j = i + 1;
            while (j < n && sql[j].isDigit())
                ++j;
            // As the embedded engine numbers them: a bare ? takes the number after the largest so far.
            const int index = j > i + 1 ? sql.mid(i + 1, j - i - 1).toInt() : int(names.size()) + 1;
            while (names.size() < index)
                names << QString();
            out += QLatin1Char('$') + QString::number(index);
            i = j;
        } else if (identStart(c)) {
            qsizetype j = i + 1;
            while (j < n && identChar(sql[j]))
                ++j;
            const QString word = sql.mid(i, j - i);
            qsizetype next = j;
            while (next < n && sql[next].isSpace())
                ++next;
            if (word.compare(QLatin1String("rowid"), Qt::CaseInsensitive) == 0
                && !(i > 0 && sql[i - 1] == u'.')) {
                out += QLatin1String("ctid");
            } else if (word.compare(QLatin1String("char"), Qt::CaseInsensitive) == 0 && next < n && sql[next] == u'(') {
                // CHAR(n) as a type pads and strips on the server: a text of up to n characters
                // is meant. char(10) as a function is the character of that code.
                const bool type = lastWord.compare(QLatin1String("as"), Qt::CaseInsensitive) == 0;
                out += type ? QLatin1String("varchar") : QLatin1String("chr");
            } else {
                out += word;
            }
            lastWord = word;
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    // "X collate CP1250" orders by the key the setup's cp1250() gives.
    static const QRegularExpression collate(
        QStringLiteral("((?:[A-Za-z_][\\w$]*\\.)?(?:[A-Za-z_][\\w$]*|\"[^\"]*\"))\\s+collate\\s+\"?cp1250\"?(?![\\w$])"),
        QRegularExpression::CaseInsensitiveOption);
    if (out.contains(QLatin1String("cp1250"), Qt::CaseInsensitive))
        out.replace(collate, QStringLiteral("cp1250(\\1)"));
    // "x is :v" compares with nulls equal on the embedded engine.
    if (out.contains(QLatin1String(" is "), Qt::CaseInsensitive)) {
        static const QRegularExpression isParam(QStringLiteral("\\bis\\s+(not\\s+)?(\\$\\d+)"),
                                                QRegularExpression::CaseInsensitiveOption);
        QString rewritten;
        qsizetype last = 0;
        for (auto it = isParam.globalMatch(out); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            rewritten += QStringView(out).mid(last, m.capturedStart() - last);
            rewritten += (m.capturedLength(1) ? QStringLiteral("is distinct from ") : QStringLiteral("is not distinct from "))
                         + m.captured(2);
            last = m.capturedEnd();
        }
        if (last > 0) {
            rewritten += QStringView(out).mid(last);
            out = rewritten;
        }
    }
    // A subquery in FROM without a name: the server wants one.
    if (out.contains(QLatin1String("("))) {
        static const QRegularExpression subquery(QStringLiteral("\\b(?:from|join)\\s*(\\()\\s*(?:select|with)\\b"),
                                                 QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression named(
            QStringLiteral("^\\s*(?!(?:where|group|order|limit|offset|union|except|intersect|having|join|inner|left|right|"
                           "cross|full|natural|on|window)\\b)(?:as\\s+)?[A-Za-z_\"]"),
            QRegularExpression::CaseInsensitiveOption);
        int serial = 0;
        qsizetype from = 0;
        for (QRegularExpressionMatch m = subquery.match(out, from); m.hasMatch(); m = subquery.match(out, from)) {
            qsizetype k = m.capturedStart(1), depth = 0;
            for (; k < out.size(); ++k) {
                if (out[k] == u'(')
                    ++depth;
                else if (out[k] == u')' && --depth == 0)
                    break;
            }
            if (k >= out.size())
                break;
            if (!named.match(QStringView(out).mid(k + 1)).hasMatch())
                out.insert(k + 1, QStringLiteral(" as orv_sub%1").arg(++serial));
            from = m.capturedStart(1) + 1;
        }
    }
    // "x in below": the embedded engine takes a table or a common table expression named
    // after IN as the list; the server wants it as a subquery.
    if (out.contains(QLatin1String(" in "), Qt::CaseInsensitive)) {
        static const QRegularExpression inTable(
            QStringLiteral("\\bin\\s+(?!(?:select|values|schema)\\b)([A-Za-z_][\\w$]*)"
                           "(?=\\s*(?:$|\\)|;|(?:and|or|limit|order|group|union|having|except|intersect)\\b))"),
            QRegularExpression::CaseInsensitiveOption);
        out.replace(inTable, QStringLiteral("in (select * from \\1)"));
    }
    // The server reads a backslash in a LIKE pattern as its escape character unless told
    // otherwise; the embedded engine has none unless ESCAPE names one.
    if (out.contains(QLatin1String("like"), Qt::CaseInsensitive)) {
        static const QRegularExpression like(
            QStringLiteral("(\\blike\\s+(?:\\x{E000}\\d+\\x{E001}|\\$\\d+))(?!\\s*(?:escape\\b|\\|\\||::))"),
            QRegularExpression::CaseInsensitiveOption);
        out.replace(like, QStringLiteral("\\1 ESCAPE ''"));
    }
    if (!literals.isEmpty()) {
        static const QRegularExpression mark(QStringLiteral("\\x{E000}(\\d+)\\x{E001}"));
        QString restored;
        qsizetype last = 0;
        for (auto it = mark.globalMatch(out); it.hasNext();) {
            const auto m = it.next();
            restored += QStringView(out).mid(last, m.capturedStart() - last);
            restored += literals[m.captured(1).toInt()];
            last = m.capturedEnd();
        }
        restored += QStringView(out).mid(last);
        out = restored;
    }
    if (parameterNames)
        *parameterNames = names;
    return out;
}

} // namespace orv::db::engine
