#include "report/output/OutputStore.h"

#include "report/model/PageSetup.h"
#include "report/model/SestError.h"
#include "report/output/OutputWriters.h"
#include "report/output/Barcode.h"
#include "report/output/PageCodec.h"
#include "report/output/TolvaCanvas.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace orv {

int RoundEven(double value)
{
    return int(std::nearbyint(value));
}

// ---------------------------------------------------------------- TVystPrvek

TVystPrvek::TVystPrvek(TSiReportElement *element, int left, int top, int width, int height)
    : Element(element), Left(left), Top(top), Width(width), Height(height)
{
}

void TVystPrvek::SetLines(const TRadky &lines)
{
    Lines = std::make_unique<TRadky>();
    CopyLines(*Lines, lines);
    FirstLine = 0;
    LastLine = Lines->count() - 1;
}

void TVystPrvek::SetLineRange(const TRadky &lines, int a, int b)
{
    Lines = std::make_unique<TRadky>();
    CopyLineRange(*Lines, lines, a, b);
    FirstLine = 0;
    LastLine = Lines->count() - 1;
}

void TVystPrvek::SetPicture(const QImage &picture)
{
    Picture = picture;
    PictureFile.clear();
    HasPicture = true;
}

void TVystPrvek::SetPictureFile(const QString &name)
{
    Picture.reset();
    PictureFile = name;
    HasPicture = true;
}

QString TVystPrvek::FirstLineText() const
{
    if (!Lines || Lines->isEmpty())
        return {};
    return LineText((*Lines)[0]);
}

// ---------------------------------------------------------------- TStranaPrvku

namespace {

// The drawing order of a page as a key the items ascend by: higher kinds first, where the
// shapes, pictures and barcodes (7..12) count as one kind and the texts (1..6) as another,
// ordered by their text flags. Among equal keys the later item comes first.
struct ItemKey {
    int Kind;
    int Flags;
    bool operator<(const ItemKey &o) const { return Kind != o.Kind ? Kind > o.Kind : Flags < o.Flags; }
    bool operator==(const ItemKey &o) const = default;
};

ItemKey itemKey(const TVystPrvek &item)
{
    const int k = item.kind();
    if (isTextKind(k))
        return {1, item.Element->TextFlags};
    if (k >= 7 && k <= 12)
        return {7, 0};
    return {k, 0};
}

} // namespace

void TStranaPrvku::Insert(std::unique_ptr<TVystPrvek> item)
{
    if (Items.empty()) {
        item->Layer = LayerCount;
        Items.push_back(std::move(item));
        return;
    }
    // Before the first item whose key is not below the new one's, sharing its layer when the
    // keys are equal; found by a binary search, as a page can hold tens of thousands.
    const ItemKey key = itemKey(*item);
    const auto it = std::partition_point(Items.begin(), Items.end(), [&key](const auto &e) {
        return itemKey(*e) < key;
    });
    if (it == Items.end()) {
        item->Layer = ++LayerCount;
        Items.push_back(std::move(item));
        return;
    }
    item->Layer = itemKey(**it) == key ? (*it)->Layer : ++LayerCount;
    Items.insert(it, std::move(item));
}

void TStranaPrvku::Clear()
{
    Items.clear();
    m_packed.clear();
    m_pictures.clear();
    m_held.clear();
}

// ---------------------------------------------------------------- TSestVystup

TSestVystup::TSestVystup()
{
    takePageSize();
}

TSestVystup::~TSestVystup() = default;

const TPageSetup &TSestVystup::pageSetup() const
{
    return m_pageSetup ? *m_pageSetup : orv::pageSetup();
}

void TSestVystup::takePageSize()
{
    PageWidth = pageSetup().printableWidth();
    PageHeight = pageSetup().printableHeight();
}

void TSestVystup::Clear()
{
    m_recent.clear();
    m_lastUsed = -1;
    m_inOrder = 0;
    m_packedUpTo = 0;
    while (!Pages.empty())
        Pages.pop_back();
    m_codec.reset();
    m_renderedPage = -1;
    takePageSize();
}

void TSestVystup::DeletePage(int index)
{
    if (index >= 0 && index < PageCount()) {
        forget(Pages[size_t(index)].get());
        Pages.erase(Pages.begin() + index);
        m_lastUsed = -1;
        m_inOrder = 0;
        m_packedUpTo = 0;
        if (m_renderedPage == index)
            m_renderedPage = -1;
        else if (m_renderedPage > index)
            --m_renderedPage;
    }
    takePageSize();
}

