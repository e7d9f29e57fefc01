#include "ui/MessageDialog.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace orv::ui;

namespace {

// Shows the dialog as a window, lets `act` close it, and returns its result.
int resultAfter(MessageDialog &dlg, const std::function<void(MessageDialog &)> &act)
{
    dlg.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    act(dlg);
    return dlg.result();
}

TEST(MessageDialogTest, OkAndAbortReturnTheirResultsAndEscActsAsOk)
{
    const MsgButtons buttons = MsgButton::OK | MsgButton::Abort;
    {
        MessageDialog dlg(QStringLiteral("Nebylo nalezeno instalační CD."), MsgType::Error, buttons);
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Chyba"));
        ASSERT_NE(dlg.button(MsgButton::Abort), nullptr);
        EXPECT_EQ(dlg.button(MsgButton::Abort)->text(), QStringLiteral("&Zrušit"));
        EXPECT_EQ(dlg.button(MsgButton::Abort)->objectName(), QStringLiteral("Abort"));
        // OK stands left of Abort.
        EXPECT_LT(dlg.button(MsgButton::OK)->x(), dlg.button(MsgButton::Abort)->x());
        EXPECT_EQ(resultAfter(dlg, [](MessageDialog &d) { QTest::mouseClick(d.button(MsgButton::Abort), Qt::LeftButton); }), 3);
        EXPECT_FALSE(dlg.isVisible());
    }
    {
        MessageDialog dlg(QStringLiteral("x"), MsgType::Error, buttons);
        EXPECT_EQ(resultAfter(dlg, [](MessageDialog &d) { QTest::mouseClick(d.button(MsgButton::OK), Qt::LeftButton); }), 1);
    }
    {
        MessageDialog dlg(QStringLiteral("x"), MsgType::Error, buttons);
        EXPECT_EQ(dlg.cancelButton(), dlg.button(MsgButton::OK));
        // Esc typed while a button has the focus reaches the dialog too.
        EXPECT_EQ(resultAfter(dlg, [](MessageDialog &d) { QTest::keyClick(d.button(MsgButton::Abort), Qt::Key_Escape); }), 1);
    }
    {
        MessageDialog dlg(QStringLiteral("x"), MsgType::Error, buttons);
        EXPECT_EQ(resultAfter(dlg, [](MessageDialog &d) { d.close(); }), 2); // close box
    }
}

TEST(MessageDialogTest, YesNoConfirmationDefaultsToYesAndCancelsWithNo)
{
    MessageDialog dlg(QStringLiteral("Opravdu smazat?"), MsgType::Confirmation, MsgButton::Yes | MsgButton::No);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Potvrzení"));
    ASSERT_NE(dlg.imageLabel(), nullptr);
    EXPECT_EQ(dlg.defaultButton()->text(), QStringLiteral("&Ano"));
    EXPECT_TRUE(dlg.defaultButton()->isDefault());
    EXPECT_EQ(dlg.cancelButton()->text(), QStringLiteral("&Ne"));
    EXPECT_EQ(resultAfter(dlg, [](MessageDialog &d) { QTest::keyClick(d.defaultButton(), Qt::Key_Escape); }), 7);

    MessageDialog again(QStringLiteral("Opravdu smazat?"), MsgType::Confirmation, MsgButton::Yes | MsgButton::No);
    EXPECT_EQ(resultAfter(again, [](MessageDialog &d) { QTest::keyClick(&d, Qt::Key_Return); }), 6);
}

TEST(MessageDialogTest, DefaultAndCancelButtonsFollowThePriorities)
{
    const MsgButtons ari = MsgButton::Abort | MsgButton::Retry | MsgButton::Ignore;
    MessageDialog dlg(QStringLiteral("x"), MsgType::Warning, ari);
    EXPECT_EQ(dlg.defaultButton(), dlg.button(MsgButton::Retry));
    EXPECT_EQ(dlg.cancelButton(), nullptr);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    QTest::keyClick(&dlg, Qt::Key_Escape); // nothing to press
    EXPECT_TRUE(dlg.isVisible());
    QTest::mouseClick(dlg.button(MsgButton::Ignore), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), 5);

    MessageDialog all(QStringLiteral("x"), MsgType::Warning,
                      MsgButton::Yes | MsgButton::No | MsgButton::OK | MsgButton::Cancel);
    EXPECT_EQ(all.defaultButton(), all.button(MsgButton::OK));
    EXPECT_EQ(all.cancelButton(), all.button(MsgButton::Cancel));
    EXPECT_EQ(resultAfter(all, [](MessageDialog &d) { QTest::keyClick(&d, Qt::Key_Escape); }), 2);
}

TEST(MessageDialogTest, ButtonsAreEquallyWideInOneCentredRow)
{
    const MsgButtons many = MsgButton::Yes | MsgButton::No | MsgButton::All | MsgButton::NoToAll
                            | MsgButton::YesToAll | MsgButton::Cancel;
    MessageDialog dlg(QStringLiteral("Přepsat?"), MsgType::Custom, many);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Orvalis 2.1"));
    EXPECT_EQ(dlg.imageLabel(), nullptr);
    const QStringList order{"Yes", "No", "Cancel", "All", "NoToAll", "YesToAll"};
    const QFontMetrics fm(dlg.font());
    int lastRight = -1;
    int width = -1;
    for (const QString &name : order) {
        auto *b = dlg.findChild<QPushButton *>(name);
        ASSERT_NE(b, nullptr) << name.toStdString();
        if (width < 0)
            width = b->width();
        EXPECT_EQ(b->width(), width);
        EXPECT_GT(b->x(), lastRight) << name.toStdString();
        lastRight = b->geometry().right();
        EXPECT_GE(b->width(), fm.horizontalAdvance(b->text().remove(QLatin1Char('&'))) + 8);
    }
    const int left = dlg.findChild<QPushButton *>("Yes")->x();
    EXPECT_LE(std::abs(left - (dlg.width() - 1 - lastRight)), 1); // centred
    EXPECT_GT(dlg.findChild<QPushButton *>("Yes")->y(), dlg.messageLabel()->geometry().bottom());
}

