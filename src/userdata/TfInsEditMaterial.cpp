#include "userdata/TfInsEditMaterial.h"

#include "core/Paths.h"
#include "db/ChangeConflict.h"
#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/DataSetModel.h"
#include "db/Field.h"
#include "db/FieldFormat.h"
#include "db/OwnDataModule.h"
#include "search/GridLink.h"
#include "search/TfElements.h"
#include "ui/ActionUpdater.h"
#include "ui/HelpContexts.h"
#include "ui/ProgressWindow.h"
#include "userdata/EditGridModel.h"
#include "userdata/MaterialFields.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSettings>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QToolBar>
#include <QVBoxLayout>

#include <cmath>

namespace orv::userdata {

namespace {

const char *const kPurposeFields[] = {"Purpose", "Purpose1", "Purpose2", "Purpose3", "Purpose4", "Purpose5"};

// The pictures of the editor's buttons, drawn at 16 x 16.
enum class Picture { Cut, Copy, Paste, Undo, Insert, Delete, Duplicate, Post, Cancel, Note };

QIcon picture(Picture kind)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(50, 50, 60);
    auto page = [&](qreal x, qreal y, qreal w, qreal h, const QColor &fill = Qt::white) {
        p.setPen(QPen(ink, 1));
        p.setBrush(fill);
        p.drawRect(QRectF(x + 0.5, y + 0.5, w, h));
    };
    switch (kind) {
    case Picture::Cut:
        p.setPen(QPen(ink, 1.3));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(2, 10, 4, 4));
        p.drawEllipse(QRectF(10, 10, 4, 4));
        p.drawLine(QPointF(5.5, 10.5), QPointF(11, 1.5));
        p.drawLine(QPointF(10.5, 10.5), QPointF(5, 1.5));
        break;
    case Picture::Copy:
        page(1, 1, 9, 11);
        page(5, 4, 9, 11);
        break;
    case Picture::Paste:
        page(2, 2, 11, 13, QColor(205, 160, 100));
        page(5, 5, 8, 9);
        p.setBrush(QColor(160, 160, 170));
        p.drawRect(QRectF(5.5, 0.5, 5, 3));
        break;
    case Picture::Undo: {
        p.setPen(QPen(QColor(30, 90, 170), 2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(3, 4, 10, 9), 90 * 16, -200 * 16);
        p.setBrush(QColor(30, 90, 170));
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF({QPointF(1, 5), QPointF(7, 1.5), QPointF(7, 8.5)}));
        break;
    }
    case Picture::Insert:
    case Picture::Delete:
    case Picture::Duplicate: {
        if (kind == Picture::Duplicate)
            page(1, 1, 8, 10);
        page(kind == Picture::Duplicate ? 4 : 2, kind == Picture::Duplicate ? 4 : 1, 9, 11);
        const QColor mark = kind == Picture::Delete ? QColor(200, 40, 40) : QColor(40, 150, 40);
        p.setPen(QPen(mark, 2.2));
        p.drawLine(QPointF(9, 12.5), QPointF(15, 12.5));
        if (kind != Picture::Delete)
            p.drawLine(QPointF(12, 9.5), QPointF(12, 15.5));
        break;
    }
    case Picture::Post:
        p.setPen(QPen(QColor(30, 140, 40), 2.4));
        p.drawPolyline(QPolygonF({QPointF(2, 8.5), QPointF(6, 12.5), QPointF(14, 3)}));
        break;
    case Picture::Cancel:
        p.setPen(QPen(QColor(200, 40, 40), 2.4));
        p.drawLine(QPointF(3, 3), QPointF(13, 13));
        p.drawLine(QPointF(13, 3), QPointF(3, 13));
        break;
    case Picture::Note:
        page(2, 1, 11, 14, QColor(255, 250, 200));
        p.setPen(QPen(ink, 1));
        for (int y : {5, 8, 11})
            p.drawLine(QPointF(4.5, y + 0.5), QPointF(11, y + 0.5));
        break;
    }
    return QIcon(pm);
}

} // namespace

// ---------------------------------------------------------------- editor

QString TfInsEditMaterial::missingDesignationMessage()
{
    return QStringLiteral("Materiál nelze uložit bez značky.\n\nVyplňte na stránce „Informace o materiálu“ pole "
                          "„Značka“: podle ní se materiál jmenuje v obsahu i v kartě. Nechcete-li materiál uložit, "
                          "zavřete okno tlačítkem Storno.");
}

QString TfInsEditMaterial::discardNewQuestion()
{
    return QStringLiteral("Nový materiál se neuloží a vše, co jste do něj zadali, se zahodí.\n\nZahodit nový materiál?");
}

QString TfInsEditMaterial::discardChangesQuestion()
{
    return QStringLiteral("Změny materiálu provedené v tomto okně se neuloží.\n\nZahodit změny?");
}

