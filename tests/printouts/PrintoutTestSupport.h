#pragma once
// What the printout tests share: a copy of the demo catalogue with a session over it and an
// independent reading of the same files by the sqlite3 program, the output of an outside
// program, and a printout's dialog by its kind.

#include "db/Connection.h"
#include "printouts/PrintDialogs.h"
#include "support/DemoCatalogue.h"

#include <QList>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace orv::printouts::test {

// The standard output of a program run to its end.
inline QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// A printout's dialog over a catalogue, without showing it: 0 equivalents, 1 information,
// 2 mechanical properties, else heat treatment.
inline std::unique_ptr<TfPrintBase> makeDialog(int kind, const PrintEnvironment &env)
{
    switch (kind) {
    case 0: return std::make_unique<TfPrintEkvivalenty>(env);
    case 1: return std::make_unique<TfPrintInfo>(env);
    case 2: return std::make_unique<TfPrintInfoMech>(env);
    default: return std::make_unique<TfPrintTempProc>(env);
    }
}

// The demo catalogue of the build copied into a temporary folder. With `open` the session
// `cat` opens the copy at once; else the caller may change the files first and call open().
// `copied` says whether the copy succeeded (the session stays closed when it did not).
class DemoCatalogueCopy {
public:
    explicit DemoCatalogueCopy(const QString &sessionName, bool openNow = true)
        : cat(sessionName), copied(orv::test::copyDemoCatalogue(dir.path()))
    {
        catFile = dir.filePath(QStringLiteral("catalogue.sqlite"));
        userFile = dir.filePath(QStringLiteral("user.sqlite"));
        if (copied && openNow)
            open();
    }
    void open() { cat.open(catFile, userFile, db::Database::Catalogue); }

    // The rows sqlite3 prints for `sql` over the copy (the user file attached as "u"), each
    // split at its "|" separators.
    QList<QStringList> sqliteRows(const QString &sql) const
    {
        const QString out = run(QStringLiteral("sqlite3"),
                                {QStringLiteral("-cmd"), QStringLiteral("attach '%1' as u").arg(userFile), catFile, sql});
        QList<QStringList> rows;
        for (const QString &line : out.split(u'\n', Qt::SkipEmptyParts))
            rows << line.split(u'|');
        return rows;
    }

    QTemporaryDir dir;
    QString catFile;
    QString userFile;
    db::Connection cat;
    ::testing::AssertionResult copied;
};

} // namespace orv::printouts::test
