// Pictures of the own-material editor (each page, on an own copy of C45) and of the options
// window, for people to look at: written to <build>/userdata-screens/. The checks make sure
// the pictures show a loaded material.

#include "UserDataFixture.h"

#include "userdata/EditGridModel.h"
#include "userdata/OwnMaterialActions.h"
#include "userdata/TfInsEditMaterial.h"
#include "userdata/TfOptions.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTableView>

using namespace orv::userdata;

TEST_F(UserDataFixture, ScreenshotsOfTheEditorPagesAndTheOptionsWindow)
{
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    const QString out = QStringLiteral(ORVALIS_BINARY_DIR "/userdata-screens/");
    QDir().mkpath(out);
    const int c45 = sqlite(QStringLiteral("select MaterialNo from Norms where Label='C45' order by Number limit 1")).value(0).toInt();
    ASSERT_GT(c45, 0);

    OwnMaterialEnvironment env;
    env.editor.settingsFile = out + QStringLiteral("Zeb.ini");
    env.editor.message = [](const QString &, orv::ui::MsgType, orv::ui::MsgButtons) { return int(orv::ui::mrOk); };
    int shots = 0;
    env.runEditor = [&](TfInsEditMaterial &e) {
        e.resize(720, 600);
        e.show();
        EXPECT_EQ(e.eLabel->text(), QStringLiteral("C45 (kopie)"));
        for (int page = 0; page < 3; ++page) {
            e.pages->setCurrentIndex(page);
            QApplication::processEvents();
            EXPECT_TRUE(e.grab().toImage().save(out + QStringLiteral("own-material-editor-%1.png").arg(page + 1)));
            ++shots;
        }
        // OK and Storno side by side at the bottom, wholly inside the window.
        const QRect ok = e.okButton->geometry(), storno = e.stornoButton->geometry();
        EXPECT_TRUE(e.stornoButton->isVisible());
        EXPECT_EQ(e.stornoButton->text(), QStringLiteral("Storno"));
        EXPECT_EQ(storno.top(), ok.top());
        EXPECT_GT(storno.left(), ok.right());
        EXPECT_TRUE(e.rect().contains(storno));
        EXPECT_GT(ok.top(), e.pages->geometry().bottom());
        EXPECT_GT(e.chemCompModel()->rowCount(), 5);
        EXPECT_GT(e.compareNormsModel()->rowCount(), 3);
        e.accept();
        return 1;
    };
    OwnMaterialActions actions(*own, env);
    const int copy = actions.copyMaterial(c45);
    ASSERT_GT(copy, 0);
    actions.editMaterial(copy);
    EXPECT_EQ(shots, 3);

    OptionsEnvironment options;
    options.autoSave = [] { return true; };
    options.economyMode = [] { return false; };
    TfOptions w(*data, options);
    w.resize(680, 460);
    w.show();
    w.pages->setCurrentIndex(TfOptions::PropertiesPage);
    if (data->qPropTypeParent.recordCount() > 0)
        data->qPropTypeParent.first();
    QApplication::processEvents();
    EXPECT_GT(w.lbPropType->count(), 3);
    EXPECT_TRUE(w.grab().toImage().save(out + QStringLiteral("options-window.png")));
    w.pages->setCurrentIndex(TfOptions::CompositionPage);
    QApplication::processEvents();
    EXPECT_TRUE(w.grab().toImage().save(out + QStringLiteral("options-window-composition.png")));
}
