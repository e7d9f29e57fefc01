#pragma once
// PDF material sheets and diagram files of the demo catalogue, written from the sources:
// "<PdfFile>.pdf" for every material with a sheet and "<PdfFile> D.pdf" for those whose
// values can be drawn (a property over temperature or over the dimension range).
// Needs a QGuiApplication (fonts).

#include "CatalogueSource.h"

namespace orv::catalogue {

struct PdfSummary {
    int sheets = 0;
    int diagrams = 0;
};

PdfSummary writePdfSheets(const CatalogueSource &src, const QString &pdfFolder);

} // namespace orv::catalogue
