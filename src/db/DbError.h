#pragma once
// Errors of the data-access layer. Every failure of the engine (missing, corrupt or read-only
// file, rejected SQL, a locked file) becomes a DbError carrying the engine's message and the
// database file it concerns; nothing in this layer crashes or aborts on bad input.

#include <QLoggingCategory>
#include <QString>

#include <exception>
#include <stdexcept>

namespace orv::db {

Q_DECLARE_LOGGING_CATEGORY(lcDb)

// Where the data layer catches an exception and goes on without passing it up (closing data
// sets while the program ends), it writes what it caught to the log (category "orvalis.db"),
// naming `where`. Call only inside a catch block.
void logCaught(const QString &where);

// What kind of failure a DbError reports, as far as the caller may act on it.
enum class DbErrorKind {
    Other,
    ServerUnreachable, // the database server cannot be reached
    LoginRefused,      // the server refused the user, the password or the database
    ConnectionLost,    // the session to the server broke off
    Constraint,        // a row breaks a rule of the table (required, unique, reference)
    Serialization,     // another session changed the same data meanwhile; try again
    PermissionDenied   // the server's rights do not let this login read or change the data
};

class DbError : public std::runtime_error {
public:
    explicit DbError(const QString &message, const QString &fileName = QString(), int code = 0);
    // An error of the database server: `serverText` its own words, `sqlState` its code.
    DbError(DbErrorKind kind, const QString &serverText, const QString &sqlState);

    // The engine's (or this layer's) message, without the file name.
    const QString &message() const { return m_message; }
    // The database file the error concerns; empty when no file is involved.
    const QString &fileName() const { return m_fileName; }
    // SQLite result code, 0 when the error did not come from the engine.
    int code() const { return m_code; }
    DbErrorKind kind() const { return m_kind; }
    // The server's SQLSTATE, empty for an error of the embedded engine.
    const QString &sqlState() const { return m_sqlState; }
    // What a user is shown: for a damaged, unreadable, read-only or full file a Czech text that
    // names the file and what to do, with the engine's message as a detail; otherwise the
    // message with the file name.
    QString text() const;

private:
    QString m_message;
    QString m_fileName;
    int m_code = 0;
    DbErrorKind m_kind = DbErrorKind::Other;
    QString m_sqlState;
};

// A value or an action the user asked for is refused; the message is shown as it is.
class UserError : public std::runtime_error {
public:
    explicit UserError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// Thrown by an event hook to cancel the operation silently (no message). DataSet operations
// catch it and report the cancellation through their bool result.
class Abort : public std::exception {
public:
    const char *what() const noexcept override { return "operation cancelled"; }
};

} // namespace orv::db
