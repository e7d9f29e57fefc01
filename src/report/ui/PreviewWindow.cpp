#include "report/ui/PreviewWindow.h"

#include "core/SafeFile.h"
#include "core/Utf8.h"

#include "report/model/PageSetup.h"
#include "report/model/SestavaMessages.h"
#include "report/output/OutputStore.h"
#include "report/output/OutputWriters.h"
#include "report/output/Printers.h"
#include "report/output/Sestava.h"
#include "report/ui/FormInfo.h"
#include "report/ui/PrintDialog.h"
#include "report/ui/TolvaReportZoom.h"
#include "report/ui/UiHooks.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace orv {

namespace {

constexpr int kScrollStep = 16;

// "plan.wmf" and 3 give "plan3.wmf": the number goes in front of the extension.
QString numberedName(const QString &file, int number)
{
    const QFileInfo fi(file);
    const QString suffix = fi.suffix();
    if (suffix.isEmpty())
        return file + QString::number(number);
    return file.left(file.size() - suffix.size() - 1) + QString::number(number) + u'.' + suffix;
}

} // namespace

// The white sheet the page is painted on.
class TFormSestP::Panel : public QWidget {
public:
    explicit Panel(TFormSestP *owner) : QWidget(owner), m_owner(owner)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAutoFillBackground(false);
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter p(this);
        p.fillRect(event->rect(), Qt::white);
        const TSestVystup &store = m_owner->m_store;
        const double f = m_owner->zoomFactor();
        if (store.Background && !store.Background->isNull() && !store.PrintBackground) {
            const TCornerRect &b = store.BackgroundRect;
            const QRect r(QPoint(int(std::lround(b.Left * f)), int(std::lround(b.Top * f))),
                          QPoint(int(std::lround(b.Right * f)) - 1, int(std::lround(b.Bottom * f)) - 1));
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(r, *store.Background);
        }
        if (store.Page(store.CurrentPage))
            store.DrawPage(p, m_owner->m_pageRect.adjusted(0, 0, -1, -1));
    }

private:
    TFormSestP *m_owner;
};

const std::array<double, TFormSestP::ZoomStepCount> &TFormSestP::zoomFactors()
{
    static const std::array<double, ZoomStepCount> f{0.32, 0.40, 0.50, 0.64, 0.75, 0.83,
                                                     1.00, 1.20, 1.50, 2.00, 3.00};
    return f;
}

QString TFormSestP::zoomCaption(int step)
{
    return QStringLiteral("%1 %").arg(int(std::lround(zoomFactors().at(size_t(step)) * 100)));
}

int TFormSestP::zoomStepFor(int percent)
{
    const auto &f = zoomFactors();
    for (int i = 0; i < ZoomStepCount - 1; ++i)
        if (percent / 50.0 < f[size_t(i)] + f[size_t(i + 1)])
            return i;
    return ZoomStepCount - 1;
}

