#include "matexport/MaterialData.h"

#include "browse/MaterialCard.h"
#include "browse/MaterialCardCells.h"
#include "browse/MaterialSources.h"

#include <QVariant>

namespace orv::matexport {

namespace {

using db::DataSet;

std::optional<double> number(const QVariant &v)
{
    if (v.isNull() || !v.isValid())
        return std::nullopt;
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? std::optional<double>(d) : std::nullopt;
}

QString text(const DataSet &ds, int row, const char *field)
{
    return ds.valueAt(row, QString::fromLatin1(field)).toString().trimmed();
}

QString semiProductText(const DataSet &semi, int row)
{
    QStringList parts;
    for (const char *f : {"lkGroup1", "lkGroup2", "lkGroup3", "lkGroup4"}) {
        const QString t = text(semi, row, f);
        if (!t.isEmpty())
            parts << t;
    }
    return parts.join(QStringLiteral(", "));
}

QList<MechValue> mechValues(browse::MaterialCard &card)
{
    QList<MechValue> out;
    DataSet &mp = card.qMechPropTemps;
    for (int r = 0; r < mp.recordCount(); ++r) {
        MechValue v;
        const QVariant propertyNo = mp.valueAt(r, QStringLiteral("PropertyNo"));
        v.code = card.qPropType.lookup(QStringLiteral("Number"), propertyNo, QStringLiteral("Code")).toString().trimmed();
        v.property = text(mp, r, "lkPropertyNo");
        v.unit = card.qPropType.lookup(QStringLiteral("Number"), propertyNo, QStringLiteral("Measure")).toString().trimmed();
        v.temperature = number(mp.valueAt(r, QStringLiteral("Temperature")));
        v.minValue = number(mp.valueAt(r, QStringLiteral("TempMinValue")));
        v.maxValue = number(mp.valueAt(r, QStringLiteral("TempMaxValue")));
        v.text = text(mp, r, "clTemperature");
        QStringList notes;
        for (const char *f : {"lkNotice", "lkNotice1"})
            if (const QString n = text(mp, r, f); !n.isEmpty())
                notes << n;
        v.note = notes.join(QStringLiteral("; "));
        out << v;
    }
    return out;
}

// Every semi-product, state and dimension of the card with its values. Moving the masters
// reloads their details, so the positions are taken first and restored after.
QList<MechRow> mechRows(browse::MaterialCard &card, int *current)
{
    QList<MechRow> out;
    *current = -1;
    if (!card.mechanicalLoaded())
        card.showMechanicalProperties();
    DataSet &semi = card.qSemiProd;
    DataSet &states = card.qStates;
    DataSet &dimens = card.qDimens;
    if (!semi.isOpen() || semi.isEmpty())
        return out;
    const int semiAt = semi.recNo();
    const int stateAt = states.isOpen() ? states.recNo() : -1;
    const int dimAt = dimens.isOpen() ? dimens.recNo() : -1;
    for (int s = 0; s < semi.recordCount(); ++s) {
        semi.setRecNo(s);
        for (int st = 0; st < states.recordCount(); ++st) {
            states.setRecNo(st);
            for (int d = 0; d < dimens.recordCount(); ++d) {
                dimens.setRecNo(d);
                MechRow row;
                row.semiProduct = semi.value(QStringLiteral("Number")).toInt();
                row.state = states.value(QStringLiteral("Number")).toInt();
                row.dimension = dimens.value(QStringLiteral("Number")).toInt();
                row.semiProductText = semiProductText(semi, s);
                row.stateText = text(states, st, "lkState");
                row.dimensionText = text(dimens, d, "clValue");
                row.values = mechValues(card);
                if (s == semiAt && st == stateAt && d == dimAt)
                    *current = int(out.size());
                out << row;
            }
        }
    }
    if (semiAt >= 0)
        semi.setRecNo(semiAt);
    if (stateAt >= 0 && stateAt < states.recordCount())
        states.setRecNo(stateAt);
    if (dimAt >= 0 && dimAt < dimens.recordCount())
        dimens.setRecNo(dimAt);
    return out;
}

} // namespace

QString MechRow::caption() const
{
    QStringList parts{semiProductText, stateText};
    parts << (dimensionText.isEmpty() ? QStringLiteral("libovolný rozměr") : dimensionText + QStringLiteral(" mm"));
    return parts.join(QStringLiteral(" / "));
}

QString MaterialData::title() const
{
    return designation.isEmpty() ? name : designation;
}

MaterialData readMaterialData(browse::MaterialCard &card)
{
    MaterialData m;
    m.materialNo = card.materialNo();
    if (card.qMat.isOpen() && !card.qMat.isEmpty())
        m.name = card.qMat.value(QStringLiteral("Name")).toString().trimmed();
    if (card.qNorms.isOpen() && !card.qNorms.isEmpty()) {
        m.standard = text(card.qNorms, 0, "Name");
        m.designation = text(card.qNorms, 0, "Label");
    }
    if (card.environment().catalogue)
        m.sources = browse::materialSources(*card.environment().catalogue, m.materialNo);

    for (int r = 0; r < card.qChemComp.recordCount(); ++r) {
        CompositionValue c;
        c.element = text(card.qChemComp, r, "lkElement");
        c.symbol = card.qElements
                       .lookup(QStringLiteral("Number"), card.qChemComp.valueAt(r, QStringLiteral("ElementNo")),
                               QStringLiteral("Label"))
                       .toString()
                       .trimmed();
        c.minValue = number(card.qChemComp.valueAt(r, QStringLiteral("MinValue")));
        c.maxValue = number(card.qChemComp.valueAt(r, QStringLiteral("MaxValue")));
        m.composition << c;
    }
    if (card.qChemZbytek.isOpen() && !card.qChemZbytek.isEmpty())
        m.balance = text(card.qChemZbytek, 0, "lkElement");

    for (int r = 0; r < card.qCompareNorms.recordCount(); ++r)
        m.equivalents << Equivalent{text(card.qCompareNorms, r, "lkCountry"), text(card.qCompareNorms, r, "Name"),
                                    text(card.qCompareNorms, r, "Label")};

    for (int r = 0; r < card.qFyzProp.recordCount(); ++r) {
        PhysValue p;
        p.property = text(card.qFyzProp, r, "lkProperty");
        p.temperature = number(card.qFyzProp.valueAt(r, QStringLiteral("Temperature")));
        p.minValue = number(card.qFyzProp.valueAt(r, QStringLiteral("MinValue")));
        p.maxValue = number(card.qFyzProp.valueAt(r, QStringLiteral("MaxValue")));
        p.note = text(card.qFyzProp, r, "lkNotice");
        m.physical << p;
    }
    m.mechanical = mechRows(card, &m.currentMechRow);
    return m;
}

} // namespace orv::matexport
