#include "report/output/PageImage.h"

#include "report/output/MetafileDevice.h"

#include <QBrush>
#include <QFont>
#include <QImage>
#include <QLine>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPixmap>
#include <QRegion>
#include <QTextItem>
#include <QTransform>

#include <cmath>
#include <type_traits>
#include <vector>

namespace orv {

namespace {

enum class Step : quint8 {
    Pen, Brush, BrushOrigin, Background, Transform, ClipEnabled, ClipRegion, ClipPath,
    Hints, Composition, Opacity,
    Rects, RectFs, Lines, LineFs, Points, PointFs, Polygon, PolygonF, Path, Ellipse,
    EllipseF, Pixmap, TiledPixmap, Image, Text
};

// One step: what it is, a small operand (a mode, an operation, a flag) and up to three
// indexes or counts into the lists of the recording, as each step needs them.
struct StepRecord {
    Step kind;
    quint8 mode = 0;
    quint32 a = 0, b = 0, c = 0;
};

template <typename T>
quint32 append(std::vector<T> &list, const T &value)
{
    list.push_back(value);
    return quint32(list.size() - 1);
}

template <typename T>
quint32 append(std::vector<T> &list, const T *values, int count)
{
    const auto first = quint32(list.size());
    list.insert(list.end(), values, values + count);
    return first;
}

} // namespace

struct TPageImageSteps {
    std::vector<StepRecord> steps;
    std::vector<QPen> pens;
    std::vector<QBrush> brushes;
    std::vector<QFont> fonts;
    std::vector<QTransform> transforms;
    std::vector<QRegion> regions;
    std::vector<QPainterPath> paths;
    std::vector<QImage> images;
    std::vector<QPixmap> pixmaps;
    std::vector<QString> texts;
    std::vector<QRect> rects;
    std::vector<QRectF> rectFs;
    std::vector<QPoint> points;
    std::vector<QPointF> pointFs;
    std::vector<QLine> lines;
    std::vector<QLineF> lineFs;
    std::vector<double> numbers;
    int lastTextFont = -1;

    // Empties every list but keeps its room, for the next page.
    void clear()
    {
        auto empty = [](auto &...lists) { (lists.clear(), ...); };
        empty(steps, pens, brushes, fonts, transforms, regions, paths, images, pixmaps, texts,
              rects, rectFs, points, pointFs, lines, lineFs, numbers);
        lastTextFont = -1;
    }
};

class TPageImageEngine : public QPaintEngine {
public:
    TPageImageEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}

    void setSteps(TPageImageSteps *steps) { m_steps = steps; }

    bool begin(QPaintDevice *) override
    {
        setActive(true);
        return true;
    }
    bool end() override
    {
        setActive(false);
        return true;
    }
    Type type() const override { return Type(TPageImage::kEngineType); }

    // The font is not a state of its own: each text step carries the font it is drawn in.
    void updateState(const QPaintEngineState &state) override
    {
        TPageImageSteps &s = *m_steps;
        const DirtyFlags f = state.state();
        if (f & DirtyPen)
            add(Step::Pen, 0, append(s.pens, state.pen()));
        if (f & DirtyBrush)
            add(Step::Brush, 0, append(s.brushes, state.brush()));
        if (f & DirtyBrushOrigin)
            add(Step::BrushOrigin, 0, append(s.pointFs, state.brushOrigin()));
        if (f & (DirtyBackground | DirtyBackgroundMode))
            add(Step::Background, quint8(state.backgroundMode()),
                append(s.brushes, state.backgroundBrush()));
        if (f & DirtyTransform)
            add(Step::Transform, 0, append(s.transforms, state.transform()));
        if (f & DirtyClipEnabled)
            add(Step::ClipEnabled, state.isClipEnabled());
        if (f & DirtyClipRegion)
            add(Step::ClipRegion, quint8(state.clipOperation()),
                append(s.regions, state.clipRegion()));
        if (f & DirtyClipPath)
            add(Step::ClipPath, quint8(state.clipOperation()), append(s.paths, state.clipPath()));
        if (f & DirtyHints)
            add(Step::Hints, 0, quint32(state.renderHints()));
        if (f & DirtyCompositionMode)
            add(Step::Composition, 0, quint32(state.compositionMode()));
        if (f & DirtyOpacity)
            add(Step::Opacity, 0, append(s.numbers, double(state.opacity())));
    }

