// The report run: records stepped through the data link, groups, report functions, the page
// logic, columns, stretch bands, growing texts and detail reports, filling the output store.
// The page logic and the stepping through the records are in RunPages.cpp.

#include "report/model/CaughtException.h"
#include "report/model/Expression.h"
#include "report/model/ExpressionEditor.h"
#include "report/model/NumberFormat.h"
#include "report/model/PageSetup.h"
#include "report/model/Posuvy.h"
#include "report/model/SestavaMessages.h"
#include "report/model/TextLayout.h"
#include "report/output/PrinterMetrics.h"
#include "report/output/RunDetail.h"
#include "report/output/Sestava.h"

#include <QDateTime>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <optional>
#include <unordered_set>

namespace orv {

using run_detail::allElements;
using run_detail::failure;
using run_detail::giveLines;

std::vector<TSiReportElement *> run_detail::allElements(const TOddilSestavy &s)
{
    std::vector<TSiReportElement *> v;
    v.reserve(s.Elements.size());
    for (const auto &e : s.Elements)
        v.push_back(e.get());
    return v;
}

namespace {

// A variable's number format with one integer argument: "%d" with optional flags, width
// and precision ("Strana %d", "%3d", "%.4d"); "%%" is a percent sign. Anything the format
// cannot take gives the number's own text.
QString formatInteger(const QString &format, qint64 n)
{
    QString out;
    bool used = false;
    for (int i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c != u'%') {
            out += c;
            continue;
        }
        if (i + 1 < format.size() && format.at(i + 1) == u'%') {
            out += u'%';
            ++i;
            continue;
        }
        int j = i + 1;
        bool left = false;
        while (j < format.size() && format.at(j) == u'-') {
            left = true;
            ++j;
        }
        int width = 0;
        while (j < format.size() && format.at(j).isDigit())
            width = std::min(width * 10 + format.at(j++).digitValue(), 255);
        int precision = -1;
        if (j < format.size() && format.at(j) == u'.') {
            ++j;
            precision = 0;
            while (j < format.size() && format.at(j).isDigit())
                precision = std::min(precision * 10 + format.at(j++).digitValue(), 255);
        }
        if (j >= format.size() || used)
            return QString::number(n);
        const QChar conv = format.at(j).toLower();
        QString digits;
        if (conv == u'd' || conv == u'u') {
            digits = QString::number(n < 0 ? -n : n);
        } else if (conv == u'x') {
            digits = QString::number(n, 16).toUpper();
        } else if (conv == u's') {
            digits = QString::number(n);
        } else {
            return QString::number(n);
        }
        if (precision > digits.size())
            digits = QString(precision - digits.size(), u'0') + digits;
        if (n < 0 && (conv == u'd' || conv == u'u'))
            digits.prepend(u'-');
        if (digits.size() < width)
            digits = left ? digits + QString(width - digits.size(), u' ')
                          : QString(width - digits.size(), u' ') + digits;
        out += digits;
        used = true;
        i = j;
    }
    return out;
}

TTextFont layoutFont(const TElementFont &f)
{
    TTextFont t;
    t.Name = f.Name;
    t.Size = f.Size;
    t.Color = quint32(f.Color);
    t.Bold = f.bold();
    t.Italic = f.italic();
    t.Underline = f.underline();
    t.Strikeout = f.strikeOut();
    t.Charset = f.Charset;
    return t;
}

bool isRomanFont(const QString &name)
{
    return name.startsWith(QStringLiteral("Roman "));
}

} // namespace

// ====================================================================== helpers

void TSestavaTyp::runProblem(const void *key, const QString &text)
{
    TSestavaTyp *top = this;
    while (TSestavaTyp *m = top->masterReport())
        top = m;
    if (top->m_problemKeys.insert(key).second)
        top->RunProblems << text;
}

