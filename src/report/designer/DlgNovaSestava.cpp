#include "report/designer/ReportHelp.h"
#include "report/designer/DlgNovaSestava.h"

#include "report/designer/EditorSettings.h"
#include "report/model/SestavaMessages.h"
#include "report/output/Sestava.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace orv {

namespace {

// The pictures of the two style buttons: a table with a header row, a form of label and
// value rows.
QIcon styleIcon(bool columns)
{
    QPixmap pm(40, 32);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setPen(QPen(Qt::darkGray, 1));
    p.drawRect(2, 2, 35, 27);
    if (columns) {
        p.fillRect(3, 3, 34, 6, QColor(0x30, 0x60, 0xa0));
        for (int x : {13, 25})
            p.drawLine(x, 3, x, 28);
        for (int y : {14, 19, 24})
            p.drawLine(3, y, 36, y);
    } else {
        for (int y : {6, 13, 20}) {
            p.fillRect(5, y, 12, 4, QColor(0x30, 0x60, 0xa0));
            p.fillRect(20, y, 15, 4, Qt::gray);
        }
    }
    return QIcon(pm);
}

// One of the two exclusive style buttons, with its picture.
QToolButton *styleButton(const QString &name, bool columns, const QString &tip, QWidget *parent)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(name);
    b->setIcon(styleIcon(columns));
    b->setIconSize(QSize(40, 32));
    b->setCheckable(true);
    b->setAutoExclusive(true);
    b->setToolTip(tip);
    return b;
}

QToolButton *arrowButton(const QString &text, QWidget *parent)
{
    auto *b = new QToolButton(parent);
    b->setText(text);
    b->setMinimumWidth(44);
    return b;
}

} // namespace

TDlgNovaSestava::TDlgNovaSestava(const QList<TWizardField> &fields,
                                 const TEditorSettings &settings, bool characterMode,
                                 QWidget *parent)
    : QDialog(parent), m_fields(fields), m_settings(settings), m_characterMode(characterMode)
{
    setWindowTitle(QStringLiteral("Návrh nové předlohy"));
    setObjectName(QStringLiteral("TDlgNovaSestava"));

    QGridLayout *lists = buildLists();
    QHBoxLayout *style = buildStyleRow();
    QGroupBox *grouping = buildGrouping();
    QHBoxLayout *buttons = buildButtons();
    auto *top = new QVBoxLayout(this);
    top->addLayout(lists, 1);
    top->addLayout(style);
    top->addWidget(grouping);
    top->addLayout(buttons);
    resize(640, 600);
    connectCommands();
    updateButtons();
}

// The available and the chosen fields with the arrow buttons between them.
QGridLayout *TDlgNovaSestava::buildLists()
{
    SrcList = new QListWidget(this);
    SrcList->setObjectName("SrcList");
    SrcList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (const TWizardField &f : m_fields)
        SrcList->addItem(f.Name);
    DstList = new QListWidget(this);
    DstList->setObjectName("DstList");
    DstList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    DstList->setDragDropMode(QAbstractItemView::InternalMove);
    DstList->setDefaultDropAction(Qt::MoveAction);

    IncludeBtn = arrowButton(QStringLiteral(">"), this);
    IncAllBtn = arrowButton(QStringLiteral(">>"), this);
    ExcludeBtn = arrowButton(QStringLiteral("<"), this);
    ExAllBtn = arrowButton(QStringLiteral("<<"), this);
    IncludeBtn->setToolTip(QStringLiteral("Přidat vybrané položky"));
    IncAllBtn->setToolTip(QStringLiteral("Přidat všechny položky"));
    ExcludeBtn->setToolTip(QStringLiteral("Vrátit vybrané položky"));
    ExAllBtn->setToolTip(QStringLiteral("Vrátit všechny položky"));

    auto *arrows = new QVBoxLayout;
    arrows->addStretch();
    for (QToolButton *b : {IncludeBtn, IncAllBtn, ExcludeBtn, ExAllBtn})
        arrows->addWidget(b);
    arrows->addStretch();

    auto *lists = new QGridLayout;
    auto *srcLabel = new QLabel(QStringLiteral("Dostupné položky:"), this);
    srcLabel->setBuddy(SrcList);
    auto *dstLabel = new QLabel(QStringLiteral("Vybrané položky:"), this);
    dstLabel->setBuddy(DstList);
    lists->addWidget(srcLabel, 0, 0);
    lists->addWidget(dstLabel, 0, 2);
    lists->addWidget(SrcList, 1, 0);
    lists->addLayout(arrows, 1, 1);
    lists->addWidget(DstList, 1, 2);
    return lists;
}

