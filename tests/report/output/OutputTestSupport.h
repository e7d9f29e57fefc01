#pragma once
// Shared by the output tests: a GUI application, elements and items, and a paint device
// that records what the page drawing paints, in order.

#include "report/model/PageSetup.h"
#include "report/model/ReportElement.h"
#include "report/output/OutputStore.h"
#include "support/GuiApplication.h"

#include <QPaintEngine>
#include <QPainterPath>
#include <QTextItem>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace outtest {

using orv::test::ensureGuiApplication;

inline std::unique_ptr<orv::TSiReportElement> element(int kind, int textFlags = 0)
{
    auto e = std::make_unique<orv::TSiReportElement>();
    e->Kind = kind;
    e->TextFlags = textFlags;
    return e;
}

// Puts an item of element e on a page of the store, holding `text` as one line of one run.
inline orv::TVystPrvek *addOneLineItem(orv::TSestVystup &store, int page, orv::TSiReportElement *e,
                                       QRect r, const QString &text)
{
    auto item = std::make_unique<orv::TVystPrvek>(e, r.x(), r.y(), r.width(), r.height());
    orv::TRadky lines;
    lines.Lines.resize(1);
    lines.Lines[0].Runs.resize(1);
    lines.Lines[0].Runs[0].Chars = text;
    item->SetLines(lines);
    item->LastLine = 0;
    orv::TVystPrvek *raw = item.get();
    store.AddItem(std::move(item), page);
    return raw;
}

struct Op {
    enum Kind { Rect, Ellipse, Line, Path, Image, Text } kind;
    QRectF rect;          // device rectangle (rects, ellipses, images: target)
    QLineF line;
    QString text;
    QFont font;
    QPointF at;           // text baseline origin, device units
    QColor color;
    double penWidth = 0;
};

class RecordingEngine : public QPaintEngine {
public:
    RecordingEngine() : QPaintEngine(AllFeatures) {}
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    Type type() const override { return User; }
    void updateState(const QPaintEngineState &s) override
    {
        if (s.state() & DirtyTransform)
            transform = s.transform();
        if (s.state() & DirtyPen)
            pen = s.pen();
        if (s.state() & DirtyBrush)
            brush = s.brush();
    }
    void drawRects(const QRectF *r, int n) override
    {
        for (int i = 0; i < n; ++i)
            ops.push_back({Op::Rect, transform.mapRect(r[i]), {}, {}, {}, {}, brush.color(), pen.widthF()});
    }
    void drawRects(const QRect *r, int n) override
    {
        for (int i = 0; i < n; ++i) {
            const QRectF f(r[i]);
            drawRects(&f, 1);
        }
    }
    void drawEllipse(const QRectF &r) override
    {
        ops.push_back({Op::Ellipse, transform.mapRect(r), {}, {}, {}, {}, brush.color(), pen.widthF()});
    }
    void drawLines(const QLineF *l, int n) override
    {
        for (int i = 0; i < n; ++i)
            ops.push_back({Op::Line, {}, transform.map(l[i]), {}, {}, {}, pen.color(), pen.widthF()});
    }
    void drawPath(const QPainterPath &p) override
    {
        ops.push_back({Op::Path, transform.map(p).boundingRect(), {}, {}, {}, {}, brush.color(), pen.widthF()});
    }
    void drawPolygon(const QPointF *pts, int n, PolygonDrawMode) override
    {
        QPolygonF poly;
        for (int i = 0; i < n; ++i)
            poly << pts[i];
        ops.push_back({Op::Path, transform.map(poly).boundingRect(), {}, {}, {}, {}, brush.color(), 0});
    }
    void drawPixmap(const QRectF &r, const QPixmap &, const QRectF &) override
    {
        ops.push_back({Op::Image, transform.mapRect(r), {}, {}, {}, {}, {}, 0});
    }
    void drawImage(const QRectF &r, const QImage &, const QRectF &, Qt::ImageConversionFlags) override
    {
        ops.push_back({Op::Image, transform.mapRect(r), {}, {}, {}, {}, {}, 0});
    }
    void drawTextItem(const QPointF &p, const QTextItem &ti) override
    {
        ops.push_back({Op::Text, {}, {}, ti.text(), ti.font(), transform.map(p), pen.color(), 0});
    }

    QTransform transform;
    QPen pen;
    QBrush brush;
    std::vector<Op> ops;
};

class RecordingDevice : public QPaintDevice {
public:
    QPaintEngine *paintEngine() const override { return &engine; }
    mutable RecordingEngine engine;

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return 6000;
        case PdmHeight: return 8000;
        case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 600;
        case PdmDepth: return 32;
        case PdmNumColors: return 1 << 24;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        default: return 100;
        }
    }
};

// The operations the store paints for one page.
inline std::vector<Op> record(const orv::TSestVystup &store, int page, bool background = false)
{
    RecordingDevice device;
    QPainter painter(&device);
    store.DrawPageContent(painter, page, background);
    painter.end();
    return device.engine.ops;
}

class OutputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureGuiApplication();
        orv::pageSetup() = orv::TPageSetup();
    }
    // Keeps the elements alive as long as the store that refers to them.
    orv::TSiReportElement *keep(std::unique_ptr<orv::TSiReportElement> e)
    {
        elements.push_back(std::move(e));
        return elements.back().get();
    }
    std::vector<std::unique_ptr<orv::TSiReportElement>> elements;
};

} // namespace outtest
