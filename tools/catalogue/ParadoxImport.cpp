#include "ParadoxImport.h"
#include "SqliteFile.h"

#include "core/CodePage.h"
#include "db/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

// The pxlib header declares C functions without extern "C".
extern "C" {
#include <paradox.h>
}

#include <algorithm>
#include <cmath>
#include <vector>

namespace orv::catalogue {

namespace {

void errorHandler(pxdoc_t *, int level, const char *msg, void *data)
{
    // Warnings of pxlib are not failures; errors are collected and reported by the caller.
    if (level == PX_Warning)
        return;
    auto *errors = static_cast<QStringList *>(data);
    errors->append(QString::fromLocal8Bit(msg));
}

struct PxLibrary {
    PxLibrary() { PX_boot(); }
    ~PxLibrary() { PX_shutdown(); }
};

class ParadoxTable {
public:
    ParadoxTable(const QString &path, QStringList &errors) : m_errors(errors)
    {
        // pxlib trusts the header and the block chain: a damaged one can make it read past
        // the end or walk a loop of blocks for ever. Such a file is refused here.
        const QString damage = checkParadoxTable(path);
        if (!damage.isEmpty())
            throw ToolError(QStringLiteral("The Paradox table %1 is damaged: %2").arg(path, damage));
        m_doc = PX_new2(errorHandler, nullptr, nullptr, nullptr);
        m_doc->errorhandler_user_data = &m_errors;
        if (PX_open_file(m_doc, QFile::encodeName(path).constData()) < 0) {
            PX_delete(m_doc);
            m_doc = nullptr;
            throw ToolError(QStringLiteral("Cannot read the Paradox table %1: %2").arg(path, m_errors.join(QStringLiteral("; "))));
        }
        const QFileInfo fi(path);
        for (const QString &ext : {QStringLiteral("MB"), QStringLiteral("mb"), QStringLiteral("Mb")}) {
            const QString mb = fi.absolutePath() + QLatin1Char('/') + fi.completeBaseName() + QLatin1Char('.') + ext;
            if (QFile::exists(mb)) {
                PX_set_blob_file(m_doc, QFile::encodeName(mb).constData());
                break;
            }
        }
        // The fields must fill the record exactly, or reading a field would run past it.
        int length = 0;
        for (int i = 0; i < fieldCount(); ++i)
            length += field(i)->px_flen > 0 ? field(i)->px_flen : 1 << 16;
        const int recordSize = PX_get_recordsize(m_doc);
        if (length != recordSize) {
            PX_close(m_doc);
            PX_delete(m_doc);
            m_doc = nullptr;
            throw ToolError(QStringLiteral("The Paradox table %1 is damaged: its fields take %2 bytes, a record %3")
                                .arg(path).arg(length).arg(recordSize));
        }
        // Old tables from DOS times may carry code page 852; the rest is windows-1250.
        m_codePage = m_doc->px_head->px_doscodepage == 852 ? CodePage::Cp852 : CodePage::Cp1250;
    }
    ~ParadoxTable()
    {
        if (m_doc) {
            PX_close(m_doc);
            PX_delete(m_doc);
        }
    }

    int fieldCount() const { return PX_get_num_fields(m_doc); }
    int recordCount() const { return PX_get_num_records(m_doc); }
    pxfield_t *field(int i) const { return PX_get_field(m_doc, i); }
    QString fieldName(int i) const { return QString::fromLatin1(field(i)->px_fname); }

    // Reads record `n` into one QVariant per field (null when the field is empty).
    bool read(int n, QList<QVariant> &out)
    {
        out.clear();
        std::vector<char> data(size_t(PX_get_recordsize(m_doc)) + 1, 0);
        if (!PX_get_record(m_doc, n, data.data()))
            return false;
        int offset = 0;
        for (int i = 0; i < fieldCount(); ++i) {
            pxfield_t *f = field(i);
            char *p = data.data() + offset;
            offset += f->px_flen;
            out << value(f, p);
        }
        return true;
    }

private:
    QString text(const char *bytes, int len) const
    {
        QByteArray b(bytes, len);
        const qsizetype z = b.indexOf('\0');
        if (z >= 0)
            b.truncate(z);
        return decode(b, m_codePage);
    }

    QVariant value(pxfield_t *f, char *p)
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
            return PX_get_data_short(m_doc, p, f->px_flen, &v) > 0 ? QVariant(int(v)) : QVariant();
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
        case pxfFmtMemoBLOb: {
            char *v = nullptr;
            int mod = 0, size = 0;
            const int rc = PX_get_data_blob(m_doc, p, f->px_flen, &mod, &size, &v);
            if (rc <= 0 || !v)
                return {};
            const QString s = text(v, size);
            m_doc->free(m_doc, v);
            return s;
        }
        default:
            return {}; // dates, times, graphics: no such columns in the program's tables
        }
    }

    pxdoc_t *m_doc = nullptr;
    QStringList &m_errors;
    CodePage m_codePage = CodePage::Cp1250;
};

