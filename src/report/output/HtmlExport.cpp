#include "report/output/HtmlExport.h"

#include "core/SafeFile.h"

#include "report/model/CaughtException.h"
#include "report/model/SestError.h"
#include "report/model/TextLayoutCanvas.h"
#include "report/output/Barcode.h"
#include "report/output/ExportSupport.h"
#include "report/output/OutputStore.h"
#include "report/output/TolvaCanvas.h"

#include <QDir>
#include <QFontMetricsF>
#include <QFileInfo>
#include <QIODevice>
#include <QPainter>
#include <QUrl>

#include <algorithm>

namespace orv {

namespace {

// A hatched brush as CSS: repeating gradients that draw one-pixel lines every 8 pixels,
// as the page image draws the hatch.
QByteArray hatchPart(int style, quint32 color)
{
    const QByteArray c = htmlColor(color);
    auto lines = [&](const char *angle) {
        return QByteArray("repeating-linear-gradient(") + angle + ", " + c + " 0px, " + c
            + " 1px, transparent 1px, transparent 8px)";
    };
    QByteArrayList layers;
    if (style == bsHorizontal || style == bsCross)
        layers << lines("0deg");
    if (style == bsVertical || style == bsCross)
        layers << lines("90deg");
    // The gradient runs across its lines: 45deg draws them from top left to bottom right.
    if (style == bsFDiagonal || style == bsDiagCross)
        layers << lines("45deg");
    if (style == bsBDiagonal || style == bsDiagCross)
        layers << lines("-45deg");
    return layers.isEmpty() ? QByteArray() : " background-image: " + layers.join(", ") + ';';
}

QByteArray num(qint64 v)
{
    return QByteArray::number(v);
}

QByteArray lineStyle(int penStyle)
{
    switch (penStyle) {
    case 0: case 5: case 6: return "solid";
    case 1: case 3: return "dashed";
    case 2: case 4: return "dotted";
    default: return "";
    }
}

QByteArray divHead(int top, int left, int width, int height)
{
    return "<DIV STYLE=\"position: absolute; top: " + num(top) + "px; left: " + num(left)
           + "px; width: " + num(width) + "px; height: " + num(height) + "px;";
}

QByteArray boxPart(const TVystPrvek &it)
{
    return " position: absolute; top: " + num(it.Top) + "px; left: " + num(it.Left) + "px; width: "
           + num(it.Width) + "px; height: " + num(it.Height) + "px;";
}

// The borders of the set frame bits in the order top, right, bottom, left.
QByteArray borders(int flags, const QByteArray &value)
{
    QByteArray o;
    if (flags & efFrameTop)
        o += " border-top" + value;
    if (flags & efFrameRight)
        o += " border-right" + value;
    if (flags & efFrameBottom)
        o += " border-bottom" + value;
    if (flags & efFrameLeft)
        o += " border-Left" + value;
    return o;
}

QByteArray penValue(const TSiReportElement &e)
{
    return ": " + num(e.PenWidth) + "px " + lineStyle(e.PenStyle) + ' '
           + htmlColor(quint32(e.PenColor)) + ';';
}

TTextFont fontOf(const TSiReportElement &e)
{
    TTextFont t;
    t.Name = e.Font.Name;
    t.Size = e.Font.Size;
    t.Color = quint32(e.Font.Color) & 0xFFFFFF;
    t.Bold = e.Font.bold();
    t.Italic = e.Font.italic();
    t.Underline = e.Font.underline();
    t.Strikeout = e.Font.strikeOut();
    t.Charset = e.Font.Charset;
    ReplaceRomanFont(t);
    return t;
}

// One measuring canvas for every page, so that its font metrics are made once. It is never
// destroyed: its fonts must not outlive the application's font system.
TTextCanvas &measuringCanvas()
{
    static TTextCanvas *canvas = new TTextCanvas(100);
    return *canvas;
}

QByteArray svgNumber(double v)
{
    return QByteArray::number(v, 'f', 2).replace(".00", "");
}

QByteArray xmlText(const QString &text)
{
    return text.toHtmlEscaped().toUtf8();
}

// The code as vector shapes in the page image's units (600 to the inch), shown at the
// item's size: the bars keep their exact widths at any zoom, so a scanner reads the code
// from the screen or from a print of the page.
QByteArray barcodeSvg(const TVystPrvek &it)
{
    const TSiReportElement &e = *it.Element;
    int module = e.PenWidth;
    if (module < 1 || module > 128)
        module = 8;
    const int w = it.Width * 6, h = it.Height * 6;
    const TBarcodeShape shape = LayoutBarcode(QRect(0, 0, w, h), e.PenStyle, it.FirstLineText(),
                                              e.Flags & efPrintText, e.Flags & efCheckDigit, e.Angle, module);
    QByteArray o = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                   "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(it.Width) + "\" height=\""
                   + num(it.Height) + "\" viewBox=\"0 0 " + num(w) + ' ' + num(h)
                   + "\" shape-rendering=\"crispEdges\">\n";
    const bool rotated = e.Angle % 90 != 0;
    for (const TBarcodeShape::Bar &bar : shape.bars) {
        const QByteArray fill = bar.black ? "#000000" : "#FFFFFF";
        if (rotated && bar.polygon.size() >= 3) {
            o += "<polygon fill=\"" + fill + "\" points=\"";
            for (int k = 0; k < bar.polygon.size(); ++k)
                o += (k ? " " : "") + num(bar.polygon[k].x()) + ',' + num(bar.polygon[k].y());
            o += "\"/>\n";
        } else {
            const QRect &b = bar.rect;
            o += "<rect fill=\"" + fill + "\" x=\"" + num(b.left()) + "\" y=\"" + num(b.top()) + "\" width=\""
                 + num(b.width()) + "\" height=\"" + num(b.height()) + "\"/>\n";
        }
    }
    for (const TBarcodeShape::Text &t : shape.texts) {
        // The text as the page image draws it: a font of the canvas at 100 pixels per inch
        // drawn in page-image units, on its white ground.
        TTextFont f;
        f.Name = t.family;
        f.Size = t.pointSize;
        const double ascent = QFontMetricsF(TTextCanvas::toQFont(f, 100)).ascent();
        const QRect &b = t.rect;
        o += "<rect fill=\"#FFFFFF\" x=\"" + num(b.left()) + "\" y=\"" + num(b.top()) + "\" width=\""
             + num(b.width()) + "\" height=\"" + num(b.height()) + "\"/>\n";
        o += "<text x=\"" + num(t.topLeft.x()) + "\" y=\"" + svgNumber(t.topLeft.y() + ascent)
             + "\" font-family=\"" + xmlText(t.family) + "\" font-size=\"" + svgNumber(t.pointSize * 100.0 / 72.0)
             + "\" fill=\"#000000\">" + xmlText(t.text) + "</text>\n";
    }
    return o + "</svg>\n";
}

class HtmlWriter {
public:
    HtmlWriter(TSestVystup &store, const QString &folder, const QString &baseName)
        : m_store(store), m_folder(folder), m_base(baseName)
    {
    }
    int write(QIODevice &stream, int pageIndex);

private:
    void textItem(const TVystPrvek &it, QByteArray &o);
    void picture(const TVystPrvek &it, int n, QByteArray &o);
    QByteArray fontPart(const TSiReportElement &e, const TTextFont &f, double rowHeight) const;

