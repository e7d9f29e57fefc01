#include "printouts/TfCompare.h"
#include "printouts/CompareXlsx.h"

#include "db/DbError.h"
#include "printouts/TableReport.h"
#include "report/output/Sestava.h"
#include "report/ui/ReportUi.h"
#include "report/ui/UiHooks.h"
#include "ui/CsvText.h"
#include "ui/MessageDialog.h"
#include "ui/SaveLocation.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QShortcut>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <exception>
#include <memory>

namespace orv::printouts {

namespace {

const QString kSection = QStringLiteral("POROVNANI");
const QColor kDiffers(255, 236, 179);
const QColor kGroupBand(232, 238, 245);
const QColor kGroupInk(18, 60, 105);

// Field names of the report's data: the caption, one per material, the group and the mark.
QStringList reportFields(int materials)
{
    QStringList names{QStringLiteral("Vlastnost")};
    for (int i = 1; i <= materials; ++i)
        names << QStringLiteral("M%1").arg(i);
    names << QStringLiteral("Skupina") << QStringLiteral("Lisi");
    return names;
}

} // namespace

QString TfCompare::countMessage(qsizetype count)
{
    if (count >= kCompareMin && count <= kCompareMax)
        return {};
    return QStringLiteral("Vyberte dva až šest materiálů k porovnání (vybráno: %1).").arg(count);
}

TfCompare::TfCompare(const QList<int> &materials, const CompareEnvironment &env, QWidget *parent)
    : QWidget(parent, Qt::Window), m_env(env), m_materials(materials)
{
    setObjectName(QStringLiteral("fPorovnani"));
    setWindowTitle(windowCaption());
    setAttribute(Qt::WA_DeleteOnClose, false);
    buildWindow();
    m_loading = true;
    restoreSettings();
    m_loading = false;
    reload();
}

TfCompare::~TfCompare() = default;

void TfCompare::buildWindow()
{
    QHBoxLayout *criteriaRow = buildCriteriaRow();

    m_table = new QTableWidget(this);
    m_table->setObjectName(QStringLiteral("grPorovnani"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::ContiguousSelection);
    m_table->verticalHeader()->hide();
    m_table->setWordWrap(true);
    m_table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    QHBoxLayout *buttons = buildButtonRow();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(criteriaRow);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
    auto *f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, [this] {
        if (m_env.showHelp)
            m_env.showHelp();
    });
    resize(std::min(1400, 330 + 190 * int(m_materials.size())), 760);
}

// "Polotovar", "Stav", "Rozměr" and "Skrýt shodné řádky"; a change loads the comparison again.
QHBoxLayout *TfCompare::buildCriteriaRow()
{
    auto *criteriaRow = new QHBoxLayout;
    auto addLabelled = [&](const QString &caption, QWidget *w) {
        auto *l = new QLabel(caption);
        l->setBuddy(w);
        criteriaRow->addWidget(l);
        criteriaRow->addWidget(w);
        criteriaRow->addSpacing(10);
    };
    m_semi = new QComboBox;
    m_semi->setObjectName(QStringLiteral("cbPolotovar"));
    m_semi->addItem(QStringLiteral("libovolný"), 0);
    m_state = new QComboBox;
    m_state->setObjectName(QStringLiteral("cbStav"));
    m_state->addItem(QStringLiteral("libovolný"), 0);
    if (m_env.catalogue) {
        for (const CodeItem &i : semiProductKinds(*m_env.catalogue))
            m_semi->addItem(i.name, i.number);
        for (const CodeItem &i : stateKinds(*m_env.catalogue))
            m_state->addItem(i.name, i.number);
    }
    m_dimension = new QDoubleSpinBox;
    m_dimension->setObjectName(QStringLiteral("eRozmer"));
    m_dimension->setRange(0, 10000);
    m_dimension->setDecimals(1);
    m_dimension->setSpecialValueText(QStringLiteral("libovolný"));
    m_dimension->setSuffix(QStringLiteral(" mm"));
    m_dimension->setToolTip(QStringLiteral("Rozměr polotovaru; hodnota 0 znamená libovolný rozměr"));
    addLabelled(QStringLiteral("&Polotovar:"), m_semi);
    addLabelled(QStringLiteral("&Stav:"), m_state);
    addLabelled(QStringLiteral("&Rozměr:"), m_dimension);
    m_hideEqual = new QCheckBox(QStringLiteral("Skrýt &shodné řádky"));
    m_hideEqual->setObjectName(QStringLiteral("cbSkrytShodne"));
    criteriaRow->addWidget(m_hideEqual);
    criteriaRow->addStretch();

    auto changed = [this] {
        if (m_loading)
            return;
        // A catalogue that cannot be read (medium taken out) is told, the window stays.
        try {
            reload();
        } catch (const std::exception &e) {
            message(QString::fromUtf8(e.what()));
        }
    };
    connect(m_semi, &QComboBox::currentIndexChanged, this, changed);
    connect(m_state, &QComboBox::currentIndexChanged, this, changed);
    connect(m_dimension, &QDoubleSpinBox::valueChanged, this, changed);
    connect(m_hideEqual, &QCheckBox::toggled, this, [this] {
        if (!m_loading)
            fillTable();
    });
    return criteriaRow;
}

// The summary and the buttons under the table.
QHBoxLayout *TfCompare::buildButtonRow()
{
    m_summary = new QLabel;
    m_summary->setObjectName(QStringLiteral("lSouhrn"));

    auto button = [this](const char *name, const QString &caption) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    QPushButton *preview = button("btNahled", QStringLiteral("&Náhled"));
    QPushButton *print = button("btTisk", QStringLiteral("&Tisk..."));
    QPushButton *csv = button("btCsv", QStringLiteral("Uložit jako &CSV..."));
    QPushButton *pdf = button("btPdf", QStringLiteral("Uložit jako P&DF..."));
    QPushButton *xlsx = button("btXlsx", QStringLiteral("Uložit jako &XLSX ..."));
    QPushButton *forCalc = button("btExportVypocty", QStringLiteral("&Export pro výpočty..."));
    forCalc->setVisible(bool(m_env.exportForCalculation));
    QPushButton *help = button("btNapoveda", QStringLiteral("Nápo&věda"));
    QPushButton *close = button("btZavrit", QStringLiteral("&Zavřít"));
    help->setVisible(bool(m_env.showHelp));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_summary, 1);
    for (QPushButton *b : {preview, print, csv, xlsx, pdf, forCalc, help, close})
        buttons->addWidget(b);

