#include "report/output/MetafileDevice.h"

#include "report/model/RtfCharset.h"

#include <QFile>
#include <QFontMetricsF>
#include <QIODevice>
#include <QImage>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPixmap>
#include <QTemporaryFile>
#include <QTextItem>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <uemf.h>
#include <uwmf.h>

namespace orv {

namespace {

U_COLORREF colorRef(const QColor &c)
{
    return colorref3_set(uint8_t(c.red()), uint8_t(c.green()), uint8_t(c.blue()));
}

int16_t clamp16(double v)
{
    return int16_t(std::clamp<long>(std::lround(v), -32767, 32767));
}

// A picture as a bottom-up 24-bit device-independent bitmap; transparency is laid over
// white paper.
struct Dib {
    PU_BITMAPINFO info = nullptr;
    std::vector<char> pixels;
    int width = 0;
    int height = 0;

    explicit Dib(const QImage &source)
    {
        QImage img(source.size(), QImage::Format_RGB32);
        img.fill(Qt::white);
        {
            QPainter p(&img);
            p.drawImage(0, 0, source);
        }
        width = img.width();
        height = img.height();
        const int stride = (width * 3 + 3) & ~3;
        pixels.assign(size_t(stride) * size_t(height), 0);
        for (int y = 0; y < height; ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(img.constScanLine(height - 1 - y));
            char *out = pixels.data() + size_t(y) * size_t(stride);
            for (int x = 0; x < width; ++x) {
                out[3 * x] = char(qBlue(line[x]));
                out[3 * x + 1] = char(qGreen(line[x]));
                out[3 * x + 2] = char(qRed(line[x]));
            }
        }
        const U_BITMAPINFOHEADER header = bitmapinfoheader_set(
            width, height, 1, 24, U_BI_RGB, uint32_t(pixels.size()), 23622, 23622, 0, 0);
        info = bitmapinfo_set(header, nullptr);
    }
    ~Dib() { std::free(info); }
    Dib(const Dib &) = delete;
    Dib &operator=(const Dib &) = delete;
};

} // namespace

class TMetafileEngine : public QPaintEngine {
public:
    TMetafileEngine(bool enhanced, int width, int height, int dpi)
        : QPaintEngine(QPaintEngine::PaintEngineFeatures(QPaintEngine::AllFeatures)
                       & ~QPaintEngine::PaintEngineFeatures(QPaintEngine::PaintOutsidePaintEvent)),
          m_enhanced(enhanced), m_width(width), m_height(height), m_dpi(dpi)
    {
        if (!m_file.open())
            return;
        m_fileName = m_file.fileName();
        m_file.close();
        const QByteArray name = QFile::encodeName(m_fileName);
        if (m_enhanced) {
            if (emf_start(name.constData(), 1 << 20, 1 << 18, &m_et) != 0
                || emf_htable_create(128, 128, &m_eht) != 0)
                return;
        } else {
            if (wmf_start(name.constData(), 1 << 20, 1 << 18, &m_wt) != 0
                || wmf_htable_create(128, 128, &m_wht) != 0)
                return;
        }
        m_ok = writeHeader();
    }

    ~TMetafileEngine() override
    {
        if (m_et)
            emf_free(&m_et);
        if (m_eht)
            emf_htable_free(&m_eht);
        if (m_wt)
            wmf_free(&m_wt);
        if (m_wht)
            wmf_htable_free(&m_wht);
    }

    bool ok() const { return m_ok; }

    bool begin(QPaintDevice *) override { return m_ok; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState &state) override
    {
        const DirtyFlags f = state.state();
        if (f & DirtyPen)
            m_pen = state.pen();
        if (f & DirtyBrush)
            m_brush = state.brush();
        if (f & DirtyFont)
            m_font = state.font();
        if (f & DirtyTransform)
            m_transform = state.transform();
    }

