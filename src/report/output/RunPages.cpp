// The report run's page logic (page footers and numbers, new pages, columns, printing a section)
// and its records (group keys, one record after another, the end of the report); the rest of
// the run is in Run.cpp.

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

// ====================================================================== page logic

void TSestavaTyp::pageFooter(int offset)
{
    if (IsDetail)
        return;
    TOddilSestavy *pf = section(skPageFooter);
    if (!pf->Visible || (m_store->BasePage >= 1 && FooterOnFirstPageOnly))
        return;
    int y = m_store->BodyHeight - pageFooterHeight();
    int p = m_store->PageOffset + offset;
    printSection(pf, y, p);
}

void TSestavaTyp::nextPageNumber()
{
    if (IsDetail)
        return;
    ++PageNumber;
    for (TSiReportElement *e : m_variables)
        e->Value = SystemValue(e->SourceIndex);
}

void TSestavaTyp::newPage(bool keepBase, int offset)
{
    TSestVystup &st = *m_store;
    if (!keepBase) {
        ++st.BasePage;
        st.CursorY = 0;
    }
    int printed = 0;
    if (IsDetail) {
        printed = pageHeaderHeight();
    } else {
        TOddilSestavy *ph = section(skPageHeader);
        if (ph->Visible && !NoHeaderAfterBreak) {
            int y = 0;
            int p = st.PageOffset + offset;
            printSection(ph, y, p);
            printed = y;
        }
    }
    if (!keepBase)
        st.CursorY = printed;
}

void TSestavaTyp::returnToFirstColumn()
{
    TSestVystup &st = *m_store;
    if (st.Column > 1) {
        st.Column = 1;
        st.ColumnX = 0;
        st.CursorY += section(skBody)->effectiveHeight();
    }
}

void TSestavaTyp::advanceAfter(TOddilSestavy *s, int &y)
{
    TSestVystup &st = *m_store;
    if (multiColumnBody(s)) {
        if (st.Column < Columns) {
            ++st.Column;
            st.ColumnX += (pageSetup().printableWidth() + ColumnGap) / Columns;
        } else {
            st.Column = 1;
            st.ColumnX = 0;
            st.CursorY += s->effectiveHeight();
        }
        return;
    }
    if (s->Kind == skPageFooter)
        return;
    y += s->Height;
    if (CharacterMode && LineHeight > 0) {
        const double lines = std::nearbyint(y / LineHeight);
        y = int(std::nearbyint(lines * LineHeight));
    }
}

void TSestavaTyp::printSection(TOddilSestavy *s, int &y, int &p)
{
    processMessages();
    if (StopRequested || !s->Visible)
        return;
    if (s->Kind == skPageHeader)
        PageBreakRequest = false;
    bool print = true;
    DoPrintSection(s, print);
    if (!print)
        return;
    const bool exempt = s->Kind == skPageHeader || s->Kind == skPageFooter
                        || (s->Kind == skReportHeader && !IsDetail)
                        || (s->Kind == skReportFooter && NoFooterOnLastPage);
    if (!exempt && (PageBreakRequest || remaining(y) < s->Height)) {
        // The request is answered by this break even when no page header follows to clear it;
        // otherwise every later section would start a page of its own.
        PageBreakRequest = false;
        pageFooter(0);
        nextPageNumber();
        if (!StopRequested)
            newPage(false, 0);
    }
    if (StopRequested)
        return;

    if (s->Kind == skPageHeader || s->Kind == skPageFooter) {
        printElements(allElements(*s), y, p);
        advanceAfter(s, y);
        return;
    }

    TPosuvy bands(s->Height);
    if (!multiColumnBody(s)) {
        // A stretching element no band takes is printed with the fixed ones below.
        for (const auto &ep : s->Elements) {
            TSiReportElement *e = ep.get();
            const bool stretches = (isTextKind(e->Kind) && e->hasVariableHeight())
                                   || (s->Kind == skBody && e->Kind == ekDetail);
            if (stretches)
                bands.Add(e);
        }
    }
    if (bands.isEmpty()) {
        printElements(allElements(*s), y, p);
        advanceAfter(s, y);
        return;
    }

    // Fixed elements by segment, in template order.
    std::unordered_set<const TSiReportElement *> banded;
    for (const TPosuv &b : bands.Bands)
        banded.insert(b.Elements.begin(), b.Elements.end());
    std::vector<std::vector<TSiReportElement *>> segments(size_t(bands.segmentCount()));
    for (const auto &ep : s->Elements) {
        TSiReportElement *e = ep.get();
        if (!banded.count(e))
            segments[size_t(bands.SegmentOf(e->Top))].push_back(e);
    }
    for (int i = 0; i < bands.segmentCount(); ++i) {
        const int start = bands.SegmentStart(i);
        if (remaining(y) < start + bands.SegmentHeight(i) && !cancelled()) {
            pageFooter(0);
            ++p;
            nextPageNumber();
            newPage(true, 0);
            y = pageHeaderHeight() - start;
        }
        printElements(segments[size_t(i)], y, p);
        if (i >= bands.bandCount())
            break;
        int maxPage = p, maxY = y;
        for (TSiReportElement *e : bands.Bands[size_t(i)].Elements) {
            int ey = y + e->Top;
            int ep = p;
            if (e->Kind == ekDetail)
                placeDetail(*e, ey, ep);
            else
                printGrowing(*e, ey, ep);
            if (ep > maxPage) {
                maxPage = ep;
                maxY = ey;
            } else if (ep == maxPage) {
                maxY = std::max(maxY, ey);
            }
        }
        for (int k = p; k < maxPage; ++k) {
            pageFooter(k - p);
            nextPageNumber();
            newPage(true, k - p + 1);
        }
        if (maxPage > p) {
            p = maxPage;
            y = maxY;
        } else {
            y = std::max(y, maxY);
        }
    }
    advanceAfter(s, y);
}

