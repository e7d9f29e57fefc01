#pragma once
// Material data read through material cards that are never shown: the command line and the
// comparison window get exactly what the card would show, from the card's own queries.

#include "browse/MaterialCard.h"
#include "matexport/MaterialData.h"

#include <QList>

namespace orv::matexport {

// Loads each material into a card of its own over the sessions of `env` (settings are only
// read, never saved) and reads it. A database error propagates as db::DbError.
MaterialData readMaterial(const browse::CardEnvironment &env, int materialNo);
QList<MaterialData> readMaterials(const browse::CardEnvironment &env, const QList<int> &materials);

} // namespace orv::matexport
