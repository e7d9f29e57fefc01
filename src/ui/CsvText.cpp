#include "ui/CsvText.h"

#include <QSaveFile>

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
    QSaveFile f(file);
    if (!f.open(QIODevice::WriteOnly))
        return QStringLiteral("Soubor %1 nelze vytvořit: %2").arg(file, f.errorString());
    if (f.write(bytes) != bytes.size()) {
        const QString why = f.errorString();
        f.cancelWriting();
        return QStringLiteral("Do souboru %1 nelze zapisovat: %2").arg(file, why);
    }
    if (!f.commit())
        return QStringLiteral("Soubor %1 nelze uložit: %2").arg(file, f.errorString());
    return QString();
}

} // namespace orv::ui
