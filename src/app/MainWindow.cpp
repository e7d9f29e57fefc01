#include "app/MainWindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>

namespace orv::app {

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Orvalis 2.1"));
    setObjectName(QStringLiteral("CentralForm"));
    resize(767, 491);

    auto *splitter = new QSplitter(Qt::Horizontal, this);
    auto *left = new QWidget(splitter);
    left->setObjectName(QStringLiteral("LeftPane"));
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(4, 4, 4, 4);
    leftLayout->addWidget(new QLabel(QStringLiteral("Hledání v obsahu:"), left));
    m_quickFind = new QLineEdit(left);
    m_quickFind->setObjectName(QStringLiteral("QuickFind"));
    leftLayout->addWidget(m_quickFind);
    leftLayout->addStretch(1);

    m_mdi = new QMdiArea(splitter);
    m_mdi->setObjectName(QStringLiteral("ClientArea"));
    m_mdi->setBackground(palette().dark());
    splitter->addWidget(left);
    splitter->addWidget(m_mdi);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({200, 560});
    setCentralWidget(splitter);
    statusBar()->setSizeGripEnabled(false);
}

MainWindow::~MainWindow() = default;

void MainWindow::createSearchWindow()
{
    auto *content = new QWidget;
    content->setObjectName(QStringLiteral("SearchForm"));
    auto *layout = new QVBoxLayout(content);
    auto *note = new QLabel(QStringLiteral("Vyhledávání materiálů podle označení, chemického složení, "
                                           "mechanických vlastností a použití."),
                            content);
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addStretch(1);
    m_search = m_mdi->addSubWindow(content);
    m_search->setWindowTitle(QStringLiteral("Vyhledávání"));
    m_search->resize(520, 360);
    m_search->show();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Child windows close before the frame, the search window last.
    for (QMdiSubWindow *w : m_mdi->subWindowList()) {
        if (w != m_search)
            w->close();
    }
    if (m_search)
        m_search->close();
    emit closing();
    event->accept();
}

} // namespace orv::app