// ====================================================================== records

void TSestavaTyp::storeGroupKeys(const std::vector<QString> &keys)
{
    for (int g = 0; g < Groups.count(); ++g)
        Groups.at(g)->CurrentKey = keys[size_t(g)];
    for (int g = 0; g < Groups.count(); ++g) {
        TPolSkup *grp = Groups.at(g);
        ++grp->LineInGroup;
        if (grp->Changed) {
            grp->LineInGroup = 1;
            ++grp->GroupNumber;
            if (g > 0 && Groups.at(g - 1)->Changed)
                grp->GroupNumber = 1;
        }
    }
}

void TSestavaTyp::recordProcessing()
{
    const int n = Groups.count();
    std::vector<QString> keys(static_cast<size_t>(n));
    for (int g = 0; g < n; ++g) {
        const TEvalResult r = m_groupExpressions[size_t(g)].evaluate(this);
        keys[size_t(g)] = r.ok() ? r.Value.Text : QString();
        if (!r.ok())
            runProblem(Groups.at(g), failure(QStringLiteral("Výraz skupiny %1").arg(g + 1),
                                             Groups.at(g)->Expression, r));
    }
    int changed = -1;
    for (int g = 0; g < n; ++g)
        if (keys[size_t(g)] != Groups.at(g)->CurrentKey) {
            changed = g;
            break;
        }
    bool groupNewPage = false;
    int needed = 0;
    if (changed >= 0) {
        for (int g = changed; g < n; ++g)
            Groups.at(g)->Changed = true;
        if (Columns > 1)
            returnToFirstColumn();
        for (int g = n - 1; g >= changed; --g) {
            TPolSkup *grp = Groups.at(g);
            if (grp->GroupFooter->Visible)
                printSectionAtCursor(grp->GroupFooter);
            Functions.MarkReset(rlGroupBase + g);
            if (grp->NewPage)
                groupNewPage = true;
            needed += grp->GroupHeader->effectiveHeight();
        }
    }
    const bool pageBreak = groupNewPage || NewPagePerRecord
                           || remaining(m_store->CursorY) < section(skBody)->effectiveHeight() + needed;
    if (pageBreak) {
        pageFooter(0);
        ++LineNumber;
        nextPageNumber();
        storeGroupKeys(keys);
        evaluateSectionValues(false, false);
        Functions.MarkReset(rlPage);
        Functions.ComputeAll(this);
        DoComputeFunctions();
        evaluateBarcodes(false, false);
        if (!StopRequested && !cancelled())
            newPage(false, 0);
    } else {
        ++LineNumber;
        storeGroupKeys(keys);
        evaluateSectionValues(false, false);
        Functions.ComputeAll(this);
        DoComputeFunctions();
        evaluateBarcodes(false, false);
    }
    if (changed >= 0) {
        for (int g = changed; g < n; ++g) {
            TPolSkup *grp = Groups.at(g);
            grp->Changed = false;
            if (grp->GroupHeader->Visible)
                printSectionAtCursor(grp->GroupHeader);
        }
    }
    if (EndPage < m_store->BasePage + 1)
        StopRequested = true;
}

void TSestavaTyp::endOfReport()
{
    TSestVystup &st = *m_store;
    TOddilSestavy *rf = section(skReportFooter);
    TOddilSestavy *pf = section(skPageFooter);
    const bool lastFooter = !NoFooterOnLastPage && !FooterOnFirstPageOnly && pf->Visible;
    if (rf->Visible) {
        if (m_final && ReportFooterAtBottom) {
            const int target = st.BodyHeight - rf->Height - (lastFooter ? pf->Height : 0);
            if (target < st.CursorY) {
                pageFooter(0);
                nextPageNumber();
                if (!StopRequested)
                    newPage(false, 0);
            }
            st.CursorY = target;
        }
        printSectionAtCursor(rf);
    }
    if (m_final) {
        if (lastFooter) {
            st.CursorY = st.BodyHeight - pf->Height;
            printSectionAtCursor(pf);
        }
        const int pages = st.PageCount();
        TRadky lines;
        // Every page shows the same count: an element is laid out once and its lines are
        // copied to the items of the other pages.
        std::vector<std::pair<const TSiReportElement *, const TRadky *>> laidOut;
        for (const TPendingPageCount &pending : m_pendingPageCount) {
            if (!st.HoldsItem(pending.Page, pending.Item))
                continue;   // its page was cut off with the page range
            TVystPrvek *item = pending.Item;
            TSiReportElement &e = *item->Element;
            const auto done = std::find_if(laidOut.begin(), laidOut.end(),
                                           [&](const auto &l) { return l.first == &e; });
            if (done != laidOut.end()) {
                item->Lines = std::make_unique<TRadky>(*done->second);
                item->FirstLine = 0;
                item->LastLine = item->Lines->count() - 1;
            } else {
                e.Value.Kind = TCalcType::KindNumber;
                e.Value.Number = pages;
                e.Value.Text = QString::number(pages);
                layoutInto(e, false, lines);
                int h = 0, last = -1;
                LinesThatFit(lines, 0, e.Height, h, last);
                giveLines(*item, lines, 0, std::max(last, 0));
                laidOut.emplace_back(&e, item->Lines.get());
            }
            item->Pinned = false;
        }
    }
    m_pendingPageCount.clear();
}

} // namespace orv
