// Right after start the keys of the quick find work at once: Ctrl+F lists the materials of
// the typed text and Ctrl+M opens the found one, in a frame shown as the start-up shows it
// (the quick find given the focus before the frame appears, the search window inside).

#include "MainWindowFixture.h"
#include "app/MainWindow.h"
#include "browse/CardList.h"
#include "browse/ContentsPane.h"
#include "search/TfHledani.h"
#include "support/DemoDataModules.h"

#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

class QuickFindKeysTest : public orv::test::MainWindowOnDemoTest {};

TEST_F(QuickFindKeysTest, CtrlFThenCtrlMOpenTheFoundMaterialRightAfterStart)
{
    w = std::make_unique<orv::app::MainWindow>(data.get());
    w->createSearchWindow(new orv::search::TfHledani(*data));
    w->quickFind()->setFocus();
    w->setGeometry(0, 0, 1366, 738);
    w->showMaximized();
    QApplication::setActiveWindow(w.get());
    QApplication::processEvents();
    // The keys go where the user's keyboard goes: to the focused control of the active frame.
    auto press = [](QKeySequence key) {
        QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
        ASSERT_NE(target, nullptr);
        QTest::keyClick(target, Qt::Key(key[0].key()), key[0].keyboardModifiers());
        QApplication::processEvents();
    };
    EXPECT_EQ(QApplication::focusWidget(), w->quickFind())
        << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className() : "none") << " "
        << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString() : "");
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("42CrMo"));
    press(QKeySequence(Qt::CTRL | Qt::Key_F));
    press(QKeySequence(Qt::CTRL | Qt::Key_M));
    ASSERT_EQ(w->openCardCount(), 1);
    EXPECT_TRUE(w->currentCard()->windowTitle().contains(QStringLiteral("42CrMo"))) << w->currentCard()->windowTitle().toStdString();
}

} // namespace
