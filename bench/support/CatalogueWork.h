#pragma once
// Pieces of work the catalogue benchmarks share: the property filters of a steel bar search,
// reading every cell of a card's grids as painting them would, and the CPU a process used.

#include "browse/MaterialCard.h"
#include "search/MechSearch.h"

#include <QAbstractItemModel>
#include <QFile>
#include <QTableView>
#include <QTableWidget>

namespace orv::bench {

// Steel bars, quenched and tempered, 10-100 mm, at 20 °C; withList: only the chosen properties.
inline search::MechFilters steelBarFilters(bool withList)
{
    search::MechFilters f;
    f.inMatType = true;
    f.matType = QStringLiteral("Oceli");
    f.inSemiProducts = true;
    f.group[0] = QStringLiteral("Tyče");
    for (int k = 1; k < 4; ++k)
        f.group[k] = QStringLiteral("všechny polotovary");
    f.inStates = true;
    f.state = QStringLiteral("Zušlechtěný");
    f.inDimensions = true;
    f.minDimension = 10;
    f.maxDimension = 100;
    f.inTemperature = true;
    f.temperature = 20;
    f.inProperties = withList;
    return f;
}

// Reads every cell of every grid of the card, as painting the grids asks for them; the cells
// that hold a value, plus the composition grid's cells.
inline int touchGrids(const browse::MaterialCard &card)
{
    int cells = 0;
    for (QTableView *view : {card.semiProductGrid(), card.statesGrid(), card.dimensionsGrid(), card.propertiesGrid(),
                             card.equivalentsGrid(), card.heatTreatmentGrid(), card.physicalGrid()}) {
        QAbstractItemModel *m = view->model();
        for (int r = 0; r < m->rowCount(); ++r)
            for (int c = 0; c < m->columnCount(); ++c)
                if (m->index(r, c).data().isValid())
                    ++cells;
    }
    return cells + card.compositionGrid()->rowCount() * card.compositionGrid()->columnCount();
}

// Clock ticks of CPU a process has used (user + system); 0 when it cannot be read.
inline qint64 processTicks(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QString s = QString::fromLatin1(f.readAll());
    // Fields after the command name, which is in brackets and may hold spaces.
    const QStringList rest = s.mid(s.lastIndexOf(u')') + 2).split(u' ');
    return rest.size() > 12 ? rest.at(11).toLongLong() + rest.at(12).toLongLong() : 0;
}

} // namespace orv::bench
