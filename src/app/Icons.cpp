#include "app/Icons.h"

#include "ui/SvgPicture.h"

#include <QHash>

#include <iterator>

namespace orv::app {

namespace {

// The picture files (src/ui/icons) in image-list order.
const char *const pictureNames[] = {
    "note-add",
    "note-edit",
    "note-delete",
    "material-find",
    "material-show",
    "notes-filter",
    "chapter-expand",
    "chapter-collapse",
    "options",
    "home-page",
    "help",
    "send-mail",
    "help-topic",
    "customer-service",
    "about",
    "standards-info",
    "own-edit",
    "own-new",
    "own-delete",
    "copy-to-own",
    "print",
    "search-find",
    "search-show",
    "search-add",
    "search-delete",
    "search-change",
    "search-load-all",
    "search-delete-all",
    "search-select",
    "search-standard",
};
static_assert(std::size(pictureNames) == mainImageCount, "one picture for every image-list number");

} // namespace

QIcon mainImage(int index)
{
    if (index < 0 || index >= mainImageCount)
        return {};
    static QHash<int, QIcon> cache;
    if (auto it = cache.constFind(index); it != cache.constEnd())
        return it.value();
    // Drawn at every size a toolbar, menu or button asks for, so that none is scaled.
    QIcon icon;
    for (int size : {16, 20, 24, 32, 48})
        icon.addPixmap(ui::svgPicture(QLatin1String(pictureNames[index]), size));
    cache.insert(index, icon);
    return icon;
}

} // namespace orv::app
