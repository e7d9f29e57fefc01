#include "report/designer/NovaSestava.h"

#include "report/designer/EditorSettings.h"
#include "report/model/Bridge.h"
#include "report/model/CaughtException.h"
#include "report/model/PageSetup.h"
#include "report/model/ReportFunctions.h"
#include "report/model/ReportElement.h"
#include "report/model/TemplateFile.h"
#include "report/output/Sestava.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QRect>
#include <QImage>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <vector>

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

// Text widths in hundredths of an inch, as the report's canvas measures at font resolution 100.
class TextMeasure {
public:
    TextMeasure(const QString &family, int points, bool bold = false) : m_device(1, 1, QImage::Format_RGB32)
    {
        m_device.setDotsPerMeterX(3937);   // 100 dots per inch
        m_device.setDotsPerMeterY(3937);
        QFont f(family);
        f.setPointSizeF(points);
        f.setBold(bold);
        m_metrics.emplace(f, &m_device);
    }
    int width(const QString &text) const { return int(std::ceil(m_metrics->horizontalAdvance(text))); }

private:
    QImage m_device;
    std::optional<QFontMetricsF> m_metrics;
};

bool isDateType(int type)
{
    return type == ftDate || type == ftDateTime;
}

// An expression name for a field: #name where the language can read it, else #number.
QString fieldReference(const TWizardParams &p, const TWizardField &f, int index)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_$]*$"));
    if (p.ByName && plain.match(f.Name).hasMatch())
        return u'#' + f.Name;
    return u'#' + QString::number(index + 1);
}

// A function name made of the characters the expression language allows in names.
QString functionName(const QString &stem, const QString &field)
{
    QString out = stem;
    for (const QChar c : field)
        if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9'))
            out += c;
    return out.left(32);
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
        if (m_p.CzechDates) {
            // The print date the Czech way, wide enough for every date.
            const QString czech = QStringLiteral("d.m.yyyy");
            text("Z", ekVariable, "0", W - 80, 0, 80, 20, 10, 0, fsItalic, alLeft, &czech);
            text("Z", ekText, "0", W - 136, 0, 56, 20, 10, 0, fsItalic, alLeft, &date);
        } else {
            text("Z", ekVariable, "0", W - 72, 0, 72, 20, 10, 0, fsItalic, alLeft);
            text("Z", ekText, "0", W - 128, 0, 56, 20, 10, 0, fsItalic, alLeft, &date);
        }
    }
    void pageFooter()
    {
        const int W = m_p.W;
        if (m_p.PageOfPages) {
            // "Strana 3 z 12": the page number and the page count side by side.
            const QString page = QStringLiteral("Strana %d");
            const QString of = QStringLiteral("z %d");
            text("P", ekVariable, "3", W - 172, 8, 120, 20, 10, 0, fsItalic, alRight, &page);
            text("P", ekVariable, "4", W - 48, 8, 48, 20, 10, 0, fsItalic, alLeft, &of);
            return;
        }
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
    void field(const TWizardField &f, int index, int x, int y, int w, int flags = 0)
    {
        const int align = alignmentOf(f) | flags;
        if (isDateType(f.DataType) && m_p.CzechDates && !m_p.CharacterMode) {
            // Dates in the Czech way through a text function of the field.
            const QString name = function(functionName(QStringLiteral("Datum"), f.Name),
                                          f.Label, 1, 0,
                                          QStringLiteral("FORMATDT(%1,'d.m.yyyy')")
                                              .arg(fieldReference(m_p, f, index)),
                                          agNone, 0);
            text("T", ekFunction, name, x, y, w, m_p.R, m_p.FontSize, m_p.FontColor,
                 m_p.FontStyle, align);
            return;
        }
        text("T", ekField, sourceField(m_p, f, index), x, y, w, m_p.R, m_p.FontSize,
             m_p.FontColor, m_p.FontStyle, align);
    }
    int alignmentOf(const TWizardField &f) const
    {
        return isNumericWizardField(f) ? alRight : (f.Alignment & 0x7F);
    }

    // A report function line; returns its name for the elements that print it.
    QString function(const QString &name, const QString &description, int type, int resetLevel,
                     const QString &expression, int aggregation, int decimals)
    {
        m_functions << QStringList{QStringLiteral("F"), num(int(m_functions.size())), name,
                                   quoteTemplateField(description), num(type),
                                   quoteTemplateField(QStringLiteral("0")), num(resetLevel),
                                   quoteTemplateField(expression), num(aggregation),
                                   QStringLiteral("15"), num(decimals), QStringLiteral("2")}
                           .join(u',');
        return name;
    }

    QStringList m_elements;
    QStringList m_functions;

private:
    const TWizardParams &m_p;
};

bool isIntegerType(int type)
{
    return type == ftSmallint || type == ftInteger || type == ftWord || type == ftLargeint
           || type == ftAutoInc;
}

