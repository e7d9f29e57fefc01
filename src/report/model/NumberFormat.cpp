#include "report/model/NumberFormat.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace orv {

// ---------------------------------------------------------------- settings

namespace {

// A Qt date/time format to the picture syntax of FORMATDT (M month, m minute -> n, ap).
QString fromQtPicture(const QString &qt)
{
    QString out;
    bool inQuote = false;
    for (int i = 0; i < qt.size(); ++i) {
        const QChar c = qt.at(i);
        if (c == u'\'') {
            inQuote = !inQuote;
            out += u'"';
            continue;
        }
        if (inQuote) {
            out += c;
            continue;
        }
        if (c == u'M')
            out += u'm';
        else if (c == u'm')
            out += u'n';
        else if (c == u'H')
            out += u'h';
        else if ((c == u'a' || c == u'A') && i + 1 < qt.size()
                 && (qt.at(i + 1) == u'p' || qt.at(i + 1) == u'P')) {
            out += QStringLiteral("am/pm");
            ++i;
        } else if (c == u't')
            continue;   // time zone: not in the picture syntax
        else
            out += c;
    }
    return out.trimmed();
}

QStringList englishNames(bool months, bool longForm)
{
    if (months) {
        return longForm ? QStringList{"January", "February", "March", "April", "May", "June",
                                      "July", "August", "September", "October", "November",
                                      "December"}
                        : QStringList{"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug",
                                      "Sep", "Oct", "Nov", "Dec"};
    }
    return longForm ? QStringList{"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday",
                                  "Friday", "Saturday"}
                    : QStringList{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
}

} // namespace

TFormatSettings TFormatSettings::system()
{
    const QLocale loc = QLocale::system();
    TFormatSettings s;
    const QString dp = loc.decimalPoint();
    s.DecimalSeparator = dp.isEmpty() ? QChar(u'.') : dp.at(0);
    const QString gs = loc.groupSeparator();
    s.ThousandSeparator = gs.isEmpty() ? QChar(u' ') : gs.at(0);
    s.CurrencyString = loc.currencySymbol();
    const QString probe = loc.toCurrencyString(1.0);
    const bool symbolFirst = probe.startsWith(s.CurrencyString);
    const bool spaced = probe.contains(QChar(u' ')) || probe.contains(QChar(0x00A0));
    s.CurrencyFormat = symbolFirst ? (spaced ? 2 : 0) : (spaced ? 3 : 1);
    s.NegCurrFormat = symbolFirst ? (spaced ? 9 : 1) : (spaced ? 8 : 5);
    s.ShortDateFormat = fromQtPicture(loc.dateFormat(QLocale::ShortFormat));
    s.LongDateFormat = fromQtPicture(loc.dateFormat(QLocale::LongFormat));
    s.ShortTimeFormat = fromQtPicture(loc.timeFormat(QLocale::ShortFormat));
    s.TimeFormat = fromQtPicture(loc.timeFormat(QLocale::LongFormat));
    s.TimeAMString = loc.amText();
    s.TimePMString = loc.pmText();
    for (int m = 1; m <= 12; ++m) {
        s.ShortMonthNames << loc.monthName(m, QLocale::ShortFormat);
        s.LongMonthNames << loc.standaloneMonthName(m, QLocale::LongFormat);
    }
    for (int d = 0; d < 7; ++d) {
        const int qtDay = d == 0 ? 7 : d;   // Sunday first
        s.ShortDayNames << loc.dayName(qtDay, QLocale::ShortFormat);
        s.LongDayNames << loc.dayName(qtDay, QLocale::LongFormat);
    }
    const QString sd = s.ShortDateFormat;
    for (QChar c : sd)
        if (!c.isLetter() && c != u' ') {
            s.DateSeparator = c;
            break;
        }
    return s;
}

TFormatSettings TFormatSettings::invariant()
{
    TFormatSettings s;
    s.DecimalSeparator = u'.';
    s.ThousandSeparator = u',';
    s.CurrencyString = QStringLiteral("$");
    s.CurrencyFormat = 0;
    s.NegCurrFormat = 1;
    s.ShortDateFormat = QStringLiteral("m/d/yyyy");
    s.LongDateFormat = QStringLiteral("dddd, mmmm d, yyyy");
    s.ShortTimeFormat = QStringLiteral("h:nn");
    s.TimeFormat = QStringLiteral("hh:nn:ss");
    s.DateSeparator = u'/';
    s.TimeSeparator = u':';
    s.TimeAMString = QStringLiteral("AM");
    s.TimePMString = QStringLiteral("PM");
    s.ShortMonthNames = englishNames(true, false);
    s.LongMonthNames = englishNames(true, true);
    s.ShortDayNames = englishNames(false, false);
    s.LongDayNames = englishNames(false, true);
    return s;
}

TFormatSettings &formatSettings()
{
    static TFormatSettings settings = TFormatSettings::system();
    return settings;
}

// ---------------------------------------------------------------- text to number

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The power of ten just above the first significant digit of a well-formed number text
// starting at i (positive: the number is at least 1).
long decimalMagnitude(const std::string &s, size_t i)
{
    long mag = 0;
    bool significant = false;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        if (s[i] != '0')
            significant = true;
        if (significant)
            ++mag;
        ++i;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (!significant && i < s.size() && s[i] == '0') {
            --mag;
            ++i;
        }
        while (i < s.size() && s[i] >= '0' && s[i] <= '9')
            ++i;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        bool neg = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            neg = s[i++] == '-';
        long e = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
            e = std::min(e * 10 + (s[i] - '0'), 100000L);
            ++i;
        }
        mag += neg ? -e : e;
    }
    return mag;
}

