#include "browse/ContentsPane.h"

#include "browse/BrowseSql.h"
#include "browse/ContentsTree.h"
#include "browse/ContentsTreeModel.h"
#include "core/Utf8.h"
#include "db/DataSet.h"
#include "db/DataSetModel.h"
#include "db/DbError.h"
#include "db/MainDataModule.h"
#include "ui/ActionUpdater.h"
#include "ui/BusyCursor.h"
#include "ui/MessageDialog.h"

#include <QAction>
#include <QApplication>
#include <QDebug>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QSplitter>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>

#include <exception>

namespace orv::browse {

namespace {

const char *const kTreeHint = "Zobrazit vybraný materiál dvojitým kliknutím myši";
const char *const kGridHint = "Zobrazit materiál nalezený v obsahu dvojitým kliknutím myši";
const char *const kNoMatch = "Bohužel nebyl nalezen žádný odpovídající materiál.";
const char *const kNoNotes = "Žádný materiál neobsahuje uživatelskou poznámku.\r\rV obsahu budou zobrazeny všechny materiály.";
// Stands right after "  Obsah" in the bar, so it brings its own space: "Obsah – pouze ...".
const char *const kNotesStatus = " – pouze materiály s poznámkou";

// A header bar: bold white text on the highlight colour.
QLabel *barLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    label->setAutoFillBackground(true);
    QPalette pal = label->palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(pal);
    label->setContentsMargins(0, 2, 0, 2);
    return label;
}

QString errorText(const std::exception &e)
{
    if (auto *db = dynamic_cast<const db::DbError *>(&e))
        return db->text();
    if (auto *user = dynamic_cast<const db::UserError *>(&e))
        return user->message();
    return QString::fromLocal8Bit(e.what());
}

void showError(const std::exception &e)
{
    ui::message(errorText(e), ui::MsgType::Error, ui::MsgButton::OK);
}

} // namespace

ContentsPane::ContentsPane(db::MainDataModule &data, QWidget *parent)
    : QWidget(parent), m_data(data), m_dbTree(data.qDbTree), m_matFind(data.qMatFind)
{
    informationMessage = [](const QString &text) {
        ui::message(text, ui::MsgType::Information, ui::MsgButton::OK);
    };
    m_notesFilter = notesFilterLinesOn(m_dbTree.sql());
    buildControls();
    buildActions();

    connect(&m_dbTree, &db::DataSet::rowsReset, this, [this] { treeQueryReset(); });
    connect(&m_dbTree, &db::DataSet::rowInserted, this, [this](int) { treeQueryReset(); });
    connect(&m_dbTree, &db::DataSet::rowRemoved, this, [this](int) { treeQueryReset(); });
    connect(&m_dbTree, &db::DataSet::rowChanged, this, [this](int) {
        if (!m_dbTree.isEditing())
            treeQueryReset();
    });
    connect(&m_dbTree, &db::DataSet::currentRowChanged, this, [this](int row) { treeQueryMoved(row); });

    m_lastFocus = QApplication::focusWidget();
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now && !qobject_cast<QMenu *>(now))
            m_lastFocus = now;
    });

    treeQueryReset();
    showStartPosition();
}

ContentsPane::~ContentsPane()
{
    // The actions go with the pane; their rules must not outlive it.
    for (QAction *a : {m_findAction, m_showAction, m_notesAction, m_expandAction, m_collapseAction})
        ui::ActionUpdater::instance().remove(a);
}

QSize ContentsPane::sizeHint() const
{
    return QSize(defaultWidth(), 480);
}

void ContentsPane::buildControls()
{
    setObjectName(QStringLiteral("ContentsPane"));
    setMinimumWidth(257); // the splitter accepts only widths above 256
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    m_split = new QSplitter(Qt::Vertical, this);
    m_split->setChildrenCollapsible(false);
    outer->addWidget(m_split);

    QWidget *upper = buildQuickFind();
    QWidget *lower = buildContentsTree();
    m_split->addWidget(upper);
    m_split->addWidget(lower);
    m_split->setStretchFactor(0, 0);
    m_split->setStretchFactor(1, 1);
    m_split->setSizes({quickFindHeight(), 10000});
    resize(defaultWidth(), 600);
    layOutQuickFind();
}