QString TSestavaTyp::describeElement(const TSiReportElement &e) const
{
    for (int i = 0; i < Sections.count(); ++i)
        for (const auto &ep : Sections.at(i)->Elements)
            if (ep.get() == &e)
                return QStringLiteral("prvek v oddílu „%1“ na [%2; %3]")
                    .arg(Sections.at(i)->caption())
                    .arg(e.Left)
                    .arg(e.Top);
    return QStringLiteral("prvek na [%1; %2]").arg(e.Left).arg(e.Top);
}

QString run_detail::failure(const QString &what, const QString &expression, const TEvalResult &r)
{
    return QStringLiteral("%1 „%2“: %3 na pozici %4")
        .arg(what, expression, expressionErrorText(r.Error))
        .arg(r.Position + 1);
}

// Fields and labels named in the template are bound to the data's columns by name at every
// run, so a query whose columns moved still prints the right ones; a name the data lacks is
// a problem, not the first column.
void TSestavaTyp::checkFieldBindings()
{
    const int fields = FieldCount();
    if (fields <= 0)
        return;
    for (int i = 0; i < Sections.count(); ++i)
        for (const auto &ep : Sections.at(i)->Elements) {
            TSiReportElement &e = *ep;
            if (e.Kind != ekField && e.Kind != ekFieldLabel)
                continue;
            if (!e.SourceName.isEmpty()) {
                const int n = FieldIndex(e.SourceName);
                // Past the list the element prints the placeholder "Položka ?", never the
                // first column in the missing one's place.
                e.SourceIndex = n >= 0 ? n : fields;
                if (n < 0)
                    runProblem(&e, QStringLiteral("Položka „%1“ v datech sestavy není (%2)")
                                       .arg(e.SourceName, describeElement(e)));
            } else if (e.SourceIndex < 0 || e.SourceIndex >= fields) {
                runProblem(&e, QStringLiteral("Položka číslo %1 v datech sestavy není (%2)")
                                   .arg(e.SourceIndex + 1)
                                   .arg(describeElement(e)));
            }
        }
}

bool TSestavaTyp::cancelled() const
{
    return m_cancelFlag && *m_cancelFlag;
}

void TSestavaTyp::processMessages()
{
    if (m_progress) {
        m_progress->processEvents();
        if (m_progress->cancelled() && m_cancelFlag)
            *m_cancelFlag = true;
    }
}

int TSestavaTyp::pageHeaderHeight() const
{
    if (IsDetail && masterReport())
        return masterReport()->pageHeaderHeight();
    return section(skPageHeader)->effectiveHeight();
}

int TSestavaTyp::pageFooterHeight() const
{
    if (IsDetail && masterReport())
        return masterReport()->pageFooterHeight();
    if (m_store->BasePage > 0 && FooterOnFirstPageOnly)
        return 0;
    return section(skPageFooter)->effectiveHeight();
}

int TSestavaTyp::remaining(int y) const
{
    return m_store->BodyHeight - pageFooterHeight() - y;
}

// ====================================================================== element values

void TSestavaTyp::reloadPicture(TSiReportElement &e)
{
    // The list may name fields; a picture that is already the first loadable candidate
    // is not read from disk again for every record.
    const QStringList candidates = SplitList(this, e.Text);
    for (const QString &name : candidates) {
        if (name == e.PictureFileName && !e.Picture.isNull())
            return;
        QImage img;
        if (LoadPicture(name, img)) {
            e.Picture = img;
            e.PictureFileName = name;
            return;
        }
    }
    e.Picture = QImage();
    e.PictureFileName.clear();
}

