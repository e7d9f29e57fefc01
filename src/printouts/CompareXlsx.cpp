#include "printouts/CompareXlsx.h"

#include "printouts/PrintQueries.h"

namespace orv::printouts {

xlsx::Workbook comparisonWorkbook(const Comparison &c, bool hideEqual, const QString &catalogueFile,
                                  const QString &criteriaText)
{
    xlsx::Workbook wb;
    xlsx::Sheet &sheet = wb.addSheet(QStringLiteral("Porovnání"));
    sheet.columns = {{QStringLiteral("skupina"), {}, {}}, {QStringLiteral("vlastnost"), {}, {}},
                     {QStringLiteral("jednotka"), {}, {}}};
    for (const QString &h : c.headings)
        sheet.columns << xlsx::Column{h + QStringLiteral(" min"), {}, {}} << xlsx::Column{h + QStringLiteral(" max"), {}, {}}
                      << xlsx::Column{h, {}, {}};
    const QLocale locale = printLocale();
    QString sourceRow;
    QStringList sources;
    for (const CompareRow &r : c.visibleRows(hideEqual)) {
        // The unit is the caption's ("Rm [MPa]"), else the group's ("Chemické složení [%]").
        const xlsx::Column caption = xlsx::columnFromHeading(r.caption);
        const QString unit = caption.unit.isEmpty() ? xlsx::columnFromHeading(r.group).unit : caption.unit;
        QList<xlsx::Cell> cells{xlsx::Cell(r.group), xlsx::Cell(caption.heading), xlsx::Cell(unit)};
        for (const QString &text : r.cells) {
            // Designations like "12 050" stay texts: only the material's values are numbers.
            const auto bounds = r.identity ? std::nullopt : xlsx::boundsOfText(text, locale);
            if (bounds)
                cells << xlsx::Cell(bounds->min) << xlsx::Cell(bounds->max) << xlsx::Cell();
            else
                cells << xlsx::Cell() << xlsx::Cell() << xlsx::Cell(text);
        }
        sheet.addRow(std::move(cells)).marked = r.differs;
        if (r.identity && r.caption == QStringLiteral("Zdroj údajů"))
            sources = r.cells;
    }
    QList<xlsx::SourceLine> lines = xlsx::catalogueSource(catalogueFile);
    lines.insert(0, {QStringLiteral("Porovnání"), criteriaText});
    for (int i = 0; i < c.headings.size(); ++i)
        lines.append({QStringLiteral("Zdroj údajů – ") + c.headings[i], sources.value(i)});
    wb.setSource(lines);
    return wb;
}

} // namespace orv::printouts
