#pragma once
// Whether to offer the carry-over of the previous version's user data at start-up.

#include <QString>
#include <QVariant>

namespace orv {
class Registry;
}

namespace orv::app {

// The previous version is present when its key stands directly below the user root, or,
// failing that, when its catalogue file exists.
bool previousVersionPresent(const Registry &userRoot, const QString &oldCatalogueFile);

// Offer the wizard when the previous version is present and the flag is 0 or empty.
bool shouldOfferUpgrade(bool previousPresent, const QVariant &upgradeFlag);

} // namespace orv::app
