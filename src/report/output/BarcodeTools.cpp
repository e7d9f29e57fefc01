// Helpers the barcode encoders share.
#include "report/output/BarcodeEncoders.h"

namespace orv::barcode {

QString fromModules(const char *modules, bool startWithBar)
{
    QString out;
    bool bar = startWithBar;
    for (const char *p = modules; *p; ++p, bar = !bar)
        out.append(QChar(bar ? *p + 4 : *p - 1));
    return out;
}

QString fromWide(const char *elements, bool startWithBar)
{
    QString out;
    bool bar = startWithBar;
    for (const char *p = elements; *p; ++p, bar = !bar)
        out.append(QChar(*p == '1' ? (bar ? '6' : '1') : (bar ? '5' : '0')));
    return out;
}

QString numericData(const QString &data)
{
    QString d = data.trimmed();
    for (QChar &c : d)
        if (c < u'0' || c > u'9')
            c = u'0';
    return d;
}

} // namespace orv::barcode
