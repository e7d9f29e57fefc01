#include "report/designer/FormSestE.h"

#include "core/Utf8.h"
#include "report/designer/DesignerSheet.h"
#include "report/designer/SesPrvek.h"
#include "report/output/ReportUnits.h"
#include "report/output/Sestava.h"
#include "report/ui/PreviewWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

// The designer's commands and tools: the actions, the menus, the command and arranging bars
// and the tool tabs, and what keeps the actions enabled.

namespace orv {

namespace {

// A small picture of the tool's element kind for its button.
QIcon kindIcon(int kind, int variable = -1)
{
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.4));
    switch (kind) {
    case 0:
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygonF({QPointF(5, 2), QPointF(5, 17), QPointF(9, 13), QPointF(12, 19),
                                 QPointF(14, 18), QPointF(11, 12), QPointF(16, 12)}));
        break;
    case ekLine: p.drawLine(3, 17, 17, 3); break;
    case ekRectangle: p.drawRect(3, 5, 14, 10); break;
    case ekRoundRect: p.drawRoundedRect(3, 5, 14, 10, 4, 4); break;
    case ekEllipse: p.drawEllipse(3, 5, 14, 10); break;
    case ekPicture:
        p.drawRect(3, 4, 14, 12);
        p.drawLine(4, 15, 9, 9);
        p.drawLine(9, 9, 16, 15);
        break;
    case ekBarcode:
        for (int x = 3; x < 18; x += 2)
            p.drawLine(x, 4, x, 16);
        break;
    case ekPaintBox:
        p.setBrush(QColor(0xC0, 0xE0, 0xFF));
        p.drawRect(3, 4, 14, 12);
        break;
    case ekDetail:
        p.setBrush(QBrush(Qt::black, Qt::DiagCrossPattern));
        p.drawRect(3, 4, 14, 12);
        break;
    default: {
        QFont f = p.font();
        f.setPixelSize(kind == ekText ? 15 : 10);
        f.setBold(true);
        p.setFont(f);
        const char *const marks[] = {"", "A", "#1", "Ab", "&&", "V", "@"};
        QString mark = kind >= 1 && kind <= 6 ? u8(marks[kind]) : QStringLiteral("?");
        mark.replace(QStringLiteral("&&"), QStringLiteral("&"));
        // Each system variable its own mark: seven "V" buttons in a row are a guessing game.
        const char *const variables[] = {"Dat", "Čas", "Ř", "S", "ΣS", "Řsk", "Sk"};
        if (kind == ekVariable && variable >= 0 && variable < 7) {
            mark = u8(variables[variable]);
            f.setPixelSize(mark.size() > 2 ? 8 : 11);
            p.setFont(f);
        }
        p.drawText(QRect(0, 0, 20, 20), Qt::AlignCenter, mark);
        break;
    }
    }
    return QIcon(pm);
}

QToolButton *toolButton(QAction *a, QWidget *parent)
{
    auto *b = new QToolButton(parent);
    b->setDefaultAction(a);
    b->setAutoRaise(true);
    return b;
}

