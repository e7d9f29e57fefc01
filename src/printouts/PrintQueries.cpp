#include "printouts/PrintQueries.h"

#include "db/DataSet.h"
#include "db/Field.h"

namespace orv::printouts {

namespace {

const QString kSelectInfo = QStringLiteral(
    "select mat.Number MatNumber, mat.Name MatName, nr.Name NormName, nr.Label NormLabel, "
    "mat.PurposeAll MatPurposeAll, mat.NoticeNo MatNoticeNo");

const QString kMechColumns = QStringLiteral(
    "sp.Group1No, sp.Group2No, sp.Group3No, sp.Group4No, sp.NoticeNo SpNoticeNo, sp.Number SpNumber, "
    "di.Number DiNumber, di.FromValue, di.ToValue, di.NoticeNo DiNoticeNo, st.Number StNumber, "
    "st.StateNo, st.NoticeNo StNoticeNo, mp.Number+te.Number MpNumber, mp.PropertyNo, "
    "mp.NoticeNo MpNoticeNo, te.Temperature, te.TempMinValue, te.TempMaxValue, te.NoticeNo TeNoticeNo,");

db::Field &shown(db::Field &f, const char *label, int width = 0)
{
    f.setDisplayLabel(QString::fromUtf8(label));
    if (width > 0)
        f.setDisplayWidth(width);
    return f;
}

QVariant valueOf(const db::Record &r, const char *field)
{
    return r.value(QString::fromLatin1(field));
}

} // namespace

QStringList infoQueryShort()
{
    return {QStringLiteral("select mat.Name MatName, nr.Name NormName, nr.Label NormLabel"),
            QStringLiteral("  from mat, Norms nr"),
            QStringLiteral("  where mat.Number=:in1 and nr.MaterialNo=mat.Number")};
}

QStringList infoQuery()
{
    return {kSelectInfo, QStringLiteral("  from mat, Norms nr"),
            QStringLiteral("  where mat.Number=:in1 and nr.MaterialNo=mat.Number")};
}

QStringList equivalentsQuery()
{
    return {QStringLiteral("select cn.Name CompNormName, cn.Label CompNormLabel, co.Name CountryName"),
            QStringLiteral("  from Country co, CompareNorms cn"),
            QStringLiteral("  where cn.MaterialNo=:in1 and co.Number=cn.CountryNo")};
}

QStringList withSources(QStringList sql, bool catalogueHasSources)
{
    if (sql.isEmpty())
        return sql;
    sql[0] += catalogueHasSources
                  // The separator is a line break written into the constant itself: no
                  // character function is spelled the same on every engine.
                  ? QStringLiteral(", coalesce((select group_concat(ms.Source, '\n') from (select Source from MatSources "
                                   "where MaterialNo = mat.Number order by Number) ms), "
                                   "'Zdroj údajů není v katalogu uveden.') MatSources")
                  : QStringLiteral(", 'Zdroj údajů není v katalogu uveden.' MatSources");
    return sql;
}

QStringList noticesQuery()
{
    return {QStringLiteral("select *"), QStringLiteral("  from Notices")};
}

QStringList compositionQuery()
{
    // The order of the card: the rows as entered, the balance element ("A") last. After a
    // union the order can only name result columns: 5 is the mark, 1 the row number.
    return {QStringLiteral("select ChemComp.Number,Elements.Name,MinValue,MaxValue,'N' Zbytek"),
            QStringLiteral("  from ChemComp,Elements"),
            QStringLiteral("  where MaterialNo=:in1 and ElementNo=Elements.Number"),
            QStringLiteral("union select ChemComp.Number,Elements.Name,MinValue,MaxValue,'N' Zbytek"),
            QStringLiteral("  from ChemComp,Elements"),
            QStringLiteral("  where MaterialNo=:in1 and ElementNo=Elements.Number and NoticeNo is NULL"),
            QStringLiteral("union select ChemZbytek.Number,Elements.Name,0,0,'A' Zbytek"),
            QStringLiteral("  from ChemZbytek,Elements"),
            QStringLiteral("  where MaterialNo=:in1 and ElementNo=Elements.Number"),
            QStringLiteral("  order by 5 desc, 1")};
}

QStringList compositionNotesQuery()
{
    return {QStringLiteral("select ChemComp.Number,Elements.Name,Notices.Notice"),
            QStringLiteral("  from ChemComp,Notices,Elements"),
            QStringLiteral("  where ChemComp.MaterialNo=:in1 and ChemComp.NoticeNo=Notices.Number and "
                           "Elements.Number=ChemComp.ElementNo"),
            QStringLiteral("  order by ChemComp.Number")};
}

QStringList mechanicalQuery()
{
    // MpNumber (the sum of the two row numbers) stays in the field list; the order uses the
    // two row numbers themselves, appended as the last columns, since a sum mixes rows up
    // (1 + 5 = 2 + 4).
    const QString rows = QStringLiteral(" mp.Number MpRowNo, te.Number TeRowNo");
    return {QStringLiteral("select distinct ") + kMechColumns + QStringLiteral("nt.Notice Notice,") + rows,
            QStringLiteral("  from SemiProd sp, Dimens di, States st, MechProp mp, Temps te, Notices nt"),
            QStringLiteral("  where sp.MaterialNo=:in1 and st.SemiPrNo=sp.Number and di.StateNo=st.Number and "
                           "mp.DimensionNo=di.Number and te.PropertyNo=Mp.Number and Mp.NoticeNo=nt.Number"),
            QStringLiteral("union select ") + kMechColumns + QStringLiteral("CAST(' ' AS VARCHAR(200)) Notice,") + rows,
            QStringLiteral("  from SemiProd sp, Dimens di, States st, MechProp mp, Temps te"),
            QStringLiteral("  where sp.MaterialNo=:in1 and st.SemiPrNo=sp.Number and di.StateNo=st.Number and "
                           "mp.DimensionNo=di.Number and te.PropertyNo=Mp.Number and Mp.NoticeNo is NULL"),
            QStringLiteral("  order by SpNumber, StNumber, DiNumber, MpRowNo, TeRowNo")};
}

QStringList userNoteQuery()
{
    return {QStringLiteral("select *"), QStringLiteral("  from UserNotices"),
            QStringLiteral("  where MATERIALNO=:in1")};
}

QStringList semiProductTypesQuery()
{
    return {QStringLiteral("select *"), QStringLiteral("  from SemTypes")};
}

QStringList stateTypesQuery()
{
    return {QStringLiteral("select *"), QStringLiteral("  from StTypes")};
}

QStringList propertyTypesQuery()
{
    return {QStringLiteral("select *"), QStringLiteral("  from PropType")};
}

QStringList physicalQuery()
{
    return {QStringLiteral("select *"), QStringLiteral("  from FyzProp"), QStringLiteral("  where MaterialNo=:in1")};
}

QStringList physicalTypesQuery()
{
    return {QStringLiteral("select *"), QStringLiteral("  from FyzPropType")};
}

QStringList heatTreatmentQuery()
{
    return {QStringLiteral("select *"), QStringLiteral("  from TempProc"), QStringLiteral("  where MaterialNo=:in1")};
}

QStringList processesQuery()
{
    return {QStringLiteral("select *"), QStringLiteral("  from Proc")};
}

// ---------------------------------------------------------------------------- texts

QLocale printLocale()
{
    // Values of tables are written without group separators: "1100", not "1 100".
    QLocale locale(QLocale::Czech, QLocale::CzechRepublic);
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

QString printNumber(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return {};
    bool ok = false;
    const double d = value.toDouble(&ok);
    if (!ok)
        return {};
    return printLocale().toString(d, 'g', 12);
}

QString printRange(const QVariant &from, const QVariant &to)
{
    const QString a = printNumber(from);
    const QString b = printNumber(to);
    if (!a.isEmpty() && !b.isEmpty())
        return a == b ? a : a + QStringLiteral(" – ") + b;
    if (!b.isEmpty())
        return QStringLiteral("max. ") + b;
    if (!a.isEmpty())
        return QStringLiteral("min. ") + a;
    return {};
}

QString printDimension(const QVariant &from, const QVariant &to)
{
    const QString a = printNumber(from);
    const QString b = printNumber(to);
    if (!a.isEmpty() && !b.isEmpty())
        return a + QStringLiteral(" – ") + b + QStringLiteral(" mm");
    if (!b.isEmpty())
        return QStringLiteral("do ") + b + QStringLiteral(" mm");
    if (!a.isEmpty())
        return QStringLiteral("nad ") + a + QStringLiteral(" mm");
    return {};
}

// ---------------------------------------------------------------------------- fields

void defineCompositionFields(db::DataSet &q)
{
    shown(q.defineField(QStringLiteral("Name")), "Prvek", 200);
    q.defineField(QStringLiteral("Zbytek")).setSize(1);
    // The bounds as printed; the balance element has none (its 0 and 0 are not bounds) and
    // is marked "zbytek" instead.
    auto balance = [](const db::Record &r) { return valueOf(r, "Zbytek").toString() == QLatin1String("A"); };
    q.addCalculatedField(QStringLiteral("MinText"), db::FieldType::String, 40, [balance](const db::Record &r) {
        return QVariant(balance(r) ? QString() : printNumber(valueOf(r, "MinValue")));
    });
    q.addCalculatedField(QStringLiteral("MaxText"), db::FieldType::String, 40, [balance](const db::Record &r) {
        return QVariant(balance(r) ? QString() : printNumber(valueOf(r, "MaxValue")));
    });
    q.addCalculatedField(QStringLiteral("ZbytekText"), db::FieldType::String, 20, [balance](const db::Record &r) {
        return QVariant(balance(r) ? QStringLiteral("zbytek") : QString());
    });
}

void defineMechanicalFields(db::DataSet &q, db::DataSet &semTypes, db::DataSet &stTypes,
                            db::DataSet &propTypes)
{
    shown(q.defineField(QStringLiteral("Notice")), "Poznámka", 200);
    for (int g = 1; g <= 4; ++g)
        shown(q.addLookupField(QStringLiteral("Group%1").arg(g), QStringLiteral("Group%1No").arg(g), &semTypes,
                               QStringLiteral("Number"), QStringLiteral("Name")),
              "Skupina", 200);
    shown(q.addLookupField(QStringLiteral("StateName"), QStringLiteral("StateNo"), &stTypes, QStringLiteral("Number"),
                           QStringLiteral("Name")),
          "Stav", 200);
    shown(q.addLookupField(QStringLiteral("PropertyName"), QStringLiteral("PropertyNo"), &propTypes,
                           QStringLiteral("Number"), QStringLiteral("Name")),
          "Vlastnost", 200);
    // Printed texts.
    q.addCalculatedField(QStringLiteral("Polotovar"), db::FieldType::String, 200, [](const db::Record &r) {
        QStringList parts;
        for (int g = 1; g <= 4; ++g) {
            const QString s = r.value(QStringLiteral("Group%1").arg(g)).toString().trimmed();
            if (!s.isEmpty())
                parts << s;
        }
        return QVariant(parts.join(QStringLiteral(", ")));
    });
    q.addCalculatedField(QStringLiteral("Rozmer"), db::FieldType::String, 60, [](const db::Record &r) {
        return QVariant(printDimension(valueOf(r, "FromValue"), valueOf(r, "ToValue")));
    });
    q.addCalculatedField(QStringLiteral("Teplota"), db::FieldType::String, 20, [](const db::Record &r) {
        const QString t = printNumber(valueOf(r, "Temperature"));
        return QVariant(t.isEmpty() ? QString() : t + QStringLiteral(" °C"));
    });
    q.addCalculatedField(QStringLiteral("Hodnota"), db::FieldType::String, 60, [](const db::Record &r) {
        return QVariant(printRange(valueOf(r, "TempMinValue"), valueOf(r, "TempMaxValue")));
    });
    q.addLookupField(QStringLiteral("Jednotka"), QStringLiteral("PropertyNo"), &propTypes, QStringLiteral("Number"),
                     QStringLiteral("Measure"));
}

void defineInfoFields(db::DataSet &q, db::DataSet &notices, db::DataSet *userNotes)
{
    shown(q.defineField(QStringLiteral("MatName")), "Materiál", 200);
    shown(q.defineField(QStringLiteral("NormName")), "Norma", 15);
    shown(q.defineField(QStringLiteral("NormLabel")), "Označení", 150);
    q.defineField(QStringLiteral("MatNoticeNo")).setVisible(false);
    shown(q.addLookupField(QStringLiteral("MatNotice"), QStringLiteral("MatNoticeNo"), &notices,
                           QStringLiteral("Number"), QStringLiteral("Notice")),
          "Poznámka", 255);
    q.defineField(QStringLiteral("MatNumber")).setVisible(false);
    if (userNotes)
        shown(q.addLookupField(QStringLiteral("Text"), QStringLiteral("MatNumber"), userNotes,
                               QStringLiteral("MATERIALNO"), QStringLiteral("TEXT")),
              "Poznámka uživatele", 255);
    shown(q.defineField(QStringLiteral("MatPurposeAll")), "Použití");
}

void definePhysicalFields(db::DataSet &q, db::DataSet &types, db::DataSet &notices)
{
    shown(q.addLookupField(QStringLiteral("lkProperty"), QStringLiteral("PropertyNo"), &types,
                           QStringLiteral("Number"), QStringLiteral("Name")),
          "Vlastnost", 45);
    const QString format = QStringLiteral("0.####");
    shown(q.defineField(QStringLiteral("Temperature")), "Teplota [°C]").setDisplayFormat(format);
    shown(q.defineField(QStringLiteral("MinValue")), "Min. hodnota").setDisplayFormat(format);
    shown(q.defineField(QStringLiteral("MaxValue")), "Max. hodnota").setDisplayFormat(format);
    shown(q.addLookupField(QStringLiteral("lkNotice"), QStringLiteral("NoticeNo"), &notices,
                           QStringLiteral("Number"), QStringLiteral("Notice")),
          "Poznámka", 20);
}

void defineHeatTreatmentFields(db::DataSet &q, db::DataSet &processes)
{
    shown(q.addLookupField(QStringLiteral("lkProc"), QStringLiteral("ProcNo"), &processes, QStringLiteral("Number"),
                           QStringLiteral("Name")),
          "Název", 30);
    shown(q.defineField(QStringLiteral("MinValue")), "Min. hodnota").setDisplayFormat(QStringLiteral("0.####"));
    shown(q.defineField(QStringLiteral("MaxValue")), "Max. hodnota").setDisplayFormat(QStringLiteral("0.####"));
    shown(q.defineField(QStringLiteral("Cool")), "Výdrž", 20);
    shown(q.defineField(QStringLiteral("Stand")), "Ochlazování", 20);
    shown(q.defineField(QStringLiteral("Notice")), "Poznámka", 20);
}

} // namespace orv::printouts
