// Character output: the character grid, text files in the four code pages (read back by
// iconv and recode), and raw jobs to a text-only CUPS queue.
#include "OutputTestSupport.h"
#include "QStringPrint.h"
#include "RunTestSupport.h"

#include "core/CodePage.h"
#include "report/model/PageSetup.h"
#include "report/output/PrinterMetrics.h"
#include "report/output/Sestava.h"
#include "report/output/TextPrinterCups.h"
#include "report/output/ZnakovePole.h"
#include "support/CupsTestServer.h"

#include <QBuffer>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cups/cups.h>
#include <gtest/gtest.h>

using namespace orv;

namespace {

const QString kCzech = QStringLiteral("ČüéďäĎŤčěĚĹÍľĺÄÁÉžŽôöÓůÚýÖÜŠĽÝŘťáíóúňŇŮÔšřŕŔ");

class CharacterOutputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        outtest::ensureGuiApplication();
        saved = pageSetup();
        pageSetup() = TPageSetup();   // A4 portrait
    }
    void TearDown() override { pageSetup() = saved; }

    // A text item of one or more lines on the page.
    TVystPrvek *text(int page, int left, int top, int width, const QStringList &lines,
                     int alignment = alLeft, const QString &font = QStringLiteral("Roman 10cpi"),
                     int size = 10, int style = 0)
    {
        auto e = outtest::element(ekText);
        e->Alignment = alignment;
        e->Font.Name = font;
        e->Font.Size = size;
        e->Font.Style = style;
        auto item = std::make_unique<TVystPrvek>(e.get(), left, top, width, 20 * int(lines.size()));
        TRadky r;
        for (const QString &l : lines) {
            TRadek line;
            TFragment f;
            f.Chars = l;
            f.Length = int(l.size());
            line.Runs.push_back(f);
            r.Lines.push_back(line);
        }
        item->SetLines(r);
        item->FirstLine = 0;
        item->LastLine = int(lines.size()) - 1;
        TVystPrvek *raw = item.get();
        store.AddItem(std::move(item), page);
        elements.push_back(std::move(e));
        return raw;
    }

    QByteArray saveText(int first = 1, int last = 9999, int copies = 1)
    {
        QByteArray bytes;
        QBuffer buf(&bytes);
        buf.open(QIODevice::WriteOnly);
        EXPECT_TRUE(SaveText(store, buf, first, last, nullptr, copies));
        return bytes;
    }

    TPageSetup saved;
    TSestVystup store;
    std::vector<std::unique_ptr<TSiReportElement>> elements;
};

QByteArray convertWith(const QString &program, const QStringList &args, const QByteArray &in)
{
    QProcess p;
    p.start(program, args);
    p.write(in);
    p.closeWriteChannel();
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return "<" + program.toUtf8() + " failed: " + p.readAllStandardError() + ">";
    return p.readAllStandardOutput();
}

} // namespace

TEST_F(CharacterOutputTest, RowsPerPageFollowTheLineSpacing)
{
    TZnakovePole grid;
    grid.Prepare(1169, 0);
    EXPECT_EQ(grid.Rows.size(), 70u);
    grid.Prepare(1169, 1);
    EXPECT_EQ(grid.Rows.size(), 46u);
    grid.Prepare(1169, 2);
    EXPECT_EQ(grid.Rows.size(), 35u);
    EXPECT_EQ(grid.UsedRows, 0);
    EXPECT_EQ(TZnakovePole::PitchOf(11), 0);
    EXPECT_EQ(TZnakovePole::PitchOf(9), 1);
    EXPECT_EQ(TZnakovePole::PitchOf(8), 2);
}

