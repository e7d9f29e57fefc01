#pragma once
// The four own-material actions of the main window: a new own material, editing or deleting
// an own material, and copying a material (from the catalogue or an own one) into the own
// materials. Edit, delete and copy act on the material the user is looking at: the tree's
// selection while the tree has the focus, else the active card's material, else the tree's
// selection. Reads go through the user session;
// every write goes through the own-material data module's data sets, which number the rows
// and keep the private mirror. Afterwards the contents tree is reopened on the material and
// an open card of it shows the new state.

#include "userdata/TfInsEditMaterial.h"

#include <QObject>
#include <QPointer>

#include <functional>

namespace orv::db {
class MainDataModule;
class OwnDataModule;
class Transaction;
}
namespace orv::browse {
class CardList;
class ContentsPane;
} // namespace orv::browse

namespace orv::userdata {

// The material the user is looking at (0: none), as the own-material actions see it.
int lookedAtMaterial(const browse::ContentsPane *pane, const browse::CardList *cards, db::MainDataModule &data);
// Whether material M is an own material.
bool isOwnMaterial(db::MainDataModule &data, int materialNo);
// The designation of a copy: the original's with a mark that it is a copy, one that no
// material has yet ("C45 (kopie)", "C45 (kopie 2)", ...), within `maxLength` characters.
QString copyDesignation(db::MainDataModule &data, const QString &original, int maxLength = 150);

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

    static QString deleteQuestion(const QString &designation);
    // The name a question gives material M: its designation, else its name, else its number.
    QString designationOf(int materialNo) const;

    // The material the user is looking at (0: none).
    int selectedMaterial() const;

    // aInsertMaterial: creates the material and its node and opens the editor on it.
    // Returns the new material's number (0 when it could not be created or was not saved).
    int newMaterial();
    // aEditMaterial.
    void editMaterial(int materialNo);
    void editSelected() { if (int m = selectedMaterial()) editMaterial(m); }
    // aDuplicateMaterial: copies material M with its note, user note, node, first designation,
    // composition (with notes) and equivalents, all or nothing. Returns the copy's number, or
    // 0 when the copy failed (the error was shown and nothing is left of it).
    int copyMaterial(int materialNo);
    // Copies the material looked at and opens the copy in the editor.
    int copySelected();
    // aDeleteMaterial: asks, then deletes the material with everything that belongs to it.
    bool deleteMaterial(int materialNo);
    bool deleteSelected() { int m = selectedMaterial(); return m && deleteMaterial(m); }

    // Reopens the contents tree's query and selects node `nodeNo`.
    void refreshTree(int nodeNo);
    // An open card of the material reads it again.
    void refreshCard(int materialNo, const QString &title);

    OwnMaterialEnvironment &environment() { return m_env; }

    // Edit or delete of a material that is gone (a colleague deleted it since the tree was
    // read): this message, the tree read again, nothing else done.
    static QString goneMessage();

private:
    bool materialGone(int materialNo);
    int ask(const QString &text, ui::MsgType type, ui::MsgButtons buttons);
    int copyRows(int materialNo, int *newNode);
    // False when the window was left without saving (everything it wrote is taken back).
    bool openEditor(int materialNo, TfInsEditMaterial::Mode mode, db::Transaction &transaction);

    db::OwnDataModule &m_own;
    OwnMaterialEnvironment m_env;
};

} // namespace orv::userdata