// Upper part: the quick find.
QWidget *ContentsPane::buildQuickFind()
{
    auto *upper = new QWidget(m_split);
    upper->setObjectName(QStringLiteral("pnlQuickFind"));
    auto *upperLayout = new QVBoxLayout(upper);
    upperLayout->setContentsMargins(0, 0, 0, 0);
    upperLayout->setSpacing(0);
    upperLayout->addWidget(barLabel(u8("  Rychlé hledání v obsahu"), upper));
    m_findPanel = new QWidget(upper);
    m_findPanel->setObjectName(QStringLiteral("pnlFindInner"));
    m_findPanel->setMinimumHeight(150);
    upperLayout->addWidget(m_findPanel, 1);

    m_goLabel = new QLabel(u8("Jdi v obsahu na:"), m_findPanel);
    m_containsLabel = new QLabel(u8("musí v názvu obsahovat"), m_findPanel);
    m_containsLabel->setWordWrap(true);
    m_containsLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_foundLabel = new QLabel(u8("Nalezený materiál"), m_findPanel);

    m_findBox = new QLineEdit(m_findPanel);
    m_findBox->setObjectName(QStringLiteral("reFind"));
    m_findBox->setAlignment(Qt::AlignCenter);
    {
        QFont f = m_findBox->font();
        f.setBold(true);
        f.setPixelSize(16);
        m_findBox->setFont(f);
    }
    // Enter runs the find button's handler; it never breaks the line.
    connect(m_findBox, &QLineEdit::returnPressed, this, &ContentsPane::findMaterial);

    m_findButton = new QPushButton(u8("&Hledat materiál"), m_findPanel);
    m_findButton->setObjectName(QStringLiteral("btnFind"));
    m_showButton = new QPushButton(u8("&Zobrazit materiál"), m_findPanel);
    m_showButton->setObjectName(QStringLiteral("btnShow"));

    buildFindGrid();
    m_findPanel->installEventFilter(this);
    return upper;
}

// The quick find's result grid follows the find query's current row and the query the grid.
void ContentsPane::buildFindGrid()
{
    m_grid = new QTableView(m_findPanel);
    m_grid->setObjectName(QStringLiteral("grdFind"));
    m_gridModel = new db::DataSetModel(&m_matFind, m_grid);
    m_grid->setModel(m_gridModel);
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 4);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setShowGrid(false);
    m_grid->setToolTip(u8(kGridHint));
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid() && current.row() != m_matFind.recNo())
                    m_gridModel->setCurrentRow(current.row());
            });
    connect(m_gridModel, &db::DataSetModel::currentRowChanged, this, [this](int row) {
        if (row < 0 || row >= m_gridModel->rowCount())
            return;
        const QModelIndex i = m_gridModel->index(row, 0);
        if (m_grid->currentIndex() != i)
            m_grid->setCurrentIndex(i);
        m_grid->scrollTo(i);
    });
    connect(m_grid, &QAbstractItemView::doubleClicked, this, [this] { showMaterialFor(m_grid); });
}

