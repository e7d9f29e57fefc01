#pragma once
// One element of a report section and the attribute vocabulary shared by the reader, the
// writer, the run, the output and the designer.

#include "report/model/CalcType.h"

#include <QColor>
#include <QImage>
#include <QString>

namespace orv {

// A colour as the templates know it: a 0x00BBGGRR value (red in the lowest byte).
using TColor = qint32;

// The sixteen colours a template may name by index 0..15.
TColor paletteColor(int index);           // index outside 0..15 gives black
// A colour field of a template: 0..15 is a palette index, anything else the value itself.
TColor colorFromField(int field);
// The field a writer puts down: the palette index when the colour is one of the sixteen.
int colorToField(TColor color);
QColor toQColor(TColor color);
TColor fromQColor(const QColor &color);

// Element kinds.
enum ElementKind : int {
    ekText = 1,          // "Grafický text"
    ekField = 2,         // "Položka tabulky"
    ekFieldLabel = 3,    // "Popis položky"
    ekParameter = 4,     // "Parametr"
    ekVariable = 5,      // "Proměnná"
    ekFunction = 6,      // "Funkce"
    ekLine = 7,          // "Úsečka"
    ekRectangle = 8,     // "Rámeček"
    ekRoundRect = 9,     // "Zaoblený rámeček"
    ekEllipse = 10,      // "Elipsa"
    ekPicture = 11,      // "Obrázek"
    ekBarcode = 12,      // "Čárový kód"
    ekPaintBox = 13,     // "Kreslicí plocha"
    ekDetail = 15        // detail placeholder
};

// The designer's name of a kind; "Neznámý" for any kind it does not know.
QString elementKindName(int kind);
bool isTextKind(int kind);    // 1..6
bool isShapeKind(int kind);   // 7..13
bool isKnownKind(int kind);   // 1..13 and 15

// TextFlags (kinds 1..6); the template stores them in one number with the alignment.
enum TextFlag : int {
    tfRtf = 0x08,            // "RTF formát textu"
    tfMultiLine = 0x10,      // "Víceřádkový text"
    tfJustify = 0x20,        // "Zarovnat do bloku"
    tfVariableHeight = 0x40  // "Proměnná výška"
};

// Alignment values; 3 is only ever the effective value of justified text.
enum Alignment : int { alLeft = 0, alRight = 1, alCenter = 2, alJustify = 3 };

// Flags.
enum ElementFlag : int {
    efFrameLeft = 0x01,
    efFrameTop = 0x02,
    efFrameRight = 0x04,
    efFrameBottom = 0x08,
    efDiagonal1 = 0x10,        // line elements
    efDiagonal2 = 0x20,        // line elements
    efInscribedEllipse = 0x40, // line elements
    efStretch = 0x10,          // pictures: "Velikost podle okna"
    efKeepAspect = 0x20,       // pictures: "Zachovat poměr stran"
    efPassPicture = 0x40,      // picture element: hand the loaded picture to the output
    efCheckDigit = 0x10,       // barcode: "Vytvářet kontrolní součet"
    efPrintText = 0x20         // barcode: "Tisknout text"
};

// Font style bits.
enum FontStyle : int { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// Windows character-set codes the templates use.
enum Charset : int {
    csAnsi = 0, csDefault = 1, csSymbol = 2, csGreek = 161, csTurkish = 162, csBaltic = 186,
    csCyrillic = 204, csEastEurope = 238
};

struct TElementFont {
    QString Name = QStringLiteral("Arial");
    int Size = 10;             // points
    TColor Color = 0;          // black
    int Style = 0;             // FontStyle bits
    int Charset = csEastEurope;

    bool bold() const { return Style & fsBold; }
    bool italic() const { return Style & fsItalic; }
    bool underline() const { return Style & fsUnderline; }
    bool strikeOut() const { return Style & fsStrikeOut; }
    bool operator==(const TElementFont &) const = default;
};

// The barcode type list entry "EAN 13", the code type of a barcode that names none.
constexpr int kBarcodeEan13 = 14;

class TSiReportElement {
public:
    int Kind = ekText;
    QString Text;
    QString SourceName;        // at most 32 characters
    int Alignment = alLeft;
    int TextFlags = 0;
    int Flags = 0;
    TColor PenColor = 0;
    int PenStyle = 0;
    int PenWidth = 1;
    TColor BrushColor = 0x00FFFFFF;
    int BrushStyle = 0;
    QImage Picture;
    QString PictureFileName;
    int LetterSpacing = 0;     // "Rozteč znaků"
    int Angle = 0;             // "Sklon textu"; for a barcode "Úhel"
    int Reserved = 0;
    QString Condition;
    bool HandlerEnabled = false;
    QString Ident;
    int SourceIndex = 0;
    int Left = 0, Top = 0, Width = 0, Height = 0;
    TElementFont Font;
    TCalcType Value;

    // Alignment as the output uses it: 3 for justified text.
    int effectiveAlignment() const { return (TextFlags & tfJustify) ? alJustify : Alignment; }
    bool isMultiLine() const { return TextFlags & tfMultiLine; }
    bool isRtf() const { return TextFlags & tfRtf; }
    bool hasVariableHeight() const { return TextFlags & tfVariableHeight; }

    // Everything a template keeps (the picture, its file and the run-time value are not).
    bool sameTemplateAttributes(const TSiReportElement &o) const;
};

} // namespace orv
