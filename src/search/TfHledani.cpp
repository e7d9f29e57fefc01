// The search window: its actions and what they do (the searches, the result, the criteria
// lists, the standard settings) and the state kept in the settings file. The pages are
// built in TfHledaniPages.cpp.

#include "search/TfHledani.h"

#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/DataSetModel.h"
#include "db/DbError.h"
#include "db/MainDataModule.h"
#include "search/GridLink.h"
#include "search/ResultExport.h"
#include "search/TfElements.h"
#include "search/TfHledaniFilters.h"
#include "search/TfProperties.h"
#include "ui/ActionUpdater.h"
#include "ui/CaughtError.h"
#include "ui/HelpContexts.h"
#include "ui/SaveLocation.h"
#include "ui/WidgetHelpers.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QSettings>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace orv::search {
namespace {

// The common steps around every search run: the busy cursor and the point as decimal
// separator, both restored however the search ends.
class SearchFrame {
public:
    SearchFrame() : m_locale(QLocale())
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QLocale::setDefault(QLocale::c());
    }
    ~SearchFrame()
    {
        QLocale::setDefault(m_locale);
        QApplication::restoreOverrideCursor();
    }

private:
    QLocale m_locale;
};

// Arms the data module's insert permission for the window's own inserts.
class InsertPermission {
public:
    explicit InsertPermission(db::MainDataModule &dm) : m_dm(dm) { m_dm.setCriteriaInsertArmed(true); }
    ~InsertPermission() { m_dm.setCriteriaInsertArmed(false); }

private:
    db::MainDataModule &m_dm;
};

} // namespace

TfHledani::TfHledani(db::MainDataModule &data, const QString &settingsFile, QWidget *parent)
    : QWidget(parent), m_data(data), m_settingsFile(settingsFile)
{
    setObjectName(QStringLiteral("fHledani"));
    setWindowTitle(QStringLiteral("Vyhledávání"));
    setProperty("helpContext", help::SearchResults);
    isActive = [this] { return isVisible(); };
    autoSave = [] { return true; };
    showMessage = [](const QString &t, ui::MsgType type, ui::MsgButtons b) { return ui::message(t, type, b); };
    pickElement = [this](const QVariant &current) -> std::optional<QVariant> {
        TfElements dlg(m_data.tElements, TfElements::Mode::Search, &m_data.tUserChemComp, this);
        dlg.placeOn(current);
        if (dlg.exec() != QDialog::Accepted)
            return std::nullopt;
        return dlg.currentElement();
    };
    pickProperty = [this](const QVariant &current) -> std::optional<std::pair<QVariant, QString>> {
        TfProperties dlg(m_data.userSession(), m_data.tUserMechProp, this);
        dlg.placeOn(current);
        if (dlg.exec() != QDialog::Accepted)
            return std::nullopt;
        return std::make_pair(dlg.chosenNumber(), dlg.chosenKind());
    };
    m_data.setSearchWindowPresent(true);

    m_queries = std::make_unique<SearchQueries>(m_data, [this] { return m_criteriaCount; }, this);

    createActions();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("pages"));
    const QString titles[] = {QStringLiteral("Ekvivalentní materiály"), QStringLiteral("Chemické složení"),
                              QStringLiteral("Mechanické vlastnosti"), QStringLiteral("Použití")};
    QWidget *pageWidgets[4];
    for (int i = 0; i < 4; ++i) {
        // A page scrolls when the window is narrower or lower than the page needs, so that
        // the window can share the frame with cards (side by side, one above the other).
        auto *scroll = new QScrollArea(pages);
        scroll->setObjectName(QStringLiteral("page%1").arg(i));
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidgetResizable(true);
        pageWidgets[i] = new QWidget;
        pageWidgets[i]->setProperty("helpContext", help::SearchFirstPage + i);
        scroll->setWidget(pageWidgets[i]);
        pages->addTab(scroll, titles[i]);
    }
    buildDesignationPage(pageWidgets[0]);
    buildCompositionPage(pageWidgets[1]);
    buildMechanicalPage(pageWidgets[2]);
    buildUsagePage(pageWidgets[3]);
    layout->addWidget(pages);

    auto *strip = new QHBoxLayout;
    for (QAction *a : {aFind, aShow, aNastaveni}) {
        auto *b = new QToolButton(this);
        b->setDefaultAction(a);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        b->setProperty("helpContext", help::SearchResults);
        strip->addWidget(b);
    }
    strip->addStretch(1);
    layout->addLayout(strip);

    buildResultArea(layout);

    fillFilterLists();
    connect(cbMatTypes2, &QComboBox::currentTextChanged, this, [this] { refillSemiProducts(); });

    // At first the result grid lists the designation query without conditions.
    bindResult(m_queries->designation);
    m_queries->designation->open();
    m_resultModel->resetColumns();
    sizeColumns(grHledani);

    restoreState();
}

