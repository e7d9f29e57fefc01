#include "app/HelpViewer.h"

#include "app/Icons.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolBar>
#include <QUrl>

namespace orv::app {

HelpViewer::HelpViewer(QWidget *parent)
    : QMainWindow(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(QStringLiteral("Nápověda - Orvalis 2.1"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    resize(760, 560);

    m_browser = new QTextBrowser(this);
    m_browser->setOpenExternalLinks(true);
    m_browser->setOpenLinks(true);
    setCentralWidget(m_browser);

    auto *bar = addToolBar(QStringLiteral("Nápověda"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_contents = bar->addAction(mainImage(MainImage::Help), QStringLiteral("&Obsah"));
    m_contents->setToolTip(QStringLiteral("Zobrazit obsah nápovědy"));
    m_back = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("&Zpět"));
    m_back->setShortcut(QKeySequence::Back);
    m_back->setToolTip(QStringLiteral("Zpět na předchozí stránku"));
    m_forward = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("&Vpřed"));
    m_forward->setShortcut(QKeySequence::Forward);
    m_forward->setToolTip(QStringLiteral("Vpřed na další stránku"));
    m_back->setEnabled(false);
    m_forward->setEnabled(false);
    bar->addSeparator();
    bar->addWidget(new QLabel(QStringLiteral(" Hledat na stránce: "), bar));
    m_search = new QLineEdit(bar);
    m_search->setObjectName(QStringLiteral("HelpSearch"));
    m_search->setClearButtonEnabled(true);
    m_search->setMaximumWidth(220);
    bar->addWidget(m_search);
    QAction *next = bar->addAction(QStringLiteral("&Další"));
    next->setShortcut(QKeySequence::FindNext);
    QAction *previous = bar->addAction(QStringLiteral("&Předchozí"));
    previous->setShortcut(QKeySequence::FindPrevious);
    m_searchState = new QLabel(bar);
    bar->addWidget(m_searchState);

    connect(m_contents, &QAction::triggered, this, &HelpViewer::showContents);
    connect(m_back, &QAction::triggered, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QAction::triggered, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = m_browser->documentTitle();
        setWindowTitle(title.isEmpty() ? QStringLiteral("Nápověda - Orvalis 2.1")
                                       : QStringLiteral("Nápověda - ") + title);
        m_searchState->clear();
        m_notice = false;
    });
    connect(m_search, &QLineEdit::returnPressed, this, [this] { findInPage(m_search->text()); });
    connect(m_search, &QLineEdit::textEdited, this, &HelpViewer::searchChanged);
    connect(next, &QAction::triggered, this, [this] { findInPage(m_search->text()); });
    connect(previous, &QAction::triggered, this, [this] { findInPage(m_search->text(), true); });
}

void HelpViewer::openBook(const QString &folder, const QString &contentsPage)
{
    if (QDir::cleanPath(folder) != QDir::cleanPath(m_folder)) {
        m_browser->clearHistory();
        m_browser->setSearchPaths({folder});
    }
    m_folder = folder;
    m_contentsPage = contentsPage;
}

void HelpViewer::showContents()
{
    showTopic(QFileInfo(m_contentsPage).completeBaseName());
}

void HelpViewer::showTopic(const QString &name)
{
    const QString file = QDir(m_folder).filePath(name + QStringLiteral(".htm"));
    if (name.isEmpty() || !QFileInfo(file).isFile()) {
        showMissing(name);
        return;
    }
    m_notice = false;
    m_browser->setSource(QUrl::fromLocalFile(file), QTextDocument::HtmlResource);
}

QString HelpViewer::currentPage() const
{
    if (m_notice)
        return {};
    const QUrl url = m_browser->source();
    return url.isLocalFile() ? QFileInfo(url.toLocalFile()).fileName() : QString();
}

void HelpViewer::showMissing(const QString &name)
{
    // A topic the book lacks is not an error of the program: say so on the page and offer
    // the contents.
    m_notice = true;
    m_browser->setHtml(QStringLiteral("<html><head><title>Stránka nenalezena</title></head><body>"
                                      "<h2>Stránka nápovědy nebyla nalezena</h2>"
                                      "<p>Nápověda neobsahuje stránku <b>%1</b>.</p>"
                                      "<p><a href=\"%2\">Přejít na obsah nápovědy</a></p></body></html>")
                           .arg(name.toHtmlEscaped(),
                                QUrl::fromLocalFile(QDir(m_folder).filePath(m_contentsPage)).toString()));
    setWindowTitle(QStringLiteral("Nápověda - Stránka nenalezena"));
}

bool HelpViewer::findInPage(const QString &text, bool backward)
{
    if (text.isEmpty()) {
        m_searchState->clear();
        return false;
    }
    const QTextDocument::FindFlags flags = backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    bool found = m_browser->find(text, flags);
    if (!found) {
        // Wrap round: start again from the other end of the page.
        QTextCursor cursor = m_browser->textCursor();
        cursor.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
        m_browser->setTextCursor(cursor);
        found = m_browser->find(text, flags);
    }
    m_searchState->setText(found ? QString() : QStringLiteral("  Text nebyl na stránce nalezen."));
    return found;
}

void HelpViewer::searchChanged()
{
    // Typing searches from the start of the page so that the first occurrence is shown.
    QTextCursor cursor = m_browser->textCursor();
    cursor.movePosition(QTextCursor::Start);
    m_browser->setTextCursor(cursor);
    findInPage(m_search->text());
}

} // namespace orv::app
