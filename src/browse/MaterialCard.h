#pragma once
// The material card: a child window that shows everything the catalogue holds about one
// material on tabbed pages (basic information with the composition, mechanical properties by
// semi-product, state and dimension, equivalent designations, heat treatment, material sheet,
// diagrams, the user's note, physical properties). It only reads the catalogue; the user's
// note is written by the note actions (UserNotes.h) through the card's tUserNotice.
//
// The main window reads these properties of the active card for the enabling of its
// actions: materialNo, pdfFile, hasEquivalents, hasHeatTreatment, hasNote.

#include "db/DataSet.h"
#include "db/DataSetModel.h"

#include <QString>
#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTableView;
class QTableWidget;
class QPlainTextEdit;

namespace orv::db {
class Connection;
class MainDataModule;
} // namespace orv::db

namespace orv::browse {

// What a card needs from the program around it.
struct CardEnvironment
{
    db::Connection *catalogue = nullptr; // catalogue session
    db::Connection *user = nullptr;      // user session
    // The data root (resolved again on every load); ends in "/".
    std::function<QString()> dataRoot;
    std::function<bool()> economyMode;   // cards open without their mechanical properties
    std::function<bool()> autoSave;      // settings saved on deactivation and close
    std::function<bool()> pdfInstalled;  // the "Pdf" component flag is 1
    QString settingsFile;                // empty: Zeb.ini
    // Shows a database error met while the user works in the card (standard Czech message
    // dialog when not set).
    std::function<void(const QString &text)> showError;

    // Sessions and data root of the main data module; economy mode off, AutoSave on, and the
    // "Pdf" flag read from the machine registry.
    static CardEnvironment fromDataModule(db::MainDataModule &data);
};

class MaterialCard : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int materialNo READ materialNo)
    Q_PROPERTY(QString pdfFile READ pdfFile)
    Q_PROPERTY(bool hasEquivalents READ hasEquivalents)
    Q_PROPERTY(bool hasHeatTreatment READ hasHeatTreatment)
    Q_PROPERTY(bool hasNote READ hasNote)
