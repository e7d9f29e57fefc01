#include "report/model/PageSetup.h"

namespace orv {

void TPageSetup::setOrientationCode(int code)
{
    if (code < 0)
        code = 0;
    Orientation = code & 1;
    KeepPrinterOrientation = (code & 2) != 0;
}

} // namespace orv