// Reads [sign] digits [. digits] [e [sign] digits] with "." as the mark; the whole text.
bool parseCNumber(const QString &text, double &value)
{
    std::string s;
    s.reserve(size_t(text.size()));
    for (QChar c : text) {
        if (c.unicode() > 127)
            return false;
        s.push_back(char(c.unicode()));
    }
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    // from_chars would accept "inf", "nan" and hexadecimal forms; only decimal numbers here.
    size_t digits = 0;
    size_t j = i;
    while (j < s.size() && s[j] >= '0' && s[j] <= '9') { ++j; ++digits; }
    if (j < s.size() && s[j] == '.') {
        ++j;
        while (j < s.size() && s[j] >= '0' && s[j] <= '9') { ++j; ++digits; }
    }
    if (digits == 0)
        return false;
    if (j < s.size() && (s[j] == 'e' || s[j] == 'E')) {
        ++j;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            ++j;
        size_t expDigits = 0;
        while (j < s.size() && s[j] >= '0' && s[j] <= '9') { ++j; ++expDigits; }
        if (expDigits == 0)
            return false;
    }
    if (j != s.size())
        return false;
    double v = 0.0;
    const char *first = s.data() + i;
    const char *last = s.data() + s.size();
    const auto res = std::from_chars(first, last, v);
    if (res.ec == std::errc::result_out_of_range) {
        // Underflow reads as 0; overflow is no number.
        if (decimalMagnitude(s, i) > 0)
            return false;
        v = 0.0;
    } else if (res.ec != std::errc() || res.ptr != last) {
        return false;
    }
    if (!std::isfinite(v))
        return false;
    value = negative ? -v : v;
    return true;
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

} // namespace

bool standardToFloat(const QString &text, double &value)
{
    int b = 0, e = int(text.size());
    while (b < e && isBlank(text.at(b)))
        ++b;
    while (e > b && isBlank(text.at(e - 1)))
        --e;
    QString t = text.mid(b, e - b);
    const QChar sep = formatSettings().DecimalSeparator;
    if (sep != u'.') {
        if (t.contains(u'.'))
            return false;
        t.replace(sep, u'.');
    }
    return parseCNumber(t, value);
}

