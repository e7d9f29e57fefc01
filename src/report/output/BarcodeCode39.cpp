// Code 39 and its full-ASCII form.
#include "report/output/BarcodeEncoders.h"

#include <cstring>

namespace orv::barcode {
namespace {

const char kCode39Chars[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";

// Wide (1) and narrow (0) elements, bar first, of each character of kCode39Chars, then "*".
const char *const kCode39[44] = {
    "000110100", "100100001", "001100001", "101100000", "000110001", "100110000",
    "001110000", "000100101", "100100100", "001100100", "100001001", "001001001",
    "101001000", "000011001", "100011000", "001011000", "000001101", "100001100",
    "001001100", "000011100", "100000011", "001000011", "101000010", "000010011",
    "100010010", "001010010", "000000111", "100000110", "001000110", "000010110",
    "110000001", "011000001", "111000000", "010010001", "110010000", "011010000",
    "010000101", "110000100", "011000100", "010101000", "010100010", "010001010",
    "000101010", "010010100"};

} // namespace

QString code39FullAscii(QChar c)
{
    const int u = c.unicode();
    if (u >= 128)
        return {};
    if (u == 0) return QStringLiteral("%U");
    if (u >= 1 && u <= 26) return QStringLiteral("$") + QChar(u'A' + u - 1);
    if (u >= 27 && u <= 31) return QStringLiteral("%") + QChar(u'A' + u - 27);
    if (u == ' ' || u == '-' || u == '.' || (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z'))
        return QString(c);
    if (u >= '!' && u <= ',') return QStringLiteral("/") + QChar(u'A' + u - '!');
    if (u == '/') return QStringLiteral("/O");
    if (u == ':') return QStringLiteral("/Z");
    if (u >= ';' && u <= '?') return QStringLiteral("%") + QChar(u'F' + u - ';');
    if (u == '@') return QStringLiteral("%V");
    if (u >= '[' && u <= '_') return QStringLiteral("%") + QChar(u'K' + u - '[');
    if (u == '`') return QStringLiteral("%W");
    if (u >= 'a' && u <= 'z') return QStringLiteral("+") + QChar(u'A' + u - 'a');
    if (u >= '{' && u <= 127) return QStringLiteral("%") + QChar(u'P' + u - '{');
    return {};
}

TBarcodePattern encodeCode39(const QString &data, bool full, bool checkDigit)
{
    QString text;
    if (full) {
        for (QChar c : data)
            text += code39FullAscii(c);
    } else {
        text = data;
    }
    TBarcodePattern p;
    auto put = [&p](int value) {
        p.pattern.append(fromWide(kCode39[value]));
    };
    put(43);
    p.pattern.append(u'0');
    int sum = 0;
    for (QChar c : text) {
        const char *at = c.unicode() < 128 && c.unicode() > 0
            ? std::strchr(kCode39Chars, char(c.unicode())) : nullptr;
        if (!at)
            continue;   // outside the character set
        const int v = int(at - kCode39Chars);
        sum += v;
        put(v);
        p.pattern.append(u'0');
        p.text.append(c);
    }
    if (checkDigit) {
        put(sum % 43);
        p.pattern.append(u'0');
        p.text.append(QChar(kCode39Chars[sum % 43]));
    }
    put(43);
    if (full)
        p.text = data;
    return p;
}

} // namespace orv::barcode
