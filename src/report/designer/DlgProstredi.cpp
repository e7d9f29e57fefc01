#include "report/designer/ReportHelp.h"
#include "report/designer/DlgProstredi.h"

#include "report/model/ReportElement.h"
#include "report/model/SestavaMessages.h"
#include "report/output/PrinterMetrics.h"
#include "report/output/ReportUnits.h"
#include "report/output/Sestava.h"

#include <QCheckBox>
#include <QCollator>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace orv {

QStringList paletteColorNames()
{
    return {QStringLiteral("černá"),       QStringLiteral("kaštanová"), QStringLiteral("zelená"),
            QStringLiteral("olivová"),     QStringLiteral("ultramarínová"),
            QStringLiteral("purpurová"),   QStringLiteral("šedozelená"), QStringLiteral("šedá"),
            QStringLiteral("stříbrná"),    QStringLiteral("červená"),
            QStringLiteral("žlutozelená"), QStringLiteral("žlutá"),     QStringLiteral("modrá"),
            QStringLiteral("růžová"),      QStringLiteral("akvamarínová"), QStringLiteral("bílá")};
}

QStringList charsetNames()
{
    return {QStringLiteral("ANSI"),          QStringLiteral("řecká"),
            QStringLiteral("turecká"),       QStringLiteral("baltská"),
            QStringLiteral("středoevropská"), QStringLiteral("cyrilice"),
            QStringLiteral("symboly"),       QStringLiteral("výchozí")};
}

QStringList fontChoice(bool alphabetical)
{
    QStringList names = ReportFontNames();
    if (alphabetical) {
        QCollator coll{QLocale(QLocale::Czech)};
        coll.setCaseSensitivity(Qt::CaseInsensitive);
        std::sort(names.begin(), names.end(), coll);
    }
    return names;
}

namespace {

QIcon colorSwatch(TColor c)
{
    QPixmap pm(16, 12);
    pm.fill(toQColor(c));
    return QIcon(pm);
}

QSpinBox *spin(int min, int max, QWidget *parent)
{
    auto *s = new QSpinBox(parent);
    s->setRange(min, max);
    return s;
}

QComboBox *alignmentCombo(QWidget *parent)
{
    auto *c = new QComboBox(parent);
    c->addItems({QStringLiteral("Vlevo"), QStringLiteral("Vpravo"), QStringLiteral("Uprostřed")});
    return c;
}

QString styleText(int style)
{
    QStringList parts;
    if (style & fsBold)
        parts << QStringLiteral("tučné");
    if (style & fsItalic)
        parts << QStringLiteral("kurzíva");
    if (style & fsUnderline)
        parts << QStringLiteral("podtržené");
    if (style & fsStrikeOut)
        parts << QStringLiteral("přeškrtnuté");
    return parts.isEmpty() ? QStringLiteral("obyčejné") : parts.join(QStringLiteral(", "));
}

} // namespace

// ---------------------------------------------------------------- font of new elements

