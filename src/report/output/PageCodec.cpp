#include "report/output/PageCodec.h"

#include <algorithm>

namespace orv {

size_t qHash(const TRunFontKey &key, size_t seed) noexcept
{
    return qHashMulti(seed, key.Name, key.Size, key.Color, key.Charset, key.Bold, key.Underline,
                      key.Italic, key.Strikeout);
}

namespace {

enum ItemFlag : unsigned {
    HasLines = 1,
    HasPictureFlag = 2,
    OwnPicture = 4,
    PictureFileName = 8,
    HasElement = 16,
    PinnedFlag = 32,
};

// Writes into a plain byte buffer through a cursor: room for a number is made once and
// its bytes are stored without a size check each (appending to a QByteArray byte by byte
// was a fifth of a whole report run, and std::string::push_back still checked and stored
// the length for every byte).
class Writer {
public:
    explicit Writer(std::string &out) : m_out(out)
    {
        if (m_out.size() < 4096)
            m_out.resize(4096);
        m_p = m_out.data();
        m_end = m_p + m_out.size();
    }

    void u(quint64 v)
    {
        room(10);
        while (v >= 0x80) {
            *m_p++ = char(v | 0x80);
            v >>= 7;
        }
        *m_p++ = char(v);
    }
    // Signed values in zigzag form: small magnitudes of either sign take few bytes.
    void s(qint64 v) { u((quint64(v) << 1) ^ quint64(v >> 63)); }
    void str(const QString &text)
    {
        u(quint64(text.size()));
        room(size_t(text.size()) * 3);
        for (QChar c : text) {
            char16_t v = c.unicode();
            while (v >= 0x80) {
                *m_p++ = char(v | 0x80);
                v >>= 7;
            }
            *m_p++ = char(v);
        }
    }
    size_t size() const { return size_t(m_p - m_out.data()); }

private:
    void room(size_t n)
    {
        if (size_t(m_end - m_p) >= n)
            return;
        const size_t used = size();
        m_out.resize(std::max(m_out.size() * 2, used + n));
        m_p = m_out.data() + used;
        m_end = m_out.data() + m_out.size();
    }

    std::string &m_out;
    char *m_p = nullptr;
    char *m_end = nullptr;
};

class Reader {
public:
    explicit Reader(const QByteArray &in) : m_p(in.constData()), m_end(in.constData() + in.size()) {}

