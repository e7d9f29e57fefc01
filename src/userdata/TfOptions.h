#pragma once
// The options window "Možnosti...": the program's two general switches and the standard
// settings (page "Obecné"), the success rate and the elements searched with a deviation
// (page "Hledání podle chem. složení"), the property groups of the mechanical-property
// search (page "Hledání podle mech. vlastností") and where the data lie (page "Databáze").
// The success rate and the database are written on OK; every other change is posted as it
// is made. The searches read all of it each time they run; the database is taken at start-up.

#include "ui/MessageDialog.h"

#include <QDialog>
#include <QDropEvent>
#include <QFrame>
#include <QListWidget>
#include <QVariant>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QPushButton;
class QTabWidget;
class QTableView;

namespace orv::db {
class DataSet;
class DataSetModel;
class MainDataModule;
} // namespace orv::db

namespace orv::userdata {

// What the window changes outside the user database; every member may be empty.
struct OptionsEnvironment {
    std::function<bool()> autoSave;
    std::function<void(bool)> setAutoSave;
    std::function<bool()> economyMode;
    std::function<void(bool)> setEconomyMode;
    // "Standardní nastavení": main window, stored search state, search pages, open cards.
    std::function<void()> standardSettings;
    // The success rate was written: the search window shows it again.
    std::function<void()> successRateSaved;
    // Standard Czech message dialog, and the plain one (defaults: the real dialogs).
    std::function<int(const QString &, ui::MsgType, ui::MsgButtons)> message;
    std::function<int(const QString &, ui::MsgType, ui::MsgButtons)> plainMessage;
    // How the element-deviation and group-name dialogs are shown (default: exec()).
    std::function<int(QDialog &dialog)> runDialog;
};

// Where the program takes its data from: the files on this computer (the default) or a
// database on the team's PostgreSQL server. Kept in the user registry under databaseKey();
// a value the user registry lacks comes from the machine registry, so an administrator can
// preset the server for everybody. No password is ever kept: libpq takes it from the user's
// password file (~/.pgpass) or the system's single sign-on.
struct DatabaseChoice {
    bool server = false;
    QString host;      // name, address or socket folder; empty: libpq's default socket
    int port = 5432;
    QString database = QStringLiteral("orvalis");
    QString user;      // empty: the login name
    QString sslMode = QStringLiteral("prefer");

    // The libpq connection string: the fields given, a connect timeout of a few seconds so a
    // start never hangs on a dead server, and keepalives so a broken line is noticed.
    QString conninfo() const;
    // How messages name the server: "host:port, databáze name, uživatel user".
    QString serverName() const;
    bool operator==(const DatabaseChoice &) const = default;
};

// The registry key and its value names.
QString databaseKey(); // productKey() + "\\DATABAZE"
namespace dbvalue {
inline QString mode() { return QStringLiteral("Mode"); } // "local" or "server"
inline QString host() { return QStringLiteral("Host"); }
inline QString port() { return QStringLiteral("Port"); }
inline QString database() { return QStringLiteral("DbName"); }
inline QString user() { return QStringLiteral("User"); }
inline QString sslMode() { return QStringLiteral("SslMode"); }
} // namespace dbvalue

DatabaseChoice readDatabaseChoice();
// Into the user registry; false when it cannot be written.
bool writeDatabaseChoice(const DatabaseChoice &choice);

// "Vyzkoušet spojení": connects and says what it found (server version, catalogue edition,
// number of materials) or why it failed.
struct ConnectionTest {
    bool ok = false;
    QString text; // Czech
};
ConnectionTest testServerConnection(const DatabaseChoice &choice);

// A widget of kind `Base` that accepts drops from one other widget only. The items dragged
// stay where they were; an accepted drop only calls dropAccepted(), which says what to do.
template <typename Base>
class DropTarget : public Base {
public:
    using Base::Base;
    void setDropSource(QWidget *source) { m_source = source; }
    bool acceptsDragFrom(const QObject *source) const { return source && source == m_source; }

protected:
    virtual void dropAccepted() = 0;
    void dragEnterEvent(QDragEnterEvent *event) override { answerDrag(event); }
    void dragMoveEvent(QDragMoveEvent *event) override { answerDrag(event); }
    void dropEvent(QDropEvent *event) override
    {
        if (!acceptsDragFrom(event->source())) {
            event->ignore();
            return;
        }
        event->setDropAction(Qt::IgnoreAction);
        event->accept();
        dropAccepted();
    }

private:
    void answerDrag(QDragMoveEvent *event)
    {
        if (acceptsDragFrom(event->source()))
            event->acceptProposedAction();
        else
            event->ignore();
    }

    QWidget *m_source = nullptr;
};

// A list of property names; its items can be dragged. Each item keeps its property's Number
// under Qt::UserRole (names need not be unique).
class PropertyList : public DropTarget<QListWidget> {
    Q_OBJECT
public:
    explicit PropertyList(QWidget *parent = nullptr);
    // Numbers of the selected items, in list order.
    QList<int> selectedNumbers() const;
    void fill(const QList<std::pair<int, QString>> &items);

signals:
    void dropped();

protected:
    void dropAccepted() override { emit dropped(); }
};

// The middle panel: accepts the group members dragged out of the group.
class DropPanel : public DropTarget<QFrame> {
    Q_OBJECT
public:
    explicit DropPanel(QWidget *parent = nullptr);

signals:
    void dropped();

protected:
    void dropAccepted() override { emit dropped(); }
};

// "Přidat nový chemický prvek ..." / "Změnit chemický prvek ...".
class TfEditSetupChemComp : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Add, Change };
    TfEditSetupChemComp(db::MainDataModule &data, Mode mode, const OptionsEnvironment &env, QWidget *parent = nullptr);

    static QString formatMessage()
    {
        return QStringLiteral("Číslo není zadáno ve správném formátu.\r\r  Číslo zadejte ve formátu \"0,000\".");
    }
    static QString duplicateMessage() { return QStringLiteral("POZOR !!! Tento chemický prvek již je v tabulce."); }

    // "&Uložit": checks the deviation and the element; closes with OK when both are fine.
    bool save();
    // The deviation typed (either decimal separator); nullopt when it is not a number.
    std::optional<double> deviation() const;
    QVariant chosenElement() const;
    void placeOnElement(const QVariant &elementNo);

    QTableView *grid = nullptr;
    QLineEdit *eElement = nullptr;
    QLineEdit *eDigress = nullptr;
    QPushButton *bSave = nullptr;
    QPushButton *bBack = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool checkDeviation();
    db::MainDataModule &m_data;
    Mode m_mode;
    OptionsEnvironment m_env;
    int m_currentRow = -1; // the deviation row being changed
};

