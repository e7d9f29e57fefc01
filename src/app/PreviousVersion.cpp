#include "app/PreviousVersion.h"

#include "core/Registry.h"

#include <QFileInfo>

namespace orv::app {

bool previousVersionPresent(const Registry &userRoot, const QString &oldCatalogueFile)
{
    if (userRoot.keyExists(previousVersionKey()))
        return true;
    return QFileInfo(oldCatalogueFile).isFile();
}

bool shouldOfferUpgrade(bool previousPresent, const QVariant &upgradeFlag)
{
    if (!previousPresent)
        return false;
    if (upgradeFlag.isNull())
        return true;
    const QString text = upgradeFlag.toString().trimmed();
    return text.isEmpty() || text.toInt() == 0;
}

} // namespace orv::app
