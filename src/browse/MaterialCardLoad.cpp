// The card's loading (the material, its notes and property tables, the stamps) and its pages and
// settings; the card's building and layout are in MaterialCard.cpp.

#include "browse/MaterialCard.h"

#include "browse/MaterialCardCells.h"
#include "browse/MaterialSources.h"
#include "browse/PdfSheet.h"
#include "core/Paths.h"
#include "db/MainDataModule.h"
#include "db/Schema.h"
#include "db/ServerAudit.h"
#include "db/WorkingCopies.h"
#include "ui/BusyCursor.h"
#include "ui/MessageDialog.h"

#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSettings>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>

namespace orv::browse {

using db::DataSet;
using db::Field;

// ------------------------------------------------------------------ loading

QString MaterialCard::dataRoot() const
{
    if (!m_dataRoot.isEmpty())
        return m_dataRoot;
    return m_env.dataRoot ? m_env.dataRoot() : QString();
}

void MaterialCard::setTitle(const QString &title)
{
    m_title = title;
    setWindowTitle(captionPrefix() + title);
}

// An own material's property rows live in the user file's own tables (the catalogue's are
// only read): the card reads them there for an own material and in the catalogue otherwise.
void MaterialCard::choosePropertyTables(int materialNo)
{
    const bool own = m_env.catalogue && db::isOwnMaterial(*m_env.catalogue, materialNo);
    if (own == m_ownPropertyTables)
        return;
    m_ownPropertyTables = own;
    for (DataSet *ds : {&qMechPropTemps, &qDimens, &qStates, &qSemiProd, &qTempProc, &qFyzProp, &qChemZbytek}) {
        ds->close();
        QStringList sql = ds->sql();
        for (QString &line : sql)
            line = db::propertyTablesIn(line, own);
        ds->setSql(sql);
    }
}

void MaterialCard::load(int materialNo)
{
    m_materialNo = materialNo;
    choosePropertyTables(materialNo);
    for (DataSet *ds : {&qMat, &qNorms, &qCompareNorms, &qChemComp, &qChemZbytek, &qSemiProd, &qTempProc, &qFyzProp})
        ds->setParam(QStringLiteral("in1"), materialNo);
    // Resolved again: the medium may have changed since the last card was loaded.
    if (m_env.dataRoot)
        m_dataRoot = m_env.dataRoot();
    {
        ui::BusyCursor busy;
        for (DataSet *ds : {&qMechPropTemps, &qDimens, &qStates, &qSemiProd, &qNodes, &tUserNotice})
            ds->close();
        for (DataSet *ds : {&qNotices, &qElements, &qCountry, &qProc, &qMat, &qNorms, &qNodes, &qCompareNorms,
                            &qChemComp, &qChemZbytek, &qTempProc, &qFyzPropType, &qFyzProp}) {
            ds->open();
        }
        // The note table holds the rows of this material only.
        tUserNotice.setRange(QStringLiteral("MATERIALNO"), materialNo);
        tUserNotice.open();
        if (!(m_env.economyMode && m_env.economyMode()))
            openMechanical();
        applyColumns();
        fillComposition();
        updateHeading();
        refreshTabs();
    }
    emit loaded();
}

void MaterialCard::openMechanical()
{
    for (DataSet *ds : {&qSemTypes, &qStTypes, &qPropType, &qSemiProd, &qStates, &qDimens, &qMechPropTemps})
        ds->open();
}

bool MaterialCard::mechanicalLoaded() const
{
    return qSemiProd.isOpen() && qMechPropTemps.isOpen();
}

void MaterialCard::showMechanicalProperties()
{
    ui::BusyCursor busy; // the normal cursor returns after a failure too
    openMechanical();
    applyColumns();
    m_economyButton->hide();
    m_semiPanel->show();
    m_statesPanel->show();
    if (m_mechSplit->widget(2))
        m_mechSplit->widget(2)->show();
    applyPanelSizes();
}

void MaterialCard::updateHeading()
{
    m_name->setText(qMat.isEmpty() ? QString() : qMat.value(QStringLiteral("Name")).toString());
    qNorms.first();
    m_normName->setText(qNorms.isEmpty() ? QString() : qNorms.value(QStringLiteral("Name")).toString());
    m_normLabel->setText(qNorms.isEmpty() ? QString() : qNorms.value(QStringLiteral("Label")).toString());
    if (!qMat.isEmpty()) {
        m_purpose->setPlainText(qMat.value(QStringLiteral("clPurpose")).toString());
        m_notice->setPlainText(qMat.value(QStringLiteral("lkNotice")).toString());
    } else {
        m_purpose->clear();
        m_notice->clear();
    }
    m_sources->setText(sourcesText(m_env.catalogue ? materialSources(*m_env.catalogue, m_materialNo) : QStringList()));
    const QString stamp = materialStampText();
    m_materialStamp->setText(stamp);
    m_materialStamp->setVisible(!stamp.isEmpty());
}

namespace {

// "Změnil: ... dne ..." of a data set's current (or first) row; empty without the columns.
QString stampOf(const DataSet &ds, int row)
{
    if (!ds.isOpen() || row < 0 || row >= ds.recordCount() || !ds.findField(db::changedByColumn())
        || !ds.findField(db::changedAtColumn()))
        return QString();
    return db::changeStampText(
        db::changeStamp(ds.valueAt(row, db::changedByColumn()), ds.valueAt(row, db::changedAtColumn())));
}

} // namespace

QString MaterialCard::materialStampText() const
{
    return stampOf(qMat, 0);
}

QString MaterialCard::noteStampText() const
{
    return stampOf(tUserNotice, 0);
}

bool MaterialCard::reload()
{
    // Asked first, before anything is closed: a server that does not answer leaves the card
    // as it was, and a material that is gone is not loaded as an empty card.
    if (m_env.catalogue
        && m_env.catalogue->scalar(QStringLiteral("select count(*) from Mat where Number=:m"), {{QStringLiteral("m"), m_materialNo}})
                   .toInt()
               == 0)
        return false;
    // Rows of the material that colleagues may have changed are read afresh.
    for (DataSet *ds : {&qMat, &qNorms, &qNodes, &qCompareNorms, &qChemComp, &qChemZbytek, &qNotices, &qSemiProd,
                        &qTempProc, &qFyzProp, &tUserNotice})
        if (!ds->isEditing())
            ds->close();
    const bool economy = !mechanicalLoaded();
    load(m_materialNo);
    if (!economy && !mechanicalLoaded())
        openMechanical();
    return materialExists();
}

bool MaterialCard::materialExists() const
{
    return qMat.isOpen() && !qMat.isEmpty();
}

QString MaterialCard::deletedMessage(const QString &title)
{
    return QStringLiteral("Materiál %1 v databázi již není: mezitím jej nejspíš smazal jiný uživatel. Jeho karta se "
                          "zavře; obsah obnovíte klávesou F5 (Obnovit).")
        .arg(title);
}

void MaterialCard::fillComposition()
{
    std::vector<CompositionRow> rows;
    rows.reserve(qChemComp.recordCount());
    for (int r = 0; r < qChemComp.recordCount(); ++r) {
        rows.push_back({qChemComp.valueAt(r, QStringLiteral("lkElement")).toString(),
                        qChemComp.valueAt(r, QStringLiteral("MinValue")),
                        qChemComp.valueAt(r, QStringLiteral("MaxValue"))});
    }
    QVariant balance;
    if (qChemZbytek.isOpen() && !qChemZbytek.isEmpty()) {
        balance = qChemZbytek.valueAt(0, QStringLiteral("lkElement"));
        if (balance.isNull())
            balance = QString();
    }
    const std::vector<CompositionColumn> cols = compositionColumns(rows, balance);
    m_composition->clearContents();
    // A grid keeps at least one column, empty when the material has no composition.
    m_composition->setColumnCount(std::max<int>(1, int(cols.size())));
    const QBrush titleBrush = m_composition->palette().button();
    for (int c = 0; c < m_composition->columnCount(); ++c) {
        const CompositionColumn col = c < int(cols.size()) ? cols[c] : CompositionColumn{};
        const QString texts[3] = {col.title, col.upper, col.lower};
        for (int r = 0; r < 3; ++r) {
            auto *item = new QTableWidgetItem(texts[r]);
            if (r == 0)
                item->setBackground(titleBrush);
            m_composition->setItem(r, c, item);
        }
    }
    // Columns are 64 pixels wide, or as wide as a long element name needs.
    m_composition->resizeColumnsToContents();
    for (int c = 0; c < m_composition->columnCount(); ++c)
        m_composition->setColumnWidth(c, std::max(64, m_composition->columnWidth(c)));
}

QString MaterialCard::pdfFile() const
{
    if (!qMat.isOpen() || qMat.isEmpty())
        return QString();
    return qMat.value(QStringLiteral("PdfFile")).toString().trimmed();
}

QString MaterialCard::noteText() const
{
    if (!tUserNotice.isOpen() || tUserNotice.isEmpty())
        return QString();
    return tUserNotice.valueAt(0, QStringLiteral("TEXT")).toString();
}

void MaterialCard::updateNote()
{
    m_noteBox->setPlainText(noteText());
    const QString stamp = noteText().isEmpty() ? QString() : noteStampText();
    m_noteStamp->setText(stamp);
    m_noteStamp->setVisible(!stamp.isEmpty());
}

void MaterialCard::refreshTabs()
{
    const bool economy = m_env.economyMode && m_env.economyMode();
    auto hasRows = [](const DataSet &ds) { return ds.isOpen() && !ds.isEmpty(); };
    const QString pdf = pdfFile();
    const bool pdfOn = m_env.pdfInstalled && m_env.pdfInstalled();
    bool visible[PageCount];
    visible[BasicInfo] = true;
    visible[Note] = hasNote();
    visible[MechProperties] = economy || hasRows(qSemiProd) || hasRows(qDimens) || hasRows(qStates)
                              || hasRows(qMechPropTemps);
    visible[Equivalents] = hasRows(qCompareNorms);
    visible[HeatTreatment] = hasRows(qTempProc);
    visible[PhysProperties] = hasRows(qFyzProp);
    visible[MaterialSheet] = !pdf.isEmpty() && pdfOn;
    visible[Diagrams] = !pdf.isEmpty() && QFileInfo::exists(diagramsPath(dataRoot(), pdf));
    for (int p = 0; p < PageCount; ++p)
        m_tabs->setTabVisible(p, visible[p]);
    updateNote();

    // Until the mechanical properties are loaded, the page shows only the button that loads them.
    const bool waiting = economy && !mechanicalLoaded();
    m_economyButton->setVisible(waiting);
    m_semiPanel->setVisible(!waiting);
    m_statesPanel->setVisible(!waiting);
    if (m_mechSplit->widget(2))
        m_mechSplit->widget(2)->setVisible(!waiting);
    emit tabsRefreshed();
}

void MaterialCard::positionCard(int semiProduct, int dimension, int state)
{
    if (semiProduct == 0 || dimension == 0 || state == 0)
        return;
    // A card opened in economy mode has not loaded these yet: a search hit asks for them.
    if (!mechanicalLoaded())
        showMechanicalProperties();
    setActivePage(MechProperties);
    ui::BusyCursor busy;
    qSemiProd.locate(QStringLiteral("NUMBER"), semiProduct, {true, false});
    qStates.locate(QStringLiteral("NUMBER"), state, {true, false});
    qDimens.locate(QStringLiteral("NUMBER"), dimension, {true, false});
}

// ------------------------------------------------------------------ pages and settings

bool MaterialCard::isPageVisible(Page page) const
{
    return m_tabs->isTabVisible(page);
}

MaterialCard::Page MaterialCard::activePage() const
{
    return Page(std::max(0, m_tabs->currentIndex()));
}

void MaterialCard::setActivePage(Page page)
{
    m_tabs->setCurrentIndex(page);
}

void MaterialCard::resetPanelSizes()
{
    setPanelSizes(PanelSizes());
}

void MaterialCard::setPanelSizes(const PanelSizes &sizes)
{
    m_sizes = sizes;
    applyPanelSizes();
}

void MaterialCard::applyPanelSizes()
{
    m_applyingSizes = true;
    auto place = [](QSplitter *s, int first, int count) {
        QList<int> sizes;
        const int total = std::max(s->orientation() == Qt::Vertical ? s->height() : s->width(), first + 200);
        sizes << first;
        if (count == 2) {
            sizes << std::max(1, total - first);
        }
        s->setSizes(sizes);
    };
    place(m_basicSplit, m_sizes.compositionHeight, 2);
    place(m_purposeSplit, m_sizes.purposeWidth, 2);
    place(m_statesSplit, m_sizes.statesWidth, 2);
    {
        const int total = std::max(m_mechSplit->height(), m_sizes.semiProductHeight + m_sizes.statesHeight + 200);
        m_mechSplit->setSizes({m_sizes.semiProductHeight, m_sizes.statesHeight,
                               std::max(1, total - m_sizes.semiProductHeight - m_sizes.statesHeight)});
    }
    m_applyingSizes = false;
}

void MaterialCard::readPanelSizes()
{
    if (m_applyingSizes)
        return;
    auto first = [](QSplitter *s, int i) { return s->sizes().value(i); };
    m_sizes.compositionHeight = first(m_basicSplit, 0);
    m_sizes.purposeWidth = first(m_purposeSplit, 0);
    if (m_semiPanel->isVisible()) {
        m_sizes.semiProductHeight = first(m_mechSplit, 0);
        m_sizes.statesHeight = first(m_mechSplit, 1);
        m_sizes.statesWidth = first(m_statesSplit, 0);
    }
}

void MaterialCard::reportError(const std::exception &error) const
{
    const QString text = QString::fromUtf8(error.what());
    if (m_env.showError)
        m_env.showError(text);
    else
        ui::message(text, ui::MsgType::Error, ui::MsgButton::OK);
}

QString MaterialCard::settingsFile() const
{
    return m_env.settingsFile.isEmpty() ? orv::settingsFilePath() : m_env.settingsFile;
}

void MaterialCard::restoreSettings()
{
    QSettings ini(settingsFile(), QSettings::IniFormat);
    ini.beginGroup(settingsSection());
    PanelSizes s;
    s.compositionHeight = ini.value(QStringLiteral("Panel4Height"), s.compositionHeight).toInt();
    s.purposeWidth = ini.value(QStringLiteral("Panel5Width"), s.purposeWidth).toInt();
    s.semiProductHeight = ini.value(QStringLiteral("Panel9Height"), s.semiProductHeight).toInt();
    s.statesHeight = ini.value(QStringLiteral("Panel12Height"), s.statesHeight).toInt();
    s.statesWidth = ini.value(QStringLiteral("Panel14Width"), s.statesWidth).toInt();
    const int page = ini.value(QStringLiteral("ActivePage"), 0).toInt();
    ini.endGroup();
    setPanelSizes(s);
    if (page >= 0 && page < PageCount)
        m_tabs->setCurrentIndex(page);
}

void MaterialCard::saveSettings() const
{
    QSettings ini(settingsFile(), QSettings::IniFormat);
    ini.beginGroup(settingsSection());
    ini.setValue(QStringLiteral("ActivePage"), int(activePage()));
    ini.setValue(QStringLiteral("Panel4Height"), m_sizes.compositionHeight);
    ini.setValue(QStringLiteral("Panel5Width"), m_sizes.purposeWidth);
    ini.setValue(QStringLiteral("Panel9Height"), m_sizes.semiProductHeight);
    ini.setValue(QStringLiteral("Panel12Height"), m_sizes.statesHeight);
    ini.setValue(QStringLiteral("Panel14Width"), m_sizes.statesWidth);
    ini.endGroup();
    ini.sync();
}

void MaterialCard::saveSettingsIfAutoSave() const
{
    if (!m_env.autoSave || m_env.autoSave())
        saveSettings();
}

} // namespace orv::browse
