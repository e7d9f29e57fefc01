#pragma once
// Shared by the file-writer tests: a store with text laid out as the run lays it out, and
// the outside programs that read the files back.

#include "OutputTestSupport.h"

#include "report/model/TextLayout.h"
#include "report/output/ExportSupport.h"
#include "report/output/Sestava.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace outtest {

struct ToolResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// The program runs in the folder of the first file it is given, so that what it writes
// beside its output (unrtf's picture files) stays in the test's own folder.
inline ToolResult runTool(const QString &program, const QStringList &args)
{
    QProcess p;
    for (const QString &arg : args)
        if (const QFileInfo file(arg); file.isAbsolute() && file.isFile()) {
            p.setWorkingDirectory(file.absolutePath());
            break;
        }
    p.start(program, args);
    ToolResult r;
    if (!p.waitForFinished(60000))
        return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// What a writer answers when its stream takes no bytes (a buffer open for reading only).
template <class Write>
int writeIntoReadOnlyStream(Write write)
{
    QByteArray bytes;
    QBuffer readOnly(&bytes);
    readOnly.open(QIODevice::ReadOnly);
    return write(readOnly);
}

class ExportTest : public OutputTest {
protected:
    void SetUp() override
    {
        OutputTest::SetUp();
        // for a look at the files: ORV_KEEP_TEST_FILES=1 keeps them and names the folder
        if (qEnvironmentVariableIsSet("ORV_KEEP_TEST_FILES")) {
            dir.setAutoRemove(false);
            std::fprintf(stderr, "files in %s\n", qPrintable(dir.path()));
        }
    }
    // A text item of the element's font laid out into `width` hundredths.
    orv::TVystPrvek *addText(int page, const QString &text, QRect r, const QString &face = "Arial",
                             int size = 12, int style = 0, int alignment = 0, bool wrap = true,
                             int textFlags = 0)
    {
        orv::TSiReportElement *e = keep(element(orv::ekText, textFlags));
        e->Font.Name = face;
        e->Font.Size = size;
        e->Font.Style = style;
        e->Alignment = alignment;
        orv::TTextFont f;
        f.Name = face;
        f.Size = size;
        f.Bold = style & orv::fsBold;
        f.Italic = style & orv::fsItalic;
        f.Underline = style & orv::fsUnderline;
        f.Strikeout = style & orv::fsStrikeOut;
        f.Charset = orv::csEastEurope;
        orv::ReplaceRomanFont(f);
        orv::TTextCanvas measure(100);
        orv::TRadky lines;
        orv::LayoutText(measure, QRect(0, 0, r.width(), r.height()), text, lines, wrap, 0, 0,
                        alignment, f, textFlags & orv::tfRtf);
        auto item = std::make_unique<orv::TVystPrvek>(e, r.x(), r.y(), r.width(), r.height());
        item->SetLines(lines);
        orv::TVystPrvek *raw = item.get();
        store.AddItem(std::move(item), page);
        return raw;
    }
    orv::TVystPrvek *addShape(int page, int kind, QRect r)
    {
        orv::TSiReportElement *e = keep(element(kind));
        auto item = std::make_unique<orv::TVystPrvek>(e, r.x(), r.y(), r.width(), r.height());
        orv::TVystPrvek *raw = item.get();
        store.AddItem(std::move(item), page);
        return raw;
    }
    QString path(const QString &name) const { return dir.filePath(name); }

    orv::TSestVystup store;
    QTemporaryDir dir;
};

// Every Czech letter, the degree sign and the section sign.
inline const QString kCzech = QStringLiteral(
    "ÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ áčďéěíňóřšťúůýž ° §");

} // namespace outtest