TStranaPrvku *TSestVystup::Page(int index) const
{
    return index >= 0 && index < PageCount() ? use(Pages[size_t(index)].get(), index) : nullptr;
}

const TStranaPrvku *TSestVystup::ReadPage(int index, TStranaPrvku &scratch) const
{
    if (index < 0 || index >= PageCount())
        return nullptr;
    const TStranaPrvku *page = Pages[size_t(index)].get();
    // Pinned items of a packed page belong to it and cannot be lent to scratch: such a page
    // is unpacked where it stands, as Page does.
    if (!page->IsPacked() || !page->m_held.empty())
        return Page(index);
    m_codec->unpackOver(page->m_packed, page->m_pictures, scratch);
    scratch.LayerCount = page->LayerCount;
    return &scratch;
}

TStranaPrvku *TSestVystup::use(TStranaPrvku *page, int index) const
{
    // Pages visited in order (a run filling the store, an export or a print going through
    // it) are packed again a few pages behind the visit, while they are still in the
    // processor's cache: packed 64 pages later they had long left it, and that was most of
    // the time packing took.
    if (index >= 0 && index != m_lastUsed) {
        m_inOrder = index == m_lastUsed + 1 ? m_inOrder + 1 : 0;
        m_lastUsed = index;
        if (m_inOrder >= kPagesBehindAVisit && m_livePages > kPagesBehindAVisit
            && PageCount() > m_livePages) {
            // Everything live behind the visit goes, also what was live before it began.
            const int upTo = index - kPagesBehindAVisit;
            const int from = m_packedUpTo <= upTo ? std::max(m_packedUpTo, upTo - m_livePages)
                                                  : upTo - m_livePages;
            for (int i = std::max(from, 0); i <= upTo; ++i) {
                TStranaPrvku *behind = Pages[size_t(i)].get();
                if (!behind->IsPacked()) {
                    forget(behind);
                    pack(*behind);
                }
            }
            m_packedUpTo = upTo + 1;
        }
    }
    if (page->IsPacked()) {
        m_codec->unpack(page->m_packed, page->m_pictures, *page);
        page->m_packed = QByteArray();
        std::vector<QImage>().swap(page->m_pictures);
        for (auto &[at, item] : page->m_held)
            page->Items.insert(page->Items.begin() + std::min<std::ptrdiff_t>(at, std::ptrdiff_t(page->Items.size())),
                               std::move(item));
        page->m_held.clear();
    }
    if (m_livePages <= 0 || (!m_recent.empty() && m_recent.back() == page))
        return page;
    const auto it = std::find(m_recent.begin(), m_recent.end(), page);
    if (it == m_recent.end())
        m_recent.push_back(page);
    else
        std::rotate(it, it + 1, m_recent.end());
    while (int(m_recent.size()) > m_livePages) {
        TStranaPrvku *oldest = m_recent.front();
        m_recent.erase(m_recent.begin());
        pack(*oldest);
    }
    return page;
}

bool TSestVystup::pack(TStranaPrvku &page) const
{
    if (page.IsPacked() || page.Items.empty())
        return false;
    const auto pinned = [](const std::unique_ptr<TVystPrvek> &item) { return item->Pinned; };
    if (std::all_of(page.Items.begin(), page.Items.end(), pinned))
        return false;
    // Pinned items wait beside the compact form, in the order of their places.
    std::vector<std::pair<int, std::unique_ptr<TVystPrvek>>> held;
    std::vector<std::unique_ptr<TVystPrvek>> rest;
    rest.reserve(page.Items.size());
    for (size_t i = 0; i < page.Items.size(); ++i) {
        if (page.Items[i]->Pinned)
            held.emplace_back(int(i), std::move(page.Items[i]));
        else
            rest.push_back(std::move(page.Items[i]));
    }
    page.Items = std::move(rest);
    if (!m_codec)
        m_codec = std::make_unique<TPageCodec>();
    page.m_packed = m_codec->pack(page, page.m_pictures);
    std::vector<std::unique_ptr<TVystPrvek>>().swap(page.Items);
    page.m_held = std::move(held);
    return true;
}

