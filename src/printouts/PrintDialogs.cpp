#include "printouts/PrintDialogs.h"

#include "db/Connection.h"
#include "db/Schema.h"
#include "db/WorkingCopies.h"
#include "printouts/PrintQueries.h"
#include "report/output/PrinterMetrics.h"
#include "report/output/Printers.h"
#include "report/ui/ComboBoxPrinter.h"
#include "report/ui/PrintButton.h"
#include "report/ui/ReportUi.h"
#include "report/ui/UiHooks.h"
#include "ui/MessageDialog.h"
#include "ui/SaveLocation.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPrinter>
#include <QPushButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QVBoxLayout>


namespace orv::printouts {

namespace {

// The job title every printout of the catalogue carries.
const char *const kJobTitle = "Tisk info včetně mech. vlastností";
const char *const kDetailTitle = "Tisková úloha TOLVA";

// The printer picture beside the lists.
QPixmap printerPicture()
{
    QPixmap pm(64, 64);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 70), 1.5));
    // paper going in
    p.setBrush(Qt::white);
    p.drawRect(QRectF(18, 6, 28, 20));
    // body
    QLinearGradient g(0, 22, 0, 46);
    g.setColorAt(0, QColor(196, 202, 214));
    g.setColorAt(1, QColor(128, 136, 152));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(6, 22, 52, 24), 4, 4);
    // paper coming out, with lines of print
    p.setBrush(Qt::white);
    p.drawRect(QRectF(16, 38, 32, 20));
    p.setPen(QPen(QColor(90, 100, 130), 1));
    for (int y = 44; y <= 54; y += 4)
        p.drawLine(QPointF(20, y), QPointF(44, y));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 190, 90));
    p.drawEllipse(QPointF(50, 29), 2.2, 2.2);
    return pm;
}

} // namespace

TfPrintBase::TfPrintBase(const QString &caption, const QString &templateName, const PrintEnvironment &env,
                         bool sortedPrinters, QWidget *parent)
    : QDialog(parent), m_env(env)
{
    setWindowTitle(caption);
    if (m_env.checkDataRoot)
        m_env.checkDataRoot();
    // An own material's property rows are in the own tables.
    m_ownMaterial = m_env.catalogue && db::isOwnMaterial(*m_env.catalogue, m_env.materialNo);
    Ses.Name = QStringLiteral("Ses");
    Ses.Popis = QString::fromUtf8(kJobTitle);
    Ses.IniFileName = QStringLiteral("SestDLL.ini");
    Ses.TiskJedenZaznam = true;
    Ses.setReportName(templateName);
    Ses.PrintBackground = false;
    Ses.IsStored = false;
    Ses.ExportLanguage = slUndefined;
    Ses.ExecutableDir = m_env.programDir;
    Ses.DataSource = &m_masterBridge;
    buildWindow(sortedPrinters);
}

TfPrintBase::~TfPrintBase()
{
    for (auto &q : m_queries)
        q->close();
}