double StrToNum(const QString &text)
{
    QString t = text;
    const QChar sep = formatSettings().DecimalSeparator;
    if (sep == u',') {
        const qsizetype p = t.indexOf(u'.');
        if (p >= 0)
            t[p] = u',';
    } else if (sep == u'.') {
        const qsizetype p = t.indexOf(u',');
        if (p >= 0)
            t[p] = u'.';
    }
    int b = 0;
    while (b < t.size() && t.at(b) == u' ')
        ++b;
    t = t.mid(b);
    if (t.isEmpty() || !(isAsciiDigit(t.at(0)) || t.at(0) == u'-'))
        return 0.0;
    for (int i = 0; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (isAsciiDigit(c) || c == u'E' || c == u'e' || c == sep || (c == u'-' && i == 0))
            continue;
        return 0.0;
    }
    double v = 0.0;
    return standardToFloat(t, v) ? v : 0.0;
}

bool parseLiteralNumber(const QString &literal, double &value)
{
    return parseCNumber(literal, value);
}

double literalNumber(const QString &literal)
{
    double v = 0.0;
    return parseCNumber(literal, v) ? v : 0.0;
}

// ---------------------------------------------------------------- number to text

namespace {

// The decimal digits of |value| rounded to `sig` significant digits, and the exponent of
// the first digit (value = 0.d1d2d3... x 10^(exp+1)).
struct Decimal {
    bool negative = false;
    std::string digits;   // exactly sig digits, the first non-zero unless value is 0
    int exp = 0;
};

// Rounds a string of decimal digits to `keep` digits, halves away from zero (the digits
// come from a much longer exact expansion, so a tie there is a tie of the value). Returns
// true when the carry put a new digit in front.
bool roundDigitString(std::string &digits, size_t keep)
{
    if (digits.size() <= keep) {
        digits.append(keep - digits.size(), '0');
        return false;
    }
    const bool up = digits[keep] >= '5';
    digits.resize(keep);
    if (!up)
        return false;
    for (size_t i = keep; i-- > 0;) {
        if (digits[i] == '9') {
            digits[i] = '0';
        } else {
            ++digits[i];
            return false;
        }
    }
    digits.insert(digits.begin(), '1');
    return true;
}

// Digits beyond what a double can tell apart are shown as zeros.
constexpr int kExactDigits = 40;

Decimal decompose(double value, int sig)
{
    Decimal d;
    d.negative = std::signbit(value) && value != 0.0;
    const double a = std::fabs(value);
    if (a == 0.0 || !std::isfinite(a)) {
        d.digits.assign(size_t(sig), '0');
        d.exp = 0;
        return d;
    }
    char buf[128];
    const auto res = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific,
                                   kExactDigits);
    const std::string s(buf, res.ptr);
    const size_t ePos = s.find('e');
    for (size_t i = 0; i < ePos; ++i)
        if (s[i] != '.')
            d.digits.push_back(s[i]);
    d.exp = std::stoi(s.substr(ePos + 1));
    if (roundDigitString(d.digits, size_t(sig))) {
        d.digits.pop_back();
        ++d.exp;
    }
    return d;
}

// |value| in fixed notation with `decimals` decimals: integer digits (no leading zeros,
// "0" for zero) and decimal digits.
void fixedDigits(double value, int decimals, std::string &intPart, std::string &decPart)
{
    char buf[512];
    const double a = std::fabs(value);
    const auto res = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::fixed,
                                   decimals + kExactDigits);
    const std::string s = res.ec == std::errc() ? std::string(buf, res.ptr) : std::string("0");
    const size_t dot = s.find('.');
    std::string whole = dot == std::string::npos ? s : s.substr(0, dot);
    std::string all = whole + (dot == std::string::npos ? std::string() : s.substr(dot + 1));
    size_t intLen = whole.size();
    if (roundDigitString(all, intLen + size_t(decimals)))
        ++intLen;
    intPart = all.substr(0, intLen);
    decPart = all.substr(intLen);
    while (intPart.size() > 1 && intPart[0] == '0')
        intPart.erase(intPart.begin());
}

QString special(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
}

QString exponentText(int exp, int minDigits, bool alwaysSign)
{
    QString t = QString::number(std::abs(exp));
    while (t.size() < minDigits)
        t.prepend(u'0');
    if (exp < 0)
        t.prepend(u'-');
    else if (alwaysSign)
        t.prepend(u'+');
    return t;
}