TfHledani::~TfHledani()
{
    try {
        if (autoSave && autoSave())
            saveState();
    } catch (...) {
        // Settings that cannot be written are not worth a crash at the end of the run.
        ui::logCaughtError("TfHledani::~TfHledani (saving the search settings)");
    }
    QObject::disconnect(m_resultGone);
    m_data.setSearchWindowPresent(false);
}

void TfHledani::createActions()
{
    auto make = [this](QAction *&a, const char *name, const QString &caption, const QString &hint) {
        a = new QAction(caption, this);
        a->setObjectName(QLatin1String(name));
        a->setToolTip(hint);
        a->setStatusTip(hint);
        addAction(a);
    };
    make(aFind, "aFind", QStringLiteral("&Hledat materiál"), QStringLiteral("Hledat materiál podle zadaných podmínek..."));
    make(aShow, "aShow", QStringLiteral("&Zobrazit materiál"), QStringLiteral("Zobrazit nalezený materiál..."));
    make(aNacist, "aNacist", QStringLiteral("Načíst všechny prvky"),
         QStringLiteral("Do seznamu prvků přidá všechny existující prvky..."));
    make(aInsert, "aInsert", QStringLiteral("Přidat prvek"), QStringLiteral("Přidá prvek do seznamu prvků..."));
    make(aChange, "aChange", QStringLiteral("Změnit prvek"), QStringLiteral("Změní vybraný prvek v seznamu prvků..."));
    make(aDelete, "aDelete", QStringLiteral("Smazat prvek"), QStringLiteral("Smaže prvek ze seznamu prvků..."));
    make(aDeleteAll, "aDeleteAll", QStringLiteral("Smazat všechny prvky"),
         QStringLiteral("Smaže všechny prvky ze seznamu prvků..."));
    make(aSelect, "aSelect", QStringLiteral("Označit/Odznačit prvek"), QStringLiteral("Označí vybraný prvek v seznamu..."));
    make(aNastaveni, "aNastaveni", QStringLiteral("S&tandardní nastavení"),
         QStringLiteral("Standardní nastavení podmínek vyhledávání..."));
    make(aExportCsv, "aExportCsv", QStringLiteral("&Uložit výsledek jako CSV..."),
         QStringLiteral("Uloží seznam nalezených materiálů do souboru CSV pro tabulkový procesor..."));
    aExportCsv->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(aExportCsv, &QAction::triggered, this, [this] { exportResultCsv(); });
    make(aExportXlsx, "aExportXlsx", QStringLiteral("Uložit jako &XLSX ..."),
         QStringLiteral("Uloží seznam nalezených materiálů jako sešit XLSX s čísly v buňkách..."));
    aExportXlsx->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(aExportXlsx, &QAction::triggered, this, [this] { exportResultXlsx(); });
    for (QAction *a : {aFind, aShow, aNacist, aInsert, aChange, aDelete, aDeleteAll, aSelect, aNastaveni})
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);

    connect(aFind, &QAction::triggered, this, &TfHledani::find);
    connect(aShow, &QAction::triggered, this, &TfHledani::showResult);
    connect(aNacist, &QAction::triggered, this, &TfHledani::loadAll);
    connect(aInsert, &QAction::triggered, this, &TfHledani::insertRow);
    connect(aChange, &QAction::triggered, this, &TfHledani::changeRow);
    connect(aDelete, &QAction::triggered, this, &TfHledani::deleteRow);
    connect(aDeleteAll, &QAction::triggered, this, &TfHledani::deleteAll);
    connect(aSelect, &QAction::triggered, this, &TfHledani::toggleSelected);
    connect(aNastaveni, &QAction::triggered, this, &TfHledani::standardSettings);

    auto active = [this] { return isActive && isActive(); };
    ui::enableWhen(aFind, active);
    ui::enableWhen(aShow, [this, active] { return active() && m_result && m_result->isOpen() && !m_result->isEmpty(); });
    ui::enableWhen(aNacist, [this, active] { return active() && criteriaPageShowing(); });
    ui::enableWhen(aInsert, [this, active] { return active() && criteriaPageShowing(); });
    for (QAction *a : {aChange, aDelete, aDeleteAll})
        ui::enableWhen(a, [this, active] { return active() && criteriaRowsShowing(); });
    ui::enableWhen(aSelect, [this, active] {
        const bool on = active() && criteriaRowsShowing();
        if (on)
            updateSelectCaption();
        return on;
    });
    ui::enableWhen(aNastaveni, [] { return true; });
}

