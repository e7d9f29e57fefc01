// The search window's pages as they are built: the four pages with their criteria, filter
// lists and criteria grids, the list buttons, the result area below them, and the small
// widgets only the pages use. What the pages do when used is in TfHledani.cpp.

#include "search/TfHledani.h"

#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/DataSetModel.h"
#include "db/MainDataModule.h"
#include "search/GridLink.h"
#include "search/TfHledaniFilters.h"
#include "ui/HelpContexts.h"
#include "ui/WidgetHelpers.h"

#include <QAction>
#include <QCheckBox>
#include <QCollator>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace orv::search {
namespace {

// Rows naming a property group are drawn blue, and white on navy while selected.
class GroupRowDelegate : public QStyledItemDelegate {
public:
    GroupRowDelegate(db::DataSet &ds, QObject *parent) : QStyledItemDelegate(parent), m_ds(ds) {}

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const bool group = index.row() < m_ds.recordCount() &&
                           m_ds.valueAt(index.row(), QStringLiteral("GroupType")).toString() == QStringLiteral("A");
        option->palette.setColor(QPalette::Text, group ? QColor(Qt::blue) : QColor(Qt::black));
        if (group) {
            option->palette.setColor(QPalette::Highlight, QColor(0, 0, 128));
            option->palette.setColor(QPalette::HighlightedText, Qt::white);
        }
    }

private:
    db::DataSet &m_ds;
};