// Shortest of fixed and scientific with `precision` significant digits; scientific when
// the integer part needs more than precision digits or the value is below 0.00001.
QString generalText(double value, int precision, int expDigits)
{
    if (!std::isfinite(value))
        return special(value);
    if (value == 0.0)
        return QStringLiteral("0");
    const QChar sep = formatSettings().DecimalSeparator;
    Decimal d = decompose(value, precision);
    std::string digits = d.digits;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    QString out;
    if (d.negative)
        out += u'-';
    if (d.exp >= precision || d.exp < -5) {
        out += QChar(digits[0]);
        if (digits.size() > 1) {
            out += sep;
            out += QString::fromLatin1(digits.data() + 1, qsizetype(digits.size() - 1));
        }
        out += u'E';
        out += exponentText(d.exp, expDigits, false);
        return out;
    }
    if (d.exp < 0) {
        out += u'0';
        out += sep;
        out += QString(-d.exp - 1, u'0');
        out += QString::fromLatin1(digits.data(), qsizetype(digits.size()));
        return out;
    }
    const size_t intLen = size_t(d.exp) + 1;
    if (digits.size() <= intLen) {
        out += QString::fromLatin1(digits.data(), qsizetype(digits.size()));
        out += QString(qsizetype(intLen - digits.size()), u'0');
    } else {
        out += QString::fromLatin1(digits.data(), qsizetype(intLen));
        out += sep;
        out += QString::fromLatin1(digits.data() + intLen, qsizetype(digits.size() - intLen));
    }
    return out;
}

QString groupThousands(const std::string &intPart)
{
    const QChar ts = formatSettings().ThousandSeparator;
    QString out;
    const int n = int(intPart.size());
    for (int i = 0; i < n; ++i) {
        out += QChar(intPart[size_t(i)]);
        const int rest = n - 1 - i;
        if (rest > 0 && rest % 3 == 0)
            out += ts;
    }
    return out;
}

bool allZero(const std::string &s)
{
    for (char c : s)
        if (c != '0')
            return false;
    return true;
}

QString currencyText(const QString &number, bool negative)
{
    const TFormatSettings &fs = formatSettings();
    const QString c = fs.CurrencyString;
    if (!negative) {
        switch (fs.CurrencyFormat) {
        case 0: return c + number;
        case 1: return number + c;
        case 2: return c + u' ' + number;
        default: return number + u' ' + c;
        }
    }
    switch (fs.NegCurrFormat) {
    case 0: return u'(' + c + number + u')';
    case 1: return u'-' + c + number;
    case 2: return c + u'-' + number;
    case 3: return c + number + u'-';
    case 4: return u'(' + number + c + u')';
    case 5: return u'-' + number + c;
    case 6: return number + u'-' + c;
    case 7: return number + c + u'-';
    case 8: return u'-' + number + u' ' + c;
    case 9: return u'-' + c + u' ' + number;
    case 10: return number + u' ' + c + u'-';
    case 11: return c + u' ' + number + u'-';
    case 12: return c + u' ' + u'-' + number;
    case 13: return number + u'-' + u' ' + c;
    case 14: return u'(' + c + u' ' + number + u')';
    default: return u'(' + number + u' ' + c + u')';
    }
}

} // namespace

QString numberText(double value)
{
    return generalText(value, 15, 0);
}

QString formatFloatF(double value, int format, int precision, int digits)
{
    if (!std::isfinite(value))
        return special(value);
    precision = std::clamp(precision, 2, 18);
    const int sigDigits = std::min(precision, 17);
    const QChar sep = formatSettings().DecimalSeparator;
    switch (format) {
    case 0:   // General
        return generalText(value, sigDigits, std::clamp(digits, 0, 4));
    case 1: { // Exponent
        const Decimal d = decompose(value, sigDigits);
        QString out;
        if (d.negative)
            out += u'-';
        out += QChar(d.digits[0]);
        if (d.digits.size() > 1) {
            out += sep;
            out += QString::fromLatin1(d.digits.data() + 1, qsizetype(d.digits.size() - 1));
        }
        out += u'E';
        out += exponentText(d.exp, std::clamp(digits, 0, 4), true);
        return out;
    }
    default: { // Fixed, Number, Currency
        const int decimals = std::clamp(digits, 0, 18);
        std::string intPart, decPart;
        fixedDigits(value, decimals, intPart, decPart);
        if (int(intPart.size()) > precision && format != 4)
            return generalText(value, sigDigits, 0);
        const bool negative = value < 0 && !(allZero(intPart) && allZero(decPart));
        QString number = (format == 3 || format == 4) ? groupThousands(intPart)
                                                      : QString::fromLatin1(intPart.c_str());
        if (!decPart.empty()) {
            number += sep;
            number += QString::fromLatin1(decPart.c_str());
        }
        if (format == 4)
            return currencyText(number, negative);
        return negative ? u'-' + number : number;
    }
    }
}