void TSestVystup::forget(const TStranaPrvku *page) const
{
    const auto it = std::find(m_recent.begin(), m_recent.end(), page);
    if (it != m_recent.end())
        m_recent.erase(it);
}

void TSestVystup::SetLivePages(int count)
{
    m_livePages = std::max(count, 0);
    if (m_livePages == 0) {
        m_recent.clear();
        for (const auto &page : Pages)
            use(page.get(), -1);
        return;
    }
    while (int(m_recent.size()) > m_livePages) {
        TStranaPrvku *oldest = m_recent.front();
        m_recent.erase(m_recent.begin());
        pack(*oldest);
    }
}

void TSestVystup::PackRestingPages()
{
    if (m_livePages <= 0)
        return;
    for (const auto &page : Pages)
        if (std::find(m_recent.begin(), m_recent.end(), page.get()) == m_recent.end())
            pack(*page);
}

bool TSestVystup::HoldsItem(int index, const TVystPrvek *item) const
{
    if (index < 0 || index >= PageCount() || !item)
        return false;
    const TStranaPrvku &page = *Pages[size_t(index)];
    for (const auto &it : page.Items)
        if (it.get() == item)
            return true;
    for (const auto &held : page.m_held)
        if (held.second.get() == item)
            return true;
    return false;
}

void TSestVystup::AddItem(std::unique_ptr<TVystPrvek> item, int pageIndex)
{
    if (!item || pageIndex < 0)
        return;
    while (PageCount() <= pageIndex)
        Pages.push_back(std::make_unique<TStranaPrvku>());
    use(Pages[size_t(pageIndex)].get(), pageIndex)->Insert(std::move(item));
}

void TSestVystup::SetBackground(const QImage *picture, const TCornerRect &rect, bool flag)
{
    Background = picture;
    BackgroundRect = rect;
    PrintBackground = flag && picture && !picture->isNull();
}

void TSestVystup::SetRange(int first, int last, int exportLanguage, int copies)
{
    ExportLanguage = exportLanguage;
    FirstPage = first;
    LastPage = std::min(last, PageCount());
    while (PageCount() > LastPage && PageCount() > 0) {
        forget(Pages.back().get());
        Pages.pop_back();
    }
    PackRestingPages();
    if (m_renderedPage >= PageCount())
        m_renderedPage = -1;
    CurrentPage = FirstPage - 1;
    Copies = copies;
}

void TSestVystup::SetCurrentPage(int index)
{
    CurrentPage = index;
    // Only the page to draw is noted: the preview and the printer paint it afresh through
    // DrawPage, and recording the whole page into PageImage on every turn cost more than
    // the turn itself.
    if (Page(index)) {
        m_renderedPage = index;
        m_renderedBackground = PrintBackground;
    }
}

void TSestVystup::DrawPageContent(QPainter &painter, int index, bool withBackground) const
{
    const TStranaPrvku *page = Page(index);
    if (!page)
        return;
    TTolvaCanvas canvas(&painter, 100);
    if (withBackground && Background && !Background->isNull()) {
        const TPageSetup &ps = pageSetup();
        const TCornerRect &b = BackgroundRect;
        canvas.stretchPicture(*Background, RoundEven((b.Left - ps.MarginLeft) * 6.0),
                              RoundEven((b.Top - ps.MarginTop) * 6.0),
                              RoundEven((b.Right - ps.MarginLeft) * 6.0) + 1,
                              RoundEven((b.Bottom - ps.MarginTop) * 6.0) + 1);
    }
    for (const auto &item : page->Items)
        DrawOutputItem(canvas, *item, 6, OnPreparePicture);
}

void TSestVystup::RenderPage(int index, bool withBackground)
{
    if (!Page(index))
        return;
    PageImage.clear();
    PageImage.setBoundingRect(QRect(0, 0, PageWidth * 6, PageHeight * 6));
    {
        QPainter painter(&PageImage);
        DrawPageContent(painter, index, withBackground);
    }
    m_renderedPage = index;
    m_renderedBackground = withBackground;
}

void TSestVystup::DrawPage(QPainter &painter, const QRect &rect) const
{
    if (PageWidth <= 0 || PageHeight <= 0)
        return;
    painter.save();
    painter.translate(rect.left(), rect.top());
    painter.scale(double(rect.right() + 1 - rect.left()) / (PageWidth * 6.0),
                  double(rect.bottom() + 1 - rect.top()) / (PageHeight * 6.0));
    DrawPageContent(painter, m_renderedPage, m_renderedBackground);
    painter.restore();
}

