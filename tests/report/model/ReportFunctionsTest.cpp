#include "ModelTestSupport.h"

#include "report/model/ReportFunctions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <random>

using namespace orv;
using orv::test::DataReport;
using orv::test::SettingsGuard;

namespace {

struct Record {
    int group;
    std::optional<double> value;
};

// Data in three groups with some null values.
std::vector<Record> sampleData()
{
    std::mt19937 rng(4711);
    std::uniform_real_distribution<double> value(-50.0, 150.0);
    std::vector<Record> data;
    for (int i = 0; i < 60; ++i) {
        Record r{i / 20, std::nullopt};
        if (rng() % 7 != 0)
            r.value = std::round(value(rng) * 100) / 100;
        data.push_back(r);
    }
    return data;
}

// Two-pass statistics over the values taken, computed without the function's running sums.
struct Stats {
    int count = 0;
    double sum = 0, min = 0, max = 0;
    std::optional<double> stddev;
};

Stats statsOf(const std::vector<double> &v)
{
    Stats s;
    s.count = int(v.size());
    if (v.empty())
        return s;
    s.min = *std::min_element(v.begin(), v.end());
    s.max = *std::max_element(v.begin(), v.end());
    for (double x : v)
        s.sum += x;
    if (v.size() > 1) {
        const double mean = s.sum / double(v.size());
        double sq = 0;
        for (double x : v)
            sq += (x - mean) * (x - mean);
        s.stddev = std::sqrt(sq / double(v.size() - 1));
    }
    return s;
}

class ReportFunctionsTest : public ::testing::Test {
protected:
    SettingsGuard settings{u'.'};
    DataReport report{{{"Group", 1}, {"Value", 1}}};

    TRadekFunkce *addFunction(int aggregation, int resetLevel = rlReport)
    {
        TRadekFunkce *f = report.Functions.add();
        f->Expression = "#2";
        f->Aggregation = aggregation;
        f->ResetLevel = resetLevel;
        return f;
    }