void TfPrintBase::buildWindow(bool sortedPrinters)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto *grid = new QGridLayout;
    auto *printerLabel = new QLabel(QStringLiteral("Tisknout na tiskárnu:"));
    InstallReportUi();
    m_printers = new TComboBoxPrinter;
    m_printers->setObjectName(QStringLiteral("ComboBoxPrinter"));
    m_printers->setSorted(sortedPrinters);
    // The system's default printer; without printers the PDF file.
    m_printers->setPrinterIndex(-1);
    m_printers->setMinimumWidth(280);
    printerLabel->setBuddy(m_printers);
    auto *copiesLabel = new QLabel(QStringLiteral("Počet kopií:"));
    m_copies = new QSpinBox;
    m_copies->setObjectName(QStringLiteral("SpinCopies"));
    m_copies->setRange(1, 999);
    m_copies->setValue(1);
    copiesLabel->setBuddy(m_copies);
    auto *picture = new QLabel;
    picture->setPixmap(printerPicture());
    picture->setAlignment(Qt::AlignCenter);
    grid->addWidget(picture, 0, 0, 4, 1);
    grid->addWidget(printerLabel, 0, 1);
    grid->addWidget(m_printers, 1, 1);
    grid->addWidget(copiesLabel, 2, 1);
    auto *copiesRow = new QHBoxLayout;
    copiesRow->addWidget(m_copies);
    copiesRow->addStretch();
    grid->addLayout(copiesRow, 3, 1);
    grid->setColumnStretch(1, 1);
    grid->setHorizontalSpacing(14);

    m_preview = new tPrintButton;
    m_preview->setObjectName(QStringLiteral("tPrintButton"));
    m_preview->setUserCaptions({QStringLiteral("&TISK"), QStringLiteral("&PřEDTISK"), QStringLiteral("&EDITACE")});
    m_preview->setEditEnabled(false);
    m_preview->setReport(&Ses);
    m_preview->setState(tPrintButton::bsPreview);
    m_preview->setCaption(QStringLiteral("&Náhled"));
    m_preview->setMinimumWidth(96);
    m_print = new QPushButton(QStringLiteral("&Tisk"));
    m_print->setObjectName(QStringLiteral("BitBtnTisk"));
    m_cancel = new QPushButton(QStringLiteral("&Storno"));
    m_cancel->setObjectName(QStringLiteral("BitBtnStorno"));
    m_print->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_preview);
    buttons->addWidget(m_print);
    buttons->addWidget(m_cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);

    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_print, &QPushButton::clicked, this, [this] { print(); });
    // The copies count for the preview's printing too.
    m_preview->AfterParams = [this](tPrintButton &) { Ses.PrintCopies = m_copies->value(); };
    QApplication::restoreOverrideCursor();
}

QString TfPrintBase::pdfPrinterCaption()
{
    return PdfPrinterName();
}

void TfPrintBase::message(const QString &text) const
{
    if (m_env.showMessage)
        m_env.showMessage(text);
    else
        ui::message(text, ui::MsgType::Information, ui::MsgButton::OK);
}

QString TfPrintBase::suggestedFileName() const
{
    // The material's designation and the printout: "C45 - Tisk ekvivalentů.pdf".
    QString label;
    if (db::DataSet *info = dataSet(QStringLiteral("qInfo")); info && info->isOpen() && !info->isEmpty())
        if (const db::Field *f = info->findField(QStringLiteral("NormLabel")))
            label = f->value().toString().trimmed();
    return (label.isEmpty() ? QString() : label + QStringLiteral(" - ")) + windowTitle() + QStringLiteral(".pdf");
}