    void drawRects(const QRectF *rects, int count) override
    {
        flushText();
        for (int i = 0; i < count; ++i) {
            if (m_transform.type() <= QTransform::TxScale) {
                const QRectF r = m_transform.mapRect(rects[i]);
                selectPen();
                selectBrush();
                if (m_enhanced) {
                    append(U_EMRRECTANGLE_set(rectl(r)));
                } else {
                    wappend(U_WMRRECTANGLE_set(rect16(r)));
                }
            } else {
                QPainterPath path;
                path.addRect(rects[i]);
                drawPath(path);
            }
        }
    }
    void drawRects(const QRect *rects, int count) override
    {
        for (int i = 0; i < count; ++i) {
            // An outlined QRect covers one pixel more than its size, as a GDI rectangle
            // whose right and bottom edges are excluded covers exactly its corners.
            const QRectF r(rects[i].x(), rects[i].y(), rects[i].width() + (m_pen.style() == Qt::NoPen ? 0 : 1),
                           rects[i].height() + (m_pen.style() == Qt::NoPen ? 0 : 1));
            drawRects(&r, 1);
        }
    }

    void drawEllipse(const QRectF &rect) override
    {
        flushText();
        if (m_transform.type() > QTransform::TxScale) {
            QPainterPath path;
            path.addEllipse(rect);
            drawPath(path);
            return;
        }
        const QRectF r = m_transform.mapRect(rect);
        selectPen();
        selectBrush();
        if (m_enhanced)
            append(U_EMRELLIPSE_set(rectl(r)));
        else
            wappend(U_WMRELLIPSE_set(rect16(r)));
    }
    void drawEllipse(const QRect &rect) override
    {
        drawEllipse(QRectF(rect.x(), rect.y(), rect.width() + 1, rect.height() + 1));
    }

    void drawLines(const QLineF *lines, int count) override
    {
        flushText();
        selectPen();
        for (int i = 0; i < count; ++i) {
            const QPointF a = m_transform.map(lines[i].p1());
            const QPointF b = m_transform.map(lines[i].p2());
            if (m_enhanced) {
                append(U_EMRMOVETOEX_set(pointl(a)));
                append(U_EMRLINETO_set(pointl(b)));
            } else {
                wappend(U_WMRMOVETO_set(point16(a)));
                wappend(U_WMRLINETO_set(point16(b)));
            }
        }
    }
    void drawLines(const QLine *lines, int count) override
    {
        for (int i = 0; i < count; ++i) {
            const QLineF l(lines[i]);
            drawLines(&l, 1);
        }
    }

    void drawPolygon(const QPointF *points, int count, PolygonDrawMode mode) override
    {
        QPolygonF poly;
        for (int i = 0; i < count; ++i)
            poly << m_transform.map(points[i]);
        emitPolygon(poly, mode != PolylineMode);
    }
    void drawPolygon(const QPoint *points, int count, PolygonDrawMode mode) override
    {
        QPolygonF poly;
        for (int i = 0; i < count; ++i)
            poly << QPointF(points[i]);
        drawPolygon(poly.constData(), int(poly.size()), mode);
    }

    void drawPath(const QPainterPath &path) override
    {
        flushText();
        const bool filled = m_brush.style() != Qt::NoBrush;
        for (const QPolygonF &poly : path.toSubpathPolygons(m_transform))
            emitPolygon(poly, filled);
    }

    void drawPixmap(const QRectF &r, const QPixmap &pm, const QRectF &sr) override
    {
        drawImage(r, pm.toImage(), sr, Qt::AutoColor);
    }

