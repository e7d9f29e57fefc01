#include "report/designer/FormSestE.h"

#include "core/Utf8.h"
#include "report/designer/DesignerQuestion.h"
#include "report/designer/DesignerSheet.h"
#include "report/designer/DlgFunkce.h"
#include "report/designer/DlgKonfPrvku.h"
#include "report/designer/DlgNovaSestava.h"
#include "report/designer/DlgProstredi.h"
#include "report/designer/ReportHelp.h"
#include "report/designer/SesPrvek.h"
#include "report/designer/SestDlg.h"
#include "report/model/PageSetup.h"
#include "report/model/TemplateFile.h"
#include "report/output/Barcode.h"
#include "report/output/ReportUnits.h"
#include "report/output/Sestava.h"
#include "report/ui/PreviewWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFileDialog>
#include <QCloseEvent>
#include <QComboBox>
#include <QDockWidget>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

// The designer window itself: building it, answering its sheet, the element tree, the
// commands' work and closing. Its actions and menus are in FormSestEActions.cpp, its
// property panels in FormSestEPanels.cpp.

namespace orv {

namespace {

bool everyKind(int) { return true; }

} // namespace

TFormSestE::TFormSestE(TSestavaTyp &report, QWidget *parent)
    : TFormSestE(report,
                 [&report] {
                     TEditorSettings s;
                     loadEditorSettings(&report, s);
                     return s;
                 }(),
                 parent)
{
}

TFormSestE::TFormSestE(TSestavaTyp &report, const TEditorSettings &settings, QWidget *parent)
    : QMainWindow(parent), m_report(report), m_doc(report, settings)
{
    init();
}

TFormSestE::~TFormSestE() = default;

void TFormSestE::init()
{
    setObjectName(QStringLiteral("TFormSestE"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_zoomStep = std::clamp(m_doc.settings().ImplMeritko, 0, TFormSestP::ZoomStepCount - 1);
    buildActions();
    buildMenus();

    auto *central = new QWidget(this);
    auto *v = new QVBoxLayout(central);
    v->setContentsMargins(2, 2, 2, 2);
    v->setSpacing(2);
    buildToolTabs();
    ToolTabs->setCornerWidget(m_viewBox, Qt::TopRightCorner);
    v->addWidget(ToolTabs);
    auto *props = new QHBoxLayout;
    props->addWidget(buildPositionPanel());
    buildPanels();
    props->addWidget(Panels, 1);
    v->addLayout(props);
    m_sheet = new TDesignerSheet(this, central);
    v->addWidget(m_sheet, 1);
    setCentralWidget(central);

    Tree = new QTreeWidget(this);
    Tree->setHeaderHidden(true);
    Tree->setObjectName(QStringLiteral("elementTree"));
    TreeDock = new QDockWidget(u8("Prvky předlohy"), this);
    TreeDock->setObjectName(QStringLiteral("treeDock"));
    TreeDock->setWidget(Tree);
    TreeDock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    addDockWidget(Qt::LeftDockWidgetArea, TreeDock);
    connect(Tree, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *item) { treeItemActivated(item, false); });
    connect(Tree, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem *item) { treeItemActivated(item, true); });

    PositionField = new QLabel(this);
    PositionField->setMinimumWidth(220);
    PositionField->setObjectName(QStringLiteral("positionField"));
    statusBar()->addWidget(PositionField);

    fillSourceCombos();
    m_sheet->build(&m_report);
    applySettings();
    chooseTool(0);
    rebuildTree();
    updatePanels();
    updateActions();
    updateTitle();
    resize(1200, 800);
}

int TFormSestE::toolSource() const
{
    if (m_fixedSource >= 0) {
        if (m_fixedSource >= 5) {
            // Group variables: the group chosen in the variables' list, after the parameters.
            const int group = std::max(0, VariableCombo->currentIndex() - int(m_report.Parametry.size()));
            return m_fixedSource + 2 * group;
        }
        return m_fixedSource;
    }
    switch (m_toolKind) {
    case ekField:
    case ekFieldLabel: return std::max(0, FieldCombo->currentIndex());
    case ekParameter: return std::max(0, VariableCombo->currentIndex());
    case ekFunction: return std::max(0, FunctionCombo->currentIndex());
    case ekDetail: return std::max(0, DetailCombo->currentIndex());
    default: return 0;
    }
}

const TClipboardContent *TFormSestE::clipboardContent() const
{
    return m_pastePending ? &m_clip : nullptr;
}

double TFormSestE::zoomFactor() const
{
    return TFormSestP::zoomFactors().at(size_t(std::clamp(m_zoomStep, 0, TFormSestP::ZoomStepCount - 1)));
}

int TFormSestE::displayUnit() const
{
    return std::clamp(m_report.UnitsIndex, 0, kUnitCount - 1);
}

void TFormSestE::record(const QString &changeName)
{
    m_doc.record(changeName);
    afterElementsChanged({});
}

void TFormSestE::showPosition(const QString &text)
{
    PositionField->setText(text);
}

void TFormSestE::showGeometry(int left, int top, int width, int height)
{
    PosLeft->setValue(left);
    PosTop->setValue(top);
    PosWidth->setValue(width);
    PosHeight->setValue(height);
}

void TFormSestE::selectionChanged()
{
    updatePanels();
    updateActions();
    // The tree follows the focused element.
    TSiReportElement *e = m_sheet->paper()->focusedElement();
    const int i = m_treeElements.indexOf(e);
    QTreeWidgetItem *match = nullptr;
    for (QTreeWidgetItemIterator it(Tree); *it && i >= 0; ++it)
        if ((*it)->data(0, Qt::UserRole).toInt() == i + 1)
            match = *it;
    const QSignalBlocker block(Tree);
    Tree->setCurrentItem(match);
}

void TFormSestE::openElementDialog(TSiReportElement *e)
{
    TPapir *paper = m_sheet->paper();
    if (!e || e != paper->focusedElement())
        return;
    const bool multi = paper->multiSelection();
    if (e->Kind == ekDetail) {
        const QList<TSestDetail *> &details = m_report.DetailList();
        const int n = e->SourceIndex;
        if (n >= 0 && n < details.size()) {
            // The detail's designer keeps its saved template in the detail, whose lines are
            // part of this template.
            if (details.at(n)->EditIn(this, 0) == seOk) {
                m_doc.record(u8(ChangeName::Detail));
                afterElementsChanged({});
            }
        }
        return;
    }
    if (isTextKind(e->Kind) && multi) {
        chooseFont();
        return;
    }
    if (multi && e->Kind != ekBarcode)
        return;
    if (!TDlgKonfPrvku::canOpen(m_report, *e))
        return;
    TDlgKonfPrvku dlg(m_report, *e, m_doc.settings(), displayUnit(), this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    fillSourceCombos();   // a format may have added a function
    paper->elementChanged(e);
    paper->select(e);
    m_doc.record(u8(ChangeName::Element));
    afterElementsChanged({e});
}

void TFormSestE::openReportSettings(int page, int group)
{
    reportSettings(page == 1 ? TSestDlg::pgSkupiny : TSestDlg::pgOddily, group);
}

void TFormSestE::escapePressed()
{
    if (m_pastePending || m_toolKind != 0) {
        m_pastePending = false;
        chooseTool(0);
    } else {
        m_sheet->paper()->clearSelection();
    }
}

void TFormSestE::selectionToolActivated()
{
    m_pastePending = false;
    chooseTool(0);
}

void TFormSestE::insertionFinished(bool ctrlHeld)
{
    if (!ctrlHeld) {
        m_pastePending = false;
        chooseTool(0);
        return;
    }
    if (m_pastePending)
        return;
    const QString tab = ToolTabs->tabText(ToolTabs->currentIndex());
    QComboBox *next = tab == u8("Datové prvky") ? FieldCombo
                      : tab == u8("Funkce")     ? FunctionCombo
                                                : nullptr;
    if (next && next->count() > 0)
        next->setCurrentIndex((next->currentIndex() + 1) % next->count());
}

void TFormSestE::chooseTool(int kind, int source)
{
    m_toolKind = kind;
    m_fixedSource = kind == ekVariable ? source : -1;
    if (kind != 0)
        m_pastePending = false;
    for (QAction *a : m_toolGroup->actions()) {
        if (m_toolKinds.value(a) == kind && m_toolSources.value(a, -1) == m_fixedSource) {
            a->setChecked(true);
            break;
        }
    }
}

void TFormSestE::applySettings()
{
    const TEditorSettings &s = m_doc.settings();
    TreeDock->setVisible(s.ShowTree);
    m_sheet->settingsChanged();
}

void TFormSestE::afterModelReplaced()
{
    m_pastePending = false;
    fillSourceCombos();
    m_sheet->rebuild();
    afterElementsChanged({});
}

void TFormSestE::afterElementsChanged(const QList<TSiReportElement *> &elements)
{
    for (TSiReportElement *e : elements)
        m_sheet->paper()->elementChanged(e);
    rebuildTree();
    updatePanels();
    updateActions();
    updateTitle();
}

void TFormSestE::updateTitle()
{
    QString name = m_report.ReportName();
    if (name.isEmpty())
        name = m_report.Name;
    setWindowTitle(u8("Oprava předlohy tiskové sestavy") + (name.isEmpty() ? QString() : u8(" - ") + name)
                   + (m_doc.changed() ? QStringLiteral(" *") : QString()));
}

void TFormSestE::rebuildTree()
{
    const QSignalBlocker block(Tree);
    Tree->clear();
    m_treeElements.clear();
    for (int s = 0; s < m_report.Sections.count(); ++s) {
        const TOddilSestavy *section = m_report.Sections.at(s);
        if (!section->Visible)
            continue;
        auto *band = new QTreeWidgetItem(Tree, {section->caption()});
        band->setData(0, Qt::UserRole, 0);
        for (int i = 0; i < section->elementCount(); ++i) {
            TSiReportElement *e = section->element(i);
            QString what = elementKindName(e->Kind);
            QString detail;
            switch (e->Kind) {
            case ekText: detail = e->Text; break;
            case ekField:
            case ekFieldLabel:
                detail = e->SourceName.isEmpty() ? m_report.FieldName(e->SourceIndex) : e->SourceName;
                break;
            case ekFunction:
                if (!e->SourceName.isEmpty())
                    detail = e->SourceName;
                else if (const TRadekFunkce *f = m_report.Functions.at(e->SourceIndex))
                    detail = f->Name;
                break;
            case ekVariable: detail = e->Text; break;
            case ekDetail: detail = QString::number(e->SourceIndex); break;
            case ekBarcode:
            case ekPicture: detail = e->Text; break;
            default: break;
            }
            m_treeElements << e;
            auto *item = new QTreeWidgetItem(band, {detail.isEmpty() ? what : what + u8(": ") + detail.left(40)});
            item->setData(0, Qt::UserRole, int(m_treeElements.size()));
        }
        band->setExpanded(true);
    }
}

void TFormSestE::treeItemActivated(QTreeWidgetItem *item, bool open)
{
    const int i = item ? item->data(0, Qt::UserRole).toInt() - 1 : -1;
    if (i < 0 || i >= m_treeElements.size())
        return;
    TSiReportElement *e = m_treeElements.at(i);
    m_sheet->paper()->select(e);
    if (open)
        openElementDialog(e);
}

// --- commands

void TFormSestE::newTemplate()
{
    m_doc.newTemplate([this](TSestavaTyp &report, QStringList &lines) {
        m_sheet->build(nullptr);   // the model is empty while the wizard runs
        return VytvorNovouPredlohu(report, m_doc.settings(), lines, this, [&report](QWidget *w) {
            EditReportSettings(report, TSestDlg::pgPapir, w);
        });
    });
    if (!m_sheet->paper()->report())
        m_sheet->build(&m_report);
    afterModelReplaced();
}

bool TFormSestE::saveTemplate()
{
    const bool ok = m_doc.save();
    updateActions();
    updateTitle();
    return ok;
}

bool TFormSestE::saveTemplateAs()
{
    const bool ok = m_doc.saveAs();
    updateActions();
    updateTitle();
    return ok;
}

void TFormSestE::deleteSelected()
{
    QList<TSiReportElement *> list = targets(everyKind);
    if (m_doc.deleteElements(list)) {
        m_sheet->rebuild();
        m_sheet->paper()->clearSelection();
        afterElementsChanged({});
    }
}

void TFormSestE::editFocusedElement()
{
    openElementDialog(m_sheet->paper()->focusedElement());
}

void TFormSestE::undo()
{
    if (m_doc.undo())
        afterModelReplaced();
}

void TFormSestE::redo()
{
    if (m_doc.redo())
        afterModelReplaced();
}

bool TFormSestE::runCurrent(bool forPrint)
{
    if (sestavaOperationRunning())
        return false;
    const QStringList lines = m_doc.undoList().currentLines();
    int shown = TFormSestP::mrEdit;
    // The run builds the report's model again from the snapshot: no control of the sheet may
    // keep an element of the old one meanwhile. The focused element is found again after.
    const TElementPlace place = m_doc.placeOf(m_sheet->paper()->focusedElement());
    const int focusSection = place.valid() ? m_report.Sections.indexOf(place.Section) : -1;
    m_sheet->build(nullptr);
    auto *master = dynamic_cast<TSestava *>(&m_report);
    const int percent = int(std::lround(zoomFactor() * 100));
    if (master) {
        // The report runs the designer's snapshot instead of reading its template again.
        const bool stored = master->IsStored;
        const QStringList keepLines = master->Predloha;
        auto keepLoad = master->OnNactiPredlohu;
        auto &ep = sestavaEntryPoints();
        auto keepPreview = ep.Preview;
        master->IsStored = true;
        master->Predloha = lines;
        master->OnNactiPredlohu = {};
        ep.Preview = [&shown, this](TSestava &r, const QRect &rect, int position, int zoom,
                                    int windowState) {
            TPreviewOptions o;
            o.Bounds = rect;
            o.Position = position;
            o.Zoom = zoom;
            o.WindowState = windowState;
            o.EditAllowed = true;
            o.CustomVisible = bool(r.OnPreviewCustomEvent);
            shown = ShowPreview(r, o, this);
            return int(seOk);
        };
        if (forPrint)
            master->Print();
        else
            master->PreviewAt(QRect(), 0, percent, wsMaximized);
        ep.Preview = keepPreview;
        master->OnNactiPredlohu = keepLoad;
        master->IsStored = stored;
        master->Predloha = keepLines;
    } else {
        m_report.SetPredloha(lines);
        if (m_report.Run(true) == seOk && !forPrint) {
            TPreviewOptions o;
            o.Zoom = percent;
            o.EditAllowed = true;
            shown = ShowPreview(m_report, o, this);
        }
    }
    // The run rebuilt the model from the snapshot: show it again.
    m_doc.loadLines(lines);
    m_sheet->build(&m_report);
    if (TOddilSestavy *section = m_report.Sections.at(focusSection))
        if (TSiReportElement *e = section->element(place.Index))
            m_sheet->paper()->select(e);
    afterModelReplaced();
    return !forPrint && shown == TFormSestP::mrClose;
}

void TFormSestE::preview()
{
    // "Zavřít" closes the preview alone: an author who looked at the pages goes on designing.
    runCurrent(false);
}

void TFormSestE::print()
{
    runCurrent(true);
}

void TFormSestE::cutSelected()
{
    TPapir *paper = m_sheet->paper();
    if (m_doc.cut(paper->focusedElement(), paper->selectedElements())) {
        m_sheet->rebuild();
        paper->clearSelection();
        afterElementsChanged({});
    }
}

void TFormSestE::copySelected()
{
    TPapir *paper = m_sheet->paper();
    m_doc.copy(paper->focusedElement(), paper->selectedElements());
    updateActions();
}

void TFormSestE::startPaste()
{
    if (!TDesignerDoc::canPaste(&m_clip))
        return;
    chooseTool(0);
    m_pastePending = true;
    PositionField->setText(u8("Klepněte do oddílu, kam se mají prvky vložit."));
}

void TFormSestE::pasteAt(TOddilSestavy *section, QPoint at)
{
    const std::vector<TSiReportElement *> added = m_doc.paste(section, at);
    m_pastePending = false;
    if (added.empty())
        return;
    m_sheet->rebuild();
    TPapir *paper = m_sheet->paper();
    paper->clearSelection();
    for (size_t i = 0; i < added.size(); ++i)
        paper->select(added[i], i > 0);
    afterElementsChanged({});
}

void TFormSestE::reportSettings(int page, int group)
{
    // The sheet shows and snaps to the grid by the designer's settings: the dialog's two
    // boxes show those, and what the author sets there is what the sheet does.
    m_report.ShowGrid = m_doc.settings().RastrZobrazovat;
    m_report.SnapToGrid = m_doc.settings().RastrZarovnavat;
    const QStringList before = m_doc.snapshot();
    const TPageSetup pageBefore = m_report.Context.PageSetup;
    TSestDlg dlg(m_report, page, this);
    if (group >= 0 && dlg.Skupiny && group < dlg.Skupiny->count())
        dlg.Skupiny->setCurrentRow(group);
    if (dlg.exec() != QDialog::Accepted)
        return;
    if (m_report.ShowGrid != m_doc.settings().RastrZobrazovat
        || m_report.SnapToGrid != m_doc.settings().RastrZarovnavat) {
        TEditorSettings s = m_doc.settings();
        s.RastrZobrazovat = m_report.ShowGrid;
        s.RastrZarovnavat = m_report.SnapToGrid;
        m_doc.setSettings(s);
        m_sheet->settingsChanged();
    }
    if (m_doc.snapshot() != before || !(m_report.Context.PageSetup == pageBefore)) {
        m_doc.record(u8(ChangeName::Sections));
        UnitsCombo->setCurrentIndex(displayUnit());
        m_sheet->unitChanged();
    }
    afterModelReplaced();
}

void TFormSestE::environmentSettings()
{
    TEditorSettings s = m_doc.settings();
    if (!EditEnvironment(m_report, s, this))
        return;
    m_doc.setSettings(s);
    fillSourceCombos();
    applySettings();
    updateActions();
}

void TFormSestE::alignAllToGrid()
{
    const QList<TSiReportElement *> all = m_doc.allElements();
    if (m_doc.alignToGrid(all))
        afterElementsChanged(all);
}

void TFormSestE::alignSelectedToGrid()
{
    const QList<TSiReportElement *> list = targets(everyKind);
    if (m_doc.alignToGrid(list))
        afterElementsChanged(list);
}

void TFormSestE::addFunction()
{
    TRadekFunkce f;
    f.Name = u8("Funkce%1").arg(m_report.Functions.count() + 1);
    if (!EditReportFunction(m_report, f, this))
        return;
    const int index = m_doc.addFunction(f);
    fillSourceCombos();
    FunctionCombo->setCurrentIndex(index);
    afterElementsChanged({});
}

void TFormSestE::editFunction()
{
    const int index = FunctionCombo->currentIndex();
    const TRadekFunkce *old = m_report.Functions.at(index);
    if (!old)
        return;
    TRadekFunkce f = *old;
    if (!EditReportFunction(m_report, f, this) || !m_doc.editFunction(index, f))
        return;
    fillSourceCombos();
    m_sheet->rebuild();
    afterElementsChanged({});
}

void TFormSestE::deleteFunction()
{
    const int index = FunctionCombo->currentIndex();
    if (index < 0 || !m_doc.deleteFunction(index))
        return;
    fillSourceCombos();
    m_sheet->rebuild();
    afterElementsChanged({});
}

void TFormSestE::showHelp()
{
    showReportHelp(this, QStringLiteral("SestavyEditor.htm"));
}

void TFormSestE::zoomChosen(int step)
{
    m_zoomStep = std::clamp(step, 0, TFormSestP::ZoomStepCount - 1);
    m_sheet->zoomChanged();
}

void TFormSestE::unitChosen(int unit)
{
    if (m_doc.setUnits(unit)) {
        m_sheet->unitChanged();
        afterElementsChanged({});
    }
}

void TFormSestE::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1) {
        showHelp();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        escapePressed();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TFormSestE::closeEvent(QCloseEvent *event)
{
    if (!m_closing) {
        if (!m_doc.queryClose()) {
            event->ignore();
            return;
        }
        // Closed without saving: the report keeps the template it had.
        if (m_doc.changed())
            m_doc.restoreSavedTemplate();
        m_closing = true;
    }
    event->accept();
    if (m_loop)
        m_loop->quit();
}

int TFormSestE::exec()
{
    setWindowModality(Qt::ApplicationModal);
    show();
    QEventLoop loop;
    m_loop = &loop;
    if (isVisible())
        loop.exec();
    m_loop = nullptr;
    return m_doc.savedOnce() ? int(seOk) : int(seCancelled);
}

void InstallDesigner()
{
    auto &ep = sestavaEntryPoints();
    if (!ep.SaveAsDialog)
        ep.SaveAsDialog = [](const QString &startDir, const QString &current) {
            QFileDialog dlg(QApplication::activeWindow(),
                            QString::fromUtf8("Uložit předlohu jako"), startDir,
                            QString::fromUtf8("Předlohy sestav (*.pts);;Všechny soubory (*)"));
            dlg.setAcceptMode(QFileDialog::AcceptSave);
            dlg.setDefaultSuffix(QStringLiteral("pts"));
            if (!current.isEmpty())
                dlg.selectFile(current);
            if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
                return QString();
            return dlg.selectedFiles().constFirst();
        };
    ep.Edit = [](TSestavaTyp &report, const QRect &rect, int position, int windowState) {
        if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
            return int(seNotReady);
        QWidget *parent = QApplication::activeWindow();
        std::unique_ptr<TSestProgress> wait =
            createSestProgress(QString::fromUtf8("Čekejte prosím,"));
        if (wait) {
            wait->setText(QString::fromUtf8("připravuji editační modul..."));
            wait->processEvents();
        }
        TFormSestE window(report, parent);
        wait.reset();
        if (!rect.isEmpty())
            window.setGeometry(rect);
        else if (position == 1)
            window.move(window.screen()->availableGeometry().center() - window.rect().center());
        if (windowState == wsMaximized)
            window.setWindowState(Qt::WindowMaximized);
        else if (windowState == wsMinimized)
            window.setWindowState(Qt::WindowMinimized);
        return window.exec();
    };
    ep.EditIn = [](TSestavaTyp &report, void *owner, int) {
        if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
            return int(seNotReady);
        TFormSestE window(report, static_cast<QWidget *>(owner));
        return window.exec();
    };
}

} // namespace orv
