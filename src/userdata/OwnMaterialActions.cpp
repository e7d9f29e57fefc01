#include "userdata/OwnMaterialActions.h"

#include "browse/CardList.h"
#include "browse/ContentsPane.h"
#include "browse/ContentsTreeModel.h"
#include "browse/MaterialCard.h"
#include "db/ChangeConflict.h"
#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/MainDataModule.h"
#include "db/NextNumber.h"
#include "db/OwnDataModule.h"
#include "db/Schema.h"
#include "db/ServerAudit.h"
#include "db/WorkingCopies.h"
#include "ui/ProgressWindow.h"
#include "userdata/EditGridModel.h"
#include "userdata/MaterialFields.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHash>
#include <QTreeView>

namespace orv::userdata {

namespace {

// An own material's node hangs under the own-material folder node of the catalogue and
// belongs to the contents variant of own materials.
constexpr int kOwnMaterialFolderNode = -1;
constexpr int kOwnMaterialsTree = 1;

// Sets `fields` of the data set's new row from the same columns of a read row.
void setFields(db::DataSet &ds, const QVariantMap &row, std::initializer_list<const char *> fields)
{
    for (const char *f : fields)
        ds.setValue(QString::fromLatin1(f), row.value(QString::fromLatin1(f).toLower()));
}

// The copy of one material into the own materials, table by table: every row is read through
// the user session and written through the own-material data module's data sets.
struct MaterialCopy {
    MaterialCopy(db::OwnDataModule &own, int source)
        : own(own), user(own.mainModule().userSession()), sourceNo(source), mat(QString::number(source))
    {
        if (!own.qNotices.isOpen())
            own.qNotices.open();
    }

    // The source material's rows of `table`, in the order of their numbers.
    QList<QVariantMap> rowsOf(const QString &table) const
    {
        return readRows(user, QStringLiteral("select * from ") + table + QStringLiteral(" where MaterialNo=") + mat
                                  + QStringLiteral(" order by Number"));
    }

    // A note is copied as a new note with the same text; returns the new note's number.
    QVariant copyNote(const QVariant &noticeNo)
    {
        if (noticeNo.isNull())
            return QVariant();
        const QList<QVariantMap> note =
            readRows(user, QStringLiteral("select * from Notices where Number=") + QString::number(noticeNo.toLongLong()));
        if (note.isEmpty())
            return QVariant();
        db::DataSet &notices = own.qNotices;
        notices.append();
        notices.setValue(QStringLiteral("Notice"), note.first().value(QStringLiteral("notice")));
        notices.post();
        return notices.value(kNumber);
    }

    // The material with its note, marked private.
    void copyMaterialRow()
    {
        const QList<QVariantMap> source = readRows(user, QStringLiteral("select * from mat where Number=") + mat);
        if (source.isEmpty())
            throw db::DbError(QStringLiteral("Materiál %1 nebyl nalezen.").arg(sourceNo));
        const QVariantMap &src = source.first();
        const QVariant matNote = copyNote(src.value(QStringLiteral("noticeno")));
        db::DataSet &matIns = own.qMatIns;
        if (!matIns.isOpen())
            matIns.open();
        matIns.append();
        setFields(matIns, src, {"Name", "TypeNo", "Purpose", "Purpose1", "Purpose2", "Purpose3", "Purpose4", "Purpose5"});
        matIns.setValue(QStringLiteral("NoticeNo"), matNote);
        matIns.setValue(QStringLiteral("Private"), QStringLiteral("A"));
        matIns.post();
        copyNo = matIns.value(kNumber).toInt();
    }

    // The first node, as an own material's node; returns the new node's number.
    int copyFirstNode()
    {
        const QList<QVariantMap> nodeRows = rowsOf(QStringLiteral("Nodes"));
        db::DataSet &nodesIns = own.qNodesIns;
        if (!nodesIns.isOpen())
            nodesIns.open();
        nodesIns.append();
        nodesIns.setValue(QStringLiteral("ParentNo"), kOwnMaterialFolderNode);
        nodesIns.setValue(QStringLiteral("TreeNo"), kOwnMaterialsTree);
        nodesIns.setValue(QStringLiteral("MaterialNo"), copyNo);
        if (!nodeRows.isEmpty())
            setFields(nodesIns, nodeRows.first(), {"Label", "IndexLabel", "ImageIndex", "ShortLabel", "Text"});
        nodesIns.setValue(QStringLiteral("Text"), copyLabel);
        nodesIns.post();
        return nodesIns.value(kNumber).toInt();
    }

