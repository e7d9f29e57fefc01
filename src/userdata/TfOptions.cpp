#include "userdata/TfOptions.h"

#include "core/Registry.h"
#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/DataSetModel.h"
#include "db/MainDataModule.h"
#include "search/GridLink.h"
#include "ui/HelpContexts.h"
#include "userdata/EditGridModel.h"
#include "userdata/MaterialFields.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFormLayout>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace orv::userdata {

namespace {

const QString kParent = QStringLiteral("Parent");
const QString kName = QStringLiteral("Name");

QLabel *header(const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    QFont bold = l->font();
    bold.setBold(true);
    l->setFont(bold);
    return l;
}

QTableView *makeGrid(QWidget *parent, db::DataSetModel *model)
{
    auto *grid = new QTableView(parent);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->verticalHeader()->hide();
    search::linkGrid(grid, model);
    grid->horizontalHeader()->setStretchLastSection(true);
    return grid;
}

// A picture for the group buttons: a folder-like group sign with a mark.
QIcon groupIcon(QChar mark, const QColor &colour)
{
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(QColor(250, 220, 120));
    p.drawRoundedRect(QRectF(1.5, 4.5, 13, 10), 2, 2);
    p.setBrush(colour);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(9, 9, 10, 10));
    p.setPen(QPen(Qt::white, 1.6));
    QFont f = p.font();
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(9, 8.5, 10, 10), Qt::AlignCenter, QString(mark));
    return QIcon(pm);
}

// A value of a libpq connection string: quoted, with quotes and backslashes escaped, so
// that a space or a quote in a name cannot add a keyword of its own.
QString conninfoValue(const QString &value)
{
    QString v = value;
    v.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    v.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + v + QLatin1Char('\'');
}

const QStringList &sslModes()
{
    static const QStringList modes{QStringLiteral("disable"), QStringLiteral("allow"),     QStringLiteral("prefer"),
                                   QStringLiteral("require"), QStringLiteral("verify-ca"), QStringLiteral("verify-full")};
    return modes;
}

// The edition the server's catalogue was loaded from: the stamp pg-import keeps is
// "size:modification time in ms:change counter" of the catalogue file.
QString editionText(const QString &stamp)
{
    const QStringList parts = stamp.split(QLatin1Char(':'));
    bool ok = false;
    const qint64 ms = parts.size() == 3 ? parts[1].toLongLong(&ok) : 0;
    if (!ok)
        return stamp;
    return QStringLiteral("vydání z %1").arg(QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("d. M. yyyy H:mm")));
}

} // namespace

// ---------------------------------------------------------------- the database choice

QString DatabaseChoice::conninfo() const
{
    QStringList parts;
    if (!host.isEmpty())
        parts << QStringLiteral("host=") + conninfoValue(host);
    parts << QStringLiteral("port=%1").arg(port);
    if (!database.isEmpty())
        parts << QStringLiteral("dbname=") + conninfoValue(database);
    if (!user.isEmpty())
        parts << QStringLiteral("user=") + conninfoValue(user);
    if (!sslMode.isEmpty())
        parts << QStringLiteral("sslmode=") + conninfoValue(sslMode);
    parts << QStringLiteral("connect_timeout=5") << QStringLiteral("keepalives=1") << QStringLiteral("keepalives_idle=30")
          << QStringLiteral("keepalives_interval=10") << QStringLiteral("keepalives_count=3")
          << QStringLiteral("application_name=orvalis");
    return parts.join(QLatin1Char(' '));
}

QString DatabaseChoice::serverName() const
{
    QString text = (host.isEmpty() ? QStringLiteral("localhost") : host) + QLatin1Char(':') + QString::number(port);
    text += QStringLiteral(", databáze ") + (database.isEmpty() ? QStringLiteral("(výchozí)") : database);
    if (!user.isEmpty())
        text += QStringLiteral(", uživatel ") + user;
    return text;
}

QString databaseKey()
{
    return productKey() + QStringLiteral("\\DATABAZE");
}

DatabaseChoice readDatabaseChoice()
{
    const Registry user(Registry::Scope::User);
    const Registry machine(Registry::Scope::Machine);
    const QString key = databaseKey();
    // Each value on its own: the user's where set, else the administrator's preset.
    auto read = [&](const QString &name, const QString &fallback) {
        if (user.hasValue(key, name))
            return user.readString(key, name).trimmed();
        if (machine.hasValue(key, name))
            return machine.readString(key, name).trimmed();
        return fallback;
    };
    DatabaseChoice c;
    c.server = read(dbvalue::mode(), QStringLiteral("local")).compare(QLatin1String("server"), Qt::CaseInsensitive) == 0;
    c.host = read(dbvalue::host(), c.host);
    bool ok = false;
    const int port = read(dbvalue::port(), QString::number(c.port)).toInt(&ok);
    if (ok && port > 0 && port < 65536)
        c.port = port;
    c.database = read(dbvalue::database(), c.database);
    c.user = read(dbvalue::user(), c.user);
    const QString ssl = read(dbvalue::sslMode(), c.sslMode);
    if (sslModes().contains(ssl))
        c.sslMode = ssl;
    return c;
}

