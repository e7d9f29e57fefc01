// Report pictures: JPEG through libjpeg, the rest through Qt; broken files give nothing.
#include "OutputTestSupport.h"

#include "report/output/PictureFile.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <jpeglib.h>

using namespace orv;

namespace {

// A JPEG written by libjpeg itself, so that the test does not depend on Qt's plugins.
QByteArray makeJpeg(int w, int h, QRgb color, bool cmyk = false)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char *out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = JDIMENSION(w);
    cinfo.image_height = JDIMENSION(h);
    cinfo.input_components = cmyk ? 4 : 3;
    cinfo.in_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> row(size_t(w) * size_t(cinfo.input_components));
    for (int x = 0; x < w; ++x) {
        if (cmyk) {
            // Adobe writes inverted CMYK; libjpeg marks the file as Adobe's.
            row[size_t(4 * x)] = 255;                  // no cyan
            row[size_t(4 * x + 1)] = 255;              // no magenta
            row[size_t(4 * x + 2)] = 0;                // full yellow
            row[size_t(4 * x + 3)] = 255;              // no black
        } else {
            row[size_t(3 * x)] = uchar(qRed(color));
            row[size_t(3 * x + 1)] = uchar(qGreen(color));
            row[size_t(3 * x + 2)] = uchar(qBlue(color));
        }
    }
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray data(reinterpret_cast<const char *>(out), qsizetype(size));
    std::free(out);
    return data;
}

bool near(QRgb a, QRgb b, int tolerance = 6)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance
           && std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

class PictureTest : public ::testing::Test {
protected:
    void SetUp() override { outtest::ensureGuiApplication(); }
};

} // namespace

TEST_F(PictureTest, JpegIsDecodedByLibjpeg)
{
    const QByteArray jpeg = makeJpeg(40, 30, qRgb(200, 40, 30));
    ASSERT_TRUE(IsJpeg(jpeg));
    QImage image;
    ASSERT_TRUE(DecodePicture(jpeg, image));
    EXPECT_EQ(image.size(), QSize(40, 30));
    EXPECT_TRUE(near(image.pixel(20, 15), qRgb(200, 40, 30))) << std::hex << image.pixel(20, 15);

    QImage yellow;
    ASSERT_TRUE(DecodeJpeg(makeJpeg(16, 16, 0, true), yellow));
    EXPECT_TRUE(near(yellow.pixel(8, 8), qRgb(255, 255, 0), 10)) << std::hex << yellow.pixel(8, 8);
}

TEST_F(PictureTest, TruncatedOrBrokenPicturesGiveNothing)
{
    const QByteArray jpeg = makeJpeg(64, 64, qRgb(10, 20, 30));
    QImage image(5, 5, QImage::Format_RGB32);
    EXPECT_FALSE(DecodePicture(jpeg.left(jpeg.size() / 2), image));
    EXPECT_TRUE(image.isNull());
    EXPECT_FALSE(DecodePicture(jpeg.left(3), image));
    QByteArray garbage = jpeg;
    for (qsizetype i = 20; i < garbage.size(); i += 7)
        garbage[i] = char(0xFF);
    DecodePicture(garbage, image);  // whatever it yields, it must not crash
    EXPECT_FALSE(DecodePicture(QByteArray("\xFF\xD8\xFF\xE0 not really a jpeg"), image));
    EXPECT_FALSE(DecodePicture(QByteArray(), image));
    EXPECT_FALSE(DecodePicture(QByteArray("BM\x10\x00\x00\x00", 6), image));

    QByteArray png;
    {
        QImage source(50, 50, QImage::Format_RGB32);
        source.fill(Qt::blue);
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(source.save(&buffer, "PNG"));
    }
    EXPECT_TRUE(DecodePicture(png, image));
    EXPECT_FALSE(DecodePicture(png.left(png.size() / 2), image));
}

TEST_F(PictureTest, BitmapsAndFilesThroughQt)
{
    QTemporaryDir dir;
    const QString bmp = dir.filePath(QStringLiteral("obrázek.bmp"));
    QImage source(12, 7, QImage::Format_RGB32);
    source.fill(qRgb(1, 2, 250));
    ASSERT_TRUE(source.save(bmp, "BMP"));
    QImage image;
    ASSERT_TRUE(LoadPictureFile(bmp, image));
    EXPECT_EQ(image.size(), QSize(12, 7));
    EXPECT_EQ(image.pixel(3, 3), qRgb(1, 2, 250));

    const QString jpg = dir.filePath(QStringLiteral("foto.jpg"));
    {
        QFile f(jpg);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(makeJpeg(8, 8, qRgb(0, 128, 0)));
    }
    EXPECT_TRUE(LoadPictureFile(jpg, image));
    EXPECT_FALSE(LoadPictureFile(dir.filePath(QStringLiteral("není.png")), image));
    EXPECT_FALSE(LoadPictureFile(QString(), image));
}

TEST_F(PictureTest, DamagedJpegsNeverCrashAndGiveWholePicturesOrNothing)
{
    const QByteArray jpeg = makeJpeg(48, 32, qRgb(90, 160, 40));
    quint32 seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    int decoded = 0;
    for (int i = 0; i < 400; ++i) {
        QByteArray damaged = jpeg;
        const int changes = 1 + int(next() % 8);
        for (int c = 0; c < changes; ++c)
            damaged[qsizetype(next() % quint32(damaged.size()))] = char(next() & 0xFF);
        if (next() % 3 == 0)
            damaged.truncate(qsizetype(next() % quint32(damaged.size())));
        QImage image;
        if (DecodePicture(damaged, image)) {
            ++decoded;
            EXPECT_FALSE(image.isNull());
        } else {
            EXPECT_TRUE(image.isNull());
        }
    }
    for (qsizetype cut = 0; cut < jpeg.size(); cut += 37) {
        QImage image;
        EXPECT_FALSE(DecodePicture(jpeg.left(cut), image)) << cut;
    }
    EXPECT_GT(decoded, 0);  // slight damage in the picture data still decodes
}
