#include "browse/CardXlsx.h"

#include "browse/MaterialCard.h"
#include "browse/MaterialSources.h"
#include "db/Connection.h"
#include "db/Schema.h"
#include "db/WorkingCopies.h"
#include "ui/MessageDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QLabel>

namespace orv::browse {

namespace {

using xlsx::Cell;
using xlsx::Column;

QString text(const db::Statement &st, int i)
{
    return st.value(i).toString().trimmed();
}

void addComposition(db::Connection &cat, int m, bool own, xlsx::Workbook &wb)
{
    xlsx::Sheet &s = wb.addSheet(QStringLiteral("Chemické složení"));
    s.columns = {{QStringLiteral("prvek"), {}, {}}, {QStringLiteral("název"), {}, {}},
                 {QStringLiteral("min"), QStringLiteral("%"), {}}, {QStringLiteral("max"), QStringLiteral("%"), {}}};
    db::Statement st(cat, QStringLiteral(
        "select e.Label, e.Name, c.MinValue, c.MaxValue from ChemComp c left join Elements e on e.Number = c.ElementNo "
        "where c.MaterialNo = :m order by c.Number"));
    st.bind(QStringLiteral("m"), m);
    while (st.step())
        s.addRow({text(st, 0), text(st, 1), st.value(2), st.value(3)});
    db::Statement balance(cat, db::propertyTablesIn(QStringLiteral(
        "select e.Label, e.Name from ChemZbytek z left join Elements e on e.Number = z.ElementNo "
        "where z.MaterialNo = :m order by z.Number"), own));
    balance.bind(QStringLiteral("m"), m);
    if (balance.step())
        s.addRow({text(balance, 0), text(balance, 1) + QStringLiteral(" (zbytek)"), Cell(), Cell()});
}

// Every property at every temperature of every dimension range, state and semi-product.
void addMechanical(db::Connection &cat, int m, bool own, xlsx::Workbook &wb)
{
    xlsx::Sheet &s = wb.addSheet(QStringLiteral("Mechanické vlastnosti"));
    s.columns = {{QStringLiteral("polotovar"), {}, {}},      {QStringLiteral("stav"), {}, {}},
                 {QStringLiteral("rozměr od"), QStringLiteral("mm"), {}}, {QStringLiteral("rozměr do"), QStringLiteral("mm"), {}},
                 {QStringLiteral("vlastnost"), {}, {}},      {QStringLiteral("značka"), {}, {}},
                 {QStringLiteral("jednotka"), {}, {}},       {QStringLiteral("teplota"), QStringLiteral("°C"), {}},
                 {QStringLiteral("min"), {}, {}},            {QStringLiteral("max"), {}, {}}};
    db::Statement st(cat, db::propertyTablesIn(QStringLiteral(
        "select trim(coalesce(g1.Name, '') || ', ' || coalesce(g2.Name, '') || ', ' || coalesce(g3.Name, '') || ', ' "
        "  || coalesce(g4.Name, ''), ', '), sp.Name, "
        "  trim(coalesce(stt.Code, '') || ' ' || coalesce(stt.Name, '')), di.FromValue, di.ToValue, "
        "  pt.Name, pt.Code, pt.Measure, te.Temperature, te.TempMinValue, te.TempMaxValue "
        "from SemiProd sp join States st on st.SemiPrNo = sp.Number join Dimens di on di.StateNo = st.Number "
        "join MechProp mp on mp.DimensionNo = di.Number join Temps te on te.PropertyNo = mp.Number "
        "left join StTypes stt on stt.Number = st.StateNo left join PropType pt on pt.Number = mp.PropertyNo "
        "left join SemTypes g1 on g1.Number = sp.Group1No left join SemTypes g2 on g2.Number = sp.Group2No "
        "left join SemTypes g3 on g3.Number = sp.Group3No left join SemTypes g4 on g4.Number = sp.Group4No "
        "where sp.MaterialNo = :m order by sp.Number, st.Number, di.Number, mp.Number, te.Number"), own));
    st.bind(QStringLiteral("m"), m);
    while (st.step()) {
        QString semi = text(st, 0);
        // Empty groups leave separators behind: ", Tyče, , " reads "Tyče".
        semi = semi.split(QStringLiteral(", "), Qt::SkipEmptyParts).join(QStringLiteral(", "));
        if (semi.isEmpty())
            semi = text(st, 1);
        s.addRow({semi, text(st, 2), st.value(3), st.value(4), text(st, 5), text(st, 6), text(st, 7), st.value(8),
                  st.value(9), st.value(10)});
    }
}

void addPhysical(db::Connection &cat, int m, bool own, xlsx::Workbook &wb)
{
    xlsx::Sheet &s = wb.addSheet(QStringLiteral("Fyzikální vlastnosti"));
    s.columns = {{QStringLiteral("vlastnost"), {}, {}}, {QStringLiteral("teplota"), QStringLiteral("°C"), {}},
                 {QStringLiteral("min"), {}, {}}, {QStringLiteral("max"), {}, {}}};
    db::Statement st(cat, db::propertyTablesIn(QStringLiteral(
        "select t.Name, f.Temperature, f.MinValue, f.MaxValue from FyzProp f "
        "left join FyzPropType t on t.Number = f.PropertyNo where f.MaterialNo = :m order by f.Number"), own));
    st.bind(QStringLiteral("m"), m);
    while (st.step())
        s.addRow({text(st, 0), st.value(1), st.value(2), st.value(3)});
}

void addHeatTreatment(db::Connection &cat, int m, bool own, xlsx::Workbook &wb)
{
    xlsx::Sheet &s = wb.addSheet(QStringLiteral("Tepelné zpracování"));
    s.columns = {{QStringLiteral("zpracování"), {}, {}}, {QStringLiteral("teplota min"), QStringLiteral("°C"), {}},
                 {QStringLiteral("teplota max"), QStringLiteral("°C"), {}}};
    db::Statement st(cat, db::propertyTablesIn(QStringLiteral(
        "select p.Name, t.MinValue, t.MaxValue from TempProc t left join Proc p on p.Number = t.ProcNo "
        "where t.MaterialNo = :m order by t.Number"), own));
    st.bind(QStringLiteral("m"), m);
    while (st.step())
        s.addRow({text(st, 0), st.value(1), st.value(2)});
}

void addEquivalents(db::Connection &cat, int m, xlsx::Workbook &wb)
{
    xlsx::Sheet &s = wb.addSheet(QStringLiteral("Ekvivalenty"));
    s.columns = {{QStringLiteral("stát"), {}, {}}, {QStringLiteral("norma"), {}, {}}, {QStringLiteral("značka"), {}, {}}};
    db::Statement st(cat, QStringLiteral(
        "select co.Name, cn.Name, cn.Label from CompareNorms cn left join Country co on co.Number = cn.CountryNo "
        "where cn.MaterialNo = :m order by co.Number, cn.Number"));
    st.bind(QStringLiteral("m"), m);
    while (st.step())
        s.addRow({text(st, 0), text(st, 1), text(st, 2)});
}

} // namespace

xlsx::Workbook cardWorkbook(db::Connection &cat, int m)
{
    xlsx::Workbook wb;
    // An own material's property rows are in the own tables.
    const bool own = db::isOwnMaterial(cat, m);
    addComposition(cat, m, own, wb);
    addMechanical(cat, m, own, wb);
    addPhysical(cat, m, own, wb);
    addHeatTreatment(cat, m, own, wb);
    addEquivalents(cat, m, wb);

    QList<xlsx::SourceLine> lines;
    db::Statement norm(cat, QStringLiteral("select Name, Label from Norms where MaterialNo = :m order by Number"));
    norm.bind(QStringLiteral("m"), m);
    if (norm.step()) {
        lines.append({QStringLiteral("Norma"), text(norm, 0)});
        lines.append({QStringLiteral("Značka"), text(norm, 1)});
    }
    for (const QString &source : materialSources(cat, m))
        lines.append({QStringLiteral("Zdroj údajů"), source});
    lines += xlsx::catalogueSource(cat.fileOf(db::Database::Catalogue));
    wb.setSource(lines);
    return wb;
}

bool saveCardXlsx(MaterialCard &card, QWidget *parent, QString file)
{
    if (file.isEmpty()) {
        file = QFileDialog::getSaveFileName(parent, QStringLiteral("Uložit materiál jako XLSX"),
                                            QDir::home().filePath(QString(card.designationLabel()->text()).replace(u'/', u'-') + QStringLiteral(".xlsx")),
                                            QStringLiteral("Sešity XLSX (*.xlsx);;Všechny soubory (*)"));
        if (file.isEmpty())
            return false;
        if (!file.contains(u'.'))
            file += QStringLiteral(".xlsx");
    }
    QString failure;
    try {
        failure = cardWorkbook(*card.environment().catalogue, card.materialNo()).save(file);
    } catch (const std::exception &e) {
        failure = QString::fromUtf8(e.what());
    }
    if (failure.isEmpty())
        return true;
    if (card.environment().showError)
        card.environment().showError(failure);
    else
        ui::message(failure, ui::MsgType::Error, ui::MsgButton::OK);
    return false;
}

} // namespace orv::browse