    // The user's note (an empty one is not copied).
    void copyUserNote()
    {
        const QList<QVariantMap> userNotes = rowsOf(QStringLiteral("UserNotices"));
        if (userNotes.isEmpty() || userNotes.first().value(QStringLiteral("text")).toString().isEmpty())
            return;
        db::DataSet &un = own.qUserNotices;
        un.append();
        un.setValue(QStringLiteral("MATERIALNO"), copyNo);
        un.setValue(QStringLiteral("TEXT"), userNotes.first().value(QStringLiteral("text")));
        un.post();
    }

    // The first designation, its grade marked as a copy's.
    void copyFirstDesignation()
    {
        const QList<QVariantMap> norms = rowsOf(QStringLiteral("norms"));
        db::DataSet &qNorms = own.qNorms;
        qNorms.append();
        qNorms.setValue(QStringLiteral("MaterialNo"), copyNo);
        if (!norms.isEmpty())
            setFields(qNorms, norms.first(), {"Name", "Label", "CountryNo"});
        qNorms.setValue(QStringLiteral("Label"), copyLabel);
        qNorms.post();
    }

    // What the copy is called: the original's designation (or its node's text) marked as a copy.
    void chooseCopyLabel()
    {
        const QVariantMap mat{{QStringLiteral("m"), sourceNo}};
        QString original = user.scalar(QStringLiteral("select Label from Norms where MaterialNo=:m order by Number limit 1"), mat)
                               .toString();
        if (original.isEmpty())
            original = user.scalar(QStringLiteral("select Text from Nodes where MaterialNo=:m order by Number limit 1"), mat)
                           .toString();
        copyLabel = copyDesignation(own.mainModule(), original);
    }

    // The composition, each row with its own copy of its note.
    void copyComposition()
    {
        db::DataSet &qChem = own.qChemComp;
        for (const QVariantMap &row : rowsOf(QStringLiteral("ChemComp"))) {
            const QVariant note = copyNote(row.value(QStringLiteral("noticeno")));
            qChem.append();
            qChem.setValue(QStringLiteral("MaterialNo"), copyNo);
            setFields(qChem, row, {"ElementNo", "MinValue", "MaxValue"});
            qChem.setValue(QStringLiteral("NoticeNo"), note);
            qChem.post();
        }
    }

    void copyEquivalents()
    {
        db::DataSet &qCompare = own.qCompareNorms;
        for (const QVariantMap &row : rowsOf(QStringLiteral("CompareNorms"))) {
            qCompare.append();
            qCompare.setValue(QStringLiteral("MaterialNo"), copyNo);
            setFields(qCompare, row, {"CountryNo", "Name", "Label"});
            qCompare.post();
        }
    }

    // Inserts a copy of `row` into `table` under the next free number, with the columns of
    // `changes` replaced; returns the new number.
    qint64 insertCopy(const QString &catalogueTable, const QVariantMap &row, QVariantMap changes)
    {
        const QString table = db::ownPropertyTable(catalogueTable);
        const db::TableDef *def = db::table(table);
        const qint64 next = db::nextNumber(user, table);
        changes.insert(QStringLiteral("Number"), next);
        QStringList cols, marks;
        QVariantMap params;
        for (const db::ColumnDef &c : def->columns) {
            cols << QStringLiteral("\"%1\"").arg(c.name);
            marks << QStringLiteral(":p%1").arg(cols.size());
            params.insert(QStringLiteral("p%1").arg(cols.size()),
                          changes.contains(c.name) ? changes.value(c.name) : row.value(c.name.toLower()));
        }
        user.exec(QStringLiteral("insert into %1 (%2) values (%3)").arg(table, cols.join(u','), marks.join(u',')), params);
        return next;
    }