void TfHledani::updateSelectCaption()
{
    db::DataSet *ds = criteriaList();
    if (!ds || ds->isEmpty())
        return;
    const bool selected = ds->value(QStringLiteral("Selected")).toBool();
    const QString caption = selected ? QStringLiteral("Odznačit prvek") : QStringLiteral("Označit prvek");
    const QString hint = selected ? QStringLiteral("Odznačí vybraný prvek v seznamu...")
                                  : QStringLiteral("Označí vybraný prvek v seznamu...");
    if (aSelect->text() != caption)
        aSelect->setText(caption);
    if (aSelect->toolTip() != hint) {
        aSelect->setToolTip(hint);
        aSelect->setStatusTip(hint);
    }
}

int TfHledani::currentPage() const
{
    return pages->currentIndex();
}

void TfHledani::setCurrentPage(int page)
{
    pages->setCurrentIndex(page);
}

bool TfHledani::criteriaPageShowing() const
{
    return currentPage() == CompositionPage || currentPage() == MechanicalPage;
}

bool TfHledani::criteriaRowsShowing() const
{
    db::DataSet *ds = criteriaList();
    return ds && ds->isOpen() && !ds->isEmpty();
}

db::DataSet *TfHledani::criteriaList() const
{
    switch (currentPage()) {
    case CompositionPage: return &m_data.tUserChemComp;
    case MechanicalPage: return &m_data.tUserMechProp;
    default: return nullptr;
    }
}

QTableView *TfHledani::criteriaGrid() const
{
    return currentPage() == CompositionPage ? grUserChemComp : currentPage() == MechanicalPage ? grUserMechProp : nullptr;
}

int TfHledani::message(const QString &text, ui::MsgType type, ui::MsgButtons buttons)
{
    return showMessage ? showMessage(text, type, buttons) : ui::mrOk;
}

DesignationCriteria TfHledani::designationCriteria() const
{
    DesignationCriteria c;
    c.text = eMaterialFind->text();
    c.inNames = cbNazev->isChecked();
    c.inLabels = cbZnacka->isChecked();
    c.inCountry = cbZeme->isChecked();
    c.country = cbCountryName->currentText();
    c.inMatType = cbKov->isChecked();
    c.matType = cbMatTypes->currentText();
    c.precision = rbPresne->isChecked() ? Precision::Exact
                  : rbZleva->isChecked() ? Precision::FromLeft
                  : rbPriblizne->isChecked() ? Precision::Approximate
                                             : Precision::Part;
    c.withoutSpaces = cbMezera->isChecked();
    c.caseSensitive = cbMalaVelka->isChecked();
    return c;
}

UsageCriteria TfHledani::usageCriteria() const
{
    UsageCriteria c;
    c.inMatType = cbKovy3->isChecked();
    c.matType = cbMatTypes3->currentText();
    c.byUsage = cbPouziti->isChecked();
    c.text = ePouziti->text();
    c.ignoreDiacritics = cbDiakritika->isChecked();
    return c;
}

ChemOptions TfHledani::chemOptions() const
{
    ChemOptions o;
    o.inMatType = cbKovy->isChecked();
    o.matType = cbMatTypes1->currentText();
    o.keepInterval = cbInterval->isChecked();
    o.threshold = rbHledatVse->isChecked()         ? ChemThreshold::All
                  : rbHledatPriblizne->isChecked() ? ChemThreshold::AtLeast
                                                   : ChemThreshold::Exact;
    return o;
}

