// StrToNum on any text, with either decimal separator: never a crash, never a non-finite
// number, the same result under both separators, and plain decimals read exactly.

#include "FuzzSupport.h"

#include "report/model/NumberFormat.h"

#include <QRegularExpression>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace orv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));

    formatSettings().DecimalSeparator = u'.';
    const double withPoint = StrToNum(text);
    formatSettings().DecimalSeparator = u',';
    const double withComma = StrToNum(text);

    fuzz::check(std::isfinite(withPoint) && std::isfinite(withComma), "non-finite number");
    fuzz::check(withPoint == withComma, "result depends on the decimal separator");

    static const QRegularExpression plain(QStringLiteral("^ *(-?[0-9]{1,15})(?:[.,]([0-9]{1,15}))?\\z"));
    const QRegularExpressionMatch m = plain.match(text);
    if (m.hasMatch()) {
        const QByteArray c = (m.captured(1) + u'.' + (m.captured(2).isEmpty() ? QStringLiteral("0")
                                                                               : m.captured(2)))
                                 .toLatin1();
        const double expected = std::strtod(c.constData(), nullptr);
        fuzz::check(withPoint == expected, "plain decimal read wrongly");
    }
    return 0;
}