// The template style (columns or rows) and the label options.
QHBoxLayout *TDlgNovaSestava::buildStyleRow()
{
    SBSloupec = styleButton(QStringLiteral("SBSloupec"), true,
                            QStringLiteral("Sloupce: jedna položka v každém sloupci tabulky"), this);
    SBSloupec->setChecked(true);
    SBRadek = styleButton(QStringLiteral("SBRadek"), false,
                          QStringLiteral("Řádky: jedna položka na každém řádku formuláře"), this);

    CBPopisyPolozek = new QCheckBox(QStringLiteral("Popisy položek"), this);
    CBPopisyPolozek->setChecked(true);
    CBPopisyTextem = new QCheckBox(QStringLiteral("Popisy textem"), this);
    CBSledovatPodle = new QCheckBox(QStringLiteral("Pol. podle názvu"), this);
    // By name: a template bound by number prints another column when the query changes.
    CBSledovatPodle->setChecked(true);

    auto *style = new QHBoxLayout;
    style->addWidget(new QLabel(QStringLiteral("Styl předlohy:"), this));
    style->addWidget(SBSloupec);
    style->addWidget(SBRadek);
    style->addSpacing(16);
    auto *checks = new QVBoxLayout;
    checks->addWidget(CBPopisyPolozek);
    checks->addWidget(CBPopisyTextem);
    checks->addWidget(CBSledovatPodle);
    style->addLayout(checks);
    style->addStretch();
    return style;
}

