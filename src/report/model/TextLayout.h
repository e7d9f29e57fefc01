#pragma once
// Text laid out into lines: every line is a list of runs of characters in one font, with
// the x of every character in layout units (1/72 of a hundredth of an inch). The report
// run lays out each element's text once; the output items keep copies of the lines and
// draw them with the stored positions, and the exporters read runs, fonts and colours.

#include "report/model/TextLayoutCanvas.h"

#include <QRect>
#include <QString>
#include <QStringList>

#include <vector>

namespace orv {

// A run of characters in one font.
struct TFragment {
    int Length = 0;
    QString Chars;                  // the characters (as text; the font's character set
                                    // was applied when rich-text bytes were read)
    std::vector<int> Positions{0};  // Length + 1 entries: start x of each character, then
                                    // the end x of the last one
    int BreakLength = 0;            // Length when the line's last break was recorded
    QString FontName;
    int FontSize = 0;               // whole points
    quint32 Color = 0;              // 0x00BBGGRR
    quint8 Charset = 0;
    quint8 Bold = 0;
    quint8 Underline = 0;
    quint8 Italic = 0;
    quint8 Strikeout = 0;
};

// One line of laid-out text.
struct TRadek {
    std::vector<TFragment> Runs;
    int CurrentRun = -1;   // run that receives the next character; -1 opens a new one
    int BreakX = 0;        // x of the last break opportunity; the width of a finished line
    int BreakCount = 0;    // characters on the line before that break
    int BreakRun = -1;     // CurrentRun at that break
    int RowHeight = 0;     // layout units
    int LineOffset = 0;    // from the left edge of the layout rectangle to x 0 of the line
    bool FirstOfParagraph = false;
};

// The lines of one text, top to bottom.
class TRadky {
public:
    std::vector<TRadek> Lines;

    int count() const { return int(Lines.size()); }
    bool isEmpty() const { return Lines.empty(); }
    void clear() { Lines.clear(); }
    TRadek &operator[](int i) { return Lines[size_t(i)]; }
    const TRadek &operator[](int i) const { return Lines[size_t(i)]; }
};

// Lays text out into lines (empty on entry). rect is in hundredths of an inch and only
// its width is used. lineHeight (minimum line height) and letterSpacing (character
// pitch) are in hundredths of an inch, 0 for none. alignment: 0 left, 1 right, 2 centre,
// 3 justified. canvas is the measuring canvas; its font resolution must be 100 for the
// widths to come out in layout units. Errors in rich text end the layout quietly.
void LayoutText(TTextCanvas &canvas, const QRect &rect, const QString &text, TRadky &lines,
                bool wrap, double lineHeight, double letterSpacing, int alignment,
                const TTextFont &font, bool richText);

// Height of the lines in hundredths of an inch, 0 for an empty text.
int TotalHeight(const TRadky &lines);

// True when every line from `from` on fits into maxHeight hundredths; height receives
// the height of the lines that fit and last the index of the last one that fits.
bool LinesThatFit(const TRadky &lines, int from, int maxHeight, int &height, int &last);

void CopyLines(TRadky &dest, const TRadky &src);
void CopyLineRange(TRadky &dest, const TRadky &src, int first, int last);

QString LineText(const TRadek &line);
QString RunText(const TRadek &line, int i);

// For every run: "charset bold underline italic facename", and its colour as a decimal.
void RunFontList(const TRadky &lines, QStringList &strings);
void RunColorList(const TRadky &lines, QStringList &strings);

// Draws lines first..last into the device rectangle; the scales turn hundredths of an
// inch into device units (fontScale multiplies the point sizes).
void DrawLines(TTextCanvas &canvas, const QRect &rect, int first, int last,
               const TRadky &lines, double fontScale, double yScale, double xScale);

// Lays out and draws a text into rect at scale 1 (the designer's picture of an element).
void LayoutAndDraw(TTextCanvas &canvas, const QRect &rect, const QString &text,
                   double lineHeight, double letterSpacing, int alignment,
                   const TTextFont &font, bool wrap, bool richText);

} // namespace orv
