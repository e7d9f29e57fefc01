// The character-cell page and the text files made from it.
#include "report/output/ZnakovePole.h"

#include "core/CodePage.h"
#include "report/model/PageSetup.h"
#include "report/model/TextLayout.h"
#include "report/model/TextLayoutCanvas.h"
#include "report/output/Sestava.h"

#include <QCoreApplication>
#include <QIODevice>

#include <algorithm>
#include <map>

namespace orv {

namespace {
constexpr int kMaxColumns = 255;
}

int TZnakovePole::LinesPerInchOf(int lineSpacing)
{
    return lineSpacing == 1 ? 4 : lineSpacing == 2 ? 3 : 6;
}

int TZnakovePole::PitchOf(int pointSize)
{
    return pointSize > 10 ? 0 : pointSize >= 9 ? 1 : 2;
}

int TZnakovePole::CpiOf(int pitch)
{
    return pitch == 0 ? 10 : pitch == 1 ? 12 : 17;
}

int TZnakovePole::FontSizeOf(const TElementFont &font)
{
    switch (RomanFontCpi(font.Name)) {
    case 0: return font.Size;
    case 12: return 10;
    case 17: return 8;
    default: return 11;
    }
}

void TZnakovePole::Prepare(int pageHeight, int lineSpacing)
{
    LinesPerInch = LinesPerInchOf(lineSpacing);
    Rows.assign(size_t(std::max(0, pageHeight * LinesPerInch / 100)), TZnakovyRadek());
    UsedRows = 0;
}

void TZnakovePole::Clear()
{
    for (TZnakovyRadek &r : Rows)
        for (QString &l : r.Layers)
            l.clear();
    UsedRows = 0;
}

void TZnakovePole::Place(const QRect &rect, const QString &text, int alignment, int style,
                         int size, int lineOffset)
{
    PlaceRow(RoundEven(rect.top() * LinesPerInch / 100.0) + lineOffset, rect, text, alignment,
             style, size);
}

void TZnakovePole::PlaceRow(int row, const QRect &rect, const QString &text, int alignment,
                            int style, int size)
{
    UsedRows = std::max(UsedRows, row + 1);
    if (text.isEmpty())
        return;
    const int pitch = PitchOf(size);
    const int cpi = CpiOf(pitch);
    const int c = int(rect.left() * cpi / 100.0);
    const int w = int(rect.width() * cpi / 100.0);
    const int f = c + w;
    if (f < 0 || row < 0 || row >= int(Rows.size()))
        return;
    QString &layer = Rows[size_t(row)].Layers[size_t(pitch * 8 + (style & 7))];
    const int len = int(text.size());
    int start = c;       // the column of the text's first written character
    int from = 0;        // its index in the text
    int count = 0;
    switch (alignment) {
    case 1:
        count = std::max(1, std::min(len, w));
        from = len - count;
        start = f - count;
        break;
    case 2:
        if (len > w) {
            count = std::max(1, w);
            from = (len - w) / 2;
        } else {
            count = len;
            start = c + (w - len) / 2;
        }
        break;
    default:
        count = std::max(1, std::min(len, w));
        break;
    }
    // A line that runs long is cut at the last column rather than dropped.
    const int end = std::min(std::max(f, start + count), kMaxColumns);
    if (layer.size() < end)
        layer = layer.leftJustified(end, u' ');
    for (int k = 0; k < count; ++k) {
        const int col = start + k;
        if (col < 0)
            continue;
        if (col >= kMaxColumns)
            break;
        layer[col] = text.at(from + k);
    }
}

namespace {

bool isCharacterTextItem(const TVystPrvek &item)
{
    const TSiReportElement *e = item.Element;
    if (!e || !item.Lines)
        return false;
    const int kind = e->Kind;
    return kind == ekText || (kind >= ekFieldLabel && kind <= ekFunction)
           || (kind == ekField && !item.HasPicture);
}

int placedLines(const TVystPrvek &item)
{
    const int last = std::min(item.LastLine, item.Lines->count() - 1);
    return std::max(0, last - std::max(0, item.FirstLine) + 1);
}

} // namespace

std::map<int, int> TZnakovePole::RowsOfTops(const TStranaPrvku &page) const
{
    struct Band {
        int lines = 0;    // the most lines an item starting here places
        int height = 0;   // the tallest item starting here
    };
    std::map<int, Band> bands;
    for (const auto &item : page.Items) {
        if (!isCharacterTextItem(*item))
            continue;
        Band &b = bands[item->Top + Offset.y()];
        b.lines = std::max(b.lines, placedLines(*item));
        b.height = std::max(b.height, item->Height);
    }
    // Rounding every top on its own lets the report's line height and the grid's drift
    // apart: lines of 0.20 inch on a grid of 1/6 inch leave every fifth row blank. So only
    // the first top is placed by its position; each further one follows the one above it,
    // after the lines the items above take when it lies below them, and the gap in whole
    // rows.
    std::map<int, int> rows;
    int row = 0;
    int top = 0;
    Band above;
    for (const auto &[t, b] : bands) {
        if (rows.empty()) {
            row = RoundEven(t * LinesPerInch / 100.0);
        } else {
            const int gap = t - top;
            if (gap >= above.height && above.lines > 0)
                row += above.lines + RoundEven((gap - above.height) * LinesPerInch / 100.0);
            else
                row += std::max(1, RoundEven(gap * LinesPerInch / 100.0));
        }
        rows[t] = row;
        top = t;
        above = b;
    }
    return rows;
}

void TZnakovePole::PlaceItems(const TStranaPrvku &page)
{
    const std::map<int, int> rows = RowsOfTops(page);
    for (const auto &item : page.Items) {
        if (!isCharacterTextItem(*item))
            continue;
        const TSiReportElement *e = item->Element;
        const QRect rect(item->Left + Offset.x(), item->Top + Offset.y(), item->Width,
                         item->Height);
        const int row = rows.at(rect.top());
        const int size = FontSizeOf(e->Font);
        const int last = std::min(item->LastLine, item->Lines->count() - 1);
        for (int i = std::max(0, item->FirstLine); i <= last; ++i)
            PlaceRow(row + i - std::max(0, item->FirstLine), rect, LineText((*item->Lines)[i]),
                     e->Alignment, e->Font.Style & 7, size);
    }
}

QString TZnakovePole::OverlayRow(int row) const
{
    QString out;
    if (row < 0 || row >= int(Rows.size()))
        return out;
    for (const QString &layer : Rows[size_t(row)].Layers) {
        if (layer.isEmpty())
            continue;
        if (out.size() < layer.size())
            out = out.leftJustified(layer.size(), u' ');
        for (int i = 0; i < layer.size(); ++i)
            if (out.at(i) == u' ')
                out[i] = layer.at(i);
    }
    return out;
}

QByteArray ConvertCharacterText(const QString &text, int exportLanguage)
{
    switch (exportLanguage) {
    case slASCII: return encodeCharacterOutput(text, CodePage::Ascii);
    case slCP867: return encodeCharacterOutput(text, CodePage::Kamenicky);
    case slCP852: return encodeCharacterOutput(text, CodePage::Cp852);
    default: return encodeCharacterOutput(text, CodePage::Cp1250);
    }
}

QByteArray TZnakovePole::PageBytes(int exportLanguage, bool isLastPage) const
{
    QByteArray out;
    const int rows = isLastPage ? std::min(UsedRows, int(Rows.size())) : int(Rows.size());
    for (int r = 0; r < rows; ++r) {
        out += ConvertCharacterText(OverlayRow(r), exportLanguage);
        out += "\r\n";
    }
    return out;
}

bool TZnakovePole::WriteToStream(int exportLanguage, bool isLastPage)
{
    if (!m_stream)
        return false;
    const QByteArray bytes = PageBytes(exportLanguage, isLastPage);
    return m_stream->write(bytes) == bytes.size();
}

namespace {

bool aborted(const bool *flag)
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
    return flag && *flag;
}

} // namespace