void TSestavaTyp::evaluateSectionValues(bool withHeader, bool withFooter)
{
    for (int i = 0; i < Sections.count(); ++i) {
        TOddilSestavy *s = Sections.at(i);
        if ((s->Kind == skReportHeader && !withHeader) || (s->Kind == skReportFooter && !withFooter))
            continue;
        for (const auto &ep : s->Elements) {
            TSiReportElement &e = *ep;
            switch (e.Kind) {
            case ekField:
                e.Value = FieldValue(e.SourceIndex);
                if (isPictureType(FieldDataType(e.SourceIndex))) {
                    QImage img;
                    FieldPicture(e.SourceIndex, img);
                    e.Picture = img;
                    e.PictureFileName.clear();
                }
                break;
            case ekVariable:
                e.Value = SystemValue(e.SourceIndex);
                break;
            case ekPicture:
                reloadPicture(e);
                break;
            default:
                break;
            }
        }
    }
}

void TSestavaTyp::evaluateBarcodes(bool withHeader, bool withFooter)
{
    for (int i = 0; i < Sections.count(); ++i) {
        TOddilSestavy *s = Sections.at(i);
        if ((s->Kind == skReportHeader && !withHeader) || (s->Kind == skReportFooter && !withFooter))
            continue;
        for (const auto &ep : s->Elements)
            if (ep->Kind == ekBarcode)
                ep->Value.Text = SplitList(this, ep->Text).value(0);
    }
}

QString TSestavaTyp::elementText(TSiReportElement &e)
{
    try {
        switch (e.Kind) {
        case ekText:
            return e.Text;
        case ekField:
            return e.Value.Text;
        case ekFieldLabel:
            return FieldLabel(e.SourceIndex);
        case ekParameter:
            return Parametry.value(e.SourceIndex);
        case ekVariable:
            if (e.Text.isEmpty())
                return e.Value.Text;
            if (e.SourceIndex == 0 || e.SourceIndex == 1)
                return formatDateTimePicture(e.Value.Number, e.Text);
            return formatInteger(e.Text, qint64(std::llround(e.Value.Number)));
        case ekFunction:
            return Functions.DisplayText(e.SourceIndex);
        case ekBarcode:
            return e.Value.Text;
        default:
            return QString();
        }
    } catch (...) {
        logCaughtException("elementText");
        return QStringLiteral("????");
    }
}

bool TSestavaTyp::elementPrints(TSiReportElement &e)
{
    bool prints = true;
    if (!e.Condition.isEmpty()) {
        // Conditions are parsed once per run.
        auto found = m_conditions.find(&e);
        if (found == m_conditions.end())
            found = m_conditions.emplace(&e, TExpression(e.Condition)).first;
        const TExpression *x = &found->second;
        const TEvalResult r = x->evaluate(this);
        prints = r.ok() && r.Value.Number > 0;
        if (!r.ok())
            runProblem(&e, failure(QStringLiteral("Podmínka tisku (%1)").arg(describeElement(e)),
                                   e.Condition, r));
    }
    if (e.HandlerEnabled)
        DoPrintElement(&e, prints);
    return prints;
}

// Lays the element's text out; the caller decides which lines the item gets.
void TSestavaTyp::layoutInto(TSiReportElement &e, bool growing, TRadky &lines)
{
    const QString text = elementText(e);
    TTextFont font = layoutFont(e.Font);
    double letterSpacing = e.LetterSpacing;
    double lineHeight = growing ? 0.0 : LineHeight;
    if (isRomanFont(e.Font.Name)) {
        const int cpi = RomanFontCpi(e.Font.Name);
        ReplaceRomanFont(font);
        letterSpacing = 100.0 / (cpi > 0 ? cpi : 10);
        lineHeight = 100.0 / 6.0;
    }
    bool wrap = growing || e.isMultiLine();
    if (e.Kind == ekField && isMemoType(FieldDataType(e.SourceIndex)))
        wrap = true;
    lines.clear();
    LayoutText(*m_canvas, QRect(0, 0, e.Width, e.Height), text, lines, wrap, lineHeight,
               letterSpacing, e.effectiveAlignment(), font, e.isRtf());
}

