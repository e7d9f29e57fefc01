#pragma once
// Bytes in the code page of a Windows character set (the "charset" of a font in rich
// text and in the exporters). 238 Central European and 1 default are Windows-1250, the
// code page of the system's texts; 0 ANSI is Windows-1252; 255 OEM is the Czech DOS
// code page 852; 2 Symbol keeps the byte values.

#include <QByteArray>
#include <QChar>
#include <QString>

namespace orv {

// Name of the code page that a character set stands for ("windows-1250", ...).
const char *CharsetCodePageName(int charset);

QChar CharsetByteToChar(uchar byte, int charset);
QString CharsetDecode(const QByteArray &bytes, int charset);
// Characters the code page lacks become '?'.
QByteArray CharsetEncode(const QString &text, int charset);

} // namespace orv
