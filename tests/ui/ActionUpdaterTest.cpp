#include "ui/ActionUpdater.h"

#include "support/LogCapture.h"

#include <QAction>
#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

using orv::ui::ActionUpdater;

namespace {

// Lets the event loop run out of work once: it goes idle, then a timer wakes it.
void goIdle()
{
    QTimer::singleShot(20, [] {});
    QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

TEST(ActionUpdaterTest, RulesRunWhenTheEventLoopIsIdle)
{
    QAction print(QStringLiteral("Tisk ekvivalentů"));
    bool rows = false;
    int runs = 0;
    orv::ui::enableWhen(&print, [&] { ++runs; return rows; });
    print.setEnabled(true);

    goIdle();
    EXPECT_GT(runs, 0);
    EXPECT_FALSE(print.isEnabled());

    rows = true;
    goIdle();
    EXPECT_TRUE(print.isEnabled());
    ActionUpdater::instance().remove(&print);
}

TEST(ActionUpdaterTest, ThrowingRuleDisablesAndDestroyedActionIsDropped)
{
    const int before = ActionUpdater::instance().count();
    auto action = std::make_unique<QAction>(QStringLiteral("Smazat poznámku"));
    orv::ui::enableWhen(action.get(), []() -> bool { throw std::runtime_error("no card"); });
    const orv::test::LogCapture log;
    ActionUpdater::instance().updateNow();
    EXPECT_FALSE(action->isEnabled());
    EXPECT_TRUE(log.contains(QStringLiteral("orvalis.ui"), QStringLiteral("no card")));
    EXPECT_EQ(ActionUpdater::instance().count(), before + 1);
    action.reset();
    EXPECT_EQ(ActionUpdater::instance().count(), before);
    ActionUpdater::instance().updateNow(); // no dangling action is touched
}

TEST(ActionUpdaterTest, RuleMayDropActionsWhileRunning)
{
    auto a = std::make_unique<QAction>(QStringLiteral("a"));
    auto b = std::make_unique<QAction>(QStringLiteral("b"));
    QAction *bp = b.get();
    orv::ui::enableWhen(a.get(), [&] { b.reset(); return true; });
    orv::ui::enableWhen(bp, [] { return true; });
    ActionUpdater::instance().updateNow();
    EXPECT_TRUE(a->isEnabled());
    ActionUpdater::instance().remove(a.get());
}

} // namespace