void run_detail::giveLines(TVystPrvek &item, TRadky &lines, int first, int last)
{
    auto own = std::make_unique<TRadky>();
    if (first <= last && first >= 0 && last < lines.count()) {
        if (first == 0 && last == lines.count() - 1) {
            own->Lines = std::move(lines.Lines);
            lines.Lines.clear();
        } else {
            own->Lines.assign(std::make_move_iterator(lines.Lines.begin() + first),
                              std::make_move_iterator(lines.Lines.begin() + last + 1));
        }
    }
    item.Lines = std::move(own);
    item.FirstLine = 0;
    item.LastLine = item.Lines->count() - 1;
}

void TSestavaTyp::printElements(const std::vector<TSiReportElement *> &elements, int y, int p)
{
    TRadky lines;
    for (auto it = elements.rbegin(); it != elements.rend(); ++it) {
        TSiReportElement &e = **it;
        if (!isKnownKind(e.Kind) || e.Kind == ekDetail)
            continue;
        auto item = std::make_unique<TVystPrvek>(&e, m_store->ColumnX + e.Left, y + e.Top,
                                                 e.Width, e.Height);
        if (!elementPrints(e))
            continue;
        if (isTextKind(e.Kind) || e.Kind == ekBarcode) {
            layoutInto(e, false, lines);
            if (e.hasVariableHeight() && Columns <= 1) {
                giveLines(*item, lines, 0, lines.count() - 1);
            } else {
                int h = 0, last = -1;
                LinesThatFit(lines, 0, e.Height, h, last);
                giveLines(*item, lines, 0, std::max(last, 0));
            }
        }
        if (e.Kind == ekField && isPictureType(FieldDataType(e.SourceIndex))) {
            if (!e.PictureFileName.isEmpty())
                item->SetPictureFile(e.PictureFileName);
            else
                item->SetPicture(e.Picture);
        } else if (e.Kind == ekPicture) {
            if (e.PictureFileName.isEmpty())
                continue;   // none of its files could be loaded: nothing is printed
            item->SetPictureFile(e.PictureFileName);
            if (e.Flags & efPassPicture)
                item->Picture = e.Picture;
        } else if (e.Kind == ekPaintBox) {
            const int scale = std::clamp(e.BrushStyle, 1, 6);
            const int w = std::max(1, scale * e.Width - 1), h = std::max(1, scale * e.Height - 1);
            QImage picture(w, h, QImage::Format_ARGB32_Premultiplied);
            picture.fill(Qt::transparent);
            {
                QPainter painter(&picture);
                DoPaintBox(e.SourceIndex, scale * e.Width, scale * e.Height, painter);
            }
            e.Picture = picture;
            item->SetPicture(picture);
        } else if (e.Kind == ekVariable && e.SourceIndex == 4) {
            // Filled in at the end. The pinned item stays as it is while its page is packed.
            item->Pinned = true;
            m_pendingPageCount.push_back({m_store->BasePage + p, item.get()});
        }
        m_store->AddItem(std::move(item), m_store->BasePage + p);
    }
}

void TSestavaTyp::printGrowing(TSiReportElement &e, int &y, int &page)
{
    if (!elementPrints(e))
        return;
    auto item = std::make_unique<TVystPrvek>(&e, m_store->ColumnX + e.Left, y, e.Width, e.Height);
    TRadky lines;
    layoutInto(e, true, lines);
    int h = TotalHeight(lines);
    if (h > e.Height && h > remaining(y)) {
        int hh = 0, last = -1;
        LinesThatFit(lines, 0, remaining(y), hh, last);
        TRadky rest;
        rest.Lines = std::move(lines.Lines);
        giveLines(*item, rest, 0, last);
        item->Height = hh;
        m_store->AddItem(std::move(item), m_store->BasePage + page);
        int next = last + 1;
        const int phh = pageHeaderHeight();
        while (next < rest.count() && !cancelled()) {
            ++page;
            y = phh;
            LinesThatFit(rest, next, remaining(phh), hh, last);
            if (last < next) {
                // A line taller than the space between header and footer: it goes on a page
                // of its own rather than never being placed.
                last = next;
                hh = rest[next].RowHeight / 72;
            }
            auto piece = std::make_unique<TVystPrvek>(&e, e.Left, y, e.Width, hh);
            giveLines(*piece, rest, next, last);
            m_store->AddItem(std::move(piece), m_store->BasePage + page);
            h = hh;
            next = last + 1;
        }
    } else if (h > e.Height) {
        giveLines(*item, lines, 0, lines.count() - 1);
        item->Height = h;
        m_store->AddItem(std::move(item), m_store->BasePage + page);
    } else {
        giveLines(*item, lines, 0, lines.count() - 1);
        m_store->AddItem(std::move(item), m_store->BasePage + page);
    }
    y = y + h - e.Top - e.Height;
}