TEST_F(CharacterOutputTest, PlacingByPitchAlignmentAndOverlay)
{
    TZnakovePole grid;
    grid.Prepare(1169, 0);
    // "Roman 12cpi" counts as 10 points: 12 characters per inch, left 100 is column 12.
    TElementFont roman12;
    roman12.Name = QStringLiteral("Roman 12cpi");
    grid.Place(QRect(100, 0, 200, 20), QStringLiteral("Ocel"), alLeft, 0,
               TZnakovePole::FontSizeOf(roman12), 0);
    EXPECT_EQ(grid.OverlayRow(0).indexOf(u'O'), 12);
    // Right-aligned, width 100 at left 0 in 10 cpi: the text ends at column 9.
    grid.Place(QRect(0, 100, 100, 20), QStringLiteral("12,5"), alRight, 0, 11, 0);
    EXPECT_EQ(grid.OverlayRow(6), QStringLiteral("      12,5"));
    // Centred: a short text in the middle, a long one by its middle characters.
    grid.Place(QRect(0, 200, 100, 20), QStringLiteral("ab"), alCenter, 0, 11, 0);
    EXPECT_EQ(grid.OverlayRow(12), QStringLiteral("    ab    "));
    grid.Place(QRect(0, 300, 50, 20), QStringLiteral("0123456789"), alCenter, 0, 11, 0);
    EXPECT_EQ(grid.OverlayRow(18), QStringLiteral("23456"));
    // Left-aligned text is cut to the width; at least one character is placed.
    grid.Place(QRect(0, 400, 30, 20), QStringLiteral("abcdef"), alLeft, 0, 11, 0);
    EXPECT_EQ(grid.OverlayRow(24), QStringLiteral("abc"));
    // The line offset moves to the following rows; rows outside the page are dropped.
    grid.Place(QRect(0, 400, 100, 20), QStringLiteral("second"), alLeft, 0, 11, 1);
    EXPECT_EQ(grid.OverlayRow(25), QStringLiteral("second    "));   // padded to the width
    grid.Place(QRect(0, 1160, 100, 20), QStringLiteral("lost"), alLeft, 0, 11, 5);
    EXPECT_EQ(grid.UsedRows, 70 + 5 + 1);

    // Two items on one row in different pitches: the earlier layer wins, the later one
    // shows where the earlier has spaces.
    TZnakovePole two;
    two.Prepare(1169, 0);
    two.Place(QRect(0, 0, 100, 20), QStringLiteral("AB  EF"), alLeft, 0, 11, 0);          // pitch 0
    two.Place(QRect(0, 0, 100, 20), QStringLiteral("xxxxxxxx"), alLeft, fsBold, 8, 0);     // pitch 2
    EXPECT_EQ(two.OverlayRow(0).trimmed(), QStringLiteral("ABxxEFxx"));
}

TEST_F(CharacterOutputTest, ALongLineIsCutAtTheLastColumnInsteadOfDropped)
{
    TZnakovePole grid;
    grid.Prepare(1169, 0);
    const QString longText(300, u'x');
    grid.Place(QRect(0, 0, 3000, 20), longText, alLeft, 0, 11, 0);
    EXPECT_EQ(grid.OverlayRow(0).size(), 255);
    // Starting at column 250, only five characters fit.
    grid.Place(QRect(2500, 100, 1000, 20), QStringLiteral("abcdefgh"), alLeft, 0, 11, 0);
    EXPECT_EQ(grid.OverlayRow(6).trimmed(), QStringLiteral("abcde"));
    // Columns left of the sheet are skipped.
    grid.Place(QRect(-30, 200, 100, 20), QStringLiteral("abcdef"), alLeft, 0, 11, 0);
    EXPECT_EQ(grid.OverlayRow(12), QStringLiteral("def    "));
}

TEST_F(CharacterOutputTest, TextFileHasFullPagesExceptTheLastAndCopies)
{
    for (int p = 0; p < 3; ++p)
        text(p, 0, 100 * p, 300, {QStringLiteral("Strana %1").arg(p + 1), QStringLiteral("druhý řádek")});
    store.SetLineSpacing(0);
    const QByteArray file = saveText();
    const QList<QByteArray> lines = file.split('\n');
    // 70 + 70 rows, then the third page's rows up to its last used one (12 + 2), each
    // ended by CR LF.
    EXPECT_EQ(lines.size() - 1, 70 + 70 + 14);
    EXPECT_TRUE(file.endsWith("\r\n"));
    EXPECT_EQ(lines.at(0).trimmed(), QByteArray("Strana 1"));
    EXPECT_EQ(lines.at(0).size(), 30 + 1);   // the item's 30 columns and CR
    EXPECT_EQ(lines.at(70 + 6).trimmed(), QByteArray("Strana 2"));
    EXPECT_EQ(lines.at(140 + 12).trimmed(), QByteArray("Strana 3"));
    // Report text is in code page 1250 when no conversion is chosen.
    EXPECT_EQ(lines.at(1).trimmed(), QByteArray("druh\xFD \xF8\xE1" "dek"));
    // The range is clipped to the store; copies repeat it.
    EXPECT_EQ(saveText(3, 7).count('\n'), 14);
    EXPECT_EQ(saveText(3, 3, 2).count('\n'), 28);
    // An empty store writes nothing and succeeds.
    TSestVystup empty;
    QBuffer buf;
    buf.open(QIODevice::WriteOnly);
    EXPECT_TRUE(SaveText(empty, buf, 1, 9999, nullptr, 1));
    EXPECT_TRUE(buf.data().isEmpty());
    // The abort flag stops the job and reports it.
    bool abort = true;
    QBuffer aborted;
    aborted.open(QIODevice::WriteOnly);
    EXPECT_FALSE(SaveText(store, aborted, 1, 3, &abort, 1));
}

