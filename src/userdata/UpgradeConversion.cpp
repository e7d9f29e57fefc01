#include "userdata/UpgradeConversion.h"

#include "core/SqlText.h"
#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/MainDataModule.h"
#include "db/OwnDataModule.h"
#include "db/ParadoxTable.h"
#include "db/Schema.h"
#include "userdata/MaterialFields.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>
#include <QVariantMap>

namespace orv::userdata {

namespace {


using Row = QVariantMap; // column names in lower case

QVariant field(const Row &r, const char *name)
{
    return r.value(QString::fromLatin1(name).toLower());
}

struct OldChemRow {
    Row row;
    QVariant note; // the note's text; null: none
};

struct OldMaterial {
    int oldNumber = 0;
    Row details;   // the first row of the details query
    QVariant note; // the material's note text; null: none
    QList<OldChemRow> composition;
    QList<Row> equivalents;
};

struct OldNote {
    qint64 id = 0; // the old note's row
    QVariant text;
    QVariant nameShort;
    QVariant labelShort;
};

// The old tables in a private scratch database, for as long as the conversion reads them.
class OldTables {
public:
    OldTables(db::Connection &connection, const QString &folder, const QStringList &tables) : m_conn(connection)
    {
        if (!m_scratch.isValid())
            throw UpgradeError(QStringLiteral("Nelze vytvořit dočasnou složku pro převod dat:\n%1").arg(m_scratch.errorString()));
        m_conn.openFile(m_scratch.filePath(QStringLiteral("old.sqlite")), db::OpenMode::Create);
        m_conn.exec(QStringLiteral("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF"));
        for (const QString &t : tables) {
            const QString path = db::findParadoxTable(folder, t);
            if (path.isEmpty())
                throw UpgradeError(QStringLiteral("Ve složce dat starší verze %1 chybí tabulka %2.\n\nPřevod dat nelze provést.")
                                       .arg(QDir::toNativeSeparators(folder), t + QStringLiteral(".DB")));
            try {
                db::copyParadoxTable(path, m_conn, t);
                addMissingColumns(t);
            } catch (const db::ParadoxError &e) {
                const QString what = e.kind() == db::ParadoxError::Kind::Damaged
                                         ? QStringLiteral("Tabulka %1 starší verze je poškozená a nelze ji přečíst.")
                                         : QStringLiteral("Tabulku %1 starší verze nelze přečíst.");
                throw UpgradeError(what.arg(QDir::toNativeSeparators(path))
                                   + QStringLiteral("\n\nPřevod dat nelze provést; data nové verze zůstala beze změny.\n\nPodrobnosti: ")
                                   + e.detail());
            }
        }
    }
    ~OldTables() { m_conn.close(); }