    void drawImage(const QRectF &r, const QImage &image, const QRectF &sr,
                   Qt::ImageConversionFlags) override
    {
        flushText();
        if (image.isNull())
            return;
        const QImage part = sr == QRectF(image.rect()) ? image : image.copy(sr.toAlignedRect());
        const QRectF dest = m_transform.mapRect(r);
        Dib dib(part);
        if (!dib.info)
            return;
        if (m_enhanced) {
            append(U_EMRSTRETCHDIBITS_set(U_RCL_DEF, pointl(dest.topLeft()),
                                          point32_set(std::lround(dest.width()), std::lround(dest.height())),
                                          point32_set(0, 0), point32_set(dib.width, dib.height),
                                          U_DIB_RGB_COLORS, U_SRCCOPY, dib.info,
                                          uint32_t(dib.pixels.size()), dib.pixels.data()));
        } else {
            wappend(U_WMRSTRETCHDIB_set(point16(dest.topLeft()),
                                        point16_set(clamp16(dest.width()), clamp16(dest.height())),
                                        point16_set(0, 0),
                                        point16_set(clamp16(dib.width), clamp16(dib.height)),
                                        U_DIB_RGB_COLORS, U_SRCCOPY, dib.info,
                                        uint32_t(dib.pixels.size()), dib.pixels.data()));
        }
    }

    // Characters come one by one (each has its own position); those that continue a
    // run on the same baseline in the same font are gathered into one text record with
    // the distances between them as advances, so that readers see words, not letters.
    void drawTextItem(const QPointF &p, const QTextItem &ti) override
    {
        const QString text = ti.text();
        if (text.isEmpty())
            return;
        const QFont font = ti.font();
        const double scale = std::sqrt(std::abs(m_transform.determinant()));
        const double angle = std::atan2(-m_transform.m12(), m_transform.m11()) * 180.0 / M_PI;
        const int escapement = int(std::lround(angle * 10));
        const int height = std::max(1, int(std::lround(pixelSize(font) * scale)));
        const QPointF at = m_transform.map(p);

        const QFontMetricsF fm(font);
        std::vector<double> widths;
        double natural = 0;
        for (QChar c : text) {
            widths.push_back(fm.horizontalAdvance(c));
            natural += widths.back();
        }
        const double total = ti.width() > 0 ? ti.width() : natural;
        const double factor = natural > 0 ? total / natural * scale : scale;
        for (double &w : widths)
            w *= factor;

        PendingText &t = m_text;
        const bool continues = t.active && escapement == 0 && t.escapement == 0 && t.height == height
                               && t.font == font && t.color == m_pen.color().rgb()
                               && std::abs(at.y() - t.start.y()) < 0.5 && at.x() >= t.lastX;
        if (continues) {
            t.dx.back() = at.x() - t.lastX;
        } else {
            flushText();
            t.active = true;
            t.font = font;
            t.height = height;
            t.escapement = escapement;
            t.color = m_pen.color().rgb();
            t.start = at;
            t.text.clear();
            t.dx.clear();
        }
        double x = at.x();
        for (qsizetype i = 0; i < text.size(); ++i) {
            t.text.append(text.at(i));
            t.dx.push_back(widths[size_t(i)]);
            if (i + 1 < text.size())
                x += widths[size_t(i)];
        }
        t.lastX = x;
    }

    void flushText()
    {
        PendingText &t = m_text;
        if (!t.active)
            return;
        t.active = false;
        selectFont(t.font, t.height, t.escapement);
        selectTextColor(QColor::fromRgb(t.color));
        if (m_enhanced) {
            std::vector<uint16_t> utf16(size_t(t.text.size()) + 1, 0);
            std::vector<uint32_t> dx(size_t(t.text.size()), 0);
            for (qsizetype i = 0; i < t.text.size(); ++i) {
                utf16[size_t(i)] = t.text.at(i).unicode();
                dx[size_t(i)] = uint32_t(std::max(0L, std::lround(t.dx[size_t(i)])));
            }
            char *emrtext = emrtext_set(pointl(t.start), U_NUM_STR(t.text.size()), 2, utf16.data(),
                                        U_ETO_NONE, U_RCL_DEF, dx.data());
            if (!emrtext)
                return;
            append(U_EMREXTTEXTOUTW_set(U_RCL_DEF, U_GM_COMPATIBLE, 1.0f, 1.0f,
                                        reinterpret_cast<PU_EMRTEXT>(emrtext)));
            std::free(emrtext);
        } else {
            const QByteArray bytes = CharsetEncode(t.text, 238);
            std::vector<int16_t> dx(size_t(bytes.size()), 0);
            for (qsizetype i = 0; i < bytes.size() && i < qsizetype(t.dx.size()); ++i)
                dx[size_t(i)] = clamp16(t.dx[size_t(i)]);
            wappend(U_WMREXTTEXTOUT_set(point16(t.start), int16_t(bytes.size()), 0, bytes.constData(),
                                        dx.data(), U_RECT16{0, 0, 0, 0}));
        }
    }

