#pragma once
// The output store of a report: pages of output items that a run fills and that preview,
// printing and every export read afterwards. A page is drawn into one page image (a
// TPageImage at 600 units per inch covering the printable area) on demand.

#include "report/model/PageSetup.h"
#include "report/model/ReportElement.h"
#include "report/model/TextLayoutCanvas.h"
#include "report/model/TextLayout.h"
#include "report/output/PageImage.h"

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QIODevice;
class QPainter;
class QPrinter;

namespace orv {

class TTolvaCanvas;

// A rectangle by its corners, as the report geometry and the page image use them.
struct TCornerRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int width() const { return Right - Left; }
    int height() const { return Bottom - Top; }
    bool operator==(const TCornerRect &) const = default;
};

// One placed occurrence of a report element.
class TVystPrvek {
public:
    TVystPrvek(TSiReportElement *element, int left, int top, int width, int height);

    std::unique_ptr<TRadky> Lines;
    int FirstLine = 0;
    int LastLine = -1;
    std::optional<QImage> Picture;   // own copy
    QString PictureFile;             // the element's picture, referred to by name
    bool HasPicture = false;
    bool Pinned = false;             // someone holds a pointer to the item: it is never packed
    TSiReportElement *Element;       // not owned
    int Layer = 0;
    int Left, Top, Width, Height;    // hundredths of an inch from the printable corner

    void SetLines(const TRadky &lines);
    void SetLineRange(const TRadky &lines, int a, int b);
    void SetPicture(const QImage &picture);
    void SetPictureFile(const QString &name);
    QString FirstLineText() const;
    int kind() const { return Element ? Element->Kind : 0; }
};

class TPageCodec;

// A page: its items in drawing order. A page the store has packed (see TSestVystup::Page)
// holds no items until the store unpacks it, except its pinned ones, kept aside.
class TStranaPrvku {
public:
    std::vector<std::unique_ptr<TVystPrvek>> Items;
    int LayerCount = 0;

    int count() const { return int(Items.size()); }
    TVystPrvek *item(int i) const { return Items[size_t(i)].get(); }
    // Inserts the item by kind and text flags: shapes and pictures under text, later shapes
    // under earlier ones, text by ascending text flags.
    void Insert(std::unique_ptr<TVystPrvek> item);
    void Clear();
    bool IsPacked() const { return !m_packed.isEmpty(); }

private:
    friend class TSestVystup;
    QByteArray m_packed;                // the items in compact form while the page rests
    std::vector<QImage> m_pictures;     // pictures the packed items own
    // Pinned items stay out of the compact form, as they are, with their places in Items:
    // whoever holds them may change them while the page rests.
    std::vector<std::pair<int, std::unique_ptr<TVystPrvek>>> m_held;
};

// Options of printing a page that does not fit the printer's sheet, asked from the user.
struct TPrintTiling {
    int SheetWidth = 0;    // the effective sheet, hundredths of an inch
    int SheetHeight = 0;
    int MarginLeft = 0, MarginTop = 0, MarginRight = 0, MarginBottom = 0;
    int Rows = 1;          // answers
    int Columns = 1;
    int Scale = 100;       // per cent
};

class TSestVystup {
public:
    TSestVystup();
    ~TSestVystup();
    TSestVystup(const TSestVystup &) = delete;
    TSestVystup &operator=(const TSestVystup &) = delete;

    // The paper the pages were made for: the owning report's, else the one in force.
    const TPageSetup &pageSetup() const;
    // A report's store takes the report's own paper (owned by the report, outliving the store).
    void setPageSetup(const TPageSetup *own) { m_pageSetup = own; }

    std::vector<std::unique_ptr<TStranaPrvku>> Pages;
    TPageImage PageImage;
    const QImage *Background = nullptr;   // borrowed
    TCornerRect BackgroundRect;           // on the sheet, hundredths of an inch
    bool PrintBackground = false;
    int CurrentPage = 0;
    int FirstPage = 1;
    int LastPage = 9999;
    int Copies = 1;
    int ExportLanguage = 0;
    int LineSpacing = -1;
    int PageWidth = 0;
    int PageHeight = 0;

    // Run cursor, kept here so that nested detail runs can save and restore it.
    int CursorY = 0;
    int PageOffset = 0;
    int ColumnX = 0;
    int Column = 1;
    int BodyHeight = 0;
    int BasePage = 0;
    int Remaining(int a, int b = 0) const { return BodyHeight - b - a; }

    // The report's OnPreparePicture: the picture before it is drawn, with the width and
    // height of the item's device rectangle.
    std::function<void(QImage &picture, int width, int height)> OnPreparePicture;

