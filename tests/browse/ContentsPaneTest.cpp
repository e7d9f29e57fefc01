// The left pane over a small catalogue written by the test: quick find, Show material, the
// notes filter, keeping the tree's state across refreshes, expand and collapse.

#include "browse/BrowseSql.h"
#include "browse/ContentsPane.h"
#include "browse/ContentsTreeModel.h"
#include "browse/NodePictures.h"
#include "db/DatabaseFiles.h"
#include "db/MainDataModule.h"
#include "ui/ActionUpdater.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <memory>
#include <set>

using namespace orv::browse;
using namespace orv::db;

namespace {

class Pane : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = dir.path() + QStringLiteral("/");
        createDatabaseFiles(root + QStringLiteral("data/catalogue.sqlite"), root + QStringLiteral("data/user.sqlite"));
        Connection c;
        c.open(root + QStringLiteral("data/catalogue.sqlite"), root + QStringLiteral("data/user.sqlite"));
        // number, parent, material, picture, text, short label
        chapter(c, 10, 0, 0, "Oceli");
        chapter(c, 11, 10, 2, QStringLiteral("Nerezavějící oceli"));
        chapter(c, 12, 10, 2, "b");
        chapter(c, 13, 10, 2, "A");
        chapter(c, -1, 0, 0, QStringLiteral("Vlastní materiály"));
        material(c, 100, 11, 1, 4, "X5CrNi18-10");
        material(c, 101, 11, 2, 4, "X2CrNiMo17-12-2");
        material(c, 102, 12, 3, 4, "C45");
        material(c, 103, 13, 4, 6, "42CrMo4");
        material(c, 104, -1, 5, 4, QStringLiteral("Můj materiál"), "A");
        data = std::make_unique<MainDataModule>(root, root);
        originalTreeSql = data->qDbTree.sql();
        pane = std::make_unique<ContentsPane>(*data);
        pane->informationMessage = [this](const QString &t) { messages << t; };
    }
    void TearDown() override
    {
        pane.reset();
        data.reset();
    }

    static void chapter(Connection &c, int number, int parent, int picture, const QString &text)
    {
        c.exec(QStringLiteral("insert into Nodes (Number, ParentNo, TreeNo, ImageIndex, Text, Label, ShortLabel) "
                              "values (:n, :p, 1, :i, :t, :t, :t)"),
               {{"n", number}, {"p", parent}, {"i", picture}, {"t", text}});
    }
    static void material(Connection &c, int number, int parent, int mat, int picture, const QString &text,
                         const char *priv = "N")
    {
        QString shortLabel = text;
        shortLabel.remove(u' ');
        c.exec(QStringLiteral("insert into Nodes (Number, ParentNo, TreeNo, MaterialNo, ImageIndex, Text, Label, ShortLabel) "
                              "values (:n, :p, 1, :m, :i, :t, :t, :s)"),
               {{"n", number}, {"p", parent}, {"m", mat}, {"i", picture}, {"t", text}, {"s", shortLabel}});
        c.exec(QStringLiteral("insert into Mat (Number, Name, Private) values (:m, :t, :p)"),
               {{"m", mat}, {"t", text}, {"p", QString::fromLatin1(priv)}});
    }

    std::set<int> foundMaterials()
    {
        std::set<int> out;
        DataSet &q = data->qMatFind;
        for (int r = 0; r < q.recordCount(); ++r)
            out.insert(q.valueAt(r, QStringLiteral("MaterialNo")).toInt());
        return out;
    }
    QModelIndex nodeIndex(const char *id)
    {
        return pane->treeModel()->indexOfNode(pane->treeModel()->tree().findNode(QString::fromLatin1(id)));
    }
    QStringList childTexts(const QModelIndex &parent)
    {
        QStringList out;
        for (int r = 0; r < pane->treeModel()->rowCount(parent); ++r)
            out << pane->treeModel()->index(r, 0, parent).data().toString();
        return out;
    }
    int treeMaterialCount()
    {
        const ContentsTree &t = pane->treeModel()->tree();
        int n = 0;
        for (int i = 0; i < t.nodeCount(); ++i)
            n += t.recordOf(i).picture == 4 || t.recordOf(i).picture == 6;
        return n;
    }

    QTemporaryDir dir;
    QString root;
    std::unique_ptr<MainDataModule> data;
    std::unique_ptr<ContentsPane> pane;
    QStringList originalTreeSql;
    QStringList messages;
};

