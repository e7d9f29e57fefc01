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
    const int row = RoundEven(rect.top() * LinesPerInch / 100.0) + lineOffset;
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

void TZnakovePole::PlaceItems(const TStranaPrvku &page)
{
    for (const auto &item : page.Items) {
        const TSiReportElement *e = item->Element;
        if (!e || !item->Lines)
            continue;
        const int kind = e->Kind;
        const bool text = kind == ekText || (kind >= ekFieldLabel && kind <= ekFunction)
            || (kind == ekField && !item->HasPicture);
        if (!text)
            continue;
        const QRect rect(item->Left + Offset.x(), item->Top + Offset.y(), item->Width,
                         item->Height);
        const int size = FontSizeOf(e->Font);
        const int last = std::min(item->LastLine, item->Lines->count() - 1);
        for (int i = std::max(0, item->FirstLine); i <= last; ++i)
            Place(rect, LineText((*item->Lines)[i]), e->Alignment, e->Font.Style & 7, size,
                  i - item->FirstLine);
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
