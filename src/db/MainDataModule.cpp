#include "db/MainDataModule.h"

#include "core/DataRoot.h"
#include "db/DatabaseFiles.h"
#include "db/SqlLines.h"
#include "db/NextNumber.h"
#include "db/Schema.h"
#include "db/SetupValues.h"
#include "db/WorkingCopies.h"

#include <QDir>

namespace orv::db {

namespace {

QString withSlash(const QString &dir)
{
    QString d = QDir::fromNativeSeparators(dir);
    if (!d.endsWith(u'/'))
        d += u'/';
    return d;
}

void hide(DataSet &ds, std::initializer_list<const char *> names)
{
    for (const char *n : names)
        ds.defineField(QString::fromUtf8(n)).setVisible(false);
}

Field &label(DataSet &ds, const char *name, const char *heading, int width = 0)
{
    Field &f = ds.defineField(QString::fromUtf8(name));
    f.setDisplayLabel(QString::fromUtf8(heading));
    if (width > 0)
        f.setDisplayWidth(width);
    return f;
}

QVariant selectedMark(const Record &r)
{
    return QVariant(r.value(QStringLiteral("Selected")).toBool() ? QStringLiteral("*") : QStringLiteral(" "));
}

// The fields of a criteria list of the search window: the mark "*" of a selected row, the
// looked-up name of the criterion, its two bounds with three decimals; the key columns are
// hidden and a new row starts selected.
struct CriteriaListFields {
    const char *lookupName;    // lkElement, lkProperty
    const char *keyField;      // ElementNo, PropertyNo
    DataSet *names;            // looked up by Number, showing Name
    const char *heading;
    int width;
    const char *editFormat;
    const char *minHeading;
    const char *maxHeading;
    const char *typeField;     // the hidden kind column: TypeNo, GroupType
};

Field &defineCriteriaList(DataSet &ds, const CriteriaListFields &l)
{
    ds.addCalculatedField(QStringLiteral("clSelected"), FieldType::String, 1, selectedMark)
        .setDisplayLabel(QStringLiteral("A"));
    Field &lk = ds.addLookupField(QString::fromLatin1(l.lookupName), QString::fromLatin1(l.keyField), l.names,
                                  QStringLiteral("Number"), QStringLiteral("Name"));
    lk.setDisplayLabel(QString::fromUtf8(l.heading));
    lk.setDisplayWidth(l.width);
    for (const char *n : {"MinValue", "MaxValue"}) {
        Field &f = ds.defineField(QString::fromUtf8(n));
        f.setDisplayFormat(QStringLiteral("0.000"));
        f.setEditFormat(QString::fromLatin1(l.editFormat));
    }
    label(ds, "MinValue", l.minHeading);
    label(ds, "MaxValue", l.maxHeading);
    hide(ds, {"Number", l.keyField, "Selected", l.typeField});
    ds.defineField(QStringLiteral("Selected")).setDefaultValue(true);
    ds.setFieldOrder({QStringLiteral("clSelected"), QString::fromLatin1(l.lookupName), QStringLiteral("MinValue"),
                      QStringLiteral("MaxValue")});
    return lk;
}

} // namespace

MainDataModule::MainDataModule(const QString &dataRoot, const QString &programDir,
                               const StartupProgress &progress, QObject *parent)
    : QObject(parent), m_dataRoot(withSlash(dataRoot)), m_programDir(withSlash(programDir))
{
    openDataSets(progress);
}

MainDataModule::MainDataModule(const ServerDatabase &server, const StartupProgress &progress, QObject *parent)
    : QObject(parent), m_conninfo(server.conninfo)
{
    openDataSets(progress);
}

void MainDataModule::openDataSets(const StartupProgress &progress)
{
    auto show = [&](const char *text) {
        if (progress.showText)
            progress.showText(QString::fromUtf8(text));
    };
    openSessions();

    defineDataSets();
    defineFields();
    attachBehaviour();

    show("Otevření tabulky materiálu ...");
    qMatFind.open();
    qMatTypes.open();
    show("Otevření tabulky obsahu ...");
    qTree.open();
    qDbTree.open();
    tNodes.open();
    if (progress.showTextPanel)
        progress.showTextPanel();
    show("Otevření tabulek číselníků ...");
    qCountry.open();
    tElements.open();
    tUserChemComp.open();
    tSetupChemComp.open();
    tSetup.open();
    tSemTypes.open();
    tSttypes.open();
    tPropType.open();
    tUserMechProp.open();
    qPropTypeChild.open();
    tUserNotice.open();
}

MainDataModule::~MainDataModule()
{
    groupMembersChanged = nullptr;
    // Closing a master refreshes its details, which would post their pending rows; the run is
    // over, so every unposted row is dropped first, as closing a data set does.
    for (DataSet *ds : {&tUserChemComp, &tSetupChemComp, &tSetup, &tUserMechProp, &qPropTypeParent, &qPropTypeChildSelect, &qPropTypeSelect, &tUserNotice})
        if (ds->isEditing())
            ds->cancel();
    for (DataSet *ds : {&tUserMechProp, &tPropType, &tSttypes, &tSemTypes, &tSetup, &tSetupChemComp,
                        &tUserChemComp, &tElements, &qCountry, &tNodes, &qDbTree, &qTree, &qMatFind,
                        &qMatTypes, &qPropTypeChild, &tUserNotice, &qPropTypeParent,
                        &qPropTypeChildSelect, &qPropTypeSelect, &tDefaultMechProp, &tDefaultChemComp, &qTemp}) {
        try {
            // Closing posts nothing: a pending edit is cancelled as the data set closes.
            ds->close();
        } catch (...) {
            // The program is ending: the other data sets still close; what failed is logged.
            logCaught(QStringLiteral("MainDataModule: closing ") + ds->name());
        }
    }
    m_catalogue.close();
    m_user.close();
    m_upgradeOld.close();
    m_upgradeNew.close();
    m_upgradeNewCD.close();
}

void MainDataModule::openSessions()
{
    if (!m_conninfo.isEmpty()) {
        // The server's tables are the working copies already: the catalogue tool replaces the
        // catalogue's rows there and keeps the team's own ones.
        m_user.openServer(m_conninfo);
        m_catalogue.openServer(m_conninfo);
        m_workingCopies = true;
        return;
    }
    // Both sessions open the user file and attach the catalogue read-only: the working copies
    // of the material tables in the user file (catalogue rows and own materials together)
    // are what every query sees, and only the user file is ever written.
    m_user.openWorking(catalogueFile(), userFile());
    if (!m_user.isReadOnly(Database::User)) {
        createMissingTables(m_user, Database::User);
        m_refresh = refreshWorkingCopies(m_user);
    } else if (!workingCopiesCurrent(m_user)) {
        // A user file that cannot be written cannot take the new catalogue's rows: the
        // catalogue is read as it is, without own materials, until the file can be written.
        for (Connection *c : {&m_user, &m_catalogue}) {
            c->openFile(catalogueFile(), OpenMode::ReadOnly);
            c->attach(userFile(), Connection::userSchema(), OpenMode::ReadOnly);
        }
        m_workingCopies = false;
        return;
    }
    m_catalogue.openWorking(catalogueFile(), userFile());
    m_workingCopies = true;
}

bool MainDataModule::userDataWritable() const
{
    return m_workingCopies && m_user.isOpen() && !m_user.isReadOnly(Database::User);
}

QString MainDataModule::userDataUnwritableReason() const
{
    if (userDataWritable())
        return QString();
    return QStringLiteral("Vlastní materiály nyní nelze vytvářet ani měnit: do databáze uživatelských dat %1 "
                          "nelze zapisovat (soubor nebo jeho složka je jen pro čtení). Katalog se nikdy "
                          "nemění; vlastní materiály patří do databáze uživatelských dat. Zkontrolujte "
                          "práva k souboru a program spusťte znovu.")
        .arg(QDir::toNativeSeparators(userFile()));
}

void MainDataModule::setDataRoot(const QString &dataRoot)
{
    m_dataRoot = withSlash(dataRoot);
}

QString MainDataModule::catalogueFile() const
{
    // The medium spells the folder "Data", a disk installation "data".
    return orv::catalogueFolder(m_dataRoot) + orv::db::catalogueFileName();
}

QString MainDataModule::userFile() const
{
    return m_programDir + QStringLiteral("data/") + orv::db::userFileName();
}

void MainDataModule::defineDataSets()
{
    Connection *c = &m_catalogue;
    Connection *u = &m_user;

    qMatFind.setConnection(c);
    qMatFind.setSql(sqlLines({"select nd.Label, nd.MaterialNo, nd.Number, nd.Text, nd.ParentNo, nd.ImageIndex",
                           "  from Nodes nd, Mat",
                           "  where ",
                           "    nd.MaterialNo=Mat.Number and (not nd.MaterialNo is null)",
                           "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",
                           "  group by nd.Label, nd.MaterialNo, nd.Number, nd.Text, nd.ParentNo, nd.ImageIndex",
                           "  order by nd.Text,nd.MaterialNo"}));
    qMatTypes.setConnection(c);
    qMatTypes.setSql(sqlLines({"select *", "  from MatTypes"}));
    qTree.setConnection(c);
    qTree.setSql(sqlLines({"select *", "  from tree"}));
    qDbTree.setConnection(c);
    {
        QStringList sql = sqlLines({"select nd.Number, nd.ParentNo, nd.TreeNo, nd.MaterialNo, nd.Label, nd.IndexLabel, nd.ImageIndex, nd.ShortLabel, nd.Text, m.Private",
                                 "  from nodes nd, mat m",
                                 "  where nd.MaterialNo=m.Number",
                                 "",
                                 "union select nd.Number, nd.ParentNo, nd.TreeNo, nd.MaterialNo, nd.Label, nd.IndexLabel, nd.ImageIndex, nd.ShortLabel, nd.Text, 'N' Private",
                                 "  from nodes nd",
                                 "  where nd.MaterialNo is NULL"});
        while (sql.size() < 33)
            sql << QString();
        qDbTree.setSql(sql);
    }
    tNodes.setConnection(c);
    tNodes.setTableName(QStringLiteral("Nodes.DB"));
    qCountry.setConnection(c);
    qCountry.setSql(sqlLines({"select *", "  from country"}));
    tElements.setConnection(c);
    tElements.setTableName(QStringLiteral("Elements.db"));
    tElements.setIndexName(QStringLiteral("Name"));
    tElements.setReadOnly(true);
    tUserChemComp.setConnection(u);
    tUserChemComp.setTableName(QStringLiteral("UserChemComp.db"));
    tSetupChemComp.setConnection(u);
    tSetupChemComp.setTableName(QStringLiteral("SetupChemComp.db"));
    tSetup.setConnection(u);
    tSetup.setTableName(QStringLiteral("Setup.DB"));
    tSemTypes.setConnection(c);
    tSemTypes.setTableName(QStringLiteral("Semtypes.DB"));
    tSttypes.setConnection(c);
    tSttypes.setTableName(QStringLiteral("Sttypes.db"));
    tPropType.setConnection(u);
    tPropType.setTableName(QStringLiteral("Proptype.db"));
    tPropType.setIndexName(QStringLiteral("Name"));
    tPropType.setReadOnly(true);
    tUserMechProp.setConnection(u);
    tUserMechProp.setTableName(QStringLiteral("UserMechProp.DB"));
    qPropTypeChild.setConnection(u);
    qPropTypeChild.setSql(sqlLines({"select *", "  from PropType", "  where Parent=:PropertyNo"}));
    qPropTypeChild.setMaster(&tUserMechProp);
    // Names are listed in the order of their Windows-1250 bytes, as the lists always were.
    qPropTypeParent.setConnection(u);
    qPropTypeParent.setSql(sqlLines({"select *", "  from PropType", "  where GroupType='A'", "", "  order by Name collate CP1250"}));
    qPropTypeParent.setEditable(true);
    qPropTypeChildSelect.setConnection(u);
    qPropTypeChildSelect.setSql(sqlLines({"select *", "  from PropType", "  where Parent=:Number", "", "  order by Name collate CP1250"}));
    qPropTypeChildSelect.setMaster(&qPropTypeParent);
    qPropTypeChildSelect.setEditable(true);
    // Single properties usually have no GroupType at all; in SQL a null is not "<> 'A'", so it
    // is compared as an empty text, and every row that is not a group is listed.
    qPropTypeSelect.setConnection(u);
    qPropTypeSelect.setSql(sqlLines({"select *", "  from PropType", "  where coalesce(GroupType,'')<>'A'", "", "  order by Name collate CP1250"}));
    qPropTypeSelect.setEditable(true);
    tUserNotice.setConnection(u);
    tUserNotice.setTableName(QStringLiteral("UserNotices.DB"));
    tUserNotice.setIndexName(QStringLiteral("Material"));
    tDefaultMechProp.setConnection(c);
    tDefaultMechProp.setTableName(QStringLiteral("DefaultMechProp.DB"));
    tDefaultChemComp.setConnection(c);
    tDefaultChemComp.setTableName(QStringLiteral("DefaultChemComp.db"));
    qTemp.setConnection(u);
}

void MainDataModule::defineFields()
{
    // The criteria lists of the composition and property searches.
    defineCriteriaList(tUserChemComp, {"lkElement", "ElementNo", &tElements, "Chemický prvek", 18, "0.000",
                                       "Min. hodnota (%]", "Max. hodnota (%)", "TypeNo"})
        .setReadOnly(true);
    defineCriteriaList(tUserMechProp, {"lkProperty", "PropertyNo", &tPropType, "Mech. vlastnost", 22, "#.###",
                                       "Min. hodnota", "Max. hodnota", "GroupType"});

    // Element deviations.
    {
        Field &lk = tSetupChemComp.addLookupField(QStringLiteral("lkElement"), QStringLiteral("ELEMENTNO"), &tElements,
                                                  QStringLiteral("Number"), QStringLiteral("Name"));
        lk.setDisplayLabel(QStringLiteral("Chemický prvek"));
        lk.setDisplayWidth(35);
    }
    Field &digress = label(tSetupChemComp, "DIGRESS", "Odchylka [%]");
    digress.setDisplayFormat(QStringLiteral("0.000"));
    digress.setEditFormat(QStringLiteral("0.000"));
    hide(tSetupChemComp, {"NUMBER", "ELEMENTNO"});
    tSetupChemComp.setFieldOrder({QStringLiteral("lkElement"), QStringLiteral("DIGRESS")});

    label(tElements, "Name", "Název", 30);
    hide(tElements, {"Number", "Label"});

    label(qPropTypeParent, "Name", "Název", 50);
    label(qPropTypeChildSelect, "Name", "Název");
    label(qPropTypeSelect, "Name", "Název");
    for (DataSet *ds : {&qPropTypeParent, &qPropTypeChildSelect, &qPropTypeSelect})
        hide(*ds, {"Number", "Code", "Measure", "GroupType", "Parent"});

    hide(qMatFind, {"Label", "MaterialNo", "Number", "ParentNo", "ImageIndex"});
}

void MainDataModule::attachBehaviour()
{
    // New rows take their Number at once.
    tUserChemComp.hooks.onNewRecord = numberNewRows(qTemp, QStringLiteral("USERCHEMCOMP"));
    tUserMechProp.hooks.onNewRecord = numberNewRows(qTemp, QStringLiteral("USERMECHPROP"));
    tSetupChemComp.hooks.onNewRecord = numberNewRows(qTemp, QStringLiteral("SETUPCHEMCOMP"));
    tSetup.hooks.onNewRecord = numberNewRows(qTemp, QStringLiteral("SETUP"));
    {
        auto number = numberNewRows(qTemp, QStringLiteral("PROPTYPE"));
        qPropTypeParent.hooks.onNewRecord = [number](DataSet &ds) {
            number(ds);
            ds.setValue(QStringLiteral("GroupType"), QStringLiteral("A"));
        };
    }

    // Criteria rows are added only by the search window itself while it exists.
    auto guard = [this](DataSet &) {
        if (!criteriaInsertAllowed())
            throw Abort();
    };
    tUserChemComp.hooks.beforeInsert = guard;
    tUserMechProp.hooks.beforeInsert = guard;

    auto notNegative = [](Field &, const QVariant &v) {
        if (!v.isNull() && !(v.toDouble() >= 0))
            throw UserError(negativeValueMessage());
    };
    tUserChemComp.defineField(QStringLiteral("MinValue")).onValidate = notNegative;
    tUserChemComp.defineField(QStringLiteral("MaxValue")).onValidate = notNegative;

    // The contents tree follows the quick-find results.
    qMatFind.hooks.afterScroll = [this](DataSet &ds) {
        if (!qDbTree.isOpen() || ds.recNo() < 0)
            return;
        qDbTree.locate(QStringLiteral("NUMBER"), ds.value(QStringLiteral("Number")));
    };

    // The options window's member list follows the current group.
    qPropTypeParent.hooks.afterScroll = [this](DataSet &) {
        if (!groupMembersChanged || !qPropTypeChildSelect.isOpen())
            return;
        QStringList names;
        for (int r = 0; r < qPropTypeChildSelect.recordCount(); ++r)
            names << qPropTypeChildSelect.valueAt(r, QStringLiteral("Name")).toString();
        groupMembersChanged(names);
    };
}

QString MainDataModule::setupValue(const QString &key)
{
    return readSetupValue(tSetup, key);
}

void MainDataModule::setSetupValue(const QString &key, const QString &value)
{
    writeSetupValue(tSetup, key, value);
}

} // namespace orv::db