QString TfInsEditMaterial::saveQuestion()
{
    return QStringLiteral("Materiál byl změněn.\n\nUložit změny?");
}

QString TfInsEditMaterial::compositionRefusal(int row, int column, const QVariant &value) const
{
    constexpr int minColumn = 1, maxColumn = 2;
    if ((column != minColumn && column != maxColumn) || value.isNull())
        return QString();
    bool ok = false;
    const double v = value.toDouble(&ok);
    if (!ok)
        return QString(); // not a number: the field says so itself
    auto text = [](double d) { return db::formatGeneral(d); };
    if (v < 0)
        return QStringLiteral("Obsah prvku nemůže být záporný (%1 %).").arg(text(v));
    if (v > 100)
        return QStringLiteral("Obsah prvku nemůže být větší než 100 % (zadáno %1 %).").arg(text(v));
    const QVariant other = m_chemModel->rawValue(row, column == minColumn ? maxColumn : minColumn);
    if (!other.isNull()) {
        const double min = column == minColumn ? v : other.toDouble();
        const double max = column == maxColumn ? v : other.toDouble();
        if (min > max)
            return QStringLiteral("Nejmenší obsah prvku (%1 %) nemůže být větší než největší obsah (%2 %).")
                .arg(text(min), text(max));
    }
    if (column == minColumn) {
        double sum = v;
        for (int r = 0; r < m_chemModel->rowCount(); ++r)
            if (r != row)
                sum += m_chemModel->rawValue(r, minColumn).toDouble();
        // Stored minima are decimal fractions: a sum of exactly 100 must not fail on the last bit.
        // Lowering a minimum of older data that is already over is always allowed.
        const double before = row >= 0 ? m_chemModel->rawValue(row, minColumn).toDouble() : 0.0;
        if (sum > 100 + 1e-9 && v > before)
            return QStringLiteral("Součet nejmenších obsahů všech prvků by byl %1 %, tedy více než 100 %.")
                .arg(text(std::round(sum * 1e6) / 1e6));
    }
    return QString();
}

QString TfInsEditMaterial::longNoteMessage(int length)
{
    return QStringLiteral("Poznámka má %1 znaků, uloží se jen prvních %2 znaků.\n\nUložit zkrácenou poznámku?")
        .arg(length)
        .arg(maxNoticeLength);
}

TfInsEditMaterial::TfInsEditMaterial(db::OwnDataModule &own, int materialNo, Mode mode, EditorEnvironment env,
                                     QWidget *parent)
    : QDialog(parent), m_own(own), m_materialNo(materialNo), m_mode(mode), m_env(std::move(env))
{
    setObjectName(QStringLiteral("fInsEditMaterial"));
    setWindowTitle(QStringLiteral("Přidání a úpravy materiálu"));
    if (m_env.settingsFile.isEmpty())
        m_env.settingsFile = settingsFilePath();
    if (!m_env.message)
        m_env.message = [](const QString &t, ui::MsgType type, ui::MsgButtons b) { return ui::message(t, type, b); };

    // Opening on material M: its node, the material and its designation.
    own.qNodes.close();
    own.qNodes.setParam(QStringLiteral("MatNo"), materialNo);
    own.qNodes.open();
    own.qMat.refresh();
    own.qNorms.refresh();
    if (!own.qNotices.isOpen())
        own.qNotices.open();
    m_working = &own.qMat;
    m_changed = mode == Mode::New;
    // The element chooser shows the elements by name and symbol under Czech headings; their
    // numbers are the program's business.
    own.qElements.defineField(kNumber).setVisible(false);
    own.qElements.defineField(QStringLiteral("Name")).setDisplayLabel(QStringLiteral("Název"));
    own.qElements.defineField(QStringLiteral("Label")).setDisplayLabel(QStringLiteral("Značka"));
    own.qCountry.defineField(QStringLiteral("Name")).setDisplayLabel(QStringLiteral("Stát"));
    own.materialChanged = [this] { m_changed = true; };

    m_chemModel = new EditGridModel(&own.qChemComp, {QStringLiteral("lkElements"), QStringLiteral("MinValue"),
                                                     QStringLiteral("MaxValue"), QStringLiteral("lkNotices")},
                                    this);
    m_normsModel = new EditGridModel(&own.qCompareNorms,
                                     {QStringLiteral("Name"), QStringLiteral("Label"), QStringLiteral("lkCountry")}, this);
    buildUi();
    createActions();
    loadFields();
    restorePage();

    for (db::DataSet *ds : {&own.qMat, &own.qNorms}) {
        connect(ds, &db::DataSet::rowsReset, this, [this] { loadFields(); });
        connect(ds, &db::DataSet::stateChanged, this, [this](db::DataSetState s) {
            if (s == db::DataSetState::Browse)
                loadFields();
        });
    }
    connect(&own.qNotices, &db::DataSet::rowChanged, this, [this](int) { loadFields(); });
    for (db::DataSet *ds : {&own.qMat, &own.qNorms, &own.qChemComp, &own.qCompareNorms, &own.qNotices})
        connect(ds, &db::DataSet::stateChanged, this, [this](db::DataSetState s) {
            if (s != db::DataSetState::Browse)
                m_touched = true;
        });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { focusChanged(now); });
    for (EditGridModel *m : {m_chemModel, m_normsModel})
        connect(m, &EditGridModel::editFailed, this, &TfInsEditMaterial::showError);
    m_chemModel->check = [this](int row, int column, const QVariant &value) {
        return compositionRefusal(row, column, value);
    };
}

