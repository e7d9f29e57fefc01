#include "browse/MaterialCard.h"

#include "db/ServerAudit.h"
#include "db/SqlLines.h"
#include "browse/MaterialSources.h"

#include "browse/MaterialCardCells.h"
#include "browse/PdfSheet.h"
#include "core/DataRoot.h"
#include "core/Paths.h"
#include "core/Registry.h"
#include "db/MainDataModule.h"
#include "db/NextNumber.h"
#include "db/Schema.h"
#include "ui/BusyCursor.h"
#include "ui/ExternalOpen.h"
#include "ui/HelpContexts.h"
#include "ui/MessageDialog.h"
#include "ui/WidgetHelpers.h"

#include <QApplication>
#include <QDebug>
#include <QRegularExpression>
#include <QDesktopServices>
#include <QEvent>
#include <QFileInfo>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace orv::browse {

namespace {

using db::DataSet;
using db::Field;
using db::FieldType;
using db::sqlLines;
using db::Record;

// Section headings are panels in this pale green (the colour value 12639424) with bold text.
const QColor headingColour(0xC0, 0xDC, 0xC0);
const QColor captionColour(10, 36, 106);
const QColor linkTeal(0, 128, 128);
const QColor maroon(128, 0, 0);
const QColor navy(0, 0, 128);

Field &shown(Field &f, const char *heading, int width = 0, const char *format = nullptr)
{
    f.setDisplayLabel(QString::fromUtf8(heading));
    if (width > 0)
        f.setDisplayWidth(width);
    if (format)
        f.setDisplayFormat(QString::fromLatin1(format));
    f.setVisible(true);
    return f;
}

Field &lookup(DataSet &ds, const char *name, const char *key, DataSet &source, const char *result,
              const char *heading = nullptr, int width = 0)
{
    Field &f = ds.addLookupField(QString::fromLatin1(name), QString::fromLatin1(key), &source,
                                 QStringLiteral("Number"), QString::fromLatin1(result));
    if (heading)
        shown(f, heading, width);
    return f;
}

// Only the listed fields are shown, in this order; a field of the result that is not listed
// is hidden.
void showOnly(DataSet &ds, const QStringList &names)
{
    for (Field *f : ds.fields()) {
        bool listed = false;
        for (const QString &n : names)
            listed = listed || n.compare(f->name(), Qt::CaseInsensitive) == 0;
        f->setVisible(listed);
    }
}

QLabel *heading(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setAutoFillBackground(true);
    QPalette pal = label->palette();
    pal.setColor(QPalette::Window, headingColour);
    pal.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(pal);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    label->setFixedHeight(label->fontMetrics().height() + 6);
    label->setObjectName(QStringLiteral("heading"));
    return label;
}

// A panel: its heading over its content.
QWidget *panel(const QString &title, QWidget *content, QWidget *parent)
{
    auto *w = new QWidget(parent);
    auto *v = new QVBoxLayout(w);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    v->addWidget(heading(title, w));
    content->setParent(w);
    v->addWidget(content, 1);
    return w;
}

QPushButton *pageButton(const QString &text, const QColor &colour, bool handCursor, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    QFont f = b->font();
    f.setBold(true);
    b->setFont(f);
    QPalette pal = b->palette();
    pal.setColor(QPalette::ButtonText, colour);
    b->setPalette(pal);
    if (handCursor)
        b->setCursor(Qt::PointingHandCursor);
    return b;
}

QWidget *noticePanel(QWidget *parent)
{
    auto *label = new QLabel(MaterialCard::reproductionNotice(), parent);
    label->setFixedHeight(41);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    label->setObjectName(QStringLiteral("reproductionNotice"));
    QFont f = label->font();
    f.setPointSizeF(f.pointSizeF() * 0.9);
    label->setFont(f);
    return label;
}

// The line saying who changed the material or its note; shown only when there is something.
QLabel *stampLabel(const QString &name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setContentsMargins(6, 2, 6, 2);
    QFont f = label->font();
    f.setItalic(true);
    label->setFont(f);
    label->hide();
    return label;
}

// Column widths are kept in characters; a grid shows them in the width of its digits.
void applyWidths(QTableView *view, db::DataSetModel *model)
{
    const int digit = view->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (int c = 0; c < model->columnCount(); ++c) {
        if (Field *f = model->fieldAt(c))
            ui::setFittedColumnWidth(view, c, f->displayWidth() * digit + 6);
    }
}

} // namespace

// ------------------------------------------------------------------ environment

