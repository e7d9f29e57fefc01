#include "report/designer/DesignerDoc.h"

#include "core/Utf8.h"
#include "report/designer/DesignerQuestion.h"
#include "report/model/PageSetup.h"
#include "report/model/SestavaMessages.h"
#include "report/model/TemplateFile.h"
#include "report/output/Sestava.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QDialog>
#include <QGuiApplication>

#include <algorithm>

namespace orv {

namespace {

const char *const kAskDeleteOne = "Smazat vybraný prvek?";
const char *const kAskDeleteMany = "Smazat všechny vybrané prvky?";
const char *const kAskSave = "V předloze sestavy byly provedeny změny. Uložit?";
const char *const kAskNew = "Zrušit všechny prvky a začít s návrhem nové předlohy?";

} // namespace

TDesignerDoc::TDesignerDoc(TSestavaTyp &report, const TEditorSettings &settings)
    : m_report(report), m_settings(settings), m_undo(std::max(1, settings.PocetUndo))
{
    m_settings.normalise();
    m_savedLines = report.Predloha;
    m_undo.reset(report.Predloha);
}

void TDesignerDoc::setSettings(const TEditorSettings &settings)
{
    m_settings = settings;
    m_settings.normalise();
    m_undo.setCapacity(m_settings.PocetUndo);
}

QStringList TDesignerDoc::snapshot() const
{
    return writeTemplate(m_report);
}

void TDesignerDoc::loadLines(const QStringList &lines)
{
    // A snapshot read over the current model would keep settings its lines do not name (a
    // template without a units record): start from the settings of a fresh model, as when
    // the file was first read, keeping what belongs to the report and its data.
    TSestavaModel fresh;
    fresh.IsDetail = m_report.IsDetail;
    fresh.TemplateDir = m_report.TemplateDir;
    fresh.Details = m_report.Details;
    fresh.FieldNames = m_report.FieldNames;
    fresh.FieldLabels = m_report.FieldLabels;
    fresh.FieldPlaceholders = m_report.FieldPlaceholders;
    fresh.Parametry = m_report.Parametry;
    m_report.CopyTemplateFrom(fresh);
    m_report.SetPredloha(lines);
}

void TDesignerDoc::record(const QString &changeName)
{
    m_undo.record(changeName, snapshot());
    m_changed = true;
}

bool TDesignerDoc::undo()
{
    const QStringList *lines = m_undo.undo();
    if (!lines)
        return false;
    loadLines(*lines);
    m_changed = true;
    return true;
}

bool TDesignerDoc::redo()
{
    const QStringList *lines = m_undo.redo();
    if (!lines)
        return false;
    loadLines(*lines);
    m_changed = true;
    return true;
}

TElementPlace TDesignerDoc::placeOf(const TSiReportElement *e) const
{
    if (!e)
        return {};
    for (int s = 0; s < m_report.Sections.count(); ++s) {
        TOddilSestavy *section = m_report.Sections.at(s);
        for (int i = 0; i < section->elementCount(); ++i)
            if (section->element(i) == e)
                return {section, i};
    }
    return {};
}

QList<TSiReportElement *> TDesignerDoc::allElements() const
{
    QList<TSiReportElement *> out;
    for (int s = 0; s < m_report.Sections.count(); ++s) {
        const TOddilSestavy *section = m_report.Sections.at(s);
        for (int i = 0; i < section->elementCount(); ++i)
            out << section->element(i);
    }
    return out;
}

int TDesignerDoc::elementCount() const
{
    int n = 0;
    for (int s = 0; s < m_report.Sections.count(); ++s)
        n += m_report.Sections.at(s)->elementCount();
    return n;
}

TSiReportElement *TDesignerDoc::insertElement(TOddilSestavy *section, int kind, int source,
                                              QPoint at)
{
    if (!section || !isKnownKind(kind))
        return nullptr;
    if (m_settings.RastrZarovnavat)
        at = QPoint(snapToGrid(at.x(), m_report.GridX), snapToGrid(at.y(), m_report.GridY));
    TSiReportElement *e =
        section->appendElement(newDesignerElement(m_report, m_settings, kind, source, at));
    record(u8(ChangeName::Insert));
    return e;
}

bool TDesignerDoc::deleteElements(const QList<TSiReportElement *> &elements, bool ask)
{
    QList<TSiReportElement *> present;
    for (TSiReportElement *e : elements)
        if (placeOf(e).valid() && !present.contains(e))
            present << e;
    if (present.isEmpty())
        return false;
    if (ask) {
        const bool one = present.size() == 1;
        if ((one && m_settings.MazaniJedne) || (!one && m_settings.MazaniVice)) {
            if (!askYesNo(u8(TemplateMessages::CaptionConfirm),
                          u8(one ? kAskDeleteOne : kAskDeleteMany)))
                return false;
        }
    }
    for (TSiReportElement *e : present) {
        const TElementPlace place = placeOf(e);
        place.Section->Elements.erase(place.Section->Elements.begin() + place.Index);
    }
    record(u8(ChangeName::Delete));
    return true;
}

bool TDesignerDoc::setGeometry(const QList<TSiReportElement *> &elements, std::optional<int> left,
                               std::optional<int> top, std::optional<int> width,
                               std::optional<int> height)
{
    bool any = false;
    for (TSiReportElement *e : elements) {
        if (!e)
            continue;
        const int l = left.value_or(e->Left), t = top.value_or(e->Top);
        const int w = std::max(1, width.value_or(e->Width));
        const int h = std::max(1, height.value_or(e->Height));
        if (l != e->Left || t != e->Top || w != e->Width || h != e->Height) {
            e->Left = l;
            e->Top = t;
            e->Width = w;
            e->Height = h;
            any = true;
        }
    }
    if (any)
        record(u8(ChangeName::Move));
    return any;
}

bool TDesignerDoc::moveInOrder(TSiReportElement *e, int step)
{
    const TElementPlace place = placeOf(e);
    if (!place.valid())
        return false;
    const int to = place.Index + step;
    if (to < 0 || to >= place.Section->elementCount())
        return false;
    std::swap(place.Section->Elements[size_t(place.Index)], place.Section->Elements[size_t(to)]);
    record(u8(ChangeName::Move));
    return true;
}

bool TDesignerDoc::alignElements(const QList<TSiReportElement *> &elements,
                                 const TSiReportElement *reference, TAlignEdge edge)
{
    if (elements.size() < 2 || !reference)
        return false;
    const TSiReportElement &r = *reference;
    bool any = false;
    for (TSiReportElement *e : elements) {
        if (!e || e == reference)
            continue;
        int left = e->Left, top = e->Top;
        switch (edge) {
        case TAlignEdge::Left: left = r.Left; break;
        case TAlignEdge::HCentre: left = r.Left + (r.Width - e->Width) / 2; break;
        case TAlignEdge::Right: left = r.Left + r.Width - e->Width; break;
        case TAlignEdge::Top: top = r.Top; break;
        case TAlignEdge::VCentre: top = r.Top + (r.Height - e->Height) / 2; break;
        case TAlignEdge::Bottom: top = r.Top + r.Height - e->Height; break;
        }
        left = std::max(left, 0);
        top = std::max(top, 0);
        if (left != e->Left || top != e->Top) {
            e->Left = left;
            e->Top = top;
            any = true;
        }
    }
    if (any)
        record(u8(ChangeName::Arrange));
    return any;
}

bool TDesignerDoc::distributeElements(const QList<TSiReportElement *> &elements,
                                      TSpread direction)
{
    QList<TSiReportElement *> sorted;
    for (TSiReportElement *e : elements)
        if (e)
            sorted << e;
    if (sorted.size() < 3)
        return false;
    const bool h = direction == TSpread::Horizontal;
    auto start = [h](const TSiReportElement *e) { return h ? e->Left : e->Top; };
    auto length = [h](const TSiReportElement *e) { return h ? e->Width : e->Height; };
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&](const TSiReportElement *a, const TSiReportElement *b) {
                         return start(a) < start(b);
                     });
    const int first = start(sorted.front());
    const int end = start(sorted.back()) + length(sorted.back());
    int occupied = 0;
    for (const TSiReportElement *e : sorted)
        occupied += length(e);
    // The gaps share the free room; the remainder of the division goes to the first gaps so
    // that the last element keeps its place exactly.
    const int gaps = int(sorted.size()) - 1;
    const int free = end - first - occupied;
    const int gap = free >= 0 ? free / gaps : -((-free + gaps - 1) / gaps);
    int extra = free - gap * gaps;
    bool any = false;
    int pos = first;
    for (int i = 0; i < sorted.size(); ++i) {
        TSiReportElement *e = sorted[i];
        int &coord = h ? e->Left : e->Top;
        const int to = i == sorted.size() - 1 ? end - length(e) : std::max(pos, 0);
        if (coord != to) {
            coord = to;
            any = true;
        }
        pos = to + length(e) + gap + (extra > 0 ? 1 : 0);
        if (extra > 0)
            --extra;
    }
    if (any)
        record(u8(ChangeName::Distribute));
    return any;
}

