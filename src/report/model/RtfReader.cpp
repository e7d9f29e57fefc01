// The reader of the rich-text subset that report texts (memo fields, rich-text elements)
// use: character and paragraph formatting, font and colour tables, tabs, paragraphs,
// hexadecimal escapes and list bullets. Everything else is skipped or ignored.
#include "report/model/RtfCharset.h"
#include "report/model/TextLayoutEngine.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace orv::textlayout {

// What a keyword does; the keyword table below gives each its effect.
enum class KeywordEffect : int {
    // properties
    Bold, Italic, Underline, UnderlineNone, Strikeout, Font, FontCharset, FontSize, ColorFore, Plain,
    Pard, LeftIndent, RightIndent, FirstIndent, NumberingIndent, Align, DefTab, None,
    // characters: the default value is the character
    Char,
    // specials
    Bin, Hex, Star,
    // destinations
    ColorTable, Red, Green, Blue, FontTable, NumberingText, Skip
};

namespace {

enum class Kind { Property, Character, Special, Destination };

struct Keyword {
    std::string_view name;
    int defaultValue;
    bool alwaysDefault;
    Kind kind;
    KeywordEffect effect;
};

using K = Kind;
using E = KeywordEffect;

// The keywords this reader knows, with their default parameter.
constexpr std::array<Keyword, 101> kKeywordList = {{
        {"\n", 10, false, K::Character, E::Char},
        {"\r", 10, false, K::Character, E::Char},
        {"'", 0, false, K::Special, E::Hex},
        {"*", 0, false, K::Special, E::Star},
        {"\\", '\\', false, K::Character, E::Char},
        {"author", 0, false, K::Destination, E::Skip},
        {"b", 1, false, K::Property, E::Bold},
        {"bin", 0, false, K::Special, E::Bin},
        {"blue", 0, false, K::Destination, E::Blue},
        {"buptim", 0, false, K::Destination, E::Skip},
        {"cell", 9, false, K::Character, E::Char},
        {"cf", 0, false, K::Property, E::ColorFore},
        {"colortbl", 0, false, K::Destination, E::ColorTable},
        {"cols", 0, false, K::Property, E::None},
        {"comment", 0, false, K::Destination, E::Skip},
        {"creatim", 0, false, K::Destination, E::Skip},
        {"deftab", 512, false, K::Property, E::DefTab},
        {"doccomm", 0, false, K::Destination, E::Skip},
        {"f", 0, false, K::Property, E::Font},
        {"facingp", 0, false, K::Property, E::None},
        {"fcharset", 0, false, K::Property, E::FontCharset},
        {"fdecor", 0, false, K::Destination, E::None},
        {"fi", 0, false, K::Property, E::FirstIndent},
        {"fmodern", 0, false, K::Destination, E::None},
        {"fnil", 0, false, K::Destination, E::None},
        {"fonttbl", 0, false, K::Destination, E::FontTable},
        {"footer", 0, false, K::Destination, E::Skip},
        {"footerf", 0, false, K::Destination, E::Skip},
        {"footerl", 0, false, K::Destination, E::Skip},
        {"footerr", 0, false, K::Destination, E::Skip},
        {"footnote", 0, false, K::Destination, E::Skip},
        {"froman", 0, false, K::Destination, E::None},
        {"fs", 12, false, K::Property, E::FontSize},
        {"fscript", 0, false, K::Destination, E::None},
        {"fswiss", 0, false, K::Destination, E::None},
        {"ftech", 0, false, K::Destination, E::None},
        {"ftncn", 0, false, K::Destination, E::Skip},
        {"ftnsep", 0, false, K::Destination, E::Skip},
        {"ftnsepc", 0, false, K::Destination, E::Skip},
        {"green", 0, false, K::Destination, E::Green},
        {"header", 0, false, K::Destination, E::Skip},
        {"headerf", 0, false, K::Destination, E::Skip},
        {"headerl", 0, false, K::Destination, E::Skip},
        {"headerr", 0, false, K::Destination, E::Skip},
        {"i", 1, false, K::Property, E::Italic},
        {"info", 0, false, K::Destination, E::Skip},
        {"keywords", 0, false, K::Destination, E::Skip},
        {"landscape", 0, false, K::Property, E::None},
        {"ldblquote", '\'', false, K::Character, E::Char},
        {"li", 0, false, K::Property, E::LeftIndent},
        {"margb", 0, false, K::Property, E::None},
        {"margl", 0, false, K::Property, E::None},
        {"margr", 0, false, K::Property, E::None},
        {"margt", 0, false, K::Property, E::None},
        {"operator", 0, false, K::Destination, E::Skip},
        {"paperh", 0, false, K::Property, E::None},
        {"paperw", 0, false, K::Property, E::None},
        {"par", 10, false, K::Character, E::Char},
        {"pard", 0, false, K::Property, E::Pard},
        {"pgndec", 0, false, K::Property, E::None},
        {"pgnlcltr", 0, false, K::Property, E::None},
        {"pgnlcrm", 0, false, K::Property, E::None},
        {"pgnstart", 0, false, K::Property, E::None},
        {"pgnucltr", 0, false, K::Property, E::None},
        {"pgnucrm", 0, false, K::Property, E::None},
        {"pgnx", 0, false, K::Property, E::None},
        {"pgny", 0, false, K::Property, E::None},
        {"pict", 0, false, K::Destination, E::Skip},
        {"plain", 0, false, K::Property, E::Plain},
        {"pnindent", 0, false, K::Property, E::NumberingIndent},
        {"pntext", 0, false, K::Destination, E::NumberingText},
        {"printim", 0, false, K::Destination, E::Skip},
        {"private1", 0, false, K::Destination, E::Skip},
        {"qc", 2, true, K::Property, E::Align},
        {"qj", 3, true, K::Property, E::Align},
        {"ql", 0, true, K::Property, E::Align},
        {"qr", 1, true, K::Property, E::Align},
        {"rdblquote", '\'', false, K::Character, E::Char},
        {"red", 0, false, K::Destination, E::Red},
        {"revtim", 0, false, K::Destination, E::Skip},
        {"ri", 0, false, K::Property, E::RightIndent},
        {"row", 10, false, K::Character, E::Char},
        {"rxe", 0, false, K::Destination, E::Skip},
        {"sbkcol", 0, false, K::Property, E::None},
        {"sbkeven", 0, false, K::Property, E::None},
        {"sbknone", 0, false, K::Property, E::None},
        {"sbkodd", 0, false, K::Property, E::None},
        {"sbkpage", 0, false, K::Property, E::None},
        {"stylesheet", 0, false, K::Destination, E::Skip},
        {"strike", 1, false, K::Property, E::Strikeout},
        {"subject", 0, false, K::Destination, E::Skip},
        {"tab", 9, false, K::Character, E::Char},
        {"tc", 0, false, K::Destination, E::Skip},
        {"title", 0, false, K::Destination, E::Skip},
        {"txe", 0, false, K::Destination, E::Skip},
        {"ul", 1, false, K::Property, E::Underline},
        {"ulnone", 0, false, K::Property, E::UnderlineNone},
        {"xe", 0, false, K::Destination, E::Skip},
        {"{", '{', false, K::Character, E::Char},
        {"}", '}', false, K::Character, E::Char},
        {"~", ' ', false, K::Character, E::Char},
}};

template <size_t N>
constexpr std::array<Keyword, N> sortedByName(std::array<Keyword, N> t)
{
    std::sort(t.begin(), t.end(), [](const Keyword &a, const Keyword &b) { return a.name < b.name; });
    return t;
}

// Sorted by name for the binary search below.
constexpr std::array<Keyword, 101> kKeywords = sortedByName(kKeywordList);

static_assert(!kKeywords[0].name.empty(), "every keyword has a name");

const Keyword *findKeyword(std::string_view name)
{
    auto it = std::lower_bound(kKeywords.begin(), kKeywords.end(), name,
                               [](const Keyword &k, std::string_view n) { return k.name < n; });
    if (it == kKeywords.end() || it->name != name)
        return nullptr;
    return &*it;
}

bool isAsciiLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// Keyword parameters larger than this (in twips: almost 700 inches) mean nothing in a
// report and would only make the arithmetic overflow.
constexpr long long kParamLimit = 1000000;
// Nesting deeper than this is treated as running out of memory for saved states.
constexpr size_t kMaxDepth = 100000;

} // namespace