CardEnvironment CardEnvironment::fromDataModule(db::MainDataModule &data)
{
    CardEnvironment env;
    env.catalogue = &data.catalogueSession();
    env.user = &data.userSession();
    // Looked up again on every load (the medium may have been changed) and kept as the
    // module's data root, as every caller of the lookup does.
    env.dataRoot = [&data] {
        data.setDataRoot(orv::dataRoot(db::catalogueFileName()));
        return data.dataRoot();
    };
    env.economyMode = [] { return false; };
    env.autoSave = [] { return true; };
    const bool pdf = readInstalledComponents(Registry(Registry::Scope::Machine)).pdf;
    env.pdfInstalled = [pdf] { return pdf; };
    return env;
}

// ------------------------------------------------------------------ texts

QString MaterialCard::pageCaption(Page page)
{
    switch (page) {
    case BasicInfo: return QStringLiteral("Základní informace");
    case MechProperties: return QStringLiteral("Mechanické vlastnosti");
    case Equivalents: return QStringLiteral("Srovnání s ostatními normami");
    case HeatTreatment: return QStringLiteral("Tepelné zpracování");
    case MaterialSheet: return QStringLiteral("Materiálový list");
    case Diagrams: return QStringLiteral("Diagramy");
    case Note: return QStringLiteral("Poznámka");
    case PhysProperties: return QStringLiteral("Fyzikální vlastnosti");
    case PageCount: break;
    }
    return QString();
}

QString MaterialCard::linkCaption()
{
    return QStringLiteral("Česká agentura pro standardizaci – kontakty a nabídka norem ČSN");
}

QString MaterialCard::linkAddress()
{
    return QStringLiteral("https://www.agenturacas.cz/");
}

QString MaterialCard::reproductionNotice()
{
    return QStringLiteral("Údaje převzaté z norem jsou uvedeny pouze pro informaci.\n"
                          "Závazné jsou vždy platné texty norem, které lze zakoupit u České agentury pro standardizaci.");
}

// ------------------------------------------------------------------ creation

MaterialCard::MaterialCard(const CardEnvironment &env, QWidget *parent) : QWidget(parent), m_env(env)
{
    resize(519, 506);
    defineDataSets();
    buildUi();
    restoreSettings();
}

MaterialCard::~MaterialCard()
{
    // The grids and their models go first: QObject would delete them only after the data
    // sets below are gone, and a grid hidden on the way still asks its model for headers.
    const QObjectList children = this->children();
    qDeleteAll(children);
    if (tUserNotice.isEditing())
        tUserNotice.cancel();
    // Details before their masters, so that no detail reloads on the way.
    for (DataSet *ds : {&qMechPropTemps, &qDimens, &qStates, &qSemiProd, &qNodes, &tUserNotice, &qFyzProp,
                        &qFyzPropType, &qTempProc, &qChemZbytek, &qChemComp, &qCompareNorms, &qNorms, &qMat,
                        &qProc, &qCountry, &qElements, &qNotices, &qSemTypes, &qStTypes, &qPropType, &qTemp}) {
        try {
            ds->close();
        } catch (const std::exception &e) {
            // A destructor cannot report; the card is going anyway, so the failure is logged.
            qWarning().noquote() << QStringLiteral("MaterialCard: data set %1 nelze zavřít:").arg(ds->name())
                                 << QString::fromUtf8(e.what());
        }
    }
}

void MaterialCard::defineDataSets()
{
    defineQueries();
    defineNoteTable();
    defineMaterialFields();
    defineDetailFields();
}

