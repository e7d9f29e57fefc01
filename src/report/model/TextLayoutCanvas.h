#pragma once
// The text canvas of the report generator: a font with a fixed font resolution, character
// measuring and drawing of runs with explicit per-character advances.
//
// A canvas measures and draws at its own font resolution (pixels per inch). Every canvas
// of the report generator uses 100, so a font of N points is N/72 inch high in the same
// hundredths-of-an-inch space as the report geometry. The layout measures with the font
// at 72 times its size, which makes widths and heights come out in layout units of 1/72
// of a hundredth of an inch.

#include <QFont>
#include <QHash>
#include <QString>

#include <array>
#include <memory>
#include <vector>

class QPainter;
class QFontMetricsF;

namespace orv {

// A report font: face name, size in points, colour (0x00BBGGRR, as the templates keep
// colours), style and the Windows character-set code (238 Central European, 0 ANSI,
// 1 default, ...).
struct TTextFont {
    QString Name = QStringLiteral("Arial");
    double Size = 10;
    quint32 Color = 0;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool Strikeout = false;
    int Charset = 1;
    bool FixedPitch = false;

    bool operator==(const TTextFont &o) const = default;
};

// Fonts named "Roman 10cpi", "Roman 12cpi", "Roman 17cpi" are the character printer's own
// fonts. On a graphic device they are shown as Courier New, fixed pitch, Central European,
// 11, 10 or 8 points. Returns true when the font was such a font and has been replaced.
bool ReplaceRomanFont(TTextFont &font);
// Characters per inch of a "Roman " font: the two characters after "Roman ", 10 when they
// are not a number; 0 for any other font.
int RomanFontCpi(const QString &name);

class TTextCanvas {
public:
    explicit TTextCanvas(int fontResolution = 100, QPainter *painter = nullptr);
    virtual ~TTextCanvas();
    TTextCanvas(const TTextCanvas &) = delete;
    TTextCanvas &operator=(const TTextCanvas &) = delete;

    int fontResolution() const { return m_resolution; }
    QPainter *painter() const { return m_painter; }
    void setPainter(QPainter *painter) { m_painter = painter; }

    // The font used by the next measurement or drawing; Size is in points at the canvas's
    // font resolution.
    void setFont(const TTextFont &font);
    const TTextFont &font() const { return m_font; }
    // The Qt font that stands for the current font on this canvas (pixel-sized, so that it
    // does not depend on the resolution of the device it ends up on).
    QFont qfont() const;
    static QFont toQFont(const TTextFont &font, int fontResolution);

    // Width and height of a one-character text in the current font, in canvas pixels,
    // rounded to integers. The height is the font's cell height (ascent + descent).
    int textWidth(QChar c);
    int textHeight(QChar c);
    // How far the character's ink reaches past its advance (italic and oblique faces lean
    // out of it), in canvas pixels rounded up; 0 when it stays inside.
    int textOverhang(QChar c);

    // Draws characters with their baseline at y, the first one starting at x, each
    // following one advances[k] pixels after the one before. Needs a painter.
    virtual void drawChars(int x, int y, const QString &chars, const int *advances);

private:
    struct Metrics;
    Metrics &metrics();

    int m_resolution;
    QPainter *m_painter;
    TTextFont m_font;
    Metrics *m_current = nullptr;
    QHash<QString, std::shared_ptr<Metrics>> m_cache;
};

} // namespace orv
