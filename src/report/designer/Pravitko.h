#pragma once
// The designer's rulers: distances in the display unit along the bands (vertical ruler) or
// along the sheet's width (horizontal ruler), following the scroll position and marking the
// mouse position.

#include <QList>
#include <QString>
#include <QWidget>

#include <functional>

namespace orv {

class TPapir;

// Tick spacing of a display unit: a tick every step units, a labelled one every major
// units, labelled with the value divided by divisor.
struct TRulerScale {
    int Step;
    int Major;
    int Divisor;
};
TRulerScale rulerScale(int unit);

class TPravitko : public QWidget {
    Q_OBJECT
public:
    static constexpr int kThickness = 16;

    TPravitko(Qt::Orientation orientation, TPapir *paper, QWidget *parent = nullptr);

    Qt::Orientation orientation() const { return m_orientation; }
    // The labels drawn, with their centre positions in ruler pixels (for tests).
    struct Label {
        int Position;
        QString Text;
    };
    QList<Label> labels() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *) override;

private:
    // Every measured stretch: its origin in ruler pixels and its length in hundredths.
    void forEachSegment(const std::function<void(int origin, int hundredths)> &f) const;

    Qt::Orientation m_orientation;
    TPapir *m_paper;
};

} // namespace orv
