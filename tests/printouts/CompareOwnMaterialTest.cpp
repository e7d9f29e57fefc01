// An own material compared with C45: made through the own-material data module in a copy of
// the demo catalogue, then compared through the sessions the program uses; its cells against
// what sqlite3 reads from the files.

#include "core/Paths.h"
#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/MainDataModule.h"
#include "db/OwnDataModule.h"
#include "printouts/Comparison.h"
#include "printouts/TfCompare.h"
#include "support/DemoCatalogue.h"

#include <QLocale>
#include <QProcess>
#include <QTableWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace orv;
using namespace orv::printouts;

namespace {

class CompareOwn : public ::testing::Test
{
protected:
    void SetUp() override
    {
        previousLocale = QLocale();
        QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
        ASSERT_TRUE(dir.isValid());
        root = dir.path() + QStringLiteral("/");
        ASSERT_TRUE(test::copyDemoCatalogue(root + QStringLiteral("data")));
        setProgramFolder(root);
        assumeProgramFolderWritable(true);
        data = std::make_unique<db::MainDataModule>(root, root);
        own = std::make_unique<db::OwnDataModule>(*data);
        c45 = sqlite(QStringLiteral("select MaterialNo from Norms where Label = 'C45'")).value(0).value(0).toInt();
        ASSERT_GT(c45, 0);
    }
    void TearDown() override
    {
        own.reset();
        data.reset();
        setProgramFolder(QString());
        QLocale::setDefault(previousLocale);
    }

    QList<QStringList> sqlite(const QString &sql) const
    {
        QProcess p;
        // Own materials live in the user file's working copies of the material tables, which
        // the program reads before the catalogue's tables.
        p.start(QStringLiteral("sqlite3"), {QStringLiteral("-cmd"),
                                            QStringLiteral("attach '%1' as u").arg(root + QStringLiteral("data/user.sqlite")),
                                            QStringLiteral("-cmd"),
                                            QStringLiteral("attach '%1' as c").arg(root + QStringLiteral("data/catalogue.sqlite")),
                                            root + QStringLiteral("data/user.sqlite"), sql});
        EXPECT_TRUE(p.waitForFinished(30000));
        QList<QStringList> rows;
        for (const QString &line : QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts))
            rows << line.split(u'|');
        return rows;
    }

    int number(const QString &sql) const { return sqlite(sql).value(0).value(0).toInt(); }

    // A new own material as the editor makes it: node, material and its designation, two
    // composition rows and one equivalent.
    int makeOwnMaterial()
    {
        db::DataSet &nodes = own->qNodes;
        if (!nodes.isOpen())
            nodes.open();
        nodes.append();
        nodes.post();
        const int m = nodes.value(QStringLiteral("MaterialNo")).toInt();
        db::DataSet &mat = own->qMat;
        db::DataSet &norms = own->qNorms;
        norms.edit();
        norms.setValue(QStringLiteral("Label"), QStringLiteral("C45 podnikový"));
        norms.setValue(QStringLiteral("Name"), QStringLiteral("PN 41 2045"));
        norms.post();
        if (!mat.isEditing())
            mat.edit();
        mat.setValue(QStringLiteral("Name"), QStringLiteral("Ocel k zušlechťování, vlastní odběr"));
        mat.post();
        const int carbon = number(QStringLiteral("select Number from Elements where Label = 'C'"));
        const int manganese = number(QStringLiteral("select Number from Elements where Label = 'Mn'"));
        for (const auto &[element, from, to] : {std::tuple{carbon, 0.43, 0.48}, std::tuple{manganese, 0.6, 0.8}}) {
            own->qChemComp.append();
            own->qChemComp.setValue(QStringLiteral("ElementNo"), element);
            own->qChemComp.setValue(QStringLiteral("MinValue"), from);
            own->qChemComp.setValue(QStringLiteral("MaxValue"), to);
            own->qChemComp.post();
        }
        own->qCompareNorms.append();
        own->qCompareNorms.setValue(QStringLiteral("CountryNo"),
                                    number(QStringLiteral("select CountryNo from CompareNorms where MaterialNo = %1 "
                                                          "order by CountryNo limit 1").arg(c45)));
        own->qCompareNorms.setValue(QStringLiteral("Name"), QStringLiteral("PN 41 2045"));
        own->qCompareNorms.setValue(QStringLiteral("Label"), QStringLiteral("12 050.1"));
        own->qCompareNorms.post();
        return m;
    }

    static const CompareRow *row(const Comparison &c, const QString &group, const QString &caption)
    {
        for (const CompareRow &r : c.rows)
            if (r.group == group && r.caption == caption)
                return &r;
        return nullptr;
    }

    QTemporaryDir dir;
    QString root;
    QLocale previousLocale;
    std::unique_ptr<db::MainDataModule> data;
    std::unique_ptr<db::OwnDataModule> own;
    int c45 = 0;
};

} // namespace

