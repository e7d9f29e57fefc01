#pragma once
// The own-material editor "Přidání a úpravy materiálu": one own material's basic data,
// chemical composition, equivalent designations and notes on three pages. Every change goes
// through the own-material data module's data sets, which number new rows and keep the
// private mirror in step. The record actions act on the working data set: the material by
// default, the composition or the equivalents while their grid has the focus.

#include "ui/MessageDialog.h"

#include <QDialog>
#include <QVariant>

#include <array>
#include <functional>
#include <optional>

class QAction;
class QComboBox;
class QLineEdit;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableView;

namespace orv::db {
class DataSet;
class OwnDataModule;
} // namespace orv::db

namespace orv::userdata {

class EditGridModel;

// What the editor needs from the program around it; every member has a working default.
struct EditorEnvironment {
    QString settingsFile;               // Zeb.ini; empty: the program's settings file
    std::function<bool()> autoSave;     // the active page is stored while this says true
    std::function<bool()> helpInstalled;
    std::function<void(int context)> showHelp;
    // Opens a page of the application's help by its name (without ".htm"); F1 opens the
    // chapter on own materials through it when it is given.
    std::function<void(const QString &page)> showHelpPage;
    // Questions and messages (default: the standard Czech message dialog).
    std::function<int(const QString &text, ui::MsgType type, ui::MsgButtons buttons)> message;
};

// The note dialog "Poznámka ...": a text box, OK and Cancel; Ctrl+Enter in the box is OK.
class NoteDialog : public QDialog {
    Q_OBJECT
public:
    explicit NoteDialog(QWidget *parent = nullptr);
    QPlainTextEdit *textBox() const { return m_text; }
    QString text() const;
    void setText(const QString &text);
    QPushButton *okButton() const { return m_ok; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPlainTextEdit *m_text = nullptr;
    QPushButton *m_ok = nullptr;
};

// The country picker "Státy": the catalogue's countries, OK and Cancel.
class CountryPicker : public QDialog {
    Q_OBJECT
public:
    CountryPicker(db::DataSet &countries, QWidget *parent = nullptr);
    void placeOn(const QVariant &countryNo);
    QVariant currentCountry() const;
    QTableView *grid() const { return m_grid; }

private:
    db::DataSet &m_countries;
    QTableView *m_grid = nullptr;
};

// The note text as it is stored: one final line break ("\r\n" or "\n") is dropped.
QString noteTextToStore(const QString &typed);
// The longest note the Notices table keeps.
constexpr int maxNoticeLength = 200;

class TfInsEditMaterial : public QDialog {
    Q_OBJECT
public:
    enum class Mode { New, Edit };
    enum Page { InfoPage = 0, CompositionPage = 1, EquivalentsPage = 2 };

    // Opens the editor on material `materialNo` (its node is reopened in qNodes).
    TfInsEditMaterial(db::OwnDataModule &own, int materialNo, Mode mode, EditorEnvironment env = {},
                      QWidget *parent = nullptr);
    ~TfInsEditMaterial() override;

    static QString settingsSection() { return QStringLiteral("MATERIALVLASTNI"); }
    static QString deleteRecordQuestion() { return QStringLiteral("Smazat označený záznam?"); }
    static QString longNoteMessage(int length);
    // The help chapter F1 opens.
    static QString helpPage() { return QStringLiteral("VlastniMaterialy"); }
    static QString missingDesignationMessage();
    // Storno or Esc with something changed.
    static QString discardNewQuestion();
    static QString discardChangesQuestion();
    // The window's close button with something changed (Yes saves, No discards, Cancel stays).
    static QString saveQuestion();
    // OK after the answer to the window's COMMIT was lost with the server: nothing is sent
    // again, the window can only be left by Storno.
    static QString commitUnknownText();
    // Why a composition value is refused (empty: it is not): negative, over 100 %, a minimum
    // above the row's maximum, or minima that would add up to more than 100 %.
    QString compositionRefusal(int row, int column, const QVariant &value) const;

    int materialNo() const { return m_materialNo; }
    // Number of the material's contents-tree node (0 when it has none).
    int nodeNo() const;
    bool changed() const { return m_changed; }
    // Whether anything of the material was started to be changed in this window.
    bool touched() const { return m_touched; }
    // Storno (and Esc with no record change pending): asks when something changed, then
    // closes without saving; a new material leaves nothing behind.
    void cancelMaterial();

