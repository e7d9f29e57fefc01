#include "report/model/TextLayout.h"
#include "report/model/TextLayoutEngine.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace orv::textlayout {

namespace {
constexpr int kMinRowHeight = 144;  // two hundredths of an inch
constexpr int kMargin = 72;         // one hundredth of an inch inside the rectangle
} // namespace

Engine::Engine(TTextCanvas &canvas, const QRect &rect, TRadky &lines, bool wrap,
               double lineHeight, double letterSpacing, int alignment, const TTextFont &font)
    : m_canvas(canvas), m_lines(lines), m_wrap(wrap)
{
    m_width = int(double(rect.width()) * 72);
    // A negative minimum height would make lines of negative height after a wrap.
    if (lineHeight > 0)
        m_fixedHeight = std::max(1, int(lineHeight * 72 + 0.5));
    m_letterSpacing = letterSpacing > 0 ? letterSpacing * 72 : 0;
    m_justify = alignment == 3;

    m_chp.Face = font.Name;
    m_chp.Charset = font.Charset & 0xFF;
    m_chp.HalfPoints = int(2 * font.Size);
    m_chp.Color = font.Color & 0xFFFFFF;
    m_chp.Bold = font.Bold;
    m_chp.Italic = font.Italic;
    m_chp.Underline = font.Underline;
    m_chp.Strikeout = font.Strikeout;
    m_pap.Alignment = alignment;

    TTextFont start = font;
    start.Size = std::trunc(font.Size * 72);
    m_canvas.setFont(start);

    m_lines.Lines.emplace_back();
    line().RowHeight = kMinRowHeight;
    raise(m_fixedHeight);
}

void Engine::measureFont()
{
    TTextFont f;
    f.Name = m_chp.Face;
    f.Charset = m_chp.Charset;
    // Rich text may ask for any size; a sane range keeps the font machinery sane.
    const int hp = std::clamp(m_chp.HalfPoints, 1, 3276);
    f.Size = hp * 72 / 2;
    f.Color = m_chp.Color;
    f.Bold = m_chp.Bold;
    f.Italic = m_chp.Italic;
    f.Underline = m_chp.Underline;
    f.Strikeout = m_chp.Strikeout;
    m_canvas.setFont(f);
}

int Engine::available() const
{
    int a = m_width - kMargin - (m_pap.Left + m_pap.Right) * 72 / 15;
    if (m_firstLine)
        a -= m_pap.First * 72 / 15;
    return a;
}

int Engine::offsetFor(int w) const
{
    switch (m_pap.Alignment) {
    case 1:
        return m_width - w - m_pap.Right * 72 / 15 - kMargin;
    case 2:
        return (m_width - w - (m_pap.Left + m_pap.Right) * 72 / 15) / 2
               + (m_pap.Left + m_pap.NumberingIndent) * 72 / 15;
    case 0:
    case 3:
        if (m_firstLine)
            return (m_pap.Left + m_pap.First + m_pap.NumberingIndent) * 72 / 15 + kMargin;
        return m_pap.Left * 72 / 15 + kMargin;
    default:
        return kMargin;
    }
}

void Engine::raise(int value)
{
    if (value > line().RowHeight)
        line().RowHeight = value;
}

void Engine::recordBreak(int x, int n)
{
    TRadek &l = line();
    l.BreakX = x;
    l.BreakCount = n;
    l.BreakRun = l.CurrentRun;
    m_breakGlyphStart = m_glyphStart;
    m_breakGlyphInk = m_glyphInk;
    if (!l.Runs.empty())
        l.Runs.back().BreakLength = l.Runs.back().Length;
    m_breakRuns = l.Runs.size();
}

void Engine::addChar(QChar c, int width, int pos)
{
    TRadek &l = line();
    if (l.CurrentRun < 0) {
        TFragment run;
        run.FontName = m_chp.Face;
        run.Charset = quint8(m_chp.Charset);
        run.FontSize = m_chp.HalfPoints / 2;
        run.Color = m_chp.Color;
        run.Bold = m_chp.Bold;
        run.Underline = m_chp.Underline;
        run.Italic = m_chp.Italic;
        run.Strikeout = m_chp.Strikeout;
        l.Runs.push_back(std::move(run));
        l.CurrentRun = int(l.Runs.size()) - 1;
    }
    TFragment &run = l.Runs[size_t(l.CurrentRun)];
    run.Chars.append(c);
    run.Positions.back() = pos;
    run.Positions.push_back(pos + width);
    ++run.Length;
}

