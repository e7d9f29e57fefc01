#pragma once
// Reading tables in the Paradox format (the previous version's data, catalogues kept as
// Paradox tables). A table is checked against its file before pxlib opens it, since pxlib
// trusts the header and the block chain: a damaged file is refused, it never hangs or crashes
// the reader. Texts are windows-1250 (code page 852 when the table says so); memo fields are
// read from the ".MB" file beside the table.

#include <QList>
#include <QString>

#include <cstdio>
#include <QStringList>
#include <QVariant>

#include <stdexcept>

struct px_doc;
struct px_field;

namespace orv::db {

class Connection;

class ParadoxError : public std::runtime_error {
public:
    enum class Kind {
        Damaged,    // the header or the blocks do not fit the file
        Unreadable  // the file cannot be opened or a record cannot be read
    };
    ParadoxError(Kind kind, const QString &file, const QString &detail);
    Kind kind() const { return m_kind; }
    const QString &file() const { return m_file; }
    // What is wrong, in the words of the check or of pxlib (English).
    const QString &detail() const { return m_detail; }

private:
    Kind m_kind;
    QString m_file;
    QString m_detail;
};

// Checks a table's header and its chain of data blocks against the file: sizes in range,
// every block inside the file and visited once, record counts that add up, no encryption.
// Returns what is wrong, or an empty text for a sound file.
QString checkParadoxTable(const QString &path);

// The file of table `table` in `folder` ("<table>.DB" in any letter case), or an empty text.
QString findParadoxTable(const QString &folder, const QString &table);

class ParadoxTable {
public:
    // Checks and opens the table. Throws ParadoxError.
    explicit ParadoxTable(const QString &path);
    ~ParadoxTable();
    ParadoxTable(const ParadoxTable &) = delete;
    ParadoxTable &operator=(const ParadoxTable &) = delete;

    const QString &path() const { return m_path; }
    int fieldCount() const;
    int recordCount() const;
    QString fieldName(int i) const;
    // pxlib's field type (pxfAlpha, pxfLong, ...).
    int fieldType(int i) const;

    // Reads record `n` (0-based) into one value per field: null when empty, numbers as
    // qlonglong or double, texts as QString. Throws ParadoxError when it cannot be read.
    QList<QVariant> read(int n);

private:
    QVariant value(px_field *f, char *p);
    QString text(const char *bytes, int len) const;
    QVariant memo(const char *recordBytes, int fieldLength);
    void closeFiles();

    QString m_path;
    px_doc *m_doc = nullptr;
    FILE *m_file = nullptr;     // the table, opened for reading
    FILE *m_blobFile = nullptr; // its memo file, when there is one
    QStringList m_errors;
    int m_codePage = 0; // orv::CodePage
};

// Opens `path` and reads every record; returns how many. Throws ParadoxError.
qint64 readParadoxRecords(const QString &path);

// Copies every record of the table into a new table `name` of `connection` (dropped first
// when it exists). Its columns carry the Paradox field names; whole numbers become INTEGER,
// other numbers REAL, the rest TEXT. Returns the number of rows. Throws ParadoxError or
// DbError.
qint64 copyParadoxTable(const QString &path, Connection &connection, const QString &name);

} // namespace orv::db
