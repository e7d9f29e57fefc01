// The resource pictures: drawn at the size asked for, and a missing name is a null pixmap
// rather than an empty square that would hide the fault.

#include "ui/SvgPicture.h"

#include <QImage>

#include <gtest/gtest.h>

using orv::ui::svgPicture;

namespace {

TEST(SvgPictureTest, DrawsAtTheSizeAskedForAndMissingNamesAreNull)
{
    for (int size : {16, 48}) {
        const QImage image = svgPicture(QStringLiteral("print"), size).toImage();
        ASSERT_EQ(image.size(), QSize(size, size));
        // Ink in the middle, none in the corner the picture leaves free.
        EXPECT_GT(qAlpha(image.pixel(size / 2, size / 2)), 200) << size;
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size;
    }
    EXPECT_TRUE(svgPicture(QStringLiteral("no-such-picture"), 16).isNull());
}

} // namespace
