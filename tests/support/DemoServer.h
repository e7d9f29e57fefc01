#pragma once
// The demo catalogue on the test program's PostgreSQL server, for tests that run once on each
// engine over the demo data: loaded once by pg-import into a database kept as a template, from
// which every test takes a fresh copy (a load takes seconds, a copy a fraction of one).
// Needs orv_catalogue_lib linked into the test program.

#include "PgImport.h"
#include "support/PgServer.h"

#include <QRegularExpression>
#include <QString>

#include <gtest/gtest.h>

#include <string>

namespace orv::test {

// Why the demo template could not be made (empty while it could).
inline QString &demoServerFailure()
{
    static QString failure;
    return failure;
}

// The conninfo of a fresh database holding the demo catalogue, or empty when there is no
// server (`demoServerReason` says why).
inline QString demoServerDatabase()
{
    static QString templateName;
    QString &failure = demoServerFailure();
    static int serial = 0;
    PgServer &pg = PgServer::instance();
    if (!pg.running())
        return QString();
    if (templateName.isEmpty() && failure.isEmpty()) {
        const QString conninfo = pg.createDatabase();
        try {
            catalogue::pgImport(QStringLiteral(ORVALIS_BINARY_DIR "/orvalis/data"), conninfo);
            templateName = QRegularExpression(QStringLiteral("dbname=(\\S+)")).match(conninfo).captured(1);
        } catch (const std::exception &e) {
            failure = QStringLiteral("pg-import of the demo catalogue failed: ") + QString::fromUtf8(e.what());
        }
    }
    if (templateName.isEmpty())
        return QString();
    const QString name = QStringLiteral("orv_demo_%1").arg(++serial);
    pg.adminExec(QStringLiteral("CREATE DATABASE %1 TEMPLATE %2").arg(name, templateName));
    return pg.conninfo(name);
}

inline std::string demoServerReason()
{
    PgServer &pg = PgServer::instance();
    return (pg.running() ? demoServerFailure() : pg.reason()).toStdString();
}

} // namespace orv::test

// Declares `var`, the conninfo of a fresh demo database on the server; without one the test
// skips (fails when ORVALIS_REQUIRE_PG=1).
#define ORV_DEMO_SERVER_DATABASE(var)                                                          \
    const QString var = ::orv::test::demoServerDatabase();                                     \
    if (var.isEmpty()) {                                                                       \
        if (::orv::test::PgServer::required())                                                 \
            FAIL() << ::orv::test::demoServerReason();                                         \
        else                                                                                   \
            GTEST_SKIP() << ::orv::test::demoServerReason();                                   \
    }
