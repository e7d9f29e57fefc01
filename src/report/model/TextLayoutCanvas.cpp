#include "report/model/TextLayoutCanvas.h"

#include <QColor>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPaintEngine>
#include <QPainter>
#include <QRawFont>

#include <cmath>

namespace orv {

bool ReplaceRomanFont(TTextFont &font)
{
    if (!font.Name.startsWith(QLatin1String("Roman ")))
        return false;
    if (font.Name == QLatin1String("Roman 12cpi"))
        font.Size = 10;
    else if (font.Name == QLatin1String("Roman 17cpi"))
        font.Size = 8;
    else
        font.Size = 11;
    font.Name = QStringLiteral("Courier New");
    font.FixedPitch = true;
    font.Charset = 238;
    return true;
}

int RomanFontCpi(const QString &name)
{
    if (!name.startsWith(QLatin1String("Roman ")))
        return 0;
    bool ok = false;
    const int cpi = name.mid(6, 2).toInt(&ok);
    return ok && cpi > 0 ? cpi : 10;
}

// Metrics of one font, with the widths of the characters met so far. Looking a width up
// in Qt's font engine for every character of a long text costs more than the layout
// itself, so the common characters are kept in a flat table.
struct TTextCanvas::Metrics {
    explicit Metrics(const QFont &f) : font(f), fm(f)
    {
        height = int(std::lround(fm.ascent() + fm.descent()));
        widths.fill(-1);
        overhangs.fill(-1);
    }
    int overhang(QChar c)
    {
        const char16_t u = c.unicode();
        auto compute = [&] { return std::max(0, int(std::ceil(-fm.rightBearing(c)))); };
        if (u < overhangs.size()) {
            int &o = overhangs[u];
            if (o < 0)
                o = compute();
            return o;
        }
        return compute();
    }
    int width(QChar c)
    {
        const char16_t u = c.unicode();
        if (u < widths.size()) {
            int &w = widths[u];
            if (w < 0)
                w = int(std::lround(fm.horizontalAdvance(c)));
            return w;
        }
        auto it = others.constFind(u);
        if (it != others.constEnd())
            return *it;
        const int w = int(std::lround(fm.horizontalAdvance(c)));
        others.insert(u, w);
        return w;
    }

    QFont font;
    QFontMetricsF fm;
    QRawFont rawFont;   // loaded on the first run of glyphs drawn in the font
    bool rawFontLoaded = false;
    int height = 0;
    std::array<int, 0x180> widths;
    std::array<int, 0x180> overhangs;
    QHash<char16_t, int> others;
};

TTextCanvas::TTextCanvas(int fontResolution, QPainter *painter)
    : m_resolution(fontResolution > 0 ? fontResolution : 100), m_painter(painter)
{
}

TTextCanvas::~TTextCanvas() = default;

void TTextCanvas::setFont(const TTextFont &font)
{
    if (m_current && font == m_font)
        return;
    m_font = font;
    m_current = nullptr;
}

QFont TTextCanvas::toQFont(const TTextFont &font, int fontResolution)
{
    QFont f;
    // The character printer's own fonts have no screen face; they are shown in Courier New.
    const bool roman = font.Name.startsWith(QLatin1String("Roman "));
    if (roman)
        f.setFamilies({QStringLiteral("Courier New")});
    else if (!font.Name.isEmpty())
        f.setFamilies({font.Name});
    // Pixel sizes keep the font independent of the resolution of whatever device the
    // drawing is replayed on. The bounds keep absurd sizes from rich text harmless.
    double px = font.Size * fontResolution / 72.0;
    if (!(px >= 1))
        px = 1;
    if (px > 400000)
        px = 400000;
    f.setPixelSize(int(std::lround(px)));
    f.setBold(font.Bold);
    f.setItalic(font.Italic);
    f.setUnderline(font.Underline);
    f.setStrikeOut(font.Strikeout);
    f.setFixedPitch(font.FixedPitch || roman);
    f.setKerning(false);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

QFont TTextCanvas::qfont() const
{
    return m_current ? m_current->font : toQFont(m_font, m_resolution);
}

TTextCanvas::Metrics &TTextCanvas::metrics()
{
    if (m_current)
        return *m_current;
    const QFont f = toQFont(m_font, m_resolution);
    const QString key = f.key();
    auto it = m_cache.find(key);
    if (it == m_cache.end()) {
        if (m_cache.size() > 64)
            m_cache.clear();
        it = m_cache.insert(key, std::make_shared<Metrics>(f));
    }
    m_current = it->get();
    return *m_current;
}

int TTextCanvas::textWidth(QChar c)
{
    return metrics().width(c);
}

int TTextCanvas::textOverhang(QChar c)
{
    return metrics().overhang(c);
}

int TTextCanvas::textHeight(QChar)
{
    return metrics().height;
}

// On pixels the characters go as one run of glyphs at the layout's positions: drawing
// them one by one shapes every character alone, which was most of the time a page of text
// took. Only where each character has a glyph of the font itself (no fallback font, no
// surrogates), and without lines through or under the text, which the font draws per
// character; recording devices keep a text item per character.
static bool drawGlyphRun(QPainter *painter, QRawFont &rawFont, bool &rawFontLoaded, int x,
                         int y, const QString &chars, const int *advances)
{
    QPaintEngine *engine = painter->paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster)
        return false;
    const QFont font = painter->font();
    if (font.underline() || font.strikeOut() || font.overline())
        return false;
    if (!rawFontLoaded) {
        rawFont = QRawFont::fromFont(font);
        rawFontLoaded = true;
    }
    if (!rawFont.isValid())
        return false;
    for (QChar c : chars)
        if (c.isNull() || c.isSurrogate())
            return false;
    const QList<quint32> glyphs = rawFont.glyphIndexesForString(chars);
    if (glyphs.size() != chars.size())
        return false;
    QList<QPointF> positions;
    positions.reserve(chars.size());
    for (qsizetype k = 0; k < chars.size(); ++k) {
        if (glyphs[k] == 0)
            return false;
        positions.append(QPointF(x, y));
        x += advances[k];
    }
    QGlyphRun run;
    run.setRawFont(rawFont);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    painter->drawGlyphRun(QPointF(0, 0), run);
    return true;
}

void TTextCanvas::drawChars(int x, int y, const QString &chars, const int *advances)
{
    if (!m_painter || chars.isEmpty())
        return;
    m_painter->setFont(qfont());
    m_painter->setPen(QColor(int(m_font.Color & 0xFF), int((m_font.Color >> 8) & 0xFF),
                               int((m_font.Color >> 16) & 0xFF)));
    Metrics &m = metrics();
    if (drawGlyphRun(m_painter, m.rawFont, m.rawFontLoaded, x, y, chars, advances))
        return;
    // One call per character: the positions come from the layout, not from the font.
    // Blanks are drawn too, so that text read back from a PDF or a metafile keeps its
    // word breaks.
    for (qsizetype k = 0; k < chars.size(); ++k) {
        const QChar c = chars.at(k);
        // A character outside the basic plane comes as two halves; it is drawn whole at
        // the first half's place, and the second half draws nothing.
        if (c.isHighSurrogate() && k + 1 < chars.size() && chars.at(k + 1).isLowSurrogate()) {
            m_painter->drawText(QPoint(x, y), chars.mid(k, 2));
            x += advances[k] + advances[k + 1];
            ++k;
            continue;
        }
        if (!c.isNull() && !c.isSurrogate())
            m_painter->drawText(QPoint(x, y), QString(c));
        x += advances[k];
    }
}

} // namespace orv