    quint64 u()
    {
        quint64 v = 0;
        int shift = 0;
        while (m_p < m_end && shift < 64) {
            const auto b = quint8(*m_p++);
            v |= quint64(b & 0x7F) << shift;
            if (!(b & 0x80))
                break;
            shift += 7;
        }
        return v;
    }
    qint64 s()
    {
        const quint64 v = u();
        return qint64(v >> 1) ^ -qint64(v & 1);
    }
    int i() { return int(s()); }
    // Reads a text into text, in the room it has when it is not shared.
    void str(QString &text)
    {
        const qsizetype n = qsizetype(std::min<quint64>(u(), quint64(m_end - m_p)));
        text.resize(n);
        QChar *d = text.data();
        for (qsizetype k = 0; k < n; ++k)
            d[k] = QChar(char16_t(u()));
    }
    bool atEnd() const { return m_p >= m_end; }
    // A count read from the data: every counted thing takes at least one byte, so a count
    // beyond the bytes left is cut to them.
    size_t count() { return size_t(std::min<quint64>(u(), quint64(m_end - m_p))); }

private:
    const char *m_p;
    const char *m_end;
};

} // namespace

int TPageCodec::fontIndex(const TFragment &run)
{
    TRunFontKey key{run.FontName, run.FontSize, run.Color, run.Charset, run.Bold, run.Underline,
                    run.Italic, run.Strikeout};
    // Runs in a row mostly share their font: the last one answers without hashing the name.
    if (m_lastFont >= 0 && m_fonts[size_t(m_lastFont)] == key)
        return m_lastFont;
    const auto found = m_fontIndex.constFind(key);
    if (found != m_fontIndex.cend()) {
        m_lastFont = found.value();
        return m_lastFont;
    }
    const int index = int(m_fonts.size());
    m_fonts.push_back(key);
    m_fontIndex.insert(std::move(key), index);
    m_lastFont = index;
    return index;
}

int TPageCodec::elementIndex(TSiReportElement *element)
{
    const auto [it, added] = m_elementIndex.try_emplace(element, int(m_elements.size()));
    if (added)
        m_elements.push_back(element);
    return it->second;
}

QByteArray TPageCodec::pack(const TStranaPrvku &page, std::vector<QImage> &pictures)
{
    if (page.Items.empty())
        return {};
    Writer w(m_scratch);
    w.u(page.Items.size());
    for (const auto &item : page.Items) {
        const TVystPrvek &it = *item;
        unsigned flags = 0;
        if (it.Lines)
            flags |= HasLines;
        if (it.HasPicture)
            flags |= HasPictureFlag;
        if (it.Picture)
            flags |= OwnPicture;
        if (!it.PictureFile.isEmpty())
            flags |= PictureFileName;
        if (it.Element)
            flags |= HasElement;
        if (it.Pinned)
            flags |= PinnedFlag;
        w.u(flags);
        if (it.Element)
            w.u(quint64(elementIndex(it.Element)));
        w.s(it.Layer);
        w.s(it.Left);
        w.s(it.Top);
        w.s(it.Width);
        w.s(it.Height);
        w.s(it.FirstLine);
        w.s(it.LastLine);
        if (it.Picture) {
            w.u(pictures.size());
            pictures.push_back(*it.Picture);
        }
        if (!it.PictureFile.isEmpty())
            w.str(it.PictureFile);
        if (!it.Lines)
            continue;
        w.u(it.Lines->Lines.size());
        for (const TRadek &l : it.Lines->Lines) {
            w.s(l.RowHeight);
            w.s(l.LineOffset);
            w.s(l.BreakX);
            w.s(l.BreakCount);
            w.s(l.CurrentRun);
            w.s(l.BreakRun);
            w.u(l.FirstOfParagraph ? 1 : 0);
            w.u(l.Runs.size());
            for (const TFragment &run : l.Runs) {
                w.u(quint64(fontIndex(run)));
                w.s(run.Length);
                w.s(run.BreakLength);
                w.str(run.Chars);
                w.u(run.Positions.size());
                qint64 previous = 0;
                for (int p : run.Positions) {
                    w.s(qint64(p) - previous);
                    previous = p;
                }
            }
        }
    }
    // An exact copy of what was written: the scratch buffer stays as large for the next page.
    return QByteArray(m_scratch.data(), qsizetype(w.size()));
}

namespace {

// Reads one item into item, every field of it: an item read before (of a page read for a
// writer) is read over again, keeping the room its lines, runs and texts had.
void readItem(Reader &r, const std::vector<TSiReportElement *> &elements,
              const std::vector<TRunFontKey> &fonts, const std::vector<QImage> &pictures,
              TVystPrvek &item)
{
    const auto flags = unsigned(r.u());
    TSiReportElement *element = nullptr;
    if (flags & HasElement) {
        const quint64 e = r.u();
        element = e < elements.size() ? elements[size_t(e)] : nullptr;
    }
    item.Element = element;
    item.Layer = r.i();
    item.Left = r.i();
    item.Top = r.i();
    item.Width = r.i();
    item.Height = r.i();
    item.FirstLine = r.i();
    item.LastLine = r.i();
    item.HasPicture = flags & HasPictureFlag;
    item.Pinned = flags & PinnedFlag;
    if (flags & OwnPicture) {
        const quint64 p = r.u();
        item.Picture = p < pictures.size() ? pictures[size_t(p)] : QImage();
    } else {
        item.Picture.reset();
    }
    if (flags & PictureFileName)
        r.str(item.PictureFile);
    else
        item.PictureFile.clear();
    if (!(flags & HasLines)) {
        item.Lines.reset();
        return;
    }
    if (!item.Lines)
        item.Lines = std::make_unique<TRadky>();
    item.Lines->Lines.resize(r.count());
    for (TRadek &l : item.Lines->Lines) {
        l.RowHeight = r.i();
        l.LineOffset = r.i();
        l.BreakX = r.i();
        l.BreakCount = r.i();
        l.CurrentRun = r.i();
        l.BreakRun = r.i();
        l.FirstOfParagraph = r.u() != 0;
        l.Runs.resize(r.count());
        for (TFragment &run : l.Runs) {
            const quint64 f = r.u();
            static const TRunFontKey none;
            const TRunFontKey &key = f < fonts.size() ? fonts[size_t(f)] : none;
            run.FontName = key.Name;
            run.FontSize = key.Size;
            run.Color = key.Color;
            run.Charset = key.Charset;
            run.Bold = key.Bold;
            run.Underline = key.Underline;
            run.Italic = key.Italic;
            run.Strikeout = key.Strikeout;
            run.Length = r.i();
            run.BreakLength = r.i();
            r.str(run.Chars);
            run.Positions.resize(r.count());
            qint64 previous = 0;
            for (int &p : run.Positions) {
                previous += r.s();
                p = int(previous);
            }
        }
    }
}

} // namespace

void TPageCodec::unpack(const QByteArray &data, const std::vector<QImage> &pictures,
                        TStranaPrvku &page) const
{
    Reader r(data);
    const size_t count = r.count();
    page.Items.reserve(page.Items.size() + count);
    for (size_t n = 0; n < count && !r.atEnd(); ++n) {
        auto item = std::make_unique<TVystPrvek>(nullptr, 0, 0, 0, 0);
        readItem(r, m_elements, m_fonts, pictures, *item);
        page.Items.push_back(std::move(item));
    }
}

void TPageCodec::unpackOver(const QByteArray &data, const std::vector<QImage> &pictures,
                            TStranaPrvku &page) const
{
    Reader r(data);
    const size_t count = r.count();
    size_t n = 0;
    for (; n < count && !r.atEnd(); ++n) {
        if (n == page.Items.size())
            page.Items.push_back(std::make_unique<TVystPrvek>(nullptr, 0, 0, 0, 0));
        readItem(r, m_elements, m_fonts, pictures, *page.Items[n]);
    }
    page.Items.resize(n);
}

} // namespace orv