void Engine::newLine()
{
    m_lines.Lines.emplace_back();
    line().RowHeight = kMinRowHeight;
    raise(m_fixedHeight);
    m_x = 0;
    m_chars = 0;
    m_inkEnd = 0;
    m_glyphStart = m_glyphInk = 0;
    m_firstLine = true;
    m_breakRuns = 0;
}

void Engine::breakLine()
{
    TRadek &l = line();
    m_x -= l.BreakX;
    m_inkEnd -= l.BreakX;
    m_glyphStart -= l.BreakX;
    if (m_wrap)
        m_chars -= l.BreakCount;
    l.LineOffset = offsetFor(l.BreakX);
    l.FirstOfParagraph = m_firstLine;
    m_firstLine = false;
}

void Engine::startNextLine()
{
    const size_t prevIndex = m_lines.Lines.size() - 1;
    m_lines.Lines.emplace_back();
    TRadek &next = m_lines.Lines.back();
    TRadek &prev = m_lines.Lines[prevIndex];
    next.RowHeight = m_fixedHeight > 0 ? m_fixedHeight : kMinRowHeight;

    // The runs from the break on give their characters after the break to the new line.
    // A break recorded while no run was current (a tab right after a property keyword)
    // lies between runs: everything after it moves.
    size_t from;
    bool between = prev.BreakRun < 0;
    if (between)
        from = m_breakRuns;
    else
        from = size_t(prev.BreakRun);
    for (size_t i = from; i < prev.Runs.size(); ++i) {
        TFragment &run = prev.Runs[i];
        TFragment moved;
        moved.FontName = run.FontName;
        moved.FontSize = run.FontSize;
        moved.Color = run.Color;
        moved.Charset = run.Charset;
        moved.Bold = run.Bold;
        moved.Underline = run.Underline;
        moved.Italic = run.Italic;
        moved.Strikeout = run.Strikeout;
        const int keep = (!between && i == from) ? std::clamp(run.BreakLength, 0, run.Length) : 0;
        if (keep < run.Length) {
            moved.Chars = run.Chars.mid(keep);
            moved.Length = run.Length - keep;
            moved.Positions.clear();
            for (int k = keep; k <= run.Length; ++k)
                moved.Positions.push_back(run.Positions[size_t(k)] - prev.BreakX);
            run.Chars.truncate(keep);
            run.Positions.resize(size_t(keep) + 1);
            run.Length = keep;
            // The moved characters keep their font; the new line must be as high as
            // they are, not only as the characters that follow them.
            TTextFont f;
            f.Name = moved.FontName;
            f.Charset = moved.Charset;
            f.Size = std::trunc(moved.FontSize * 72.0);
            f.Bold = moved.Bold;
            f.Italic = moved.Italic;
            f.Underline = moved.Underline;
            f.Strikeout = moved.Strikeout;
            m_canvas.setFont(f);
            if (m_canvas.textHeight(QLatin1Char('X')) > next.RowHeight)
                next.RowHeight = m_canvas.textHeight(QLatin1Char('X'));
        }
        next.Runs.push_back(std::move(moved));
    }
    next.CurrentRun = int(next.Runs.size()) - 1;
    m_breakRuns = 0;
    measureFont();
}

void Engine::justify(TRadek &l) const
{
    if (!m_justify || l.BreakX == 0)
        return;
    const int left = (m_pap.Left + m_pap.NumberingIndent + (l.FirstOfParagraph ? m_pap.First : 0))
                         * 72 / 15 + kMargin;
    const int right = m_width - m_pap.Right * 72 / 15;
    float factor = float(right - left) / float(l.BreakX);
    // The last character keeps its ink inside the right edge, also when it leans out of
    // its advance.
    if (m_breakGlyphStart > 0)
        factor = std::min(factor, float(right - left - m_breakGlyphInk) / float(m_breakGlyphStart));
    for (TFragment &run : l.Runs)
        for (int &p : run.Positions)
            p = int(float(p) * factor);
}