bool writeDatabaseChoice(const DatabaseChoice &c)
{
    Registry user(Registry::Scope::User);
    const QString key = databaseKey();
    return user.writeString(key, dbvalue::mode(), c.server ? QStringLiteral("server") : QStringLiteral("local"))
           && user.writeString(key, dbvalue::host(), c.host) && user.writeString(key, dbvalue::port(), QString::number(c.port))
           && user.writeString(key, dbvalue::database(), c.database) && user.writeString(key, dbvalue::user(), c.user)
           && user.writeString(key, dbvalue::sslMode(), c.sslMode);
}

ConnectionTest testServerConnection(const DatabaseChoice &choice)
{
    ConnectionTest result;
    try {
        db::Connection conn(QStringLiteral("test"));
        conn.openServer(choice.conninfo());
        QStringList lines;
        lines << QStringLiteral("Spojení se serverem %1 je v pořádku.").arg(choice.serverName());
        lines << QStringLiteral("Server: PostgreSQL %1").arg(conn.scalar(QStringLiteral("select current_setting('server_version')")).toString());
        const int catalogue = conn.scalar(QStringLiteral("select count(*) from Mat where Private is distinct from 'A'")).toInt();
        const int own = conn.scalar(QStringLiteral("select count(*) from Mat where Private = 'A'")).toInt();
        if (catalogue == 0) {
            lines << QStringLiteral("Katalog na serveru zatím není nahrán (orv_catalogue pg-import).");
        } else {
            const QString stamp = conn.scalar(QStringLiteral("select Stamp from CatalogueCopy order by Number limit 1")).toString();
            lines << QStringLiteral("Katalog: %1 materiálů").arg(catalogue)
                         + (stamp.isEmpty() ? QString() : QStringLiteral(", ") + editionText(stamp));
        }
        lines << QStringLiteral("Vlastní materiály týmu: %1").arg(own);
        result.ok = true;
        result.text = lines.join(QLatin1Char('\n'));
    } catch (const db::DbError &e) {
        result.text = QStringLiteral("Spojení se serverem %1 se nezdařilo.\n\n%2").arg(choice.serverName(), e.text());
    }
    return result;
}

// ---------------------------------------------------------------- lists that accept drops

PropertyList::PropertyList(QWidget *parent) : DropTarget<QListWidget>(parent)
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDefaultDropAction(Qt::CopyAction);
    setDragDropMode(QAbstractItemView::DragDrop);
}

QList<int> PropertyList::selectedNumbers() const
{
    QList<int> out;
    for (int i = 0; i < count(); ++i)
        if (item(i)->isSelected())
            out << item(i)->data(Qt::UserRole).toInt();
    return out;
}

void PropertyList::fill(const QList<std::pair<int, QString>> &items)
{
    clear();
    for (const auto &[number, name] : items) {
        auto *it = new QListWidgetItem(name, this);
        it->setData(Qt::UserRole, number);
    }
}

DropPanel::DropPanel(QWidget *parent) : DropTarget<QFrame>(parent)
{
    setAcceptDrops(true);
    setFrameShape(QFrame::StyledPanel);
}

// ---------------------------------------------------------------- element-deviation dialog

TfEditSetupChemComp::TfEditSetupChemComp(db::MainDataModule &data, Mode mode, const OptionsEnvironment &env,
                                         QWidget *parent)
    : QDialog(parent), m_data(data), m_mode(mode), m_env(env)
{
    setObjectName(QStringLiteral("fEditSetupChemComp"));
    setWindowTitle(mode == Mode::Add ? QStringLiteral("Přidat nový chemický prvek ...")
                                     : QStringLiteral("Změnit chemický prvek ..."));
    db::DataSet &elements = data.tElements;
    if (!elements.isOpen())
        elements.open();
    auto *layout = new QVBoxLayout(this);
    grid = makeGrid(this, new db::DataSetModel(&elements, this));
    grid->setObjectName(QStringLiteral("grElements"));
    layout->addWidget(grid, 1);
    auto *form = new QGridLayout;
    form->addWidget(new QLabel(QStringLiteral("Chemický prvek"), this), 0, 0);
    eElement = new QLineEdit(this);
    eElement->setReadOnly(true);
    form->addWidget(eElement, 0, 1);
    form->addWidget(new QLabel(QStringLiteral("Odchylka [%]"), this), 1, 0);
    eDigress = new QLineEdit(QStringLiteral("10"), this);
    eDigress->setObjectName(QStringLiteral("eDigress"));
    eDigress->installEventFilter(this);
    form->addWidget(eDigress, 1, 1);
    layout->addLayout(form);
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    bSave = new QPushButton(QStringLiteral("&Uložit"), this);
    bSave->setDefault(true);
    bBack = new QPushButton(QStringLiteral("&Zpět"), this);
    row->addWidget(bSave);
    row->addWidget(bBack);
    layout->addLayout(row);
    connect(bSave, &QPushButton::clicked, this, &TfEditSetupChemComp::save);
    connect(bBack, &QPushButton::clicked, this, &QDialog::reject);

    auto showName = [this, &elements] {
        eElement->setText(elements.isEmpty() ? QString() : elements.value(kName).toString());
    };
    connect(&elements, &db::DataSet::currentRowChanged, this, showName);

    // It starts on the current deviation row: its element and its deviation.
    db::DataSet &list = data.tSetupChemComp;
    QVariant element;
    if (list.isOpen() && list.recNo() >= 0) {
        m_currentRow = list.recNo();
        element = list.value(QStringLiteral("ELEMENTNO"));
        const QVariant digress = list.value(QStringLiteral("DIGRESS"));
        if (!digress.isNull())
            eDigress->setText(QLocale().toString(digress.toDouble(), 'f', 3));
    }
    placeOnElement(element);
    showName();
    resize(340, 460);
}