TEST_F(Pane, TreeShowsChaptersInOrderAndStartsOnTheFirstChapter)
{
    QAbstractItemModel *m = pane->treeModel();
    EXPECT_EQ(childTexts(QModelIndex()), (QStringList{"Oceli", QStringLiteral("Vlastní materiály")}));
    EXPECT_EQ(childTexts(m->index(0, 0)), (QStringList{"A", "b", QStringLiteral("Nerezavějící oceli")}));
    EXPECT_EQ(childTexts(m->index(1, 0)), QStringList{QStringLiteral("Můj materiál")});
    EXPECT_EQ(pane->selectedId(), "10");
    EXPECT_EQ(data->qDbTree.value("Number").toInt(), 10);
    // The selected node shows the next picture (open book); the others their own.
    const QImage open = nodePixmap(1).toImage();
    EXPECT_EQ(m->index(0, 0).data(Qt::DecorationRole).value<QIcon>().pixmap(16, 16).toImage(), open);
    EXPECT_EQ(m->index(1, 0).data(Qt::DecorationRole).value<QIcon>().pixmap(16, 16).toImage(), nodePixmap(0).toImage());
}

TEST_F(Pane, TreeAndQueryFollowEachOther)
{
    pane->tree()->setCurrentIndex(nodeIndex("102"));
    EXPECT_EQ(data->qDbTree.value("Number").toInt(), 102);
    ASSERT_TRUE(data->qDbTree.locate("MaterialNo", 2));
    EXPECT_EQ(pane->selectedId(), "101");
    EXPECT_TRUE(pane->tree()->isExpanded(nodeIndex("11"))); // its chapter opened
    EXPECT_EQ(pane->tree()->toolTip(), QStringLiteral("Zobrazit vybraný materiál dvojitým kliknutím myši"));
}

TEST_F(Pane, QuickFindIgnoresBlanksAndCase)
{
    pane->setFindText("cr ni");
    pane->findMaterial();
    const std::set<int> spaced = foundMaterials();
    pane->setFindText("CRNI");
    pane->findMaterial();
    EXPECT_EQ(foundMaterials(), spaced);
    EXPECT_EQ(spaced, (std::set<int>{1, 2}));
    EXPECT_TRUE(messages.isEmpty());
    // Only one quick-find condition is ever in the text, in line 4.
    EXPECT_EQ(data->qMatFind.sql().filter(quickFindMarker()).size(), 1);
    EXPECT_TRUE(data->qMatFind.sql().at(4).startsWith(QStringLiteral("  and (UPPER(nd.ShortLabel) LIKE ")));
    // Results are ordered by text and the tree follows the first one.
    EXPECT_EQ(data->qMatFind.value("Text").toString(), "X2CrNiMo17-12-2");
    EXPECT_EQ(pane->selectedId(), "101");
    // Moving in the results moves the tree.
    pane->resultsGrid()->setCurrentIndex(pane->resultsGrid()->model()->index(1, 0));
    EXPECT_EQ(pane->selectedId(), "100");
}

TEST_F(Pane, QuickFindFindsTheNumberInBracketsOfTheNodeText)
{
    // As in the catalogue: the label is the designation, the text adds the ČSN number.
    Connection &c = data->catalogueSession();
    c.exec(QStringLiteral("insert into Nodes (Number, ParentNo, TreeNo, MaterialNo, ImageIndex, Text, Label, ShortLabel) "
                          "values (105, 12, 1, 6, 4, 'C60 (12 060)', 'C60', 'C60')"));
    c.exec(QStringLiteral("insert into Mat (Number, Name, Private) values (6, 'C60', 'N')"));
    for (const char *typed : {"12060", "12 060", "c60"}) {
        messages.clear();
        pane->setFindText(QString::fromLatin1(typed));
        pane->findMaterial();
        EXPECT_EQ(foundMaterials(), std::set<int>{6}) << typed;
        EXPECT_TRUE(messages.isEmpty()) << typed;
    }
}

