#pragma once
// The one entry through which output items draw barcodes.

#include <QRect>
#include <QString>

namespace orv {

class TTolvaCanvas;

// Draws the code with its top-left corner at rect's top-left corner, the bars as high as
// rect. symbology is the index into the barcode type list, module the width of the
// narrowest bar in device units (1..128), angle the rotation in degrees. The canvas's
// font, pen and brush are left as they were.
void DrawBarcode(TTolvaCanvas &canvas, const QRect &rect, int symbology, const QString &data,
                 bool showText, bool checkDigit, int angle, int module);

} // namespace orv
