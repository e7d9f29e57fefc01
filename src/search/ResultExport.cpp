#include "search/ResultExport.h"

#include <QAbstractItemModel>
#include <QSaveFile>

namespace orv::search {

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

QByteArray resultCsv(const QAbstractItemModel &model)
{
    QString out;
    QStringList fields;
    for (int c = 0; c < model.columnCount(); ++c)
        fields << csvField(model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
    out += fields.join(QLatin1Char(';')) + QStringLiteral("\r\n");
    for (int r = 0; r < model.rowCount(); ++r) {
        fields.clear();
        for (int c = 0; c < model.columnCount(); ++c)
            fields << csvField(model.data(model.index(r, c), Qt::DisplayRole).toString());
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

} // namespace orv::search