void TSestavaTyp::placeDetail(TSiReportElement &e, int &y, int &page)
{
    TSestDetail *d = e.SourceIndex >= 0 && e.SourceIndex < m_details.size()
                         ? m_details.at(e.SourceIndex) : nullptr;
    // Details whose masters lead back to them would never end; such a chain is cut off. The
    // depth counts this chain only: another report run meanwhile counts its own.
    if (!d || m_detailDepth >= kMaxDetailDepth)
        return;
    TSestVystup &st = *m_store;
    const int savedCursor = st.CursorY, savedOffset = st.PageOffset, savedBase = st.BasePage;
    st.CursorY = y;
    st.PageOffset = page;
    d->m_store = m_store;
    d->m_canvas = m_canvas;
    d->m_progress = m_progress;
    d->m_cancelFlag = m_cancelFlag;
    const int detailsDepth = d->m_detailDepth;
    d->m_detailDepth = m_detailDepth + 1;
    {
        // The detail lets go of everything it borrowed, also when a handler throws.
        struct Lend {
            TSestDetail *d;
            int depth;
            ~Lend()
            {
                d->m_store = &d->Vystup;
                d->m_canvas = nullptr;
                d->m_progress = nullptr;
                d->m_cancelFlag = nullptr;
                d->m_detailDepth = depth;
            }
        } lend{d, detailsDepth};
        d->Run(false);
    }
    page = st.BasePage + st.PageOffset - savedBase;
    y = st.CursorY - e.Height - e.Top;
    st.CursorY = savedCursor;
    st.PageOffset = savedOffset;
    st.BasePage = savedBase;
}

// ====================================================================== Run
// Before the first record: counters, the store of a final run, the group keys, the
// functions' starting values and the values of the first sections.
void TSestavaTyp::prepareRun(bool noRecords)
{
    PageBreakRequest = false;

    TSestVystup &st = *m_store;
    if (m_final) {
        st.Clear();
        st.BasePage = 0;
        st.BodyHeight = pageSetup().printableHeight();
        st.CursorY = 0;
        st.PageOffset = 0;
        st.ColumnX = 0;
        st.Column = 1;
    }

    RunStart = dateTimeToSerial(QDateTime::currentDateTime());
    LineNumber = 1;
    PageNumber = 1;
    TotalPages = 0;
    StopRequested = false;
    m_pendingPageCount.clear();
    m_conditions.clear();
    if (!masterReport()) {
        RunProblems.clear();
        m_problemKeys.clear();
    }
    for (int i = 0; i < Functions.count(); ++i) {
        Functions.at(i)->RunError = 0;
        Functions.at(i)->RunErrorPosition = 0;
    }
    checkFieldBindings();
    m_variables.clear();
    for (int i = 0; i < Sections.count(); ++i)
        for (const auto &ep : Sections.at(i)->Elements)
            if (ep->Kind == ekVariable)
                m_variables.push_back(ep.get());
    m_groupExpressions.clear();
    for (int g = 0; g < Groups.count(); ++g) {
        m_groupExpressions.emplace_back(Groups.at(g)->Expression);
        const TEvalResult r = m_groupExpressions.back().evaluate(this);
        Groups.at(g)->CurrentKey = r.ok() ? r.Value.Text : QString();
        if (!r.ok() && !noRecords)
            runProblem(Groups.at(g), failure(QStringLiteral("Výraz skupiny %1").arg(g + 1),
                                             Groups.at(g)->Expression, r));
    }

    Functions.SetSkipNulls(AllowNullValues);
    Functions.MarkReset(-1);
    evaluateSectionValues(true, false);
    if (noRecords)
        Functions.ResetAll();
    else
        Functions.ComputeAll(this);
    DoComputeFunctions();
    evaluateBarcodes(true, false);
}