// Lower part: the contents tree under its bar with the filter status.
QWidget *ContentsPane::buildContentsTree()
{
    auto *lower = new QWidget(m_split);
    lower->setObjectName(QStringLiteral("pnlContents"));
    auto *lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->setSpacing(0);
    auto *bar = new QWidget(lower);
    auto *barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(0, 0, 0, 0);
    barLayout->setSpacing(0);
    QLabel *title = barLabel(u8("  Obsah"), bar);
    m_status = barLabel(QString(), bar);
    m_status->setObjectName(QStringLiteral("lblContentsStatus"));
    m_status->setText(m_notesFilter ? u8(kNotesStatus) : QString());
    barLayout->addWidget(title);
    barLayout->addWidget(m_status, 1);
    lowerLayout->addWidget(bar);

    m_tree = new QTreeView(lower);
    m_tree->setObjectName(QStringLiteral("tvContents"));
    m_model = new ContentsTreeModel(m_tree);
    m_tree->setModel(m_model);
    m_tree->setHeaderHidden(true);
    m_tree->setIndentation(19);
    m_tree->setUniformRowHeights(true);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setToolTip(u8(kTreeHint));
    {
        // The selection stays visible while the tree does not have the focus.
        QPalette pal = m_tree->palette();
        pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
        pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
        m_tree->setPalette(pal);
    }
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_tree, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        if (m_treeMenu)
            m_treeMenu->exec(m_tree->viewport()->mapToGlobal(pos));
    });
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { nodeSelected(m_model->nodeOf(current)); });
    connect(m_tree, &QAbstractItemView::doubleClicked, this, [this] { showMaterialFor(m_tree); });
    lowerLayout->addWidget(m_tree, 1);
    return lower;
}

void ContentsPane::buildActions()
{
    const QString category = u8("Hledání v obsahu");
    auto make = [&](const char *name, const char *caption, const char *hint, const QKeySequence &key) {
        auto *a = new QAction(u8(caption), this);
        a->setObjectName(QString::fromLatin1(name));
        a->setToolTip(u8(hint));
        a->setStatusTip(u8(hint));
        a->setShortcut(key);
        a->setProperty("category", category);
        addAction(a);
        return a;
    };
    m_findAction = make("aFindMaterial", "&Hledat materiál", "Najít materiál v obsahu ...", QKeySequence(Qt::CTRL | Qt::Key_F));
    m_showAction = make("aShowMaterial", "&Zobrazit materiál", "Zobrazit materiál nalezený v obsahu ...", QKeySequence(Qt::CTRL | Qt::Key_M));
    m_notesAction = make("aNotesFilter", "V obsahu pouze mat. s poznámkou",
                         "Zobrazit v obsahu pouze materiál s uživatelskou poznámkou...", QKeySequence());
    m_expandAction = make("aExpandChapter", "Rozbalit kapitolu", "Zobrazit všechny podkapitoly a materiály...", QKeySequence());
    m_collapseAction = make("aCollapseChapter", "&Sbalit kapitolu", "Skrýt všechny podkapitoly a materiály", QKeySequence());
    m_notesAction->setCheckable(true);
    m_notesAction->setChecked(m_notesFilter);

    connect(m_findAction, &QAction::triggered, this, &ContentsPane::findMaterial);
    connect(m_showAction, &QAction::triggered, this, &ContentsPane::showMaterial);
    connect(m_notesAction, &QAction::triggered, this, [this] { toggleNotesFilter(true); });
    connect(m_expandAction, &QAction::triggered, this, &ContentsPane::expandChapter);
    connect(m_collapseAction, &QAction::triggered, this, &ContentsPane::collapseChapter);

    // The buttons stand for their actions.
    connect(m_findButton, &QPushButton::clicked, m_findAction, &QAction::trigger);
    connect(m_showButton, &QPushButton::clicked, m_showAction, &QAction::trigger);
    auto follow = [](QAction *a, QPushButton *b) {
        QObject::connect(a, &QAction::changed, b, [a, b] { b->setEnabled(a->isEnabled()); });
    };
    follow(m_findAction, m_findButton);
    follow(m_showAction, m_showButton);

    ui::enableWhen(m_expandAction, [this] { return canExpandChapter(); });
    ui::enableWhen(m_collapseAction, [this] { return canCollapseChapter(); });
}

bool ContentsPane::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_findPanel && event->type() == QEvent::Resize)
        layOutQuickFind();
    return QWidget::eventFilter(watched, event);
}

