#include "db/FieldFormat.h"

#include <QRegularExpression>
#include <QStringList>

#include <cmath>

namespace orv::db {

namespace {

struct Mask {
    QString prefix;
    QString suffix;
    int minInt = 0;      // '0' placeholders before the decimal point
    int minDec = 0;      // '0' placeholders after it
    int maxDec = 0;      // all placeholders after it
    bool thousands = false;
    bool valid = false;
};

Mask parseMask(const QString &m)
{
    Mask out;
    qsizetype first = -1, last = -1;
    for (qsizetype i = 0; i < m.size(); ++i) {
        const QChar c = m[i];
        if (c == u'0' || c == u'#' || c == u'.' || c == u',') {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    if (first < 0)
        return out;
    out.valid = true;
    out.prefix = m.left(first);
    out.suffix = m.mid(last + 1);
    // Before the point: '0's are digits always shown, a ',' switches grouping on. After it:
    // every place up to the last '0' is shown, the '#' places after that only when needed.
    bool afterPoint = false;
    for (qsizetype i = first; i <= last; ++i) {
        const QChar c = m[i];
        if (c == u'.') {
            afterPoint = true;
        } else if (!afterPoint) {
            if (c == u'0')
                ++out.minInt;
            else if (c == u',')
                out.thousands = true;
        } else if (c == u'0' || c == u'#') {
            ++out.maxDec;
            if (c == u'0')
                out.minDec = out.maxDec;
        }
    }
    return out;
}

QString groupDigits(const QString &digits, QChar sep)
{
    QString out;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        out.append(digits[i]);
        const qsizetype rest = n - i - 1;
        if (rest > 0 && rest % 3 == 0)
            out.append(sep);
    }
    return out;
}

} // namespace

QString formatNumber(double value, const QString &maskText, const QLocale &locale)
{
    if (std::isnan(value) || std::isinf(value))
        return formatGeneral(value, locale);
    const QStringList sections = maskText.split(u';');
    QString mask = sections.value(0);
    bool negSection = false;
    if (value < 0 && sections.size() > 1 && !sections[1].isEmpty()) {
        mask = sections[1];
        negSection = true;
    }
    if (value == 0 && sections.size() > 2 && !sections[2].isEmpty())
        mask = sections[2];
    const Mask m = parseMask(mask);
    if (!m.valid)
        return mask;

    const bool negative = value < 0;
    const QString fixed = QString::number(std::fabs(value), 'f', m.maxDec);
    QString intPart = fixed.section(u'.', 0, 0);
    QString decPart = fixed.section(u'.', 1, 1);
    while (decPart.size() > m.minDec && decPart.endsWith(u'0'))
        decPart.chop(1);
    if (intPart == QStringLiteral("0") && m.minInt == 0)
        intPart.clear();
    while (intPart.size() < m.minInt)
        intPart.prepend(u'0');
    if (m.thousands)
        intPart = groupDigits(intPart, locale.groupSeparator().isEmpty() ? QChar(u' ') : locale.groupSeparator().at(0));
    QString body = intPart;
    if (!decPart.isEmpty())
        body += locale.decimalPoint() + decPart;
    const bool allZero = !fixed.contains(QRegularExpression(QStringLiteral("[1-9]")));
    QString out = m.prefix + body + m.suffix;
    if (negative && !negSection && !allZero)
        out.prepend(locale.negativeSign());
    return out;
}

QString formatGeneral(double value, const QLocale &locale)
{
    QString s = QString::number(value, 'g', 15);
    s.replace(u'.', locale.decimalPoint());
    if (s.startsWith(u'-'))
        s.replace(0, 1, locale.negativeSign());
    return s;
}

double parseNumber(const QString &text, bool *ok, const QLocale &locale)
{
    // Either separator is read as the decimal one; blanks are ignored, and a group separator
    // only when both "." and "," occur.
    QString cleaned;
    for (const QChar c : text) {
        if (c.isSpace() || c == QChar(0x00A0) || c == QChar(0x202F))
            continue;
        if (c == locale.negativeSign().at(0))
            cleaned.append(u'-');
        else
            cleaned.append(c);
    }
    if (cleaned.contains(u',') && cleaned.contains(u'.')) {
        const QString group = locale.groupSeparator();
        const QChar g = (!group.isEmpty() && (group.at(0) == u',' || group.at(0) == u'.')) ? group.at(0) : QChar(u',');
        cleaned.remove(g);
    }
    cleaned.replace(u',', u'.');
    bool good = false;
    const double v = cleaned.toDouble(&good);
    if (ok)
        *ok = good;
    return good ? v : 0.0;
}

} // namespace orv::db
