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

TSestavaEntryPoints &sestavaEntryPoints()
{
    static TSestavaEntryPoints entries = [] {
        TSestavaEntryPoints e;
        InstallCharacterOutput(e);
        return e;
    }();
    return entries;
}

namespace {

bool g_running = false;

// Marks a print or preview as running for as long as it lives.
class RunningGuard {
public:
    RunningGuard() { g_running = true; }
    ~RunningGuard() { g_running = false; }
    RunningGuard(const RunningGuard &) = delete;
    RunningGuard &operator=(const RunningGuard &) = delete;
};

void message(TSestMessageKind kind, const char *caption, const QString &text)
{
    showSestMessage(kind, QString::fromUtf8(caption), text);
}

QString withExtensionPattern(const QString &fileName, const QString &pattern)
{
    // "report.emf" -> "report%1.emf" style: the extension replaced by the pattern.
    const QFileInfo fi(fileName);
    const QString base = fi.suffix().isEmpty() ? fileName
                                               : fileName.left(fileName.size() - fi.suffix().size() - 1);
    return base + pattern;
}

} // namespace

bool sestavaOperationRunning()
{
    return g_running;
}

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

// ====================================================================== TSestava

TSestava::TSestava() = default;
TSestava::~TSestava() = default;

void TSestava::DoPrintSection(TOddilSestavy *section, bool &print)
{
    if (OnTiskOddilu)
        OnTiskOddilu(*this, section->Kind, print);
}

void TSestava::DoComputeFunctions()
{
    if (OnVypoctiFunkce)
        OnVypoctiFunkce(*this);
}

void TSestava::SetPredloha(const QStringList &lines)
{
    TemplateDir = templateDir();
    TSestavaTyp::SetPredloha(lines);
    if (OnSetPredloha)
        OnSetPredloha(*this);
}

void TSestava::DoBeforePrintPreview()
{
    if (BeforePrintPreview && !Designing)
        BeforePrintPreview(*this);
}

void TSestava::DoAfterPrintPreview()
{
    if (AfterPrintPreview && !Designing)
        AfterPrintPreview(*this);
}

void TSestava::DoPreviewCustom(int page)
{
    if (OnPreviewCustomEvent && !Designing)
        OnPreviewCustomEvent(*this, page);
}

void TSestava::DoError(int code)
{
    if (OnError)
        OnError(*this, code);
}

void TSestava::DoPreparePicture(QImage &picture, int width, int height)
{
    if (OnPreparePicture)
        OnPreparePicture(*this, picture, width, height);
}

QString TSestava::TemplatePath() const
{
    const QString exeDir = ExecutableDir.isEmpty() && QCoreApplication::instance()
                               ? QCoreApplication::applicationDirPath()
                               : ExecutableDir;
    return Location.TemplatePath(
        DataSource && DataSource->HasDataSet(),
        [this](const QString &alias) { return DataSource ? DataSource->AliasPath(alias) : QString(); },
        Designing, exeDir,
        [](const QString &text) { message(TSestMessageKind::Warning, SestavaMessages::CaptionWarning, text); });
}

QString TSestava::templateDir() const
{
    const QString path = TemplatePath();
    return path.isEmpty() ? QString() : QFileInfo(path).absolutePath();
}

bool TSestava::CheckData()
{
    if (!TSestavaD::CheckData())
        return false;
    if (Predloha.isEmpty() && !IsStored && !OnNactiPredlohu && TemplatePath().isEmpty()) {
        message(TSestMessageKind::Error, TemplateMessages::CaptionError,
                QString::fromUtf8(TemplateMessages::NoPath));
        return false;
    }
    return true;
}

// A template file that is there but cannot be read is never offered to be created anew:
// that would empty it.
static const char *const kTemplateUnreadable =
    "Soubor s předlohou tiskové sestavy \"%s\" existuje, ale nelze jej přečíst. "
    "Zkontrolujte přístupová práva k souboru.";

