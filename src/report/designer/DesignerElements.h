#pragma once
// What the designer does to elements apart from showing them: the element a tool inserts,
// the clipboard text of copied elements and pasting it back, and snapping to the grid.

#include "report/model/ReportElement.h"

#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace orv {

class TOddilSestavy;
class TSestavaTyp;
struct TEditorSettings;

// The element a tool of that kind inserts at the point, with the defaults of new elements.
// source: the field, variable, function, picture or detail number of the tool's tab.
std::unique_ptr<TSiReportElement> newDesignerElement(TSestavaTyp &report,
                                                     const TEditorSettings &settings, int kind,
                                                     int source, QPoint at);

// The clipboard text of a copy: "TolvaEditor", the focused element's left and top, its index
// among the element lines (or -1), then one element line (section key "X") per element.
QString clipboardText(const TSiReportElement *focused,
                      const QList<const TSiReportElement *> &elements);

struct TClipboardContent {
    int Left = 0;
    int Top = 0;
    int FocusIndex = -1;
    QStringList ElementLines;
};
// Whether the text can be pasted: at least four lines, the first "TolvaEditor".
bool parseClipboardText(const QString &text, TClipboardContent &content);
// Appends the elements to the section, placed relative to the point as they were to the
// focused element; returns them in clipboard order.
std::vector<TSiReportElement *> pasteElements(TSestavaTyp &report, TOddilSestavy *section,
                                              const TClipboardContent &content, QPoint at);

// The value rounded to the nearest multiple of the step (a step below 1 counts as 8).
int snapToGrid(int value, int step);

} // namespace orv
