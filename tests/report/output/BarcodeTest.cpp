// Barcodes: the encoded data and check digits, the geometry, and the drawn codes read back
// by zbarimg or compared module for module with zint.
#include "OutputTestSupport.h"
#include "QStringPrint.h"

#include "report/output/Barcode.h"
#include "report/output/PageImage.h"
#include "report/output/TolvaCanvas.h"

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

using namespace orv;

namespace {

class BarcodeTest : public ::testing::Test {
protected:
    void SetUp() override { outtest::ensureGuiApplication(); }
};

QString textOf(int type, const QString &data, bool check = false)
{
    return EncodeBarcode(type, data, check).text;
}

// The code drawn by DrawBarcode on white paper with a quiet zone around it.
QImage render(int type, const QString &data, bool check, int angle, int module,
              bool showText = false)
{
    const TBarcodeShape probe = LayoutBarcode(QRect(0, 0, 10, 60 * module), type, data,
                                              showText, check, angle, module);
    QRect extent = probe.bounds;
    for (const TBarcodeShape::Text &t : probe.texts)
        extent |= t.rect;
    const int quiet = 12 * module;
    QImage img(extent.right() + 1 + 2 * quiet, extent.bottom() + 1 + 2 * quiet,
               QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    TTolvaCanvas canvas(&p);
    DrawBarcode(canvas, QRect(quiet, quiet, 10, 60 * module), type, data, showText, check,
                angle, module);
    p.end();
    return img;
}

// What zbarimg reads from the image: the raw data of each symbol, one per line.
QString zbarRead(const QImage &img, const QStringList &options = {})
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("code.png"));
    img.save(file);
    QProcess p;
    p.start(QStringLiteral("zbarimg"), QStringList{QStringLiteral("--raw"), QStringLiteral("-q")}
                                           + options + QStringList{file});
    if (!p.waitForFinished(30000))
        return QStringLiteral("<zbarimg did not finish>");
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

bool haveTool(const char *name)
{
    return !QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty();
}

// Bars and spaces as (bar, width) runs, from the first bar to the last.
std::vector<std::pair<bool, int>> runsOf(const QString &modules)
{
    std::vector<std::pair<bool, int>> runs;
    const QString m = modules.left(modules.lastIndexOf(u'1') + 1);
    for (int i = m.indexOf(u'1'); i >= 0 && i < m.size();) {
        int j = i;
        while (j < m.size() && m.at(j) == m.at(i))
            ++j;
        runs.emplace_back(m.at(i) == u'1', j - i);
        i = j;
    }
    return runs;
}

// Each run's width as its rank among the code's widths: wide and narrow compare equal
// whatever ratio each encoder uses.
std::vector<std::pair<bool, int>> ranked(std::vector<std::pair<bool, int>> runs)
{
    std::vector<int> widths;
    for (auto &r : runs)
        widths.push_back(r.second);
    std::sort(widths.begin(), widths.end());
    widths.erase(std::unique(widths.begin(), widths.end()), widths.end());
    for (auto &r : runs)
        r.second = int(std::lower_bound(widths.begin(), widths.end(), r.second) - widths.begin());
    return runs;
}

// Our pattern at module 1 as a module string (1 bar, 0 space).
QString ourModules(int type, const QString &data, bool check)
{
    const TBarcodePattern p = EncodeBarcode(type, data, check);
    QString out;
    for (QChar c : p.pattern)
        out += QString(BarcodeElementWidth(c, 1, p.ratio), BarcodeElementIsBar(c) ? u'1' : u'0');
    return out;
}

// zint's module dump of the first row, as a module string.
QString zintModules(int zintType, const QString &data, const QStringList &extra = {})
{
    QProcess p;
    p.start(QStringLiteral("zint"), QStringList{QStringLiteral("--dump"),
                                                QStringLiteral("-b"), QString::number(zintType)}
                                        + extra + QStringList{QStringLiteral("-d"), data});
    if (!p.waitForFinished(30000))
        return {};
    const QStringList rows = QString::fromLatin1(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    if (rows.isEmpty())
        return {};
    QString bits;
    for (const QString &byte : rows.last().split(u' ', Qt::SkipEmptyParts))
        for (QChar h : byte)
            bits += QStringLiteral("%1").arg(QString::number(QString(h).toInt(nullptr, 16), 2), 4, u'0');
    return bits;
}

} // namespace

TEST_F(BarcodeTest, NumericDataIsTrimmedAndPaddedAsTheSymbologyNeeds)
{
    // Any character that is not a digit becomes 0 in a numeric code.
    EXPECT_EQ(textOf(bcInterleaved25, QStringLiteral("  12a4  ")), QStringLiteral("1204"));
    EXPECT_EQ(textOf(bcCode128C, QStringLiteral("  12a4  ")), QStringLiteral("1204"));
    // EAN 13 pads on the left and keeps the last 13 digits.
    EXPECT_EQ(textOf(bcEan13, QStringLiteral("123")), QStringLiteral("0000000000123"));
    EXPECT_EQ(textOf(bcEan13, QStringLiteral("99123456789012")), QStringLiteral("9123456789012"));
    // With the check flag the last digit is replaced by the computed one.
    EXPECT_EQ(textOf(bcEan13, QStringLiteral("5901234123450"), true), QStringLiteral("5901234123457"));
    EXPECT_EQ(textOf(bcEan13, QStringLiteral("5901234123450"), false), QStringLiteral("5901234123450"));
    EXPECT_EQ(textOf(bcEan8, QStringLiteral("96385070"), true), QStringLiteral("96385074"));
    EXPECT_EQ(textOf(bcUpcA, QStringLiteral("036000291450"), true), QStringLiteral("036000291452"));
    // UPC-E: the check digit is that of the expanded UPC-A number (012345000065).
    EXPECT_EQ(textOf(bcUpcE0, QStringLiteral("1234560"), true), QStringLiteral("1234565"));
    // Interleaved 2 of 5 with an odd count keeps every digit behind a leading zero.
    EXPECT_EQ(textOf(bcInterleaved25, QStringLiteral("12345")), QStringLiteral("012345"));
    // Code 128C pairs: 12345 becomes 01 23 45; start C, 3 pairs, check, stop.
    const TBarcodePattern c = EncodeBarcode(bcCode128C, QStringLiteral("12345"), false);
    EXPECT_EQ(c.text, QStringLiteral("012345"));
    EXPECT_EQ(ourModules(bcCode128C, QStringLiteral("12345"), false).size(), 5 * 11 + 13);
    // Code 93 skips a character outside its set instead of replacing the data.
    EXPECT_EQ(textOf(bcCode93, QStringLiteral("AB#C")), QStringLiteral("ABC"));
    EXPECT_EQ(textOf(bcCode39, QStringLiteral("ab-1")), QStringLiteral("-1"));
    // MSI always carries its check digit: 1234 gets 4.
    EXPECT_EQ(textOf(bcMsi, QStringLiteral("1234")), QStringLiteral("12344"));
    // Unknown code types and no data draw nothing.
    EXPECT_TRUE(EncodeBarcode(20, QStringLiteral("1"), false).pattern.isEmpty());
}

// A computed check digit of 0 is the digit 0 in every symbology that carries one (a missing
// final "% 10" would make it 10).
TEST_F(BarcodeTest, CheckDigitZero)
{
    struct Case {
        int type;
        const char *data;
        const char *text;
    };
    const Case cases[] = {
        {bcEan13, "8590000000069", "8590000000060"},
        {bcEan8, "96000099", "96000090"},
        {bcUpcA, "036000000039", "036000000030"},
        {bcUpcE0, "1000169", "1000160"},
        {bcMsi, "19", "190"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(textOf(c.type, QString::fromLatin1(c.data), true), QString::fromLatin1(c.text)) << c.data;
    // PostNet: the check digit is the last bar group, five bars of which two are tall.
    EXPECT_EQ(EncodeBarcode(bcPostNet, QStringLiteral("55"), true).pattern,
              EncodeBarcode(bcPostNet, QStringLiteral("550"), false).pattern);
    if (haveTool("zbarimg")) {
        EXPECT_EQ(zbarRead(render(bcEan13, QStringLiteral("8590000000069"), true, 0, 3, false)),
                  QStringLiteral("8590000000060"));
        EXPECT_EQ(zbarRead(render(bcUpcA, QStringLiteral("036000000039"), true, 0, 3, false),
                           {QStringLiteral("-Supca.enable")}),
                  QStringLiteral("036000000030"));
    }
}

TEST_F(BarcodeTest, ModuleWidthCodesAndCaptions)
{
    EXPECT_EQ(BarcodeModuleCodes().size(), 36u);
    EXPECT_EQ(BarcodeModuleCaption(4), QStringLiteral("0,50"));
    EXPECT_EQ(BarcodeModuleCaption(5), QStringLiteral("0,63"));
    EXPECT_EQ(BarcodeModuleCaption(128), QStringLiteral("16,00"));
    EXPECT_EQ(BarcodeModuleChoice(17), 18);
    EXPECT_EQ(BarcodeModuleChoice(200), 8);
    EXPECT_EQ(BarcodeTypeNames().size(), kBarcodeTypeCount);
    EXPECT_EQ(BarcodeTypeNames().at(12), QStringLiteral("Codebar"));
    // Widths: w2 = round(m x ratio), w3 = w2 x 3 / 2, w4 = 2 w2; short bars by class.
    EXPECT_EQ(BarcodeElementWidth(u'7', 3, 2.25), 10);
    EXPECT_EQ(BarcodeElementWidth(u'C', 3, 2.0), 9);
    EXPECT_EQ(BarcodeElementWidth(u'Z', 3, 2.0), 12);
    EXPECT_TRUE(BarcodeElementIsShort(u'9'));
    EXPECT_FALSE(BarcodeElementIsBar(u'3'));
}

TEST_F(BarcodeTest, GeometryFollowsRotationModuleAndText)
{
    const QRect rect(100, 200, 50, 300);
    const TBarcodeShape upright = LayoutBarcode(rect, bcEan13, QStringLiteral("123"), false, true, 0, 4);
    ASSERT_FALSE(upright.bars.empty());
    EXPECT_EQ(upright.bounds.topLeft(), rect.topLeft());
    EXPECT_EQ(upright.bounds.height(), 300);
    EXPECT_EQ(upright.bounds.width(), 95 * 4);
    EXPECT_EQ(upright.bars.front().rect, QRect(100, 200, 4, 300));   // the first guard bar
    // Turned by 90 degrees the bars run horizontally and the code stays in its corner.
    const TBarcodeShape turned = LayoutBarcode(rect, bcEan13, QStringLiteral("123"), false, true, 90, 4);
    EXPECT_EQ(turned.bounds, QRect(100, 200, 300, 95 * 4));
    EXPECT_GT(turned.bars.front().rect.width(), turned.bars.front().rect.height());
    // A module code outside 1..128 is drawn as 8.
    const TBarcodeShape big = LayoutBarcode(rect, bcEan13, QStringLiteral("123"), false, true, 0, 200);
    const TBarcodeShape eight = LayoutBarcode(rect, bcEan13, QStringLiteral("123"), false, true, 0, 8);
    EXPECT_EQ(big.bounds, eight.bounds);
    // PostNet's short bars stand on the baseline, 2/5 of the height.
    const TBarcodeShape post = LayoutBarcode(rect, bcPostNet, QStringLiteral("1"), false, false, 0, 2);
    int shortBars = 0;
    for (const auto &b : post.bars)
        if (b.black && b.rect.height() == 120) {
            ++shortBars;
            EXPECT_EQ(b.rect.bottom(), rect.top() + 299);
        }
    EXPECT_EQ(shortBars, 3);
    // The text flag adds the encoded data with its computed check digit; a code without
    // digit groups of its own has it in one line at its corner.
    const TBarcodeShape text = LayoutBarcode(rect, bcCode39, QStringLiteral("A1"), true, true, 0, 4);
    ASSERT_EQ(text.texts.size(), 1u);
    EXPECT_EQ(text.texts[0].text, textOf(bcCode39, QStringLiteral("A1"), true));
    EXPECT_EQ(text.texts[0].text.size(), 3);
    EXPECT_EQ(text.texts[0].topLeft, rect.topLeft());
    // No data, no code (rather than a code of zeros).
    EXPECT_TRUE(LayoutBarcode(rect, bcEan13, QStringLiteral("  "), true, true, 0, 4).bars.empty());
    // Any other angle: slanted polygons, the code's bounding box still at the corner.
    const TBarcodeShape slanted = LayoutBarcode(rect, bcCode39, QStringLiteral("A1"), false, false, 30, 3);
    ASSERT_FALSE(slanted.bars.empty());
    EXPECT_EQ(slanted.bounds.topLeft(), rect.topLeft());
    EXPECT_EQ(slanted.bars.front().polygon.size(), 4);
    EXPECT_NE(slanted.bars.front().polygon.at(0).x(), slanted.bars.front().polygon.at(1).x());
}

// EAN and UPC with their digits take the usual layout: the digits in groups under the data
// bars, the guard bars (and UPC-A's first and last digit's bars) reaching down between
// them, the digits outside the code left and right of it. Read back by zbarimg, and the
// image shows no digit over the bars.
TEST_F(BarcodeTest, EanAndUpcDigitsStandUnderTheBars)
{
    const struct {
        int type;
        const char *data;
        QStringList texts;
        const char *read;
        QStringList options;
    } cases[] = {
        {bcEan13, "5901234123450", {"5", "901234", "123457"}, "5901234123457", {}},
        {bcEan8, "96385070", {"9638", "5074"}, "96385074", {}},
        {bcUpcA, "036000291450", {"0", "36000", "29145", "2"}, "036000291452", {"-Supca.enable"}},
        {bcUpcE0, "1234560", {"0", "123456", "5"}, "01234565", {"-Supce.enable"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(BarcodeTypeNames().at(c.type).toStdString());
        const int module = 3;
        const QRect at(36, 36, 10, 180);
        const TBarcodeShape shape = LayoutBarcode(at, c.type, QString::fromLatin1(c.data), true, true, 0, module);
        QStringList texts;
        for (const auto &t : shape.texts)
            texts << t.text;
        EXPECT_EQ(texts, c.texts);
        int dataBottom = INT_MAX, guardBottom = 0, firstBar = INT_MAX, lastBar = 0;
        for (const auto &b : shape.bars) {
            if (!b.black)
                continue;
            dataBottom = std::min(dataBottom, b.rect.bottom());
            guardBottom = std::max(guardBottom, b.rect.bottom());
            firstBar = std::min(firstBar, b.rect.left());
            lastBar = std::max(lastBar, b.rect.right());
            for (const auto &t : shape.texts)
                EXPECT_FALSE(b.rect.intersects(t.rect)) << "a bar under " << t.text.toStdString();
        }
        EXPECT_GT(guardBottom, dataBottom + module) << "guard bars no longer than the others";
        for (size_t i = 0; i < shape.texts.size(); ++i) {
            EXPECT_GT(shape.texts[i].rect.top(), dataBottom);
            if (i > 0) {
                EXPECT_GT(shape.texts[i].rect.left(), shape.texts[i - 1].rect.right());
            }
        }
        EXPECT_EQ(shape.texts.front().rect.left() < firstBar, c.type != bcEan8);
        EXPECT_EQ(shape.texts.back().rect.left() > lastBar, c.type == bcUpcA || c.type == bcUpcE0);

        const QImage img = render(c.type, QString::fromLatin1(c.data), true, 0, module, true);
        if (haveTool("zbarimg")) {
            EXPECT_EQ(zbarRead(img, c.options), QString::fromLatin1(c.read));
        }
        // Down to the data bars' ends every column is one colour (no digit drawn over bars),
        // and under them each group's digits leave ink.
        for (int x = firstBar; x <= lastBar; ++x) {
            const QRgb top = img.pixel(x, at.top());
            for (int y = at.top(); y <= dataBottom; ++y)
                ASSERT_EQ(img.pixel(x, y), top) << "column " << x << " row " << y;
        }
        for (const auto &t : shape.texts) {
            int ink = 0;
            for (int y = t.rect.top(); y <= t.rect.bottom(); ++y)
                for (int x = t.rect.left(); x <= t.rect.right(); ++x)
                    ink += qGray(img.pixel(x, y)) < 128;
            EXPECT_GT(ink, 20 * t.text.size()) << t.text.toStdString();
        }
    }
}

TEST_F(BarcodeTest, DrawingLeavesTheCanvasStateAndPaintsSpacesWhite)
{
    QImage img(400, 200, QImage::Format_RGB32);
    img.fill(Qt::red);
    QPainter p(&img);
    p.setPen(Qt::green);
    p.setBrush(Qt::blue);
    TTolvaCanvas canvas(&p);
    DrawBarcode(canvas, QRect(10, 10, 10, 100), bcCode39, QStringLiteral("A"), false, false, 0, 2);
    EXPECT_EQ(p.pen().color(), QColor(Qt::green));
    EXPECT_EQ(p.brush().color(), QColor(Qt::blue));
    p.end();
    EXPECT_EQ(img.pixelColor(10, 50), QColor(Qt::black));   // first bar of the start character
    EXPECT_EQ(img.pixelColor(12, 50), QColor(Qt::white));   // the narrow space after it
    EXPECT_EQ(img.pixelColor(5, 50), QColor(Qt::red));      // outside the code
}

// Page images record an upright code as two lists of rectangles, and slanted codes as
// polygons; played back they must cover the very pixels the code drawn directly covers:
// short bars and the paper above them, the EAN guard bars reaching into the digits, the
// digits, and the painter's own clip.
TEST_F(BarcodeTest, RecordedCodesPlayBackAsDrawnDirectly)
{
    const struct { int type; const char *data; bool text; } cases[] = {
        {bcEan13, "978020137962", false}, {bcEan13, "978020137962", true},
        {bcPostNet, "12345", false}, {bcCode39, "AB-12", false}, {bcCode128B, "Ab-1", true},
        {bcUpcSupp5, "52495", false}, {bcUpcE0, "0123456", false}};
    for (const auto &c : cases)
        for (int angle : {0, 90, 180, 270, 33})
            for (int module : {1, 3})
                for (bool clip : {false, true}) {
                    const QRect at(20, 20, 10, 40 * module);
                    auto paint = [&](QPaintDevice *device) {
                        QPainter p(device);
                        if (clip)
                            p.setClipRect(QRect(at.topLeft(), QSize(25 * module, 25 * module)));
                        TTolvaCanvas canvas(&p);
                        DrawBarcode(canvas, at, c.type, QString::fromLatin1(c.data), c.text,
                                    true, angle, module);
                    };
                    QImage direct(500, 500, QImage::Format_RGB32);
                    direct.fill(Qt::red);
                    QImage played = direct;
                    paint(&direct);
                    TPageImage image;
                    paint(&image);
                    QPainter p(&played);
                    image.play(&p);
                    p.end();
                    EXPECT_EQ(played, direct) << c.type << " at " << angle << " degrees, module "
                                              << module << (clip ? ", clipped" : "");
                }
}

// The symbologies zbar reads, at 0 and 90 degrees and three module widths.
TEST_F(BarcodeTest, ZbarReadsTheDrawnCodes)
{
    if (!haveTool("zbarimg"))
        GTEST_SKIP() << "zbarimg is not installed";
    struct Case {
        int type;
        const char *data;
        bool check;
        const char *expected;
        QStringList options;
    };
    const QStringList upca{QStringLiteral("-Supca.enable")};
    const std::vector<Case> cases = {
        {bcEan13, "5901234123450", true, "5901234123457", {}},
        {bcEan8, "96385070", true, "96385074", {}},
        {bcUpcA, "036000291450", true, "036000291452", upca},
        {bcUpcE0, "1234560", true, "01234565", {QStringLiteral("-Supce.enable")}},
        {bcInterleaved25, "1234567", false, "01234567", {}},
        {bcCode39, "ORV-2.1 $/+%", false, "ORV-2.1 $/+%", {}},
        {bcCode39, "ABC123", true, "ABC123$", {}},
        {bcCode93, "TEST93", false, "TEST93", {}},
        {bcCode93Full, "Ocel 11 373", false, "Ocel 11 373", {}},
        {bcCode128A, "ORVALIS", false, "ORVALIS", {}},
        {bcCode128B, "Ocel 11.373", false, "Ocel 11.373", {}},
        {bcCode128C, "12345", false, "012345", {}},
        {bcCodabar, "40156", false, "A40156B", {}},
    };
    for (const Case &c : cases) {
        for (int angle : {0, 90}) {
            for (int module : {2, 3, 5}) {
                const QString got = zbarRead(render(c.type, QString::fromUtf8(c.data), c.check, angle, module),
                                             c.options);
                EXPECT_EQ(got, QString::fromUtf8(c.expected))
                    << BarcodeTypeNames().at(c.type).toStdString() << " angle " << angle
                    << " module " << module;
            }
        }
    }
    // A text over the bars at the code's corner leaves the code readable.
    EXPECT_EQ(zbarRead(render(bcCode128B, QStringLiteral("Ocel 11.373"), false, 0, 3, true)),
              QStringLiteral("Ocel 11.373"));
}

// The symbologies zbar does not read, compared with zint module for module after
// mapping each encoder's wide-to-narrow ratio.
TEST_F(BarcodeTest, ZintEncodesTheSameModules)
{
    if (!haveTool("zint"))
        GTEST_SKIP() << "zint is not installed";
    struct Case {
        int type;
        int zintType;
        const char *data;
        bool check;
        QStringList extra;
    };
    const std::vector<Case> cases = {
        {bcIndustrial25, 7, "1234567", false, {}},
        {bcMatrix25, 2, "9876543210", false, {}},
        {bcInterleaved25, 3, "123456", false, {}},
        {bcMsi, 47, "80523", false, {QStringLiteral("--vers=1")}},
        {bcCode39, 8, "ORV 2", false, {}},
        {bcCode93, 25, "ORV-93", false, {}},
        {bcCode128B, 60, "Orvalis", false, {}},
    };
    for (const Case &c : cases) {
        const QString theirs = zintModules(c.zintType, QString::fromUtf8(c.data), c.extra);
        ASSERT_FALSE(theirs.isEmpty()) << c.zintType;
        EXPECT_EQ(ranked(runsOf(ourModules(c.type, QString::fromUtf8(c.data), c.check))),
                  ranked(runsOf(theirs)))
            << BarcodeTypeNames().at(c.type).toStdString();
    }
    // PostNet: the sequence of tall and short bars (zint always adds the check digit).
    const QString data = QStringLiteral("80523");
    QProcess p;
    p.start(QStringLiteral("zint"), {QStringLiteral("--dump"), QStringLiteral("-b"),
                                     QStringLiteral("40"), QStringLiteral("-d"), data});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QStringList rows = QString::fromLatin1(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 2);
    auto bits = [](const QString &row) {
        QString b;
        for (const QString &byte : row.split(u' ', Qt::SkipEmptyParts))
            for (QChar h : byte)
                b += QStringLiteral("%1").arg(QString::number(QString(h).toInt(nullptr, 16), 2), 4, u'0');
        return b;
    };
    const QString top = bits(rows.at(0)), all = bits(rows.at(1));
    QString theirs;
    for (int i = 0; i < all.size(); ++i)
        if (all.at(i) == u'1')
            theirs += top.at(i) == u'1' ? u'T' : u's';
    QString ours;
    for (QChar c : EncodeBarcode(bcPostNet, data, true).pattern)
        if (BarcodeElementIsBar(c))
            ours += BarcodeElementIsShort(c) ? u's' : u'T';
    EXPECT_EQ(ours, theirs);
}

// The 2- and 5-digit add-ons next to an EAN 13, as printed on books and magazines.
TEST_F(BarcodeTest, AddOnsAreReadBesideTheirMainCode)
{
    if (!haveTool("zbarimg"))
        GTEST_SKIP() << "zbarimg is not installed";
    for (auto [type, addOn] : {std::pair{bcUpcSupp5, QStringLiteral("52495")},
                               std::pair{bcUpcSupp2, QStringLiteral("12")}}) {
        const int m = 3;
        QImage img(220 * m, 80 * m, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        TTolvaCanvas canvas(&p);
        DrawBarcode(canvas, QRect(12 * m, 10 * m, 10, 60 * m), bcEan13, QStringLiteral("9780201379624"),
                    false, true, 0, m);
        DrawBarcode(canvas, QRect((12 + 95 + 9) * m, 10 * m, 10, 60 * m), type, addOn, false,
                    false, 0, m);
        p.end();
        const QString got = zbarRead(img, {QStringLiteral("-Sean2.enable"), QStringLiteral("-Sean5.enable")});
        EXPECT_TRUE(got.contains(addOn)) << addOn.toStdString() << " read as " << got.toStdString();
    }
}

// A barcode element of a store page, through the page drawing, in a PNG page.
TEST_F(BarcodeTest, StorePagesShowTheirBarcodes)
{
    if (!haveTool("zbarimg"))
        GTEST_SKIP() << "zbarimg is not installed";
    TSestVystup store;
    auto e = outtest::element(ekBarcode);
    e->PenStyle = bcCode128B;
    e->PenWidth = 12;
    e->Flags = efPrintText;
    e->Angle = 90;
    outtest::addOneLineItem(store, 0, e.get(), QRect(100, 100, 300, 80), QStringLiteral("11 373.1"));
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("page.png"));
    ASSERT_TRUE(store.SavePagePng(png, 0, 300));
    EXPECT_EQ(zbarRead(QImage(png)), QStringLiteral("11 373.1"));
}
