#include "report/designer/ReportHelp.h"
#include "report/designer/DlgKonfPrvku.h"

#include "report/designer/DlgFunkce.h"
#include "report/designer/DlgProstredi.h"
#include "report/designer/DlgVyraz.h"
#include "report/model/ExpressionEditor.h"
#include "report/designer/SestDlg.h"
#include "report/model/Bridge.h"
#include "report/model/NumberFormat.h"
#include "report/output/Barcode.h"
#include "report/output/ReportUnits.h"
#include "report/output/Sestava.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace orv {

namespace {

const int kSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};


// A whole number, or the fall-back.
int wholeNumber(const QLineEdit *e, int fallback)
{
    bool ok = false;
    const int v = e->text().trimmed().toInt(&ok);
    return ok ? v : fallback;
}

QStringList elementCharsetNames()
{
    return {QStringLiteral("západní"),  QStringLiteral("řecký"),  QStringLiteral("turecký"),
            QStringLiteral("pobaltský"), QStringLiteral("středoevropský"),
            QStringLiteral("cyrilice"), QStringLiteral("symboly"), QStringLiteral("default")};
}

QToolButton *frameButton(const QString &text, const QString &tip, QWidget *parent)
{
    auto *b = new QToolButton(parent);
    b->setText(text);
    b->setToolTip(tip);
    b->setCheckable(true);
    b->setMinimumWidth(32);
    return b;
}

bool isDateField(int type)
{
    return type == ftDate || type == ftDateTime || type == ftTime;
}

