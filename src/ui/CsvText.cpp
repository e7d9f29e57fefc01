#include "ui/CsvText.h"

#include "core/SafeFile.h"

namespace orv::ui {

QString csvField(const QString &text)
{
    const bool quote = text.contains(QLatin1Char(';')) || text.contains(QLatin1Char('"')) ||
                       text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) ||
                       (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()));
    if (!quote)
        return text;
    QString t = text;
    t.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + t + QLatin1Char('"');
}

QByteArray csvText(const QList<QStringList> &lines)
{
    QString out;
    for (const QStringList &line : lines) {
        QStringList fields;
        fields.reserve(line.size());
        for (const QString &f : line)
            fields << csvField(f);
        out += fields.join(QLatin1Char(';')) + QStringLiteral("\r\n");
    }
    return QByteArrayLiteral("\xEF\xBB\xBF") + out.toUtf8();
}

QString saveCsvFile(const QString &file, const QByteArray &bytes)
{
    QString error;
    return writeFileSafely(file, bytes, &error) ? QString() : error;
}

} // namespace orv::ui
