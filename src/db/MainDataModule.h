#pragma once
// The main data module: the two working sessions (catalogue and user), the three upgrade
// connections, and the shared data sets of the contents tree, the quick find, the code
// lists and the user's search criteria and settings, with their field definitions and the
// behaviour attached to their events. One instance lives for the whole run.

#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/WorkingCopies.h"

#include <QObject>
#include <QString>

#include <functional>

namespace orv::db {

// What start-up shows while the module opens its data sets.
struct StartupProgress {
    std::function<void(const QString &text)> showText;
    // Called between the second and the third text: the splash shows its text panel.
    std::function<void()> showTextPanel;
};

// A database on a PostgreSQL server prepared by serverSetupStatements() and filled by the
// catalogue tool: its tables are what the two files hold together.
struct ServerDatabase {
    QString conninfo;
};

class MainDataModule : public QObject {
    Q_OBJECT
public:
    // Session names of the five connections.
    static QString catalogueSessionName() { return QStringLiteral("VTX (CD)"); }
    static QString userSessionName() { return QStringLiteral("VTX"); }

    // `dataRoot` is the folder holding "data/" with the catalogue file; `programDir` the
    // folder holding "data/" with the user file (both with or without a trailing "/").
    // Opens the sessions and the start-up data sets; a database error propagates.
    MainDataModule(const QString &dataRoot, const QString &programDir,
                   const StartupProgress &progress = StartupProgress(), QObject *parent = nullptr);
    // Both sessions on a server database instead of the files.
    explicit MainDataModule(const ServerDatabase &server, const StartupProgress &progress = StartupProgress(),
                            QObject *parent = nullptr);
    ~MainDataModule() override;

    // The data root text, always ending in "/".
    const QString &dataRoot() const { return m_dataRoot; }
    void setDataRoot(const QString &dataRoot);
    const QString &programDir() const { return m_programDir; }
    QString catalogueFile() const;
    QString userFile() const;

    Connection &catalogueSession() { return m_catalogue; }
    Connection &userSession() { return m_user; }
    // What filling the working copies from a changed catalogue did at start-up (nothing when
    // they were current).
    const WorkingCopyRefresh &workingCopyRefresh() const { return m_refresh; }
    // Whether own materials, notes and settings can be written: the user file is writable and
    // holds the working copies of the current catalogue.
    bool userDataWritable() const;
    // Why own materials cannot be created or changed now (Czech, for a tooltip or a message);
    // empty when they can.
    QString userDataUnwritableReason() const;
    // The upgrade wizard's connections; created here, opened by the wizard.
    Connection &upgradeOldData() { return m_upgradeOld; }
    Connection &upgradeNewData() { return m_upgradeNew; }
    Connection &upgradeNewDataCD() { return m_upgradeNewCD; }

    // Setup value reader and writer: the Value of the Setup row whose Items equals the key
    // (exact, case-sensitive), or "" when none; tSetup is left standing on that row. The
    // writer updates that row or adds one (Number by the next-number rule).
    QString setupValue(const QString &key);
    void setSetupValue(const QString &key, const QString &value);

    // New criteria rows are refused silently while the search window exists and has not
    // armed its insert permission (it arms it around its own inserts).
    void setSearchWindowPresent(bool present) { m_searchWindowPresent = present; }
    void setCriteriaInsertArmed(bool armed) { m_criteriaInsertArmed = armed; }
    bool criteriaInsertAllowed() const { return !m_searchWindowPresent || m_criteriaInsertArmed; }

    // Set by the options window while it is open: called with the Name of every row of
    // qPropTypeChildSelect (in its order) whenever qPropTypeParent moves.
    std::function<void(const QStringList &names)> groupMembersChanged;

    // ---- data sets (C: catalogue session, U: user session)
    DataSet qMatFind{QStringLiteral("qMatFind")};                 // C, quick-find results
    DataSet qMatTypes{QStringLiteral("qMatTypes")};               // C
    DataSet qTree{QStringLiteral("qTree")};                       // C
    DataSet qDbTree{QStringLiteral("qDbTree")};                   // C, contents tree
    DataSet tNodes{QStringLiteral("tNodes")};                     // C, table Nodes
    DataSet qCountry{QStringLiteral("qCountry")};                 // C
    DataSet tElements{QStringLiteral("tElements")};               // C, index "Name", read only
    DataSet tUserChemComp{QStringLiteral("tUserChemComp")};       // U
    DataSet tSetupChemComp{QStringLiteral("tSetupChemComp")};     // U
    DataSet tSetup{QStringLiteral("tSetup")};                     // U
    DataSet tSemTypes{QStringLiteral("tSemTypes")};               // C
    DataSet tSttypes{QStringLiteral("tSttypes")};                 // C
    DataSet tPropType{QStringLiteral("tPropType")};               // U, index "Name", read only
    DataSet tUserMechProp{QStringLiteral("tUserMechProp")};       // U
    DataSet qPropTypeChild{QStringLiteral("qPropTypeChild")};     // U, detail of tUserMechProp
    DataSet qPropTypeParent{QStringLiteral("qPropTypeParent")};   // U, editable
    DataSet qPropTypeChildSelect{QStringLiteral("qPropTypeChildSelect")}; // U, detail of qPropTypeParent
    DataSet qPropTypeSelect{QStringLiteral("qPropTypeSelect")};   // U, editable
    DataSet tUserNotice{QStringLiteral("tUserNotice")};           // U, index "Material"
    DataSet tDefaultMechProp{QStringLiteral("tDefaultMechProp")}; // C
    DataSet tDefaultChemComp{QStringLiteral("tDefaultChemComp")}; // C
    DataSet qTemp{QStringLiteral("qTemp")};                       // U, next-number rule

    // The message of a refused negative criterion value.
    static QString negativeValueMessage() { return QStringLiteral("Zadaná hodnota nesmí být záporná."); }

private:
    void openSessions();
    void openDataSets(const StartupProgress &progress);
    void defineDataSets();
    void defineFields();
    void attachBehaviour();

    QString m_dataRoot;
    QString m_programDir;
    QString m_conninfo; // the server database; empty: the two files
    Connection m_catalogue{catalogueSessionName()};
    Connection m_user{userSessionName()};
    Connection m_upgradeOld{QStringLiteral("ZEB11OldData")};
    Connection m_upgradeNew{QStringLiteral("ZEB11NewData")};
    Connection m_upgradeNewCD{QStringLiteral("ZEB11NewDataCD")};
    WorkingCopyRefresh m_refresh;
    bool m_workingCopies = false;
    bool m_searchWindowPresent = false;
    bool m_criteriaInsertArmed = false;
};

} // namespace orv::db
