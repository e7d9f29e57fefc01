#pragma once
// The search window "Vyhledávání": four pages (designation, composition, mechanical
// properties, usage) with their criteria and filters, the two criteria lists kept in the
// user database, one result grid shared by all pages, and the actions that maintain the lists,
// run the search of the showing page and open a found material. It is created once and lives
// for the whole run; the frame that holds it turns closing into minimising.

#include "search/ChemSearch.h"
#include "search/MechSearch.h"
#include "search/SearchQueries.h"
#include "search/SearchSql.h"
#include "ui/MessageDialog.h"

#include <QList>
#include <QVariant>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

class QAction;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTabWidget;
class QTableView;
class QVBoxLayout;

namespace orv::db {
class DataSet;
class DataSetModel;
class MainDataModule;
}

namespace orv::search {

class TfHledani : public QWidget {
    Q_OBJECT
public:
    enum Page { DesignationPage = 0, CompositionPage = 1, MechanicalPage = 2, UsagePage = 3 };

    // `settingsFile`: Zeb.ini; the state of section "HLEDANI" is restored from it at once and
    // written back on destruction while `autoSave` answers true.
    TfHledani(db::MainDataModule &data, const QString &settingsFile = QString(), QWidget *parent = nullptr);
    ~TfHledani() override;

    static QString settingsSection() { return QStringLiteral("HLEDANI"); }
    static QString noResultMessage() { return QStringLiteral("Žádný materiál nesplňuje zadané podmínky!"); }

    // ---- hooks the frame and the tests set
    std::function<bool()> isActive;   // whether this is the active child window (default: visible)
    std::function<bool()> autoSave;   // default: true
    // Messages (default: the standard Czech message dialog).
    std::function<int(const QString &, ui::MsgType, ui::MsgButtons)> showMessage;
    // Pickers (default: the modal dialogs). Return the chosen element, or the chosen
    // property with its kind ("N"/"A"); nullopt when the user closed without a choice.
    std::function<std::optional<QVariant>(const QVariant &current)> pickElement;
    std::function<std::optional<std::pair<QVariant, QString>>(const QVariant &current)> pickProperty;
    // Replace the composition and property searches of the window (tests); while empty, the
    // window runs its own searches on the lists and the page controls.
    std::function<db::DataSet *(TfHledani &)> compositionSearch;
    std::function<db::DataSet *(TfHledani &)> propertySearch;
    // The file the result list is saved to (default: the save dialog); empty cancels.
    std::function<QString()> chooseCsvFile;
    std::function<QString()> chooseXlsxFile;

    // ---- operations (the actions call these)
    void find();            // aFind: the search frame around the showing page's search
    void showResult();      // aShow: opens the current result
    // aExportCsv: the result grid as it shows (columns, headings, texts; numbers with a
    // decimal comma) saved as CSV; true when a file was written.
    bool exportResultCsv();
    // aExportXlsx: the same list as a spreadsheet with number cells; true when written.
    bool exportResultXlsx();
    void loadAll();         // aNacist
    void insertRow();       // aInsert
    void changeRow();       // aChange
    void deleteRow();       // aDelete
    void deleteAll();       // aDeleteAll
    void toggleSelected();  // aSelect
    void standardSettings(); // aNastaveni
    void restoreState();
    void saveState() const;
    // Refills the semi-product lists for the type shown in cbMatTypes2.
    void refillSemiProducts();
    // Shows the success rate stored in Setup ("USPESNOST") in eUspesnost.
    void showSuccessRate();

    // The criteria the page controls describe.
    DesignationCriteria designationCriteria() const;
    UsageCriteria usageCriteria() const;
    ChemOptions chemOptions() const;
    MechFilters mechFilters() const;

