// The report type (TSestavaTyp: its output store, printing, preview and the exports to files)
// and the report over the data link (TSestavaD); the report component with its templates and
// the detail reports are in Sestava.cpp.

#include "report/output/Sestava.h"

#include "report/model/CaughtException.h"
#include "report/model/Expression.h"
#include "report/model/PageSetup.h"
#include "report/model/TemplateFile.h"
#include "core/SafeFile.h"
#include "report/output/ExportSupport.h"
#include "report/output/HtmlExport.h"
#include "report/output/OutputWriters.h"
#include "report/output/PictureFile.h"
#include "report/output/PrinterMetrics.h"
#include "report/output/Printers.h"
#include "report/output/SestavaDetail.h"
#include "report/output/ZnakovePole.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScopeGuard>

#include <optional>
namespace orv {

using sestava_detail::message;

namespace {

QString withExtensionPattern(const QString &fileName, const QString &pattern)
{
    // "report.emf" -> "report%1.emf" style: the extension replaced by the pattern.
    const QFileInfo fi(fileName);
    const QString base = fi.suffix().isEmpty() ? fileName
                                               : fileName.left(fileName.size() - fi.suffix().size() - 1);
    return base + pattern;
}

} // namespace

// ====================================================================== TSestavaTyp

TSestavaTyp::TSestavaTyp()
{
    Vystup.setPageSetup(&Context.PageSetup);
    Vystup.OnPreparePicture = [this](QImage &picture, int width, int height) {
        DoPreparePicture(picture, width, height);
    };
}

TSestavaTyp::~TSestavaTyp()
{
    // Details still attached lose their master.
    const QList<TSestDetail *> details = m_details;
    for (TSestDetail *d : details)
        d->setMasterSestava(nullptr);
    if (currentReport() == this)
        setCurrentReport(nullptr);
}

void TSestavaTyp::AttachDetail(TSestDetail *detail)
{
    if (!detail || m_details.contains(detail))
        return;
    m_details.append(detail);
    Details.append(detail);
}

void TSestavaTyp::DetachDetail(TSestDetail *detail)
{
    m_details.removeAll(detail);
    Details.removeAll(detail);
}

void TSestavaTyp::DoPrintSection(TOddilSestavy *, bool &) {}
void TSestavaTyp::DoPrintElement(TSiReportElement *, bool &) {}
void TSestavaTyp::DoPaintBox(int, int, int, QPainter &) {}
void TSestavaTyp::DoPreparePicture(QImage &, int, int) {}

void TSestavaTyp::SetPredloha(const QStringList &lines)
{
    TSestavaModel::SetPredloha(lines);
}

bool TSestavaTyp::FieldPicture(int, QImage &picture) const
{
    picture = QImage();
    return false;
}

QString TSestavaTyp::ParameterCaption(int n, const QStringList &parameters)
{
    if (n < 1 || n > parameters.size())
        return QString::number(n);
    return QString::number(n) + QStringLiteral(": ") + parameters.at(n - 1);
}

QString TSestavaTyp::ParameterCaption(int n) const
{
    return ParameterCaption(n, Parametry);
}

void TSestavaTyp::LoadBackground()
{
    const QString file = effectiveBackgroundFile();
    if (file.isEmpty())
        BackgroundPicture = QImage();
    else
        LoadPicture(file, BackgroundPicture);
}

TWriteJob TSestavaTyp::textJob() const
{
    TWriteJob job;
    job.FirstPage = StartPage;
    job.LastPage = EndPage;
    job.Copies = PrintCopies;
    job.Language = ExportLanguage;
    job.LineSpacing = LineHeightCode;
    return job;
}

int TSestavaTyp::PrintToStreamRaw(QIODevice &stream)
{
    const int r = WriteOutput(QStringLiteral("text"), Vystup, textJob(), stream);
    return r == seOk || r == seNotReady ? r : seOutputNotWritten;
}

int TSestavaTyp::Edit()
{
    return EditAt(QRect(), 0, wsMaximized);
}

int TSestavaTyp::EditAt(const QRect &rect, int position, int windowState)
{
    auto &ep = sestavaEntryPoints();
    if (!ep.Edit)
        return seNotReady;
    return ep.Edit(*this, rect, position, windowState);
}

int TSestavaTyp::EditIn(void *owner, int option)
{
    auto &ep = sestavaEntryPoints();
    if (!ep.EditIn)
        return seNotReady;
    return ep.EditIn(*this, owner, option);
}

int TSestavaTyp::Print()
{
    return PrintOn(-1);
}

int TSestavaTyp::PrintOnPort(int, const QString &)
{
    return seNotReady;
}

int TSestavaTyp::PrintToStream(QIODevice &stream)
{
    std::unique_ptr<TSestProgress> progress =
        createSestProgress(QString::fromUtf8(SestavaMessages::CaptionInformation));
    return PrintToStreamRaw(stream);
}

int TSestavaTyp::PrintToFile(const QString &fileName)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const int r = PrintToStreamRaw(buffer);
    if (r != seOk)
        return r;
    std::unique_ptr<TSestProgress> progress =
        createSestProgress(QString::fromUtf8(SestavaMessages::CaptionInformation));
    SafeFile file(fileName);
    if (file.open()) {
        // Written in pieces so that the progress window's cancel button is answered.
        const QByteArray &data = buffer.data();
        constexpr qsizetype chunk = 64 * 1024;
        for (qsizetype at = 0; at < data.size() && !file.failed(); at += chunk) {
            file.write(data.constData() + at, std::min(chunk, data.size() - at));
            if (progress) {
                progress->processEvents();
                if (progress->cancelled())
                    file.cancelByUser();
            }
        }
    }
    if (file.commit())
        return seOk;
    OutputError = file.errorText();
    setLastOutputError(OutputError);
    return file.wasCancelled() ? seCancelled : seOutputNotWritten;
}

