#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/DatabaseFiles.h"
#include "ui/ProgressWindow.h"
#include "ui/WidgetHelpers.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>

#include <gtest/gtest.h>

using namespace orv::ui;

namespace {

TEST(ProgressWindowTest, ModesSetTheirTextAndThe280x79Window)
{
    ProgressWindow w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Informace"));
    EXPECT_EQ(w.size(), QSize(280, 79));
    EXPECT_FALSE(w.windowFlags() & Qt::WindowCloseButtonHint);
    w.setMode(QStringLiteral("Copy"));
    EXPECT_EQ(w.text(), QStringLiteral("Kopírování materiálu do složky vlastní materiál..."));
    w.setMode(QStringLiteral("Save"));
    EXPECT_EQ(w.text(), QStringLiteral("Ukládání vlastního materiálu..."));
    w.setMode(QStringLiteral("Delete"));
    EXPECT_EQ(w.text(), QStringLiteral("Mazání vlastního materiálu..."));
    EXPECT_EQ(w.frame(), 1);
    auto *label = w.findChild<QLabel *>(QStringLiteral("Label"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->height(), 13);
    EXPECT_EQ(label->width(), 280);
    w.setMode(QStringLiteral("Move"));
    EXPECT_EQ(w.text(), QString());
    EXPECT_EQ(w.frame(), 0);
}

TEST(ProgressWindowTest, AnimationLoopsOverTwentyFourFrames)
{
    ProgressWindow w;
    w.setMode(ProgressWindow::Mode::Save);
    w.show();
    auto *timer = w.findChild<QTimer *>();
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());   // the animation plays by itself
    ASSERT_EQ(w.frame(), 1);
    for (int f = 2; f <= ProgressWindow::frameCount; ++f) {
        w.step();
        EXPECT_EQ(w.frame(), f);
    }
    w.step();
    EXPECT_EQ(w.frame(), 1);          // after the last frame the first again
    w.setMode(ProgressWindow::Mode::None);
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(w.frame(), 0);
}

TEST(WidgetHelpersTest, ComboFillerPutsTheFirstEntryBeforeTheRows)
{
    QStandardItemModel model;
    for (const char *name : {"Ocel", "Litina", "Hliník"})
        model.appendRow({new QStandardItem(QStringLiteral("x")), new QStandardItem(QString::fromUtf8(name))});
    QComboBox box;
    box.setEditable(true);
    box.addItem(QStringLiteral("stará položka"));
    fillCombo(&box, &model, 1, QStringLiteral("Všechny"));
    ASSERT_EQ(box.count(), 4);
    EXPECT_EQ(box.itemText(0), QStringLiteral("Všechny"));
    EXPECT_EQ(box.itemText(3), QStringLiteral("Hliník"));
    EXPECT_EQ(box.currentText(), QStringLiteral("Všechny"));

    fillCombo(&box, nullptr, 0, QStringLiteral("Vše"));
    EXPECT_EQ(box.count(), 1);
}

TEST(WidgetHelpersTest, ComboFillerStepsADataSetInItsOrder)
{
    QTemporaryDir dir;
    const QString cat = dir.path() + QStringLiteral("/catalogue.sqlite");
    const QString user = dir.path() + QStringLiteral("/user.sqlite");
    orv::db::createDatabaseFiles(cat, user);
    orv::db::Connection conn(QStringLiteral("test"));
    conn.open(cat, user, orv::db::Database::Catalogue);
    conn.exec(QStringLiteral("insert into Country (Number, Name) values (1, 'Česko'), (2, 'Německo'), (3, 'Rakousko')"));
    orv::db::DataSet countries(QStringLiteral("qCountry"), &conn);
    countries.setSql(QStringList{QStringLiteral("select *"), QStringLiteral("  from Country"),
                                 QStringLiteral("  order by Number desc")});
    countries.open();
    countries.last();

    QComboBox box;
    fillCombo(&box, countries, QStringLiteral("Name"), QStringLiteral("Všechny státy"));
    ASSERT_EQ(box.count(), 4);
    EXPECT_EQ(box.itemText(0), QStringLiteral("Všechny státy"));
    EXPECT_EQ(box.itemText(1), QStringLiteral("Rakousko"));
    EXPECT_EQ(box.itemText(3), QStringLiteral("Česko"));
}

TEST(WidgetHelpersTest, GridButtonRemoverTouchesOnlyTheNamedColumn)
{
    QStandardItemModel model(1, 3);
    model.setHorizontalHeaderLabels({QStringLiteral("Stát"), QStringLiteral("Název"), QStringLiteral("Značka")});
    model.setHeaderData(0, Qt::Horizontal, QStringLiteral("lkCountry"), fieldNameRole());
    QTableView grid;
    grid.setModel(&model);
    QStyledItemDelegate picker, other;
    grid.setItemDelegateForColumn(0, &picker);
    grid.setItemDelegateForColumn(2, &other);

    EXPECT_FALSE(removeGridButton(&grid, QStringLiteral("CountryNo")));
    EXPECT_EQ(grid.itemDelegateForColumn(0), &picker);
    EXPECT_TRUE(removeGridButton(&grid, QStringLiteral("LKCOUNTRY")));
    EXPECT_EQ(grid.itemDelegateForColumn(0), nullptr);
    EXPECT_EQ(grid.itemDelegateForColumn(2), &other);
    EXPECT_EQ(gridColumn(&grid, QStringLiteral("Značka")), 2); // header text as the name
}

TEST(WidgetHelpersTest, FocusBlinkLeavesNoWindowBehind)
{
    const int before = QApplication::topLevelWidgets().size();
    focusBlink();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::topLevelWidgets().size(), before);
}

} // namespace