    void Clear();
    void DeletePage(int index);
    int PageCount() const { return int(Pages.size()); }
    // The page with its items; a packed page is unpacked first. Only the pages used last
    // stay unpacked (64 unless SetLivePages says otherwise): a pointer to a page or to one
    // of its items holds while fewer other pages are used in between, or while the item
    // is pinned. Reports of up to that many pages are never packed. In a longer report,
    // pages used in order (page n, n + 1, n + 2, ...) are packed again four pages behind:
    // a pointer then holds for the next three pages of such a visit.
    TStranaPrvku *Page(int index) const;
    // The page for reading only, leaving the store as it is: a packed page is unpacked into
    // scratch and stays packed, and the set of unpacked pages does not change. Writers that
    // go through a long report twice (a survey of fonts and pictures, then the output) use
    // it: through Page every page was unpacked and packed again on each pass. The result
    // holds until scratch is used again or the page changes; nullptr for an invalid index.
    const TStranaPrvku *ReadPage(int index, TStranaPrvku &scratch) const;
    // How many recently used pages stay unpacked; 0 keeps every page unpacked.
    void SetLivePages(int count);
    int LivePages() const { return m_livePages; }
    // Packs every page that is not among the recently used ones (at the end of a run).
    void PackRestingPages();

    // Whether the page holds the item, packed or not (without unpacking it).
    bool HoldsItem(int index, const TVystPrvek *item) const;
    void AddItem(std::unique_ptr<TVystPrvek> item, int pageIndex);
    void SetBackground(const QImage *picture, const TCornerRect &rect, bool flag);
    void SetRange(int first, int last, int exportLanguage, int copies);
    void SetLineSpacing(int value) { LineSpacing = value; }
    void SetCurrentPage(int index);
    // Draws the page into PageImage; an invalid index leaves it as it is.
    void RenderPage(int index, bool withBackground);
    // Stretches the page last rendered into (left, top, right + 1, bottom + 1) of the
    // painter's device. The page is painted afresh under the stretching transform rather
    // than replayed from PageImage: a page turn then records nothing, and text on pixels
    // goes as runs of glyphs.
    void DrawPage(QPainter &painter, const QRect &rect) const;
    // Draws a page onto any painter in page-image units (600 per inch, origin at the
    // printable corner): the drawing behind both the page image and the metafiles.
    void DrawPageContent(QPainter &painter, int index, bool withBackground) const;

    // The page as a picture for people: white paper of the printable area at dpi.
    QImage PageToImage(int index, int dpi = 150, bool withBackground = true);
    bool SavePagePng(const QString &fileName, int index, int dpi = 150);

    // The page as an enhanced (EMF) or Windows (WMF) metafile; nothing for an invalid
    // index, and errors are swallowed. Returns whether a metafile was written.
    bool SavePageMetafile(QIODevice &stream, int index, bool enhanced);
    bool SavePageMetafile(QIODevice &stream, int index, bool enhanced, bool withBackground);

    // Prints pages first..last (1-based) on the printer (the current printer when null).
    // askTiling (the print-options window) is asked when the printer's sheet is more than
    // 1 % smaller than the report's; it returns false for cancel. Without it such a page is
    // printed as one tile at 100 %. abortFlag is polled after every tile; an abort gives
    // false. Copies that the printer does not make itself are printed as repeated pages of
    // the one job.
    bool Print(int first, int last, const bool *abortFlag, const QString &title, int copies,
               QPrinter *printer = nullptr,
               const std::function<bool(TPrintTiling &)> &askTiling = {});

private:
    const TPageSetup *m_pageSetup = nullptr;
    void takePageSize();
    TStranaPrvku *use(TStranaPrvku *page, int index) const;
    bool pack(TStranaPrvku &page) const;
    void forget(const TStranaPrvku *page) const;
    int m_livePages = 64;
    // Pages used one after the other: the last index used and how many came in order.
    static constexpr int kPagesBehindAVisit = 4;
    mutable int m_lastUsed = -1;
    mutable int m_inOrder = 0;
    mutable int m_packedUpTo = 0;   // pages before this one were packed behind such a visit
    mutable std::vector<TStranaPrvku *> m_recent;   // unpacked pages, the last used at the end
    mutable std::unique_ptr<TPageCodec> m_codec;
    int m_renderedPage = -1;
    bool m_renderedBackground = false;
};

// The text-layout font of an element's font (colour without its palette bits).
TTextFont textFontOf(const TElementFont &f);

// Draws one item with scale s (device units per hundredth of an inch); the font scale is
// the same. onPrepare may be empty.
void DrawOutputItem(TTolvaCanvas &canvas, const TVystPrvek &item, double scale,
                    const std::function<void(QImage &, int, int)> &onPrepare);

// The rectangle a picture of pw x ph device units takes in rect by the element's flags
// (0x10 stretch, 0x20 keep proportions) and alignment (1 right, 2 centre, else left).
TCornerRect FitPicture(const TCornerRect &rect, int pw, int ph, int flags, int alignment);

// Round half to even, as the report geometry rounds.
int RoundEven(double value);

} // namespace orv