void MaterialCard::defineQueries()
{
    db::Connection *c = m_env.catalogue;
    db::Connection *u = m_env.user;
    // Each query with its session, its text, and the master whose current row fills its parameter.
    const struct
    {
        DataSet &ds;
        db::Connection *session;
        QStringList sql;
        DataSet *master;
    } queries[] = {
        {qMat, c, sqlLines({"select *", "  from mat", "  where Number=:in1"}), nullptr},
        {qNorms, c, sqlLines({"select *", "  from Norms", "  where MaterialNo=:in1"}), nullptr},
        {qCompareNorms, c, sqlLines({"select *", "  from CompareNorms", "  where MaterialNo=:in1"}), nullptr},
        {qCountry, c, sqlLines({"select *", "  from Country"}), nullptr},
        {qChemComp, c, sqlLines({"select *", "  from ChemComp", "  where MaterialNo=:in1"}), nullptr},
        {qChemZbytek, c, sqlLines({"select *", "  from ChemZbytek", "  where MaterialNo=:in1"}), nullptr},
        {qElements, c, sqlLines({"select *", "  from Elements"}), nullptr},
        {qNotices, c, sqlLines({"select *", "  from Notices"}), nullptr},
        {qSemiProd, c, sqlLines({"select *", "  from SemiProd", "  where MaterialNo=:in1"}), nullptr},
        {qSemTypes, c, sqlLines({"select *", "  from SemTypes"}), nullptr},
        {qStates, c, sqlLines({"select *", "  from States", "  where SemiPrNo=:Number"}), &qSemiProd},
        {qStTypes, c, sqlLines({"select *", "  from StTypes"}), nullptr},
        {qDimens, c, sqlLines({"select *", "  from Dimens", "  where StateNo=:Number"}), &qStates},
        {qMechPropTemps, c,
         sqlLines({"select *", "  from MechProp mp, Temps te", "  where mp.DimensionNo=:Number and mp.Number=te.PropertyNo"}),
         &qDimens},
        {qPropType, u, sqlLines({"select *", "  from PropType"}), nullptr},
        {qNodes, c, sqlLines({"Select *", "  from Nodes", "  where", "  MaterialNo=:Number"}), &qMat},
        {qTempProc, c, sqlLines({"select *", "  from TempProc", "  where MaterialNo=:in1"}), nullptr},
        {qProc, c, sqlLines({"select *", "  from Proc"}), nullptr},
        {qFyzPropType, c, sqlLines({"select *", "  from FyzPropType"}), nullptr},
        {qFyzProp, c, sqlLines({"select *", "  from FyzProp", "  where MaterialNo=:in1"}), nullptr},
    };
    for (const auto &q : queries) {
        q.ds.setConnection(q.session);
        q.ds.setSql(q.sql);
        if (q.master)
            q.ds.setMaster(q.master);
    }
}

// The table of the user's notes, written through the card.
void MaterialCard::defineNoteTable()
{
    db::Connection *u = m_env.user;
    tUserNotice.setConnection(u);
    tUserNotice.setTableName(QStringLiteral("UserNotices.DB"));
    tUserNotice.setIndexName(QStringLiteral("Material"));
    qTemp.setConnection(u);
    // A new note gets the next Number of UserNotices by the data layer's rule: the highest
    // plus 1 in a file, the table's sequence on a server, where colleagues add notes at the
    // same moment and a highest-plus-1 of their own would take the same number.
    tUserNotice.hooks.onNewRecord = [this](DataSet &ds) {
        ds.setValue(QStringLiteral("NUMBER"), db::nextNumber(qTemp, QStringLiteral("USERNOTICES")));
        ds.setValue(QStringLiteral("MATERIALNO"), m_materialNo);
    };
}

// The material's own calculated and lookup fields, and those of its mechanical masters.
void MaterialCard::defineMaterialFields()
{
    qMat.addCalculatedField(QStringLiteral("clPurpose"), FieldType::String, 2000, [](const Record &r) {
        QString s;
        for (const char *n : {"Purpose", "Purpose1", "Purpose2", "Purpose3", "Purpose4", "Purpose5"})
            s += r.value(QString::fromLatin1(n)).toString();
        return QVariant(s);
    });
    lookup(qMat, "lkNotice", "NoticeNo", qNotices, "Notice");
    lookup(qChemComp, "lkElement", "ElementNo", qElements, "Name");
    lookup(qChemZbytek, "lkElement", "ElementNo", qElements, "Name").setSize(50);

    lookup(qSemiProd, "lkGroup1", "Group1No", qSemTypes, "Name", "Skupina 1", 21);
    lookup(qSemiProd, "lkGroup2", "Group2No", qSemTypes, "Name", "Skupina 2", 20);
    lookup(qSemiProd, "lkGroup3", "Group3No", qSemTypes, "Name", "Skupina 3", 20);
    lookup(qSemiProd, "lkGroup4", "Group4No", qSemTypes, "Name", "Skupina 4", 20);
    lookup(qSemiProd, "lkNotice", "NoticeNo", qNotices, "Notice", "Poznámka", 20);
    qSemiProd.setFieldOrder({QStringLiteral("lkGroup1"), QStringLiteral("lkGroup2"), QStringLiteral("lkGroup3"),
                             QStringLiteral("lkGroup4"), QStringLiteral("lkNotice")});

    lookup(qStates, "lkState", "StateNo", qStTypes, "Name", "Název", 14);
    lookup(qStates, "lkNotices", "NoticeNo", qNotices, "Notice", "Poznámka", 20);
    qStates.setFieldOrder({QStringLiteral("lkState"), QStringLiteral("lkNotices")});

    shown(qDimens.addCalculatedField(QStringLiteral("clValue"), FieldType::String, 40, [](const Record &r) {
        return QVariant(rangeText(r.value(QStringLiteral("FromValue")), r.value(QStringLiteral("ToValue"))));
    }), "Rozměr", 20);
    lookup(qDimens, "lkNotice", "NoticeNo", qNotices, "Notice", "Poznámka", 20);
    qDimens.setFieldOrder({QStringLiteral("clValue"), QStringLiteral("lkNotice")});
}

