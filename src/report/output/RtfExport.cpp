#include "report/output/RtfExport.h"

#include "core/CodePage.h"
#include "report/model/CaughtException.h"
#include "report/model/PageSetup.h"
#include "report/model/SestError.h"
#include "report/output/ExportSupport.h"
#include "report/output/OutputStore.h"
#include "report/output/PictureFile.h"
#include "report/output/TolvaCanvas.h"

#include <QBuffer>
#include <QIODevice>
#include <QPainter>

#include <algorithm>
#include <map>
#include <set>
#include <vector>

namespace orv {

namespace {

int twips(int hundredths)
{
    return hundredths * 1440 / 100;
}

QByteArray num(qint64 v)
{
    return QByteArray::number(v);
}

// Text runs are written in the Central European character set, whatever the template
// said, because their bytes are code page 1250; a symbol font keeps its own set.
int rtfCharset(int charset)
{
    return charset == csSymbol ? csSymbol : csEastEurope;
}

QByteArray fontEntry(const TFragment &run)
{
    return num(rtfCharset(run.Charset)) + ' ' + encode(run.FontName, CodePage::Cp1250);
}

QByteArray colorEntry(quint32 c)
{
    return "\\red" + num(redOf(c)) + "\\green" + num(greenOf(c)) + "\\blue" + num(blueOf(c)) + ';';
}

// A sorted list without duplicates, and the number of each entry.
class Table {
public:
    void add(const QByteArray &e) { m_set.insert(e); }
    void finish()
    {
        m_list.assign(m_set.begin(), m_set.end());
        std::stable_sort(m_list.begin(), m_list.end(), [](const QByteArray &a, const QByteArray &b) {
            return a.compare(b, Qt::CaseInsensitive) < 0;
        });
        m_list.erase(std::unique(m_list.begin(), m_list.end(),
                                 [](const QByteArray &a, const QByteArray &b) {
                                     return a.compare(b, Qt::CaseInsensitive) == 0;
                                 }),
                     m_list.end());
        for (size_t i = 0; i < m_list.size(); ++i)
            m_index.emplace(m_list[i].toLower(), int(i));
    }
    int number(const QByteArray &e) const
    {
        const auto it = m_index.find(e.toLower());
        return it == m_index.end() ? 0 : it->second;
    }
    const std::vector<QByteArray> &list() const { return m_list; }

private:
    std::set<QByteArray> m_set;
    std::vector<QByteArray> m_list;
    std::map<QByteArray, int> m_index;
};

class RtfWriter {
public:
    RtfWriter(TSestVystup &store, QIODevice &stream) : m_store(store), m_stream(stream) {}
    int write();

private:
    void out(const QByteArray &b)
    {
        if (!m_failed && m_stream.write(b) != b.size())
            m_failed = true;
    }
    void collect();
    void textItem(const TVystPrvek &item, QByteArray &o) const;
    void lineItem(const TVystPrvek &item, QByteArray &o) const;
    void shapeItem(const TVystPrvek &item, QByteArray &o) const;
    void pictureItem(const TVystPrvek &item, QByteArray &o) const;
    void barcodeItem(const TVystPrvek &item, QByteArray &o) const;
    QByteArray pictFrame(const TCornerRect &r, const QByteArray &blip, const QByteArray &data,
                         QSize pixels, int frameFlags) const;