int TSestava::LoadTemplate(bool askCreate)
{
    int result = seTemplateNotLoaded;
    if (OnNactiPredlohu) {
        if (!Designing && OnNactiPredlohu(*this))
            result = seOk;
    } else if (IsStored) {
        const QStringList copy = Predloha;
        SetPredloha(copy);
        result = seOk;
    } else {
        const QString path = TemplatePath();
        QStringList lines;
        if (!path.isEmpty() && QFileInfo(path).isFile() && loadTemplateFile(path, lines) == seOk) {
            result = seOk;
        } else if (!path.isEmpty() && QFileInfo::exists(path)) {
            lines.clear();
            message(TSestMessageKind::Error, TemplateMessages::CaptionError,
                    QString::fromUtf8(kTemplateUnreadable).replace(QStringLiteral("%s"), path));
        } else if (askCreate) {
            const QString ask = QString::fromUtf8(TemplateMessages::NotFoundCreate).replace(QStringLiteral("%s"), path);
            if (showSestMessage(TSestMessageKind::Confirm,
                                QString::fromUtf8(TemplateMessages::CaptionConfirm), ask)) {
                QFile f(path);
                if (!path.isEmpty() && f.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
                    f.close();
                    result = seOk;
                } else {
                    message(TSestMessageKind::Error, TemplateMessages::CaptionError,
                            QString::fromUtf8(TemplateMessages::CannotCreate).replace(QStringLiteral("%s"), path));
                }
            }
            lines.clear();
        } else {
            message(TSestMessageKind::Error, TemplateMessages::CaptionError,
                    QString::fromUtf8(TemplateMessages::NotFound).replace(QStringLiteral("%s"), path));
        }
        SetPredloha(lines);
    }
    if (result != seOk)
        DoError(result);
    return result;
}

int TSestava::SaveTemplate()
{
    if (OnUlozPredlohu) {
        if (OnUlozPredlohu(*this))
            return seOk;
        DoError(seTemplateNotSaved);
        return seTemplateNotSaved;
    }
    if (IsStored)
        return seOk;
    if (saveTemplateFile(TemplatePath(), Predloha, true, &OutputError) == seOk)
        return seOk;
    if (OnError)
        DoError(seTemplateNotSaved);
    else
        message(TSestMessageKind::Error, TemplateMessages::CaptionError,
                QString::fromUtf8(TemplateMessages::NotSaved) + u'\n' + OutputError);
    return seTemplateNotSaved;
}

int TSestava::SaveTemplateAs()
{
    if (OnUlozPredlohuJako) {
        QString file = TemplatePath();
        if (OnUlozPredlohuJako(*this, file)) {
            setReportName(file);
            return seOk;
        }
        DoError(seTemplateNotSaved);
        return seTemplateNotSaved;
    }
    auto &ep = sestavaEntryPoints();
    if (!ep.SaveAsDialog)
        return seTemplateNotSaved;
    const QString current = TemplatePath();
    QString chosen = ep.SaveAsDialog(QFileInfo(current).absolutePath(), current);
    if (chosen.isEmpty())
        return seTemplateNotSaved;
    // The chosen name is kept as it is: file names differ by case here.
    const QString dir = Location.ReportDir();
    if (!dir.isEmpty()) {
        const QString expanded = withTrailingDelimiter(QDir(nativeTemplatePath(dir)).absolutePath());
        if (chosen.startsWith(expanded)) {
            setReportName(chosen.mid(expanded.size()));
        } else {
            setReportName(chosen);
            Location.setReportDir(QString());
            Location.ReportDirIgnore = false;
        }
    } else {
        Location.setReportDir(QFileInfo(chosen).absolutePath());
        setReportName(QFileInfo(chosen).fileName());
    }
    if (saveTemplateFile(TemplatePath(), Predloha, false, &OutputError) == seOk)
        return seOk;
    if (OnError)
        DoError(seTemplateNotSaved);
    else
        message(TSestMessageKind::Error, TemplateMessages::CaptionError,
                QString::fromUtf8(TemplateMessages::NotSaved) + u'\n' + OutputError);
    return seTemplateNotSaved;
}

void TSestava::ListPictures(QStringList &items)
{
    if (OnNactiSeznamObrazu) {
        OnNactiSeznamObrazu(*this, items);
        return;
    }
    QStringList masks;
    for (const QByteArray &f : QImageReader::supportedImageFormats())
        masks << QStringLiteral("*.") + QString::fromLatin1(f);
    const QDir dir(templateDir());
    for (const QString &mask : masks)
        for (const QString &name : dir.entryList({mask}, QDir::Files))
            if (!items.contains(name))
                items << name;
}

