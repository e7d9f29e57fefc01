#pragma once
// The main window's pictures, SVG files in src/ui/icons drawn at each toolbar size. The
// numbering is that of the main window's image list: the actions refer to their picture by
// that number.

#include <QIcon>

namespace orv::app {

enum class MainImage {
    AddNote = 0,
    EditNote = 1,
    DeleteNote = 2,
    FindMaterial = 3,
    ShowMaterial = 4,
    NotesFilter = 5,
    ExpandChapter = 6,
    CollapseChapter = 7,
    Options = 8,
    HomePage = 9,
    Help = 10,
    SendMail = 11,
    HelpTopic = 12,
    CustomerService = 13,
    About = 14,
    StandardsInfo = 15,
    EditOwnMaterial = 16,
    NewOwnMaterial = 17,
    DeleteOwnMaterial = 18,
    CopyToOwn = 19,
    Print = 20,
    // The search window's buttons on the "Hledání" toolbar.
    SearchFind = 21,
    SearchShow = 22,
    SearchAdd = 23,
    SearchDelete = 24,
    SearchChange = 25,
    SearchLoadAll = 26,
    SearchDeleteAll = 27,
    SearchSelect = 28,
    SearchStandard = 29,
};

constexpr int mainImageCount = 30;

// The picture with image-list number `index`; a null icon for an unknown number.
QIcon mainImage(int index);
inline QIcon mainImage(MainImage image) { return mainImage(int(image)); }

} // namespace orv::app
