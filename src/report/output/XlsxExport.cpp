#include "report/output/XlsxExport.h"

#include "report/model/Bridge.h"
#include "report/model/NumberFormat.h"
#include "report/model/ReportModel.h"
#include "report/model/TextLayout.h"
#include "report/output/OutputStore.h"
#include "report/output/Sestava.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace orv {

namespace {

bool isTextElement(int kind)
{
    return kind == ekText || kind == ekField || kind == ekFieldLabel || kind == ekParameter || kind == ekVariable
        || kind == ekFunction;
}

QString itemText(const TVystPrvek &item)
{
    if (!item.Lines)
        return {};
    QStringList lines;
    for (int i = 0; i < item.Lines->count(); ++i)
        lines << LineText((*item.Lines)[i]).trimmed();
    return lines.join(u' ').simplified();
}

// One band occurrence on a page: its items by column.
struct BandRow {
    int page = 0;
    int top = 0;
    int sectionKind = 0;
    std::vector<const TVystPrvek *> items;
};

// A column's heading from a page header element: its fixed text, field label or parameter.
QString headingText(TSestavaTyp &report, const TSiReportElement &e)
{
    switch (e.Kind) {
    case ekText: return e.isRtf() ? QString() : e.Text.simplified();
    case ekFieldLabel: return report.FieldLabel(e.SourceIndex).simplified();
    case ekParameter: return report.Parametry.value(e.SourceIndex).simplified();
    default: return {};
    }
}

} // namespace

std::optional<PrintedNumber> printedNumber(const QString &raw)
{
    const TFormatSettings &fs = formatSettings();
    QString t = raw.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool grouped = false;
    QString plain;
    for (const QChar ch : t) {
        if (ch == fs.ThousandSeparator || ch == QChar(0x00A0) || ch == QChar(0x202F) || ch == u' ') {
            grouped = true;
            continue;
        }
        plain += ch == fs.DecimalSeparator ? u'.' : ch;
    }
    // Only digits, one point, a leading minus and an exponent: "12 050,5", "-0,25", "1,5E+03".
    static const QString allowed = QStringLiteral("0123456789.-+Ee");
    for (const QChar ch : plain)
        if (!allowed.contains(ch))
            return std::nullopt;
    if (plain.indexOf(u'-', 1) > 0 && !plain.contains(u'E', Qt::CaseInsensitive))
        return std::nullopt;
    bool ok = false;
    const double v = plain.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    PrintedNumber n;
    n.value = v;
    const qsizetype e = plain.indexOf(u'E', 0, Qt::CaseInsensitive);
    const QString mantissa = e >= 0 ? plain.left(e) : plain;
    const qsizetype point = mantissa.indexOf(u'.');
    const int decimals = point >= 0 ? int(mantissa.size() - point - 1) : 0;
    n.format = grouped ? QStringLiteral("#,##0") : QStringLiteral("0");
    if (decimals > 0)
        n.format += u'.' + QString(decimals, u'0');
    if (e >= 0)
        n.format += QStringLiteral("E+00");
    if (!grouped && decimals == 0 && e < 0)
        n.format.clear();   // a plain whole number: the general format shows it as printed
    return n;
}

