// "Zdroj údajů" in the four material printouts: every source line of the catalogue in the
// printed text, and the notice for a catalogue made before sources were kept.

#include "db/Connection.h"
#include "printouts/PrintDialogs.h"
#include "report/model/SestavaMessages.h"
#include "report/ui/ReportUi.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace orv;
using namespace orv::printouts;

namespace {

QString pdfText(const QString &file)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {file, QStringLiteral("-")});
    p.waitForFinished(60000);
    // Lines joined: a long source may wrap in its column.
    return QString::fromUtf8(p.readAllStandardOutput()).replace(QRegularExpression(QStringLiteral("\\s+")),
                                                                QStringLiteral(" "));
}

std::unique_ptr<TfPrintBase> dialog(int kind, const PrintEnvironment &env)
{
    switch (kind) {
    case 0: return std::make_unique<TfPrintEkvivalenty>(env);
    case 1: return std::make_unique<TfPrintInfo>(env);
    case 2: return std::make_unique<TfPrintInfoMech>(env);
    default: return std::make_unique<TfPrintTempProc>(env);
    }
}

struct Catalogue
{
    QTemporaryDir dir;
    db::Connection conn{QStringLiteral("sources-test")};
    Catalogue(bool withSources)
    {
        const QString source = QStringLiteral(ORVALIS_BINARY_DIR "/orvalis/data/");
        QFile::copy(source + QStringLiteral("catalogue.sqlite"), dir.filePath(QStringLiteral("catalogue.sqlite")));
        QFile::copy(source + QStringLiteral("user.sqlite"), dir.filePath(QStringLiteral("user.sqlite")));
        if (!withSources) {
            db::Connection raw(QStringLiteral("sources-drop"));
            raw.openFile(dir.filePath(QStringLiteral("catalogue.sqlite")));
            raw.exec(QStringLiteral("drop table MatSources"));
        }
        conn.open(dir.filePath(QStringLiteral("catalogue.sqlite")), dir.filePath(QStringLiteral("user.sqlite")),
                  db::Database::Catalogue);
    }
    PrintEnvironment env(int material)
    {
        PrintEnvironment e;
        e.catalogue = &conn;
        e.programDir = QStringLiteral(ORVALIS_SOURCE_DIR);
        e.materialNo = material;
        e.showMessage = [](const QString &text) { ADD_FAILURE() << text.toStdString(); };
        return e;
    }
    QString print(int kind, int material)
    {
        const QString file = dir.filePath(QStringLiteral("p%1-%2.pdf").arg(kind).arg(material));
        EXPECT_EQ(dialog(kind, env(material))->printToPdf(file), 0);
        return pdfText(file);
    }
};

TEST(PrintoutSources, EveryPrintoutNamesTheSourcesOfTheValues)
{
    InstallReportUi();
    Catalogue c(true);
    // C45 (one source) and the material with the most sources.
    const int most = c.conn.scalar(QStringLiteral("select MaterialNo from MatSources group by MaterialNo "
                                                  "order by count(*) desc, MaterialNo limit 1"))
                         .toInt();
    for (int material : {2050, most}) {
        QStringList sources;
        db::Statement st(c.conn, QStringLiteral("select Source from MatSources where MaterialNo = :m order by Number"));
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
    EXPECT_GT(c.conn.scalar(QStringLiteral("select count(*) from MatSources where MaterialNo = :m"),
                            {{QStringLiteral("m"), most}})
                  .toInt(),
              1);
}

TEST(PrintoutSources, ACatalogueWithoutSourcesStillPrints)
{
    InstallReportUi();
    Catalogue c(false);
    ASSERT_FALSE(c.conn.tableExists(QStringLiteral("MatSources")));
    for (int kind = 0; kind < 4; ++kind)
        EXPECT_TRUE(c.print(kind, 2050).contains(QStringLiteral("Zdroj údajů není v katalogu uveden."))) << kind;
}

} // namespace