MechFilters TfHledani::mechFilters() const
{
    MechFilters f;
    f.inMatType = cbKovy1->isChecked();
    f.matType = cbMatTypes2->currentText();
    f.inSemiProducts = cbPolotovary->isChecked();
    const QComboBox *groups[] = {cbGroup1, cbGroup2, cbGroup3, cbGroup4};
    for (int i = 0; i < 4; ++i)
        f.group[i] = groups[i]->currentText();
    f.inStates = cbStavy->isChecked();
    f.state = cbStates->currentText();
    f.inDimensions = cbRozmery->isChecked();
    f.minDimension = eMinRozmer->value();
    f.maxDimension = eMaxRozmer->value();
    f.inTemperature = cbTeplota->isChecked();
    f.temperature = eTeplota->value();
    f.inProperties = cbVlastnosti->isChecked();
    return f;
}

void TfHledani::bindResult(db::DataSet *ds)
{
    if (m_result == ds && m_resultModel)
        return;
    m_result = ds;
    // A search's own result set may go before the window does; the grid must not keep
    // showing its fields then, so it falls back to the designation query.
    QObject::disconnect(m_resultGone);
    if (ds != m_queries->designation && ds != m_queries->usage)
        m_resultGone = connect(ds, &QObject::destroyed, this, [this] {
            m_result = nullptr;
            bindResult(m_queries->designation);
        });
    auto *old = m_resultModel;
    m_resultModel = new db::DataSetModel(ds, this);
    linkGrid(grHledani, m_resultModel);
    delete old;
}

void TfHledani::runDesignationSearch()
{
    // Built aside first: a refused text leaves the current result standing.
    QStringList sql;
    buildDesignationSql(sql, designationCriteria());
    bindResult(m_queries->designation);
    m_queries->designation->close();
    m_queries->designation->setSql(sql);
    m_queries->designation->open();
}

void TfHledani::runUsageSearch()
{
    QStringList sql;
    buildUsageSql(sql, usageCriteria());
    m_criteriaCount = 0;
    bindResult(m_queries->usage);
    m_queries->usage->close();
    m_queries->usage->setSql(sql);
    m_queries->usage->open();
}

db::DataSet *TfHledani::runCompositionSearch()
{
    const ChemOptions options = chemOptions();
    bindResult(m_queries->composition);
    m_resultModel->resetColumns();
    m_criteriaCount = 0;
    m_queries->composition->close();
    // A bound typed into the grid and not yet posted takes part.
    m_data.tUserChemComp.checkBrowseMode();
    const ChemSearchOutcome outcome = runChemSearch(m_data.catalogueSession(), options);
    m_criteriaCount = outcome.criteriaCount;
    m_queries->composition->setSql(outcome.resultSql);
    return m_queries->composition;
}

db::DataSet *TfHledani::runPropertySearch()
{
    const MechFilters filters = mechFilters();
    db::DataSet *target = filters.inProperties ? m_queries->property : m_queries->propertyList;
    bindResult(target);
    m_resultModel->resetColumns();
    m_criteriaCount = 0;
    m_queries->composition->close();
    m_queries->property->close();
    m_queries->propertyList->close();
    m_data.tUserMechProp.checkBrowseMode();
    const MechSearchOutcome outcome = runMechSearch(m_data.catalogueSession(), filters);
    m_criteriaCount = outcome.criteriaCount;
    if (outcome.withProperties)
        m_queries->property->setSql(outcome.resultSql);
    else
        m_queries->propertyList->setSql(outcome.allSql);
    return target;
}

void TfHledani::find()
{
    bool found = false;
    try {
        SearchFrame frame;
        if (currentPage() == DesignationPage) {
            runDesignationSearch();
        } else if (currentPage() == UsagePage) {
            runUsageSearch();
        } else {
            const bool chem = currentPage() == CompositionPage;
            auto &hook = chem ? compositionSearch : propertySearch;
            db::DataSet *ds = hook ? hook(*this) : chem ? runCompositionSearch() : runPropertySearch();
            if (!ds)
                return;
            bindResult(ds);
            if (!ds->isOpen())
                ds->open();
        }
        m_resultModel->resetColumns();
        sizeColumns(grHledani);
        m_result->first();
        found = !m_result->isEmpty() && !m_result->value(QStringLiteral("MatNumber")).toString().isEmpty();
    } catch (const SearchTextError &e) {
        message(e.message(), ui::MsgType::Warning, ui::MsgButton::OK);
        return;
    } catch (const std::exception &e) {
        message(QString::fromUtf8(e.what()), ui::MsgType::Error, ui::MsgButton::OK);
        return;
    }
    if (found) {
        resultCount->setText(QStringLiteral(" - počet nalezených záznamů: %1").arg(m_result->recordCount()));
        grHledani->setCurrentIndex(m_resultModel->index(0, 0));
    } else {
        message(noResultMessage(), ui::MsgType::Information, ui::MsgButton::OK);
        resultCount->setText(QStringLiteral(" - žádný záznam nenalezen"));
    }
    ui::ActionUpdater::instance().updateNow();
}