// A list whose rows are 0.20 inch apart on a grid of 1/6 inch: every row of the list is
// one line of the file, none lost and no blank line between them; a three-line item keeps
// its lines and the row below it follows them.
TEST_F(CharacterOutputTest, ListRowsBecomeConsecutiveLinesWithoutBlankOnes)
{
    const int rows = 48;
    for (int i = 0; i < rows; ++i) {
        text(0, 0, 20 + 20 * i, 200, {QStringLiteral("řádek %1").arg(i + 1)});
        text(0, 300, 20 + 20 * i, 100, {QString::number(i * 7)}, alRight);
    }
    text(1, 0, 0, 200, {QStringLiteral("první"), QStringLiteral("druhý"), QStringLiteral("třetí")});
    text(1, 0, 60, 200, {QStringLiteral("pod nimi")});
    text(1, 0, 150, 200, {QStringLiteral("po mezeře")});
    store.SetLineSpacing(0);
    const QList<QByteArray> lines = saveText().split('\n');
    QList<QByteArray> listed;
    for (int i = 0; i < 70; ++i)
        if (!lines.at(i).trimmed().isEmpty())
            listed << lines.at(i).trimmed();
    ASSERT_EQ(listed.size(), rows);
    for (int i = 0; i < rows; ++i) {
        const QByteArray l = lines.at(1 + i);
        EXPECT_TRUE(l.startsWith(encode(QStringLiteral("řádek %1").arg(i + 1), CodePage::Cp1250)))
            << "line " << 1 + i << ": " << l.constData();
        EXPECT_TRUE(l.trimmed().endsWith(QByteArray::number(i * 7))) << l.constData();
    }
    // Page 2: three lines, the item below them, then a gap of 0.70 inch (four rows).
    EXPECT_EQ(lines.at(70).trimmed(), QByteArray("prvn\xED"));
    EXPECT_EQ(lines.at(72).trimmed(), QByteArray("t\xF8" "et\xED"));
    EXPECT_EQ(lines.at(73).trimmed(), QByteArray("pod nimi"));
    for (int i = 74; i < 78; ++i)
        EXPECT_TRUE(lines.at(i).trimmed().isEmpty()) << i;
    EXPECT_EQ(lines.at(78).trimmed(), encode(QStringLiteral("po mezeře"), CodePage::Cp1250));
}

TEST_F(CharacterOutputTest, CodePagesConvertEveryCharacterTheyHave)
{
    EXPECT_EQ(ConvertCharacterText(QStringLiteral("Přehled"), slASCII), QByteArray("Prehled"));
    const QByteArray cp852 = ConvertCharacterText(QStringLiteral("Přehled"), slCP852);
    EXPECT_EQ(quint8(cp852.at(1)), 253);
    // The 44 letters occupy 128..171 of the Kamenický page in their order.
    const QByteArray kam = ConvertCharacterText(kCzech, slCP867);
    ASSERT_EQ(kam.size(), 44);
    for (int i = 0; i < 44; ++i)
        EXPECT_EQ(quint8(kam.at(i)), 128 + i) << i;
    EXPECT_EQ(ConvertCharacterText(kCzech, slASCII),
              QByteArray("CuedaDTceELIllAAEzZooOuUyOUSLYRtaiounNUOsrrR"));
    // Characters the target page lacks become "?", in ASCII too unless they are letters.
    EXPECT_EQ(ConvertCharacterText(QStringLiteral("20 °C – § ł"), slASCII), QByteArray("20 ?C ? ? l"));
    EXPECT_EQ(ConvertCharacterText(QStringLiteral("°§–"), slCP852), QByteArray("\xF8\xF5?"));
    EXPECT_EQ(ConvertCharacterText(QStringLiteral("°§–€"), slUndefined), QByteArray("\xB0\xA7\x96\x80"));
    // Text outside code page 1250 is "?" everywhere.
    EXPECT_EQ(ConvertCharacterText(QStringLiteral("Ω"), slCP852), QByteArray("?"));
}