TDlgPismo::TDlgPismo(const TEditorSettings &s, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Předvolené písmo"));
    Nazev = new QComboBox(this);
    Nazev->setEditable(true);
    Nazev->setInsertPolicy(QComboBox::NoInsert);
    Nazev->addItems(fontChoice(s.PismaAbec));
    // A name that is not installed stays as it is: fontconfig substitutes it when drawing.
    Nazev->setCurrentText(s.ImplNazevFontu);
    Velikost = spin(1, 999, this);
    Velikost->setValue(fontSizeFromStored(s.ImplVyskaFontu));
    Barva = new QComboBox(this);
    const QStringList colors = paletteColorNames();
    for (int i = 0; i < colors.size(); ++i)
        Barva->addItem(colorSwatch(paletteColor(i)), colors.at(i));
    if (s.ImplBarvaFontu >= 0 && s.ImplBarvaFontu <= 15) {
        Barva->setCurrentIndex(s.ImplBarvaFontu);
    } else {
        m_customColor = s.ImplBarvaFontu;
        Barva->addItem(colorSwatch(colorFromField(s.ImplBarvaFontu)),
                       QStringLiteral("vlastní (%1)").arg(toQColor(colorFromField(s.ImplBarvaFontu)).name()));
        Barva->setCurrentIndex(16);
    }
    Tucne = new QCheckBox(QStringLiteral("Tučné"), this);
    Kurziva = new QCheckBox(QStringLiteral("Kurzíva"), this);
    Podtrzene = new QCheckBox(QStringLiteral("Podtržené"), this);
    Preskrtnute = new QCheckBox(QStringLiteral("Přeškrtnuté"), this);
    Tucne->setChecked(s.ImplStylFontu & fsBold);
    Kurziva->setChecked(s.ImplStylFontu & fsItalic);
    Podtrzene->setChecked(s.ImplStylFontu & fsUnderline);
    Preskrtnute->setChecked(s.ImplStylFontu & fsStrikeOut);
    Skript = new QComboBox(this);
    Skript->addItems(charsetNames());
    Skript->setCurrentIndex(PositionOfCharset(s.ImplSkriptFontu));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Písmo:"), Nazev);
    form->addRow(QStringLiteral("Velikost (body):"), Velikost);
    form->addRow(QStringLiteral("Barva:"), Barva);
    auto *styles = new QHBoxLayout;
    for (QCheckBox *c : {Tucne, Kurziva, Podtrzene, Preskrtnute})
        styles->addWidget(c);
    form->addRow(QStringLiteral("Řez:"), styles);
    form->addRow(QStringLiteral("Znaková sada:"), Skript);
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Storno"), this);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addLayout(buttons);
}

void TDlgPismo::applyTo(TEditorSettings &s) const
{
    const QString name = Nazev->currentText().trimmed().left(32);
    if (!name.isEmpty())
        s.ImplNazevFontu = name;
    s.ImplVyskaFontu = Velikost->value();
    s.ImplBarvaFontu = Barva->currentIndex() == 16 ? m_customColor : Barva->currentIndex();
    s.ImplStylFontu = (Tucne->isChecked() ? fsBold : 0) | (Kurziva->isChecked() ? fsItalic : 0)
                      | (Podtrzene->isChecked() ? fsUnderline : 0)
                      | (Preskrtnute->isChecked() ? fsStrikeOut : 0);
    s.ImplSkriptFontu = CharsetAtPosition(Skript->currentIndex());
}

// ---------------------------------------------------------------- the settings window

TDlgProstredi::TDlgProstredi(const TEditorSettings &settings, const QString &settingsPath,
                             QWidget *parent)
    : QDialog(parent), m_path(settingsPath)
{
    installHelpKey(this, QStringLiteral("SestavyProstredi.htm"));
    TEditorSettings s = settings;
    s.normalise();
    m_font = s;
    setWindowTitle(QStringLiteral("Prostředí editoru sestav"));
    setObjectName(QStringLiteral("TDlgProstredi"));
    Tabs = new QTabWidget(this);
    Tabs->addTab(buildEnvironmentTab(), QStringLiteral("Prostředí"));
    Tabs->addTab(buildGridTab(), QStringLiteral("Rastr"));
    Tabs->addTab(buildDefaultsTab(), QStringLiteral("Předvolby"));
    buildButtons();
    showSettings(s);
    showSample();
}