bool TfHledani::exportResultCsv()
{
    if (!m_result || !m_result->isOpen() || !m_resultModel || m_resultModel->rowCount() == 0) {
        message(QStringLiteral("Seznam nalezených materiálů je prázdný, není co uložit."), ui::MsgType::Information,
                ui::MsgButton::OK);
        return false;
    }
    QString file;
    if (chooseCsvFile) {
        file = chooseCsvFile();
    } else {
        file = ui::askSaveFile(this, QStringLiteral("Uložit výsledek hledání"),
                               ui::suggestedSavePath(QStringLiteral("výsledek hledání.csv")),
                               QStringLiteral("Soubory CSV (*.csv);;Všechny soubory (*)"));
        if (!file.isEmpty() && !file.contains(QLatin1Char('.')))
            file += QStringLiteral(".csv");
    }
    if (file.isEmpty())
        return false;
    // Numbers with a decimal comma whatever the system's locale, as a Czech spreadsheet reads them.
    QByteArray bytes;
    {
        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
        const auto restoreLocale = qScopeGuard([&previous] { QLocale::setDefault(previous); });
        if (m_result == m_queries->property)
            bytes = resultCsv(*m_resultModel, bestCombinationHeading(),
                              bestCombinationTexts(m_data.catalogueSession(), *m_result));
        else
            bytes = resultCsv(*m_resultModel);
    }
    const QString failure = saveCsvFile(file, bytes);
    if (!failure.isEmpty()) {
        message(failure, ui::MsgType::Error, ui::MsgButton::OK);
        return false;
    }
    return true;
}

bool TfHledani::exportResultXlsx()
{
    if (!m_result || !m_result->isOpen() || !m_resultModel || m_resultModel->rowCount() == 0) {
        message(QStringLiteral("Seznam nalezených materiálů je prázdný, není co uložit."), ui::MsgType::Information,
                ui::MsgButton::OK);
        return false;
    }
    QString file = chooseXlsxFile ? chooseXlsxFile()
                                  : QFileDialog::getSaveFileName(this, QStringLiteral("Uložit výsledek hledání"),
                                                                 ui::suggestedSavePath(QStringLiteral("výsledek hledání.xlsx")),
                                                                 QStringLiteral("Sešity XLSX (*.xlsx);;Všechny soubory (*)"));
    if (file.isEmpty())
        return false;
    if (!chooseXlsxFile && !file.contains(QLatin1Char('.')))
        file += QStringLiteral(".xlsx");
    QString failure;
    try {
        const bool property = m_result == m_queries->property;
        const QString search = m_result == m_queries->composition ? QStringLiteral("podle chemického složení")
            : property || m_result == m_queries->propertyList   ? QStringLiteral("podle mechanických vlastností")
            : m_result == m_queries->usage                      ? QStringLiteral("podle použití")
                                                                : QStringLiteral("podle označení");
        failure = resultWorkbook(*m_resultModel, property ? bestCombinationHeading() : QString(),
                                 property ? bestCombinationTexts(m_data.catalogueSession(), *m_result) : QStringList(),
                                 m_data.catalogueFile(), search)
                      .save(file);
    } catch (const std::exception &e) {
        failure = QString::fromUtf8(e.what());
    }
    if (!failure.isEmpty()) {
        message(failure, ui::MsgType::Error, ui::MsgButton::OK);
        return false;
    }
    return true;
}

