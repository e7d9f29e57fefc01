// The report components: data checks, template loading and saving, the one running print or
// preview, entry points, details and metafile export.

#include "RunTestSupport.h"

#include "report/model/TemplateFile.h"
#include "report/output/ExportSupport.h"
#include "report/output/ZnakovePole.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace orv;
using namespace runtest;

namespace {

struct Messages {
    QStringList texts;
    QStringList captions;
    bool answer = false;
    Messages()
    {
        setSestMessageHandler([this](TSestMessageKind, const QString &caption, const QString &text) {
            captions << caption;
            texts << text;
            return answer;
        });
    }
    ~Messages() { setSestMessageHandler({}); }
};

const QStringList kList{"I,3,2,1,20,0", "T,2,Name,0,0,200,20,Arial,10,0,0,0,0,238"};

class SestavaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureApp();
        data.Columns = {"Name"};
        data.Rows = {{"a"}, {"b"}, {"c"}};
        rep.DataSource = &data;
        rep.IsStored = true;
        rep.Predloha = kList;
    }
    void TearDown() override
    {
        // back to what the layer installs by itself
        TSestavaEntryPoints e;
        InstallCharacterOutput(e);
        sestavaEntryPoints() = e;
    }

    Messages msg;
    MemoryBridge data;
    TSestava rep;
};

} // namespace

TEST_F(SestavaTest, DefaultsOfANewComponent)
{
    TSestava r;
    EXPECT_EQ(r.Popis, "Tisková úloha TOLVA");
    EXPECT_EQ(r.IniFileName, "SestDLL.ini");
    EXPECT_EQ(r.PrintCopies, 1);
    EXPECT_EQ(r.StartPage, 1);
    EXPECT_EQ(r.EndPage, 9999);
    EXPECT_EQ(r.MaxRecords, 0);
    EXPECT_FALSE(r.TiskJedenZaznam);
    EXPECT_EQ(r.Location.ReportDir(), ".\\");
    EXPECT_TRUE(r.Location.ReportDirIgnore);
    EXPECT_FALSE(r.IsStored);
    EXPECT_EQ(r.Sections.count(), 5);
    r.setReportName("a.b");
    EXPECT_EQ(r.ReportName(), "a.pts");
}

TEST_F(SestavaTest, RunRestoresPositionAndControlsAndReportsErrors)
{
    data.Pos = 1;
    int errors = 0;
    rep.OnError = [&](TSestava &, int) { ++errors; return true; };
    ASSERT_EQ(rep.Run(), seOk);
    EXPECT_EQ(data.Pos, 1);
    EXPECT_EQ(data.Disables, 1);
    EXPECT_EQ(data.Enables, 1);
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(rep.Vystup.Page(0)->count(), 3);

    // A master with details leaves the controls alone.
    TSestDetail d;
    MemoryBridge dd;
    d.DataSource = &dd;
    d.setMasterSestava(&rep);
    ASSERT_EQ(rep.Run(), seOk);
    EXPECT_EQ(data.Disables, 1);

    // No data source: the message, 8 and OnError.
    TSestava none;
    none.IsStored = true;
    none.Predloha = kList;
    none.OnError = [&](TSestava &, int e) { errors += e; return true; };
    EXPECT_EQ(none.Run(), seNotReady);
    EXPECT_EQ(msg.texts.value(0), "Není definován zdroj dat.");
    EXPECT_EQ(msg.captions.value(0), "Chyba");
    EXPECT_EQ(errors, 8);
}

TEST_F(SestavaTest, AClosedDataSetIsOfferedOpenedAndClosedAgain)
{
    data.Active = false;
    msg.answer = false;
    EXPECT_EQ(rep.Run(), seNotReady);
    EXPECT_EQ(msg.texts.value(0), "Připojená tabulka není aktivní. Zkusit otevřít?");
    EXPECT_EQ(msg.captions.value(0), "Potvrzení");
    EXPECT_EQ(data.Opens, 0);

    msg.answer = true;
    EXPECT_EQ(rep.Run(), seOk);
    EXPECT_EQ(data.Opens, 1);
    EXPECT_EQ(data.Closes, 1);
    EXPECT_FALSE(data.Active);

    // One that was open stays open.
    data.Active = true;
    EXPECT_EQ(rep.Run(), seOk);
    EXPECT_EQ(data.Closes, 1);
}

TEST_F(SestavaTest, TemplateFileLoadedSavedWithOneBackupAndMissingGivesFour)
{
    QTemporaryDir dir;
    rep.IsStored = false;
    rep.Predloha.clear();
    rep.Location.ReportDirIgnore = false;
    rep.Location.setReportDir(dir.path());
    rep.setReportName("seznam");
    const QString path = dir.filePath("seznam.pts");
    EXPECT_EQ(rep.TemplatePath(), path);

    int errors = 0, previews = 0;
    rep.OnError = [&](TSestava &, int e) { errors = e; return true; };
    sestavaEntryPoints().Preview = [&](TSestava &, const QRect &, int, int, int) { ++previews; return 1; };
    EXPECT_EQ(rep.Preview(), seTemplateNotLoaded);
    EXPECT_EQ(errors, seTemplateNotLoaded);
    EXPECT_EQ(previews, 0);
    EXPECT_EQ(msg.texts.value(0),
              QString("Nebyl nalezen soubor s předlohou tiskové sestavy \"%1\"").arg(path));

    ASSERT_EQ(saveTemplateFile(path, kList, false), seOk);
    EXPECT_EQ(rep.Preview(), 1);
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(rep.Predloha, kList);

    rep.Predloha << "K,1,0,0,0,100,20,Arial,10,0,0,0,0,238,\"konec\",0,0,0,\"\",0,\"\"";
    EXPECT_EQ(rep.SaveTemplate(), seOk);
    EXPECT_EQ(rep.SaveTemplate(), seOk);
    const QStringList files = QDir(dir.path()).entryList(QDir::Files);
    EXPECT_EQ(files.size(), 2);
    EXPECT_TRUE(QFile::exists(backupPathFor(path)));
    QStringList back;
    loadTemplateFile(path, back);
    EXPECT_EQ(back.size(), 3);
}

