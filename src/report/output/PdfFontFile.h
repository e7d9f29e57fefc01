#pragma once
// TrueType fonts cut down to the glyphs a document uses, for embedding in a PDF. The glyph
// numbers stay as they are (the glyphs left out become empty), so the cut font answers
// every lookup the whole font would for the characters kept.

#include <QByteArray>
#include <QRawFont>
#include <QString>

#include <vector>

namespace orv {

struct TFontSubset {
    QByteArray file;          // the TrueType file; empty when the font cannot be cut
    QByteArray postScriptName;
    // The font's measures in thousandths of an em, for the font descriptor.
    int bboxLeft = 0, bboxBottom = 0, bboxRight = 1000, bboxTop = 1000;
    int ascent = 800, descent = -200, capHeight = 700;
    double italicAngle = 0;
    bool fixedPitch = false;
};

// The font with the glyphs of `characters` (and those their glyphs are built from). Nothing
// (an empty file) for a font without TrueType outlines.
TFontSubset SubsetTrueTypeFont(const QRawFont &font, const std::vector<char32_t> &characters);

// The six capital letters and "+" that mark a subset in a PDF font name, made from the
// name and the characters so that different subsets of one font get different names.
QByteArray SubsetTag(const QByteArray &name, const std::vector<char32_t> &characters);

} // namespace orv
