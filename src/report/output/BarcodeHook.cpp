// Placeholder for the barcode encoder: draws nothing until the symbologies are in.
#include "report/output/Barcode.h"

namespace orv {

void DrawBarcode(TTolvaCanvas &, const QRect &, int, const QString &, bool, bool, int, int)
{
}

} // namespace orv