// Fills a filter list with `values` and the entry meaning all, sorted alphabetically.
void fillSorted(QComboBox *box, QStringList values, const QString &all)
{
    values.append(all);
    QCollator collator(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    std::sort(values.begin(), values.end(), [&](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
    box->clear();
    box->addItems(values);
    box->setCurrentText(all);
}

QStringList column(db::DataSet &ds, const QString &field)
{
    QStringList out;
    if (!ds.isOpen())
        ds.open();
    for (int r = 0; r < ds.recordCount(); ++r)
        out << ds.valueAt(r, field).toString();
    return out;
}

QComboBox *filterBox(QWidget *parent, const char *name)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMinimumWidth(180);
    return box;
}

QCheckBox *check(QWidget *parent, const char *name, const QString &caption, bool on = false)
{
    auto *b = new QCheckBox(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setChecked(on);
    return b;
}

QRadioButton *radio(QWidget *parent, const char *name, const QString &caption, bool on = false)
{
    auto *b = new QRadioButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setChecked(on);
    return b;
}

// A number box that takes a decimal point as well as the locale's decimal comma.
class NumberBox : public QDoubleSpinBox
{
public:
    using QDoubleSpinBox::QDoubleSpinBox;
    QValidator::State validate(QString &text, int &pos) const override
    {
        text = withLocaleDecimal(text);
        return QDoubleSpinBox::validate(text, pos);
    }
    double valueFromText(const QString &text) const override
    {
        return QDoubleSpinBox::valueFromText(withLocaleDecimal(text));
    }

private:
    QString withLocaleDecimal(QString text) const
    {
        const QString point = locale().decimalPoint();
        if (point != QLatin1String("."))
            text.replace(u'.', point);
        return text;
    }
};

QDoubleSpinBox *numberBox(QWidget *parent, const char *name, const QString &suffix)
{
    auto *e = new NumberBox(parent);
    e->setObjectName(QLatin1String(name));
    e->setDecimals(2);
    e->setRange(-1e6, 1e6);
    e->setSuffix(suffix);
    e->setGroupSeparatorShown(true);
    return e;
}

// The "Podmínky hledání" group of the composition and property pages: the box "Hledat v
// kovech" with the material-type list on its first row.
struct ConditionsGroup {
    QGroupBox *box;
    QVBoxLayout *layout;
    QCheckBox *inMetals;
    QComboBox *types;
};

ConditionsGroup conditionsGroup(QWidget *page, const char *checkName, const char *typesName)
{
    auto *box = new QGroupBox(QStringLiteral("Podmínky hledání:"), page);
    auto *layout = new QVBoxLayout(box);
    auto *typeRow = new QHBoxLayout;
    QCheckBox *inMetals = check(box, checkName, QStringLiteral("Hledat v kovech"));
    QComboBox *types = filterBox(box, typesName);
    typeRow->addWidget(inMetals);
    typeRow->addWidget(types, 1);
    layout->addLayout(typeRow);
    return {box, layout, inMetals, types};
}

QTableView *criteriaGridView(QWidget *parent, const char *name)
{
    auto *g = new QTableView(parent);
    g->setObjectName(QLatin1String(name));
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                       QAbstractItemView::AnyKeyPressed);
    g->setContextMenuPolicy(Qt::ActionsContextMenu);
    return g;
}

} // namespace

// The result area below the pages: the title strip with the count of found materials
// (resultCount) and the result grid shared by all pages.
void TfHledani::buildResultArea(QVBoxLayout *layout)
{
    auto *header = new QWidget(this);
    header->setAutoFillBackground(true);
    QPalette hp = header->palette();
    hp.setColor(QPalette::Window, QColor(0, 0, 128));
    hp.setColor(QPalette::WindowText, Qt::white);
    header->setPalette(hp);
    auto *headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(2, 2, 2, 2);
    auto *title = new QLabel(QStringLiteral("  Výsledky Vašeho vyhledávání"), header);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    resultCount = new QLabel(header);
    resultCount->setObjectName(QStringLiteral("resultCount"));
    resultCount->setFont(bold);
    headerLayout->addWidget(title);
    headerLayout->addWidget(resultCount, 1);
    layout->addWidget(header);

    grHledani = new QTableView(this);
    grHledani->setObjectName(QStringLiteral("grHledani"));
    grHledani->setToolTip(QStringLiteral("Zobrazit nalezený materiál dvojitým kliknutím myši..."));
    grHledani->setSelectionBehavior(QAbstractItemView::SelectRows);
    grHledani->setSelectionMode(QAbstractItemView::SingleSelection);
    grHledani->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grHledani->setProperty("helpContext", help::SearchResults);
    grHledani->setContextMenuPolicy(Qt::ActionsContextMenu);
    grHledani->addActions({aFind, aShow, aExportCsv, aExportXlsx});
    QFont headerFont = grHledani->horizontalHeader()->font();
    headerFont.setBold(true);
    grHledani->horizontalHeader()->setFont(headerFont);
    grHledani->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    connect(grHledani, &QTableView::doubleClicked, this, [this] { aShow->trigger(); });
    layout->addWidget(grHledani, 1);
}

QWidget *TfHledani::listButtons(QWidget *parent)
{
    auto *box = new QWidget(parent);
    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    for (QAction *a : {aInsert, aChange, aDelete, aNacist, aDeleteAll}) {
        auto *b = new QToolButton(box);
        b->setDefaultAction(a);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        b->setAutoRaise(true);
        row->addWidget(b);
    }
    row->addStretch(1);
    return box;
}

void TfHledani::buildDesignationPage(QWidget *page)
{
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(QStringLiteral("Vámi hledaný materiál:"), page));
    eMaterialFind = new QLineEdit(page);
    eMaterialFind->setObjectName(QStringLiteral("eMaterialFind"));
    eMaterialFind->setToolTip(QStringLiteral("Zadejte hledaný text ..."));
    eMaterialFind->setAlignment(Qt::AlignCenter);
    QFont big = eMaterialFind->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.6);
    eMaterialFind->setFont(big);
    connect(eMaterialFind, &QLineEdit::returnPressed, this, &TfHledani::find);
    layout->addWidget(eMaterialFind);

    auto *groups = new QHBoxLayout;
    auto *conditions = new QGroupBox(QStringLiteral("Podmínky hledání:"), page);
    auto *cg = new QGridLayout(conditions);
    cbNazev = check(conditions, "cbNazev", QStringLiteral("Hledat mezi normami"), true);
    cbZnacka = check(conditions, "cbZnacka", QStringLiteral("Hledat mezi značkami"), true);
    cbZeme = check(conditions, "cbZeme", QStringLiteral("Hledat v zemích"));
    cbCountryName = filterBox(conditions, "cbCountryName");
    cbKov = check(conditions, "cbKov", QStringLiteral("Hledat v kovech"));
    cbMatTypes = filterBox(conditions, "cbMatTypes");
    cg->addWidget(cbNazev, 0, 0);
    cg->addWidget(cbZnacka, 1, 0);
    cg->addWidget(cbZeme, 2, 0);
    cg->addWidget(cbCountryName, 2, 1);
    cg->addWidget(cbKov, 3, 0);
    cg->addWidget(cbMatTypes, 3, 1);
    groups->addWidget(conditions, 1);

    auto *precision = new QGroupBox(QStringLiteral("Přesnost hledání:"), page);
    auto *pg = new QGridLayout(precision);
    rbPresne = radio(precision, "rbPresne", QStringLiteral("Hledat přesně"));
    rbZleva = radio(precision, "rbZleva", QStringLiteral("Hledat zleva"));
    rbCast = radio(precision, "rbCast", QStringLiteral("Hledat část "), true);
    rbPriblizne = radio(precision, "rbPriblizne", QStringLiteral("Hledat přibližně"));
    cbMezera = check(precision, "cbMezera", QStringLiteral("Hledat bez mezer"), true);
    cbMalaVelka = check(precision, "cbMalaVelka", QStringLiteral("Rozlišovat malá a velká"));
    pg->addWidget(rbPresne, 0, 0);
    pg->addWidget(rbZleva, 1, 0);
    pg->addWidget(rbCast, 2, 0);
    pg->addWidget(rbPriblizne, 3, 0);
    pg->addWidget(cbMezera, 0, 1);
    pg->addWidget(cbMalaVelka, 1, 1);
    groups->addWidget(precision, 1);
    layout->addLayout(groups);
    layout->addStretch(1);
}

