#pragma once
// A paint device that writes what is painted on it as an enhanced metafile (EMF) or a
// Windows metafile (WMF), through its own paint engine over libuemf. The report pages are
// painted on it by the same code that paints the page images.
//
// Coordinates are device units of the given resolution (600 per inch for report pages).
// Text becomes text records with the font and per-character advances; pictures become
// stretched device-independent bitmaps; curves become polygons. Clipping is not recorded.

#include <QPaintDevice>

#include <memory>

class QIODevice;

namespace orv {

class TMetafileEngine;

// The metrics of a vector device of width x height units at dpi units per inch (metafiles,
// the page image).
int vectorDeviceMetric(QPaintDevice::PaintDeviceMetric metric, int width, int height, int dpi);

class TMetafileDevice : public QPaintDevice {
public:
    TMetafileDevice(bool enhanced, int width, int height, int dpi = 600);
    ~TMetafileDevice() override;

    QPaintEngine *paintEngine() const override;
    // Completes the metafile after painting has ended and writes it to the stream.
    bool write(QIODevice &stream);
    bool ok() const;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    std::unique_ptr<TMetafileEngine> m_engine;
    int m_width;
    int m_height;
    int m_dpi;
};

} // namespace orv