// The report header, the page header of the first page and the headers of the groups.
void TSestavaTyp::printRunHeaders()
{
    TOddilSestavy *rh = section(skReportHeader);
    TOddilSestavy *ph = section(skPageHeader);
    if (rh->Visible) {
        for (const auto &ep : rh->Elements)
            if (ep->Kind == ekPicture)
                reloadPicture(*ep);
        printSectionAtCursor(rh);
    }
    if (m_final && rh->Visible && BreakAfterReportHeader) {
        if (!StopRequested && !cancelled())
            pageFooter(0);
        nextPageNumber();
        if (!StopRequested && !cancelled())
            newPage(false, 0);
    } else if (!IsDetail && ph->Visible && !NoHeaderOnFirstPage) {
        printSectionAtCursor(ph);
    }
    if (!cancelled())
        for (int g = 0; g < Groups.count(); ++g)
            if (Groups.at(g)->GroupHeader->Visible)
                printSectionAtCursor(Groups.at(g)->GroupHeader);
}

// The body once for every record, with what changes between records (groups, functions,
// page breaks) done before each but the first.
void TSestavaTyp::printRecords(TStepResult step, bool noRecords)
{
    TSestVystup &st = *m_store;
    TOddilSestavy *body = section(skBody);
    do {
        if (!FirstRecord) {
            recordProcessing();
        } else if (remaining(st.CursorY) < body->effectiveHeight()) {
            pageFooter(0);
            nextPageNumber();
            if (!StopRequested && !cancelled())
                newPage(false, 0);
        }
        if (body->Visible)
            printSectionAtCursor(body);
        if (m_final) {
            st.BasePage += st.PageOffset;
            st.PageOffset = 0;
        }
        FirstRecord = false;
        if (!noRecords)
            ++RecordsPrinted;
        if (TiskJedenZaznam || (MaxRecords > 0 && RecordsPrinted >= MaxRecords))
            break;
        step = StepData(sdNext);
        if (m_progress)
            m_progress->setText(QString::fromUtf8(SestavaMessages::Preparing)
                                + QString::number(RecordsPrinted + 1));
        processMessages();
    } while (step == 0 && !StopRequested && !cancelled());
}