// Pictures of the arranging commands: grey boxes and, where there is one, the black line
// they are aligned to or the arrows of the size they take.
QIcon arrangeIcon(const QString &name)
{
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QPen(Qt::black, 1));
    const QBrush box(QColor(0x70, 0x90, 0xC0));
    auto rect = [&](int x, int y, int w, int h) {
        p.fillRect(x, y, w, h, box);
        p.drawRect(x, y, w - 1, h - 1);
    };
    if (name == "left") {
        rect(4, 3, 12, 5); rect(4, 11, 8, 5); p.drawLine(2, 1, 2, 18);
    } else if (name == "right") {
        rect(4, 3, 12, 5); rect(8, 11, 8, 5); p.drawLine(17, 1, 17, 18);
    } else if (name == "hcentre") {
        rect(3, 3, 14, 5); rect(6, 11, 8, 5); p.drawLine(9, 1, 9, 18);
    } else if (name == "top") {
        rect(3, 4, 5, 12); rect(11, 4, 5, 8); p.drawLine(1, 2, 18, 2);
    } else if (name == "bottom") {
        rect(3, 4, 5, 12); rect(11, 8, 5, 8); p.drawLine(1, 17, 18, 17);
    } else if (name == "vcentre") {
        rect(3, 3, 5, 14); rect(11, 6, 5, 8); p.drawLine(1, 9, 18, 9);
    } else if (name == "spreadh") {
        rect(1, 6, 4, 8); rect(8, 6, 4, 8); rect(15, 6, 4, 8);
    } else if (name == "spreadv") {
        rect(6, 1, 8, 4); rect(6, 8, 8, 4); rect(6, 15, 8, 4);
    } else if (name == "width") {
        rect(3, 2, 14, 5); rect(3, 12, 14, 5); p.drawLine(1, 9, 18, 9);
        p.drawLine(1, 9, 3, 8); p.drawLine(18, 9, 16, 8);
    } else if (name == "height") {
        rect(2, 3, 5, 14); rect(12, 3, 5, 14); p.drawLine(9, 1, 9, 18);
        p.drawLine(9, 1, 8, 3); p.drawLine(9, 18, 8, 16);
    } else if (name == "size") {
        rect(2, 2, 7, 7); rect(11, 11, 7, 7); rect(11, 2, 7, 7); rect(2, 11, 7, 7);
    } else if (name == "all") {
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.drawRect(1, 1, 17, 17);
        rect(4, 4, 5, 5); rect(11, 10, 5, 5);
    }
    return QIcon(pm);
}

} // namespace

QString designerActionName(TDesignerAction id)
{
    static const char *const names[] = {
    "NewTemplate",
    "SaveTemplate",
    "SaveTemplateAs",
    "DeleteElement",
    "EditElement",
    "Undo",
    "Redo",
    "Preview",
    "Print",
    "Cut",
    "Copy",
    "Paste",
    "ReportSettings",
    "EnvironmentSettings",
    "CloseDesigner",
    "AlignAllToGrid",
    "AlignSelectedToGrid",
    "AddFunction",
    "DeleteFunction",
    "EditFunction",
    "HelpContents",
    "SelectAll",
    "AlignLeft",
    "AlignHCentre",
    "AlignRight",
    "AlignTop",
    "AlignVCentre",
    "AlignBottom",
    "SpreadHorizontally",
    "SpreadVertically",
    "SameWidth",
    "SameHeight",
    "SameSize",
    "ToolSelect",
    "ToolField",
    "ToolFieldLabel",
    "ToolParameter",
    "ToolFunction",
    "ToolPrintDate",
    "ToolPrintTime",
    "ToolRowNumber",
    "ToolPageNumber",
    "ToolPageCount",
    "ToolGroupRowNumber",
    "ToolGroupNumber",
    "ToolText",
    "ToolLine",
    "ToolRectangle",
    "ToolRoundRect",
    "ToolEllipse",
    "ToolPicture",
    "ToolBarcode",
    "ToolPaintBox",
    "ToolDetail"};
    static_assert(std::size(names) == size_t(TDesignerAction::Count));
    return QLatin1String("act") + QLatin1String(names[size_t(id)]);
}

QAction *TFormSestE::action(TDesignerAction id) const
{
    return m_actionById[size_t(id)];
}

void TFormSestE::keep(TDesignerAction id, QAction *a)
{
    a->setObjectName(designerActionName(id));
    m_actionById[size_t(id)] = a;
}

void TFormSestE::buildActions()
{
    addCommandActions();
    addToolActions();
}