// "Skupinová vlastnost": the name of a new or renamed property group.
class TfPropertiesGroup : public QDialog {
    Q_OBJECT
public:
    explicit TfPropertiesGroup(QWidget *parent = nullptr);
    QLineEdit *eName = nullptr;
    QPushButton *bSelect = nullptr; // "&Vybrat"
    QPushButton *bEnd = nullptr;    // "&Konec"
};

class TfOptions : public QDialog {
    Q_OBJECT
public:
    enum Page { GeneralPage = 0, CompositionPage = 1, PropertiesPage = 2, DatabasePage = 3 };

    TfOptions(db::MainDataModule &data, OptionsEnvironment env = {}, QWidget *parent = nullptr);
    ~TfOptions() override;

    static QString emptyGroupMessage() { return QStringLiteral("Název skupinové vlastnosti nesmí být prázdný."); }
    static QString deleteElementQuestion() { return QStringLiteral("Opravdu smazat vybraný chemický prvek ze seznamu?"); }
    static QString deleteGroupQuestion() { return QStringLiteral("Opravdu chcete zrušit vybranou skupinovou vlastnost?"); }
    static QString removeMembersQuestion()
    {
        return QStringLiteral("Opravdu chcete odstranit vybrané vlastnosti ze skupinové vlastnosti?");
    }
    static QString restartMessage()
    {
        return QStringLiteral("Změna databáze se projeví po novém spuštění programu.");
    }
    static QString moveQuestion(const QString &name)
    {
        return QStringLiteral("Vlastnost \"") + name + QStringLiteral("\" již je zařazena do skupiny vlastností.\r\r")
               + QStringLiteral("Opravdu chcete tuto vlastnost přeřadit do jiné skupiny?");
    }

    // ---- operations of the buttons
    // OK: writes the success rate and closes; a refused rate keeps the old one (message).
    bool confirm();
    void showStoredRate();
    void addElement();
    void changeElement();
    void deleteElement();
    void newGroup();
    void renameGroup();
    void deleteGroup();
    // Moves the single properties `numbers` into the current group (asking about those that
    // belong to another group) / takes the members `numbers` out of it.
    void addMembers(const QList<int> &numbers);
    void removeMembers(const QList<int> &numbers);
    void addSelectedMembers();
    void removeSelectedMembers();
    // The database as the page "Databáze" shows it now.
    DatabaseChoice chosenDatabase() const;
    // "Vyzkoušet spojení": the result stands below the button.
    void testConnection();

    // ---- controls
    QTabWidget *pages = nullptr;
    QCheckBox *cbAutoSave = nullptr;
    QCheckBox *cbUsporny = nullptr;
    QPushButton *bStandard = nullptr;
    QSpinBox *eUspesnost = nullptr; // 1-99 %
    QTableView *grSetupChemComp = nullptr;
    QPushButton *bAddElement = nullptr, *bChangeElement = nullptr, *bDeleteElement = nullptr;
    PropertyList *lbPropType = nullptr;
    QTableView *grGroups = nullptr;
    PropertyList *lbPropTypeChild = nullptr;
    DropPanel *pMiddle = nullptr;
    QPushButton *bNewGroup = nullptr, *bRenameGroup = nullptr, *bDeleteGroup = nullptr, *bAddMembers = nullptr,
                *bRemoveMembers = nullptr;
    QRadioButton *rbLocalFiles = nullptr, *rbServer = nullptr;
    QLineEdit *eHost = nullptr, *eDatabase = nullptr, *eUser = nullptr;
    QSpinBox *ePort = nullptr;
    QComboBox *cbSslMode = nullptr;
    QPushButton *bTestConnection = nullptr;
    QLabel *lConnectionResult = nullptr;
    QPushButton *bOK = nullptr, *bBack = nullptr;

    // The success rate as stored when the window opened.
    const QString &storedSuccessRate() const { return m_storedRate; }

private:
    QWidget *buildGeneralPage();
    QWidget *buildCompositionPage();
    QWidget *buildPropertiesPage();
    QWidget *buildDatabasePage();
    void showDatabase(const DatabaseChoice &choice);
    bool saveDatabase();
    void fillSingles();
    void fillMembers();
    int ask(const QString &text, ui::MsgType type, ui::MsgButtons buttons);
    int runDialog(QDialog &dialog);
    void editElement(bool adding);
    bool groupDialog(bool creating);

    db::MainDataModule &m_data;
    OptionsEnvironment m_env;
    QString m_storedRate;
    DatabaseChoice m_storedDatabase;
    db::DataSetModel *m_chemModel = nullptr;
    db::DataSetModel *m_groupsModel = nullptr;
};

} // namespace orv::userdata