QWidget *TDlgProstredi::buildEnvironmentTab()
{
    auto *env = new QWidget(Tabs);
    MazaniJedne = new QCheckBox(QStringLiteral("Potvrdit mazání jednoho prvku"), env);
    MazaniVice = new QCheckBox(QStringLiteral("Potvrdit mazání více prvků"), env);
    PosunMimo = new QCheckBox(QStringLiteral("Povolit přesun prvku mimo oddíl"), env);
    PocetUndo = spin(1, 999, env);
    UndoSave = new QCheckBox(QStringLiteral("Sledovat změny i po uložení na disk"), env);
    ShowTree = new QCheckBox(QStringLiteral("Zobrazit strom prvků předlohy"), env);
    ShowRulesLR = new QCheckBox(QStringLiteral("Zobrazit svislá pravítka vzdáleností"), env);
    ShowRulesTB = new QCheckBox(QStringLiteral("Zobrazit vodorovná pravítka vzdáleností"), env);
    TrackingH = new QCheckBox(QStringLiteral("Překreslovat běhen vodorovného posuvu"), env);
    TrackingV = new QCheckBox(QStringLiteral("Překreslovat během svislého posuvu"), env);
    Vodici = new QCheckBox(QStringLiteral("Zobrazovat vodicí čáry při přesunu a změně velikosti"), env);
    UseUnits = new QComboBox(env);
    for (int i = 0; i < kUnitCount; ++i)
        UseUnits->addItem(UnitName(i));
    {
        auto *l = new QVBoxLayout(env);
        for (QCheckBox *c : {MazaniJedne, MazaniVice, PosunMimo})
            l->addWidget(c);
        auto *undo = new QFormLayout;
        undo->addRow(QStringLiteral("Maximální počet kroků sledování změn:"), PocetUndo);
        l->addLayout(undo);
        for (QCheckBox *c : {UndoSave, ShowTree, ShowRulesLR, ShowRulesTB, TrackingH, TrackingV, Vodici})
            l->addWidget(c);
        auto *units = new QFormLayout;
        units->addRow(QStringLiteral("Výchozí měrné jednotky:"), UseUnits);
        l->addLayout(units);
        l->addStretch();
    }
    return env;
}

QWidget *TDlgProstredi::buildGridTab()
{
    auto *grid = new QWidget(Tabs);
    RastrX = spin(1, 999, grid);
    RastrY = spin(1, 999, grid);
    RastrX->setSuffix(QStringLiteral(" (0,01 palce)"));
    RastrY->setSuffix(QStringLiteral(" (0,01 palce)"));
    RastrZobrazovat = new QCheckBox(QStringLiteral("Zobrazovat rastr"), grid);
    RastrZarovnavat = new QCheckBox(QStringLiteral("Zarovnávat do rastru"), grid);
    {
        auto *l = new QVBoxLayout(grid);
        auto *f = new QFormLayout;
        f->addRow(QStringLiteral("Rastr X:"), RastrX);
        f->addRow(QStringLiteral("Rastr Y:"), RastrY);
        l->addLayout(f);
        l->addWidget(RastrZobrazovat);
        l->addWidget(RastrZarovnavat);
        l->addStretch();
    }
    return grid;
}

QWidget *TDlgProstredi::buildDefaultsTab()
{
    auto *pref = new QWidget(Tabs);
    SledPodle = new QCheckBox(QStringLiteral("Sledovat podle názvu"), pref);
    PopisyPol = new QCheckBox(QStringLiteral("Místo názvů položek používat popisy"), pref);
    PismaAbec = new QCheckBox(QStringLiteral("Nabídku písem řadit podle abecedy"), pref);
    ImplSirka = spin(1, 9999, pref);
    ImplVyska = spin(1, 9999, pref);
    ImplSirka->setSuffix(QStringLiteral(" (0,01 palce)"));
    ImplVyska->setSuffix(QStringLiteral(" (0,01 palce)"));
    ImplZarovnani = alignmentCombo(pref);
    ImplZarovnaniCi = alignmentCombo(pref);
    PismoBtn = new QPushButton(QStringLiteral("Předvolené písmo ..."), pref);
    Vzorek = new QLabel(QStringLiteral("ÁBČDábčd"), pref);
    Vzorek->setObjectName("Vzorek");
    Vzorek->setMinimumHeight(48);
    Vzorek->setFrameShape(QFrame::StyledPanel);
    Vzorek->setAlignment(Qt::AlignCenter);
    {
        auto *l = new QVBoxLayout(pref);
        l->addWidget(SledPodle);
        l->addWidget(PopisyPol);
        l->addWidget(PismaAbec);
        auto *box = new QGroupBox(QStringLiteral("Počáteční vlastnosti vkládaných položek:"), pref);
        auto *f = new QFormLayout(box);
        f->addRow(QStringLiteral("Šířka položky:"), ImplSirka);
        f->addRow(QStringLiteral("Výška položky:"), ImplVyska);
        f->addRow(QStringLiteral("Zarovnání textu:"), ImplZarovnani);
        f->addRow(QStringLiteral("Zarovnání čísel:"), ImplZarovnaniCi);
        f->addRow(PismoBtn, Vzorek);
        l->addWidget(box);
        l->addStretch();
    }
    return pref;
}

