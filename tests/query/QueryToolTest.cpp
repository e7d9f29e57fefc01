// orv_query run as a user runs it, on a copy of the demo catalogue laid out as a program
// folder: its JSON is read by jq and python3 and agrees with what the card shows, its
// composition search lists what the search window lists in the same order, it refuses what
// it cannot do with a message and a non-zero status, and the README's road from
// "find 42CrMo4" to a CalculiX run works.
#include "browse/MaterialCard.h"
#include "browse/MaterialCardCells.h"
#include "search/SearchWindowFixture.h"
#include "search/TfHledani.h"
#include "support/FindChild.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>

#include <gtest/gtest.h>

namespace {

struct Output
{
    int exit = -1;
    QByteArray out;
    QString err;
};

// The search window's fixture gives a program folder (root) with the demo catalogue and a
// live window over the same files.
class QueryTool : public SearchWindowFixture
{
protected:
    QueryTool() : SearchWindowFixture(false, orv::ui::mrOk) {}

    Output query(const QStringList &args, const QString &workDir = QString())
    {
        QProcess p;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        // An empty machine registry: the catalogue lies on disk.
        e.insert(QStringLiteral("ORVALIS_MACHINE_REGISTRY"), root + QStringLiteral("registry.ini"));
        e.insert(QStringLiteral("ORVALIS_USER_REGISTRY"), root + QStringLiteral("user-registry.ini"));
        p.setProcessEnvironment(e);
        if (!workDir.isEmpty())
            p.setWorkingDirectory(workDir);
        p.start(QStringLiteral(ORVALIS_QUERY_TOOL), QStringList{QStringLiteral("--program-folder"), root} + args);
        Output o;
        if (!p.waitForFinished(60000))
            return o;
        o.exit = p.exitCode();
        o.out = p.readAllStandardOutput();
        o.err = QString::fromUtf8(p.readAllStandardError());
        return o;
    }

    // Runs a tool on `input`; its exit status and output.
    static std::pair<int, QByteArray> pipe(const QString &program, const QStringList &args, const QByteArray &input)
    {
        QProcess p;
        p.start(program, args);
        p.write(input);
        p.closeWriteChannel();
        if (!p.waitForFinished(60000))
            return {-1, {}};
        return {p.exitCode(), p.readAllStandardOutput()};
    }

