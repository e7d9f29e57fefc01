#include "report/designer/FormSestE.h"

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
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QEventLoop>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace orv {

namespace {

QString u8(const char *t)
{
    return QString::fromUtf8(t);
}

QString plain(QString caption)
{
    return caption.remove(QLatin1Char('&'));
}

bool anyKind(int) { return true; }
bool textKind(int k) { return isTextKind(k); }
bool lineKind(int k) { return k == ekLine; }
bool shapeKind(int k) { return k == ekRectangle || k == ekRoundRect || k == ekEllipse; }
bool pictureKind(int k) { return k == ekPicture; }
bool barcodeKind(int k) { return k == ekBarcode; }
bool boxKind(int k) { return k == ekPaintBox; }

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

QIcon colorIcon(const QColor &c)
{
    QPixmap pm(16, 12);
    pm.fill(c);
    return QIcon(pm);
}

void fillColors(QComboBox *c, bool other)
{
    const QStringList names = paletteColorNames();
    for (int i = 0; i < names.size(); ++i)
        c->addItem(colorIcon(toQColor(paletteColor(i))), names.at(i));
    if (other)
        c->addItem(u8("jiná barva..."));
}

// The combo position of a colour: 0..15 for the palette, 16 "jiná barva..." otherwise.
void showColor(QComboBox *c, TColor color)
{
    const int field = colorToField(color);
    c->setCurrentIndex(field >= 0 && field <= 15 ? field : std::min(16, c->count() - 1));
}

// A caption and a number box after it on a panel row.
QSpinBox *addNumberBox(QHBoxLayout *h, const QString &caption, int min, int max, QWidget *parent)
{
    h->addWidget(new QLabel(caption, parent));
    auto *box = new QSpinBox(parent);
    box->setRange(min, max);
    h->addWidget(box);
    return box;
}

QToolButton *toolButton(QAction *a, QWidget *parent)
{
    auto *b = new QToolButton(parent);
    b->setDefaultAction(a);
    b->setAutoRaise(true);
    return b;
}

QToolButton *checkButton(const QString &text, const QString &tip, QWidget *parent)
{
    auto *b = new QToolButton(parent);
    b->setText(text);
    b->setToolTip(tip);
    b->setCheckable(true);
    b->setMinimumWidth(24);
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

QAction *TFormSestE::action(const QString &caption) const
{
    return m_actions.value(plain(caption));
}

void TFormSestE::buildActions()
{
    addCommandActions();
    addToolActions();
}

// The commands of the menus and the command bar, found by their caption.
void TFormSestE::addCommandActions()
{
    auto add = [this](const char *caption, const char *hint, QKeySequence key,
                      std::function<void()> run) {
        auto *a = new QAction(u8(caption), this);
        a->setToolTip(u8(hint));
        a->setStatusTip(u8(hint));
        a->setProperty("category", QStringLiteral("Prikaz"));
        if (!key.isEmpty())
            a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
        connect(a, &QAction::triggered, this, [run] { run(); });
        m_actions.insert(plain(a->text()), a);
        addAction(a);
        return a;
    };
    add("Nová předloha...", "Vytvořit novou předlohu", {}, [this] { newTemplate(); });
    add("Uložit předlohu", "Uložit předlohu", QKeySequence::Save, [this] { saveTemplate(); });
    add("Uložit předlohu jako...", "Uložit předlohu pod jiným názvem", {},
        [this] { saveTemplateAs(); });
    add("Smazat prvek", "Smazat vybrané prvky", QKeySequence::Delete, [this] { deleteSelected(); });
    add("Opravit vlastnosti prvku", "Opravit vlastnosti prvku", QKeySequence(Qt::Key_Return | Qt::AltModifier),
        [this] { editFocusedElement(); });
    add("Zpět", "Zrušit změny", QKeySequence::Undo, [this] { undo(); });
    add("Znovu", "Znovu změny", QKeySequence::Redo, [this] { redo(); });
    add("Náhled sestavy", "Náhled sestavy", QKeySequence(Qt::Key_F9), [this] { preview(); });
    add("Tisk sestavy", "Tisk sestavy", QKeySequence::Print, [this] { print(); });
    add("Vystřihnout do úschovy", "Vystřihnout do úschovy", QKeySequence::Cut,
        [this] { cutSelected(); });
    add("Kopírovat do úschovy", "Kopírovat do úschovy", QKeySequence::Copy,
        [this] { copySelected(); });
    add("Vložit z úschovy", "Vložit z úschovy", QKeySequence::Paste, [this] { startPaste(); });
    add("Nastavení předlohy...", "Nastavení parametrů sestavy", {}, [this] { reportSettings(); });
    add("Nastavení prostředí...", "Prostředí editoru sestav", {},
        [this] { environmentSettings(); });
    add("Konec oprav", "Ukončit opravy předlohy", {}, [this] { close(); });
    add("Vyrovnat vše do rastru", "Zarovnat všechny prvky do rastru", {},
        [this] { alignAllToGrid(); });
    add("Vyrovnat vybrané", "Zarovnat vybrané prvky do rastru", {},
        [this] { alignSelectedToGrid(); });
    add("Přidat uživatelskou funkci", "Přidat uživatelskou funkci", {}, [this] { addFunction(); });
    add("Zrušit uživatelskou funkci", "Zrušit uživatelskou funkci", {}, [this] { deleteFunction(); });
    add("Upravit uživatelskou funkci", "Upravit uživatelskou funkci", {}, [this] { editFunction(); });
    add("Obsah nápovědy", "Nápověda generátoru sestav", QKeySequence::HelpContents,
        [this] { showHelp(); });
    // Redo also under the key other programs use for it.
    // (once: a key bound twice to one action is ambiguous and does nothing)
    QList<QKeySequence> redoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
    if (!redoKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_Y)))
        redoKeys << QKeySequence(Qt::CTRL | Qt::Key_Y);
    action(u8("Znovu"))->setShortcuts(redoKeys);

    // Arranging several elements; the focused element is the one the others follow.
    auto arrange = [&](const char *caption, const char *hint, const char *icon, QKeySequence key,
                       std::function<void()> run) {
        QAction *a = add(caption, hint, key, std::move(run));
        a->setIcon(arrangeIcon(QString::fromLatin1(icon)));
        a->setProperty("arrange", QString::fromLatin1(icon));
    };
    using E = TAlignEdge;
    arrange("Vybrat vše", "Vybrat všechny prvky oddílu (bez vybraného prvku celé předlohy)", "all",
            QKeySequence::SelectAll, [this] { selectAll(); });
    arrange("Zarovnat vlevo", "Zarovnat levé okraje vybraných prvků podle aktivního", "left",
            QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Left), [this] { alignSelected(int(E::Left)); });
    arrange("Zarovnat na střed vodorovně", "Zarovnat středy vybraných prvků pod sebe", "hcentre",
            QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_C), [this] { alignSelected(int(E::HCentre)); });
    arrange("Zarovnat vpravo", "Zarovnat pravé okraje vybraných prvků podle aktivního", "right",
            QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Right), [this] { alignSelected(int(E::Right)); });
    arrange("Zarovnat nahoru", "Zarovnat horní okraje vybraných prvků podle aktivního", "top",
            QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Up), [this] { alignSelected(int(E::Top)); });
    arrange("Zarovnat na střed svisle", "Zarovnat středy vybraných prvků vedle sebe", "vcentre",
            QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_M), [this] { alignSelected(int(E::VCentre)); });
    arrange("Zarovnat dolů", "Zarovnat dolní okraje vybraných prvků podle aktivního", "bottom",
            QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Down), [this] { alignSelected(int(E::Bottom)); });
    arrange("Rozmístit vodorovně", "Stejné mezery mezi vybranými prvky vodorovně", "spreadh",
            QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_H), [this] { distributeSelected(true); });
    arrange("Rozmístit svisle", "Stejné mezery mezi vybranými prvky svisle", "spreadv",
            QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_V), [this] { distributeSelected(false); });
    arrange("Stejná šířka", "Šířka aktivního prvku pro všechny vybrané", "width",
            QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_W), [this] { sameSizeSelected(int(TSizeMatch::Width)); });
    arrange("Stejná výška", "Výška aktivního prvku pro všechny vybrané", "height",
            QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_E), [this] { sameSizeSelected(int(TSizeMatch::Height)); });
    arrange("Stejná velikost", "Šířka i výška aktivního prvku pro všechny vybrané", "size",
            QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S), [this] { sameSizeSelected(int(TSizeMatch::Both)); });
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
    auto tool = [this](const char *hint, int kind, int fixedSource = -1) {
        auto *a = new QAction(kindIcon(kind, fixedSource), u8(hint), this);
        a->setToolTip(u8(hint));
        a->setCheckable(true);
        a->setProperty("category", QStringLiteral("Prvek"));
        m_toolGroup->addAction(a);
        m_toolKinds.insert(a, kind);
        if (fixedSource >= 0)
            m_toolSources.insert(a, fixedSource);
        m_actions.insert(plain(a->text()), a);
        connect(a, &QAction::triggered, this, [this, kind, fixedSource] {
            chooseTool(kind, fixedSource);
        });
        return a;
    };
    tool("Výběr prvku", 0);
    tool("Prvek databáze", ekField);
    tool("Popis prvku databáze", ekFieldLabel);
    tool("Parametr sestavy", ekParameter);
    tool("Uživatelská funkce", ekFunction);
    tool("Datum tisku", ekVariable, 0);
    tool("Čas tisku", ekVariable, 1);
    tool("Pořadové číslo řádku", ekVariable, 2);
    tool("Pořadové číslo strany", ekVariable, 3);
    tool("Celkový počet stran", ekVariable, 4);
    tool("Číslo řádku ve skupině", ekVariable, 5);
    tool("Pořadové číslo skupiny", ekVariable, 6);
    tool("Grafický text", ekText);
    tool("Úsečka", ekLine);
    tool("Obdélník", ekRectangle);
    tool("Zaoblený obdélník", ekRoundRect);
    tool("Elipsa", ekEllipse);
    tool("Obrázek", ekPicture);
    tool("Čárový kód", ekBarcode);
    tool("Kreslicí plocha", ekPaintBox);
    tool("Detail sestavy", ekDetail);
}

