// The preview window on a three-page report: zoom steps, page navigation and keys, the
// page question, leaving the window, and saving pages through the save dialog's path.

#include "UiTestSupport.h"

#include "report/model/PageSetup.h"
#include "report/output/OutputWriters.h"
#include "report/output/Sestava.h"
#include "report/ui/PreviewWindow.h"
#include "report/ui/ReportUi.h"

#include <QAbstractButton>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "support/XlsxReader.h"

#include <gtest/gtest.h>

using namespace orv;

namespace {

class PreviewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(uitest::runThreePageReport(report, data), seOk);
        ASSERT_EQ(report.Vystup.PageCount(), 3);
    }
    void TearDown() override { textAsker() = {}; }

    uitest::Messages msg;
    runtest::MemoryBridge data;
    TSestava report;
};

QByteArray head(const QString &file, int n)
{
    QFile f(file);
    f.open(QIODevice::ReadOnly);
    return f.read(n);
}

} // namespace

TEST_F(PreviewTest, ZoomStepsAndPercentages)
{
    EXPECT_EQ(TFormSestP::zoomStepFor(90), 5);
    EXPECT_EQ(TFormSestP::zoomStepFor(92), 6);
    EXPECT_EQ(TFormSestP::zoomStepFor(10), 0);
    EXPECT_EQ(TFormSestP::zoomStepFor(100), 6);
    EXPECT_EQ(TFormSestP::zoomStepFor(1000), 10);
    EXPECT_EQ(TFormSestP::zoomCaption(5), "83 %");

    TPreviewOptions o;
    o.Zoom = 90;
    o.WindowState = wsNormal;
    TFormSestP w(report, o);
    EXPECT_EQ(w.zoomStep(), 5);
    EXPECT_TRUE(w.button("zoom5")->isChecked());
    const TPageSetup &ps = report.Context.PageSetup;
    EXPECT_EQ(w.panel()->width(), qRound(ps.sheetWidth() * 0.83));
    EXPECT_EQ(w.pageRect().left(), qRound(ps.MarginLeft * 0.83));
    w.button("zoom6")->click();
    EXPECT_EQ(w.zoomStep(), 6);
    EXPECT_FALSE(w.button("zoom5")->isChecked());
    // At 100 % one hundredth of an inch is one pixel.
    EXPECT_EQ(w.panel()->size(), QSize(ps.sheetWidth(), ps.sheetHeight()));

    // What the panel shows is the page: the text is dark on white.
    w.show();
    const QImage shot = w.panel()->grab().toImage();
    int dark = 0;
    for (int y = 0; y < shot.height(); y += 2)
        for (int x = 0; x < shot.width(); x += 2)
            dark += qGray(shot.pixel(x, y)) < 128;
    EXPECT_GT(dark, 50);
}

// The sheet is the report's own, whatever report was loaded last.
TEST_F(PreviewTest, TheSheetIsThatOfTheReportOnShow)
{
    const TPageSetup own = report.Context.PageSetup;
    const TPageSetup shared = pageSetup();
    // Another report's paper in force: a wider sheet with other margins.
    pageSetup().PaperWidth = 1400;
    pageSetup().MarginLeft = 120;
    ASSERT_NE(pageSetup().sheetWidth(), own.sheetWidth());
    TPreviewOptions o;
    o.Zoom = 100;
    o.WindowState = wsNormal;
    TFormSestP w(report, o);
    EXPECT_EQ(w.panel()->size(), QSize(own.sheetWidth(), own.sheetHeight()));
    EXPECT_EQ(w.pageRect().left(), own.MarginLeft);
    pageSetup() = shared;
}

