// The content stream of a PDF page: colours and pens, frames and shapes, pictures, bar codes
// and text placed character by character where the page image puts it.

#include "report/output/PdfWriter.h"

#include "report/output/ExportSupport.h"
#include "report/output/TolvaCanvas.h"

#include <cmath>

namespace orv::pdfwriter {

void PdfWriter::fillColor(quint32 color, QByteArray &c)
{
    if (m_fill == qint64(color & 0xFFFFFF))
        return;
    m_fill = color & 0xFFFFFF;
    c += PdfNumber(redOf(color) / 255.0, 3) + ' ' + PdfNumber(greenOf(color) / 255.0, 3) + ' '
        + PdfNumber(blueOf(color) / 255.0, 3) + " rg\n";
}

void PdfWriter::strokeColor(quint32 color, QByteArray &c)
{
    if (m_stroke == qint64(color & 0xFFFFFF))
        return;
    m_stroke = color & 0xFFFFFF;
    c += PdfNumber(redOf(color) / 255.0, 3) + ' ' + PdfNumber(greenOf(color) / 255.0, 3) + ' '
        + PdfNumber(blueOf(color) / 255.0, 3) + " RG\n";
}

// Sets the stroking state for a pen of the templates; false for a pen that draws nothing.
bool PdfWriter::setPen(int style, quint32 color, int width, QByteArray &c)
{
    if (style == psClear)
        return false;
    strokeColor(color, c);
    // A pen of one unit is the device's thinnest line, as on the page image.
    const double w = width > 1 ? width * kPt : 0;
    c += PdfNumber(w) + " w ";
    const double u = std::max(w, 0.6);
    switch (style) {
    case psDash: c += '[' + PdfNumber(4 * u) + ' ' + PdfNumber(2 * u) + "] 0 d\n"; break;
    case psDot: c += '[' + PdfNumber(u) + ' ' + PdfNumber(u) + "] 0 d\n"; break;
    case psDashDot:
        c += '[' + PdfNumber(4 * u) + ' ' + PdfNumber(2 * u) + ' ' + PdfNumber(u) + ' '
            + PdfNumber(2 * u) + "] 0 d\n";
        break;
    case psDashDotDot:
        c += '[' + PdfNumber(4 * u) + ' ' + PdfNumber(2 * u) + ' ' + PdfNumber(u) + ' '
            + PdfNumber(2 * u) + ' ' + PdfNumber(u) + ' ' + PdfNumber(2 * u) + "] 0 d\n";
        break;
    default: c += "[] 0 d\n"; break;
    }
    return true;
}

void PdfWriter::frameLines(const TCornerRect &r, int flags, QByteArray &c)
{
    auto seg = [&](int x1, int y1, int x2, int y2) {
        c += PdfNumber(px(x1)) + ' ' + PdfNumber(py(y1)) + " m " + PdfNumber(px(x2)) + ' '
            + PdfNumber(py(y2)) + " l S\n";
    };
    if (flags & efFrameLeft)
        seg(r.Left, r.Bottom, r.Left, r.Top);
    if (flags & efFrameTop)
        seg(r.Left, r.Top, r.Right, r.Top);
    if (flags & efFrameRight)
        seg(r.Right, r.Top, r.Right, r.Bottom);
    if (flags & efFrameBottom)
        seg(r.Right, r.Bottom, r.Left, r.Bottom);
}

void PdfWriter::rectPath(const TCornerRect &r, QByteArray &c)
{
    c += PdfNumber(px(r.Left)) + ' ' + PdfNumber(py(r.Bottom)) + ' ' + PdfNumber(r.width() * kPt)
        + ' ' + PdfNumber(r.height() * kPt) + " re\n";
}

void PdfWriter::ellipsePath(const TCornerRect &r, QByteArray &c)
{
    const double k = 0.5523;
    const double cx = px((r.Left + r.Right) / 2.0), cy = py((r.Top + r.Bottom) / 2.0);
    const double rx = r.width() * kPt / 2, ry = r.height() * kPt / 2;
    auto pt = [&](double x, double y) { return PdfNumber(x) + ' ' + PdfNumber(y) + ' '; };
    c += pt(cx + rx, cy) + "m\n";
    c += pt(cx + rx, cy + k * ry) + pt(cx + k * rx, cy + ry) + pt(cx, cy + ry) + "c\n";
    c += pt(cx - k * rx, cy + ry) + pt(cx - rx, cy + k * ry) + pt(cx - rx, cy) + "c\n";
    c += pt(cx - rx, cy - k * ry) + pt(cx - k * rx, cy - ry) + pt(cx, cy - ry) + "c\n";
    c += pt(cx + k * rx, cy - ry) + pt(cx + rx, cy - k * ry) + pt(cx + rx, cy) + "c h\n";
}

void PdfWriter::roundRectPath(const TCornerRect &r, double radius, QByteArray &c)
{
    const double k = 0.5523 * radius;
    const double l = px(r.Left), rr = px(r.Right), t = py(r.Top), b = py(r.Bottom);
    auto pt = [&](double x, double y) { return PdfNumber(x) + ' ' + PdfNumber(y) + ' '; };
    c += pt(l + radius, b) + "m\n";
    c += pt(rr - radius, b) + "l\n";
    c += pt(rr - radius + k, b) + pt(rr, b + radius - k) + pt(rr, b + radius) + "c\n";
    c += pt(rr, t - radius) + "l\n";
    c += pt(rr, t - radius + k) + pt(rr - radius + k, t) + pt(rr - radius, t) + "c\n";
    c += pt(l + radius, t) + "l\n";
    c += pt(l + radius - k, t) + pt(l, t - radius + k) + pt(l, t - radius) + "c\n";
    c += pt(l, b + radius) + "l\n";
    c += pt(l, b + radius - k) + pt(l + radius - k, b) + pt(l + radius, b) + "c h\n";
}

void PdfWriter::shape(const TSiReportElement &e, const TCornerRect &r, QByteArray &c)
{
    const int w = e.PenWidth;
    if (e.Kind == ekLine) {
        if (!setPen(e.PenStyle, quint32(e.PenColor), scaledPenWidth(w), c))
            return;
        const TCornerRect in = inset(r, w);
        frameLines(in, e.Flags & 0x0F, c);
        auto seg = [&](int x1, int y1, int x2, int y2) {
            c += PdfNumber(px(x1)) + ' ' + PdfNumber(py(y1)) + " m " + PdfNumber(px(x2)) + ' '
                + PdfNumber(py(y2)) + " l S\n";
        };
        if (e.Flags & efDiagonal1)
            seg(in.Left, in.Bottom, in.Right, in.Top);
        if (e.Flags & efDiagonal2)
            seg(in.Left, in.Top, in.Right, in.Bottom);
        if (e.Flags & efInscribedEllipse) {
            ellipsePath(in, c);
            c += "S\n";
        }
        return;
    }
    // Hatched brushes fill with their tiling pattern, lines only, as the page image has them.
    const bool hatch = e.BrushStyle >= bsHorizontal && e.BrushStyle <= bsDiagCross;
    const bool fill = e.BrushStyle == bsSolid || hatch;
    const bool stroke = w != 0 && setPen(psSolid, quint32(e.PenColor), scaledPenWidth(w), c);
    if (!fill && !stroke)
        return;
    if (hatch) {
        c += "/Pattern cs /P" + QByteArray::number(patternFor(e.BrushStyle, quint32(e.BrushColor))) + " scn\n";
        m_fill = -1;
    } else if (fill) {
        fillColor(quint32(e.BrushColor), c);
    }
    const TCornerRect in = inset(r, w);
    if (e.Kind == ekRectangle)
        rectPath(in, c);
    else if (e.Kind == ekRoundRect)
        roundRectPath(in, std::min(RoundEven(40.0 * kScale), in.height() / 2) / 2.0 * kPt, c);
    else
        ellipsePath(in, c);
    c += fill && stroke ? "B\n" : fill ? "f\n" : "S\n";
}

void PdfWriter::picture(const TVystPrvek &item, const TCornerRect &r, QByteArray &c)
{
    const auto it = m_itemImage.find(m_current);
    if (it != m_itemImage.end()) {
        const PdfImage &img = m_images[size_t(it->second)];
        const TSiReportElement &e = *item.Element;
        const int alignment = e.Kind == ekField ? e.Alignment : alLeft;
        const TCornerRect f = FitPicture(r, RoundEven(img.width * double(kScale)),
                                         RoundEven(img.height * double(kScale)), e.Flags, alignment);
        if (f.width() != 0 && f.height() != 0)
            c += "q " + PdfNumber(f.width() * kPt) + " 0 0 " + PdfNumber(f.height() * kPt) + ' '
                + PdfNumber(px(f.Left)) + ' ' + PdfNumber(py(f.Bottom)) + " cm /Im"
                + QByteArray::number(it->second) + " Do Q\n";
    }
    if (item.kind() == ekField && setPen(psSolid, 0, 1, c))
        frameLines(r, item.Element->Flags & 0x0F, c);
}

// The bars as the page image lays them out, in page-image units.
TBarcodeShape PdfWriter::barcodeShape(const TVystPrvek &it)
{
    const TSiReportElement &e = *it.Element;
    int module = e.PenWidth;   // as the page image computes it at its scale
    if (module < 1 || module > 128)
        module = 8;
    const QRect r(it.Left * kScale, it.Top * kScale, it.Width * kScale, it.Height * kScale);
    return LayoutBarcode(r, e.PenStyle, it.FirstLineText(), e.Flags & efPrintText,
                         e.Flags & efCheckDigit, e.Angle, module);
}

// Bars and spaces as filled shapes (spaces white, covering what lies beneath), then the
// text on its white ground.
void PdfWriter::barcode(const TVystPrvek &it, QByteArray &c)
{
    const auto found = m_barcodes.find(m_current);
    if (found == m_barcodes.end())
        return;
    const TBarcodeShape &shape = found->second;
    for (const TBarcodeShape::Bar &bar : shape.bars) {
        fillColor(bar.black ? 0 : 0xFFFFFF, c);
        if (bar.polygon.size() >= 3 && !(it.Element->Angle % 90 == 0)) {
            for (int k = 0; k < bar.polygon.size(); ++k)
                c += PdfNumber(px(bar.polygon[k].x())) + ' ' + PdfNumber(py(bar.polygon[k].y()))
                     + (k == 0 ? " m " : " l ");
            c += "h f\n";
        } else {
            const QRect &b = bar.rect;
            rectPath({b.left(), b.top(), b.left() + b.width(), b.top() + b.height()}, c);
            c += "f\n";
        }
    }
    for (const TBarcodeShape::Text &t : shape.texts) {
        const QByteArray base = PdfBaseFont(t.family, false, false);
        TTextFont f;
        f.Name = t.family;
        f.Size = t.pointSize;
        const double ascent = QFontMetricsF(TTextCanvas::toQFont(f, 100)).ascent();
        // a size of the canvas at 100 pixels per inch, drawn in units of 1/600 inch
        const double size = t.pointSize * 100.0 / 72.0 * kPt;
        const QRect &b = t.rect;
        fillColor(0xFFFFFF, c);
        rectPath({b.left(), b.top(), b.left() + b.width(), b.top() + b.height()}, c);
        c += "f\n";
        fillColor(0, c);
        QByteArray s;
        for (char ch : fontBytes(t.text, isSymbol(base)))
            appendStringByte(s, static_cast<unsigned char>(ch));
        c += "BT /F" + QByteArray::number(fontNumber(base)) + ' ' + PdfNumber(size) + " Tf "
             + PdfNumber(px(t.topLeft.x())) + ' ' + PdfNumber(py(t.topLeft.y() + ascent))
             + " Td (" + s + ") Tj ET\n";
    }
}

// One run: targets are the page-image x of every character and of the run's end.
void PdfWriter::textRun(const TFragment &run, double x, double y,
                        const std::vector<double> &targets, QByteArray &c)
{
    const int size = run.FontSize;
    if (size <= 0)
        return;
    runFont(run);
    RunFont &font = m_runFont;
    if (!font.widths) {
        font.widths = &widthsOf(font.base);
        font.number = fontNumber(font.base);
    }
    const FontWidths &fw = *font.widths;
    const QByteArray bytes = fontBytes(run.Chars, font.symbol);
    fillColor(run.Color, c);
    // Appended piece by piece: a chain of + made a new byte string for every piece, and a
    // long report has a run for every field of every row.
    c += "BT /F";
    c += QByteArray::number(font.number);
    c += ' ';
    c += QByteArray::number(size);
    c += " Tf ";
    c += PdfNumber(px(x));
    c += ' ';
    c += PdfNumber(py(y));
    c += " Td [(";
    // pen: where the next character would stand, in points from the run's start
    double pen = 0;
    const double x0 = targets.empty() ? 0 : targets[0];
    const int n = std::min<int>(run.Length, int(bytes.size()));
    for (int k = 0; k < n; ++k) {
        const unsigned char b = static_cast<unsigned char>(bytes.at(k));
        if (b < 32)
            continue;
        const double target = (targets[size_t(k)] - x0) * kPt;
        const double adj = std::round((pen - target) * 1000.0 / size);
        if (std::abs(adj) >= 3) {
            c += ')';
            c += QByteArray::number(qint64(adj));
            c += '(';
            pen -= adj * size / 1000.0;
        }
        appendStringByte(c, b);
        pen += fw.w[b] * size / 1000.0;
    }
    c += ")] TJ ET\n";
    if (run.Underline && n > 0) {
        const double w = (targets[size_t(n)] - x0) * kPt;
        c += PdfNumber(px(x)) + ' ' + PdfNumber(py(y) - 0.15 * size) + ' ' + PdfNumber(w) + ' '
            + PdfNumber(0.05 * size) + " re f\n";
    }
    // the strike line crosses the small letters at about a third of the size
    if (run.Strikeout && n > 0) {
        const double w = (targets[size_t(n)] - x0) * kPt;
        c += PdfNumber(px(x)) + ' ' + PdfNumber(py(y) + 0.3 * size) + ' ' + PdfNumber(w) + ' '
            + PdfNumber(0.05 * size) + " re f\n";
    }
}

void PdfWriter::textLines(const TVystPrvek &item, const TCornerRect &r, QByteArray &c)
{
    const TRadky &lines = *item.Lines;
    const int first = std::max(item.FirstLine, 0);
    const int last = std::min(item.LastLine, lines.count() - 1);
    long long y = 0;
    std::vector<double> targets;
    for (int i = first; i <= last; ++i) {
        const TRadek &l = lines[i];
        y += l.RowHeight;
        // the same arithmetic as the page image at its scale
        const int baseline = r.Top + int(double(y / 72) * kScale);
        for (const TFragment &run : l.Runs) {
            if (run.Length <= 0 || int(run.Positions.size()) < run.Length + 1)
                continue;
            // the run starts where the page image starts it; its characters follow the
            // layout's positions unrounded (the page image rounds them to its units)
            const int q = (run.Positions[0] + l.LineOffset + 72) / 72;
            const int x = r.Left + q * kScale;
            targets.resize(size_t(run.Length) + 1);
            for (int k = 0; k <= run.Length; ++k)
                targets[size_t(k)] = x + (run.Positions[size_t(k)] - run.Positions[0]) * double(kScale) / 72;
            textRun(run, x, baseline, targets, c);
        }
    }
}

void PdfWriter::rotatedText(const TVystPrvek &item, const TCornerRect &r, QByteArray &c)
{
    const TSiReportElement &e = *item.Element;
    const QString text = item.FirstLineText();
    if (text.isEmpty())
        return;
    TTextFont font = textFontOf(e.Font);
    ReplaceRomanFont(font);
    const QByteArray base = PdfBaseFont(font.Name, font.Bold, font.Italic);
    const int size = int(font.Size);
    if (size <= 0)
        return;
    const FontWidths &fw = widthsOf(base);
    const QByteArray bytes = fontBytes(text, isSymbol(base));
    double total = 0;
    QByteArray s;
    for (char ch : bytes) {
        const unsigned char b = static_cast<unsigned char>(ch);
        if (b < 32)
            continue;
        appendStringByte(s, b);
        total += fw.w[b] * size / 1000.0;
    }
    const TCornerRect shrunk{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    const double a = e.Angle * M_PI / 180.0;
    const double cs = std::cos(a), sn = std::sin(a);
    fillColor(font.Color, c);
    c += "q ";
    rectPath(shrunk, c);
    c += "W n BT /F" + QByteArray::number(fontNumber(base)) + ' ' + QByteArray::number(size)
        + " Tf " + PdfNumber(cs, 4) + ' ' + PdfNumber(sn, 4) + ' ' + PdfNumber(-sn, 4) + ' '
        + PdfNumber(cs, 4) + ' ' + PdfNumber(px((shrunk.Left + shrunk.Right) / 2)) + ' '
        + PdfNumber(py((shrunk.Top + shrunk.Bottom) / 2)) + " Tm " + PdfNumber(-total / 2)
        + " 0 Td [(" + s + ")] TJ ET Q\n";
}

void PdfWriter::item(const TVystPrvek &it, QByteArray &c)
{
    if (!it.Element)
        return;
    const TSiReportElement &e = *it.Element;
    TCornerRect r;
    r.Left = it.Left * kScale;
    r.Top = it.Top * kScale;
    r.Right = r.Left + it.Width * kScale;
    r.Bottom = r.Top + it.Height * kScale;
    if (isTextItem(it)) {
        if (e.Angle != 0)
            rotatedText(it, r, c);
        else if (it.Lines)
            textLines(it, r, c);
        if ((e.Flags & 0x0F) && setPen(psSolid, 0, 0, c))
            frameLines(r, e.Flags, c);
    } else if (isPictureItem(it)) {
        picture(it, r, c);
    } else if (e.Kind >= ekLine && e.Kind <= ekEllipse) {
        shape(e, r, c);
    } else if (e.Kind == ekBarcode) {
        barcode(it, c);
    }
}

void PdfWriter::pageContent(const TStranaPrvku &page, QByteArray &c)
{
    m_fill = 0;   // the initial graphics state: black
    m_stroke = 0;
    if (m_backgroundImage >= 0 && m_store.Background) {
        const TCornerRect &b = m_store.BackgroundRect;
        // the background rectangle lies on the sheet
        const double l = b.Left * kScale * kPt, t = m_sheetH - b.Top * kScale * kPt;
        const double w = b.width() * kScale * kPt, h = b.height() * kScale * kPt;
        c += "q " + PdfNumber(w) + " 0 0 " + PdfNumber(h) + ' ' + PdfNumber(l) + ' '
            + PdfNumber(t - h) + " cm /Im" + QByteArray::number(m_backgroundImage) + " Do Q\n";
    }
    for (int i = 0; i < page.count(); ++i) {
        m_current.second = i;
        item(*page.item(i), c);
    }
}

} // namespace orv::pdfwriter
