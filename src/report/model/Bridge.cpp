#include "report/model/Bridge.h"

#include "report/model/NumberFormat.h"

#include <QRegularExpression>

namespace orv {

TBridge::~TBridge() = default;

bool isPictureType(int type)
{
    return type == ftBlob || type == ftGraphic || type == ftTypedBinary;
}

bool isMemoType(int type)
{
    return type == ftMemo || type == ftFmtMemo;
}

int kindOfFieldType(int type)
{
    switch (type) {
    case ftString: case ftWideString:
        return TCalcType::KindText;
    case ftSmallint: case ftInteger: case ftWord: case ftFloat: case ftCurrency: case ftBCD:
    case ftAutoInc: case ftLargeint: case ftFMTBcd:
        return TCalcType::KindNumber;
    default:
        return TCalcType::KindOther;
    }
}

TCalcType fieldValueFromBridge(const TBridge &bridge, int n)
{
    TCalcType v;
    if (n < 0 || n >= bridge.FieldCount())
        return v;
    const int type = bridge.FieldDataType(n);
    v.Kind = kindOfFieldType(type);
    v.IsNull = bridge.IsNull(n);
    v.Text = isMemoType(type) ? bridge.MemoText(n) : bridge.DisplayText(n);
    switch (type) {
    case ftSmallint: case ftInteger: case ftWord: case ftFloat: case ftCurrency: case ftBCD:
    case ftAutoInc: case ftLargeint: case ftFMTBcd: case ftDate: case ftTime: case ftDateTime:
        v.Number = bridge.AsFloat(n);
        break;
    case ftBoolean:
        v.Number = bridge.AsBoolean(n) ? 1.0 : 0.0;
        break;
    case ftString: case ftWideString:
        v.Number = StrToNum(bridge.AsString(n));
        break;
    default:
        v.Number = 0.0;
    }
    return v;
}

QString queryMissingNameText(const QString &engineText)
{
    static const QRegularExpression re(
        QStringLiteral("no such (table|column): ([^\\s,;)]+)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(engineText);
    if (!m.hasMatch())
        return QString();
    const bool table = m.captured(1).compare(QStringLiteral("table"), Qt::CaseInsensitive) == 0;
    return (table ? QStringLiteral("Dotaz sestavy čte tabulku „%1“, která v databázi není.")
                  : QStringLiteral("Dotaz sestavy čte sloupec „%1“, který v jeho tabulkách není."))
               .arg(m.captured(2))
           + QStringLiteral(" Opravte dotaz (název tabulky nebo sloupce).");
}

QString queryFailureText(const QString &engineText)
{
    const QString missing = queryMissingNameText(engineText);
    if (missing.isEmpty())
        return engineText;
    const qsizetype detail = engineText.lastIndexOf(QStringLiteral("Podrobnosti: "));
    return missing + QStringLiteral("\n") + (detail >= 0 ? engineText.mid(detail) : engineText);
}

} // namespace orv
