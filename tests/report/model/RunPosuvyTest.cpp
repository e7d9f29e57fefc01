// Stretch bands and segments of a section.

#include "report/model/Posuvy.h"
#include "report/model/ReportElement.h"

#include <gtest/gtest.h>

#include <deque>

using namespace orv;

namespace {
struct Elements {
    std::deque<TSiReportElement> all;
    TSiReportElement *at(int top, int height)
    {
        all.emplace_back();
        all.back().Top = top;
        all.back().Height = height;
        return &all.back();
    }
};
} // namespace

TEST(RunPosuvy, BandsJoinByTopInsertInOrderAndAppend)
{
    Elements e;
    TPosuvy b(200);
    EXPECT_TRUE(b.Add(e.at(50, 20)));    // 50..69
    EXPECT_TRUE(b.Add(e.at(100, 30)));   // 100..129, appended (starts after the last end)
    EXPECT_TRUE(b.Add(e.at(100, 50)));   // joins band 100, end raised to 149
    EXPECT_TRUE(b.Add(e.at(20, 10)));    // before the last end: inserted before band 50
    ASSERT_EQ(b.bandCount(), 3);
    EXPECT_EQ(b.Bands[0].Start, 20);
    EXPECT_EQ(b.Bands[0].End, 29);
    EXPECT_EQ(b.Bands[1].Start, 50);
    EXPECT_EQ(b.Bands[2].Start, 100);
    EXPECT_EQ(b.Bands[2].End, 149);
    EXPECT_EQ(b.Bands[2].Elements.size(), 2u);
    // Inside the last band's range without being a band's start: no band takes it.
    EXPECT_FALSE(b.Add(e.at(120, 10)));
    EXPECT_EQ(b.bandCount(), 3);
}

TEST(RunPosuvy, SegmentsCoverTheSectionAndFixedElementsFindTheirs)
{
    Elements e;
    TPosuvy b(200);
    b.Add(e.at(10, 20));   // end 29
    b.Add(e.at(60, 40));   // end 99
    ASSERT_EQ(b.segmentCount(), 3);
    EXPECT_EQ(b.SegmentStart(0), 0);
    EXPECT_EQ(b.SegmentHeight(0), 29);
    EXPECT_EQ(b.SegmentStart(1), 29);
    EXPECT_EQ(b.SegmentHeight(1), 70);
    EXPECT_EQ(b.SegmentStart(2), 99);
    EXPECT_EQ(b.SegmentHeight(2), 101);
    int total = 0;
    for (int i = 0; i < b.segmentCount(); ++i)
        total += b.SegmentHeight(i);
    EXPECT_EQ(total, 200);

    EXPECT_EQ(b.SegmentOf(0), 0);
    EXPECT_EQ(b.SegmentOf(28), 0);
    EXPECT_EQ(b.SegmentOf(29), 1);   // at a band's end: the following segment
    EXPECT_EQ(b.SegmentOf(98), 1);
    EXPECT_EQ(b.SegmentOf(99), 2);
    EXPECT_EQ(b.SegmentOf(150), 2);

    TPosuvy none(50);
    EXPECT_EQ(none.segmentCount(), 1);
    EXPECT_EQ(none.SegmentHeight(0), 50);
    EXPECT_EQ(none.SegmentOf(10), 0);
}
