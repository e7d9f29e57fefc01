#include "report/output/PictureFile.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace orv {

namespace {

// Pictures larger than this would only exhaust memory; no report page needs them.
constexpr qint64 kMaxPixels = qint64(1) << 28;

struct JpegError {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    bool truncated;
};

extern "C" void jpegErrorExit(j_common_ptr cinfo)
{
    auto *err = reinterpret_cast<JpegError *>(cinfo->err);
    std::longjmp(err->jump, 1);
}

extern "C" void jpegMessage(j_common_ptr cinfo, int level)
{
    auto *err = reinterpret_cast<JpegError *>(cinfo->err);
    // libjpeg fills a picture whose data ends early with grey and calls it a warning; for
    // a report that is a broken picture.
    if (level < 0 && err->pub.msg_code == JWRN_JPEG_EOF)
        err->truncated = true;
}

// Every write to the result goes through the pointer, so nothing that the error jump
// could leave half-done lives in this function's registers.
bool decodeJpeg(const uchar *data, size_t size, QImage *out)
{
    jpeg_decompress_struct cinfo;
    JpegError err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = jpegErrorExit;
    err.pub.emit_message = jpegMessage;
    err.truncated = false;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        *out = QImage();
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&cinfo);
    const int w = int(cinfo.output_width);
    const int h = int(cinfo.output_height);
    const int comps = cinfo.output_components;
    if (w <= 0 || h <= 0 || qint64(w) * h > kMaxPixels || (comps != 3 && comps != 4)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    *out = QImage(w, h, QImage::Format_RGB32);
    if (out->isNull()) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    // The row buffer belongs to libjpeg, which frees it also when the error jump is taken.
    JSAMPARRAY buffer = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                   JPOOL_IMAGE, JDIMENSION(w * comps), 1);
    const bool inverted = cmyk && cinfo.saw_Adobe_marker;
    while (cinfo.output_scanline < cinfo.output_height && !err.truncated) {
        const int y = int(cinfo.output_scanline);
        if (jpeg_read_scanlines(&cinfo, buffer, 1) != 1)
            break;
        auto *line = reinterpret_cast<QRgb *>(out->scanLine(y));
        const JSAMPLE *s = buffer[0];
        for (int x = 0; x < w; ++x, s += comps) {
            if (comps == 3) {
                line[x] = qRgb(s[0], s[1], s[2]);
            } else {
                int c = s[0], m = s[1], yy = s[2], k = s[3];
                if (!inverted) {
                    c = 255 - c; m = 255 - m; yy = 255 - yy; k = 255 - k;
                }
                line[x] = qRgb(c * k / 255, m * k / 255, yy * k / 255);
            }
        }
    }
    const bool complete = cinfo.output_scanline == cinfo.output_height && !err.truncated;
    if (complete)
        jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    if (!complete)
        *out = QImage();
    return complete;
}

} // namespace

bool IsJpeg(const QByteArray &data)
{
    return data.size() >= 3 && uchar(data[0]) == 0xFF && uchar(data[1]) == 0xD8
           && uchar(data[2]) == 0xFF;
}

namespace {

// Components of a baseline, extended or progressive JPEG (1 or 3 for gray or colour), from
// its frame header; 0 for any other.
int jpegComponents(const QByteArray &data)
{
    const auto *d = reinterpret_cast<const uchar *>(data.constData());
    qsizetype i = 2;
    while (i + 9 < data.size()) {
        if (d[i] != 0xFF)
            return 0;
        const uchar marker = d[i + 1];
        if (marker == 0xFF) {
            ++i;
            continue;
        }
        if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2)
            return d[i + 9] == 1 || d[i + 9] == 3 ? d[i + 9] : 0;
        if (marker == 0xD9 || marker == 0xDA)
            return 0;
        i += 2 + ((d[i + 2] << 8) | d[i + 3]);
    }
    return 0;
}

// The last JPEG files decoded, by the key of the picture made from each.
struct JpegSourceEntry {
    qint64 key;
    QByteArray data;
    int components;
};
std::vector<JpegSourceEntry> &jpegSources()
{
    static std::vector<JpegSourceEntry> list;
    return list;
}

} // namespace

QByteArray JpegSource(const QImage &picture, int *components)
{
    for (const JpegSourceEntry &e : jpegSources())
        if (e.key == picture.cacheKey()) {
            if (components)
                *components = e.components;
            return e.data;
        }
    return {};
}

bool DecodeJpeg(const QByteArray &data, QImage &picture)
{
    picture = QImage();
    if (!IsJpeg(data))
        return false;
    QImage result;
    if (!decodeJpeg(reinterpret_cast<const uchar *>(data.constData()), size_t(data.size()), &result))
        return false;
    picture = result;
    if (const int comps = jpegComponents(data)) {
        auto &list = jpegSources();
        if (list.size() >= 16)
            list.erase(list.begin());
        list.push_back({picture.cacheKey(), data, comps});
    }
    return true;
}

bool DecodePicture(const QByteArray &data, QImage &picture)
{
    picture = QImage();
    if (data.isEmpty())
        return false;
    if (IsJpeg(data))
        return DecodeJpeg(data, picture);
    QImage image;
    if (!image.loadFromData(data) || image.isNull())
        return false;
    if (qint64(image.width()) * image.height() > kMaxPixels)
        return false;
    picture = image;
    return true;
}

bool LoadPictureFile(const QString &path, QImage &picture)
{
    picture = QImage();
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return false;
    // A picture larger than this is not a report picture.
    if (file.size() > (qint64(1) << 30))
        return false;
    return DecodePicture(file.readAll(), picture);
}

} // namespace orv
