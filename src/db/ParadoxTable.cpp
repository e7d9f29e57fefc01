#include "db/ParadoxTable.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/CodePage.h"
#include "db/Connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

// The pxlib header declares C functions without extern "C".
extern "C" {
#include <paradox.h>
}

#include <algorithm>
#include <mutex>
#include <vector>

namespace orv::db {

namespace {

void errorHandler(pxdoc_t *, int level, const char *msg, void *data)
{
    // Warnings of pxlib are not failures; errors are collected and reported by the caller.
    if (level == PX_Warning)
        return;
    auto *errors = static_cast<QStringList *>(data);
    errors->append(QString::fromLocal8Bit(msg));
}

void bootPxlib()
{
    static std::once_flag once;
    std::call_once(once, [] { PX_boot(); });
}

quint16 u16(const uchar *p)
{
    return quint16(p[0] | (p[1] << 8));
}

qint16 s16(const uchar *p)
{
    return qint16(u16(p));
}

} // namespace

ParadoxError::ParadoxError(Kind kind, const QString &file, const QString &detail)
    : std::runtime_error(QStringLiteral("%1: %2").arg(file, detail).toStdString())
    , m_kind(kind)
    , m_file(file)
    , m_detail(detail)
{
}

QString checkParadoxTable(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot be opened");
    const qint64 size = f.size();
    // The fixed part of the header up to the field count and the file version.
    constexpr int fixedHeader = 0x78;
    const QByteArray head = f.read(fixedHeader);
    if (head.size() < fixedHeader)
        return QStringLiteral("shorter than a table header (%1 bytes)").arg(size);
    const auto *h = reinterpret_cast<const uchar *>(head.constData());
    const int recordSize = s16(h + 0x00);
    const int headerSize = s16(h + 0x02);
    const int fileType = h[0x04];
    const int maxTableSize = h[0x05];
    const qint32 records = qint32(quint32(h[0x06]) | quint32(h[0x07]) << 8 | quint32(h[0x08]) << 16 | quint32(h[0x09]) << 24);
    const int firstBlock = u16(h + 0x0E);
    const int lastBlock = u16(h + 0x10);
    const int fields = s16(h + 0x21);
    if (fileType != 0 && fileType != 2)
        return QStringLiteral("not a data table (file type %1)").arg(fileType);
    if (maxTableSize != 1 && maxTableSize != 2 && maxTableSize != 3 && maxTableSize != 4 && maxTableSize != 8
        && maxTableSize != 16 && maxTableSize != 32)
        return QStringLiteral("block size %1 KB is not one Paradox uses").arg(maxTableSize);
    const int blockSize = maxTableSize * 1024;
    constexpr int blockHeader = 6;
    if (headerSize < fixedHeader || headerSize > size)
        return QStringLiteral("header size %1 does not fit the file of %2 bytes").arg(headerSize).arg(size);
    if (fields < 1 || fields > 255)
        return QStringLiteral("%1 fields").arg(fields);
    if (recordSize < 1 || recordSize > blockSize - blockHeader)
        return QStringLiteral("record size %1 does not fit a block of %2 bytes").arg(recordSize).arg(blockSize);
    if (records < 0)
        return QStringLiteral("%1 records").arg(records);
    // pxlib would decrypt an encrypted table (and can spin doing so on a damaged key); the
    // program's tables are never encrypted. Tables of version 4.0 and later keep the key here.
    auto u32 = [h](int at) { return quint32(h[at]) | quint32(h[at + 1]) << 8 | quint32(h[at + 2]) << 16 | quint32(h[at + 3]) << 24; };
    // pxlib reads the part of the header that follows the field count (with the second key)
    // only for the versions it knows; for any other it would take an unread key and decrypt
    // the blocks with it, reading block numbers that lead anywhere.
    const int version = h[0x39];
    if (version < 3 || version > 12)
        return QStringLiteral("file version %1 is not one Paradox uses").arg(version);
    if (version < 5 && u32(0x25) != 0)
        return QStringLiteral("the table is encrypted");
    // The first key reads 0xff00ff00 (or 0) in a table without a password.
    if ((u32(0x25) != 0 && u32(0x25) != 0xff00ff00u) || (h[0x39] >= 5 && u32(0x5C) != 0))
        return QStringLiteral("the table is encrypted");
    // Each block of the chain lies wholly inside the file, is visited once, points back to
    // the block before it, and holds no more records than fit; together they hold the
    // records the header counts.
    const qint64 blocksInFile = (size - headerSize) / blockSize;
    const int capacity = (blockSize - blockHeader) / recordSize;
    QSet<int> visited;
    qint64 chained = 0;
    int previous = 0;
    for (int block = firstBlock; block != 0;) {
        if (block > blocksInFile)
            return QStringLiteral("block %1 lies beyond the end of the file (%2 blocks)").arg(block).arg(blocksInFile);
        if (visited.contains(block))
            return QStringLiteral("the chain of blocks returns to block %1").arg(block);
        visited.insert(block);
        if (!f.seek(headerSize + qint64(block - 1) * blockSize))
            return QStringLiteral("block %1 cannot be read").arg(block);
        const QByteArray bh = f.read(blockHeader);
        if (bh.size() < blockHeader)
            return QStringLiteral("block %1 cannot be read").arg(block);
        const auto *b = reinterpret_cast<const uchar *>(bh.constData());
        const int next = u16(b), prev = u16(b + 2), lastOffset = s16(b + 4);
        if (prev != previous)
            return QStringLiteral("block %1 names %2 as the block before it, not %3").arg(block).arg(prev).arg(previous);
        if (lastOffset >= 0) {
            if (lastOffset % recordSize != 0 || lastOffset / recordSize + 1 > capacity)
                return QStringLiteral("block %1 claims more records than it can hold").arg(block);
            chained += lastOffset / recordSize + 1;
        } else if (lastOffset != -recordSize) {
            return QStringLiteral("block %1 has a broken record count").arg(block);
        }
        previous = block;
        block = next;
    }
    if (!visited.isEmpty() && lastBlock != previous)
        return QStringLiteral("the last block is %1, the header says %2").arg(previous).arg(lastBlock);
    if (chained != records)
        return QStringLiteral("the header counts %1 records, the blocks hold %2").arg(records).arg(chained);
    return QString();
}

QString findParadoxTable(const QString &folder, const QString &table)
{
    const QDir dir(folder);
    const QString wanted = table + QStringLiteral(".db");
    for (const QString &f : dir.entryList(QDir::Files | QDir::Hidden))
        if (f.compare(wanted, Qt::CaseInsensitive) == 0)
            return dir.filePath(f);
    return QString();
}

ParadoxTable::ParadoxTable(const QString &path) : m_path(path)
{
    const QString damage = checkParadoxTable(path);
    if (!damage.isEmpty())
        throw ParadoxError(ParadoxError::Kind::Damaged, path, damage);
    bootPxlib();
    m_doc = PX_new2(errorHandler, nullptr, nullptr, nullptr);
    if (!m_doc)
        throw ParadoxError(ParadoxError::Kind::Unreadable, path, QStringLiteral("out of memory"));
    m_doc->errorhandler_user_data = &m_errors;
    // The files are opened here, for reading only: pxlib's own open asks for write access,
    // which old tables of another user or on a read-only mount do not give.
    m_file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!m_file || PX_open_fp(m_doc, m_file) < 0) {
        const QString why = m_file ? m_errors.join(QStringLiteral("; ")) : QString::fromLocal8Bit(std::strerror(errno));
        PX_delete(m_doc);
        m_doc = nullptr;
        closeFiles();
        throw ParadoxError(ParadoxError::Kind::Unreadable, path, why);
    }
    const QFileInfo fi(path);
    for (const QString &f : fi.dir().entryList(QDir::Files | QDir::Hidden)) {
        if (f.compare(fi.completeBaseName() + QStringLiteral(".mb"), Qt::CaseInsensitive) == 0) {
            m_blobFile = std::fopen(QFile::encodeName(fi.dir().filePath(f)).constData(), "rb");
            break;
        }
    }
    // The fields must fill the record exactly, or reading a field would run past it.
    int length = 0;
    for (int i = 0; i < fieldCount(); ++i) {
        const int len = PX_get_field(m_doc, i)->px_flen;
        length += len > 0 ? len : 1 << 16;
    }
    const int recordSize = PX_get_recordsize(m_doc);
    if (length != recordSize) {
        PX_close(m_doc);
        PX_delete(m_doc);
        m_doc = nullptr;
        closeFiles();
        throw ParadoxError(ParadoxError::Kind::Damaged, path,
                           QStringLiteral("its fields take %1 bytes, a record %2").arg(length).arg(recordSize));
    }
    // Old tables from DOS times may carry code page 852; the rest is windows-1250.
    m_codePage = int(m_doc->px_head->px_doscodepage == 852 ? CodePage::Cp852 : CodePage::Cp1250);
}