TEST(MessageDialogTest, LongMessageWrapsAndGrowsDownwards)
{
    const int halfScreen = QGuiApplication::primaryScreen()->geometry().width() / 2;
    const QString sentence = QStringLiteral("Materiál nelze uložit, protože jeho označení již existuje v jiné normě. ");
    MessageDialog shortDlg(sentence, MsgType::Information, MsgButton::OK);
    MessageDialog longDlg(sentence.repeated(8), MsgType::Information, MsgButton::OK);
    MessageDialog longerDlg(sentence.repeated(16), MsgType::Information, MsgButton::OK);

    EXPECT_LE(longDlg.messageLabel()->width(), halfScreen);
    EXPECT_GT(longDlg.messageLabel()->height(), 3 * shortDlg.messageLabel()->height());
    EXPECT_EQ(longerDlg.width(), longDlg.width());
    EXPECT_GT(longerDlg.height(), longDlg.height());
    // The text sits right of the icon, the buttons below the text.
    EXPECT_GE(longDlg.messageLabel()->x(), longDlg.imageLabel()->geometry().right());
    EXPECT_GT(longDlg.button(MsgButton::OK)->y(), longDlg.messageLabel()->geometry().bottom());
    EXPECT_LE(longDlg.button(MsgButton::OK)->geometry().bottom(), longDlg.height());
}

TEST(MessageDialogTest, CarriageReturnsBreakLines)
{
    MessageDialog dlg(QStringLiteral("Nebylo nalezeno instalační CD.\r\r Vložte prosím do CD-ROM instalační disk."),
                      MsgType::Error, MsgButton::OK | MsgButton::Abort);
    EXPECT_EQ(dlg.messageLabel()->text().count(QLatin1Char('\n')), 2);
    const QFontMetrics fm(dlg.font());
    EXPECT_GE(dlg.messageLabel()->height(), 3 * fm.height());
}

TEST(MessageDialogTest, PlainDialogUsesEnglishCaptionsWithTheSameResults)
{
    MessageDialog dlg(QStringLiteral("x"), MsgType::Confirmation,
                      MsgButton::Yes | MsgButton::NoToAll | MsgButton::YesToAll, 0, MsgCaptions::Plain);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Confirm"));
    EXPECT_EQ(dlg.button(MsgButton::Yes)->text(), QStringLiteral("&Yes"));
    EXPECT_EQ(dlg.button(MsgButton::NoToAll)->text(), QStringLiteral("N&o to All"));
    EXPECT_EQ(resultAfter(dlg, [](MessageDialog &d) { QTest::mouseClick(d.button(MsgButton::YesToAll), Qt::LeftButton); }), 10);
    EXPECT_EQ(MessageDialog::caption(MsgType::Warning, MsgCaptions::Plain), QStringLiteral("Warning"));
    EXPECT_EQ(MessageDialog::caption(MsgType::Information, MsgCaptions::Czech), QStringLiteral("Informace"));
}

TEST(MessageDialogTest, HelpButtonShowsTheTopicAndKeepsTheDialogOpen)
{
    QString file;
    int context = -1;
    setHelpHandler([&](const QString &f, int c) { file = f; context = c; });
    MessageDialog dlg(QStringLiteral("x"), MsgType::Information, MsgButton::OK | MsgButton::Help, 23);
    dlg.setHelpFile(QStringLiteral("Help/ZEB21.chm"));
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    QTest::mouseClick(dlg.button(MsgButton::Help), Qt::LeftButton);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(context, 23);
    EXPECT_EQ(file, QStringLiteral("Help/ZEB21.chm"));
    setHelpHandler(nullptr);
}

TEST(MessageDialogTest, ModalMessageReturnsThePressedButtonAndHonoursPosition)
{
    QPoint where;
    QTimer::singleShot(0, [&] {
        auto *dlg = qobject_cast<MessageDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        where = dlg->pos();
        dlg->button(MsgButton::No)->click();
    });
    EXPECT_EQ(messageAt(QStringLiteral("Uložit změny?"), MsgType::Confirmation,
                        MsgButton::Yes | MsgButton::No | MsgButton::Cancel, 0, QString(), 40, -1), 7);
    EXPECT_EQ(where.x(), 40);
    EXPECT_GT(where.y(), 0); // centred vertically
}

TEST(MessageDialogTest, MulDivRoundsToNearest)
{
    EXPECT_EQ(mulDiv(8, 7, 4), 14);
    EXPECT_EQ(mulDiv(10, 15, 8), 19);   // 18.75
    EXPECT_EQ(mulDiv(14, 13, 8), 23);   // 22.75
    EXPECT_EQ(mulDiv(50, 5, 4), 63);    // 62.5 rounds up
    EXPECT_EQ(mulDiv(8, 17, 8), 17);
}

} // namespace
