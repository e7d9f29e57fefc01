#pragma once
// The left pane of the main window: the quick find ("  Rychlé hledání v obsahu") above the
// contents tree ("  Obsah"). Both end in one request: open the card of the chosen material
// (openCardRequested). The pane owns the five actions of the category "Hledání v obsahu"
// with their captions, hints, shortcuts and enabling rules; the main window gives them their
// images and places them in its menus and toolbars.
//
// Embedding: put the pane at the left of a horizontal splitter (it refuses widths of 256
// pixels and less through its minimum width; acceptsWidth() says the same), connect
// openCardRequested to the card opener, keep findText() and notesFilterAction()->isChecked()
// with the window settings, and hand the tree's context menu to setTreeContextMenu().
// The start-up position (the three material locates and the first chapter) is taken by the
// constructor, as soon as the tree is loaded.

#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>

#include <functional>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSplitter;
class QTableView;
class QTreeView;

namespace orv::db {
class DataSet;
class DataSetModel;
class MainDataModule;
} // namespace orv::db

namespace orv::browse {

class ContentsTreeModel;

class ContentsPane : public QWidget {
    Q_OBJECT
public:
    explicit ContentsPane(db::MainDataModule &data, QWidget *parent = nullptr);
    ~ContentsPane() override;

    static constexpr int defaultWidth() { return 265; }
    static constexpr int quickFindHeight() { return 215; }
    // The splitter beside the pane accepts a new width only above 256 pixels.
    static constexpr bool acceptsWidth(int width) { return width > 256; }
    QSize sizeHint() const override;

    // ---- actions (category "Hledání v obsahu"); enabling rules run when the interface is idle
    QAction *findMaterialAction() const { return m_findAction; }
    QAction *showMaterialAction() const { return m_showAction; }
    QAction *notesFilterAction() const { return m_notesAction; }  // checkable: filter on
    QAction *expandChapterAction() const { return m_expandAction; }
    QAction *collapseChapterAction() const { return m_collapseAction; }

    // ---- controls
    QLineEdit *findBox() const { return m_findBox; }
    QPushButton *findButton() const { return m_findButton; }
    QPushButton *showButton() const { return m_showButton; }
    QTableView *resultsGrid() const { return m_grid; }
    QTreeView *tree() const { return m_tree; }
    QLabel *statusLabel() const { return m_status; }
    QLabel *foundLabel() const { return m_foundLabel; }
    ContentsTreeModel *treeModel() const { return m_model; }

    QString findText() const;
    void setFindText(const QString &text);
    bool notesFilterOn() const { return m_notesFilter; }

    // The tree's context menu (built by the main window: notes filter, expand, collapse and
    // the own-material actions). The pane does not own it.
    void setTreeContextMenu(QMenu *menu);
    // Further controls that work on the quick-find results for Show material (the search
    // window's kind-of-metal list).
    void addMaterialFindControl(QWidget *control);

    // The control the user works in: the focus widget, or the last one before a menu opened.
    QWidget *focusedControl() const;

    // What Show material would open when `focused` has the focus: material number (0: none)
    // and title.
    struct Material {
        int number = 0;
        QString title;
    };
    Material materialFor(const QWidget *focused) const;

    // Enabling rules of Expand chapter and Collapse chapter for a given focused control.
    bool canExpandChapter(const QWidget *focused) const;
    bool canCollapseChapter(const QWidget *focused) const;
    bool canExpandChapter() const { return canExpandChapter(focusedControl()); }
    bool canCollapseChapter() const { return canCollapseChapter(focusedControl()); }

    // The identifier of the selected tree node ("" when none).
    QString selectedId() const;
    // Selects the node with this identifier (expanding its chapters); false when not shown.
    bool selectNode(const QString &id);
    // Reads the tree again (other users' own materials and notes) and selects the node that
    // was selected, when it is still there. A database error propagates; the tree then keeps
    // what it showed.
    void reloadTree();

    // Shows an information message; by default the standard Czech dialog. Tests replace it.
    std::function<void(const QString &text)> informationMessage;

public slots:
    // Quick find: lists the materials whose designation contains the find box's text.
    void findMaterial();
    // Opens the card of the material the user works on (decided by the focused control).
    void showMaterial();
    void showMaterialFor(const QWidget *focused);
    // Notes filter. `fromUser` false: the request comes from the main window itself (reset
    // to standard settings), which gets no message when there are no notes.
    void toggleNotesFilter(bool fromUser = true);
    // Sets the filter to `on` (toggles only when it differs).
    void setNotesFilter(bool on, bool fromUser = false);
    void expandChapter();
    void collapseChapter();
    // The start-up position: locates materials 9000, 7562 and 15535, then the first chapter.
    void showStartPosition();

signals:
    void openCardRequested(int materialNo, const QString &title);
    void notesFilterChanged(bool on);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    QWidget *buildQuickFind();
    void buildFindGrid();
    QWidget *buildContentsTree();
    void buildActions();
    void layOutQuickFind();
    void treeQueryReset();
    void treeQueryMoved(int row);
    void nodeSelected(int node);
    void selectNodeIndex(int node);
    void showInformation(const QString &text);

    db::MainDataModule &m_data;
    db::DataSet &m_dbTree;
    db::DataSet &m_matFind;

    QWidget *m_findPanel = nullptr; // inner panel of the quick find
    QLineEdit *m_findBox = nullptr;
    QPushButton *m_findButton = nullptr;
    QPushButton *m_showButton = nullptr;
    QTableView *m_grid = nullptr;
    db::DataSetModel *m_gridModel = nullptr;
    QLabel *m_goLabel = nullptr;
    QLabel *m_containsLabel = nullptr;
    QLabel *m_foundLabel = nullptr;
    QLabel *m_status = nullptr;
    QTreeView *m_tree = nullptr;
    ContentsTreeModel *m_model = nullptr;
    QSplitter *m_split = nullptr;
    QPointer<QMenu> m_treeMenu;

    QAction *m_findAction = nullptr;
    QAction *m_showAction = nullptr;
    QAction *m_notesAction = nullptr;
    QAction *m_expandAction = nullptr;
    QAction *m_collapseAction = nullptr;

    QList<QPointer<QWidget>> m_extraFindControls;
    QPointer<QWidget> m_lastFocus;
    bool m_notesFilter = false;
    bool m_syncing = false;
};

} // namespace orv::browse
