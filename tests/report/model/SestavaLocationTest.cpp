// Where a report's template lies: name, directory, alias and the executable's folder.

#include "report/model/ReportLocation.h"
#include "report/model/SestavaMessages.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace orv;

TEST(SestavaLocation, NamesGetThePtsExtensionAndDirectoriesADelimiter)
{
    EXPECT_EQ(templateFileName("dir\\x"), "dir\\x.pts");
    EXPECT_EQ(templateFileName("a.b"), "a.pts");
    EXPECT_EQ(templateFileName("data\\tisky\\info.pts"), "data\\tisky\\info.pts");
    EXPECT_EQ(templateFileName("v1.0\\list"), "v1.0\\list.pts");   // a dot of a folder is no extension
    EXPECT_EQ(templateFileName(""), "");
    EXPECT_EQ(withTrailingDelimiter("c:\\a"), "c:\\a\\");
    EXPECT_EQ(withTrailingDelimiter("/tmp/a"), "/tmp/a/");
    EXPECT_EQ(withTrailingDelimiter("/tmp/a/"), "/tmp/a/");
}

TEST(SestavaLocation, AliasAndDirectoryExcludeEachOther)
{
    TReportLocation l;
    EXPECT_EQ(l.ReportDir(), ".\\");
    EXPECT_TRUE(l.ReportDirIgnore);
    l.setReportAlias("ZEB");
    EXPECT_EQ(l.ReportDir(), "");
    l.setReportDir("c:\\a");
    EXPECT_EQ(l.ReportDir(), "c:\\a\\");
    EXPECT_EQ(l.ReportAlias(), "");
    l.setReportDir("");
    l.setReportAlias("");   // an empty alias leaves the directory alone
    EXPECT_EQ(l.ReportDir(), "");
}

TEST(SestavaLocation, TemplatePathByDefaultBesideTheExecutable)
{
    TReportLocation l;
    l.setReportName("data\\tisky\\info.pts");
    l.setReportDir("/somewhere/else");
    QStringList warnings;
    auto warn = [&](const QString &t) { warnings << t; };
    EXPECT_EQ(l.TemplatePath(true, {}, false, "/opt/orvalis", warn), "/opt/orvalis/data/tisky/info.pts");
    // While designing, or when told not to ignore it, the directory counts.
    EXPECT_EQ(l.TemplatePath(true, {}, true, "/opt/orvalis", warn), "/somewhere/else/data/tisky/info.pts");
    l.ReportDirIgnore = false;
    EXPECT_EQ(l.TemplatePath(true, {}, false, "/opt/orvalis", warn), "/somewhere/else/data/tisky/info.pts");
    EXPECT_TRUE(warnings.isEmpty());

    TReportLocation empty;
    EXPECT_EQ(empty.TemplatePath(true, {}, false, "/opt/orvalis", warn), "");
}

TEST(SestavaLocation, AliasDirectoryOrAWarningAndTheDefault)
{
    TReportLocation l;
    l.setReportName("list");
    l.setReportAlias("ZEB 2.1 (Demoverze)");
    QStringList warnings;
    auto warn = [&](const QString &t) { warnings << t; };
    auto known = [](const QString &a) { return a == "ZEB 2.1 (Demoverze)" ? QString("/data/zeb") : QString(); };
    EXPECT_EQ(l.TemplatePath(true, known, false, "/exe", warn), "/data/zeb/list.pts");
    EXPECT_TRUE(warnings.isEmpty());

    l.setReportAlias("Neznámý");
    EXPECT_EQ(l.TemplatePath(true, known, false, "/exe", warn), "/exe/list.pts");
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_EQ(warnings[0], "Neznámý alias: Neznámý\rBude použito stand. nastavení");

    EXPECT_EQ(l.TemplatePath(false, known, false, "/exe", warn), "/exe/list.pts");
    ASSERT_EQ(warnings.size(), 2);
    EXPECT_TRUE(warnings[1].startsWith("Nelze použít alias"));
}

TEST(SestavaLocation, EveryResultCodeHasAText)
{
    for (int code : {0, 2, 3, 4, 5, 6, 7, 8})
        EXPECT_FALSE(sestErrorText(code).isEmpty());
    EXPECT_NE(sestErrorText(7), sestErrorText(8));
}