TfInsEditMaterial::~TfInsEditMaterial()
{
    m_own.materialChanged = nullptr;
    // Whatever is still pending when the window goes without finishing is dropped.
    for (db::DataSet *ds : {&m_own.qChemComp, &m_own.qCompareNorms, &m_own.qNorms, &m_own.qMat, &m_own.qNotices})
        if (ds->isEditing())
            ds->cancel();
}

int TfInsEditMaterial::nodeNo() const
{
    return m_own.qNodes.isOpen() && !m_own.qNodes.isEmpty() ? m_own.qNodes.value(kNumber).toInt() : 0;
}

void TfInsEditMaterial::buildUi()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 4);
    menuBar = new QMenuBar(this);
    layout->setMenuBar(menuBar);

    auto *bars = new QHBoxLayout;
    bars->setSpacing(6);
    auto *editBar = new QToolBar(this);
    editBar->setObjectName(QStringLiteral("tbEdit"));
    auto *recordBar = new QToolBar(this);
    recordBar->setObjectName(QStringLiteral("tbRecord"));
    for (QToolBar *b : {editBar, recordBar}) {
        b->setIconSize(QSize(16, 16));
        bars->addWidget(b);
    }
    bars->addStretch(1);
    layout->addLayout(bars);

    pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("PageControl1"));
    pages->addTab(buildInfoPage(), QStringLiteral("Informace o materiálu"));
    pages->addTab(buildGridPage(QStringLiteral("Chemické složení"), grChemComp, m_chemModel), QStringLiteral("Chemické složení"));
    pages->addTab(buildGridPage(QStringLiteral("Ekvivalentní normy"), grCompareNorms, m_normsModel),
                  QStringLiteral("Srovnání s ostatními normami"));
    pages->widget(InfoPage)->setProperty("helpContext", help::OwnMaterialInfo);
    pages->widget(CompositionPage)->setProperty("helpContext", help::OwnMaterialComposition);
    pages->widget(EquivalentsPage)->setProperty("helpContext", help::OwnMaterialEquivalents);
    grChemComp->setObjectName(QStringLiteral("grChemComp"));
    grCompareNorms->setObjectName(QStringLiteral("grCompareNorms"));
    layout->addWidget(pages, 1);
    connect(pages, &QTabWidget::currentChanged, this, [this](int page) {
        if (page == CompositionPage)
            grChemComp->setFocus();
        else if (page == EquivalentsPage)
            grCompareNorms->setFocus();
    });

    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("bOK"));
    okButton->setAutoDefault(false);
    stornoButton = new QPushButton(QStringLiteral("Storno"), this);
    stornoButton->setObjectName(QStringLiteral("bStorno"));
    stornoButton->setAutoDefault(false);
    stornoButton->setToolTip(QStringLiteral("Zavřít okno bez uložení materiálu"));
    bottom->addWidget(okButton);
    bottom->addWidget(stornoButton);
    bottom->addStretch(1);
    layout->addLayout(bottom);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(stornoButton, &QPushButton::clicked, this, &TfInsEditMaterial::cancelMaterial);

    // Column widths of the grids (element, values, note; name, designation, country).
    grChemComp->setColumnWidth(0, 150);
    grChemComp->setColumnWidth(1, 100);
    grChemComp->setColumnWidth(2, 100);
    grCompareNorms->setColumnWidth(0, 170);
    grCompareNorms->setColumnWidth(1, 170);
    resize(640, 560);
}