TFormSestP::TFormSestP(TSestavaTyp &report, const TPreviewOptions &options, QWidget *parent)
    : QDialog(parent), m_report(report), m_store(report.Vystup), m_options(options),
      m_printDialog(std::make_unique<TPrintDialogTyp>())
{
    setWindowTitle(u8("Náhled tiskové sestavy") + (report.Popis.isEmpty() ? QString() : u8(" - ") + report.Popis));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *tools = new QWidget(this);
    tools->setObjectName(QStringLiteral("tools"));
    layout->addWidget(tools);
    m_scroll = new QScrollArea(this);
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->horizontalScrollBar()->setSingleStep(kScrollStep);
    m_scroll->verticalScrollBar()->setSingleStep(kScrollStep);
    m_panel = new Panel(this);
    m_scroll->setWidget(m_panel);
    if (report.RunProblems.isEmpty()) {
        layout->addWidget(m_scroll, 1);
    } else {
        // The pages of a run that met errors are not what the template means: the status
        // line says so under them for as long as they are shown.
        auto *column = new QVBoxLayout;
        column->setSpacing(0);
        column->addWidget(m_scroll, 1);
        auto *status = new QLabel(this);
        status->setObjectName(QStringLiteral("problems"));
        status->setText(u8("Chyby v předloze (%1): %2")
                            .arg(report.RunProblems.size())
                            .arg(report.RunProblems.constFirst()));
        status->setToolTip(report.RunProblems.join(u'\n'));
        status->setStyleSheet(QStringLiteral("QLabel { color: #a00000; padding: 3px; }"));
        column->addWidget(status);
        layout->addLayout(column, 1);
    }
    buildTools();

    // Opening: the first page of the range, the range set again for the screen.
    m_store.SetRange(m_store.FirstPage, m_store.LastPage, 0, m_store.Copies);
    m_store.SetCurrentPage(m_store.FirstPage - 1);
    m_zoom = zoomStepFor(options.Zoom);
    applyZoom();
    updateCounters();

    if (!options.Bounds.isEmpty())
        setGeometry(options.Bounds);
    else
        resize(1000, 760);
    if (options.Position == 1 && screen())
        move(screen()->availableGeometry().center() - rect().center());
    if (options.WindowState == wsMaximized)
        setWindowState(Qt::WindowMaximized);
    else if (options.WindowState == wsMinimized)
        setWindowState(Qt::WindowMinimized);
    setFocus();
}

TFormSestP::~TFormSestP() = default;

QWidget *TFormSestP::panel() const
{
    return m_panel;
}

double TFormSestP::zoomFactor() const
{
    return zoomFactors().at(size_t(m_zoom));
}

int TFormSestP::currentPage() const
{
    return m_store.CurrentPage;
}

QAbstractButton *TFormSestP::button(const QString &name) const
{
    return findChild<QAbstractButton *>(name);
}

void TFormSestP::buildTools()
{
    auto *tools = findChild<QWidget *>(QStringLiteral("tools"));
    auto *v = new QVBoxLayout(tools);
    v->setContentsMargins(4, 4, 4, 4);
    v->setSpacing(2);
    tools->setFixedWidth(112);
    addCommandButtons(v);
    addSaveButton(v);
    v->addSpacing(8);
    addZoomButtons(v);
    v->addSpacing(8);
    addPageButtons(v);
    auto *go = addCommandButton(v, QStringLiteral("goto"), u8("Stránka..."), u8("Zobrazit stránku ..."),
                                QStyle::SP_ArrowRight, [this] { GoToPage(); });
    go->setToolButtonStyle(Qt::ToolButtonTextOnly);
    v->addStretch(1);
}