bool TDesignerDoc::matchSize(const QList<TSiReportElement *> &elements,
                             const TSiReportElement *reference, TSizeMatch what)
{
    if (elements.size() < 2 || !reference)
        return false;
    bool any = false;
    for (TSiReportElement *e : elements) {
        if (!e || e == reference)
            continue;
        if (what != TSizeMatch::Height && e->Width != reference->Width) {
            e->Width = reference->Width;
            any = true;
        }
        if (what != TSizeMatch::Width && e->Height != reference->Height) {
            e->Height = reference->Height;
            any = true;
        }
    }
    if (any)
        record(u8(ChangeName::SameSize));
    return any;
}

bool TDesignerDoc::alignToGrid(const QList<TSiReportElement *> &elements)
{
    bool any = false;
    for (TSiReportElement *e : elements) {
        if (!e)
            continue;
        const int l = snapToGrid(e->Left, m_report.GridX);
        const int t = snapToGrid(e->Top, m_report.GridY);
        if (l != e->Left || t != e->Top) {
            e->Left = l;
            e->Top = t;
            any = true;
        }
    }
    if (any)
        record(u8(ChangeName::Move));
    return any;
}

bool TDesignerDoc::changeElements(const QList<TSiReportElement *> &elements,
                                  const std::function<void(TSiReportElement &)> &change,
                                  const QString &changeName)
{
    bool any = false;
    for (TSiReportElement *e : elements) {
        if (!e)
            continue;
        TSiReportElement before = *e;
        change(*e);
        if (!before.sameTemplateAttributes(*e) || before.PictureFileName != e->PictureFileName)
            any = true;
    }
    if (any)
        record(changeName);
    return any;
}