TEST_F(PreviewTest, NavigationButtonsAndKeys)
{
    TPreviewOptions o;
    o.WindowState = wsNormal;
    TFormSestP w(report, o);
    w.show();
    EXPECT_EQ(w.currentPage(), 0);
    EXPECT_EQ(w.currentLabel()->text(), "1");
    EXPECT_EQ(w.totalLabel()->text(), "3");
    EXPECT_EQ(w.totalLabel()->toolTip(), "Celkem stran");
    EXPECT_FALSE(w.button("first")->isEnabled());
    EXPECT_FALSE(w.button("previous")->isEnabled());
    EXPECT_TRUE(w.button("next")->isEnabled());
    w.button("next")->click();
    EXPECT_EQ(w.currentPage(), 1);
    EXPECT_TRUE(w.button("first")->isEnabled());
    w.button("last")->click();
    EXPECT_EQ(w.currentPage(), 2);
    EXPECT_FALSE(w.button("next")->isEnabled());
    EXPECT_FALSE(w.button("last")->isEnabled());
    EXPECT_EQ(w.currentLabel()->text(), "3");

    QTest::keyClick(&w, Qt::Key_PageUp);
    EXPECT_EQ(w.currentPage(), 1);
    QTest::keyClick(&w, Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(w.currentPage(), 0);
    QTest::keyClick(&w, Qt::Key_PageUp);
    EXPECT_EQ(w.currentPage(), 0);
    QTest::keyClick(&w, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(w.currentPage(), 2);
    QTest::keyClick(&w, Qt::Key_PageDown);
    EXPECT_EQ(w.currentPage(), 2);
    EXPECT_EQ(report.Vystup.CurrentPage, 2);
}

TEST_F(PreviewTest, ShowPageQuestion)
{
    report.Vystup.SetRange(2, 9999, 0, 1);
    TPreviewOptions o;
    o.WindowState = wsNormal;
    TFormSestP w(report, o);
    EXPECT_EQ(w.currentPage(), 1);   // opens on the first page of the range
    QString asked, initial;
    QStringList answers{"3", "abc", "99", "-4", "1"};
    textAsker() = [&](QWidget *, const QString &title, const QString &label, const QString &init)
        -> std::optional<QString> {
        asked = title + "/" + label;
        initial = init;
        return answers.takeFirst();
    };
    w.GoToPage();
    EXPECT_EQ(asked, QString::fromUtf8("Výběr stránky/Stránka číslo:"));
    EXPECT_EQ(initial, "2");
    EXPECT_EQ(w.currentPage(), 2);
    // Not a number, beyond the end, below the first: said, and the page stays.
    for (const char *said : {"Stránka „abc“ v sestavě není: sestava má stránky 1 až 3.",
                             "Stránka „99“ v sestavě není: sestava má stránky 1 až 3.",
                             "Stránka „-4“ v sestavě není: sestava má stránky 1 až 3."}) {
        w.GoToPage();
        EXPECT_EQ(w.currentPage(), 2);
        ASSERT_FALSE(msg.texts.isEmpty());
        EXPECT_EQ(msg.texts.takeLast(), QString::fromUtf8(said));
    }
    w.GoToPage();
    EXPECT_EQ(w.currentPage(), 0);
    textAsker() = [](QWidget *, const QString &, const QString &, const QString &) {
        return std::optional<QString>();
    };
    w.GoToPage();   // cancelled
    EXPECT_EQ(w.currentPage(), 0);
}

TEST_F(PreviewTest, EscapeAndCloseResults)
{
    for (bool edit : {false, true}) {
        TPreviewOptions o;
        o.WindowState = wsNormal;
        o.EditAllowed = edit;
        TFormSestP w(report, o);
        EXPECT_EQ(w.button("edit")->isEnabled(), edit);
        // From the designer too "Zavřít" closes the preview alone.
        EXPECT_EQ(w.button("close")->toolTip(), QString::fromUtf8("Zavřít náhled"));
        QTimer::singleShot(0, &w, [&w] { QTest::keyClick(&w, Qt::Key_Escape); });
        EXPECT_EQ(w.exec(), edit ? TFormSestP::mrEdit : TFormSestP::mrClose) << edit;
    }
    TPreviewOptions o;
    o.WindowState = wsNormal;
    o.EditAllowed = true;
    TFormSestP w(report, o);
    QTimer::singleShot(0, &w, [&w] { w.button("close")->click(); });
    EXPECT_EQ(w.exec(), TFormSestP::mrClose);
}

TEST_F(PreviewTest, CustomCommandGetsTheCurrentPage)
{
    int page = -1;
    report.OnPreviewCustomEvent = [&](TSestava &, int p) { page = p; };
    TPreviewOptions o;
    o.WindowState = wsNormal;
    o.CustomVisible = true;
    o.CustomHint = "Odeslat";
    TFormSestP w(report, o);
    w.show();
    EXPECT_TRUE(w.button("custom")->isVisible());
    EXPECT_EQ(w.button("custom")->toolTip(), "Odeslat");
    w.NextPage();
    w.button("custom")->click();
    EXPECT_EQ(page, 1);
}

TEST_F(PreviewTest, AllPagesAsMetafilesAskOnceBeforeOverwriting)
{
    QTemporaryDir dir;
    uitest::SaveAnswers save;
    TPreviewOptions o;
    o.WindowState = wsNormal;
    TFormSestP w(report, o);
    w.NextPage();

    save.files << dir.filePath("Zprava.wmf");
    w.SaveMetafilePages();
    ASSERT_EQ(save.asked.size(), 1u);
    EXPECT_EQ(save.asked[0].Title, QString::fromUtf8("Výběr souboru"));
    EXPECT_EQ(save.asked[0].DefaultSuffix, "wmf");
    EXPECT_FALSE(save.asked[0].ConfirmOverwrite);
    EXPECT_EQ(save.asked[0].Filters,
              (QStringList{"Enhanced meta file (*.emf)", "Windows meta file (*.wmf)"}));
    for (int i = 1; i <= 3; ++i) {
        const QString f = dir.filePath(QStringLiteral("Zprava%1.wmf").arg(i));
        ASSERT_TRUE(QFileInfo::exists(f)) << f.toStdString();
        // A placeable Windows metafile.
        EXPECT_EQ(head(f, 4), QByteArray::fromHex("d7cdc69a"));
    }
    EXPECT_TRUE(msg.texts.isEmpty());
    EXPECT_EQ(w.currentPage(), 1);   // the page shown before is shown again

    // Under an .emf name: enhanced metafiles; the files are there already, so the user is
    // asked once, and "No" writes nothing.
    save.files << dir.filePath("Zprava.emf");
    w.SaveMetafilePages();
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(head(dir.filePath(QStringLiteral("Zprava%1.emf").arg(i)), 4), QByteArray::fromHex("01000000"));
    EXPECT_TRUE(msg.texts.isEmpty());
    const QDateTime before = QFileInfo(dir.filePath("Zprava2.emf")).lastModified();
    msg.answer = false;
    save.files << dir.filePath("Zprava.emf");
    QFile::remove(dir.filePath("Zprava3.emf"));
    w.SaveMetafilePages();
    EXPECT_EQ(msg.texts.size(), 1);
    EXPECT_EQ(msg.captions.value(0), QString::fromUtf8("Potvrzení"));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("Zprava3.emf")));
    EXPECT_EQ(QFileInfo(dir.filePath("Zprava2.emf")).lastModified(), before);

    // The current page alone, read back by the metafile converter.
    save.files << dir.filePath("Strana.WMF");
    w.SaveMetafilePage();
    ASSERT_TRUE(QFileInfo::exists(dir.filePath("Strana.WMF")));
    EXPECT_EQ(head(dir.filePath("Strana.WMF"), 4), QByteArray::fromHex("d7cdc69a"));
    if (uitest::have("wmf2svg")) {
        int code = 0;
        uitest::run("wmf2svg", {"-o", dir.filePath("strana.svg"), dir.filePath("Strana.WMF")}, &code);
        EXPECT_EQ(code, 0);
        QFile svg(dir.filePath("strana.svg"));
        ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
        // libwmf writes one text element per character.
        QString text;
        const QRegularExpression chars(">([^<]*)</text>");
        for (auto it = chars.globalMatch(QString::fromUtf8(svg.readAll())); it.hasNext();)
            text += it.next().captured(1);
        EXPECT_TRUE(text.contains("14 220")) << text.toStdString();
    }
}

