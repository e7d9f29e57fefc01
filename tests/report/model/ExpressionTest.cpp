#include "ModelTestSupport.h"

#include "report/model/Expression.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

using namespace orv;
using orv::test::DataReport;
using orv::test::SettingsGuard;

namespace {

class ExpressionTest : public ::testing::Test {
protected:
    SettingsGuard settings{u'.'};
    DataReport report;

    void SetUp() override
    {
        report.set(0, 2);
        report.set(1, QStringLiteral("Ocel"));
        report.set(2, 12.5);
        report.Parametry = {QStringLiteral("12,5"), QStringLiteral("abc")};
        setCurrentReport(&report);
    }
    void TearDown() override { setCurrentReport(nullptr); }

    TCalcType value(const QString &e)
    {
        const TEvalResult r = Evaluate(e);
        EXPECT_EQ(r.Error, eeNone) << e.toStdString() << " at " << r.Position;
        return r.Value;
    }
    double number(const QString &e) { return value(e).Number; }
    QString text(const QString &e) { return value(e).Text; }
    ::testing::AssertionResult fails(const QString &e, int code, int pos = -1)
    {
        const TEvalResult r = Evaluate(e);
        if (r.Error != code || (pos >= 0 && r.Position != pos))
            return ::testing::AssertionFailure()
                   << e.toStdString() << ": error " << r.Error << " at " << r.Position
                   << ", expected " << code << " at " << pos;
        return ::testing::AssertionSuccess();
    }
};

TEST_F(ExpressionTest, OperatorsFollowTheirPrecedenceLeftToRight)
{
    EXPECT_EQ(number("1+2*3"), 7);
    EXPECT_EQ(number("(1+2)*3"), 9);
    EXPECT_EQ(number("2^3^2"), 64);       // (2^3)^2
    EXPECT_EQ(number("2*(-3)"), -6);
    EXPECT_EQ(number("10-4-3"), 3);
    EXPECT_EQ(number("12/4/3"), 1);
    EXPECT_EQ(number("-3+5"), 2);
    EXPECT_EQ(number("1+2=3"), 1);        // comparison binds loosest
    EXPECT_EQ(number("NOT 0 AND 1"), 1);
    EXPECT_EQ(number("1 OR 0 AND 0"), 1); // AND before OR
    EXPECT_EQ(number("NOT 1 = 0"), 1);
    EXPECT_EQ(number("ABS(-2)^2"), 4);
    EXPECT_EQ(number("  7  "), 7);
}

TEST_F(ExpressionTest, ErrorCodesCarryTheTokenPosition)
{
    EXPECT_TRUE(fails("-2^2", 6));          // unary minus first: (-2)^2 has a base below 1
    EXPECT_TRUE(fails("2*-3", 2, 2));
    EXPECT_TRUE(fails("LOG(0)", 6, 0));
    EXPECT_TRUE(fails("1+1/0", 6, 3));
    EXPECT_TRUE(fails("MAX(1)", 10, 5));
    EXPECT_TRUE(fails("ABS(1,2)", 11, 5));
    EXPECT_TRUE(fails("(1", 5, 2));
    EXPECT_TRUE(fails("1)", 4, 1));
    EXPECT_TRUE(fails("# ", 1, 0));
    EXPECT_TRUE(fails("1.5E123", 7, 0));
    EXPECT_TRUE(fails("12abc", 7, 0));
    EXPECT_TRUE(fails("1 + 'abc", 12, 4));
    EXPECT_TRUE(fails("1 IN [1,2", 13, 5));
    EXPECT_TRUE(fails("1 , 2", 11, 2));
    EXPECT_TRUE(fails("FOO(1)", 1, 0));
    EXPECT_TRUE(fails("1 2", 2, 2));
    EXPECT_TRUE(fails("1 ? 2", 2, 2));
    EXPECT_TRUE(fails("NOT#1", 1, 0));      // a word runs on over #
    EXPECT_TRUE(fails("#Missing + 1", 1, 0));
    EXPECT_TRUE(fails("&Name", 1, 0));      // parameters take no names
    EXPECT_TRUE(fails("#1234", 1, 0));      // at most three digits
    EXPECT_TRUE(fails("1+", 2, 2));
    EXPECT_TRUE(fails("()", 2, 1));
    EXPECT_TRUE(fails("SUBSTR('a',1)", 10));
    EXPECT_TRUE(fails("TAN(0)+COTG(0)", 6, 7));
    EXPECT_TRUE(fails("ASIN(2)", 6, 0));
    EXPECT_TRUE(fails("ACOS(-1.5)", 6, 0));
    EXPECT_TRUE(fails("0^2", 6, 1));
}

TEST_F(ExpressionTest, ADomainErrorBeforeASyntaxErrorIsTheOneReported)
{
    // The evaluator reduces as it scans: 1/0 is computed when "+" arrives, before the
    // unclosed parenthesis is seen.
    EXPECT_TRUE(fails("1/0+(2", 6, 1));
    // At the end the pending "/" is applied before the unclosed "(" is met.
    EXPECT_TRUE(fails("(1/0", 6, 2));
    EXPECT_TRUE(fails("(1/2", 5, 4));
}

TEST_F(ExpressionTest, LimitsOfLengthStacksAndNesting)
{
    EXPECT_TRUE(fails(QString(256, u'1'), 3, 255));
    EXPECT_EQ(Evaluate(QString(255, u'1')).Error, eeNone);
    EXPECT_TRUE(fails("1" + QString(250, u'0') + "E99", 7, 0));   // beyond a double
    QString deep = QString(40, u'(') + "1" + QString(40, u')');
    EXPECT_EQ(number(deep), 1);
    deep = QString(41, u'(') + "1" + QString(41, u')');
    EXPECT_TRUE(fails(deep, 3, 40));
    QString sum = "1";
    for (int i = 0; i < 39; ++i)
        sum += "+1";
    EXPECT_EQ(number(sum), 40);                         // reduced as it goes
    QString pow = "1";
    for (int i = 0; i < 20; ++i)
        pow = "2*(" + pow + ")";
    EXPECT_EQ(number(pow), std::pow(2.0, 20));
    QString pending = "-";
    for (int i = 0; i < 41; ++i)
        pending += "ABS ";
    pending += "1";
    EXPECT_EQ(Evaluate(pending).Error, eeTooMany);
}

TEST_F(ExpressionTest, TextsAndNumbersTravelTogether)
{
    TCalcType v = value("'12'+'3'");
    EXPECT_EQ(v.Kind, TCalcType::KindText);
    EXPECT_EQ(v.Text, "123");
    EXPECT_EQ(v.Number, 15);
    v = value("'12'+3");
    EXPECT_EQ(v.Kind, TCalcType::KindNumber);
    EXPECT_EQ(v.Number, 15);
    EXPECT_EQ(v.Text, "123");
    EXPECT_EQ(number("'abc'='ABC'"), 0);
    EXPECT_EQ(number("'abc'='abc'"), 1);
    EXPECT_EQ(number("'10'<'9'"), 0);
    EXPECT_EQ(number("'10'=10"), 1);        // numbers compared when not both texts
    EXPECT_EQ(number("'1.0'='1'"), 0);      // both texts: exact text comparison
    v = value("1.50");
    EXPECT_EQ(v.Text, "1.50");              // the literal as written
    EXPECT_EQ(v.Number, 1.5);
    EXPECT_EQ(text("1.5*2"), "3");
    EXPECT_EQ(value("''").Kind, TCalcType::KindText);
    EXPECT_EQ(value("").Kind, TCalcType::KindOther);
    EXPECT_EQ(Evaluate("").Error, eeNone);
}

TEST_F(ExpressionTest, ReferencesByNumberAndByName)
{
    TCalcType v = value("#2");
    EXPECT_EQ(v.Kind, TCalcType::KindText);
    EXPECT_EQ(v.Text, "Ocel");
    EXPECT_EQ(number("#price*2"), 25);      // names ignore letter case
    EXPECT_EQ(number("&1*2"), 25);          // parameter text read as a number
    EXPECT_EQ(value("&2").Kind, TCalcType::KindText);
    EXPECT_EQ(value("&3").Kind, TCalcType::KindOther);         // no such parameter: empty
    EXPECT_EQ(value("#0").Kind, TCalcType::KindOther);
    v = value("#9");
    EXPECT_EQ(v.Text, "Položka ?");
    EXPECT_EQ(v.Number, 0);
    report.LineNumber = 17;
    report.PageNumber = 3;
    EXPECT_EQ(number("%3"), 17);
    EXPECT_EQ(number("%4"), 3);
    EXPECT_EQ(number("%5"), 0);
    EXPECT_EQ(text("%6"), "0");             // no group
    report.AddGroup(0, "#1", false, 0, true, 0, true);
    report.Groups.at(0)->LineInGroup = 4;
    report.Groups.at(0)->GroupNumber = 2;
    EXPECT_EQ(number("%6"), 4);
    EXPECT_EQ(number("%7"), 2);
    TRadekFunkce *f = report.Functions.add();
    f->Name = "Total";
    f->Value.Kind = 1;
    f->Value.Number = 42;
    EXPECT_EQ(number("@1"), 42);
    EXPECT_EQ(number("@TOTAL+1"), 43);
    EXPECT_TRUE(fails("@2x", 1, 2));
    EXPECT_EQ(value("@2").Kind, TCalcType::KindOther);
}

TEST_F(ExpressionTest, SystemDateAndTimeUseTheRunStart)
{
    report.RunStart = 45000.75;   // 15.3.2023 18:00
    TCalcType d = value("%1");
    EXPECT_EQ(d.Number, 45000.75);
    EXPECT_EQ(d.Text, "3/15/2023");
    EXPECT_EQ(text("%2"), "18:00:00");
    EXPECT_EQ(number("YEAR(%1)*10000+MONTH(%1)*100+DAY(%1)"), 20230315);
    EXPECT_EQ(number("HOUR(%2)"), 18);
}

TEST_F(ExpressionTest, InListsMatchTextOrNonZeroNumber)
{
    report.set(1, QStringLiteral("2"));
    EXPECT_EQ(number("#2 IN [1,2,3]"), 1);
    EXPECT_EQ(number("#2 IN [1, 2]"), 1);
    EXPECT_EQ(number("#2 IN [1,3]"), 0);
    EXPECT_EQ(number("#1 IN ['x',2.0]"), 1);     // number 2 of field 1
    EXPECT_EQ(number("'b' IN ['a','b']"), 1);
    EXPECT_EQ(number("'b' IN [a,b]"), 1);        // a word runs to the next comma
    EXPECT_EQ(number("0 IN [0]"), 1);            // by its text
    EXPECT_EQ(number("'00' IN [0]"), 0);         // number 0 never matches by number
    EXPECT_EQ(number("12.5 IN [#Price]"), 1);
    EXPECT_EQ(number("-1 IN [-1]"), 1);
    // AND binds tighter than IN: the list is and-ed with 1 first and 2 is not in "0".
    EXPECT_EQ(number("1+1 IN [2] AND 1"), 0);
}

TEST_F(ExpressionTest, BuiltInFunctions)
{
    EXPECT_EQ(text("IIF(#1>0,'a','b')"), "a");
    report.set(0, -1);
    EXPECT_EQ(text("IIF(#1>0,'a','b')"), "b");
    EXPECT_EQ(value("IIF(#1>0,'a','b')").Kind, TCalcType::KindText);
    TCalcType v = value("IIF(1,2,'b')");
    EXPECT_EQ(v.Number, 2);
    EXPECT_EQ(v.Kind, TCalcType::KindNumber);
    EXPECT_EQ(text("SUBSTR('abcdef',2,3)"), "bcd");
    EXPECT_EQ(text("SUBSTR('abc',0,2)"), "ab");
    EXPECT_EQ(text("SUBSTR('abc',5,2)"), "");
    EXPECT_EQ(text("RIGHT('abc',5)"), "abc");
    EXPECT_EQ(text("LEFT('abc',2.9)"), "ab");
    EXPECT_EQ(text("LEFT('abc',-1)"), "");
    EXPECT_EQ(number("POS('cx','abcd')"), 3);
    EXPECT_EQ(number("POS('','abcd')"), 0);
    EXPECT_EQ(number("POS('z','abcd')"), 0);
    EXPECT_EQ(text("CHR(65)"), "A");
    EXPECT_EQ(text("CHR(232)"), "č");            // the Central European code page
    EXPECT_EQ(text("CHR(0)"), "");
    EXPECT_EQ(text("CHR(256)"), "");
    EXPECT_EQ(number("ORD('')"), 0);
    EXPECT_EQ(number("ORD('A')"), 65);
    EXPECT_EQ(number("ORD('č')"), 232);
    EXPECT_EQ(number("ROUND(2.5)"), 2);
    EXPECT_EQ(number("ROUND(3.5)"), 4);
    EXPECT_EQ(number("ROUND(-2.5)"), -2);
    EXPECT_EQ(number("INT(-2.7)"), -2);
    EXPECT_EQ(number("SGN(-0.1)+SGN(0)+SGN(3)"), 0);
    EXPECT_EQ(number("MAX(1,2)*MIN(3,4)"), 6);
    EXPECT_EQ(number("LENGTH('Žluťoučký')"), 9);
    EXPECT_EQ(value("LENGTH('abc')").Text, "");
    EXPECT_EQ(text("UPPER('čáp')"), "ČÁP");
    EXPECT_EQ(text("LOWER('ČÁP')"), "čáp");
    v = value("ALLTRIM(' 12 ')");
    EXPECT_EQ(v.Text, "12");
    EXPECT_EQ(v.Number, 12);
    EXPECT_EQ(text("LTRIM('  a ')"), "a ");
    EXPECT_EQ(text("RTRIM('  a ')"), "  a");
    v = value("STRTONUM('12,5')");
    EXPECT_EQ(v.Number, 12.5);
    EXPECT_EQ(v.Text, "12,5");
    v = value("NUMTOSTR(2.50)");
    EXPECT_EQ(v.Text, "2.5");
    EXPECT_EQ(v.Kind, TCalcType::KindText);
    EXPECT_NEAR(number("SIN(1)^2+COS(1)^2"), 1.0, 1e-12);
    EXPECT_NEAR(number("TAN(1)*COTG(1)"), 1.0, 1e-12);
    EXPECT_NEAR(number("LOG(EXP(2))"), 2.0, 1e-12);
    EXPECT_NEAR(number("ATAN(1)*4"), M_PI, 1e-12);
    EXPECT_NEAR(number("ACOTG(0)"), M_PI / 2, 1e-12);
    EXPECT_NEAR(number("ASIN(0.5)"), std::asin(0.5), 1e-12);
    EXPECT_NEAR(number("ASIN(1)"), M_PI / 2, 1e-12);
    EXPECT_NEAR(number("ACOS(0)"), M_PI / 2, 1e-12);
    EXPECT_NEAR(number("ACOS(1)"), 0.0, 1e-12);
    EXPECT_EQ(number("ISNULL(1)"), 0);
    EXPECT_EQ(text("FORMAT(1234.5,'#,##0.00')"), "1,234.50");
    EXPECT_EQ(value("FORMAT(1234.5,'0')").Number, 1234.5);
    EXPECT_EQ(text("FORMATDT(45000.75,'d.m.yyyy hh:nn')"), "15.3.2023 18:00");
    EXPECT_EQ(text("ABS 3-5"), "-2");            // a bare function takes the next value
    EXPECT_EQ(builtinFunctionNames().size(), 40);
}

TEST_F(ExpressionTest, NullFlagsPropagateExceptThroughIsNull)
{
    report.set(2, QVariant());
    EXPECT_TRUE(value("#3").IsNull);
    EXPECT_TRUE(value("#3+1").IsNull);
    EXPECT_TRUE(value("ABS(#3)").IsNull);
    EXPECT_TRUE(value("NOT #3").IsNull);
    EXPECT_TRUE(value("#3 IN [1]").IsNull);
    TCalcType v = value("ISNULL(#3)");
    EXPECT_FALSE(v.IsNull);
    EXPECT_EQ(v.Number, 1);
    EXPECT_EQ(v.Text, "");
}

TEST_F(ExpressionTest, TextAndConditionHelpers)
{
    EXPECT_EQ(EvaluateText("#2+'!'"), "Ocel!");
    EXPECT_EQ(EvaluateText("1/0"), "");
    EXPECT_TRUE(EvaluateCondition("#1>1"));
    EXPECT_FALSE(EvaluateCondition("#1>2"));
    EXPECT_FALSE(EvaluateCondition("(1"));
    EXPECT_FALSE(EvaluateCondition("-1"));
}

TEST_F(ExpressionTest, AParsedExpressionFollowsTheData)
{
    const TExpression e("#3*2+#1");
    for (int i = 0; i < 5; ++i) {
        report.set(0, i);
        report.set(2, i * 0.5);
        EXPECT_EQ(e.evaluate(&report).Value.Number, i * 0.5 * 2 + i);
    }
    EXPECT_EQ(TExpression("#1").evaluate(nullptr).Value.Kind, TCalcType::KindOther);
    EXPECT_EQ(TExpression("#Name").evaluate(nullptr).Error, eeNotFound);
}

TEST(SplitList, ItemsLiteralsAndReferences)
{
    SettingsGuard settings;
    DataReport report;
    report.set(1, QStringLiteral("logo.bmp"));
    report.Parametry = {QStringLiteral("p.jpg")};
    EXPECT_EQ(SplitList(&report, "a.bmp, b.jpg,c"), QStringList({"a.bmp", "b.jpg", "c"}));
    EXPECT_EQ(SplitList(&report, "'x, y',#2,&1,%1,#Name"),
              QStringList({"x, y", "logo.bmp", "p.jpg", "", "logo.bmp"}));
    EXPECT_EQ(SplitList(&report, "  "), QStringList());
    EXPECT_EQ(SplitList(&report, "/data/pic 1.bmp"), QStringList({"/data/pic 1.bmp"}));
}

TEST(StrToNum, ToleratesBothSeparatorsAndRejectsTheRest)
{
    for (QChar sep : {QChar(u'.'), QChar(u',')}) {
        SettingsGuard settings(sep);
        EXPECT_EQ(StrToNum("12.5"), 12.5);
        EXPECT_EQ(StrToNum("12,5"), 12.5);
        EXPECT_EQ(StrToNum("  -3.25"), -3.25);
        EXPECT_EQ(StrToNum("1e5"), 100000);
        EXPECT_EQ(StrToNum("1 000"), 0);
        EXPECT_EQ(StrToNum("1e+3"), 0);
        EXPECT_EQ(StrToNum("12.5 "), 0);
        EXPECT_EQ(StrToNum("1-2"), 0);
        EXPECT_EQ(StrToNum("abc"), 0);
        EXPECT_EQ(StrToNum(""), 0);
        EXPECT_EQ(StrToNum("-"), 0);
        EXPECT_EQ(StrToNum("1,5.3"), 0);
        EXPECT_EQ(StrToNum("9e999"), 0);
        EXPECT_EQ(StrToNum("1e-999"), 0);
    }
}

} // namespace