// The columns of the property, equivalent, heat-treatment and physical grids.
void MaterialCard::defineDetailFields()
{
    lookup(qMechPropTemps, "lkPropertyNo", "PropertyNo", qPropType, "Name", "Mechanická vlastnost", 45);
    shown(qMechPropTemps.defineField(QStringLiteral("Temperature")), "Teplota [°C]");
    // The value with the unit of its property (PropType.Measure).
    shown(qMechPropTemps.addCalculatedField(QStringLiteral("clTemperature"), FieldType::String, 40, [this](const Record &r) {
        const int row = qPropType.find(QStringLiteral("Number"), {r.value(QStringLiteral("PropertyNo"))});
        const QString unit = row >= 0 ? qPropType.valueAt(row, QStringLiteral("Measure")).toString() : QString();
        return QVariant(withUnit(rangeText(r.value(QStringLiteral("TempMinValue")), r.value(QStringLiteral("TempMaxValue"))), unit));
    }), "Hodnota", 14);
    // The property's note and the value's note, told apart.
    lookup(qMechPropTemps, "lkNotice", "NoticeNo", qNotices, "Notice", "Poznámka k vlastnosti", 20);
    lookup(qMechPropTemps, "lkNotice1", "NoticeNo_1", qNotices, "Notice", "Poznámka k hodnotě", 20);
    qMechPropTemps.setFieldOrder({QStringLiteral("lkPropertyNo"), QStringLiteral("Temperature"),
                                  QStringLiteral("clTemperature"), QStringLiteral("lkNotice"),
                                  QStringLiteral("lkNotice1")});

    shown(qCompareNorms.defineField(QStringLiteral("Name")), "Název");
    shown(qCompareNorms.defineField(QStringLiteral("Label")), "Značka");
    lookup(qCompareNorms, "lkCountry", "CountryNo", qCountry, "Name", "Stát", 50);
    qCompareNorms.setFieldOrder({QStringLiteral("Name"), QStringLiteral("Label"), QStringLiteral("lkCountry")});

    lookup(qTempProc, "lkProc", "ProcNo", qProc, "Name", "Název", 30);
    shown(qTempProc.defineField(QStringLiteral("MinValue")), "Min. hodnota [°C]");
    shown(qTempProc.defineField(QStringLiteral("MaxValue")), "Max. hodnota [°C]");
    // Cool is shown as "Výdrž" and Stand as "Ochlazování": the catalogue fills them so.
    shown(qTempProc.defineField(QStringLiteral("Cool")), "Výdrž", 20);
    shown(qTempProc.defineField(QStringLiteral("Stand")), "Ochlazování", 20);
    shown(qTempProc.defineField(QStringLiteral("Notice")), "Poznámka", 20);
    qTempProc.setFieldOrder({QStringLiteral("lkProc"), QStringLiteral("MinValue"), QStringLiteral("MaxValue"),
                             QStringLiteral("Cool"), QStringLiteral("Stand"), QStringLiteral("Notice")});

    lookup(qFyzProp, "lkProperty", "PropertyNo", qFyzPropType, "Name", "Vlastnost", 45);
    shown(qFyzProp.defineField(QStringLiteral("Temperature")), "Teplota [°C]", 0, "0.00");
    shown(qFyzProp.defineField(QStringLiteral("MinValue")), "Min. hodnota", 0, "0.00");
    shown(qFyzProp.defineField(QStringLiteral("MaxValue")), "Max. hodnota", 0, "0.00");
    lookup(qFyzProp, "lkNotice", "NoticeNo", qNotices, "Notice", "Poznámka", 20);
    qFyzProp.setFieldOrder({QStringLiteral("lkProperty"), QStringLiteral("Temperature"), QStringLiteral("MinValue"),
                            QStringLiteral("MaxValue"), QStringLiteral("lkNotice")});
}