// Groups and totals of a list (the columns style of a graphic report) and the page count.
QGroupBox *TDlgNovaSestava::buildGrouping()
{
    auto *box = new QGroupBox(QStringLiteral("Skupiny a součty"), this);
    box->setObjectName(QStringLiteral("grouping"));
    CBSkupina = new QComboBox(box);
    CBSkupina->setObjectName(QStringLiteral("CBSkupina"));
    CBSkupina->addItem(QStringLiteral("(bez skupin)"));
    for (const TWizardField &f : m_fields)
        CBSkupina->addItem(f.Name);
    CBPocet = new QCheckBox(QStringLiteral("Počet záznamů"), box);
    CBPocet->setChecked(true);
    CBStranaZ = new QCheckBox(QStringLiteral("Strana X z Y"), box);
    CBStranaZ->setChecked(true);
    auto numericList = [&](const QString &name) {
        auto *l = new QListWidget(box);
        l->setObjectName(name);
        l->setMaximumHeight(90);
        for (const TWizardField &f : m_fields) {
            if (!isNumericWizardField(f))
                continue;
            auto *item = new QListWidgetItem(f.Name, l);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
        return l;
    };
    LBSoucty = numericList(QStringLiteral("LBSoucty"));
    LBPrumery = numericList(QStringLiteral("LBPrumery"));
    auto *sorted = new QLabel(QStringLiteral("Data sestavy musí být seřazena podle této položky."), box);
    sorted->setEnabled(false);

    auto *g = new QGridLayout(box);
    auto *groupLabel = new QLabel(QStringLiteral("Seskupit podle:"), box);
    groupLabel->setBuddy(CBSkupina);
    g->addWidget(groupLabel, 0, 0);
    g->addWidget(CBSkupina, 0, 1);
    g->addWidget(sorted, 1, 0, 1, 2);
    g->addWidget(CBPocet, 2, 0);
    g->addWidget(CBStranaZ, 2, 1);
    auto *sumLabel = new QLabel(QStringLiteral("Součet:"), box);
    sumLabel->setBuddy(LBSoucty);
    auto *avgLabel = new QLabel(QStringLiteral("Průměr:"), box);
    avgLabel->setBuddy(LBPrumery);
    g->addWidget(sumLabel, 0, 2);
    g->addWidget(LBSoucty, 1, 2, 2, 1);
    g->addWidget(avgLabel, 0, 3);
    g->addWidget(LBPrumery, 1, 3, 2, 1);
    // Groups and totals are laid out for the columns of a graphic list.
    auto enable = [this, box] { box->setEnabled(SBSloupec->isChecked() && !m_characterMode); };
    connect(SBSloupec, &QToolButton::toggled, box, enable);
    enable();
    return box;
}

QHBoxLayout *TDlgNovaSestava::buildButtons()
{
    OKBtn = new QPushButton(QStringLiteral("&Navrhnout"), this);
    OKBtn->setDefault(true);
    RucneBtn = new QPushButton(QStringLiteral("&Ručně"), this);
    HelpBtn = new QPushButton(QStringLiteral("Storno"), this);
    m_paperFormatButton = new QPushButton(QStringLiteral("&Formát papíru"), this);
    m_paperFormatButton->setObjectName(QStringLiteral("paperFormat"));
    m_paperFormatButton->setVisible(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_paperFormatButton);
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(RucneBtn);
    buttons->addWidget(HelpBtn);
    return buttons;
}

void TDlgNovaSestava::connectCommands()
{
    connect(IncludeBtn, &QToolButton::clicked, this, [this] { moveSelected(SrcList, DstList); });
    connect(ExcludeBtn, &QToolButton::clicked, this, [this] { moveSelected(DstList, SrcList); });
    connect(IncAllBtn, &QToolButton::clicked, this, [this] { moveAll(SrcList, DstList); });
    connect(ExAllBtn, &QToolButton::clicked, this, [this] { moveAll(DstList, SrcList); });
    connect(SrcList, &QListWidget::itemDoubleClicked, this,
            [this] { moveSelected(SrcList, DstList); });
    connect(DstList, &QListWidget::itemDoubleClicked, this,
            [this] { moveSelected(DstList, SrcList); });
    connect(OKBtn, &QPushButton::clicked, this, &TDlgNovaSestava::accept);
    connect(RucneBtn, &QPushButton::clicked, this, [this] { done(Rucne); });
    connect(HelpBtn, &QPushButton::clicked, this, &TDlgNovaSestava::reject);
    installHelpKey(this, QStringLiteral("SestavyNavrh.htm"));
    connect(m_paperFormatButton, &QPushButton::clicked, this, [this] {
        if (m_paperFormat)
            m_paperFormat(this);
    });
}

void TDlgNovaSestava::setPaperFormatHandler(std::function<void(QWidget *)> handler)
{
    m_paperFormat = std::move(handler);
    m_paperFormatButton->setVisible(bool(m_paperFormat));
}

void TDlgNovaSestava::moveSelected(QListWidget *from, QListWidget *to)
{
    QList<int> rows;
    for (const QListWidgetItem *item : from->selectedItems())
        rows << from->row(item);
    if (rows.isEmpty())
        return;
    std::sort(rows.begin(), rows.end());
    const int first = rows.first();
    // From the last to the first, each appended: a block arrives in reverse order.
    for (auto it = rows.crbegin(); it != rows.crend(); ++it) {
        QListWidgetItem *item = from->takeItem(*it);
        to->addItem(item);
        item->setSelected(false);
    }
    from->setFocus();
    from->clearSelection();
    if (from->count() > 0) {
        const int row = std::min(first, from->count() - 1);
        from->setCurrentRow(row);
        from->item(row)->setSelected(true);
    }
    updateButtons();
}

void TDlgNovaSestava::moveAll(QListWidget *from, QListWidget *to)
{
    while (from->count() > 0) {
        QListWidgetItem *item = from->takeItem(0);
        item->setSelected(false);
        to->addItem(item);
    }
    from->setFocus();
    updateButtons();
}

void TDlgNovaSestava::updateButtons()
{
    IncludeBtn->setEnabled(SrcList->count() > 0);
    IncAllBtn->setEnabled(SrcList->count() > 0);
    ExcludeBtn->setEnabled(DstList->count() > 0);
    ExAllBtn->setEnabled(DstList->count() > 0);
}

TWizardParams TDlgNovaSestava::params() const
{
    TWizardParams p = TWizardParams::fromSettings(m_settings);
    p.Columns = SBSloupec->isChecked();
    p.CharacterMode = m_characterMode;
    p.Labels = CBPopisyPolozek->isChecked();
    p.LabelsAsText = CBPopisyTextem->isChecked();
    p.ByName = CBSledovatPodle->isChecked();
    if (p.Columns && !p.CharacterMode) {
        p.GroupField = CBSkupina->currentIndex() > 0 ? CBSkupina->currentText() : QString();
        p.Count = CBPocet->isChecked();
        auto checked = [](const QListWidget *l) {
            QStringList out;
            for (int i = 0; i < l->count(); ++i)
                if (l->item(i)->checkState() == Qt::Checked)
                    out << l->item(i)->text();
            return out;
        };
        p.SumFields = checked(LBSoucty);
        p.AverageFields = checked(LBPrumery);
    }
    p.PageOfPages = CBStranaZ->isChecked();
    p.CzechDates = true;
    return p;
}

void TDlgNovaSestava::accept()
{
    if (DstList->count() == 0) {
        showSestMessage(TSestMessageKind::Information,
                        QString::fromUtf8(SestavaMessages::CaptionInformation),
                        QStringLiteral("Nebyly vybrány žádné položky. Návrh nemůže být proveden!"));
        return;
    }
    QStringList chosen;
    for (int i = 0; i < DstList->count(); ++i)
        chosen << DstList->item(i)->text();
    m_result = generateWizardTemplate(params(), m_fields, chosen);
    if (!m_result.LeftOut.isEmpty())
        showSestMessage(TSestMessageKind::Information,
                        QString::fromUtf8(SestavaMessages::CaptionInformation),
                        QStringLiteral("Na stránku se nevešly všechny vybrané položky. "
                                       "Do předlohy nebyly zařazeny: %1")
                            .arg(m_result.LeftOut.join(QStringLiteral(", "))));
    QDialog::accept();
}

int VytvorNovouPredlohu(TSestavaTyp &report, const TEditorSettings &settings, QStringList &lines,
                        QWidget *parent, std::function<void(QWidget *)> paperFormat)
{
    // The wizard lays the template out on the report's paper, which its paper button edits.
    const TReportContextScope onItsPaper(report.Context);
    QList<TWizardField> fields = wizardFields(report);
    sampleWizardFields(report, fields);
    TDlgNovaSestava dlg(fields, settings, report.CharacterMode, parent);
    if (paperFormat)
        dlg.setPaperFormatHandler(std::move(paperFormat));
    const int r = dlg.exec();
    if (r == QDialog::Accepted)
        lines = dlg.result().Lines;
    return r;
}

} // namespace orv