public:
    enum Page {
        BasicInfo,      // "Základní informace"
        MechProperties, // "Mechanické vlastnosti"
        Equivalents,    // "Srovnání s ostatními normami"
        HeatTreatment,  // "Tepelné zpracování"
        MaterialSheet,  // "Materiálový list"
        Diagrams,       // "Diagramy"
        Note,           // "Poznámka"
        PhysProperties, // "Fyzikální vlastnosti"
        PageCount
    };

    // The five panel sizes and their standard values.
    struct PanelSizes
    {
        int compositionHeight = 120;  // Panel4Height
        int purposeWidth = 300;       // Panel5Width
        int semiProductHeight = 110;  // Panel9Height
        int statesHeight = 110;       // Panel12Height
        int statesWidth = 300;        // Panel14Width
        bool operator==(const PanelSizes &) const = default;
    };

    explicit MaterialCard(const CardEnvironment &env, QWidget *parent = nullptr);
    ~MaterialCard() override;

    static QString pageCaption(Page page);
    static QString captionPrefix() { return QStringLiteral("Materiál - "); }
    static QString settingsSection() { return QStringLiteral("MATERIAL"); }
    static QString linkCaption();
    static QString linkAddress();
    static QString reproductionNotice();

    // Opens every data set for material N and fills the pages. A database error propagates
    // (with the normal cursor restored); the caller reports it and closes the card.
    void load(int materialNo);
    // Reads the material again (F5: colleagues' changes), keeping the page and the mechanical
    // properties as they were loaded; false when the material no longer exists (a colleague
    // deleted it): the caller says so and closes the card.
    bool reload();
    bool materialExists() const;
    static QString deletedMessage(const QString &title);
    // Recomputes which pages are visible.
    void refreshTabs();
    // Makes the semi-product, state and dimension of a search hit the current rows of their
    // grids and shows the mechanical page; only when all three numbers are non-zero.
    void positionCard(int semiProduct, int dimension, int state);
    // The economy-mode button: loads the mechanical properties and shows their panels.
    void showMechanicalProperties();
    bool mechanicalLoaded() const;

    void resetPanelSizes();
    PanelSizes panelSizes() const { return m_sizes; }
    void setPanelSizes(const PanelSizes &sizes);
    void restoreSettings();
    void saveSettings() const;
    void saveSettingsIfAutoSave() const;

    bool isPageVisible(Page page) const;
    Page activePage() const;
    void setActivePage(Page page);

    int materialNo() const { return m_materialNo; }
    QString title() const { return m_title; }
    void setTitle(const QString &title);
    QString pdfFile() const;
    bool hasEquivalents() const { return qCompareNorms.isOpen() && !qCompareNorms.isEmpty(); }
    bool hasHeatTreatment() const { return qTempProc.isOpen() && !qTempProc.isEmpty(); }
    bool hasNote() const { return !noteText().isEmpty(); }
    // The material's user note (the first tUserNotice row), "" when none.
    QString noteText() const;
    // "Změnil: ... dne ..." of the material and of its note: who of the team changed them last
    // (kept by the server; empty on local files and for catalogue materials).
    QString materialStampText() const;
    QString noteStampText() const;
    QLabel *materialStampLabel() const { return m_materialStamp; }
    QLabel *noteStampLabel() const { return m_noteStamp; }
    QString dataRoot() const;
    const CardEnvironment &environment() const { return m_env; }

    // ---- widgets (for the main window, printouts and tests)
    QTabWidget *pages() const { return m_tabs; }
    QWidget *page(Page page) const { return m_pages[page]; }
    QTableWidget *compositionGrid() const { return m_composition; }
    QPushButton *economyButton() const { return m_economyButton; }
    QWidget *semiProductPanel() const { return m_semiPanel; }
    QWidget *statesPanel() const { return m_statesPanel; }
    QTableView *semiProductGrid() const { return m_semiGrid; }
    QTableView *statesGrid() const { return m_statesGrid; }
    QTableView *dimensionsGrid() const { return m_dimensGrid; }
    QTableView *propertiesGrid() const { return m_propGrid; }
    QTableView *equivalentsGrid() const { return m_equivGrid; }
    QTableView *heatTreatmentGrid() const { return m_heatGrid; }
    QTableView *physicalGrid() const { return m_fyzGrid; }
    QPlainTextEdit *noteBox() const { return m_noteBox; }
    QLabel *linkLabel() const { return m_link; }
    QLabel *nameLabel() const { return m_name; }
    QLabel *normLabel() const { return m_normName; }
    QLabel *designationLabel() const { return m_normLabel; }
    QLabel *sourcesLabel() const { return m_sources; } // "Zdroj údajů" on the first page
    QPushButton *sheetButton() const { return m_sheetButton; }
    QPushButton *diagramsButton() const { return m_diagramsButton; }

    // ---- data sets (catalogue session except qPropType and tUserNotice)
    db::DataSet qMat{QStringLiteral("qMat")};
    db::DataSet qNorms{QStringLiteral("qNorms")};
    db::DataSet qCompareNorms{QStringLiteral("qCompareNorms")};
    db::DataSet qCountry{QStringLiteral("qCountry")};
    db::DataSet qChemComp{QStringLiteral("qChemComp")};
    db::DataSet qChemZbytek{QStringLiteral("qChemZbytek")};
    db::DataSet qElements{QStringLiteral("qElements")};
    db::DataSet qNotices{QStringLiteral("qNotices")};
    db::DataSet qSemiProd{QStringLiteral("qSemiProd")};
    db::DataSet qSemTypes{QStringLiteral("qSemTypes")};
    db::DataSet qStates{QStringLiteral("qStates")};
    db::DataSet qStTypes{QStringLiteral("qStTypes")};
    db::DataSet qDimens{QStringLiteral("qDimens")};
    db::DataSet qMechPropTemps{QStringLiteral("qMechPropTemps")};
    db::DataSet qPropType{QStringLiteral("qPropType")};
    db::DataSet qNodes{QStringLiteral("qNodes")};
    db::DataSet qTempProc{QStringLiteral("qTempProc")};
    db::DataSet qProc{QStringLiteral("qProc")};
    db::DataSet qFyzPropType{QStringLiteral("qFyzPropType")};
    db::DataSet qFyzProp{QStringLiteral("qFyzProp")};
    db::DataSet tUserNotice{QStringLiteral("tUserNotice")};
    db::DataSet qTemp{QStringLiteral("qTemp")}; // next-number rule of new notes

    // Grid models, for printouts that bind to the card's data (dsFyzProp, dsTempProc, ...).
    db::DataSetModel *physicalModel() const { return m_fyzModel; }
    db::DataSetModel *heatTreatmentModel() const { return m_heatModel; }

    // Fills the composition grid from qChemComp and qChemZbytek.
    void fillComposition();