TEST_F(SestavaTest, OnlyOnePrintOrPreviewAtATime)
{
    TSestava other;
    other.DataSource = &data;
    other.IsStored = true;
    other.Predloha = kList;
    int inner = -1;
    bool running = false;
    sestavaEntryPoints().Preview = [&](TSestava &, const QRect &, int, int, int) {
        running = sestavaOperationRunning();
        inner = other.Print();
        return 0;
    };
    EXPECT_EQ(rep.Preview(), 0);
    EXPECT_TRUE(running);
    EXPECT_EQ(inner, seBusy);
    EXPECT_FALSE(sestavaOperationRunning());
    EXPECT_EQ(other.Vystup.PageCount(), 0);   // the refused print did nothing

    // Without a preview window the entry point says it is not available, after the run.
    sestavaEntryPoints().Preview = nullptr;
    EXPECT_EQ(rep.Preview(), seNotReady);
    EXPECT_FALSE(sestavaOperationRunning());
}

TEST_F(SestavaTest, EntryPointsOfLaterLayersAreNotAvailableUntilInstalled)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    // The file writers of this layer are installed from the start.
    EXPECT_EQ(rep.ExportPdf(buf), seOk);
    EXPECT_TRUE(bytes.startsWith("%PDF-1.3"));
    EXPECT_EQ(rep.Edit(), seNotReady);
    int edits = 0;
    sestavaEntryPoints().Edit = [&](TSestavaTyp &r, const QRect &, int, int) {
        ++edits;
        EXPECT_EQ(r.Predloha, kList);
        return 0;
    };
    EXPECT_EQ(rep.Edit(), seOk);
    EXPECT_EQ(edits, 1);
}

TEST_F(SestavaTest, MetafilesOnePerPageAndNoneWithoutPages)
{
    QTemporaryDir dir;
    TSestava empty;
    EXPECT_EQ(empty.TSestavaTyp::ExportEmf(dir.filePath("x.emf")), seNotReady);

    data.Rows.clear();
    for (int i = 0; i < 120; ++i)
        data.Rows.push_back({QString::number(i)});
    ASSERT_EQ(rep.ExportEmf(dir.filePath("strana.emf")), seOk);
    const int pages = rep.Vystup.PageCount();
    ASSERT_GE(pages, 2);
    for (int i = 1; i <= pages; ++i) {
        QFile f(dir.filePath(QString("strana%1.emf").arg(i)));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << i;
        const QByteArray head = f.read(44);
        ASSERT_EQ(head.size(), 44);
        EXPECT_EQ(head.mid(40, 4), QByteArray(" EMF"));   // the EMF header's signature
    }
    EXPECT_FALSE(QFile::exists(dir.filePath(QString("strana%1.emf").arg(pages + 1))));
    EXPECT_EQ(rep.ExportEmfPageFile(dir.filePath("nowhere/x.emf"), 0), seOutputNotWritten);
}

TEST_F(SestavaTest, DetailsMoveBetweenMastersAndHaveNoTemplateOfTheirOwn)
{
    TSestDetail d;
    d.setMasterSestava(&rep);
    EXPECT_EQ(rep.DetailList().size(), 1);
    EXPECT_EQ(d.LoadTemplate(false), seNotReady);
    {
        TSestava other;
        d.setMasterSestava(&other);
        EXPECT_TRUE(rep.DetailList().isEmpty());
        EXPECT_EQ(other.DetailList().size(), 1);
    }
    EXPECT_EQ(d.MasterSestava(), nullptr);   // the destroyed master let go of it
}

TEST_F(SestavaTest, DataFromEventsWithoutADataSource)
{
    rep.DataSource = nullptr;
    int steps = 0;
    QStringList values{"x", "y"};
    rep.SetFieldNames({"Name"});
    rep.OnGetData = [&](TSestavaD &) {};
    rep.OnStepData = [&](TSestavaD &, TStepDir dir) {
        steps = dir == sdFirst ? 0 : steps + 1;
        return steps < values.size() ? 0 : srEof;
    };
    rep.Predloha = {"I,3,2,1,20,0", "T,1,0,0,0,200,20,Arial,10,0,0,0,0,238,\"řádek\",0,0,0,\"\",0,\"\""};
    EXPECT_EQ(rep.Run(), seOk);
    EXPECT_EQ(findText(rep.Vystup, "řádek").size(), 2u);
    EXPECT_TRUE(msg.texts.isEmpty());
}