bool Engine::step(QChar c)
{
    if (m_read == ReadState::Binary && --m_binaryCount <= 0)
        m_read = ReadState::Normal;
    const int a = available();
    if (m_dest == Destination::Skip)
        return true;

    const char16_t code = c.unicode();
    if (code == 0) {
        recordBreak(m_x, m_chars);
        raise(m_canvas.textHeight(QLatin1Char('X')));
        raise(m_fixedHeight);
        line().LineOffset = offsetFor(line().BreakX);
        return true;
    }
    if (code == 9) {
        const int t = m_defaultTab > 0 ? m_defaultTab : 720;
        const int d = m_x * 15 / 72;
        const int s = t * ((d + t) / t);
        if (d < m_pap.Left && m_pap.Left < s)
            m_x = m_pap.Left * 72 / 15;
        else
            m_x = s * 72 / 15;
        recordBreak(m_x, m_chars);
        if (m_x <= a)
            return true;
        breakLine();
        if (!m_wrap)
            return false;
        startNextLine();
        justify(m_lines.Lines[m_lines.Lines.size() - 2]);
        return true;
    }
    if (code == 10) {
        recordBreak(m_x, m_chars);
        raise(m_canvas.textHeight(QLatin1Char('X')));
        raise(m_fixedHeight);
        line().LineOffset = offsetFor(line().BreakX);
        if (!m_wrap)
            return false;
        newLine();
        return true;
    }
    if (code == 13)
        return true;

    measureFont();
    const int w = m_canvas.textWidth(c);
    if (code != 32) {
        // The ink of a character may reach past its advance; a line must hold that too.
        m_glyphStart = m_numbering
                           ? m_x - (m_pap.NumberingIndent > 0 ? m_pap.NumberingIndent * 72 / 15 : 960)
                           : m_x;
        // A glyph that leans out also gets the hundredth the drawing may round its place by.
        const int overhang = m_canvas.textOverhang(c);
        m_glyphInk = w + (overhang > 0 ? overhang + 72 : 0);
        m_inkEnd = m_glyphStart + m_glyphInk;
    }
    if (m_numbering) {
        const int n = m_pap.NumberingIndent > 0 ? m_pap.NumberingIndent * 72 / 15 : 960;
        addChar(c, w, m_x - n);
        m_x += w;
    } else {
        addChar(c, w, m_x);
        if (m_letterSpacing > 0) {
            const double e = m_letterSpacing;
            const double q = std::nearbyint((m_x + e) / e);
            m_x = int(std::nearbyint(q * e));
        } else {
            m_x += w;
        }
    }
    ++m_chars;
    raise(m_canvas.textHeight(c));
    if (code == 32 || !m_wrap)
        recordBreak(m_x, m_chars);
    if (m_x <= a && m_inkEnd <= a)
        return true;
    if (line().BreakCount == 0)
        recordBreak(m_x, m_chars);
    breakLine();
    if (!m_wrap)
        return false;
    startNextLine();
    justify(m_lines.Lines[m_lines.Lines.size() - 2]);
    return true;
}

void Engine::layoutPlain(const QString &text)
{
    for (QChar c : text) {
        // A NUL ends the text, as it would end a C string.
        if (c.isNull())
            break;
        if (!step(c))
            return;
    }
    step(QChar(0));
}

} // namespace orv::textlayout

