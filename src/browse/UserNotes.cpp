#include "browse/UserNotes.h"

#include "browse/MaterialCard.h"
#include "db/ChangeConflict.h"
#include "db/ServerAudit.h"
#include "ui/MessageDialog.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orv::browse {

UserNoteDialog::UserNoteDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Uživatelská poznámka..."));
    resize(361, 328);
    auto *v = new QVBoxLayout(this);
    v->setContentsMargins(8, 8, 8, 8);
    m_text = new QPlainTextEdit(this);
    m_text->setMinimumSize(345, 257);
    m_text->setObjectName(QStringLiteral("noteText"));
    v->addWidget(m_text, 1);
    auto *row = new QHBoxLayout;
    m_save = new QPushButton(QStringLiteral("&Uložit"), this);
    m_save->setDefault(true);
    m_back = new QPushButton(QStringLiteral("&Zpět"), this);
    row->addWidget(m_save);
    row->addStretch(1);
    row->addWidget(m_back);
    v->addLayout(row);
    connect(m_save, &QPushButton::clicked, this, &UserNoteDialog::save);
    connect(m_back, &QPushButton::clicked, this, &QDialog::reject);
}

QString UserNoteDialog::text() const
{
    return m_text->toPlainText();
}

void UserNoteDialog::setText(const QString &text)
{
    m_text->setPlainText(text);
}

void UserNoteDialog::save()
{
    try {
        if (onSave)
            onSave(text());
    } catch (const std::exception &e) {
        ui::message(QString::fromUtf8(e.what()), ui::MsgType::Error, ui::MsgButton::OK);
        return;
    }
    accept();
}

bool canAddNote(const MaterialCard *card)
{
    return card && !card->hasNote();
}

bool canEditNote(const MaterialCard *card)
{
    return card && card->hasNote();
}

bool canDeleteNote(const MaterialCard *card)
{
    return canEditNote(card);
}

namespace {

// Reads the card's note afresh and shows it (after a refusal or an unknown outcome). A
// failure here is not told on its own: the refusal that led here is.
void reloadNote(MaterialCard &card)
{
    db::DataSet &t = card.tUserNotice;
    try {
        if (t.isEditing())
            t.cancel();
        t.refresh();
    } catch (const std::exception &e) {
        qWarning().noquote() << QStringLiteral("UserNotes: poznámku nelze znovu načíst:") << QString::fromUtf8(e.what());
    }
    card.refreshTabs();
}

// Rows of the material's note in the database now (a colleague may have added one).
int noteRowsNow(const MaterialCard &card)
{
    const db::DataSet &t = card.tUserNotice;
    return t.connection()->scalar(QStringLiteral("select count(*) from UserNotices where MaterialNo = :m"),
                                  {{QStringLiteral("m"), card.materialNo()}})
        .toInt();
}

} // namespace

QString noteDeletedMessage()
{
    return QStringLiteral("Poznámku k materiálu mezitím smazal jiný uživatel. Váš text nebyl uložen a zůstává "
                          "v okně; uložíte-li jej znovu, uloží se jako nová poznámka.");
}

void storeNote(MaterialCard &card, const QString &text)
{
    db::DataSet &t = card.tUserNotice;
    const QString stored = text.left(maxNoteLength);
    try {
        // An empty note means a new row; a row whose text is empty (left by older data) is
        // reused, since a second row would stay hidden behind it. For the same reason a note
        // a colleague added since the card was read is not joined by a second one: the user
        // is told and sees it, and saving again replaces it.
        if (t.isEmpty()) {
            if (noteRowsNow(card) > 0) {
                reloadNote(card);
                auto first = [&t](const QString &field) {
                    return t.isEmpty() || !t.findField(field) ? QVariant() : t.valueAt(0, field);
                };
                throw db::ChangeConflict(QStringLiteral("UserNotices"), false,
                                         db::changeStamp(first(db::changedByColumn()), first(db::changedAtColumn())));
            }
            t.append();
        } else {
            t.first();
            t.edit();
        }
        t.setValue(QStringLiteral("TEXT"), stored);
        t.post();
    } catch (const db::ChangeConflict &conflict) {
        reloadNote(card);
        if (conflict.deleted())
            throw db::UserError(noteDeletedMessage());
        throw;
    } catch (const db::CommitOutcomeUnknown &) {
        // Stored or not, the card shows what the server holds now; nothing is sent again.
        reloadNote(card);
        throw;
    } catch (...) {
        // Only a guard: the note row leaves its edit state so nothing posts it later; the
        // dialog tells the error and keeps the text.
        if (t.isEditing())
            t.cancel();
        throw;
    }
}

void removeNote(MaterialCard &card)
{
    db::DataSet &t = card.tUserNotice;
    try {
        if (!t.isEmpty()) {
            t.first();
            t.remove();
        }
    } catch (const db::ChangeConflict &conflict) {
        reloadNote(card);
        if (conflict.deleted())
            throw db::UserError(QStringLiteral("Poznámku k materiálu mezitím smazal jiný uživatel."));
        throw db::UserError(
            QStringLiteral("Poznámku k materiálu mezitím změnil jiný uživatel%1, proto nebyla smazána. Karta nyní "
                           "ukazuje její nové znění; chcete-li ji přesto smazat, smažte ji znovu.")
                .arg(db::ChangeConflict::whoWhen(conflict.stamp())));
    } catch (const db::CommitOutcomeUnknown &) {
        reloadNote(card);
        throw;
    }
    card.refreshTabs();
}

void NoteActions::addNote(MaterialCard *card, QWidget *parent) const
{
    if (!card)
        return;
    UserNoteDialog dialog(parent);
    dialog.onSave = [card](const QString &text) { storeNote(*card, text); };
    const int result = runDialog ? runDialog(dialog) : dialog.exec();
    if (result == QDialog::Accepted) {
        card->refreshTabs();
        card->setActivePage(MaterialCard::Note);
    }
}

void NoteActions::editNote(MaterialCard *card, QWidget *parent) const
{
    if (!card)
        return;
    UserNoteDialog dialog(parent);
    dialog.setText(card->noteText());
    dialog.onSave = [card](const QString &text) { storeNote(*card, text); };
    const int result = runDialog ? runDialog(dialog) : dialog.exec();
    if (result == QDialog::Accepted) {
        // The page shows the changed text (and goes when the text was emptied).
        card->refreshTabs();
        card->setActivePage(MaterialCard::Note);
    }
}

void NoteActions::deleteNote(MaterialCard *card) const
{
    if (!card)
        return;
    card->setActivePage(MaterialCard::Note);
    const bool yes = confirm ? confirm(deleteQuestion())
                             : ui::message(deleteQuestion(), ui::MsgType::Confirmation,
                                           ui::MsgButton::Yes | ui::MsgButton::No) == ui::mrYes;
    if (!yes)
        return;
    try {
        removeNote(*card);
    } catch (const std::exception &e) {
        if (showError)
            showError(QString::fromUtf8(e.what()));
        else
            ui::message(QString::fromUtf8(e.what()), ui::MsgType::Error, ui::MsgButton::OK);
    }
}

} // namespace orv::browse