namespace {

// A resolver that fails the way user code in a data event might.
class ThrowingContext : public TExprContext {
public:
    TCalcType ReferenceValue(QChar, int) override { throw std::runtime_error("data gone"); }
    int ReferenceNumber(QChar, const QString &) override { return 1; }
};

TEST(ExpressionFailures, AThrowingResolverIsAnErrorNotAnEscape)
{
    ThrowingContext ctx;
    TEvalResult r;
    EXPECT_NO_THROW(r = Evaluate(&ctx, "1+#Name"));
    EXPECT_EQ(r.Error, eeDomain);
    EXPECT_EQ(r.Position, 2);
    TListFunkci functions;
    TRadekFunkce *f = functions.add();
    f->Expression = "#1";
    f->Aggregation = agCount;
    functions.MarkReset(-1);
    EXPECT_NO_THROW(functions.ComputeAll(&ctx));
    EXPECT_EQ(f->Value.Number, 1);   // counted with an empty value
    QStringList items;
    EXPECT_NO_THROW(items = SplitList(&ctx, "#1,a,#Name"));
    EXPECT_EQ(items, QStringList({"", "a", ""}));
}

TEST(ExpressionFailures, ASwallowedResolverFailureIsLoggedWithItsText)
{
    orv::test::LogCapture log;
    orv::test::LogCapture::lines().clear();
    ThrowingContext ctx;
    Evaluate(&ctx, "#Name");
    EXPECT_TRUE(log.contains("orvalis.report", "Evaluate"));
    EXPECT_TRUE(log.contains("orvalis.report", "data gone"));
    orv::test::LogCapture::lines().clear();
    SplitList(&ctx, "a,#Name");
    EXPECT_TRUE(log.contains("orvalis.report", "SplitList"));
    EXPECT_TRUE(log.contains("orvalis.report", "data gone"));
}

} // namespace
