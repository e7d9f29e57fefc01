#include "userdata/TfUpgrade.h"

#include "core/Paths.h"
#include "core/Registry.h"
#include "db/MainDataModule.h"
#include "db/OwnDataModule.h"
#include "ui/MessageDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QStorageInfo>
#include <QStyle>
#include <QVBoxLayout>

namespace orv::userdata {

namespace {

QLabel *wrapped(const QString &text)
{
    auto *l = new QLabel(text);
    l->setWordWrap(true);
    return l;
}

} // namespace

QString TfUpgrade::wrongFolderMessage()
{
    return QStringLiteral("POZOR!!! Chybně vyplněná cesta k datům starší verze. \n\nPřevod dat nelze provést.\n"
                          "Opravte prosím cestu k datům starší verze.");
}

void TfUpgrade::fillEnvironmentDefaults()
{
    if (m_env.standardFolder.isEmpty())
        m_env.standardFolder = previousVersionFolder();
    if (!m_env.dataOnMedium)
        m_env.dataOnMedium = [] { return Registry(Registry::Scope::Machine).readInteger(installKey(), install::dataOnMedium()); };
    if (!m_env.wrongFolder)
        m_env.wrongFolder = [](const QString &t) { ui::plainMessage(t, ui::MsgType::Error, ui::MsgButton::OK); };
    if (!m_env.conversionFailed)
        m_env.conversionFailed = [](const QString &t) { ui::message(t, ui::MsgType::Error, ui::MsgButton::OK); };
    if (!m_env.chooseFolder)
        m_env.chooseFolder = [this](const QString &start) {
            return QFileDialog::getExistingDirectory(this, QStringLiteral("Složka starší verze aplikace"), start);
        };
}

TfUpgrade::TfUpgrade(db::OwnDataModule &own, UpgradeEnvironment env, QWidget *parent)
    : QDialog(parent), m_own(own), m_env(std::move(env))
{
    setWindowTitle(caption());
    setModal(true);
    fillEnvironmentDefaults();

    m_pages = new QStackedWidget(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pages);
    addQuestionPage();
    addFolderPage();
    addConversionPage();
    addFinishedPage();
    connectHelpButtons();

    // The folder list starts at the standard place, or at the root when that cannot be opened.
    const QDir standard(m_env.standardFolder);
    chooseFolder(standard.exists() && standard.isReadable() ? standard.absolutePath() : QDir::rootPath());
    resize(620, 400);
    showPage(QuestionPage);
}

// 1. The question.
void TfUpgrade::addQuestionPage()
{
    auto *body = new QWidget;
    auto *v = new QVBoxLayout(body);
    v->addWidget(wrapped(QStringLiteral("Byla nalezena instalace starší verze programu ZEB.")));
    v->addSpacing(8);
    v->addWidget(wrapped(QStringLiteral("Přejete si převést poznámky k materiálům do nové verze?")));
    v->addStretch(1);
    dontShowAgain = new QCheckBox(QStringLiteral("Příště tohoto průvodce nezobrazovat (starší verze není nainstalována)"));
    v->addWidget(dontShowAgain);
    yesButton = new QPushButton(QStringLiteral("Ano pokračovat"));
    noButton = new QPushButton(QStringLiteral("Ne ukončit průvodce"));
    m_pages->addWidget(makePage(QStringLiteral("Převod dat ze starší verze 1"), body,
                                {yesButton, noButton, makeHelpButton(QStringLiteral("&Nápověda"))}));
    connect(yesButton, &QPushButton::clicked, this, &TfUpgrade::yes);
    connect(noButton, &QPushButton::clicked, this, &QDialog::reject);
}

// A page of the two middle steps, with "Převést data", "Ukončit průvodce" (which closes the
// wizard), "Krok zpět" and "Nápověda".
void TfUpgrade::addStepPage(const QString &title, QWidget *body, QPushButton *&convert, QPushButton *&close,
                            QPushButton *&back)
{
    convert = new QPushButton(QStringLiteral("Převést data"));
    close = new QPushButton(QStringLiteral("Ukončit průvodce"));
    back = new QPushButton(QStringLiteral("Krok zpět"));
    m_pages->addWidget(makePage(title, body, {convert, close, back, makeHelpButton(QStringLiteral("Nápověda"))}));
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

// 2. The old data's folder.
void TfUpgrade::addFolderPage()
{
    auto *body = new QWidget;
    auto *v = new QVBoxLayout(body);
    v->addWidget(new QLabel(QStringLiteral("Cesta ke starší verzi aplikace:")));
    auto *pathRow = new QHBoxLayout;
    folderText = new QLineEdit;
    folderText->setReadOnly(true);
    browseButton = new QPushButton(QStringLiteral("&Vybrat složku..."));
    pathRow->addWidget(folderText, 1);
    pathRow->addWidget(browseButton);
    v->addLayout(pathRow);
    auto *lists = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    drives = new QComboBox;
    for (const QStorageInfo &s : QStorageInfo::mountedVolumes())
        if (s.isValid() && s.isReady() && drives->findData(s.rootPath()) < 0)
            drives->addItem(QDir::toNativeSeparators(s.rootPath()), s.rootPath());
    folders = new QListWidget;
    left->addWidget(new QLabel(QStringLiteral("Jednotka:")));
    left->addWidget(drives);
    left->addWidget(new QLabel(QStringLiteral("Složky:")));
    left->addWidget(folders, 1);
    auto *right = new QVBoxLayout;
    files = new QListWidget;
    files->setSelectionMode(QAbstractItemView::NoSelection);
    files->setFocusPolicy(Qt::NoFocus);
    right->addWidget(new QLabel(QStringLiteral("Soubory:")));
    right->addWidget(files, 1);
    lists->addLayout(left, 1);
    lists->addLayout(right, 1);
    v->addLayout(lists, 1);
    addStepPage(QStringLiteral("Určení cesty k datům starší verze 2"), body, folderConvertButton, folderCloseButton,
                folderBackButton);
    connect(browseButton, &QPushButton::clicked, this, [this] {
        const QString chosen = m_env.chooseFolder(m_folder);
        if (!chosen.isEmpty())
            chooseFolder(chosen);
    });
    connect(drives, &QComboBox::activated, this, [this](int i) { chooseFolder(drives->itemData(i).toString()); });
    connect(folders, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        chooseFolder(QDir::cleanPath(QDir(m_folder).filePath(item->data(Qt::UserRole).toString())));
    });
    connect(folderConvertButton, &QPushButton::clicked, this, &TfUpgrade::folderChosen);
    connect(folderBackButton, &QPushButton::clicked, this, [this] { showPage(QuestionPage); });
}

// 3. The conversion.
void TfUpgrade::addConversionPage()
{
    auto *body = new QWidget;
    auto *v = new QVBoxLayout(body);
    v->addStretch(1);
    progressText = new QLabel(QStringLiteral("Převod uživatelských poznámek k materiálům"));
    v->addWidget(progressText);
    progressBar = new QProgressBar;
    progressBar->setRange(0, 1);
    progressBar->setValue(0);
    v->addWidget(progressBar);
    v->addStretch(2);
    addStepPage(QStringLiteral("Převod dat 3"), body, convertButton, convertCloseButton, convertBackButton);
    connect(convertButton, &QPushButton::clicked, this, &TfUpgrade::convert);
    connect(convertBackButton, &QPushButton::clicked, this, &TfUpgrade::back);
}

// 4. The end.
void TfUpgrade::addFinishedPage()
{
    auto *body = new QWidget;
    auto *v = new QVBoxLayout(body);
    v->addWidget(wrapped(QStringLiteral("Převod dat ze starší verze programu byl úspěšně dokončen.")));
    v->addSpacing(8);
    summary = wrapped(QString());
    v->addWidget(summary);
    v->addStretch(1);
    okButton = new QPushButton(QStringLiteral("OK"));
    m_pages->addWidget(makePage(QStringLiteral("Převod úspěšně dokončen"), body,
                                {okButton, makeHelpButton(QStringLiteral("Nápověda"))}));
    connect(okButton, &QPushButton::clicked, this, &TfUpgrade::finish);
}

void TfUpgrade::connectHelpButtons()
{
    const bool help = m_env.helpInstalled && m_env.helpInstalled() && m_env.showHelp;
    for (QPushButton *b : helpButtons) {
        b->setEnabled(help);
        connect(b, &QPushButton::clicked, this, [this] {
            if (m_env.showHelp)
                m_env.showHelp(helpContext);
        });
    }
}

TfUpgrade::~TfUpgrade() = default;

QPushButton *TfUpgrade::makeHelpButton(const QString &caption)
{
    auto *b = new QPushButton(caption);
    helpButtons << b;
    return b;
}

QWidget *TfUpgrade::makePage(const QString &title, QWidget *body, const QList<QPushButton *> &buttons)
{
    auto *page = new QWidget;
    auto *v = new QVBoxLayout(page);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    auto *head = new QLabel(title);
    head->setObjectName(QStringLiteral("pageTitle"));
    QFont f = head->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.3);
    head->setFont(f);
    head->setAutoFillBackground(true);
    head->setBackgroundRole(QPalette::Base);
    head->setContentsMargins(16, 14, 16, 14);
    v->addWidget(head);
    auto *line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    v->addWidget(line);
    body->setContentsMargins(16, 12, 16, 4);
    v->addWidget(body, 1);
    auto *line2 = new QFrame;
    line2->setFrameShape(QFrame::HLine);
    line2->setFrameShadow(QFrame::Sunken);
    v->addWidget(line2);
    auto *row = new QHBoxLayout;
    row->setContentsMargins(16, 10, 16, 12);
    row->addStretch(1);
    for (QPushButton *b : buttons) {
        b->setAutoDefault(false);
        row->addWidget(b);
    }
    v->addLayout(row);
    return page;
}