QWidget *TfInsEditMaterial::buildInfoPage()
{
    auto *page = new QWidget;
    auto *outer = new QVBoxLayout(page);
    auto *header = new QLabel(QStringLiteral("Základní informace o materiálu"), page);
    QFont bold = header->font();
    bold.setBold(true);
    header->setFont(bold);
    outer->addWidget(header);

    auto *form = new QGridLayout;
    form->setHorizontalSpacing(8);
    int row = 0;
    auto addRow = [&](const QString &caption, QWidget *w, const QString &note = QString()) {
        form->addWidget(new QLabel(caption, page), row, 0);
        form->addWidget(w, row, 1);
        if (!note.isEmpty()) {
            auto *l = new QLabel(note, page);
            QFont italic = l->font();
            italic.setItalic(true);
            l->setFont(italic);
            form->addWidget(l, row, 2);
        }
        ++row;
    };
    eName = new QLineEdit(page);
    eName->setObjectName(QStringLiteral("eName"));
    eName->setMaxLength(200);
    addRow(QStringLiteral("Název materiálu"), eName);
    cbType = new QComboBox(page);
    cbType->setObjectName(QStringLiteral("cbMatTypes"));
    db::DataSet &types = m_own.qMatTypes;
    if (!types.isOpen())
        types.open();
    cbType->addItem(QString(), QVariant());
    for (int r = 0; r < types.recordCount(); ++r)
        cbType->addItem(types.valueAt(r, QStringLiteral("Name")).toString(), types.valueAt(r, kNumber));
    addRow(QStringLiteral("Druh materiálu"), cbType);
    eNorm = new QLineEdit(page);
    eNorm->setObjectName(QStringLiteral("eNorma"));
    eNorm->setMaxLength(50);
    addRow(QStringLiteral("Norma"), eNorm);
    eLabel = new QLineEdit(page);
    eLabel->setObjectName(QStringLiteral("eZnacka"));
    eLabel->setMaxLength(150);
    addRow(QStringLiteral("Značka"), eLabel);
    for (int i = 0; i < 6; ++i) {
        ePurpose[size_t(i)] = new QLineEdit(page);
        ePurpose[size_t(i)]->setObjectName(QStringLiteral("ePurpose%1").arg(i));
        ePurpose[size_t(i)]->setMaxLength(255);
        addRow(i == 0 ? QStringLiteral("Vlastnosti materiálu") : QStringLiteral("Vlastnosti materiálu %1").arg(i + 1),
               ePurpose[size_t(i)], i == 0 ? QString() : QStringLiteral("pokračování"));
    }
    form->setColumnStretch(1, 1);
    outer->addLayout(form);
    outer->addWidget(new QLabel(QStringLiteral("Poznámka   (vkládání a oprava pomocí Ctrl+P)"), page));
    eNote = new QPlainTextEdit(page);
    eNote->setObjectName(QStringLiteral("eNotice"));
    eNote->setReadOnly(true);
    eNote->setMaximumHeight(80);
    outer->addWidget(eNote);
    outer->addStretch(1);
    connectInfoFields();
    return page;
}

// What is typed or chosen on the first page goes into the material and its designation.
void TfInsEditMaterial::connectInfoFields()
{
    db::DataSet &mat = m_own.qMat;
    db::DataSet &norms = m_own.qNorms;
    connect(eName, &QLineEdit::textEdited, this, [this, &mat](const QString &t) { typed(mat, QStringLiteral("Name"), t); });
    connect(eNorm, &QLineEdit::textEdited, this, [this, &norms](const QString &t) { typed(norms, QStringLiteral("Name"), t); });
    connect(eLabel, &QLineEdit::textEdited, this, [this, &norms](const QString &t) { typed(norms, QStringLiteral("Label"), t); });
    for (int i = 0; i < 6; ++i)
        connect(ePurpose[size_t(i)], &QLineEdit::textEdited, this, [this, &mat, i](const QString &t) {
            typed(mat, QString::fromLatin1(kPurposeFields[i]), t);
        });
    connect(cbType, &QComboBox::activated, this, [this, &mat](int index) {
        if (m_loading)
            return;
        try {
            if (!mat.isEditing())
                mat.edit();
            mat.setValue(QStringLiteral("TypeNo"), cbType->itemData(index));
        } catch (const std::exception &e) {
            showError(errorText(e));
        }
    });
}

QWidget *TfInsEditMaterial::buildGridPage(const QString &header, QTableView *&grid, EditGridModel *model)
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *title = new QLabel(header, page);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    layout->addWidget(title);
    grid = new QTableView(page);
    grid->setModel(model);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->installEventFilter(this);
    grid->setItemDelegate(new CheckedCellDelegate(grid));
    layout->addWidget(grid, 1);
    QTableView *view = grid;
    connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, model,
            [model](const QModelIndex &current) { model->setCurrentRow(current.row()); });
    connect(model, &EditGridModel::currentRowChanged, view, [view](int row) {
        if (row < 0 || row == view->currentIndex().row())
            return;
        const int column = std::max(view->currentIndex().column(), 0);
        view->selectionModel()->setCurrentIndex(view->model()->index(row, column),
                                                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    });
    connect(grid, &QTableView::doubleClicked, this,
            [this, view](const QModelIndex &index) { openPicker(view, index.column()); });
    return page;
}

bool TfInsEditMaterial::openPicker(QTableView *grid, int column)
{
    // The composition grid's element and the equivalents grid's country are picked from a list.
    constexpr int elementColumn = 0, countryColumn = 2;
    if (grid == grChemComp && column == elementColumn)
        pickElement();
    else if (grid == grCompareNorms && column == countryColumn)
        pickCountry();
    else
        return false;
    return true;
}