    bool finish()
    {
        if (!m_ok)
            return false;
        flushText();
        if (m_enhanced) {
            if (!append(U_EMREOF_set(0, nullptr, m_et)) || emf_finish(m_et, m_eht) != 0)
                return false;
        } else {
            if (!wappend(U_WMREOF_set()) || wmf_finish(m_wt) != 0)
                return false;
        }
        return true;
    }

    QString fileName() const { return m_fileName; }

private:
    bool writeHeader()
    {
        if (m_enhanced) {
            const double mmX = m_width * 25.4 / m_dpi;
            const double mmY = m_height * 25.4 / m_dpi;
            U_SIZEL device, millimetres;
            device_size(std::max(1, int(std::lround(mmX))), std::max(1, int(std::lround(mmY))),
                        float(m_dpi / 25.4), &device, &millimetres);
            const U_RECTL bounds = rectl_set(point32_set(0, 0), point32_set(m_width - 1, m_height - 1));
            const U_RECTL frame = rectl_set(point32_set(0, 0),
                                            point32_set(int32_t(std::lround(mmX * 100)),
                                                        int32_t(std::lround(mmY * 100))));
            uint16_t *description = U_Utf8ToUtf16le("Orvalis\1Report page\1", 0, nullptr);
            const U_CBSTR cbDesc = U_CBSTR(2 + wchar16len(description));
            const bool ok = append(U_EMRHEADER_set(bounds, frame, nullptr, cbDesc, description,
                                                   device, millimetres, 0));
            std::free(description);
            if (!ok)
                return false;
            append(U_EMRSETMAPMODE_set(U_MM_TEXT));
            append(U_EMRSETBKMODE_set(U_TRANSPARENT));
            append(U_EMRSETTEXTALIGN_set(U_TA_BASELINE | U_TA_LEFT));
            return true;
        }
        U_PAIRF *size = U_PAIRF_set(float(double(m_width) / m_dpi), float(double(m_height) / m_dpi));
        const bool ok = wmf_header_append(reinterpret_cast<U_METARECORD *>(U_WMRHEADER_set(size, unsigned(m_dpi))),
                                          m_wt, 1) == 0;
        std::free(size);
        if (!ok)
            return false;
        // The mapping mode first: readers reset the window when the mode changes.
        wappend(U_WMRSETMAPMODE_set(U_MM_ANISOTROPIC));
        wappend(U_WMRSETWINDOWORG_set(point16_set(0, 0)));
        wappend(U_WMRSETWINDOWEXT_set(point16_set(clamp16(m_width), clamp16(m_height))));
        wappend(U_WMRSETBKMODE_set(U_TRANSPARENT));
        wappend(U_WMRSETTEXTALIGN_set(U_TA_BASELINE | U_TA_LEFT));
        return true;
    }

    bool append(char *rec)
    {
        if (!rec || !m_et) {
            std::free(rec);
            m_ok = false;
            return false;
        }
        return emf_append(reinterpret_cast<U_ENHMETARECORD *>(rec), m_et, 1) == 0;
    }
    bool wappend(char *rec)
    {
        if (!rec || !m_wt) {
            std::free(rec);
            m_ok = false;
            return false;
        }
        return wmf_append(reinterpret_cast<U_METARECORD *>(rec), m_wt, 1) == 0;
    }