    void drawRects(const QRect *r, int n) override { add(Step::Rects, 0, append(m_steps->rects, r, n), n); }
    void drawRects(const QRectF *r, int n) override { add(Step::RectFs, 0, append(m_steps->rectFs, r, n), n); }
    void drawLines(const QLine *l, int n) override { add(Step::Lines, 0, append(m_steps->lines, l, n), n); }
    void drawLines(const QLineF *l, int n) override
    {
        if (n == 1 && m_decorations > 0) {
            --m_decorations;
            return;
        }
        add(Step::LineFs, 0, append(m_steps->lineFs, l, n), n);
    }
    void drawPoints(const QPoint *p, int n) override { add(Step::Points, 0, append(m_steps->points, p, n), n); }
    void drawPoints(const QPointF *p, int n) override { add(Step::PointFs, 0, append(m_steps->pointFs, p, n), n); }
    void drawPolygon(const QPoint *p, int n, PolygonDrawMode mode) override
    {
        add(Step::Polygon, quint8(mode), append(m_steps->points, p, n), n);
    }
    void drawPolygon(const QPointF *p, int n, PolygonDrawMode mode) override
    {
        add(Step::PolygonF, quint8(mode), append(m_steps->pointFs, p, n), n);
    }
    void drawPath(const QPainterPath &path) override { add(Step::Path, 0, append(m_steps->paths, path)); }
    void drawEllipse(const QRect &r) override { add(Step::Ellipse, 0, append(m_steps->rects, r)); }
    void drawEllipse(const QRectF &r) override { add(Step::EllipseF, 0, append(m_steps->rectFs, r)); }

    void drawPixmap(const QRectF &r, const QPixmap &pm, const QRectF &sr) override
    {
        const quint32 at = append(m_steps->rectFs, r);
        append(m_steps->rectFs, sr);
        add(Step::Pixmap, 0, append(m_steps->pixmaps, pm), at);
    }
    void drawTiledPixmap(const QRectF &r, const QPixmap &pm, const QPointF &offset) override
    {
        add(Step::TiledPixmap, 0, append(m_steps->pixmaps, pm), append(m_steps->rectFs, r),
            append(m_steps->pointFs, offset));
    }
    void drawImage(const QRectF &r, const QImage &image, const QRectF &sr,
                   Qt::ImageConversionFlags flags) override
    {
        const quint32 at = append(m_steps->rectFs, r);
        append(m_steps->rectFs, sr);
        add(Step::Image, 0, append(m_steps->images, image), at, quint32(flags.toInt()));
    }

    // Text as its characters at their baseline point, in its font with the lines under, over
    // or through it: played back, the painter draws those lines as it draws them for text.
    // The painter draws them here too, each as one line right after the text; those lines
    // are left out.
    void drawTextItem(const QPointF &p, const QTextItem &ti) override
    {
        m_decorations = 0;
        const QString text = ti.text();
        if (text.isEmpty()) {
            // Glyphs without characters (a glyph run): as the outlines they are.
            QPaintEngine::drawTextItem(p, ti);
            return;
        }
        TPageImageSteps &s = *m_steps;
        QFont font = ti.font();
        if (font.pixelSize() <= 0)
            font.setPixelSize(std::max(
                1, int(std::lround(font.pointSizeF() * TPageImage::kUnitsPerInch / 72.0))));
        if (s.lastTextFont < 0 || !(s.fonts[size_t(s.lastTextFont)] == font))
            s.lastTextFont = int(append(s.fonts, font));
        add(Step::Text, 0, append(s.texts, text), append(s.pointFs, p), quint32(s.lastTextFont));
        for (QTextItem::RenderFlag line : {QTextItem::Underline, QTextItem::Overline, QTextItem::StrikeOut})
            m_decorations += ti.renderFlags().testFlag(line);
    }

private:
    void add(Step kind, quint8 mode = 0, quint32 a = 0, quint32 b = 0, quint32 c = 0)
    {
        if (kind >= Step::Rects)
            m_decorations = 0;
        m_steps->steps.push_back({kind, mode, a, b, c});
    }

    TPageImageSteps *m_steps = nullptr;
    int m_decorations = 0;   // lines under, over or through the last text still to come
};

TPageImage::TPageImage()
    : m_steps(std::make_unique<TPageImageSteps>()),
      m_engine(std::make_unique<TPageImageEngine>())
{
    m_engine->setSteps(m_steps.get());
}

TPageImage::~TPageImage() = default;

void TPageImage::clear()
{
    m_steps->clear();
}

bool TPageImage::isNull() const
{
    return m_steps->steps.empty();
}

int TPageImage::stepCount() const
{
    return int(m_steps->steps.size());
}

QPaintEngine *TPageImage::paintEngine() const
{
    return m_engine.get();
}

int TPageImage::metric(PaintDeviceMetric metric) const
{
    return vectorDeviceMetric(metric, m_bounds.width(), m_bounds.height(), kUnitsPerInch);
}

