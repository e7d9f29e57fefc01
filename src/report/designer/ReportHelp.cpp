#include "report/designer/ReportHelp.h"

#include "report/model/SestavaMessages.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace orv {

namespace {

TReportHelpHandler &handler()
{
    static TReportHelpHandler h;
    return h;
}

QString &fallbackFolder()
{
    static QString f;
    return f;
}

const QString kContents = QStringLiteral("sestavy.htm");

void builtInHelp(QWidget *parent, const QString &page)
{
    const QString folder = reportHelpFolder();
    const QString file = QDir(folder).filePath(page.isEmpty() ? kContents : page);
    if (folder.isEmpty() || !QFileInfo(file).isFile()) {
        showSestMessage(TSestMessageKind::Error, QString::fromUtf8("Chyba"),
                        QString::fromUtf8("Nápověda generátoru sestav nebyla nalezena: %1")
                            .arg(QDir::toNativeSeparators(file)));
        return;
    }
    static QPointer<QDialog> window;
    if (!window) {
        window = new QDialog(nullptr);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setWindowTitle(QString::fromUtf8("Nápověda - tiskové sestavy"));
        auto *browser = new QTextBrowser(window);
        browser->setObjectName(QStringLiteral("helpBrowser"));
        browser->setOpenExternalLinks(false);
        auto *l = new QVBoxLayout(window);
        l->setContentsMargins(0, 0, 0, 0);
        l->addWidget(browser);
        window->resize(720, 600);
    }
    (void)parent;
    auto *browser = window->findChild<QTextBrowser *>(QStringLiteral("helpBrowser"));
    browser->setSearchPaths({folder});
    browser->setSource(QUrl::fromLocalFile(file));
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

TReportHelpHandler setReportHelpHandler(TReportHelpHandler h)
{
    TReportHelpHandler old = handler();
    handler() = std::move(h);
    return old;
}

void showReportHelp(QWidget *parent, const QString &page)
{
    if (handler())
        handler()(parent, page);
    else
        builtInHelp(parent, page);
}

void installHelpKey(QWidget *window, const QString &page)
{
    auto *key = new QShortcut(QKeySequence(Qt::Key_F1), window);
    key->setContext(Qt::WindowShortcut);
    QObject::connect(key, &QShortcut::activated, window,
                     [window, page] { showReportHelp(window, page); });
}

void setReportHelpFolder(const QString &folder)
{
    fallbackFolder() = folder;
}

QString reportHelpFolder()
{
    const QString env = qEnvironmentVariable("ORVALIS_HELP_DIR");
    QStringList candidates;
    if (!env.isEmpty())
        candidates << env;
    const QString app = QCoreApplication::applicationDirPath();
    candidates << QDir(app).filePath(QStringLiteral("Help"))
               << QDir(app).filePath(QStringLiteral("../share/orvalis/Help"));
    if (!fallbackFolder().isEmpty())
        candidates << fallbackFolder();
    for (const QString &c : candidates)
        if (QFileInfo(QDir(c).filePath(kContents)).isFile())
            return QDir(c).absolutePath();
    return candidates.isEmpty() ? QString() : candidates.last();
}

} // namespace orv
