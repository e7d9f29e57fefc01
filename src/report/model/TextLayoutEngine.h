#pragma once
// The state of one layout call: the line builder and the rich-text reader that feeds it.
// Private to the layout (TextLayout.cpp, RtfReader.cpp).

#include "report/model/TextLayout.h"

#include <QString>

#include <vector>

namespace orv::textlayout {

// Character properties.
struct Chp {
    bool Bold = false;
    bool Underline = false;
    bool Italic = false;
    bool Strikeout = false;
    int HalfPoints = 20;
    quint32 Color = 0;
    QString Face;
    int Charset = 0;

    bool operator==(const Chp &o) const = default;
};

// Paragraph properties (twips).
struct Pap {
    int Left = 0;
    int Right = 0;
    int First = 0;
    int NumberingIndent = 0;
    int Alignment = 0;
};

enum class Destination { Normal, Skip };
enum class KeywordEffect : int;   // what a rich-text keyword does (RtfReader.cpp)
enum class ReadState { Normal, Binary, Hex };

struct FontEntry {
    int Number = 0;
    QString Name;
    int Charset = 0;
};

// What a group saves when it opens.
struct SavedState {
    Chp chp;
    Pap pap;
    int defaultTab = 720;
    Destination dest = Destination::Normal;
    ReadState read = ReadState::Normal;
};

class Engine {
public:
    Engine(TTextCanvas &canvas, const QRect &rect, TRadky &lines, bool wrap, double lineHeight,
           double letterSpacing, int alignment, const TTextFont &font);

    void layoutPlain(const QString &text);
    void layoutRich(const QString &text);

private:
    // Line builder.
    bool step(QChar c);
    int available() const;
    int offsetFor(int width) const;
    void recordBreak(int x, int n);
    void addChar(QChar c, int width, int pos);
    void raise(int value);
    void breakLine();
    void startNextLine();
    void justify(TRadek &line) const;
    void newLine();
    void measureFont();
    TRadek &line() { return m_lines.Lines.back(); }

    // Rich-text reader.
    enum class ReadResult { Go, Error, ErrorNoEnd, Ended };
    ReadResult readKeyword(const QString &text, qsizetype &i);
    ReadResult applyKeyword(const QString &word, bool hasParam, int param);
    void applySpecial(KeywordEffect effect, int value, bool skipping);
    void applyProperty(KeywordEffect effect, int value);
    void applyDestination(KeywordEffect effect, int value);
    void selectFont(int number);
    ReadResult textChar(QChar c);
    ReadResult openGroup();
    ReadResult closeGroup();
    ReadResult hexEscapeDigit(QChar c);
    FontEntry &fontEntry(int number);
    void startNewRun() { line().CurrentRun = -1; }
    static int twipsToUnits(int twips) { return twips * 72 / 15; }

    TTextCanvas &m_canvas;
    TRadky &m_lines;
    // Settings.
    bool m_wrap;
    int m_fixedHeight = 0;       // 0 when there is no fixed line height
    double m_letterSpacing = 0;  // layout units
    bool m_justify = false;
    int m_width = 0;             // W

    // Layout state.
    int m_x = 0;
    int m_chars = 0;
    int m_inkEnd = 0;            // where the ink of the line's last character ends
    int m_glyphStart = 0;        // x and ink width (advance and overhang) of the last
    int m_glyphInk = 0;          // character that is not a blank
    int m_breakGlyphStart = 0;   // the same at the line's last break
    int m_breakGlyphInk = 0;
    bool m_firstLine = true;
    size_t m_breakRuns = 0;      // number of runs on the line when the last break was recorded
    Chp m_chp;
    Pap m_pap;
    int m_defaultTab = 720;
    bool m_numbering = false;
    int m_numberingX = 0;        // twips

    // Reader state.
    std::vector<FontEntry> m_fonts;
    int m_currentFont = -1;
    std::vector<quint32> m_colors;
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_inColorTable = false;
    int m_fontTableDepth = 0;
    int m_groupDepth = 0;
    std::vector<SavedState> m_saved;
    Destination m_dest = Destination::Normal;
    ReadState m_read = ReadState::Normal;
    int m_binaryCount = 0;
    bool m_star = false;
    int m_hexDigits = 0;
    int m_hexValue = 0;
};

} // namespace orv::textlayout