// The group footers, the report footer and the end of the report; the store learns the pages
// and copies to print. The result is seCancelled when the run was cancelled, else seOk.
int TSestavaTyp::finishRun()
{
    TSestVystup &st = *m_store;
    if (!cancelled()) {
        if (Columns > 1)
            returnToFirstColumn();
        for (int g = Groups.count() - 1; g >= 0; --g)
            if (Groups.at(g)->GroupFooter->Visible)
                printSectionAtCursor(Groups.at(g)->GroupFooter);
    }
    if (m_final && section(skReportFooter)->Visible && BreakBeforeReportFooter) {
        if (!StopRequested && !cancelled())
            pageFooter(0);
        nextPageNumber();
        if (!StopRequested && !cancelled())
            newPage(false, 0);
    }
    evaluateSectionValues(false, true);
    // Barcodes of the report footer get the last record's value too; left out, they would
    // print whatever the first evaluation gave them, which never includes that footer.
    for (const auto &ep : section(skReportFooter)->Elements)
        if (ep->Kind == ekBarcode)
            ep->Value.Text = SplitList(this, ep->Text).value(0);
    if (!cancelled())
        endOfReport();

    for (int i = 0; i < Functions.count(); ++i) {
        const TRadekFunkce *f = Functions.at(i);
        if (f->RunError != 0) {
            TEvalResult r;
            r.Error = f->RunError;
            r.Position = f->RunErrorPosition;
            runProblem(f, failure(QStringLiteral("Funkce @%1 %2").arg(i + 1).arg(f->Name),
                                  f->Expression, r));
        }
    }
    const bool wasCancelled = cancelled();
    if (m_final && !masterReport() && !RunProblems.isEmpty())
        showSestMessage(TSestMessageKind::Warning, QString::fromUtf8(SestavaMessages::CaptionWarning),
                        QStringLiteral("Sestava obsahuje chyby, které nedovolily vytisknout "
                                       "vše správně:\n")
                            + RunProblems.join(u'\n'));
    if (m_final) {
        st.SetRange(StartPage, EndPage, ExportLanguage, PrintCopies);
        st.CurrentPage = 0;
        m_progress = nullptr;
    }
    return wasCancelled ? seCancelled : seOk;
}

// A run: the steps above between the setting up and the clearing away of what belongs to
// this one run.
int TSestavaTyp::Run(bool final)
{
    // The measuring canvas: resolution 100, no printer needed. A detail measures on its
    // master's canvas.
    std::unique_ptr<TTextCanvas> ownCanvas;
    if (!m_canvas) {
        ownCanvas = std::make_unique<TTextCanvas>(100);
        m_canvas = ownCanvas.get();
    }
    bool ownCancel = false;
    if (!m_cancelFlag)
        m_cancelFlag = &ownCancel;
    m_final = final;
    if (final)
        m_store = &Vystup;
    // The report's handlers evaluate on it; the context before comes back when the run ends.
    const TCurrentReportScope evaluatingOn(this);
    FirstRecord = true;
    RecordsPrinted = 0;

    // Whatever way the run ends, a return or an exception from a handler or the data link,
    // nothing of it stays behind: the canvas, the cancel flag and the progress window die
    // with this frame, and the items waiting for the page count with the store.
    struct RunGuard {
        TSestavaTyp &r;
        bool ownCanvas;
        bool *ownCancel;
        bool final;
        ~RunGuard()
        {
            r.m_pendingPageCount.clear();
            r.m_conditions.clear();
            if (ownCanvas)
                r.m_canvas = nullptr;
            if (r.m_cancelFlag == ownCancel)
                r.m_cancelFlag = nullptr;
            if (final)
                r.m_progress = nullptr;
        }
    } guard{*this, bool(ownCanvas), &ownCancel, final};
    // The report lays out on its own paper, and a printer its handlers select becomes its own;
    // a detail measuring on its master's canvas lays out on the master's pages and keeps the
    // master's context at work.
    std::optional<TReportContextScope> ownContext;
    if (ownCanvas)
        ownContext.emplace(Context);

    TStepResult step = 0;
    // Over no records the page still gets its header, one body with empty values and the
    // footer, but nothing is counted: the functions keep their initial values.
    bool noRecords = false;
    if (TiskJedenZaznam) {
        DoGetData();
    } else {
        step = StepData(sdFirst);
        noRecords = step & srEof;
        if (!final && noRecords)
            return seOk;
    }

    std::unique_ptr<TSestProgress> progress;
    if (final) {
        progress = createSestProgress(QString::fromUtf8(SestavaMessages::CaptionInformation));
        m_progress = progress.get();
        if (m_progress)
            m_progress->setText(QString::fromUtf8(SestavaMessages::Preparing) + u'1');
    }
    prepareRun(noRecords);
    printRunHeaders();
    printRecords(step, noRecords);
    return finishRun();
}

} // namespace orv