signals:
    void loaded();
    void tabsRefreshed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void choosePropertyTables(int materialNo);
    bool m_ownPropertyTables = false; // the property data sets read the user file's own tables
    void defineDataSets();
    void defineQueries();
    void defineNoteTable();
    void defineMaterialFields();
    void defineDetailFields();
    void buildUi();
    QWidget *buildHeadingStrip();
    QTabWidget *buildPages();
    void buildGrids();
    QWidget *buildBottomStrip();
    QWidget *buildBasicPage();
    QWidget *buildMechPage();
    QWidget *buildSimplePage(const QString &heading, QWidget *content);
    QWidget *buildSheetPage();
    QWidget *buildDiagramsPage();
    QWidget *buildNotePage();
    QTableView *makeGrid(db::DataSetModel *model, bool detailMaster);
    void openMechanical();
    void applyColumns();
    void updateHeading();
    void updateNote();
    void applyPanelSizes();
    void readPanelSizes();
    QString settingsFile() const;
    void reportError(const std::exception &error) const;

    CardEnvironment m_env;
    int m_materialNo = 0;
    QString m_dataRoot; // resolved when the card was last loaded
    QString m_title;
    PanelSizes m_sizes;
    bool m_applyingSizes = false;

    QTabWidget *m_tabs = nullptr;
    QWidget *m_pages[PageCount] = {};
    QLabel *m_name = nullptr;
    QLabel *m_normName = nullptr;
    QLabel *m_normLabel = nullptr;
    QTableWidget *m_composition = nullptr;
    QPlainTextEdit *m_purpose = nullptr;
    QPlainTextEdit *m_notice = nullptr;
    QPlainTextEdit *m_noteBox = nullptr;
    QSplitter *m_basicSplit = nullptr;   // composition | purpose and note
    QSplitter *m_purposeSplit = nullptr; // purpose | note
    QSplitter *m_mechSplit = nullptr;    // semi-products | states and dimensions | properties
    QSplitter *m_statesSplit = nullptr;  // states | dimensions
    QWidget *m_semiPanel = nullptr;
    QWidget *m_statesPanel = nullptr;
    QPushButton *m_economyButton = nullptr;
    QPushButton *m_sheetButton = nullptr;
    QPushButton *m_diagramsButton = nullptr;
    QLabel *m_link = nullptr;
    QLabel *m_sources = nullptr;
    QLabel *m_materialStamp = nullptr;
    QLabel *m_noteStamp = nullptr;

    db::DataSetModel *m_semiModel = nullptr;
    db::DataSetModel *m_statesModel = nullptr;
    db::DataSetModel *m_dimensModel = nullptr;
    db::DataSetModel *m_propModel = nullptr;
    db::DataSetModel *m_equivModel = nullptr;
    db::DataSetModel *m_heatModel = nullptr;
    db::DataSetModel *m_fyzModel = nullptr;
    QTableView *m_semiGrid = nullptr;
    QTableView *m_statesGrid = nullptr;
    QTableView *m_dimensGrid = nullptr;
    QTableView *m_propGrid = nullptr;
    QTableView *m_equivGrid = nullptr;
    QTableView *m_heatGrid = nullptr;
    QTableView *m_fyzGrid = nullptr;
};

} // namespace orv::browse