FontEntry &Engine::fontEntry(int number)
{
    for (FontEntry &e : m_fonts)
        if (e.Number == number)
            return e;
    m_fonts.push_back(FontEntry{number, QString(), 0});
    return m_fonts.back();
}

Engine::ReadResult Engine::textChar(QChar c)
{
    if (m_inColorTable) {
        if (c == QLatin1Char(';')) {
            m_colors.push_back(quint32((m_blue & 0xFF) << 16 | (m_green & 0xFF) << 8 | (m_red & 0xFF)));
        }
        return ReadResult::Go;
    }
    if (m_fontTableDepth > 0) {
        if (c != QLatin1Char(';') && m_groupDepth == 3 && m_currentFont >= 0
            && m_currentFont < int(m_fonts.size()))
            m_fonts[size_t(m_currentFont)].Name.append(c);
        return ReadResult::Go;
    }
    return step(c) ? ReadResult::Go : ReadResult::Ended;
}

Engine::ReadResult Engine::applyKeyword(const QString &word, bool hasParam, int param)
{
    const QByteArray latin = word.toLatin1();
    const Keyword *k = findKeyword(std::string_view(latin.constData(), size_t(latin.size())));
    const bool star = m_star;
    m_star = false;
    if (!k) {
        if (star)
            m_dest = Destination::Skip;
        return ReadResult::Go;
    }
    const bool skipping = m_dest == Destination::Skip;
    const int value = (k->alwaysDefault || !hasParam) ? k->defaultValue : param;

    switch (k->kind) {
    case Kind::Character:
        return step(QChar(char16_t(k->defaultValue))) ? ReadResult::Go : ReadResult::Ended;
    case Kind::Special:
        applySpecial(k->effect, value, skipping);
        break;
    case Kind::Property:
        startNewRun();
        applyProperty(k->effect, value);
        break;
    case Kind::Destination:
        if (!skipping)
            applyDestination(k->effect, value);
        break;
    }
    return ReadResult::Go;
}