// The commands of the menus and the command bar.
void TFormSestE::addCommandActions()
{
    using A = TDesignerAction;
    auto add = [this](A id, const char *caption, const char *hint, QKeySequence key,
                      std::function<void()> run) {
        auto *a = new QAction(u8(caption), this);
        a->setToolTip(u8(hint));
        a->setStatusTip(u8(hint));
        a->setProperty("category", QStringLiteral("Prikaz"));
        if (!key.isEmpty())
            a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
        connect(a, &QAction::triggered, this, [run] { run(); });
        keep(id, a);
        addAction(a);
        return a;
    };
    add(A::NewTemplate, "Nová předloha...", "Vytvořit novou předlohu", {},
        [this] { newTemplate(); });
    add(A::SaveTemplate, "Uložit předlohu", "Uložit předlohu", QKeySequence::Save,
        [this] { saveTemplate(); });
    add(A::SaveTemplateAs, "Uložit předlohu jako...", "Uložit předlohu pod jiným názvem", {},
        [this] { saveTemplateAs(); });
    add(A::DeleteElement, "Smazat prvek", "Smazat vybrané prvky", QKeySequence::Delete,
        [this] { deleteSelected(); });
    add(A::EditElement, "Opravit vlastnosti prvku", "Opravit vlastnosti prvku",
        QKeySequence(Qt::Key_Return | Qt::AltModifier),
        [this] { editFocusedElement(); });
    add(A::Undo, "Zpět", "Zrušit změny", QKeySequence::Undo, [this] { undo(); });
    add(A::Redo, "Znovu", "Znovu změny", QKeySequence::Redo, [this] { redo(); });
    add(A::Preview, "Náhled sestavy", "Náhled sestavy", QKeySequence(Qt::Key_F9),
        [this] { preview(); });
    add(A::Print, "Tisk sestavy", "Tisk sestavy", QKeySequence::Print, [this] { print(); });
    add(A::Cut, "Vystřihnout do úschovy", "Vystřihnout do úschovy", QKeySequence::Cut,
        [this] { cutSelected(); });
    add(A::Copy, "Kopírovat do úschovy", "Kopírovat do úschovy", QKeySequence::Copy,
        [this] { copySelected(); });
    add(A::Paste, "Vložit z úschovy", "Vložit z úschovy", QKeySequence::Paste,
        [this] { startPaste(); });
    add(A::ReportSettings, "Nastavení předlohy...", "Nastavení parametrů sestavy", {},
        [this] { reportSettings(); });
    add(A::EnvironmentSettings, "Nastavení prostředí...", "Prostředí editoru sestav", {},
        [this] { environmentSettings(); });
    add(A::CloseDesigner, "Konec oprav", "Ukončit opravy předlohy", {}, [this] { close(); });
    add(A::AlignAllToGrid, "Vyrovnat vše do rastru", "Zarovnat všechny prvky do rastru", {},
        [this] { alignAllToGrid(); });
    add(A::AlignSelectedToGrid, "Vyrovnat vybrané", "Zarovnat vybrané prvky do rastru", {},
        [this] { alignSelectedToGrid(); });
    add(A::AddFunction, "Přidat uživatelskou funkci", "Přidat uživatelskou funkci", {},
        [this] { addFunction(); });
    add(A::DeleteFunction, "Zrušit uživatelskou funkci", "Zrušit uživatelskou funkci", {},
        [this] { deleteFunction(); });
    add(A::EditFunction, "Upravit uživatelskou funkci", "Upravit uživatelskou funkci", {},
        [this] { editFunction(); });
    add(A::HelpContents, "Obsah nápovědy", "Nápověda generátoru sestav", QKeySequence::HelpContents,
        [this] { showHelp(); });
    // Redo also under the key other programs use for it.
    // (once: a key bound twice to one action is ambiguous and does nothing)
    QList<QKeySequence> redoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
    if (!redoKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_Y)))
        redoKeys << QKeySequence(Qt::CTRL | Qt::Key_Y);
    action(A::Redo)->setShortcuts(redoKeys);

    // Arranging several elements; the focused element is the one the others follow.
    auto arrange = [&](A id, const char *caption, const char *hint, const char *icon, QKeySequence key,
                       std::function<void()> run) {
        QAction *a = add(id, caption, hint, key, std::move(run));
        a->setIcon(arrangeIcon(QString::fromLatin1(icon)));
        a->setProperty("arrange", QString::fromLatin1(icon));
    };
    using E = TAlignEdge;
    arrange(A::SelectAll, "Vybrat vše",
            "Vybrat všechny prvky oddílu (bez vybraného prvku celé předlohy)", "all",
            QKeySequence::SelectAll, [this] { selectAll(); });
    arrange(A::AlignLeft, "Zarovnat vlevo", "Zarovnat levé okraje vybraných prvků podle aktivního",
            "left",
            QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Left),
            [this] { alignSelected(int(E::Left)); });
    arrange(A::AlignHCentre, "Zarovnat na střed vodorovně",
            "Zarovnat středy vybraných prvků pod sebe", "hcentre",
            QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_C),
            [this] { alignSelected(int(E::HCentre)); });
    arrange(A::AlignRight, "Zarovnat vpravo",
            "Zarovnat pravé okraje vybraných prvků podle aktivního", "right",
            QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Right),
            [this] { alignSelected(int(E::Right)); });
    arrange(A::AlignTop, "Zarovnat nahoru", "Zarovnat horní okraje vybraných prvků podle aktivního",
            "top",
            QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Up), [this] { alignSelected(int(E::Top)); });
    arrange(A::AlignVCentre, "Zarovnat na střed svisle",
            "Zarovnat středy vybraných prvků vedle sebe", "vcentre",
            QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_M),
            [this] { alignSelected(int(E::VCentre)); });
    arrange(A::AlignBottom, "Zarovnat dolů",
            "Zarovnat dolní okraje vybraných prvků podle aktivního", "bottom",
            QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Down),
            [this] { alignSelected(int(E::Bottom)); });
    arrange(A::SpreadHorizontally, "Rozmístit vodorovně",
            "Stejné mezery mezi vybranými prvky vodorovně", "spreadh",
            QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_H), [this] { distributeSelected(true); });
    arrange(A::SpreadVertically, "Rozmístit svisle", "Stejné mezery mezi vybranými prvky svisle",
            "spreadv",
            QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_V), [this] { distributeSelected(false); });
    arrange(A::SameWidth, "Stejná šířka", "Šířka aktivního prvku pro všechny vybrané", "width",
            QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_W),
            [this] { sameSizeSelected(int(TSizeMatch::Width)); });
    arrange(A::SameHeight, "Stejná výška", "Výška aktivního prvku pro všechny vybrané", "height",
            QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_E),
            [this] { sameSizeSelected(int(TSizeMatch::Height)); });
    arrange(A::SameSize, "Stejná velikost", "Šířka i výška aktivního prvku pro všechny vybrané",
            "size",
            QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S),
            [this] { sameSizeSelected(int(TSizeMatch::Both)); });
}

