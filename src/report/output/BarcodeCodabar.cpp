// Codabar: start character A, stop character B.
#include "report/output/BarcodeEncoders.h"

#include <cstring>

namespace orv::barcode {
namespace {

const char kCodabarChars[] = "0123456789-$:/.+ABCD";
// Wide (1) and narrow (0) elements, bar first, of each character of kCodabarChars.
const char *const kCodabar[20] = {
    "0000011", "0000110", "0001001", "1100000", "0010010", "1000010", "0100001",
    "0100100", "0110000", "1001000", "0001100", "0011000", "1000101", "1010001",
    "1010100", "0010101", "0011010", "0101001", "0001011", "0001110"};

} // namespace

TBarcodePattern encodeCodabar(const QString &data)
{
    TBarcodePattern p;
    p.pattern = fromWide(kCodabar[16]) + u'0';
    for (QChar c : data.toUpper()) {
        const char *at = c.unicode() > 0 && c.unicode() < 128
            ? std::strchr(kCodabarChars, char(c.unicode())) : nullptr;
        if (!at)
            continue;
        p.pattern += fromWide(kCodabar[at - kCodabarChars]) + u'0';
        p.text += c;
    }
    p.pattern += fromWide(kCodabar[17]);
    return p;
}

} // namespace orv::barcode
