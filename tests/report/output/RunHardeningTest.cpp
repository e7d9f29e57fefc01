// The run and the component where they used to go wrong: a run after a handler threw, a
// report over no records, the drawing order of a page with many items, and saving and
// loading templates whose names differ by case or that cannot be read.

#include "RunTestSupport.h"

#include "report/model/TemplateFile.h"
#include "support/LogCapture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <random>
#include <stdexcept>

#include <sys/wait.h>
#include <unistd.h>

using namespace orv;
using namespace runtest;

namespace {

struct Handler {
    QStringList texts;
    bool answer = false;
    Handler()
    {
        setSestMessageHandler([this](TSestMessageKind, const QString &, const QString &text) {
            texts << text;
            return answer;
        });
    }
    ~Handler() { setSestMessageHandler({}); }
};

class RunHardening : public ::testing::Test {
protected:
    void SetUp() override { ensureApp(); }
    void TearDown() override { sestavaEntryPoints() = TSestavaEntryPoints(); }
};

} // namespace

// A bridge that fails while a field is read: the report goes on with the field's defaults,
// and the log names what failed and why.
TEST_F(RunHardening, AFailingFieldReadIsDefaultedAndLogged)
{
    struct FailingBridge : MemoryBridge {
        QString DisplayText(int) const override { throw std::runtime_error("spojení ztraceno"); }
        int FieldDataType(int) const override { throw std::runtime_error("typ nečitelný"); }
        bool IsNull(int) const override { throw std::runtime_error("null nečitelný"); }
        bool Picture(int, QImage &) const override { throw std::runtime_error("obrázek nečitelný"); }
    } data;
    data.Columns = {"Name"};
    data.Rows = {{"a"}};
    TSestava rep;
    rep.DataSource = &data;
    ASSERT_TRUE(rep.PrepareFields());
    orv::test::LogCapture log;
    orv::test::LogCapture::lines().clear();
    EXPECT_EQ(rep.FieldText(0), QStringLiteral("????"));
    EXPECT_EQ(rep.FieldDataType(0), 0);
    EXPECT_EQ(rep.FieldMemo(0), QStringLiteral("????"));
    EXPECT_TRUE(log.contains("orvalis.report", "FieldText: zachycena výjimka: spojení ztraceno"));
    EXPECT_TRUE(log.contains("orvalis.report", "FieldDataType: zachycena výjimka: typ nečitelný"));
    EXPECT_TRUE(log.contains("orvalis.report", "FieldMemo"));
    EXPECT_EQ(rep.FieldValue(0).Text, QStringLiteral("????"));
    EXPECT_FALSE(rep.FieldIsNull(0));
    QImage picture(1, 1, QImage::Format_RGB32);
    EXPECT_FALSE(rep.FieldPicture(0, picture));
    EXPECT_TRUE(picture.isNull());
    EXPECT_TRUE(log.contains("orvalis.report", "FieldValue: zachycena výjimka"));
    EXPECT_TRUE(log.contains("orvalis.report", "FieldIsNull: zachycena výjimka: null nečitelný"));
    EXPECT_TRUE(log.contains("orvalis.report", "FieldPicture: zachycena výjimka: obrázek nečitelný"));
}

// A handler that throws leaves the run through an exception. The next run must not use the
// measuring canvas or the cancel flag of the run that died (AddressSanitizer reports a
// use after free there), and a detail must let go of its master's store.
TEST_F(RunHardening, RunAfterAThrowingHandlerStartsClean)
{
    Handler h;
    TSestava rep;
    OrdersWithItems orders(rep, {"O1", "O2", "O3"}, {"i1", "i2"});
    TSestDetail &detail = orders.Detail;

    // The detail's own section handler throws in the second master record.
    int calls = 0;
    detail.OnTiskOddilu = [&calls](TSestDetail &, int, bool &) {
        if (++calls == 3)
            throw std::runtime_error("handler failed");
    };
    EXPECT_THROW(rep.Run(), std::runtime_error);
    EXPECT_EQ(&detail.store(), &detail.Vystup);

    // The master's own handler throws.
    detail.OnTiskOddilu = nullptr;
    rep.OnTiskOddilu = [](TSestava &, int, bool &) { throw std::runtime_error("handler failed"); };
    EXPECT_THROW(rep.Run(), std::runtime_error);

    rep.OnTiskOddilu = nullptr;
    ASSERT_EQ(rep.Run(), seOk);
    EXPECT_EQ(rep.RecordsPrinted, 3);
    EXPECT_EQ(findText(rep.Vystup, "i2").size(), 3u);
    EXPECT_EQ(&detail.store(), &detail.Vystup);
}

// Over no rows the page keeps its header, one empty body and its footer, but nothing is
// counted: the records printed and a counting function say 0.
TEST_F(RunHardening, NoRecordsCountAsNone)
{
    MemoryBridge data;
    data.Columns = {"Name"};
    TSestava rep;
    Template t;
    t.section(2, true, 20).section(3, true, 20)
        .function("Pocet", "1", 1, 0)
        .text("T", 1, "0", 0, 0, 100, 20, "Tělo")
        .text("K", 6, "Pocet", 0, 0, 100, 20);
    rep.IsStored = true;
    rep.Predloha = t.Lines;
    rep.DataSource = &data;
    ASSERT_EQ(rep.Run(), seOk);
    EXPECT_EQ(rep.RecordsPrinted, 0);
    EXPECT_EQ(findText(rep.Vystup, "Tělo").size(), 1u);
    EXPECT_EQ(findText(rep.Vystup, "0").size(), 1u);
    EXPECT_TRUE(findText(rep.Vystup, "1").empty());

    data.Rows = {{"a"}, {"b"}};
    ASSERT_EQ(rep.Run(), seOk);
    EXPECT_EQ(rep.RecordsPrinted, 2);
    EXPECT_EQ(findText(rep.Vystup, "2").size(), 1u);
}