// ---------------------------------------------------------------- number pictures

namespace {

// Splits at ";" outside quotes.
QStringList pictureSections(const QString &picture)
{
    QStringList out;
    QString cur;
    QChar quote;
    for (QChar c : picture) {
        if (!quote.isNull()) {
            cur += c;
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
            cur += c;
        } else if (c == u';') {
            out << cur;
            cur.clear();
        } else {
            cur += c;
        }
    }
    out << cur;
    return out;
}

// What one picture section asks for, read before any digit is made.
struct SectionShape {
    int intPlaceholders = 0;
    int intZeroFrom = -1;      // first integer "0": digits are padded with zeros from there
    int decZeros = 0;          // decimal places always shown
    int decHashes = 0;         // further decimal places shown when not zero
    bool thousands = false;
    bool scientific = false;
    bool expAlwaysSign = false;
    int expDigits = 0;
};

// True when the "E" or "e" at i starts an exponent ("E+", "E-", "e+", "e-").
bool exponentAt(const QString &sec, int i)
{
    const QChar c = sec.at(i);
    return (c == u'E' || c == u'e') && i + 1 < sec.size()
           && (sec.at(i + 1) == u'+' || sec.at(i + 1) == u'-');
}

SectionShape analyseSection(const QString &sec)
{
    SectionShape shape;
    bool seenPoint = false;
    QChar quote;
    for (int i = 0; i < sec.size(); ++i) {
        const QChar c = sec.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u'0' || c == u'#') {
            if (seenPoint) {
                if (c == u'0')
                    shape.decZeros = shape.decZeros + shape.decHashes + 1, shape.decHashes = 0;
                else
                    ++shape.decHashes;
            } else {
                if (c == u'0' && shape.intZeroFrom < 0)
                    shape.intZeroFrom = shape.intPlaceholders;
                ++shape.intPlaceholders;
            }
        } else if (c == u'.') {
            seenPoint = true;
        } else if (c == u',') {
            if (!seenPoint)
                shape.thousands = true;
        } else if (exponentAt(sec, i) && !shape.scientific) {
            shape.scientific = true;
            shape.expAlwaysSign = sec.at(i + 1) == u'+';
            int j = i + 2;
            while (j < sec.size() && sec.at(j) == u'0') {
                ++shape.expDigits;
                ++j;
            }
            i = j - 1;
        }
    }
    return shape;
}

// The digits of a finite magnitude as the section shows them: integer digits (zero-padded
// to the "0" placeholders, none for a zero integer part), decimal digits and the exponent.
struct SectionDigits {
    std::string intPart, decPart;
    int exponent = 0;
};

void sectionDigits(double a, const SectionShape &shape, SectionDigits &out)
{
    const int maxDecimals = std::min(shape.decZeros + shape.decHashes, 30);
    const int minDecimals = std::min(shape.decZeros, maxDecimals);
    if (shape.scientific && a != 0.0) {
        // Mantissa digits straight from the value, so that no division rounds them first.
        const int intDigits = std::clamp(shape.intPlaceholders, 1, 300);
        const Decimal d = decompose(a, intDigits + maxDecimals);
        out.exponent = d.exp - (intDigits - 1);
        out.intPart = d.digits.substr(0, size_t(intDigits));
        out.decPart = d.digits.substr(size_t(intDigits));
    } else {
        fixedDigits(a, maxDecimals, out.intPart, out.decPart);
    }
    if (out.intPart == "0")
        out.intPart.clear();
    while (int(out.decPart.size()) > minDecimals && out.decPart.back() == '0')
        out.decPart.pop_back();
    const int zeroCount = shape.intZeroFrom < 0 ? 0 : shape.intPlaceholders - shape.intZeroFrom;
    while (int(out.intPart.size()) < zeroCount)
        out.intPart.insert(out.intPart.begin(), '0');
}

