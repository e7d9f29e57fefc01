#include "userdata/TfInsEditMaterial.h"

#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/OwnDataModule.h"
#include "search/TfElements.h"
#include "userdata/EditGridModel.h"
#include "userdata/MaterialFields.h"

#include <QPlainTextEdit>
#include <QTableView>

// The editor's record actions (post, cancel, insert, delete, duplicate), its note and its
// element and country picks. The window itself and its closing are in TfInsEditMaterial.cpp.

namespace orv::userdata {

namespace {

// One row of a read through the user session, by column name; empty when there is none.
QVariantMap readRow(db::Connection &conn, const QString &sql)
{
    QVariantMap row;
    db::Statement st(conn, sql);
    if (st.step())
        for (int i = 0; i < st.columnCount(); ++i)
            row.insert(st.columnName(i).toLower(), st.value(i));
    return row;
}

} // namespace

// ---------------------------------------------------------------- record actions

bool TfInsEditMaterial::postRecord()
{
    try {
        if (m_working == &m_own.qMat) {
            // The designation belongs to the material's basic data.
            if (m_own.qNorms.isEditing())
                m_own.qNorms.post();
            if (m_own.qMat.isEditing())
                m_own.qMat.post();
        } else if (m_working->isEditing()) {
            m_working->post();
        }
        return true;
    } catch (const std::exception &e) {
        showError(errorText(e));
        return false;
    }
}

void TfInsEditMaterial::cancelRecord()
{
    if (m_working == &m_own.qMat && m_own.qNorms.isEditing())
        m_own.qNorms.cancel();
    if (m_working->isEditing())
        m_working->cancel();
    loadFields();
}

void TfInsEditMaterial::insertRecord()
{
    if (m_working == &m_own.qMat)
        return;
    try {
        m_working->append();
        QTableView *grid = m_working == &m_own.qChemComp ? grChemComp : grCompareNorms;
        grid->setFocus();
    } catch (const std::exception &e) {
        showError(errorText(e));
    }
}

void TfInsEditMaterial::deleteRecord()
{
    db::DataSet &ds = *m_working;
    if (&ds == &m_own.qMat || (ds.recordCount() == 0 && !ds.isEditing()))
        return;
    if (ask(deleteRecordQuestion(), ui::MsgType::Confirmation, ui::MsgButton::Yes | ui::MsgButton::No | ui::MsgButton::Cancel)
        != ui::mrYes)
        return;
    try {
        if (ds.state() == db::DataSetState::Insert) {
            ds.cancel();
            return;
        }
        if (ds.isEditing())
            ds.cancel();
        ds.remove();
    } catch (const std::exception &e) {
        showError(errorText(e));
    }
}

void TfInsEditMaterial::duplicateRecord()
{
    db::DataSet &ds = *m_working;
    if (&ds == &m_own.qMat || ds.recordCount() == 0)
        return;
    db::Connection &user = m_own.mainModule().userSession();
    try {
        ds.checkBrowseMode();
        const QString number = QString::number(ds.value(kNumber).toLongLong());
        db::Transaction transaction(user);
        if (&ds == &m_own.qCompareNorms) {
            const QVariantMap row = readRow(user, QStringLiteral("select * from COMPARENORMS where Number=") + number);
            if (row.isEmpty())
                return;
            ds.append();
            for (const char *f : {"Name", "Label", "MaterialNo", "NameShort", "LabelShort", "CountryNo"})
                ds.setValue(QString::fromLatin1(f), row.value(QString::fromLatin1(f).toLower()));
            ds.post();
        } else {
            const QVariantMap row = readRow(user, QStringLiteral("select * from CHEMCOMP where Number=") + number);
            if (row.isEmpty())
                return;
            // The copy's minimum counts towards the sum of minima like a typed one.
            if (const QString why = compositionRefusal(-1, 1, row.value(QStringLiteral("minvalue"))); !why.isEmpty()) {
                showError(why);
                return;
            }
            QString noteText;
            if (!row.value(QStringLiteral("noticeno")).isNull())
                noteText = m_own.qNotices.lookup(kNumber, row.value(QStringLiteral("noticeno")), kNotice).toString();
            ds.append();
            for (const char *f : {"MaterialNo", "ElementNo", "MinValue", "MaxValue"})
                ds.setValue(QString::fromLatin1(f), row.value(QString::fromLatin1(f).toLower()));
            if (!noteText.isEmpty()) {
                // The copy gets its own note with the same text.
                db::DataSet &notices = m_own.qNotices;
                notices.append();
                notices.setValue(kNotice, noteText);
                notices.post();
                ds.setValue(kNoticeNo, notices.value(kNumber));
            }
            ds.post();
        }
        transaction.commit();
    } catch (const std::exception &e) {
        if (ds.isEditing())
            ds.cancel();
        showError(errorText(e));
    }
}

// The note dialog until the text fits or the user gives up; false when cancelled.
bool TfInsEditMaterial::askNoteText(const QString &current, QString &text)
{
    NoteDialog dialog(this);
    dialog.setText(current);
    for (;;) {
        const int result = runNoteDialog ? runNoteDialog(dialog) : dialog.exec();
        if (result != QDialog::Accepted)
            return false;
        text = noteTextToStore(dialog.text());
        if (text.size() > maxNoticeLength) {
            // The user decides with the length in front of him; nothing is cut silently.
            if (ask(longNoteMessage(int(text.size())), ui::MsgType::Warning, ui::MsgButton::OK | ui::MsgButton::Cancel)
                != ui::mrOk)
                continue;
            text = text.left(maxNoticeLength);
        }
        return true;
    }
}

void TfInsEditMaterial::editNote()
{
    db::DataSet &row = *m_working;
    if (&row != &m_own.qMat && &row != &m_own.qChemComp)
        return;
    if (row.recNo() < 0 && !row.isEditing())
        return;
    db::DataSet &notices = m_own.qNotices;
    const bool rowWasEditing = row.isEditing();
    const QVariant oldNoticeNo = row.value(kNoticeNo);
    bool created = false;
    try {
        if (!oldNoticeNo.isNull() && notices.locate(kNumber, oldNoticeNo)) {
            notices.edit();
        } else {
            // No note yet, or the note the row names is gone: a new one takes its place.
            notices.append();
            created = true;
            if (!row.isEditing())
                row.edit();
            row.setValue(kNoticeNo, notices.value(kNumber));
        }
    } catch (const std::exception &e) {
        if (notices.isEditing())
            notices.cancel();
        showError(errorText(e));
        return;
    }

    QString text;
    const bool ok = askNoteText(notices.value(kNotice).toString(), text);
    try {
        if (ok) {
            notices.setValue(kNotice, nullIfEmpty(text));
            // The note first: the row never refers to a note that is not stored.
            db::Transaction transaction(m_own.mainModule().userSession());
            notices.post();
            row.post();
            transaction.commit();
        } else {
            notices.cancel();
            if (rowWasEditing) {
                if (created)
                    row.setValue(kNoticeNo, oldNoticeNo);
            } else if (row.isEditing()) {
                row.cancel();
            }
        }
    } catch (const std::exception &e) {
        if (notices.isEditing())
            notices.cancel();
        showError(errorText(e));
    }
    if (!row.isEditing())
        row.refresh();
    loadFields();
}

void TfInsEditMaterial::deleteNote()
{
    db::DataSet &row = *m_working;
    if ((&row != &m_own.qMat && &row != &m_own.qChemComp) || !hasNote())
        return;
    const QVariant noticeNo = row.value(kNoticeNo);
    try {
        // The row lets go of the note first, so that a failed post leaves the note in place.
        if (!row.isEditing())
            row.edit();
        row.setValue(kNoticeNo, QVariant());
        row.post();
        if (m_own.qNotices.locate(kNumber, noticeNo))
            m_own.qNotices.remove();
    } catch (const std::exception &e) {
        showError(errorText(e));
    }
    loadFields();
}

void TfInsEditMaterial::pickElement()
{
    db::DataSet &cc = m_own.qChemComp;
    const QVariant current = (cc.recNo() >= 0 || cc.isEditing()) ? cc.value(QStringLiteral("ElementNo")) : QVariant();
    std::optional<QVariant> chosen;
    if (chooseElement) {
        chosen = chooseElement(current);
    } else {
        search::TfElements picker(m_own.qElements, search::TfElements::Mode::OwnMaterial, nullptr, this);
        picker.placeOn(current);
        if (picker.exec() == QDialog::Accepted)
            chosen = picker.currentElement();
    }
    storePick(cc, QStringLiteral("ElementNo"), chosen);
    grChemComp->setFocus();
}

void TfInsEditMaterial::pickCountry()
{
    db::DataSet &cn = m_own.qCompareNorms;
    const QVariant current = (cn.recNo() >= 0 || cn.isEditing()) ? cn.value(QStringLiteral("CountryNo")) : QVariant();
    std::optional<QVariant> chosen;
    if (chooseCountry) {
        chosen = chooseCountry(current);
    } else {
        CountryPicker picker(m_own.qCountry, this);
        picker.placeOn(current);
        if (picker.exec() == QDialog::Accepted)
            chosen = picker.currentCountry();
    }
    storePick(cn, QStringLiteral("CountryNo"), chosen);
    grCompareNorms->setFocus();
}

void TfInsEditMaterial::storePick(db::DataSet &ds, const QString &field, const std::optional<QVariant> &chosen)
{
    if (!chosen || chosen->isNull())
        return;
    try {
        if (!ds.isEditing()) {
            if (ds.isEmpty())
                ds.append();
            else
                ds.edit();
        }
        ds.setValue(field, *chosen);
    } catch (const std::exception &e) {
        showError(errorText(e));
    }
}

} // namespace orv::userdata