void TfEditSetupChemComp::placeOnElement(const QVariant &elementNo)
{
    db::DataSet &elements = m_data.tElements;
    if (elementNo.isNull() || !elements.locate(kNumber, elementNo))
        elements.first();
}

QVariant TfEditSetupChemComp::chosenElement() const
{
    db::DataSet &elements = m_data.tElements;
    return elements.isEmpty() ? QVariant() : elements.value(kNumber);
}

std::optional<double> TfEditSetupChemComp::deviation() const
{
    QString text = eDigress->text().trimmed();
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || text.isEmpty())
        return std::nullopt;
    return v;
}

bool TfEditSetupChemComp::checkDeviation()
{
    if (deviation())
        return true;
    m_env.plainMessage(formatMessage(), ui::MsgType::Error, ui::MsgButton::OK);
    eDigress->setFocus();
    return false;
}

bool TfEditSetupChemComp::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == eDigress && event->type() == QEvent::FocusOut && isVisible()) {
        auto *focus = static_cast<QFocusEvent *>(event);
        // Leaving for "Zpět" or another window is not a check.
        if (focus->reason() != Qt::ActiveWindowFocusReason && focus->reason() != Qt::PopupFocusReason
            && !bBack->underMouse())
            checkDeviation();
    }
    return QDialog::eventFilter(watched, event);
}

bool TfEditSetupChemComp::save()
{
    if (!checkDeviation())
        return false;
    const QVariant element = chosenElement();
    if (element.isNull())
        return false;
    const int found = m_data.tSetupChemComp.find(QStringLiteral("ELEMENTNO"), {element});
    const bool refused = m_mode == Mode::Add ? found >= 0 : (found >= 0 && found != m_currentRow);
    if (refused) {
        m_env.plainMessage(duplicateMessage(), ui::MsgType::Information, ui::MsgButton::OK);
        return false;
    }
    accept();
    return true;
}

// ---------------------------------------------------------------- group-name dialog

