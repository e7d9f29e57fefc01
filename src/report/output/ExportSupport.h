#pragma once
// What the file writers (PDF, RTF, HTML) share when they read the output store: which
// items carry text, the picture an item shows, and colours as bytes.

#include "report/model/ReportElement.h"
#include "report/output/OutputStore.h"

#include <QByteArray>
#include <QImage>

namespace orv {

// Text items: kinds 1, 3..6, and a data field that shows no picture.
inline bool isTextItem(const TVystPrvek &item)
{
    const int k = item.kind();
    return (k >= ekText && k <= ekFunction && k != ekField) || (k == ekField && !item.HasPicture);
}

// Pictures: picture elements, paint boxes and data fields that show a picture.
inline bool isPictureItem(const TVystPrvek &item)
{
    const int k = item.kind();
    return k == ekPicture || k == ekPaintBox || (k == ekField && item.HasPicture);
}

// The picture the item shows: its own copy, else its element's current picture, else none.
inline QImage itemPicture(const TVystPrvek &item)
{
    if (item.Picture)
        return *item.Picture;
    if (!item.PictureFile.isEmpty() && item.Element)
        return item.Element->Picture;
    return {};
}

inline int redOf(quint32 c) { return int(c & 0xFF); }
inline int greenOf(quint32 c) { return int((c >> 8) & 0xFF); }
inline int blueOf(quint32 c) { return int((c >> 16) & 0xFF); }

// The byte of the character in code page 1250 (ASCII as it is); 0 when it has none.
int cp1250Byte(QChar c);

// "#RRGGBB" with upper-case digits.
QByteArray htmlColor(quint32 color);

} // namespace orv