bool SaveText(TSestVystup &store, QIODevice &stream, int first, int last,
              const bool *abortFlag, int copies)
{
    if (store.PageCount() == 0)
        return true;
    first = std::max(first, 1);
    last = std::min(last, store.PageCount());
    TZnakovePole grid;
    grid.Prepare(store.pageSetup().sheetHeight(), store.LineSpacing);
    grid.AttachStream(&stream);
    bool ok = true;
    for (int copy = 0; ok && copy < std::max(copies, 1); ++copy) {
        for (int p = first; p <= last; ++p) {
            grid.PlaceItems(*store.Page(p - 1));
            if (aborted(abortFlag)) {
                ok = false;
                break;
            }
            if (!grid.WriteToStream(store.ExportLanguage, p == last)) {
                ok = false;
                break;
            }
            grid.Clear();
        }
    }
    grid.DetachStream();
    return ok;
}

QByteArray TextPrinterJob(TSestVystup &store, int first, int last, const bool *abortFlag,
                          bool *wasAborted)
{
    QByteArray job;
    if (wasAborted)
        *wasAborted = false;
    first = std::max(first, 1);
    last = std::min(last, store.PageCount());
    TZnakovePole grid;
    grid.Prepare(store.pageSetup().sheetHeight(), store.LineSpacing);
    for (int p = first; p <= last; ++p) {
        if (p > first)
            job += '\f';
        grid.PlaceItems(*store.Page(p - 1));
        if (aborted(abortFlag)) {
            if (wasAborted)
                *wasAborted = true;
            break;
        }
        job += grid.PageBytes(store.ExportLanguage, true);
        grid.Clear();
    }
    return job;
}

} // namespace orv