TfPropertiesGroup::TfPropertiesGroup(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fPropertiesGroup"));
    setWindowTitle(QStringLiteral("Skupinová vlastnost"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Název skupinové vlastnosti:"), this));
    eName = new QLineEdit(this);
    eName->setMaxLength(200);
    layout->addWidget(eName);
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    bEnd = new QPushButton(QStringLiteral("&Konec"), this);
    bSelect = new QPushButton(QStringLiteral("&Vybrat"), this);
    bSelect->setDefault(true);
    row->addWidget(bEnd);
    row->addWidget(bSelect);
    layout->addLayout(row);
    connect(bSelect, &QPushButton::clicked, this, &QDialog::accept);
    connect(bEnd, &QPushButton::clicked, this, &QDialog::reject);
    resize(340, 110);
}

// ---------------------------------------------------------------- the options window

TfOptions::TfOptions(db::MainDataModule &data, OptionsEnvironment env, QWidget *parent)
    : QDialog(parent), m_data(data), m_env(std::move(env))
{
    setObjectName(QStringLiteral("fSetup"));
    setWindowTitle(QStringLiteral("Možnosti..."));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint | Qt::WindowContextHelpButtonHint);
    if (!m_env.message)
        m_env.message = [](const QString &t, ui::MsgType type, ui::MsgButtons b) { return ui::message(t, type, b); };
    if (!m_env.plainMessage)
        m_env.plainMessage = [](const QString &t, ui::MsgType type, ui::MsgButtons b) { return ui::plainMessage(t, type, b); };

    for (db::DataSet *ds : {&data.tSetupChemComp, &data.qPropTypeParent, &data.qPropTypeChildSelect, &data.qPropTypeSelect}) {
        if (ds->isOpen())
            ds->refresh();
        else
            ds->open();
    }

    auto *layout = new QVBoxLayout(this);
    pages = new QTabWidget(this);
    pages->addTab(buildGeneralPage(), QStringLiteral("Obecné"));
    pages->addTab(buildCompositionPage(), QStringLiteral("Hledání podle chem. složení"));
    pages->addTab(buildPropertiesPage(), QStringLiteral("Hledání podle mech. vlastností"));
    pages->addTab(buildDatabasePage(), QStringLiteral("Databáze"));
    layout->addWidget(pages, 1);
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    bOK = new QPushButton(QStringLiteral("OK"), this);
    bOK->setDefault(true);
    bBack = new QPushButton(QStringLiteral("Zpět"), this);
    row->addWidget(bOK);
    row->addWidget(bBack);
    layout->addLayout(row);
    connect(bOK, &QPushButton::clicked, this, &TfOptions::confirm);
    connect(bBack, &QPushButton::clicked, this, &QDialog::reject);

    m_storedRate = data.setupValue(QStringLiteral("USPESNOST")).trimmed();
    showStoredRate();
    m_storedDatabase = readDatabaseChoice();
    showDatabase(m_storedDatabase);
    fillSingles();
    fillMembers();
    data.groupMembersChanged = [this](const QStringList &) { fillMembers(); };
    connect(&data.qPropTypeChildSelect, &db::DataSet::rowsReset, this, &TfOptions::fillMembers);
    resize(680, 460);
}

TfOptions::~TfOptions()
{
    m_data.groupMembersChanged = nullptr;
}

int TfOptions::ask(const QString &text, ui::MsgType type, ui::MsgButtons buttons)
{
    return m_env.message(text, type, buttons);
}

int TfOptions::runDialog(QDialog &dialog)
{
    return m_env.runDialog ? m_env.runDialog(dialog) : dialog.exec();
}

QWidget *TfOptions::buildGeneralPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *save = new QGroupBox(QStringLiteral("Možnosti automatického ukládání nastavení"), page);
    auto *sl = new QVBoxLayout(save);
    cbAutoSave = new QCheckBox(QStringLiteral("Automaticky ukládat nastavení"), save);
    cbAutoSave->setProperty("helpContext", help::OptionsAutoSave);
    cbAutoSave->setChecked(m_env.autoSave ? m_env.autoSave() : true);
    sl->addWidget(cbAutoSave);
    bStandard = new QPushButton(QStringLiteral("Standardní nastavení"), save);
    bStandard->setToolTip(QStringLiteral("Standardní nastavení prostředí programu..."));
    bStandard->setProperty("helpContext", help::OptionsStandardSettings);
    auto *br = new QHBoxLayout;
    br->addWidget(bStandard);
    br->addStretch(1);
    sl->addLayout(br);
    layout->addWidget(save);
    auto *other = new QGroupBox(QStringLiteral("Ostatní"), page);
    auto *ol = new QVBoxLayout(other);
    cbUsporny = new QCheckBox(QStringLiteral("Použít úsporný režim"), other);
    cbUsporny->setProperty("helpContext", help::OptionsEconomyMode);
    cbUsporny->setChecked(m_env.economyMode ? m_env.economyMode() : false);
    ol->addWidget(cbUsporny);
    layout->addWidget(other);
    layout->addStretch(1);

    // The switches change at once, whichever button closes the window.
    connect(cbAutoSave, &QCheckBox::toggled, this, [this](bool on) {
        if (m_env.setAutoSave)
            m_env.setAutoSave(on);
    });
    connect(cbUsporny, &QCheckBox::toggled, this, [this](bool on) {
        if (m_env.setEconomyMode)
            m_env.setEconomyMode(on);
    });
    connect(bStandard, &QPushButton::clicked, this, [this] {
        if (m_env.standardSettings)
            m_env.standardSettings();
        if (m_env.autoSave)
            cbAutoSave->setChecked(m_env.autoSave());
        if (m_env.economyMode)
            cbUsporny->setChecked(m_env.economyMode());
    });
    return page;
}