// The button row under the tabs, and what every button of the window does.
void TDlgProstredi::buildButtons()
{
    KonecBtn = new QPushButton(QStringLiteral("&Konec"), this);
    KonecBtn->setDefault(true);
    StornoBtn = new QPushButton(QStringLiteral("Storno"), this);
    TiskarnaBtn = new QPushButton(QStringLiteral("&Tiskárna.."), this);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(TiskarnaBtn);
    buttons->addStretch();
    buttons->addWidget(KonecBtn);
    buttons->addWidget(StornoBtn);
    auto *top = new QVBoxLayout(this);
    top->addWidget(Tabs);
    top->addLayout(buttons);

    connect(KonecBtn, &QPushButton::clicked, this, &TDlgProstredi::accept);
    connect(StornoBtn, &QPushButton::clicked, this, &TDlgProstredi::reject);
    connect(TiskarnaBtn, &QPushButton::clicked, this, &TDlgProstredi::choosePrinter);
    connect(PismoBtn, &QPushButton::clicked, this, [this] {
        TEditorSettings cur = m_font;
        cur.PismaAbec = PismaAbec->isChecked();
        TDlgPismo dlg(cur, this);
        if (dlg.exec() == QDialog::Accepted) {
            dlg.applyTo(m_font);
            showSample();
        }
    });
}

void TDlgProstredi::showSettings(const TEditorSettings &s)
{
    MazaniJedne->setChecked(s.MazaniJedne);
    MazaniVice->setChecked(s.MazaniVice);
    PosunMimo->setChecked(s.PosunMimo);
    PocetUndo->setValue(s.PocetUndo);
    UndoSave->setChecked(s.UndoSave);
    ShowTree->setChecked(s.ShowTree);
    ShowRulesLR->setChecked(s.ShowRulesLR);
    ShowRulesTB->setChecked(s.ShowRulesTB);
    TrackingH->setChecked(s.TrackingH);
    TrackingV->setChecked(s.TrackingV);
    Vodici->setChecked(s.Vodici);
    UseUnits->setCurrentIndex(s.UseUnits);
    RastrX->setValue(s.RastrX);
    RastrY->setValue(s.RastrY);
    RastrZobrazovat->setChecked(s.RastrZobrazovat);
    RastrZarovnavat->setChecked(s.RastrZarovnavat);
    SledPodle->setChecked(s.SledPodle);
    PopisyPol->setChecked(s.PopisyPol);
    PismaAbec->setChecked(s.PismaAbec);
    ImplSirka->setValue(s.ImplSirka);
    ImplVyska->setValue(s.ImplVyska);
    ImplZarovnani->setCurrentIndex(s.ImplZarovnani);
    ImplZarovnaniCi->setCurrentIndex(s.ImplZarovnaniCi);
}