// \bin, \' and \*.
void Engine::applySpecial(KeywordEffect effect, int value, bool skipping)
{
    if (effect == E::Bin) {
        if (value > 0) {
            m_read = ReadState::Binary;
            m_binaryCount = value;
        }
    } else if (!skipping) {
        if (effect == E::Hex) {
            m_read = ReadState::Hex;
            m_hexDigits = 0;
            m_hexValue = 0;
        } else {
            m_star = true;
        }
    }
}

// Character and paragraph formatting.
void Engine::applyProperty(KeywordEffect effect, int value)
{
    switch (effect) {
    case E::Bold: m_chp.Bold = value > 0; break;
    case E::Italic: m_chp.Italic = value > 0; break;
    case E::Underline: m_chp.Underline = value > 0; break;
    case E::UnderlineNone: m_chp.Underline = false; break;
    case E::Strikeout: m_chp.Strikeout = value > 0; break;
    case E::Font: selectFont(value); break;
    case E::FontCharset:
        if (m_fontTableDepth > 0 && m_currentFont >= 0 && m_currentFont < int(m_fonts.size()))
            m_fonts[size_t(m_currentFont)].Charset = value & 0xFF;
        break;
    case E::FontSize:
        // A size of zero or less has no meaning; the size stays.
        if (value > 0)
            m_chp.HalfPoints = value;
        break;
    case E::ColorFore:
        m_chp.Color = (value < 0 || value >= int(m_colors.size())) ? 0 : m_colors[size_t(value)];
        break;
    case E::Plain:
        m_chp.Bold = m_chp.Underline = m_chp.Italic = m_chp.Strikeout = false;
        m_chp.Color = 0;
        break;
    case E::Pard:
        m_pap.Left = m_pap.Right = m_pap.First = m_pap.NumberingIndent = 0;
        m_numbering = false;
        m_numberingX = 0;
        m_x = 0;
        m_pap.Alignment = 0;
        break;
    case E::LeftIndent: m_pap.Left = value; break;
    case E::RightIndent: m_pap.Right = value; break;
    case E::FirstIndent: m_pap.First = value; break;
    case E::NumberingIndent: m_pap.NumberingIndent = value; break;
    case E::Align: m_pap.Alignment = value; break;
    case E::DefTab: m_defaultTab = value; break;
    default: break;
    }
}

// \f: inside the font table it starts the entry of that number, elsewhere it picks the font.
void Engine::selectFont(int number)
{
    if (m_fontTableDepth > 0) {
        fontEntry(number);
        for (size_t i = 0; i < m_fonts.size(); ++i)
            if (m_fonts[i].Number == number)
                m_currentFont = int(i);
    } else {
        const FontEntry &e = fontEntry(number);
        m_chp.Face = e.Name;
        m_chp.Charset = e.Charset;
    }
}

// Groups with a meaning of their own: the colour and font tables, list text, skipped groups.
void Engine::applyDestination(KeywordEffect effect, int value)
{
    switch (effect) {
    case E::ColorTable:
        m_inColorTable = true;
        m_colors.clear();
        m_red = m_green = m_blue = 0;
        break;
    case E::Red: m_red = value & 0xFF; break;
    case E::Green: m_green = value & 0xFF; break;
    case E::Blue: m_blue = value & 0xFF; break;
    case E::FontTable:
        m_fonts.clear();
        m_currentFont = -1;
        m_fontTableDepth = 1;
        break;
    case E::NumberingText:
        m_numbering = true;
        m_numberingX = m_x * 15 / 72;
        break;
    case E::Skip: m_dest = Destination::Skip; break;
    default: break;
    }
}