void TFormSestE::selectAll()
{
    TPapir *paper = m_sheet->paper();
    const TOddilSestavy *only = paper->focusedSection();
    TSesPrvek *focus = paper->focused();
    paper->clearSelection();
    for (TOddil *b : paper->bands()) {
        if (only && b->section() != only)
            continue;
        for (TSesPrvek *c : b->controls()) {
            paper->setSelected(c, true);
            if (!focus)
                focus = c;
        }
    }
    if (focus)
        paper->setFocused(focus);
    paper->setFocus();
    selectionChanged();
}

void TFormSestE::alignSelected(int edge)
{
    const QList<TSiReportElement *> list = m_sheet->paper()->selectedElements();
    if (m_doc.alignElements(list, m_sheet->paper()->focusedElement(), TAlignEdge(edge)))
        afterElementsChanged(list);
}

void TFormSestE::distributeSelected(bool horizontal)
{
    const QList<TSiReportElement *> list = m_sheet->paper()->selectedElements();
    if (m_doc.distributeElements(list, horizontal ? TSpread::Horizontal : TSpread::Vertical))
        afterElementsChanged(list);
}

void TFormSestE::sameSizeSelected(int what)
{
    const QList<TSiReportElement *> list = m_sheet->paper()->selectedElements();
    if (m_doc.matchSize(list, m_sheet->paper()->focusedElement(), TSizeMatch(what)))
        afterElementsChanged(list);
}

