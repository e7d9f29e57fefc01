#include "report/output/OutputWriters.h"

#include "core/SafeFile.h"
#include "report/model/CaughtException.h"
#include "report/model/SestError.h"
#include "report/output/HtmlExport.h"
#include "report/output/OutputStore.h"
#include "report/output/PdfExport.h"
#include "report/output/RtfExport.h"
#include "report/output/Sestava.h"
#include "report/output/XlsxExport.h"
#include "report/output/ZnakovePole.h"

#include <QFile>
#include <QIODevice>
#include <QTemporaryDir>
#include <QImage>
#include <QMap>

namespace orv {

namespace {

class PdfOutput : public TOutputWriter {
public:
    int Write(TSestVystup &store, const TWriteJob &job, QIODevice &device) override
    {
        return SavePdf(store, device, job.Title);
    }
};

class RtfOutput : public TOutputWriter {
public:
    int Write(TSestVystup &store, const TWriteJob &, QIODevice &device) override
    {
        return SaveRtf(store, device);
    }
};

class HtmlOutput : public TOutputWriter {
public:
    int Write(TSestVystup &store, const TWriteJob &job, QIODevice &device) override
    {
        return SaveHtml(store, device, job.Directory, job.Page, job.PictureFile);
    }
};

class TextOutput : public TOutputWriter {
public:
    int Write(TSestVystup &store, const TWriteJob &job, QIODevice &device) override
    {
        store.ExportLanguage = job.Language;
        store.SetLineSpacing(job.LineSpacing);
        if (SaveText(store, device, job.FirstPage, job.LastPage, job.Abort, job.Copies))
            return seOk;
        return job.Abort && *job.Abort ? seCancelled : seOutputNotWritten;
    }
};

class MetafileOutput : public TOutputWriter {
public:
    explicit MetafileOutput(bool enhanced) : m_enhanced(enhanced) {}
    int Write(TSestVystup &store, const TWriteJob &job, QIODevice &device) override
    {
        if (!store.Page(job.Page))
            return seNotReady;
        return store.SavePageMetafile(device, job.Page, m_enhanced, job.Background)
            ? seOk : seOutputNotWritten;
    }

private:
    bool m_enhanced;
};

class PngOutput : public TOutputWriter {
public:
    int Write(TSestVystup &store, const TWriteJob &job, QIODevice &device) override
    {
        const QImage image = store.PageToImage(job.Page, job.Dpi, job.Background);
        if (image.isNull())
            return seNotReady;
        return image.save(&device, "PNG") ? seOk : seOutputNotWritten;
    }
};

// The report's rows as a workbook. The spreadsheet library writes only to a named file, so
// the workbook is made in a private folder and its bytes go to the device.
class XlsxOutput : public TOutputWriter {
public:
    int Write(TSestVystup &store, const TWriteJob &job, QIODevice &device) override
    {
        if (!job.Report || &job.Report->Vystup != &store)
            return seNotReady;
        QTemporaryDir dir;
        if (!dir.isValid())
            return seOutputNotWritten;
        const QString file = dir.filePath(QStringLiteral("sestava.xlsx"));
        if (!reportWorkbook(*job.Report).save(file).isEmpty())
            return seOutputNotWritten;
        QFile made(file);
        if (!made.open(QIODevice::ReadOnly))
            return seOutputNotWritten;
        const QByteArray bytes = made.readAll();
        return device.write(bytes) == bytes.size() ? seOk : seOutputNotWritten;
    }
};

QMap<QString, TOutputWriterFactory> &registry()
{
    static QMap<QString, TOutputWriterFactory> writers = [] {
        QMap<QString, TOutputWriterFactory> w;
        w.insert(QStringLiteral("pdf"), [] { return std::make_unique<PdfOutput>(); });
        w.insert(QStringLiteral("rtf"), [] { return std::make_unique<RtfOutput>(); });
        w.insert(QStringLiteral("html"), [] { return std::make_unique<HtmlOutput>(); });
        w.insert(QStringLiteral("text"), [] { return std::make_unique<TextOutput>(); });
        w.insert(QStringLiteral("emf"), [] { return std::make_unique<MetafileOutput>(true); });
        w.insert(QStringLiteral("wmf"), [] { return std::make_unique<MetafileOutput>(false); });
        w.insert(QStringLiteral("png"), [] { return std::make_unique<PngOutput>(); });
        w.insert(QStringLiteral("xlsx"), [] { return std::make_unique<XlsxOutput>(); });
        return w;
    }();
    return writers;
}

QString &lastError()
{
    static QString text;
    return text;
}

} // namespace

void RegisterOutputWriter(const QString &format, TOutputWriterFactory factory)
{
    if (factory)
        registry().insert(format, std::move(factory));
    else
        registry().remove(format);
}

std::unique_ptr<TOutputWriter> CreateOutputWriter(const QString &format)
{
    const auto it = registry().constFind(format);
    return it == registry().cend() ? nullptr : (*it)();
}

TOutputWriterFactory OutputWriterFactory(const QString &format)
{
    return registry().value(format);
}

QStringList OutputFormats()
{
    return registry().keys();
}

int WriteOutput(const QString &format, TSestVystup &store, const TWriteJob &job, QIODevice &device)
{
    const std::unique_ptr<TOutputWriter> writer = CreateOutputWriter(format);
    if (!writer)
        return seNotReady;
    try {
        return writer->Write(store, job, device);
    } catch (...) {
        logCaughtException("WriteOutput");
        return seOutputNotWritten;
    }
}

int WriteOutputFile(const QString &format, TSestVystup &store, const TWriteJob &job,
                    const QString &fileName, QString *error)
{
    auto done = [&](int result, const QString &text) {
        if (result != seOk)
            setLastOutputError(text);
        if (error)
            *error = text;
        return result;
    };
    const std::unique_ptr<TOutputWriter> writer = CreateOutputWriter(format);
    if (!writer)
        return done(seNotReady, QString());
    SafeFile file(fileName);
    if (!file.open())
        return done(seOutputNotWritten, file.errorText());
    int result = seOutputNotWritten;
    try {
        result = writer->Write(store, job, file);
    } catch (...) {
        logCaughtException("WriteOutputFile");
    }
    if (result == seCancelled)
        file.cancelByUser();
    else if (result != seOk)
        file.fail(file.failed() ? QString() : QString::fromUtf8("zápis se nezdařil"));
    if (!file.commit()) {
        // A writer that had nothing to write says so itself; everything else is a file
        // that was not written.
        const int code = result == seNotReady || result == seCancelled ? result : seOutputNotWritten;
        return done(code, file.errorText());
    }
    return done(seOk, QString());
}

QString lastOutputError()
{
    return lastError();
}

void setLastOutputError(const QString &text)
{
    lastError() = text;
}

} // namespace orv