    // The mechanical properties (semi-products, states, dimension ranges, properties and their
    // values by temperature), the physical properties, the heat treatment and the remainder
    // element, into the user file's property tables of own materials, so that the copy's card
    // shows what the original's does. Notes are shared with the original: the user database
    // keeps any note an own row points at.
    void copyPropertyRows()
    {
        // An own material's rows are read where they live.
        const bool ownSource = db::isOwnMaterial(user, sourceNo);
        auto from = [ownSource](const char *t) {
            return ownSource ? db::ownPropertyTable(QString::fromLatin1(t)) : QString::fromLatin1(t);
        };
        const QVariantMap material{{QStringLiteral("MaterialNo"), copyNo}};
        for (const char *t : {"ChemZbytek", "FyzProp", "TempProc"})
            for (const QVariantMap &row : rowsOf(from(t)))
                insertCopy(QString::fromLatin1(t), row, material);
        QHash<qint64, qint64> semi, states, dimens, mech;
        for (const QVariantMap &row : rowsOf(from("SemiProd")))
            semi.insert(row.value(QStringLiteral("number")).toLongLong(), insertCopy(QStringLiteral("SemiProd"), row, material));
        const QString semiSql = QStringLiteral("select Number from %1 where MaterialNo=").arg(from("SemiProd")) + mat;
        const QString stateSql = QStringLiteral("select Number from %1 where SemiPrNo in (%2)").arg(from("States"), semiSql);
        const QString dimSql = QStringLiteral("select Number from %1 where StateNo in (%2)").arg(from("Dimens"), stateSql);
        const QString mechSql = QStringLiteral("select Number from %1 where DimensionNo in (%2)").arg(from("MechProp"), dimSql);
        struct Level {
            const char *table;
            const char *parentColumn;
            QString parents;
            QHash<qint64, qint64> *parentMap;
            QHash<qint64, qint64> *map;
        };
        QHash<qint64, qint64> temps;
        for (const Level &l : {Level{"States", "SemiPrNo", semiSql, &semi, &states},
                               Level{"Dimens", "StateNo", stateSql, &states, &dimens},
                               Level{"MechProp", "DimensionNo", dimSql, &dimens, &mech},
                               Level{"Temps", "PropertyNo", mechSql, &mech, &temps}}) {
            const QString table = QString::fromLatin1(l.table), parent = QString::fromLatin1(l.parentColumn);
            for (const QVariantMap &row : readRows(user, QStringLiteral("select * from %1 where %2 in (%3) order by Number")
                                                             .arg(from(l.table), parent, l.parents))) {
                const qint64 newParent = l.parentMap->value(row.value(parent.toLower()).toLongLong());
                l.map->insert(row.value(QStringLiteral("number")).toLongLong(),
                              insertCopy(table, row, {{parent, newParent}}));
            }
        }
    }