// iconv reads the cp852 file and recode the Kamenický (KEYBCS2) one back to UTF-8.
TEST_F(CharacterOutputTest, OutsideToolsReadTheFilesBack)
{
    const QString sample = kCzech + QStringLiteral(" 20 °C § 5 – 6");
    text(0, 0, 0, 800, {sample});
    store.SetLineSpacing(0);
    struct Case {
        int language;
        const char *program;
        QStringList args;
        QString missing;   // characters the page lacks
    };
    const std::vector<Case> cases = {
        {slCP852, "iconv", {QStringLiteral("-f"), QStringLiteral("CP852"), QStringLiteral("-t"), QStringLiteral("UTF-8")}, QStringLiteral("–")},
        {slCP867, "recode", {QStringLiteral("KEYBCS2..UTF-8")}, QStringLiteral("–")},
        {slCP1250, "iconv", {QStringLiteral("-f"), QStringLiteral("CP1250"), QStringLiteral("-t"), QStringLiteral("UTF-8")}, QString()},
    };
    for (const Case &c : cases) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(c.program)).isEmpty()) {
            ADD_FAILURE() << c.program << " is not installed";
            continue;
        }
        store.ExportLanguage = c.language;
        const QByteArray file = saveText();
        QString back = QString::fromUtf8(convertWith(QString::fromLatin1(c.program), c.args, file));
        // recode names the Kamenický degree sign (byte 248, as in code page 437) U+2218.
        back.replace(QChar(0x2218), QChar(0x00B0));
        // The row is padded with spaces to the item's width.
        static const QRegularExpression trailing(QStringLiteral(" +\r\n$"));
        back.replace(trailing, QStringLiteral("\r\n"));
        QString expected = sample;
        for (QChar m : c.missing)
            expected.replace(m, u'?');
        EXPECT_EQ(back, expected + QStringLiteral("\r\n")) << c.program;
    }
}

TEST_F(CharacterOutputTest, ReportComponentWritesTextThroughItsEntryPoint)
{
    TSestava rep;
    sestavaEntryPoints() = TSestavaEntryPoints();
    InstallCharacterOutput(sestavaEntryPoints());
    auto e = outtest::element(ekText);
    e->Font.Name = QStringLiteral("Roman 10cpi");
    outtest::addOneLineItem(rep.Vystup, 0, e.get(), QRect(0, 0, 300, 20), QStringLiteral("Přehled"));
    rep.ExportLanguage = slCP852;
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    EXPECT_EQ(rep.PrintToStream(buf), seOk);
    EXPECT_EQ(bytes, QByteArray("P\xFD" "ehled").leftJustified(30, ' ') + "\r\n");
}

// The rows of a text page come from the report's own sheet, not from the paper of the
// report loaded last.
TEST_F(CharacterOutputTest, TheTextPageIsTheReportsOwnSheet)
{
    TSestava rep;
    rep.Context.PageSetup.PaperHeight = 2000;   // a tall sheet; the process default is A4
    auto e = outtest::element(ekText);
    e->Font.Name = QStringLiteral("Roman 10cpi");
    outtest::addOneLineItem(rep.Vystup, 0, e.get(), QRect(0, 1500, 300, 20), QStringLiteral("Dole"));
    ASSERT_LT(pageSetup().sheetHeight(), 1500);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    EXPECT_EQ(rep.PrintToStream(buf), seOk);
    EXPECT_TRUE(bytes.contains("Dole")) << bytes.size();
}