namespace {
// Puts a writer in place of a format's for as long as it lives.
class FakeWriter {
public:
    using WriteFn = std::function<int(TSestVystup &, const TWriteJob &, QIODevice &)>;
    FakeWriter(const QString &format, WriteFn write)
        : m_format(format), m_saved(OutputWriterFactory(format))
    {
        struct W : TOutputWriter {
            WriteFn f;
            int Write(TSestVystup &s, const TWriteJob &j, QIODevice &d) override { return f(s, j, d); }
        };
        RegisterOutputWriter(format, write ? TOutputWriterFactory([write] {
            auto w = std::make_unique<W>();
            w->f = write;
            return std::unique_ptr<TOutputWriter>(std::move(w));
        }) : TOutputWriterFactory());
    }
    ~FakeWriter() { RegisterOutputWriter(m_format, m_saved); }

private:
    QString m_format;
    TOutputWriterFactory m_saved;
};
} // namespace

TEST_F(PreviewTest, SavesGoThroughTheWriters)
{
    QTemporaryDir dir;
    uitest::SaveAnswers save;
    TPreviewOptions o;
    o.WindowState = wsNormal;
    TFormSestP w(report, o);

    // A writer that is not there: the user is told and nothing is left behind.
    {
        FakeWriter none("rtf", {});
        save.files << dir.filePath("Zprava.rtf");
        w.SaveRtf();
    }
    EXPECT_TRUE(msg.texts.value(0).contains(QString::fromUtf8("Zprava.rtf"))) << qPrintable(msg.texts.value(0));
    EXPECT_EQ(msg.captions.value(0), "Chyba");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("Zprava.rtf")));

    // With writers present, the chosen names are kept as typed (with the default suffix).
    int htmlPages = 0;
    QStringList pictures;
    TWriteJob textJob;
    FakeWriter rtf("rtf", [](TSestVystup &st, const TWriteJob &, QIODevice &d) {
        d.write("{\\rtf1 pages " + QByteArray::number(st.PageCount()) + "}");
        return int(seOk);
    });
    FakeWriter pdf("pdf", [](TSestVystup &, const TWriteJob &, QIODevice &d) { d.write("%PDF-1.4"); return int(seOk); });
    FakeWriter text("text", [&](TSestVystup &, const TWriteJob &job, QIODevice &d) {
        textJob = job;
        d.write("text");
        return int(seOk);
    });
    FakeWriter html("html", [&](TSestVystup &, const TWriteJob &job, QIODevice &d) {
        ++htmlPages;
        pictures << job.PictureFile;
        d.write("<html>" + QByteArray::number(job.Page) + "</html>");
        return int(seOk);
    });
    // The text file is what the preview shows, each page once, whatever the print range.
    report.StartPage = 2;
    report.PrintCopies = 3;
    save.files << dir.filePath("Velka") << dir.filePath("Dokument.pdf") << dir.filePath("Text.txt");
    w.SaveRtf();
    w.SavePdf();
    w.SaveText();
    report.StartPage = 1;
    report.PrintCopies = 1;
    EXPECT_EQ(head(dir.filePath("Velka.rtf"), 14), "{\\rtf1 pages 3");
    EXPECT_EQ(head(dir.filePath("Dokument.pdf"), 8), "%PDF-1.4");
    EXPECT_EQ(head(dir.filePath("Text.txt"), 4), "text");
    EXPECT_EQ(textJob.FirstPage, 1);
    EXPECT_EQ(textJob.LastPage, 3);
    EXPECT_EQ(textJob.Copies, 1);
    EXPECT_EQ(save.asked[1].Filters, (QStringList{"Soubor RTF (*.rtf)", QString::fromUtf8("Všechny soubory (*)")}));
    EXPECT_TRUE(save.asked[1].ConfirmOverwrite);

    save.files << dir.filePath("Stranky.html");
    w.SaveHtmlPages();
    EXPECT_EQ(htmlPages, 3);
    EXPECT_EQ(head(dir.filePath("Stranky2.html"), 7), "<html>1");
    EXPECT_EQ(pictures.value(2), "Stranky3_.bmp");
    // the name chosen is the index page that leads to the pages
    EXPECT_TRUE(head(dir.filePath("Stranky.html"), 1000).contains("<A HREF=\"Stranky3.html\">Strana 3</A>"));
    EXPECT_EQ(msg.texts.size(), 1);

    // The rows as a spreadsheet; a folder that is not there is told with its reason.
    save.files << dir.filePath("Sesit") << dir.filePath("chybi/Sesit.xlsx");
    w.SaveXlsx();
    const auto book = orv::test::readXlsx(dir.filePath("Sesit.xlsx"));
    EXPECT_TRUE(book.error.isEmpty()) << qPrintable(book.error);
    EXPECT_EQ(book.names().value(1), "Zdroj");
    w.SaveXlsx();
    ASSERT_EQ(msg.texts.size(), 2);
    EXPECT_TRUE(msg.texts[1].contains(QString::fromUtf8("složka neexistuje"))) << qPrintable(msg.texts[1]);
}

