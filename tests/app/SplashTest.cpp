// The splash as a user meets it: no frame, and the notice about the quoted standards stays
// long enough to be read even when the program is ready sooner.

#include "app/SplashWindow.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

using orv::app::SplashWindow;

namespace {

TEST(SplashWindowTest, FramelessAndItsNoticeStaysUntilReadOrClicked)
{
    const int reading = SplashWindow::readingTime();
    SplashWindow::setReadingTime(600000);
    auto lingering = [] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *s = qobject_cast<SplashWindow *>(w); s && s->isLingering() && s->isVisible())
                return s;
        return static_cast<SplashWindow *>(nullptr);
    };
    {
        SplashWindow splash;
        EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
        EXPECT_EQ(splash.windowType(), Qt::SplashScreen);
        splash.show();
    }
    EXPECT_EQ(lingering(), nullptr); // no notice shown, nothing to finish reading
    {
        SplashWindow splash;
        splash.show();
        splash.showTextPanel();
        EXPECT_GT(splash.remainingReadingTime(), 0);
    }
    // The program was ready before the notice could be read: it stays, until a click.
    QPointer<SplashWindow> rest = lingering();
    ASSERT_FALSE(rest.isNull());
    EXPECT_TRUE(rest->showsTextPanel());
    QTest::mouseClick(rest, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(rest.isNull());
    // A window that asks something closes it too.
    {
        SplashWindow splash;
        splash.show();
        splash.showTextPanel();
    }
    rest = lingering();
    ASSERT_FALSE(rest.isNull());
    QDialog question;
    question.setModal(true);
    question.show();
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(rest.isNull());
    SplashWindow::setReadingTime(reading);
}

} // namespace