void TfInsEditMaterial::createActions()
{
    makeActions();
    connectActions();
    enableActions();
    fillToolBarsAndMenus();
    ui::ActionUpdater::instance().updateNow();
}

void TfInsEditMaterial::makeActions()
{
    auto make = [this](const char *name, const QString &caption, const QString &hint, const QKeySequence &key,
                       std::optional<Picture> icon = std::nullopt) {
        auto *a = new QAction(caption, this);
        a->setObjectName(QString::fromLatin1(name));
        a->setToolTip(hint);
        a->setStatusTip(hint);
        if (!key.isEmpty())
            a->setShortcut(key);
        if (icon)
            a->setIcon(picture(*icon));
        addAction(a);
        return a;
    };
    aPost = make("aPost", QStringLiteral("&Uložit"), QStringLiteral("Uložit změny v záznamu"), Qt::Key_F2,
                 Picture::Post);
    aCancel = make("aCancel", QStringLiteral("N&eukládat"), QStringLiteral("Neukládat změny v záznamu"), Qt::Key_Escape,
                   Picture::Cancel);
    aInsert = make("aInsert", QStringLiteral("&Nový záznam"), QStringLiteral("Vložit nový záznam"), Qt::Key_Insert,
                   Picture::Insert);
    aDelete = make("aDelete", QStringLiteral("&Smazat záznam"), QStringLiteral("Smazat označený záznam"),
                   QKeySequence(Qt::CTRL | Qt::Key_Delete), Picture::Delete);
    aDupl = make("aDupl", QStringLiteral("&Zdvojit označený záznam"), QStringLiteral("Zdvojit označený záznam"),
                 QKeySequence(Qt::CTRL | Qt::Key_D), Picture::Duplicate);
    aInsEditNot = make("aInsEditNot", QStringLiteral("Vložit poznámku"), QStringLiteral("Vložit/Opravit poznámku"),
                       QKeySequence(Qt::CTRL | Qt::Key_P));
    aDelNot = make("aDelNot", QStringLiteral("Smazat poznámku"), QStringLiteral("Smazat poznámku"),
                   QKeySequence(Qt::CTRL | Qt::Key_S));
    aCut = make("aCut", QStringLiteral("&Vyjmout"), QStringLiteral("Odstranit a zkopírovat do schránky"),
                QKeySequence(Qt::CTRL | Qt::Key_X));
    aCopy = make("aCopy", QStringLiteral("&Kopírovat"), QStringLiteral("Zkopírovat do schránky"),
                 QKeySequence(Qt::CTRL | Qt::Key_C));
    aPaste = make("aPaste", QStringLiteral("&Vložit"), QStringLiteral("Vložit ze schránky"), QKeySequence(Qt::CTRL | Qt::Key_V));
    aUndo = make("aUndo", QStringLiteral("&Zpět"), QStringLiteral("O krok zpět"), QKeySequence(Qt::CTRL | Qt::Key_Z),
                 Picture::Undo);
    aSelectAll = make("aSelectAll", QStringLiteral("&Označit vše"), QStringLiteral("Označit vše"),
                      QKeySequence(Qt::CTRL | Qt::Key_A));
    aNapoveda = make("aNapoveda", QStringLiteral("&Nápověda pro zadávání vlastních materiálů"),
                     QStringLiteral("Nápověda pro zadávání vlastních materiálů"), Qt::Key_F1);
    aNapoveda->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    // The clipboard keys stay with the text boxes themselves while one has the focus.
    for (QAction *a : {aCut, aCopy, aPaste, aUndo, aSelectAll})
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    aCut->setIcon(picture(Picture::Cut));
    aCopy->setIcon(picture(Picture::Copy));
    aPaste->setIcon(picture(Picture::Paste));
    aInsEditNot->setIcon(picture(Picture::Note));
}

void TfInsEditMaterial::connectActions()
{
    connect(aPost, &QAction::triggered, this, [this] { postRecord(); });
    // The action may still look enabled when Esc reaches it after the change was posted:
    // with nothing pending, Esc is Storno.
    connect(aCancel, &QAction::triggered, this, [this] {
        if (m_working->isEditing() || (m_working == &m_own.qMat && m_own.qNorms.isEditing()))
            cancelRecord();
        else
            cancelMaterial();
    });
    connect(aInsert, &QAction::triggered, this, &TfInsEditMaterial::insertRecord);
    connect(aDelete, &QAction::triggered, this, &TfInsEditMaterial::deleteRecord);
    connect(aDupl, &QAction::triggered, this, &TfInsEditMaterial::duplicateRecord);
    connect(aInsEditNot, &QAction::triggered, this, &TfInsEditMaterial::editNote);
    connect(aDelNot, &QAction::triggered, this, &TfInsEditMaterial::deleteNote);
    connect(aNapoveda, &QAction::triggered, this, [this] {
        if (m_env.showHelpPage)
            m_env.showHelpPage(helpPage());
        else if (m_env.showHelp)
            m_env.showHelp(pages->currentWidget()->property("helpContext").toInt());
    });
    auto onEditor = [this](auto fn) {
        return [this, fn] {
            QWidget *w = focusedEditor();
            if (auto *l = qobject_cast<QLineEdit *>(w))
                fn(l);
            else if (auto *p = qobject_cast<QPlainTextEdit *>(w))
                fn(p);
            else if (auto *t = qobject_cast<QTextEdit *>(w))
                fn(t);
        };
    };
    connect(aCut, &QAction::triggered, this, onEditor([](auto *e) { e->cut(); }));
    connect(aCopy, &QAction::triggered, this, onEditor([](auto *e) { e->copy(); }));
    connect(aPaste, &QAction::triggered, this, onEditor([](auto *e) { e->paste(); }));
    connect(aUndo, &QAction::triggered, this, onEditor([](auto *e) { e->undo(); }));
    connect(aSelectAll, &QAction::triggered, this, onEditor([](auto *e) { e->selectAll(); }));
}