int TfUpgrade::page() const
{
    return m_pages->currentIndex();
}

void TfUpgrade::showPage(Page p)
{
    m_pages->setCurrentIndex(p);
    // The button that closes the wizard is the default one; on the last page it is OK.
    QPushButton *def = p == QuestionPage ? noButton
                       : p == FolderPage ? folderCloseButton
                       : p == ConversionPage ? convertCloseButton
                                             : okButton;
    for (QPushButton *b : findChildren<QPushButton *>())
        b->setDefault(b == def);
    def->setFocus();
}

bool TfUpgrade::standardHoldsData() const
{
    return holdsOldData(oldDataFolderOf(m_env.standardFolder));
}

void TfUpgrade::yes()
{
    if (standardHoldsData()) {
        m_oldData = oldDataFolderOf(m_env.standardFolder);
        showPage(ConversionPage);
    } else {
        showPage(FolderPage);
    }
}

QString TfUpgrade::chosenFolder() const
{
    return m_folder;
}

void TfUpgrade::chooseFolder(const QString &folder)
{
    m_folder = QDir(folder).absolutePath();
    folderText->setText(QDir::toNativeSeparators(m_folder));
    fillFolderLists();
}

void TfUpgrade::fillFolderLists()
{
    folders->clear();
    files->clear();
    const QDir dir(m_folder);
    if (!dir.isRoot()) {
        auto *up = new QListWidgetItem(style()->standardIcon(QStyle::SP_FileDialogToParent), QStringLiteral(".."));
        up->setData(Qt::UserRole, QStringLiteral(".."));
        folders->addItem(up);
    }
    for (const QString &d : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        auto *item = new QListWidgetItem(style()->standardIcon(QStyle::SP_DirIcon), d);
        item->setData(Qt::UserRole, d);
        folders->addItem(item);
    }
    for (const QString &f : dir.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase))
        files->addItem(f);
    // The drive list shows the volume that holds the folder.
    const int i = drives->findData(QStorageInfo(m_folder).rootPath());
    if (i >= 0)
        drives->setCurrentIndex(i);
}

