#include "report/model/ReportModel.h"

#include "report/model/NumberFormat.h"
#include "report/model/PageSetup.h"
#include "report/model/TemplateFile.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <limits>

namespace orv {

// ---------------------------------------------------------------- sections

TSiReportElement *TOddilSestavy::appendElement(std::unique_ptr<TSiReportElement> e)
{
    Elements.push_back(std::move(e));
    return Elements.back().get();
}

QString TOddilSestavy::caption() const
{
    switch (Kind) {
    case skReportHeader: return QStringLiteral("Začátek sestavy");
    case skPageHeader: return QStringLiteral("Hlava stránky");
    case skBody: return QStringLiteral("Tělo sestavy");
    case skReportFooter: return QStringLiteral("Konec sestavy");
    case skPageFooter: return QStringLiteral("Pata stránky");
    default:
        return (Kind % 2) ? QStringLiteral("Začátek skupiny") : QStringLiteral("Konec skupiny");
    }
}

TOddilSestavy *TListOddilu::append(std::unique_ptr<TOddilSestavy> s)
{
    m_items.push_back(std::move(s));
    return m_items.back().get();
}

int TListOddilu::indexOf(const TOddilSestavy *s) const
{
    for (int i = 0; i < count(); ++i)
        if (m_items[size_t(i)].get() == s)
            return i;
    return -1;
}

void TListOddilu::removeAndDestroy(const TOddilSestavy *s)
{
    const int i = indexOf(s);
    if (i >= 0)
        m_items.erase(m_items.begin() + i);
}

void TListOddilu::truncate(int n)
{
    if (n >= 0 && n < count())
        m_items.resize(size_t(n));
}

// ---------------------------------------------------------------- groups

TPolSkup *TListSkupin::append(std::unique_ptr<TPolSkup> g)
{
    m_items.push_back(std::move(g));
    return m_items.back().get();
}

std::unique_ptr<TPolSkup> TListSkupin::take(int i)
{
    if (i < 0 || i >= count())
        return nullptr;
    auto g = std::move(m_items[size_t(i)]);
    m_items.erase(m_items.begin() + i);
    return g;
}

// ---------------------------------------------------------------- report model

TSestavaModel::TSestavaModel()
{
    createFixedSections();
    UpdateCharacterMetrics();
}

TSestavaModel::~TSestavaModel() = default;

void TSestavaModel::createFixedSections()
{
    for (int k = 0; k < kFixedSections; ++k)
        Sections.append(std::make_unique<TOddilSestavy>(k));
}

void TSestavaModel::SetPredloha(const QStringList &lines)
{
    // A detail list that leads back to this report must not make the reader go round.
    if (m_reading)
        return;
    m_reading = true;
    Discard();
    Predloha = lines;
    // The template keeps what it reads for itself and nothing shared changes: what it does
    // not say stays the report's own. A detail list's template says nothing of the paper; the
    // detail takes the paper at work (its master's inside a run).
    if (IsDetail)
        Context.PageSetup = pageSetup();
    readTemplate(*this, Predloha);
    m_reading = false;
}

int TSestavaModel::sectionFlags(int index) const
{
    switch (index) {
    case skReportHeader: return BreakAfterReportHeader ? 1 : 0;
    case skPageHeader: return (NoHeaderOnFirstPage ? 1 : 0) | (NoHeaderAfterBreak ? 2 : 0);
    case skBody: return NewPagePerRecord ? 1 : 0;
    case skReportFooter:
        return (BreakBeforeReportFooter ? 1 : 0) | (ReportFooterAtBottom ? 2 : 0);
    case skPageFooter:
        return (NoFooterOnLastPage ? 1 : 0) | (FooterOnFirstPageOnly ? 2 : 0);
    default: return 0;
    }
}

void TSestavaModel::setSectionFlags(int index, int flags)
{
    switch (index) {
    case skReportHeader: BreakAfterReportHeader = flags & 1; break;
    case skPageHeader:
        NoHeaderOnFirstPage = flags & 1;
        NoHeaderAfterBreak = flags & 2;
        break;
    case skBody: NewPagePerRecord = flags & 1; break;
    case skReportFooter:
        BreakBeforeReportFooter = flags & 1;
        ReportFooterAtBottom = flags & 2;
        break;
    case skPageFooter:
        NoFooterOnLastPage = flags & 1;
        FooterOnFirstPageOnly = flags & 2;
        break;
    default: break;
    }
}

namespace {
int clampToInt(qint64 v)
{
    return int(std::clamp<qint64>(v, std::numeric_limits<int>::min(),
                                  std::numeric_limits<int>::max()));
}
} // namespace

TPolSkup *TSestavaModel::AddGroup(int index, const QString &expression, bool newPage,
                                  int footerHeight, bool footerVisible, int headerHeight,
                                  bool headerVisible)
{
    auto g = std::make_unique<TPolSkup>();
    g->Index = index;
    g->Expression = expression;
    g->NewPage = newPage;
    auto header = std::make_unique<TOddilSestavy>(clampToInt(2 * qint64(index) + 5));
    header->Height = headerHeight;
    header->Visible = headerVisible;
    auto footer = std::make_unique<TOddilSestavy>(clampToInt(2 * qint64(index) + 6));
    footer->Height = footerHeight;
    footer->Visible = footerVisible;
    g->GroupHeader = Sections.append(std::move(header));
    g->GroupFooter = Sections.append(std::move(footer));
    return Groups.append(std::move(g));
}

void TSestavaModel::DeleteGroup(int n)
{
    std::unique_ptr<TPolSkup> g = Groups.take(n);
    if (!g)
        return;
    Sections.removeAndDestroy(g->GroupHeader);
    Sections.removeAndDestroy(g->GroupFooter);
}

TSiReportElement *TSestavaModel::AddElement(TOddilSestavy *section, const QString &line)
{
    if (!section)
        return nullptr;
    auto e = std::make_unique<TSiReportElement>();
    readElementLine(*this, line, *e);
    return section->appendElement(std::move(e));
}

void TSestavaModel::Discard()
{
    Groups.clear();
    Sections.truncate(kFixedSections);
    for (int k = 0; k < kFixedSections; ++k)
        Sections.at(k)->clearElements();
    Functions.clear();
}

void TSestavaModel::CopyTemplateFrom(const TSestavaModel &o)
{
    if (&o == this)
        return;
    Discard();
    auto copyElements = [](const TOddilSestavy *from, TOddilSestavy *to) {
        for (const auto &e : from->Elements)
            to->appendElement(std::make_unique<TSiReportElement>(*e));
    };
    for (int k = 0; k < kFixedSections; ++k) {
        Sections.at(k)->Height = o.Sections.at(k)->Height;
        Sections.at(k)->Visible = o.Sections.at(k)->Visible;
        copyElements(o.Sections.at(k), Sections.at(k));
    }
    for (int g = 0; g < o.Groups.count(); ++g) {
        const TPolSkup *from = o.Groups.at(g);
        TPolSkup *to = AddGroup(from->Index, from->Expression, from->NewPage,
                                from->GroupFooter->Height, from->GroupFooter->Visible,
                                from->GroupHeader->Height, from->GroupHeader->Visible);
        copyElements(from->GroupHeader, to->GroupHeader);
        copyElements(from->GroupFooter, to->GroupFooter);
    }
    for (int i = 0; i < o.Functions.count(); ++i)
        Functions.append(std::make_unique<TRadekFunkce>(*o.Functions.at(i)));
    Predloha = o.Predloha;
    Context.PageSetup = o.Context.PageSetup;
    Popis = o.Popis;
    FormatVersion = o.FormatVersion;
    FormatRevision = o.FormatRevision;
    FormatLevel = o.FormatLevel;
    IsDetail = o.IsDetail;
    TemplateDir = o.TemplateDir;
    Details = o.Details;
    for (int k = 0; k < kFixedSections; ++k)
        setSectionFlags(k, o.sectionFlags(k));
    FieldNames = o.FieldNames;
    FieldLabels = o.FieldLabels;
    FieldPlaceholders = o.FieldPlaceholders;
    Parametry = o.Parametry;
    Columns = o.Columns;
    ColumnGap = o.ColumnGap;
    ColumnReserve = o.ColumnReserve;
    CharacterMode = o.CharacterMode;
    GridX = o.GridX;
    GridY = o.GridY;
    LineHeightCode = o.LineHeightCode;
    PitchCode = o.PitchCode;
    CharWidth = o.CharWidth;
    LineHeight = o.LineHeight;
    ShowGrid = o.ShowGrid;
    SnapToGrid = o.SnapToGrid;
    UnitsIndex = o.UnitsIndex;
    OwnBackground = o.OwnBackground;
    PrintOwnBackground = o.PrintOwnBackground;
    BackgroundPlaced = o.BackgroundPlaced;
    BackgroundLeft = o.BackgroundLeft;
    BackgroundTop = o.BackgroundTop;
    BackgroundWidth = o.BackgroundWidth;
    BackgroundHeight = o.BackgroundHeight;
    BackgroundFile = o.BackgroundFile;
    Background = o.Background;
    PrintBackground = o.PrintBackground;
    AllowNullValues = o.AllowNullValues;
}

void TSestavaModel::SetFieldNames(const QStringList &names)
{
    FieldNames = names;
    FieldPlaceholders.clear();
    for (int i = 0; i < names.size(); ++i)
        FieldPlaceholders << QStringLiteral("Položka %1").arg(i + 1);
}

void TSestavaModel::UpdateCharacterMetrics()
{
    if (!CharacterMode) {
        CharWidth = 0.0;
        LineHeight = 0.0;
        return;
    }
    CharWidth = PitchCode == 1 ? 100.0 / 12.0 : PitchCode == 2 ? 6.0 : 10.0;
    LineHeight = LineHeightCode == 1 ? 25.0 : LineHeightCode == 2 ? 100.0 / 3.0 : 100.0 / 6.0;
    GridX = int(CharWidth);
    GridY = int(LineHeight);
}

QRect TSestavaModel::backgroundRect() const
{
    const TPageSetup &ps = Context.PageSetup;
    return QRect(BackgroundLeft, BackgroundTop,
                 BackgroundWidth ? BackgroundWidth : ps.sheetWidth(),
                 BackgroundHeight ? BackgroundHeight : ps.sheetHeight());
}

QString TSestavaModel::FieldName(int n) const
{
    return n >= 0 && n < FieldNames.size() ? FieldNames.at(n) : QString::number(n);
}

int TSestavaModel::FieldIndex(const QString &name) const
{
    for (int i = 0; i < FieldNames.size(); ++i)
        if (FieldNames.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString TSestavaModel::FieldLabel(int n) const
{
    return n >= 0 && n < FieldLabels.size() ? FieldLabels.at(n) : QString();
}

QString TSestavaModel::FieldText(int n) const
{
    return n >= 0 && n < FieldPlaceholders.size() ? FieldPlaceholders.at(n)
                                                   : QStringLiteral("Položka ?");
}

TCalcType TSestavaModel::FieldValue(int n) const
{
    TCalcType v;
    v.Text = FieldText(n);
    return v;
}

TCalcType TSestavaModel::SystemValue(int index) const
{
    TCalcType v;
    v.Kind = TCalcType::KindNumber;
    auto integer = [&v](int n) {
        v.Number = n;
        v.Text = QString::number(n);
    };
    if (index == 0 || index == 1) {
        v.Number = RunStart;
        v.Text = index == 0 ? shortDateText(RunStart) : timeText(RunStart);
    } else if (index == 2) {
        integer(LineNumber);
    } else if (index == 3) {
        integer(PageNumber);
    } else if (index == 4) {
        integer(TotalPages);
    } else if (index >= 5) {
        const TPolSkup *g = Groups.at((index - 5) / 2);
        integer(!g ? 0 : ((index - 5) % 2 == 0 ? g->LineInGroup : g->GroupNumber));
    } else {
        integer(0);
    }
    return v;
}

bool TSestavaModel::LoadPicture(const QString &name, QImage &picture)
{
    picture = QImage();
    if (name.isEmpty())
        return false;
    QString path = QDir(TemplateDir.isEmpty() ? QStringLiteral(".") : TemplateDir).filePath(name);
    if (!QFileInfo(path).isFile())
        path = name;
    if (!QFileInfo(path).isFile())
        return false;
    return picture.load(path);
}

TCalcType TSestavaModel::ReferenceValue(QChar prefix, int number)
{
    if (number <= 0)
        return TCalcType();
    const int n = number - 1;
    switch (prefix.unicode()) {
    case '#':
        return FieldValue(n);
    case '&': {
        if (n >= Parametry.size())
            return TCalcType();
        TCalcType v;
        v.Kind = TCalcType::KindText;
        v.Text = Parametry.at(n);
        v.Number = StrToNum(v.Text);
        return v;
    }
    case '@': {
        const TRadekFunkce *f = Functions.at(n);
        return f ? f->Value : TCalcType();
    }
    case '%':
        return SystemValue(n);
    default:
        return TCalcType();
    }
}

int TSestavaModel::ReferenceNumber(QChar prefix, const QString &name)
{
    if (prefix == u'#')
        return FieldIndex(name) + 1;
    if (prefix == u'@')
        return Functions.FindByName(name) + 1;
    return 0;
}

} // namespace orv
