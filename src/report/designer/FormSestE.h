#pragma once
// "Oprava předlohy tiskové sestavy": the designer window. The sheet with its bands and
// element controls, the tools of every element kind, the commands, the property panels,
// the element tree, zoom and units, the position field, and the undo list of named
// snapshots. It edits the report's model in place and saves it through the report.

#include "report/designer/DesignerDoc.h"
#include "report/designer/DesignerHost.h"

#include <QHash>
#include <QMainWindow>

#include <array>

class QAbstractButton;
class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QDockWidget;
class QEventLoop;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QSpinBox;
class QStackedWidget;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace orv {

class TDelkaEdit;
class TDesignerSheet;
class TSestavaTyp;

// The designer's commands and tools. Each action's object name is "act" and the enum's name
// ("actUndo"), so scripts and tests can find it without its Czech caption.
enum class TDesignerAction : int {
    // commands
    NewTemplate, SaveTemplate, SaveTemplateAs, DeleteElement, EditElement, Undo, Redo, Preview,
    Print, Cut, Copy, Paste, ReportSettings, EnvironmentSettings, CloseDesigner, AlignAllToGrid,
    AlignSelectedToGrid, AddFunction, DeleteFunction, EditFunction, HelpContents,
    // arranging several elements
    SelectAll, AlignLeft, AlignHCentre, AlignRight, AlignTop, AlignVCentre, AlignBottom,
    SpreadHorizontally, SpreadVertically, SameWidth, SameHeight, SameSize,
    // the tools of the element kinds
    ToolSelect, ToolField, ToolFieldLabel, ToolParameter, ToolFunction, ToolPrintDate,
    ToolPrintTime, ToolRowNumber, ToolPageNumber, ToolPageCount, ToolGroupRowNumber,
    ToolGroupNumber, ToolText, ToolLine, ToolRectangle, ToolRoundRect, ToolEllipse, ToolPicture,
    ToolBarcode, ToolPaintBox, ToolDetail,
    Count
};

QString designerActionName(TDesignerAction id);

class TFormSestE : public QMainWindow, public TDesignerHost {
    Q_OBJECT
public:
    // The settings are read from the report's settings file.
    explicit TFormSestE(TSestavaTyp &report, QWidget *parent = nullptr);
    TFormSestE(TSestavaTyp &report, const TEditorSettings &settings, QWidget *parent = nullptr);
    ~TFormSestE() override;

    // Shows the window and waits until it closes: 0 when the template was saved during the
    // session, 3 when the designer closed without saving.
    int exec();

    TDesignerDoc &doc() { return m_doc; }
    TDesignerSheet *sheet() const { return m_sheet; }
    // The command or tool; never null once the window is built.
    QAction *action(TDesignerAction id) const;

    // --- commands
    void newTemplate();
    bool saveTemplate();
    bool saveTemplateAs();
    void deleteSelected();
    void editFocusedElement();
    void undo();
    void redo();
    // Preview and print of the current snapshot over the report's data.
    void preview();
    void print();
    void cutSelected();
    void copySelected();
    // Starts a paste: the next click on a band places the clipboard's elements.
    void startPaste();
    // Places the pending clipboard content into the section at the point (template units);
    // what a click on a band does while a paste is pending.
    void pasteAt(TOddilSestavy *section, QPoint at);
    void reportSettings(int page = -1, int group = -1);
    void environmentSettings();
    void alignAllToGrid();
    void alignSelectedToGrid();
    // "Vybrat vše": every element of the focused element's band, or of the whole template
    // when none is focused.
    void selectAll();
    // Arranging the selection (one undo step each); the focused element is the reference.
    void alignSelected(int edge);          // TAlignEdge
    void distributeSelected(bool horizontal);
    void sameSizeSelected(int what);       // TSizeMatch
    void showHelp();
    // "Přidat / Upravit / Zrušit uživatelskou funkci" on the function chosen on the tab "Funkce".
    void addFunction();
    void editFunction();
    void deleteFunction();
    // Chooses a tool by kind (0 the selection tool) and, for the variable tools, source.
    void chooseTool(int kind, int source = -1);

    // --- TDesignerHost
    int toolKind() const override { return m_toolKind; }
    int toolSource() const override;
    bool pastePending() const override { return m_pastePending; }
    const TClipboardContent *clipboardContent() const override;
    double zoomFactor() const override;
    int displayUnit() const override;
    const TEditorSettings &editorSettings() const override { return m_doc.settings(); }
    void record(const QString &changeName) override;
    void showPosition(const QString &text) override;
    void showGeometry(int left, int top, int width, int height) override;
    void selectionChanged() override;
    void openElementDialog(TSiReportElement *element) override;
    void openReportSettings(int page, int group) override;
    void escapePressed() override;
    void selectionToolActivated() override;
    void insertionFinished(bool ctrlHeld) override;