namespace {

// The drawing order as a walk over the page: before the first item the new one does not
// pass over; the same layer as that item when they compare equal, else a new one.
int walkCompare(const TVystPrvek &e, const TVystPrvek &n)
{
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    const int ek = e.kind(), nk = n.kind();
    if (isTextKind(ek) && isTextKind(nk))
        return sign(e.Element->TextFlags - n.Element->TextFlags);
    if (ek >= 7 && ek <= 12 && nk >= 7 && nk <= 12)
        return 0;
    return sign(nk - ek);
}

void walkInsert(std::vector<std::pair<TVystPrvek *, int>> &page, int &layers, TVystPrvek *n)
{
    if (page.empty()) {
        page.push_back({n, layers});
        return;
    }
    for (auto it = page.begin(); it != page.end(); ++it) {
        const int r = walkCompare(*it->first, *n);
        if (r < 0)
            continue;
        const int layer = r == 0 ? it->second : ++layers;
        page.insert(it, {n, layer});
        return;
    }
    page.push_back({n, ++layers});
}

} // namespace

// The page finds an item's place by a binary search; order and layers are those of the walk.
TEST_F(RunHardening, PageOrderAndLayersOfAMixedPage)
{
    std::mt19937 rng(23);
    std::vector<std::unique_ptr<TSiReportElement>> elements;
    for (int kind : {1, 2, 3, 6, 7, 8, 10, 11, 12, 13, 14}) {
        for (int flags : {0, 0x10, 0x40, 0x50}) {
            auto e = std::make_unique<TSiReportElement>();
            e->Kind = kind;
            e->TextFlags = flags;
            elements.push_back(std::move(e));
        }
    }
    for (int round = 0; round < 5; ++round) {
        TStranaPrvku page;
        std::vector<std::pair<TVystPrvek *, int>> walk;
        int layers = 0;
        for (int i = 0; i < 400; ++i) {
            TSiReportElement *e = elements[rng() % elements.size()].get();
            auto item = std::make_unique<TVystPrvek>(e, i, 0, 1, 1);
            walkInsert(walk, layers, item.get());
            page.Insert(std::move(item));
        }
        ASSERT_EQ(page.count(), int(walk.size()));
        for (int i = 0; i < page.count(); ++i) {
            ASSERT_EQ(page.item(i), walk[size_t(i)].first) << "round " << round << " item " << i;
            ASSERT_EQ(page.item(i)->Layer, walk[size_t(i)].second) << "round " << round << " item " << i;
        }
        EXPECT_EQ(page.LayerCount, layers);
    }
}

// "Save as" writes where the user pointed, letter case and all.
TEST_F(RunHardening, SaveTemplateAsKeepsTheCaseOfTheChosenName)
{
    Handler h;
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("Sestavy/Ceník"));
    const QString chosen = dir.filePath("Sestavy/Ceník/Přehled Materiálů.pts");
    TSestava rep;
    rep.Predloha = {"I,3,2,1,20,0", "T,1,0,0,0,200,20,Arial,10,0,0,0,0,238,\"Text\",0,0,0,\"\",0,\"\""};
    rep.Location.ReportDirIgnore = false;
    rep.Location.setReportDir(dir.filePath("Sestavy"));
    rep.setReportName("stara.pts");
    sestavaEntryPoints().SaveAsDialog = [&](const QString &, const QString &) { return chosen; };
    ASSERT_EQ(rep.SaveTemplateAs(), seOk);
    EXPECT_TRUE(QFileInfo(chosen).isFile());
    EXPECT_EQ(rep.TemplatePath(), chosen);

    // Outside the report folder: the folder goes with the name.
    const QString elsewhere = dir.filePath("Jinde.pts");
    sestavaEntryPoints().SaveAsDialog = [&](const QString &, const QString &) { return elsewhere; };
    ASSERT_EQ(rep.SaveTemplateAs(), seOk);
    EXPECT_TRUE(QFileInfo(elsewhere).isFile());
    EXPECT_EQ(rep.TemplatePath(), elsewhere);
}

// A template that is there but cannot be read is reported as unreadable, and answering the
// question (were one asked) never empties it. Root reads everything, so the load then runs
// in a child under an unprivileged user.
TEST_F(RunHardening, UnreadableTemplateIsNeverOfferedForCreation)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::Permissions(0x7755)));
    const QString path = dir.filePath("sestava.pts");
    const QByteArray content = "I,3,2,1,20,0\r\n";
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    ASSERT_TRUE(QFile::setPermissions(path, QFile::WriteOwner | QFile::WriteUser));
    if (geteuid() == 0) {
        ASSERT_EQ(chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
    }

    auto load = [&path]() {
        Handler h;
        h.answer = true;   // "create a new one?" would be answered yes
        TSestava rep;
        rep.Location.ReportDirIgnore = false;
        rep.Location.setReportDir(QFileInfo(path).absolutePath());
        rep.setReportName(QFileInfo(path).fileName());
        const int r = rep.LoadTemplate(true);
        const bool saysUnreadable = h.texts.size() == 1 && h.texts[0].contains("nelze jej přečíst");
        return r == seTemplateNotLoaded && saysUnreadable;
    };
    bool ok = false;
    if (geteuid() == 0) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            if (setgid(65534) != 0 || setuid(65534) != 0)
                _exit(3);
            _exit(load() ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_NE(WEXITSTATUS(status), 3) << "cannot become an unprivileged user";
        ok = WEXITSTATUS(status) == 0;
    } else {
        ok = load();
    }
    EXPECT_TRUE(ok);
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), content);
}
