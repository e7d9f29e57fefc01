#pragma once
// The card bar along the bottom of the main window: one flat button per open material card,
// all of one width that shrinks as cards are added, each captioned with as much of its card's
// title as fits. Which card a button stands for is the main window's business; the bar only
// lays the buttons out and reports clicks.

#include <QList>
#include <QToolButton>
#include <QWidget>

class QButtonGroup;
class QFontMetrics;

namespace orv::app {

// Width of every card button on a bar `barWidth` pixels wide with `buttonCount` buttons:
// round(barWidth / buttonCount) - 1, kept within 20 ... 100.
int cardButtonWidth(int barWidth, int buttonCount);

// Caption of a card button `width` pixels wide for the card titled `title`: the whole title
// when its text fits within width - 10 pixels, else the title cut one character at a time,
// ending in " ...", until it fits (or nothing of the title is left).
QString fitCardCaption(const QString &title, int width, const QFontMetrics &metrics);

class CardButton : public QToolButton
{
    Q_OBJECT
public:
    explicit CardButton(const QString &title, QWidget *parent = nullptr);

    // The card's whole title; the hint shows it and the caption is made from it.
    QString title() const { return toolTip(); }

    // Bold caption while its card is active.
    void setActiveLook(bool active);

signals:
    void leftClicked();
    void rightClicked(const QPoint &globalPos);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
};

class CardBar : public QWidget
{
    Q_OBJECT
public:
    explicit CardBar(QWidget *parent = nullptr);

    static constexpr int initialButtonWidth = 100;
    static constexpr int initialCaptionLength = 20;

    // A new button, flat, 100 pixels wide, bold, pressed, captioned with the first 20
    // characters of the title, the whole title as hint. The buttons are not refitted here:
    // the caller refits once everything about the new card is in place.
    CardButton *addButton(const QString &title);
    void removeButton(CardButton *button);
    QList<CardButton *> buttons() const { return m_buttons; }
    // Puts another button (the search window's) into the card buttons' group: pressing any
    // of them releases the others.
    void addToGroup(QAbstractButton *button);

    // Gives every button the width and caption for the bar's current width; nothing
    // happens while there are no buttons.
    void refit();

signals:
    void resized();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QButtonGroup *m_group = nullptr;
    QList<CardButton *> m_buttons;
};

} // namespace orv::app