    TSestVystup &m_store;
    QString m_folder, m_base;
    TTextCanvas &m_canvas = measuringCanvas();
    bool m_failed = false;
};

// The font of a line of rowHeight pixels. Its size is given in pixels: a CSS point is a
// 96th of an inch, and the page has 100 pixels to the inch. The page image stands a line's
// baseline on the bottom of its row, where CSS puts it a half leading below the ascent: a
// padding above the text makes up the difference.
QByteArray HtmlWriter::fontPart(const TSiReportElement &e, const TTextFont &f, double rowHeight) const
{
    QByteArray o;
    if (e.LetterSpacing > 0)
        o += " letter-spacing: " + num(e.LetterSpacing - int(f.Size) * 11 / 16) + "px;";
    const QFontMetricsF fm(TTextCanvas::toQFont(f, 100));
    const double padding = std::max(0.0, (rowHeight - fm.ascent() + fm.descent()) / 2);
    o += " box-sizing: border-box; padding-top: " + svgNumber(padding) + "px; font: "
         + svgNumber(int(f.Size) * 100.0 / 72.0) + "px " + HtmlText(f.Name) + "; line-height: "
         + svgNumber(rowHeight) + "px; color: " + htmlColor(f.Color) + "\">";
    // A paragraph's own margins would move the text a line down from its box.
    if (e.Alignment == alRight)
        o += "<p align=\"right\" style=\"margin: 0\">";
    else if (e.Alignment == alCenter)
        o += "<p align=\"center\" style=\"margin: 0\">";
    return o;
}

QByteArray styled(const TTextFont &f, const QByteArray &text)
{
    QByteArray o;
    if (f.Bold) o += "<b>";
    if (f.Underline) o += "<u>";
    if (f.Italic) o += "<i>";
    if (f.Strikeout) o += "<strike>";
    o += text;
    if (f.Strikeout) o += "</strike>";
    if (f.Italic) o += "</i>";
    if (f.Underline) o += "</u>";
    if (f.Bold) o += "</b>";
    return o;
}

void HtmlWriter::textItem(const TVystPrvek &it, QByteArray &o)
{
    const TSiReportElement &e = *it.Element;
    const TTextFont f = fontOf(e);
    const int count = it.Lines ? it.Lines->count() : 0;
    // Rich text is written line by line, as plain text.
    if (count < 2 && !e.isRtf()) {
        QString text = it.FirstLineText();
        m_canvas.setFont(f);
        int width = 0;
        for (qsizetype k = 0; k < text.size(); ++k) {
            width += m_canvas.textWidth(text.at(k));
            if (width > it.Width) {
                text.truncate(k);
                break;
            }
        }
        o += divHead(it.Top, it.Left, it.Width, it.Height);
        o += borders(e.Flags, ": 1px solid #000000;");
        o += fontPart(e, f, count > 0 ? (*it.Lines)[std::clamp(it.FirstLine, 0, count - 1)].RowHeight / 72.0
                                : double(it.Height));
        o += styled(f, HtmlText(text)) + "</DIV>\n";
        return;
    }
    const TRadky &lines = *it.Lines;
    const int first = std::max(it.FirstLine, 0);
    const int last = std::min(it.LastLine, count - 1);
    long long offset = 0;
    for (int i = first; i <= last; ++i) {
        const TRadek &l = lines[i];
        QString text = LineText(l);
        const qsizetype firstSpace = text.indexOf(u' ');
        QByteArray html;
        if (firstSpace < 0) {
            html = HtmlText(text);
        } else {
            html = HtmlText(text.left(firstSpace + 1));
            const QStringList parts = text.mid(firstSpace + 1).split(u' ');
            for (qsizetype k = 0; k < parts.size(); ++k) {
                if (k > 0)
                    html += "&nbsp;";
                html += HtmlText(parts[k]);
            }
        }
        o += divHead(it.Top + int(offset / 72), it.Left, it.Width, l.RowHeight / 72);
        o += fontPart(e, f, l.RowHeight / 72.0);
        o += styled(f, html) + "</DIV>\n";
        offset += l.RowHeight;
    }
    if (e.Flags & 0x0F) {
        o += divHead(it.Top, it.Left, it.Width, it.Height);
        o += borders(e.Flags, ": 1px solid #000000;");
        o += " font: 0pt\"></DIV>\n";
    }
}

void HtmlWriter::picture(const TVystPrvek &it, int n, QByteArray &o)
{
    const TSiReportElement &e = *it.Element;
    const int w = it.Width, h = it.Height;
    if (w <= 0 || h <= 0)
        return;
    if (e.Kind == ekBarcode) {
        const QString name = HtmlBarcodeName(m_base, n);
        SafeFile file(QDir(m_folder).filePath(name));
        const QByteArray svg = barcodeSvg(it);
        if (!file.open() || file.write(svg) != svg.size() || !file.commit()) {
            m_failed = true;
            return;
        }
        o += "<DIV STYLE=\"font: 0pt;" + boxPart(it) + "\"><IMG SRC=\"" + HtmlText(name) + "\" WIDTH=\""
             + num(w) + "\" HEIGHT=\"" + num(h) + "\" ALT=\"" + HtmlText(it.FirstLineText()) + "\"></DIV>\n";
        return;
    }
    QImage bitmap(w, h, QImage::Format_RGB888);
    bitmap.fill(Qt::white);
    {
        QImage source = itemPicture(it);
        if (source.isNull())
            return;
        const int alignment = e.Kind == ekField ? e.Alignment : alLeft;
        const TCornerRect fitted = FitPicture({0, 0, w, h}, source.width(), source.height(),
                                              e.Flags, alignment);
        if (m_store.OnPreparePicture)
            m_store.OnPreparePicture(source, w, h);
        QPainter p(&bitmap);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        if (fitted.width() != 0 && fitted.height() != 0)
            p.drawImage(QRect(fitted.Left, fitted.Top, fitted.width(), fitted.height()), source);
    }
    const QString name = HtmlPictureName(m_base, n);
    SafeFile file(QDir(m_folder).filePath(name));
    if (!file.open() || !bitmap.save(&file, "BMP") || !file.commit()) {
        m_failed = true;
        return;
    }
    o += "<DIV STYLE=\"font: 0pt;" + boxPart(it);
    if (e.Kind == ekField)
        o += borders(e.Flags, penValue(e));
    o += "\"><IMG SRC=\"" + HtmlText(name) + "\" ALT=\"\"></DIV>\n";
}

int HtmlWriter::write(QIODevice &stream, int pageIndex)
{
    const TStranaPrvku *page = m_store.Page(pageIndex);
    if (!page)
        return seNotReady;
    QByteArray o = "<HTML> <HEAD> <TITLE> </TITLE>\n"
                   "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1250\">\n"
                   "<META NAME=\"Creator\" CONTENT=\"TolvaReportGenerator\">\n"
                   "</HEAD> <BODY BGCOLOR = \"#FFFFFF\"><PRE>\n";
    for (int i = 0; i < page->count() && !m_failed; ++i) {
        const TVystPrvek &it = *page->item(i);
        if (!it.Element)
            continue;
        const TSiReportElement &e = *it.Element;
        const int k = e.Kind;
        if (isTextItem(it)) {
            textItem(it, o);
        } else if (k == ekLine) {
            o += "<DIV STYLE=\"font: 0pt;" + boxPart(it) + borders(e.Flags, penValue(e)) + "\"></DIV>\n";
        } else if (k >= ekRectangle && k <= ekEllipse) {
            // A clear brush lets what lies below show through; a hatched one shows its lines
            // on it.
            o += "<DIV STYLE=\"font: 0pt; background-color: "
                 + (e.BrushStyle == bsSolid ? htmlColor(quint32(e.BrushColor)) : QByteArray("transparent"))
                 + ';' + hatchPart(e.BrushStyle, quint32(e.BrushColor)) + boxPart(it);
            if (e.PenWidth > 0)
                o += borders(0x0F, penValue(e));
            o += "\"></DIV>\n";
        } else if (isPictureItem(it) || k == ekBarcode) {
            picture(it, i + 1, o);
        }
    }
    o += "</PRE></BODY> </HTML>\n";
    if (m_failed || stream.write(o) != o.size())
        return seOutputNotWritten;
    return seOk;
}

} // namespace

QString HtmlPictureName(const QString &baseName, int n)
{
    const QFileInfo fi(baseName);
    const QString stem = fi.suffix().isEmpty() ? baseName
                                               : baseName.left(baseName.size() - fi.suffix().size() - 1);
    return stem + QString::number(n) + QStringLiteral(".bmp");
}

QString HtmlBarcodeName(const QString &baseName, int n)
{
    QString name = HtmlPictureName(baseName, n);
    name.chop(4);
    return name + QStringLiteral(".svg");
}

QByteArray HtmlIndexPage(const QString &title, const QStringList &pageFiles)
{
    const QByteArray t = HtmlText(title);
    QByteArray o = "<HTML> <HEAD> <TITLE>" + t + "</TITLE>\n"
                   "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1250\">\n"
                   "<META NAME=\"Creator\" CONTENT=\"TolvaReportGenerator\">\n"
                   "</HEAD> <BODY BGCOLOR = \"#FFFFFF\">\n<H1>" + t + "</H1>\n<UL>\n";
    for (qsizetype i = 0; i < pageFiles.size(); ++i) {
        QByteArray href;
        for (char c : QUrl::toPercentEncoding(pageFiles.at(i), "/"))
            href += c;
        o += "<LI><A HREF=\"" + href + "\">Strana " + num(i + 1) + "</A></LI>\n";
    }
    return o + "</UL>\n</BODY> </HTML>\n";
}

QByteArray HtmlText(const QString &text)
{
    QByteArray o;
    o.reserve(text.size());
    for (qsizetype k = 0; k < text.size(); ++k) {
        const QChar c = text.at(k);
        if (c.unicode() < 32)
            continue;
        if (c == u'<')
            o += "&lt;";
        else if (c == u'>')
            o += "&gt;";
        else if (c == u'&')
            o += "&amp;";
        else if (const int b = cp1250Byte(c))
            o += char(b);
        else if (c.isHighSurrogate() && k + 1 < text.size())
            o += "&#" + num(QChar::surrogateToUcs4(c, text.at(++k))) + ';';
        else
            o += "&#" + num(c.unicode()) + ';';
    }
    return o;
}

int SaveHtml(TSestVystup &store, QIODevice &stream, const QString &folder, int pageIndex,
             const QString &baseName)
{
    try {
        return HtmlWriter(store, folder, baseName).write(stream, pageIndex);
    } catch (...) {
        logCaughtException("SaveHtml");
        return seOutputNotWritten;
    }
}

} // namespace orv
