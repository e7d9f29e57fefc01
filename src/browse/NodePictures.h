#pragma once
// The eight 16 x 16 pictures of the contents tree, in the order the ImageIndex column counts
// them: 0 closed book, 1 open book, 2 closed folder, 3 open folder, 4 sheet, 5 highlighted
// sheet, 6 grey sheet, 7 crossed sheet. A node shows its picture and, while selected, the
// next one. SVG files in src/ui/icons ("tree-*"), the program's own so that they look alike
// on every platform.

#include <QIcon>
#include <QPixmap>

namespace orv::browse {

enum NodePicture {
    ClosedBook = 0,
    OpenBook = 1,
    ClosedFolder = 2,
    OpenFolder = 3,
    Sheet = 4,
    HighlightedSheet = 5,
    GreySheet = 6,
    CrossedSheet = 7,
    NodePictureCount = 8
};

// The picture as a 16 x 16 pixmap; a null pixmap outside 0..7.
QPixmap nodePixmap(int picture);
// The same as an icon (cached); a null icon outside 0..7.
QIcon nodeIcon(int picture);

} // namespace orv::browse
