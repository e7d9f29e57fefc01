#include "printouts/TableReport.h"

#include <QHeaderView>
#include <QLocale>
#include <QTableView>

#include <algorithm>
#include <numeric>

namespace orv::printouts {

// ---------------------------------------------------------------------------- data link

TableBridge::TableBridge(const QStringList &fieldNames, const QList<QStringList> &rows)
{
    setTable(fieldNames, rows);
}

void TableBridge::setTable(const QStringList &fieldNames, const QList<QStringList> &rows)
{
    m_names = fieldNames;
    m_rows = rows;
    m_pos = 0;
    m_bookmark = 0;
}

QString TableBridge::AsString(int n) const
{
    if (m_pos < 0 || m_pos >= m_rows.size())
        return {};
    return m_rows.at(m_pos).value(n);
}

double TableBridge::AsFloat(int n) const
{
    bool ok = false;
    const QString text = AsString(n);
    double d = QLocale(QLocale::Czech, QLocale::CzechRepublic).toDouble(text, &ok);
    if (!ok)
        d = text.toDouble(&ok);
    return ok ? d : 0.0;
}

bool TableBridge::AsBoolean(int n) const
{
    const QString t = AsString(n);
    return !t.isEmpty() && t != QLatin1String("0");
}

TStepResult TableBridge::Step(TStepDir dir)
{
    if (!m_open)
        return srNoData;
    if (m_rows.isEmpty())
        return srBof | srEof;
    switch (dir) {
    case sdFirst:
        m_pos = 0;
        return 0;
    case sdLast:
        m_pos = int(m_rows.size()) - 1;
        return 0;
    case sdPrior:
        if (m_pos <= 0)
            return srBof;
        --m_pos;
        return 0;
    case sdNext:
        if (m_pos >= m_rows.size() - 1)
            return srEof;
        ++m_pos;
        return 0;
    }
    return 0;
}

// ---------------------------------------------------------------------------- template

namespace {

constexpr int kMarginL = 60, kMarginR = 50, kMarginT = 55, kMarginB = 50;

constexpr int rgb(int r, int g, int b) { return (b << 16) | (g << 8) | r; }

constexpr int kInk = rgb(33, 37, 41);
constexpr int kAccent = rgb(18, 60, 105);
constexpr int kSubtle = rgb(98, 106, 120);
constexpr int kBand = rgb(232, 238, 245);
constexpr int kMark = rgb(255, 236, 179);
constexpr int kRule = rgb(205, 212, 222);
constexpr int kWhite = 15;

constexpr int kLeft = 0, kRight = 1;
constexpr int kMulti = 0x10, kGrow = 0x40;
constexpr int kBold = 1, kItalic = 2;
constexpr int kFrameTop = 2;

QString q(const QString &text)
{
    QString t = text;
    t.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + t + QLatin1Char('"');
}

// An element line that writes text in Arial: its kind and reference, its place, the font, and
// the quoted text and printing condition.
QString fontElement(const char *sec, int kind, const QString &ref, int l, int t, int w, int h, int size, int color,
                    int style, int align, const QString &content, const QString &cond)
{
    const auto num = [](int v) { return QString::number(v); };
    return QStringList{QLatin1String(sec), num(kind), ref, num(l), num(t), num(w), num(h), QStringLiteral("Arial"),
                       num(size), num(color), num(style), num(align), QStringLiteral("0,238"), q(content),
                       QStringLiteral("0,0,0"), q(cond), QStringLiteral("0"), q({})}
        .join(QLatin1Char(','));
}

QString text(const char *sec, int l, int t, int w, int h, const QString &s, int size, int color, int style = 0,
             int align = kLeft, const QString &cond = {})
{
    return fontElement(sec, 1, QStringLiteral("0"), l, t, w, h, size, color, style, align, s, cond);
}

QString field(const char *sec, const QString &name, int l, int t, int w, int h, int size, int color, int style = 0,
              int align = kLeft)
{
    return fontElement(sec, 2, name, l, t, w, h, size, color, style, align, {}, {});
}

QString variable(const char *sec, int index, const QString &format, int l, int t, int w, int h, int align)
{
    return fontElement(sec, 5, QString::number(index), l, t, w, h, 7, kSubtle, 0, align, format, {});
}

QString hline(const char *sec, int l, int t, int w, int pen, int color)
{
    return QStringLiteral("%1,7,0,%2,%3,%4,%5,,%6,%7,0,%8,%9,1,,,,,\"\",0,\"\"")
        .arg(QLatin1String(sec))
        .arg(l)
        .arg(t)
        .arg(w)
        .arg(pen + 1)
        .arg(pen)
        .arg(color)
        .arg(kFrameTop)
        .arg(kWhite);
}

QString box(const char *sec, int l, int t, int w, int h, int color, const QString &cond = {})
{
    return QStringLiteral("%1,8,8,%2,%3,%4,%5,,0,%6,0,0,%6,0,,,,,%7,0,\"\"")
        .arg(QLatin1String(sec))
        .arg(l)
        .arg(t)
        .arg(w)
        .arg(h)
        .arg(color)
        .arg(q(cond));
}

} // namespace

QStringList tableTemplate(const TableLayout &layout)
{
    const int paperW = 826, paperH = 1169;
    const int width = (layout.landscape ? paperH : paperW) - kMarginL - kMarginR;
    const int n = int(layout.columns.size());
    const bool grouped = !layout.groupField.isEmpty();
    const bool marked = !layout.markField.isEmpty();
    const int size = n > 5 ? 7 : 8;
    const int rowHeight = size == 7 ? 13 : 14;

    // Column edges: the marker column first, then the columns by their weights.
    const int markerWidth = marked ? 14 : 0;
    const int gap = 6;
    QList<int> weights = layout.weights;
    while (weights.size() < n)
        weights << 1;
    const int total = std::max(1, std::accumulate(weights.begin(), weights.begin() + n, 0));
    const int room = width - markerWidth - gap * std::max(0, n - 1);
    QList<int> lefts, widths;
    int x = markerWidth;
    for (int i = 0; i < n; ++i) {
        const int w = i == n - 1 ? width - x : room * weights.at(i) / total;
        lefts << x;
        widths << w;
        x += w + gap;
    }

    const QString condMarked = marked ? QStringLiteral("LENGTH(#%1)>0").arg(layout.markField) : QString();
    const int headerHeight = layout.subtitle.isEmpty() ? 64 : 80;

    QStringList lines = {QStringLiteral("I,0,%1").arg(q(layout.title)), QStringLiteral("I,1,5,50,0"),
                         QStringLiteral("I,2,%1,%2,%3,%4,%5,%6,%7,1,0")
                             .arg(layout.landscape ? 1 : 0)
                             .arg(paperW)
                             .arg(paperH)
                             .arg(kMarginL)
                             .arg(kMarginR)
                             .arg(kMarginT)
                             .arg(kMarginB)};
    lines << QStringLiteral("I,3,0,1,%1,0").arg(headerHeight) << QStringLiteral("I,3,1,1,24,0")
          << QStringLiteral("I,3,2,1,%1,0").arg(rowHeight + 3) << QStringLiteral("I,3,3,1,34,0")
          << QStringLiteral("I,3,4,1,30,0");
    if (grouped)
        lines << QStringLiteral("I,4,0,%1,1,24,0,0,0").arg(q(QLatin1Char('#') + layout.groupField));
    lines << QStringLiteral("I,5,0") << QStringLiteral("I,6,0,8,8,0,1,0,0");

    // Report header: running head, title, criteria.
    lines << text("Z", 0, 0, width - 200, 14, QStringLiteral("ORVALIS 2.1  ·  KATALOG KOVOVÝCH MATERIÁLŮ"), 7, kSubtle,
                  kBold)
          << text("Z", width - 200, 0, 136, 14, QStringLiteral("Vytištěno"), 7, kSubtle, 0, kRight)
          << variable("Z", 0, QStringLiteral("d. m. yyyy"), width - 58, 0, 58, 14, kLeft)
          << hline("Z", 0, 16, width, 3, kAccent)
          << text("Z", 0, 24, width, 28, layout.title, 16, kInk, kBold);
    if (!layout.subtitle.isEmpty())
        lines << text("Z", 0, 54, width, 16, layout.subtitle, 9, kSubtle);

    // Page header: the column captions on every page.
    for (int i = 0; i < n; ++i)
        lines << text("H", lefts.at(i), 2, widths.at(i), 16, layout.headings.value(i), size + 1, kAccent, kBold);
    lines << hline("H", 0, 20, width, 1, kAccent);

    if (grouped) {
        lines << box("S0", 0, 4, width, 18, kBand) << box("S0", 0, 4, 4, 18, kAccent)
              << field("S0", layout.groupField, 12, 5, width - 16, 15, size + 1, kAccent, kBold);
    }

    // A row: the rule above it, the tint and marker of differing rows, the cells.
    lines << hline("T", 0, 0, width, 1, kRule);
    if (marked) {
        const int from = n > 1 ? lefts.at(1) - gap / 2 : 0;
        lines << box("T", from, 1, width - from, rowHeight + 1, kMark, condMarked)
              << text("T", 1, 2, markerWidth - 2, rowHeight, QStringLiteral("≠"), size + 1, kAccent, kBold, kLeft,
                      condMarked);
    }
    for (int i = 0; i < n; ++i)
        lines << field("T", layout.columns.at(i), lefts.at(i), 2, widths.at(i), rowHeight, size,
                       i == 0 && marked ? kSubtle : kInk, 0, kLeft | kMulti | kGrow);

    // Report footer and page footer.
    lines << hline("K", 0, 10, width, 1, kRule)
          << text("K", 0, 16, width, 14,
                  QStringLiteral("Údaje odpovídají uvedeným normám a slouží pro informaci; pro dodávku platí vždy "
                                 "platné znění normy a dodací podmínky."),
                  7, kSubtle, kItalic);
    lines << hline("P", 0, 6, width, 1, kRule)
          << text("P", 0, 12, width - 240, 14, QStringLiteral("Orvalis 2.1 – katalog kovových materiálů"), 7, kSubtle)
          << variable("P", 3, QStringLiteral("Strana %d"), width - 180, 12, 150, 14, kRight)
          << variable("P", 4, QStringLiteral("z %d"), width - 26, 12, 26, 14, kLeft);
    return lines;
}

// ---------------------------------------------------------------------------- lists

ViewTable viewTable(const QTableView &view)
{
    ViewTable t;
    const QAbstractItemModel *model = view.model();
    if (!model)
        return t;
    QList<int> columns;
    for (int visual = 0; visual < model->columnCount(); ++visual) {
        const int c = view.horizontalHeader()->logicalIndex(visual);
        if (c < 0 || view.isColumnHidden(c))
            continue;
        columns << c;
        t.fieldNames << QStringLiteral("C%1").arg(columns.size());
        t.headings << model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        t.weights << std::max(20, view.columnWidth(c));
    }
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList line;
        for (int c : columns)
            line << model->data(model->index(r, c), Qt::DisplayRole).toString();
        t.rows << line;
    }
    return t;
}

TableLayout listLayout(const ViewTable &table, const QString &title, const QString &subtitle)
{
    TableLayout layout;
    layout.title = title;
    layout.subtitle = subtitle;
    layout.columns = table.fieldNames;
    layout.headings = table.headings;
    layout.weights = table.weights;
    const int width = std::accumulate(table.weights.begin(), table.weights.end(), 0);
    layout.landscape = table.fieldNames.size() > 5 || width > 900;
    return layout;
}

// ---------------------------------------------------------------------------- dialog

TfPrintTable::TfPrintTable(const QString &caption, const TableLayout &layout, const QStringList &fieldNames,
                           const QList<QStringList> &rows, const PrintEnvironment &env, QWidget *parent)
    : TfPrintBase(caption, QString(), env, false, parent), m_table(fieldNames, rows)
{
    Ses.Popis = layout.title;
    Ses.IsStored = true;
    Ses.TiskJedenZaznam = false;
    Ses.Predloha = tableTemplate(layout);
    Ses.DataSource = &m_table;
}

} // namespace orv::printouts