void TfHledani::showResult()
{
    if (!m_result || !m_result->isOpen() || m_result->isEmpty())
        return;
    const QVariant n = m_result->value(QStringLiteral("MatNumber"));
    if (n.isNull())
        return;
    QString title;
    try {
        title = m_data.catalogueSession()
                    .scalar(QStringLiteral("select Text from Nodes where MaterialNo=:n"), {{QStringLiteral("n"), n}})
                    .toString();
    } catch (const std::exception &e) {
        message(QString::fromUtf8(e.what()), ui::MsgType::Error, ui::MsgButton::OK);
        return;
    }
    // A property hit opens on the semi-product, dimension and state that matched best.
    CardPosition position;
    if (m_result == m_queries->property) {
        try {
            position = bestCombination(m_data.catalogueSession(), n.toInt());
        } catch (const std::exception &e) {
            message(QString::fromUtf8(e.what()), ui::MsgType::Error, ui::MsgButton::OK);
            return;
        }
    }
    emit openCardRequested(n.toInt(), title, position.semiProduct, position.dimension, position.state);
}

void TfHledani::loadAll()
{
    if (!criteriaPageShowing())
        return;
    SearchFrame frame;
    const bool chem = currentPage() == CompositionPage;
    db::DataSet &source = chem ? m_data.tElements : m_data.tPropType;
    db::DataSet &list = chem ? m_data.tUserChemComp : m_data.tUserMechProp;
    const QString key = chem ? QStringLiteral("ElementNo") : QStringLiteral("PropertyNo");
    try {
        InsertPermission armed(m_data);
        for (int r = 0; r < source.recordCount(); ++r) {
            const QVariant no = source.valueAt(r, QStringLiteral("Number"));
            if (list.find(key, {no}) >= 0)
                continue;
            if (!list.append())
                continue;
            list.setValue(key, no);
            list.post();
        }
    } catch (const std::exception &e) {
        if (list.isEditing())
            list.cancel();
        message(QString::fromUtf8(e.what()), ui::MsgType::Error, ui::MsgButton::OK);
    }
}

void TfHledani::insertRow()
{
    if (!criteriaPageShowing())
        return;
    const bool chem = currentPage() == CompositionPage;
    db::DataSet &list = chem ? m_data.tUserChemComp : m_data.tUserMechProp;
    const QString key = chem ? QStringLiteral("ElementNo") : QStringLiteral("PropertyNo");
    const QVariant current = list.isEmpty() ? QVariant() : list.value(key);
    try {
        if (chem) {
            auto chosen = pickElement(current);
            if (!chosen)
                return;
            InsertPermission armed(m_data);
            if (!list.append())
                return;
            list.setValue(key, *chosen);
            list.post();
        } else {
            auto chosen = pickProperty(current);
            if (!chosen)
                return;
            InsertPermission armed(m_data);
            if (!list.append())
                return;
            list.setValue(key, chosen->first);
            list.setValue(QStringLiteral("GroupType"), chosen->second);
            list.post();
        }
    } catch (const std::exception &e) {
        if (list.isEditing())
            list.cancel();
        message(QString::fromUtf8(e.what()), ui::MsgType::Error, ui::MsgButton::OK);
        return;
    }
    QTableView *grid = criteriaGrid();
    auto *model = qobject_cast<db::DataSetModel *>(grid->model());
    const int col = std::max(0, model->columnOf(QStringLiteral("MinValue")));
    grid->setFocus();
    grid->setCurrentIndex(model->index(list.recNo(), col));
}

void TfHledani::changeRow()
{
    db::DataSet *list = criteriaList();
    if (!list || list->isEmpty())
        return;
    const bool chem = currentPage() == CompositionPage;
    const QString key = chem ? QStringLiteral("ElementNo") : QStringLiteral("PropertyNo");
    try {
        if (chem) {
            auto chosen = pickElement(list->value(key));
            if (!chosen)
                return;
            list->edit();
            list->setValue(key, *chosen);
            list->post();
        } else {
            auto chosen = pickProperty(list->value(key));
            if (!chosen)
                return;
            list->edit();
            list->setValue(key, chosen->first);
            list->setValue(QStringLiteral("GroupType"), chosen->second);
            list->post();
        }
    } catch (const std::exception &e) {
        if (list->isEditing())
            list->cancel();
        message(QString::fromUtf8(e.what()), ui::MsgType::Error, ui::MsgButton::OK);
    }
}

void TfHledani::deleteRow()
{
    db::DataSet *list = criteriaList();
    if (!list || list->isEmpty())
        return;
    if (message(QStringLiteral("Opravdu chcete smazat vybraný prvek?"), ui::MsgType::Confirmation,
                ui::MsgButton::Yes | ui::MsgButton::No) != ui::mrYes)
        return;
    try {
        list->remove();
    } catch (const std::exception &e) {
        message(QString::fromUtf8(e.what()), ui::MsgType::Error, ui::MsgButton::OK);
    }
}

