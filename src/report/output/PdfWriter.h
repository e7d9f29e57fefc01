#pragma once

// The PDF writer's own declarations, shared by PdfExport.cpp (objects, fonts, pictures, the
// file) and PdfPageContent.cpp (the content stream of a page); nothing else includes this.

#include "report/output/Barcode.h"
#include "report/output/OutputStore.h"
#include "report/output/PdfExport.h"
#include "report/output/PdfFontFile.h"
#include "report/model/PageSetup.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QIODevice>
#include <QString>

#include <array>
#include <map>
#include <utility>
#include <vector>

namespace orv::pdfwriter {

constexpr double kPt = 0.12;   // points per page-image unit (1/600 inch)
constexpr int kScale = 6;      // page-image units per hundredth of an inch

// Advances of the bytes 0..255 in thousandths of an em.
struct FontWidths {
    std::array<double, 256> w{};
};

bool isSymbol(const QByteArray &base);
const FontWidths &widthsOf(const QByteArray &base);
// The run's text as bytes of the font, one byte per character (0 for a character that has
// none, such as the second half of a pair).
QByteArray fontBytes(const QString &text, bool symbol);
void appendStringByte(QByteArray &out, unsigned char b);
int scaledPenWidth(int w);
TCornerRect inset(const TCornerRect &r, int w);

// One picture written as an image object.
struct PdfImage {
    QImage image;          // RGB, for Flate
    QByteArray jpeg;       // the JPEG file, for DCT
    int width = 0, height = 0;
    bool gray = false;
};

class PdfWriter {
public:
    PdfWriter(TSestVystup &store, QIODevice &stream, const QString &title)
        : m_store(store), m_stream(stream), m_title(title)
    {
    }
    int write();

private:
    // --- bytes out
    void out(const QByteArray &b)
    {
        if (m_failed)
            return;
        if (m_stream.write(b) != b.size())
            m_failed = true;
        m_pos += b.size();
    }
    void line(const QByteArray &b) { out(b + "\r\n"); }
    void beginObject(int n)
    {
        if (int(m_offsets.size()) <= n)
            m_offsets.resize(size_t(n) + 1, 0);
        m_offsets[size_t(n)] = m_pos;
        line(QByteArray::number(n) + " 0 obj");
    }
    void dictObject(int n, const QList<QByteArray> &lines)
    {
        beginObject(n);
        line("<<");
        for (const QByteArray &l : lines)
            line(l);
        line(">>");
        line("endobj");
    }

    // --- collecting
    void collect();
    int fontNumber(const QByteArray &base) const
    {
        const auto it = m_fontIndex.find(base);
        return it == m_fontIndex.end() ? 0 : it->second;
    }
    QImage preparedPicture(const TVystPrvek &item) const;
    int imageFor(const QImage &picture);

    // --- page content, in page-image units from the printable corner
    double px(double x) const { return (m_ps.MarginLeft * kScale + x) * kPt; }
    double py(double y) const { return m_sheetH - (m_ps.MarginTop * kScale + y) * kPt; }
    void pageContent(const TStranaPrvku &page, QByteArray &c);
    void item(const TVystPrvek &item, QByteArray &c);
    void textLines(const TVystPrvek &item, const TCornerRect &r, QByteArray &c);
    void rotatedText(const TVystPrvek &item, const TCornerRect &r, QByteArray &c);
    void textRun(const TFragment &run, double x, double y, const std::vector<double> &targets,
                 QByteArray &c);
    void shape(const TSiReportElement &e, const TCornerRect &r, QByteArray &c);
    void picture(const TVystPrvek &item, const TCornerRect &r, QByteArray &c);
    void barcode(const TVystPrvek &item, QByteArray &c);
    static TBarcodeShape barcodeShape(const TVystPrvek &item);
    void frameLines(const TCornerRect &r, int flags, QByteArray &c);
    void fillColor(quint32 color, QByteArray &c);
    void strokeColor(quint32 color, QByteArray &c);
    bool setPen(int style, quint32 color, int width, QByteArray &c);
    void rectPath(const TCornerRect &r, QByteArray &c);
    void ellipsePath(const TCornerRect &r, QByteArray &c);
    void roundRectPath(const TCornerRect &r, double radius, QByteArray &c);
    void imageObject(int n, const PdfImage &img);