    // The data set the record actions act on; follows the focus of the two grids.
    db::DataSet &workingDataSet() const { return *m_working; }
    void setWorkingDataSet(db::DataSet &ds);

    // ---- what the actions do
    bool postRecord();
    void cancelRecord();
    void insertRecord();
    void deleteRecord();
    void duplicateRecord();
    void editNote();
    void deleteNote();
    // The pickers of the composition (element) and equivalents (country) grids.
    void pickElement();
    void pickCountry();
    // A picker's choice into `field` of the current row (a new row in an empty grid); no
    // choice, no change. The grid's focus is the caller's.
    void storePick(db::DataSet &ds, const QString &field, const std::optional<QVariant> &chosen);
    // Posts what is pending and, when the material changed, gives its node the designation as
    // text; false (the window stays open) when a post failed.
    bool finish();

    // ---- replaceable for tests: the note dialog, and the two pickers (nullopt: no choice)
    std::function<int(NoteDialog &dialog)> runNoteDialog;
    std::function<std::optional<QVariant>(const QVariant &current)> chooseElement;
    std::function<std::optional<QVariant>(const QVariant &current)> chooseCountry;
    // Called after the node text was posted on closing (the contents tree is refreshed there).
    std::function<void(int nodeNo)> afterSave;
    // Called when the window closes: with `accepted` (by OK, everything posted) it makes the
    // material's changes permanent; without, it takes back everything the window wrote. When
    // it throws, the message is shown and the window stays.
    std::function<void(bool accepted)> commitChanges;

    // ---- controls
    QTabWidget *pages = nullptr;
    QLineEdit *eName = nullptr;
    QComboBox *cbType = nullptr;
    QLineEdit *eNorm = nullptr;
    QLineEdit *eLabel = nullptr;
    std::array<QLineEdit *, 6> ePurpose{};
    QPlainTextEdit *eNote = nullptr;
    QTableView *grChemComp = nullptr;
    QTableView *grCompareNorms = nullptr;
    QPushButton *okButton = nullptr;
    QPushButton *stornoButton = nullptr;
    QMenuBar *menuBar = nullptr;

    QAction *aPost = nullptr, *aCancel = nullptr, *aInsert = nullptr, *aDelete = nullptr, *aDupl = nullptr,
            *aInsEditNot = nullptr, *aDelNot = nullptr, *aCut = nullptr, *aCopy = nullptr, *aPaste = nullptr,
            *aUndo = nullptr, *aSelectAll = nullptr, *aNapoveda = nullptr;

    EditGridModel *chemCompModel() const { return m_chemModel; }
    EditGridModel *compareNormsModel() const { return m_normsModel; }

public slots:
    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildUi();
    QWidget *buildInfoPage();
    void connectInfoFields();
    QWidget *buildGridPage(const QString &header, QTableView *&grid, EditGridModel *model);
    void createActions();
    // Opens the picker of the grid's column, if it has one.
    bool openPicker(QTableView *grid, int column);
    void makeActions();
    void connectActions();
    void enableActions();
    void fillToolBarsAndMenus();
    void loadFields();
    void typed(db::DataSet &ds, const QString &field, const QString &text);
    void focusChanged(QWidget *now);
    QWidget *focusedEditor() const;
    bool hasNote() const;
    bool askNoteText(const QString &current, QString &text);
    void showError(const QString &text);
    int ask(const QString &text, ui::MsgType type, ui::MsgButtons buttons);
    void discardPending();
    void restorePage();
    void savePage() const;

    db::OwnDataModule &m_own;
    int m_materialNo = 0;
    Mode m_mode;
    EditorEnvironment m_env;
    db::DataSet *m_working = nullptr;
    EditGridModel *m_chemModel = nullptr;
    EditGridModel *m_normsModel = nullptr;
    bool m_changed = false;
    bool m_loading = false;
    bool m_finished = false;
    bool m_commitUnknown = false; // the answer to the window's COMMIT was lost with the server
    bool m_touched = false;
    bool m_closed = false;
};

} // namespace orv::userdata