void TfHledani::deleteAll()
{
    db::DataSet *list = criteriaList();
    if (!list || list->isEmpty())
        return;
    if (message(QStringLiteral("Opravdu chcete smazat všechny prvky?"), ui::MsgType::Confirmation,
                ui::MsgButton::Yes | ui::MsgButton::No) != ui::mrYes)
        return;
    try {
        list->checkBrowseMode();
        m_data.userSession().exec(currentPage() == CompositionPage ? QStringLiteral("delete from UserChemComp")
                                                                   : QStringLiteral("delete from UserMechProp"));
        list->refresh();
    } catch (const std::exception &e) {
        message(QString::fromUtf8(e.what()), ui::MsgType::Error, ui::MsgButton::OK);
    }
}

void TfHledani::toggleSelected()
{
    db::DataSet *list = criteriaList();
    if (!list || list->isEmpty())
        return;
    try {
        const bool selected = list->value(QStringLiteral("Selected")).toBool();
        list->edit();
        list->setValue(QStringLiteral("Selected"), !selected);
        list->post();
    } catch (const std::exception &e) {
        if (list->isEditing())
            list->cancel();
        message(QString::fromUtf8(e.what()), ui::MsgType::Error, ui::MsgButton::OK);
    }
}

QVariant TfHledani::firstMatType() const
{
    return m_data.catalogueSession().scalar(QStringLiteral("select Number from MatTypes order by Number limit 1"));
}

void TfHledani::standardSettings()
{
    try {
        switch (currentPage()) {
        case DesignationPage:
            eMaterialFind->clear();
            cbNazev->setChecked(true);
            cbZnacka->setChecked(true);
            cbZeme->setChecked(false);
            cbKov->setChecked(false);
            cbCountryName->setCurrentText(kAllCountries);
            cbMatTypes->setCurrentText(kAllMetals);
            rbCast->setChecked(true);
            cbMezera->setChecked(true);
            cbMalaVelka->setChecked(false);
            break;
        case CompositionPage: {
            SearchFrame frame;
            const QString typeName = cbMatTypes1->currentText();
            const QVariant type = typeName == kAllMetals
                                      ? firstMatType()
                                      : m_data.catalogueSession().scalar(
                                            QStringLiteral("select Number from MatTypes where Name=:n"),
                                            {{QStringLiteral("n"), typeName}});
            m_data.tUserChemComp.checkBrowseMode();
            db::Connection &u = m_data.userSession();
            u.exec(QStringLiteral("delete from UserChemComp"));
            u.exec(QStringLiteral("insert into UserChemComp (Number, ElementNo, MinValue, MaxValue, Selected, TypeNo) "
                                  "select Number, ElementNo, MinValue, MaxValue, Selected, TypeNo "
                                  "from DefaultChemComp where TypeNo=:t order by Number"),
                   {{QStringLiteral("t"), type}});
            m_data.tUserChemComp.refresh();
            m_data.tUserChemComp.first();
            rbHledatPresne->setChecked(true);
            cbInterval->setChecked(true);
            break;
        }
        case MechanicalPage: {
            SearchFrame frame;
            cbKovy1->setChecked(false);
            cbMatTypes2->setCurrentText(kAllMetals);
            cbVlastnosti->setChecked(true);
            cbTeplota->setChecked(false);
            eTeplota->setValue(0);
            cbPolotovary->setChecked(false);
            for (QComboBox *g : {cbGroup1, cbGroup2, cbGroup3, cbGroup4})
                g->setCurrentText(kAllSemi);
            cbStavy->setChecked(false);
            cbStates->setCurrentText(kAllStates);
            cbRozmery->setChecked(false);
            eMinRozmer->setValue(0);
            eMaxRozmer->setValue(0);
            m_data.tUserMechProp.checkBrowseMode();
            db::Connection &u = m_data.userSession();
            u.exec(QStringLiteral("delete from UserMechProp"));
            u.exec(QStringLiteral("insert into UserMechProp (Number, PropertyNo, MinValue, MaxValue, Selected, GroupType) "
                                  "select Number, PropertyNo, MinValue, MaxValue, Selected, GroupType "
                                  "from DefaultMechProp order by Number"));
            m_data.tUserMechProp.refresh();
            m_data.tUserMechProp.first();
            break;
        }
        case UsagePage:
            cbKovy3->setChecked(false);
            cbMatTypes3->setCurrentText(kAllMetals);
            cbPouziti->setChecked(true);
            cbDiakritika->setChecked(false);
            break;
        }
    } catch (const std::exception &e) {
        message(QString::fromUtf8(e.what()), ui::MsgType::Error, ui::MsgButton::OK);
    }
}