    int currentPage() const;
    void setCurrentPage(int page);
    db::DataSet *result() const { return m_result; }
    db::DataSet &designationQuery() const { return *m_queries->designation; }
    db::DataSet &usageQuery() const { return *m_queries->usage; }
    db::DataSet &compositionQuery() const { return *m_queries->composition; }
    db::DataSet &propertyQuery() const { return *m_queries->property; }
    db::DataSet &propertyListQuery() const { return *m_queries->propertyList; }
    // n of the latest composition or property search, the base of "přesnost [%]".
    int criteriaCount() const { return m_criteriaCount; }
    db::MainDataModule &data() const { return m_data; }

signals:
    // A found material is to be opened in (or brought to the front as) a material card.
    // The semi-product, dimension and state are those of the best match of a property search,
    // all zero for the other results.
    void openCardRequested(int materialNo, QString title, int semiProduct, int dimension, int state);

protected:
    void showEvent(QShowEvent *event) override;

private:
    // ---- controls. Names as in the window's design where the settings file stores the
    // control's state under its name; tests reach them by name (findChild).
    QTabWidget *pages = nullptr;
    QLineEdit *eMaterialFind = nullptr;
    QCheckBox *cbNazev = nullptr, *cbZnacka = nullptr, *cbZeme = nullptr, *cbKov = nullptr;
    QComboBox *cbCountryName = nullptr, *cbMatTypes = nullptr;
    QRadioButton *rbPresne = nullptr, *rbZleva = nullptr, *rbCast = nullptr, *rbPriblizne = nullptr;
    QCheckBox *cbMezera = nullptr, *cbMalaVelka = nullptr;

    QCheckBox *cbKovy = nullptr;
    QComboBox *cbMatTypes1 = nullptr;
    QTableView *grUserChemComp = nullptr;
    QRadioButton *rbHledatPresne = nullptr, *rbHledatVse = nullptr, *rbHledatPriblizne = nullptr;
    QLineEdit *eUspesnost = nullptr;
    QCheckBox *cbInterval = nullptr;

    QCheckBox *cbKovy1 = nullptr, *cbVlastnosti = nullptr, *cbTeplota = nullptr, *cbPolotovary = nullptr,
              *cbStavy = nullptr, *cbRozmery = nullptr;
    QComboBox *cbMatTypes2 = nullptr, *cbGroup1 = nullptr, *cbGroup2 = nullptr, *cbGroup3 = nullptr,
              *cbGroup4 = nullptr, *cbStates = nullptr;
    QTableView *grUserMechProp = nullptr;
    QDoubleSpinBox *eTeplota = nullptr, *eMinRozmer = nullptr, *eMaxRozmer = nullptr;

    QCheckBox *cbKovy3 = nullptr, *cbPouziti = nullptr, *cbDiakritika = nullptr;
    QComboBox *cbMatTypes3 = nullptr;
    QLineEdit *ePouziti = nullptr;

    QLabel *resultCount = nullptr;   // " - počet nalezených záznamů: n"
    QTableView *grHledani = nullptr;

    QAction *aFind = nullptr, *aShow = nullptr, *aNacist = nullptr, *aInsert = nullptr, *aChange = nullptr,
            *aDelete = nullptr, *aDeleteAll = nullptr, *aSelect = nullptr, *aNastaveni = nullptr,
            *aExportCsv = nullptr, *aExportXlsx = nullptr;

    // The controls whose state the settings file keeps, under their names.
    QList<QCheckBox *> storedChecks() const;
    QList<QRadioButton *> storedRadios() const;
    QList<QComboBox *> storedCombos() const;
    QList<QDoubleSpinBox *> storedNumbers() const;

    void buildDesignationPage(QWidget *page);
    void buildCompositionPage(QWidget *page);
    void buildMechanicalPage(QWidget *page);
    void buildUsagePage(QWidget *page);
    void buildResultArea(QVBoxLayout *layout);
    QWidget *listButtons(QWidget *parent);
    void createActions();
    void fillFilterLists();
    void bindResult(db::DataSet *ds);
    void runDesignationSearch();
    void runUsageSearch();
    db::DataSet *runCompositionSearch();
    db::DataSet *runPropertySearch();
    // The criteria list of the showing page (nullptr on the other pages).
    db::DataSet *criteriaList() const;
    QTableView *criteriaGrid() const;
    bool criteriaPageShowing() const;
    bool criteriaRowsShowing() const;
    int message(const QString &text, ui::MsgType type, ui::MsgButtons buttons);
    void updateSelectCaption();
    QVariant firstMatType() const;

    db::MainDataModule &m_data;
    QString m_settingsFile;
    std::unique_ptr<SearchQueries> m_queries;
    int m_criteriaCount = 0;
    db::DataSet *m_result = nullptr;
    db::DataSetModel *m_resultModel = nullptr;
    db::DataSetModel *m_chemModel = nullptr;
    db::DataSetModel *m_mechModel = nullptr;
    QMetaObject::Connection m_resultGone;
};

} // namespace orv::search