// The group of the list (its header with the group's value, its footer with the totals) and
// the report footer with the totals of the whole report. Gives the report footer's height,
// 0 when it stays hidden.
int totals(const TWizardParams &p, Builder &b, const QList<TWizardField> &fields,
           const QHash<QString, QRect> &columns, const std::function<int(const QString &)> &indexOf,
           QStringList &groups)
{
    const int R = std::max(p.R, 1), W = std::max(p.W, 1), S = p.FontSize;
    auto numericChosen = [&](const QStringList &names) {
        QStringList out;
        for (const QString &n : names) {
            const int i = indexOf(n);
            if (i >= 0 && columns.contains(n) && isNumericWizardField(fields.at(i)) && !out.contains(n))
                out << n;
        }
        return out;
    };
    const QStringList sums = numericChosen(p.SumFields);
    const QStringList averages = numericChosen(p.AverageFields);
    const int groupIndex = p.GroupField.isEmpty() ? -1 : indexOf(p.GroupField);
    const bool any = p.Count || !sums.isEmpty() || !averages.isEmpty();
    if (groupIndex < 0 && !any)
        return 0;

    // The totals under their columns, one row per kind; whole: for the report footer.
    auto rows = [&](const QString &code, int resetLevel, bool whole) {
        b.line(code, 0, 0, W);
        int y = 6;
        if (p.Count) {
            const QString caption = whole ? QStringLiteral("Celkem záznamů:") : QStringLiteral("Počet záznamů:");
            b.text(code, ekText, "0", 0, y, 140, R, S, p.FontColor, fsBold, alLeft, &caption);
            const QString name = b.function(whole ? QStringLiteral("PocetCelkem") : QStringLiteral("PocetSkupina"),
                                            caption, 0, resetLevel, QStringLiteral("1"), agCount, 0);
            b.text(code, ekFunction, name, 140, y, 80, R, S, p.FontColor, fsBold, alLeft);
            y += R;
        }
        const struct {
            const QStringList &Names;
            int Aggregation;
            const char *Stem;
            QString Caption;
        } kinds[] = {
            {sums, agSum, "Soucet", whole ? QStringLiteral("Celkem:") : QStringLiteral("Součet:")},
            {averages, agAverage, "Prumer", whole ? QStringLiteral("Průměr celkem:") : QStringLiteral("Průměr:")},
        };
        for (const auto &k : kinds) {
            if (k.Names.isEmpty())
                continue;
            int leftmost = W, below = 0;
            for (const QString &n : k.Names) {
                leftmost = std::min(leftmost, columns.value(n).left());
                below = std::max(below, columns.value(n).top() + R);
            }
            if (leftmost >= 80)
                b.text(code, ekText, "0", 0, y, leftmost - 8, R, S, p.FontColor, fsBold, alLeft,
                       &k.Caption);
            for (const QString &n : k.Names) {
                const int i = indexOf(n);
                const TWizardField &f = fields.at(i);
                const QRect c = columns.value(n);
                const int decimals = k.Aggregation == agSum && isIntegerType(f.DataType) ? 0 : 2;
                const QString name = b.function(
                    functionName(QString::fromLatin1(k.Stem) + (whole ? u'C' : u'S'), f.Name),
                    k.Caption + u' ' + f.Label, 0, resetLevel, fieldReference(p, f, i),
                    k.Aggregation, decimals);
                b.text(code, ekFunction, name, c.left(), y + c.top(), c.width(), R, S, p.FontColor,
                       fsBold, alRight);
            }
            y += below;
        }
        return y + 4;
    };

    if (groupIndex >= 0) {
        const TWizardField &g = fields.at(groupIndex);
        const QString caption = g.Label + u':';
        const int captionWidth = TextMeasure(p.FontName, S, true).width(caption) + S;
        b.text(QStringLiteral("S0"), ekText, "0", 0, 4, captionWidth, R, S, p.FontColor, fsBold,
               alLeft, &caption);
        b.text(QStringLiteral("S0"), ekField, sourceField(p, g, groupIndex), captionWidth, 4,
               std::max(W - captionWidth, 1), R, S, p.FontColor, fsBold, alLeft);
        const int footer = any ? rows(QStringLiteral("U0"), 2, false) : 16;
        groups << QStringLiteral("I,4,0,%1,1,%2,%3,%4,0")
                      .arg(quoteTemplateField(fieldReference(p, g, groupIndex)))
                      .arg(R + 8)
                      .arg(any ? 1 : 0)
                      .arg(footer);
    }
    return any ? rows(QStringLiteral("K"), 0, true) : 0;
}

} // namespace

bool isNumericWizardField(const TWizardField &f)
{
    return kindOfFieldType(f.DataType) == 1;
}

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
        f.DataType = report.FieldDataType(n);
        out << f;
    }
    return out;
}

