#pragma once
// The one place that knows the single-byte code pages. Inside the program every text is
// a QString; bytes in a code page exist only in files and exports.

#include <QByteArray>
#include <QString>

namespace orv {

enum class CodePage { Cp1250 = 0, Cp852 = 1, Kamenicky = 2, Ascii = 3 };

// Bytes in the code page to text. Undefined bytes become '?'.
QString decode(const QByteArray &bytes, CodePage cp = CodePage::Cp1250);

// Text to bytes in the code page. A character the code page lacks is written without its
// accent when that gives an ASCII letter, otherwise as the replacement character.
QByteArray encode(const QString &text, CodePage cp = CodePage::Cp1250, char replacement = '?');

// Text to the bytes of a character printer or a text file in the code page. The text is
// taken as text of code page 1250: each of its characters that the target code page has
// becomes that byte, any other "?". For Ascii a letter loses its diacritic mark instead
// (Č becomes C); a character with no such letter becomes "?".
QByteArray encodeCharacterOutput(const QString &text, CodePage cp);

// True when the character has a byte of its own in the code page.
bool encodable(QChar c, CodePage cp);

// Removes accents (č -> c, Ř -> R) and maps typographic punctuation to ASCII.
QString foldToAscii(const QString &text);

} // namespace orv
