#include "PdfSheets.h"
#include "SqliteFile.h"

#include "core/SafeFile.h"

#include <QDir>
#include <QBuffer>
#include <QMap>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>

#include <cmath>

namespace orv::catalogue {

namespace {

QString esc(const QString &s)
{
    return s.toHtmlEscaped();
}

QString num(double v)
{
    QString s = QString::number(v, 'g', 10);
    s.replace(QLatin1Char('.'), QLatin1Char(','));
    return s;
}

QString rangeText(const Range &r)
{
    if (r.min && r.max)
        return *r.min == *r.max ? num(*r.min) : num(*r.min) + QStringLiteral(" – ") + num(*r.max);
    if (r.min)
        return QStringLiteral("min. ") + num(*r.min);
    if (r.max)
        return QStringLiteral("max. ") + num(*r.max);
    return QString();
}

QString dimText(const Range &r)
{
    if (r.min && r.max)
        return num(*r.min) + QStringLiteral(" – ") + num(*r.max) + QStringLiteral(" mm");
    if (r.min)
        return QStringLiteral("nad ") + num(*r.min) + QStringLiteral(" mm");
    if (r.max)
        return QStringLiteral("do ") + num(*r.max) + QStringLiteral(" mm");
    return QStringLiteral("všechny rozměry");
}

QString sheetHtml(const MaterialSource &m)
{
    QString h;
    h += QStringLiteral("<h2>%1</h2>").arg(esc(m.name));
    h += QStringLiteral("<p><b>Norma:</b> %1 &nbsp;&nbsp; <b>Značka:</b> %2</p>").arg(esc(m.normName), esc(m.normLabel));
    h += QStringLiteral("<h3>Chemické složení [%]</h3><table border=1 cellspacing=0 cellpadding=3><tr>");
    for (const ChemItem &c : m.chem)
        h += QStringLiteral("<th>%1</th>").arg(esc(c.symbol));
    if (!m.balance.isEmpty())
        h += QStringLiteral("<th>zbytek</th>");
    h += QStringLiteral("</tr><tr>");
    for (const ChemItem &c : m.chem)
        h += QStringLiteral("<td>%1</td>").arg(esc(rangeText(c.range)));
    if (!m.balance.isEmpty())
        h += QStringLiteral("<td>%1</td>").arg(esc(m.balance));
    h += QStringLiteral("</tr></table>");
    if (!m.purpose.isEmpty())
        h += QStringLiteral("<h3>Použití</h3><p>%1</p>").arg(esc(m.purpose));
    if (!m.note.isEmpty())
        h += QStringLiteral("<p><i>%1</i></p>").arg(esc(m.note));
    h += QStringLiteral("<h3>Ekvivalentní normy</h3><table border=1 cellspacing=0 cellpadding=3>"
                        "<tr><th>Stát</th><th>Norma</th><th>Značka</th></tr>");
    for (const Equivalent &e : m.equivalents)
        h += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td></tr>").arg(esc(e.country), esc(e.standard), esc(e.designation));
    h += QStringLiteral("</table>");
    if (!m.heat.isEmpty()) {
        h += QStringLiteral("<h3>Tepelné zpracování</h3><table border=1 cellspacing=0 cellpadding=3>"
                            "<tr><th>Postup</th><th>Teplota [°C]</th><th>Ochlazování</th></tr>");
        for (const HeatStep &s : m.heat)
            h += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td></tr>").arg(esc(s.procedure), esc(rangeText(s.range)), esc(s.cooling));
        h += QStringLiteral("</table>");
    }
    if (!m.semis.isEmpty()) {
        h += QStringLiteral("<h3>Mechanické vlastnosti</h3><table border=1 cellspacing=0 cellpadding=3>"
                            "<tr><th>Polotovar</th><th>Stav</th><th>Rozměr</th><th>Vlastnosti</th></tr>");
        for (const SemiBlock &s : m.semis)
            for (const StateBlock &st : s.states)
                for (const Dimension &d : st.dims) {
                    QStringList ps;
                    for (const PropValue &p : d.props)
                        ps << QStringLiteral("%1%2 %3").arg(p.code, p.temperature == 20 ? QString() : QStringLiteral(" (%1 °C)").arg(p.temperature),
                                                             rangeText(p.range));
                    QStringList groups;
                    for (const QString &g : s.groups)
                        if (!g.isEmpty())
                            groups << g;
                    h += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td></tr>")
                             .arg(esc(groups.join(QStringLiteral(", "))), esc(st.code), esc(dimText(d.range)), esc(ps.join(QStringLiteral("; "))));
                }
        h += QStringLiteral("</table>");
    }
    h += QStringLiteral("<p><small>Zdroj: %1</small></p>").arg(esc(m.sources.join(QStringLiteral("; "))));
    return h;
}

struct Series {
    QString label;
    QList<QPointF> points; // x, y
};

// What the diagram of a material shows: properties over temperature when the material has
// values at several temperatures, otherwise minimum values over the dimension range of the
// first state with several dimensions.
bool diagramSeries(const MaterialSource &m, QString &title, QString &xLabel, QList<Series> &out)
{
    for (const SemiBlock &s : m.semis)
        for (const StateBlock &st : s.states)
            for (const Dimension &d : st.dims) {
                QMap<QString, Series> byCode;
                for (const PropValue &p : d.props) {
                    const std::optional<double> y = p.range.min ? p.range.min : p.range.max;
                    if (y) {
                        byCode[p.code].label = p.code;
                        byCode[p.code].points << QPointF(p.temperature, *y);
                    }
                }
                for (const Series &se : byCode)
                    if (se.points.size() >= 2)
                        out << se;
                if (!out.isEmpty()) {
                    title = QStringLiteral("%1: vlastnosti za zvýšených teplot (%2, %3)").arg(m.normLabel, st.code, dimText(d.range));
                    xLabel = QStringLiteral("teplota [°C]");
                    return true;
                }
            }
    for (const SemiBlock &s : m.semis)
        for (const StateBlock &st : s.states) {
            if (st.dims.size() < 2)
                continue;
            QMap<QString, Series> byCode;
            for (const Dimension &d : st.dims) {
                if (!d.range.max)
                    continue;
                for (const PropValue &p : d.props)
                    if (p.temperature == 20 && p.range.min && (p.code == QLatin1String("Rm") || p.code.startsWith(QLatin1String("Re")) || p.code.startsWith(QLatin1String("Rp")))) {
                        byCode[p.code].label = p.code + QStringLiteral(" min.");
                        byCode[p.code].points << QPointF(*d.range.max, *p.range.min);
                    }
            }
            for (const Series &se : byCode)
                if (se.points.size() >= 2)
                    out << se;
            if (!out.isEmpty()) {
                title = QStringLiteral("%1: pevnostní vlastnosti podle rozměru (%2)").arg(m.normLabel, st.code);
                xLabel = QStringLiteral("rozměr do [mm]");
                return true;
            }
        }
    return false;
}

void drawDiagram(QPdfWriter &w, const QString &title, const QString &xLabel, const QList<Series> &series)
{
    QPainter p(&w);
    const double dpi = w.resolution();
    const QRectF page(0, 0, w.width(), w.height());
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPointSizeF(14);
    p.setFont(f);
    p.drawText(QRectF(page.left(), page.top(), page.width(), dpi * 0.6), Qt::AlignCenter, title);
    f.setPointSizeF(9);
    p.setFont(f);

    double x0 = 1e300, x1 = -1e300, y0 = 0, y1 = -1e300;
    for (const Series &s : series)
        for (const QPointF &pt : s.points) {
            x0 = std::min(x0, pt.x());
            x1 = std::max(x1, pt.x());
            y1 = std::max(y1, pt.y());
        }
    if (x1 <= x0)
        x1 = x0 + 1;
    y1 = std::ceil(y1 * 1.1 / 100.0) * 100.0;
    const QRectF plot(page.left() + dpi * 1.0, page.top() + dpi * 1.0, page.width() - dpi * 1.6, page.height() * 0.5);
    auto map = [&](const QPointF &v) {
        return QPointF(plot.left() + (v.x() - x0) / (x1 - x0) * plot.width(), plot.bottom() - (v.y() - y0) / (y1 - y0) * plot.height());
    };
    p.setPen(QPen(Qt::black, dpi / 100.0));
    p.drawRect(plot);
    for (int i = 0; i <= 5; ++i) {
        const double yv = y0 + (y1 - y0) * i / 5.0, xv = x0 + (x1 - x0) * i / 5.0;
        const QPointF py = map(QPointF(x0, yv)), px = map(QPointF(xv, y0));
        p.setPen(QPen(Qt::lightGray, dpi / 200.0));
        p.drawLine(QPointF(plot.left(), py.y()), QPointF(plot.right(), py.y()));
        p.setPen(Qt::black);
        p.drawText(QRectF(plot.left() - dpi * 0.9, py.y() - dpi * 0.1, dpi * 0.8, dpi * 0.2), Qt::AlignRight | Qt::AlignVCenter, num(std::round(yv)));
        p.drawText(QRectF(px.x() - dpi * 0.4, plot.bottom() + dpi * 0.05, dpi * 0.8, dpi * 0.2), Qt::AlignCenter, num(std::round(xv)));
    }
    p.drawText(QRectF(plot.left(), plot.bottom() + dpi * 0.3, plot.width(), dpi * 0.25), Qt::AlignCenter, xLabel);
    p.drawText(QRectF(plot.left() - dpi * 0.9, plot.top() - dpi * 0.35, dpi * 1.5, dpi * 0.25), Qt::AlignLeft, QStringLiteral("[MPa]"));
    const QList<QColor> colors{Qt::darkBlue, Qt::darkRed, Qt::darkGreen, Qt::darkMagenta, Qt::darkCyan};
    int i = 0;
    for (const Series &s : series) {
        const QColor c = colors[i % colors.size()];
        p.setPen(QPen(c, dpi / 60.0));
        for (int k = 1; k < s.points.size(); ++k)
            p.drawLine(map(s.points[k - 1]), map(s.points[k]));
        const double ly = plot.bottom() + dpi * (0.7 + 0.25 * i);
        p.drawLine(QPointF(plot.left(), ly), QPointF(plot.left() + dpi * 0.4, ly));
        p.setPen(Qt::black);
        p.drawText(QPointF(plot.left() + dpi * 0.5, ly + dpi * 0.05), s.label);
        ++i;
    }
}

void setupWriter(QPdfWriter &w, const QString &title)
{
    w.setTitle(title);
    w.setCreator(QStringLiteral("Orvalis"));
    w.setResolution(300);
    w.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
}

} // namespace

PdfSummary writePdfSheets(const CatalogueSource &src, const QString &pdfFolder)
{
    PdfSummary sum;
    if (!QDir().mkpath(pdfFolder))
        throw ToolError(QStringLiteral("Cannot create %1").arg(pdfFolder));
    // Each sheet is drawn in memory and written through the safe-write helper: a failed
    // write (a full disk) leaves that sheet as it was, never empty or cut, and stops the
    // build with the reason. Sheets written before it are whole new ones.
    int replaced = 0;
    auto store = [&](const QString &path, const QByteArray &pdf) {
        QString why;
        if (pdf.isEmpty() || !writeFileSafely(path, pdf, &why)) {
            if (why.isEmpty())
                why = QString::fromUtf8("Soubor „%1“ se nepodařilo zapsat: list se nepodařilo vykreslit.").arg(path);
            throw ToolError(why + QString::fromUtf8(" Listů zapsaných před ním: %1, ostatní zůstaly beze změny.").arg(replaced));
        }
        ++replaced;
    };
    for (const MaterialSource &m : src.materials) {
        if (m.pdf.isEmpty())
            continue;
        {
            QBuffer buffer;
            buffer.open(QIODevice::WriteOnly);
            {
                QPdfWriter w(&buffer);
                setupWriter(w, m.name);
                QTextDocument doc;
                doc.setDefaultFont(QFont(QStringLiteral("Liberation Sans"), 9));
                doc.setHtml(sheetHtml(m));
                doc.print(&w);
            }
            store(pdfFolder + QLatin1Char('/') + m.pdf + QStringLiteral(".pdf"), buffer.data());
        }
        ++sum.sheets;
        QString title, xLabel;
        QList<Series> series;
        if (diagramSeries(m, title, xLabel, series)) {
            QBuffer buffer;
            buffer.open(QIODevice::WriteOnly);
            {
                QPdfWriter w(&buffer);
                setupWriter(w, title);
                drawDiagram(w, title, xLabel, series);
            }
            store(pdfFolder + QLatin1Char('/') + m.pdf + QStringLiteral(" D.pdf"), buffer.data());
            ++sum.diagrams;
        }
    }
    return sum;
}

} // namespace orv::catalogue