QImage TSestVystup::PageToImage(int index, int dpi, bool withBackground)
{
    if (!Page(index) || dpi <= 0)
        return {};
    m_renderedPage = index;   // drawn afresh below, as SetCurrentPage does
    m_renderedBackground = withBackground;
    const int w = std::max(1, PageWidth * dpi / 100);
    const int h = std::max(1, PageHeight * dpi / 100);
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    DrawPage(painter, QRect(0, 0, w, h));
    return image;
}

bool TSestVystup::SavePagePng(const QString &fileName, int index, int dpi)
{
    TWriteJob job;
    job.Page = index;
    job.Dpi = dpi;
    job.Background = PrintBackground;
    return WriteOutputFile(QStringLiteral("png"), *this, job, fileName) == seOk;
}

// ---------------------------------------------------------------- drawing one item

TCornerRect FitPicture(const TCornerRect &rect, int pw, int ph, int flags, int alignment)
{
    TCornerRect r = rect;
    const bool stretch = flags & efStretch;
    const bool keep = flags & efKeepAspect;
    auto place = [&](int c) {
        if (alignment == alRight) {
            r.Left = r.Right - c;
        } else if (alignment == alCenter) {
            r.Left = (r.Left + r.Right - c) / 2;
            r.Right = r.Left + c;
        } else {
            r.Right = r.Left + c;
        }
    };
    if (stretch && !keep)
        return r;
    if (stretch) {
        const int w = r.width();
        const int h = r.height();
        if (w == 0 || h == 0 || pw == 0 || ph == 0)
            return r;
        if (double(ph) / h <= double(pw) / w) {
            r.Bottom = r.Top + int(qint64(ph) * w / pw);
        } else {
            place(int(qint64(pw) * h / ph));
        }
        return r;
    }
    r.Bottom = r.Top + ph;
    place(pw);
    return r;
}

TTextFont textFontOf(const TElementFont &f)
{
    TTextFont t;
    t.Name = f.Name;
    t.Size = f.Size;
    t.Color = quint32(f.Color) & 0xFFFFFF;
    t.Bold = f.bold();
    t.Italic = f.italic();
    t.Underline = f.underline();
    t.Strikeout = f.strikeOut();
    t.Charset = f.Charset;
    return t;
}