    static double cellNumber(QString text)
    {
        return text.replace(u',', u'.').toDouble();
    }
};

TEST_F(QueryTool, CardJsonIsReadByJqAndPythonAndAgreesWithTheCard)
{
    const Output o = query({QStringLiteral("card"), QStringLiteral("X5CrNi18-10"), QStringLiteral("--json")});
    ASSERT_EQ(o.exit, 0) << o.err.toStdString();
    EXPECT_EQ(pipe(QStringLiteral("python3"), {QStringLiteral("-m"), QStringLiteral("json.tool")}, o.out).first, 0);
    const auto [jqExit, jqOut] = pipe(QStringLiteral("jq"), {QStringLiteral("-r"),
        QStringLiteral("[.physical[] | select(.quantity==\"youngs_modulus\") | .min] | @csv")}, o.out);
    ASSERT_EQ(jqExit, 0);
    EXPECT_EQ(jqOut.trimmed(), QByteArray("200,194,186,179,172"));

    const QJsonObject j = QJsonDocument::fromJson(o.out).object();
    orv::browse::CardEnvironment env;
    env.catalogue = &data->catalogueSession();
    env.user = &data->userSession();
    env.dataRoot = [this] { return root; };
    env.settingsFile = root + QStringLiteral("Zeb.ini");
    orv::browse::MaterialCard card(env);
    card.load(j.value(QStringLiteral("material")).toInt());
    EXPECT_EQ(card.designationLabel()->text(), j.value(QStringLiteral("designation")).toString());

    // The composition grid: element over minimum over maximum, "max"/"min" for one-sided rows.
    const QJsonArray comp = j.value(QStringLiteral("composition")).toArray();
    QTableWidget *grid = card.compositionGrid();
    for (int c = 0; c < comp.size(); ++c) {
        const QJsonObject e = comp.at(c).toObject();
        EXPECT_EQ(grid->item(0, c)->text(), e.value(QStringLiteral("element")).toString());
        const QJsonValue min = e.value(QStringLiteral("min")), max = e.value(QStringLiteral("max"));
        if (min.isNull()) {
            EXPECT_EQ(grid->item(1, c)->text(), QStringLiteral("max"));
        } else {
            EXPECT_DOUBLE_EQ(cellNumber(grid->item(1, c)->text()), min.toDouble());
        }
        if (!max.isNull()) {
            EXPECT_DOUBLE_EQ(cellNumber(grid->item(2, c)->text()), max.toDouble());
        }
    }
    // The physical grid, row by row: property, temperature, minimum, maximum (null = empty).
    const QJsonArray phys = j.value(QStringLiteral("physical")).toArray();
    QAbstractItemModel *m = card.physicalGrid()->model();
    ASSERT_EQ(m->rowCount(), phys.size());
    for (int r = 0; r < phys.size(); ++r) {
        const QJsonObject p = phys.at(r).toObject();
        EXPECT_TRUE(m->index(r, 0).data().toString().startsWith(p.value(QStringLiteral("property")).toString()));
        EXPECT_EQ(m->index(r, 0).data().toString().contains(u'[' + p.value(QStringLiteral("unit")).toString() + u']'), true);
        EXPECT_DOUBLE_EQ(cellNumber(m->index(r, 1).data().toString()), p.value(QStringLiteral("temperature")).toDouble());
        EXPECT_DOUBLE_EQ(cellNumber(m->index(r, 2).data().toString()), p.value(QStringLiteral("min")).toDouble());
        EXPECT_EQ(m->index(r, 3).data().toString().isEmpty(), p.value(QStringLiteral("max")).isNull());
    }
    // The mechanical values of the card's first row, as its property grid shows them.
    const QJsonArray values = j.value(QStringLiteral("mechanical")).toArray().at(0).toObject().value(QStringLiteral("values")).toArray();
    QAbstractItemModel *pm = card.propertiesGrid()->model();
    ASSERT_EQ(pm->rowCount(), values.size());
    for (int r = 0; r < values.size(); ++r)
        EXPECT_EQ(pm->index(r, 2).data().toString(), values.at(r).toObject().value(QStringLiteral("text")).toString());
}

TEST_F(QueryTool, FindPrintsUtf8AndListsTheSheetsAndEquivalents)
{
    const Output o = query({QStringLiteral("find"), QStringLiteral("1.4301"), QStringLiteral("--json")});
    ASSERT_EQ(o.exit, 0) << o.err.toStdString();
    const QJsonArray rows = QJsonDocument::fromJson(o.out).array();
    ASSERT_FALSE(rows.isEmpty());
    bool stainless = false;
    for (const QJsonValue &v : rows)
        stainless = stainless || v.toObject().value(QStringLiteral("sheet_designation")).toString() == QStringLiteral("X5CrNi18-10");
    EXPECT_TRUE(stainless);
    const Output text = query({QStringLiteral("card"), QStringLiteral("42CrMo4")});
    ASSERT_EQ(text.exit, 0);
    EXPECT_TRUE(QString::fromUtf8(text.out).contains(QStringLiteral("Ocel k zušlechťování chrom-molybdenová 42CrMo4")));
    // JSON gives null where the catalogue has no value: 42CrMo4 has only a maximum of Si.
    const Output json = query({QStringLiteral("card"), QStringLiteral("42CrMo4"), QStringLiteral("--json")});
    const QJsonObject si = QJsonDocument::fromJson(json.out).object().value(QStringLiteral("composition")).toArray().at(1).toObject();
    EXPECT_TRUE(si.value(QStringLiteral("min")).isNull());
    EXPECT_DOUBLE_EQ(si.value(QStringLiteral("max")).toDouble(), 0.40);
}

TEST_F(QueryTool, RefusesWithAMessageAndANonZeroStatus)
{
    const struct
    {
        QStringList args;
        int exit;
        const char *message;
    } cases[] = {
        {{QStringLiteral("card"), QStringLiteral("NEEXISTUJE-99")}, 1, "nebyl v katalogu nalezen"},
        {{QStringLiteral("find"), QStringLiteral("zzzqqq")}, 1, "Žádný materiál"},
        {{QStringLiteral("composition"), QStringLiteral("Xx 1-2")}, 2, "Prvek „Xx“"},
        {{QStringLiteral("composition"), QStringLiteral("C 0.5-0.1")}, 2, "dolní mez větší"},
        {{QStringLiteral("composition"), QStringLiteral("C abc")}, 2, "nezáporné číslo"},
        {{QStringLiteral("composition"), QStringLiteral("C 0.3-0.4"), QStringLiteral("--rate"), QStringLiteral("150")}, 2, "0 až 100"},
        {{QStringLiteral("export"), QStringLiteral("42CrMo4"), QStringLiteral("--format"), QStringLiteral("pdf")}, 2, "--format"},
        {{QStringLiteral("export"), QStringLiteral("42CrMo4"), QStringLiteral("--format"), QStringLiteral("inp"),
          QStringLiteral("--set"), QStringLiteral("hustota=7850")}, 2, "VELIČINA=ČÍSLO"},
        {{QStringLiteral("frobnicate")}, 2, "Neznámý příkaz"},
    };
    for (const auto &c : cases) {
        const Output o = query(c.args);
        EXPECT_EQ(o.exit, c.exit) << c.args.join(u' ').toStdString();
        EXPECT_TRUE(o.err.contains(QString::fromUtf8(c.message))) << o.err.toStdString();
    }
}

TEST_F(QueryTool, CompositionListsWhatTheSearchWindowListsInItsOrder)
{
    // The criteria as the user types them into the window's list, and the success rate 70 %.
    conn().exec(QStringLiteral("delete from UserChemComp"));
    conn().exec(QStringLiteral("insert into UserChemComp (Number, ElementNo, MinValue, MaxValue, Selected) "
                               "select 1, Number, 0.38, 0.45, 1 from Elements where Label='C' union all "
                               "select 2, Number, 0.9, 1.2, 1 from Elements where Label='Cr'"));
    data->tUserChemComp.refresh();
    conn().exec(QStringLiteral("update Setup set Value='70' where Items='USPESNOST'"));
    orv::test::child<QTabWidget>(*window, "pages")->setCurrentIndex(orv::search::TfHledani::CompositionPage);
    orv::test::child<QRadioButton>(*window, "rbHledatPriblizne")->setChecked(true);
    window->find();
    const orv::db::DataSet &r = *window->result();
    QStringList shown;
    for (int i = 0; i < r.recordCount(); ++i)
        shown << QStringLiteral("%1 %2").arg(r.valueAt(i, QStringLiteral("MatNumber")).toInt()).arg(r.valueAt(i, QStringLiteral("Znacka")).toString());
    ASSERT_GE(shown.size(), 2);

    const Output o = query({QStringLiteral("composition"), QStringLiteral("C 0.38-0.45; Cr 0.9-1.2"), QStringLiteral("--rate"),
                            QStringLiteral("70"), QStringLiteral("--json")});
    ASSERT_EQ(o.exit, 0) << o.err.toStdString();
    QStringList listed;
    for (const QJsonValue &v : QJsonDocument::fromJson(o.out).array())
        listed << QStringLiteral("%1 %2").arg(v.toObject().value(QStringLiteral("material")).toInt()).arg(v.toObject().value(QStringLiteral("designation")).toString());
    EXPECT_EQ(listed, shown);
    EXPECT_TRUE(listed.contains(QStringLiteral("2142 42CrMo4")));
}

TEST_F(QueryTool, FromFindToACalculixRunInThreeCommands)
{
    const QString work = root + QStringLiteral("run/");
    ASSERT_TRUE(QDir().mkpath(work));
    ASSERT_TRUE(QFile::copy(QStringLiteral(ORVALIS_SOURCE_DIR "/tools/query/examples/brick.inp"), work + QStringLiteral("brick.inp")));
    EXPECT_EQ(query({QStringLiteral("find"), QStringLiteral("42CrMo4")}).exit, 0);
    // The catalogue gives 42CrMo4 no elastic constants: the user gives them and the card says so.
    const Output e = query({QStringLiteral("export"), QStringLiteral("42CrMo4"), QStringLiteral("--format"), QStringLiteral("inp"),
                            QStringLiteral("--name"), QStringLiteral("MAT"), QStringLiteral("--set"), QStringLiteral("youngs_modulus=210"),
                            QStringLiteral("--set"), QStringLiteral("poisson_ratio=0.3"), QStringLiteral("--out"), work + QStringLiteral("material.inp")});
    ASSERT_EQ(e.exit, 0) << e.err.toStdString();
    EXPECT_TRUE(e.err.contains(QStringLiteral("Chybí: Hustota")));
    QProcess ccx;
    ccx.setWorkingDirectory(work);
    ccx.start(QStringLiteral("ccx"), {QStringLiteral("-i"), QStringLiteral("brick")});
    ASSERT_TRUE(ccx.waitForFinished(120000));
    ASSERT_EQ(ccx.exitCode(), 0) << ccx.readAll().toStdString();
    QFile dat(work + QStringLiteral("brick.dat"));
    ASSERT_TRUE(dat.open(QIODevice::ReadOnly));
    EXPECT_TRUE(dat.readAll().contains(" 1   1  4.761905E-04")); // 100 MPa / 210 GPa
}

} // namespace
