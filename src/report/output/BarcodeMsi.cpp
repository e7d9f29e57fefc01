// MSI with its modulo-10 check digit, and PostNet.
#include "report/output/BarcodeEncoders.h"

namespace orv::barcode {

TBarcodePattern encodeMsi(const QString &digits)
{
    // Modulo 10: the digits at odd places from the right doubled, digit sums added.
    int sum = 0;
    bool doubled = true;
    for (int i = digits.size() - 1; i >= 0; --i, doubled = !doubled) {
        int d = digits.at(i).digitValue();
        if (doubled) {
            d *= 2;
            d = d / 10 + d % 10;
        }
        sum += d;
    }
    TBarcodePattern p;
    p.text = digits + QChar(u'0' + (10 - sum % 10) % 10);
    p.pattern = QStringLiteral("60");
    for (QChar c : p.text) {
        const int d = c.digitValue();
        for (int bit = 3; bit >= 0; --bit)
            p.pattern += (d >> bit) & 1 ? QStringLiteral("60") : QStringLiteral("51");
    }
    p.pattern += QStringLiteral("515");
    return p;
}

TBarcodePattern encodePostNet(const QString &digits)
{
    // Tall (1) and short (0) bars of each digit.
    static const char *const kPostNet[10] = {"11000", "00011", "00101", "00110", "01001",
                                             "01010", "01100", "10001", "10010", "10100"};
    TBarcodePattern p;
    p.text = digits;
    p.pattern = QStringLiteral("51");
    for (QChar c : digits)
        for (const char *e = kPostNet[c.digitValue()]; *e; ++e)
            p.pattern += *e == '1' ? QStringLiteral("51") : QStringLiteral("91");
    p.pattern += u'5';
    return p;
}

} // namespace orv::barcode