// A raw job reaches a text-only queue of a private CUPS server.
TEST_F(CharacterOutputTest, RawJobReachesATextOnlyQueue)
{
    orv::testing::CupsTestServer cups;
    ORV_START_CUPS_OR_SKIP(cups);
    const QString textOut = cups.addTextOnlyQueue(QStringLiteral("znakova"));
    ASSERT_FALSE(textOut.isEmpty()) << cups.error().toStdString();
    ASSERT_FALSE(cups.addRawQueue(QStringLiteral("surova")).isEmpty()) << cups.error().toStdString();
    ASSERT_FALSE(cups.addTextOnlyQueue(QStringLiteral("laser"), QStringLiteral("Example Laser 9000")).isEmpty());
    cups.exportEnvironment();
    cupsSetServer(nullptr);

    EXPECT_TRUE(IsTextOnlyQueue(QStringLiteral("znakova")));
    EXPECT_TRUE(IsTextOnlyQueue(QStringLiteral("surova")));
    EXPECT_FALSE(IsTextOnlyQueue(QStringLiteral("laser")));
    EXPECT_FALSE(IsTextOnlyQueue(QStringLiteral("neni")));

    text(0, 0, 0, 800, {QStringLiteral("Přehled materiálů 20 °C")});
    text(1, 0, 50, 800, {QStringLiteral("Strana 2")});
    store.ExportLanguage = slCP852;
    const QByteArray expected = TextPrinterJob(store, 1, 2, nullptr);
    // The used rows of each page (a row padded to the item's 80 columns), a form feed
    // between pages.
    EXPECT_EQ(expected, ConvertCharacterText(QStringLiteral("Přehled materiálů 20 °C"), slCP852).leftJustified(80, ' ')
                            + "\r\n\f\r\n\r\n\r\n" + QByteArray("Strana 2").leftJustified(80, ' ') + "\r\n");
    QString error;
    EXPECT_TRUE(PrintText(store, QStringLiteral("znakova"), 1, 2, nullptr, QStringLiteral("Přehled"), 1, &error))
        << error.toStdString();
    EXPECT_EQ(cups.waitForOutput(textOut), expected) << cups.log().toStdString();

    // A queue that does not exist is an error with a message, not a success.
    EXPECT_FALSE(PrintText(store, QStringLiteral("neni"), 1, 2, nullptr, QString(), 1, &error));
    EXPECT_FALSE(error.isEmpty());
    cupsSetServer(nullptr);
}

// Printing a report on the default printer, a text-only queue: the run's pages go out as
// one raw job, and the queue's file gets exactly the job's bytes.
TEST_F(CharacterOutputTest, ReportPrintedOnATextOnlyPrinterArrivesAsRawText)
{
    orv::testing::CupsTestServer cups;
    ORV_START_CUPS_OR_SKIP(cups);
    const QString out = cups.addTextOnlyQueue(QStringLiteral("znakova"));
    ASSERT_FALSE(out.isEmpty()) << cups.error().toStdString();
    ASSERT_TRUE(cups.setDefault(QStringLiteral("znakova")));
    cups.exportEnvironment();
    cupsSetServer(nullptr);

    runtest::MemoryBridge data;
    data.Columns = {"Name"};
    data.Rows = {{QStringLiteral("Přehled")}, {QStringLiteral("ocel 20 °C")}};
    TSestava rep;
    rep.DataSource = &data;
    rep.IsStored = true;
    rep.Predloha = {"I,3,2,1,20,0", "T,2,Name,0,0,200,20,Roman 10cpi,10,0,0,0,0,238"};
    rep.ExportLanguage = slCP852;
    sestavaEntryPoints() = TSestavaEntryPoints();
    InstallCharacterOutput(sestavaEntryPoints());
    ASSERT_TRUE(sestavaEntryPoints().IsCharacterPrinter(-1));

    EXPECT_EQ(rep.Print(), seOk);
    const QByteArray bytes = cups.waitForOutput(out);
    EXPECT_EQ(bytes, TextPrinterJob(rep.Vystup, 1, 9999, nullptr)) << cups.log().toStdString();
    EXPECT_TRUE(bytes.startsWith("P\xFD" "ehled")) << bytes.toStdString();
    EXPECT_TRUE(bytes.contains("ocel 20 \xF8" "C")) << bytes.toStdString();
    sestavaEntryPoints() = TSestavaEntryPoints();
    SetCurrentPrinter(nullptr);
    cupsSetServer(nullptr);
}