    connect(preview, &QPushButton::clicked, this, [this] { this->preview(); });
    connect(print, &QPushButton::clicked, this, [this] { this->print(); });
    connect(csv, &QPushButton::clicked, this, [this] {
        const QString file = askFile(QStringLiteral("csv"));
        if (!file.isEmpty())
            exportCsv(file);
    });
    connect(xlsx, &QPushButton::clicked, this, [this] {
        if (const QString file = askFile(QStringLiteral("xlsx")); !file.isEmpty())
            exportXlsx(file);
    });
    connect(pdf, &QPushButton::clicked, this, [this] {
        const QString file = askFile(QStringLiteral("pdf"));
        if (!file.isEmpty())
            exportPdf(file);
    });
    connect(forCalc, &QPushButton::clicked, this, [this] {
        if (m_env.exportForCalculation)
            m_env.exportForCalculation(this, m_comparison.materials, m_comparison.dimensions);
    });
    connect(help, &QPushButton::clicked, this, [this] {
        if (m_env.showHelp)
            m_env.showHelp();
    });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    return buttons;
}

CompareCriteria TfCompare::criteria() const
{
    CompareCriteria c;
    c.semiProductKind = m_semi->currentData().toInt();
    c.state = m_state->currentData().toInt();
    c.dimension = m_dimension->value() > 0 ? m_dimension->value() : -1;
    return c;
}

void TfCompare::setCriteria(const CompareCriteria &c)
{
    m_loading = true;
    m_semi->setCurrentIndex(std::max(0, m_semi->findData(c.semiProductKind)));
    m_state->setCurrentIndex(std::max(0, m_state->findData(c.state)));
    m_dimension->setValue(c.dimension > 0 ? c.dimension : 0);
    m_loading = false;
    reload();
}

bool TfCompare::hideEqual() const
{
    return m_hideEqual->isChecked();
}

void TfCompare::setHideEqual(bool hide)
{
    m_hideEqual->setChecked(hide);
}

void TfCompare::reload()
{
    if (!m_env.catalogue)
        return;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        m_comparison = loadComparison(*m_env.catalogue, m_materials, criteria());
    }
    fillTable();
}