void TfInsEditMaterial::enableActions()
{
    ui::enableWhen(aPost, [this] { return m_working->isEditing() || (m_working == &m_own.qMat && m_own.qNorms.isEditing()); });
    ui::enableWhen(aCancel, [this] { return aPost->isEnabled(); });
    ui::enableWhen(aInsert, [this] { return m_working != &m_own.qMat; });
    ui::enableWhen(aDelete, [this] { return m_working != &m_own.qMat && (m_working->recordCount() > 0 || m_working->isEditing()); });
    ui::enableWhen(aDupl, [this] { return m_working != &m_own.qMat && m_working->recordCount() > 0; });
    ui::enableWhen(aInsEditNot, [this] {
        const bool on = (m_working == &m_own.qMat || m_working == &m_own.qChemComp)
                        && (m_working->recNo() >= 0 || m_working->isEditing());
        aInsEditNot->setText(on && hasNote() ? QStringLiteral("Opravit poznámku") : QStringLiteral("Vložit poznámku"));
        return on;
    });
    ui::enableWhen(aDelNot, [this] {
        return (m_working == &m_own.qMat || m_working == &m_own.qChemComp) && hasNote();
    });
    auto hasSelection = [this] {
        QWidget *w = focusedEditor();
        if (auto *l = qobject_cast<QLineEdit *>(w))
            return l->hasSelectedText();
        if (auto *p = qobject_cast<QPlainTextEdit *>(w))
            return p->textCursor().hasSelection();
        if (auto *t = qobject_cast<QTextEdit *>(w))
            return t->textCursor().hasSelection();
        return false;
    };
    ui::enableWhen(aCut, hasSelection);
    ui::enableWhen(aCopy, hasSelection);
    ui::enableWhen(aNapoveda, [this] {
        return m_env.helpInstalled && m_env.helpInstalled() && (m_env.showHelpPage || m_env.showHelp);
    });
}

// The tool strips made by buildUi() get their actions once the actions exist.
void TfInsEditMaterial::fillToolBarsAndMenus()
{
    auto *editBar = findChild<QToolBar *>(QStringLiteral("tbEdit"), Qt::FindDirectChildrenOnly);
    editBar->addActions({aCut, aCopy, aPaste});
    editBar->addSeparator();
    editBar->addAction(aUndo);
    auto *recordBar = findChild<QToolBar *>(QStringLiteral("tbRecord"), Qt::FindDirectChildrenOnly);
    recordBar->addActions({aInsert, aDelete, aDupl});
    recordBar->addSeparator();
    recordBar->addActions({aPost, aCancel});

    QMenu *record = menuBar->addMenu(QStringLiteral("&Záznam"));
    record->addActions({aInsert, aDelete, aDupl});
    record->addSeparator();
    record->addActions({aPost, aCancel});
    record->addSeparator();
    record->addActions({aInsEditNot, aDelNot});
    QMenu *edit = menuBar->addMenu(QStringLiteral("&Úpravy"));
    edit->addAction(aUndo);
    edit->addSeparator();
    edit->addActions({aCut, aCopy, aPaste});
    edit->addSeparator();
    edit->addAction(aSelectAll);
    QMenu *help = menuBar->addMenu(QStringLiteral("&Nápověda"));
    help->addAction(aNapoveda);
}

QWidget *TfInsEditMaterial::focusedEditor() const
{
    QWidget *w = QApplication::focusWidget();
    if (!w || !isAncestorOf(w))
        return nullptr;
    if (qobject_cast<QLineEdit *>(w) || qobject_cast<QPlainTextEdit *>(w) || qobject_cast<QTextEdit *>(w))
        return w;
    return nullptr;
}

