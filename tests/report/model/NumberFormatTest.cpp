#include "ModelTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace orv;
using orv::test::SettingsGuard;

namespace {

TEST(NumberText, ShortestTextOfANumber)
{
    SettingsGuard s(u',');
    EXPECT_EQ(numberText(0), "0");
    EXPECT_EQ(numberText(2.5), "2,5");
    EXPECT_EQ(numberText(-1234567), "-1234567");
    EXPECT_EQ(numberText(0.1 + 0.2), "0,3");             // 15 significant digits
    EXPECT_EQ(numberText(1e15), "1E15");
    EXPECT_EQ(numberText(123456789012345.0), "123456789012345");
    EXPECT_EQ(numberText(0.0001), "0,0001");
    EXPECT_EQ(numberText(0.00001), "0,00001");
    EXPECT_EQ(numberText(0.000001), "1E-6");
    EXPECT_EQ(numberText(-2.5e-7), "-2,5E-7");
    EXPECT_EQ(numberText(INFINITY), "INF");
    EXPECT_EQ(numberText(NAN), "NAN");
}

TEST(NumberText, FiveFloatFormats)
{
    SettingsGuard s(u',');
    formatSettings().ThousandSeparator = u' ';
    formatSettings().CurrencyString = QStringLiteral("Kč");
    formatSettings().CurrencyFormat = 3;
    formatSettings().NegCurrFormat = 8;
    EXPECT_EQ(formatFloatF(3.14159, ffFixed, 15, 2), "3,14");
    EXPECT_EQ(formatFloatF(-0.001, ffFixed, 15, 2), "0,00");
    EXPECT_EQ(formatFloatF(2.5, ffFixed, 15, 0), "3");      // displayed halves round up
    EXPECT_EQ(formatFloatF(0.125, ffFixed, 15, 2), "0,13");
    EXPECT_EQ(formatFloatF(1.005, ffFixed, 15, 2), "1,00");  // 1.00499999... in binary
    EXPECT_EQ(formatFloatF(9.999, ffFixed, 15, 2), "10,00");
    EXPECT_EQ(formatFloatF(1234.5, ffNumber, 15, 2), "1 234,50");
    EXPECT_EQ(formatFloatF(-1234.5, ffCurrency, 15, 2), "-1 234,50 Kč");
    EXPECT_EQ(formatFloatF(1234.5, ffCurrency, 15, 0), "1 235 Kč");
    EXPECT_EQ(formatFloatF(1234.5, ffGeneral, 15, 0), "1234,5");
    EXPECT_EQ(formatFloatF(1234.5, ffGeneral, 2, 0), "1,2E3");
    EXPECT_EQ(formatFloatF(1234.5, ffExponent, 3, 2), "1,23E+03");
    EXPECT_EQ(formatFloatF(-0.00123, ffExponent, 2, 0), "-1,2E-3");
    EXPECT_EQ(formatFloatF(1e300, ffFixed, 15, 2), "1E300");
    EXPECT_EQ(formatFloatF(12345, ffFixed, 5, 1), "12345,0");
}

TEST(NumberPicture, DigitsSeparatorsSectionsAndLiterals)
{
    SettingsGuard s(u',');
    formatSettings().ThousandSeparator = u' ';
    EXPECT_EQ(formatFloatPicture(1234.567, "0.00"), "1234,57");
    EXPECT_EQ(formatFloatPicture(1234.567, "#,##0.00"), "1 234,57");
    EXPECT_EQ(formatFloatPicture(1234567.891, "#,##0"), "1 234 568");
    EXPECT_EQ(formatFloatPicture(5, "000"), "005");
    EXPECT_EQ(formatFloatPicture(0.5, "#.##"), ",5");
    EXPECT_EQ(formatFloatPicture(0, "#.##"), "");
    EXPECT_EQ(formatFloatPicture(1.5, "0.0#"), "1,5");
    EXPECT_EQ(formatFloatPicture(1.256, "0.0#"), "1,26");
    EXPECT_EQ(formatFloatPicture(12345, "0"), "12345");     // surplus digits at the first place
    EXPECT_EQ(formatFloatPicture(-5, "0.0"), "-5,0");
    EXPECT_EQ(formatFloatPicture(-5, "0.0;(0.0)"), "(5,0)");
    EXPECT_EQ(formatFloatPicture(0, "0.0;(0.0);'nula'"), "nula");
    EXPECT_EQ(formatFloatPicture(-0.001, "0.0"), "0,0");
    EXPECT_EQ(formatFloatPicture(42, "\"č. \"0\" ks\""), "č. 42 ks");
    EXPECT_EQ(formatFloatPicture(1234.5, "0.00E+00"), "1,23E+03");
    EXPECT_EQ(formatFloatPicture(0.000123, "0.0E-0"), "1,2E-4");
    EXPECT_EQ(formatFloatPicture(99.99, "0.0E+0"), "1,0E+2");
    EXPECT_EQ(formatFloatPicture(7, ""), "7");
    EXPECT_EQ(formatFloatPicture(7, "abc"), "abc");
    const QString huge = formatFloatPicture(1e300, QString(300, u'0') + ".0E+0");
    EXPECT_TRUE(huge.startsWith("1000")) << huge.toStdString();
    EXPECT_TRUE(huge.endsWith(",0E+1")) << huge.toStdString();
}

TEST(DateTimePicture, PartsNamesAndSeparators)
{
    SettingsGuard s;
    const double t = 45000.0 + (13 * 3600 + 5 * 60 + 9) / 86400.0;   // Wed 15.3.2023 13:05:09
    EXPECT_EQ(formatDateTimePicture(t, "d.m.yy"), "15.3.23");
    EXPECT_EQ(formatDateTimePicture(t, "dd/mm/yyyy"), "15/03/2023");
    EXPECT_EQ(formatDateTimePicture(t, "ddd dddd mmm mmmm"), "Wed Wednesday Mar March");
    EXPECT_EQ(formatDateTimePicture(t, "h:n:s"), "13:5:9");
    EXPECT_EQ(formatDateTimePicture(t, "hh:mm:ss"), "13:05:09");   // m after h is minutes
    EXPECT_EQ(formatDateTimePicture(t, "h am/pm"), "1 pm");
    EXPECT_EQ(formatDateTimePicture(t, "hh AM/PM"), "01 PM");
    EXPECT_EQ(formatDateTimePicture(t, "'dd' \"mm\" d"), "dd mm 15");
    EXPECT_EQ(formatDateTimePicture(t, "ddddd"), "3/15/2023");
    EXPECT_EQ(formatDateTimePicture(t, ""), "3/15/2023 13:05:09");
    EXPECT_EQ(formatDateTimePicture(-1.25, "d.m.yyyy hh:nn"), "29.12.1899 06:00");
    EXPECT_EQ(formatDateTimePicture(1e12, "yyyy"), "");
    EXPECT_EQ(formatDateTimePicture(NAN, "yyyy"), "");
    int y, mo, d, h, mi, sec, ms;
    EXPECT_TRUE(serialToParts(0.999999999, y, mo, d, h, mi, sec, ms));
    EXPECT_EQ(d, 31);   // rounding to milliseconds carries into the next day
    EXPECT_EQ(h, 0);
    EXPECT_EQ(dateTimeToSerial(QDateTime(QDate(2023, 3, 15), QTime(18, 0))), 45000.75);
}

} // namespace
