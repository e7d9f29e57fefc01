#pragma once
// The user's own note on a material: one free text of at most 200 characters per material,
// kept in the user database (UserNotices) so that it survives catalogue updates. Notes are
// added, edited and deleted while the material's card is the active window; the card shows
// the note on its page "Poznámka".

#include <QDialog>
#include <QString>

#include <functional>

class QPlainTextEdit;
class QPushButton;

namespace orv::browse {

class MaterialCard;

// The note dialog: "Uživatelská poznámka...", a text box, "&Uložit" (OK) and "&Zpět".
class UserNoteDialog : public QDialog
{
    Q_OBJECT
public:
    explicit UserNoteDialog(QWidget *parent = nullptr);
    QString text() const;
    void setText(const QString &text);
    QPlainTextEdit *textBox() const { return m_text; }
    QPushButton *saveButton() const { return m_save; }
    QPushButton *backButton() const { return m_back; }

    // What "&Uložit" does before the dialog closes with OK (stores the text). When it throws,
    // the error is shown and the dialog stays open.
    std::function<void(const QString &text)> onSave;

private:
    void save();
    QPlainTextEdit *m_text = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_back = nullptr;
};

// The longest note text the user database keeps.
constexpr int maxNoteLength = 200;

// Enabling rules of the three note actions (card: the active card, or nullptr).
bool canAddNote(const MaterialCard *card);
bool canEditNote(const MaterialCard *card);
bool canDeleteNote(const MaterialCard *card);

// Stores `text` as the card's note: a new row when the card has no note now, else the note
// row is changed. The text is cut to 200 characters. The page "Poznámka" is not touched.
void storeNote(MaterialCard &card, const QString &text);
// A note changed or deleted by a colleague since the card read it is not overwritten: the
// save is refused (ChangeConflict, or UserError with noteDeletedMessage() for a deleted
// note), the card shows the note as it is now, and saving again on purpose stores the text.
QString noteDeletedMessage();
// Deletes the card's note row and refreshes its pages.
void removeNote(MaterialCard &card);

// The three actions on the current card. `runDialog` shows the prepared dialog modally and
// returns its result (default: exec()); `confirm` asks the delete question and returns true
// for "&Ano" (default: the standard Czech confirmation). Both are replaceable for tests.
struct NoteActions
{
    std::function<int(UserNoteDialog &dialog)> runDialog;
    std::function<bool(const QString &question)> confirm;
    std::function<void(const QString &error)> showError;

    static QString deleteQuestion() { return QStringLiteral("Opravdu smazat poznámku k materiálu?"); }

    void addNote(MaterialCard *card, QWidget *parent = nullptr) const;
    void editNote(MaterialCard *card, QWidget *parent = nullptr) const;
    void deleteNote(MaterialCard *card) const;
};

} // namespace orv::browse