    // Runs the records, resetting group-level functions when the group changes, and
    // returns the value of function `index` after the last record of each group.
    std::vector<TCalcType> run(const std::vector<Record> &data, int index)
    {
        std::vector<TCalcType> perGroup;
        report.Functions.MarkReset(-1);
        for (size_t i = 0; i < data.size(); ++i) {
            if (i > 0 && data[i].group != data[i - 1].group) {
                perGroup.push_back(report.Functions.at(index)->Value);
                report.Functions.MarkReset(rlGroupBase + 0);
            }
            report.set(0, data[i].group);
            report.set(1, data[i].value ? QVariant(*data[i].value) : QVariant());
            report.Functions.ComputeAll(&report);
        }
        perGroup.push_back(report.Functions.at(index)->Value);
        return perGroup;
    }
};

TEST_F(ReportFunctionsTest, AggregationsAgreeWithIndependentStatistics)
{
    const std::vector<Record> data = sampleData();
    for (bool skipNulls : {false, true}) {
        SCOPED_TRACE(skipNulls ? "skipping nulls" : "counting nulls");
        for (int agg = agCount; agg <= agRelStdDev; ++agg) {
            SCOPED_TRACE(agg);
            report.Functions.clear();
            addFunction(agg, rlGroupBase + 0);
            addFunction(agg, rlReport);
            report.Functions.SetSkipNulls(skipNulls);
            const std::vector<TCalcType> groups = run(data, 0);
            const TCalcType whole = report.Functions.at(1)->Value;

            auto expectedFor = [&](int group) {
                std::vector<double> taken;
                for (const Record &r : data)
                    if ((group < 0 || r.group == group) && (r.value || !skipNulls))
                        taken.push_back(r.value.value_or(0.0));   // a null reads as 0
                return statsOf(taken);
            };
            for (int g = -1; g < 3; ++g) {
                const TCalcType got = g < 0 ? whole : groups[size_t(g)];
                const Stats s = expectedFor(g);
                switch (agg) {
                case agCount: EXPECT_EQ(got.Number, s.count); break;
                case agSum: EXPECT_NEAR(got.Number, s.sum, 1e-9); break;
                case agAverage: EXPECT_NEAR(got.Number, s.sum / s.count, 1e-9); break;
                case agMinimum: EXPECT_EQ(got.Number, s.min); break;
                case agMaximum: EXPECT_EQ(got.Number, s.max); break;
                case agStdDev: EXPECT_NEAR(got.Number, *s.stddev, 1e-9); break;
                case agRelStdDev:
                    EXPECT_NEAR(got.Number, *s.stddev * s.count / s.sum, 1e-9);
                    break;
                }
                EXPECT_EQ(got.Kind, TCalcType::KindNumber);
            }
        }
    }
}

TEST_F(ReportFunctionsTest, DeviationsOfOneAndOfTwoValues)
{
    TRadekFunkce *sd = addFunction(agStdDev);
    TRadekFunkce *rel = addFunction(agRelStdDev);
    report.Functions.MarkReset(-1);
    report.set(1, 2);
    report.Functions.ComputeAll(&report);
    EXPECT_TRUE(sd->Value.isEmptyValue());
    EXPECT_EQ(sd->DisplayText(), "");
    EXPECT_EQ(rel->DisplayText(), "");
    report.set(1, 4);
    report.Functions.ComputeAll(&report);
    EXPECT_NEAR(sd->Value.Number, std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(rel->Value.Number, std::sqrt(2.0) * 2 / 6, 1e-12);
    EXPECT_EQ(sd->DisplayText(), "1.41");
    EXPECT_EQ(rel->DisplayText(), "0.47");
}

TEST_F(ReportFunctionsTest, EqualValuesHaveZeroDeviationNotNaN)
{
    TRadekFunkce *sd = addFunction(agStdDev);
    report.Functions.MarkReset(-1);
    for (int i = 0; i < 3; ++i) {
        report.set(1, 0.1);
        report.Functions.ComputeAll(&report);
    }
    EXPECT_EQ(sd->Value.Number, 0.0);
}

TEST_F(ReportFunctionsTest, ResetLevelsRestartPageAndGroupFunctions)
{
    TRadekFunkce *perPage = addFunction(agCount, rlPage);
    TRadekFunkce *perGroup = addFunction(agCount, rlGroupBase + 1);
    TRadekFunkce *total = addFunction(agCount, rlReport);
    report.Functions.MarkReset(-1);
    for (int i = 0; i < 7; ++i) {
        if (i == 4)
            report.Functions.MarkReset(rlPage);
        if (i == 2 || i == 5)
            report.Functions.MarkReset(rlGroupBase + 1);
        report.set(1, i);
        report.Functions.ComputeAll(&report);
    }
    EXPECT_EQ(perPage->Value.Number, 3);
    EXPECT_EQ(perGroup->Value.Number, 2);
    EXPECT_EQ(total->Value.Number, 7);
}

TEST_F(ReportFunctionsTest, InitialValueAndNoneAggregation)
{
    TRadekFunkce *f = addFunction(agSum);
    f->InitialValue = "100";
    TRadekFunkce *none = addFunction(agNone);
    none->Type = 1;
    none->Expression = "'n'+#2";
    TRadekFunkce *bad = addFunction(agCount);
    bad->InitialValue = "abc";
    report.Functions.MarkReset(-1);
    report.set(1, 5);
    report.Functions.ComputeAll(&report);
    // A sum continues from its initial value and keeps the initial text.
    EXPECT_EQ(f->Value.Number, 5);   // Total starts at 0; the number is the total
    EXPECT_EQ(f->Value.Text, "100");
    EXPECT_EQ(none->Value.Text, "n5");
    EXPECT_EQ(none->Value.Kind, TCalcType::KindText);
    EXPECT_EQ(none->DisplayText(), "n5");
    EXPECT_EQ(bad->Value.Number, 1);
    EXPECT_EQ(bad->Value.Text, "");
}

TEST_F(ReportFunctionsTest, AnExpressionErrorCountsAsAnEmptyValue)
{
    TRadekFunkce *sum = addFunction(agSum);
    sum->Expression = "10/#2";
    TRadekFunkce *cnt = addFunction(agCount);
    cnt->Expression = "10/#2";
    report.Functions.MarkReset(-1);
    for (int v : {5, 0, 2}) {
        report.set(1, v);
        report.Functions.ComputeAll(&report);
    }
    EXPECT_EQ(sum->Value.Number, 7);
    EXPECT_EQ(cnt->Value.Number, 3);
}

TEST_F(ReportFunctionsTest, DisplayTextFollowsFormatWidthAndDecimals)
{
    TRadekFunkce *f = addFunction(agNone);
    f->Expression = "3.14159";
    report.Functions.MarkReset(-1);
    report.Functions.ComputeAll(&report);
    EXPECT_EQ(f->DisplayText(), "3.14");
    formatSettings().DecimalSeparator = u',';
    EXPECT_EQ(f->DisplayText(), "3,14");
    formatSettings().DecimalSeparator = u'.';
    f->Format = ffGeneral;
    f->Width = 4;
    EXPECT_EQ(f->DisplayText(), "3.142");
    f->Format = ffExponent;
    f->Decimals = 3;
    EXPECT_EQ(f->DisplayText(), "3.142E+000");
    f->Expression = "1234567.891";
    report.Functions.ComputeAll(&report);
    f->Format = ffNumber;
    f->Width = 15;
    f->Decimals = 1;
    EXPECT_EQ(f->DisplayText(), "1,234,567.9");
    f->Format = ffCurrency;
    EXPECT_EQ(f->DisplayText(), "$1,234,567.9");
    f->Format = ffFixed;
    f->Width = 5;   // the integer part needs more digits than the width
    EXPECT_EQ(f->DisplayText(), "1.2346E6");
    f->SkipNulls = true;
    f->Value.IsNull = true;
    EXPECT_EQ(f->DisplayText(), "");
}

TEST_F(ReportFunctionsTest, ListLookupCaptionsAndDescriptions)
{
    TRadekFunkce *a = report.Functions.add();
    a->Name = "Soucet";
    a->Description = "Součet cen";
    EXPECT_EQ(a->Format, ffFixed);
    EXPECT_EQ(a->Width, 15);
    EXPECT_EQ(a->Decimals, 2);
    EXPECT_EQ(a->InitialValue, "0");
    EXPECT_EQ(report.Functions.add()->Name, "Funkce2");
    EXPECT_EQ(report.Functions.FindByName("SOUCET"), 0);
    EXPECT_EQ(report.Functions.FindByName("x"), -1);
    EXPECT_EQ(report.Functions.Caption(0), "@1  Soucet");
    EXPECT_EQ(report.Functions.Description(0), "Funkce Soucet - Součet cen");
    EXPECT_EQ(report.Functions.Description(5), "6  ???");
    EXPECT_EQ(report.Functions.DisplayText(5), "");
}

} // namespace
