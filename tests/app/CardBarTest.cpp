#include "app/CardBar.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

using namespace orv::app;

namespace {

TEST(CardButtonWidth, OneCardOnA700PixelBarIsCappedAt100)
{
    EXPECT_EQ(cardButtonWidth(700, 1), 100);
    EXPECT_EQ(cardButtonWidth(700, 7), 99); // 100 - 1
    EXPECT_EQ(cardButtonWidth(700, 9), 77); // round(77.8) - 1
}

TEST(CardButtonWidth, NeverBelow20)
{
    EXPECT_EQ(cardButtonWidth(700, 40), 20);
    EXPECT_EQ(cardButtonWidth(100, 9), 20);
    EXPECT_EQ(cardButtonWidth(0, 3), 20);
}

TEST(CardButtonWidth, HalvesRoundToEven)
{
    EXPECT_EQ(cardButtonWidth(101, 2), 49); // 50.5 -> 50
    EXPECT_EQ(cardButtonWidth(250, 4), 61); // 62.5 -> 62
    EXPECT_EQ(cardButtonWidth(140, 4), 34); // 35 exactly
}

class CaptionTest : public ::testing::Test
{
protected:
    QFont font{QStringLiteral("Liberation Sans"), 8};
    QFontMetrics fm{font};
};

TEST_F(CaptionTest, TitleThatFitsIsKeptWhole)
{
    const QString title = QStringLiteral("C45");
    EXPECT_EQ(fitCardCaption(title, 100, fm), title);
}

TEST_F(CaptionTest, LongTitleIsCutOneCharacterPerRound)
{
    const QString title = QStringLiteral("X5CrNi18-10 (17 240) korozivzdorná ocel");
    const int width = 90;
    const QString caption = fitCardCaption(title, width, fm);
    ASSERT_TRUE(caption.endsWith(QStringLiteral(" ...")));
    EXPECT_LE(fm.horizontalAdvance(caption), width - 10);
    const QString kept = caption.chopped(4);
    EXPECT_TRUE(title.startsWith(kept));
    // One more character of the title would not have fitted: the cut went one at a time.
    const QString longer = title.left(kept.size() + 1) + QStringLiteral(" ...");
    EXPECT_GT(fm.horizontalAdvance(longer), width - 10);
}

TEST_F(CaptionTest, NarrowButtonEndsWithTheEllipsisAlone)
{
    // Even " ..." is wider than no room at all: the cut stops when the title is used up.
    EXPECT_EQ(fitCardCaption(QStringLiteral("ABCDEFGHIJ"), 0, fm), QStringLiteral(" ..."));
}

TEST(CardBarWidget, OneButtonOn700PixelsIs100Wide)
{
    CardBar bar;
    bar.resize(700, 26);
    CardButton *button = bar.addButton(QStringLiteral("C45"));
    EXPECT_EQ(button->width(), 100);
    bar.refit();
    EXPECT_EQ(button->minimumWidth(), 100);
    EXPECT_EQ(button->maximumWidth(), 100);
}

TEST(CardBarWidget, ManyButtonsShrinkButNotBelow20)
{
    CardBar bar;
    bar.resize(700, 26);
    for (int i = 0; i < 40; ++i)
        bar.addButton(QStringLiteral("Materiál %1").arg(i));
    bar.refit();
    for (CardButton *b : bar.buttons())
        EXPECT_EQ(b->minimumWidth(), 20);
}

TEST(CardBarWidget, NewButtonIsPressedBoldWithA20CharacterCaption)
{
    CardBar bar;
    bar.resize(700, 26);
    const QString title = QStringLiteral("iiiiiiiiiiiiiiiiiiiii"); // 21 narrow letters
    CardButton *first = bar.addButton(QStringLiteral("C45"));
    CardButton *button = bar.addButton(title);
    EXPECT_TRUE(button->isChecked());
    EXPECT_FALSE(first->isChecked()); // one group: pressing one releases the others
    EXPECT_TRUE(button->font().bold());
    EXPECT_EQ(button->text(), title.left(20));
    EXPECT_EQ(button->toolTip(), title);
    // The refit makes the caption from the whole title, which fits here.
    bar.refit();
    ASSERT_LE(button->fontMetrics().horizontalAdvance(title), cardButtonWidth(700, 2) - 10);
    EXPECT_EQ(button->text(), title);
}

TEST(CardBarWidget, RefitShortensTitlesThatDoNotFit)
{
    CardBar bar;
    bar.resize(200, 26);
    const QString title = QStringLiteral("WWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");
    CardButton *button = bar.addButton(title);
    bar.addButton(QStringLiteral("C45"));
    bar.refit();
    const int w = cardButtonWidth(200, 2);
    EXPECT_EQ(button->minimumWidth(), w);
    EXPECT_TRUE(button->text().endsWith(QStringLiteral(" ...")));
    EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), w - 10);
}

TEST(CardBarWidget, AmpersandsInTitlesAreShownNotUnderlined)
{
    CardBar bar;
    bar.resize(700, 26);
    CardButton *button = bar.addButton(QStringLiteral("A&B"));
    bar.refit();
    EXPECT_EQ(button->text(), QStringLiteral("A&&B"));
}

TEST(CardBarWidget, RemovingAButtonRefitsTheRest)
{
    CardBar bar;
    bar.resize(150, 26);
    CardButton *a = bar.addButton(QStringLiteral("A"));
    CardButton *b = bar.addButton(QStringLiteral("B"));
    bar.refit();
    EXPECT_EQ(a->minimumWidth(), 74);
    bar.removeButton(b);
    bar.refit();
    EXPECT_EQ(a->minimumWidth(), 100);
    EXPECT_EQ(bar.buttons().size(), 1);
}

} // namespace