TWriteJob TSestavaTyp::pageJob(int page, int background) const
{
    TWriteJob job;
    job.Page = page;
    job.Background = background < 0 ? PrintOwnBackground : background != 0;
    return job;
}

int TSestavaTyp::writeFile(const QString &format, const TWriteJob &job, const QString &fileName)
{
    OutputError.clear();
    return WriteOutputFile(format, Vystup, job, fileName, &OutputError);
}

bool TSestavaTyp::EmfOrWmf(bool enhanced, QIODevice &stream, int page, int background)
{
    return WriteOutput(enhanced ? QStringLiteral("emf") : QStringLiteral("wmf"), Vystup,
                       pageJob(page, background), stream) == seOk;
}

int TSestavaTyp::ExportEmfPage(QIODevice &stream, int page, int background)
{
    EmfOrWmf(true, stream, page, background);
    return seOk;
}

int TSestavaTyp::ExportWmfPage(QIODevice &stream, int page, int background)
{
    EmfOrWmf(false, stream, page, background);
    return seOk;
}

int TSestavaTyp::ExportEmfPageFile(const QString &fileName, int page, int background)
{
    return writeFile(QStringLiteral("emf"), pageJob(page, background), fileName);
}

int TSestavaTyp::ExportWmfPageFile(const QString &fileName, int page, int background)
{
    return writeFile(QStringLiteral("wmf"), pageJob(page, background), fileName);
}

int TSestavaTyp::exportFiles(bool enhanced, const QString &fileName, int background)
{
    if (Vystup.PageCount() == 0)
        return seNotReady;
    const QString pattern = withExtensionPattern(fileName, enhanced ? QStringLiteral("%1.emf")
                                                                    : QStringLiteral("%1.wmf"));
    for (int i = 0; i < Vystup.PageCount(); ++i) {
        const int r = writeFile(enhanced ? QStringLiteral("emf") : QStringLiteral("wmf"),
                                pageJob(i, background), pattern.arg(i + 1));
        if (r != seOk)
            return r;
    }
    return seOk;
}

int TSestavaTyp::ExportEmf(const QString &fileName, int background)
{
    return exportFiles(true, fileName, background);
}

int TSestavaTyp::ExportWmf(const QString &fileName, int background)
{
    return exportFiles(false, fileName, background);
}

namespace {
TWriteJob htmlJob(const QString &directory, int page, const QString &pictureFile)
{
    TWriteJob job;
    job.Directory = directory;
    job.Page = page;
    job.PictureFile = pictureFile;
    return job;
}
} // namespace

int TSestavaTyp::ExportHtmlPage(QIODevice &stream, const QString &directory, int page,
                                const QString &pictureFile)
{
    return WriteOutput(QStringLiteral("html"), Vystup, htmlJob(directory, page, pictureFile), stream);
}