namespace orv {

void LayoutText(TTextCanvas &canvas, const QRect &rect, const QString &text, TRadky &lines,
                bool wrap, double lineHeight, double letterSpacing, int alignment,
                const TTextFont &font, bool richText)
{
    textlayout::Engine engine(canvas, rect, lines, wrap, lineHeight, letterSpacing, alignment,
                              font);
    if (richText)
        engine.layoutRich(text);
    else
        engine.layoutPlain(text);
}

int TotalHeight(const TRadky &lines)
{
    if (lines.count() == 1 && lines[0].BreakX == 0)
        return 0;
    long long sum = 72;
    for (const TRadek &l : lines.Lines)
        sum += l.RowHeight;
    return int(sum / 72);
}

bool LinesThatFit(const TRadky &lines, int from, int maxHeight, int &height, int &last)
{
    long long p = 72;
    last = from - 1;
    bool all = true;
    for (int i = std::max(from, 0); i < lines.count(); ++i) {
        if (static_cast<long long>(maxHeight) * 72 < p + lines[i].RowHeight) {
            all = false;
            break;
        }
        p += lines[i].RowHeight;
        last = i;
    }
    height = int(p / 72);
    return all;
}

static TRadek copyLine(const TRadek &src)
{
    TRadek l;
    l.BreakX = src.BreakX;
    l.RowHeight = src.RowHeight;
    l.LineOffset = src.LineOffset;
    l.BreakCount = src.BreakCount;
    l.Runs = src.Runs;
    return l;
}

void CopyLines(TRadky &dest, const TRadky &src)
{
    CopyLineRange(dest, src, 0, src.count() - 1);
}

void CopyLineRange(TRadky &dest, const TRadky &src, int first, int last)
{
    first = std::max(first, 0);
    last = std::min(last, src.count() - 1);
    for (int i = first; i <= last; ++i)
        dest.Lines.push_back(copyLine(src[i]));
}

QString LineText(const TRadek &line)
{
    QString s;
    for (const TFragment &run : line.Runs)
        s += run.Chars;
    return s;
}

QString RunText(const TRadek &line, int i)
{
    if (i < 0 || i >= int(line.Runs.size()))
        return {};
    return line.Runs[size_t(i)].Chars;
}

void RunFontList(const TRadky &lines, QStringList &strings)
{
    for (const TRadek &l : lines.Lines)
        for (const TFragment &run : l.Runs)
            strings << QStringLiteral("%1 %2 %3 %4 %5")
                           .arg(run.Charset)
                           .arg(run.Bold ? 1 : 0)
                           .arg(run.Underline ? 1 : 0)
                           .arg(run.Italic ? 1 : 0)
                           .arg(run.FontName);
}

void RunColorList(const TRadky &lines, QStringList &strings)
{
    for (const TRadek &l : lines.Lines)
        for (const TFragment &run : l.Runs)
            strings << QString::number(run.Color);
}

void DrawLines(TTextCanvas &canvas, const QRect &rect, int first, int last,
               const TRadky &lines, double fontScale, double yScale, double xScale)
{
    QPainter *painter = canvas.painter();
    if (painter) {
        painter->save();
        painter->setBackgroundMode(Qt::TransparentMode);
    }
    long long y = 0;
    std::vector<int> advances;
    first = std::max(first, 0);
    last = std::min(last, lines.count() - 1);
    for (int i = first; i <= last; ++i) {
        const TRadek &l = lines[i];
        y += l.RowHeight;
        for (const TFragment &run : l.Runs) {
            if (run.Length <= 0)
                continue;
            TTextFont f;
            f.Name = run.FontName;
            f.Charset = run.Charset;
            f.Size = std::trunc(run.FontSize * fontScale);
            f.Color = run.Color;
            f.Bold = run.Bold;
            f.Italic = run.Italic;
            f.Underline = run.Underline;
            f.Strikeout = run.Strikeout;
            canvas.setFont(f);
            advances.resize(size_t(run.Length));
            auto device = [&](int k) {
                return (int(run.Positions[size_t(k)] * xScale) + 72) / 72;
            };
            int prev = device(0);
            for (int k = 0; k < run.Length; ++k) {
                const int nextX = device(k + 1);
                advances[size_t(k)] = nextX - prev;
                prev = nextX;
            }
            const int q = (run.Positions[0] + l.LineOffset + 72) / 72;
            const int x = rect.left() + int(q * xScale);
            const int yy = rect.top() + int(double(y / 72) * yScale);
            canvas.drawChars(x, yy, run.Chars, advances.data());
        }
    }
    if (painter)
        painter->restore();
}

void LayoutAndDraw(TTextCanvas &canvas, const QRect &rect, const QString &text,
                   double lineHeight, double letterSpacing, int alignment,
                   const TTextFont &font, bool wrap, bool richText)
{
    TRadky lines;
    LayoutText(canvas, QRect(0, 0, rect.width(), rect.height()), text, lines, wrap, lineHeight,
               letterSpacing, alignment, font, richText);
    int height = 0;
    int last = 0;
    LinesThatFit(lines, 0, rect.height(), height, last);
    if (last < 0)
        last = 1;
    DrawLines(canvas, rect, 0, last, lines, 1, 1, 1);
}

} // namespace orv