bool TPageImage::play(QPainter *painter) const
{
    if (!painter || !painter->isActive() || isNull())
        return false;
    const TPageImageSteps &s = *m_steps;
    painter->save();
    const QTransform base = painter->transform();
    // A clip the painter had before stays in force: the image's own clips are laid within it.
    const bool outerClip = painter->hasClipping();
    const QPainterPath outer = outerClip ? painter->clipPath() : QPainterPath();
    auto resetClip = [&]() {
        if (!outerClip) {
            painter->setClipping(false);
            return;
        }
        const QTransform t = painter->transform();
        painter->setTransform(base);
        painter->setClipPath(outer);
        painter->setTransform(t);
    };
    // Replacing the clip lays the new one within the outer clip; dropping it goes back to the
    // outer clip.
    auto setClip = [&](quint8 op, const auto &clip) {
        if (op == Qt::NoClip) {
            resetClip();
            return;
        }
        if (op == Qt::ReplaceClip && outerClip) {
            resetClip();
            op = Qt::IntersectClip;
        }
        if constexpr (std::is_same_v<std::decay_t<decltype(clip)>, QRegion>)
            painter->setClipRegion(clip, Qt::ClipOperation(op));
        else
            painter->setClipPath(clip, Qt::ClipOperation(op));
    };
    int currentFont = -1;
    for (const StepRecord &r : s.steps) {
        switch (r.kind) {
        case Step::Pen: painter->setPen(s.pens[r.a]); break;
        case Step::Brush: painter->setBrush(s.brushes[r.a]); break;
        case Step::BrushOrigin: painter->setBrushOrigin(s.pointFs[r.a]); break;
        case Step::Background:
            painter->setBackground(s.brushes[r.a]);
            painter->setBackgroundMode(Qt::BGMode(r.mode));
            break;
        case Step::Transform: painter->setTransform(s.transforms[r.a] * base); break;
        case Step::ClipEnabled:
            if (r.mode)
                painter->setClipping(true);
            else
                resetClip();
            break;
        case Step::ClipRegion: setClip(r.mode, s.regions[r.a]); break;
        case Step::ClipPath: setClip(r.mode, s.paths[r.a]); break;
        case Step::Hints: {
            const auto hints = QPainter::RenderHints::fromInt(int(r.a));
            painter->setRenderHint(QPainter::Antialiasing, hints & QPainter::Antialiasing);
            painter->setRenderHint(QPainter::SmoothPixmapTransform,
                                   hints & QPainter::SmoothPixmapTransform);
            break;
        }
        case Step::Composition: painter->setCompositionMode(QPainter::CompositionMode(r.a)); break;
        case Step::Opacity: painter->setOpacity(s.numbers[r.a]); break;
        case Step::Rects: painter->drawRects(&s.rects[r.a], int(r.b)); break;
        case Step::RectFs: painter->drawRects(&s.rectFs[r.a], int(r.b)); break;
        case Step::Lines: painter->drawLines(&s.lines[r.a], int(r.b)); break;
        case Step::LineFs: painter->drawLines(&s.lineFs[r.a], int(r.b)); break;
        case Step::Points: painter->drawPoints(&s.points[r.a], int(r.b)); break;
        case Step::PointFs: painter->drawPoints(&s.pointFs[r.a], int(r.b)); break;
        case Step::Polygon:
        case Step::PolygonF: {
            const auto mode = QPaintEngine::PolygonDrawMode(r.mode);
            const int n = int(r.b);
            auto draw = [&](const auto *p) {
                switch (mode) {
                case QPaintEngine::OddEvenMode: painter->drawPolygon(p, n, Qt::OddEvenFill); break;
                case QPaintEngine::WindingMode: painter->drawPolygon(p, n, Qt::WindingFill); break;
                case QPaintEngine::ConvexMode: painter->drawConvexPolygon(p, n); break;
                case QPaintEngine::PolylineMode: painter->drawPolyline(p, n); break;
                }
            };
            if (r.kind == Step::Polygon)
                draw(&s.points[r.a]);
            else
                draw(&s.pointFs[r.a]);
            break;
        }
        case Step::Path: painter->drawPath(s.paths[r.a]); break;
        case Step::Ellipse: painter->drawEllipse(s.rects[r.a]); break;
        case Step::EllipseF: painter->drawEllipse(s.rectFs[r.a]); break;
        case Step::Pixmap: painter->drawPixmap(s.rectFs[r.b], s.pixmaps[r.a], s.rectFs[r.b + 1]); break;
        case Step::TiledPixmap:
            painter->drawTiledPixmap(s.rectFs[r.b], s.pixmaps[r.a], s.pointFs[r.c]);
            break;
        case Step::Image:
            painter->drawImage(s.rectFs[r.b], s.images[r.a], s.rectFs[r.b + 1],
                               Qt::ImageConversionFlags::fromInt(int(r.c)));
            break;
        case Step::Text:
            if (int(r.c) != currentFont) {
                painter->setFont(s.fonts[r.c]);
                currentFont = int(r.c);
            }
            painter->drawText(s.pointFs[r.b], s.texts[r.a]);
            break;
        }
    }
    painter->restore();
    return true;
}

} // namespace orv
