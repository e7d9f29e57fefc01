#pragma once
// The output store as a PDF 1.3 file: the fonts the pages draw embedded as TrueType subsets
// with a code-page 1250 encoding, one uncompressed content stream per page with the text
// placed where the page image places it, shapes as paths and pictures as image objects.

#include "report/model/TextLayout.h"

#include <QByteArray>
#include <QString>

class QIODevice;

namespace orv {

class TSestVystup;

// Writes every page of the store, with the title in the document information. 0, or 6
// when the stream refused the bytes.
int SavePdf(TSestVystup &store, QIODevice &stream, const QString &title = QString());

// The standard font that stands for a face with its styles ("Helvetica-Bold", ...).
QByteArray PdfBaseFont(const QString &faceName, bool bold, bool italic);

// Text in code page 1250 as the inside of a PDF string: printable ASCII as it is with
// "\", "(" and ")" escaped, the upper half as octal escapes, control bytes dropped.
QByteArray PdfStringBytes(const QString &text);

// A number with a full stop and at most `decimals` decimals, whatever the locale.
QByteArray PdfNumber(double value, int decimals = 2);

} // namespace orv