void TfHledani::buildCompositionPage(QWidget *page)
{
    auto *layout = new QHBoxLayout(page);
    const ConditionsGroup group = conditionsGroup(page, "cbKovy", "cbMatTypes1");
    QGroupBox *conditions = group.box;
    QVBoxLayout *cl = group.layout;
    cbKovy = group.inMetals;
    cbMatTypes1 = group.types;
    cl->addWidget(listButtons(conditions));
    grUserChemComp = criteriaGridView(conditions, "grUserChemComp");
    grUserChemComp->setToolTip(QStringLiteral("Označit/Odznačit vybraný prvek v seznamu prvků dvojitým kliknutím myši..."));
    m_chemModel = new db::DataSetModel(&m_data.tUserChemComp, this);
    linkGrid(grUserChemComp, m_chemModel);
    const std::pair<const char *, int> widths[] = {{"lkElement", 109}, {"MinValue", 85}, {"MaxValue", 91}};
    for (const auto &[f, w] : widths) {
        const int c = ui::gridColumn(grUserChemComp, QLatin1String(f));
        if (c >= 0)
            ui::setFittedColumnWidth(grUserChemComp, c, w);
    }
    ui::removeGridButton(grUserChemComp, QStringLiteral("lkElement"));
    cl->addWidget(grUserChemComp, 1);
    layout->addWidget(conditions, 2);

    auto *precision = new QGroupBox(QStringLiteral("Přesnost hledání:"), page);
    auto *pl = new QGridLayout(precision);
    rbHledatPresne = radio(precision, "rbHledatPresne", QStringLiteral("Hledat přesně"), true);
    rbHledatVse = radio(precision, "rbHledatVse", QStringLiteral("Hledat vše"));
    rbHledatPriblizne = radio(precision, "rbHledatPriblizne", QStringLiteral("Hledat vše s přesností >="));
    eUspesnost = new QLineEdit(precision);
    eUspesnost->setObjectName(QStringLiteral("eUspesnost"));
    eUspesnost->setReadOnly(true);
    eUspesnost->setMaximumWidth(70);
    cbInterval = check(precision, "cbInterval", QStringLiteral("Dodržet zadaný interval"), true);
    cbInterval->setToolTip(QStringLiteral("Pokud nebude vybráno, bude hledán libovolný průnik..."));
    pl->addWidget(rbHledatPresne, 0, 0);
    pl->addWidget(rbHledatVse, 1, 0);
    pl->addWidget(rbHledatPriblizne, 2, 0);
    pl->addWidget(eUspesnost, 2, 1);
    pl->addWidget(cbInterval, 3, 0, 1, 2);
    pl->setRowStretch(4, 1);
    layout->addWidget(precision, 1);
}

