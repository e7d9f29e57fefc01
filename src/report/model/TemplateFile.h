#pragma once
// The template file: comma-separated records in windows-1250, one per line. The reader
// builds a model from lines and never fails; the writer produces the lines of a model.

#include "report/model/SestError.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace orv {

class TSestavaModel;
class TSiReportElement;

// The fields of one template line. A field that starts with a double quote runs to the
// closing quote (a doubled quote is one quote, commas are data) and whatever follows up to
// the next comma is appended; any other field runs to the next comma.
QStringList splitTemplateFields(const QString &line);
// A text as the writer puts it: between double quotes with inner quotes doubled.
QString quoteTemplateField(const QString &text);

// Builds the model from the lines (the model must have been discarded first).
void readTemplate(TSestavaModel &model, const QStringList &lines);
// Reads one element line into an element (the section code is not looked at).
void readElementLine(TSestavaModel &model, const QString &line, TSiReportElement &element);
// The lines the designer saves for the model.
QStringList writeTemplate(const TSestavaModel &model);
QString writeElementLine(const QString &sectionCode, const TSiReportElement &element);

// Whether the system has a font family installed; the reader keeps names of installed fonts
// as they are. A report's context answers instead when it has FontAvailable, else the
// session's; setFontAvailableFunction sets the session's (tools and benchmarks that decide
// without a font database; null: the system decides).
bool isFontAvailable(const QString &family);
void setFontAvailableFunction(std::function<bool(const QString &family)> fn);

// Template file bytes to lines: CR LF, CR and LF end a line, NUL ends the text.
QStringList templateLinesFromBytes(const QByteArray &bytes);
QByteArray templateBytesFromLines(const QStringList &lines);

// Reads the file; seTemplateNotLoaded when it cannot be read.
TSestError loadTemplateFile(const QString &path, QStringList &lines);
// Writes the file through a temporary name renamed over the old one. With backup the
// previous file is kept as the same name with the extension ".BAK" (one copy).
// *error gets the Czech reason of a failure (the file and why).
TSestError saveTemplateFile(const QString &path, const QStringList &lines, bool backup,
                            QString *error = nullptr);
QString backupPathFor(const QString &path);

// The messages of the template file operations (%s: the full template path).
namespace TemplateMessages {
inline const char *const NotFound = "Nebyl nalezen soubor s předlohou tiskové sestavy \"%s\"";
inline const char *const NotFoundCreate =
    "Nebyl nalezen soubor s předlohou tiskové sestavy \"%s\". Založit nový?";
inline const char *const CannotCreate = "Soubor s předlohou se nepodařilo vytvořit. \"%s\"";
inline const char *const NoPath = "Není definována cesta a název souboru s předlohou.";
inline const char *const NotSaved = "Soubor s předlohou se nepodařilo uložit.";
inline const char *const DesignerNotSaved = "Předlohu se nepodařilo uložit.";
inline const char *const OutputNotSaved = "Výstupní soubor se nepodařilo uložit.";
inline const char *const CaptionError = "Chyba";
inline const char *const CaptionConfirm = "Potvrzení";
} // namespace TemplateMessages

} // namespace orv
