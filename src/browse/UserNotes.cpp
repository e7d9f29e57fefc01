#include "browse/UserNotes.h"

#include "browse/MaterialCard.h"
#include "ui/MessageDialog.h"

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

void storeNote(MaterialCard &card, const QString &text)
{
    db::DataSet &t = card.tUserNotice;
    const QString stored = text.left(maxNoteLength);
    try {
        // An empty note means a new row; a row whose text is empty (left by older data) is
        // reused, since a second row would stay hidden behind it.
        if (t.isEmpty()) {
            t.append();
        } else {
            t.first();
            t.edit();
        }
        t.setValue(QStringLiteral("TEXT"), stored);
        t.post();
    } catch (...) {
        if (t.isEditing())
            t.cancel();
        throw;
    }
}

void removeNote(MaterialCard &card)
{
    db::DataSet &t = card.tUserNotice;
    if (!t.isEmpty()) {
        t.first();
        t.remove();
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
