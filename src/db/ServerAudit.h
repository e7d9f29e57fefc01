#pragma once
// Who changed a shared own material or user note, and when. On the server every own material
// (Mat rows with Private = "A") and every user note carries ChangedBy and ChangedAt, filled by
// a trigger from the session's login and the time of its transaction: a program cannot write
// them, so they say who really changed the row. The embedded engine has no such columns.

#include "db/ChangeConflict.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace orv::db {

class Connection;

// The statements that add the columns and their triggers; run again, they change nothing.
QStringList serverAuditStatements();

// Columns the server fills by itself: data sets neither write them nor compare them when a
// row is written back (a trigger may change them under a data set that is still open).
bool isServerKeptColumn(const QString &column);
inline QString changedByColumn() { return QStringLiteral("ChangedBy"); }
inline QString changedAtColumn() { return QStringLiteral("ChangedAt"); }

// The two column values as read (the time as the server writes it: "2026-12-10 19:40:12.5+01").
ChangeStamp changeStamp(const QVariant &who, const QVariant &when);
// "10. 12. 2026 19:40" in local time.
QString stampTimeText(const QDateTime &when);
// "Změnil: novak dne 10. 12. 2026 v 19:40"; empty when nothing is known.
QString changeStampText(const ChangeStamp &stamp);

// Turns the stamping triggers off or on again inside the caller's transaction (a rollback
// undoes it). The catalogue import moves the team's rows without changing them: they keep who
// changed them last. Needs the tables' owner; tables without the trigger are left alone.
void setServerStamping(Connection &session, bool on);

// Marks own material M as changed now by this session (its trigger writes the columns); for
// changes of the rows that hang on it. Nothing on the embedded engine.
void stampOwnMaterial(Connection &session, int materialNo);

} // namespace orv::db