bool TDesignerDoc::setFont(const QList<TSiReportElement *> &elements, const TElementFont &font)
{
    QList<TSiReportElement *> text;
    for (TSiReportElement *e : elements)
        if (e && isTextKind(e->Kind))
            text << e;
    return changeElements(text, [&](TSiReportElement &e) { e.Font = font; },
                          u8(ChangeName::Font));
}

bool TDesignerDoc::setAlignment(const QList<TSiReportElement *> &elements, int alignment)
{
    QList<TSiReportElement *> text;
    for (TSiReportElement *e : elements)
        if (e && (isTextKind(e->Kind) || e->Kind == ekBarcode))
            text << e;
    return changeElements(text, [&](TSiReportElement &e) { e.Alignment = std::clamp(alignment, 0, 2); },
                          u8(ChangeName::Alignment));
}

bool TDesignerDoc::setText(TSiReportElement *e, const QString &text)
{
    if (!e || e->Text == text)
        return false;
    e->Text = text;
    record(u8(ChangeName::Text));
    return true;
}

bool TDesignerDoc::setUnits(int unitIndex)
{
    unitIndex = std::clamp(unitIndex, 0, 4);
    if (m_report.UnitsIndex == unitIndex)
        return false;
    m_report.UnitsIndex = unitIndex;
    record(u8(ChangeName::Units));
    return true;
}

int TDesignerDoc::addFunction(const TRadekFunkce &f)
{
    m_report.Functions.append(std::make_unique<TRadekFunkce>(f));
    record(u8(ChangeName::AddFunction));
    return m_report.Functions.count() - 1;
}

bool TDesignerDoc::editFunction(int index, const TRadekFunkce &f)
{
    TRadekFunkce *old = m_report.Functions.at(index);
    if (!old || old->sameTemplateAttributes(f))
        return false;
    const QString oldName = old->Name;
    *old = f;
    // Elements that follow the function by name follow its new name.
    if (oldName != f.Name)
        for (TSiReportElement *e : allElements())
            if (e->Kind == ekFunction && e->SourceName.compare(oldName, Qt::CaseInsensitive) == 0)
                e->SourceName = f.Name.left(32);
    record(u8(ChangeName::EditFunction));
    return true;
}

bool TDesignerDoc::deleteFunction(int index)
{
    const TRadekFunkce *f = m_report.Functions.at(index);
    if (!f)
        return false;
    for (const TSiReportElement *e : allElements()) {
        if (e->Kind == ekFunction && (e->SourceName.isEmpty() ? e->SourceIndex == index
                                      : e->SourceName.compare(f->Name, Qt::CaseInsensitive) == 0)) {
            showSestMessage(TSestMessageKind::Error, u8(TemplateMessages::CaptionError),
                            u8("Funkci %1 nelze zrušit, tiskne ji prvek předlohy.").arg(f->Name));
            return false;
        }
    }
    m_report.Functions.remove(index);
    for (TSiReportElement *e : allElements())
        if (e->Kind == ekFunction && e->SourceName.isEmpty() && e->SourceIndex > index)
            --e->SourceIndex;
    record(u8(ChangeName::DeleteFunction));
    return true;
}

