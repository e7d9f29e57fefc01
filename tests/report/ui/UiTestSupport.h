#pragma once
// Shared by the window tests: a report of a few pages over rows in memory, message capture,
// answers to the file and text questions, and outside programs run on written files.

#include "report/output/RunTestSupport.h"

#include "report/model/SestavaMessages.h"
#include "report/ui/ReportUi.h"
#include "report/ui/UiHooks.h"

#include <QProcess>
#include <QStandardPaths>

namespace uitest {

// Records messages; questions get the answer set.
struct Messages {
    QStringList texts;
    QStringList captions;
    bool answer = true;
    Messages()
    {
        orv::InstallReportUi();   // first, so that its message boxes do not replace ours
        orv::setSestMessageHandler([this](orv::TSestMessageKind, const QString &caption, const QString &text) {
            captions << caption;
            texts << text;
            return answer;
        });
    }
    ~Messages() { orv::setSestMessageHandler({}); }
};

// Answers the save dialog with a file and records what was asked.
struct SaveAnswers {
    QStringList files;   // answers in order; empty string = cancel
    std::vector<orv::TSaveFileRequest> asked;
    SaveAnswers()
    {
        orv::saveFileAsker() = [this](QWidget *, const orv::TSaveFileRequest &r) {
            asked.push_back(r);
            return files.isEmpty() ? QString() : files.takeFirst();
        };
    }
    ~SaveAnswers() { orv::saveFileAsker() = {}; }
};

// Five records of two per page: three pages, Czech text on each.
inline QStringList threePageTemplate()
{
    runtest::Template t;
    t.section(1, true, 40).section(2, true, 450);
    t.text("H", 1, "0", 0, 0, 600, 30, QString::fromUtf8("Přehled oceli – žluťoučký kůň"));
    t.text("T", 2, "Name", 0, 0, 600, 30);
    return t.Lines;
}

inline void fillRows(runtest::MemoryBridge &data)
{
    data.Columns = {"Name"};
    data.Rows = {{QString::fromUtf8("Ocel 11 373 úprava")}, {QString::fromUtf8("Ocel 12 050 šroub")},
                 {QString::fromUtf8("Ocel 14 220 čep")}, {QString::fromUtf8("Ocel 15 230 řetěz")},
                 {QString::fromUtf8("Ocel 17 240 ťuk")}};
}

// The report over the five records of fillRows with threePageTemplate, not run yet.
inline void prepareThreePageReport(orv::TSestava &report, runtest::MemoryBridge &data)
{
    fillRows(data);
    report.DataSource = &data;
    report.IsStored = true;
    report.Predloha = threePageTemplate();
}

// Runs that report and selects every page for printing; the run's result.
inline int runThreePageReport(orv::TSestava &report, runtest::MemoryBridge &data)
{
    prepareThreePageReport(report, data);
    const int result = report.Run();
    report.Vystup.SetRange(1, 9999, 0, 1);
    return result;
}

// Runs an outside program; its standard output, or an empty string when it failed.
inline QString run(const QString &program, const QStringList &args, int *exitCode = nullptr)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000)) {
        if (exitCode)
            *exitCode = -1;
        return {};
    }
    if (exitCode)
        *exitCode = p.exitCode();
    return QString::fromUtf8(p.readAllStandardOutput());
}

inline bool have(const QString &program)
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}

// "Pages: 3" -> 3 from pdfinfo's output.
inline QString pdfinfoField(const QString &info, const QString &field)
{
    for (const QString &line : info.split(u'\n'))
        if (line.startsWith(field + u':'))
            return line.mid(field.size() + 1).trimmed();
    return {};
}

} // namespace uitest