ParadoxTable::~ParadoxTable()
{
    if (m_doc) {
        PX_close(m_doc);
        PX_delete(m_doc);
    }
    closeFiles();
}

void ParadoxTable::closeFiles()
{
    if (m_blobFile)
        std::fclose(m_blobFile);
    if (m_file)
        std::fclose(m_file);
    m_blobFile = m_file = nullptr;
}

int ParadoxTable::fieldCount() const
{
    return PX_get_num_fields(m_doc);
}

int ParadoxTable::recordCount() const
{
    return PX_get_num_records(m_doc);
}

QString ParadoxTable::fieldName(int i) const
{
    return QString::fromLatin1(PX_get_field(m_doc, i)->px_fname);
}

int ParadoxTable::fieldType(int i) const
{
    return PX_get_field(m_doc, i)->px_ftype;
}

QList<QVariant> ParadoxTable::read(int n)
{
    QList<QVariant> out;
    std::vector<char> data(size_t(PX_get_recordsize(m_doc)) + 1, 0);
    if (!PX_get_record(m_doc, n, data.data()))
        throw ParadoxError(ParadoxError::Kind::Unreadable, m_path,
                           QStringLiteral("record %1 cannot be read: %2").arg(n + 1).arg(m_errors.join(QStringLiteral("; "))));
    int offset = 0;
    for (int i = 0; i < fieldCount(); ++i) {
        pxfield_t *f = PX_get_field(m_doc, i);
        char *p = data.data() + offset;
        offset += f->px_flen;
        out << value(f, p);
    }
    return out;
}