void TfCompare::fillTable()
{
    const QList<CompareRow> rows = m_comparison.visibleRows(hideEqual());
    const int n = int(m_comparison.headings.size());
    m_table->clear();
    m_table->clearSpans();
    m_table->setColumnCount(n + 1);
    m_table->setHorizontalHeaderLabels(QStringList{QStringLiteral("Vlastnost")} + m_comparison.headings);
    for (int c = 0; c < n; ++c)
        if (m_comparison.own.value(c))
            m_table->horizontalHeaderItem(c + 1)->setToolTip(QStringLiteral("Vlastní materiál uživatele"));

    // A band row before each group, then its rows.
    int count = 0;
    QString group;
    for (const CompareRow &r : rows) {
        if (r.group != group) {
            group = r.group;
            ++count;
        }
        ++count;
    }
    m_table->setRowCount(count);
    QFont bold = m_table->font();
    bold.setBold(true);
    int row = 0;
    int differing = 0;
    group.clear();
    for (const CompareRow &r : rows) {
        if (r.group != group) {
            group = r.group;
            auto *band = new QTableWidgetItem(group);
            band->setFont(bold);
            band->setForeground(kGroupInk);
            band->setBackground(kGroupBand);
            band->setData(Qt::UserRole, QStringLiteral("group"));
            m_table->setItem(row, 0, band);
            m_table->setSpan(row, 0, 1, n + 1);
            ++row;
        }
        auto *caption = new QTableWidgetItem(r.caption);
        caption->setData(Qt::UserRole + 1, r.group);
        m_table->setItem(row, 0, caption);
        for (int c = 0; c < n; ++c) {
            auto *cell = new QTableWidgetItem(r.cells.value(c));
            if (r.differs) {
                cell->setBackground(kDiffers);
                cell->setData(Qt::UserRole, QStringLiteral("differs"));
                cell->setToolTip(QStringLiteral("Hodnoty materiálů se v tomto řádku liší"));
            }
            m_table->setItem(row, c + 1, cell);
        }
        if (r.differs && !r.identity)
            ++differing;
        ++row;
    }
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    for (int c = 1; c <= n; ++c)
        m_table->horizontalHeader()->setSectionResizeMode(c, QHeaderView::Stretch);
    m_table->setCurrentCell(-1, -1);
    m_table->resizeRowsToContents();
    fitRowsLater();
    m_summary->setText(QStringLiteral("Materiálů: %1   Řádků: %2   Řádků s rozdíly: %3")
                           .arg(n)
                           .arg(rows.size())
                           .arg(differing));
}

QList<QStringList> TfCompare::shownLines() const
{
    // Read back from the grid, so that what is saved is what the window shows.
    QList<QStringList> out;
    QStringList head;
    head << QStringLiteral("Skupina");
    for (int c = 0; c < m_table->columnCount(); ++c)
        head << m_table->horizontalHeaderItem(c)->text();
    out << head;
    QString group;
    for (int r = 0; r < m_table->rowCount(); ++r) {
        const QTableWidgetItem *first = m_table->item(r, 0);
        if (!first)
            continue;
        if (first->data(Qt::UserRole).toString() == QLatin1String("group")) {
            group = first->text();
            continue;
        }
        QStringList line{group};
        for (int c = 0; c < m_table->columnCount(); ++c) {
            const QTableWidgetItem *it = m_table->item(r, c);
            line << (it ? it->text() : QString());
        }
        out << line;
    }
    return out;
}

QString TfCompare::criteriaText() const
{
    QStringList parts;
    parts << QStringLiteral("Mechanické vlastnosti: polotovar %1, stav %2, rozměr %3")
                 .arg(m_semi->currentText(), m_state->currentText(),
                      m_dimension->value() > 0 ? m_dimension->textFromValue(m_dimension->value()) + QStringLiteral(" mm")
                                               : QStringLiteral("libovolný"));
    if (hideEqual())
        parts << QStringLiteral("shodné řádky skryty");
    return parts.join(QStringLiteral("  ·  "));
}

QStringList TfCompare::reportTemplate() const
{
    const int n = int(m_comparison.headings.size());
    TableLayout layout;
    layout.title = QStringLiteral("Porovnání materiálů");
    layout.subtitle = criteriaText();
    layout.columns = reportFields(n).mid(0, n + 1);
    layout.headings = QStringList{QStringLiteral("Vlastnost")} + m_comparison.headings;
    layout.weights = QList<int>{n > 4 ? 4 : 5};
    for (int i = 0; i < n; ++i)
        layout.weights << 4;
    layout.groupField = QStringLiteral("Skupina");
    layout.markField = QStringLiteral("Lisi");
    layout.landscape = n > 3;
    return tableTemplate(layout);
}

TfPrintTable *TfCompare::makePrintDialog()
{
    const int n = int(m_comparison.headings.size());
    QList<QStringList> rows;
    for (const CompareRow &r : m_comparison.visibleRows(hideEqual()))
        rows << (QStringList{r.caption} + r.cells + QStringList{r.group, r.differs ? QStringLiteral("1") : QString()});
    PrintEnvironment env;
    env.catalogue = m_env.catalogue;
    env.programDir = m_env.programDir;
    env.checkDataRoot = m_env.checkDataRoot;
    env.showMessage = m_env.showMessage;
    if (m_env.askFile)
        env.askPdfFile = [this](QWidget *parent) { return m_env.askFile(parent, QStringLiteral("pdf")); };
    auto *dialog = new TfPrintTable(QStringLiteral("Tisk porovnání materiálů"), TableLayout{}, reportFields(n), rows, env,
                                    this);
    dialog->Ses.Predloha = reportTemplate();
    dialog->Ses.Popis = QStringLiteral("Porovnání materiálů");
    return dialog;
}