QString TDesignerDoc::copyText(const TSiReportElement *focused,
                               const QList<TSiReportElement *> &selected)
{
    QList<const TSiReportElement *> list;
    for (const TSiReportElement *e : selected)
        if (e)
            list << e;
    if (focused && !list.contains(focused))
        list.prepend(focused);
    return clipboardText(focused, list);
}

bool TDesignerDoc::copy(const TSiReportElement *focused, const QList<TSiReportElement *> &selected)
{
    if (!focused)
        return false;
    // Only the elements of the focused element's section go with it.
    const TElementPlace home = placeOf(focused);
    QList<TSiReportElement *> same;
    for (TSiReportElement *e : selected)
        if (placeOf(e).Section == home.Section)
            same << e;
    std::sort(same.begin(), same.end(), [&](TSiReportElement *a, TSiReportElement *b) {
        return placeOf(a).Index < placeOf(b).Index;
    });
    if (QClipboard *cb = QGuiApplication::clipboard())
        cb->setText(copyText(focused, same));
    return true;
}

bool TDesignerDoc::cut(TSiReportElement *focused, const QList<TSiReportElement *> &selected)
{
    if (!copy(focused, selected))
        return false;
    const TElementPlace home = placeOf(focused);
    QList<TSiReportElement *> gone;
    for (TSiReportElement *e : selected)
        if (placeOf(e).Section == home.Section)
            gone << e;
    if (!gone.contains(focused))
        gone << focused;
    for (TSiReportElement *e : gone) {
        const TElementPlace place = placeOf(e);
        place.Section->Elements.erase(place.Section->Elements.begin() + place.Index);
    }
    record(u8(ChangeName::Cut));
    return true;
}

bool TDesignerDoc::canPaste(TClipboardContent *content)
{
    const QClipboard *cb = QGuiApplication::clipboard();
    if (!cb)
        return false;
    TClipboardContent parsed;
    if (!parseClipboardText(cb->text(), parsed))
        return false;
    if (content)
        *content = parsed;
    return true;
}

std::vector<TSiReportElement *> TDesignerDoc::paste(TOddilSestavy *section, QPoint at)
{
    TClipboardContent content;
    if (!section || !canPaste(&content))
        return {};
    if (m_settings.RastrZarovnavat)
        at = QPoint(snapToGrid(at.x(), m_report.GridX), snapToGrid(at.y(), m_report.GridY));
    std::vector<TSiReportElement *> added = pasteElements(m_report, section, content, at);
    if (!added.empty())
        record(u8(ChangeName::Paste));
    return added;
}

namespace {

// Why a template file could not be written, in the user's words: the common causes by what
// the folder says about itself, anything else in the system's words.
QString saveFailureReason(const QString &path, const QString &systemText)
{
    const QFileInfo file(path);
    const QFileInfo dir(file.absolutePath());
    if (!dir.exists())
        return u8("složka %1 neexistuje").arg(QDir::toNativeSeparators(dir.absoluteFilePath()));
    if (!dir.isDir())
        return u8("%1 není složka").arg(QDir::toNativeSeparators(dir.absoluteFilePath()));
    if (file.isDir())
        return u8("pod tímto názvem je složka");
    if (!dir.isWritable() || (file.exists() && !file.isWritable()))
        return u8("chybí oprávnění k zápisu (%1)").arg(systemText);
    if (systemText.contains(QStringLiteral("space"), Qt::CaseInsensitive))
        return u8("na disku není místo (%1)").arg(systemText);
    return systemText;
}

QString failureText(const QString &path, const QString &reason)
{
    return u8(TemplateMessages::DesignerNotSaved) + QStringLiteral("\n\n")
           + QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()) + QStringLiteral(":\n")
           + reason;
}

const char *const kAskElsewhere = "Uložit předlohu na jiné místo?";
const char *const kAskDropChanges =
    "Předloha nebyla uložena. Zavřít návrh přesto a změny zahodit?";

} // namespace

TSaveAsChooser &saveAsChooser()
{
    static TSaveAsChooser chooser;
    return chooser;
}

