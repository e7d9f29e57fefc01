#pragma once
// One page of the output store as an HTML file in code page 1250: every item an absolutely
// positioned block, one pixel per hundredth of an inch from the printable corner; pictures
// as bitmap files and barcodes as SVG drawings beside the HTML file.

#include <QByteArray>
#include <QString>

class QIODevice;

namespace orv {

class TSestVystup;

// Writes page pageIndex (from 0). Picture files go to folder under names made from
// baseName: its extension replaced by the item's number on the page and ".bmp". 0; 6 when
// the stream or a picture file could not be written; 8 for a page that does not exist.
int SaveHtml(TSestVystup &store, QIODevice &stream, const QString &folder, int pageIndex,
             const QString &baseName);

// The picture file name of the n-th item (from 1) for the base name: plan.bmp, 4 -> plan4.bmp.
QString HtmlPictureName(const QString &baseName, int n);
// The same for a barcode, drawn as SVG: plan.bmp, 4 -> plan4.svg.
QString HtmlBarcodeName(const QString &baseName, int n);

// The page that leads to the pages of a report: its title and a link to each page file
// (names relative to the index), "Strana 1", "Strana 2", ...
QByteArray HtmlIndexPage(const QString &title, const QStringList &pageFiles);

// Text as HTML in code page 1250: "<", ">" and "&" as references, characters the code page
// lacks as numeric references, control characters dropped.
QByteArray HtmlText(const QString &text);

} // namespace orv
