// The tree builder without widgets: order, root rules, skipped records, pictures, updates.

#include "browse/ContentsTree.h"
#include "browse/NodePictures.h"

#include <gtest/gtest.h>

using namespace orv::browse;

namespace {

TreeRecord rec(const char *id, const char *parent, const QString &text, int picture = 0)
{
    return TreeRecord{QString::fromLatin1(id), QString::fromLatin1(parent), text, picture};
}

QStringList childTexts(const ContentsTree &t, int node)
{
    QStringList out;
    const std::vector<int> &kids = node < 0 ? t.topLevel() : t.node(node).children;
    for (int c : kids)
        out << t.recordOf(c).text;
    return out;
}

TEST(ContentsTreeBuild, SiblingsAreOrderedByTextWithoutRegardToCase)
{
    ContentsTree t({rec("1", "0", "b"), rec("2", "0", "A"), rec("3", "0", "C"), rec("4", "0", "a")});
    // "A" and "a" compare equal and keep the query's order.
    EXPECT_EQ(childTexts(t, -1), (QStringList{"A", "a", "b", "C"}));
}

TEST(ContentsTreeBuild, CzechLocaleOrdersCzechLetters)
{
    const QLocale cs(QLocale::Czech, QLocale::CzechRepublic);
    ContentsTree t({rec("1", "0", QStringLiteral("chrom")), rec("2", "0", QStringLiteral("Hliník")),
                    rec("3", "0", QStringLiteral("čistá ocel")), rec("4", "0", QStringLiteral("Cín")),
                    rec("5", "0", QStringLiteral("dural"))},
                   cs);
    // Č follows C, and "ch" is a letter of its own after h.
    EXPECT_EQ(childTexts(t, -1), (QStringList{QStringLiteral("Cín"), QStringLiteral("čistá ocel"), QStringLiteral("dural"),
                                              QStringLiteral("Hliník"), QStringLiteral("chrom")}));
}

TEST(ContentsTreeBuild, ChildrenFollowTheirParentsAtEveryDepth)
{
    ContentsTree t({rec("30", "20", "leaf"), rec("10", "0", "top"), rec("20", "10", "middle"),
                    rec("21", "10", "another"), rec("-1", "0", QStringLiteral("Vlastní materiály")),
                    rec("500", "-1", "own")});
    ASSERT_EQ(t.nodeCount(), 6);
    EXPECT_EQ(childTexts(t, -1), (QStringList{"top", QStringLiteral("Vlastní materiály")}));
    const int top = t.topLevel()[0];
    EXPECT_EQ(childTexts(t, top), (QStringList{"another", "middle"}));
    const int middle = t.node(top).children[1];
    EXPECT_EQ(childTexts(t, middle), QStringList{"leaf"});
    const int leaf = t.findNode("30");
    EXPECT_EQ(t.ancestors(leaf), (std::vector<int>{top, middle}));
    EXPECT_EQ(t.nodeOfRecord(0), leaf); // record 0 is the leaf's row
}

TEST(ContentsTreeBuild, ARootRecordIsTheOnlyTopLevelNode)
{
    ContentsTree t({rec("5", "0", "chapter"), rec("0", "0", "root"), rec("6", "5", "material")});
    ASSERT_EQ(t.topLevel().size(), 1u);
    const int root = t.topLevel()[0];
    EXPECT_EQ(t.recordOf(root).text, "root");
    EXPECT_EQ(childTexts(t, root), QStringList{"chapter"});
    EXPECT_EQ(t.nodeCount(), 3);
}

TEST(ContentsTreeBuild, SkipsSelfParentsUnreachableRecordsAndSecondRoots)
{
    ContentsTree t({rec("1", "0", "chapter"), rec("2", "2", "own parent"), rec("3", "99", "orphan"),
                    rec("4", "3", "orphan child"), rec("0", "7", "root"), rec("0", "1", "second root")});
    // The first root record is the top; the second one (a root identifier as a child) is skipped.
    ASSERT_EQ(t.topLevel().size(), 1u);
    EXPECT_EQ(childTexts(t, t.topLevel()[0]), QStringList{"chapter"});
    EXPECT_EQ(t.nodeCount(), 2);
    EXPECT_EQ(t.nodeOfRecord(1), -1);
    EXPECT_EQ(t.nodeOfRecord(2), -1);
    EXPECT_EQ(t.nodeOfRecord(3), -1);
}

TEST(ContentsTreeBuild, RepeatedIdentifiersCannotLoopForEver)
{
    // 5 below the root, 6 below 5, and a second 5 below 6: each record is placed once.
    ContentsTree t({rec("5", "0", "five"), rec("6", "5", "six"), rec("5", "6", "five again")});
    EXPECT_EQ(t.nodeCount(), 3);
}

TEST(ContentsTreeBuild, DeepChainsNeedNoRecursion)
{
    std::vector<TreeRecord> chain;
    for (int i = 1; i <= 200000; ++i)
        chain.push_back(TreeRecord{QString::number(i), QString::number(i - 1), QStringLiteral("n"), 2});
    ContentsTree t(std::move(chain));
    EXPECT_EQ(t.nodeCount(), 200000);
}

TEST(ContentsTreePictures, WholeNumbersOnly)
{
    EXPECT_EQ(ContentsTree::pictureOf(QVariant(4)), 4);
    EXPECT_EQ(ContentsTree::pictureOf(QVariant(qlonglong(6))), 6);
    EXPECT_EQ(ContentsTree::pictureOf(QVariant(2.0)), 2);
    EXPECT_EQ(ContentsTree::pictureOf(QVariant(QStringLiteral("4"))), 4);
    EXPECT_EQ(ContentsTree::pictureOf(QVariant(2.5)), 0);
    EXPECT_EQ(ContentsTree::pictureOf(QVariant(QStringLiteral("list"))), 0);
    EXPECT_EQ(ContentsTree::pictureOf(QVariant(QStringLiteral("4.5"))), 0);
    EXPECT_EQ(ContentsTree::pictureOf(QVariant()), 0);
    EXPECT_EQ(ContentsTree::idText(QVariant(-1)), "-1");
    EXPECT_EQ(ContentsTree::idText(QVariant(15535.0)), "15535");
    EXPECT_EQ(ContentsTree::idText(QVariant()), "");
}

TEST(ContentsTreePictures, EightDistinctSixteenPixelPictures)
{
    QList<QImage> seen;
    for (int i = 0; i < NodePictureCount; ++i) {
        const QPixmap pm = nodePixmap(i);
        ASSERT_EQ(pm.size(), QSize(16, 16)) << i;
        const QImage img = pm.toImage();
        for (const QImage &other : seen)
            EXPECT_NE(img, other) << "picture " << i << " repeats an earlier one";
        seen << img;
    }
    EXPECT_TRUE(nodePixmap(8).isNull());
    EXPECT_TRUE(nodeIcon(-1).isNull());
}

TEST(ContentsTreeUpdate, SameShapeTakesNewTextsInPlace)
{
    ContentsTree t({rec("1", "0", "chapter"), rec("2", "1", "old", 4), rec("3", "1", "other", 4)});
    const int n2 = t.findNode("2");
    // Same pairs in another row order, one text changed.
    std::vector<TreeRecord> next{rec("3", "1", "other", 4), rec("2", "1", "new", 4), rec("1", "0", "chapter")};
    ASSERT_TRUE(t.sameShape(next));
    EXPECT_EQ(t.updateTexts(next), std::vector<int>{n2});
    EXPECT_EQ(t.recordOf(n2).text, "new");
    EXPECT_EQ(t.nodeOfRecord(1), n2); // rows moved with their nodes
    EXPECT_EQ(t.node(n2).record, 1);

    EXPECT_FALSE(t.sameShape({rec("3", "1", "other"), rec("2", "3", "new"), rec("1", "0", "chapter")}));
    EXPECT_FALSE(t.sameShape({rec("3", "1", "other"), rec("1", "0", "chapter")}));
    EXPECT_TRUE(t.updateTexts({rec("3", "1", "x")}).empty());
}

} // namespace
