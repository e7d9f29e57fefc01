#pragma once
// What the designer window does to the template it edits, without the window: the undo
// list of named snapshots and the changed flag, inserting, deleting, moving and restyling
// elements, the clipboard, aligning to the grid, saving through the report, the closing
// question and "Nová předloha...". The window and the sheet call these and then show the
// model again.

#include "report/designer/DesignerElements.h"
#include "report/designer/EditorSettings.h"
#include "report/designer/ListVariant.h"

#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace orv {

class TOddilSestavy;
class TSestavaTyp;
class TSiReportElement;
struct TElementFont;
class TRadekFunkce;

// The names the undo list shows for recorded changes.
namespace ChangeName {
inline const char *const Insert = "vložení prvku";
inline const char *const Font = "změna písma";
inline const char *const Delete = "zrušení prvku";
inline const char *const Sections = "nastavení oddílů a skupin";
inline const char *const SectionHeight = "změna výšky oddílu";
inline const char *const Text = "změna textu";
inline const char *const Move = "posun prvku";
inline const char *const Alignment = "změna zarovnávání";
inline const char *const EditFunction = "oprava funkce";
inline const char *const AddFunction = "přidání funkce";
inline const char *const DeleteFunction = "zrušení funkce";
inline const char *const Cut = "vystřižení do úschovy";
inline const char *const Paste = "vložení z úschovy";
inline const char *const Element = "nastavení prvku";
inline const char *const Detail = "změna detailu";
inline const char *const Units = "změna měrných jednotek";
inline const char *const Arrange = "zarovnání prvků";
inline const char *const Distribute = "rozmístění prvků";
inline const char *const SameSize = "stejná velikost prvků";
} // namespace ChangeName

// Aligning several elements to the reference (the focused one): edges or centres.
enum class TAlignEdge { Left, HCentre, Right, Top, VCentre, Bottom };
// Evening out the gaps between three or more elements, keeping the outermost in place.
enum class TSpread { Horizontal, Vertical };
// Giving several elements the reference's width, height or both.
enum class TSizeMatch { Width, Height, Both };

// An element's place in the template: the section and the position in its element list.
struct TElementPlace {
    TOddilSestavy *Section = nullptr;
    int Index = -1;
    bool valid() const { return Section && Index >= 0; }
};

// The file chooser of "Uložit předlohu jako...": the chosen file or empty for cancel. Unset,
// the report generator's save dialog entry point is asked (the designer installs one).
using TSaveAsChooser = std::function<QString(const QString &startDir, const QString &current)>;
TSaveAsChooser &saveAsChooser();

class TDesignerDoc {
public:
    // The report's current template (its Predloha lines) becomes "Základní varianta".
    TDesignerDoc(TSestavaTyp &report, const TEditorSettings &settings);

    TSestavaTyp &report() const { return m_report; }
    TEditorSettings &settings() { return m_settings; }
    const TEditorSettings &settings() const { return m_settings; }
    // Takes new settings (the settings window): the undo depth follows "PocetUndo".
    void setSettings(const TEditorSettings &settings);
    TListVariant &undoList() { return m_undo; }
    const TListVariant &undoList() const { return m_undo; }

    bool changed() const { return m_changed; }
    // True once the template was saved during this session.
    bool savedOnce() const { return m_savedOnce; }

    // Records the model as it is now under the change's name; sets the changed flag.
    void record(const QString &changeName);
    // Moves through the undo list and rebuilds the model from that snapshot. False when
    // there is nothing to undo or redo.
    bool undo();
    bool redo();

