#pragma once
// The program's frame: a multiple-document window that holds the search window and, later,
// the material cards. For now it carries the left pane with the quick-find box and the
// child-window area with the search window.

#include <QMainWindow>

class QLineEdit;
class QMdiArea;
class QMdiSubWindow;

namespace orv::app {

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    QMdiArea *mdiArea() const { return m_mdi; }
    QLineEdit *quickFind() const { return m_quickFind; }
    QMdiSubWindow *searchWindow() const { return m_search; }

    // Creates the search window as a child window and shows it.
    void createSearchWindow();

signals:
    void closing();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QMdiArea *m_mdi = nullptr;
    QLineEdit *m_quickFind = nullptr;
    QMdiSubWindow *m_search = nullptr;
};

} // namespace orv::app
