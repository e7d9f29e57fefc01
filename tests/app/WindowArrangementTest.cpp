// "Okno" > "Okna vedle sebe svisle", "Okna nad sebou vodorovně" and "Okna uspořádat kaskádně"
// with the real search window and three material cards in a frame of a 1366x768 screen:
// each arranges the windows as its name says, every window whole inside the area.

#include "app/MainWindow.h"
#include "browse/CardList.h"
#include "search/TfHledani.h"
#include "support/DemoDataModules.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

class WindowArrangementTest : public orv::test::DemoDataModuleTest
{
protected:
    WindowArrangementTest() { withOwnData = false; }
    void SetUp() override
    {
        DemoDataModuleTest::SetUp();
        if (HasFatalFailure())
            return;
        w = std::make_unique<orv::app::MainWindow>(data.get());
        w->createSearchWindow(new orv::search::TfHledani(*data));
        w->setGeometry(0, 0, 1366, 738); // maximised above a panel of 30 pixels
        w->show();
        QApplication::setActiveWindow(w.get());
        int opened = 0;
        for (data->qDbTree.first(); !data->qDbTree.eof() && opened < 3; data->qDbTree.next()) {
            const int n = data->qDbTree.findField(QStringLiteral("MaterialNo"))->value().toInt();
            if (n > 0 && !w->cardList()->findCard(n)) {
                w->openCard(n, QStringLiteral("karta %1").arg(n));
                ++opened;
            }
        }
        QApplication::processEvents();
    }
    void TearDown() override
    {
        w.reset();
        DemoDataModuleTest::TearDown();
    }
    // Each window's geometry, in creation order, after the action ran.
    QList<QRect> arrangeBy(QAction *action)
    {
        action->trigger();
        QApplication::processEvents();
        QList<QRect> out;
        for (QMdiSubWindow *s : w->mdiArea()->subWindowList(QMdiArea::CreationOrder))
            out << s->geometry();
        return out;
    }
    std::unique_ptr<orv::app::MainWindow> w;
};

TEST_F(WindowArrangementTest, EachArrangementDoesWhatItsNameSays)
{
    ASSERT_EQ(w->openCardCount(), 3);
    const QList<QMdiSubWindow *> windows = w->mdiArea()->subWindowList(QMdiArea::CreationOrder);
    ASSERT_EQ(windows.size(), 4);

    const QList<QRect> side = arrangeBy(w->actions().tileVertically);
    const QList<QRect> stacked = arrangeBy(w->actions().tileHorizontally);
    const QList<QRect> cascade = arrangeBy(w->actions().cascade);
    const QRect area = w->mdiArea()->viewport()->rect();

    EXPECT_NE(side, stacked);
    EXPECT_NE(side, cascade);
    EXPECT_NE(stacked, cascade);

    for (int i = 0; i < 4; ++i) {
        const std::string name = windows.at(i)->windowTitle().toStdString();
        const QSize need = windows.at(i)->minimumSizeHint();
        for (const QList<QRect> *layout : {&side, &stacked, &cascade})
            EXPECT_TRUE(area.contains(layout->at(i)))
                << name << " " << layout->at(i).x() << "," << layout->at(i).y() << " " << layout->at(i).width() << "x"
                << layout->at(i).height() << " in " << area.width() << "x" << area.height();
        // Side by side: the whole height, left to right, the last at the right edge.
        EXPECT_EQ(side.at(i).top(), area.top()) << name;
        EXPECT_EQ(side.at(i).height(), area.height()) << name;
        EXPECT_GE(side.at(i).width(), std::min(need.width(), area.width())) << name;
        // One above the other: the whole width, top to bottom.
        EXPECT_EQ(stacked.at(i).left(), area.left()) << name;
        EXPECT_EQ(stacked.at(i).width(), area.width()) << name;
        EXPECT_GE(stacked.at(i).height(), std::min(need.height(), area.height())) << name;
        if (i > 0) {
            EXPECT_GT(side.at(i).left(), side.at(i - 1).left()) << name;
            EXPECT_GT(stacked.at(i).top(), stacked.at(i - 1).top()) << name;
            // Cascade: each one step lower and to the right, all of one size.
            EXPECT_EQ(cascade.at(i).topLeft() - cascade.at(i - 1).topLeft(), cascade.at(1).topLeft() - cascade.at(0).topLeft());
            EXPECT_EQ(cascade.at(i).size(), cascade.at(0).size());
        }
    }
    EXPECT_EQ(side.constLast().right(), area.right());
    EXPECT_EQ(stacked.constLast().bottom(), area.bottom());
    EXPECT_GT(cascade.at(1).left(), cascade.at(0).left());
    EXPECT_GT(cascade.at(1).top(), cascade.at(0).top());
}

} // namespace