QVariant convert(const QVariant &v, const db::ColumnDef &col, bool &cut)
{
    if (!v.isValid() || v.isNull())
        return {};
    switch (col.type) {
    case db::ColumnType::Integer:
        if (v.typeId() == QMetaType::Double)
            return qlonglong(std::llround(v.toDouble()));
        if (v.typeId() == QMetaType::QString) {
            bool ok = false;
            const qlonglong n = v.toString().trimmed().toLongLong(&ok);
            return ok ? QVariant(n) : QVariant();
        }
        return v.toLongLong();
    case db::ColumnType::Number:
        if (v.typeId() == QMetaType::QString) {
            bool ok = false;
            const double d = v.toString().trimmed().toDouble(&ok);
            return ok ? QVariant(d) : QVariant();
        }
        return v.toDouble();
    case db::ColumnType::Logical:
        return v.toBool();
    case db::ColumnType::Alpha: {
        QString s = v.toString();
        if (s.size() > col.width) {
            s.truncate(col.width);
            cut = true;
        }
        return s;
    }
    case db::ColumnType::Memo:
        return v.toString();
    }
    return {};
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

qint64 readParadoxRecords(const QString &path)
{
    PxLibrary px;
    QStringList errors;
    ParadoxTable table(path, errors);
    QList<QVariant> rec;
    qint64 n = 0;
    for (int r = 0; r < table.recordCount(); ++r) {
        if (!table.read(r, rec))
            throw ToolError(QStringLiteral("%1: record %2 cannot be read: %3").arg(path).arg(r + 1).arg(errors.join(QStringLiteral("; "))));
        ++n;
    }
    return n;
}

ImportSummary importParadox(const QString &paradoxFolder, const QString &dataFolder)
{
    const QDir dir(paradoxFolder);
    if (!dir.exists())
        throw ToolError(QStringLiteral("Folder %1 does not exist").arg(paradoxFolder));
    QHash<QString, QString> files; // lower-case table name -> path
    for (const QString &f : dir.entryList(QDir::Files))
        if (f.endsWith(QStringLiteral(".db"), Qt::CaseInsensitive))
            files.insert(QFileInfo(f).completeBaseName().toLower(), dir.filePath(f));

    // A folder without the catalogue's tables would replace a good catalogue with an empty one.
    bool catalogueTables = false;
    for (const db::TableDef &t : db::schema())
        if (t.database == db::Database::Catalogue && files.contains(t.name.toLower()))
            catalogueTables = true;
    if (!catalogueTables)
        throw ToolError(QStringLiteral("%1 holds no table of the catalogue; the catalogue in %2 was left as it is")
                            .arg(paradoxFolder, dataFolder));

    PxLibrary px;
    ImportSummary sum;
    AtomicSqliteFile catFile(dataFolder + QLatin1Char('/') + db::catalogueFileName());
    AtomicSqliteFile userFile(dataFolder + QLatin1Char('/') + db::userFileName());
    catFile.file().createTables(db::Database::Catalogue);
    userFile.file().createTables(db::Database::User);
    catFile.file().begin();
    userFile.file().begin();

    for (const db::TableDef &t : db::schema()) {
        const QString path = files.value(t.name.toLower());
        if (path.isEmpty()) {
            sum.warnings << QStringLiteral("%1: table not found, created empty").arg(t.name);
            continue;
        }
        QStringList errors;
        ParadoxTable table(path, errors);
        ++sum.tables;
        // Map the Paradox fields to the table's columns by name, without regard to case.
        std::vector<int> target(size_t(table.fieldCount()), -1);
        for (int i = 0; i < table.fieldCount(); ++i) {
            const QString name = table.fieldName(i);
            for (int c = 0; c < t.columns.size(); ++c)
                if (t.columns[c].name.compare(name, Qt::CaseInsensitive) == 0)
                    target[size_t(i)] = c;
            if (target[size_t(i)] < 0)
                sum.warnings << QStringLiteral("%1: column %2 is not part of the table, skipped").arg(t.name, name);
        }
        SqliteFile &out = t.database == db::Database::Catalogue ? catFile.file() : userFile.file();
        bool cut = false;
        QList<QVariant> rec;
        const int n = table.recordCount();
        for (int r = 0; r < n; ++r) {
            if (!table.read(r, rec))
                throw ToolError(QStringLiteral("%1: record %2 cannot be read: %3").arg(path).arg(r + 1).arg(errors.join(QStringLiteral("; "))));
            std::vector<QVariant> row(size_t(t.columns.size()));
            for (int i = 0; i < rec.size(); ++i)
                if (target[size_t(i)] >= 0)
                    row[size_t(target[size_t(i)])] = convert(rec[i], t.columns[target[size_t(i)]], cut);
            out.insertRow(t.name, row);
            ++sum.rows;
        }
        if (cut)
            sum.warnings << QStringLiteral("%1: texts longer than their column were cut").arg(t.name);
    }
    if (catFile.file().scalar(QStringLiteral("SELECT count(*) FROM Mat")).toLongLong() == 0)
        throw ToolError(QStringLiteral("%1 holds no materials (table Mat is missing or empty); the catalogue in %2 was left as it is")
                            .arg(paradoxFolder, dataFolder));
    catFile.file().commit();
    userFile.file().commit();
    catFile.commitFile();
    sum.userFile = installUserFile(userFile);
    return sum;
}

} // namespace orv::catalogue