namespace {

void frameLines(TTolvaCanvas &canvas, const TCornerRect &r, int flags)
{
    if (flags & efFrameLeft)
        canvas.drawLine(r.Left, r.Bottom, r.Left, r.Top);
    if (flags & efFrameTop)
        canvas.drawLine(r.Left, r.Top, r.Right, r.Top);
    if (flags & efFrameRight)
        canvas.drawLine(r.Right, r.Top, r.Right, r.Bottom);
    if (flags & efFrameBottom)
        canvas.drawLine(r.Right, r.Bottom, r.Left, r.Bottom);
}

// Pen widths of shapes grow with the scale but never vanish.
int scaledPenWidth(int w, double s)
{
    return RoundEven((w - 1) * s) + 1;
}

TCornerRect inset(const TCornerRect &r, int w)
{
    // floor(w/2) and floor((w+1)/2), also for the odd negative width.
    const int a = int(std::floor(w / 2.0));
    const int b = int(std::floor((w + 1) / 2.0));
    return {r.Left + a, r.Top + a, r.Right - b, r.Bottom - b};
}

QRect toQRect(const TCornerRect &r)
{
    return QRect(r.Left, r.Top, r.width(), r.height());
}

void drawText(TTolvaCanvas &canvas, const TVystPrvek &item, const TCornerRect &r, double s)
{
    const TSiReportElement &e = *item.Element;
    TTextFont font = textFontOf(e.Font);
    ReplaceRomanFont(font);
    if (e.Angle != 0) {
        font.Size = font.Size * s;
        const TCornerRect shrunk{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
        const QPoint centre((shrunk.Left + shrunk.Right) / 2, (shrunk.Top + shrunk.Bottom) / 2);
        canvas.drawRotatedText(item.FirstLineText(), font, e.Angle, centre, toQRect(shrunk));
    } else if (item.Lines) {
        DrawLines(canvas, toQRect(r), item.FirstLine, item.LastLine, *item.Lines, s, s, s);
    }
    canvas.setPen(psSolid, 0, 0);
    frameLines(canvas, r, e.Flags);
}

void drawShape(TTolvaCanvas &canvas, const TSiReportElement &e, const TCornerRect &r, double s)
{
    const int w = e.PenWidth;
    if (e.Kind == ekLine) {
        canvas.setClearBrush();
        canvas.setPen(e.PenStyle, e.PenColor, scaledPenWidth(w, s));
        const TCornerRect in = inset(r, w);
        frameLines(canvas, in, e.Flags & 0x0F);
        if (e.Flags & efDiagonal1)
            canvas.drawLine(in.Left, in.Bottom, in.Right, in.Top);
        if (e.Flags & efDiagonal2)
            canvas.drawLine(in.Left, in.Top, in.Right, in.Bottom);
        if (e.Flags & efInscribedEllipse)
            canvas.drawEllipse(toQRect(in));
        return;
    }
    canvas.setBrush(e.BrushStyle, e.BrushColor);
    if (w != 0)
        canvas.setPen(psSolid, e.PenColor, scaledPenWidth(w, s));
    else
        canvas.setClearPen();
    const TCornerRect in = inset(r, w);
    if (e.Kind == ekRectangle)
        canvas.drawRectangle(toQRect(in));
    else if (e.Kind == ekRoundRect)
        canvas.drawRoundRect(toQRect(in), std::min(RoundEven(40 * s), in.height() / 2));
    else
        canvas.drawEllipse(toQRect(in));
}

void drawPicture(TTolvaCanvas &canvas, const TVystPrvek &item, const TCornerRect &r, double s,
                 const std::function<void(QImage &, int, int)> &onPrepare)
{
    const TSiReportElement &e = *item.Element;
    QImage picture;
    if (item.Picture)
        picture = *item.Picture;
    else if (!item.PictureFile.isEmpty())
        picture = e.Picture;
    if (picture.isNull())
        return;
    const int alignment = e.Kind == ekField ? e.Alignment : alLeft;
    const TCornerRect fitted = FitPicture(r, RoundEven(picture.width() * s),
                                          RoundEven(picture.height() * s), e.Flags, alignment);
    if (onPrepare)
        onPrepare(picture, r.width(), r.height());
    canvas.stretchPicture(picture, fitted.Left, fitted.Top, fitted.Right, fitted.Bottom);
    if (e.Kind == ekField) {
        canvas.setPen(psSolid, 0, 1);
        frameLines(canvas, r, e.Flags & 0x0F);
    }
}

} // namespace

void DrawOutputItem(TTolvaCanvas &canvas, const TVystPrvek &item, double s,
                    const std::function<void(QImage &, int, int)> &onPrepare)
{
    if (!item.Element)
        return;
    const TSiReportElement &e = *item.Element;
    TCornerRect r;
    r.Left = RoundEven(item.Left * s);
    r.Top = RoundEven(item.Top * s);
    r.Right = r.Left + RoundEven(item.Width * s);
    r.Bottom = r.Top + RoundEven(item.Height * s);

    QPainter *painter = canvas.painter();
    if (painter)
        painter->save();
    switch (e.Kind) {
    case ekText:
    case ekFieldLabel:
    case ekParameter:
    case ekVariable:
    case ekFunction:
        drawText(canvas, item, r, s);
        break;
    case ekField:
        if (item.HasPicture)
            drawPicture(canvas, item, r, s, onPrepare);
        else
            drawText(canvas, item, r, s);
        break;
    case ekLine:
    case ekRectangle:
    case ekRoundRect:
    case ekEllipse:
        drawShape(canvas, e, r, s);
        break;
    case ekPicture:
    case ekPaintBox:
        drawPicture(canvas, item, r, s, onPrepare);
        break;
    case ekBarcode: {
        int module = int(s * e.PenWidth / 6);
        if (module < 1 || module > 128)
            module = 8;
        DrawBarcode(canvas, toQRect(r), e.PenStyle, item.FirstLineText(),
                    e.Flags & efPrintText, e.Flags & efCheckDigit, e.Angle, module);
        break;
    }
    default:
        break;
    }
    if (painter)
        painter->restore();
}

} // namespace orv