// A function that prints one field with a picture: FORMAT(#field,'picture') for numbers,
// FORMATDT(#field,'picture') for dates; the field by number (from 1) or by name.
const QRegularExpression &formatFunctionPattern()
{
    static const QRegularExpression re(
        QStringLiteral("^\\s*(FORMAT|FORMATDT)\\s*\\(\\s*#([A-Za-z_][A-Za-z0-9_$]*|\\d+)\\s*,\\s*'((?:[^']|'')*)'\\s*\\)\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    return re;
}

QString quotedPicture(const QString &picture)
{
    return u'\'' + QString(picture).replace(u'\'', QStringLiteral("''")) + u'\'';
}

// A function name of letters and digits from the stem and the field, not yet in the list.
QString freeFunctionName(const TListFunkci &functions, const QString &stem, const QString &field)
{
    QString base = stem;
    for (const QChar c : field)
        if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9'))
            base += c;
    base = base.left(28);
    QString name = base;
    for (int i = 2; functions.FindByName(name) >= 0; ++i)
        name = base + QString::number(i);
    return name;
}

} // namespace

TDlgKonfPrvku::Version TDlgKonfPrvku::versionOf(int kind)
{
    if (isTextKind(kind))
        return vText;
    if (kind == ekBarcode)
        return vBarcode;
    return vGeneral;
}

bool TDlgKonfPrvku::canOpen(const TSestavaTyp &report, const TSiReportElement &e)
{
    if (e.Kind == ekDetail || !isKnownKind(e.Kind))
        return false;
    if ((e.Kind == ekField || e.Kind == ekFieldLabel)
        && (e.SourceIndex < 0 || e.SourceIndex >= std::max(report.FieldCount(), 1)))
        return false;
    if (e.Kind == ekFunction && (e.SourceIndex < 0 || e.SourceIndex >= report.Functions.count()))
        return false;
    return true;
}

TDlgKonfPrvku::TDlgKonfPrvku(TSestavaTyp &report, TSiReportElement &element,
                             const TEditorSettings &settings, int unitIndex, QWidget *parent)
    : QDialog(parent), m_report(report), m_element(element), m_settings(settings),
      m_version(versionOf(element.Kind)), m_unit(std::clamp(unitIndex, 0, kUnitCount - 1))
{
    setWindowTitle(QStringLiteral("Nastavení vlastností prvku"));
    setObjectName(QStringLiteral("TDlgKonfPrvku"));
    Tabs = new QTabWidget(this);
    Tabs->addTab(buildZakladni(), QStringLiteral("Základní vlastnosti"));
    Tabs->addTab(buildPismo(), QStringLiteral("Písmo prvku"));
    Tabs->addTab(buildCarovyKod(), QStringLiteral("Čárový kód"));
    Tabs->addTab(buildPodminka(), QStringLiteral("Podmíněný tisk"));
    const bool pages[3][4] = {{true, true, false, true},
                              {false, false, false, true},
                              {false, false, true, true}};
    for (int i = 0; i < 4; ++i)
        Tabs->setTabVisible(i, pages[m_version][i]);
    Tabs->setCurrentIndex(m_version == vText ? pgZakladni : m_version == vBarcode ? pgCarovyKod
                                                                                 : pgPodminka);

    JednotkaLabel = new QLabel(QStringLiteral("(%1)").arg(UnitName(m_unit)), this);
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Storno"), this);
    connect(ok, &QPushButton::clicked, this, &TDlgKonfPrvku::accept);
    connect(cancel, &QPushButton::clicked, this, &TDlgKonfPrvku::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(JednotkaLabel);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *top = new QVBoxLayout(this);
    top->addWidget(Tabs);
    top->addLayout(buttons);
    connect(Tabs, &QTabWidget::currentChanged, this, [this](int page) {
        JednotkaLabel->setVisible(page == pgZakladni || page == pgCarovyKod);
    });
    JednotkaLabel->setVisible(Tabs->currentIndex() == pgZakladni
                              || Tabs->currentIndex() == pgCarovyKod);
    if (m_version == vText && element.Kind == ekText)
        Text->setFocus();
    installHelpKey(this, QStringLiteral("SestavyPrvek.htm"));
}

QWidget *TDlgKonfPrvku::buildZakladni()
{
    auto *w = new QWidget(this);
    QGroupBox *basic = buildBasicGroup(w);
    QGroupBox *type = buildTypeGroup(w);
    QGroupBox *more = buildMoreGroup(w);
    QGroupBox *frame = buildFrameGroup(w);
    auto *grid = new QGridLayout(w);
    grid->addWidget(basic, 0, 0, 2, 1);
    grid->addWidget(type, 0, 1);
    grid->addWidget(more, 1, 1);
    grid->addWidget(frame, 2, 0, 1, 2);
    rtfToggled(Panely->currentIndex() == pnMemo && MmRtf->isChecked());
    return w;
}

// "Základní vlastnosti prvku": position, size, alignment, letter spacing and slant.
QGroupBox *TDlgKonfPrvku::buildBasicGroup(QWidget *w)
{
    const TSiReportElement &e = m_element;
    auto *basic = new QGroupBox(QStringLiteral("Základní vlastnosti prvku:"), w);
    QFormLayout *bl = addPositionFields(basic, {&Levy, &Horni, &Sirka, &Vyska});
    Zarovnani = new QComboBox(basic);
    Zarovnani->addItems({QStringLiteral("Vlevo"), QStringLiteral("Vpravo"), QStringLiteral("Uprostřed")});
    Zarovnani->setCurrentIndex(std::clamp(e.Alignment, 0, 2));
    RoztecZnaku = new QLineEdit(QString::number(ToDisplayUnits(e.LetterSpacing, m_unit)), basic);
    SklonTextu = new QLineEdit(QString::number(e.Angle), basic);
    bl->addRow(QStringLiteral("Zarovnání:"), Zarovnani);
    bl->addRow(QStringLiteral("Rozteč znaků:"), RoztecZnaku);
    bl->addRow(QStringLiteral("Sklon textu:"), SklonTextu);
    return basic;
}

// The element's left, top, width and height in the display unit, as the first rows of the
// group's form.
QFormLayout *TDlgKonfPrvku::addPositionFields(QGroupBox *box, std::array<TDelkaEdit **, 4> fields)
{
    static const char *const captions[4] = {"Levý:", "Horní:", "Šířka:", "Výška:"};
    const int values[4] = {m_element.Left, m_element.Top, m_element.Width, m_element.Height};
    for (TDelkaEdit **f : fields)
        *f = new TDelkaEdit(box);
    for (TDelkaEdit **f : fields)
        (*f)->setUnit(m_unit);
    for (int i = 0; i < 4; ++i)
        (*fields[size_t(i)])->setValue(values[i]);
    auto *form = new QFormLayout(box);
    for (int i = 0; i < 4; ++i)
        form->addRow(QString::fromUtf8(captions[i]), *fields[size_t(i)]);
    return form;
}

// "Typ prvku": the kind, its source or text, and how a source is followed.
QGroupBox *TDlgKonfPrvku::buildTypeGroup(QWidget *w)
{
    const TSiReportElement &e = m_element;
    auto *type = new QGroupBox(QStringLiteral("Typ prvku:"), w);
    TypPrvku = new QLabel(elementKindName(e.Kind), type);
    Zdroj = new QComboBox(type);
    Zdroj->setMinimumWidth(200);
    Text = new QLineEdit(e.Text, type);
    PodleCisla = new QRadioButton(QStringLiteral("Pořadového čísla"), type);
    PodleNazvu = new QRadioButton(QStringLiteral("Názvu položky"), type);
    (e.SourceName.isEmpty() ? PodleCisla : PodleNazvu)->setChecked(true);
    const bool byNameApplies = e.Kind == ekField || e.Kind == ekFieldLabel || e.Kind == ekFunction;
    PodleCisla->setEnabled(byNameApplies);
    PodleNazvu->setEnabled(byNameApplies);
    auto *tl = new QVBoxLayout(type);
    tl->addWidget(TypPrvku);
    tl->addWidget(Zdroj);
    tl->addWidget(Text);
    tl->addWidget(new QLabel(QStringLiteral("Sledovat podle:"), type));
    tl->addWidget(PodleCisla);
    tl->addWidget(PodleNazvu);
    FormatLabel = new QLabel(QStringLiteral("Formát:"), type);
    Format = new QComboBox(type);
    Format->setEditable(true);
    Format->setInsertPolicy(QComboBox::NoInsert);
    Format->setToolTip(QStringLiteral("Číslo: 0 # . , (například #,##0.00); datum: d m yyyy h nn ss "
                                      "(například d.m.yyyy); prázdné: bez formátu"));
    FormatUkazka = new QLabel(type);
    tl->addWidget(FormatLabel);
    tl->addWidget(Format);
    tl->addWidget(FormatUkazka);
    tl->addStretch();
    const bool isText = e.Kind == ekText;
    Zdroj->setVisible(!isText);
    Zdroj->setEnabled(!isText);
    Text->setVisible(isText);
    fillSources();
    showFormatFor(Zdroj->currentIndex());
    connect(Format, &QComboBox::currentTextChanged, this, &TDlgKonfPrvku::updateFormatSample);
    connect(Zdroj, &QComboBox::currentIndexChanged, this, &TDlgKonfPrvku::showFormatFor);
    return type;
}

// "Další vlastnosti": a page of check boxes for each kind of source, shown by the source.
QGroupBox *TDlgKonfPrvku::buildMoreGroup(QWidget *w)
{
    const TSiReportElement &e = m_element;
    auto *more = new QGroupBox(QStringLiteral("Další vlastnosti:"), w);
    Panely = new QStackedWidget(more);
    TxViceradkovy = new QCheckBox(QStringLiteral("Víceřádkový text"));
    TxPromennaVyska = new QCheckBox(QStringLiteral("Proměnná výška"));
    TxBlok = new QCheckBox(QStringLiteral("Zarovnat do bloku"));
    addFlagPanel({TxViceradkovy, TxPromennaVyska, TxBlok});
    MmBlok = new QCheckBox(QStringLiteral("Zarovnat do bloku"));
    MmPromennaVyska = new QCheckBox(QStringLiteral("Proměnná výška"));
    MmRtf = new QCheckBox(QStringLiteral("RTF formát textu"));
    addFlagPanel({MmBlok, MmPromennaVyska, MmRtf});
    ObrPodleOkna = new QCheckBox(QStringLiteral("Velikost podle okna"));
    ObrPomer = new QCheckBox(QStringLiteral("Zachovat poměr stran"));
    addFlagPanel({ObrPodleOkna, ObrPomer});
    FnViceradkovy = new QCheckBox(QStringLiteral("Víceřádkový text"));
    FnPromennaVyska = new QCheckBox(QStringLiteral("Proměnná výška"));
    FnBlok = new QCheckBox(QStringLiteral("Zarovnat do bloku"));
    addFlagPanel({FnViceradkovy, FnPromennaVyska, FnBlok});
    addFunctionButton();
    auto *ml = new QVBoxLayout(more);
    ml->addWidget(Panely);
    for (QCheckBox *b : {TxViceradkovy, FnViceradkovy})
        b->setChecked(e.TextFlags & tfMultiLine);
    for (QCheckBox *b : {TxPromennaVyska, MmPromennaVyska, FnPromennaVyska})
        b->setChecked(e.TextFlags & tfVariableHeight);
    for (QCheckBox *b : {TxBlok, MmBlok, FnBlok})
        b->setChecked(e.TextFlags & tfJustify);
    MmRtf->setChecked(e.TextFlags & tfRtf);
    ObrPodleOkna->setChecked(e.Flags & efStretch);
    ObrPomer->setChecked(e.Flags & efKeepAspect);
    Panely->setCurrentIndex(e.Kind == ekFunction ? pnFunction : panelFor(e.SourceIndex));
    connect(MmRtf, &QCheckBox::toggled, this, &TDlgKonfPrvku::rtfToggled);
    connect(Zdroj, &QComboBox::currentIndexChanged, this, [this](int source) {
        if (m_element.Kind == ekField)
            Panely->setCurrentIndex(panelFor(source));
        rtfToggled(Panely->currentIndex() == pnMemo && MmRtf->isChecked());
    });
    return more;
}

void TDlgKonfPrvku::addFlagPanel(const QList<QCheckBox *> &boxes)
{
    auto *p = new QWidget(Panely);
    auto *l = new QVBoxLayout(p);
    l->setContentsMargins(0, 0, 0, 0);
    for (QCheckBox *b : boxes) {
        b->setParent(p);
        l->addWidget(b);
    }
    l->addStretch();
    Panely->addWidget(p);
}

// "Funkce ..." edits the chosen function; the change is kept until OK.
void TDlgKonfPrvku::addFunctionButton()
{
    FunkceBtn = new QPushButton(QStringLiteral("Funkce ..."));
    auto *fnPanel = Panely->widget(pnFunction);
    static_cast<QVBoxLayout *>(fnPanel->layout())->insertWidget(0, FunkceBtn);
    connect(FunkceBtn, &QPushButton::clicked, this, [this] {
        const int index = Zdroj->currentIndex();
        const TRadekFunkce *f = m_report.Functions.at(index);
        if (!f)
            return;
        TRadekFunkce edited = m_editedFunctionIndex == index ? m_editedFunction : *f;
        if (EditReportFunction(m_report, edited, this)) {
            m_editedFunctionIndex = index;
            m_editedFunction = edited;
        }
    });
}

// "Rámování": the four frame lines.
QGroupBox *TDlgKonfPrvku::buildFrameGroup(QWidget *w)
{
    const TSiReportElement &e = m_element;
    auto *frame = new QGroupBox(QStringLiteral("Rámování:"), w);
    auto *fl = new QHBoxLayout(frame);
    const char *const tips[4] = {"Čára vlevo", "Čára nahoře", "Čára vpravo", "Čára dole"};
    const char *const marks[4] = {"▏", "▔", "▕", "▁"};
    for (int i = 0; i < 4; ++i) {
        Ramecek[i] = frameButton(QString::fromUtf8(marks[i]), QString::fromUtf8(tips[i]), frame);
        Ramecek[i]->setChecked(e.Flags & (1 << i));
        fl->addWidget(Ramecek[i]);
    }
    fl->addStretch();
    return frame;
}

void TDlgKonfPrvku::fillSources()
{
    const TSestavaTyp &r = m_report;
    QStringList items;
    switch (m_element.Kind) {
    case ekField:
    case ekFieldLabel:
        for (int n = 0; n < r.FieldCount(); ++n) {
            const QString label = r.FieldLabel(n);
            items << (m_settings.PopisyPol && !label.isEmpty() ? label : r.FieldName(n));
        }
        break;
    case ekParameter:
        // The run prints parameter SourceIndex from 0; the captions count from 1.
        for (int n = 0; n < r.Parametry.size(); ++n)
            items << r.ParameterCaption(n + 1);
        break;
    case ekVariable:
        items << QStringLiteral("Datum tisku") << QStringLiteral("Čas tisku")
              << QStringLiteral("Číslo řádku") << QStringLiteral("Číslo stránky")
              << QStringLiteral("Počet stran");
        for (int g = 1; g <= r.Groups.count(); ++g)
            items << QStringLiteral("Číslo ř. ve sk.%1").arg(g)
                  << QStringLiteral("Číslo skupiny %1").arg(g);
        break;
    case ekFunction:
        for (int n = 0; n < r.Functions.count(); ++n)
            items << r.Functions.at(n)->Name;
        break;
    default:
        break;
    }
    const QSignalBlocker block(Zdroj);
    Zdroj->addItems(items);
    if (m_element.SourceIndex >= 0 && m_element.SourceIndex < items.size())
        Zdroj->setCurrentIndex(m_element.SourceIndex);
}

TDlgKonfPrvku::FormatTarget TDlgKonfPrvku::formatTarget(int source) const
{
    FormatTarget t;
    if (m_element.Kind == ekField && source >= 0 && source < m_report.FieldCount()) {
        const int type = m_report.FieldDataType(source);
        if (kindOfFieldType(type) == TCalcType::KindNumber || isDateField(type)) {
            t.field = source;
            t.date = isDateField(type);
            t.byName = !m_element.SourceName.isEmpty();
        }
    } else if (m_element.Kind == ekFunction) {
        const TRadekFunkce *f = m_report.Functions.at(source);
        const QRegularExpressionMatch m = f ? formatFunctionPattern().match(f->Expression)
                                            : QRegularExpressionMatch();
        if (m.hasMatch()) {
            const QString ref = m.captured(2);
            bool number = false;
            const int n = ref.toInt(&number);
            t.field = number ? n - 1 : m_report.FieldIndex(ref);
            t.byName = !number;
            if (t.field < 0 || t.field >= m_report.FieldCount())
                return FormatTarget();
            t.date = m.captured(1).compare(QLatin1String("FORMATDT"), Qt::CaseInsensitive) == 0;
            t.picture = m.captured(3).replace(QStringLiteral("''"), QStringLiteral("'"));
        }
    }
    return t;
}

void TDlgKonfPrvku::showFormatFor(int source)
{
    const FormatTarget t = formatTarget(source);
    const bool shown = t.field >= 0;
    FormatLabel->setVisible(shown);
    Format->setVisible(shown);
    FormatUkazka->setVisible(shown);
    const QSignalBlocker block(Format);
    Format->clear();
    if (!shown)
        return;
    if (t.date)
        Format->addItems({QString(), QStringLiteral("d.m.yyyy"), QStringLiteral("dd.mm.yyyy"),
                          QStringLiteral("d. mmmm yyyy"), QStringLiteral("d.m.yyyy h:nn"),
                          QStringLiteral("mmmm yyyy")});
    else
        Format->addItems({QString(), QStringLiteral("0"), QStringLiteral("0.0"), QStringLiteral("0.00"),
                          QStringLiteral("#,##0"), QStringLiteral("#,##0.00"), QStringLiteral("0.000")});
    Format->setCurrentText(t.picture);
    updateFormatSample();
}

void TDlgKonfPrvku::updateFormatSample()
{
    const FormatTarget t = formatTarget(Zdroj->currentIndex());
    const QString picture = Format->currentText();
    if (t.field < 0 || picture.isEmpty()) {
        FormatUkazka->setText(QStringLiteral("Ukázka: bez formátu"));
        return;
    }
    const QString sample = t.date
        ? formatDateTimePicture(dateTimeToSerial(QDateTime(QDate(2026, 3, 14), QTime(9, 5))), picture)
        : formatFloatPicture(-12345.678, picture);
    FormatUkazka->setText(QStringLiteral("Ukázka: ") + sample);
}

// A format makes the field print through a text function of it; no format makes a
// formatted field a plain field again.
void TDlgKonfPrvku::applyFormat(TSiReportElement &e)
{
    const FormatTarget t = formatTarget(Zdroj->currentIndex());
    if (t.field < 0)
        return;
    const QString picture = Format->currentText().trimmed();
    if (picture == t.picture)
        return;
    const QString fieldName = m_report.FieldName(t.field);
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_$]*$"));
    const bool byName = (t.byName || PodleNazvu->isChecked()) && plain.match(fieldName).hasMatch();
    if (picture.isEmpty()) {
        e.Kind = ekField;
        e.SourceIndex = t.field;
        e.SourceName = byName ? fieldName.left(32) : QString();
        return;
    }
    const QString expression = QStringLiteral("%1(#%2,%3)")
                                   .arg(t.date ? QStringLiteral("FORMATDT") : QStringLiteral("FORMAT"),
                                        byName ? fieldName : QString::number(t.field + 1),
                                        quotedPicture(picture));
    // A function that only this element prints is changed in place; one that others share
    // is left to them.
    TRadekFunkce *own = nullptr;
    if (e.Kind == ekFunction) {
        int users = 0;
        for (int i = 0; i < m_report.Sections.count(); ++i)
            for (const auto &other : m_report.Sections.at(i)->Elements)
                if (other->Kind == ekFunction && other->SourceIndex == e.SourceIndex)
                    ++users;
        if (users <= 1)
            own = m_report.Functions.at(e.SourceIndex);
    }
    if (!own) {
        own = m_report.Functions.add();
        own->Name = freeFunctionName(m_report.Functions, t.date ? QStringLiteral("Datum") : QStringLiteral("Format"),
                                     fieldName);
        own->Description = m_report.FieldLabel(t.field);
        own->Type = 1;   // text
        own->ResetLevel = rlReport;
        own->Aggregation = agNone;
        e.Kind = ekFunction;
        e.SourceIndex = m_report.Functions.count() - 1;
    }
    own->Expression = expression;
    e.SourceName = byName ? own->Name.left(32) : QString();
}

int TDlgKonfPrvku::panelFor(int source) const
{
    if (m_element.Kind != ekField)
        return pnText;
    const int type = m_report.FieldDataType(source);
    return isMemoType(type) ? pnMemo : isPictureType(type) ? pnPicture : pnText;
}

void TDlgKonfPrvku::rtfToggled(bool on)
{
    Zarovnani->setEnabled(!on);
    Tabs->setTabEnabled(pgPismo, !on);
}

QWidget *TDlgKonfPrvku::buildPismo()
{
    const TElementFont &f = m_element.Font;
    auto *w = new QWidget(this);
    auto *style = new QGroupBox(QStringLiteral("Styl:"), w);
    Podtrzeni = new QCheckBox(QStringLiteral("Podtržení"), style);
    Preskrtnuti = new QCheckBox(QStringLiteral("Přeškrtnutí"), style);
    Tucne = new QCheckBox(QStringLiteral("Tučné"), style);
    Kurziva = new QCheckBox(QStringLiteral("Kurzíva"), style);
    Podtrzeni->setChecked(f.underline());
    Preskrtnuti->setChecked(f.strikeOut());
    Tucne->setChecked(f.bold());
    Kurziva->setChecked(f.italic());
    auto *sl = new QVBoxLayout(style);
    for (QCheckBox *c : {Podtrzeni, Preskrtnuti, Tucne, Kurziva})
        sl->addWidget(c);

    auto *sample = new QGroupBox(QStringLiteral("Ukázka:"), w);
    Ukazka = new QLabel(QStringLiteral("ÁBČĎábčď"), sample);
    Ukazka->setAlignment(Qt::AlignCenter);
    Ukazka->setMinimumSize(220, 70);
    auto *ul = new QVBoxLayout(sample);
    ul->addWidget(Ukazka);

    auto *font = new QGroupBox(QStringLiteral("Písmo"), w);
    TypPisma = new QComboBox(font);
    TypPisma->setEditable(true);
    TypPisma->setInsertPolicy(QComboBox::NoInsert);
    TypPisma->addItems(fontChoice(m_settings.PismaAbec));
    // A name that is not installed (a template made elsewhere) stays as it is.
    TypPisma->setCurrentText(f.Name);
    Velikost = new QComboBox(font);
    Velikost->setEditable(true);
    for (int s : kSizes)
        Velikost->addItem(QString::number(s));
    Velikost->setCurrentText(QString::number(f.Size));
    Barva = new QComboBox(font);
    const QStringList colors = paletteColorNames();
    for (int i = 0; i < colors.size(); ++i) {
        QPixmap pm(16, 12);
        pm.fill(toQColor(paletteColor(i)));
        Barva->addItem(QIcon(pm), colors.at(i));
    }
    const int colorField = colorToField(f.Color);
    if (colorField <= 15) {
        Barva->setCurrentIndex(colorField);
    } else {
        m_customColor = f.Color;
        QPixmap pm(16, 12);
        pm.fill(toQColor(f.Color));
        Barva->addItem(QIcon(pm), QStringLiteral("jiná barva (%1)").arg(toQColor(f.Color).name()));
        Barva->setCurrentIndex(16);
    }
    Skript = new QComboBox(font);
    Skript->addItems(elementCharsetNames());
    Skript->setCurrentIndex(PositionOfCharset(f.Charset));
    auto *fl = new QFormLayout(font);
    fl->addRow(QStringLiteral("Typ písma:"), TypPisma);
    fl->addRow(QStringLiteral("Velikost:"), Velikost);
    fl->addRow(QStringLiteral("Barva:"), Barva);
    fl->addRow(QStringLiteral("Skript:"), Skript);

    auto *grid = new QGridLayout(w);
    grid->addWidget(style, 0, 0);
    grid->addWidget(sample, 1, 0);
    grid->addWidget(font, 0, 1, 2, 1);

    for (QCheckBox *c : {Podtrzeni, Preskrtnuti, Tucne, Kurziva})
        connect(c, &QCheckBox::toggled, this, &TDlgKonfPrvku::updateSample);
    for (QComboBox *c : {TypPisma, Velikost, Barva, Skript})
        connect(c, &QComboBox::currentTextChanged, this, &TDlgKonfPrvku::updateSample);
    updateSample();
    return w;
}

TElementFont TDlgKonfPrvku::dialogFont() const
{
    TElementFont f;
    f.Name = TypPisma->currentText().trimmed().left(32);
    if (f.Name.isEmpty())
        f.Name = m_element.Font.Name;
    bool ok = false;
    f.Size = Velikost->currentText().trimmed().toInt(&ok);
    if (!ok || f.Size < 1)
        f.Size = 12;
    if (f.Name.startsWith(QLatin1String("Roman ")))
        f.Size = f.Name == QLatin1String("Roman 12cpi") ? 10
                 : f.Name == QLatin1String("Roman 17cpi") ? 8
                                                          : 11;
    f.Style = (Tucne->isChecked() ? fsBold : 0) | (Kurziva->isChecked() ? fsItalic : 0)
              | (Podtrzeni->isChecked() ? fsUnderline : 0)
              | (Preskrtnuti->isChecked() ? fsStrikeOut : 0);
    f.Color = Barva->currentIndex() == 16 ? m_customColor : paletteColor(Barva->currentIndex());
    const int pos = Skript->currentIndex();
    f.Charset = pos > 7 ? 1 : CharsetAtPosition(pos);
    return f;
}

void TDlgKonfPrvku::updateSample()
{
    const TElementFont f = dialogFont();
    const bool roman = f.Name.startsWith(QLatin1String("Roman "));
    QFont q(roman ? QStringLiteral("Courier New") : f.Name);
    q.setFixedPitch(roman);
    q.setPointSize(std::clamp(f.Size, 1, 72));
    q.setBold(f.bold());
    q.setItalic(f.italic());
    q.setUnderline(f.underline());
    q.setStrikeOut(f.strikeOut());
    Ukazka->setFont(q);
    QPalette pal = Ukazka->palette();
    pal.setColor(QPalette::WindowText, toQColor(f.Color));
    Ukazka->setPalette(pal);
    Velikost->setEnabled(!roman);
    if (roman && Velikost->currentText() != QString::number(f.Size)) {
        const QSignalBlocker block(Velikost);
        Velikost->setCurrentText(QString::number(f.Size));
    }
}

QWidget *TDlgKonfPrvku::buildCarovyKod()
{
    const TSiReportElement &e = m_element;
    auto *w = new QWidget(this);
    auto *basic = new QGroupBox(QStringLiteral("Základní vlastnosti prvku:"), w);
    addPositionFields(basic, {&KodLevy, &KodHorni, &KodSirka, &KodVyska});

    auto *type = new QGroupBox(QStringLiteral("Typ a velikost:"), w);
    TypKodu = new QComboBox(type);
    TypKodu->addItems(BarcodeTypeNames());
    TypKodu->setCurrentIndex(e.PenStyle >= 0 && e.PenStyle < kBarcodeTypeCount ? e.PenStyle
                                                                               : bcEan13);
    Zvetseni = new QComboBox(type);
    for (int code : BarcodeModuleCodes())
        Zvetseni->addItem(BarcodeModuleCaption(code));
    {
        const std::vector<int> &codes = BarcodeModuleCodes();
        const auto it = std::find(codes.begin(), codes.end(), BarcodeModuleChoice(e.PenWidth));
        Zvetseni->setCurrentIndex(it == codes.end() ? 4 : int(it - codes.begin()));
    }
    KontrolniSoucet = new QCheckBox(QStringLiteral("Vytvářet kontrolní součet"), type);
    KontrolniSoucet->setChecked(e.Flags & efCheckDigit);
    auto *tl = new QFormLayout(type);
    tl->addRow(QStringLiteral("Typ kódu:"), TypKodu);
    tl->addRow(QStringLiteral("Zvětšení:"), Zvetseni);
    tl->addRow(KontrolniSoucet);

    auto *content = new QGroupBox(QStringLiteral("Obsah:"), w);
    FunkcniVyraz = new QLineEdit(e.Text, content);
    TisknoutText = new QCheckBox(QStringLiteral("Tisknout text"), content);
    TisknoutText->setChecked(e.Flags & efPrintText);
    auto *cl = new QFormLayout(content);
    cl->addRow(QStringLiteral("Funkční výraz:"), FunkcniVyraz);
    cl->addRow(TisknoutText);

    auto *other = new QGroupBox(QStringLiteral("Další:"), w);
    Uhel = new QLineEdit(QString::number(e.Angle), other);
    auto *ol = new QFormLayout(other);
    ol->addRow(QStringLiteral("Úhel:"), Uhel);

    auto *grid = new QGridLayout(w);
    grid->addWidget(basic, 0, 0);
    grid->addWidget(type, 0, 1);
    grid->addWidget(content, 1, 0, 1, 2);
    grid->addWidget(other, 2, 0);
    return w;
}

QWidget *TDlgKonfPrvku::buildPodminka()
{
    const TSiReportElement &e = m_element;
    auto *w = new QWidget(this);
    auto *cond = new QGroupBox(QStringLiteral("Podmíněný tisk:"), w);
    Podminka = new QLineEdit(e.Condition, cond);
    Podminka->setObjectName("Podminka");
    PodminkaBtn = new QToolButton(cond);
    PodminkaBtn->setText(QStringLiteral("..."));
    PodminkaBtn->setToolTip(QStringLiteral("Tvorba výrazu podmínky"));
    ZrusitPodminkuBtn = new QToolButton(cond);
    ZrusitPodminkuBtn->setText(QStringLiteral("Zrušit podmínku"));
    auto *cl = new QGridLayout(cond);
    cl->addWidget(new QLabel(QStringLiteral("Tisknout prvek, je-li splněna podmínka:"), cond), 0, 0, 1, 3);
    cl->addWidget(Podminka, 1, 0);
    cl->addWidget(PodminkaBtn, 1, 1);
    cl->addWidget(ZrusitPodminkuBtn, 1, 2);

    auto *prog = new QGroupBox(QStringLiteral("Programová obsluha:"), w);
    ProgramoveRizeni = new QCheckBox(QStringLiteral("Povolit programové řízení tisku prvku"), prog);
    ProgramoveRizeni->setChecked(e.HandlerEnabled);
    Identifikace = new QLineEdit(e.Ident, prog);
    auto *pl = new QVBoxLayout(prog);
    pl->addWidget(ProgramoveRizeni);
    pl->addWidget(new QLabel(QStringLiteral("Identifikace prvku při programovém řízení:"), prog));
    pl->addWidget(Identifikace);

    auto *l = new QVBoxLayout(w);
    l->addWidget(cond);
    l->addWidget(prog);
    l->addStretch();
    connect(ZrusitPodminkuBtn, &QToolButton::clicked, Podminka, &QLineEdit::clear);
    connect(PodminkaBtn, &QToolButton::clicked, this, [this] {
        QString expr = Podminka->text();
        if (EditExpression(m_report, expr, true, this))
            Podminka->setText(expr);
    });
    return w;
}

void TDlgKonfPrvku::accept()
{
    // A condition that does not compile would leave the element out of every printout.
    if (!Podminka->text().trimmed().isEmpty()
        && !checkExpression(&m_report, Podminka->text()).compiles()) {
        for (int i = 0; i < Tabs->count(); ++i)
            if (Tabs->widget(i)->isAncestorOf(Podminka))
                Tabs->setCurrentIndex(i);
        refuseBadExpression(m_report, Podminka);
        return;
    }
    TSiReportElement &e = m_element;
    if (m_version == vText) {
        e.Font = dialogFont();
        e.Alignment = Zarovnani->currentIndex();
        const int source = Zdroj->currentIndex();
        if (e.Kind != ekText && source >= 0 && source != e.SourceIndex) {
            e.SourceIndex = source;
            // Only a graphic field gives the element a picture.
            if (e.Kind == ekField && m_report.FieldDataType(source) != 17)
                e.Picture = QImage();
        }
        if (e.Kind == ekText)
            e.Text = Text->text();
        if (e.Kind == ekField || e.Kind == ekFieldLabel)
            e.SourceName = PodleNazvu->isChecked() ? m_report.FieldName(e.SourceIndex).left(32)
                                                   : QString();
        if (e.Kind == ekFunction) {
            if (TRadekFunkce *edited = m_report.Functions.at(m_editedFunctionIndex))
                *edited = m_editedFunction;
            const TRadekFunkce *f = m_report.Functions.at(e.SourceIndex);
            e.SourceName = PodleNazvu->isChecked() && f ? f->Name.left(32) : QString();
        }
        applyFormat(e);
        auto setBit = [](int &flags, int bit, bool on) { flags = on ? flags | bit : flags & ~bit; };
        switch (Panely->currentIndex()) {
        case pnText:
            setBit(e.TextFlags, tfMultiLine, TxViceradkovy->isChecked());
            setBit(e.TextFlags, tfJustify, TxBlok->isChecked());
            setBit(e.TextFlags, tfVariableHeight, TxPromennaVyska->isChecked());
            break;
        case pnFunction:
            setBit(e.TextFlags, tfMultiLine, FnViceradkovy->isChecked());
            setBit(e.TextFlags, tfJustify, FnBlok->isChecked());
            setBit(e.TextFlags, tfVariableHeight, FnPromennaVyska->isChecked());
            break;
        case pnMemo:
            setBit(e.TextFlags, tfMultiLine, true);
            setBit(e.TextFlags, tfJustify, MmBlok->isChecked());
            setBit(e.TextFlags, tfVariableHeight, MmPromennaVyska->isChecked());
            setBit(e.TextFlags, tfRtf, MmRtf->isChecked());
            break;
        case pnPicture:
            setBit(e.Flags, efStretch, ObrPodleOkna->isChecked());
            setBit(e.Flags, efKeepAspect, ObrPomer->isChecked());
            break;
        }
        for (int i = 0; i < 4; ++i)
            setBit(e.Flags, 1 << i, Ramecek[i]->isChecked());
        e.Left = Levy->value();
        e.Top = Horni->value();
        e.Width = std::max(1, Sirka->value());
        e.Height = std::max(1, Vyska->value());
        bool ok = false;
        const int spacing = RoztecZnaku->text().trimmed().toInt(&ok);
        e.LetterSpacing = ok ? FromDisplayUnits(spacing, m_unit) : 0;
        e.Angle = wholeNumber(SklonTextu, 0);
    } else if (m_version == vBarcode) {
        e.Left = KodLevy->value();
        e.Top = KodHorni->value();
        e.Width = std::max(1, KodSirka->value());
        e.Height = std::max(1, KodVyska->value());
        e.Text = FunkcniVyraz->text();
        e.PenStyle = TypKodu->currentIndex();
        const std::vector<int> &codes = BarcodeModuleCodes();
        const int pos = Zvetseni->currentIndex();
        e.PenWidth = pos >= 0 && pos < int(codes.size()) ? codes[size_t(pos)] : codes.at(4);
        e.Flags = KontrolniSoucet->isChecked() ? e.Flags | efCheckDigit : e.Flags & ~efCheckDigit;
        e.Flags = TisknoutText->isChecked() ? e.Flags | efPrintText : e.Flags & ~efPrintText;
        e.Angle = wholeNumber(Uhel, 0);
    }
    e.Condition = Podminka->text();
    e.HandlerEnabled = ProgramoveRizeni->isChecked();
    e.Ident = Identifikace->text();
    QDialog::accept();
}

bool EditElementProperties(TSestavaTyp &report, TSiReportElement &element,
                           const TEditorSettings &settings, int unitIndex, QWidget *parent)
{
    if (!TDlgKonfPrvku::canOpen(report, element))
        return false;
    TDlgKonfPrvku dlg(report, element, settings, unitIndex, parent);
    return dlg.exec() == QDialog::Accepted;
}

} // namespace orv
