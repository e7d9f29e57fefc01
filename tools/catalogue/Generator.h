#pragma once
// A large catalogue for benchmarks: the code lists of the demo sources and any number of
// materials of realistic shape, the same for the same seed.

#include "CatalogueSource.h"

namespace orv::catalogue {

struct GeneratorOptions {
    int materials = 20000;
    quint64 seed = 1;
    int chemRows = 12;     // composition rows per material
    int equivalents = 6;   // CompareNorms rows per material
    int semiProducts = 2;  // each with
    int states = 2;        //   states, each with
    int dimensions = 3;    //   dimension ranges, each with
    int properties = 5;    //   properties, each at
    int temperatures = 2;  //   temperatures
};

// Writes `dataFolder`/catalogue.sqlite and user.sqlite. Material numbers run from 1000
// upwards; each material hangs in a sub-chapter of its kind of metal.
void generateCatalogue(const CatalogueSource &codes, const QString &dataFolder, const GeneratorOptions &options);

} // namespace orv::catalogue