void MaterialCard::applyColumns()
{
    showOnly(qSemiProd, {QStringLiteral("lkGroup1"), QStringLiteral("lkGroup2"), QStringLiteral("lkGroup3"),
                         QStringLiteral("lkGroup4"), QStringLiteral("lkNotice")});
    showOnly(qStates, {QStringLiteral("lkState"), QStringLiteral("lkNotices")});
    showOnly(qDimens, {QStringLiteral("clValue"), QStringLiteral("lkNotice")});
    showOnly(qMechPropTemps, {QStringLiteral("lkPropertyNo"), QStringLiteral("Temperature"), QStringLiteral("clTemperature"),
                              QStringLiteral("lkNotice"), QStringLiteral("lkNotice1")});
    showOnly(qCompareNorms, {QStringLiteral("Name"), QStringLiteral("Label"), QStringLiteral("lkCountry")});
    showOnly(qTempProc, {QStringLiteral("lkProc"), QStringLiteral("MinValue"), QStringLiteral("MaxValue"),
                         QStringLiteral("Cool"), QStringLiteral("Stand"), QStringLiteral("Notice")});
    showOnly(qFyzProp, {QStringLiteral("lkProperty"), QStringLiteral("Temperature"), QStringLiteral("MinValue"),
                        QStringLiteral("MaxValue"), QStringLiteral("lkNotice")});
    const std::pair<QTableView *, db::DataSetModel *> grids[] = {
        {m_semiGrid, m_semiModel}, {m_statesGrid, m_statesModel}, {m_dimensGrid, m_dimensModel},
        {m_propGrid, m_propModel}, {m_equivGrid, m_equivModel}, {m_heatGrid, m_heatModel}, {m_fyzGrid, m_fyzModel}};
    for (const auto &[view, model] : grids) {
        model->resetColumns();
        applyWidths(view, model);
    }
}

// ------------------------------------------------------------------ layout

QTableView *MaterialCard::makeGrid(db::DataSetModel *model, bool detailMaster)
{
    auto *view = new QTableView(this);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setHighlightSections(false);
    // The grid follows the data set and the data set the grid. A master grid's move reloads
    // the grids below it, which shows the busy cursor.
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this, model, detailMaster](const QModelIndex &current) {
                if (!current.isValid() || current.row() == model->currentRow())
                    return;
                try {
                    if (detailMaster) {
                        ui::BusyCursor busy;
                        model->setCurrentRow(current.row());
                    } else {
                        model->setCurrentRow(current.row());
                    }
                } catch (const std::exception &e) {
                    reportError(e);
                }
            });
    connect(model, &db::DataSetModel::currentRowChanged, view, [view, model](int row) {
        if (row >= 0 && row < model->rowCount() && view->currentIndex().row() != row)
            view->setCurrentIndex(model->index(row, 0));
    });
    connect(model, &QAbstractItemModel::modelReset, view, [view, model] {
        const int row = model->currentRow();
        if (row >= 0 && row < model->rowCount())
            view->setCurrentIndex(model->index(row, 0));
    });
    return view;
}

void MaterialCard::buildUi()
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildHeadingStrip());
    column->addWidget(buildPages(), 1);
    column->addWidget(buildBottomStrip());
}