xlsx::Workbook reportWorkbook(TSestavaTyp &report)
{
    // Which band each element belongs to.
    QHash<const TSiReportElement *, int> kindOf;
    std::vector<const TSiReportElement *> pageHeader;
    std::set<int> starts;
    for (int i = 0; i < report.Sections.count(); ++i) {
        const TOddilSestavy *s = report.Sections.at(i);
        for (const auto &e : s->Elements) {
            kindOf.insert(e.get(), s->Kind);
            if (!isTextElement(e->Kind))
                continue;
            if (s->Kind == skPageHeader)
                pageHeader.push_back(e.get());
            else if (s->Kind != skPageFooter)
                starts.insert(e->Left);
        }
    }
    const std::vector<int> columns(starts.begin(), starts.end());
    auto columnOf = [&columns](int left) {
        return int(std::lower_bound(columns.begin(), columns.end(), left) - columns.begin());
    };

    xlsx::Workbook wb;
    xlsx::Sheet &sheet = wb.addSheet(report.Popis.isEmpty() ? QStringLiteral("Sestava") : report.Popis);
    sheet.columns.resize(qsizetype(columns.size()));
    // Headings: the page header's text at a column's position, else the field's label.
    for (const TSiReportElement *e : pageHeader) {
        const auto it = std::lower_bound(columns.begin(), columns.end(), e->Left);
        if (it != columns.end() && *it == e->Left && e->Kind != ekVariable && e->Kind != ekFunction)
            sheet.columns[it - columns.begin()] = xlsx::columnFromHeading(headingText(report, *e));
    }
    for (int i = 0; i < report.Sections.count(); ++i)
        for (const auto &e : report.Sections.at(i)->Elements)
            if (e->Kind == ekField && kindOf.value(e.get()) == skBody) {
                xlsx::Column &c = sheet.columns[columnOf(e->Left)];
                if (c.heading.isEmpty())
                    c = xlsx::columnFromHeading(report.FieldLabel(e->SourceIndex));
            }

    TSestVystup &store = report.Vystup;
    for (int p = 0; p < store.PageCount(); ++p) {
        const TStranaPrvku *page = store.Page(p);
        if (!page)
            continue;
        // Items of one band occurrence share the offset of the band on the page.
        std::map<std::pair<int, int>, BandRow> bands;   // (band top, section kind)
        for (int i = 0; i < page->count(); ++i) {
            const TVystPrvek *item = page->item(i);
            if (!item->Element || !isTextElement(item->Element->Kind))
                continue;
            const auto k = kindOf.find(item->Element);
            if (k == kindOf.end() || *k == skPageHeader || *k == skPageFooter)
                continue;
            BandRow &row = bands[{item->Top - item->Element->Top, *k}];
            row.sectionKind = *k;
            row.items.push_back(item);
        }
        for (auto &[key, band] : bands) {
            std::sort(band.items.begin(), band.items.end(),
                      [](const TVystPrvek *a, const TVystPrvek *b) { return a->Element->Left < b->Element->Left; });
            QList<xlsx::Cell> cells;
            int next = 0;
            for (size_t i = 0; i < band.items.size(); ++i) {
                const TVystPrvek *item = band.items[i];
                const TSiReportElement &e = *item->Element;
                const int col = columnOf(e.Left);
                if (col < next)
                    continue;   // two elements at one position: the first keeps the cell
                while (next < col) {
                    cells << xlsx::Cell();
                    ++next;
                }
                // The element reaches over the columns it covers up to the next element.
                const int right = e.Left + e.Width;
                const int limit = i + 1 < band.items.size() ? columnOf(band.items[i + 1]->Element->Left) : int(columns.size());
                int span = 1;
                while (col + span < limit && columns[size_t(col + span)] < right)
                    ++span;
                const QString text = itemText(*item);
                xlsx::Cell cell(text);
                const bool numeric = e.Kind == ekFunction
                    || (e.Kind == ekField && kindOfFieldType(report.FieldDataType(e.SourceIndex)) == TCalcType::KindNumber);
                if (numeric)
                    if (const auto n = printedNumber(text))
                        cell = xlsx::Cell(QVariant(n->value), n->format);
                cell.span = span;
                cells << cell;
                next = col + span;
            }
            const bool group = band.sectionKind >= kFixedSections;
            sheet.addRow(std::move(cells), group);
        }
    }
    QList<xlsx::SourceLine> lines;
    lines.append({QStringLiteral("Sestava"), report.Popis});
    lines.append({QStringLiteral("Stran"), store.PageCount()});
    lines.append({QStringLiteral("Uloženo"), QDate::currentDate()});
    wb.setSource(lines);
    return wb;
}

} // namespace orv