void ContentsPane::layOutQuickFind()
{
    // The find box takes the left half and the results grid the right half of the panel.
    const int w = m_findPanel->width();
    const int h = m_findPanel->height();
    const int half = qRound(w / 2.0);
    const int boxLeft = 7;
    const int boxWidth = half - 7;
    m_goLabel->setGeometry(boxLeft, 6, qMax(boxWidth, 10), 16);
    m_findBox->setGeometry(boxLeft, 24, boxWidth, 30);
    m_containsLabel->setGeometry(boxLeft, 56, qMax(boxWidth, 10), 32);
    m_findButton->setGeometry(boxLeft, 92, boxWidth, 25);
    m_showButton->setGeometry(boxLeft, 122, boxWidth, 25);
    const int gridLeft = half + 7;
    const int gridWidth = half - 17;
    m_grid->setGeometry(gridLeft, 24, gridWidth, qMax(h - 24 - 6, 20));
    m_foundLabel->adjustSize();
    m_foundLabel->move(qRound(gridWidth / 2.0) + gridLeft - 42, 6);
}

QString ContentsPane::findText() const
{
    return m_findBox->text();
}

void ContentsPane::setFindText(const QString &text)
{
    m_findBox->setText(text);
}

void ContentsPane::setTreeContextMenu(QMenu *menu)
{
    m_treeMenu = menu;
}

void ContentsPane::addMaterialFindControl(QWidget *control)
{
    if (control)
        m_extraFindControls << control;
}

QWidget *ContentsPane::focusedControl() const
{
    QWidget *w = QApplication::focusWidget();
    if (w && !qobject_cast<QMenu *>(w))
        return w;
    return m_lastFocus;
}

// ---------------------------------------------------------------- the tree and its query

void ContentsPane::treeQueryReset()
{
    // While the query is closed the last tree stays, so that its state survives a refresh.
    if (!m_dbTree.isOpen())
        return;
    std::vector<TreeRecord> records = ContentsTree::readRecords(m_dbTree);
    const ContentsTree &old = m_model->tree();
    if (old.nodeCount() > 0 && m_model->updateTexts(records)) {
        // Same nodes: texts were updated in place; the query follows the selected node.
        const int node = m_model->nodeOf(m_tree->currentIndex());
        if (node >= 0)
            nodeSelected(node);
        else
            treeQueryMoved(m_dbTree.recNo());
        return;
    }

    // Remember the state by identifier.
    QSet<QString> expanded;
    for (int n = 0; n < old.nodeCount(); ++n)
        if (!old.node(n).children.empty() && m_tree->isExpanded(m_model->indexOfNode(n)))
            expanded.insert(old.recordOf(n).id);
    const QModelIndex topIndex = m_tree->indexAt(QPoint(1, 1));
    const QString topId = topIndex.isValid() ? m_model->data(topIndex, ContentsTreeModel::IdRole).toString() : QString();
    const QString selected = selectedId();

    m_model->setTree(ContentsTree(std::move(records)));
    const ContentsTree &tree = m_model->tree();
    if (!expanded.isEmpty())
        for (int n = 0; n < tree.nodeCount(); ++n)
            if (!tree.node(n).children.empty() && expanded.contains(tree.recordOf(n).id))
                m_tree->setExpanded(m_model->indexOfNode(n), true);

    const int selNode = selected.isEmpty() ? -1 : tree.findNode(selected);
    if (selNode >= 0)
        selectNodeIndex(selNode); // the query follows
    else
        treeQueryMoved(m_dbTree.recNo());
    const int topNode = topId.isEmpty() ? -1 : tree.findNode(topId);
    if (topNode >= 0)
        m_tree->scrollTo(m_model->indexOfNode(topNode), QAbstractItemView::PositionAtTop);
}

void ContentsPane::treeQueryMoved(int row)
{
    if (m_syncing || row < 0)
        return;
    const int node = m_model->tree().nodeOfRecord(row);
    if (node < 0)
        return;
    m_syncing = true;
    selectNodeIndex(node);
    m_syncing = false;
}

