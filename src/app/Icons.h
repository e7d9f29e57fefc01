#pragma once
// The main window's pictures, SVG files in src/ui/icons drawn at each toolbar size. The
// numbering is that of the main window's image list: the actions refer to their picture by
// that number.

#include <QIcon>

namespace orv::app {

enum class MainImage {
    AddNote = 0,
    EditNote,
    DeleteNote,
    FindMaterial,
    ShowMaterial,
    NotesFilter,
    ExpandChapter,
    CollapseChapter,
    Options,
    HomePage,
    Help,
    SendMail,
    HelpTopic,
    CustomerService,
    About,
    StandardsInfo,
    EditOwnMaterial,
    NewOwnMaterial,
    DeleteOwnMaterial,
    CopyToOwn,
    Print,
    // The search window's buttons on the "Hledání" toolbar.
    SearchFind,
    SearchShow,
    SearchAdd,
    SearchDelete,
    SearchChange,
    SearchLoadAll,
    SearchDeleteAll,
    SearchSelect,
    SearchStandard,
};

constexpr int mainImageCount = 30;
// The numbers run on from 0 in the order above: a picture added anywhere but at the end
// would renumber the actions' pictures.
static_assert(int(MainImage::Print) == 20 && int(MainImage::SearchStandard) == mainImageCount - 1);

// The picture with image-list number `index`; a null icon for an unknown number.
QIcon mainImage(int index);
inline QIcon mainImage(MainImage image) { return mainImage(int(image)); }

} // namespace orv::app