void TfHledani::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    showSuccessRate();
}

void TfHledani::showSuccessRate()
{
    try {
        const QString rate = m_data.setupValue(QStringLiteral("USPESNOST")).trimmed();
        bool ok = false;
        const double v = rate.toDouble(&ok);
        eUspesnost->setText(ok ? QLocale().toString(v, 'f', 0) + QStringLiteral(" %") : rate);
    } catch (const std::exception &) {
        // Only shown for information while the window opens: an unreadable rate leaves the
        // field empty (the search itself reads the rate again and says what is wrong).
        ui::logCaughtError("TfHledani::showSuccessRate");
        eUspesnost->clear();
    }
}

QList<QCheckBox *> TfHledani::storedChecks() const
{
    return {cbNazev, cbZnacka, cbZeme, cbKov, cbKovy, cbInterval, cbMezera, cbMalaVelka,
            cbKovy1, cbVlastnosti, cbTeplota, cbPolotovary, cbStavy, cbRozmery, cbKovy3, cbPouziti, cbDiakritika};
}

QList<QRadioButton *> TfHledani::storedRadios() const
{
    return {rbHledatPresne, rbHledatVse, rbHledatPriblizne, rbPresne, rbPriblizne, rbZleva, rbCast};
}

QList<QComboBox *> TfHledani::storedCombos() const
{
    // cbMatTypes2 first: restoring it refills the semi-product lists, whose texts follow.
    return {cbCountryName, cbMatTypes, cbMatTypes2, cbMatTypes3, cbGroup1, cbGroup2,
            cbGroup3, cbGroup4, cbStates};
}

QList<QDoubleSpinBox *> TfHledani::storedNumbers() const
{
    return {eTeplota, eMinRozmer, eMaxRozmer};
}

void TfHledani::saveState() const
{
    if (m_settingsFile.isEmpty())
        return;
    QSettings s(m_settingsFile, QSettings::IniFormat);
    s.beginGroup(settingsSection());
    s.setValue(QStringLiteral("ActivePage"), currentPage());
    s.setValue(QStringLiteral("eMaterialFind"), eMaterialFind->text());
    s.setValue(QStringLiteral("ePouziti"), ePouziti->text());
    for (QCheckBox *b : storedChecks())
        s.setValue(b->objectName(), b->isChecked());
    for (QRadioButton *b : storedRadios())
        s.setValue(b->objectName(), b->isChecked());
    for (QComboBox *b : storedCombos())
        s.setValue(b->objectName(), b->currentText());
    for (QDoubleSpinBox *e : storedNumbers())
        s.setValue(e->objectName(), e->value());
    s.endGroup();
    s.sync();
}

void TfHledani::restoreState()
{
    if (m_settingsFile.isEmpty())
        return;
    QSettings s(m_settingsFile, QSettings::IniFormat);
    s.beginGroup(settingsSection());
    if (s.contains(QStringLiteral("ActivePage")))
        pages->setCurrentIndex(std::clamp(s.value(QStringLiteral("ActivePage")).toInt(), 0, 3));
    eMaterialFind->setText(s.value(QStringLiteral("eMaterialFind"), eMaterialFind->text()).toString().trimmed());
    ePouziti->setText(s.value(QStringLiteral("ePouziti"), ePouziti->text()).toString());
    for (QCheckBox *b : storedChecks())
        b->setChecked(s.value(b->objectName(), b->isChecked()).toBool());
    for (QRadioButton *b : storedRadios())
        if (s.value(b->objectName(), b->isChecked()).toBool())
            b->setChecked(true);
    for (QComboBox *b : storedCombos())
        b->setCurrentText(s.value(b->objectName(), b->currentText()).toString());
    for (QDoubleSpinBox *e : storedNumbers())
        e->setValue(s.value(e->objectName(), e->value()).toDouble());
    s.endGroup();
}

} // namespace orv::search
