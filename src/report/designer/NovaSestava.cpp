#include "report/designer/NovaSestava.h"

#include "report/designer/EditorSettings.h"
#include "report/model/PageSetup.h"
#include "report/model/ReportElement.h"
#include "report/model/TemplateFile.h"
#include "report/output/Sestava.h"

#include <algorithm>

namespace orv {

namespace {

QString num(int v)
{
    return QString::number(v);
}

// A source name as the element's third field. The reader takes a field that starts with a
// digit for a number and keeps only 32 characters of a name, so such names are written as
// the field's number; a name with a comma or quote is quoted.
QString sourceField(const TWizardParams &p, const TWizardField &f, int index)
{
    const QString &name = f.Name;
    if (!p.ByName || name.isEmpty() || name.at(0).isDigit() || name.size() > 32)
        return num(index);
    if (name.contains(u',') || name.contains(u'"'))
        return quoteTemplateField(name);
    return name;
}

class Builder {
public:
    explicit Builder(const TWizardParams &p) : m_p(p) {}

    // A text-kind element: font, alignment, flags 0 and the character set; text when given.
    void text(const QString &code, int kind, const QString &src, int left, int top, int width,
              int height, int size, int color, int style, int alignment,
              const QString *txt = nullptr)
    {
        QStringList f{code,          num(kind),       src,          num(left), num(top),
                      num(std::max(width, 1)), num(std::max(height, 1)), m_p.FontName,
                      num(size),     num(colorToField(colorFromField(color))), num(style),
                      num(alignment), QStringLiteral("0"), num(m_p.Charset)};
        if (txt)
            f << quoteTemplateField(*txt);
        m_elements << f.join(u',');
    }
    // A line with only its bottom side drawn, black, solid, 1 wide.
    void line(const QString &code, int left, int top, int width)
    {
        m_elements << QStringLiteral("%1,7,0,%2,%3,%4,3,,1,0,0,8,15,0")
                          .arg(code)
                          .arg(left)
                          .arg(top)
                          .arg(std::max(width, 1));
    }
    void reportHeader()
    {
        const int W = m_p.W;
        const QString title = QStringLiteral("Nadpis sestavy");
        const QString date = QStringLiteral("Datum:");
        text("Z", ekText, "0", 0, 40, W, 40, 24, 0, fsBold, alCenter, &title);
        text("Z", ekVariable, "0", W - 72, 0, 72, 20, 10, 0, fsItalic, alLeft);
        text("Z", ekText, "0", W - 128, 0, 56, 20, 10, 0, fsItalic, alLeft, &date);
    }
    void pageFooter()
    {
        const int W = m_p.W;
        const QString page = QStringLiteral("Stránka číslo:");
        text("P", ekText, "0", W - 144, 8, 96, 20, 10, 0, fsItalic, alRight, &page);
        text("P", ekVariable, "3", W - 48, 8, 32, 20, 10, 0, fsItalic, alRight);
    }
    // The label of a field: a fixed text with the display label, or a label element.
    void label(const QString &code, const TWizardField &f, int index, int x, int y, int w,
               int alignment)
    {
        if (!m_p.Labels)
            return;
        if (m_p.LabelsAsText)
            text(code, ekText, "0", x, y, w, m_p.R, m_p.FontSize, m_p.FontColor, m_p.FontStyle,
                 alignment, &f.Label);
        else
            text(code, ekFieldLabel, sourceField(m_p, f, index), x, y, w, m_p.R, m_p.FontSize,
                 m_p.FontColor, m_p.FontStyle, alignment);
    }
    void field(const TWizardField &f, int index, int x, int y, int w)
    {
        text("T", ekField, sourceField(m_p, f, index), x, y, w, m_p.R, m_p.FontSize,
             m_p.FontColor, m_p.FontStyle, f.Alignment & 0x7F);
    }

