#pragma once
// The large generated catalogue (target large_catalogue) that the catalogue benchmarks read:
// where its files are, what to say when it was not built, and a spread of its materials.

#include "db/Connection.h"

#include <QFile>
#include <QList>
#include <QString>

#include <benchmark/benchmark.h>

namespace orv::bench {

struct LargeCatalogueFiles {
    QString folder = QStringLiteral(ORVALIS_BINARY_DIR "/large-catalogue");
    QString catalogue = folder + QStringLiteral("/catalogue.sqlite");
    QString user = folder + QStringLiteral("/user.sqlite");
    // Empty when the catalogue is there.
    QString error = QFile::exists(catalogue)
                        ? QString()
                        : QStringLiteral("no large catalogue: run \"ninja large_catalogue\" first");
};

// count material numbers spread evenly over the catalogue, in the order of their numbers.
inline QList<int> spreadMaterials(db::Connection &catalogue, int count)
{
    db::Statement s(catalogue, QStringLiteral("select Number from Mat order by Number"));
    QList<int> all;
    while (s.step())
        all << s.value(0).toInt();
    QList<int> out;
    for (int i = 0; i < count && !all.isEmpty(); ++i)
        out << all.at(int(qint64(i) * all.size() / count));
    return out;
}

// Skips the benchmark with the reason when there is one; true when it may run.
inline bool readyOrSkip(benchmark::State &state, const QString &error)
{
    if (error.isEmpty())
        return true;
    state.SkipWithError(error.toStdString().c_str());
    return false;
}

} // namespace orv::bench