QWidget *TfOptions::buildDatabasePage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *where = new QGroupBox(QStringLiteral("Data programu"), page);
    auto *wl = new QVBoxLayout(where);
    rbLocalFiles = new QRadioButton(QStringLiteral("Místní soubory"), where);
    rbServer = new QRadioButton(QStringLiteral("Server PostgreSQL"), where);
    auto *group = new QButtonGroup(page);
    group->addButton(rbLocalFiles);
    group->addButton(rbServer);
    wl->addWidget(rbLocalFiles);
    wl->addWidget(rbServer);
    auto *form = new QFormLayout;
    form->setContentsMargins(24, 0, 0, 0);
    eHost = new QLineEdit(where);
    eHost->setObjectName(QStringLiteral("eHost"));
    eHost->setPlaceholderText(QStringLiteral("localhost"));
    ePort = new QSpinBox(where);
    ePort->setObjectName(QStringLiteral("ePort"));
    ePort->setRange(1, 65535);
    ePort->setGroupSeparatorShown(false);
    eDatabase = new QLineEdit(where);
    eDatabase->setObjectName(QStringLiteral("eDatabase"));
    eUser = new QLineEdit(where);
    eUser->setObjectName(QStringLiteral("eUser"));
    eUser->setPlaceholderText(QStringLiteral("přihlašovací jméno"));
    cbSslMode = new QComboBox(where);
    cbSslMode->setObjectName(QStringLiteral("cbSslMode"));
    cbSslMode->addItems(sslModes());
    form->addRow(QStringLiteral("Server:"), eHost);
    form->addRow(QStringLiteral("Port:"), ePort);
    form->addRow(QStringLiteral("Databáze:"), eDatabase);
    form->addRow(QStringLiteral("Uživatel:"), eUser);
    form->addRow(QStringLiteral("Režim SSL:"), cbSslMode);
    wl->addLayout(form);
    auto *note = new QLabel(QStringLiteral("Heslo program neukládá: vezme je ze souboru hesel (~/.pgpass) "
                                           "nebo z přihlášení do systému."),
                            where);
    note->setWordWrap(true);
    wl->addWidget(note);
    layout->addWidget(where);
    auto *tr = new QHBoxLayout;
    bTestConnection = new QPushButton(QStringLiteral("Vyzkoušet spojení"), page);
    tr->addWidget(bTestConnection);
    tr->addStretch(1);
    layout->addLayout(tr);
    lConnectionResult = new QLabel(page);
    lConnectionResult->setObjectName(QStringLiteral("lConnectionResult"));
    lConnectionResult->setWordWrap(true);
    lConnectionResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lConnectionResult->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(lConnectionResult, 1);
    layout->addWidget(new QLabel(restartMessage(), page));

    auto follow = [this] {
        const bool server = rbServer->isChecked();
        for (QWidget *w : std::initializer_list<QWidget *>{eHost, ePort, eDatabase, eUser, cbSslMode, bTestConnection})
            w->setEnabled(server);
    };
    connect(rbServer, &QRadioButton::toggled, this, follow);
    connect(bTestConnection, &QPushButton::clicked, this, &TfOptions::testConnection);
    return page;
}

void TfOptions::showDatabase(const DatabaseChoice &c)
{
    rbServer->setChecked(c.server);
    rbLocalFiles->setChecked(!c.server);
    eHost->setText(c.host);
    ePort->setValue(c.port);
    eDatabase->setText(c.database);
    eUser->setText(c.user);
    cbSslMode->setCurrentIndex(std::max(0, int(sslModes().indexOf(c.sslMode))));
    const bool server = c.server;
    for (QWidget *w : std::initializer_list<QWidget *>{eHost, ePort, eDatabase, eUser, cbSslMode, bTestConnection})
        w->setEnabled(server);
}

DatabaseChoice TfOptions::chosenDatabase() const
{
    DatabaseChoice c;
    c.server = rbServer->isChecked();
    c.host = eHost->text().trimmed();
    ePort->interpretText();
    c.port = ePort->value();
    c.database = eDatabase->text().trimmed();
    c.user = eUser->text().trimmed();
    c.sslMode = cbSslMode->currentText();
    return c;
}

void TfOptions::testConnection()
{
    lConnectionResult->setText(QStringLiteral("Spojuji se serverem ..."));
    lConnectionResult->repaint();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ConnectionTest result = testServerConnection(chosenDatabase());
    QApplication::restoreOverrideCursor();
    lConnectionResult->setStyleSheet(result.ok ? QString() : QStringLiteral("color: #a00000"));
    lConnectionResult->setText(result.text);
}

bool TfOptions::saveDatabase()
{
    const DatabaseChoice chosen = chosenDatabase();
    if (chosen == m_storedDatabase)
        return true;
    if (!writeDatabaseChoice(chosen)) {
        pages->setCurrentIndex(DatabasePage);
        ask(QStringLiteral("Volbu databáze nelze uložit do registru uživatele:\n%1\n\nZkontrolujte práva k souboru.")
                .arg(Registry::defaultFilePath(Registry::Scope::User)),
            ui::MsgType::Error, ui::MsgButton::OK);
        return false;
    }
    m_storedDatabase = chosen;
    ask(restartMessage(), ui::MsgType::Information, ui::MsgButton::OK);
    return true;
}