// The strip over the pages: standard and number, designation, and the name between them.
QWidget *MaterialCard::buildHeadingStrip()
{
    auto *strip = new QWidget(this);
    strip->setObjectName(QStringLiteral("headingStrip"));
    strip->setFixedHeight(57);
    strip->setAutoFillBackground(true);
    {
        QPalette pal = strip->palette();
        pal.setColor(QPalette::Window, captionColour);
        pal.setColor(QPalette::WindowText, Qt::white);
        strip->setPalette(pal);
    }
    auto *grid = new QGridLayout(strip);
    grid->setContentsMargins(8, 3, 8, 3);
    grid->setVerticalSpacing(0);
    auto small = [strip](const QString &text, Qt::Alignment align) {
        auto *l = new QLabel(text, strip);
        QFont f = l->font();
        f.setBold(true);
        f.setPointSizeF(f.pointSizeF() * 0.85);
        l->setFont(f);
        QPalette pal = l->palette();
        pal.setColor(QPalette::WindowText, QColor(192, 192, 192));
        l->setPalette(pal);
        l->setAlignment(align);
        return l;
    };
    auto bold = [strip](Qt::Alignment align) {
        auto *l = new QLabel(strip);
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
        l->setAlignment(align);
        return l;
    };
    grid->addWidget(small(QStringLiteral("Norma [Č. materiálu]"), Qt::AlignLeft), 0, 0);
    grid->addWidget(small(QStringLiteral("Značka"), Qt::AlignRight), 0, 2);
    m_normName = bold(Qt::AlignLeft | Qt::AlignVCenter);
    m_normLabel = bold(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(m_normName, 1, 0);
    grid->addWidget(m_normLabel, 1, 2);
    m_name = new QLabel(strip);
    m_name->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    {
        QFont f = m_name->font();
        f.setBold(true);
        f.setPointSizeF(f.pointSizeF() * 1.15);
        m_name->setFont(f);
    }
    grid->addWidget(m_name, 1, 1, 2, 1);
    grid->setColumnStretch(1, 1);
    return strip;
}

// The pages, each with its grids and its help topic.
QTabWidget *MaterialCard::buildPages()
{
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("pages"));
    {
        QFont f = m_tabs->tabBar()->font();
        f.setBold(true);
        m_tabs->tabBar()->setFont(f);
    }
    m_tabs->tabBar()->setExpanding(false);
    m_tabs->setUsesScrollButtons(true);
    m_tabs->setElideMode(Qt::ElideNone);

    buildGrids();

    m_pages[BasicInfo] = buildBasicPage();
    m_pages[MechProperties] = buildMechPage();
    m_pages[Equivalents] = buildSimplePage(QStringLiteral("  Ekvivalentní normy"), m_equivGrid);
    m_pages[HeatTreatment] = buildSimplePage(QStringLiteral("  Tepelné zpracování"), m_heatGrid);
    m_pages[MaterialSheet] = buildSheetPage();
    m_pages[Diagrams] = buildDiagramsPage();
    m_pages[Note] = buildNotePage();
    m_pages[PhysProperties] = buildSimplePage(QStringLiteral("  Fyzikální vlastnosti"), m_fyzGrid);
    // The diagrams share the material sheet's topic.
    const int helpContexts[PageCount] = {
        help::CardBasicInfo, help::CardMechProperties, help::CardEquivalents,
        help::CardHeatTreatment, help::CardSheetAndDiagrams, help::CardSheetAndDiagrams,
        help::CardNote, help::CardPhysProperties};
    for (int p = 0; p < PageCount; ++p) {
        m_pages[p]->setProperty("helpContext", helpContexts[p]);
        m_tabs->addTab(m_pages[p], pageCaption(Page(p)));
    }
    return m_tabs;
}

// The models and grids of the tables; the first three are masters of the grids below them.
void MaterialCard::buildGrids()
{
    m_semiModel = new db::DataSetModel(&qSemiProd, this);
    m_statesModel = new db::DataSetModel(&qStates, this);
    m_dimensModel = new db::DataSetModel(&qDimens, this);
    m_propModel = new db::DataSetModel(&qMechPropTemps, this);
    m_equivModel = new db::DataSetModel(&qCompareNorms, this);
    m_heatModel = new db::DataSetModel(&qTempProc, this);
    m_fyzModel = new db::DataSetModel(&qFyzProp, this);
    m_semiGrid = makeGrid(m_semiModel, true);
    m_statesGrid = makeGrid(m_statesModel, true);
    m_dimensGrid = makeGrid(m_dimensModel, true);
    m_propGrid = makeGrid(m_propModel, false);
    m_equivGrid = makeGrid(m_equivModel, false);
    m_heatGrid = makeGrid(m_heatModel, false);
    m_fyzGrid = makeGrid(m_fyzModel, false);
    // A click on a cell or a column title of the mechanical grids hands the focus back and forth.
    for (QTableView *v : {m_semiGrid, m_statesGrid, m_dimensGrid, m_propGrid}) {
        connect(v, &QAbstractItemView::clicked, this, [] { ui::focusBlink(); });
        connect(v->horizontalHeader(), &QHeaderView::sectionClicked, this, [] { ui::focusBlink(); });
    }
}