    TSestVystup &m_store;
    QIODevice &m_stream;
    QString m_title;
    TPageSetup m_ps;
    // The bytes each font draws, and the embedded subsets (empty file: not embedded).
    using UsedBytes = std::array<bool, 256>;
    std::map<QByteArray, UsedBytes> m_used;
    std::vector<TFontSubset> m_subsets;
    void useBytes(const QByteArray &base, const QString &text)
    {
        // Runs in a row mostly share their font.
        if (!m_lastUsed || base != m_lastUsedBase) {
            auto [it, added] = m_used.try_emplace(base);
            if (added)
                it->second.fill(false);
            m_lastUsed = &it->second;
            m_lastUsedBase = base;
            m_lastUsedSymbol = isSymbol(base);
        }
        UsedBytes &used = *m_lastUsed;
        for (char ch : fontBytes(text, m_lastUsedSymbol))
            if (static_cast<unsigned char>(ch) >= 32)
                used[static_cast<unsigned char>(ch)] = true;
    }
    UsedBytes *m_lastUsed = nullptr;   // m_used's entry for m_lastUsedBase (map nodes stay put)
    QByteArray m_lastUsedBase;
    bool m_lastUsedSymbol = false;
    // The standard font of a run, remembered for the runs after it that share the face.
    struct RunFont {
        QString name;
        bool bold = false, italic = false, known = false;
        QByteArray base;
        int number = -1;               // in m_fonts, once they are known
        const FontWidths *widths = nullptr;
        bool symbol = false;
    };
    RunFont m_runFont;
    const RunFont &runFont(const TFragment &run)
    {
        RunFont &f = m_runFont;
        if (!f.known || f.bold != bool(run.Bold) || f.italic != bool(run.Italic) || f.name != run.FontName) {
            f.name = run.FontName;
            f.bold = run.Bold;
            f.italic = run.Italic;
            f.known = true;
            f.base = PdfBaseFont(run.FontName, run.Bold, run.Italic);
            f.number = -1;
            f.widths = nullptr;
            f.symbol = isSymbol(f.base);
        }
        return f;
    }
    void makeSubsets();
    std::vector<char32_t> usedCharacters(int n) const;
    QList<QByteArray> fontDictionary(int n, int descriptor) const;
    double m_sheetW = 0, m_sheetH = 0;
    qint64 m_pos = 0;
    bool m_failed = false;
    std::vector<qint64> m_offsets;
    std::vector<QByteArray> m_fonts;
    std::map<QByteArray, int> m_fontIndex;
    std::vector<PdfImage> m_images;
    QHash<qint64, int> m_imageIndex;                        // picture cache key -> image
    // Items by page and position on it: the page store unpacks a packed page into new items
    // each time it is read, so an item's address names nothing from one reading to the next.
    using ItemKey = std::pair<int, int>;
    ItemKey m_current{-1, -1};                              // the item being written
    std::map<ItemKey, int> m_itemImage;                     // item -> image
    std::map<ItemKey, TBarcodeShape> m_barcodes;            // item -> its bars
    int m_backgroundImage = -1;
    // Hatched fills: one tiling pattern per brush style and colour.
    std::vector<std::pair<int, quint32>> m_patterns;
    int patternFor(int style, quint32 color);
    QByteArray patternStream(int style, quint32 color) const;
    // The graphics state of the content being written.
    qint64 m_fill = -1, m_stroke = -1;
};

} // namespace orv::pdfwriter