void TfHledani::buildMechanicalPage(QWidget *page)
{
    auto *layout = new QHBoxLayout(page);
    const ConditionsGroup group = conditionsGroup(page, "cbKovy1", "cbMatTypes2");
    QGroupBox *conditions = group.box;
    QVBoxLayout *cl = group.layout;
    cbKovy1 = group.inMetals;
    cbMatTypes2 = group.types;
    cbVlastnosti = check(conditions, "cbVlastnosti", QStringLiteral("Hledat ve vlastnostech"), true);
    cl->addWidget(cbVlastnosti);
    cl->addWidget(listButtons(conditions));
    grUserMechProp = criteriaGridView(conditions, "grUserMechProp");
    m_mechModel = new db::DataSetModel(&m_data.tUserMechProp, this);
    linkGrid(grUserMechProp, m_mechModel);
    grUserMechProp->setItemDelegate(new GroupRowDelegate(m_data.tUserMechProp, grUserMechProp));
    ui::removeGridButton(grUserMechProp, QStringLiteral("lkProperty"));
    cl->addWidget(grUserMechProp, 1);
    layout->addWidget(conditions, 2);

    auto *other = new QWidget(page);
    auto *ol = new QGridLayout(other);
    cbTeplota = check(other, "cbTeplota", QStringLiteral("Hledat v teplotách"));
    eTeplota = numberBox(other, "eTeplota", QStringLiteral(" °C"));
    ol->addWidget(cbTeplota, 0, 0);
    ol->addWidget(eTeplota, 0, 1, 1, 3);
    cbPolotovary = check(other, "cbPolotovary", QStringLiteral("Hledat v polotovarech"));
    ol->addWidget(cbPolotovary, 1, 0);
    cbGroup1 = filterBox(other, "cbGroup1");
    cbGroup2 = filterBox(other, "cbGroup2");
    cbGroup3 = filterBox(other, "cbGroup3");
    cbGroup4 = filterBox(other, "cbGroup4");
    int row = 1;
    for (QComboBox *g : {cbGroup1, cbGroup2, cbGroup3, cbGroup4})
        ol->addWidget(g, row++, 1, 1, 3);
    cbStavy = check(other, "cbStavy", QStringLiteral("Hledat ve stavech"));
    cbStates = filterBox(other, "cbStates");
    ol->addWidget(cbStavy, row, 0);
    ol->addWidget(cbStates, row++, 1, 1, 3);
    cbRozmery = check(other, "cbRozmery", QStringLiteral("Hledat v rozměrech"));
    eMinRozmer = numberBox(other, "eMinRozmer", QStringLiteral(" mm"));
    eMaxRozmer = numberBox(other, "eMaxRozmer", QStringLiteral(" mm"));
    ol->addWidget(cbRozmery, row, 0);
    ol->addWidget(eMinRozmer, row, 1);
    ol->addWidget(new QLabel(QStringLiteral(" - "), other), row, 2);
    ol->addWidget(eMaxRozmer, row++, 3);
    ol->setRowStretch(row, 1);
    layout->addWidget(other, 1);
}