    db::OwnDataModule &own;
    db::Connection &user;
    const int sourceNo;
    const QString mat;
    int copyNo = 0;
    QString copyLabel;
};

// Busy cursor and the progress window for the length of one action.
class Busy {
public:
    Busy(QWidget *owner, ui::ProgressWindow::Mode mode) : m_progress(owner)
    {
        m_progress.setMode(mode);
        m_progress.show();
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    ~Busy() { QGuiApplication::restoreOverrideCursor(); }

private:
    ui::ProgressWindow m_progress;
};

} // namespace

int lookedAtMaterial(const browse::ContentsPane *pane, const browse::CardList *cards, db::MainDataModule &data)
{
    auto treeSelection = [&data] {
        db::DataSet &tree = data.qDbTree;
        if (!tree.isOpen() || tree.isEmpty())
            return 0;
        return tree.value(QStringLiteral("MaterialNo")).toInt();
    };
    if (pane && pane->tree()) {
        const QWidget *focus = QApplication::focusWidget();
        if (focus && (focus == pane->tree() || pane->tree()->isAncestorOf(focus)))
            return treeSelection();
    }
    if (cards)
        if (const browse::MaterialCard *card = cards->activeCard())
            return card->materialNo();
    return treeSelection();
}

bool isOwnMaterial(db::MainDataModule &data, int materialNo)
{
    return materialNo > 0 && db::isOwnMaterial(data.catalogueSession(), materialNo);
}

QString copyDesignation(db::MainDataModule &data, const QString &original, int maxLength)
{
    const QString base = original.trimmed();
    for (int n = 1;; ++n) {
        const QString mark = n == 1 ? QStringLiteral("kopie") : QStringLiteral("kopie %1").arg(n);
        const QString suffix = QStringLiteral(" (") + mark + u')';
        const QString candidate =
            base.isEmpty() ? QStringLiteral("Kopie") + (n == 1 ? QString() : QStringLiteral(" %1").arg(n))
                           : base.left(std::max(0, maxLength - int(suffix.size()))) + suffix;
        const bool taken = data.userSession()
                               .scalar(QStringLiteral("select count(*) from Norms where Label=:l"),
                                       {{QStringLiteral("l"), candidate}})
                               .toInt()
                           > 0;
        if (!taken)
            return candidate;
    }
}

OwnMaterialActions::OwnMaterialActions(db::OwnDataModule &own, OwnMaterialEnvironment env, QObject *parent)
    : QObject(parent), m_own(own), m_env(std::move(env))
{
    if (!m_env.editor.message)
        m_env.editor.message = [](const QString &t, ui::MsgType type, ui::MsgButtons b) { return ui::message(t, type, b); };
}

OwnMaterialActions::~OwnMaterialActions() = default;

int OwnMaterialActions::ask(const QString &text, ui::MsgType type, ui::MsgButtons buttons)
{
    return m_env.editor.message(text, type, buttons);
}

int OwnMaterialActions::selectedMaterial() const
{
    return lookedAtMaterial(m_env.pane, m_env.cards, m_own.mainModule());
}

QString OwnMaterialActions::deleteQuestion(const QString &designation)
{
    return QStringLiteral("Opravdu smazat vlastní materiál „%1“?\n\nSmaže se i jeho chemické složení, ekvivalentní "
                          "normy a poznámky; smazání nelze vrátit zpět.")
        .arg(designation);
}

QString OwnMaterialActions::designationOf(int materialNo) const
{
    db::Connection &user = m_own.mainModule().userSession();
    const QVariantMap m{{QStringLiteral("m"), materialNo}};
    QString name = user.scalar(QStringLiteral("select Label from Norms where MaterialNo=:m order by Number limit 1"), m)
                       .toString()
                       .trimmed();
    if (name.isEmpty())
        name = user.scalar(QStringLiteral("select Name from Mat where Number=:m"), m).toString().trimmed();
    return name.isEmpty() ? QStringLiteral("číslo %1").arg(materialNo) : name;
}

int OwnMaterialActions::copySelected()
{
    const int m = selectedMaterial();
    if (!m)
        return 0;
    const int copy = copyMaterial(m);
    // The copy is there to be changed: it opens in the editor at once.
    if (copy)
        editMaterial(copy);
    return copy;
}

bool OwnMaterialActions::openEditor(int materialNo, TfInsEditMaterial::Mode mode, db::Transaction &transaction)
{
    TfInsEditMaterial editor(m_own, materialNo, mode, m_env.editor, m_env.owner);
    int savedNode = -1;
    editor.afterSave = [&savedNode](int nodeNo) { savedNode = nodeNo; };
    // Everything the window posted becomes permanent in one commit when it closes with OK;
    // closed otherwise, all of it is taken back: a new material leaves no row anywhere, an
    // edited one is as it was.
    bool decided = false;
    bool accepted = true;
    bool outcomeUnknown = false;
    editor.commitChanges = [&](bool ok) {
        decided = true;
        accepted = ok;
        if (ok) {
            // The team sees who changed the material, whichever of its rows the window wrote.
            if (editor.touched() || mode == TfInsEditMaterial::Mode::New)
                db::stampOwnMaterial(m_own.mainModule().userSession(), editor.materialNo());
            try {
                transaction.commit();
            } catch (const db::CommitOutcomeUnknown &) {
                outcomeUnknown = true;
                throw;
            }
        } else {
            transaction.rollback();
        }
    };
    if (m_env.runEditor)
        m_env.runEditor(editor);
    else
        editor.exec();
    if (!decided) // a window driven without closing it: what it posted stays
        transaction.commit();
    if (outcomeUnknown) {
        // Stored or not: the tree and the card show what the server holds.
        refreshTree(m_own.qNodes.isOpen() && !m_own.qNodes.isEmpty() ? m_own.qNodes.value(QStringLiteral("Number")).toInt()
                                                                      : -1);
        refreshCard(materialNo, QString());
        return false;
    }
    if (!accepted)
        return false; // nothing changed that the tree or a card could show
    // The other session (the contents tree, the cards) sees the rows once they are committed.
    if (savedNode >= 0) {
        refreshTree(savedNode);
        refreshCard(editor.materialNo(), m_own.qNodes.value(QStringLiteral("Text")).toString());
    }
    // Closed without a change of the designation: an open card still shows the new data.
    if (!editor.changed())
        refreshCard(materialNo, QString());
    return true;
}

int OwnMaterialActions::newMaterial()
{
    db::DataSet &nodes = m_own.qNodes;
    int material = 0;
    try {
        db::Transaction transaction(m_own.mainModule().userSession());
        try {
            if (!nodes.isOpen())
                nodes.open();
            nodes.append();
            nodes.post();
            material = nodes.value(QStringLiteral("MaterialNo")).toInt();
        } catch (...) {
            // Every data set the new material started leaves its insert state: none may post
            // it again later. Rethrown: the catch below tells the error.
            for (db::DataSet *ds : {&m_own.qNorms, &m_own.qMat, &m_own.qNodes})
                if (ds->isEditing())
                    ds->cancel();
            throw;
        }
        if (!openEditor(material, TfInsEditMaterial::Mode::New, transaction))
            material = 0;
    } catch (const std::exception &e) {
        ask(errorText(e), ui::MsgType::Error, ui::MsgButton::OK);
        return 0;
    }
    return material;
}

QString OwnMaterialActions::goneMessage()
{
    return QStringLiteral("Tento vlastní materiál mezitím smazal jiný uživatel. Obsah byl znovu načten.");
}

bool OwnMaterialActions::materialGone(int materialNo)
{
    return m_own.mainModule()
               .userSession()
               .scalar(QStringLiteral("select count(*) from Mat where Number = :m"), {{QStringLiteral("m"), materialNo}})
               .toInt()
           == 0;
}

void OwnMaterialActions::editMaterial(int materialNo)
{
    try {
        // The tree may still show a material a colleague has deleted: no editor on nothing.
        if (materialGone(materialNo)) {
            refreshTree(-1);
            ask(goneMessage(), ui::MsgType::Information, ui::MsgButton::OK);
            return;
        }
        db::Transaction transaction(m_own.mainModule().userSession());
        openEditor(materialNo, TfInsEditMaterial::Mode::Edit, transaction);
    } catch (const std::exception &e) {
        ask(errorText(e), ui::MsgType::Error, ui::MsgButton::OK);
    }
}

int OwnMaterialActions::copyRows(int m, int *newNode)
{
    MaterialCopy copy(m_own, m);
    copy.chooseCopyLabel();
    copy.copyMaterialRow();
    *newNode = copy.copyFirstNode();
    // From here the module's material data sets stand on the copy.
    m_own.qNodes.close();
    m_own.qNodes.setParam(QStringLiteral("MatNo"), copy.copyNo);
    m_own.qNodes.open();
    copy.copyUserNote();
    copy.copyFirstDesignation();
    copy.copyComposition();
    copy.copyEquivalents();
    copy.copyPropertyRows();
    return copy.copyNo;
}

int OwnMaterialActions::copyMaterial(int materialNo)
{
    int copy = 0;
    int node = 0;
    {
        Busy busy(m_env.owner, ui::ProgressWindow::Mode::Copy);
        try {
            // All or nothing: a failure on any table takes back every row written before it.
            db::Transaction transaction(m_own.mainModule().userSession());
            copy = copyRows(materialNo, &node);
            transaction.commit();
        } catch (const std::exception &e) {
            for (db::DataSet *ds : {&m_own.qNotices, &m_own.qMatIns, &m_own.qNodesIns, &m_own.qUserNotices,
                                    &m_own.qNorms, &m_own.qChemComp, &m_own.qCompareNorms})
                if (ds->isEditing())
                    ds->cancel();
            copy = 0;
            QGuiApplication::restoreOverrideCursor();
            ask(QStringLiteral("Materiál se nepodařilo zkopírovat do složky vlastní materiál.\n\n") + errorText(e),
                ui::MsgType::Error, ui::MsgButton::OK);
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        }
        if (copy)
            refreshTree(node);
    }
    return copy;
}

bool OwnMaterialActions::deleteMaterial(int materialNo)
{
    if (ask(deleteQuestion(designationOf(materialNo)), ui::MsgType::Confirmation, ui::MsgButton::Yes | ui::MsgButton::No)
        != ui::mrYes)
        return false;
    Busy busy(m_env.owner, ui::ProgressWindow::Mode::Delete);
    if (m_env.cards)
        if (browse::MaterialCard *card = m_env.cards->findCard(materialNo))
            m_env.cards->closeCard(card);
    // The node above the deleted one takes the selection; a selection elsewhere (the material
    // was deleted from its card) stays where it is.
    QString previous;
    if (m_env.pane) {
        QTreeView *tree = m_env.pane->tree();
        db::DataSet &treeRows = m_own.mainModule().qDbTree;
        const bool onDeleted = treeRows.isOpen() && !treeRows.isEmpty()
                               && treeRows.value(QStringLiteral("MaterialNo")).toInt() == materialNo;
        const QModelIndex at = onDeleted ? tree->indexAbove(tree->currentIndex()) : tree->currentIndex();
        if (at.isValid())
            previous = at.data(browse::ContentsTreeModel::IdRole).toString();
    }
    try {
        db::DataSet &nodes = m_own.qNodes;
        nodes.close();
        nodes.setParam(QStringLiteral("MatNo"), materialNo);
        nodes.open();
        if (nodes.isEmpty()) {
            if (materialGone(materialNo)) {
                QGuiApplication::restoreOverrideCursor();
                refreshTree(-1);
                ask(goneMessage(), ui::MsgType::Information, ui::MsgButton::OK);
                QGuiApplication::setOverrideCursor(Qt::WaitCursor);
                return false;
            }
            throw db::DbError(QStringLiteral("Materiál %1 nemá uzel v obsahu.").arg(materialNo));
        }
        nodes.remove();
    } catch (const std::exception &e) {
        QGuiApplication::restoreOverrideCursor();
        ask(errorText(e), ui::MsgType::Error, ui::MsgButton::OK);
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        return false;
    }
    refreshTree(previous.toInt());
    return true;
}

void OwnMaterialActions::refreshTree(int nodeNo)
{
    db::DataSet &tree = m_own.mainModule().qDbTree;
    tree.close();
    tree.open();
    const QString id = QString::number(nodeNo);
    if (m_env.pane && m_env.pane->selectNode(id))
        return;
    tree.locate(QStringLiteral("Number"), nodeNo);
}

void OwnMaterialActions::refreshCard(int materialNo, const QString &title)
{
    if (!m_env.cards)
        return;
    browse::MaterialCard *card = m_env.cards->findCard(materialNo);
    if (!card)
        return;
    try {
        // Loading opens what is closed: the material's own data sets are read afresh.
        for (db::DataSet *ds : {&card->qMat, &card->qNorms, &card->qNodes, &card->qCompareNorms, &card->qChemComp,
                                &card->qChemZbytek, &card->qNotices})
            ds->close();
        card->load(materialNo);
        if (!title.isEmpty())
            card->setTitle(title);
    } catch (const std::exception &e) {
        ask(errorText(e), ui::MsgType::Error, ui::MsgButton::OK);
    }
}

} // namespace orv::userdata
