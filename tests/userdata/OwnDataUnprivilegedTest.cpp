// A system-wide installation as an ordinary user sees it: the program folder and the catalogue
// cannot be written, the user database lies in a folder of the user's own, the previous
// version's tables belong to somebody else. Everything the user does with own data works, and
// the catalogue file stays byte for byte as it was. Runs as an unprivileged user (setpriv).

#include "browse/BrowseSql.h"
#include "db/MainDataModule.h"
#include "db/OwnDataModule.h"
#include "search/TfHledani.h"
#include "support/FindChild.h"
#include "support/ParadoxWriter.h"
#include "support/Unprivileged.h"
#include "userdata/OwnMaterialActions.h"
#include "userdata/TfInsEditMaterial.h"
#include "userdata/UpgradeConversion.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orv::userdata;

namespace {

constexpr const char *kFolder = "ORV_OWN_DATA_UNPRIVILEGED_DIR";

QByteArray digest(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256) : QByteArray();
}

// A purpose text far longer than the memo field's part in the record: it lies in the .MB file.
QString longPurpose()
{
    return QStringLiteral("Hřídele, čepy a ozubená kola středně namáhaná; ").repeated(12).trimmed();
}

void typeKeys(QWidget *box, const QString &text)
{
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(box, &press);
    }
}

// <root>/prog/data/catalogue.sqlite read-only in read-only folders; <root>/user/data/user.sqlite
// the child's; <root>/old/Data the previous version's tables, read-only and not the child's.
void prepare(const QString &root)
{
    using namespace orv::test;
    const QString demo = QStringLiteral(ORVALIS_BINARY_DIR "/orvalis/data/");
    QDir().mkpath(root + QStringLiteral("/prog/data"));
    QDir().mkpath(root + QStringLiteral("/user/data"));
    QDir().mkpath(root + QStringLiteral("/old/Data"));
    ASSERT_TRUE(QFile::copy(demo + QStringLiteral("catalogue.sqlite"), root + QStringLiteral("/prog/data/catalogue.sqlite")));
    ASSERT_TRUE(QFile::copy(demo + QStringLiteral("user.sqlite"), root + QStringLiteral("/user/data/user.sqlite")));
    const QString old = root + QStringLiteral("/old/Data");
    ASSERT_TRUE(writeParadoxTable(old + QStringLiteral("/MAT.DB"),
                                  {{"Number", pxfLong, 4}, {"Name", pxfAlpha, 200}, {"NoticeNo", pxfLong, 4},
                                   {"TypeNo", pxfShort, 2}, {"Private", pxfAlpha, 1}, {"PurposeAll", pxfMemoBLOb, 20}},
                                  {{100L, QStringLiteral("Stará vlastní ocel"), PxNull{}, 1L, QStringLiteral("A"), longPurpose()}}));
    ASSERT_TRUE(writeParadoxTable(old + QStringLiteral("/Nodes.db"),
                                  {{"Number", pxfLong, 4}, {"MaterialNo", pxfLong, 4}, {"Label", pxfAlpha, 200},
                                   {"IndexLabel", pxfAlpha, 200}, {"ShortLabel", pxfAlpha, 200}, {"Text", pxfAlpha, 200},
                                   {"UserNoticeNo", pxfLong, 4}},
                                  {{10L, 100L, QStringLiteral("STARA 1"), PxNull{}, QStringLiteral("STARA1"),
                                    QStringLiteral("STARA 1"), PxNull{}}}));
    ASSERT_TRUE(writeParadoxTable(old + QStringLiteral("/norms.DB"),
                                  {{"Number", pxfLong, 4}, {"Name", pxfAlpha, 50}, {"Label", pxfAlpha, 150},
                                   {"MaterialNo", pxfLong, 4}, {"CountryNo", pxfLong, 4}, {"NameShort", pxfAlpha, 50},
                                   {"LabelShort", pxfAlpha, 150}},
                                  {{1L, QStringLiteral("ČSN"), QStringLiteral("STARA 1"), 100L, 1L, QStringLiteral("ČSN"),
                                    QStringLiteral("STARA1")}}));
    ASSERT_TRUE(writeParadoxTable(old + QStringLiteral("/ChemComp.db"),
                                  {{"MaterialNo", pxfLong, 4}, {"ElementNo", pxfLong, 4}, {"MinValue", pxfNumber, 8},
                                   {"MaxValue", pxfNumber, 8}, {"NoticeNo", pxfLong, 4}},
                                  {{100L, 1L, 0.1, 0.2, PxNull{}}}));
    ASSERT_TRUE(writeParadoxTable(old + QStringLiteral("/CompareNorms.db"),
                                  {{"MaterialNo", pxfLong, 4}, {"Name", pxfAlpha, 25}, {"Label", pxfAlpha, 25},
                                   {"NameShort", pxfAlpha, 25}, {"LabelShort", pxfAlpha, 25}, {"CountryNo", pxfLong, 4}},
                                  {}));
    ASSERT_TRUE(writeParadoxTable(old + QStringLiteral("/notices.db"), {{"Number", pxfLong, 4}, {"Notice", pxfAlpha, 200}}, {}));
    ASSERT_TRUE(writeParadoxTable(old + QStringLiteral("/UserNotices.DB"),
                                  {{"Number", pxfLong, 4}, {"MaterialNo", pxfLong, 4}, {"Text", pxfAlpha, 200}},
                                  {{1L, 100L, QStringLiteral("stará poznámka")}}));
    openPathForOthers(root);
    for (const QString &d : {root + QStringLiteral("/user"), root + QStringLiteral("/user/data"),
                             root + QStringLiteral("/user/data/user.sqlite")})
        giveToChild(d);
    const auto readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    const auto readOnlyDir = readOnly | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    QFile::setPermissions(root + QStringLiteral("/prog/data/catalogue.sqlite"), readOnly);
    for (const QString &f : QDir(old).entryList(QDir::Files))
        QFile::setPermissions(old + u'/' + f, readOnly);
    for (const QString &d : {old, root + QStringLiteral("/old"), root + QStringLiteral("/prog/data"), root + QStringLiteral("/prog")})
        QFile::setPermissions(d, readOnlyDir);
}

} // namespace

