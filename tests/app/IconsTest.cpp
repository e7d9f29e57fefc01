// The main window's drawn pictures: one for every image-list number, none beyond.

#include "app/Icons.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <set>

using namespace orv::app;

namespace {

QImage picture(int index)
{
    return mainImage(index).pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

int inkedPixels(const QImage &image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += qAlpha(image.pixel(x, y)) > 0;
    return n;
}

TEST(MainImages, EveryNumberHasItsOwnPictureAndNoneBeyond)
{
    std::set<QByteArray> seen;
    for (int i = 0; i < mainImageCount; ++i) {
        const QImage image = picture(i);
        ASSERT_FALSE(image.isNull()) << i;
        EXPECT_GT(inkedPixels(image), 20) << "picture " << i << " is (nearly) empty";
        const QByteArray bytes(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes());
        EXPECT_TRUE(seen.insert(bytes).second) << "picture " << i << " repeats an earlier one";
    }
    EXPECT_TRUE(mainImage(-1).isNull());
    EXPECT_TRUE(mainImage(mainImageCount).isNull());
}

} // namespace