int TfPrintBase::print()
{
    if (m_printers->isPdfChosen()) {
        QString file;
        if (m_env.askPdfFile) {
            file = m_env.askPdfFile(this);
        } else {
            TSaveFileRequest request;
            request.Title = PdfPrinterName();
            request.Filters = {QStringLiteral("Dokumenty PDF (*.pdf)")};
            request.DefaultSuffix = QStringLiteral("pdf");
            request.StartName = ui::suggestedSavePath(suggestedFileName());
            file = AskSaveFile(this, request);
        }
        if (file.isEmpty())
            return seCancelled;
        if (!file.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
            file += QStringLiteral(".pdf");
        return printToPdf(file);
    }
    Ses.PrintCopies = m_copies->value();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int r = Ses.PrintOn(m_printers->PrinterIndex());
    QApplication::restoreOverrideCursor();
    return r;
}

int TfPrintBase::printToPdf(const QString &fileName)
{
    Ses.PrintCopies = m_copies->value();
    // The PDF writer of a job is replaced by the next job's: it must not stay the current
    // printer, or the next job would restore a printer that no longer exists.
    auto dropPdfWriter = [] {
        if (QPrinter *p = currentPrinter(); p && p->outputFormat() == QPrinter::PdfFormat)
            SetCurrentPrinter(nullptr);
    };
    dropPdfWriter();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The job is written beside the target and replaces it only as a whole PDF.
    const int r = Ses.PrintOnPort(PdfPrinterIndex(), fileName);
    QApplication::restoreOverrideCursor();
    dropPdfWriter();
    if (r == seOutputNotWritten)
        message(Ses.OutputError.isEmpty() ? pdfFailedMessage().arg(QDir::toNativeSeparators(fileName))
                                          : Ses.OutputError);
    return r;
}

db::DataSet *TfPrintBase::dataSet(const QString &name) const
{
    for (const auto &q : m_queries)
        if (q->name() == name)
            return q.get();
    return nullptr;
}

db::DataSet &TfPrintBase::query(const QString &name, const QStringList &sql)
{
    m_queries.push_back(std::make_unique<db::DataSet>(name, m_env.catalogue));
    db::DataSet &q = *m_queries.back();
    QStringList lines = sql;
    if (m_ownMaterial)
        for (QString &line : lines)
            line = db::propertyTablesIn(line, true);
    // The master of every printout names the sources of the values too.
    if (name == QLatin1String("qInfo") && m_env.catalogue)
        q.setSql(withSources(lines, m_env.catalogue->tableExists(QStringLiteral("MatSources"))));
    else
        q.setSql(lines);
    if (q.statementText().contains(QLatin1String(":in1")))
        q.setParam(QStringLiteral("in1"), m_env.materialNo);
    return q;
}

TSestDetail &TfPrintBase::addDetail(const QString &name, db::DataSet &data)
{
    m_bridges.push_back(std::make_unique<DataSetBridge>(&data));
    m_details.push_back(std::make_unique<TSestDetail>());
    TSestDetail &d = *m_details.back();
    d.Name = name;
    d.Popis = QString::fromUtf8(kDetailTitle);
    d.DataSource = m_bridges.back().get();
    d.setMasterSestava(&Ses);
    return d;
}

void TfPrintBase::setMaster(db::DataSet &data)
{
    m_masterBridge.setDataSet(&data);
}

void TfPrintBase::openQueries()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    for (auto &q : m_queries)
        if (!q->isOpen())
            q->open();
}

db::DataSet &TfPrintBase::physicalData()
{
    if (m_env.physical)
        return *m_env.physical;
    db::DataSet &types = query(QStringLiteral("qFyzPropType"), physicalTypesQuery());
    db::DataSet *notices = dataSet(QStringLiteral("qNotices"));
    if (!notices)
        notices = &query(QStringLiteral("qNotices"), noticesQuery());
    db::DataSet &q = query(QStringLiteral("qFyzProp"), physicalQuery());
    definePhysicalFields(q, types, *notices);
    return q;
}

db::DataSet &TfPrintBase::heatTreatmentData()
{
    if (m_env.heatTreatment)
        return *m_env.heatTreatment;
    db::DataSet &processes = query(QStringLiteral("qProc"), processesQuery());
    db::DataSet &q = query(QStringLiteral("qTempProc"), heatTreatmentQuery());
    defineHeatTreatmentFields(q, processes);
    return q;
}

// ---------------------------------------------------------------------------- the four

TfPrintEkvivalenty::TfPrintEkvivalenty(const PrintEnvironment &env, QWidget *parent)
    : TfPrintBase(QStringLiteral("Tisk ekvivalentů"), QStringLiteral("data/tisky/ekvivalenty.pts"), env, false,
                  parent)
{
    db::DataSet &info = query(QStringLiteral("qInfo"), infoQueryShort());
    db::DataSet &equivalents = query(QStringLiteral("qEkvivalenty"), equivalentsQuery());
    setMaster(info);
    addDetail(QStringLiteral("SesChem"), equivalents);
    openQueries();
}

