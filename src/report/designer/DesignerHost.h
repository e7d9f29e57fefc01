#pragma once
// What the designer sheet asks of the window around it and tells it. The window implements
// this interface; the sheet never includes the window, so it can be driven on its own.

#include <QString>

namespace orv {

class TSiReportElement;
struct TClipboardContent;
struct TEditorSettings;

class TDesignerHost {
public:
    virtual ~TDesignerHost() = default;

    // --- asked by the sheet
    // The current tool: 0 for the selection tool "Výběr prvku", otherwise the element kind
    // a click inserts, with its source (field, variable, function, picture or detail number).
    virtual int toolKind() const = 0;
    virtual int toolSource() const = 0;
    // Whether a paste waits for a click, and what it pastes (null when nothing can be pasted).
    virtual bool pastePending() const = 0;
    virtual const TClipboardContent *clipboardContent() const = 0;
    // Pixels per hundredth of an inch (1.0 at "100 %").
    virtual double zoomFactor() const = 0;
    // Display unit 0..4 ("0,01 inch", "0,1 mm", "0,1 pica", "1 point", "10 twips").
    virtual int displayUnit() const = 0;
    virtual const TEditorSettings &editorSettings() const = 0;

    // --- told by the sheet
    // A finished change of the template under that name ("posun prvku", "vložení prvku",
    // "vložení z úschovy", "změna výšky oddílu"); the window snapshots it for undo.
    virtual void record(const QString &changeName) = 0;
    // The position field: the mouse position already formatted in the display unit, or ""
    // to clear it.
    virtual void showPosition(const QString &text) = 0;
    // The focused element's rectangle in hundredths of an inch, for the position and size
    // fields (the window converts them to the display unit).
    virtual void showGeometry(int left, int top, int width, int height) = 0;
    // The focus or the set of selected elements changed.
    virtual void selectionChanged() = 0;
    // Double click on an element: the element dialog.
    virtual void openElementDialog(TSiReportElement *element) = 0;
    // Double click on a band: the report settings dialog on page 0 "Oddíly", or on page 1
    // "Skupiny" with the group of that position selected (group -1 with page 0).
    virtual void openReportSettings(int page, int group) = 0;
    // Esc on the sheet: back to the selection tool, or the selection cleared. It never
    // closes the designer: a stray Esc must not put an author's work in question.
    virtual void escapePressed() = 0;
    // The selection tool became active because the user pressed on an element or a band's
    // height grip (the window checks its tool button).
    virtual void selectionToolActivated() = 0;
    // A click placed the tool's element or the pasted elements. Without Ctrl the window
    // returns to the selection tool and ends the pending paste; with Ctrl it keeps the tool
    // and moves the field (or function) list to its next entry.
    virtual void insertionFinished(bool ctrlHeld) = 0;
};

} // namespace orv
