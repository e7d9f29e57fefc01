// Page metafiles, read back by converters that others wrote: emf2svg for EMF, libwmf's
// wmf2svg for WMF.
#include "OutputTestSupport.h"

#include "report/model/TextLayout.h"

#include <QBuffer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace orv;
using outtest::OutputTest;

namespace {

class MetafileTest : public OutputTest {
protected:
    void SetUp() override
    {
        OutputTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        TSiReportElement *rect = keep(outtest::element(ekRectangle));
        rect->BrushColor = colorFromField(9);  // red
        store.AddItem(std::make_unique<TVystPrvek>(rect, 100, 100, 200, 100), 0);
        TSiReportElement *ellipse = keep(outtest::element(ekEllipse));
        ellipse->BrushColor = colorFromField(12);  // blue
        store.AddItem(std::make_unique<TVystPrvek>(ellipse, 400, 100, 100, 100), 0);
        TSiReportElement *picture = keep(outtest::element(ekPicture));
        picture->Flags = efStretch;
        auto item = std::make_unique<TVystPrvek>(picture, 100, 300, 50, 50);
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::green);
        item->SetPicture(image);
        store.AddItem(std::move(item), 0);
    }
    void addText(const QString &s, TTextFont font = TTextFont())
    {
        TSiReportElement *e = keep(outtest::element(ekText));
        TTextCanvas measure(100);
        TRadky lines;
        LayoutText(measure, QRect(0, 0, 500, 30), s, lines, true, 0, 0, 0, font, false);
        auto item = std::make_unique<TVystPrvek>(e, 100, 500, 500, 30);
        item->SetLines(lines);
        store.AddItem(std::move(item), 0);
    }
    QByteArray save(bool enhanced, int page = 0)
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        store.SavePageMetafile(buffer, page, enhanced);
        return buffer.data();
    }
    QString convert(const QString &program, const QStringList &args, const QString &svg)
    {
        QProcess p;
        p.start(program, args);
        if (!p.waitForFinished(30000) || p.exitCode() != 0)
            return QStringLiteral("<%1 failed: %2>").arg(program, QString::fromUtf8(p.readAllStandardError()));
        QFile f(svg);
        if (!f.open(QIODevice::ReadOnly))
            return QStringLiteral("<no svg>");
        return QString::fromUtf8(f.readAll());
    }
    static quint32 le32(const QByteArray &b, int at)
    {
        return quint32(uchar(b[at])) | quint32(uchar(b[at + 1])) << 8 | quint32(uchar(b[at + 2])) << 16
               | quint32(uchar(b[at + 3])) << 24;
    }

    QTemporaryDir dir;
    TSestVystup store;
};

} // namespace

TEST_F(MetafileTest, EnhancedMetafileReadsBackWithShapesPictureAndText)
{
    addText(QStringLiteral("Ocel žluťoučká 11 523"));
    const QByteArray emf = save(true);
    ASSERT_GT(emf.size(), 100);
    EXPECT_EQ(le32(emf, 0), 1u);                  // the header record
    EXPECT_EQ(emf.mid(40, 4), QByteArray(" EMF"));
    EXPECT_EQ(le32(emf, 48), quint32(emf.size()));  // total size in the header
    const QString file = dir.filePath(QStringLiteral("strana.emf"));
    const QString svgFile = dir.filePath(QStringLiteral("strana.svg"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(emf);
    }
    const QString svg = convert(QStringLiteral("emf2svg-conv"), {QStringLiteral("-i"), file, QStringLiteral("-o"), svgFile}, svgFile);
    EXPECT_TRUE(svg.contains(QStringLiteral("Ocel"))) << svg.left(400).toStdString();
    EXPECT_TRUE(svg.contains(QStringLiteral("ž"))) << svg.left(400).toStdString();
    EXPECT_TRUE(svg.contains(QStringLiteral("#FF0000"), Qt::CaseInsensitive));
    EXPECT_TRUE(svg.contains(QStringLiteral("#0000FF"), Qt::CaseInsensitive));
    EXPECT_TRUE(svg.contains(QStringLiteral("<image"))) << "the picture";
    EXPECT_TRUE(svg.contains(QStringLiteral("ellipse")));
}

TEST_F(MetafileTest, WindowsMetafileReadsBackWithShapesAndText)
{
    addText(QStringLiteral("Tyc 11 523.0 normalizovana"));
    const QByteArray wmf = save(false);
    ASSERT_GT(wmf.size(), 50);
    EXPECT_EQ(le32(wmf, 0), 0x9AC6CDD7u);  // placeable metafile
    const QString file = dir.filePath(QStringLiteral("strana.wmf"));
    const QString svgFile = dir.filePath(QStringLiteral("strana.svg"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(wmf);
    }
    const QString svg = convert(QStringLiteral("wmf2svg"), {QStringLiteral("-o"), svgFile, file}, svgFile);
    // libwmf places every character by its advance, one text element each.
    QString text;
    const QRegularExpression chars(QStringLiteral(">([^<]*)</text>"));
    for (auto it = chars.globalMatch(svg); it.hasNext();)
        text += it.next().captured(1);
    EXPECT_TRUE(text.contains(QStringLiteral("Tyc 11 523.0 normalizovana"))) << text.toStdString();
    EXPECT_TRUE(svg.contains(QStringLiteral("<rect"))) << svg.left(600).toStdString();
    EXPECT_TRUE(svg.contains(QStringLiteral("<ellipse"))) << svg.left(600).toStdString();
    EXPECT_TRUE(svg.contains(QStringLiteral("<image"))) << svg.left(600).toStdString();
    EXPECT_TRUE(svg.contains(QStringLiteral("fill:red"))) << svg.left(800).toStdString();
    EXPECT_TRUE(svg.contains(QStringLiteral("fill:blue"))) << svg.left(800).toStdString();
}

TEST_F(MetafileTest, AnInvalidPageWritesNothing)
{
    EXPECT_TRUE(save(true, 1).isEmpty());
    EXPECT_TRUE(save(false, -1).isEmpty());
    // A stream that cannot be written is swallowed, not fatal.
    QBuffer closed;
    EXPECT_FALSE(store.SavePageMetafile(closed, 0, true));
}