TEST_F(PreviewTest, ReportPreviewOpensTheWindow)
{
    auto saved = sestavaEntryPoints();
    sestavaEntryPoints().Preview = nullptr;
    InstallReportUi();
    ASSERT_TRUE(bool(sestavaEntryPoints().Preview));
    bool opened = false;
    // The run shows its progress window first; the preview follows when the run is done.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *w = qobject_cast<TFormSestP *>(QApplication::activeModalWidget());
        if (!w)
            return;
        poll.stop();
        opened = true;
        EXPECT_EQ(w->zoomStep(), 5);
        EXPECT_EQ(w->totalLabel()->text(), "3");
        w->CloseCommand();
    });
    poll.start(5);
    EXPECT_EQ(report.PreviewAt(QRect(), 0, 90, wsNormal), TFormSestP::mrClose);
    EXPECT_TRUE(opened);
    sestavaEntryPoints() = saved;
}

TEST_F(PreviewTest, BackgroundPictureUnlessPrintedWithThePage)
{
    QImage red(20, 20, QImage::Format_RGB32);
    red.fill(Qt::red);
    report.Vystup.SetBackground(&red, TCornerRect{0, 0, 200, 100}, false);
    TPreviewOptions o;
    o.WindowState = wsNormal;
    TFormSestP w(report, o);
    w.show();
    auto redAt = [&](int x, int y) {
        const QColor c = w.panel()->grab().toImage().pixelColor(x, y);
        return c.red() > 200 && c.green() < 60 && c.blue() < 60;
    };
    // Behind the page, scaled with the zoom: 200 x 100 hundredths at 100 % and at 50 %.
    EXPECT_TRUE(redAt(190, 90));
    EXPECT_FALSE(redAt(210, 110));
    w.setZoomStep(2);
    EXPECT_TRUE(redAt(90, 40));
    EXPECT_FALSE(redAt(110, 60));
    report.Vystup.SetBackground(nullptr, TCornerRect{}, false);
}