void TfInsEditMaterial::focusChanged(QWidget *now)
{
    if (!now || !isAncestorOf(now))
        return; // pickers and message dialogs keep the working data set
    if (now == grChemComp || grChemComp->isAncestorOf(now))
        setWorkingDataSet(m_own.qChemComp);
    else if (now == grCompareNorms || grCompareNorms->isAncestorOf(now))
        setWorkingDataSet(m_own.qCompareNorms);
    else
        setWorkingDataSet(m_own.qMat);
}

void TfInsEditMaterial::setWorkingDataSet(db::DataSet &ds)
{
    m_working = &ds;
    ui::ActionUpdater::instance().updateNow();
}

void TfInsEditMaterial::loadFields()
{
    if (m_loading)
        return;
    m_loading = true;
    auto set = [](QLineEdit *box, const QVariant &v) {
        const QString text = v.toString();
        if (box->text() != text) {
            box->setText(text);
            if (!box->hasFocus())
                box->setCursorPosition(0); // a long text shows its beginning
        }
    };
    db::DataSet &mat = m_own.qMat;
    db::DataSet &norms = m_own.qNorms;
    const bool haveMat = mat.isOpen() && (mat.recNo() >= 0 || mat.isEditing());
    set(eName, haveMat ? mat.value(QStringLiteral("Name")) : QVariant());
    for (int i = 0; i < 6; ++i)
        set(ePurpose[size_t(i)], haveMat ? mat.value(QString::fromLatin1(kPurposeFields[i])) : QVariant());
    const QVariant type = haveMat ? mat.value(QStringLiteral("TypeNo")) : QVariant();
    cbType->setCurrentIndex(std::max(0, type.isNull() ? 0 : cbType->findData(type)));
    const QString note = haveMat ? mat.value(QStringLiteral("lkNotices")).toString() : QString();
    if (eNote->toPlainText() != note)
        eNote->setPlainText(note);
    const bool haveNorm = norms.isOpen() && (norms.recNo() >= 0 || norms.isEditing());
    set(eNorm, haveNorm ? norms.value(QStringLiteral("Name")) : QVariant());
    set(eLabel, haveNorm ? norms.value(QStringLiteral("Label")) : QVariant());
    m_loading = false;
}

void TfInsEditMaterial::typed(db::DataSet &ds, const QString &field, const QString &text)
{
    if (m_loading)
        return;
    try {
        if (!ds.isEditing()) {
            // A material without its designation row gets one (older data may lack it).
            if (&ds == &m_own.qNorms && ds.isEmpty()) {
                ds.append();
                ds.setValue(QStringLiteral("MaterialNo"), m_materialNo);
                m_changed = true;
            } else {
                ds.edit();
            }
        }
        ds.setValue(field, nullIfEmpty(text));
    } catch (const std::exception &e) {
        showError(errorText(e));
        loadFields();
    }
}

bool TfInsEditMaterial::hasNote() const
{
    if (!m_working->isOpen() || (m_working->recNo() < 0 && !m_working->isEditing()))
        return false;
    const db::Field *f = m_working->findField(kNoticeNo);
    return f && !f->isNull();
}

void TfInsEditMaterial::showError(const QString &text)
{
    ask(text, ui::MsgType::Error, ui::MsgButton::OK);
}

int TfInsEditMaterial::ask(const QString &text, ui::MsgType type, ui::MsgButtons buttons)
{
    return m_env.message(text, type, buttons);
}

// ---------------------------------------------------------------- closing

bool TfInsEditMaterial::finish()
{
    if (m_finished)
        return true;
    // What is still pending is saved first.
    try {
        for (db::DataSet *ds : {&m_own.qChemComp, &m_own.qCompareNorms, &m_own.qNorms, &m_own.qMat})
            if (ds->isEditing())
                ds->post();
    } catch (const std::exception &e) {
        showError(errorText(e));
        return false;
    }
    if (m_changed) {
        ui::ProgressWindow progress(this);
        progress.setMode(ui::ProgressWindow::Mode::Save);
        progress.show();
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        try {
            db::DataSet &nodes = m_own.qNodes;
            if (!nodes.isEmpty()) {
                nodes.first();
                const QVariant label = m_own.qNorms.isEmpty() ? QVariant() : m_own.qNorms.value(QStringLiteral("Label"));
                nodes.edit();
                nodes.setValue(QStringLiteral("Text"), label);
                nodes.post();
                if (afterSave)
                    afterSave(nodes.value(kNumber).toInt());
            }
        } catch (const std::exception &e) {
            QGuiApplication::restoreOverrideCursor();
            if (m_own.qNodes.isEditing())
                m_own.qNodes.cancel();
            showError(errorText(e));
            return false;
        }
        QGuiApplication::restoreOverrideCursor();
    }
    if (!m_env.autoSave || m_env.autoSave())
        savePage();
    m_finished = true;
    return true;
}

void TfInsEditMaterial::discardPending()
{
    for (db::DataSet *ds : {&m_own.qChemComp, &m_own.qCompareNorms, &m_own.qNorms, &m_own.qMat, &m_own.qNotices})
        if (ds->isEditing())
            ds->cancel();
}

