// EAN 8, EAN 13, UPC-A, UPC-E (number systems 0 and 1) and the 2- and 5-digit add-ons.
#include "report/output/BarcodeEncoders.h"

namespace orv::barcode {
namespace {

// Module counts of the odd-parity (L) set, space first. The R set has the same widths
// starting with a bar, the even-parity (G) set the widths in reverse order.
const char *const kL[10] = {"3211", "2221", "2122", "1411", "1132",
                            "1231", "1114", "1312", "1213", "3112"};
// Left-half parities of EAN 13 by its first digit (1 even).
const char *const kEan13Parity[10] = {"000000", "001011", "001101", "001110", "010011",
                                      "011001", "011100", "010101", "010110", "011010"};
// UPC-E parities of number system 0 by the check digit (1 even); system 1 the opposite.
const char *const kUpcEParity[10] = {"111000", "110100", "110010", "110001", "101100",
                                     "100110", "100011", "101010", "101001", "100101"};
const char *const kSupp5Parity[10] = {"11000", "10100", "10010", "10001", "01100",
                                      "00110", "00011", "01010", "01001", "00101"};

QString digitL(int d) { return fromModules(kL[d], false); }
QString digitR(int d) { return fromModules(kL[d], true); }
QString digitG(int d)
{
    const char *l = kL[d];
    const char rev[5] = {l[3], l[2], l[1], l[0], 0};
    return fromModules(rev, false);
}

int digit(const QString &s, int i) { return s.at(i).digitValue(); }

// The check digit of weights 3 and 1, the weight 3 on the last digit before the check.
int checkOf(const QString &digits)
{
    int sum = 0;
    for (int i = digits.size() - 1, w = 3; i >= 0; --i, w = 4 - w)
        sum += digit(digits, i) * w;
    return (10 - sum % 10) % 10;
}

// The UPC-A digits (without check) that a UPC-E code of six digits stands for.
QString upcEExpanded(int system, const QString &six)
{
    const QString s = QString::number(system);
    const QChar last = six.at(5);
    switch (last.digitValue()) {
    case 0: case 1: case 2:
        return s + six.left(2) + last + QStringLiteral("0000") + six.mid(2, 3);
    case 3:
        return s + six.left(3) + QStringLiteral("00000") + six.mid(3, 2);
    case 4:
        return s + six.left(4) + QStringLiteral("00000") + six.at(4);
    default:
        return s + six.left(5) + QStringLiteral("0000") + last;
    }
}

} // namespace


TBarcodePattern encodeEanUpc(int symbology, const QString &data, bool checkDigit)
{
    int length = 13;
    switch (symbology) {
    case bcEan8: length = 8; break;
    case bcUpcA: length = 12; break;
    case bcUpcE0: case bcUpcE1: length = 7; break;
    case bcUpcSupp2: length = 2; break;
    case bcUpcSupp5: length = 5; break;
    default: break;
    }
    QString d = data.rightJustified(length, u'0').right(length);
    TBarcodePattern p;

    if (symbology == bcUpcSupp2 || symbology == bcUpcSupp5) {
        // The add-ons carry their check in the parities, never in a digit.
        QString parity;
        if (symbology == bcUpcSupp2) {
            const int v = (digit(d, 0) * 10 + digit(d, 1)) % 4;
            parity = QString::fromLatin1(v == 0 ? "00" : v == 1 ? "01" : v == 2 ? "10" : "11");
        } else {
            const int c = (3 * (digit(d, 0) + digit(d, 2) + digit(d, 4))
                           + 9 * (digit(d, 1) + digit(d, 3))) % 10;
            parity = QString::fromLatin1(kSupp5Parity[c]);
        }
        p.pattern = QStringLiteral("506");
        for (int i = 0; i < length; ++i) {
            if (i > 0)
                p.pattern += QStringLiteral("05");
            p.pattern += parity.at(i) == u'1' ? digitG(digit(d, i)) : digitL(digit(d, i));
        }
        p.text = d;
        return p;
    }

    if (symbology == bcUpcE0 || symbology == bcUpcE1) {
        const int system = symbology == bcUpcE1 ? 1 : 0;
        const int check = checkOf(upcEExpanded(system, d.left(6)));
        if (checkDigit)
            d[6] = QChar(u'0' + check);
        const int given = digit(d, 6);
        p.pattern = QStringLiteral("505");
        for (int i = 0; i < 6; ++i) {
            const bool even = (kUpcEParity[given][i] == '1') != (system == 1);
            p.pattern += even ? digitG(digit(d, i)) : digitL(digit(d, i));
        }
        p.pattern += QStringLiteral("050505");
        p.text = d;
        return p;
    }

    if (checkDigit)
        d[length - 1] = QChar(u'0' + checkOf(d.left(length - 1)));
    p.text = d;
    p.pattern = QStringLiteral("505");
    if (symbology == bcEan8) {
        for (int i = 0; i < 4; ++i)
            p.pattern += digitL(digit(d, i));
        p.pattern += QStringLiteral("05050");
        for (int i = 4; i < 8; ++i)
            p.pattern += digitR(digit(d, i));
    } else {
        // UPC-A is EAN 13 with a leading zero.
        const QString e = symbology == bcUpcA ? u'0' + d : d;
        const char *parity = kEan13Parity[digit(e, 0)];
        for (int i = 1; i < 7; ++i)
            p.pattern += parity[i - 1] == '1' ? digitG(digit(e, i)) : digitL(digit(e, i));
        p.pattern += QStringLiteral("05050");
        for (int i = 7; i < 13; ++i)
            p.pattern += digitR(digit(e, i));
    }
    p.pattern += QStringLiteral("505");
    return p;
}

} // namespace orv::barcode