// Walks the section again and puts the digits in place of its placeholders; quoted and
// other characters are copied.
QString layOutSection(const QString &sec, const SectionShape &shape, const SectionDigits &digits)
{
    const TFormatSettings &fs = formatSettings();
    const std::string &intPart = digits.intPart;
    const std::string &decPart = digits.decPart;
    QString out;
    const int n = int(intPart.size());
    int intSeen = 0;     // integer placeholders passed
    int decUsed = 0;
    bool pointDone = false, expDone = false;
    QChar quote;
    auto emitIntDigit = [&](int k) {
        out += QChar(intPart[size_t(k)]);
        const int rest = n - 1 - k;
        if (shape.thousands && rest > 0 && rest % 3 == 0)
            out += fs.ThousandSeparator;
    };
    for (int i = 0; i < sec.size(); ++i) {
        const QChar c = sec.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                out += c;
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
        } else if ((c == u'0' || c == u'#') && !pointDone && !expDone) {
            // Right-align the integer digits over the placeholders; surplus digits go to the
            // first one.
            const int first = shape.intPlaceholders - n;   // placeholder that shows digit 0
            if (intSeen == 0 && first < 0) {
                for (int k = 0; k <= -first; ++k)
                    emitIntDigit(k);
            } else if (intSeen >= first) {
                emitIntDigit(intSeen - first);
            }
            ++intSeen;
        } else if (c == u'.' && !pointDone && !expDone) {
            pointDone = true;
            if (!decPart.empty())
                out += fs.DecimalSeparator;
        } else if ((c == u'0' || c == u'#') && pointDone && !expDone) {
            if (decUsed < int(decPart.size()))
                out += QChar(decPart[size_t(decUsed)]);
            ++decUsed;
        } else if (c == u',') {
            // thousands flag, no output of its own
        } else if (shape.scientific && !expDone && exponentAt(sec, i)) {
            expDone = true;
            out += c;
            out += exponentText(digits.exponent, shape.expDigits, shape.expAlwaysSign);
            int j = i + 2;
            while (j < sec.size() && sec.at(j) == u'0')
                ++j;
            i = j - 1;
        } else {
            out += c;
        }
    }
    return out;
}

QString applySection(double value, const QString &sec)
{
    const SectionShape shape = analyseSection(sec);
    const double a = std::fabs(value);
    if (!std::isfinite(a))
        return special(value);
    SectionDigits digits;
    sectionDigits(a, shape, digits);
    QString out = layOutSection(sec, shape, digits);
    // No integer placeholder at all but an integer part: it goes before everything.
    const bool hasDigits = shape.intPlaceholders + shape.decZeros + shape.decHashes > 0;
    const int n = int(digits.intPart.size());
    if (shape.intPlaceholders == 0 && hasDigits && n > 0) {
        QString digitsText;
        for (int k = 0; k < n; ++k)
            digitsText += QChar(digits.intPart[size_t(k)]);
        out.prepend(digitsText);
    }
    return out;
}

} // namespace

QString formatFloatPicture(double value, const QString &picture)
{
    if (picture.isEmpty())
        return numberText(value);
    if (!std::isfinite(value))
        return special(value);
    const QStringList sections = pictureSections(picture);
    if (value == 0.0 && sections.size() >= 3 && !sections.at(2).isEmpty())
        return applySection(0.0, sections.at(2));
    if (value < 0.0) {
        if (sections.size() >= 2 && !sections.at(1).isEmpty())
            return applySection(value, sections.at(1));
        const QString t = applySection(value, sections.at(0));
        // A value that rounds to zero shows no sign.
        bool anyNonZero = false;
        for (QChar c : t)
            if (c >= u'1' && c <= u'9')
                anyNonZero = true;
        return anyNonZero ? u'-' + t : t;
    }
    return applySection(value, sections.at(0));
}

} // namespace orv