QString ParadoxTable::text(const char *bytes, int len) const
{
    QByteArray b(bytes, len);
    const qsizetype z = b.indexOf('\0');
    if (z >= 0)
        b.truncate(z);
    return decode(b, CodePage(m_codePage));
}

QVariant ParadoxTable::value(pxfield_t *f, char *p)
{
    // Paradox stores an empty number as all zero bytes (a present zero has the sign bit
    // set). pxlib reports such a long as -2147483648, so emptiness is decided here.
    if (f->px_ftype != pxfAlpha && f->px_ftype != pxfMemoBLOb && f->px_ftype != pxfFmtMemoBLOb
        && std::all_of(p, p + f->px_flen, [](char c) { return c == 0; }))
        return {};
    switch (f->px_ftype) {
    case pxfAlpha: {
        char *v = nullptr;
        if (PX_get_data_alpha(m_doc, p, f->px_flen, &v) <= 0 || !v)
            return {};
        const QString s = text(v, int(qstrlen(v)));
        m_doc->free(m_doc, v);
        return s;
    }
    case pxfShort: {
        short int v = 0;
        return PX_get_data_short(m_doc, p, f->px_flen, &v) > 0 ? QVariant(qlonglong(v)) : QVariant();
    }
    case pxfLong:
    case pxfAutoInc: {
        long v = 0;
        return PX_get_data_long(m_doc, p, f->px_flen, &v) > 0 ? QVariant(qlonglong(v)) : QVariant();
    }
    case pxfNumber:
    case pxfCurrency: {
        double v = 0;
        return PX_get_data_double(m_doc, p, f->px_flen, &v) > 0 ? QVariant(v) : QVariant();
    }
    case pxfLogical: {
        char v = 0;
        return PX_get_data_byte(m_doc, p, f->px_flen, &v) > 0 ? QVariant(v != 0) : QVariant();
    }
    case pxfBCD: {
        char *v = nullptr;
        if (PX_get_data_bcd(m_doc, reinterpret_cast<unsigned char *>(p), f->px_fdc, &v) <= 0 || !v)
            return {};
        const double d = QString::fromLatin1(v).toDouble();
        m_doc->free(m_doc, v);
        return d;
    }
    case pxfMemoBLOb:
    case pxfFmtMemoBLOb:
        return memo(p, f->px_flen);
    default:
        return {}; // dates, times, graphics: no such columns in the program's tables
    }
}

