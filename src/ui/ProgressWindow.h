#pragma once
// The small window shown while an own material is copied, saved or deleted: an animation
// strip and one line of text. The caller creates it, sets the mode, shows it, does its work
// (processing pending events now and then so the animation moves) and destroys it.

#include <QDialog>
#include <QString>

class QLabel;
class QTimer;

namespace orv::ui {

class ProgressWindow : public QDialog
{
    Q_OBJECT
public:
    enum class Mode { None, Delete, Copy, Save };

    explicit ProgressWindow(QWidget *parent = nullptr);

    // Sets text and animation, starts the animation at frame 1 and repaints at once.
    void setMode(Mode mode);
    // Mode by its name "Delete", "Copy" or "Save"; other names leave the window empty.
    void setMode(const QString &name);

    Mode mode() const { return m_mode; }
    QString text() const;
    int frame() const { return m_frame; }   // 1 .. 24 while playing, 0 before
    static constexpr int frameCount = 24;
    static QString modeText(Mode mode);
    // The next frame of the animation, after the last the first again; the window's timer
    // calls this every 60 ms while a mode plays.
    void step();

protected:
    void paintEvent(QPaintEvent *event) override;

private:

    Mode m_mode = Mode::None;
    int m_frame = 0;
    QLabel *m_label = nullptr;
    QTimer *m_timer = nullptr;
};

} // namespace orv::ui