    static U_POINTL pointl(const QPointF &p)
    {
        return point32_set(int32_t(std::lround(p.x())), int32_t(std::lround(p.y())));
    }
    static U_POINT16 point16(const QPointF &p) { return point16_set(clamp16(p.x()), clamp16(p.y())); }
    static U_RECTL rectl(const QRectF &r)
    {
        return rectl_set(pointl(r.topLeft()), pointl(r.bottomRight()));
    }
    static U_RECT16 rect16(const QRectF &r)
    {
        return U_RECT16_set(point16(r.topLeft()), point16(r.bottomRight()));
    }

    static double pixelSize(const QFont &f)
    {
        if (f.pixelSize() > 0)
            return f.pixelSize();
        return f.pointSizeF() * 600.0 / 72.0;
    }

    double penWidth() const
    {
        if (m_pen.style() == Qt::NoPen)
            return 0;
        if (m_pen.isCosmetic() || m_pen.widthF() <= 0)
            return m_pen.widthF() <= 1 ? 0 : m_pen.widthF();
        return m_pen.widthF() * std::sqrt(std::abs(m_transform.determinant()));
    }

    // Objects are created when they are needed and replace the previous one of their kind.
    void selectPen()
    {
        const int width = int(std::lround(penWidth()));
        int style = U_PS_SOLID;
        switch (m_pen.style()) {
        case Qt::NoPen: style = U_PS_NULL; break;
        case Qt::DashLine: style = U_PS_DASH; break;
        case Qt::DotLine: style = U_PS_DOT; break;
        case Qt::DashDotLine: style = U_PS_DASHDOT; break;
        case Qt::DashDotDotLine: style = U_PS_DASHDOTDOT; break;
        default: break;
        }
        const QString key = QStringLiteral("%1/%2/%3").arg(style).arg(width).arg(m_pen.color().rgb());
        if (key == m_penKey)
            return;
        m_penKey = key;
        uint32_t handle = 0;
        if (m_enhanced) {
            append(createpen_set(&handle, m_eht,
                                 logpen_set(uint32_t(style), point32_set(width, 0), colorRef(m_pen.color()))));
            append(selectobject_set(handle, m_eht));
            if (m_pen_handle)
                append(deleteobject_set(&m_pen_handle, m_eht));
        } else {
            wappend(wcreatepenindirect_set(&handle, m_wht,
                                           U_PEN_set(uint16_t(style), uint16_t(width), colorRef(m_pen.color()))));
            wappend(wselectobject_set(handle, m_wht));
            if (m_pen_handle)
                wappend(wdeleteobject_set(&m_pen_handle, m_wht));
        }
        m_pen_handle = handle;
    }

    void selectBrush()
    {
        int style = U_BS_SOLID;
        int hatch = 0;
        switch (m_brush.style()) {
        case Qt::NoBrush: style = U_BS_NULL; break;
        case Qt::HorPattern: style = U_BS_HATCHED; hatch = U_HS_HORIZONTAL; break;
        case Qt::VerPattern: style = U_BS_HATCHED; hatch = U_HS_VERTICAL; break;
        case Qt::FDiagPattern: style = U_BS_HATCHED; hatch = U_HS_FDIAGONAL; break;
        case Qt::BDiagPattern: style = U_BS_HATCHED; hatch = U_HS_BDIAGONAL; break;
        case Qt::CrossPattern: style = U_BS_HATCHED; hatch = U_HS_CROSS; break;
        case Qt::DiagCrossPattern: style = U_BS_HATCHED; hatch = U_HS_DIAGCROSS; break;
        default: break;
        }
        const QString key = QStringLiteral("%1/%2/%3").arg(style).arg(hatch).arg(m_brush.color().rgb());
        if (key == m_brushKey)
            return;
        m_brushKey = key;
        uint32_t handle = 0;
        if (m_enhanced) {
            append(createbrushindirect_set(&handle, m_eht,
                                           logbrush_set(uint32_t(style), colorRef(m_brush.color()), hatch)));
            append(selectobject_set(handle, m_eht));
            if (m_brush_handle)
                append(deleteobject_set(&m_brush_handle, m_eht));
        } else {
            wappend(wcreatebrushindirect_set(&handle, m_wht,
                                             U_WLOGBRUSH_set(uint16_t(style), colorRef(m_brush.color()),
                                                             uint16_t(hatch))));
            wappend(wselectobject_set(handle, m_wht));
            if (m_brush_handle)
                wappend(wdeleteobject_set(&m_brush_handle, m_wht));
        }
        m_brush_handle = handle;
    }