QWidget *TfOptions::buildCompositionPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *rate = new QHBoxLayout;
    rate->addWidget(new QLabel(QStringLiteral("Zobrazit nalezený materiál s úspěšností >="), page));
    // A whole percentage from 1 to 99: 100 % would find only exact matches, which the
    // designation search does better; the box takes nothing else.
    eUspesnost = new QSpinBox(page);
    eUspesnost->setObjectName(QStringLiteral("eUspesnost"));
    eUspesnost->setProperty("helpContext", help::OptionsSuccessRate);
    eUspesnost->setRange(1, 99);
    eUspesnost->setSuffix(QStringLiteral(" %"));
    eUspesnost->setAlignment(Qt::AlignRight);
    rate->addWidget(eUspesnost);
    rate->addStretch(1);
    layout->addLayout(rate);

    auto *body = new QHBoxLayout;
    m_chemModel = new db::DataSetModel(&m_data.tSetupChemComp, this);
    grSetupChemComp = makeGrid(page, m_chemModel);
    grSetupChemComp->setObjectName(QStringLiteral("grSetupChemComp"));
    grSetupChemComp->setProperty("helpContext", help::OptionsCompositionGrid);
    grSetupChemComp->setColumnWidth(0, 220);
    body->addWidget(grSetupChemComp, 1);
    auto *buttons = new QVBoxLayout;
    bAddElement = new QPushButton(QStringLiteral("&Přidat prvek ..."), page);
    bAddElement->setToolTip(QStringLiteral("Přidat prvek do seznamu prvků..."));
    bAddElement->setProperty("helpContext", help::OptionsAddElement);
    bChangeElement = new QPushButton(QStringLiteral("&Změnit prvek ..."), page);
    bChangeElement->setToolTip(QStringLiteral("Změnit prvek v seznamu prvků..."));
    bChangeElement->setProperty("helpContext", help::OptionsChangeElement);
    bDeleteElement = new QPushButton(QStringLiteral("&Smazat prvek"), page);
    bDeleteElement->setToolTip(QStringLiteral("Smazat prvek ze seznamu prvků..."));
    bDeleteElement->setProperty("helpContext", help::OptionsDeleteElement);
    for (QPushButton *b : {bAddElement, bChangeElement, bDeleteElement})
        buttons->addWidget(b);
    buttons->addStretch(1);
    body->addLayout(buttons);
    layout->addLayout(body, 1);
    connect(bAddElement, &QPushButton::clicked, this, &TfOptions::addElement);
    connect(bChangeElement, &QPushButton::clicked, this, &TfOptions::changeElement);
    connect(bDeleteElement, &QPushButton::clicked, this, &TfOptions::deleteElement);
    return page;
}

QWidget *TfOptions::buildPropertiesPage()
{
    auto *page = new QWidget;
    auto *layout = new QHBoxLayout(page);
    auto *split = new QSplitter(Qt::Horizontal, page);
    layout->addWidget(split);

    auto *left = new QWidget(split);
    auto *ll = new QVBoxLayout(left);
    ll->setContentsMargins(0, 0, 0, 0);
    ll->addWidget(header(QStringLiteral("Jednotlivé mech. vlastnosti"), left));
    lbPropType = new PropertyList(left);
    lbPropType->setObjectName(QStringLiteral("lbPropType"));
    lbPropType->setProperty("helpContext", help::OptionsSingleProperties);
    lbPropType->setAcceptDrops(false);
    ll->addWidget(lbPropType, 1);

    pMiddle = new DropPanel(split);
    pMiddle->setObjectName(QStringLiteral("pMiddle"));
    auto *ml = new QVBoxLayout(pMiddle);
    ml->addStretch(1);
    auto button = [this](const QIcon &icon, const QString &hint, int context) {
        auto *b = new QPushButton(icon, QString(), pMiddle);
        b->setToolTip(hint);
        b->setProperty("helpContext", context);
        b->setIconSize(QSize(20, 20));
        b->setFixedSize(34, 30);
        return b;
    };
    bNewGroup = button(groupIcon(QLatin1Char('+'), QColor(40, 140, 40)), QStringLiteral("Nová skupinová vlastnost..."), help::OptionsNewGroup);
    bRenameGroup = button(groupIcon(QLatin1Char('A'), QColor(40, 90, 180)), QStringLiteral("Přejmenovat skupinovou vlastnost..."), help::OptionsRenameGroup);
    bDeleteGroup = button(groupIcon(QLatin1Char('x'), QColor(190, 40, 40)), QStringLiteral("Zrušit skupinovou vlastnost..."), help::OptionsDeleteGroup);
    bAddMembers = button(style()->standardIcon(QStyle::SP_ArrowRight), QStringLiteral("Zařadit vybrané vlastnosti do skupiny..."), help::OptionsAddMembers);
    bRemoveMembers = button(style()->standardIcon(QStyle::SP_ArrowLeft), QStringLiteral("Vyřadit vybrané vlastnosti ze skupiny..."), help::OptionsRemoveMembers);
    for (QPushButton *b : {bNewGroup, bRenameGroup, bDeleteGroup, bAddMembers, bRemoveMembers})
        ml->addWidget(b, 0, Qt::AlignHCenter);
    ml->addStretch(1);
    pMiddle->setMinimumWidth(50);
    pMiddle->setMaximumWidth(70);

    auto *right = new QWidget(split);
    auto *rl = new QVBoxLayout(right);
    rl->setContentsMargins(0, 0, 0, 0);
    rl->addWidget(header(QStringLiteral("Skupiny mech. vlastností"), right));
    auto *rightSplit = new QSplitter(Qt::Vertical, right);
    m_groupsModel = new db::DataSetModel(&m_data.qPropTypeParent, this);
    grGroups = makeGrid(rightSplit, m_groupsModel);
    grGroups->setObjectName(QStringLiteral("grGroups"));
    grGroups->setProperty("helpContext", help::OptionsPropertyGroups);
    grGroups->horizontalHeader()->hide();
    lbPropTypeChild = new PropertyList(rightSplit);
    lbPropTypeChild->setObjectName(QStringLiteral("lbPropTypeChild"));
    lbPropTypeChild->setProperty("helpContext", help::OptionsGroupMembers);
    rightSplit->addWidget(grGroups);
    rightSplit->addWidget(lbPropTypeChild);
    rl->addWidget(rightSplit, 1);
    split->addWidget(left);
    split->addWidget(pMiddle);
    split->addWidget(right);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(2, 1);

    // A list accepts only the items of the list named for it.
    lbPropTypeChild->setDropSource(lbPropType);
    pMiddle->setDropSource(lbPropTypeChild);
    connect(lbPropTypeChild, &PropertyList::dropped, this, &TfOptions::addSelectedMembers);
    connect(pMiddle, &DropPanel::dropped, this, &TfOptions::removeSelectedMembers);
    connect(bNewGroup, &QPushButton::clicked, this, &TfOptions::newGroup);
    connect(bRenameGroup, &QPushButton::clicked, this, &TfOptions::renameGroup);
    connect(bDeleteGroup, &QPushButton::clicked, this, &TfOptions::deleteGroup);
    connect(bAddMembers, &QPushButton::clicked, this, &TfOptions::addSelectedMembers);
    connect(bRemoveMembers, &QPushButton::clicked, this, &TfOptions::removeSelectedMembers);
    return page;
}