void TfCompare::preview()
{
    std::unique_ptr<TfPrintTable> dialog(makePrintDialog());
    dialog->Ses.Preview();
}

void TfCompare::print()
{
    std::unique_ptr<TfPrintTable> dialog(makePrintDialog());
    dialog->exec();
}

QString TfCompare::exportCsv(const QString &file)
{
    const QString why = ui::saveCsvFile(file, ui::csvText(shownLines()));
    if (!why.isEmpty())
        message(why);
    return why;
}

QString TfCompare::exportXlsx(const QString &file)
{
    const QString why = comparisonWorkbook(m_comparison, hideEqual(), m_env.catalogue->fileOf(db::Database::Catalogue),
                                           criteriaText())
                            .save(file);
    if (!why.isEmpty())
        message(why);
    return why;
}

QString TfCompare::exportPdf(const QString &file)
{
    std::unique_ptr<TfPrintTable> dialog(makePrintDialog());
    const int r = dialog->printToPdf(file);
    if (r == seOk)
        return {};
    // The dialog and the report generator have told the user already.
    if (r == seCancelled)
        return QStringLiteral("Tisk byl přerušen.");
    return TfPrintBase::pdfFailedMessage().arg(QDir::toNativeSeparators(file));
}

QString TfCompare::askFile(const QString &suffix)
{
    if (m_env.askFile)
        return m_env.askFile(this, suffix);
    TSaveFileRequest request;
    const bool csv = suffix == QLatin1String("csv"), xlsx = suffix == QLatin1String("xlsx");
    request.Title = csv ? QStringLiteral("Uložit porovnání jako CSV")
        : xlsx          ? QStringLiteral("Uložit porovnání jako XLSX")
                        : QStringLiteral("Uložit porovnání jako PDF");
    request.Filters = {csv ? QStringLiteral("Soubory CSV (*.csv)")
                       : xlsx ? QStringLiteral("Sešity XLSX (*.xlsx)")
                              : QStringLiteral("Dokumenty PDF (*.pdf)")};
    request.DefaultSuffix = suffix;
    request.StartName = ui::suggestedSavePath(QStringLiteral("porovnání materiálů.") + suffix);
    QString file = AskSaveFile(this, request);
    if (!file.isEmpty() && !file.endsWith(QLatin1Char('.') + suffix, Qt::CaseInsensitive))
        file += QLatin1Char('.') + suffix;
    return file;
}

void TfCompare::message(const QString &text) const
{
    if (m_env.showMessage)
        m_env.showMessage(text);
    else
        ui::message(text, ui::MsgType::Error, ui::MsgButton::OK);
}

void TfCompare::saveSettings() const
{
    if (m_env.settingsFile.isEmpty())
        return;
    QSettings s(m_env.settingsFile, QSettings::IniFormat);
    s.beginGroup(kSection);
    const CompareCriteria c = criteria();
    s.setValue(QStringLiteral("Polotovar"), c.semiProductKind);
    s.setValue(QStringLiteral("Stav"), c.state);
    s.setValue(QStringLiteral("Rozmer"), m_dimension->value());
    s.setValue(QStringLiteral("SkrytShodne"), hideEqual());
    s.endGroup();
    s.sync();
}

void TfCompare::restoreSettings()
{
    if (m_env.settingsFile.isEmpty())
        return;
    QSettings s(m_env.settingsFile, QSettings::IniFormat);
    s.beginGroup(kSection);
    m_semi->setCurrentIndex(std::max(0, m_semi->findData(s.value(QStringLiteral("Polotovar"), 0).toInt())));
    m_state->setCurrentIndex(std::max(0, m_state->findData(s.value(QStringLiteral("Stav"), 0).toInt())));
    m_dimension->setValue(s.value(QStringLiteral("Rozmer"), 0.0).toDouble());
    m_hideEqual->setChecked(s.value(QStringLiteral("SkrytShodne"), false).toBool());
    s.endGroup();
}

void TfCompare::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    fitRowsLater();
}

void TfCompare::fitRowsLater()
{
    // Wrapped cells take the height their column's width needs, once the stretched columns
    // have their new widths.
    if (m_fitPending)
        return;
    m_fitPending = true;
    QTimer::singleShot(0, this, [this] {
        m_fitPending = false;
        m_table->resizeRowsToContents();
    });
}

void TfCompare::closeEvent(QCloseEvent *event)
{
    saveSettings();
    QWidget::closeEvent(event);
}

} // namespace orv::printouts