    void selectFont(const QFont &font, int height, int escapement)
    {
        QString family = font.families().isEmpty() ? font.family() : font.families().first();
        const QString key = QStringLiteral("%1/%2/%3/%4%5%6%7").arg(family).arg(height).arg(escapement)
                                .arg(font.bold()).arg(font.italic()).arg(font.underline()).arg(font.strikeOut());
        if (key == m_fontKey)
            return;
        m_fontKey = key;
        uint32_t handle = 0;
        const int weight = font.bold() ? U_FW_BOLD : U_FW_NORMAL;
        if (m_enhanced) {
            std::vector<uint16_t> face(32, 0);
            for (qsizetype i = 0; i < family.size() && i < 31; ++i)
                face[size_t(i)] = family.at(i).unicode();
            const U_LOGFONT lf = logfont_set(-height, 0, escapement, escapement, weight,
                                             font.italic(), font.underline(), font.strikeOut(),
                                             U_EASTEUROPE_CHARSET, U_OUT_DEFAULT_PRECIS,
                                             U_CLIP_DEFAULT_PRECIS, U_DEFAULT_QUALITY,
                                             U_DEFAULT_PITCH | U_FF_DONTCARE, face.data());
            append(extcreatefontindirectw_set(&handle, m_eht, reinterpret_cast<const char *>(&lf), nullptr));
            append(selectobject_set(handle, m_eht));
            if (m_font_handle)
                append(deleteobject_set(&m_font_handle, m_eht));
        } else {
            QByteArray name = CharsetEncode(family, 238);
            name.truncate(31);
            U_FONT *uf = U_FONT_set(int16_t(-std::min(height, 32767)), 0, int16_t(escapement),
                                    int16_t(escapement), int16_t(weight), font.italic(),
                                    font.underline(), font.strikeOut(), U_EASTEUROPE_CHARSET,
                                    U_OUT_DEFAULT_PRECIS, U_CLIP_DEFAULT_PRECIS, U_DEFAULT_QUALITY,
                                    U_DEFAULT_PITCH | U_FF_DONTCARE, name.data());
            if (!uf)
                return;
            wappend(wcreatefontindirect_set(&handle, m_wht, uf));
            std::free(uf);
            wappend(wselectobject_set(handle, m_wht));
            if (m_font_handle)
                wappend(wdeleteobject_set(&m_font_handle, m_wht));
        }
        m_font_handle = handle;
    }

    void selectTextColor(const QColor &c)
    {
        if (c.rgb() == m_textColor)
            return;
        m_textColor = c.rgb();
        if (m_enhanced)
            append(U_EMRSETTEXTCOLOR_set(colorRef(c)));
        else
            wappend(U_WMRSETTEXTCOLOR_set(colorRef(c)));
    }