bool TSestava::LoadPicture(const QString &name, QImage &picture)
{
    if (OnNactiObraz)
        return OnNactiObraz(*this, name, picture);
    picture = QImage();
    if (name.isEmpty())
        return false;
    QString path = QDir(TemplateDir.isEmpty() ? QStringLiteral(".") : TemplateDir).filePath(name);
    if (!QFileInfo(path).isFile())
        path = name;
    if (!QFileInfo(path).isFile())
        return false;
    return LoadPictureFile(path, picture);
}

int TSestava::Run()
{
    if (!CheckData()) {
        DoError(seNotReady);
        return seNotReady;
    }
    const bool getData = getDataMode();
    if (!getData && DataSource)
        DataSource->RememberPosition();
    const bool disable = !HasDetails() && !getData && DataSource;
    if (disable)
        DataSource->DisableControls();
    int result;
    {
        // The data link gets its position and controls back however the run ends.
        const auto restore = qScopeGuard([&] {
            if (disable)
                DataSource->EnableControls();
            if (!getData && DataSource)
                DataSource->ReturnToPosition();
            CloseOpenedDataSets();
        });
        PrepareFields();
        result = LoadTemplate(false);
        if (result != seOk)
            return result;   // LoadTemplate has raised OnError
        result = TSestavaTyp::Run(true);
    }
    if (result != seOk)
        DoError(result);
    return result;
}

int TSestava::Edit()
{
    if (BeforeEdit)
        BeforeEdit(*this);
    int result = seNotReady;
    if (CheckData()) {
        if (getDataMode())
            OnGetData(*this);
        const bool disable = !HasDetails() && !getDataMode() && DataSource;
        if (disable)
            DataSource->DisableControls();
        PrepareFields();
        result = LoadTemplate(true);
        if (result == seOk)
            result = EditAt(QRect(), 0, wsMaximized);
        if (disable)
            DataSource->EnableControls();
        CloseOpenedDataSets();
    }
    if (result != seOk)
        DoError(result);
    if (AfterEdit)
        AfterEdit(*this);
    return result;
}

int TSestava::PrintOnPort(int printerIndex, const QString &port)
{
    if (g_running)
        return seBusy;
    RunningGuard running;
    if (BeforePrint)
        BeforePrint(*this);
    // From the run to the end of the job the report's own context is at work.
    std::optional<TReportPrintScope> ownPrint;
    auto after = [this, &ownPrint](int r) {
        ownPrint.reset();
        if (AfterPrint)
            AfterPrint(*this);
        return r;
    };
    int result = Run();
    if (result != seOk)
        return after(result);
    ownPrint.emplace(*this);

    const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
    // The built-in PDF printer writes into the file of the port, or one the user names.
    const bool pdf = IsPdfPrinter(printerIndex);
    const QString pdfFile = pdf ? PdfFileForJob(port) : QString();
    if (pdf && pdfFile.isEmpty() && !printers.isEmpty())
        return after(seCancelled);
    if (printers.isEmpty() && pdfFile.isEmpty()) {
        message(TSestMessageKind::Warning, SestavaMessages::CaptionWarning,
                QString::fromUtf8(SestavaMessages::NoPrinter));
        return after(seNoPrinter);
    }
    // A port names the file the job goes to; "FILE:" asks for one.
    const QString file = pdf ? pdfFile : port.isEmpty() ? QString() : PdfFileForJob(port);
    if (!port.isEmpty() && file.isEmpty())
        return after(seCancelled);
    std::unique_ptr<TSestProgress> progress =
        createSestProgress(QString::fromUtf8(SestavaMessages::CaptionInformation));
    if (EffectiveBackgroundPrint())
        LoadBackground();

    // The job goes the way a print from the preview goes: its result, the cancel button and
    // the question for a sheet bigger than the paper all count.
    TPrintJob job;
    job.PrinterIndex = pdf || (printerIndex >= 0 && printerIndex < printers.size()) ? printerIndex : -1;
    job.File = file;
    job.FirstPage = StartPage;
    job.LastPage = EndPage;
    job.Copies = PrintCopies;
    job.PrintBackground = EffectiveBackgroundPrint();
    job.Title = Popis;
    job.AskTiling = sestavaEntryPoints().AskTiling;
    job.AbortFlag = progress ? progress->abortFlag() : nullptr;
    Vystup.SetRange(StartPage, EndPage, ExportLanguage, PrintCopies);

    // The job's printer becomes the report's own; the session's stays as it was.
    result = PrintStore(*this, job);
    if (result == seOk && progress && progress->cancelled())
        result = seCancelled;
    if (result == seNoPrinter)
        message(TSestMessageKind::Warning, SestavaMessages::CaptionWarning,
                QString::fromUtf8(SestavaMessages::NoPrinter));
    return after(result);
}