    // --- elements
    TElementPlace placeOf(const TSiReportElement *e) const;
    // Every element of every section, in section and printing order.
    QList<TSiReportElement *> allElements() const;
    int elementCount() const;
    // A new element of the tool's kind and source at the point (snapped to the grid when
    // the settings say so), appended to the section and recorded. Null without a section.
    TSiReportElement *insertElement(TOddilSestavy *section, int kind, int source, QPoint at);
    // Removes the elements (asking first when the settings say so; false when the user
    // said no or there was nothing to remove) and records "zrušení prvku".
    bool deleteElements(const QList<TSiReportElement *> &elements, bool ask = true);
    // Geometry from the position panel: each given value replaces the element's. Records
    // "posun prvku" when anything changed.
    bool setGeometry(const QList<TSiReportElement *> &elements, std::optional<int> left,
                     std::optional<int> top, std::optional<int> width, std::optional<int> height);
    // One place forward (+1) or back (-1) in its section's printing order.
    bool moveInOrder(TSiReportElement *e, int step);
    // Snaps the elements' left and top to the grid; records "posun prvku".
    bool alignToGrid(const QList<TSiReportElement *> &elements);
    // Several elements (the reference among them) as one undo step each; false when
    // nothing moved. Positions never go below 0.
    bool alignElements(const QList<TSiReportElement *> &elements,
                       const TSiReportElement *reference, TAlignEdge edge);
    bool distributeElements(const QList<TSiReportElement *> &elements, TSpread direction);
    bool matchSize(const QList<TSiReportElement *> &elements, const TSiReportElement *reference,
                   TSizeMatch what);
    bool setFont(const QList<TSiReportElement *> &elements, const TElementFont &font);
    bool setAlignment(const QList<TSiReportElement *> &elements, int alignment);
    bool setText(TSiReportElement *e, const QString &text);
    // Any other attribute change of the panels: applied by the function to each element,
    // recorded as "nastavení prvku" when something differs afterwards.
    bool changeElements(const QList<TSiReportElement *> &elements,
                        const std::function<void(TSiReportElement &)> &change,
                        const QString &changeName = QString::fromUtf8(ChangeName::Element));
    bool setUnits(int unitIndex);

    // --- report functions
    // Appends the function ("přidání funkce"); its index.
    int addFunction(const TRadekFunkce &f);
    // Replaces function index ("oprava funkce"); false when nothing differs.
    bool editFunction(int index, const TRadekFunkce &f);
    // Removes function index ("zrušení funkce") and renumbers the elements that refer to
    // later functions by number. A function an element prints is not removed: false, and
    // the user is told.
    bool deleteFunction(int index);

    // --- clipboard
    // The clipboard text of the focused element and the selected elements of its section.
    static QString copyText(const TSiReportElement *focused,
                            const QList<TSiReportElement *> &selected);
    // Copies to the system clipboard; false when there was nothing to copy.
    bool copy(const TSiReportElement *focused, const QList<TSiReportElement *> &selected);
    bool cut(TSiReportElement *focused, const QList<TSiReportElement *> &selected);
    // Whether the system clipboard holds elements of the designer.
    static bool canPaste(TClipboardContent *content = nullptr);
    // Inserts the clipboard's elements relative to the point; records "vložení z úschovy".
    std::vector<TSiReportElement *> paste(TOddilSestavy *section, QPoint at);

    // --- saving and closing
    // The current snapshot becomes the report's template and is saved through the report
    // (its save event, its stored template, or the file, written to a temporary name and
    // renamed over the old one, with one .BAK copy). A failure tells "Předlohu se nepodařilo
    // uložit." and keeps everything as it was; false then.
    bool save();
    // A failure to write the file says the path and the reason and offers another place
    // (Save As). The same under a name the user chooses: a file without an extension gets
    // ".pts"; the report's folder and name become the chosen file's.
    bool saveAs();
    // Whether the designer may close: without changes at once; else the question "Uložit?"
    // with Yes (save; when saving failed, close only after a last question), No (close,
    // changes dropped), Cancel (stay).
    bool queryClose();
    // The template the report had when the designer opened, or the last one saved: the
    // report gets it back when the designer closes without saving.
    void restoreSavedTemplate();

    // "Nová předloha...": the question (only with elements), then the wizard. The wizard is
    // given the choice of lines; when it is cancelled the template and the undo list are as
    // they were. Returns true when a new template was started.
    using TWizardRunner = std::function<int(TSestavaTyp &, QStringList &lines)>;
    bool newTemplate(const TWizardRunner &wizard);

    // The snapshot of the model as the template writer gives it.
    QStringList snapshot() const;
    // Rebuilds the model from lines (undo, redo, restore).
    void loadLines(const QStringList &lines);

private:
    // After a save: the lines are what the file holds now; the undo list is trimmed unless
    // "UndoSave" keeps it.
    void markSaved(const QStringList &lines);

    TSestavaTyp &m_report;
    TEditorSettings m_settings;
    TListVariant m_undo;
    QStringList m_savedLines;
    bool m_changed = false;
    bool m_savedOnce = false;
};

} // namespace orv
