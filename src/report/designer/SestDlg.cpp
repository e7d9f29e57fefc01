#include "report/designer/ReportHelp.h"
#include "report/designer/SestDlg.h"

#include "report/designer/DlgVyraz.h"
#include "report/model/ExpressionEditor.h"

#include "report/designer/DesignerQuestion.h"
#include "report/designer/EditorSettings.h"
#include "report/output/Printers.h"
#include "report/ui/FormatDialog.h"
#include "report/model/SestavaMessages.h"
#include "report/output/ReportUnits.h"
#include "report/output/Sestava.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPageLayout>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace orv {

// ---------------------------------------------------------------- length field

TDelkaEdit::TDelkaEdit(QWidget *parent) : QLineEdit(parent)
{
    setMaximumWidth(90);
    setText(QStringLiteral("0"));
}

void TDelkaEdit::setValue(int hundredths)
{
    m_value = hundredths;
    setText(QString::number(ToDisplayUnits(hundredths, m_unit)));
}

int TDelkaEdit::value() const
{
    QString t = text().trimmed();
    bool ok = false;
    int v = t.toInt(&ok);
    if (!ok) {
        t.replace(u',', u'.');
        const double d = t.toDouble(&ok);
        if (!ok || !std::isfinite(d) || std::abs(d) > 1e7)
            return m_value;
        v = int(std::lround(d));
    }
    // Unchanged text gives the exact value (no rounding through the unit).
    if (v == ToDisplayUnits(m_value, m_unit))
        return m_value;
    return FromDisplayUnits(v, m_unit);
}

void TDelkaEdit::setUnit(int unitIndex)
{
    const int v = value();
    m_unit = unitIndex;
    setValue(v);
}

// ---------------------------------------------------------------- the dialog

namespace {

const char *const kSectionCaptions[5] = {"Začátek sestavy", "Hlava stránky", "Tělo sestavy",
                                         "Konec sestavy", "Pata stránky"};

QString sizeText(int w, int h, int unit)
{
    return QStringLiteral("%1 x %2 %3")
        .arg(ToDisplayUnits(w, unit))
        .arg(ToDisplayUnits(h, unit))
        .arg(UnitName(unit));
}

} // namespace