    // Controls, for tests and the pictures of the documentation.
    QTabWidget *ToolTabs = nullptr;
    QComboBox *FieldCombo = nullptr, *VariableCombo = nullptr, *FunctionCombo = nullptr,
              *GraphicCombo = nullptr, *DetailCombo = nullptr;
    QComboBox *ZoomCombo = nullptr, *UnitsCombo = nullptr;
    QLabel *PositionField = nullptr;
    TDelkaEdit *PosLeft = nullptr, *PosTop = nullptr, *PosWidth = nullptr, *PosHeight = nullptr;
    QToolButton *ForwardBtn = nullptr, *BackwardBtn = nullptr;
    QStackedWidget *Panels = nullptr;
    // Text
    QToolButton *FontBtn = nullptr;
    QToolButton *FrameBtn[4] = {};
    QToolButton *AlignBtn[3] = {};
    QLineEdit *TextEdit = nullptr;
    QCheckBox *MemoJustify = nullptr, *MemoVariable = nullptr;
    // Lines
    QToolButton *LineBtn[7] = {};
    QComboBox *LineColor = nullptr, *LineStyle = nullptr;
    QSpinBox *LineWidth = nullptr;
    // Rectangles and ellipses
    QComboBox *FillColor = nullptr, *FillStyle = nullptr, *BorderColor = nullptr;
    QSpinBox *BorderWidth = nullptr;
    // Pictures
    QComboBox *PictureFile = nullptr;
    QCheckBox *PicStretch = nullptr, *PicAspect = nullptr, *PicChange = nullptr;
    // Barcodes
    QComboBox *CodeType = nullptr, *CodeModule = nullptr;
    QCheckBox *CodeCheck = nullptr, *CodeText = nullptr;
    QLineEdit *CodeContent = nullptr;
    // Drawing area
    QSpinBox *BoxIndex = nullptr, *BoxZoom = nullptr;
    QTreeWidget *Tree = nullptr;
    QDockWidget *TreeDock = nullptr;

    enum PanelPage { ppNone = 0, ppText, ppLine, ppShape, ppPicture, ppBarcode, ppBox };

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void init();
    void buildActions();
    // Names the action after its id and keeps it under that id.
    void keep(TDesignerAction id, QAction *a);
    void addCommandActions();
    void addToolActions();
    void buildMenus();
    void buildToolTabs();
    QWidget *buildPositionPanel();
    // The property panels, one page per element kind, and the wiring of their controls.
    void buildPanels();
    QHBoxLayout *addPanelPage();
    void buildTextPanel(QHBoxLayout *h);
    void buildLinePanel(QHBoxLayout *h);
    void buildShapePanel(QHBoxLayout *h);
    void buildPicturePanel(QHBoxLayout *h);
    void buildBarcodePanel(QHBoxLayout *h);
    void buildBoxPanel(QHBoxLayout *h);
    // A panel control that sets a flag bit, a number, a list choice or the pen colour of
    // every selected element its kind filter accepts.
    void connectFlag(QAbstractButton *button, bool (*kindFilter)(int), int bit);
    void connectNumber(QSpinBox *box, bool (*kindFilter)(int), int TSiReportElement::*field);
    void connectChoice(QComboBox *box, bool (*kindFilter)(int), int TSiReportElement::*field);
    void connectPenColor(QComboBox *box, bool (*kindFilter)(int));
    void fillSourceCombos();
    void fillPictureFiles();
    void applySettings();
    void afterModelReplaced();
    void afterElementsChanged(const QList<TSiReportElement *> &elements);
    void updateActions();
    void updatePanels();
    void updateTitle();
    void rebuildTree();
    void treeItemActivated(QTreeWidgetItem *item, bool open);
    void applyPosition(TDelkaEdit *edit);
    void chooseFont();
    QList<TSiReportElement *> targets(bool (*kindFilter)(int)) const;
    void applyToTargets(bool (*kindFilter)(int), const std::function<void(TSiReportElement &)> &f,
                        const QString &changeName);
    bool runCurrent(bool forPrint);
    void zoomChosen(int step);
    void unitChosen(int unit);
    void setPanelValue(const std::function<void()> &fill);

    TSestavaTyp &m_report;
    TDesignerDoc m_doc;
    TDesignerSheet *m_sheet = nullptr;
    std::array<QAction *, size_t(TDesignerAction::Count)> m_actionById{};
    QActionGroup *m_toolGroup = nullptr;
    QHash<QAction *, int> m_toolKinds;
    QHash<QAction *, int> m_toolSources;   // fixed sources (variables)
    int m_toolKind = 0;
    int m_fixedSource = -1;
    bool m_pastePending = false;
    TClipboardContent m_clip;
    int m_zoomStep = 6;
    bool m_filling = false;   // panels being filled: their signals change nothing
    bool m_closing = false;
    QEventLoop *m_loop = nullptr;
    QList<TSiReportElement *> m_treeElements;
    QWidget *m_viewBox = nullptr;
};

// Plugs the designer into the report component's edit operations (Edit, EditAt, EditIn).
void InstallDesigner();

} // namespace orv