void TfHledani::buildUsagePage(QWidget *page)
{
    auto *layout = new QGridLayout(page);
    cbKovy3 = check(page, "cbKovy3", QStringLiteral("Hledat v kovech"));
    cbMatTypes3 = filterBox(page, "cbMatTypes3");
    cbPouziti = check(page, "cbPouziti", QStringLiteral("Hledat podle použití"), true);
    ePouziti = new QLineEdit(page);
    ePouziti->setObjectName(QStringLiteral("ePouziti"));
    ePouziti->setToolTip(QStringLiteral("Zadejte hledaný text..."));
    connect(ePouziti, &QLineEdit::returnPressed, this, &TfHledani::find);
    layout->addWidget(cbKovy3, 0, 0);
    layout->addWidget(cbMatTypes3, 0, 1);
    layout->addWidget(cbPouziti, 1, 0);
    layout->addWidget(ePouziti, 1, 1);
    cbDiakritika = check(page, "cbDiakritika", QStringLiteral("Bez ohledu na diakritiku"));
    cbDiakritika->setToolTip(QStringLiteral("Hledat i text napsaný bez háčků a čárek (hridele najde hřídele)"));
    layout->addWidget(cbDiakritika, 2, 1);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(3, 1);

    // The criteria grids' pop-up menus.
    for (QTableView *g : {grUserChemComp, grUserMechProp}) {
        auto sep = [g] {
            auto *s = new QAction(g);
            s->setSeparator(true);
            return s;
        };
        g->addActions({aSelect, sep(), aInsert, aChange, aDelete, sep(), aNacist, aDeleteAll, sep(), aNastaveni});
        connect(g, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
            // Bounds are edited in place; elsewhere a double click toggles the row.
            auto *model = qobject_cast<const db::DataSetModel *>(index.model());
            const db::Field *f = model ? model->fieldAt(index.column()) : nullptr;
            if (!f || f->isReadOnly() || f->kind() != db::FieldKind::Data)
                aSelect->trigger();
        });
    }
    for (db::DataSetModel *m : {m_chemModel, m_mechModel})
        connect(m, &db::DataSetModel::editFailed, this,
                [this](const QString &text) { message(text, ui::MsgType::Error, ui::MsgButton::OK); });
}

void TfHledani::fillFilterLists()
{
    QStringList types;
    {
        db::Statement s(m_data.catalogueSession(), QStringLiteral("select Name from MatTypes"));
        while (s.step())
            types << s.value(0).toString();
    }
    for (QComboBox *b : {cbMatTypes, cbMatTypes1, cbMatTypes2, cbMatTypes3})
        fillSorted(b, types, kAllMetals);
    fillSorted(cbCountryName, column(m_data.qCountry, QStringLiteral("Name")), kAllCountries);
    fillSorted(cbStates, column(m_data.tSttypes, QStringLiteral("Name")), kAllStates);
    refillSemiProducts();
}

void TfHledani::refillSemiProducts()
{
    const QString type = cbMatTypes2->currentText();
    QStringList filters;
    if (type == kAllMetals)
        filters = {QStringLiteral("GroupNo=1 or GroupNo=5"), QStringLiteral("GroupNo=2"), QStringLiteral("GroupNo=3"),
                   QStringLiteral("GroupNo=4")};
    else if (type == kNonFerrous)
        filters = {QStringLiteral("GroupNo=5"), QStringLiteral("GroupNo=0"), QStringLiteral("GroupNo=0"),
                   QStringLiteral("GroupNo=0")};
    else
        filters = {QStringLiteral("GroupNo=1"), QStringLiteral("GroupNo=2"), QStringLiteral("GroupNo=3"),
                   QStringLiteral("GroupNo=4")};
    db::DataSet &sem = m_data.tSemTypes;
    if (!sem.isOpen())
        sem.open();
    QComboBox *boxes[] = {cbGroup1, cbGroup2, cbGroup3, cbGroup4};
    for (int i = 0; i < 4; ++i) {
        // The data set stays filtered by the last filter; the property search relies on it.
        sem.setFilter(filters.at(i));
        sem.setFiltered(true);
        fillSorted(boxes[i], column(sem, QStringLiteral("Name")), kAllSemi);
    }
}

} // namespace orv::search
