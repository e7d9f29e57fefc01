#include "db/OwnDataModule.h"

#include "core/SqlText.h"
#include "db/NextNumber.h"
#include "db/Schema.h"
#include "db/SqlLines.h"

namespace orv::db {

namespace {

const QStringList kMatColumns = {
    QStringLiteral("Name"), QStringLiteral("PdfFile"), QStringLiteral("Purpose"), QStringLiteral("Purpose1"),
    QStringLiteral("Purpose2"), QStringLiteral("Purpose3"), QStringLiteral("Purpose4"), QStringLiteral("Purpose5"),
    QStringLiteral("PurposeAll"), QStringLiteral("TypeNo"), QStringLiteral("NoticeNo")};
const QStringList kNormsColumns = {
    QStringLiteral("MaterialNo"), QStringLiteral("CountryNo"), QStringLiteral("Name"), QStringLiteral("Label"),
    QStringLiteral("NameShort"), QStringLiteral("LabelShort")};
const QStringList kChemCompColumns = {
    QStringLiteral("ElementNo"), QStringLiteral("MaterialNo"), QStringLiteral("MinValue"),
    QStringLiteral("MaxValue"), QStringLiteral("NoticeNo")};
const QStringList kNoticesColumns = {QStringLiteral("Notice")};

} // namespace

OwnDataModule::OwnDataModule(MainDataModule &main, const StartupProgress &progress, QObject *parent)
    : QObject(parent), m_main(main)
{
    defineDataSets();
    attachBehaviour();
    if (progress.showText)
        progress.showText(QStringLiteral("Otevření tabulek pro vlastní materiál ..."));
    // The code lists first: the lookup fields of the others read them.
    qMatTypes.open();
    qNotices.open();
    qElements.open();
    qCountry.open();
    qNodes.open();
    qMatIns.open();
    qMat.open();
    qNorms.open();
    qChemComp.open();
    qCompareNorms.open();
    qUserNotices.open();
}

OwnDataModule::~OwnDataModule()
{
    materialChanged = nullptr;
    // Closing a master refreshes its details, which would post their pending rows; the run is
    // over, so every unposted row is dropped first, as closing a data set does.
    for (DataSet *ds : {&qNodes, &qMat, &qNorms, &qChemComp, &qCompareNorms, &qUserNotices, &qNotices, &qNodesIns, &qMatIns})
        if (ds->isEditing())
            ds->cancel();
    for (DataSet *ds : {&qCountry, &qElements, &qCompareNorms, &qChemComp, &qNorms, &qNodes, &qMat, &qMatIns,
                        &qUserNotices, &qNotices, &qNodesIns, &qMatTypes, &qTemp}) {
        try {
            ds->close();
        } catch (...) {
            // The module is going away: the other data sets still close; what failed is logged.
            logCaught(QStringLiteral("OwnDataModule: closing ") + ds->name());
        }
    }
}

void OwnDataModule::defineDataSets()
{
    Connection *u = &m_main.userSession();
    for (DataSet *ds : {&qNodes, &qMat, &qNorms, &qChemComp, &qCompareNorms, &qUserNotices, &qNotices, &qNodesIns,
                        &qMatIns, &qElements, &qCountry, &qMatTypes, &qTemp})
        ds->setConnection(u);

    qNodes.setSql(sqlLines({"select *", "  from nodes", "  where MaterialNo=:MatNo"}));
    qMat.setSql(sqlLines({"select *", "  from mat", "  where Number=:MaterialNo"}));
    qMat.setMaster(&qNodes);
    qNorms.setSql(sqlLines({"select *", "  from norms", "  where MaterialNo=:Number"}));
    qNorms.setMaster(&qMat);
    qChemComp.setSql(sqlLines({"select *", "  from ChemComp", "  where MaterialNo=:Number"}));
    qChemComp.setMaster(&qMat);
    qCompareNorms.setSql(sqlLines({"select *", "  from CompareNorms", "  where MaterialNo=:Number"}));
    qCompareNorms.setMaster(&qMat);
    qUserNotices.setSql(sqlLines({"select *", "  from UserNotices", "  where MaterialNo=:Number"}));
    qUserNotices.setMaster(&qMat);
    qNotices.setSql(sqlLines({"select *", "  from Notices"}));
    qNodesIns.setSql(sqlLines({"select *", "  from Nodes"}));
    qMatIns.setSql(sqlLines({"select *", "  from mat"}));
    qElements.setSql(sqlLines({"select *", "  from Elements", "", "", "order by Name collate CP1250"}));
    qCountry.setSql(sqlLines({"select *", "  from Country"}));
    qMatTypes.setSql(sqlLines({"select *", "  from MatTypes"}));
    for (DataSet *ds : {&qNodes, &qMat, &qNorms, &qChemComp, &qCompareNorms, &qUserNotices, &qNotices,
                        &qNodesIns, &qMatIns})
        ds->setEditable(true);
    for (DataSet *ds : {&qElements, &qCountry, &qMatTypes})
        ds->setReadOnly(true);

    // Lookup fields and display definitions.
    qMat.addLookupField(QStringLiteral("lkMatTypes"), QStringLiteral("TypeNo"), &qMatTypes,
                        QStringLiteral("Number"), QStringLiteral("Name"));
    qMat.addLookupField(QStringLiteral("lkNotices"), QStringLiteral("NoticeNo"), &qNotices,
                        QStringLiteral("Number"), QStringLiteral("Notice")).setDisplayWidth(255);
    {
        Field &f = qChemComp.addLookupField(QStringLiteral("lkElements"), QStringLiteral("ElementNo"), &qElements,
                                            QStringLiteral("Number"), QStringLiteral("Name"));
        f.setDisplayLabel(QStringLiteral("Název"));
        f.setDisplayWidth(50);
        Field &n = qChemComp.addLookupField(QStringLiteral("lkNotices"), QStringLiteral("NoticeNo"), &qNotices,
                                            QStringLiteral("Number"), QStringLiteral("Notice"));
        n.setDisplayLabel(QStringLiteral("Poznámka"));
        n.setDisplayWidth(50);
    }
    {
        Field &f = qCompareNorms.addLookupField(QStringLiteral("lkCountry"), QStringLiteral("CountryNo"), &qCountry,
                                                QStringLiteral("Number"), QStringLiteral("Name"));
        f.setDisplayLabel(QStringLiteral("Stát"));
        f.setDisplayWidth(50);
    }
    Field &minV = qChemComp.defineField(QStringLiteral("MinValue"));
    minV.setDisplayLabel(QStringLiteral("Min. hodnota"));
    Field &maxV = qChemComp.defineField(QStringLiteral("MaxValue"));
    maxV.setDisplayLabel(QStringLiteral("Max. hodnota"));
    for (Field *f : {&minV, &maxV}) {
        f->setDisplayFormat(QStringLiteral("#,##0.00"));
        f->setEditFormat(QStringLiteral("#.##"));
    }
    qCompareNorms.defineField(QStringLiteral("Name")).setDisplayLabel(QStringLiteral("Název"));
    qCompareNorms.defineField(QStringLiteral("Label")).setDisplayLabel(QStringLiteral("Značka"));
}

void OwnDataModule::attachBehaviour()
{
    attachNewRowDefaults();
    // Editing a Norms row edits its material.
    qNorms.hooks.beforeEdit = [this](DataSet &) {
        if (qMat.recNo() >= 0)
            qMat.edit();
    };
    qNorms.hooks.afterEdit = [this](DataSet &) {
        if (materialChanged)
            materialChanged();
    };
    attachPostMirrors();
    attachDeleteMirrors();
}

// New rows: Number by the next-number rule, then the defaults.
void OwnDataModule::attachNewRowDefaults()
{
    qNotices.hooks.onNewRecord = numberNewRows(qTemp, QStringLiteral("NOTICES"));
    qUserNotices.hooks.onNewRecord = numberNewRows(qTemp, QStringLiteral("USERNOTICES"));
    qNodesIns.hooks.onNewRecord = numberNewRows(qTemp, QStringLiteral("NODES"));
    qMatIns.hooks.onNewRecord = numberNewRows(qTemp, QStringLiteral("MAT"));
    qNorms.hooks.onNewRecord = numberNewRows(qTemp, QStringLiteral("NORMS"));
    qChemComp.hooks.onNewRecord = [this](DataSet &ds) {
        ds.setValue(QStringLiteral("Number"), nextNumber(qTemp, QStringLiteral("CHEMCOMP")));
        ds.setValue(QStringLiteral("MaterialNo"), qMat.value(QStringLiteral("Number")));
    };
    qCompareNorms.hooks.onNewRecord = [this](DataSet &ds) {
        ds.setValue(QStringLiteral("Number"), nextNumber(qTemp, QStringLiteral("COMPARENORMS")));
        ds.setValue(QStringLiteral("MaterialNo"), qMat.value(QStringLiteral("Number")));
    };
    qMat.hooks.onNewRecord = [this](DataSet &ds) {
        const int number = nextNumber(qTemp, QStringLiteral("MAT"));
        ds.setValue(QStringLiteral("Number"), number);
        ds.setValue(QStringLiteral("Private"), QStringLiteral("A"));
        ds.setValue(QStringLiteral("Name"), QStringLiteral("Nový materiál"));
        // Every own material has exactly one Norms row from the start.
        qNorms.append();
        qNorms.setValue(QStringLiteral("MaterialNo"), number);
        qNorms.post();
    };
    qNodes.hooks.onNewRecord = [this](DataSet &ds) {
        ds.setValue(QStringLiteral("Number"), nextNumber(qTemp, QStringLiteral("NODES")));
        qMat.append();
        ds.setValue(QStringLiteral("MaterialNo"), qMat.value(QStringLiteral("Number")));
        ds.setValue(QStringLiteral("Text"), qMat.value(QStringLiteral("Name")));
        ds.setValue(QStringLiteral("ParentNo"), -1);
        ds.setValue(QStringLiteral("TreeNo"), 1);
        ds.setValue(QStringLiteral("ImageIndex"), materialNodeImage);
        qMat.post();
    };
}

// Before a post: the derived columns (PurposeAll, the short names), then the copy of the row
// in its private table.
void OwnDataModule::attachPostMirrors()
{
    qMat.hooks.beforePost = [this](DataSet &ds) {
        QString all;
        bool any = false;
        for (const char *p : {"Purpose", "Purpose1", "Purpose2", "Purpose3", "Purpose4", "Purpose5"}) {
            const QVariant v = ds.value(QString::fromUtf8(p));
            any = any || !v.isNull();
            all += v.toString();
        }
        ds.setValue(QStringLiteral("PurposeAll"), any ? QVariant(all) : QVariant());
        mirrorPost(ds, QStringLiteral("private_MAT"), kMatColumns);
    };
    qMatIns.hooks.beforePost = [this](DataSet &ds) {
        if (ds.state() == DataSetState::Insert)
            mirrorPost(ds, QStringLiteral("private_MAT"), kMatColumns, true);
    };
    auto shortNames = [](DataSet &ds) {
        for (const char *from : {"Name", "Label"}) {
            const QString source = QString::fromUtf8(from);
            const QVariant v = ds.value(source);
            ds.setValue(source + QStringLiteral("Short"), v.isNull() ? QVariant() : QVariant(orv::stripSpaces(v.toString())));
        }
    };
    qNorms.hooks.beforePost = [this, shortNames](DataSet &ds) {
        shortNames(ds);
        mirrorPost(ds, QStringLiteral("private_NORMS"), kNormsColumns);
    };
    qCompareNorms.hooks.beforePost = [this, shortNames](DataSet &ds) {
        shortNames(ds);
        mirrorPost(ds, QStringLiteral("private_COMPARENORMS"), kNormsColumns);
    };
    qChemComp.hooks.beforePost = [this](DataSet &ds) {
        mirrorPost(ds, QStringLiteral("private_CHEMCOMP"), kChemCompColumns);
    };
    qNotices.hooks.beforePost = [this](DataSet &ds) {
        mirrorPost(ds, QStringLiteral("private_NOTICES"), kNoticesColumns);
    };
}

// A deleted row leaves its private table; a material takes its details and notes along.
void OwnDataModule::attachDeleteMirrors()
{
    qNorms.hooks.beforeDelete = [this](DataSet &ds) {
        mirrorDelete(QStringLiteral("private_NORMS"), ds.value(QStringLiteral("Number")));
    };
    qCompareNorms.hooks.beforeDelete = [this](DataSet &ds) {
        mirrorDelete(QStringLiteral("private_COMPARENORMS"), ds.value(QStringLiteral("Number")));
    };
    qNotices.hooks.beforeDelete = [this](DataSet &ds) {
        mirrorDelete(QStringLiteral("private_NOTICES"), ds.value(QStringLiteral("Number")));
    };
    qChemComp.hooks.beforeDelete = [this](DataSet &ds) {
        const QVariant number = ds.value(QStringLiteral("Number"));
        deleteNoticeOf(ds.value(QStringLiteral("NoticeNo")));
        mirrorDelete(QStringLiteral("private_CHEMCOMP"), number);
    };
    qMat.hooks.beforeDelete = [this](DataSet &ds) {
        const QVariant number = ds.value(QStringLiteral("Number"));
        const QVariant noticeNo = ds.value(QStringLiteral("NoticeNo"));
        deleteAllRows(qUserNotices);
        deleteAllRows(qNorms);
        deleteAllRows(qChemComp);
        deleteAllRows(qCompareNorms);
        deleteNoticeOf(noticeNo);
        deletePropertyRows(number);
        mirrorDelete(QStringLiteral("private_MAT"), number);
    };
    qNodes.hooks.beforeDelete = [this](DataSet &) {
        if (qMat.recNo() >= 0)
            qMat.remove();
    };
}

void OwnDataModule::deletePropertyRows(const QVariant &materialNo)
{
    // The property rows a copy of a catalogue material brought along (user tables; no data set
    // shows them): deepest first, so that every statement still finds the rows above. Their
    // notes may be the catalogue's own and stay.
    Connection &u = m_main.userSession();
    const QVariantMap m{{QStringLiteral("m"), materialNo}};
    const QString semi = QStringLiteral("select Number from OwnSemiProd where MaterialNo = :m");
    const QString states = QStringLiteral("select Number from OwnStates where SemiPrNo in (%1)").arg(semi);
    const QString dimens = QStringLiteral("select Number from OwnDimens where StateNo in (%1)").arg(states);
    const QString mech = QStringLiteral("select Number from OwnMechProp where DimensionNo in (%1)").arg(dimens);
    u.exec(QStringLiteral("delete from OwnTemps where PropertyNo in (%1)").arg(mech), m);
    u.exec(QStringLiteral("delete from OwnMechProp where Number in (%1)").arg(mech), m);
    u.exec(QStringLiteral("delete from OwnDimens where Number in (%1)").arg(dimens), m);
    u.exec(QStringLiteral("delete from OwnStates where Number in (%1)").arg(states), m);
    for (const char *t : {"OwnSemiProd", "OwnFyzProp", "OwnTempProc", "OwnChemZbytek"})
        u.exec(QStringLiteral("delete from %1 where MaterialNo = :m").arg(QString::fromLatin1(t)), m);
}

void OwnDataModule::mirrorPost(DataSet &ds, const QString &privateTable, const QStringList &columns, bool forceInsert)
{
    const QVariant number = ds.value(QStringLiteral("Number"));
    DataSet mirror(QStringLiteral("qPrivate"), &m_main.userSession());
    mirror.setEditable(true);
    const bool inserting = forceInsert || ds.state() == DataSetState::Insert;
    if (inserting) {
        // A new row: one insert statement, texts cut to the widths of the private table.
        const TableDef *def = table(privateTable);
        QStringList cols{QStringLiteral("Number")}, marks{QStringLiteral(":p0")};
        QVariantMap params{{QStringLiteral("p0"), number}};
        for (int i = 0; i < columns.size(); ++i) {
            QVariant v = ds.value(columns[i]);
            const ColumnDef *col = def ? def->column(columns[i]) : nullptr;
            if (col && col->width > 0 && v.typeId() == QMetaType::QString && v.toString().size() > col->width)
                v = v.toString().left(col->width);
            cols << columns[i];
            marks << QStringLiteral(":p%1").arg(i + 1);
            params.insert(QStringLiteral("p%1").arg(i + 1), v);
        }
        m_main.userSession().exec(QStringLiteral("insert into %1 (%2) values (%3)")
                                      .arg(privateTable, cols.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
                                  params);
        return;
    } else {
        if (number.isNull())
            throw DbError(QStringLiteral("%1: řádek bez čísla nelze zrcadlit.").arg(ds.name()));
        mirror.setSql(QStringLiteral("select * from ") + privateTable + QStringLiteral(" where Number=")
                      + QString::number(number.toLongLong()));
        mirror.open();
        // A row whose copy is missing gets one now instead of a copy without a Number.
        if (mirror.isEmpty()) {
            mirror.append();
            mirror.setValue(QStringLiteral("Number"), number);
        } else {
            mirror.edit();
        }
    }
    for (const QString &c : columns)
        mirror.setValue(c, ds.value(c));
    mirror.post();
    mirror.close();
}

void OwnDataModule::mirrorDelete(const QString &privateTable, const QVariant &number)
{
    if (number.isNull())
        return;
    m_main.userSession().exec(QStringLiteral("delete from ") + privateTable + QStringLiteral(" where Number=")
                              + QString::number(number.toLongLong()));
}

void OwnDataModule::deleteNoticeOf(const QVariant &noticeNo)
{
    if (noticeNo.isNull())
        return;
    if (!qNotices.isOpen())
        qNotices.open();
    if (qNotices.locate(QStringLiteral("Number"), noticeNo))
        qNotices.remove();
}

void OwnDataModule::deleteAllRows(DataSet &ds)
{
    if (!ds.isOpen())
        ds.open();
    while (!ds.isEmpty()) {
        ds.first();
        ds.remove();
    }
}

} // namespace orv::db
