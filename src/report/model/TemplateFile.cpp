#include "report/model/TemplateFile.h"

#include "core/SafeFile.h"

#include "core/CodePage.h"
#include "report/model/PageSetup.h"
#include "report/model/ReportModel.h"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <QSet>

#include <limits>

namespace orv {

// ====================================================================== fields

namespace {

// Reads one field starting at i; returns the position after its comma (or the end).
int readField(const QString &line, int i, QString &field)
{
    const int n = int(line.size());
    field.clear();
    if (i < n && line.at(i) == u'"') {
        ++i;
        while (i < n) {
            const QChar c = line.at(i);
            if (c == u'"') {
                if (i + 1 < n && line.at(i + 1) == u'"') {
                    field += u'"';
                    i += 2;
                    continue;
                }
                ++i;
                break;
            }
            field += c;
            ++i;
        }
    }
    while (i < n && line.at(i) != u',')
        field += line.at(i++);
    return i;
}

} // namespace

QStringList splitTemplateFields(const QString &line)
{
    QStringList fields;
    const int n = int(line.size());
    int i = 0;
    QString field;
    for (;;) {
        i = readField(line, i, field);
        fields << field;
        if (i >= n)
            break;
        ++i;   // the comma; a comma at the very end leaves one more, empty, field
    }
    return fields;
}

namespace {

QString cleanForLine(const QString &text)
{
    // A line break inside a field would end the record; the format has no escape for it.
    QString t = text;
    for (QChar &c : t)
        if (c == u'\r' || c == u'\n' || c == QChar(0))
            c = u' ';
    return t;
}

// Names are written bare unless the reader could not get them back that way.
QString bareField(const QString &text)
{
    const QString t = cleanForLine(text);
    if (t.contains(u',') || t.startsWith(u'"'))
        return quoteTemplateField(t);
    return t;
}

} // namespace

QString quoteTemplateField(const QString &text)
{
    QString t = cleanForLine(text);
    t.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + t + u'"';
}

// ====================================================================== fonts

bool isFontAvailable(const QString &family)
{
    // What the font database has does not change while the program runs.
    static QSet<QString> families;
    static bool loaded = false;
    if (!loaded) {
        if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
            return false;
        for (const QString &f : QFontDatabase::families())
            families.insert(f.toLower());
        loaded = true;
    }
    return families.contains(family.toLower());
}

void setFontAvailableFunction(std::function<bool(const QString &family)> fn)
{
    sessionContext().FontAvailable = std::move(fn);
}

// ====================================================================== reader

namespace {

// A line's fields with 1-based access; a missing field reads as empty.
struct Fields {
    QStringList f;
    explicit Fields(const QString &line) : f(splitTemplateFields(line)) {}
    bool has(int k) const { return k >= 1 && k <= f.size(); }
    QString text(int k) const { return has(k) ? f.at(k - 1) : QString(); }

