#pragma once
// Compact form of a page at rest. A long report holds tens of thousands of pages; as live
// objects every item of a page costs half a dozen allocations (the item, its lines, runs,
// characters and positions), so the store keeps only a few recently used pages live and
// packs the others into one byte string each. Packing is lossless: a page unpacked again
// has the same items with the same fields, in the same order.
//
// The byte string holds small integers as variable-length numbers, characters as their
// UTF-16 code units (one byte for ASCII, two for the Latin ranges), the positions of a run
// as differences, and the element and the font of a run as indexes into tables the codec
// keeps for the whole store, so that a font name is stored once.

#include "report/output/OutputStore.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QString>

#include <string>
#include <unordered_map>
#include <vector>

namespace orv {

// The font properties of a run, as one entry of the codec's font table.
struct TRunFontKey {
    QString Name;
    int Size = 0;
    quint32 Color = 0;
    quint8 Charset = 0;
    quint8 Bold = 0;
    quint8 Underline = 0;
    quint8 Italic = 0;
    quint8 Strikeout = 0;

    bool operator==(const TRunFontKey &o) const = default;
};

size_t qHash(const TRunFontKey &key, size_t seed = 0) noexcept;

class TPageCodec {
public:
    // Packs the page's items; pictures the items own go to pictures (shared, not copied).
    // Returns an empty string for a page without items.
    QByteArray pack(const TStranaPrvku &page, std::vector<QImage> &pictures);
    // Rebuilds the items of a page packed by this codec, appended to page.Items.
    void unpack(const QByteArray &data, const std::vector<QImage> &pictures,
                TStranaPrvku &page) const;
    // The same, but the page's items become exactly the packed ones, read over the items
    // it holds (a page that is read again and again keeps their allocations).
    void unpackOver(const QByteArray &data, const std::vector<QImage> &pictures,
                    TStranaPrvku &page) const;

    int fontCount() const { return int(m_fonts.size()); }
    int elementCount() const { return int(m_elements.size()); }

private:
    int fontIndex(const TFragment &run);
    int elementIndex(TSiReportElement *element);

    std::vector<TRunFontKey> m_fonts;
    QHash<TRunFontKey, int> m_fontIndex;
    int m_lastFont = -1;
    std::vector<TSiReportElement *> m_elements;
    std::unordered_map<TSiReportElement *, int> m_elementIndex;
    std::string m_scratch;   // reused between pages, so that a packed page is allocated once
};

} // namespace orv
