#include "report/output/ExportSupport.h"

#include "core/CodePage.h"

#include <QHash>

namespace orv {

int cp1250Byte(QChar c)
{
    static const QHash<char16_t, int> table = [] {
        QHash<char16_t, int> t;
        for (int b = 128; b < 256; ++b) {
            const QString s = decode(QByteArray(1, char(b)), CodePage::Cp1250);
            if (s.size() == 1 && encodable(s.at(0), CodePage::Cp1250))
                t.insert(s.at(0).unicode(), b);
        }
        return t;
    }();
    return c.unicode() < 128 ? c.unicode() : table.value(c.unicode(), 0);
}

QByteArray htmlColor(quint32 color)
{
    auto hex = [](int v) { return QByteArray::number(v, 16).toUpper().rightJustified(2, '0'); };
    return '#' + hex(redOf(color)) + hex(greenOf(color)) + hex(blueOf(color));
}

} // namespace orv
