#pragma once
// The export of materials for calculations: a material card of the solver input format
// (*MATERIAL with *ELASTIC, *DENSITY, *EXPANSION, *CONDUCTIVITY, *SPECIFIC HEAT and, when
// asked, *PLASTIC), MatML 3.1, or CSV. Every value comes from the catalogue; what the
// catalogue lacks is left out and listed (`missing`), never filled in, unless the user typed
// it (`userValues`), which the file then says. A range (min - max) gives the value chosen by
// `range`; the file's comment says which.

#include "matexport/MaterialData.h"
#include "matexport/Quantities.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

namespace orv::matexport {

enum class Format { Inp, MatMl, Csv };
enum class RangeValue { Min, Mean, Max };

struct ExportOptions
{
    Format format = Format::Inp;
    UnitSystem units = UnitSystem::NmmSTonne;
    RangeValue range = RangeValue::Min;
    bool physical = true;   // the physical properties
    bool mechanical = true; // the chosen mechanical row of each material (MaterialExport::mechRows)
    bool plastic = false;   // *PLASTIC from Re, Rm and A (solver cards only)
    // Values the user typed for quantities the catalogue lacks, in inputUnit(), valid at
    // 20 °C. A catalogue value always wins over a typed one.
    QMap<Quantity, double> userValues;
    // The solver name of a single material in place of the one made from its designation
    // (a model that names its material); made safe like any other.
    QString materialName;
};

// One material with the mechanical row chosen for it (-1: none).
struct ExportItem
{
    MaterialData data;
    int mechRow = -1;
};

struct ExportResult
{
    QByteArray bytes;
    // What the catalogue lacks, one line each, prefixed with the material when there are
    // several: "42CrMo4: Modul pružnosti v tahu".
    QStringList missing;
    // What the file states about its values (range choice, derived or typed values).
    QStringList notes;
};

// The file suffix and the Czech caption of a format.
QString formatSuffix(Format format);
QString formatCaption(Format format);
std::optional<Format> formatFromName(const QString &name); // "inp", "matml", "csv"
QString rangeCaption(RangeValue range);                     // "minimum", "střední hodnota", "maximum"

// The value of a range by the choice; a one-sided range gives its one bound.
std::optional<double> chooseValue(std::optional<double> min, std::optional<double> max, RangeValue range);

// The mechanical values by which the plastic curve is drawn: Re is the first of ReH, ReL,
// Rp0,2, Rp1,0 that the row has at 20 °C.
QStringList yieldCodes();

ExportResult exportMaterials(const QList<ExportItem> &items, const ExportOptions &options);

// Writes the file under a temporary name and renames it; the old file stays when anything
// fails. Returns "" or the reason in Czech.
QString saveExportFile(const QString &file, const QByteArray &bytes);

// A solver-safe material name (letters, digits, "_", "-", "."; at most 80 characters).
QString solverName(const QString &designation);

} // namespace orv::matexport