TEST(OwnDataUnprivileged, NewEditCopyDeleteNotesOptionsAndUpgradeWithAReadOnlyCatalogue)
{
    const QString child = orv::test::childFolder(kFolder);
    if (child.isEmpty()) {
        QTemporaryDir dir;
        const QString root = dir.path();
        prepare(root);
        if (::testing::Test::HasFatalFailure())
            return;
        const QString catalogue = root + QStringLiteral("/prog/data/catalogue.sqlite");
        const QByteArray before = digest(catalogue);
        const orv::test::ChildRun r = orv::test::runTestInChild(kFolder, root);
        EXPECT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 0) << qPrintable(r.output);
        EXPECT_EQ(digest(catalogue), before) << "the catalogue file was written";
        for (const QString &d : {root + QStringLiteral("/prog"), root + QStringLiteral("/prog/data"), root + QStringLiteral("/old"),
                                 root + QStringLiteral("/old/Data")})
            QFile::setPermissions(d, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return;
    }

    // ---- the child, as an ordinary user
    ASSERT_TRUE(orv::db::Connection::isReadOnlyLocation(child + QStringLiteral("/prog/data/catalogue.sqlite")));
    orv::db::MainDataModule data(child + QStringLiteral("/prog/"), child + QStringLiteral("/user/"));
    orv::db::OwnDataModule own(data);
    ASSERT_TRUE(data.userDataWritable()) << qPrintable(data.userDataUnwritableReason());
    orv::db::Connection &user = data.userSession();

    OwnMaterialEnvironment env;
    env.editor.settingsFile = child + QStringLiteral("/user/Zeb.ini");
    env.editor.message = [](const QString &t, orv::ui::MsgType, orv::ui::MsgButtons) {
        ADD_FAILURE() << "unexpected message: " << t.toStdString();
        return int(orv::ui::mrYes);
    };
    QString label = QStringLiteral("UNPRIV 1");
    env.runEditor = [&](TfInsEditMaterial &e) {
        e.show();
        e.eLabel->clear();
        typeKeys(e.eLabel, label);
        e.accept();
        return int(e.result());
    };
    OwnMaterialActions actions(own, env);

    // New, copy, edit.
    const int made = actions.newMaterial();
    ASSERT_GT(made, 0);
    const int c45 = user.scalar(QStringLiteral("select MaterialNo from Norms where Label='C45' order by Number limit 1")).toInt();
    const int copy = actions.copyMaterial(c45);
    ASSERT_GT(copy, 0);
    label = QStringLiteral("C45 MOJE");
    actions.editMaterial(copy);
    EXPECT_EQ(user.scalar(QStringLiteral("select Label from Norms where MaterialNo=%1").arg(copy)).toString(), label);

    // A note and an option.
    data.tUserNotice.append();
    data.tUserNotice.setValue(QStringLiteral("MATERIALNO"), copy);
    data.tUserNotice.setValue(QStringLiteral("TEXT"), QStringLiteral("moje poznámka"));
    data.tUserNotice.post();
    data.setSetupValue(QStringLiteral("USPESNOST"), QStringLiteral("75"));

    // The upgrade from tables another user owns, opened read-only.
    const UpgradeResult r = convertOldData(own, child + QStringLiteral("/old/Data"), data.userDataWritable());
    EXPECT_EQ(r.materials, 1);
    EXPECT_EQ(r.notes, 1);
    EXPECT_EQ(user.scalar(QStringLiteral("select PurposeAll from Mat where Name='Stará vlastní ocel' and Private='A'")).toString(),
              longPurpose());

    // Delete the first one.
    env.editor.message = [](const QString &, orv::ui::MsgType, orv::ui::MsgButtons) { return int(orv::ui::mrYes); };
    OwnMaterialActions deleting(own, env);
    EXPECT_TRUE(deleting.deleteMaterial(made));
    EXPECT_EQ(user.scalar(QStringLiteral("select count(*) from Mat where Number=%1").arg(made)).toInt(), 0);

    // The search and the quick find find the copy.
    orv::search::TfHledani window(data, QString());
    window.showMessage = [](const QString &, orv::ui::MsgType, orv::ui::MsgButtons) { return orv::ui::mrOk; };
    window.setCurrentPage(orv::search::TfHledani::DesignationPage);
    orv::test::child<QLineEdit>(window, "eMaterialFind")->setText(QStringLiteral("C45 MOJE"));
    window.find();
    QList<int> hits;
    for (int i = 0; window.result() && i < window.result()->recordCount(); ++i)
        hits << window.result()->valueAt(i, QStringLiteral("MatNumber")).toInt();
    EXPECT_TRUE(hits.contains(copy));
    data.qMatFind.close();
    orv::browse::setQuickFind(data.qMatFind.sql(), QStringLiteral("C45 MOJE"));
    data.qMatFind.open();
    bool found = false;
    for (int i = 0; i < data.qMatFind.recordCount(); ++i)
        found = found || data.qMatFind.valueAt(i, QStringLiteral("MaterialNo")).toInt() == copy;
    EXPECT_TRUE(found);
    EXPECT_EQ(data.setupValue(QStringLiteral("USPESNOST")), QStringLiteral("75"));
}