TEST_F(Pane, NoMatchListsEveryMaterialAndSaysSoOnce)
{
    pane->setFindText("zzz");
    pane->findMaterial();
    EXPECT_EQ(messages, QStringList{QStringLiteral("Bohužel nebyl nalezen žádný odpovídající materiál.")});
    EXPECT_EQ(foundMaterials(), (std::set<int>{1, 2, 3, 4, 5}));
    EXPECT_TRUE(data->qMatFind.sql().filter(quickFindMarker()).isEmpty());
    EXPECT_EQ(pane->resultsGrid()->model()->rowCount(), 5);
}

TEST_F(Pane, QuickFindTextCannotBreakTheQuery)
{
    // Quotes and LIKE wildcards are searched for literally.
    for (const char *typed : {"a'b", "x\"y", "%", "_5"}) {
        messages.clear();
        pane->setFindText(QString::fromLatin1(typed));
        pane->findMaterial();
        EXPECT_EQ(messages.size(), 1) << typed;
        EXPECT_EQ(foundMaterials().size(), 5u) << typed;
    }
    pane->setFindText(QString());
    messages.clear();
    pane->findMaterial(); // an empty box lists everything without a message
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(foundMaterials().size(), 5u);
}

TEST_F(Pane, ShowMaterialDependsOnTheFocusedControl)
{
    QSignalSpy opened(pane.get(), &ContentsPane::openCardRequested);
    // A chapter opens nothing, whatever its picture.
    for (const char *chapterId : {"10", "11"}) {
        pane->tree()->setCurrentIndex(nodeIndex(chapterId));
        pane->showMaterialFor(pane->tree());
    }
    EXPECT_EQ(opened.count(), 0);
    // A material node (sheet or grey sheet) opens its material with the node text.
    pane->tree()->setCurrentIndex(nodeIndex("103"));
    pane->showMaterialFor(pane->tree());
    ASSERT_EQ(opened.count(), 1);
    EXPECT_EQ(opened.at(0).at(0).toInt(), 4);
    EXPECT_EQ(opened.at(0).at(1).toString(), "42CrMo4");
    // From the find box the current result is opened, not the tree's node.
    pane->setFindText("C45");
    pane->findMaterial();
    pane->tree()->setCurrentIndex(nodeIndex("100"));
    pane->showMaterialFor(pane->findBox());
    ASSERT_EQ(opened.count(), 2);
    EXPECT_EQ(opened.at(1).at(0).toInt(), 3);
    // Any other control: nothing.
    pane->showMaterialFor(pane->statusLabel());
    pane->showMaterialFor(nullptr);
    EXPECT_EQ(opened.count(), 2);
}

TEST_F(Pane, DoubleClickOnTheTreeOpensMaterialsOnly)
{
    pane->resize(300, 600);
    pane->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(pane.get()));
    QSignalSpy opened(pane.get(), &ContentsPane::openCardRequested);
    QTreeView *tree = pane->tree();
    tree->expandAll();
    auto dclick = [&](const char *id) {
        const QRect r = tree->visualRect(nodeIndex(id));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, r.center());
    };
    dclick("102");
    ASSERT_EQ(opened.count(), 1);
    EXPECT_EQ(opened.at(0).at(0).toInt(), 3);
    EXPECT_EQ(opened.at(0).at(1).toString(), "C45");
    dclick("12");
    dclick("-1");
    EXPECT_EQ(opened.count(), 1);
}