void sampleWizardFields(TSestavaTyp &report, QList<TWizardField> &fields, int maxRecords)
{
    auto *component = dynamic_cast<TSestava *>(&report);
    TBridge *data = component ? component->DataSource : nullptr;
    if (!data || !data->IsActive() || fields.isEmpty())
        return;
    constexpr int kKept = 3;
    std::vector<QStringList> longest(size_t(fields.size()));
    data->DisableControls();
    data->RememberPosition();
    try {
        int read = 0;
        for (TStepResult r = data->Step(sdFirst); !(r & srEof) && read < maxRecords;
             r = data->Step(sdNext), ++read) {
            for (int i = 0; i < fields.size(); ++i) {
                const QString t = data->DisplayText(i);
                QStringList &keep = longest[size_t(i)];
                if (keep.size() == kKept && t.size() <= keep.constLast().size())
                    continue;
                if (keep.contains(t))
                    continue;
                keep << t;
                std::stable_sort(keep.begin(), keep.end(), [](const QString &a, const QString &b) {
                    return a.size() > b.size();
                });
                if (keep.size() > kKept)
                    keep.removeLast();
            }
        }
    } catch (...) {
        // A data set that fails while being read leaves the widths to the display widths.
        logCaughtException("NovaSestava: sample texts");
        for (QStringList &keep : longest)
            keep.clear();
    }
    data->ReturnToPosition();
    data->EnableControls();
    for (int i = 0; i < fields.size(); ++i)
        fields[i].Samples = longest[size_t(i)];
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
    const TextMeasure measure(p.FontName, S);
    // From the data's widest texts and the caption when the data was read, so that no name
    // is cut and no date clipped; from the display width otherwise.
    auto widthOf = [&](const TWizardField &f) {
        if (f.Samples.isEmpty())
            return f.DisplayWidth * cw + 2 * S;
        int widest = p.Labels ? measure.width(f.Label) : 0;
        for (const QString &t : f.Samples)
            widest = std::max(widest, measure.width(isDateType(f.DataType) ? QStringLiteral("28.12.2099") : t));
        return widest + S;
    };
    auto indexOf = [&](const QString &name) {
        for (int i = 0; i < fields.size(); ++i)
            if (fields.at(i).Name == name)
                return i;
        return -1;
    };

    QStringList sections;
    QStringList groups;
    QHash<QString, QRect> columns;   // where each chosen field's values stand in the body
    if (p.Columns) {
        const QString labelCode = p.CharacterMode ? QStringLiteral("Z") : QStringLiteral("H");
        if (!p.CharacterMode)
            b.reportHeader();
        // The group's field stands in the group header, not again on every line.
        QStringList laid;
        for (const QString &name : chosen) {
            if (indexOf(name) < 0)
                result.Unknown << name;
            else if (p.CharacterMode || name != p.GroupField || chosen.size() == 1)
                laid << name;
        }
        // One line per record where the texts allow it: when the columns are wider than the
        // page, the widest text columns give way and their texts wrap at words (the line
        // grows); numbers and dates keep their width.
        QHash<QString, int> widths;
        int fixed = 0, total = 0;
        QList<int> texts;
        for (const QString &name : laid) {
            const TWizardField &f = fields.at(indexOf(name));
            const int w = widthOf(f);
            widths.insert(name, w);
            total += w;
            if (isNumericWizardField(f) || isDateType(f.DataType) || f.Samples.isEmpty())
                fixed += w;
            else
                texts << w;
        }
        int cap = -1;
        if (total > W && !texts.isEmpty() && fixed + int(texts.size()) * 4 * S <= W) {
            std::sort(texts.begin(), texts.end());
            int room = W - fixed;
            for (int k = 0; k < texts.size(); ++k) {
                const int share = room / int(texts.size() - k);
                if (texts[k] > share) {
                    cap = share;
                    break;
                }
                room -= texts[k];
            }
        }
        int x = 0, y = 0;
        for (const QString &name : laid) {
            const int i = indexOf(name);
            const TWizardField &f = fields.at(i);
            const int wanted = widths.value(name);
            const bool shrinks = cap > 0 && wanted > cap && !isNumericWizardField(f)
                                 && !isDateType(f.DataType) && !f.Samples.isEmpty();
            const int w = std::max(std::min(shrinks ? cap : wanted, W), 1);
            if (x + w > W) {
                y += R;
                x = 0;
            }
            b.label(labelCode, f, i, x, y, w, b.alignmentOf(f));
            // A text wider than its column wraps at its words and the line grows with it.
            b.field(f, i, x, y, w, shrinks || (wanted > W && !f.Samples.isEmpty()) ? 0x10 | 0x40 : 0);
            columns.insert(name, QRect(x, y, w, R));
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
            const int footer = totals(p, b, fields, columns, indexOf, groups);
            sections << "I,3,0,1,96" << "I,3,1,1," + num(y + 8) << "I,3,2,1," + num(y)
                     << (footer > 0 ? "I,3,3,1," + num(footer) : QStringLiteral("I,3,3,0,16"))
                     << "I,3,4,1,32";
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
    result.Lines << sections << groups << b.m_functions << b.m_elements;
    return result;
}

} // namespace orv
