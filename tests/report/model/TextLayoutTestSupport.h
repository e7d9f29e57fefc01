#pragma once
// Shared by the layout tests: a GUI application for the font machinery, a measuring
// canvas at the report's font resolution and a canvas that records what is drawn.

#include "report/model/TextLayout.h"
#include "support/GuiApplication.h"

#include <gtest/gtest.h>

namespace layouttest {

using orv::test::ensureGuiApplication;

inline orv::TTextFont arial(double size = 10)
{
    orv::TTextFont f;
    f.Name = QStringLiteral("Arial");
    f.Size = size;
    f.Charset = 238;
    return f;
}

// Width of one character in layout units, measured the way the layout measures it.
inline int unitWidth(orv::TTextCanvas &canvas, QChar c, const orv::TTextFont &font)
{
    orv::TTextFont f = font;
    f.Size = int(2 * font.Size) * 72 / 2;
    canvas.setFont(f);
    return canvas.textWidth(c);
}

inline int unitHeight(orv::TTextCanvas &canvas, const orv::TTextFont &font)
{
    orv::TTextFont f = font;
    f.Size = int(2 * font.Size) * 72 / 2;
    canvas.setFont(f);
    return canvas.textHeight(QLatin1Char('X'));
}

struct DrawnRun {
    int x;
    int y;
    QString chars;
    std::vector<int> advances;
    orv::TTextFont font;
};

class RecordingCanvas : public orv::TTextCanvas {
public:
    void drawChars(int x, int y, const QString &chars, const int *advances) override
    {
        runs.push_back({x, y, chars, std::vector<int>(advances, advances + chars.size()), font()});
    }
    std::vector<DrawnRun> runs;
};

class LayoutTest : public ::testing::Test {
protected:
    void SetUp() override { ensureGuiApplication(); }

    orv::TRadky layout(const QString &text, int width, bool wrap = true, int alignment = 0,
                       bool rich = false, double lineHeight = 0, double letterSpacing = 0,
                       const orv::TTextFont &font = arial())
    {
        orv::TRadky lines;
        orv::LayoutText(canvas, QRect(0, 0, width, 100), text, lines, wrap, lineHeight,
                        letterSpacing, alignment, font, rich);
        return lines;
    }
    // The first line, or a failure and an empty line when nothing was laid out: a lost line
    // fails its test instead of ending the test program.
    static orv::TRadek firstLine(const orv::TRadky &lines)
    {
        EXPECT_FALSE(lines.isEmpty());
        return lines.isEmpty() ? orv::TRadek() : lines[0];
    }
    QStringList texts(const orv::TRadky &lines)
    {
        QStringList out;
        for (const orv::TRadek &l : lines.Lines)
            out << orv::LineText(l);
        return out;
    }
    int w(QChar c, const orv::TTextFont &font = arial()) { return unitWidth(canvas, c, font); }
    int w(const QString &s, const orv::TTextFont &font = arial())
    {
        int sum = 0;
        for (QChar c : s)
            sum += unitWidth(canvas, c, font);
        return sum;
    }

    orv::TTextCanvas canvas{100};
};

} // namespace layouttest
