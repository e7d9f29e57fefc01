#include "report/model/RtfCharset.h"

#include "core/CodePage.h"

#include <QHash>
#include <QStringDecoder>
#include <QStringEncoder>

#include <array>
#include <memory>

namespace orv {

const char *CharsetCodePageName(int charset)
{
    switch (charset) {
    case 0: return "windows-1252";
    case 2: return "ISO-8859-1";
    case 161: return "windows-1253";
    case 162: return "windows-1254";
    case 163: return "windows-1258";
    case 177: return "windows-1255";
    case 178: return "windows-1256";
    case 186: return "windows-1257";
    case 204: return "windows-1251";
    case 222: return "windows-874";
    case 255: return "IBM852";
    default: return "windows-1250";
    }
}

namespace {

using Table = std::array<char16_t, 256>;

const Table &tableFor(int charset)
{
    static QHash<QByteArray, std::shared_ptr<Table>> tables;
    const QByteArray name = CharsetCodePageName(charset);
    auto it = tables.constFind(name);
    if (it != tables.constEnd())
        return **it;
    auto table = std::make_shared<Table>();
    QByteArray all(256, '\0');
    for (int b = 0; b < 256; ++b)
        all[b] = char(b);
    QString text;
    if (name == "windows-1250") {
        text = orv::decode(all, orv::CodePage::Cp1250);
    } else if (name == "IBM852") {
        text = orv::decode(all, orv::CodePage::Cp852);
    } else {
        QStringDecoder decoder(name.constData());
        if (decoder.isValid())
            text = decoder(all);
        if (text.size() != 256)
            text = QString::fromLatin1(all);
    }
    for (int b = 0; b < 256; ++b)
        (*table)[size_t(b)] = text.size() == 256 ? text.at(b).unicode() : char16_t(b);
    tables.insert(name, table);
    return *table;
}

} // namespace

QChar CharsetByteToChar(uchar byte, int charset)
{
    if (byte < 0x80)
        return QChar(byte);
    return QChar(tableFor(charset)[byte]);
}

QString CharsetDecode(const QByteArray &bytes, int charset)
{
    QString s;
    s.reserve(bytes.size());
    for (char b : bytes)
        s.append(CharsetByteToChar(uchar(b), charset));
    return s;
}

QByteArray CharsetEncode(const QString &text, int charset)
{
    const char *name = CharsetCodePageName(charset);
    if (qstrcmp(name, "windows-1250") == 0)
        return orv::encode(text, orv::CodePage::Cp1250);
    if (qstrcmp(name, "IBM852") == 0)
        return orv::encode(text, orv::CodePage::Cp852);
    // A reverse table from the decoding table keeps the two directions consistent.
    const Table &table = tableFor(charset);
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            out.append(char(u));
            continue;
        }
        char byte = '?';
        for (int b = 0x80; b < 256; ++b)
            if (table[size_t(b)] == u) {
                byte = char(b);
                break;
            }
        out.append(byte);
    }
    return out;
}

} // namespace orv
