// The 2 of 5 codes: interleaved, industrial and matrix.
#include "report/output/BarcodeEncoders.h"

namespace orv::barcode {
namespace {

// Wide (1) and narrow (0) elements of each digit.
const char *const kTwoOfFive[10] = {"00110", "10001", "01001", "11000", "00101",
                                    "10100", "01100", "00011", "10010", "01010"};

} // namespace

TBarcodePattern encodeTwoOfFive(int symbology, const QString &digitsIn)
{
    TBarcodePattern p;
    QString digits = digitsIn;
    if (symbology == bcInterleaved25) {
        // Digits go in pairs; an odd count gets a leading zero rather than losing a digit.
        if (digits.size() % 2)
            digits.prepend(u'0');
        p.pattern = QStringLiteral("5050");
        for (int i = 0; i + 1 < digits.size(); i += 2) {
            const char *a = kTwoOfFive[digits.at(i).digitValue()];
            const char *b = kTwoOfFive[digits.at(i + 1).digitValue()];
            for (int k = 0; k < 5; ++k) {
                p.pattern.append(QChar(a[k] == '1' ? '6' : '5'));
                p.pattern.append(QChar(b[k] == '1' ? '1' : '0'));
            }
        }
        p.pattern.append(QStringLiteral("605"));
    } else if (symbology == bcIndustrial25) {
        p.pattern = QStringLiteral("606050");
        for (QChar c : digits)
            for (const char *e = kTwoOfFive[c.digitValue()]; *e; ++e)
                p.pattern.append(*e == '1' ? QStringLiteral("60") : QStringLiteral("50"));
        p.pattern.append(QStringLiteral("605060"));
    } else {
        p.ratio = 2.25;
        p.pattern = QStringLiteral("705050");
        for (QChar c : digits) {
            p.pattern.append(fromWide(kTwoOfFive[c.digitValue()]));
            p.pattern.append(u'0');
        }
        p.pattern.append(QStringLiteral("70505"));
    }
    p.text = digits;
    return p;
}

} // namespace orv::barcode