// The bottom strip with the link to the standards office.
QWidget *MaterialCard::buildBottomStrip()
{
    auto *bottom = new QWidget(this);
    bottom->setObjectName(QStringLiteral("bottomStrip"));
    bottom->setFixedHeight(32);
    bottom->setProperty("helpContext", help::CardBar);
    auto *row = new QHBoxLayout(bottom);
    row->setContentsMargins(8, 0, 8, 0);
    m_link = new QLabel(linkCaption(), bottom);
    m_link->setObjectName(QStringLiteral("standardsLink"));
    {
        QFont f = m_link->font();
        f.setBold(true);
        m_link->setFont(f);
        QPalette pal = m_link->palette();
        pal.setColor(QPalette::WindowText, linkTeal);
        m_link->setPalette(pal);
        auto *shadow = new QGraphicsDropShadowEffect(m_link);
        shadow->setOffset(1, 1);
        shadow->setBlurRadius(0);
        shadow->setColor(QColor(160, 160, 160));
        m_link->setGraphicsEffect(shadow);
    }
    m_link->setAttribute(Qt::WA_Hover);
    m_link->installEventFilter(this);
    row->addWidget(m_link);
    row->addStretch(1);
    return bottom;
}

QWidget *MaterialCard::buildBasicPage()
{
    auto *page = new QWidget(this);
    auto *v = new QVBoxLayout(page);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);

    m_composition = new QTableWidget(3, 1, page);
    m_composition->setObjectName(QStringLiteral("compositionGrid"));
    m_composition->horizontalHeader()->hide();
    m_composition->verticalHeader()->hide();
    m_composition->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_composition->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_composition->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_composition->horizontalHeader()->setDefaultSectionSize(64);
    {
        QFont f = m_composition->font();
        f.setBold(true);
        m_composition->setFont(f);
    }
    m_composition->verticalHeader()->setDefaultSectionSize(m_composition->fontMetrics().height() + 6);

    m_purpose = new QPlainTextEdit(page);
    m_purpose->setReadOnly(true);
    m_purpose->setObjectName(QStringLiteral("purpose"));
    m_notice = new QPlainTextEdit(page);
    m_notice->setReadOnly(true);
    m_notice->setObjectName(QStringLiteral("materialNotice"));

    m_purposeSplit = new QSplitter(Qt::Horizontal, page);
    m_purposeSplit->addWidget(panel(QStringLiteral("  Použití"), m_purpose, m_purposeSplit));
    m_purposeSplit->addWidget(panel(QStringLiteral("  Poznámka"), m_notice, m_purposeSplit));
    m_purposeSplit->setStretchFactor(0, 0);
    m_purposeSplit->setStretchFactor(1, 1);
    m_purposeSplit->setChildrenCollapsible(false);

    m_basicSplit = new QSplitter(Qt::Vertical, page);
    m_basicSplit->addWidget(panel(QStringLiteral("  Chemické složení"), m_composition, m_basicSplit));
    m_basicSplit->addWidget(m_purposeSplit);
    m_basicSplit->setStretchFactor(0, 0);
    m_basicSplit->setStretchFactor(1, 1);
    m_basicSplit->setChildrenCollapsible(false);
    v->addWidget(m_basicSplit, 1);

    // Where the values come from: the standards and editions, one a line.
    m_sources = new QLabel(page);
    m_sources->setObjectName(QStringLiteral("materialSources"));
    m_sources->setWordWrap(true);
    m_sources->setTextFormat(Qt::PlainText);
    m_sources->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_sources->setContentsMargins(6, 3, 6, 3);
    m_sources->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto *sourcesPanel = panel(QStringLiteral("  Zdroj údajů"), m_sources, page);
    sourcesPanel->setObjectName(QStringLiteral("sourcesPanel"));
    v->addWidget(sourcesPanel);
    // Who of the team last changed an own material (the server keeps it; hidden otherwise).
    m_materialStamp = stampLabel(QStringLiteral("materialStamp"), page);
    v->addWidget(m_materialStamp);
    v->addWidget(noticePanel(page));

    for (QSplitter *s : {m_basicSplit, m_purposeSplit})
        connect(s, &QSplitter::splitterMoved, this, [this] { readPanelSizes(); });
    return page;
}