void TFormSestE::buildMenus()
{
    auto *file = menuBar()->addMenu(u8("&Předloha"));
    for (const char *c : {"Nová předloha...", "Uložit předlohu", "Uložit předlohu jako..."})
        file->addAction(action(u8(c)));
    file->addSeparator();
    for (const char *c : {"Náhled sestavy", "Tisk sestavy"})
        file->addAction(action(u8(c)));
    file->addSeparator();
    for (const char *c : {"Nastavení předlohy...", "Nastavení prostředí..."})
        file->addAction(action(u8(c)));
    file->addSeparator();
    file->addAction(action(u8("Konec oprav")));

    auto *edit = menuBar()->addMenu(u8("Ú&pravy"));
    for (const char *c : {"Zpět", "Znovu"})
        edit->addAction(action(u8(c)));
    edit->addSeparator();
    for (const char *c : {"Vystřihnout do úschovy", "Kopírovat do úschovy", "Vložit z úschovy",
                          "Smazat prvek"})
        edit->addAction(action(u8(c)));
    edit->addSeparator();
    edit->addAction(action(u8("Opravit vlastnosti prvku")));
    for (const char *c : {"Vyrovnat vše do rastru", "Vyrovnat vybrané"})
        edit->addAction(action(u8(c)));

    static const char *const kArrange[] = {
        "Zarovnat vlevo", "Zarovnat na střed vodorovně", "Zarovnat vpravo", nullptr,
        "Zarovnat nahoru", "Zarovnat na střed svisle", "Zarovnat dolů", nullptr,
        "Rozmístit vodorovně", "Rozmístit svisle", nullptr,
        "Stejná šířka", "Stejná výška", "Stejná velikost"};
    edit->addSeparator();
    edit->addAction(action(u8("Vybrat vše")));
    auto *arrangeMenu = menuBar()->addMenu(u8("&Uspořádat"));
    for (const char *c : kArrange) {
        if (c)
            arrangeMenu->addAction(action(u8(c)));
        else
            arrangeMenu->addSeparator();
    }

    auto *elements = menuBar()->addMenu(u8("P&rvek"));
    for (QAction *a : m_toolGroup->actions())
        elements->addAction(a);

    auto *help = menuBar()->addMenu(u8("Nápo&věda"));
    help->addAction(action(u8("Obsah nápovědy")));

    auto *bar = addToolBar(u8("Příkazy"));
    bar->setObjectName(QStringLiteral("commands"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (const char *c : {"Nová předloha...", "Uložit předlohu", "Zpět", "Znovu",
                          "Vystřihnout do úschovy", "Kopírovat do úschovy", "Vložit z úschovy",
                          "Smazat prvek", "Opravit vlastnosti prvku", "Náhled sestavy",
                          "Nastavení předlohy...", "Konec oprav"})
        bar->addAction(action(u8(c)));
    // On a row of its own: behind the commands it would be cut off into the overflow menu.
    addToolBarBreak();
    auto *arrangeBar = addToolBar(u8("Uspořádání"));
    arrangeBar->setObjectName(QStringLiteral("arrange"));
    arrangeBar->setMovable(false);
    arrangeBar->setIconSize(QSize(20, 20));
    arrangeBar->addAction(action(u8("Vybrat vše")));
    arrangeBar->addSeparator();
    for (const char *c : kArrange) {
        if (c)
            arrangeBar->addAction(action(u8(c)));
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
    auto page = [this](const char *caption, QComboBox *&combo, QList<const char *> tools) {
        auto *w = new QWidget(ToolTabs);
        auto *h = new QHBoxLayout(w);
        h->setContentsMargins(2, 1, 2, 1);
        h->setSpacing(1);
        h->addWidget(toolButton(action(u8("Výběr prvku")), w));
        for (const char *t : tools)
            h->addWidget(toolButton(action(u8(t)), w));
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
    page("Datové prvky", FieldCombo, {"Prvek databáze", "Popis prvku databáze"});
    page("Proměnné", VariableCombo,
         {"Parametr sestavy", "Datum tisku", "Čas tisku", "Pořadové číslo řádku",
          "Pořadové číslo strany", "Celkový počet stran", "Číslo řádku ve skupině",
          "Pořadové číslo skupiny"});
    page("Funkce", FunctionCombo, {"Uživatelská funkce"});
    {
        QWidget *w = ToolTabs->widget(ToolTabs->count() - 1);
        auto *h = static_cast<QHBoxLayout *>(w->layout());
        const int at = h->count() - 1;   // before the stretch
        int i = 0;
        for (const char *c : {"Přidat uživatelskou funkci", "Upravit uživatelskou funkci",
                              "Zrušit uživatelskou funkci"}) {
            auto *b = new QToolButton(w);
            b->setDefaultAction(action(u8(c)));
            h->insertWidget(at + i++, b);
        }
    }
    page("Grafické prvky", GraphicCombo,
         {"Grafický text", "Úsečka", "Obdélník", "Zaoblený obdélník", "Elipsa", "Obrázek",
          "Čárový kód", "Kreslicí plocha"});
    page("Detaily", DetailCombo, {"Detail sestavy"});
    VariableCombo->setToolTip(u8("Parametr sestavy, nebo skupina proměnných skupiny"));
}

QWidget *TFormSestE::buildPositionPanel()
{
    auto *w = new QWidget(this);
    auto *h = new QHBoxLayout(w);
    h->setContentsMargins(0, 0, 0, 0);
    auto field = [&](const char *label, TDelkaEdit *&edit) {
        h->addWidget(new QLabel(u8(label), w));
        edit = new TDelkaEdit(w);
        edit->setFixedWidth(56);
        h->addWidget(edit);
        connect(edit, &QLineEdit::editingFinished, this, [this, edit] { applyPosition(edit); });
    };
    field("L:", PosLeft);
    field("H:", PosTop);
    field("Š:", PosWidth);
    field("V:", PosHeight);
    ForwardBtn = new QToolButton(w);
    ForwardBtn->setText(u8("▲"));
    ForwardBtn->setToolTip(u8("Přenést dopředu"));
    BackwardBtn = new QToolButton(w);
    BackwardBtn->setText(u8("▼"));
    BackwardBtn->setToolTip(u8("Přesunout dozadu"));
    h->addWidget(ForwardBtn);
    h->addWidget(BackwardBtn);
    connect(ForwardBtn, &QToolButton::clicked, this, [this] {
        TSiReportElement *e = m_sheet->paper()->focusedElement();
        if (m_doc.moveInOrder(e, +1)) {
            m_sheet->rebuild();
            m_sheet->paper()->select(e);
            afterElementsChanged({});
        }
    });
    connect(BackwardBtn, &QToolButton::clicked, this, [this] {
        TSiReportElement *e = m_sheet->paper()->focusedElement();
        if (m_doc.moveInOrder(e, -1)) {
            m_sheet->rebuild();
            m_sheet->paper()->select(e);
            afterElementsChanged({});
        }
    });
    return w;
}

void TFormSestE::buildPanels()
{
    Panels = new QStackedWidget(this);
    addPanelPage()->addStretch();   // ppNone
    buildTextPanel(addPanelPage());
    buildLinePanel(addPanelPage());
    buildShapePanel(addPanelPage());
    buildPicturePanel(addPanelPage());
    buildBarcodePanel(addPanelPage());
    buildBoxPanel(addPanelPage());
}

QHBoxLayout *TFormSestE::addPanelPage()
{
    auto *w = new QWidget(Panels);
    auto *h = new QHBoxLayout(w);
    h->setContentsMargins(4, 0, 0, 0);
    h->setSpacing(2);
    Panels->addWidget(w);
    return h;
}

void TFormSestE::connectFlag(QAbstractButton *button, bool (*kindFilter)(int), int bit)
{
    connect(button, &QAbstractButton::toggled, this, [this, kindFilter, bit](bool on) {
        applyToTargets(kindFilter, [bit, on](TSiReportElement &e) {
            e.Flags = on ? e.Flags | bit : e.Flags & ~bit;
        }, u8(ChangeName::Element));
    });
}

void TFormSestE::connectNumber(QSpinBox *box, bool (*kindFilter)(int), int TSiReportElement::*field)
{
    connect(box, &QSpinBox::valueChanged, this, [this, kindFilter, field](int v) {
        applyToTargets(kindFilter, [field, v](TSiReportElement &e) { e.*field = v; },
                       u8(ChangeName::Element));
    });
}

void TFormSestE::connectChoice(QComboBox *box, bool (*kindFilter)(int), int TSiReportElement::*field)
{
    connect(box, &QComboBox::activated, this, [this, kindFilter, field](int i) {
        applyToTargets(kindFilter, [field, i](TSiReportElement &e) { e.*field = i; },
                       u8(ChangeName::Element));
    });
}

void TFormSestE::connectPenColor(QComboBox *box, bool (*kindFilter)(int))
{
    connect(box, &QComboBox::activated, this, [this, kindFilter](int i) {
        applyToTargets(kindFilter, [i](TSiReportElement &e) { e.PenColor = paletteColor(i); },
                       u8(ChangeName::Element));
    });
}

void TFormSestE::buildTextPanel(QHBoxLayout *h)
{
    FontBtn = new QToolButton(Panels);
    FontBtn->setText(u8("Písmo..."));
    h->addWidget(FontBtn);
    connect(FontBtn, &QToolButton::clicked, this, &TFormSestE::chooseFont);
    const char *const marks[4] = {"▏", "▔", "▕", "▁"};
    const char *const tips[4] = {"Čára vlevo", "Čára nahoře", "Čára vpravo", "Čára dole"};
    for (int i = 0; i < 4; ++i) {
        FrameBtn[i] = checkButton(u8(marks[i]), u8(tips[i]), Panels);
        h->addWidget(FrameBtn[i]);
        connectFlag(FrameBtn[i], textKind, 1 << i);
    }
    h->addSpacing(6);
    const char *const align[3] = {"Vlevo", "Vpravo", "Uprostřed"};
    const char *const alignMarks[3] = {"⇤", "⇥", "↔"};
    for (int i = 0; i < 3; ++i) {
        AlignBtn[i] = checkButton(u8(alignMarks[i]), u8(align[i]), Panels);
        AlignBtn[i]->setAutoExclusive(true);
        h->addWidget(AlignBtn[i]);
        connect(AlignBtn[i], &QToolButton::clicked, this, [this, i] {
            if (m_filling)
                return;
            if (m_doc.setAlignment(targets(textKind), i))
                afterElementsChanged(targets(textKind));
        });
    }
    h->addSpacing(6);
    TextEdit = new QLineEdit(Panels);
    TextEdit->setPlaceholderText(u8("Text prvku"));
    TextEdit->setMinimumWidth(200);
    h->addWidget(TextEdit, 1);
    connect(TextEdit, &QLineEdit::editingFinished, this, [this] {
        TSiReportElement *e = m_sheet->paper()->focusedElement();
        if (m_filling || !e || e->Kind != ekText)
            return;
        if (m_doc.setText(e, TextEdit->text()))
            afterElementsChanged({e});
    });
    MemoJustify = new QCheckBox(u8("Zarovnávat do bloku"), Panels);
    MemoVariable = new QCheckBox(u8("Proměnná výška"), Panels);
    h->addWidget(MemoJustify);
    h->addWidget(MemoVariable);
    for (auto [box, bit] : {std::pair{MemoJustify, int(tfJustify)},
                            std::pair{MemoVariable, int(tfVariableHeight)}}) {
        connect(box, &QCheckBox::toggled, this, [this, bit](bool on) {
            applyToTargets(textKind, [bit, on](TSiReportElement &e) {
                if (e.Kind == ekField && e.isRtf())
                    e.TextFlags = on ? e.TextFlags | bit : e.TextFlags & ~bit;
            }, u8(ChangeName::Element));
        });
    }
}

void TFormSestE::buildLinePanel(QHBoxLayout *h)
{
    const char *const marks[7] = {"▏", "▔", "▕", "▁", "╲", "╱", "◯"};
    const char *const tips[7] = {"Čára vlevo", "Čára nahoře", "Čára vpravo", "Čára dole",
                                 "Úhlopříčka zleva shora", "Úhlopříčka zleva zdola", "Elipsa"};
    for (int i = 0; i < 7; ++i) {
        LineBtn[i] = checkButton(u8(marks[i]), u8(tips[i]), Panels);
        h->addWidget(LineBtn[i]);
        connectFlag(LineBtn[i], lineKind, 1 << i);
    }
    h->addWidget(new QLabel(u8(" Barva:"), Panels));
    LineColor = new QComboBox(Panels);
    fillColors(LineColor, false);
    h->addWidget(LineColor);
    LineWidth = addNumberBox(h, u8(" Šířka:"), 1, 50, Panels);
    h->addWidget(new QLabel(u8(" Styl:"), Panels));
    LineStyle = new QComboBox(Panels);
    LineStyle->addItems({u8("plná"), u8("čárkovaná"), u8("tečkovaná"), u8("čerchovaná")});
    h->addWidget(LineStyle);
    h->addStretch();
    connectPenColor(LineColor, lineKind);
    connectNumber(LineWidth, lineKind, &TSiReportElement::PenWidth);
    connectChoice(LineStyle, lineKind, &TSiReportElement::PenStyle);
}

void TFormSestE::buildShapePanel(QHBoxLayout *h)
{
    h->addWidget(new QLabel(u8("Výplň:"), Panels));
    FillColor = new QComboBox(Panels);
    fillColors(FillColor, true);
    h->addWidget(FillColor);
    FillStyle = new QComboBox(Panels);
    FillStyle->addItems({u8("plné"), u8("prázdné"), u8("vodorovné"), u8("svislé"), u8("šikmé F"),
                         u8("šikmé B"), u8("svis/vod"), u8("šikmé")});
    h->addWidget(FillStyle);
    h->addWidget(new QLabel(u8(" Okraj:"), Panels));
    BorderColor = new QComboBox(Panels);
    fillColors(BorderColor, false);
    h->addWidget(BorderColor);
    BorderWidth = new QSpinBox(Panels);
    BorderWidth->setRange(0, 50);
    BorderWidth->setToolTip(u8("Šířka okraje"));
    h->addWidget(BorderWidth);
    h->addStretch();
    connect(FillColor, &QComboBox::activated, this, [this](int i) {
        TColor c = paletteColor(std::min(i, 15));
        if (i >= 16) {
            TSiReportElement *e = m_sheet->paper()->focusedElement();
            const QColor chosen = QColorDialog::getColor(
                e ? toQColor(e->BrushColor) : QColor(Qt::white), this, u8("Barva výplně"));
            if (!chosen.isValid()) {
                updatePanels();
                return;
            }
            c = fromQColor(chosen);
        }
        applyToTargets(shapeKind, [c](TSiReportElement &e) { e.BrushColor = c; },
                       u8(ChangeName::Element));
    });
    connectChoice(FillStyle, shapeKind, &TSiReportElement::BrushStyle);
    connectPenColor(BorderColor, shapeKind);
    connectNumber(BorderWidth, shapeKind, &TSiReportElement::PenWidth);
}

void TFormSestE::buildPicturePanel(QHBoxLayout *h)
{
    h->addWidget(new QLabel(u8("Soubor:"), Panels));
    PictureFile = new QComboBox(Panels);
    PictureFile->setEditable(true);
    PictureFile->setMinimumWidth(220);
    h->addWidget(PictureFile);
    PicStretch = new QCheckBox(u8("Podle okna"), Panels);
    PicAspect = new QCheckBox(u8("Zachovat poměr stran"), Panels);
    PicChange = new QCheckBox(u8("Povolit změnu"), Panels);
    for (QCheckBox *b : {PicStretch, PicAspect, PicChange})
        h->addWidget(b);
    h->addStretch();
    connect(PictureFile->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        const QString name = PictureFile->currentText().trimmed();
        applyToTargets(pictureKind, [this, name](TSiReportElement &e) {
            if (e.Text == name)
                return;
            e.Text = name;
            QImage img;
            if (m_report.LoadPicture(name, img)) {
                e.Picture = img;
                e.PictureFileName = name;
            } else {
                e.Picture = QImage();
                e.PictureFileName.clear();
            }
        }, u8(ChangeName::Element));
    });
    connect(PictureFile, &QComboBox::activated, this,
            [this] { emit PictureFile->lineEdit()->editingFinished(); });
    connectFlag(PicStretch, pictureKind, efStretch);
    connectFlag(PicAspect, pictureKind, efKeepAspect);
    connectFlag(PicChange, pictureKind, efPassPicture);
}

void TFormSestE::buildBarcodePanel(QHBoxLayout *h)
{
    CodeType = new QComboBox(Panels);
    CodeType->addItems(BarcodeTypeNames());
    h->addWidget(CodeType);
    CodeCheck = new QCheckBox(u8("Kontrolní součet"), Panels);
    h->addWidget(CodeCheck);
    CodeModule = new QComboBox(Panels);
    for (int code : BarcodeModuleCodes())
        CodeModule->addItem(BarcodeModuleCaption(code));
    CodeModule->setToolTip(u8("Šířka čar"));
    h->addWidget(CodeModule);
    CodeText = new QCheckBox(u8("Text"), Panels);
    h->addWidget(CodeText);
    CodeContent = new QLineEdit(Panels);
    CodeContent->setPlaceholderText(u8("Text čárového kódu"));
    h->addWidget(CodeContent, 1);
    connectChoice(CodeType, barcodeKind, &TSiReportElement::PenStyle);
    connect(CodeModule, &QComboBox::activated, this, [this](int i) {
        const int code = BarcodeModuleCodes().at(size_t(i));
        applyToTargets(barcodeKind, [code](TSiReportElement &e) { e.PenWidth = code; },
                       u8(ChangeName::Element));
    });
    connectFlag(CodeCheck, barcodeKind, efCheckDigit);
    connectFlag(CodeText, barcodeKind, efPrintText);
    connect(CodeContent, &QLineEdit::editingFinished, this, [this] {
        const QString text = CodeContent->text();
        applyToTargets(barcodeKind, [text](TSiReportElement &e) { e.Text = text; },
                       u8(ChangeName::Text));
    });
}

void TFormSestE::buildBoxPanel(QHBoxLayout *h)
{
    BoxIndex = addNumberBox(h, u8("Index:"), 0, 9999, Panels);
    BoxZoom = addNumberBox(h, u8(" Zoom:"), 1, 6, Panels);
    h->addStretch();
    connectNumber(BoxIndex, boxKind, &TSiReportElement::SourceIndex);
    connectNumber(BoxZoom, boxKind, &TSiReportElement::BrushStyle);
}

void TFormSestE::fillSourceCombos()
{
    const TEditorSettings &s = m_doc.settings();
    auto refill = [](QComboBox *c, const QStringList &items) {
        const int keep = c->currentIndex();
        const QSignalBlocker block(c);
        c->clear();
        c->addItems(items);
        c->setCurrentIndex(items.isEmpty() ? -1 : std::clamp(keep, 0, int(items.size()) - 1));
    };
    QStringList fields;
    for (int n = 0; n < m_report.FieldCount(); ++n) {
        const QString label = m_report.FieldLabel(n);
        fields << (s.PopisyPol && !label.isEmpty() ? label : m_report.FieldName(n));
    }
    refill(FieldCombo, fields);
    QStringList vars;
    for (int n = 0; n < m_report.Parametry.size(); ++n)
        vars << m_report.ParameterCaption(n + 1);
    for (int g = 1; g <= m_report.Groups.count(); ++g)
        vars << u8("Skupina %1").arg(g);
    refill(VariableCombo, vars);
    QStringList functions;
    for (int n = 0; n < m_report.Functions.count(); ++n)
        functions << m_report.Functions.Caption(n);
    refill(FunctionCombo, functions);
    // Detail n is the template's D<n> record and the n-th attached detail report.
    QStringList details;
    const QList<TSestDetail *> &list = m_report.DetailList();
    const int detailCount = std::max<int>({int(list.size()), int(m_report.Details.size()), 1});
    for (int n = 0; n < detailCount; ++n)
        details << (n < list.size() && !list.at(n)->Name.isEmpty()
                        ? u8("Detail %1 (%2)").arg(n).arg(list.at(n)->Name)
                        : u8("Detail %1").arg(n));
    refill(DetailCombo, details);
    fillPictureFiles();
}

void TFormSestE::fillPictureFiles()
{
    QStringList items;
    m_report.ListPictures(items);
    if (items.isEmpty() && !m_report.TemplateDir.isEmpty()) {
        const QDir dir(m_report.TemplateDir);
        items = dir.entryList({QStringLiteral("*.bmp"), QStringLiteral("*.jpg"),
                               QStringLiteral("*.jpeg"), QStringLiteral("*.png"),
                               QStringLiteral("*.wmf"), QStringLiteral("*.emf")},
                              QDir::Files, QDir::Name | QDir::IgnoreCase);
    }
    const QSignalBlocker block(PictureFile);
    PictureFile->clear();
    PictureFile->addItems(items);
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

void TFormSestE::updateActions()
{
    TPapir *paper = m_sheet->paper();
    const bool has = paper->focusedElement() != nullptr;
    const TListVariant &u = m_doc.undoList();
    QAction *undoA = action(u8("Zpět"));
    QAction *redoA = action(u8("Znovu"));
    undoA->setEnabled(u.canUndo());
    undoA->setToolTip(u.undoHint());
    undoA->setStatusTip(u.undoHint());
    redoA->setEnabled(u.canRedo());
    redoA->setToolTip(u.redoHint());
    redoA->setStatusTip(u.redoHint());
    action(u8("Smazat prvek"))->setEnabled(has);
    action(u8("Opravit vlastnosti prvku"))->setEnabled(has);
    action(u8("Vystřihnout do úschovy"))->setEnabled(has);
    action(u8("Kopírovat do úschovy"))->setEnabled(has);
    action(u8("Vložit z úschovy"))->setEnabled(TDesignerDoc::canPaste());
    action(u8("Vyrovnat vybrané"))->setEnabled(has);
    const int selected = int(paper->selectedElements().size());
    for (QAction *a : std::as_const(m_actions)) {
        const QString kind = a->property("arrange").toString();
        if (kind.startsWith(QStringLiteral("spread")))
            a->setEnabled(selected >= 3);
        else if (!kind.isEmpty() && kind != QStringLiteral("all"))
            a->setEnabled(selected >= 2 && has);
    }
    action(u8("Vybrat vše"))->setEnabled(m_doc.elementCount() > 0);
    action(u8("Vyrovnat vše do rastru"))->setEnabled(m_doc.elementCount() > 0);
    action(u8("Uložit předlohu"))->setEnabled(m_doc.changed());
    const bool running = sestavaOperationRunning();
    action(u8("Náhled sestavy"))->setEnabled(!running);
    action(u8("Tisk sestavy"))->setEnabled(!running);
    const bool single = has && !paper->multiSelection();
    const TElementPlace place = m_doc.placeOf(paper->focusedElement());
    ForwardBtn->setEnabled(single && place.Index + 1 < (place.Section ? place.Section->elementCount() : 0));
    BackwardBtn->setEnabled(single && place.Index > 0);
    action(u8("Prvek databáze"))->setEnabled(FieldCombo->count() > 0);
    action(u8("Popis prvku databáze"))->setEnabled(FieldCombo->count() > 0);
    action(u8("Parametr sestavy"))->setEnabled(!m_report.Parametry.isEmpty());
    action(u8("Uživatelská funkce"))->setEnabled(FunctionCombo->count() > 0);
    action(u8("Upravit uživatelskou funkci"))->setEnabled(FunctionCombo->count() > 0);
    action(u8("Zrušit uživatelskou funkci"))->setEnabled(FunctionCombo->count() > 0);
    const bool groups = m_report.Groups.count() > 0;
    action(u8("Číslo řádku ve skupině"))->setEnabled(groups);
    action(u8("Pořadové číslo skupiny"))->setEnabled(groups);
}

void TFormSestE::setPanelValue(const std::function<void()> &fill)
{
    const bool keep = m_filling;
    m_filling = true;
    const QList<QWidget *> all = Panels->findChildren<QWidget *>();
    QList<QWidget *> blocked;
    for (QWidget *w : all)
        if (!w->signalsBlocked()) {
            w->blockSignals(true);
            blocked << w;
        }
    fill();
    for (QWidget *w : blocked)
        w->blockSignals(false);
    m_filling = keep;
}

void TFormSestE::updatePanels()
{
    TSiReportElement *e = m_sheet->paper()->focusedElement();
    const int unit = displayUnit();
    for (TDelkaEdit *d : {PosLeft, PosTop, PosWidth, PosHeight}) {
        d->setUnit(unit);
        d->setEnabled(e != nullptr);
    }
    if (!e) {
        for (TDelkaEdit *d : {PosLeft, PosTop, PosWidth, PosHeight})
            d->clear();
        Panels->setCurrentIndex(ppNone);
        return;
    }
    showGeometry(e->Left, e->Top, e->Width, e->Height);
    // With several elements selected the panel shows what they have in common: a value they
    // do not share is left empty (typing one gives it to all of them).
    const QList<TSiReportElement *> selected = m_sheet->paper()->selectedElements();
    auto shared = [&](auto value) {
        for (const TSiReportElement *s : selected)
            if (value(s) != value(e))
                return false;
        return true;
    };
    const std::pair<TDelkaEdit *, int TSiReportElement::*> geometry[] = {
        {PosLeft, &TSiReportElement::Left}, {PosTop, &TSiReportElement::Top},
        {PosWidth, &TSiReportElement::Width}, {PosHeight, &TSiReportElement::Height}};
    for (const auto &[edit, field] : geometry)
        if (!shared([field](const TSiReportElement *s) { return s->*field; }))
            edit->clear();
    setPanelValue([&] {
        if (isTextKind(e->Kind)) {
            Panels->setCurrentIndex(ppText);
            for (int i = 0; i < 4; ++i)
                FrameBtn[i]->setChecked(
                    shared([i](const TSiReportElement *s) { return bool(s->Flags & (1 << i)); })
                    && (e->Flags & (1 << i)));
            for (int i = 0; i < 3; ++i)
                AlignBtn[i]->setChecked(
                    shared([](const TSiReportElement *s) { return s->Alignment; }) && e->Alignment == i);
            TextEdit->setVisible(e->Kind == ekText);
            TextEdit->setText(e->Kind == ekText ? e->Text : QString());
            const bool rtf = e->Kind == ekField && e->isRtf();
            MemoJustify->setVisible(rtf);
            MemoVariable->setVisible(rtf);
            MemoJustify->setChecked(e->TextFlags & tfJustify);
            MemoVariable->setChecked(e->TextFlags & tfVariableHeight);
        } else if (e->Kind == ekLine) {
            Panels->setCurrentIndex(ppLine);
            for (int i = 0; i < 7; ++i)
                LineBtn[i]->setChecked(e->Flags & (1 << i));
            showColor(LineColor, e->PenColor);
            LineWidth->setValue(std::max(1, e->PenWidth));
            LineStyle->setCurrentIndex(std::clamp(e->PenStyle, 0, 3));
        } else if (shapeKind(e->Kind)) {
            Panels->setCurrentIndex(ppShape);
            showColor(FillColor, e->BrushColor);
            FillStyle->setCurrentIndex(std::clamp(e->BrushStyle, 0, 7));
            showColor(BorderColor, e->PenColor);
            BorderWidth->setValue(std::max(0, e->PenWidth));
        } else if (e->Kind == ekPicture) {
            Panels->setCurrentIndex(ppPicture);
            PictureFile->setCurrentText(e->Text);
            PicStretch->setChecked(e->Flags & efStretch);
            PicAspect->setChecked(e->Flags & efKeepAspect);
            PicChange->setChecked(e->Flags & efPassPicture);
        } else if (e->Kind == ekBarcode) {
            Panels->setCurrentIndex(ppBarcode);
            CodeType->setCurrentIndex(e->PenStyle >= 0 && e->PenStyle < CodeType->count() ? e->PenStyle
                                                                                         : kBarcodeEan13);
            const std::vector<int> &codes = BarcodeModuleCodes();
            const auto it = std::find(codes.begin(), codes.end(), BarcodeModuleChoice(e->PenWidth));
            CodeModule->setCurrentIndex(it == codes.end() ? 4 : int(it - codes.begin()));
            CodeCheck->setChecked(e->Flags & efCheckDigit);
            CodeText->setChecked(e->Flags & efPrintText);
            CodeContent->setText(e->Text);
        } else if (e->Kind == ekPaintBox) {
            Panels->setCurrentIndex(ppBox);
            BoxIndex->setValue(e->SourceIndex);
            BoxZoom->setValue(std::clamp(e->BrushStyle, 1, 6));
        } else {
            Panels->setCurrentIndex(ppNone);
        }
    });
}

QList<TSiReportElement *> TFormSestE::targets(bool (*kindFilter)(int)) const
{
    QList<TSiReportElement *> out;
    TPapir *paper = m_sheet->paper();
    QList<TSiReportElement *> all = paper->selectedElements();
    if (all.isEmpty() && paper->focusedElement())
        all << paper->focusedElement();
    for (TSiReportElement *e : all)
        if (kindFilter(e->Kind))
            out << e;
    return out;
}

void TFormSestE::applyToTargets(bool (*kindFilter)(int),
                                const std::function<void(TSiReportElement &)> &f,
                                const QString &changeName)
{
    if (m_filling)
        return;
    const QList<TSiReportElement *> list = targets(kindFilter);
    if (m_doc.changeElements(list, f, changeName))
        afterElementsChanged(list);
}

void TFormSestE::applyPosition(TDelkaEdit *edit)
{
    if (m_filling || !edit->isModified())
        return;
    edit->setModified(false);
    const QList<TSiReportElement *> list = targets(anyKind);
    if (list.isEmpty())
        return;
    std::optional<int> l, t, w, h;
    const int v = edit->value();
    if (edit == PosLeft)
        l = v;
    else if (edit == PosTop)
        t = v;
    else if (edit == PosWidth)
        w = v;
    else
        h = v;
    if (m_doc.setGeometry(list, l, t, w, h))
        afterElementsChanged(list);
    else
        updatePanels();
}

void TFormSestE::chooseFont()
{
    const QList<TSiReportElement *> list = targets(textKind);
    TSiReportElement *e = m_sheet->paper()->focusedElement();
    if (list.isEmpty() || !e)
        return;
    TEditorSettings s = m_doc.settings();
    s.ImplNazevFontu = e->Font.Name;
    s.ImplVyskaFontu = e->Font.Size;
    s.ImplStylFontu = e->Font.Style;
    s.ImplBarvaFontu = colorToField(e->Font.Color);
    s.ImplSkriptFontu = e->Font.Charset;
    TDlgPismo dlg(s, this);
    dlg.setWindowTitle(u8("Písmo"));
    if (dlg.exec() != QDialog::Accepted)
        return;
    dlg.applyTo(s);
    TElementFont f;
    f.Name = s.ImplNazevFontu;
    f.Size = s.ImplVyskaFontu;
    f.Style = s.ImplStylFontu;
    f.Color = colorFromField(s.ImplBarvaFontu);
    f.Charset = s.ImplSkriptFontu;
    if (m_doc.setFont(list, f))
        afterElementsChanged(list);
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
    const bool started = m_doc.newTemplate([this](TSestavaTyp &report, QStringList &lines) {
        m_sheet->build(nullptr);   // the model is empty while the wizard runs
        return VytvorNovouPredlohu(report, m_doc.settings(), lines, this, [&report](QWidget *w) {
            EditReportSettings(report, TSestDlg::pgPapir, w);
        });
    });
    if (!m_sheet->paper()->report())
        m_sheet->build(&m_report);
    (void)started;
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
    QList<TSiReportElement *> list = targets(anyKind);
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
    const TPageSetup pageBefore = pageSetup();
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
    if (m_doc.snapshot() != before || !(pageSetup() == pageBefore)) {
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
    const QList<TSiReportElement *> list = targets(anyKind);
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