    TSestVystup &m_store;
    QIODevice &m_stream;
    TPageSetup m_ps;
    Table m_fonts, m_colors;
    bool m_failed = false;
};

void RtfWriter::collect()
{
    TStranaPrvku scratch;
    for (int p = 0; p < m_store.PageCount(); ++p) {
        const TStranaPrvku *page = m_store.ReadPage(p, scratch);
        for (int i = 0; i < page->count(); ++i) {
            const TVystPrvek &it = *page->item(i);
            if (!it.Element)
                continue;
            const int k = it.kind();
            if (k >= ekLine && k <= ekEllipse) {
                m_colors.add(colorEntry(quint32(it.Element->PenColor)));
            } else if (it.Lines) {
                for (const TRadek &l : it.Lines->Lines)
                    for (const TFragment &run : l.Runs) {
                        m_fonts.add(fontEntry(run));
                        m_colors.add(colorEntry(run.Color));
                    }
            }
        }
    }
    m_fonts.finish();
    m_colors.finish();
}

QByteArray borderCodes(int flags)
{
    QByteArray frame;
    if (flags & efFrameTop)
        frame += "\\brdrt\\brdrs\\brdrw20 ";
    if (flags & efFrameLeft)
        frame += "\\brdrl\\brdrs\\brdrw20 ";
    if (flags & efFrameBottom)
        frame += "\\brdrb\\brdrs\\brdrw20 ";
    if (flags & efFrameRight)
        frame += "\\brdrr\\brdrs\\brdrw20 ";
    return frame;
}

void RtfWriter::textItem(const TVystPrvek &item, QByteArray &o) const
{
    const TSiReportElement &e = *item.Element;
    const TRadky &lines = *item.Lines;
    const int first = std::max(item.FirstLine, 0);
    const int last = std::min(item.LastLine, lines.count() - 1);
    QByteArray frame = borderCodes(e.Flags);
    frame += "\\pvpg\\phpg\\absw" + num(twips(item.Width)) + "\\absh-" + num(twips(item.Height))
             + "\\posy" + num(twips(item.Top + m_ps.MarginTop)) + "\\posx"
             + num(twips(item.Left + m_ps.MarginLeft));
    static const char *const align[] = {"\\ql", "\\qr", "\\qc", "\\qj"};
    const int a = e.effectiveAlignment();
    const char *alignment = a >= 0 && a <= 3 ? align[a] : "\\ql";
    for (int i = first; i <= last; ++i) {
        o += "\\par\\pard";
        o += frame;
        for (const TFragment &run : lines[i].Runs) {
            o += "\\f" + num(m_fonts.number(fontEntry(run))) + "\\cf"
                 + num(m_colors.number(colorEntry(run.Color))) + "\\fs" + num(run.FontSize * 2) + ' ';
            if (run.Bold)
                o += "\\b";
            if (run.Underline)
                o += "\\ul";
            if (run.Italic)
                o += "\\i";
            if (run.Strikeout)
                o += "\\strike";
            o += alignment;
            o += ' ';
            o += RtfText(run.Chars.left(run.Length));
            if (run.Strikeout)
                o += "\\strike0";
            if (run.Italic)
                o += "\\i0";
            if (run.Underline)
                o += "\\ul0";
            if (run.Bold)
                o += "\\b0";
        }
    }
}

// Twips of the item's corners from the printable corner.
struct Box {
    int L, T, R, B;
};

Box boxOf(const TVystPrvek &item)
{
    return {twips(item.Left), twips(item.Top), twips(item.Left + item.Width),
            twips(item.Top + item.Height)};
}

QByteArray shapeHead(int l, int t, int r, int b)
{
    // Placed from the margins, in front of nothing and without wrapping the text.
    return "{\\shp{\\*\\shpinst\\shpleft" + num(l) + "\\shptop" + num(t) + "\\shpright" + num(r)
           + "\\shpbottom" + num(b) + "\\shpbxmargin\\shpbymargin\\shpwr3";
}

QByteArray prop(const char *name, qint64 value)
{
    return QByteArray("{\\sp{\\sn ") + name + "}{\\sv " + num(value) + "}}";
}

void RtfWriter::lineItem(const TVystPrvek &item, QByteArray &o) const
{
    const TSiReportElement &e = *item.Element;
    const Box x = boxOf(item);
    const QByteArray dash = e.PenStyle >= 1 && e.PenStyle <= 4 ? prop("lineDashing", e.PenStyle)
                                                               : QByteArray();
    const QByteArray tail = dash + prop("lineColor", quint32(e.PenColor) & 0xFFFFFF)
                            + prop("lineWidth", qint64(e.PenWidth) * 9144) + "}}";
    o += "\\par\\pard";
    struct Seg {
        int bit, l, t, r, b;
    };
    const Seg segs[] = {{efFrameTop, x.L, x.T, x.R, x.T},   {efFrameLeft, x.L, x.T, x.L, x.B},
                        {efFrameBottom, x.L, x.B, x.R, x.B}, {efFrameRight, x.R, x.T, x.R, x.B},
                        {efDiagonal1, x.L, x.B, x.R, x.T},  {efDiagonal2, x.L, x.T, x.R, x.B}};
    for (const Seg &s : segs)
        if (e.Flags & s.bit)
            o += shapeHead(s.l, s.t, s.r, s.b) + prop("shapeType", 20) + tail;
    if (e.Flags & efInscribedEllipse)
        o += shapeHead(x.L, x.T, x.R, x.B) + prop("shapeType", 3) + dash + prop("fillOpacity", 0)
             + "}}";
}

void RtfWriter::shapeItem(const TVystPrvek &item, QByteArray &o) const
{
    const TSiReportElement &e = *item.Element;
    const Box x = boxOf(item);
    o += "\\par\\pard";
    o += shapeHead(x.L, x.T, x.R, x.B);
    o += prop("shapeType", e.Kind == ekRectangle ? 1 : e.Kind == ekRoundRect ? 2 : 3);
    o += prop("fillColor", quint32(e.BrushColor) & 0xFFFFFF);
    if (e.BrushStyle == 1)   // a clear brush
        o += prop("fFilled", 0);
    if (qint64(e.PenWidth) * 9144 > 0)
        o += prop("lineColor", quint32(e.PenColor) & 0xFFFFFF) + prop("lineWidth", qint64(e.PenWidth) * 9144);
    else
        o += prop("fLine", 0);
    o += prop("fBehindDocument", 1) + "}}";
}

// A picture in a frame of the given place (hundredths of an inch from the printable corner),
// as a paragraph of its own, like the text frames: readers place it where the page image
// has it. The paragraph's font is tiny so that its line is no taller than the picture. The
// bytes are written as hexadecimal digits, 128 to a line.
QByteArray RtfWriter::pictFrame(const TCornerRect &r, const QByteArray &blip, const QByteArray &data,
                                QSize pixels, int frameFlags) const
{
    const int w = twips(r.width()), h = twips(r.height());
    QByteArray o = "\\par\\pard" + borderCodes(frameFlags) + "\\pvpg\\phpg\\absw" + num(w) + "\\absh-" + num(h)
                   + "\\posy" + num(twips(r.Top + m_ps.MarginTop)) + "\\posx" + num(twips(r.Left + m_ps.MarginLeft))
                   + "\\sl0\\ql\\fs2{\\pict\\" + blip + "\\picw" + num(pixels.width()) + "\\pich" + num(pixels.height())
                   + "\\picwgoal" + num(w) + "\\pichgoal" + num(h) + "\r\n";
    const QByteArray hex = data.toHex();
    for (qsizetype i = 0; i < hex.size(); i += 128)
        o += hex.mid(i, 128) + "\r\n";
    return o + '}';
}

void RtfWriter::pictureItem(const TVystPrvek &item, QByteArray &o) const
{
    const TSiReportElement &e = *item.Element;
    QImage picture = itemPicture(item);
    if (picture.isNull())
        return;
    if (m_store.OnPreparePicture)
        m_store.OnPreparePicture(picture, item.Width * 6, item.Height * 6);
    if (picture.isNull())
        return;
    // Fitted as the page image fits it, in its units of 1/600 inch.
    const TCornerRect box{item.Left * 6, item.Top * 6, (item.Left + item.Width) * 6, (item.Top + item.Height) * 6};
    const TCornerRect f = FitPicture(box, picture.width() * 6, picture.height() * 6, e.Flags,
                                     e.Kind == ekField ? e.Alignment : alLeft);
    if (f.width() <= 0 || f.height() <= 0)
        return;
    const TCornerRect r{RoundEven(f.Left / 6.0), RoundEven(f.Top / 6.0), RoundEven(f.Right / 6.0),
                        RoundEven(f.Bottom / 6.0)};
    QByteArray data = JpegSource(picture);
    QByteArray blip = "jpegblip";
    if (data.isEmpty()) {
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        if (!picture.save(&buffer, "PNG"))
            return;
        blip = "pngblip";
    }
    o += pictFrame(r, blip, data, picture.size(), e.Kind == ekField ? e.Flags : 0);
}

// A barcode as the page image draws it, as a black and white picture of 600 dots to the
// inch: every bar keeps its exact width in dots, so the code reads back from the picture.
void RtfWriter::barcodeItem(const TVystPrvek &item, QByteArray &o) const
{
    if (item.Width <= 0 || item.Height <= 0)
        return;
    QImage image(item.Width * 6, item.Height * 6, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.translate(-item.Left * 6, -item.Top * 6);
        TTolvaCanvas canvas(&painter, 100);
        DrawOutputItem(canvas, item, 6, {});
    }
    // Black and white: a fifth of the bytes, and at 600 dots the text under the bars stays
    // legible without its grey edges.
    image = image.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither | Qt::MonoOnly);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return;
    const TCornerRect r{item.Left, item.Top, item.Left + item.Width, item.Top + item.Height};
    o += pictFrame(r, "pngblip", data, image.size(), 0);
}

int RtfWriter::write()
{
    m_ps = m_store.pageSetup();
    collect();
    QByteArray head = "{\\rtf1\\ansi\\ansicpg1250\\deff0\\deftab720{\\fonttbl";
    for (size_t n = 0; n < m_fonts.list().size(); ++n)
        head += "{\\f" + num(qint64(n)) + "\\fnil\\fcharset" + m_fonts.list()[n] + ";}";
    head += "}{\\colortbl";
    for (const QByteArray &c : m_colors.list())
        head += c;
    head += "}{\\info{\\doccomm TOLVA ReportGenerator}}";
    head += "\\viewkind1\\paperw" + num(twips(m_ps.sheetWidth())) + "\\paperh"
            + num(twips(m_ps.sheetHeight())) + "\\margl" + num(twips(m_ps.MarginLeft)) + "\\margr"
            + num(twips(m_ps.MarginRight)) + "\\margt" + num(twips(m_ps.MarginTop * 80 / 100))
            + "\\margb" + num(twips(m_ps.MarginBottom * 80 / 100))
            + (m_ps.Orientation == 1 ? "\\lndscpsxn" : "") + "\\headery0\\footery0\r\n";
    out(head);
    QByteArray o;
    TStranaPrvku scratch;
    for (int p = 0; p < m_store.PageCount() && !m_failed; ++p) {
        const TStranaPrvku *page = m_store.ReadPage(p, scratch);
        o = "{";
        for (int i = 0; i < page->count(); ++i) {
            const TVystPrvek &it = *page->item(i);
            if (!it.Element)
                continue;
            const int k = it.kind();
            if (isTextItem(it) && it.Lines)
                textItem(it, o);
            else if (k == ekLine)
                lineItem(it, o);
            else if (k >= ekRectangle && k <= ekEllipse)
                shapeItem(it, o);
            else if (isPictureItem(it))
                pictureItem(it, o);
            else if (k == ekBarcode)
                barcodeItem(it, o);
        }
        o += p + 1 < m_store.PageCount() ? "\\par\\page}" : "\\par}";
        out(o);
    }
    out("}");
    return m_failed ? seOutputNotWritten : seOk;
}

} // namespace

QByteArray RtfText(const QString &text)
{
    QByteArray o;
    o.reserve(text.size());
    for (qsizetype k = 0; k < text.size(); ++k) {
        const QChar c = text.at(k);
        if (c.unicode() < 32)
            continue;
        if (c.unicode() < 128) {
            if (c == u'\\' || c == u'{' || c == u'}')
                o += '\\';
            o += char(c.unicode());
        } else if (const int b = cp1250Byte(c)) {
            o += "\\'" + QByteArray::number(b, 16).toUpper().rightJustified(2, '0');
        } else if (c.isHighSurrogate() && k + 1 < text.size()) {
            // outside the basic plane: a question mark for readers of the code page
            o += "\\u" + num(qint16(c.unicode())) + "?\\u" + num(qint16(text.at(k + 1).unicode())) + '?';
            ++k;
        } else {
            o += "\\u" + num(qint16(c.unicode())) + '?';
        }
    }
    return o;
}

int SaveRtf(TSestVystup &store, QIODevice &stream)
{
    try {
        return RtfWriter(store, stream).write();
    } catch (...) {
        logCaughtException("SaveRtf");
        return seOutputNotWritten;
    }
}

} // namespace orv