void ContentsPane::selectNodeIndex(int node)
{
    const ContentsTree &tree = m_model->tree();
    for (int a : tree.ancestors(node))
        m_tree->setExpanded(m_model->indexOfNode(a), true);
    const QModelIndex i = m_model->indexOfNode(node);
    if (m_tree->currentIndex() != i)
        m_tree->setCurrentIndex(i);
    else
        nodeSelected(node);
    m_tree->scrollTo(i);
}

void ContentsPane::nodeSelected(int node)
{
    m_model->setSelectedNode(node);
    m_tree->setToolTip(u8(kTreeHint));
    if (node < 0 || m_syncing || !m_dbTree.isOpen())
        return;
    // The node was read from this row of the query; move there (as locating on its Number
    // does, but exact even when a Number repeats).
    const int row = m_model->tree().node(node).record;
    if (row < 0 || row >= m_dbTree.recordCount() || row == m_dbTree.recNo())
        return;
    m_syncing = true;
    try {
        m_dbTree.setRecNo(row);
    } catch (...) {
        // Only a guard: the flag must not stay set; the caller tells the error.
        m_syncing = false;
        throw;
    }
    m_syncing = false;
}

void ContentsPane::reloadTree()
{
    const QString id = selectedId();
    ui::BusyCursor busy;
    // Read into a new result first: when the server cannot answer, the tree keeps its rows.
    m_dbTree.refresh();
    if (!id.isEmpty())
        selectNode(id);
}

QString ContentsPane::selectedId() const
{
    const QModelIndex i = m_tree->currentIndex();
    return i.isValid() ? m_model->data(i, ContentsTreeModel::IdRole).toString() : QString();
}

bool ContentsPane::selectNode(const QString &id)
{
    const int node = m_model->tree().findNode(id);
    if (node < 0)
        return false;
    selectNodeIndex(node);
    return true;
}

void ContentsPane::showStartPosition()
{
    if (!m_dbTree.isOpen())
        return;
    try {
        for (int material : {9000, 7562, 15535})
            m_dbTree.locate(QStringLiteral("MATERIALNO"), material);
    } catch (const std::exception &) {
        // A missing material only leaves its chapters closed.
    }
    const std::vector<int> &top = m_model->tree().topLevel();
    if (!top.empty())
        selectNodeIndex(top.front());
}

// ---------------------------------------------------------------- actions

ContentsPane::Material ContentsPane::materialFor(const QWidget *focused) const
{
    Material m;
    if (!focused)
        return m;
    bool findControl = focused == m_findBox || focused == m_findButton || focused == m_showButton
                    || focused == m_grid || focused == m_grid->viewport();
    for (const QPointer<QWidget> &w : m_extraFindControls)
        if (w && w == focused)
            findControl = true;
    if (findControl) {
        if (m_matFind.isOpen() && m_matFind.recNo() >= 0) {
            m.number = m_matFind.value(QStringLiteral("MaterialNo")).toInt();
            m.title = m_matFind.value(QStringLiteral("Text")).toString();
        }
    } else if (focused == m_tree || focused == m_tree->viewport()) {
        if (m_dbTree.isOpen() && m_dbTree.recNo() >= 0) {
            const int picture = ContentsTree::pictureOf(m_dbTree.value(QStringLiteral("ImageIndex")));
            if (picture == 4 || picture == 6) {
                m.number = m_dbTree.value(QStringLiteral("MaterialNo")).toInt();
                m.title = m_dbTree.value(QStringLiteral("Text")).toString();
            }
        }
    }
    if (m.number == 0)
        m.title.clear();
    return m;
}

void ContentsPane::showMaterial()
{
    showMaterialFor(focusedControl());
}

void ContentsPane::showMaterialFor(const QWidget *focused)
{
    const Material m = materialFor(focused);
    if (m.number != 0)
        emit openCardRequested(m.number, m.title);
}

