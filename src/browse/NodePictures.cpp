#include "browse/NodePictures.h"

#include "db/Schema.h"
#include "ui/SvgPicture.h"

#include <array>
#include <iterator>

namespace orv::browse {

// A material's node is stored with this picture.
static_assert(Sheet == db::materialNodeImage);

namespace {

// The picture files (src/ui/icons) in picture order.
const char *const pictureNames[] = {
    "tree-closed-book",
    "tree-open-book",
    "tree-closed-folder",
    "tree-open-folder",
    "tree-sheet",
    "tree-highlighted-sheet",
    "tree-grey-sheet",
    "tree-crossed-sheet",
};
static_assert(std::size(pictureNames) == NodePictureCount, "one picture for every node picture");

} // namespace

QPixmap nodePixmap(int picture)
{
    if (picture < 0 || picture >= NodePictureCount)
        return QPixmap();
    return ui::svgPicture(QLatin1String(pictureNames[picture]), 16);
}

QIcon nodeIcon(int picture)
{
    if (picture < 0 || picture >= NodePictureCount)
        return QIcon();
    static std::array<QIcon, NodePictureCount> cache;
    QIcon &icon = cache[size_t(picture)];
    if (icon.isNull())
        icon = QIcon(nodePixmap(picture));
    return icon;
}

} // namespace orv::browse