// The exclusive tools: the selection tool and one for each element kind and variable.
void TFormSestE::addToolActions()
{
    m_toolGroup = new QActionGroup(this);
    m_toolGroup->setExclusive(true);
    using A = TDesignerAction;
    auto tool = [this](A id, const char *hint, int kind, int fixedSource = -1) {
        auto *a = new QAction(kindIcon(kind, fixedSource), u8(hint), this);
        a->setToolTip(u8(hint));
        a->setCheckable(true);
        a->setProperty("category", QStringLiteral("Prvek"));
        m_toolGroup->addAction(a);
        m_toolKinds.insert(a, kind);
        if (fixedSource >= 0)
            m_toolSources.insert(a, fixedSource);
        keep(id, a);
        connect(a, &QAction::triggered, this, [this, kind, fixedSource] {
            chooseTool(kind, fixedSource);
        });
        return a;
    };
    tool(A::ToolSelect, "Výběr prvku", 0);
    tool(A::ToolField, "Prvek databáze", ekField);
    tool(A::ToolFieldLabel, "Popis prvku databáze", ekFieldLabel);
    tool(A::ToolParameter, "Parametr sestavy", ekParameter);
    tool(A::ToolFunction, "Uživatelská funkce", ekFunction);
    tool(A::ToolPrintDate, "Datum tisku", ekVariable, 0);
    tool(A::ToolPrintTime, "Čas tisku", ekVariable, 1);
    tool(A::ToolRowNumber, "Pořadové číslo řádku", ekVariable, 2);
    tool(A::ToolPageNumber, "Pořadové číslo strany", ekVariable, 3);
    tool(A::ToolPageCount, "Celkový počet stran", ekVariable, 4);
    tool(A::ToolGroupRowNumber, "Číslo řádku ve skupině", ekVariable, 5);
    tool(A::ToolGroupNumber, "Pořadové číslo skupiny", ekVariable, 6);
    tool(A::ToolText, "Grafický text", ekText);
    tool(A::ToolLine, "Úsečka", ekLine);
    tool(A::ToolRectangle, "Obdélník", ekRectangle);
    tool(A::ToolRoundRect, "Zaoblený obdélník", ekRoundRect);
    tool(A::ToolEllipse, "Elipsa", ekEllipse);
    tool(A::ToolPicture, "Obrázek", ekPicture);
    tool(A::ToolBarcode, "Čárový kód", ekBarcode);
    tool(A::ToolPaintBox, "Kreslicí plocha", ekPaintBox);
    tool(A::ToolDetail, "Detail sestavy", ekDetail);
}

