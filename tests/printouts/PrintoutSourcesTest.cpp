// "Zdroj údajů" in the four material printouts: every source line of the catalogue in the
// printed text, and the notice for a catalogue made before sources were kept.

#include "PrintoutTestSupport.h"

#include "db/Connection.h"
#include "printouts/PrintDialogs.h"
#include "report/model/SestavaMessages.h"
#include "report/ui/ReportUi.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace orv;
using namespace orv::printouts;
using orv::printouts::test::DemoCatalogueCopy;
using orv::printouts::test::makeDialog;

namespace {

QString pdfWords(const QString &file)
{
    // Lines joined: a long source may wrap in its column.
    return orv::printouts::test::run(QStringLiteral("pdftotext"), {file, QStringLiteral("-")})
        .replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" "));
}

struct Catalogue : DemoCatalogueCopy
{
    Catalogue(bool withSources) : DemoCatalogueCopy(QStringLiteral("sources-test"), false)
    {
        if (!copied)
            return;
        if (!withSources) {
            db::Connection raw(QStringLiteral("sources-drop"));
            raw.openFile(catFile);
            raw.exec(QStringLiteral("drop table MatSources"));
        }
        open();
    }
    PrintEnvironment env(int material)
    {
        PrintEnvironment e;
        e.catalogue = &cat;
        e.programDir = QStringLiteral(ORVALIS_SOURCE_DIR);
        e.materialNo = material;
        e.showMessage = [](const QString &text) { ADD_FAILURE() << text.toStdString(); };
        return e;
    }
    QString print(int kind, int material)
    {
        const QString file = dir.filePath(QStringLiteral("p%1-%2.pdf").arg(kind).arg(material));
        EXPECT_EQ(makeDialog(kind, env(material))->printToPdf(file), 0);
        return pdfWords(file);
    }
};

TEST(PrintoutSources, EveryPrintoutNamesTheSourcesOfTheValues)
{
    InstallReportUi();
    Catalogue c(true);
    ASSERT_TRUE(c.copied);
    // C45 (one source) and the material with the most sources.
    const int most = c.cat.scalar(QStringLiteral("select MaterialNo from MatSources group by MaterialNo "
                                                 "order by count(*) desc, MaterialNo limit 1"))
                        .toInt();
    for (int material : {2050, most}) {
        QStringList sources;
        db::Statement st(c.cat, QStringLiteral("select Source from MatSources where MaterialNo = :m order by Number"));
        st.bind(QStringLiteral("m"), material);
        while (st.step())
            sources << st.value(0).toString();
        ASSERT_FALSE(sources.isEmpty()) << material;
        for (int kind = 0; kind < 4; ++kind) {
            const QString text = c.print(kind, material);
            EXPECT_TRUE(text.contains(QStringLiteral("Zdroj údajů"))) << kind;
            for (const QString &s : sources)
                EXPECT_TRUE(text.contains(s)) << kind << " " << material << ": " << s.toStdString();
        }
    }
    EXPECT_GT(c.cat.scalar(QStringLiteral("select count(*) from MatSources where MaterialNo = :m"),
                            {{QStringLiteral("m"), most}})
                  .toInt(),
              1);
}

TEST(PrintoutSources, ACatalogueWithoutSourcesStillPrints)
{
    InstallReportUi();
    Catalogue c(false);
    ASSERT_TRUE(c.copied);
    ASSERT_FALSE(c.cat.tableExists(QStringLiteral("MatSources")));
    for (int kind = 0; kind < 4; ++kind)
        EXPECT_TRUE(c.print(kind, 2050).contains(QStringLiteral("Zdroj údajů není v katalogu uveden."))) << kind;
}

} // namespace
