#pragma once
// The four own-material actions of the main window: a new own material, editing or deleting
// the own material selected in the contents tree, and copying the selected material (from
// the catalogue or an own one) into the own materials. Reads go through the user session;
// every write goes through the own-material data module's data sets, which number the rows
// and keep the private mirror. Afterwards the contents tree is reopened on the material and
// an open card of it shows the new state.

#include "userdata/TfInsEditMaterial.h"

#include <QObject>
#include <QPointer>

#include <functional>

namespace orv::db {
class OwnDataModule;
class Transaction;
}
namespace orv::browse {
class CardList;
class ContentsPane;
} // namespace orv::browse

namespace orv::userdata {

struct OwnMaterialEnvironment {
    QPointer<browse::ContentsPane> pane; // the contents tree (may be empty)
    QPointer<browse::CardList> cards;    // the open cards (may be empty)
    QPointer<QWidget> owner;             // parent of the editor and the messages
    EditorEnvironment editor;
    // How the editor is shown (default: modally); tests drive it instead.
    std::function<int(TfInsEditMaterial &editor)> runEditor;
};

class OwnMaterialActions : public QObject {
    Q_OBJECT
public:
    OwnMaterialActions(db::OwnDataModule &own, OwnMaterialEnvironment env, QObject *parent = nullptr);
    ~OwnMaterialActions() override;

    static QString deleteQuestion() { return QStringLiteral("Opravdu smazat tento materiál?"); }

    // The material of the node selected in the contents tree (0: none).
    int selectedMaterial() const;

    // aInsertMaterial: creates the material and its node and opens the editor on it.
    // Returns the new material's number (0 when it could not be created).
    int newMaterial();
    // aEditMaterial.
    void editMaterial(int materialNo);
    void editSelected() { if (int m = selectedMaterial()) editMaterial(m); }
    // aDuplicateMaterial: copies material M with its note, user note, node, first designation,
    // composition (with notes) and equivalents, all or nothing. Returns the copy's number, or
    // 0 when the copy failed (the error was shown and nothing is left of it).
    int copyMaterial(int materialNo);
    int copySelected() { int m = selectedMaterial(); return m ? copyMaterial(m) : 0; }
    // aDeleteMaterial: asks, then deletes the material with everything that belongs to it.
    bool deleteMaterial(int materialNo);
    bool deleteSelected() { int m = selectedMaterial(); return m && deleteMaterial(m); }

    // Reopens the contents tree's query and selects node `nodeNo`.
    void refreshTree(int nodeNo);
    // An open card of the material reads it again.
    void refreshCard(int materialNo, const QString &title);

    OwnMaterialEnvironment &environment() { return m_env; }

private:
    int ask(const QString &text, ui::MsgType type, ui::MsgButtons buttons);
    int copyRows(int materialNo, int *newNode);
    void openEditor(int materialNo, TfInsEditMaterial::Mode mode, db::Transaction &transaction);

    db::OwnDataModule &m_own;
    OwnMaterialEnvironment m_env;
};

} // namespace orv::userdata
