#pragma once
// The first entry of each filter list of the search window: it means "no filter", and the
// searches and the standard settings compare the lists' texts with it.

#include <QString>

namespace orv::search {

inline const QString kAllMetals = QStringLiteral("všechny kovy");
inline const QString kAllCountries = QStringLiteral("všechny země");
inline const QString kAllSemi = QStringLiteral("všechny polotovary");
inline const QString kAllStates = QStringLiteral("všechny stavy");
// The material type whose semi-products are all in group 5.
inline const QString kNonFerrous = QStringLiteral("Neželezné kovy");

} // namespace orv::search