// A memo field: the first bytes of the text in the record (the leader), then a pointer of
// 10 bytes into the .MB file: block offset with the entry's index in its low byte (0xff: a
// block of its own), length, modification number. The .MB file is read here: pxlib's own
// reader of its header overruns a buffer.
QVariant ParadoxTable::memo(const char *p, int flen)
{
    const int leader = flen - 10;
    if (leader < 0)
        return {};
    const auto *ptr = reinterpret_cast<const unsigned char *>(p) + leader;
    auto le32 = [](const unsigned char *b) { return quint32(b[0]) | quint32(b[1]) << 8 | quint32(b[2]) << 16 | quint32(b[3]) << 24; };
    const quint32 offset = le32(ptr), length = le32(ptr + 4);
    if (length == 0)
        return {};
    if (length <= quint32(leader))
        return text(p, int(length));
    auto damaged = [this](const QString &what) {
        return ParadoxError(ParadoxError::Kind::Damaged, m_path, QStringLiteral("memo file: ") + what);
    };
    if (!m_blobFile)
        throw damaged(QStringLiteral("the .MB file beside the table is missing"));
    const long block = long(offset & 0xffffff00u);
    const int index = int(offset & 0xff);
    if (std::fseek(m_blobFile, 0, SEEK_END) != 0)
        throw damaged(QStringLiteral("cannot be read"));
    const long size = std::ftell(m_blobFile);
    long start = 0;
    if (index == 0xff) {
        start = block + 9; // a block of its own: type, 4k count, length, modification
    } else {
        unsigned char entry[5] = {};
        if (std::fseek(m_blobFile, block + 12 + index * 5, SEEK_SET) != 0 || std::fread(entry, 1, 5, m_blobFile) != 5)
            throw damaged(QStringLiteral("an entry lies outside the file"));
        start = block + long(entry[0]) * 16;
    }
    if (block <= 0 || start < 0 || length > 16u * 1024 * 1024 || start + long(length) > size)
        throw damaged(QStringLiteral("a text lies outside the file"));
    QByteArray bytes(int(length), Qt::Uninitialized);
    if (std::fseek(m_blobFile, start, SEEK_SET) != 0 || std::fread(bytes.data(), 1, size_t(length), m_blobFile) != size_t(length))
        throw damaged(QStringLiteral("cannot be read"));
    return text(bytes.constData(), int(bytes.size()));
}

qint64 readParadoxRecords(const QString &path)
{
    ParadoxTable table(path);
    qint64 n = 0;
    for (int r = 0; r < table.recordCount(); ++r) {
        table.read(r);
        ++n;
    }
    return n;
}

qint64 copyParadoxTable(const QString &path, Connection &connection, const QString &name)
{
    ParadoxTable table(path);
    QStringList columns, marks;
    for (int i = 0; i < table.fieldCount(); ++i) {
        QString type;
        switch (table.fieldType(i)) {
        case pxfShort:
        case pxfLong:
        case pxfAutoInc:
        case pxfLogical: type = QStringLiteral("INTEGER"); break;
        case pxfNumber:
        case pxfCurrency:
        case pxfBCD: type = QStringLiteral("REAL"); break;
        default: type = QStringLiteral("TEXT"); break;
        }
        QString field = table.fieldName(i);
        field.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        columns << QStringLiteral("\"%1\" %2").arg(field, type);
        marks << QStringLiteral("?");
    }
    QString quotedName = name;
    quotedName.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    connection.exec(QStringLiteral("DROP TABLE IF EXISTS \"%1\"").arg(quotedName));
    connection.exec(QStringLiteral("CREATE TABLE \"%1\" (%2)").arg(quotedName, columns.join(QStringLiteral(", "))));
    // One transaction for all rows, not one per row.
    Transaction transaction(connection);
    qint64 n = 0;
    {
        Statement insert(connection, QStringLiteral("INSERT INTO \"%1\" VALUES (%2)").arg(quotedName, marks.join(QLatin1Char(','))));
        for (int r = 0; r < table.recordCount(); ++r) {
            const QList<QVariant> rec = table.read(r);
            for (int i = 0; i < rec.size(); ++i)
                insert.bind(i + 1, rec[i]);
            insert.execute();
            insert.reset();
            ++n;
        }
    }
    transaction.commit();
    return n;
}

} // namespace orv::db
