#include "search/ResultExport.h"

#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/DataSetModel.h"
#include "db/Schema.h"
#include "db/WorkingCopies.h"
#include "search/MechSearch.h"
#include "ui/CsvText.h"

#include <QAbstractItemModel>
#include <QLocale>

namespace orv::search {

QString csvField(const QString &text)
{
    return ui::csvField(text);
}

QByteArray resultCsv(const QAbstractItemModel &model)
{
    return resultCsv(model, QString(), {});
}

QByteArray resultCsv(const QAbstractItemModel &model, const QString &extraHeading, const QStringList &extra)
{
    QList<QStringList> lines;
    QStringList fields;
    for (int c = 0; c < model.columnCount(); ++c)
        fields << model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    if (!extraHeading.isEmpty())
        fields << extraHeading;
    lines << fields;
    for (int r = 0; r < model.rowCount(); ++r) {
        fields.clear();
        for (int c = 0; c < model.columnCount(); ++c)
            fields << model.data(model.index(r, c), Qt::DisplayRole).toString();
        if (!extraHeading.isEmpty())
            fields << extra.value(r);
        lines << fields;
    }
    return ui::csvText(lines);
}

namespace {

// A display format of the grid as a spreadsheet's number format: the digit and separator
// patterns are the same; anything else stays general.
QString sheetNumberFormat(const QString &displayFormat)
{
    static const QString allowed = QStringLiteral("0#.,%");
    for (const QChar ch : displayFormat)
        if (!allowed.contains(ch))
            return {};
    return displayFormat;
}

} // namespace

xlsx::Workbook resultWorkbook(const QAbstractItemModel &model, const QString &extraHeading, const QStringList &extra,
                              const QString &catalogueFile, const QString &searchName)
{
    const auto *dsModel = qobject_cast<const db::DataSetModel *>(&model);
    xlsx::Workbook wb;
    xlsx::Sheet &sheet = wb.addSheet(QStringLiteral("Výsledek hledání"));
    QList<bool> numeric;
    for (int c = 0; c < model.columnCount(); ++c) {
        xlsx::Column col = xlsx::columnFromHeading(model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
        const db::Field *f = dsModel ? dsModel->fieldAt(c) : nullptr;
        numeric << (f && f->isNumeric());
        if (f && f->isNumeric())
            col.numberFormat = sheetNumberFormat(f->displayFormat());
        sheet.columns << col;
    }
    if (!extraHeading.isEmpty())
        sheet.columns << xlsx::columnFromHeading(extraHeading);
    sheet.rows.reserve(model.rowCount());
    for (int r = 0; r < model.rowCount(); ++r) {
        QList<xlsx::Cell> cells;
        for (int c = 0; c < model.columnCount(); ++c) {
            const QModelIndex i = model.index(r, c);
            cells << xlsx::Cell(numeric[c] ? model.data(i, db::DataSetModel::ValueRole) : model.data(i, Qt::DisplayRole));
        }
        if (!extraHeading.isEmpty())
            cells << xlsx::Cell(extra.value(r));
        sheet.addRow(std::move(cells));
    }
    QList<xlsx::SourceLine> source = xlsx::catalogueSource(catalogueFile);
    source.insert(0, {QStringLiteral("Hledání"), searchName});
    wb.setSource(source);
    return wb;
}

QString bestCombinationHeading()
{
    return QStringLiteral("nejlepší kombinace");
}

QString bestCombinationText(db::Connection &conn, int matNumber)
{
    const CardPosition pos = bestCombination(conn, matNumber);
    if (pos.semiProduct == 0)
        return {};
    // An own material's rows are numbered in the own tables.
    db::Statement st(conn, db::propertyTablesIn(QStringLiteral(
        "select sp.Name, stt.Code, stt.Name, di.FromValue, di.ToValue from SemiProd sp, States st "
        "left join StTypes stt on stt.Number = st.StateNo, Dimens di "
        "where sp.Number = :sp and st.Number = :st and di.Number = :di"), db::isOwnMaterial(conn, matNumber)));
    st.bind(QStringLiteral("sp"), pos.semiProduct);
    st.bind(QStringLiteral("st"), pos.state);
    st.bind(QStringLiteral("di"), pos.dimension);
    if (!st.step())
        return {};
    QLocale czech(QLocale::Czech, QLocale::CzechRepublic);
    czech.setNumberOptions(QLocale::OmitGroupSeparator);
    auto number = [&czech](const QVariant &v) { return v.isNull() ? QString() : czech.toString(v.toDouble(), 'g', 12); };
    const QString from = number(st.value(3)), to = number(st.value(4));
    QString dimension;
    if (!from.isEmpty() && !to.isEmpty())
        dimension = from + QStringLiteral(" – ") + to + QStringLiteral(" mm");
    else if (!to.isEmpty())
        dimension = QStringLiteral("do ") + to + QStringLiteral(" mm");
    else if (!from.isEmpty())
        dimension = QStringLiteral("nad ") + from + QStringLiteral(" mm");
    else
        dimension = QStringLiteral("libovolný rozměr");
    const QString state = (st.value(1).toString().trimmed() + u' ' + st.value(2).toString().trimmed()).trimmed();
    return QStringList{st.value(0).toString().trimmed(), state, dimension}.join(QStringLiteral("; "));
}

QStringList bestCombinationTexts(db::Connection &conn, const db::DataSet &result)
{
    QStringList out;
    for (int r = 0; r < result.recordCount(); ++r)
        out << bestCombinationText(conn, result.valueAt(r, QStringLiteral("MatNumber")).toInt());
    return out;
}

QString saveCsvFile(const QString &file, const QByteArray &bytes)
{
    return ui::saveCsvFile(file, bytes);
}

} // namespace orv::search
