// "Zdroj údajů" on the first page of the card: every grade of the demo catalogue shows the
// "source:" lines its material file gives (read here from the files themselves), and a
// catalogue made before the sources were kept still opens its cards.

#include "browse/MaterialCard.h"
#include "browse/MaterialSources.h"
#include "db/Connection.h"
#include "support/CardSessions.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>

#include <gtest/gtest.h>

using namespace orv::browse;

namespace {

const QString program = QStringLiteral(ORVALIS_BINARY_DIR "/orvalis/");

// material number -> its "source:" lines, straight from data/catalogue/materials.
QMap<int, QStringList> sourcesOfTheFiles()
{
    QMap<int, QStringList> out;
    const QDir dir(QStringLiteral(ORVALIS_SOURCE_DIR "/data/catalogue/materials"));
    const QRegularExpression key(QStringLiteral("^([a-z]+): (.*)$"));
    for (const QString &name : dir.entryList({QStringLiteral("*.txt")}, QDir::Files)) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        int material = 0;
        for (const QString &raw : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
            const QRegularExpressionMatch m = key.match(raw.trimmed());
            if (!m.hasMatch())
                continue;
            if (m.captured(1) == u"material")
                material = m.captured(2).trimmed().toInt();
            else if (m.captured(1) == u"source")
                out[material] << m.captured(2).trimmed();
        }
    }
    return out;
}

// The sessions opened as the program opens them, and a card environment with the "Pdf" flag set.
struct Sessions : orv::test::CardSessions {
    explicit Sessions(const QString &data) { openSessions(data); }
    CardEnvironment environment(const QString &root, const QString &settings)
    {
        CardEnvironment env = cardEnvironment(root, settings);
        env.pdfInstalled = [] { return true; };
        return env;
    }
};

} // namespace

TEST(MaterialCardSources, EveryDemoGradeShowsItsSourceOnTheFirstPage)
{
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    const QMap<int, QStringList> files = sourcesOfTheFiles();
    ASSERT_GT(files.size(), 100);
    QTemporaryDir tmp;
    Sessions s(program + QStringLiteral("data/"));
    MaterialCard card(s.environment(program, tmp.filePath(QStringLiteral("Zeb.ini"))));
    card.setAttribute(Qt::WA_DeleteOnClose, false);
    ASSERT_TRUE(card.sourcesLabel());
    EXPECT_TRUE(card.page(MaterialCard::BasicInfo)->isAncestorOf(card.sourcesLabel()));

    QList<int> grades;
    orv::db::Statement st(s.cat, QStringLiteral("select Number from Mat order by Number"));
    while (st.step())
        grades << st.value(0).toInt();
    ASSERT_EQ(grades.size(), files.size());
    for (int no : grades) {
        card.load(no);
        const QStringList want = files.value(no);
        ASSERT_FALSE(want.isEmpty()) << "material " << no << " has no source line in its file";
        EXPECT_EQ(card.sourcesLabel()->text(), want.join(QLatin1Char('\n'))) << "material " << no;
    }
}

TEST(MaterialCardSources, ACatalogueWithoutTheTableOpensItsCardsAndSaysSo)
{
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    QTemporaryDir tmp;
    const QString data = tmp.path() + QStringLiteral("/data/");
    ASSERT_TRUE(orv::test::copyDemoCatalogue(tmp.path() + QStringLiteral("/data")));
    {
        orv::db::Connection c;
        c.openFile(data + QStringLiteral("catalogue.sqlite"));
        c.exec(QStringLiteral("drop table MatSources"));
    }
    // Opened as the program opens it; the card must not need the table.
    Sessions s(data);
    EXPECT_TRUE(materialSources(s.cat, 2050).isEmpty());
    MaterialCard card(s.environment(tmp.path() + QStringLiteral("/"), tmp.filePath(QStringLiteral("Zeb.ini"))));
    card.setAttribute(Qt::WA_DeleteOnClose, false);
    card.load(2050);
    EXPECT_EQ(card.nameLabel()->text(), QStringLiteral("Ocel k zušlechťování nelegovaná C45"));
    EXPECT_EQ(card.sourcesLabel()->text(), QStringLiteral("Zdroj údajů není v katalogu uveden."));
}

TEST(MaterialCardSources, PictureOfC45WithItsSource)
{
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    const QString out = QStringLiteral(ORVALIS_BINARY_DIR "/card-screens/");
    QDir().mkpath(out);
    QTemporaryDir tmp;
    Sessions s(program + QStringLiteral("data/"));
    MaterialCard card(s.environment(program, tmp.filePath(QStringLiteral("Zeb.ini"))));
    card.setAttribute(Qt::WA_DeleteOnClose, false);
    card.setTitle(QStringLiteral("C45 (12 050)"));
    card.resize(1100, 640);
    card.load(2050);
    card.setActivePage(MaterialCard::BasicInfo);
    card.show();
    EXPECT_TRUE(card.sourcesLabel()->isVisible());
    EXPECT_TRUE(card.sourcesLabel()->text().contains(QStringLiteral("10083")));
    const QImage img = card.grab().toImage();
    EXPECT_TRUE(img.save(out + QStringLiteral("card-source.png")));
}