void TfOptions::fillSingles()
{
    db::DataSet &singles = m_data.qPropTypeSelect;
    QList<std::pair<int, QString>> items;
    for (int r = 0; r < singles.recordCount(); ++r)
        items.append({singles.valueAt(r, kNumber).toInt(), singles.valueAt(r, kName).toString()});
    lbPropType->fill(items);
}

void TfOptions::fillMembers()
{
    db::DataSet &members = m_data.qPropTypeChildSelect;
    QList<std::pair<int, QString>> items;
    if (members.isOpen() && m_data.qPropTypeParent.recordCount() > 0)
        for (int r = 0; r < members.recordCount(); ++r)
            items.append({members.valueAt(r, kNumber).toInt(), members.valueAt(r, kName).toString()});
    lbPropTypeChild->fill(items);
}

// ---------------------------------------------------------------- OK

void TfOptions::showStoredRate()
{
    // A stored value outside the box's range (an older file) shows as the nearest it takes.
    bool ok = false;
    const int stored = m_storedRate.toInt(&ok);
    eUspesnost->setValue(ok ? stored : 50);
}

bool TfOptions::confirm()
{
    eUspesnost->interpretText();
    const int rate = eUspesnost->value();
    try {
        m_data.setSetupValue(QStringLiteral("USPESNOST"), QString::number(rate));
    } catch (const std::exception &e) {
        ask(errorText(e), ui::MsgType::Error, ui::MsgButton::OK);
        return false;
    }
    if (m_env.successRateSaved)
        m_env.successRateSaved();
    if (!saveDatabase())
        return false;
    accept();
    return true;
}

// ---------------------------------------------------------------- deviations

void TfOptions::editElement(bool adding)
{
    db::DataSet &list = m_data.tSetupChemComp;
    if (!adding && list.recNo() < 0)
        return;
    TfEditSetupChemComp dialog(m_data, adding ? TfEditSetupChemComp::Mode::Add : TfEditSetupChemComp::Mode::Change,
                               m_env, this);
    if (runDialog(dialog) != QDialog::Accepted)
        return;
    try {
        if (adding)
            list.append();
        else
            list.edit();
        list.setValue(QStringLiteral("ELEMENTNO"), dialog.chosenElement());
        list.setValue(QStringLiteral("DIGRESS"), dialog.deviation().value_or(0.0));
        list.post();
    } catch (const std::exception &e) {
        if (list.isEditing())
            list.cancel();
        ask(errorText(e), ui::MsgType::Error, ui::MsgButton::OK);
    }
}

void TfOptions::addElement()
{
    editElement(true);
}

void TfOptions::changeElement()
{
    editElement(false);
}

