#include "report/model/ReportElement.h"

namespace orv {

namespace {
// black, maroon, green, olive, navy, purple, teal, gray, silver, red, lime, yellow, blue,
// fuchsia, aqua, white as 0x00BBGGRR
constexpr TColor kPalette[16] = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0x808080,
    0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
} // namespace

TColor paletteColor(int index)
{
    return index >= 0 && index < 16 ? kPalette[index] : 0;
}

TColor colorFromField(int field)
{
    return field >= 0 && field <= 15 ? kPalette[field] : TColor(field);
}

int colorToField(TColor color)
{
    for (int i = 0; i < 16; ++i)
        if (kPalette[i] == color)
            return i;
    return int(color);
}

QColor toQColor(TColor color)
{
    const quint32 c = quint32(color);
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

TColor fromQColor(const QColor &color)
{
    return TColor(quint32(color.red()) | (quint32(color.green()) << 8)
                  | (quint32(color.blue()) << 16));
}

QString elementKindName(int kind)
{
    switch (kind) {
    case ekText: return QStringLiteral("Grafický text");
    case ekField: return QStringLiteral("Položka tabulky");
    case ekFieldLabel: return QStringLiteral("Popis položky");
    case ekParameter: return QStringLiteral("Parametr");
    case ekVariable: return QStringLiteral("Proměnná");
    case ekFunction: return QStringLiteral("Funkce");
    case ekLine: return QStringLiteral("Úsečka");
    case ekRectangle: return QStringLiteral("Rámeček");
    case ekRoundRect: return QStringLiteral("Zaoblený rámeček");
    case ekEllipse: return QStringLiteral("Elipsa");
    case ekPicture: return QStringLiteral("Obrázek");
    case ekBarcode: return QStringLiteral("Čárový kód");
    case ekPaintBox: return QStringLiteral("Kreslicí plocha");
    case ekDetail: return QStringLiteral("Detail");
    default: return QStringLiteral("Neznámý");
    }
}

bool isTextKind(int kind) { return kind >= ekText && kind <= ekFunction; }
bool isShapeKind(int kind) { return kind >= ekLine && kind <= ekPaintBox; }
bool isKnownKind(int kind) { return (kind >= ekText && kind <= ekPaintBox) || kind == ekDetail; }

bool TSiReportElement::sameTemplateAttributes(const TSiReportElement &o) const
{
    return Kind == o.Kind && Text == o.Text && SourceName == o.SourceName
        && Alignment == o.Alignment && TextFlags == o.TextFlags && Flags == o.Flags
        && PenColor == o.PenColor && PenStyle == o.PenStyle && PenWidth == o.PenWidth
        && BrushColor == o.BrushColor && BrushStyle == o.BrushStyle
        && LetterSpacing == o.LetterSpacing && Angle == o.Angle && Reserved == o.Reserved
        && Condition == o.Condition && HandlerEnabled == o.HandlerEnabled && Ident == o.Ident
        && SourceIndex == o.SourceIndex && Left == o.Left && Top == o.Top
        && Width == o.Width && Height == o.Height && Font == o.Font;
}

} // namespace orv
