// The comparison window hands its materials and compared rows to the export, and each
// material goes out with the row the window compares it by.
#include "MatExportFixture.h"
#include "matexport/ExportDialog.h"
#include "printouts/TfCompare.h"
#include "support/FindChild.h"

#include <QPushButton>

#include <gtest/gtest.h>

using namespace orv::matexport;

namespace {

class CompareExport : public orv::test::MatExportTest
{
};

TEST_F(CompareExport, TheComparedRowOfEachMaterialGoesOut)
{
    orv::printouts::CompareEnvironment cenv;
    cenv.catalogue = &cat;
    {
        orv::printouts::TfCompare hidden({1523, 2142}, cenv);
        EXPECT_FALSE(orv::test::child<QPushButton>(hidden, "btExportVypocty")->isVisibleTo(&hidden));
    }
    QList<int> materials, dimensions;
    cenv.exportForCalculation = [&](QWidget *, const QList<int> &m, const QList<int> &d) {
        materials = m;
        dimensions = d;
    };
    // S355J2 and 42CrMo4 compared on a dimension of 50 mm.
    orv::printouts::TfCompare w({1523, 2142}, cenv);
    orv::printouts::CompareCriteria c;
    c.dimension = 50;
    w.setCriteria(c);
    orv::test::child<QPushButton>(w, "btExportVypocty")->click();
    ASSERT_EQ(materials, (QList<int>{1523, 2142}));
    ASSERT_EQ(dimensions.size(), 2);

    const QList<ExportItem> items = comparedItems(env, materials, dimensions);
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items.at(0).data.mechanical.value(items.at(0).mechRow).dimensionText, QStringLiteral("40 - 63"));
    EXPECT_EQ(items.at(1).data.mechanical.value(items.at(1).mechRow).dimensionText, QStringLiteral("40 - 100"));
    // The window's own row texts name the same rows.
    const QStringList dimensionRow = [&] {
        for (const QStringList &line : w.shownLines())
            if (line.value(1) == QStringLiteral("Rozměr"))
                return line.mid(2);
        return QStringList();
    }();
    ASSERT_EQ(dimensionRow.size(), 2);
    EXPECT_TRUE(dimensionRow.at(0).contains(QStringLiteral("40"))) << dimensionRow.at(0).toStdString();
}

} // namespace