void TfOptions::deleteElement()
{
    db::DataSet &list = m_data.tSetupChemComp;
    if (list.recNo() < 0)
        return;
    if (ask(deleteElementQuestion(), ui::MsgType::Confirmation, ui::MsgButton::Yes | ui::MsgButton::No) != ui::mrYes)
        return;
    try {
        list.remove();
    } catch (const std::exception &e) {
        ask(errorText(e), ui::MsgType::Error, ui::MsgButton::OK);
    }
}

// ---------------------------------------------------------------- groups

bool TfOptions::groupDialog(bool creating)
{
    db::DataSet &groups = m_data.qPropTypeParent;
    if (!creating && groups.recNo() < 0)
        return false;
    TfPropertiesGroup dialog(this);
    try {
        if (creating)
            groups.append();
        else
            groups.edit();
    } catch (const std::exception &e) {
        ask(errorText(e), ui::MsgType::Error, ui::MsgButton::OK);
        return false;
    }
    dialog.eName->setText(groups.value(kName).toString());
    for (;;) {
        if (runDialog(dialog) != QDialog::Accepted) {
            groups.cancel();
            return false;
        }
        const QString name = dialog.eName->text().trimmed();
        if (name.isEmpty()) {
            ask(emptyGroupMessage(), ui::MsgType::Warning, ui::MsgButton::OK);
            continue;
        }
        try {
            groups.setValue(kName, name);
            groups.post();
            fillMembers();
            return true;
        } catch (const std::exception &e) {
            ask(errorText(e), ui::MsgType::Error, ui::MsgButton::OK);
        }
    }
}

void TfOptions::newGroup()
{
    groupDialog(true);
}

void TfOptions::renameGroup()
{
    groupDialog(false);
}

void TfOptions::deleteGroup()
{
    db::DataSet &groups = m_data.qPropTypeParent;
    if (groups.recNo() < 0)
        return;
    if (ask(deleteGroupQuestion(), ui::MsgType::Confirmation, ui::MsgButton::Yes | ui::MsgButton::No) != ui::mrYes)
        return;
    db::DataSet &members = m_data.qPropTypeChildSelect;
    try {
        db::Transaction transaction(m_data.userSession());
        while (!members.isEmpty()) {
            members.first();
            members.edit();
            members.setValue(kParent, QVariant());
            members.post();
            members.refresh();
        }
        groups.remove();
        transaction.commit();
    } catch (const std::exception &e) {
        ask(errorText(e), ui::MsgType::Error, ui::MsgButton::OK);
    }
    m_data.qPropTypeSelect.refresh();
    fillMembers();
}

void TfOptions::addMembers(const QList<int> &numbers)
{
    db::DataSet &groups = m_data.qPropTypeParent;
    db::DataSet &singles = m_data.qPropTypeSelect;
    if (groups.recNo() < 0 || numbers.isEmpty())
        return;
    const QVariant group = groups.value(kNumber);
    bool yesToAll = false;
    try {
        for (int number : numbers) {
            if (!singles.locate(kNumber, number))
                continue;
            const QVariant parent = singles.value(kParent);
            if (!parent.isNull() && parent == group)
                continue; // already a member of this group
            if (!parent.isNull() && !yesToAll) {
                const int answer = ask(moveQuestion(singles.value(kName).toString()), ui::MsgType::Warning,
                                       ui::MsgButton::Yes | ui::MsgButton::No | ui::MsgButton::YesToAll);
                if (answer == ui::mrYesToAll)
                    yesToAll = true;
                else if (answer != ui::mrYes)
                    continue;
            }
            singles.edit();
            singles.setValue(kParent, group);
            singles.post();
        }
    } catch (const std::exception &e) {
        if (singles.isEditing())
            singles.cancel();
        ask(errorText(e), ui::MsgType::Error, ui::MsgButton::OK);
    }
    m_data.qPropTypeChildSelect.refresh();
    fillMembers();
}

void TfOptions::removeMembers(const QList<int> &numbers)
{
    db::DataSet &members = m_data.qPropTypeChildSelect;
    if (numbers.isEmpty())
        return;
    if (ask(removeMembersQuestion(), ui::MsgType::Confirmation, ui::MsgButton::Yes | ui::MsgButton::No) != ui::mrYes)
        return;
    try {
        for (int number : numbers) {
            if (!members.locate(kNumber, number))
                continue;
            members.edit();
            members.setValue(kParent, QVariant());
            members.post();
        }
    } catch (const std::exception &e) {
        if (members.isEditing())
            members.cancel();
        ask(errorText(e), ui::MsgType::Error, ui::MsgButton::OK);
    }
    members.refresh();
    m_data.qPropTypeSelect.refresh();
    fillMembers();
}

void TfOptions::addSelectedMembers()
{
    addMembers(lbPropType->selectedNumbers());
}

void TfOptions::removeSelectedMembers()
{
    removeMembers(lbPropTypeChild->selectedNumbers());
}

} // namespace orv::userdata
