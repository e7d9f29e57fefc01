#pragma once
// The page image of the output store: what a painter draws on it is kept as a list of
// drawing steps, in page-image units (600 per inch), and drawn again on any painter by
// play(). It takes the place of a picture in Qt's own format, which writes every step into
// a byte stream and checksums the whole stream when painting ends: a page of small
// barcodes cost several times its drawing there. Here a step keeps the painter's own
// objects (pens, fonts, regions, pictures are shared, not copied) and the coordinates as
// they came, so that recording costs little more than the calls themselves.
//
// Fonts are kept as given. The report draws with pixel-sized fonts, which play back alike
// on every device; a font given in points is turned into pixels at 600 per inch when it
// is recorded.

#include <QPaintDevice>
#include <QRect>

#include <memory>

class QPainter;

namespace orv {

class TPageImageEngine;
struct TPageImageSteps;

class TPageImage : public QPaintDevice {
public:
    static constexpr int kUnitsPerInch = 600;
    // The type its paint engine reports, for drawing code that takes a shorter way on it.
    static constexpr int kEngineType = 60;   // QPaintEngine::User + 10

    TPageImage();
    ~TPageImage() override;
    TPageImage(const TPageImage &) = delete;
    TPageImage &operator=(const TPageImage &) = delete;

    // Forgets every step; the bounding rectangle stays.
    void clear();
    bool isNull() const;
    // How many drawing and state steps were recorded.
    int stepCount() const;

    // The area the image covers, in its own units; the painter's device size.
    QRect boundingRect() const { return m_bounds; }
    void setBoundingRect(const QRect &rect) { m_bounds = rect; }

    // Draws the recorded steps on the painter, under its current transform and clip; the
    // painter's state is as before afterwards. Returns false when nothing was recorded.
    bool play(QPainter *painter) const;

    QPaintEngine *paintEngine() const override;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    std::unique_ptr<TPageImageSteps> m_steps;
    std::unique_ptr<TPageImageEngine> m_engine;
    QRect m_bounds;
};

} // namespace orv