    QStringList m_elements;

private:
    const TWizardParams &m_p;
};

} // namespace

TWizardParams TWizardParams::fromSettings(const TEditorSettings &settings)
{
    TEditorSettings s = settings;
    s.normalise();
    TWizardParams p;
    const TPageSetup &ps = pageSetup();
    p.W = ps.printableWidth();
    p.H = ps.printableHeight();
    p.FontName = s.ImplNazevFontu;
    p.FontSize = s.ImplVyskaFontu;
    p.FontColor = s.ImplBarvaFontu;
    p.FontStyle = s.ImplStylFontu;
    p.Charset = s.ImplSkriptFontu;
    p.R = s.ImplVyska;
    p.Units = s.UseUnits;
    p.GridX = s.RastrX;
    p.GridY = s.RastrY;
    p.ByName = s.SledPodle;
    return p;
}

QList<TWizardField> wizardFields(const TSestavaTyp &report)
{
    QList<TWizardField> out;
    for (int n = 0; n < report.FieldCount(); ++n) {
        TWizardField f;
        f.Name = report.FieldName(n);
        f.Label = report.FieldLabel(n);
        if (f.Label.isEmpty())
            f.Label = f.Name;
        f.DisplayWidth = report.FieldDisplayWidth(n);
        f.Alignment = report.FieldAlignment(n) & ~0x80;
        out << f;
    }
    return out;
}

TWizardResult generateWizardTemplate(const TWizardParams &p, const QList<TWizardField> &fields,
                                     const QStringList &chosen)
{
    TWizardResult result;
    Builder b(p);
    const int W = std::max(p.W, 1);
    const int R = std::max(p.R, 1);
    const int S = p.FontSize;
    const int cw = S * 3 / 4;
    auto widthOf = [&](const TWizardField &f) { return f.DisplayWidth * cw + 2 * S; };
    auto indexOf = [&](const QString &name) {
        for (int i = 0; i < fields.size(); ++i)
            if (fields.at(i).Name == name)
                return i;
        return -1;
    };

    QStringList sections;
    if (p.Columns) {
        const QString labelCode = p.CharacterMode ? QStringLiteral("Z") : QStringLiteral("H");
        if (!p.CharacterMode)
            b.reportHeader();
        int x = 0, y = 0;
        for (const QString &name : chosen) {
            const int i = indexOf(name);
            if (i < 0) {
                result.Unknown << name;
                continue;
            }
            const TWizardField &f = fields.at(i);
            const int w = std::max(std::min(widthOf(f), W), 1);
            if (x + w > W) {
                y += R;
                x = 0;
            }
            b.label(labelCode, f, i, x, y, w, f.Alignment & 0x7F);
            b.field(f, i, x, y, w);
            x += w;
        }
        if (x > 0)
            y += R;
        if (y > R) {
            b.line("T", 0, y, W);
            y += 8;
        }
        b.line(labelCode, 0, y, W);
        if (!p.CharacterMode) {
            b.pageFooter();
            sections << "I,3,0,1,96" << "I,3,1,1," + num(y + 8) << "I,3,2,1," + num(y)
                     << "I,3,3,0,16" << "I,3,4,1,32";
        } else {
            sections << "I,3,0,1," + num(y + 8) << "I,3,1,0,16" << "I,3,2,1," + num(y)
                     << "I,3,3,0,16" << "I,3,4,0,16";
        }
    } else {
        if (!p.CharacterMode)
            b.reportHeader();
        b.line(p.CharacterMode ? QStringLiteral("Z") : QStringLiteral("H"), 0, 5, W);
        const int L = cw * 12;
        const int X = L + 8;
        int y = 0;
        bool full = false;
        for (const QString &name : chosen) {
            const int i = indexOf(name);
            if (i < 0) {
                result.Unknown << name;
                continue;
            }
            const TWizardField &f = fields.at(i);
            if (full) {
                result.LeftOut << name;
                continue;
            }
            const int w = std::max(std::min(widthOf(f), W - X), 1);
            b.label("T", f, i, 0, y, L, alRight);
            b.field(f, i, X, y, w);
            y += R;
            if (p.H - 144 < y + R)
                full = true;
        }
        y += 8;
        b.line("T", 0, y, W);
        if (!p.CharacterMode) {
            b.pageFooter();
            sections << "I,3,0,1,96" << "I,3,1,1,16" << "I,3,2,1," + num(y + 8) << "I,3,3,0,16"
                     << "I,3,4,1,32";
        } else {
            sections << "I,3,0,1,16" << "I,3,1,0,16" << "I,3,2,1," + num(y + 8) << "I,3,3,0,16"
                     << "I,3,4,0,16";
        }
    }
    result.Lines << "I,5," + num(p.Units)
                 << QStringLiteral("I,6,0,%1,%2").arg(p.GridX).arg(p.GridY);
    result.Lines << sections << b.m_elements;
    return result;
}

} // namespace orv