bool TDesignerDoc::save()
{
    const QStringList lines = m_undo.currentLines();
    auto *master = dynamic_cast<TSestava *>(&m_report);
    const QStringList before = m_report.Predloha;
    if (master && !master->OnUlozPredlohu && !master->IsStored) {
        // The file itself: a failure says where and why, and offers another place.
        const QString path = master->TemplatePath();
        QString reason;
        if (saveTemplateFile(path, lines, true, &reason) != seOk) {
            if (askYesNo(u8(TemplateMessages::CaptionError),
                         failureText(path, saveFailureReason(path, reason)) + QStringLiteral("\n\n")
                             + u8(kAskElsewhere)))
                return saveAs();
            return false;
        }
        m_report.Predloha = lines;
        markSaved(lines);
        return true;
    }
    int result = seTemplateNotSaved;
    m_report.Predloha = lines;
    if (dynamic_cast<TSestDetail *>(&m_report)) {
        // A detail report's template is part of its master's (its D records): it is kept
        // in the detail, and the master's designer records and saves it.
        result = seOk;
    } else {
        result = m_report.SaveTemplate();
    }
    if (result != seOk) {
        m_report.Predloha = before;
        showSestMessage(TSestMessageKind::Error, u8(TemplateMessages::CaptionError),
                        u8(TemplateMessages::DesignerNotSaved));
        return false;
    }
    markSaved(lines);
    return true;
}

void TDesignerDoc::markSaved(const QStringList &lines)
{
    m_savedLines = lines;
    m_changed = false;
    m_savedOnce = true;
    if (!m_settings.UndoSave)
        m_undo.keepOnlyCurrent();
}

bool TDesignerDoc::saveAs()
{
    const QStringList lines = m_undo.currentLines();
    auto *master = dynamic_cast<TSestava *>(&m_report);
    if (!master || master->OnUlozPredlohuJako) {
        const QStringList before = m_report.Predloha;
        m_report.Predloha = lines;
        if (m_report.SaveTemplateAs() != seOk) {
            m_report.Predloha = before;
            return false;
        }
        markSaved(lines);
        return true;
    }
    QString current = master->TemplatePath();
    for (;;) {
        QString chosen;
        if (saveAsChooser())
            chosen = saveAsChooser()(QFileInfo(current).absolutePath(), current);
        else if (sestavaEntryPoints().SaveAsDialog)
            chosen = sestavaEntryPoints().SaveAsDialog(QFileInfo(current).absolutePath(), current);
        if (chosen.isEmpty())
            return false;
        if (QFileInfo(chosen).suffix().isEmpty())
            chosen += QStringLiteral(".pts");
        QString reason;
        if (saveTemplateFile(chosen, lines, QFileInfo::exists(chosen), &reason) == seOk) {
            const QFileInfo f(chosen);
            master->Location.ReportDirIgnore = false;
            master->Location.setReportDir(f.absolutePath());
            master->setReportName(f.fileName());
            m_report.Predloha = lines;
            markSaved(lines);
            return true;
        }
        if (!askYesNo(u8(TemplateMessages::CaptionError),
                      failureText(chosen, saveFailureReason(chosen, reason))
                          + QStringLiteral("\n\n") + u8(kAskElsewhere)))
            return false;
        current = chosen;
    }
}

bool TDesignerDoc::queryClose()
{
    if (!m_changed)
        return true;
    switch (askYesNoCancel(u8(TemplateMessages::CaptionConfirm), u8(kAskSave))) {
    case TAnswer::Yes:
        if (save())
            return true;
        // What the author typed goes only when they say so once more.
        return askYesNo(u8(TemplateMessages::CaptionConfirm), u8(kAskDropChanges));
    case TAnswer::No: return true;
    case TAnswer::Cancel: break;
    }
    return false;
}

void TDesignerDoc::restoreSavedTemplate()
{
    loadLines(m_savedLines);
}

bool TDesignerDoc::newTemplate(const TWizardRunner &wizard)
{
    if (elementCount() > 0
        && !askYesNo(u8(TemplateMessages::CaptionConfirm), u8(kAskNew)))
        return false;
    const TListVariant keepUndo = m_undo;
    const QStringList keepLines = m_undo.currentLines();
    const TPageSetup keepPage = m_report.Context.PageSetup;
    const bool keepChanged = m_changed;
    // The wizard starts in the mode of the report it replaces, not the empty model's.
    const bool characterMode = m_report.CharacterMode;
    loadLines({});
    m_report.CharacterMode = characterMode;
    m_undo.reset({});
    QStringList lines;
    const int r = wizard ? wizard(m_report, lines) : int(QDialog::Rejected);
    if (r == QDialog::Rejected) {
        m_undo = keepUndo;
        loadLines(keepLines);
        m_report.Context.PageSetup = keepPage;
        m_changed = keepChanged;
        return false;
    }
    loadLines(r == QDialog::Accepted ? lines : QStringList());
    m_undo.reset(snapshot());
    m_changed = true;
    return true;
}

} // namespace orv
