#pragma once
// The window shown while the program starts: a picture of our own above a one-line progress
// text. While the code lists open, the picture gives way to a white panel with the notice
// about the standards quoted in the catalogue.
//
// The splash has no frame of its own. Once the notice has appeared it stays on the screen
// for the time it takes to read it, even when the program is ready sooner: closing the
// splash then leaves a copy with the notice that goes when the time is up or on a click.

#include <QElapsedTimer>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QWidget>

class QLabel;

namespace orv::app {

class SplashWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int clientWidth = 521;
    static constexpr int clientHeight = 430;
    static constexpr int pictureHeight = 417;
    static constexpr int labelHeight = 13;

    explicit SplashWindow(QWidget *parent = nullptr);
    ~SplashWindow() override;

    // How long the notice stays on the screen at least (milliseconds).
    static int readingTime();
    static void setReadingTime(int ms);
    // What is left of the reading time of the notice; 0 before it was shown.
    int remainingReadingTime() const;
    // This is the copy left to finish the reading time.
    bool isLingering() const { return m_lingering; }

    // Shows the text centred in the bottom line and repaints at once.
    void setProgressText(const QString &text);
    QString progressText() const;
    // Exchanges the picture for the white text panel.
    void showTextPanel();
    bool showsTextPanel() const { return m_textPanel; }

    // The picture and the panel as drawn, for the window and for screenshots.
    static QPixmap picture();
    // The program's window icon, drawn in the same steel as the picture.
    static QIcon windowIcon();
    static QString panelHeadline();
    static QString panelText();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void paintTextPanel(QPainter &p, const QRect &area) const;

    QLabel *m_label = nullptr;
    QPixmap m_picture;
    bool m_textPanel = false;
    bool m_lingering = false;
    QElapsedTimer m_panelShown;
};

} // namespace orv::app