TEST_F(Pane, NotesFilterWithoutNotesSaysSoOnlyToTheUser)
{
    pane->toggleNotesFilter(false);
    EXPECT_TRUE(messages.isEmpty());
    pane->toggleNotesFilter(true);
    EXPECT_EQ(messages, QStringList{QStringLiteral("Žádný materiál neobsahuje uživatelskou poznámku.\r\r"
                                                   "V obsahu budou zobrazeny všechny materiály.")});
    EXPECT_FALSE(pane->notesFilterOn());
    EXPECT_FALSE(pane->notesFilterAction()->isChecked());
    EXPECT_EQ(data->qDbTree.sql(), originalTreeSql);
    // Triggering the checkable action leaves it unchecked too.
    pane->notesFilterAction()->trigger();
    EXPECT_FALSE(pane->notesFilterAction()->isChecked());
}

TEST_F(Pane, NotesFilterNarrowsTheTreeAndRestoresTheQueryExactly)
{
    data->userSession().exec(QStringLiteral("insert into UserNotices (NUMBER, MATERIALNO, TEXT) values (1, 2, 'pozor'), (2, 2, 'znovu')"));
    pane->toggleNotesFilter(true);
    ASSERT_TRUE(pane->notesFilterOn());
    EXPECT_TRUE(pane->notesFilterAction()->isChecked());
    EXPECT_EQ(data->qDbTree.sql().at(1), QStringLiteral("  from nodes nd, UserNotices un, mat m"));
    EXPECT_EQ(data->qDbTree.sql().at(3), QStringLiteral("  and (nd.MaterialNo=un.MaterialNo)"));
    EXPECT_EQ(pane->statusLabel()->text(), QStringLiteral(" – pouze materiály s poznámkou"));
    // Every chapter stays; of the materials only the one with notes, once.
    EXPECT_EQ(treeMaterialCount(), 1);
    EXPECT_EQ(pane->treeModel()->tree().nodeCount(), 6);
    EXPECT_GE(nodeIndex("101").row(), 0);

    pane->toggleNotesFilter(true);
    EXPECT_FALSE(pane->notesFilterOn());
    EXPECT_EQ(data->qDbTree.sql(), originalTreeSql);
    EXPECT_TRUE(pane->statusLabel()->text().isEmpty());
    EXPECT_EQ(treeMaterialCount(), 5);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(Pane, RefreshKeepsExpansionSelectionAndTopNode)
{
    QTreeView *tree = pane->tree();
    tree->collapseAll();
    tree->setExpanded(nodeIndex("10"), true);
    tree->setExpanded(nodeIndex("12"), true);
    tree->setCurrentIndex(nodeIndex("102"));
    // A new node changes the shape: the tree is rebuilt.
    data->catalogueSession().exec(QStringLiteral(
        "insert into Nodes (Number, ParentNo, TreeNo, ImageIndex, Text) values (14, 10, 1, 2, 'Nová kapitola')"));
    data->qDbTree.close();
    data->qDbTree.open();
    EXPECT_EQ(pane->treeModel()->tree().nodeCount(), 11);
    EXPECT_TRUE(tree->isExpanded(nodeIndex("10")));
    EXPECT_TRUE(tree->isExpanded(nodeIndex("12")));
    EXPECT_FALSE(tree->isExpanded(nodeIndex("11")));
    EXPECT_FALSE(tree->isExpanded(nodeIndex("-1")));
    EXPECT_EQ(pane->selectedId(), "102");
    EXPECT_EQ(data->qDbTree.value("Number").toInt(), 102);

    // Only a text changed: updated in place, state untouched.
    const QPersistentModelIndex kept(nodeIndex("102"));
    data->catalogueSession().exec(QStringLiteral("update Nodes set Text='C45E' where Number=102"));
    data->qDbTree.close();
    data->qDbTree.open();
    ASSERT_TRUE(kept.isValid());
    EXPECT_EQ(kept.data().toString(), "C45E");
    EXPECT_TRUE(tree->isExpanded(nodeIndex("12")));
    EXPECT_EQ(pane->selectedId(), "102");
}

TEST_F(Pane, ExpandAndCollapseChapterFollowTheirRules)
{
    QTreeView *tree = pane->tree();
    tree->collapseAll();
    tree->setCurrentIndex(nodeIndex("10"));
    EXPECT_FALSE(pane->canExpandChapter(pane->findBox())); // only while the tree has the focus
    EXPECT_TRUE(pane->canExpandChapter(tree));
    EXPECT_FALSE(pane->canCollapseChapter(tree));
    pane->expandChapter();
    for (const char *id : {"10", "11", "12", "13"})
        EXPECT_TRUE(tree->isExpanded(nodeIndex(id))) << id;
    EXPECT_FALSE(pane->canExpandChapter(tree));
    EXPECT_TRUE(pane->canCollapseChapter(tree));
    pane->collapseChapter();
    for (const char *id : {"10", "11", "12", "13"})
        EXPECT_FALSE(tree->isExpanded(nodeIndex(id))) << id;
    // A plain material sheet can be neither; a grey sheet is not excluded.
    tree->setCurrentIndex(nodeIndex("100"));
    EXPECT_FALSE(pane->canExpandChapter(tree));
    EXPECT_FALSE(pane->canCollapseChapter(tree));
    tree->setCurrentIndex(nodeIndex("103"));
    EXPECT_TRUE(pane->canExpandChapter(tree));
}

TEST_F(Pane, RefreshKeepsTheTopVisibleNode)
{
    pane->resize(300, 340);
    pane->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(pane.get()));
    QTreeView *tree = pane->tree();
    tree->expandAll();
    tree->setCurrentIndex(nodeIndex("103"));
    tree->scrollTo(nodeIndex("13"), QAbstractItemView::PositionAtTop);
    auto topId = [&] { return tree->indexAt(QPoint(1, 1)).data(ContentsTreeModel::IdRole).toString(); };
    ASSERT_EQ(topId(), "13"); // the viewport is small enough to scroll
    data->catalogueSession().exec(QStringLiteral(
        "insert into Nodes (Number, ParentNo, TreeNo, ImageIndex, Text) values (15, 10, 1, 2, 'Další kapitola')"));
    data->qDbTree.close();
    data->qDbTree.open();
    EXPECT_EQ(topId(), "13");
    EXPECT_EQ(pane->selectedId(), "103");
}

