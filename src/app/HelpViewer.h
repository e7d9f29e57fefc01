#pragma once
// The help viewer: one window showing the HTML help pages of a help file, opened at its
// contents page or at a topic page by name, with back and forward through the pages seen
// and a search for text within the page shown.

#include <QMainWindow>

class QAction;
class QLabel;
class QLineEdit;
class QTextBrowser;

namespace orv::app {

class HelpViewer : public QMainWindow
{
    Q_OBJECT
public:
    explicit HelpViewer(QWidget *parent = nullptr);

    // Shows the pages of the book in `folder` whose table of contents is `contentsPage`
    // (a file name within the folder). Going to the contents later returns there.
    void openBook(const QString &folder, const QString &contentsPage);
    // Shows the page `name` + ".htm" of the open book; a page the book lacks shows a short
    // notice instead.
    void showTopic(const QString &name);
    void showContents();

    // Finds the next (or previous) occurrence of `text` in the page, wrapping round at the
    // end; false when the page does not contain it.
    bool findInPage(const QString &text, bool backward = false);

    QString folder() const { return m_folder; }
    QString currentPage() const; // file name of the page shown, empty for a notice
    QTextBrowser *browser() const { return m_browser; }
    QAction *backAction() const { return m_back; }
    QAction *forwardAction() const { return m_forward; }
    QAction *contentsAction() const { return m_contents; }
    QLineEdit *searchBox() const { return m_search; }

private:
    void showMissing(const QString &name);
    void searchChanged();

    QString m_folder;
    QString m_contentsPage;
    QTextBrowser *m_browser = nullptr;
    QAction *m_back = nullptr;
    QAction *m_forward = nullptr;
    QAction *m_contents = nullptr;
    QLineEdit *m_search = nullptr;
    QLabel *m_searchState = nullptr;
    bool m_notice = false; // a notice about a missing page is shown
};

} // namespace orv::app