void ContentsPane::showInformation(const QString &text)
{
    if (informationMessage)
        informationMessage(text);
}

void ContentsPane::findMaterial()
{
    ui::BusyCursor busy;
    try {
        m_matFind.close();
        setQuickFind(m_matFind.sql(), m_findBox->text());
        m_matFind.open();
        if (m_matFind.isEmpty()) {
            // Nothing found: list every material again and say so.
            m_matFind.close();
            clearQuickFind(m_matFind.sql());
            m_matFind.open();
            busy.restore();
            showInformation(u8(kNoMatch));
        }
    } catch (const std::exception &e) {
        busy.restore();
        showError(e);
    }
}

void ContentsPane::toggleNotesFilter(bool fromUser)
{
    bool noNotes = false;
    if (!m_notesFilter) {
        try {
            noNotes = m_data.userSession().scalar(QStringLiteral("select count(*) from UserNotices")).toLongLong() == 0;
        } catch (const std::exception &e) {
            showError(e);
            m_notesAction->setChecked(m_notesFilter);
            return;
        }
    }
    if (noNotes) {
        if (fromUser)
            showInformation(u8(kNoNotes));
        m_notesAction->setChecked(m_notesFilter);
        return;
    }

    ui::BusyCursor busy;
    const bool on = !m_notesFilter;
    const QStringList before = m_dbTree.sql();
    try {
        m_dbTree.close();
        setNotesFilterLines(m_dbTree.sql(), on);
        m_dbTree.open();
    } catch (const std::exception &e) {
        // The tree stays as it was: old text, query open again.
        m_dbTree.sql() = before;
        try {
            m_dbTree.open();
        } catch (const std::exception &again) {
            // The first error is the one the user is told; this one only goes to the log.
            qWarning().noquote() << QStringLiteral("ContentsPane: strom nelze znovu otevřít po chybě filtru poznámek:")
                                 << QString::fromUtf8(again.what());
        }
        busy.restore();
        m_notesAction->setChecked(m_notesFilter);
        showError(e);
        return;
    }
    m_notesFilter = on;
    m_status->setText(on ? u8(kNotesStatus) : QString());
    m_notesAction->setChecked(on);
    emit notesFilterChanged(on);
}

void ContentsPane::setNotesFilter(bool on, bool fromUser)
{
    if (on != m_notesFilter)
        toggleNotesFilter(fromUser);
    m_notesAction->setChecked(m_notesFilter);
}

bool ContentsPane::canExpandChapter(const QWidget *focused) const
{
    if (!focused || (focused != m_tree && focused != m_tree->viewport()))
        return false;
    const QModelIndex i = m_tree->currentIndex();
    return i.isValid() && !m_tree->isExpanded(i) && m_model->data(i, ContentsTreeModel::PictureRole).toInt() != 4;
}

bool ContentsPane::canCollapseChapter(const QWidget *focused) const
{
    if (!focused || (focused != m_tree && focused != m_tree->viewport()))
        return false;
    const QModelIndex i = m_tree->currentIndex();
    return i.isValid() && m_tree->isExpanded(i) && m_model->data(i, ContentsTreeModel::PictureRole).toInt() != 4;
}

void ContentsPane::expandChapter()
{
    const QModelIndex i = m_tree->currentIndex();
    if (i.isValid())
        m_tree->expandRecursively(i);
}

void ContentsPane::collapseChapter()
{
    const QModelIndex i = m_tree->currentIndex();
    const int node = m_model->nodeOf(i);
    if (node < 0)
        return;
    const ContentsTree &tree = m_model->tree();
    std::vector<int> stack{node};
    while (!stack.empty()) {
        const int n = stack.back();
        stack.pop_back();
        const QModelIndex idx = m_model->indexOfNode(n);
        if (m_tree->isExpanded(idx))
            m_tree->collapse(idx);
        for (int c : tree.node(n).children)
            stack.push_back(c);
    }
}

} // namespace orv::browse