void TDlgProstredi::showSample()
{
    QFont f(m_font.ImplNazevFontu);
    f.setPointSize(std::clamp(m_font.ImplVyskaFontu, 1, 72));
    f.setBold(m_font.ImplStylFontu & fsBold);
    f.setItalic(m_font.ImplStylFontu & fsItalic);
    f.setUnderline(m_font.ImplStylFontu & fsUnderline);
    f.setStrikeOut(m_font.ImplStylFontu & fsStrikeOut);
    Vzorek->setFont(f);
    QPalette pal = Vzorek->palette();
    pal.setColor(QPalette::WindowText, toQColor(colorFromField(m_font.ImplBarvaFontu)));
    Vzorek->setPalette(pal);
    Vzorek->setToolTip(QStringLiteral("%1, %2 b., %3")
                           .arg(m_font.ImplNazevFontu)
                           .arg(m_font.ImplVyskaFontu)
                           .arg(styleText(m_font.ImplStylFontu)));
}

void TDlgProstredi::choosePrinter()
{
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        showSestMessage(TSestMessageKind::Information,
                        QString::fromUtf8(SestavaMessages::CaptionInformation),
                        QString::fromUtf8(SestavaMessages::NoPrinter));
        return;
    }
    QPrinter own;
    QPrinter *printer = currentPrinter() ? currentPrinter() : &own;
    QPrintDialog dlg(printer, this);
    dlg.setWindowTitle(QStringLiteral("Nastavení tiskárny"));
    if (dlg.exec() == QDialog::Accepted && printer == &own) {
        // The session keeps the chosen printer; it owns it from now on.
        auto chosen = std::make_shared<QPrinter>();
        chosen->setPrinterName(own.printerName());
        chosen->setPageLayout(own.pageLayout());
        SetCurrentPrinter(std::move(chosen));
    }
}

TEditorSettings TDlgProstredi::settings() const
{
    TEditorSettings s = m_font;
    s.MazaniJedne = MazaniJedne->isChecked();
    s.MazaniVice = MazaniVice->isChecked();
    s.PosunMimo = PosunMimo->isChecked();
    s.PocetUndo = PocetUndo->value();
    s.UndoSave = UndoSave->isChecked();
    s.ShowTree = ShowTree->isChecked();
    s.ShowRulesLR = ShowRulesLR->isChecked();
    s.ShowRulesTB = ShowRulesTB->isChecked();
    s.TrackingH = TrackingH->isChecked();
    s.TrackingV = TrackingV->isChecked();
    s.Vodici = Vodici->isChecked();
    s.UseUnits = UseUnits->currentIndex();
    s.RastrX = RastrX->value();
    s.RastrY = RastrY->value();
    s.RastrZobrazovat = RastrZobrazovat->isChecked();
    s.RastrZarovnavat = RastrZarovnavat->isChecked();
    s.SledPodle = SledPodle->isChecked();
    s.PopisyPol = PopisyPol->isChecked();
    s.PismaAbec = PismaAbec->isChecked();
    s.ImplSirka = ImplSirka->value();
    s.ImplVyska = ImplVyska->value();
    s.ImplZarovnani = ImplZarovnani->currentIndex();
    s.ImplZarovnaniCi = ImplZarovnaniCi->currentIndex();
    s.normalise();
    return s;
}

void TDlgProstredi::accept()
{
    if (!m_path.isEmpty() && !settings().save(m_path)) {
        showSestMessage(TSestMessageKind::Error, QString::fromUtf8(SestavaMessages::CaptionError),
                        QStringLiteral("Nastavení prostředí se nepodařilo uložit do souboru \"%1\".")
                            .arg(m_path));
        return;
    }
    QDialog::accept();
}

bool EditEnvironment(TSestavaTyp &report, TEditorSettings &settings, QWidget *parent)
{
    loadEditorSettings(&report, settings);
    TDlgProstredi dlg(settings, reportSettingsPath(report.IniFileName), parent);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    const int zoom = settings.ImplMeritko;
    settings = dlg.settings();
    settings.ImplMeritko = zoom;
    return true;
}

} // namespace orv