    int integer(int k, int def = 0) const
    {
        if (!has(k))
            return def;
        bool ok = false;
        const qlonglong v = f.at(k - 1).trimmed().toLongLong(&ok, 10);
        if (!ok || v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
            return def;
        return int(v);
    }
    bool boolean(int k, bool def = false) const { return integer(k, def ? 1 : 0) != 0; }
};

// Numbers of fields, variables and functions never come near this; larger ones are cut
// to it so that arithmetic on them stays defined and a written number reads back the same.
constexpr int kMaxSourceNumber = 1000000000;

// The number at the start of a text ("12abc" gives 12).
int leadingNumber(const QString &t)
{
    qint64 v = 0;
    for (QChar c : t) {
        if (c < u'0' || c > u'9')
            break;
        v = std::min<qint64>(v * 10 + (c.unicode() - '0'), kMaxSourceNumber);
    }
    return int(v);
}

// Group expressions of older templates named the field by its 0-based number or its name.
QString convertGroupExpression(const QString &e)
{
    if (e.isEmpty())
        return e;
    for (QChar c : e) {
        const bool ok = c == u'$' || c == u'_' || (c >= u'0' && c <= u'9')
                        || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
        if (!ok)
            return e;
    }
    const QChar first = e.at(0);
    if (first >= u'0' && first <= u'9')
        return u'#' + QString::number(qint64(leadingNumber(e)) + 1);
    return u'#' + e;
}

void readSettings(TSestavaModel &m, const Fields &fl)
{
    TPageSetup &ps = m.Context.PageSetup;
    switch (fl.integer(2, -1)) {
    case 0:
        if (!fl.text(3).isEmpty())
            m.Popis = fl.text(3);
        break;
    case 1:
        m.FormatVersion = fl.integer(3);
        m.FormatRevision = fl.integer(4);
        m.FormatLevel = fl.integer(5);
        break;
    case 2: {
        int k = 3;
        if (m.IsDetail) {
            k += 7;
        } else {
            const TPageSetup defaults;
            ps.setOrientationCode(fl.integer(k++));
            if (m.FormatVersion > 0) {
                ps.PaperWidth = fl.integer(k++, defaults.PaperWidth);
                ps.PaperHeight = fl.integer(k++, defaults.PaperHeight);
            }
            ps.MarginLeft = fl.integer(k++, defaults.MarginLeft);
            ps.MarginRight = fl.integer(k++, defaults.MarginRight);
            ps.MarginTop = fl.integer(k++, defaults.MarginTop);
            ps.MarginBottom = fl.integer(k++, defaults.MarginBottom);
        }
        m.Columns = std::max(1, fl.integer(k++, 1));
        m.ColumnGap = fl.integer(k++);
        m.ColumnReserve = fl.integer(k++);
        break;
    }
    case 3: {
        const int index = fl.integer(3, -1);
        TOddilSestavy *s = index >= 0 && index < kFixedSections ? m.Sections.at(index) : nullptr;
        if (!s)
            break;
        s->Visible = fl.boolean(4);
        s->Height = fl.integer(5);
        m.setSectionFlags(index, fl.integer(6));
        break;
    }
    case 4:
        m.AddGroup(fl.integer(3), convertGroupExpression(fl.text(4)), fl.boolean(9),
                   fl.integer(8), fl.boolean(7), fl.integer(6), fl.boolean(5));
        break;
    case 5:
        m.UnitsIndex = fl.integer(3);
        break;
    case 6: {
        m.CharacterMode = fl.integer(3) == 1;
        m.GridX = fl.integer(4, 8);
        if (m.GridX < 1)
            m.GridX = 8;
        m.GridY = fl.integer(5, 8);
        if (m.GridY < 1)
            m.GridY = 8;
        m.LineHeightCode = fl.integer(6, 0);
        m.PitchCode = fl.integer(7, 1);
        m.ShowGrid = fl.boolean(8);
        m.SnapToGrid = fl.boolean(9);
        break;
    }
    case 7:
        m.OwnBackground = fl.boolean(3);
        m.PrintOwnBackground = fl.boolean(4);
        m.BackgroundPlaced = fl.boolean(5);
        m.BackgroundLeft = fl.integer(6);
        m.BackgroundTop = fl.integer(7);
        m.BackgroundWidth = fl.integer(8);
        m.BackgroundHeight = fl.integer(9);
        m.BackgroundFile = fl.text(10);
        break;
    default:
        break;
    }
}

void readFunction(TSestavaModel &m, const Fields &fl)
{
    auto f = std::make_unique<TRadekFunkce>();
    f->Name = fl.text(3);
    f->Description = fl.has(4) ? fl.text(4) : f->Name;
    f->Type = fl.integer(5) == 1 ? 1 : 0;
    f->InitialValue = fl.has(6) ? fl.text(6) : QStringLiteral("0");
    f->ResetLevel = fl.integer(7);
    f->Expression = fl.text(8);
    f->Aggregation = fl.integer(9);
    if (f->Aggregation < agNone || f->Aggregation > agRelStdDev)
        f->Aggregation = agNone;
    f->Width = fl.integer(10, 15);
    f->Decimals = fl.integer(11, 2);
    f->Format = fl.integer(12, ffFixed);
    if (f->Format < ffGeneral || f->Format > ffCurrency)
        f->Format = ffFixed;
    m.Functions.append(std::move(f));
}

void readFont(const TReportContext &context, const Fields &fl, TElementFont &font)
{
    QString name = fl.text(8);
    int charset = fl.integer(14);
    const auto &answer = context.FontAvailable ? context.FontAvailable : sessionContext().FontAvailable;
    if (!(answer ? answer(name) : isFontAvailable(name))) {
        static const struct { const char *suffix; int charset; } kSuffixes[] = {
            {" CE", csEastEurope}, {" Greek", csGreek}, {" TUR", csTurkish},
            {" Baltic", csBaltic}, {" CYR", csCyrillic}};
        for (const auto &s : kSuffixes) {
            const qsizetype at = name.indexOf(QLatin1String(s.suffix));
            if (at >= 0) {
                name = name.left(at);
                charset = s.charset;
                break;
            }
        }
    }
    font.Name = name;
    font.Charset = charset;
    const qint64 size = fl.integer(9);
    font.Size = size < 0 ? int(-size * 72 / 100) : int(size);
    font.Color = colorFromField(fl.integer(10));
    font.Style = fl.integer(11);
}

void readElement(TSestavaModel &m, const Fields &fl, TSiReportElement &e)
{
    e.Kind = fl.integer(2);
    const int kind = e.Kind;

    // Source: a number, or for fields and functions a name.
    const QString source = fl.text(3);
    QString name;
    if (!source.isEmpty() && !(source.at(0) >= u'0' && source.at(0) <= u'9')) {
        name = source.left(32);
        if (kind == ekField || kind == ekFieldLabel)
            e.SourceIndex = std::max(0, m.FieldIndex(name));
        else if (kind == ekFunction)
            e.SourceIndex = std::max(0, m.Functions.FindByName(name));
        else
            e.SourceIndex = 0;
    } else {
        e.SourceIndex = leadingNumber(source);
    }
    e.SourceName.clear();

    e.Left = fl.integer(4);
    e.Top = fl.integer(5);
    e.Width = fl.integer(6);
    e.Height = fl.integer(7);

    // The total page count variable was inserted at index 4 in format 1 level 3.
    if (kind == ekVariable && m.FormatVersion <= 1 && m.FormatLevel < 3 && e.SourceIndex > 3)
        e.SourceIndex = std::min(e.SourceIndex + 1, kMaxSourceNumber);
    if ((kind == ekField || kind == ekFieldLabel)
        && (e.SourceIndex < 0 || e.SourceIndex >= m.FieldCount()))
        e.SourceIndex = 0;

    if (isTextKind(kind)) {
        const int a = fl.integer(12);
        e.Alignment = a & 3;
        e.TextFlags = a & 0xF8;
        readFont(m.Context, fl, e.Font);
        e.Flags = fl.integer(13);
    } else if (isShapeKind(kind)) {
        e.PenWidth = fl.integer(9);
        if (e.PenWidth < 0)
            e.PenWidth = 1;
        e.PenColor = colorFromField(fl.integer(10));
        e.PenStyle = fl.integer(11, kind == ekBarcode ? kBarcodeEan13 : 0);
        if (kind == ekLine && e.PenWidth > 1)
            e.PenStyle = 0;
        e.Flags = fl.integer(12);
        e.BrushColor = colorFromField(fl.integer(13));
        e.BrushStyle = fl.integer(14);
    }

    switch (kind) {
    case ekText:
    case ekVariable:
    case ekBarcode:
        e.Text = fl.text(15);
        break;
    case ekField:
    case ekFieldLabel:
    case ekFunction:
        e.SourceName = name;
        break;
    case ekRectangle:
    case ekRoundRect:
    case ekEllipse:
        e.SourceIndex = kind;
        break;
    case ekPicture: {
        e.Text = fl.text(15);
        for (const QString &candidate : SplitList(&m, e.Text)) {
            QImage img;
            if (m.LoadPicture(candidate, img)) {
                e.Picture = img;
                e.PictureFileName = candidate;
                break;
            }
        }
        break;
    }
    case ekPaintBox:
        e.BrushStyle = std::clamp(e.BrushStyle, 1, 6);
        break;
    default:
        break;
    }

    e.LetterSpacing = fl.integer(16);
    e.Angle = fl.integer(17);
    e.Reserved = fl.integer(18);
    e.Condition = fl.text(19);
    e.HandlerEnabled = fl.boolean(20);
    e.Ident = fl.text(21);
}

// The position after the first field and its comma.
int afterFirstField(const QString &line)
{
    QString dummy;
    const int i = readField(line, 0, dummy);
    return i < line.size() ? i + 1 : i;
}

} // namespace

void readElementLine(TSestavaModel &model, const QString &line, TSiReportElement &element)
{
    readElement(model, Fields(line), element);
}

void readTemplate(TSestavaModel &m, const QStringList &lines)
{
    // 1. settings, in file order
    for (const QString &line : lines)
        if (line.size() > 1 && line.at(0) == u'I')
            readSettings(m, Fields(line));
    m.UpdateCharacterMetrics();

    // 2. functions, numbered in file order
    m.Functions.clear();
    for (const QString &line : lines)
        if (line.size() > 1 && line.at(0) == u'F')
            readFunction(m, Fields(line));

    // 3. elements of every section named by its code
    QHash<QString, TOddilSestavy *> sections;
    sections.insert(QStringLiteral("Z"), m.Sections.at(skReportHeader));
    if (!m.IsDetail)
        sections.insert(QStringLiteral("H"), m.Sections.at(skPageHeader));
    sections.insert(QStringLiteral("T"), m.Sections.at(skBody));
    sections.insert(QStringLiteral("K"), m.Sections.at(skReportFooter));
    if (!m.IsDetail)
        sections.insert(QStringLiteral("P"), m.Sections.at(skPageFooter));
    for (int g = 0; g < m.Groups.count(); ++g) {
        sections.insert(u'S' + QString::number(g), m.Groups.at(g)->GroupHeader);
        sections.insert(u'U' + QString::number(g), m.Groups.at(g)->GroupFooter);
    }
    for (TOddilSestavy *s : std::as_const(sections))
        s->clearElements();
    for (const QString &line : lines) {
        if (line.isEmpty())
            continue;
        Fields fl(line);
        TOddilSestavy *s = sections.value(fl.text(1), nullptr);
        if (!s)
            continue;
        auto e = std::make_unique<TSiReportElement>();
        readElement(m, fl, *e);
        s->appendElement(std::move(e));
    }

    // 4. the templates of the attached detail reports
    for (int n = 0; n < m.Details.size(); ++n) {
        TSestavaModel *detail = m.Details.at(n);
        if (!detail || detail == &m)
            continue;
        const QString code = u'D' + QString::number(n);
        QStringList own;
        for (const QString &line : lines) {
            QString first;
            readField(line, 0, first);
            if (first == code)
                own << line.mid(afterFirstField(line));
        }
        detail->IsDetail = true;
        detail->SetPredloha(own);
    }
}

// ====================================================================== writer

namespace {

QString num(int v) { return QString::number(v); }
QString flag(bool v) { return v ? QStringLiteral("1") : QStringLiteral("0"); }

// The file-name part of a picture or barcode text: what follows its last "\", "/" or ":".
QString fileNamePart(const QString &text)
{
    const qsizetype at = std::max({text.lastIndexOf(u'\\'), text.lastIndexOf(u'/'),
                                   text.lastIndexOf(u':')});
    return at >= 0 ? text.mid(at + 1) : text;
}

} // namespace

QString writeElementLine(const QString &code, const TSiReportElement &e)
{
    QStringList f;
    f << bareField(code) << num(e.Kind);
    const int kind = e.Kind;
    if (isTextKind(kind) && (kind == ekField || kind == ekFieldLabel || kind == ekFunction)
        && !e.SourceName.isEmpty())
        f << bareField(e.SourceName);
    else
        f << num(e.SourceIndex);
    f << num(e.Left) << num(e.Top) << num(e.Width) << num(e.Height);
    if (isTextKind(kind)) {
        f << bareField(e.Font.Name) << num(e.Font.Size) << num(colorToField(e.Font.Color))
          << num(e.Font.Style) << num((e.Alignment & 3) | (e.TextFlags & 0xF8)) << num(e.Flags)
          << num(e.Font.Charset) << quoteTemplateField(e.Text) << num(e.LetterSpacing)
          << num(e.Angle) << num(e.Reserved) << quoteTemplateField(e.Condition)
          << flag(e.HandlerEnabled) << quoteTemplateField(e.Ident);
    } else if (isShapeKind(kind)) {
        f << QString() << num(e.PenWidth) << num(colorToField(e.PenColor)) << num(e.PenStyle)
          << num(e.Flags) << num(colorToField(e.BrushColor)) << num(e.BrushStyle);
        if (kind == ekPicture || kind == ekBarcode)
            f << quoteTemplateField(fileNamePart(e.Text));
        else
            f << QString();
        if (kind == ekBarcode)
            f << num(e.LetterSpacing) << num(e.Angle) << num(e.Reserved);
        else
            f << QString() << QString() << QString();
        f << quoteTemplateField(e.Condition) << flag(e.HandlerEnabled)
          << quoteTemplateField(e.Ident);
    }
    return f.join(u',');
}

QStringList writeTemplate(const TSestavaModel &m)
{
    QStringList out;
    const TPageSetup &ps = m.Context.PageSetup;
    out << QStringLiteral("I,0,") + quoteTemplateField(m.Popis);
    out << QStringLiteral("I,1,5,50,0");
    out << QStringList{QStringLiteral("I,2"), num(ps.orientationCode()), num(ps.PaperWidth),
                       num(ps.PaperHeight), num(ps.MarginLeft), num(ps.MarginRight),
                       num(ps.MarginTop), num(ps.MarginBottom), num(m.Columns),
                       num(m.ColumnGap)}.join(u',');
    for (int k = 0; k < kFixedSections; ++k) {
        const TOddilSestavy *s = m.Sections.at(k);
        out << QStringList{QStringLiteral("I,3"), num(k), flag(s->Visible), num(s->Height),
                           num(m.sectionFlags(k))}.join(u',');
    }
    for (int g = 0; g < m.Groups.count(); ++g) {
        const TPolSkup *grp = m.Groups.at(g);
        out << QStringList{QStringLiteral("I,4"), num(grp->Index),
                           quoteTemplateField(grp->Expression), flag(grp->GroupHeader->Visible),
                           num(grp->GroupHeader->Height), flag(grp->GroupFooter->Visible),
                           num(grp->GroupFooter->Height), flag(grp->NewPage)}.join(u',');
    }
    out << QStringLiteral("I,5,") + num(m.UnitsIndex);
    out << QStringList{QStringLiteral("I,6"), flag(m.CharacterMode), num(m.GridX), num(m.GridY),
                       num(m.LineHeightCode), num(m.PitchCode), flag(m.ShowGrid),
                       flag(m.SnapToGrid)}.join(u',');
    out << QStringList{QStringLiteral("I,7"), flag(m.OwnBackground), flag(m.PrintOwnBackground),
                       flag(m.BackgroundPlaced), num(m.BackgroundLeft), num(m.BackgroundTop),
                       num(m.BackgroundWidth), num(m.BackgroundHeight),
                       bareField(m.BackgroundFile)}.join(u',');
    for (int i = 0; i < m.Functions.count(); ++i) {
        const TRadekFunkce *f = m.Functions.at(i);
        out << QStringList{QStringLiteral("F"), num(i), bareField(f->Name),
                           quoteTemplateField(f->Description), num(f->Type),
                           quoteTemplateField(f->InitialValue), num(f->ResetLevel),
                           quoteTemplateField(f->Expression), num(f->Aggregation), num(f->Width),
                           num(f->Decimals), num(f->Format)}.join(u',');
    }
    auto writeSection = [&out](const QString &code, const TOddilSestavy *s) {
        if (!s)
            return;
        for (const auto &e : s->Elements)
            out << writeElementLine(code, *e);
    };
    static const char *const kCodes[kFixedSections] = {"Z", "H", "T", "K", "P"};
    for (int k = 0; k < kFixedSections; ++k)
        writeSection(QString::fromLatin1(kCodes[k]), m.Sections.at(k));
    for (int g = 0; g < m.Groups.count(); ++g) {
        writeSection(u'S' + QString::number(g), m.Groups.at(g)->GroupHeader);
        writeSection(u'U' + QString::number(g), m.Groups.at(g)->GroupFooter);
    }
    for (int n = 0; n < m.Details.size(); ++n) {
        const TSestavaModel *d = m.Details.at(n);
        if (!d || d == &m)
            continue;
        const QString prefix = u'D' + QString::number(n) + u',';
        for (const QString &line : d->Predloha)
            out << prefix + cleanForLine(line);
    }
    return out;
}

// ====================================================================== files

QStringList templateLinesFromBytes(const QByteArray &bytes)
{
    qsizetype end = bytes.indexOf('\0');
    if (end < 0)
        end = bytes.size();
    const QString text = decode(bytes.left(end), CodePage::Cp1250);
    QStringList lines;
    const int n = int(text.size());
    int start = 0;
    for (int i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            lines << text.mid(start, i - start);
            if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines << text.mid(start);
    return lines;
}

QByteArray templateBytesFromLines(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines) {
        text += cleanForLine(line);
        text += QStringLiteral("\r\n");
    }
    return encode(text, CodePage::Cp1250);
}

TSestError loadTemplateFile(const QString &path, QStringList &lines)
{
    QFile f(path);
    if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly))
        return seTemplateNotLoaded;
    lines = templateLinesFromBytes(f.readAll());
    return seOk;
}

QString backupPathFor(const QString &path)
{
    const qsizetype slash = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    const qsizetype dot = path.lastIndexOf(u'.');
    const QString base = dot > slash ? path.left(dot) : path;
    return base + QStringLiteral(".BAK");
}

TSestError saveTemplateFile(const QString &path, const QStringList &lines, bool backup,
                            QString *error)
{
    if (path.isEmpty())
        return seTemplateNotSaved;
    // The previous version becomes the one backup only once the new one is whole on the disk.
    QString why;
    const bool ok = writeFileSafely(path, templateBytesFromLines(lines), &why,
                                    backup ? QStringLiteral(".BAK") : QString());
    if (error)
        *error = why;
    return ok ? seOk : seTemplateNotSaved;
}

} // namespace orv