int TSestava::PreviewAt(const QRect &rect, int position, int zoom, int windowState)
{
    if (g_running)
        return seBusy;
    RunningGuard running;
    if (BeforePreview)
        BeforePreview(*this);
    int result = Run();
    if (result == seOk) {
        auto &ep = sestavaEntryPoints();
        if (!ep.Preview) {
            result = seNotReady;
        } else {
            if (EffectiveBackgroundPrint())
                LoadBackground();
            Vystup.SetRange(StartPage, EndPage, ExportLanguage, PrintCopies);
            Vystup.SetLineSpacing(LineHeightCode);
            const QRect bg = backgroundRect();
            Vystup.SetBackground(&BackgroundPicture,
                                 TCornerRect{bg.left(), bg.top(), bg.left() + bg.width(),
                                             bg.top() + bg.height()},
                                 EffectiveBackgroundPrint());
            result = ep.Preview(*this, rect, position, zoom, windowState);
        }
    }
    if (AfterPreview)
        AfterPreview(*this);
    return result;
}

int TSestava::ExportEmf(const QString &fileName, int background)
{
    const int r = Run();
    return r != seOk ? r : TSestavaTyp::ExportEmf(fileName, background);
}

int TSestava::ExportWmf(const QString &fileName, int background)
{
    const int r = Run();
    return r != seOk ? r : TSestavaTyp::ExportWmf(fileName, background);
}

int TSestava::ExportHtml(const QString &directory, const QString &fileName,
                         const QString &pictureBase)
{
    if (!CreateOutputWriter(QStringLiteral("html")))
        return seNotReady;
    const int r = Run();
    return r != seOk ? r : TSestavaTyp::ExportHtml(directory, fileName, pictureBase);
}

int TSestava::ExportRtf(QIODevice &stream)
{
    if (!CreateOutputWriter(QStringLiteral("rtf")))
        return seNotReady;
    const int r = Run();
    return r != seOk ? r : TSestavaTyp::ExportRtf(stream);
}

int TSestava::ExportRtfFile(const QString &directory, const QString &fileName)
{
    if (!CreateOutputWriter(QStringLiteral("rtf")))
        return seNotReady;
    const int r = Run();
    return r != seOk ? r : TSestavaTyp::ExportRtfFile(directory, fileName);
}

// ====================================================================== TSestDetail

TSestDetail::TSestDetail()
{
    IsDetail = true;
}

TSestDetail::~TSestDetail()
{
    setMasterSestava(nullptr);
}

void TSestDetail::setMasterSestava(TSestavaTyp *master)
{
    if (master == m_master || master == this)
        return;
    // A master whose own masters lead back to this detail would close a ring: preparing,
    // checking or running either report would go round it for ever.
    for (TSestavaTyp *up = master; up;) {
        if (up == this)
            return;
        auto *detail = dynamic_cast<TSestDetail *>(up);
        up = detail ? detail->m_master : nullptr;
    }
    if (m_master)
        m_master->DetachDetail(this);
    m_master = master;
    if (m_master)
        m_master->AttachDetail(this);
}

void TSestDetail::DoPrintSection(TOddilSestavy *section, bool &print)
{
    if (OnTiskOddilu)
        OnTiskOddilu(*this, section->Kind, print);
}

void TSestDetail::DoComputeFunctions()
{
    if (OnVypoctiFunkce)
        OnVypoctiFunkce(*this);
}

int TSestDetail::EditIn(void *owner, int option)
{
    if (DataSource)
        DataSource->DisableControls();
    PrepareFields();
    if (DataSource)
        DataSource->EnableControls();
    return TSestavaTyp::EditIn(owner, option);
}

void TSestDetail::ListPictures(QStringList &items)
{
    if (m_master)
        m_master->ListPictures(items);
}

bool TSestDetail::LoadPicture(const QString &name, QImage &picture)
{
    if (m_master)
        return m_master->LoadPicture(name, picture);
    return TSestavaD::LoadPicture(name, picture);
}

} // namespace orv