void TFormSestE::buildMenus()
{
    using A = TDesignerAction;
    auto *file = menuBar()->addMenu(u8("&Předloha"));
    for (const A c : {A::NewTemplate, A::SaveTemplate, A::SaveTemplateAs})
        file->addAction(action(c));
    file->addSeparator();
    for (const A c : {A::Preview, A::Print})
        file->addAction(action(c));
    file->addSeparator();
    for (const A c : {A::ReportSettings, A::EnvironmentSettings})
        file->addAction(action(c));
    file->addSeparator();
    file->addAction(action(A::CloseDesigner));

    auto *edit = menuBar()->addMenu(u8("Ú&pravy"));
    for (const A c : {A::Undo, A::Redo})
        edit->addAction(action(c));
    edit->addSeparator();
    for (const A c : {A::Cut, A::Copy, A::Paste,
                          A::DeleteElement})
        edit->addAction(action(c));
    edit->addSeparator();
    edit->addAction(action(A::EditElement));
    for (const A c : {A::AlignAllToGrid, A::AlignSelectedToGrid})
        edit->addAction(action(c));

    constexpr A kSeparator = A::Count;
    static const A kArrange[] = {
        A::AlignLeft, A::AlignHCentre, A::AlignRight, kSeparator,
        A::AlignTop, A::AlignVCentre, A::AlignBottom, kSeparator,
        A::SpreadHorizontally, A::SpreadVertically, kSeparator,
        A::SameWidth, A::SameHeight, A::SameSize};
    edit->addSeparator();
    edit->addAction(action(A::SelectAll));
    auto *arrangeMenu = menuBar()->addMenu(u8("&Uspořádat"));
    for (const A c : kArrange) {
        if (c != kSeparator)
            arrangeMenu->addAction(action(c));
        else
            arrangeMenu->addSeparator();
    }

    auto *elements = menuBar()->addMenu(u8("P&rvek"));
    for (QAction *a : m_toolGroup->actions())
        elements->addAction(a);

    auto *help = menuBar()->addMenu(u8("Nápo&věda"));
    help->addAction(action(A::HelpContents));

    auto *bar = addToolBar(u8("Příkazy"));
    bar->setObjectName(QStringLiteral("commands"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (const A c : {A::NewTemplate, A::SaveTemplate, A::Undo, A::Redo,
                          A::Cut, A::Copy, A::Paste,
                          A::DeleteElement, A::EditElement, A::Preview,
                          A::ReportSettings, A::CloseDesigner})
        bar->addAction(action(c));
    // On a row of its own: behind the commands it would be cut off into the overflow menu.
    addToolBarBreak();
    auto *arrangeBar = addToolBar(u8("Uspořádání"));
    arrangeBar->setObjectName(QStringLiteral("arrange"));
    arrangeBar->setMovable(false);
    arrangeBar->setIconSize(QSize(20, 20));
    arrangeBar->addAction(action(A::SelectAll));
    arrangeBar->addSeparator();
    for (const A c : kArrange) {
        if (c != kSeparator)
            arrangeBar->addAction(action(c));
        else
            arrangeBar->addSeparator();
    }
    auto *view = new QWidget(this);
    auto *vl = new QHBoxLayout(view);
    vl->setContentsMargins(4, 0, 4, 0);
    vl->addWidget(new QLabel(u8("Měřítko:"), view));
    ZoomCombo = new QComboBox(view);
    for (int i = 0; i < TFormSestP::ZoomStepCount; ++i)
        ZoomCombo->addItem(TFormSestP::zoomCaption(i));
    vl->addWidget(ZoomCombo);
    vl->addWidget(new QLabel(u8("Jednotky:"), view));
    UnitsCombo = new QComboBox(view);
    for (int i = 0; i < kUnitCount; ++i)
        UnitsCombo->addItem(UnitName(i));
    vl->addWidget(UnitsCombo);
    m_viewBox = view;
    ZoomCombo->setCurrentIndex(m_zoomStep);
    UnitsCombo->setCurrentIndex(std::clamp(m_report.UnitsIndex, 0, kUnitCount - 1));
    connect(ZoomCombo, &QComboBox::activated, this, &TFormSestE::zoomChosen);
    connect(UnitsCombo, &QComboBox::activated, this, &TFormSestE::unitChosen);
}

void TFormSestE::buildToolTabs()
{
    ToolTabs = new QTabWidget(this);
    ToolTabs->setObjectName(QStringLiteral("toolTabs"));
    using A = TDesignerAction;
    auto page = [this](const char *caption, QComboBox *&combo, QList<A> tools) {
        auto *w = new QWidget(ToolTabs);
        auto *h = new QHBoxLayout(w);
        h->setContentsMargins(2, 1, 2, 1);
        h->setSpacing(1);
        h->addWidget(toolButton(action(A::ToolSelect), w));
        for (const A t : tools)
            h->addWidget(toolButton(action(t), w));
        if (combo != nullptr || std::string(caption) != "Grafické prvky") {
            combo = new QComboBox(w);
            combo->setMinimumWidth(260);
            combo->setMaxVisibleItems(20);
            h->addSpacing(8);
            h->addWidget(combo);
        }
        h->addStretch();
        ToolTabs->addTab(w, u8(caption));
    };
    page("Datové prvky", FieldCombo, {A::ToolField, A::ToolFieldLabel});
    page("Proměnné", VariableCombo,
         {A::ToolParameter, A::ToolPrintDate, A::ToolPrintTime, A::ToolRowNumber,
          A::ToolPageNumber, A::ToolPageCount, A::ToolGroupRowNumber,
          A::ToolGroupNumber});
    page("Funkce", FunctionCombo, {A::ToolFunction});
    {
        QWidget *w = ToolTabs->widget(ToolTabs->count() - 1);
        auto *h = static_cast<QHBoxLayout *>(w->layout());
        const int at = h->count() - 1;   // before the stretch
        int i = 0;
        for (const A c : {A::AddFunction, A::EditFunction,
                              A::DeleteFunction}) {
            auto *b = new QToolButton(w);
            b->setDefaultAction(action(c));
            h->insertWidget(at + i++, b);
        }
    }
    page("Grafické prvky", GraphicCombo,
         {A::ToolText, A::ToolLine, A::ToolRectangle, A::ToolRoundRect, A::ToolEllipse,
         A::ToolPicture,
          A::ToolBarcode, A::ToolPaintBox});
    page("Detaily", DetailCombo, {A::ToolDetail});
    VariableCombo->setToolTip(u8("Parametr sestavy, nebo skupina proměnných skupiny"));
}

void TFormSestE::updateActions()
{
    TPapir *paper = m_sheet->paper();
    const bool has = paper->focusedElement() != nullptr;
    const TListVariant &u = m_doc.undoList();
    using A = TDesignerAction;
    QAction *undoA = action(A::Undo);
    QAction *redoA = action(A::Redo);
    undoA->setEnabled(u.canUndo());
    undoA->setToolTip(u.undoHint());
    undoA->setStatusTip(u.undoHint());
    redoA->setEnabled(u.canRedo());
    redoA->setToolTip(u.redoHint());
    redoA->setStatusTip(u.redoHint());
    action(A::DeleteElement)->setEnabled(has);
    action(A::EditElement)->setEnabled(has);
    action(A::Cut)->setEnabled(has);
    action(A::Copy)->setEnabled(has);
    action(A::Paste)->setEnabled(TDesignerDoc::canPaste());
    action(A::AlignSelectedToGrid)->setEnabled(has);
    const int selected = int(paper->selectedElements().size());
    for (QAction *a : m_actionById) {
        const QString kind = a->property("arrange").toString();
        if (kind.startsWith(QStringLiteral("spread")))
            a->setEnabled(selected >= 3);
        else if (!kind.isEmpty() && kind != QStringLiteral("all"))
            a->setEnabled(selected >= 2 && has);
    }
    action(A::SelectAll)->setEnabled(m_doc.elementCount() > 0);
    action(A::AlignAllToGrid)->setEnabled(m_doc.elementCount() > 0);
    action(A::SaveTemplate)->setEnabled(m_doc.changed());
    const bool running = sestavaOperationRunning();
    action(A::Preview)->setEnabled(!running);
    action(A::Print)->setEnabled(!running);
    const bool single = has && !paper->multiSelection();
    const TElementPlace place = m_doc.placeOf(paper->focusedElement());
    ForwardBtn->setEnabled(single && place.Index + 1 < (place.Section ? place.Section->elementCount() : 0));
    BackwardBtn->setEnabled(single && place.Index > 0);
    action(A::ToolField)->setEnabled(FieldCombo->count() > 0);
    action(A::ToolFieldLabel)->setEnabled(FieldCombo->count() > 0);
    action(A::ToolParameter)->setEnabled(!m_report.Parametry.isEmpty());
    action(A::ToolFunction)->setEnabled(FunctionCombo->count() > 0);
    action(A::EditFunction)->setEnabled(FunctionCombo->count() > 0);
    action(A::DeleteFunction)->setEnabled(FunctionCombo->count() > 0);
    const bool groups = m_report.Groups.count() > 0;
    action(A::ToolGroupRowNumber)->setEnabled(groups);
    action(A::ToolGroupNumber)->setEnabled(groups);
}

} // namespace orv
