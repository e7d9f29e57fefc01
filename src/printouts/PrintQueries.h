#pragma once
// The queries of the four material printouts, as lines, and the fields the templates refer
// to. Every query takes the material number as the parameter in1.
//
// The field lists of the queries are the contract with the template files in data/tisky:
// templates name the fields, so fields are only ever appended (calculated texts), never
// reordered or renamed.

#include <QLocale>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace orv::db {
class DataSet;
}

namespace orv::printouts {

// Master of the equivalents and heat-treatment printouts: MatName, NormName, NormLabel.
QStringList infoQueryShort();
// Master of the two information printouts: MatNumber, MatName, NormName, NormLabel,
// MatPurposeAll, MatNoticeNo.
QStringList infoQuery();
// The equivalents: CompNormName, CompNormLabel, CountryName.
QStringList equivalentsQuery();
// The master queries with the field MatSources appended: the standards and editions the
// values come from, one a line ("Zdroj údajů není v katalogu uveden." for a catalogue made
// before sources were kept).
QStringList withSources(QStringList sql, bool catalogueHasSources);
// Every note text (the lookup of the material's note).
QStringList noticesQuery();
// The composition rows with the balance element ("A" in Zbytek, bounds 0 and 0), newest row
// number first: Number, Name, MinValue, MaxValue, Zbytek.
QStringList compositionQuery();
// The composition notes: Number, Name, Notice.
QStringList compositionNotesQuery();
// The mechanical properties with their notes (blank for rows without one), ordered by
// semi-product, state, dimension, property row and temperature row.
QStringList mechanicalQuery();
// The user's note of the material (user database): NUMBER, MATERIALNO, TEXT.
QStringList userNoteQuery();
// Code lists the mechanical printout looks its names up in.
QStringList semiProductTypesQuery();
QStringList stateTypesQuery();
QStringList propertyTypesQuery();
// The card's own queries of the physical properties and the heat treatment, for a printout
// made without a card.
QStringList physicalQuery();
QStringList physicalTypesQuery();
QStringList heatTreatmentQuery();
QStringList processesQuery();

// Texts of the printouts, with the decimal comma of the Czech locale.
QLocale printLocale();
// A number in its shortest form ("0,42", "1100"); empty for null or non-numbers.
QString printNumber(const QVariant &value);
// "from – to", "max. to", "min. from", or "" (a bound is missing when it is null).
QString printRange(const QVariant &from, const QVariant &to);
// A dimension range in millimetres: "16 – 40 mm", "do 16 mm", "nad 100 mm", "" for none.
QString printDimension(const QVariant &from, const QVariant &to);

// Field set-up of the data sets above (labels, widths, the lookups and the calculated texts).
void defineCompositionFields(db::DataSet &q);
void defineMechanicalFields(db::DataSet &q, db::DataSet &semTypes, db::DataSet &stTypes,
                            db::DataSet &propTypes);
void defineInfoFields(db::DataSet &q, db::DataSet &notices, db::DataSet *userNotes);
void definePhysicalFields(db::DataSet &q, db::DataSet &types, db::DataSet &notices);
void defineHeatTreatmentFields(db::DataSet &q, db::DataSet &processes);

} // namespace orv::printouts
