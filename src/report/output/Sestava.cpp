// The report component (TSestava: its template, pictures, run, printing and preview) and the
// detail reports (TSestDetail); the report type and the data-link report are in SestavaTyp.cpp.

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

} // namespace

bool sestavaOperationRunning()
{
    return g_running;
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