    // A column the queries read but an old table lacks reads as empty.
    void addMissingColumns(const QString &table)
    {
        static const QHash<QString, QStringList> columns = {
            {QStringLiteral("mat"), {QStringLiteral("Number"), QStringLiteral("Name"), QStringLiteral("PdfFile"),
                                     QStringLiteral("Purpose"), QStringLiteral("TypeNo"), QStringLiteral("NoticeNo"),
                                     QStringLiteral("Purpose1"), QStringLiteral("Purpose2"), QStringLiteral("Purpose3"),
                                     QStringLiteral("Purpose4"), QStringLiteral("Purpose5"), QStringLiteral("PurposeAll"),
                                     QStringLiteral("Private")}},
            {QStringLiteral("nodes"), {QStringLiteral("Number"), QStringLiteral("MaterialNo"), QStringLiteral("Label"),
                                       QStringLiteral("IndexLabel"), QStringLiteral("ShortLabel"), QStringLiteral("Text"),
                                       QStringLiteral("UserNoticeNo")}},
            {QStringLiteral("norms"), {QStringLiteral("Number"), QStringLiteral("MaterialNo"), QStringLiteral("Name"),
                                       QStringLiteral("Label"), QStringLiteral("CountryNo"), QStringLiteral("NameShort"),
                                       QStringLiteral("LabelShort")}},
            {QStringLiteral("chemcomp"), {QStringLiteral("MaterialNo"), QStringLiteral("ElementNo"), QStringLiteral("MinValue"),
                                          QStringLiteral("MaxValue"), QStringLiteral("NoticeNo")}},
            {QStringLiteral("comparenorms"), {QStringLiteral("MaterialNo"), QStringLiteral("Name"), QStringLiteral("Label"),
                                              QStringLiteral("NameShort"), QStringLiteral("LabelShort"),
                                              QStringLiteral("CountryNo")}},
            {QStringLiteral("notices"), {QStringLiteral("Number"), QStringLiteral("Notice")}},
            {QStringLiteral("usernotices"), {QStringLiteral("MaterialNo"), QStringLiteral("Text")}},
        };
        QStringList present;
        for (const QString &c : m_conn.tableColumns(table))
            present << c.toLower();
        for (const QString &c : columns.value(table.toLower()))
            if (!present.contains(c.toLower()))
                m_conn.exec(QStringLiteral("ALTER TABLE \"%1\" ADD COLUMN \"%2\"").arg(table, c));
        // The queries look rows up by these.
        for (const QString &c : {QStringLiteral("Number"), QStringLiteral("MaterialNo")})
            if (present.contains(c.toLower()))
                m_conn.exec(QStringLiteral("CREATE INDEX \"%1_%2\" ON \"%1\" (\"%2\")").arg(table, c));
    }
    db::Connection &connection() { return m_conn; }

private:
    QTemporaryDir m_scratch;
    db::Connection &m_conn;
};

QVariant noteText(db::Connection &old, const QVariant &noticeNo)
{
    if (noticeNo.isNull())
        return QVariant();
    const QList<Row> r = readRows(old, QStringLiteral("select notice from notices where Number = :n"),
                                  {{QStringLiteral("n"), noticeNo}});
    return r.isEmpty() ? QVariant() : QVariant(r.first().value(QStringLiteral("notice")).toString());
}

// Step one: everything the conversion writes is read before anything is written.
QList<OldMaterial> readOldMaterials(db::Connection &old, int *skipped)
{
    QList<OldMaterial> out;
    const QList<Row> list = readRows(old, QStringLiteral("select pm.Number from mat pm where pm.private = 'A' order by pm.Number"));
    for (const Row &m : list) {
        const QVariant o = m.value(QStringLiteral("number"));
        const QList<Row> details = readRows(
            old,
            QStringLiteral(
                "select pm.Number, pm.Name, pm.PdfFile, pm.Purpose, pm.TypeNo, pm.NoticeNo, pm.Purpose1, pm.Purpose2,"
                "       pm.Purpose3, pm.Purpose4, pm.Purpose5, pm.PurposeAll,"
                "       nd.Label, nd.IndexLabel, nd.ShortLabel, nd.Text, nd.UserNoticeNo, nm.Name as NameNorm,"
                "       nm.Label as LabelNorm, nm.CountryNo, nm.NameShort as NameShortNorm, nm.LabelShort as LabelShortNorm"
                "  from mat pm, nodes nd, norms nm"
                "  where pm.Number = nd.MaterialNo and nm.MaterialNo = pm.Number and pm.Number = :o"
                "  order by nd.rowid, nm.rowid limit 1"),
            {{QStringLiteral("o"), o}});
        // Without a contents-tree node or a designation there is nothing to attach the rest to.
        if (details.isEmpty()) {
            ++*skipped;
            continue;
        }
        OldMaterial mat;
        mat.oldNumber = o.toInt();
        mat.details = details.first();
        mat.note = noteText(old, field(mat.details, "NoticeNo"));
        for (const Row &c : readRows(old, QStringLiteral("select ElementNo, MinValue, MaxValue, NoticeNo from chemComp"
                                                         "  where MaterialNo = :o order by rowid"),
                                     {{QStringLiteral("o"), o}}))
            mat.composition << OldChemRow{c, noteText(old, field(c, "NoticeNo"))};
        mat.equivalents = readRows(old, QStringLiteral("select Name, Label, NameShort, LabelShort, CountryNo from CompareNorms"
                                                       "  where MaterialNo = :o order by rowid"),
                                   {{QStringLiteral("o"), o}});
        out << mat;
    }
    return out;
}

QList<OldNote> readOldNotes(db::Connection &old)
{
    QList<OldNote> out;
    for (const Row &r : readRows(old, QStringLiteral("select u.rowid as id, u.Text, n.NameShort, n.LabelShort"
                                                     "  from UserNotices u, Mat m, Norms n"
                                                     "  where u.MaterialNo = m.Number and m.Number = n.MaterialNo"
                                                     "  order by u.rowid, n.rowid")))
        out << OldNote{r.value(QStringLiteral("id")).toLongLong(), r.value(QStringLiteral("text")),
                       r.value(QStringLiteral("nameshort")), r.value(QStringLiteral("labelshort"))};
    return out;
}

QVariant insertNote(db::OwnDataModule &own, const QVariant &text)
{
    if (text.isNull())
        return QVariant();
    db::DataSet &notices = own.qNotices;
    if (!notices.isOpen())
        notices.open();
    notices.append();
    notices.setValue(QStringLiteral("Notice"), text);
    notices.post();
    return notices.value(kNumber);
}

void standOn(db::DataSet &nodes, int material)
{
    nodes.close();
    nodes.setParam(QStringLiteral("MatNo"), material);
    nodes.open();
}

// The marks of what an earlier run carried over from the previous version.
bool carriedBefore(db::Connection &user, const QString &kind, const QString &oldKey, const QVariant &material = QVariant())
{
    QString sql = QStringLiteral("select count(*) from PreviousVersionRows where Kind = :k and OldKey = :o");
    if (material.isValid())
        sql += QStringLiteral(" and MaterialNo = :m");
    return user.scalar(sql, {{QStringLiteral("k"), kind}, {QStringLiteral("o"), oldKey}, {QStringLiteral("m"), material}})
               .toInt() > 0;
}

void markCarried(db::Connection &user, const QString &kind, const QString &oldKey, const QVariant &material)
{
    const qint64 number = user.scalar(QStringLiteral("select MAX(Number) from PreviousVersionRows")).toLongLong() + 1;
    user.exec(QStringLiteral("insert into PreviousVersionRows (Number, Kind, OldKey, MaterialNo) values (:n, :k, :o, :m)"),
              {{QStringLiteral("n"), number}, {QStringLiteral("k"), kind}, {QStringLiteral("o"), oldKey},
               {QStringLiteral("m"), material}});
}

// An old note is known by its row in the old table and its text.
QString oldNoteKey(const OldNote &n)
{
    const QByteArray hash = QCryptographicHash::hash(n.text.toString().toUtf8(), QCryptographicHash::Sha1).toHex();
    return QStringLiteral("%1:%2").arg(n.id).arg(QString::fromLatin1(hash));
}

int writeMaterial(db::OwnDataModule &own, const OldMaterial &m)
{
    const Row &d = m.details;
    // The node creates the material with its first designation and their mirror rows.
    db::DataSet &nodes = own.qNodes;
    if (!nodes.isOpen())
        nodes.open();
    nodes.append();
    for (const char *f : {"Label", "IndexLabel", "ShortLabel", "Text", "UserNoticeNo"})
        nodes.setValue(QString::fromLatin1(f), field(d, f));
    nodes.post();
    const int material = nodes.value(QStringLiteral("MaterialNo")).toInt();
    standOn(nodes, material);

    db::DataSet &mat = own.qMat;
    mat.edit();
    for (const char *f : {"Name", "PdfFile", "Purpose", "Purpose1", "Purpose2", "Purpose3", "Purpose4", "Purpose5",
                          "PurposeAll", "TypeNo"})
        mat.setValue(QString::fromLatin1(f), field(d, f));
    // An old material whose purpose lies only in its memo (PurposeAll) keeps it: the text is
    // laid into the six purpose parts, from which the module joins PurposeAll again.
    const char *const parts[] = {"Purpose", "Purpose1", "Purpose2", "Purpose3", "Purpose4", "Purpose5"};
    bool partsEmpty = true;
    for (const char *f : parts)
        partsEmpty = partsEmpty && field(d, f).toString().isEmpty();
    const QString memo = field(d, "PurposeAll").toString();
    if (partsEmpty && !memo.isEmpty()) {
        constexpr int width = 255;
        for (int i = 0; i < 6; ++i) {
            const QString part = i < 5 ? memo.mid(i * width, width) : memo.mid(i * width);
            mat.setValue(QString::fromLatin1(parts[i]), part.isEmpty() ? QVariant() : QVariant(part));
        }
    }
    db::DataSet &norms = own.qNorms;
    norms.edit();
    norms.setValue(QStringLiteral("Name"), field(d, "NameNorm"));
    norms.setValue(QStringLiteral("Label"), field(d, "LabelNorm"));
    norms.setValue(QStringLiteral("CountryNo"), field(d, "CountryNo"));
    norms.setValue(QStringLiteral("NameShort"), field(d, "NameShortNorm"));
    norms.setValue(QStringLiteral("LabelShort"), field(d, "LabelShortNorm"));
    norms.post();
    mat.post();

    const QVariant note = insertNote(own, m.note);
    mat.edit();
    mat.setValue(QStringLiteral("NoticeNo"), note);
    mat.post();

    db::DataSet &chem = own.qChemComp;
    for (const OldChemRow &c : m.composition) {
        const QVariant chemNote = insertNote(own, c.note);
        chem.append();
        for (const char *f : {"ElementNo", "MinValue", "MaxValue"})
            chem.setValue(QString::fromLatin1(f), field(c.row, f));
        chem.setValue(QStringLiteral("NoticeNo"), chemNote);
        chem.post();
    }
    db::DataSet &compare = own.qCompareNorms;
    for (const Row &e : m.equivalents) {
        compare.append();
        for (const char *f : {"Name", "Label", "NameShort", "LabelShort", "CountryNo"})
            compare.setValue(QString::fromLatin1(f), field(e, f));
        compare.post();
    }
    return material;
}

void cancelEdits(db::OwnDataModule &own)
{
    for (db::DataSet *ds : {&own.qNodes, &own.qMat, &own.qNorms, &own.qChemComp, &own.qCompareNorms, &own.qNotices,
                            &own.qUserNotices, &own.qNodesIns, &own.qMatIns})
        if (ds->isEditing())
            ds->cancel();
}

int noteWidth()
{
    const db::TableDef *t = db::table(QStringLiteral("UserNotices"));
    const db::ColumnDef *c = t ? t->column(QStringLiteral("TEXT")) : nullptr;
    return c ? c->width : 200;
}

// The progress callbacks, each optional.
struct Progress {
    const UpgradeProgress &callbacks;
    void text(const QString &t) const
    {
        if (callbacks.setText)
            callbacks.setText(t);
    }
    void maximum(int n) const
    {
        if (callbacks.setMaximum)
            callbacks.setMaximum(n);
    }
    void value(int n) const
    {
        if (callbacks.setValue)
            callbacks.setValue(n);
    }
};

struct OldData {
    QList<OldMaterial> materials;
    QList<OldNote> notes;
};

// Step one: the old tables (only those the conversion needs) are read completely before
// anything is written; a failure here is reported as unreadable old data.
OldData readOldData(db::MainDataModule &main, const QString &oldDataFolder, bool ownMaterials, int *skipped)
{
    OldData data;
    try {
        const QStringList tables = ownMaterials ? oldDataTables()
                                                : QStringList{QStringLiteral("mat"), QStringLiteral("norms"),
                                                              QStringLiteral("UserNotices")};
        OldTables old(main.upgradeOldData(), oldDataFolder, tables);
        if (ownMaterials)
            data.materials = readOldMaterials(old.connection(), skipped);
        data.notes = readOldNotes(old.connection());
    } catch (const UpgradeError &) {
        throw;
    } catch (const db::DbError &e) {
        throw UpgradeError(QStringLiteral("Data starší verze ve složce %1 nelze přečíst.\n\nPřevod dat nelze provést; data "
                                          "nové verze zůstala beze změny.\n\nPodrobnosti: %2")
                               .arg(QDir::toNativeSeparators(oldDataFolder), e.text()));
    }
    return data;
}

// The own materials not yet carried over by an earlier run; own materials made in this
// version are never touched.
void writeMaterials(db::OwnDataModule &own, const QList<OldMaterial> &materials, const Progress &progress,
                    UpgradeResult &result)
{
    db::Connection &user = own.mainModule().userSession();
    progress.text(QStringLiteral("Převod uživatelských materiálů"));
    progress.maximum(int(materials.size()));
    for (int i = 0; i < materials.size(); ++i) {
        const QString key = QString::number(materials[i].oldNumber);
        if (carriedBefore(user, QStringLiteral("M"), key)) {
            ++result.carriedBefore;
        } else {
            markCarried(user, QStringLiteral("M"), key, writeMaterial(own, materials[i]));
            ++result.materials;
        }
        progress.value(i + 1);
    }
}

// The user notes are added to the current ones: each goes to the material whose designation
// it was written for, once per material. A material that already has a note of this version
// keeps it, with the old note below it under the previous version's name.
void writeUserNotes(db::Connection &user, const QList<OldNote> &notes, const Progress &progress, UpgradeResult &result)
{
    progress.text(QStringLiteral("Převod uživatelských poznámek k materiálům"));
    progress.maximum(int(notes.size()));
    qint64 next = 1;
    const QVariant max = user.scalar(QStringLiteral("select MAX(Number) from UserNotices"));
    if (!max.isNull())
        next = max.toLongLong() + 1;
    const int width = noteWidth();
    QSet<qint64> placed;            // old notes that found a material
    QSet<QPair<qint64, int>> written; // (old note, new material)
    QSet<qint64> all;
    for (int i = 0; i < notes.size(); ++i) {
        const OldNote &n = notes[i];
        all.insert(n.id);
        const QVariant material = user.scalar(
            QStringLiteral("select MaterialNo from Norms where NameShort = :n and LabelShort = :l order by Number limit 1"),
            {{QStringLiteral("n"), n.nameShort}, {QStringLiteral("l"), n.labelShort}});
        if (!material.isNull()) {
            placed.insert(n.id);
            // A note reaches each material once, however many designations led to it, and
            // never twice over several runs.
            const QString key = oldNoteKey(n);
            if (!written.contains({n.id, material.toInt()})) {
                written.insert({n.id, material.toInt()});
                if (carriedBefore(user, QStringLiteral("N"), key, material)) {
                    ++result.notesCarriedBefore;
                } else {
                    const QString oldText = n.text.toString().left(width);
                    // The note the card shows (a note written through the main module's table may
                    // carry no number: found by its row).
                    const QVariant current = user.scalar(
                        QStringLiteral("select rowid from UserNotices where MaterialNo = :m order by Number, rowid limit 1"),
                        {{QStringLiteral("m"), material}});
                    if (current.isNull()) {
                        user.exec(QStringLiteral("insert into UserNotices (Number, MaterialNo, Text) values (:n, :m, :t)"),
                                  {{QStringLiteral("n"), next++},
                                   {QStringLiteral("m"), material},
                                   {QStringLiteral("t"), n.text.isNull() ? QVariant() : QVariant(oldText)}});
                        ++result.notes;
                    } else if (!oldText.isEmpty()) {
                        user.exec(QStringLiteral("update UserNotices set Text = coalesce(Text || :sep, '') || :t where rowid = :n"),
                                  {{QStringLiteral("sep"), QStringLiteral("\n")},
                                   {QStringLiteral("t"), previousVersionNoteMark() + oldText},
                                   {QStringLiteral("n"), current}});
                        ++result.appendedNotes;
                    }
                    markCarried(user, QStringLiteral("N"), key, material);
                }
            }
        }
        progress.value(i + 1);
    }
    result.droppedNotes = int(all.size() - placed.size());
}

} // namespace

QStringList oldDataTables()
{
    return {QStringLiteral("mat"), QStringLiteral("nodes"), QStringLiteral("norms"), QStringLiteral("chemcomp"),
            QStringLiteral("comparenorms"), QStringLiteral("notices"), QStringLiteral("UserNotices")};
}

QString oldDataFolderOf(const QString &installationFolder)
{
    const QDir dir(installationFolder);
    for (const QString &f : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (f.compare(QStringLiteral("Data"), Qt::CaseInsensitive) == 0)
            return dir.filePath(f);
    return dir.filePath(QStringLiteral("Data"));
}

bool holdsOldData(const QString &dataFolder)
{
    return !dataFolder.isEmpty() && !db::findParadoxTable(dataFolder, QStringLiteral("UserNotices")).isEmpty();
}

UpgradeResult convertOldData(db::OwnDataModule &own, const QString &oldDataFolder, bool ownMaterials,
                             const UpgradeProgress &progress)
{
    db::MainDataModule &main = own.mainModule();
    const Progress report{progress};
    UpgradeResult result;
    const OldData old = readOldData(main, oldDataFolder, ownMaterials, &result.skipped);

    db::Connection &user = main.userSession();
    try {
        db::Transaction transaction(user);
        try {
            if (ownMaterials)
                writeMaterials(own, old.materials, report, result);
            writeUserNotes(user, old.notes, report, result);
            transaction.commit();
        } catch (...) {
            // Only a failed conversion cancels the edits, so none of them posts later; the
            // error itself is told below.
            cancelEdits(own);
            throw;
        }
    } catch (const UpgradeError &) {
        throw;
    } catch (const std::exception &e) {
        const auto *dbe = dynamic_cast<const db::DbError *>(&e);
        throw UpgradeError(QStringLiteral("Převod dat ze starší verze se nezdařil. Data nové verze zůstala beze změny; "
                                          "převod můžete spustit znovu.\n\nPodrobnosti: %1")
                               .arg(dbe ? dbe->text() : QString::fromLocal8Bit(e.what())));
    }

    // The contents tree and the notes show the new rows.
    for (db::DataSet *ds : {&main.qDbTree, &main.tUserNotice, &own.qUserNotices})
        if (ds->isOpen())
            ds->refresh();
    return result;
}

void setUpgradeDone(db::MainDataModule &data)
{
    db::DataSet &setup = data.tSetup;
    if (!setup.isOpen())
        setup.open();
    if (!setup.locate(QStringLiteral("Items"), QStringLiteral("USPESNOST")))
        setup.first();
    if (setup.isEmpty() ? !setup.append() : !setup.edit())
        return;
    setup.setValue(QStringLiteral("upgrade"), 1);
    setup.post();
}

} // namespace orv::userdata
