#include "matexport/ExportDialog.h"

#include "browse/MaterialCard.h"
#include "matexport/CardReader.h"
#include "ui/BusyCursor.h"
#include "ui/MessageDialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace orv::matexport {

namespace {

constexpr Format formats[] = {Format::Inp, Format::MatMl, Format::Csv};

} // namespace

ExportDialog::ExportDialog(const QList<ExportItem> &items, QWidget *parent) : QDialog(parent), m_items(items)
{
    setObjectName(QStringLiteral("fExportVypocty"));
    setWindowTitle(windowCaption());
    build();
    refresh();
}

void ExportDialog::build()
{
    auto *column = new QVBoxLayout(this);

    QStringList titles;
    for (const ExportItem &i : m_items)
        titles << i.data.title();
    auto *heading = new QLabel(QStringLiteral("<b>%1</b>").arg(titles.join(QStringLiteral(", ")).toHtmlEscaped()), this);
    heading->setObjectName(QStringLiteral("lMaterialy"));
    heading->setWordWrap(true);
    column->addWidget(heading);

    // What goes out.
    auto *what = new QGroupBox(QStringLiteral("Co exportovat"), this);
    auto *whatLayout = new QVBoxLayout(what);
    m_physical = new QCheckBox(QStringLiteral("&Fyzikální vlastnosti (hustota, moduly pružnosti, roztažnost, vodivost, "
                                              "měrná tepelná kapacita ...)"),
                               what);
    m_physical->setObjectName(QStringLiteral("cbFyzikalni"));
    m_physical->setChecked(true);
    whatLayout->addWidget(m_physical);
    auto *mechRow = new QHBoxLayout;
    m_mechanical = new QCheckBox(QStringLiteral("&Mechanické vlastnosti:"), what);
    m_mechanical->setObjectName(QStringLiteral("cbMechanicke"));
    m_mechanical->setChecked(true);
    mechRow->addWidget(m_mechanical);
    m_mechRow = new QComboBox(what);
    m_mechRow->setObjectName(QStringLiteral("cbPolotovarStavRozmer"));
    m_mechRow->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    if (m_items.size() == 1) {
        const MaterialData &d = m_items.first().data;
        for (const MechRow &r : d.mechanical)
            m_mechRow->addItem(r.caption());
        if (d.mechanical.isEmpty())
            m_mechRow->addItem(QStringLiteral("materiál nemá mechanické vlastnosti"));
        m_mechRow->setCurrentIndex(std::max(0, m_items.first().mechRow));
        m_mechRow->setEnabled(!d.mechanical.isEmpty());
    } else {
        m_mechRow->addItem(QStringLiteral("polotovar, stav a rozměr podle porovnání"));
        m_mechRow->setEnabled(false);
    }
    mechRow->addWidget(m_mechRow, 1);
    whatLayout->addLayout(mechRow);
    m_plastic = new QCheckBox(QStringLiteral("*&PLASTIC z Re, Rm a A (bilineární náhrada, jen karta řešiče)"), what);
    m_plastic->setObjectName(QStringLiteral("cbPlastic"));
    whatLayout->addWidget(m_plastic);
    column->addWidget(what);

    // The file.
    auto *file = new QGroupBox(QStringLiteral("Formát a jednotky"), this);
    auto *fileLayout = new QVBoxLayout(file);
    auto *group = new QButtonGroup(this);
    const char *names[] = {"rbInp", "rbMatMl", "rbCsv"};
    for (int i = 0; i < 3; ++i) {
        m_formats[i] = new QRadioButton(formatCaption(formats[i]), file);
        m_formats[i]->setObjectName(QLatin1String(names[i]));
        group->addButton(m_formats[i]);
        fileLayout->addWidget(m_formats[i]);
    }
    m_formats[0]->setChecked(true);
    auto *form = new QFormLayout;
    m_units = new QComboBox(file);
    m_units->setObjectName(QStringLiteral("cbJednotky"));
    m_units->addItem(systemName(UnitSystem::NmmSTonne) + QStringLiteral(" (napětí MPa, hustota t/mm3)"));
    m_units->addItem(systemName(UnitSystem::NmSKg) + QStringLiteral(" (napětí Pa, hustota kg/m3)"));
    form->addRow(QStringLiteral("&Jednotky:"), m_units);
    m_range = new QComboBox(file);
    m_range->setObjectName(QStringLiteral("cbRozsah"));
    for (RangeValue r : {RangeValue::Min, RangeValue::Mean, RangeValue::Max})
        m_range->addItem(rangeCaption(r));
    form->addRow(QStringLiteral("Z &rozsahu min - max použít:"), m_range);
    fileLayout->addLayout(form);
    column->addWidget(file);

    // What the catalogue lacks: it stays out of the file.
    auto *lacking = new QLabel(QStringLiteral("Hodnoty, které katalog neuvádí (do souboru se nezapíší, nic se neodhaduje):"), this);
    lacking->setWordWrap(true);
    column->addWidget(lacking);
    m_missing = new QListWidget(this);
    m_missing->setObjectName(QStringLiteral("lbChybi"));
    m_missing->setMinimumHeight(90);
    column->addWidget(m_missing, 1);
    // A value the catalogue lacks may be given by the user; it is used only where the
    // catalogue has none, and the file names its origin.
    auto *typed = new QHBoxLayout;
    typed->addWidget(new QLabel(QStringLiteral("&Doplnit chybějící:"), this));
    m_typedQuantity = new QComboBox(this);
    m_typedQuantity->setObjectName(QStringLiteral("cbDoplnitVelicinu"));
    for (Quantity q : allQuantities)
        m_typedQuantity->addItem(czechName(q), int(q));
    m_typedQuantity->setCurrentIndex(m_typedQuantity->findData(int(Quantity::PoissonRatio)));
    static_cast<QLabel *>(typed->itemAt(0)->widget())->setBuddy(m_typedQuantity);
    typed->addWidget(m_typedQuantity, 1);
    m_typedValue = new QLineEdit(this);
    m_typedValue->setObjectName(QStringLiteral("eDoplnitHodnotu"));
    m_typedValue->setPlaceholderText(QStringLiteral("hodnota při 20 °C"));
    m_typedValue->setMaximumWidth(140);
    typed->addWidget(m_typedValue);
    m_typedUnit = new QLabel(this);
    typed->addWidget(m_typedUnit);
    auto *apply = new QPushButton(QStringLiteral("Do&plnit"), this);
    apply->setObjectName(QStringLiteral("btDoplnit"));
    typed->addWidget(apply);
    column->addLayout(typed);
    auto showUnit = [this] {
        const Quantity q = Quantity(m_typedQuantity->currentData().toInt());
        m_typedUnit->setText(inputUnit(q) == QLatin1String("-") ? QString() : inputUnit(q));
        m_typedValue->setText(m_userValues.contains(q) ? QString::number(m_userValues.value(q)) : QString());
    };
    showUnit();
    connect(m_typedQuantity, &QComboBox::currentIndexChanged, this, showUnit);
    connect(apply, &QPushButton::clicked, this, &ExportDialog::applyTypedValue);
    connect(m_typedValue, &QLineEdit::returnPressed, this, &ExportDialog::applyTypedValue);

    m_notes = new QLabel(this);
    m_notes->setObjectName(QStringLiteral("lPoznamky"));
    m_notes->setWordWrap(true);
    column->addWidget(m_notes);

    auto *buttons = new QDialogButtonBox(this);
    m_save = buttons->addButton(QStringLiteral("&Uložit..."), QDialogButtonBox::AcceptRole);
    m_save->setObjectName(QStringLiteral("btUlozit"));
    QPushButton *cancel = buttons->addButton(QStringLiteral("Storno"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("btStorno"));
    connect(m_save, &QPushButton::clicked, this, &ExportDialog::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    column->addWidget(buttons);

    for (QCheckBox *b : {m_physical, m_mechanical, m_plastic})
        connect(b, &QCheckBox::toggled, this, &ExportDialog::refresh);
    for (QRadioButton *b : m_formats)
        connect(b, &QRadioButton::toggled, this, &ExportDialog::refresh);
    for (QComboBox *c : {m_mechRow, m_units, m_range})
        connect(c, &QComboBox::currentIndexChanged, this, &ExportDialog::refresh);
    resize(620, 560);
}

ExportOptions ExportDialog::options() const
{
    ExportOptions o;
    for (int i = 0; i < 3; ++i)
        if (m_formats[i]->isChecked())
            o.format = formats[i];
    o.units = m_units->currentIndex() == 1 ? UnitSystem::NmSKg : UnitSystem::NmmSTonne;
    o.range = RangeValue(std::max(0, m_range->currentIndex()));
    o.physical = m_physical->isChecked();
    o.mechanical = m_mechanical->isChecked();
    o.plastic = m_plastic->isChecked() && o.format == Format::Inp;
    o.userValues = m_userValues;
    return o;
}

void ExportDialog::setOptions(const ExportOptions &o)
{
    for (int i = 0; i < 3; ++i)
        m_formats[i]->setChecked(formats[i] == o.format);
    m_units->setCurrentIndex(o.units == UnitSystem::NmSKg ? 1 : 0);
    m_range->setCurrentIndex(int(o.range));
    m_physical->setChecked(o.physical);
    m_mechanical->setChecked(o.mechanical);
    m_plastic->setChecked(o.plastic);
    m_userValues = o.userValues;
    refresh();
}

void ExportDialog::setUserValue(Quantity q, std::optional<double> value)
{
    if (value)
        m_userValues[q] = *value;
    else
        m_userValues.remove(q);
    refresh();
}

void ExportDialog::applyTypedValue()
{
    const Quantity q = Quantity(m_typedQuantity->currentData().toInt());
    QString text = m_typedValue->text().trimmed();
    if (text.isEmpty()) {
        setUserValue(q, std::nullopt);
        return;
    }
    bool ok = false;
    const double v = text.replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    if (!ok || !std::isfinite(v) || !toSi(q, inputUnit(q), v)) {
        const QString why = QStringLiteral("„%1“ není číslo.").arg(m_typedValue->text());
        if (showMessage)
            showMessage(why);
        else
            ui::message(why, ui::MsgType::Warning, ui::MsgButton::OK);
        return; // the typed text stays in the box
    }
    setUserValue(q, v);
}

QList<ExportItem> ExportDialog::items() const
{
    QList<ExportItem> out = m_items;
    if (out.size() == 1 && !out.first().data.mechanical.isEmpty())
        out.first().mechRow = m_mechRow->currentIndex();
    return out;
}

ExportResult ExportDialog::exportResult() const
{
    return exportMaterials(items(), options());
}

void ExportDialog::refresh()
{
    const ExportOptions o = options();
    m_plastic->setEnabled(o.format == Format::Inp);
    m_mechRow->setEnabled(m_items.size() == 1 && o.mechanical && !m_items.first().data.mechanical.isEmpty());
    const ExportResult r = exportResult();
    m_missing->clear();
    if (r.missing.isEmpty())
        m_missing->addItem(QStringLiteral("Nic nechybí."));
    else
        m_missing->addItems(r.missing);
    m_notes->setText(r.notes.join(QLatin1Char('\n')));
}

QString ExportDialog::suggestedName() const
{
    QString base = m_items.size() == 1 ? solverName(m_items.first().data.title()) : QStringLiteral("materialy");
    return base + QLatin1Char('.') + formatSuffix(options().format);
}

QString ExportDialog::saveTo(const QString &file)
{
    const QString why = saveExportFile(file, exportResult().bytes);
    if (!why.isEmpty()) {
        if (showMessage)
            showMessage(why);
        else
            ui::message(why, ui::MsgType::Error, ui::MsgButton::OK);
    }
    return why;
}

void ExportDialog::save()
{
    const Format format = options().format;
    QString file;
    if (askFile) {
        file = askFile(this, suggestedName(), format);
    } else {
        const QString filter = format == Format::Inp     ? QStringLiteral("Vstup řešiče (*.inp)")
                               : format == Format::MatMl ? QStringLiteral("MatML (*.xml)")
                                                         : QStringLiteral("CSV (*.csv)");
        file = QFileDialog::getSaveFileName(this, windowCaption(), QDir::home().filePath(suggestedName()), filter);
    }
    if (file.isEmpty())
        return;
    if (saveTo(file).isEmpty())
        accept();
}

void exportFromCard(browse::MaterialCard &card, QWidget *parent)
{
    ExportItem item;
    {
        ui::BusyCursor busy;
        item.data = readMaterialData(card);
    }
    item.mechRow = item.data.currentMechRow >= 0 ? item.data.currentMechRow : (item.data.mechanical.isEmpty() ? -1 : 0);
    ExportDialog dialog({item}, parent);
    dialog.exec();
}

QList<ExportItem> comparedItems(const browse::CardEnvironment &env, const QList<int> &materials,
                                const QList<int> &dimensions)
{
    QList<ExportItem> items;
    const QList<MaterialData> data = readMaterials(env, materials);
    for (qsizetype i = 0; i < data.size(); ++i) {
        ExportItem item;
        item.data = data.at(i);
        const int dim = dimensions.value(i);
        for (qsizetype r = 0; r < item.data.mechanical.size(); ++r)
            if (dim != 0 && item.data.mechanical.at(r).dimension == dim)
                item.mechRow = int(r);
        items << item;
    }
    return items;
}

void exportComparedMaterials(const browse::CardEnvironment &env, const QList<int> &materials, const QList<int> &dimensions,
                             QWidget *parent)
{
    QList<ExportItem> items;
    {
        ui::BusyCursor busy;
        items = comparedItems(env, materials, dimensions);
    }
    ExportDialog dialog(items, parent);
    dialog.exec();
}

} // namespace orv::matexport