TEST_F(Pane, EnterInTheFindBoxFindsAndRulesFollowTheFocus)
{
    pane->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(pane.get()));
    pane->activateWindow();
    QApplication::setActiveWindow(pane.get());
    pane->findBox()->setFocus();
    QTest::keyClicks(pane->findBox(), "c 45");
    QTest::keyClick(pane->findBox(), Qt::Key_Return);
    EXPECT_EQ(foundMaterials(), std::set<int>{3});
    EXPECT_EQ(pane->findText(), "c 45"); // no line break, text kept

    // Ctrl+M in the find box opens the found material.
    QSignalSpy opened(pane.get(), &ContentsPane::openCardRequested);
    QTest::keyClick(pane->findBox(), Qt::Key_M, Qt::ControlModifier);
    ASSERT_EQ(opened.count(), 1);
    EXPECT_EQ(opened.at(0).at(0).toInt(), 3);

    // Expand chapter is enabled by the idle-time rules only while the tree has the focus.
    pane->tree()->collapseAll();
    pane->tree()->setCurrentIndex(nodeIndex("10"));
    orv::ui::ActionUpdater::instance().updateNow();
    EXPECT_FALSE(pane->expandChapterAction()->isEnabled());
    pane->tree()->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), pane->tree());
    orv::ui::ActionUpdater::instance().updateNow();
    EXPECT_TRUE(pane->expandChapterAction()->isEnabled());
    EXPECT_FALSE(pane->collapseChapterAction()->isEnabled());
}

