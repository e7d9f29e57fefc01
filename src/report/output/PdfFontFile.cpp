#include "report/output/PdfFontFile.h"

#include <QCryptographicHash>

#include <algorithm>
#include <map>
#include <set>

namespace orv {

namespace {

quint16 u16(const QByteArray &b, qsizetype at)
{
    if (at < 0 || at + 2 > b.size())
        return 0;
    return quint16((quint8(b[at]) << 8) | quint8(b[at + 1]));
}

qint16 s16(const QByteArray &b, qsizetype at)
{
    return qint16(u16(b, at));
}

quint32 u32(const QByteArray &b, qsizetype at)
{
    return (quint32(u16(b, at)) << 16) | u16(b, at + 2);
}

void put16(QByteArray &b, quint16 v)
{
    b.append(char(v >> 8));
    b.append(char(v & 0xFF));
}

void put32(QByteArray &b, quint32 v)
{
    put16(b, quint16(v >> 16));
    put16(b, quint16(v & 0xFFFF));
}

void set16(QByteArray &b, qsizetype at, quint16 v)
{
    b[at] = char(v >> 8);
    b[at + 1] = char(v & 0xFF);
}

void set32(QByteArray &b, qsizetype at, quint32 v)
{
    set16(b, at, quint16(v >> 16));
    set16(b, at + 2, quint16(v & 0xFFFF));
}

quint32 checksum(const QByteArray &data)
{
    quint32 sum = 0;
    QByteArray padded = data;
    while (padded.size() % 4)
        padded.append('\0');
    for (qsizetype i = 0; i < padded.size(); i += 4)
        sum += u32(padded, i);
    return sum;
}

// The glyphs a composite glyph is made of.
void components(const QByteArray &glyph, std::vector<int> &out)
{
    if (glyph.size() < 10 || s16(glyph, 0) >= 0)
        return;
    qsizetype at = 10;
    for (int guard = 0; guard < 256; ++guard) {
        const quint16 flags = u16(glyph, at);
        out.push_back(u16(glyph, at + 2));
        at += 4 + ((flags & 0x0001) ? 4 : 2);
        if (flags & 0x0008)
            at += 2;
        else if (flags & 0x0040)
            at += 4;
        else if (flags & 0x0080)
            at += 8;
        if (!(flags & 0x0020) || at >= glyph.size())
            break;
    }
}

// A format 4 character map of the (Windows, Unicode) platform: one segment per character.
QByteArray characterMap(const std::map<char32_t, int> &glyphs)
{
    std::vector<std::pair<quint16, quint16>> pairs;
    for (const auto &[c, g] : glyphs)
        if (c < 0xFFFF)
            pairs.emplace_back(quint16(c), quint16(g));
    const int segments = int(pairs.size()) + 1;
    int power = 1, selector = 0;
    while (power * 2 <= segments) {
        power *= 2;
        ++selector;
    }
    QByteArray sub;
    put16(sub, 4);
    put16(sub, quint16(16 + segments * 8));
    put16(sub, 0);
    put16(sub, quint16(segments * 2));
    put16(sub, quint16(power * 2));
    put16(sub, quint16(selector));
    put16(sub, quint16(segments * 2 - power * 2));
    for (const auto &p : pairs)
        put16(sub, p.first);
    put16(sub, 0xFFFF);
    put16(sub, 0);
    for (const auto &p : pairs)
        put16(sub, p.first);
    put16(sub, 0xFFFF);
    for (const auto &p : pairs)
        put16(sub, quint16(p.second - p.first));
    put16(sub, 1);
    for (int i = 0; i < segments; ++i)
        put16(sub, 0);
    QByteArray cmap;
    put16(cmap, 0);
    put16(cmap, 1);
    put16(cmap, 3);
    put16(cmap, 1);
    put32(cmap, 12);
    return cmap + sub;
}

QByteArray postScriptNameOf(const QByteArray &name)
{
    const quint16 count = u16(name, 2);
    const quint16 strings = u16(name, 4);
    QByteArray mac;
    for (int i = 0; i < count; ++i) {
        const qsizetype r = 6 + qsizetype(i) * 12;
        if (u16(name, r + 6) != 6)
            continue;
        const quint16 platform = u16(name, r);
        const quint16 length = u16(name, r + 8);
        const QByteArray raw = name.mid(strings + u16(name, r + 10), length);
        if (platform == 3) {
            QByteArray ascii;
            for (qsizetype k = 0; k + 1 < raw.size(); k += 2)
                ascii.append(raw[k + 1]);
            return ascii;
        }
        if (platform == 1)
            mac = raw;
    }
    return mac;
}

// Only what a PostScript name may hold.
QByteArray cleanName(const QByteArray &name)
{
    QByteArray out;
    for (char c : name)
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_')
            out.append(c);
    return out.isEmpty() ? QByteArray("Font") : out;
}

} // namespace

QByteArray SubsetTag(const QByteArray &name, const std::vector<char32_t> &characters)
{
    QCryptographicHash h(QCryptographicHash::Md5);
    h.addData(name);
    for (char32_t c : characters)
        h.addData(QByteArrayView(reinterpret_cast<const char *>(&c), sizeof c));
    const QByteArray d = h.result();
    QByteArray tag;
    for (int i = 0; i < 6; ++i)
        tag.append(char('A' + quint8(d[i]) % 26));
    return tag + '+';
}

TFontSubset SubsetTrueTypeFont(const QRawFont &font, const std::vector<char32_t> &characters)
{
    TFontSubset s;
    if (!font.isValid())
        return s;
    QByteArray head = font.fontTable("head");
    const QByteArray hhea = font.fontTable("hhea");
    const QByteArray maxp = font.fontTable("maxp");
    const QByteArray hmtx = font.fontTable("hmtx");
    const QByteArray loca = font.fontTable("loca");
    const QByteArray glyf = font.fontTable("glyf");
    if (head.size() < 54 || hhea.size() < 36 || maxp.size() < 6 || hmtx.isEmpty() || loca.isEmpty()
        || glyf.isEmpty())
        return s;
    const int numGlyphs = u16(maxp, 4);
    const bool longLoca = s16(head, 50) == 1;
    auto glyphAt = [&](int g) {
        if (g < 0 || g >= numGlyphs)
            return QByteArray();
        const quint32 a = longLoca ? u32(loca, qsizetype(g) * 4) : quint32(u16(loca, qsizetype(g) * 2)) * 2;
        const quint32 b = longLoca ? u32(loca, qsizetype(g + 1) * 4) : quint32(u16(loca, qsizetype(g + 1) * 2)) * 2;
        if (b <= a || b > quint32(glyf.size()))
            return QByteArray();
        return glyf.mid(a, b - a);
    };

    // The glyphs kept: the missing-glyph box, the characters' glyphs and their parts.
    std::map<char32_t, int> glyphOf;
    std::set<int> keep{0};
    std::vector<int> todo;
    for (char32_t c : characters) {
        const QString text = QString::fromUcs4(&c, 1);
        const QList<quint32> ids = font.glyphIndexesForString(text);
        if (ids.size() == 1 && ids[0] != 0 && int(ids[0]) < numGlyphs) {
            glyphOf[c] = int(ids[0]);
            todo.push_back(int(ids[0]));
        }
    }
    while (!todo.empty()) {
        const int g = todo.back();
        todo.pop_back();
        if (!keep.insert(g).second && g != 0)
            continue;
        std::vector<int> parts;
        components(glyphAt(g), parts);
        for (int p : parts)
            if (!keep.count(p))
                todo.push_back(p);
    }

    QByteArray newGlyf, newLoca;
    for (int g = 0; g < numGlyphs; ++g) {
        put32(newLoca, quint32(newGlyf.size()));
        if (keep.count(g)) {
            newGlyf += glyphAt(g);
            while (newGlyf.size() % 4)
                newGlyf.append('\0');
        }
    }
    put32(newLoca, quint32(newGlyf.size()));
    set16(head, 50, 1);   // long offsets
    set32(head, 8, 0);    // the whole-file checksum comes last

    std::map<QByteArray, QByteArray> tables{{"head", head}, {"hhea", hhea}, {"maxp", maxp},
                                            {"hmtx", hmtx}, {"loca", newLoca}, {"glyf", newGlyf},
                                            {"cmap", characterMap(glyphOf)}};
    for (const char *tag : {"cvt ", "fpgm", "prep", "OS/2", "name"}) {
        const QByteArray t = font.fontTable(tag);
        if (!t.isEmpty())
            tables[tag] = t;
    }
    QByteArray post = font.fontTable("post");
    if (post.size() >= 32) {
        post.truncate(32);
        set32(post, 0, 0x00030000);   // no glyph names: the character map finds the glyphs
        tables["post"] = post;
    }

    const int n = int(tables.size());
    int power = 1, selector = 0;
    while (power * 2 <= n) {
        power *= 2;
        ++selector;
    }
    QByteArray file;
    put32(file, 0x00010000);
    put16(file, quint16(n));
    put16(file, quint16(power * 16));
    put16(file, quint16(selector));
    put16(file, quint16(n * 16 - power * 16));
    quint32 offset = quint32(12 + 16 * n);
    qsizetype headAt = -1;
    QByteArray body;
    for (const auto &[tag, data] : tables) {
        file += tag;
        put32(file, checksum(data));
        put32(file, offset);
        put32(file, quint32(data.size()));
        if (tag == "head")
            headAt = offset;
        QByteArray padded = data;
        while (padded.size() % 4)
            padded.append('\0');
        body += padded;
        offset += quint32(padded.size());
    }
    file += body;
    if (headAt >= 0)
        set32(file, headAt + 8, 0xB1B0AFBA - checksum(file));
    s.file = file;

    const double upem = std::max<int>(u16(head, 18), 16);
    auto em = [upem](int v) { return int(std::lround(v * 1000.0 / upem)); };
    s.bboxLeft = em(s16(head, 36));
    s.bboxBottom = em(s16(head, 38));
    s.bboxRight = em(s16(head, 40));
    s.bboxTop = em(s16(head, 42));
    s.ascent = em(s16(hhea, 4));
    s.descent = em(s16(hhea, 6));
    const QByteArray os2 = tables.count("OS/2") ? tables["OS/2"] : QByteArray();
    s.capHeight = os2.size() >= 90 && u16(os2, 0) >= 2 ? em(s16(os2, 88)) : s.ascent * 7 / 10;
    if (post.size() >= 16) {
        s.italicAngle = qint32(u32(post, 4)) / 65536.0;
        s.fixedPitch = u32(post, 12) != 0;
    }
    QByteArray ps = tables.count("name") ? postScriptNameOf(tables["name"]) : QByteArray();
    if (ps.isEmpty())
        ps = font.familyName().toLatin1() + '-' + font.styleName().toLatin1();
    s.postScriptName = cleanName(ps);
    return s;
}

} // namespace orv