TSestDlg::TSestDlg(TSestavaTyp &report, int page, QWidget *parent)
    : QDialog(parent), m_report(report)
{
    installHelpKey(this, QStringLiteral("SestavyNastaveni.htm"));
    setWindowTitle(QStringLiteral("Nastavení parametrů sestavy"));
    setObjectName(QStringLiteral("TSestDlg"));
    Tabs = new QTabWidget(this);
    Tabs->addTab(buildSestava(), QStringLiteral("Sestava"));
    Tabs->addTab(buildPapir(), QStringLiteral("Papír"));
    Tabs->addTab(buildRastr(), QStringLiteral("Rastr"));
    Tabs->addTab(buildOddily(), QStringLiteral("Oddíly"));
    Tabs->addTab(buildSkupiny(), QStringLiteral("Skupiny"));
    if (page >= 0 && page < Tabs->count()) {
        for (int i = Tabs->count() - 1; i >= 0; --i)
            Tabs->setTabVisible(i, i == page);
        Tabs->setCurrentIndex(page);
    }

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setDefault(true);
    StornoBtn = new QPushButton(QStringLiteral("Storno"), this);
    connect(OKBtn, &QPushButton::clicked, this, &TSestDlg::accept);
    connect(StornoBtn, &QPushButton::clicked, this, &TSestDlg::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(StornoBtn);
    auto *top = new QVBoxLayout(this);
    top->addWidget(Tabs);
    top->addLayout(buttons);
    load();
}

QWidget *TSestDlg::buildSestava()
{
    auto *w = new QWidget(this);
    Soubor = new QLineEdit(w);
    Soubor->setReadOnly(true);
    Kopie = new QLabel(w);
    Stranky = new QLabel(w);
    MaxZaznamu = new QLabel(w);
    Popis = new QLineEdit(w);
    auto *f = new QFormLayout(w);
    f->addRow(QStringLiteral("Soubor:"), Soubor);
    f->addRow(QStringLiteral("Počet tištěných kopií:"), Kopie);
    f->addRow(QStringLiteral("Tištěné stránky:"), Stranky);
    f->addRow(QStringLiteral("Maximální počet záznamů:"), MaxZaznamu);
    f->addRow(QStringLiteral("Popis:"), Popis);
    return w;
}

QWidget *TSestDlg::buildPapir()
{
    auto *w = new QWidget(this);
    Formaty = new QListWidget(w);
    Formaty->setObjectName("Formaty");
    Formaty->setMinimumWidth(230);
    UkazBtn = new QPushButton(QStringLiteral("Ukaž"), w);
    PridejBtn = new QPushButton(QStringLiteral("Přidej"), w);
    VynechBtn = new QPushButton(QStringLiteral("Vynech"), w);
    RozmerPapiru = new QLabel(w);
    auto *formats = new QGroupBox(QStringLiteral("Formát papíru:"), w);
    auto *fl = new QVBoxLayout(formats);
    fl->addWidget(Formaty);
    fl->addWidget(RozmerPapiru);
    auto *fb = new QHBoxLayout;
    fb->addWidget(UkazBtn);
    fb->addWidget(PridejBtn);
    fb->addWidget(VynechBtn);
    fl->addLayout(fb);

    OkrajLevy = new TDelkaEdit(w);
    OkrajPravy = new TDelkaEdit(w);
    OkrajHorni = new TDelkaEdit(w);
    OkrajDolni = new TDelkaEdit(w);
    auto *margins = new QGroupBox(QStringLiteral("Okraje papíru:"), w);
    auto *ml = new QFormLayout(margins);
    ml->addRow(QStringLiteral("Levý:"), OkrajLevy);
    ml->addRow(QStringLiteral("Pravý:"), OkrajPravy);
    ml->addRow(QStringLiteral("Horní:"), OkrajHorni);
    ml->addRow(QStringLiteral("Dolní:"), OkrajDolni);

    PocetSloupcu = new QSpinBox(w);
    PocetSloupcu->setRange(0, 99);
    MezeraSloupcu = new TDelkaEdit(w);
    RozmerStitku = new QLabel(w);
    auto *columns = new QGroupBox(QStringLiteral("Dělení papíru:"), w);
    auto *cl = new QFormLayout(columns);
    cl->addRow(QStringLiteral("Počet sloupců tisku:"), PocetSloupcu);
    cl->addRow(QStringLiteral("Mezera mezi sloupci:"), MezeraSloupcu);
    cl->addRow(QStringLiteral("Rozměr štítku:"), RozmerStitku);

    NaVysku = new QRadioButton(QStringLiteral("na výšku"), w);
    NaSirku = new QRadioButton(QStringLiteral("na šířku"), w);
    PovolitOrientaci = new QCheckBox(QStringLiteral("Povolit změnu orientace"), w);
    auto *orient = new QGroupBox(QStringLiteral("Orientace papíru:"), w);
    auto *ol = new QVBoxLayout(orient);
    ol->addWidget(NaVysku);
    ol->addWidget(NaSirku);
    ol->addWidget(PovolitOrientaci);

    auto *grid = new QGridLayout(w);
    grid->addWidget(formats, 0, 0, 3, 1);
    grid->addWidget(margins, 0, 1);
    grid->addWidget(columns, 1, 1);
    grid->addWidget(orient, 2, 1);

    connect(Formaty, &QListWidget::currentRowChanged, this, &TSestDlg::paperChosen);
    connect(UkazBtn, &QPushButton::clicked, this, &TSestDlg::showFormat);
    connect(PridejBtn, &QPushButton::clicked, this, &TSestDlg::addFormat);
    connect(VynechBtn, &QPushButton::clicked, this, &TSestDlg::deleteFormat);
    for (QLineEdit *e : {static_cast<QLineEdit *>(OkrajLevy), static_cast<QLineEdit *>(OkrajPravy),
                         static_cast<QLineEdit *>(MezeraSloupcu)})
        connect(e, &QLineEdit::editingFinished, this, &TSestDlg::showPaperFigures);
    connect(PocetSloupcu, &QSpinBox::valueChanged, this, &TSestDlg::showPaperFigures);
    connect(NaSirku, &QRadioButton::toggled, this, &TSestDlg::showPaperFigures);
    return w;
}

QWidget *TSestDlg::buildRastr()
{
    auto *w = new QWidget(this);
    Graficky = new QRadioButton(QStringLiteral("Grafický"), w);
    Znakovy = new QRadioButton(QStringLiteral("Znakový"), w);
    auto *type = new QGroupBox(QStringLiteral("Typ rastru:"), w);
    auto *tl = new QVBoxLayout(type);
    tl->addWidget(Graficky);
    tl->addWidget(Znakovy);

    Roztec10 = new QRadioButton(QStringLiteral("10 znaků/palec"), w);
    Roztec12 = new QRadioButton(QStringLiteral("12 znaků/palec"), w);
    Roztec17 = new QRadioButton(QStringLiteral("17 znaků/palec"), w);
    auto *pitch = new QGroupBox(QStringLiteral("Rozteč znaků"), w);
    auto *pl = new QVBoxLayout(pitch);
    pl->addWidget(Roztec10);
    pl->addWidget(Roztec12);
    pl->addWidget(Roztec17);

    ZobrazovatRastr = new QCheckBox(QStringLiteral("Zobrazovat rastr"), w);
    ZarovnavatRastr = new QCheckBox(QStringLiteral("Zarovnávat do rastru"), w);
    RastrX = new TDelkaEdit(w);
    RastrY = new TDelkaEdit(w);
    Jednotky = new QComboBox(w);
    for (int i = 0; i < kUnitCount; ++i)
        Jednotky->addItem(UnitName(i));
    auto *gridBox = new QGroupBox(QStringLiteral("Rastr"), w);
    auto *gl = new QFormLayout(gridBox);
    gl->addRow(ZobrazovatRastr);
    gl->addRow(ZarovnavatRastr);
    gl->addRow(QStringLiteral("Rastr X:"), RastrX);
    gl->addRow(QStringLiteral("Rastr Y:"), RastrY);
    gl->addRow(QStringLiteral("Měrné jednotky:"), Jednotky);

    QGroupBox *bg = buildBackgroundGroup(w);

    auto *grid = new QGridLayout(w);
    grid->addWidget(type, 0, 0);
    grid->addWidget(pitch, 1, 0);
    grid->addWidget(gridBox, 0, 1, 2, 1);
    grid->addWidget(bg, 2, 0, 1, 2);

    connect(Znakovy, &QRadioButton::toggled, this, &TSestDlg::modeChanged);
    connect(Jednotky, &QComboBox::currentIndexChanged, this, &TSestDlg::setUnit);
    return w;
}

// "Pozadí:": the template's own background picture, whether it is printed, and where it lies.
QGroupBox *TSestDlg::buildBackgroundGroup(QWidget *w)
{
    VychoziPozadi = new QCheckBox(QStringLiteral("Výchozí nastavení"), w);
    TisknoutPozadi = new QCheckBox(QStringLiteral("Tisknout pozadí"), w);
    SouborPozadi = new QLineEdit(w);
    PozadiBtn = new QPushButton(QStringLiteral("..."), w);
    PozadiBtn->setToolTip(QStringLiteral("Vybrat soubor s obrázkem pozadí"));
    PozadiBtn->setMaximumWidth(32);
    CelyPapir = new QCheckBox(QStringLiteral("Celý papír"), w);
    PozadiLevy = new TDelkaEdit(w);
    PozadiHorni = new TDelkaEdit(w);
    PozadiSirka = new TDelkaEdit(w);
    PozadiVyska = new TDelkaEdit(w);
    auto *bg = new QGroupBox(QStringLiteral("Pozadí:"), w);
    auto *bl = new QGridLayout(bg);
    bl->addWidget(VychoziPozadi, 0, 0, 1, 2);
    bl->addWidget(TisknoutPozadi, 0, 2, 1, 2);
    auto *file = new QHBoxLayout;
    file->addWidget(SouborPozadi);
    file->addWidget(PozadiBtn);
    bl->addLayout(file, 1, 0, 1, 4);
    bl->addWidget(CelyPapir, 2, 0, 1, 4);
    bl->addWidget(new QLabel(QStringLiteral("Umístění:"), bg), 3, 0, 1, 4);
    bl->addWidget(new QLabel(QStringLiteral("Levý:"), bg), 4, 0);
    bl->addWidget(PozadiLevy, 4, 1);
    bl->addWidget(new QLabel(QStringLiteral("Horní:"), bg), 4, 2);
    bl->addWidget(PozadiHorni, 4, 3);
    bl->addWidget(new QLabel(QStringLiteral("Šířka:"), bg), 5, 0);
    bl->addWidget(PozadiSirka, 5, 1);
    bl->addWidget(new QLabel(QStringLiteral("Výška:"), bg), 5, 2);
    bl->addWidget(PozadiVyska, 5, 3);
    connect(PozadiBtn, &QPushButton::clicked, this, &TSestDlg::chooseBackground);
    auto bgEnable = [this] {
        const bool own = !VychoziPozadi->isChecked();
        for (QWidget *c : std::initializer_list<QWidget *>{TisknoutPozadi, SouborPozadi, PozadiBtn,
                                                           CelyPapir})
            c->setEnabled(own);
        for (QWidget *c : std::initializer_list<QWidget *>{PozadiLevy, PozadiHorni, PozadiSirka,
                                                           PozadiVyska})
            c->setEnabled(own && !CelyPapir->isChecked());
    };
    connect(VychoziPozadi, &QCheckBox::toggled, this, bgEnable);
    connect(CelyPapir, &QCheckBox::toggled, this, bgEnable);
    return bg;
}

QWidget *TSestDlg::buildOddily()
{
    auto *w = new QWidget(this);
    auto *sections = new QGroupBox(QStringLiteral("Oddíly sestavy"), w);
    auto *sl = new QGridLayout(sections);
    for (int k = 0; k < 5; ++k) {
        OddilViditelny[k] = new QCheckBox(QString::fromUtf8(kSectionCaptions[k]), sections);
        OddilVyska[k] = new TDelkaEdit(sections);
        sl->addWidget(OddilViditelny[k], k, 0);
        sl->addWidget(new QLabel(QStringLiteral("Výška:"), sections), k, 1);
        sl->addWidget(OddilVyska[k], k, 2);
    }
    auto *breaks = new QGroupBox(QStringLiteral("Stránkování"), w);
    auto *bl = new QVBoxLayout(breaks);
    NovaStrankaZaznam = new QCheckBox(QStringLiteral("Každý záznam na novou stránku"), breaks);
    ZaZacatkemNova = new QCheckBox(QStringLiteral("Za začátkem sestavy novou stránku"), breaks);
    KonecNaNovou = new QCheckBox(QStringLiteral("Konec sestavy na novou stránku"), breaks);
    KonecDole = new QCheckBox(QStringLiteral("Konec sestavy tisknout dole na stránce"), breaks);
    PrvniBezHlavy = new QCheckBox(QStringLiteral("Na první stránce netisknout hlavu"), breaks);
    PosledniBezHlavy = new QCheckBox(QStringLiteral("Na poslední stránce netisknout hlavu"), breaks);
    PosledniBezPaty = new QCheckBox(QStringLiteral("Na poslední stránce netisknout patu"), breaks);
    PataJenPrvni = new QCheckBox(QStringLiteral("Patu tisknout jen na první stránce"), breaks);
    for (QCheckBox *c : {NovaStrankaZaznam, ZaZacatkemNova, KonecNaNovou, KonecDole,
                         PrvniBezHlavy, PosledniBezHlavy, PosledniBezPaty, PataJenPrvni})
        bl->addWidget(c);
    auto *l = new QHBoxLayout(w);
    l->addWidget(sections, 0, Qt::AlignTop);
    l->addWidget(breaks, 0, Qt::AlignTop);
    return w;
}

QWidget *TSestDlg::buildSkupiny()
{
    auto *w = new QWidget(this);
    Skupiny = new QListWidget(w);
    Skupiny->setObjectName("Skupiny");
    PridatSkupinu = new QPushButton(QStringLiteral("Přidat skupinu"), w);
    ZrusitSkupinu = new QPushButton(QStringLiteral("Zrušit skupinu"), w);
    SkupinaVyraz = new QLineEdit(w);
    SkupinaVyraz->setToolTip(QStringLiteral("Výraz, při jehož změně začíná nová skupina, "
                                            "např. #Nazev"));
    SkupinaHlava = new QCheckBox(QStringLiteral("Začátek skupiny"), w);
    SkupinaPata = new QCheckBox(QStringLiteral("Konec skupiny"), w);
    SkupinaHlavaVyska = new TDelkaEdit(w);
    SkupinaPataVyska = new TDelkaEdit(w);
    SkupinaNovaStrana = new QCheckBox(QStringLiteral("Každou skupinu na novou stránku"), w);
    auto *edit = new QGroupBox(QStringLiteral("Vybraná skupina"), w);
    auto *el = new QGridLayout(edit);
    el->addWidget(new QLabel(QStringLiteral("Výraz skupiny:"), edit), 0, 0);
    el->addWidget(SkupinaVyraz, 0, 1, 1, 3);
    el->addWidget(SkupinaHlava, 1, 0);
    el->addWidget(new QLabel(QStringLiteral("Výška:"), edit), 1, 1);
    el->addWidget(SkupinaHlavaVyska, 1, 2);
    el->addWidget(SkupinaPata, 2, 0);
    el->addWidget(new QLabel(QStringLiteral("Výška:"), edit), 2, 1);
    el->addWidget(SkupinaPataVyska, 2, 2);
    el->addWidget(SkupinaNovaStrana, 3, 0, 1, 4);
    el->setRowStretch(4, 1);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(PridatSkupinu);
    buttons->addWidget(ZrusitSkupinu);
    buttons->addStretch();
    auto *l = new QHBoxLayout(w);
    l->addWidget(Skupiny, 1);
    l->addLayout(buttons);
    l->addWidget(edit, 2);

    connect(Skupiny, &QListWidget::currentRowChanged, this, &TSestDlg::groupChosen);
    connect(PridatSkupinu, &QPushButton::clicked, this, [this] {
        keepGroup();
        m_groups.push_back(GroupEdit{});
        Skupiny->addItem(TListSkupin::name(int(m_groups.size()) - 1));
        m_group = -1;
        Skupiny->setCurrentRow(int(m_groups.size()) - 1);
        SkupinaVyraz->setFocus();
    });
    connect(ZrusitSkupinu, &QPushButton::clicked, this, [this] {
        const int row = Skupiny->currentRow();
        if (row < 0 || row >= int(m_groups.size()))
            return;
        m_group = -1;   // the edits of the removed group are dropped
        m_groups.erase(m_groups.begin() + row);
        delete Skupiny->takeItem(row);
        for (int i = 0; i < Skupiny->count(); ++i)
            Skupiny->item(i)->setText(TListSkupin::name(i));
        groupChosen(Skupiny->currentRow());
    });
    return w;
}

QList<TDelkaEdit *> TSestDlg::lengthEdits() const
{
    QList<TDelkaEdit *> all{OkrajLevy,   OkrajPravy,  OkrajHorni,  OkrajDolni,
                            MezeraSloupcu, RastrX,    RastrY,      PozadiLevy,
                            PozadiHorni, PozadiSirka, PozadiVyska, SkupinaHlavaVyska,
                            SkupinaPataVyska};
    for (TDelkaEdit *e : OddilVyska)
        all << e;
    return all;
}

void TSestDlg::load()
{
    const TSestavaTyp &r = m_report;
    const TPageSetup &ps = r.Context.PageSetup;
    const int unit = std::clamp(r.UnitsIndex, 0, kUnitCount - 1);
    for (TDelkaEdit *e : lengthEdits())
        e->setUnit(unit);

    const QString path = r.GetTemplatePath();
    Soubor->setText(path.isEmpty() ? r.ReportName() : QFileInfo(path).absoluteFilePath());
    Kopie->setText(QString::number(r.PrintCopies));
    Stranky->setText(QStringLiteral("%1 až %2").arg(r.StartPage).arg(r.EndPage));
    MaxZaznamu->setText(r.MaxRecords > 0 ? QString::number(r.MaxRecords)
                                         : QStringLiteral("bez omezení"));
    Popis->setText(r.Popis);

    m_settingsFile = reportSettingsPath(r.IniFileName);
    m_formats.Load(m_settingsFile);
    m_paperWidth = ps.PaperWidth;
    m_paperHeight = ps.PaperHeight;
    fillFormats(m_formats.FindOrAdd(ps.PaperWidth, ps.PaperHeight));
    OkrajLevy->setValue(ps.MarginLeft);
    OkrajPravy->setValue(ps.MarginRight);
    OkrajHorni->setValue(ps.MarginTop);
    OkrajDolni->setValue(ps.MarginBottom);
    PocetSloupcu->setValue(std::clamp(r.Columns, 1, 99));
    MezeraSloupcu->setValue(r.ColumnGap);
    (ps.Orientation == 1 ? NaSirku : NaVysku)->setChecked(true);
    PovolitOrientaci->setChecked(ps.KeepPrinterOrientation);

    (r.CharacterMode ? Znakovy : Graficky)->setChecked(true);
    (r.PitchCode == 0 ? Roztec10 : r.PitchCode == 2 ? Roztec17 : Roztec12)->setChecked(true);
    ZobrazovatRastr->setChecked(r.ShowGrid);
    ZarovnavatRastr->setChecked(r.SnapToGrid);
    RastrX->setValue(r.GridX);
    RastrY->setValue(r.GridY);
    {
        const QSignalBlocker block(Jednotky);
        Jednotky->setCurrentIndex(unit);
    }
    VychoziPozadi->setChecked(!r.OwnBackground);
    TisknoutPozadi->setChecked(r.PrintOwnBackground);
    SouborPozadi->setText(r.BackgroundFile);
    CelyPapir->setChecked(!r.BackgroundPlaced);
    PozadiLevy->setValue(r.BackgroundLeft);
    PozadiHorni->setValue(r.BackgroundTop);
    PozadiSirka->setValue(r.BackgroundWidth);
    PozadiVyska->setValue(r.BackgroundHeight);
    emit VychoziPozadi->toggled(VychoziPozadi->isChecked());

    for (int k = 0; k < 5; ++k) {
        const TOddilSestavy *s = r.section(k);
        OddilViditelny[k]->setChecked(s && s->Visible);
        OddilVyska[k]->setValue(s ? s->Height : 0);
    }
    NovaStrankaZaznam->setChecked(r.NewPagePerRecord);
    ZaZacatkemNova->setChecked(r.BreakAfterReportHeader);
    KonecNaNovou->setChecked(r.BreakBeforeReportFooter);
    KonecDole->setChecked(r.ReportFooterAtBottom);
    PrvniBezHlavy->setChecked(r.NoHeaderOnFirstPage);
    PosledniBezHlavy->setChecked(r.NoHeaderAfterBreak);
    PosledniBezPaty->setChecked(r.NoFooterOnLastPage);
    PataJenPrvni->setChecked(r.FooterOnFirstPageOnly);

    m_groups.clear();
    for (int g = 0; g < r.Groups.count(); ++g) {
        const TPolSkup *grp = r.Groups.at(g);
        GroupEdit e;
        e.Source = g;
        e.Expression = grp->Expression;
        e.NewPage = grp->NewPage;
        e.HeaderVisible = grp->GroupHeader->Visible;
        e.HeaderHeight = grp->GroupHeader->Height;
        e.FooterVisible = grp->GroupFooter->Visible;
        e.FooterHeight = grp->GroupFooter->Height;
        m_groups.push_back(e);
        Skupiny->addItem(TListSkupin::name(g));
    }
    m_group = -1;
    if (!m_groups.empty())
        Skupiny->setCurrentRow(0);
    groupChosen(Skupiny->currentRow());
    modeChanged();
    showPaperFigures();
}

void TSestDlg::setUnit(int unit)
{
    for (TDelkaEdit *e : lengthEdits())
        e->setUnit(unit);
    showPaperFigures();
}

void TSestDlg::fillFormats(int row)
{
    const QSignalBlocker block(Formaty);
    Formaty->clear();
    for (int i = 0; i < m_formats.count(); ++i)
        Formaty->addItem(m_formats.Name(i));
    Formaty->setCurrentRow(row);
    const bool user = m_formats.isUserFormat(row);
    UkazBtn->setText(user ? QStringLiteral("Oprav") : QStringLiteral("Ukaž"));
    VynechBtn->setEnabled(user);
}

void TSestDlg::paperChosen(int row)
{
    if (row < 0 || row >= m_formats.count())
        return;
    m_paperWidth = m_formats.Format(row).Width;
    m_paperHeight = m_formats.Format(row).Height;
    const bool user = m_formats.isUserFormat(row);
    UkazBtn->setText(user ? QStringLiteral("Oprav") : QStringLiteral("Ukaž"));
    VynechBtn->setEnabled(user);
    showPaperFigures();
}

void TSestDlg::saveFormats()
{
    if (!m_formats.Save(m_settingsFile))
        showSestMessage(TSestMessageKind::Error, QString::fromUtf8(SestavaMessages::CaptionError),
                        QStringLiteral("Seznam formátů papíru se nepodařilo uložit do souboru "
                                       "\"%1\".")
                            .arg(m_settingsFile));
}

void TSestDlg::addFormat()
{
    const int from = Formaty->currentRow();
    const int w = from >= 0 ? m_formats.Format(from).Width : m_paperWidth;
    const int h = from >= 0 ? m_formats.Format(from).Height : m_paperHeight;
    const int index = m_formats.Add(UserFormatName(), w, h);
    const int unit = Jednotky->currentIndex();
    if (EditFormat(m_formats, index, true, unit, UnitName(unit), this) != QDialog::Accepted) {
        m_formats.Delete(index);
        return;
    }
    saveFormats();
    fillFormats(index);
    paperChosen(index);
}

void TSestDlg::deleteFormat()
{
    const int row = Formaty->currentRow();
    if (!m_formats.isUserFormat(row))
        return;
    if (!showSestMessage(TSestMessageKind::Confirm,
                         QString::fromUtf8(SestavaMessages::CaptionConfirm),
                         QStringLiteral("Zrušit vybraný uživatelský formát?")))
        return;
    m_formats.Delete(row);
    saveFormats();
    const int next = std::min(row, m_formats.count() - 1);
    fillFormats(next);
    paperChosen(next);
}

void TSestDlg::showPaperFigures()
{
    const int unit = Jednotky->currentIndex();
    const TPageSetup ps = pageFromControls();
    RozmerPapiru->setText(sizeText(ps.sheetWidth(), ps.sheetHeight(), unit));
    const int columns = std::max(1, PocetSloupcu->value());
    const int width = (ps.printableWidth() - (columns - 1) * MezeraSloupcu->value()) / columns;
    RozmerStitku->setText(sizeText(width, ps.printableHeight(), unit));
}

void TSestDlg::showFormat()
{
    const int row = Formaty->currentRow();
    if (row < 0 || row >= m_formats.count())
        return;
    const bool user = m_formats.isUserFormat(row);
    const int unit = Jednotky->currentIndex();
    if (EditFormat(m_formats, row, user, unit, UnitName(unit), this) == QDialog::Accepted && user) {
        saveFormats();
        fillFormats(row);
        paperChosen(row);
    }
}

void TSestDlg::modeChanged()
{
    const bool character = Znakovy->isChecked();
    for (QWidget *c : std::initializer_list<QWidget *>{Roztec10, Roztec12, Roztec17})
        c->setEnabled(character);
    RastrX->setEnabled(!character);
    RastrY->setEnabled(!character);
}

void TSestDlg::groupChosen(int row)
{
    keepGroup();
    m_group = row >= 0 && row < int(m_groups.size()) ? row : -1;
    const bool any = m_group >= 0;
    for (QWidget *c : std::initializer_list<QWidget *>{SkupinaVyraz, SkupinaHlava, SkupinaPata,
                                                       SkupinaHlavaVyska, SkupinaPataVyska,
                                                       SkupinaNovaStrana, ZrusitSkupinu})
        c->setEnabled(any);
    const GroupEdit e = any ? m_groups[size_t(m_group)] : GroupEdit{};
    SkupinaVyraz->setText(any ? e.Expression : QString());
    SkupinaHlava->setChecked(e.HeaderVisible);
    SkupinaPata->setChecked(e.FooterVisible);
    SkupinaHlavaVyska->setValue(e.HeaderHeight);
    SkupinaPataVyska->setValue(e.FooterHeight);
    SkupinaNovaStrana->setChecked(e.NewPage);
}

void TSestDlg::keepGroup()
{
    if (m_group < 0 || m_group >= int(m_groups.size()))
        return;
    GroupEdit &e = m_groups[size_t(m_group)];
    e.Expression = SkupinaVyraz->text().trimmed();
    e.HeaderVisible = SkupinaHlava->isChecked();
    e.FooterVisible = SkupinaPata->isChecked();
    e.HeaderHeight = std::max(0, SkupinaHlavaVyska->value());
    e.FooterHeight = std::max(0, SkupinaPataVyska->value());
    e.NewPage = SkupinaNovaStrana->isChecked();
}

void TSestDlg::chooseBackground()
{
    const QString start = SouborPozadi->text().isEmpty()
                              ? QFileInfo(m_report.GetTemplatePath()).absolutePath()
                              : QFileInfo(SouborPozadi->text()).absolutePath();
    const QString file = QFileDialog::getOpenFileName(
        this, QStringLiteral("Obrázek pozadí"), start,
        QStringLiteral("Obrázky (*.bmp *.jpg *.jpeg *.png *.emf *.wmf);;Všechny soubory (*)"));
    if (!file.isEmpty())
        SouborPozadi->setText(file);
}

TPageSetup TSestDlg::pageFromControls() const
{
    TPageSetup ps = m_report.Context.PageSetup;
    ps.PaperWidth = m_paperWidth;
    ps.PaperHeight = m_paperHeight;
    ps.Orientation = NaSirku->isChecked() ? 1 : 0;
    ps.KeepPrinterOrientation = PovolitOrientaci->isChecked();
    ps.MarginLeft = OkrajLevy->value();
    ps.MarginRight = OkrajPravy->value();
    ps.MarginTop = OkrajHorni->value();
    ps.MarginBottom = OkrajDolni->value();
    return ps;
}

void TSestDlg::accept()
{
    keepGroup();
    // A group expression that does not compile would make one group of the whole report.
    for (size_t g = 0; g < m_groups.size(); ++g) {
        if (checkExpression(&m_report, m_groups[g].Expression).compiles())
            continue;
        Tabs->setTabVisible(pgSkupiny, true);
        Tabs->setCurrentIndex(pgSkupiny);
        Skupiny->setCurrentRow(int(g));
        refuseBadExpression(m_report, SkupinaVyraz);
        return;
    }
    TPageSetup ps = pageFromControls();
    if (!marginsAccepted(ps))
        return;
    storePageAndGrid(ps);
    storeBandsAndBackground();
    storeGroups();
    QDialog::accept();
}

// Shows the tab of the field, the message, and puts the cursor into the field.
void TSestDlg::refuseValue(QWidget *field, const QString &text)
{
    for (int i = 0; i < Tabs->count(); ++i)
        if (Tabs->widget(i)->isAncestorOf(field) && Tabs->isTabVisible(i))
            Tabs->setCurrentIndex(i);
    showSestMessage(TSestMessageKind::Error, QString::fromUtf8(SestavaMessages::CaptionError),
                    text);
    field->setFocus();
}

// Margins that leave no room on the paper are refused; margins the printer cannot print
// may be widened to what it can. False when the dialog stays open.
bool TSestDlg::marginsAccepted(TPageSetup &ps)
{
    if (ps.MarginLeft < 0 || ps.MarginRight < 0 || ps.MarginTop < 0 || ps.MarginBottom < 0) {
        refuseValue(OkrajLevy, QStringLiteral("Okraje papíru nesmějí být záporné."));
        return false;
    }
    if (ps.printableWidth() < 1) {
        refuseValue(OkrajLevy, QStringLiteral("Levý a pravý okraj jsou dohromady širší než papír: "
                                              "na stránce nezbývá žádné místo pro tisk. "
                                              "Zmenšete okraje."));
        return false;
    }
    if (ps.printableHeight() < 1) {
        refuseValue(OkrajHorni, QStringLiteral("Horní a dolní okraj jsou dohromady vyšší než "
                                               "papír: na stránce nezbývá žádné místo pro "
                                               "tisk. Zmenšete okraje."));
        return false;
    }
    if (!Znakovy->isChecked()
        && !CheckMargins(ps.Orientation, ps.MarginLeft, ps.MarginTop, ps.MarginBottom,
                         ps.MarginRight)) {
        switch (askYesNoCancel(QString::fromUtf8(SestavaMessages::CaptionConfirm),
                               QStringLiteral("Nastavené okraje tisku jsou menší, než umožňuje "
                                              "připojená tiskárna. Upravit velikost okrajů podle "
                                              "možností tiskárny?"))) {
        case TAnswer::Yes:
            AdjustMargins(ps.Orientation, ps.MarginLeft, ps.MarginTop, ps.MarginRight,
                          ps.MarginBottom);
            break;
        case TAnswer::No:
            break;
        case TAnswer::Cancel:
            return false;
        }
    }
    return true;
}

// The display unit, the page setup and columns, the grid.
void TSestDlg::storePageAndGrid(const TPageSetup &ps)
{
    TSestavaTyp &r = m_report;
    r.UnitsIndex = Jednotky->currentIndex();
    r.Context.PageSetup = ps;
    r.Columns = std::max(1, PocetSloupcu->value());
    r.ColumnGap = std::max(0, MezeraSloupcu->value());
    const bool character = Znakovy->isChecked();
    r.CharacterMode = character;
    r.PitchCode = Roztec10->isChecked() ? 0 : Roztec17->isChecked() ? 2 : 1;
    r.ShowGrid = ZobrazovatRastr->isChecked();
    r.SnapToGrid = ZarovnavatRastr->isChecked();
    r.UpdateCharacterMetrics();
    if (character) {
        const double cw = r.PitchCode == 0 ? 10.0 : r.PitchCode == 1 ? 100.0 / 12 : 100.0 / 17;
        const double lh = r.LineHeightCode == 1   ? 25.0
                          : r.LineHeightCode == 2 ? 100.0 / 3
                                                  : 100.0 / 6;
        r.GridX = int(cw);
        r.GridY = int(lh);
    } else {
        r.GridX = RastrX->value();
        r.GridY = RastrY->value();
    }
    // A grid step below 1 would be divided by: it becomes 8, as when a template is read.
    if (r.GridX < 1)
        r.GridX = 8;
    if (r.GridY < 1)
        r.GridY = 8;
}

// The background, the description, the sections and the page-break flags.
void TSestDlg::storeBandsAndBackground()
{
    TSestavaTyp &r = m_report;
    r.OwnBackground = !VychoziPozadi->isChecked();
    r.PrintOwnBackground = TisknoutPozadi->isChecked();
    r.BackgroundFile = SouborPozadi->text().trimmed();
    r.BackgroundPlaced = !CelyPapir->isChecked();
    r.BackgroundLeft = PozadiLevy->value();
    r.BackgroundTop = PozadiHorni->value();
    r.BackgroundWidth = std::max(0, PozadiSirka->value());
    r.BackgroundHeight = std::max(0, PozadiVyska->value());
    r.Popis = Popis->text();
    for (int k = 0; k < 5; ++k) {
        TOddilSestavy *s = r.section(k);
        if (!s)
            continue;
        s->Visible = OddilViditelny[k]->isChecked();
        s->Height = std::max(0, OddilVyska[k]->value());
    }
    r.NewPagePerRecord = NovaStrankaZaznam->isChecked();
    r.BreakAfterReportHeader = ZaZacatkemNova->isChecked();
    r.BreakBeforeReportFooter = KonecNaNovou->isChecked();
    r.ReportFooterAtBottom = KonecDole->isChecked();
    r.NoHeaderOnFirstPage = PrvniBezHlavy->isChecked();
    r.NoHeaderAfterBreak = PosledniBezHlavy->isChecked();
    r.NoFooterOnLastPage = PosledniBezPaty->isChecked();
    r.FooterOnFirstPageOnly = PataJenPrvni->isChecked();
}

// Groups: removed ones (with their sections and elements) from the last, then the kept
// ones updated in place, then the new ones appended.
void TSestDlg::storeGroups()
{
    TSestavaTyp &r = m_report;
    std::vector<bool> kept(size_t(r.Groups.count()), false);
    for (const GroupEdit &e : m_groups)
        if (e.Source >= 0 && e.Source < int(kept.size()))
            kept[size_t(e.Source)] = true;
    std::vector<int> newIndex(kept.size(), -1);
    for (int g = 0, n = 0; g < int(kept.size()); ++g)
        if (kept[size_t(g)])
            newIndex[size_t(g)] = n++;
    for (int g = int(kept.size()) - 1; g >= 0; --g)
        if (!kept[size_t(g)])
            r.DeleteGroup(g);
    for (const GroupEdit &e : m_groups) {
        TPolSkup *grp = nullptr;
        if (e.Source >= 0 && e.Source < int(newIndex.size()))
            grp = r.Groups.at(newIndex[size_t(e.Source)]);
        if (!grp) {
            r.AddGroup(r.Groups.count(), e.Expression, e.NewPage, e.FooterHeight, e.FooterVisible,
                       e.HeaderHeight, e.HeaderVisible);
            continue;
        }
        grp->Expression = e.Expression;
        grp->NewPage = e.NewPage;
        grp->GroupHeader->Visible = e.HeaderVisible;
        grp->GroupHeader->Height = e.HeaderHeight;
        grp->GroupFooter->Visible = e.FooterVisible;
        grp->GroupFooter->Height = e.FooterHeight;
    }
}

bool EditReportSettings(TSestavaTyp &report, int page, QWidget *parent)
{
    TSestDlg dlg(report, page, parent);
    return dlg.exec() == QDialog::Accepted;
}

} // namespace orv