int TSestavaTyp::ExportHtmlPageFile(const QString &directory, const QString &fileName, int page,
                                    const QString &pictureFile)
{
    return writeFile(QStringLiteral("html"), htmlJob(directory, page, pictureFile),
                     QDir(directory).filePath(fileName));
}

int TSestavaTyp::ExportHtml(const QString &directory, const QString &fileName,
                            const QString &pictureBase)
{
    if (!CreateOutputWriter(QStringLiteral("html")) || Vystup.PageCount() == 0)
        return seNotReady;
    const QString pages = withExtensionPattern(fileName, QStringLiteral("%1.html"));
    const QString pictures = withExtensionPattern(pictureBase, QStringLiteral("%1_.bmp"));
    QStringList written;
    for (int i = 0; i < Vystup.PageCount(); ++i) {
        const int r = ExportHtmlPageFile(directory, pages.arg(i + 1), i, pictures.arg(i + 1));
        if (r != seOk)
            return r;
        written << pages.arg(i + 1);
    }
    // The pages are numbered beside the name asked for, which leads to them.
    return ExportHtmlIndex(directory, fileName, written);
}

int TSestavaTyp::ExportHtmlIndex(const QString &directory, const QString &fileName,
                                 const QStringList &pageFiles)
{
    OutputError.clear();
    SafeFile file(QDir(directory).filePath(fileName));
    const QByteArray html = HtmlIndexPage(Popis, pageFiles);
    if (!file.open() || file.write(html) != html.size() || !file.commit()) {
        OutputError = file.errorText();
        setLastOutputError(OutputError);
        return seOutputNotWritten;
    }
    return seOk;
}

int TSestavaTyp::ExportRtf(QIODevice &stream)
{
    return WriteOutput(QStringLiteral("rtf"), Vystup, TWriteJob(), stream);
}

int TSestavaTyp::ExportRtfFile(const QString &directory, const QString &fileName)
{
    return writeFile(QStringLiteral("rtf"), TWriteJob(), QDir(directory).filePath(fileName));
}

int TSestavaTyp::ExportPdf(QIODevice &stream)
{
    TWriteJob job;
    job.Title = Popis;
    return WriteOutput(QStringLiteral("pdf"), Vystup, job, stream);
}

int TSestavaTyp::ExportPdfFile(const QString &directory, const QString &fileName)
{
    TWriteJob job;
    job.Title = Popis;
    return writeFile(QStringLiteral("pdf"), job, QDir(directory).filePath(fileName));
}

int TSestavaTyp::ExportXlsx(const QString &fileName, QString *error)
{
    TWriteJob job;
    job.Report = this;
    const int result = writeFile(QStringLiteral("xlsx"), job, fileName);
    if (error)
        *error = OutputError;
    return result;
}

int TSestavaTyp::Preview()
{
    return PreviewAt(QRect(), 0, 100, wsMaximized);
}

int TSestavaTyp::PreviewAt(const QRect &, int, int, int)
{
    return seNotReady;
}

// ====================================================================== TSestavaD

TSestavaD::TSestavaD() = default;
TSestavaD::~TSestavaD() = default;

bool TSestavaD::fromBridge(int n) const
{
    return !getDataMode() && DataSource && n >= 0 && n < FieldNames.size()
           && n < DataSource->FieldCount();
}

void TSestavaD::DoGetData()
{
    if (getDataMode())
        OnGetData(*this);
}

void TSestavaD::DoPrintElement(TSiReportElement *element, bool &canPrint)
{
    if (OnPrintElement)
        OnPrintElement(*this, element->Font, element->Ident, canPrint);
}

void TSestavaD::DoPaintBox(int index, int width, int height, QPainter &canvas)
{
    if (OnPaintBox && !Designing)
        OnPaintBox(*this, index, width, height, canvas);
}

bool TSestavaD::CheckData()
{
    if (getDataMode())
        return true;
    if (!DataSource) {
        message(TSestMessageKind::Error, SestavaMessages::CaptionError,
                QString::fromUtf8(SestavaMessages::NoDataSource));
        return false;
    }
    if (!DataSource->HasDataSet()) {
        message(TSestMessageKind::Error, SestavaMessages::CaptionError,
                QString::fromUtf8(SestavaMessages::NoDataSet));
        return false;
    }
    if (!DataSource->IsActive()) {
        if (!showSestMessage(TSestMessageKind::Confirm,
                             QString::fromUtf8(SestavaMessages::CaptionConfirm),
                             QString::fromUtf8(SestavaMessages::AskOpen)))
            return false;
        DataSource->Open();
        m_openedByReport = true;
        if (!DataSource->IsActive()) {
            message(TSestMessageKind::Error, SestavaMessages::CaptionError,
                    QString::fromUtf8(SestavaMessages::CannotOpen));
            return false;
        }
    }
    for (TSestDetail *d : std::as_const(m_details))
        if (!d->CheckData())
            return false;
    return true;
}