QToolButton *TFormSestP::columnButton(QVBoxLayout *v, const QString &name, const QString &hint,
                                      QStyle::StandardPixmap icon)
{
    auto *b = new QToolButton(v->parentWidget());
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setIcon(style()->standardIcon(icon));
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

QToolButton *TFormSestP::addCommandButton(QVBoxLayout *v, const QString &name, const QString &text,
                                          const QString &hint, QStyle::StandardPixmap icon,
                                          const std::function<void()> &slot)
{
    QToolButton *b = columnButton(v, name, hint, icon);
    b->setText(text);
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(b, &QToolButton::clicked, this, slot);
    v->addWidget(b);
    return b;
}

// Close, back to the template, print and the caller's own command.
void TFormSestP::addCommandButtons(QVBoxLayout *v)
{
    addCommandButton(v, QStringLiteral("close"), u8("Zavřít"), u8("Zavřít náhled"),
                     QStyle::SP_DialogCloseButton, [this] { CloseCommand(); });
    auto *edit = addCommandButton(v, QStringLiteral("edit"), u8("Oprava"), u8("Oprava předlohy..."),
                                  QStyle::SP_FileDialogDetailedView, [this] { EditTemplate(); });
    edit->setEnabled(m_options.EditAllowed);
    edit->setVisible(m_options.EditAllowed);
    auto *print = addCommandButton(v, QStringLiteral("print"), u8("Tisk"), u8("Tisk náhledu..."),
                                   QStyle::SP_DialogApplyButton, [this] { PrintPreview(); });
    print->setEnabled(m_options.PrintAllowed);
    auto *custom = addCommandButton(v, QStringLiteral("custom"), u8("Příkaz"), m_options.CustomHint,
                                    QStyle::SP_CommandLink, [this] { CustomCommand(); });
    custom->setVisible(m_options.CustomVisible);
}

// "Uložit" opens the menu of the file formats.
void TFormSestP::addSaveButton(QVBoxLayout *v)
{
    QToolButton *save = columnButton(v, QStringLiteral("save"), u8("Uložit do souboru"),
                                     QStyle::SP_DialogSaveButton);
    save->setText(u8("Uložit"));
    save->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    save->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    save->setPopupMode(QToolButton::InstantPopup);
    m_saveMenu = new QMenu(u8("Uložit do souboru"), save);
    m_saveMenu->addAction(u8("Textový soubor..."), this, [this] { SaveText(); });
    m_saveMenu->addAction(u8("Soubor ve formátu RTF..."), this, [this] { SaveRtf(); });
    m_saveMenu->addAction(u8("Soubor ve formátu PDF..."), this, [this] { SavePdf(); });
    m_saveMenu->addAction(u8("Uložit jako XLSX ..."), this, [this] { SaveXlsx(); });
    m_saveMenu->addSeparator();
    m_saveMenu->addAction(u8("Aktuální stránku jako EMF/WMF..."), this, [this] { SaveMetafilePage(); });
    m_saveMenu->addAction(u8("Všechny stránky jako EMF/WMF..."), this, [this] { SaveMetafilePages(); });
    m_saveMenu->addSeparator();
    m_saveMenu->addAction(u8("Aktuální stránku jako HTML..."), this, [this] { SaveHtmlPage(); });
    m_saveMenu->addAction(u8("Všechny stránky jako HTML..."), this, [this] { SaveHtmlPages(); });
    save->setMenu(m_saveMenu);
    v->addWidget(save);
}

// One exclusive button for each zoom step, two in a row.
void TFormSestP::addZoomButtons(QVBoxLayout *v)
{
    auto *zooms = new QGridLayout;
    zooms->setSpacing(2);
    m_zoomGroup = new QButtonGroup(this);
    m_zoomGroup->setExclusive(true);
    for (int i = 0; i < ZoomStepCount; ++i) {
        auto *b = new QToolButton(v->parentWidget());
        b->setObjectName(QStringLiteral("zoom%1").arg(i));
        b->setText(zoomCaption(i));
        b->setCheckable(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        m_zoomGroup->addButton(b, i);
        zooms->addWidget(b, i / 2, i % 2);
    }
    connect(m_zoomGroup, &QButtonGroup::idClicked, this, [this](int id) { setZoomStep(id); });
    v->addLayout(zooms);
}

// First, previous, the page counters, next and last.
void TFormSestP::addPageButtons(QVBoxLayout *v)
{
    auto *nav = new QGridLayout;
    nav->setSpacing(2);
    auto navButton = [&](const QString &name, const QString &hint, QStyle::StandardPixmap icon,
                         auto slot) {
        QToolButton *b = columnButton(v, name, hint, icon);
        b->setAutoRepeat(name == QStringLiteral("previous") || name == QStringLiteral("next"));
        connect(b, &QToolButton::clicked, this, slot);
        return b;
    };
    nav->addWidget(navButton(QStringLiteral("first"), u8("První stránka"), QStyle::SP_MediaSkipBackward,
                             [this] { FirstPage(); }), 0, 0);
    nav->addWidget(navButton(QStringLiteral("previous"), u8("Předchozí stránka"), QStyle::SP_MediaSeekBackward,
                             [this] { PreviousPage(); }), 0, 1);
    m_current = new QLabel(v->parentWidget());
    m_current->setToolTip(u8("Aktuální stránka"));
    m_current->setAlignment(Qt::AlignCenter);
    m_total = new QLabel(v->parentWidget());
    m_total->setToolTip(u8("Celkem stran"));
    m_total->setAlignment(Qt::AlignCenter);
    nav->addWidget(m_current, 1, 0);
    nav->addWidget(m_total, 1, 1);
    nav->addWidget(navButton(QStringLiteral("next"), u8("Další stránka"), QStyle::SP_MediaSeekForward,
                             [this] { NextPage(); }), 2, 0);
    nav->addWidget(navButton(QStringLiteral("last"), u8("Poslední stránka"), QStyle::SP_MediaSkipForward,
                             [this] { LastPage(); }), 2, 1);
    v->addLayout(nav);
}

void TFormSestP::setZoomStep(int step)
{
    m_zoom = std::clamp(step, 0, ZoomStepCount - 1);
    applyZoom();
}

void TFormSestP::applyZoom()
{
    const double f = zoomFactor();
    const TPageSetup &ps = m_store.pageSetup();   // the report on show, not the last one loaded
    m_panel->setFixedSize(int(std::lround(ps.sheetWidth() * f)), int(std::lround(ps.sheetHeight() * f)));
    m_pageRect = QRect(QPoint(int(std::lround(ps.MarginLeft * f)), int(std::lround(ps.MarginTop * f))),
                       QPoint(int(std::lround((m_store.PageWidth + ps.MarginLeft) * f)),
                              int(std::lround((m_store.PageHeight + ps.MarginTop) * f))));
    if (QAbstractButton *b = m_zoomGroup->button(m_zoom))
        b->setChecked(true);
    m_panel->update();
}

void TFormSestP::updateCounters()
{
    m_current->setText(QString::number(m_store.CurrentPage + 1));
    m_total->setText(QString::number(m_store.PageCount()));
    const bool back = m_store.CurrentPage > m_store.FirstPage - 1;
    const bool forward = m_store.CurrentPage < m_store.LastPage - 1;
    button(QStringLiteral("first"))->setEnabled(back);
    button(QStringLiteral("previous"))->setEnabled(back);
    button(QStringLiteral("next"))->setEnabled(forward);
    button(QStringLiteral("last"))->setEnabled(forward);
}

void TFormSestP::ShowPage(int index)
{
    if (!m_store.Page(index))
        return;
    m_store.SetCurrentPage(index);
    m_panel->update();
    updateCounters();
}

void TFormSestP::FirstPage()
{
    ShowPage(m_store.FirstPage - 1);
}

void TFormSestP::PreviousPage()
{
    if (m_store.CurrentPage > m_store.FirstPage - 1)
        ShowPage(m_store.CurrentPage - 1);
}

void TFormSestP::NextPage()
{
    if (m_store.CurrentPage < m_store.LastPage - 1)
        ShowPage(m_store.CurrentPage + 1);
}

void TFormSestP::LastPage()
{
    ShowPage(m_store.LastPage - 1);
}

void TFormSestP::GoToPage()
{
    const std::optional<QString> answer =
        AskText(this, u8("Výběr stránky"), u8("Stránka číslo:"), QString::number(m_store.FirstPage));
    if (!answer)
        return;
    bool ok = false;
    const int page = answer->trimmed().toInt(&ok);
    const int count = std::max(1, m_store.PageCount());
    if (!ok || page < 1 || page > count) {
        // Another page shown without a word would look like the one asked for.
        showSestMessage(TSestMessageKind::Information, u8("Výběr stránky"),
                        u8("Stránka „%1“ v sestavě není: sestava má stránky 1 až %2.")
                            .arg(answer->trimmed())
                            .arg(count));
        return;
    }
    ShowPage(page - 1);
}

void TFormSestP::EditTemplate()
{
    if (m_options.EditAllowed)
        done(mrEdit);
}

void TFormSestP::CloseCommand()
{
    done(mrClose);
}

void TFormSestP::CustomCommand()
{
    m_report.DoPreviewCustom(m_store.CurrentPage);
}

void TFormSestP::closeEvent(QCloseEvent *event)
{
    setResult(mrClose);
    QDialog::closeEvent(event);
}

void TFormSestP::scrollBy(int dx, int dy)
{
    m_scroll->horizontalScrollBar()->setValue(m_scroll->horizontalScrollBar()->value() + dx);
    m_scroll->verticalScrollBar()->setValue(m_scroll->verticalScrollBar()->value() + dy);
}

void TFormSestP::keyPressEvent(QKeyEvent *event)
{
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Escape:
        if (m_options.EditAllowed)
            EditTemplate();
        else
            CloseCommand();
        return;
    case Qt::Key_PageUp:
        ctrl ? FirstPage() : PreviousPage();
        return;
    case Qt::Key_PageDown:
        ctrl ? LastPage() : NextPage();
        return;
    case Qt::Key_Left: scrollBy(-kScrollStep, 0); return;
    case Qt::Key_Right: scrollBy(kScrollStep, 0); return;
    case Qt::Key_Up: scrollBy(0, -kScrollStep); return;
    case Qt::Key_Down: scrollBy(0, kScrollStep); return;
    case Qt::Key_E:
        if (ctrl) {
            EditTemplate();
            return;
        }
        break;
    case Qt::Key_P:
    case Qt::Key_T:
        if (ctrl) {
            if (m_options.PrintAllowed)
                PrintPreview();
            return;
        }
        break;
    default: break;
    }
    QDialog::keyPressEvent(event);
}

// ------------------------------------------------------------------ printing

void TFormSestP::PrintPreview()
{
    if (!m_options.PrintAllowed)
        return;
    TPrintDialogTyp &d = *m_printDialog;
    d.FromPage = m_store.FirstPage;
    d.ToPage = std::min(m_store.LastPage, m_store.PageCount());
    d.Copies = m_store.Copies;
    d.ShowTemplateGroup = false;
    d.PreviewAllowed = false;
    d.EditAllowed = false;
    d.ShowCurrentPage = true;
    d.ShowToFile = true;
    d.ShowPrintBackground = m_store.Background && !m_store.Background->isNull();
    d.PrintBackground = m_store.PrintBackground;
    if (d.PrinterIndex < 0 || d.PrinterIndex > PdfPrinterIndex())
        d.PrinterIndex = SystemPrinterNames().isEmpty() ? PdfPrinterIndex() : DefaultPrinterIndex();
    pageSetup();   // the report's orientation is applied when the printer is chosen
    if (d.Execute(this) != TPrintDialogTyp::prPrint)
        return;

    TPrintJob job;
    job.PrinterIndex = d.PrinterIndex;
    if (d.CurrentPage) {
        job.FirstPage = job.LastPage = m_store.CurrentPage + 1;
    } else {
        job.FirstPage = d.FromPage;
        job.LastPage = d.ToPage;
    }
    job.Copies = d.Copies;
    job.PrintBackground = d.PrintBackground;
    const bool pdf = IsPdfPrinter(job.PrinterIndex);
    if (pdf || d.ToFile) {
        TSaveFileRequest r;
        r.Title = u8("Výběr souboru");
        r.Filters = QtFilters(u8("Soubor PDF (*.pdf)|*.PDF|Všechny soubory (*.*)|*.*"));
        r.DefaultSuffix = QStringLiteral("pdf");
        job.File = AskSaveFile(this, r);
        if (!job.File.isEmpty() && QFileInfo(job.File).suffix().isEmpty())
            job.File += QStringLiteral(".pdf");
        if (job.File.isEmpty()) {
            if (SystemPrinterNames().isEmpty())
                showSestMessage(TSestMessageKind::Warning, u8(SestavaMessages::CaptionWarning),
                                u8(SestavaMessages::NoPrinter));
            return;
        }
    }
    m_report.DoBeforePrintPreview();
    TFormInfo progress(u8(SestavaMessages::CaptionInformation), this);
    progress.ShowSending();
    job.AbortFlag = progress.abortFlag();
    job.AskTiling = [this](TPrintTiling &t) {
        TFormTolvaReportZoom options(t, this);
        return options.Show(t);
    };
    const int r = PrintStore(m_report, job);
    progress.hide();
    m_report.DoAfterPrintPreview();
    if (r == seNoPrinter)
        showSestMessage(TSestMessageKind::Warning, u8(SestavaMessages::CaptionWarning),
                        u8(SestavaMessages::NoPrinter));
    else if (r != seOk && r != seCancelled)
        showSestMessage(TSestMessageKind::Error, u8(SestavaMessages::CaptionError),
                        u8("Tisk se nepodařilo dokončit."));
    m_panel->update();
    updateCounters();
}

// ------------------------------------------------------------------ saving

QString TFormSestP::askFile(const QString &filter, const QString &suffix, bool confirmOverwrite)
{
    TSaveFileRequest r;
    r.Title = u8("Výběr souboru");
    r.Filters = QtFilters(filter);
    r.DefaultSuffix = suffix;
    r.ConfirmOverwrite = confirmOverwrite;
    QString file = AskSaveFile(this, r);
    // The name keeps the case it was given in: the file system tells names apart by case.
    if (!file.isEmpty() && QFileInfo(file).suffix().isEmpty())
        file += u'.' + suffix;
    return file;
}

bool TFormSestP::askOverwrite(const QStringList &files)
{
    for (const QString &f : files)
        if (QFileInfo::exists(f))
            return showSestMessage(TSestMessageKind::Confirm, u8(SestavaMessages::CaptionConfirm),
                                   u8("Soubor %1 již existuje. Přepsat jej i další soubory stránek?")
                                       .arg(QDir::toNativeSeparators(f)));
    return true;
}

namespace {
// Writes through the safe-write helper: the target is replaced only when everything is on
// the disk. Empty, or the Czech message naming the file and the reason.
template <typename F>
QString writeFile(const QString &name, F &&write)
{
    SafeFile f(name);
    if (f.open() && !write(f))
        f.fail();
    return f.commit() ? QString() : f.errorText();
}
} // namespace

void TFormSestP::saveFailed(const QString &why)
{
    showSestMessage(TSestMessageKind::Error, u8(SestavaMessages::CaptionError),
                    why.isEmpty() ? u8("Výstupní soubor se nepodařilo uložit.") : why);
}

void TFormSestP::SaveText()
{
    const QString file = askFile(u8("Textový soubor (*.txt)|*.TXT|Všechny soubory (*.*)|*.*"), QStringLiteral("txt"), true);
    if (file.isEmpty())
        return;
    // What the preview shows, every page once: the print range and copies are the printer's.
    TWriteJob job = m_report.textJob();
    job.FirstPage = 1;
    job.LastPage = std::max(1, m_store.PageCount());
    job.Copies = 1;
    const QString why = writeFile(file, [&](QIODevice &d) {
        return WriteOutput(QStringLiteral("text"), m_store, job, d) == seOk;
    });
    if (!why.isEmpty())
        saveFailed(why);
    ShowPage(m_store.CurrentPage);
}

void TFormSestP::SaveRtf()
{
    const QString file = askFile(u8("Soubor RTF (*.rtf)|*.RTF|Všechny soubory (*.*)|*.*"), QStringLiteral("rtf"), true);
    if (file.isEmpty())
        return;
    if (const QString why = writeFile(file, [&](QIODevice &d) { return m_report.TSestavaTyp::ExportRtf(d) == seOk; });
        !why.isEmpty())
        saveFailed(why);
    ShowPage(m_store.CurrentPage);
}

void TFormSestP::SavePdf()
{
    const QString file = askFile(u8("Soubor PDF (*.pdf)|*.PDF|Všechny soubory (*.*)|*.*"), QStringLiteral("pdf"), true);
    if (file.isEmpty())
        return;
    if (const QString why = writeFile(file, [&](QIODevice &d) { return m_report.TSestavaTyp::ExportPdf(d) == seOk; });
        !why.isEmpty())
        saveFailed(why);
    ShowPage(m_store.CurrentPage);
}

void TFormSestP::SaveXlsx()
{
    const QString file = askFile(u8("Sešit XLSX (*.xlsx)|*.XLSX|Všechny soubory (*.*)|*.*"), QStringLiteral("xlsx"), true);
    if (file.isEmpty())
        return;
    QString why;
    if (m_report.ExportXlsx(file, &why) != seOk)
        showSestMessage(TSestMessageKind::Error, u8(SestavaMessages::CaptionError), why);
    ShowPage(m_store.CurrentPage);
}

void TFormSestP::SaveMetafilePage()
{
    const QString file = askFile(u8("Enhanced meta file (*.emf)|*.EMF|Windows meta file (*.wmf)|*.WMF"),
                                 QStringLiteral("wmf"), true);
    if (file.isEmpty())
        return;
    const bool wmf = QFileInfo(file).suffix().compare(QStringLiteral("wmf"), Qt::CaseInsensitive) == 0;
    const int r = wmf ? m_report.ExportWmfPageFile(file, m_store.CurrentPage)
                      : m_report.ExportEmfPageFile(file, m_store.CurrentPage);
    if (r != seOk)
        saveFailed(m_report.OutputError);
    ShowPage(m_store.CurrentPage);
}

void TFormSestP::saveAllPages(bool html, const QString &file)
{
    const int shown = m_store.CurrentPage;
    QStringList names;
    for (int i = 0; i < m_store.PageCount(); ++i)
        names << numberedName(file, i + 1);
    if (!askOverwrite(html ? names + QStringList{file} : names))
        return;
    const bool wmf = QFileInfo(file).suffix().compare(QStringLiteral("wmf"), Qt::CaseInsensitive) == 0;
    bool ok = true;
    for (int i = 0; i < m_store.PageCount() && ok; ++i) {
        const QFileInfo fi(names.at(i));
        if (html)
            ok = m_report.ExportHtmlPageFile(fi.absolutePath(), fi.fileName(), i,
                                             fi.completeBaseName() + QStringLiteral("_.bmp")) == seOk;
        else
            ok = (wmf ? m_report.ExportWmfPageFile(names.at(i), i) : m_report.ExportEmfPageFile(names.at(i), i)) == seOk;
    }
    if (ok && html) {
        // The name chosen becomes the index page that leads to the numbered pages.
        QStringList pages;
        for (const QString &n : names)
            pages << QFileInfo(n).fileName();
        const QFileInfo fi(file);
        ok = m_report.ExportHtmlIndex(fi.absolutePath(), fi.fileName(), pages) == seOk;
    }
    if (!ok)
        saveFailed(m_report.OutputError);
    ShowPage(shown);
}

void TFormSestP::SaveMetafilePages()
{
    const QString file = askFile(u8("Enhanced meta file (*.emf)|*.EMF|Windows meta file (*.wmf)|*.WMF"),
                                 QStringLiteral("wmf"), false);
    if (!file.isEmpty())
        saveAllPages(false, file);
}

void TFormSestP::SaveHtmlPage()
{
    const QString file = askFile(u8("Soubor HTML (*.html)|*.HTML|Všechny soubory (*.*)|*.*"), QStringLiteral("html"), true);
    if (file.isEmpty())
        return;
    const QFileInfo fi(file);
    if (m_report.ExportHtmlPageFile(fi.absolutePath(), fi.fileName(), m_store.CurrentPage,
                                    fi.completeBaseName() + QStringLiteral("_.bmp")) != seOk)
        saveFailed(m_report.OutputError);
    ShowPage(m_store.CurrentPage);
}

void TFormSestP::SaveHtmlPages()
{
    const QString file = askFile(u8("Soubor HTML (*.html)|*.HTML|Všechny soubory (*.*)|*.*"), QStringLiteral("html"), false);
    if (!file.isEmpty())
        saveAllPages(true, file);
}

int ShowPreview(TSestavaTyp &report, const TPreviewOptions &options, QWidget *parent)
{
    TFormSestP window(report, options, parent);
    const int r = window.exec();
    return r == TFormSestP::mrEdit ? TFormSestP::mrEdit : TFormSestP::mrClose;
}

} // namespace orv
