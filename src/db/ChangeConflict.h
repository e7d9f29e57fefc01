#pragma once
// Refusals that protect a change made by someone else. A row is written back only when it
// still holds what was read (every value read is part of the WHERE of the UPDATE or DELETE);
// when it does not, the write is refused with ChangeConflict, the row read afresh (what the
// user typed stays), and a second save on purpose overwrites. A commit whose answer was lost
// with the connection is CommitOutcomeUnknown: it may or may not have been stored, so it is
// never repeated blindly; the data are read again instead.

#include "db/DbError.h"

#include <QDateTime>
#include <QString>

#include <string>

namespace orv::db {

// Who last changed a row and when, as the server keeps it (empty on the embedded engine).
struct ChangeStamp {
    QString who;
    QDateTime when; // local time; invalid when not known
    bool isEmpty() const { return who.isEmpty() && !when.isValid(); }
};

class ChangeConflict : public DbError {
public:
    // `deleted`: the row is gone; otherwise it holds other values than were read.
    ChangeConflict(const QString &table, bool deleted, const ChangeStamp &stamp = {});
    bool deleted() const { return m_deleted; }
    const QString &table() const { return m_table; }
    const ChangeStamp &stamp() const { return m_stamp; }
    const char *what() const noexcept override { return m_text.c_str(); }

    // "Záznam mezitím změnil jiný uživatel (who, when)." with what happens next.
    static QString changedText(const ChangeStamp &stamp);
    static QString deletedText();
    // " (who, when)" or "" when nothing is known.
    static QString whoWhen(const ChangeStamp &stamp);

private:
    QString m_table;
    bool m_deleted;
    ChangeStamp m_stamp;
    std::string m_text;
};

class CommitOutcomeUnknown : public DbError {
public:
    explicit CommitOutcomeUnknown(const QString &serverText);
    const char *what() const noexcept override { return m_text.c_str(); }
    static QString userText();

private:
    std::string m_text;
};

} // namespace orv::db