void TfUpgrade::folderChosen()
{
    // The installation folder holds "Data"; the data folder itself is taken as well.
    const QString data = oldDataFolderOf(m_folder);
    if (holdsOldData(data)) {
        m_oldData = data;
    } else if (holdsOldData(m_folder)) {
        m_oldData = m_folder;
    } else {
        m_env.wrongFolder(wrongFolderMessage());
        return;
    }
    showPage(ConversionPage);
}

void TfUpgrade::back()
{
    showPage(standardHoldsData() ? QuestionPage : FolderPage);
}

void TfUpgrade::convert()
{
    const QList<QPushButton *> buttons = findChildren<QPushButton *>();
    QList<QPushButton *> enabled;
    for (QPushButton *b : buttons)
        if (b->isEnabled()) {
            enabled << b;
            b->setEnabled(false);
        }
    m_converting = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    UpgradeProgress progress;
    progress.setText = [this](const QString &t) {
        progressText->setText(t);
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    progress.setMaximum = [this](int n) {
        progressBar->setRange(0, qMax(1, n));
        progressBar->setValue(0);
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    progress.setValue = [this](int v) {
        progressBar->setValue(v);
        // Repaint now and then, not for every row.
        if (v % 20 == 0 || v == progressBar->maximum())
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    bool ok = false;
    QString error;
    try {
        m_result = convertOldData(m_own, m_oldData, m_own.mainModule().userDataWritable(), progress);
        ok = true;
    } catch (const UpgradeError &e) {
        error = e.message();
    } catch (const std::exception &e) {
        error = QStringLiteral("Převod dat ze starší verze se nezdařil.\n\nPodrobnosti: %1").arg(QString::fromLocal8Bit(e.what()));
    }
    QApplication::restoreOverrideCursor();
    m_converting = false;
    for (QPushButton *b : enabled)
        b->setEnabled(true);
    if (!ok) {
        progressBar->setValue(0);
        m_env.conversionFailed(error);
        return;
    }
    QStringList lines;
    if (m_result.materials > 0 || m_result.skipped > 0)
        lines << QStringLiteral("Převedeno vlastních materiálů: %1").arg(m_result.materials);
    if (m_result.carriedBefore > 0)
        lines << QStringLiteral("Vlastních materiálů převedených už dříve (ponechány): %1").arg(m_result.carriedBefore);
    if (m_result.skipped > 0)
        lines << QStringLiteral("Vynecháno vlastních materiálů bez uzlu obsahu nebo označení: %1").arg(m_result.skipped);
    lines << QStringLiteral("Převedeno poznámek k materiálům: %1").arg(m_result.notes);
    if (m_result.appendedNotes > 0)
        lines << QStringLiteral("Připojeno pod poznámky této verze: %1").arg(m_result.appendedNotes);
    if (m_result.droppedNotes > 0)
        lines << QStringLiteral("Vynecháno poznámek k materiálům, které nový katalog neobsahuje: %1").arg(m_result.droppedNotes);
    summary->setText(lines.join(QLatin1Char('\n')));
    showPage(FinishedPage);
}

void TfUpgrade::finish()
{
    try {
        setUpgradeDone(m_own.mainModule());
    } catch (const std::exception &e) {
        m_env.conversionFailed(QString::fromLocal8Bit(e.what()));
    }
    accept();
}

void TfUpgrade::done(int result)
{
    // The wizard cannot be closed while it converts.
    if (m_converting)
        return;
    if (dontShowAgain->isChecked()) {
        try {
            setUpgradeDone(m_own.mainModule());
        } catch (const std::exception &e) {
            m_env.conversionFailed(QString::fromLocal8Bit(e.what()));
        }
    }
    QDialog::done(result);
}

void TfUpgrade::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1) {
        for (QPushButton *b : helpButtons)
            if (b->isVisible() && b->isEnabled()) {
                b->click();
                return;
            }
        return;
    }
    QDialog::keyPressEvent(event);
}

void showUpgradeWizard(db::OwnDataModule &own, UpgradeEnvironment env, QWidget *owner)
{
    TfUpgrade wizard(own, std::move(env), owner);
    wizard.exec();
}

} // namespace orv::userdata