Engine::ReadResult Engine::readKeyword(const QString &text, qsizetype &i)
{
    const qsizetype n = text.size();
    ++i;  // the backslash
    if (i >= n)
        return ReadResult::Error;
    QString word;
    bool hasParam = false;
    long long param = 0;
    if (isAsciiLetter(text.at(i))) {
        while (i < n && isAsciiLetter(text.at(i))) {
            if (word.size() < 20)
                word.append(text.at(i));
            ++i;
        }
        bool negative = false;
        if (i < n && text.at(i) == QLatin1Char('-')) {
            negative = true;
            ++i;
            if (i >= n)
                return ReadResult::Error;
        }
        int digits = 0;
        while (i < n && text.at(i).unicode() >= '0' && text.at(i).unicode() <= '9') {
            if (digits < 30 && param <= kParamLimit)
                param = param * 10 + (text.at(i).unicode() - '0');
            ++digits;
            ++i;
        }
        hasParam = digits > 0;
        param = std::min(param, kParamLimit);
        if (negative)
            param = -param;
        if (i < n && text.at(i) == QLatin1Char(' '))
            ++i;
    } else {
        word = text.at(i);
        ++i;
    }
    return applyKeyword(word, hasParam, int(param));
}

// "{": the group saves the state it may change.
Engine::ReadResult Engine::openGroup()
{
    if (m_saved.size() >= kMaxDepth)
        return ReadResult::Error;
    m_saved.push_back(SavedState{m_chp, m_pap, m_defaultTab, m_dest, m_read});
    m_read = ReadState::Normal;
    ++m_groupDepth;
    if (m_fontTableDepth > 0)
        ++m_fontTableDepth;
    return ReadResult::Go;
}

// "}": the state from before the group comes back, except the list indent.
Engine::ReadResult Engine::closeGroup()
{
    if (m_saved.empty())
        return ReadResult::Error;
    SavedState s = std::move(m_saved.back());
    m_saved.pop_back();
    // Text after the group must not run on in the group's run when the group
    // changed how characters look.
    if (!(s.chp == m_chp))
        startNewRun();
    m_chp = s.chp;
    const int numberingIndent = m_pap.NumberingIndent;
    m_pap = s.pap;
    m_pap.NumberingIndent = numberingIndent;
    m_defaultTab = s.defaultTab;
    m_dest = s.dest;
    m_read = s.read;
    --m_groupDepth;
    m_inColorTable = false;
    if (m_fontTableDepth > 0)
        --m_fontTableDepth;
    return ReadResult::Go;
}

// One digit of a \'hh escape; the second one makes the character.
Engine::ReadResult Engine::hexEscapeDigit(QChar c)
{
    const int d = hexDigit(c);
    if (d < 0)
        return ReadResult::ErrorNoEnd;
    m_hexValue = m_hexValue * 16 + d;
    if (++m_hexDigits < 2)
        return ReadResult::Go;
    m_read = ReadState::Normal;
    const QChar ch = CharsetByteToChar(uchar(m_hexValue), m_chp.Charset);
    if (m_inColorTable)
        return ReadResult::Go;
    if (m_fontTableDepth > 0) {
        // Font names outside ASCII: the escaped character belongs to the name.
        if (m_groupDepth == 3 && m_currentFont >= 0 && m_currentFont < int(m_fonts.size()))
            m_fonts[size_t(m_currentFont)].Name.append(ch);
        return ReadResult::Go;
    }
    return step(ch) ? ReadResult::Go : ReadResult::Ended;
}

void Engine::layoutRich(const QString &text)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    ReadResult result = ReadResult::Go;
    while (i < n && result == ReadResult::Go) {
        const QChar c = text.at(i);
        if (m_read == ReadState::Binary) {
            ++i;
            if (!step(c))
                result = ReadResult::Ended;
            continue;
        }
        const char16_t u = c.unicode();
        if (u == 0 || u == 10 || u == 13) {
            ++i;
            continue;
        }
        if (u == '\\') {
            result = readKeyword(text, i);
            continue;
        }
        ++i;
        if (u == '{') {
            result = openGroup();
        } else if (u == '}') {
            result = closeGroup();
        } else if (m_read == ReadState::Hex) {
            result = hexEscapeDigit(c);
        } else {
            if (m_numbering) {
                m_numbering = false;
                m_x = m_numberingX * 72 / 15;
            }
            result = textChar(c);
        }
    }
    if (result == ReadResult::Go || result == ReadResult::Error)
        step(QChar(0));
}

} // namespace orv::textlayout
