#pragma once
// A copy of the demo catalogue in a program folder of the test's own with both data modules, the
// contents pane and an open-card list over it, and helpers that read the files with the
// sqlite3 program, as an outsider sees them.

#include "browse/CardList.h"
#include "browse/ContentsPane.h"
#include "core/Paths.h"
#include "support/DemoDataModules.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

class UserDataFixture : public orv::test::DemoDataModuleTest {
protected:
    void TearDown() override
    {
        cards.reset();
        area.reset();
        pane.reset();
        DemoDataModuleTest::TearDown();
    }
    // The contents pane and the card list, for tests that look at the tree and the cards.
    void makeWindows()
    {
        pane = std::make_unique<orv::browse::ContentsPane>(*data);
        pane->resize(300, 600);
        pane->show();
        area = std::make_unique<QMdiArea>();
        area->resize(900, 700);
        area->show();
        cards = std::make_unique<orv::browse::CardList>(area.get(), orv::browse::CardEnvironment::fromDataModule(*data));
        cards->showInformation = [](const QString &) {};
        cards->showError = [](const QString &) {};
        cards->showPlainError = [](const QString &) {};
    }
    QString catalogueFile() const { return root + QStringLiteral("data/catalogue.sqlite"); }
    QString userFile() const { return root + QStringLiteral("data/user.sqlite"); }

    // Output of the sqlite3 program on the user file (its working copies of the material
    // tables under the catalogue's names), attached again as "user", with the catalogue file
    // attached as "catalogue", as the program sees them; lines of '|'-separated values.
    QStringList sqlite(const QString &sql) const
    {
        QProcess p;
        p.start(QStringLiteral("sqlite3"),
                {QStringLiteral("-bail"), QStringLiteral("-cmd"), QStringLiteral("attach '%1' as user").arg(userFile()),
                 QStringLiteral("-cmd"), QStringLiteral("attach '%1' as catalogue").arg(catalogueFile()), userFile(), sql});
        EXPECT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString() << " for " << sql.toStdString();
        QStringList out = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        return out;
    }
    int count(const QString &sql) const { return sqlite(QStringLiteral("select count(*) from (") + sql + u')').value(0).toInt(); }

    // A digest of the catalogue file (the program never writes it).
    QByteArray catalogueDigest() const
    {
        QFile f(catalogueFile());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    }

    // Rows of the own materials in the working copies that differ from their private mirror
    // (EXCEPT both ways), per table; empty when the mirror is exact.
    QStringList mirrorDifferences() const
    {
        const QString own = QStringLiteral("(select Number from Mat where Private='A')");
        struct Pair {
            const char *name;
            QString catalogue;
            QString mirror;
        };
        const QString matCols = QStringLiteral("Number, Name, PdfFile, Purpose, Purpose1, Purpose2, Purpose3, Purpose4, "
                                               "Purpose5, PurposeAll, TypeNo, NoticeNo");
        const QString normCols = QStringLiteral("Number, MaterialNo, CountryNo, Name, Label, NameShort, LabelShort");
        const QString chemCols = QStringLiteral("Number, ElementNo, MaterialNo, MinValue, MaxValue, NoticeNo");
        const QString notices = QStringLiteral("(select NoticeNo from Mat where Private='A' and NoticeNo is not null "
                                               "union select NoticeNo from ChemComp where MaterialNo in %1 and NoticeNo is not null)")
                                    .arg(own);
        const Pair pairs[] = {
            {"Mat", QStringLiteral("select %1 from main.Mat where Private='A'").arg(matCols),
             QStringLiteral("select %1 from user.private_MAT").arg(matCols)},
            {"Norms", QStringLiteral("select %1 from main.Norms where MaterialNo in %2").arg(normCols, own),
             QStringLiteral("select %1 from user.private_NORMS").arg(normCols)},
            {"CompareNorms", QStringLiteral("select %1 from main.CompareNorms where MaterialNo in %2").arg(normCols, own),
             QStringLiteral("select %1 from user.private_COMPARENORMS").arg(normCols)},
            {"ChemComp", QStringLiteral("select %1 from main.ChemComp where MaterialNo in %2").arg(chemCols, own),
             QStringLiteral("select %1 from user.private_CHEMCOMP").arg(chemCols)},
            {"Notices", QStringLiteral("select Number, Notice from main.Notices where Number in %1").arg(notices),
             QStringLiteral("select Number, Notice from user.private_NOTICES")},
        };
        QStringList out;
        for (const Pair &p : pairs) {
            for (const QString &line : sqlite(p.catalogue + QStringLiteral(" except ") + p.mirror))
                out << QStringLiteral("%1 only in the catalogue: %2").arg(QLatin1String(p.name), line);
            for (const QString &line : sqlite(p.mirror + QStringLiteral(" except ") + p.catalogue))
                out << QStringLiteral("%1 only in the mirror: %2").arg(QLatin1String(p.name), line);
        }
        return out;
    }

    std::unique_ptr<orv::browse::ContentsPane> pane;
    std::unique_ptr<QMdiArea> area;
    std::unique_ptr<orv::browse::CardList> cards;
};