void TfInsEditMaterial::done(int result)
{
    if (m_closed)
        return;
    const bool accepted = result == QDialog::Accepted;
    if (accepted && m_commitUnknown) {
        showError(commitUnknownText());
        return;
    }
    if (accepted) {
        // A material is known by its designation: without one it is not saved, and the
        // window keeps everything typed so far.
        if (eLabel->text().trimmed().isEmpty()) {
            pages->setCurrentIndex(InfoPage);
            showError(missingDesignationMessage());
            activateWindow(); // the keys (F1 among them) go to the editor again
            eLabel->setFocus();
            return;
        }
        if (!finish())
            return;
    } else {
        discardPending();
        if (!m_env.autoSave || m_env.autoSave())
            savePage();
    }
    if (commitChanges) {
        try {
            commitChanges(accepted);
        } catch (const std::exception &e) {
            m_finished = false;
            const auto *dbe = dynamic_cast<const db::DbError *>(&e);
            if (dbe && dbe->kind() == db::DbErrorKind::ConnectionLost) {
                // Saving again cannot help: the transaction is gone (or its end unknown).
                if (dynamic_cast<const db::CommitOutcomeUnknown *>(&e))
                    m_commitUnknown = true;
                showError(m_commitUnknown ? commitUnknownText() : errorText(e));
                return;
            }
            showError((accepted ? QStringLiteral("Materiál se nepodařilo uložit; okno zůstává otevřené, abyste mohli "
                                                 "uložení zopakovat.\n\n")
                                : QStringLiteral("Změny materiálu se nepodařilo vzít zpět; okno zůstává otevřené.\n\n"))
                      + errorText(e));
            return;
        }
    }
    m_closed = true;
    QDialog::done(result);
}

QString TfInsEditMaterial::commitUnknownText()
{
    return db::CommitOutcomeUnknown::userText()
           + QStringLiteral("\n\nOkno zavřete tlačítkem Storno; obsah a karta materiálu se pak znovu načtou ze serveru.");
}

void TfInsEditMaterial::cancelMaterial()
{
    if (m_touched
        && ask(m_mode == Mode::New ? discardNewQuestion() : discardChangesQuestion(), ui::MsgType::Confirmation,
               ui::MsgButton::Yes | ui::MsgButton::No)
               != ui::mrYes)
        return;
    reject();
}

void TfInsEditMaterial::closeEvent(QCloseEvent *event)
{
    if (m_closed || !isVisible()) {
        QDialog::closeEvent(event);
        return;
    }
    // The window's close button never saves behind the user's back nor throws away what he
    // typed without asking.
    event->ignore();
    if (!m_touched) {
        reject();
        return;
    }
    const int answer =
        ask(saveQuestion(), ui::MsgType::Confirmation, ui::MsgButton::Yes | ui::MsgButton::No | ui::MsgButton::Cancel);
    if (answer == ui::mrYes)
        accept();
    else if (answer == ui::mrNo)
        reject();
}

void TfInsEditMaterial::keyPressEvent(QKeyEvent *event)
{
    // Esc is "Neukládat" while a record change is pending; otherwise it is Storno.
    if (event->key() == Qt::Key_Escape) {
        ui::ActionUpdater::instance().updateNow();
        if (aCancel->isEnabled())
            aCancel->trigger();
        else
            cancelMaterial();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TfInsEditMaterial::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && (watched == grChemComp || watched == grCompareNorms)) {
        auto *key = static_cast<QKeyEvent *>(event);
        auto *grid = static_cast<QTableView *>(watched);
        const int column = grid->currentIndex().column();
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && openPicker(grid, column))
            return true;
        // Moving past the last row starts a new one.
        if (key->key() == Qt::Key_Down && key->modifiers() == Qt::NoModifier) {
            db::DataSet &ds = grid == grChemComp ? m_own.qChemComp : m_own.qCompareNorms;
            const int last = grid->model()->rowCount() - 1;
            if (grid->currentIndex().row() >= last && ds.state() != db::DataSetState::Insert) {
                setWorkingDataSet(ds);
                insertRecord();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfInsEditMaterial::restorePage()
{
    // A new material starts at its beginning; an edit goes back to the page last used.
    if (m_mode == Mode::New) {
        pages->setCurrentIndex(InfoPage);
        return;
    }
    QSettings ini(m_env.settingsFile, QSettings::IniFormat);
    const int page = ini.value(settingsSection() + QStringLiteral("/ActivePage"), 0).toInt();
    pages->setCurrentIndex(page >= 0 && page < pages->count() ? page : 0);
}

void TfInsEditMaterial::savePage() const
{
    QSettings ini(m_env.settingsFile, QSettings::IniFormat);
    ini.setValue(settingsSection() + QStringLiteral("/ActivePage"), pages->currentIndex());
    ini.sync();
}

} // namespace orv::userdata
