#include "report/model/PageSetup.h"

namespace orv {

void TPageSetup::setOrientationCode(int code)
{
    if (code < 0)
        code = 0;
    Orientation = code & 1;
    KeepPrinterOrientation = (code & 2) != 0;
}

namespace {
TPageSetup *g_inForce = nullptr;
} // namespace

TPageSetup &defaultPageSetup()
{
    static TPageSetup setup;
    return setup;
}

TPageSetup &pageSetup()
{
    return g_inForce ? *g_inForce : defaultPageSetup();
}

bool pageSetupScoped()
{
    return g_inForce != nullptr;
}

TPageSetupScope::TPageSetupScope(TPageSetup &setup) : m_previous(g_inForce)
{
    g_inForce = &setup;
}

TPageSetupScope::~TPageSetupScope()
{
    g_inForce = m_previous;
}

} // namespace orv