TEST_F(Pane, ActionsCarryTheirCaptionsAndShortcuts)
{
    EXPECT_EQ(pane->findMaterialAction()->text(), QStringLiteral("&Hledat materiál"));
    EXPECT_EQ(pane->findMaterialAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+F")));
    EXPECT_EQ(pane->showMaterialAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+M")));
    EXPECT_TRUE(pane->notesFilterAction()->isCheckable());
    EXPECT_EQ(pane->collapseChapterAction()->toolTip(), QStringLiteral("Skrýt všechny podkapitoly a materiály"));
}

TEST_F(Pane, QuickFindPanelFollowsItsWidth)
{
    pane->resize(400, 600);
    pane->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(pane.get()));
    QWidget *panel = pane->findBox()->parentWidget();
    const int w = panel->width();
    const int half = qRound(w / 2.0);
    EXPECT_EQ(pane->findBox()->width(), half - 7);
    EXPECT_EQ(pane->resultsGrid()->x(), half + 7);
    EXPECT_EQ(pane->resultsGrid()->width(), half - 17);
    EXPECT_EQ(pane->foundLabel()->x(), qRound((half - 17) / 2.0) + half + 7 - 42);
    EXPECT_FALSE(ContentsPane::acceptsWidth(256));
    EXPECT_TRUE(ContentsPane::acceptsWidth(257));
    EXPECT_GE(pane->minimumWidth(), 257);
}

// The demo catalogue, when the build has made it: the start-up locates open the chapters of
// the three materials and the first chapter ends selected.
TEST(DemoCatalogue, StartPositionOpensTheChaptersOfThreeMaterials)
{
    const QString dataDir = QStringLiteral(ORVALIS_BINARY_DIR "/orvalis/data");
    if (!QFile::exists(dataDir + QStringLiteral("/catalogue.sqlite")))
        GTEST_SKIP() << "demo catalogue not built";
    QTemporaryDir dir;
    QDir().mkpath(dir.path() + QStringLiteral("/data"));
    QFile::copy(dataDir + QStringLiteral("/catalogue.sqlite"), dir.path() + QStringLiteral("/data/catalogue.sqlite"));
    QFile::copy(dataDir + QStringLiteral("/user.sqlite"), dir.path() + QStringLiteral("/data/user.sqlite"));
    MainDataModule data(dir.path(), dir.path());
    ContentsPane pane(data);
    const ContentsTreeModel *m = pane.treeModel();
    for (int material : {9000, 7562, 15535}) {
        const int row = data.qDbTree.find(QStringLiteral("MaterialNo"), {material});
        ASSERT_GE(row, 0) << material;
        const int node = m->tree().nodeOfRecord(row);
        ASSERT_GE(node, 0) << material;
        for (int a : m->tree().ancestors(node))
            EXPECT_TRUE(pane.tree()->isExpanded(m->indexOfNode(a))) << material;
    }
    EXPECT_EQ(pane.selectedId(), m->tree().recordOf(m->tree().topLevel()[0]).id);

    // "cr ni" and "CRNI" find the same (non-empty) set.
    auto found = [&] {
        std::set<int> s;
        for (int r = 0; r < data.qMatFind.recordCount(); ++r)
            s.insert(data.qMatFind.valueAt(r, QStringLiteral("MaterialNo")).toInt());
        return s;
    };
    pane.informationMessage = [](const QString &) { ADD_FAILURE() << "unexpected message"; };
    pane.setFindText(QStringLiteral("cr ni"));
    pane.findMaterial();
    const std::set<int> a = found();
    pane.setFindText(QStringLiteral("CRNI"));
    pane.findMaterial();
    EXPECT_EQ(found(), a);
    EXPECT_FALSE(a.empty());

    // C45 by its ČSN number, shown in the tree as "C45 (12 050)".
    for (const char *typed : {"12050", "12 050"}) {
        pane.setFindText(QString::fromLatin1(typed));
        pane.findMaterial();
        EXPECT_EQ(found(), std::set<int>{2050}) << typed;
    }
}

} // namespace
