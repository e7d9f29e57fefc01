#pragma once
// Pictures of reports (picture elements, picture fields, backgrounds): JPEG is decoded by
// libjpeg itself, bitmaps, PNG and the other raster formats through Qt. A picture that
// cannot be read, a truncated one included, gives false and a null image.

#include <QByteArray>
#include <QImage>
#include <QString>

namespace orv {

bool LoadPictureFile(const QString &path, QImage &picture);
bool DecodePicture(const QByteArray &data, QImage &picture);
bool DecodeJpeg(const QByteArray &data, QImage &picture);
bool IsJpeg(const QByteArray &data);
// The JPEG file a picture was decoded from, for as long as the picture is unchanged (a
// writer can then pass the file on as it is); empty for any other picture. components
// receives 1 for gray, 3 for colour.
QByteArray JpegSource(const QImage &picture, int *components = nullptr);

} // namespace orv