TEST_F(CompareOwn, OwnMaterialShowsItsDataLikeACatalogueMaterial)
{
    const int m = makeOwnMaterial();
    ASSERT_GT(m, 0);
    ASSERT_EQ(sqlite(QStringLiteral("select Private from Mat where Number = %1").arg(m)).value(0).value(0),
              QStringLiteral("A"));

    const Comparison c = loadComparison(data->catalogueSession(), {m, c45});
    const QStringList ident =
        sqlite(QStringLiteral("select nr.Label, nr.Name, mat.Name from Mat mat, Norms nr "
                              "where nr.MaterialNo = mat.Number and mat.Number = %1").arg(m)).value(0);
    ASSERT_EQ(ident.size(), 3);
    EXPECT_EQ(c.headings, (QStringList{ident[0], QStringLiteral("C45")}));
    const QString g = compareGroupMaterial();
    ASSERT_TRUE(row(c, g, QStringLiteral("Označení")));
    EXPECT_EQ(row(c, g, QStringLiteral("Označení"))->cells.value(0), ident[0]);
    EXPECT_EQ(row(c, g, QStringLiteral("Norma"))->cells.value(0), ident[1]);
    EXPECT_EQ(row(c, g, QStringLiteral("Název"))->cells.value(0), ident[2] + u'\n' + ownMaterialMark());
    // C45 is not marked.
    EXPECT_FALSE(row(c, g, QStringLiteral("Název"))->cells.value(1).contains(ownMaterialMark()));
    EXPECT_EQ(c.own, (QList<bool>{true, false}));

    // Composition: the own rows in the own column, C45's in the other one.
    for (const QStringList &r : sqlite(QStringLiteral(
             "select e.Label, e.Name, printf('%1 – %2', replace(c.MinValue, '.', ','), replace(c.MaxValue, '.', ',')), "
             "c.MaterialNo = %3 from ChemComp c, Elements e where e.Number = c.ElementNo and c.MaterialNo in (%3, %4) "
             "and c.MinValue is not null and c.MaxValue is not null and c.MinValue <> c.MaxValue")
                                           .arg(QStringLiteral("%s")).arg(m).arg(c45))) {
        const CompareRow *cr = row(c, compareGroupComposition(), QStringLiteral("%1 (%2)").arg(r[0], r[1]));
        ASSERT_TRUE(cr) << r[0].toStdString();
        EXPECT_EQ(cr->cells.value(r[3] == QLatin1String("1") ? 0 : 1), r[2]) << r[0].toStdString();
    }
    const QStringList carbon = sqlite(QStringLiteral("select e.Label, e.Name from Elements e where e.Label = 'C'")).value(0);
    ASSERT_EQ(carbon.size(), 2);
    const CompareRow *cr = row(c, compareGroupComposition(), QStringLiteral("%1 (%2)").arg(carbon[0], carbon[1]));
    ASSERT_TRUE(cr);
    EXPECT_EQ(cr->cells.value(0), QStringLiteral("0,43 – 0,48"));
    EXPECT_TRUE(cr->differs);

    // The equivalent of the own material, in its country's row.
    const QStringList eq = sqlite(QStringLiteral("select co.Name, cn.Name || ' ' || cn.Label from CompareNorms cn, Country co "
                                                 "where co.Number = cn.CountryNo and cn.MaterialNo = %1").arg(m))
                               .value(0);
    ASSERT_EQ(eq.size(), 2);
    ASSERT_TRUE(row(c, compareGroupEquivalents(), eq[0]));
    EXPECT_EQ(row(c, compareGroupEquivalents(), eq[0])->cells.value(0), eq[1]);

    // An own material has no source in the catalogue: it is the user's own data.
    EXPECT_EQ(row(c, g, QStringLiteral("Zdroj údajů"))->cells.value(0), ownMaterialSource());
}

TEST_F(CompareOwn, WindowHeadsAndMarksOwnColumnsAndANewOneWithoutDesignationByItsName)
{
    const int m = makeOwnMaterial();
    // A second own material just made: its designation is still empty.
    own->qNodes.append();
    own->qNodes.post();
    const int fresh = own->qNodes.value(QStringLiteral("MaterialNo")).toInt();
    ASSERT_GT(fresh, m);
    const QStringList freshRow = sqlite(QStringLiteral("select coalesce(nr.Label, ''), mat.Name from Mat mat, Norms nr "
                                                       "where nr.MaterialNo = mat.Number and mat.Number = %1").arg(fresh))
                                     .value(0);
    ASSERT_EQ(freshRow.size(), 2);
    ASSERT_TRUE(freshRow[0].isEmpty());

    CompareEnvironment env;
    env.catalogue = &data->catalogueSession();
    env.programDir = QStringLiteral(ORVALIS_SOURCE_DIR);
    env.showMessage = [](const QString &text) { ADD_FAILURE() << text.toStdString(); };
    TfCompare w({m, c45, fresh}, env);
    auto *grid = w.findChild<QTableWidget *>(QStringLiteral("grPorovnani"));
    ASSERT_TRUE(grid);
    ASSERT_EQ(grid->columnCount(), 4);
    EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), QStringLiteral("C45 podnikový"));
    EXPECT_EQ(grid->horizontalHeaderItem(2)->text(), QStringLiteral("C45"));
    EXPECT_EQ(grid->horizontalHeaderItem(3)->text(), freshRow[1]);
    EXPECT_FALSE(grid->horizontalHeaderItem(1)->toolTip().isEmpty());
    EXPECT_TRUE(grid->horizontalHeaderItem(2)->toolTip().isEmpty());
    EXPECT_FALSE(grid->horizontalHeaderItem(3)->toolTip().isEmpty());

    // The name cells: the own ones carry the mark under the name, as the CSV and the printout do.
    bool found = false;
    for (int r = 0; r < grid->rowCount(); ++r) {
        if (grid->item(r, 0)->text() != QStringLiteral("Název"))
            continue;
        found = true;
        EXPECT_TRUE(grid->item(r, 1)->text().endsWith(u'\n' + ownMaterialMark()));
        EXPECT_FALSE(grid->item(r, 2)->text().contains(ownMaterialMark()));
        EXPECT_EQ(grid->item(r, 3)->text(), freshRow[1] + u'\n' + ownMaterialMark());
    }
    EXPECT_TRUE(found);
}