void TSestavaD::CloseOpenedDataSets()
{
    if (m_openedByReport && DataSource)
        DataSource->Close();
    m_openedByReport = false;
    for (TSestDetail *d : std::as_const(m_details))
        d->CloseOpenedDataSets();
}

bool TSestavaD::PrepareFields()
{
    if (!DataSource || !DataSource->HasDataSet())
        return false;
    QStringList names, labels;
    for (int i = 0; i < DataSource->FieldCount(); ++i) {
        names << DataSource->FieldName(i);
        labels << DataSource->FieldLabel(i);
    }
    SetFieldNames(names);
    FieldLabels = labels;
    for (TSestDetail *d : std::as_const(m_details))
        d->PrepareFields();
    return true;
}

TStepResult TSestavaD::StepData(TStepDir dir)
{
    TStepResult r;
    if (OnStepData)
        r = OnStepData(*this, dir);
    else if (DataSource)
        r = DataSource->Step(dir);
    else
        r = srNoData;
    DoGetData();
    return r;
}

namespace {

// A value read from the data link; a link that throws gives `fallback`, and the log says what
// failed where.
template <typename T, typename Read>
T readFromBridge(const char *where, T fallback, Read &&read)
{
    try {
        return read();
    } catch (...) {
        logCaughtException(where);
        return fallback;
    }
}

} // namespace

int TSestavaD::FieldDataType(int n) const
{
    int type = fromBridge(n) ? readFromBridge("FieldDataType", 0, [&] { return DataSource->FieldDataType(n); }) : 0;
    if (OnGetDataType)
        OnGetDataType(const_cast<TSestavaD &>(*this), n, type);
    return type;
}

int TSestavaD::FieldAlignment(int n) const
{
    int a = fromBridge(n) ? readFromBridge("FieldAlignment", 0, [&] { return DataSource->FieldAlignment(n); }) : 0;
    if (OnGetAlignment)
        OnGetAlignment(const_cast<TSestavaD &>(*this), n, a);
    return a;
}

int TSestavaD::FieldDisplayWidth(int n) const
{
    if (!fromBridge(n))
        return 10;
    return readFromBridge("FieldDisplayWidth", 10, [&] { return DataSource->FieldDisplayWidth(n); });
}

QString TSestavaD::FieldText(int n) const
{
    if (!fromBridge(n))
        return TSestavaTyp::FieldText(n);
    return readFromBridge("FieldText", QStringLiteral("????"), [&] { return DataSource->DisplayText(n); });
}

QString TSestavaD::FieldMemo(int n) const
{
    if (!fromBridge(n))
        return TSestavaTyp::FieldMemo(n);
    return readFromBridge("FieldMemo", QStringLiteral("????"), [&] {
        return isMemoType(FieldDataType(n)) ? DataSource->MemoText(n) : DataSource->DisplayText(n);
    });
}

TCalcType TSestavaD::FieldValue(int n) const
{
    if (!fromBridge(n))
        return TSestavaTyp::FieldValue(n);
    try {
        TCalcType v = fieldValueFromBridge(*DataSource, n);
        if (OnGetDataType) {
            // A changed data type changes how the value counts in expressions.
            const int type = FieldDataType(n);
            v.Kind = kindOfFieldType(type);
        }
        return v;
    } catch (...) {
        logCaughtException("FieldValue");
        TCalcType v;
        v.Text = QStringLiteral("????");
        return v;
    }
}

bool TSestavaD::FieldPicture(int n, QImage &picture) const
{
    picture = QImage();
    if (!fromBridge(n))
        return false;
    try {
        return DataSource->Picture(n, picture);
    } catch (...) {
        logCaughtException("FieldPicture");
        picture = QImage();
        return false;
    }
}

bool TSestavaD::FieldIsNull(int n) const
{
    if (!fromBridge(n))
        return false;
    return readFromBridge("FieldIsNull", false, [&] { return DataSource->IsNull(n); });
}

} // namespace orv
