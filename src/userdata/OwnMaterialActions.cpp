#include "userdata/OwnMaterialActions.h"

#include "browse/CardList.h"
#include "browse/ContentsPane.h"
#include "browse/ContentsTreeModel.h"
#include "browse/MaterialCard.h"
#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/OwnDataModule.h"
#include "ui/ProgressWindow.h"
#include "userdata/EditGridModel.h"

#include <QApplication>
#include <QGuiApplication>
#include <QTreeView>

namespace orv::userdata {

namespace {

const QString kNumber = QStringLiteral("Number");

// Rows of a read, each by lower-case column name.
QList<QVariantMap> readRows(db::Connection &conn, const QString &sql)
{
    QList<QVariantMap> rows;
    db::Statement st(conn, sql);
    while (st.step()) {
        QVariantMap row;
        for (int i = 0; i < st.columnCount(); ++i)
            row.insert(st.columnName(i).toLower(), st.value(i));
        rows.append(row);
    }
    return rows;
}

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
    db::DataSet &tree = m_own.mainModule().qDbTree;
    if (!tree.isOpen() || tree.isEmpty())
        return 0;
    return tree.value(QStringLiteral("MaterialNo")).toInt();
}

void OwnMaterialActions::openEditor(int materialNo, TfInsEditMaterial::Mode mode)
{
    TfInsEditMaterial editor(m_own, materialNo, mode, m_env.editor, m_env.owner);
    editor.afterSave = [this, &editor](int nodeNo) {
        refreshTree(nodeNo);
        refreshCard(editor.materialNo(), m_own.qNodes.value(QStringLiteral("Text")).toString());
    };
    if (m_env.runEditor)
        m_env.runEditor(editor);
    else
        editor.exec();
    // Closed without a change of the designation: an open card still shows the new data.
    if (!editor.changed())
        refreshCard(materialNo, QString());
}

int OwnMaterialActions::newMaterial()
{
    db::DataSet &nodes = m_own.qNodes;
    int material = 0;
    try {
        if (!nodes.isOpen())
            nodes.open();
        nodes.append();
        nodes.post();
        material = nodes.value(QStringLiteral("MaterialNo")).toInt();
    } catch (const std::exception &e) {
        if (nodes.isEditing())
            nodes.cancel();
        ask(errorText(e), ui::MsgType::Error, ui::MsgButton::OK);
        return 0;
    }
    openEditor(material, TfInsEditMaterial::Mode::New);
    return material;
}

void OwnMaterialActions::editMaterial(int materialNo)
{
    try {
        openEditor(materialNo, TfInsEditMaterial::Mode::Edit);
    } catch (const std::exception &e) {
        ask(errorText(e), ui::MsgType::Error, ui::MsgButton::OK);
    }
}

int OwnMaterialActions::copyRows(int m, int *newNode)
{
    db::MainDataModule &main = m_own.mainModule();
    db::Connection &user = main.userSession();
    const QString mat = QString::number(m);
    db::DataSet &notices = m_own.qNotices;
    if (!notices.isOpen())
        notices.open();
    // A note is copied as a new note with the same text; returns the new note's number.
    auto copyNote = [&](const QVariant &noticeNo) -> QVariant {
        if (noticeNo.isNull())
            return QVariant();
        const QList<QVariantMap> note =
            readRows(user, QStringLiteral("select * from Notices where Number=") + QString::number(noticeNo.toLongLong()));
        if (note.isEmpty())
            return QVariant();
        notices.append();
        notices.setValue(QStringLiteral("Notice"), note.first().value(QStringLiteral("notice")));
        notices.post();
        return notices.value(kNumber);
    };

    // The material.
    const QList<QVariantMap> source = readRows(user, QStringLiteral("select * from mat where Number=") + mat);
    if (source.isEmpty())
        throw db::DbError(QStringLiteral("Materiál %1 nebyl nalezen.").arg(m));
    const QVariantMap &src = source.first();
    const QVariant matNote = copyNote(src.value(QStringLiteral("noticeno")));
    db::DataSet &matIns = m_own.qMatIns;
    if (!matIns.isOpen())
        matIns.open();
    matIns.append();
    for (const char *f : {"Name", "TypeNo", "Purpose", "Purpose1", "Purpose2", "Purpose3", "Purpose4", "Purpose5"})
        matIns.setValue(QString::fromLatin1(f), src.value(QString::fromLatin1(f).toLower()));
    matIns.setValue(QStringLiteral("NoticeNo"), matNote);
    matIns.setValue(QStringLiteral("Private"), QStringLiteral("A"));
    matIns.post();
    const int copy = matIns.value(kNumber).toInt();

    // The first node, as an own material's node.
    const QList<QVariantMap> nodeRows =
        readRows(user, QStringLiteral("select * from Nodes where MaterialNo=") + mat + QStringLiteral(" order by Number"));
    db::DataSet &nodesIns = m_own.qNodesIns;
    if (!nodesIns.isOpen())
        nodesIns.open();
    nodesIns.append();
    nodesIns.setValue(QStringLiteral("ParentNo"), -1);
    nodesIns.setValue(QStringLiteral("TreeNo"), 1);
    nodesIns.setValue(QStringLiteral("MaterialNo"), copy);
    if (!nodeRows.isEmpty())
        for (const char *f : {"Label", "IndexLabel", "ImageIndex", "ShortLabel", "Text"})
            nodesIns.setValue(QString::fromLatin1(f), nodeRows.first().value(QString::fromLatin1(f).toLower()));
    nodesIns.post();
    *newNode = nodesIns.value(kNumber).toInt();

    // From here the module's material data sets stand on the copy.
    m_own.qNodes.close();
    m_own.qNodes.setParam(QStringLiteral("MatNo"), copy);
    m_own.qNodes.open();

    // The user's note.
    const QList<QVariantMap> userNotes = readRows(
        user, QStringLiteral("select * from UserNotices where MaterialNo=") + mat + QStringLiteral(" order by Number"));
    if (!userNotes.isEmpty() && !userNotes.first().value(QStringLiteral("text")).toString().isEmpty()) {
        db::DataSet &un = m_own.qUserNotices;
        un.append();
        un.setValue(QStringLiteral("MATERIALNO"), copy);
        un.setValue(QStringLiteral("TEXT"), userNotes.first().value(QStringLiteral("text")));
        un.post();
    }

    // The first designation.
    const QList<QVariantMap> norms =
        readRows(user, QStringLiteral("select * from norms where MaterialNo=") + mat + QStringLiteral(" order by Number"));
    if (!norms.isEmpty()) {
        db::DataSet &qNorms = m_own.qNorms;
        qNorms.append();
        qNorms.setValue(QStringLiteral("MaterialNo"), copy);
        for (const char *f : {"Name", "Label", "CountryNo"})
            qNorms.setValue(QString::fromLatin1(f), norms.first().value(QString::fromLatin1(f).toLower()));
        qNorms.post();
    }

    // The composition, each row with its own copy of its note.
    const QList<QVariantMap> chem =
        readRows(user, QStringLiteral("select * from ChemComp where MaterialNo=") + mat + QStringLiteral(" order by Number"));
    db::DataSet &qChem = m_own.qChemComp;
    for (const QVariantMap &row : chem) {
        const QVariant note = copyNote(row.value(QStringLiteral("noticeno")));
        qChem.append();
        qChem.setValue(QStringLiteral("MaterialNo"), copy);
        for (const char *f : {"ElementNo", "MinValue", "MaxValue"})
            qChem.setValue(QString::fromLatin1(f), row.value(QString::fromLatin1(f).toLower()));
        qChem.setValue(QStringLiteral("NoticeNo"), note);
        qChem.post();
    }

    // The equivalents.
    const QList<QVariantMap> equivalents = readRows(
        user, QStringLiteral("select * from CompareNorms where MaterialNo=") + mat + QStringLiteral(" order by Number"));
    db::DataSet &qCompare = m_own.qCompareNorms;
    for (const QVariantMap &row : equivalents) {
        qCompare.append();
        qCompare.setValue(QStringLiteral("MaterialNo"), copy);
        for (const char *f : {"CountryNo", "Name", "Label"})
            qCompare.setValue(QString::fromLatin1(f), row.value(QString::fromLatin1(f).toLower()));
        qCompare.post();
    }
    return copy;
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
    if (ask(deleteQuestion(), ui::MsgType::Confirmation, ui::MsgButton::Yes | ui::MsgButton::No) != ui::mrYes)
        return false;
    Busy busy(m_env.owner, ui::ProgressWindow::Mode::Delete);
    if (m_env.cards)
        if (browse::MaterialCard *card = m_env.cards->findCard(materialNo))
            m_env.cards->closeCard(card);
    // The node above the deleted one keeps the selection.
    QString previous;
    if (m_env.pane) {
        QTreeView *tree = m_env.pane->tree();
        const QModelIndex above = tree->indexAbove(tree->currentIndex());
        if (above.isValid())
            previous = above.data(browse::ContentsTreeModel::IdRole).toString();
    }
    try {
        db::DataSet &nodes = m_own.qNodes;
        nodes.close();
        nodes.setParam(QStringLiteral("MatNo"), materialNo);
        nodes.open();
        if (nodes.isEmpty())
            throw db::DbError(QStringLiteral("Materiál %1 nemá uzel v obsahu.").arg(materialNo));
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