    void emitPolygon(const QPolygonF &poly, bool closed)
    {
        flushText();
        if (poly.size() < 2)
            return;
        selectPen();
        if (closed)
            selectBrush();
        std::vector<U_POINT16> pts;
        pts.reserve(size_t(poly.size()));
        for (const QPointF &p : poly)
            pts.push_back(point16(p));
        const size_t n = std::min<size_t>(pts.size(), 16000);
        if (m_enhanced) {
            std::vector<U_POINT> big(n);
            for (size_t i = 0; i < n; ++i)
                big[i] = point32_set(pts[i].x, pts[i].y);
            const U_RECT b = findbounds(uint32_t(n), big.data(), 0);
            const U_RECTL bounds = rectl_set(point32_set(b.left, b.top), point32_set(b.right, b.bottom));
            if (closed)
                append(U_EMRPOLYGON16_set(bounds, uint32_t(n), pts.data()));
            else
                append(U_EMRPOLYLINE16_set(bounds, uint32_t(n), pts.data()));
        } else {
            if (closed)
                wappend(U_WMRPOLYGON_set(uint16_t(n), pts.data()));
            else
                wappend(U_WMRPOLYLINE_set(uint16_t(n), pts.data()));
        }
    }

    bool m_enhanced;
    int m_width, m_height, m_dpi;
    bool m_ok = false;
    QTemporaryFile m_file;
    QString m_fileName;
    EMFTRACK *m_et = nullptr;
    EMFHANDLES *m_eht = nullptr;
    WMFTRACK *m_wt = nullptr;
    WMFHANDLES *m_wht = nullptr;

    struct PendingText {
        bool active = false;
        QFont font;
        int height = 0;
        int escapement = 0;
        QRgb color = 0;
        QPointF start;
        double lastX = 0;
        QString text;
        std::vector<double> dx;
    } m_text;

    QPen m_pen;
    QBrush m_brush;
    QFont m_font;
    QTransform m_transform;
    QString m_penKey, m_brushKey, m_fontKey;
    QRgb m_textColor = 0xFFFFFFFF;
    uint32_t m_pen_handle = 0, m_brush_handle = 0, m_font_handle = 0;
};

TMetafileDevice::TMetafileDevice(bool enhanced, int width, int height, int dpi)
    : m_engine(std::make_unique<TMetafileEngine>(enhanced, std::max(1, width), std::max(1, height),
                                                 dpi > 0 ? dpi : 600)),
      m_width(std::max(1, width)), m_height(std::max(1, height)), m_dpi(dpi > 0 ? dpi : 600)
{
}

TMetafileDevice::~TMetafileDevice() = default;

QPaintEngine *TMetafileDevice::paintEngine() const
{
    return m_engine.get();
}

bool TMetafileDevice::ok() const
{
    return m_engine->ok();
}

bool TMetafileDevice::write(QIODevice &stream)
{
    if (!m_engine->finish())
        return false;
    QFile file(m_engine->fileName());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = file.readAll();
    file.close();
    file.remove();
    return !data.isEmpty() && stream.write(data) == data.size();
}

int vectorDeviceMetric(QPaintDevice::PaintDeviceMetric metric, int width, int height, int dpi)
{
    switch (metric) {
    case QPaintDevice::PdmWidth: return width;
    case QPaintDevice::PdmHeight: return height;
    case QPaintDevice::PdmWidthMM: return int(std::lround(width * 25.4 / dpi));
    case QPaintDevice::PdmHeightMM: return int(std::lround(height * 25.4 / dpi));
    case QPaintDevice::PdmNumColors: return 0x7fffffff;
    case QPaintDevice::PdmDepth: return 32;
    case QPaintDevice::PdmDpiX:
    case QPaintDevice::PdmDpiY:
    case QPaintDevice::PdmPhysicalDpiX:
    case QPaintDevice::PdmPhysicalDpiY: return dpi;
    case QPaintDevice::PdmDevicePixelRatio: return 1;
    case QPaintDevice::PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
    default: return 0;
    }
}

int TMetafileDevice::metric(PaintDeviceMetric metric) const
{
    return vectorDeviceMetric(metric, m_width, m_height, m_dpi);
}

} // namespace orv