QWidget *MaterialCard::buildMechPage()
{
    auto *page = new QWidget(this);
    auto *v = new QVBoxLayout(page);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    m_economyButton = pageButton(QStringLiteral("Zobrazit mechanické vlastnosti..."), navy, false, page);
    m_economyButton->setObjectName(QStringLiteral("showMechanical"));
    m_economyButton->hide();
    connect(m_economyButton, &QPushButton::clicked, this, [this] {
        try {
            showMechanicalProperties();
        } catch (const std::exception &e) {
            reportError(e);
        }
    });
    v->addWidget(m_economyButton);

    m_semiPanel = panel(QStringLiteral("  Polotovary"), m_semiGrid, page);
    m_statesSplit = new QSplitter(Qt::Horizontal, page);
    m_statesSplit->addWidget(panel(QStringLiteral("  Stavy"), m_statesGrid, m_statesSplit));
    m_statesSplit->addWidget(panel(QStringLiteral("  Rozměry"), m_dimensGrid, m_statesSplit));
    m_statesSplit->setStretchFactor(0, 0);
    m_statesSplit->setStretchFactor(1, 1);
    m_statesSplit->setChildrenCollapsible(false);
    m_statesPanel = m_statesSplit;

    m_mechSplit = new QSplitter(Qt::Vertical, page);
    m_mechSplit->addWidget(m_semiPanel);
    m_mechSplit->addWidget(m_statesSplit);
    m_mechSplit->addWidget(panel(QStringLiteral("  Mechanické vlastnosti"), m_propGrid, m_mechSplit));
    m_mechSplit->setStretchFactor(0, 0);
    m_mechSplit->setStretchFactor(1, 0);
    m_mechSplit->setStretchFactor(2, 1);
    m_mechSplit->setChildrenCollapsible(false);
    v->addWidget(m_mechSplit, 1);
    for (QSplitter *s : {m_mechSplit, m_statesSplit})
        connect(s, &QSplitter::splitterMoved, this, [this] { readPanelSizes(); });
    return page;
}

QWidget *MaterialCard::buildSimplePage(const QString &title, QWidget *content)
{
    auto *page = new QWidget(this);
    auto *v = new QVBoxLayout(page);
    v->setContentsMargins(0, 0, 0, 0);
    v->addWidget(panel(title, content, page));
    return page;
}

QWidget *MaterialCard::buildSheetPage()
{
    auto *page = new QWidget(this);
    auto *v = new QVBoxLayout(page);
    v->setContentsMargins(0, 0, 0, 0);
    v->addWidget(heading(QStringLiteral("  Materiálový list"), page));
    m_sheetButton = pageButton(QStringLiteral("Otevřít materiálový list"), maroon, true, page);
    m_sheetButton->setObjectName(QStringLiteral("openSheet"));
    connect(m_sheetButton, &QPushButton::clicked, this, [this] { openMaterialSheet(dataRoot(), pdfFile(), window()); });
    v->addSpacing(16);
    v->addWidget(m_sheetButton, 0, Qt::AlignHCenter);
    v->addStretch(1);
    v->addWidget(noticePanel(page));
    return page;
}

QWidget *MaterialCard::buildDiagramsPage()
{
    auto *page = new QWidget(this);
    auto *v = new QVBoxLayout(page);
    v->setContentsMargins(0, 0, 0, 0);
    v->addWidget(heading(QStringLiteral("  Diagramy"), page));
    m_diagramsButton = pageButton(QStringLiteral("Otevřít diagramy"), maroon, true, page);
    m_diagramsButton->setObjectName(QStringLiteral("openDiagrams"));
    connect(m_diagramsButton, &QPushButton::clicked, this, [this] { openDiagrams(dataRoot(), pdfFile(), window()); });
    v->addSpacing(16);
    v->addWidget(m_diagramsButton, 0, Qt::AlignHCenter);
    v->addStretch(1);
    return page;
}

QWidget *MaterialCard::buildNotePage()
{
    m_noteBox = new QPlainTextEdit(this);
    m_noteBox->setReadOnly(true);
    m_noteBox->setObjectName(QStringLiteral("userNote"));
    auto *box = new QWidget(this);
    auto *v = new QVBoxLayout(box);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    v->addWidget(m_noteBox, 1);
    m_noteStamp = stampLabel(QStringLiteral("noteStamp"), box);
    v->addWidget(m_noteStamp);
    return buildSimplePage(QStringLiteral("  Uživatelská poznámka"), box);
}

bool MaterialCard::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_link) {
        auto *shadow = static_cast<QGraphicsDropShadowEffect *>(m_link->graphicsEffect());
        QPalette pal = m_link->palette();
        switch (event->type()) {
        case QEvent::Enter:
            shadow->setEnabled(false);
            pal.setColor(QPalette::WindowText, Qt::blue);
            m_link->setPalette(pal);
            m_link->setCursor(Qt::PointingHandCursor);
            break;
        case QEvent::Leave:
            shadow->setEnabled(true);
            shadow->setOffset(1, 1);
            pal.setColor(QPalette::WindowText, linkTeal);
            m_link->setPalette(pal);
            m_link->unsetCursor();
            break;
        case QEvent::MouseButtonRelease:
            ui::openExternal(QUrl(linkAddress()));
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace orv::browse