namespace {

// The master query of the information printouts with its lookups.
db::DataSet &infoMaster(db::DataSet &info, db::DataSet &notices, db::DataSet &userNote)
{
    defineInfoFields(info, notices, &userNote);
    return info;
}

} // namespace

TfPrintInfo::TfPrintInfo(const PrintEnvironment &env, QWidget *parent)
    : TfPrintBase(QStringLiteral("Tisk informací o materiálu"), QStringLiteral("data/tisky/info.pts"), env, false,
                  parent)
{
    db::DataSet &notices = query(QStringLiteral("qNotices"), noticesQuery());
    db::DataSet &userNote = query(QStringLiteral("tUserNotice"), userNoteQuery());
    db::DataSet &info = infoMaster(query(QStringLiteral("qInfo"), infoQuery()), notices, userNote);
    db::DataSet &chem = query(QStringLiteral("qChemComp"), compositionQuery());
    defineCompositionFields(chem);
    db::DataSet &chemNotes = query(QStringLiteral("qChemPozn"), compositionNotesQuery());
    db::DataSet &physical = physicalData();
    setMaster(info);
    addDetail(QStringLiteral("SesChem"), chem);
    addDetail(QStringLiteral("SesFyz"), physical);
    addDetail(QStringLiteral("ChemPozn"), chemNotes);
    openQueries();
}

TfPrintInfoMech::TfPrintInfoMech(const PrintEnvironment &env, QWidget *parent)
    : TfPrintBase(QStringLiteral("Tisk informací o materiálu včetně mech. vlastností"),
                  QStringLiteral("data/tisky/InfoMech.pts"), env, true, parent)
{
    db::DataSet &notices = query(QStringLiteral("qNotices"), noticesQuery());
    db::DataSet &userNote = query(QStringLiteral("tUserNotice"), userNoteQuery());
    QStringList infoSql = infoQuery();
    infoSql[0].replace(QStringLiteral("nr.Label NormLabel, mat.PurposeAll"),
                       QStringLiteral("nr.Label NormLabel,mat.PurposeAll"));
    db::DataSet &info = infoMaster(query(QStringLiteral("qInfo"), infoSql), notices, userNote);
    db::DataSet &chem = query(QStringLiteral("qChemComp"), compositionQuery());
    defineCompositionFields(chem);
    db::DataSet &chemNotes = query(QStringLiteral("qChemPozn"), compositionNotesQuery());
    // The lookups of the mechanical properties read the code lists unfiltered, whatever the
    // search window's type filter shows.
    db::DataSet &semTypes = query(QStringLiteral("qSemTypes"), semiProductTypesQuery());
    db::DataSet &stTypes = query(QStringLiteral("qStTypes"), stateTypesQuery());
    db::DataSet &propTypes = query(QStringLiteral("qPropType"), propertyTypesQuery());
    db::DataSet &mech = query(QStringLiteral("qMech"), mechanicalQuery());
    defineMechanicalFields(mech, semTypes, stTypes, propTypes);
    db::DataSet &physical = physicalData();
    setMaster(info);
    addDetail(QStringLiteral("SesChem"), chem);
    addDetail(QStringLiteral("SesMech"), mech);
    addDetail(QStringLiteral("SesFyz"), physical);
    addDetail(QStringLiteral("SesChemPozn"), chemNotes);
    openQueries();
}

TfPrintTempProc::TfPrintTempProc(const PrintEnvironment &env, QWidget *parent)
    : TfPrintBase(QStringLiteral("Tisk tepelného zpracování"), QStringLiteral("data/tisky/TepZprac.pts"), env, true,
                  parent)
{
    db::DataSet &info = query(QStringLiteral("qInfo"), infoQueryShort());
    db::DataSet &heat = heatTreatmentData();
    setMaster(info);
    addDetail(QStringLiteral("SesTempProc"), heat);
    openQueries();
}

} // namespace orv::printouts
