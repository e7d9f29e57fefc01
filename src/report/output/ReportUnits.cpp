#include "report/output/ReportUnits.h"

#include <QFontDatabase>

#include <array>
#include <cmath>

namespace orv {

namespace {
constexpr std::array<double, kUnitCount> kFactors = {1.0, 2.54, 0.6, 0.72, 1.44};
constexpr std::array<int, 8> kCharsets = {0, 161, 162, 186, 238, 204, 2, 1};
} // namespace

QString UnitName(int index)
{
    switch (index) {
    case 1: return QStringLiteral("0,1 mm");
    case 2: return QStringLiteral("0,1 pica");
    case 3: return QStringLiteral("1 point");
    case 4: return QStringLiteral("10 twips");
    default: return QStringLiteral("0,01 inch");
    }
}

double UnitFactor(int index)
{
    return index >= 0 && index < kUnitCount ? kFactors[size_t(index)] : 1.0;
}

int ToDisplayUnits(int hundredths, int index)
{
    return int(std::lround(hundredths * UnitFactor(index)));
}

int FromDisplayUnits(int value, int index)
{
    return int(std::lround(value / UnitFactor(index)));
}

int CharsetAtPosition(int position)
{
    return position >= 0 && position < int(kCharsets.size()) ? kCharsets[size_t(position)] : 1;
}

int PositionOfCharset(int charset)
{
    int found = 7;
    for (int i = 0; i < int(kCharsets.size()); ++i)
        if (kCharsets[size_t(i)] == charset)
            found = i;
    return found;
}

QStringList ReportFontNames()
{
    QStringList names = QFontDatabase::families();
    names << QStringLiteral("Roman 10cpi") << QStringLiteral("Roman 12cpi") << QStringLiteral("Roman 17cpi");
    return names;
}

} // namespace orv
