// The PDF writer. Object layout: 1 Info, 2 resources, 3.. fonts, then the catalog, the page
// tree, a page object and its content stream for every page, then the pictures, the hatch
// patterns and last each embedded font's descriptor and file.
//
// Text is placed character by character where the page image puts it: each run starts at
// its own position on its line's baseline, and a TJ adjustment is written wherever the
// font's advance and the layout's position part by more than a hair. The fonts carry their
// widths, so every reader positions the characters alike. The content stream of a page is
// written in PdfPageContent.cpp.
#include "report/output/PdfExport.h"
#include "report/output/PdfWriter.h"

#include "core/CodePage.h"
#include "report/model/CaughtException.h"
#include "report/model/PageSetup.h"
#include "report/model/SestError.h"
#include "report/output/Barcode.h"
#include "report/output/ExportSupport.h"
#include "report/output/OutputStore.h"
#include "report/output/PdfFontFile.h"
#include "report/output/PictureFile.h"
#include "report/output/TolvaCanvas.h"

#include <QDateTime>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QIODevice>
#include <QPainter>
#include <QRawFont>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace orv {

namespace pdfwriter {

// Glyph names of code page 1250, bytes 32..255 (".notdef" where the code page has none).
const char *const kGlyphs[224] = {
    "space", "exclam", "quotedbl", "numbersign", "dollar", "percent", "ampersand", "quotesingle",
    "parenleft", "parenright", "asterisk", "plus", "comma", "hyphen", "period", "slash",
    "zero", "one", "two", "three", "four", "five", "six", "seven",
    "eight", "nine", "colon", "semicolon", "less", "equal", "greater", "question",
    "at", "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N", "O",
    "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z",
    "bracketleft", "backslash", "bracketright", "asciicircum", "underscore",
    "grave", "a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n", "o",
    "p", "q", "r", "s", "t", "u", "v", "w", "x", "y", "z",
    "braceleft", "bar", "braceright", "asciitilde", ".notdef",
    // 0x80
    "Euro", ".notdef", "quotesinglbase", ".notdef", "quotedblbase", "ellipsis", "dagger", "daggerdbl",
    ".notdef", "perthousand", "Scaron", "guilsinglleft", "Sacute", "Tcaron", "Zcaron", "Zacute",
    ".notdef", "quoteleft", "quoteright", "quotedblleft", "quotedblright", "bullet", "endash", "emdash",
    ".notdef", "trademark", "scaron", "guilsinglright", "sacute", "tcaron", "zcaron", "zacute",
    // 0xA0
    "space", "caron", "breve", "Lslash", "currency", "Aogonek", "brokenbar", "section",
    "dieresis", "copyright", "Scedilla", "guillemotleft", "logicalnot", "hyphen", "registered", "Zdotaccent",
    "degree", "plusminus", "ogonek", "lslash", "acute", "mu", "paragraph", "periodcentered",
    "cedilla", "aogonek", "scedilla", "guillemotright", "Lcaron", "hungarumlaut", "lcaron", "zdotaccent",
    // 0xC0
    "Racute", "Aacute", "Acircumflex", "Abreve", "Adieresis", "Lacute", "Cacute", "Ccedilla",
    "Ccaron", "Eacute", "Eogonek", "Edieresis", "Ecaron", "Iacute", "Icircumflex", "Dcaron",
    "Dcroat", "Nacute", "Ncaron", "Oacute", "Ocircumflex", "Ohungarumlaut", "Odieresis", "multiply",
    "Rcaron", "Uring", "Uacute", "Uhungarumlaut", "Udieresis", "Yacute", "Tcommaaccent", "germandbls",
    // 0xE0
    "racute", "aacute", "acircumflex", "abreve", "adieresis", "lacute", "cacute", "ccedilla",
    "ccaron", "eacute", "eogonek", "edieresis", "ecaron", "iacute", "icircumflex", "dcaron",
    "dcroat", "nacute", "ncaron", "oacute", "ocircumflex", "ohungarumlaut", "odieresis", "divide",
    "rcaron", "uring", "uacute", "uhungarumlaut", "udieresis", "yacute", "tcommaaccent", "dotaccent",
};

// The screen face whose advances the standard font shares.
static QString metricFace(const QByteArray &base)
{
    if (base.startsWith("Courier"))
        return QStringLiteral("Liberation Mono");
    if (base.startsWith("Times"))
        return QStringLiteral("Liberation Serif");
    if (base.startsWith("Symbol"))
        return QStringLiteral("Symbol");
    return QStringLiteral("Liberation Sans");
}

bool isSymbol(const QByteArray &base)
{
    return base == "Symbol";
}


// The face that draws the standard font, at 1000 pixels to the em.
static QFont metricFont(const QByteArray &base)
{
    QFont f;
    f.setFamilies({metricFace(base)});
    f.setPixelSize(1000);
    f.setBold(base.contains("Bold"));
    f.setItalic(base.contains("Oblique") || base.contains("Italic"));
    f.setKerning(false);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

// The character a byte of the font stands for: code page 1250, or Latin-1 for the symbol
// font (whose bytes are the characters' own codes).
static char32_t characterOfByte(unsigned char b, bool symbol)
{
    if (symbol)
        return b;
    const QString s = decode(QByteArray(1, char(b)), CodePage::Cp1250);
    return s.isEmpty() ? U'?' : char32_t(s.at(0).unicode());
}

const FontWidths &widthsOf(const QByteArray &base)
{
    static std::map<QByteArray, std::unique_ptr<FontWidths>> cache;
    auto it = cache.find(base);
    if (it != cache.end())
        return *it->second;
    auto fw = std::make_unique<FontWidths>();
    const QFontMetricsF fm(metricFont(base));
    const bool symbol = isSymbol(base);
    for (int b = 32; b < 256; ++b) {
        QChar c;
        if (symbol) {
            c = QChar(b);
        } else {
            if (std::strcmp(kGlyphs[b - 32], ".notdef") == 0)
                continue;
            const QString s = decode(QByteArray(1, char(b)), CodePage::Cp1250);
            c = s.isEmpty() ? QChar(u'?') : s.at(0);
        }
        fw->w[size_t(b)] = std::round(fm.horizontalAdvance(c));
    }
    auto &ref = *fw;
    cache.emplace(base, std::move(fw));
    return ref;
}

// The run's text as bytes of the font, one byte per character (0 for a character that has
// none, such as the second half of a pair).
QByteArray fontBytes(const QString &text, bool symbol)
{
    QByteArray out;
    out.reserve(text.size());
    if (symbol) {
        for (QChar c : text)
            out.append(c.unicode() < 256 ? char(c.unicode()) : '?');
        return out;
    }
    const QByteArray whole = encode(text, CodePage::Cp1250);
    if (whole.size() == text.size())
        return whole;
    for (qsizetype k = 0; k < text.size(); ++k) {
        const QChar c = text.at(k);
        if (c.isLowSurrogate()) {
            out.append('\0');
            continue;
        }
        const QByteArray b = encode(QString(c), CodePage::Cp1250);
        out.append(b.isEmpty() ? '?' : b.at(0));
    }
    return out;
}

void appendStringByte(QByteArray &out, unsigned char b)
{
    if (b < 32)
        return;
    if (b == '\\' || b == '(' || b == ')') {
        out.append('\\');
        out.append(char(b));
    } else if (b < 127) {
        out.append(char(b));
    } else {
        out.append('\\');
        out.append(char('0' + (b >> 6)));
        out.append(char('0' + ((b >> 3) & 7)));
        out.append(char('0' + (b & 7)));
    }
}

int scaledPenWidth(int w)
{
    return RoundEven((w - 1) * double(kScale)) + 1;
}

TCornerRect inset(const TCornerRect &r, int w)
{
    const int a = int(std::floor(w / 2.0));
    const int b = int(std::floor((w + 1) / 2.0));
    return {r.Left + a, r.Top + a, r.Right - b, r.Bottom - b};
}

// A text as a PDF text string: printable ASCII as a literal string, anything else as
// UTF-16 with its byte-order mark.
static QByteArray pdfTextString(const QString &text)
{
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() >= 32 && c.unicode() < 127;
    if (ascii) {
        QByteArray out = "(";
        for (QChar c : text) {
            if (c == u'\\' || c == u'(' || c == u')')
                out += '\\';
            out += char(c.unicode());
        }
        return out + ')';
    }
    QByteArray out = "<FEFF";
    for (QChar c : text)
        out += QByteArray::number(c.unicode(), 16).toUpper().rightJustified(4, '0');
    return out + '>';
}


QImage PdfWriter::preparedPicture(const TVystPrvek &item) const
{
    QImage picture = itemPicture(item);
    if (!picture.isNull() && m_store.OnPreparePicture)
        m_store.OnPreparePicture(picture, item.Width * kScale, item.Height * kScale);
    return picture;
}

int PdfWriter::imageFor(const QImage &picture)
{
    if (picture.isNull())
        return -1;
    const auto it = m_imageIndex.constFind(picture.cacheKey());
    if (it != m_imageIndex.constEnd())
        return *it;
    PdfImage img;
    img.width = picture.width();
    img.height = picture.height();
    int components = 0;
    const QByteArray jpeg = JpegSource(picture, &components);
    if (!jpeg.isEmpty()) {
        img.jpeg = jpeg;
        img.gray = components == 1;
    } else {
        // Transparent parts show the white paper, as on the printed page.
        QImage rgb(picture.size(), QImage::Format_RGB888);
        rgb.fill(Qt::white);
        {
            QPainter p(&rgb);
            p.drawImage(0, 0, picture);
        }
        img.image = rgb;
    }
    const int index = int(m_images.size());
    m_images.push_back(std::move(img));
    m_imageIndex.insert(picture.cacheKey(), index);
    return index;
}

void PdfWriter::collect()
{
    std::vector<QByteArray> names;
    auto add = [&](const QByteArray &b) {
        if (std::find(names.begin(), names.end(), b) == names.end())
            names.push_back(b);
    };
    TStranaPrvku scratch;
    for (int p = 0; p < m_store.PageCount(); ++p) {
        const TStranaPrvku *page = m_store.ReadPage(p, scratch);
        for (int i = 0; i < page->count(); ++i) {
            const TVystPrvek &it = *page->item(i);
            if (!it.Element)
                continue;
            if (isTextItem(it)) {
                if (it.Element->Angle != 0) {
                    TTextFont f = textFontOf(it.Element->Font);
                    ReplaceRomanFont(f);
                    add(PdfBaseFont(f.Name, f.Bold, f.Italic));
                    useBytes(PdfBaseFont(f.Name, f.Bold, f.Italic), it.FirstLineText());
                } else if (it.Lines) {
                    for (const TRadek &l : it.Lines->Lines)
                        for (const TFragment &run : l.Runs) {
                            const QByteArray &base = runFont(run).base;
                            add(base);
                            useBytes(base, run.Length < run.Chars.size() ? run.Chars.left(run.Length) : run.Chars);
                        }
                }
            } else if (isPictureItem(it)) {
                const int n = imageFor(preparedPicture(it));
                if (n >= 0)
                    m_itemImage[{p, i}] = n;
            } else if (it.kind() >= ekRectangle && it.kind() <= ekEllipse
                       && it.Element->BrushStyle >= bsHorizontal && it.Element->BrushStyle <= bsDiagCross) {
                patternFor(it.Element->BrushStyle, quint32(it.Element->BrushColor));
            } else if (it.kind() == ekBarcode) {
                TBarcodeShape shape = barcodeShape(it);
                for (const TBarcodeShape::Text &t : shape.texts) {
                    add(PdfBaseFont(t.family, false, false));
                    useBytes(PdfBaseFont(t.family, false, false), t.text);
                }
                if (!shape.bars.empty())
                    m_barcodes.emplace(ItemKey{p, i}, std::move(shape));
            }
        }
    }
    if (m_store.PrintBackground && m_store.Background)
        m_backgroundImage = imageFor(*m_store.Background);
    std::sort(names.begin(), names.end(), [](const QByteArray &a, const QByteArray &b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    m_fonts = names;
    for (size_t i = 0; i < m_fonts.size(); ++i)
        m_fontIndex[m_fonts[i]] = int(i);
}

int PdfWriter::patternFor(int style, quint32 color)
{
    const std::pair<int, quint32> key{style, color & 0xFFFFFF};
    const auto it = std::find(m_patterns.begin(), m_patterns.end(), key);
    if (it != m_patterns.end())
        return int(it - m_patterns.begin());
    m_patterns.push_back(key);
    return int(m_patterns.size()) - 1;
}

// One 6-point cell of the hatch: thin lines in the brush's colour on nothing.
QByteArray PdfWriter::patternStream(int style, quint32 color) const
{
    QByteArray c = PdfNumber(redOf(color) / 255.0, 3) + ' ' + PdfNumber(greenOf(color) / 255.0, 3) + ' '
        + PdfNumber(blueOf(color) / 255.0, 3) + " RG 0.6 w 0 J\n";
    const bool horizontal = style == bsHorizontal || style == bsCross;
    const bool vertical = style == bsVertical || style == bsCross;
    const bool forward = style == bsFDiagonal || style == bsDiagCross;    // top left to bottom right
    const bool backward = style == bsBDiagonal || style == bsDiagCross;   // bottom left to top right
    if (horizontal)
        c += "0 3 m 6 3 l S\n";
    if (vertical)
        c += "3 0 m 3 6 l S\n";
    if (forward)
        c += "-1 7 m 7 -1 l S\n";
    if (backward)
        c += "-1 -1 m 7 7 l S\n";
    return c;
}

void PdfWriter::imageObject(int n, const PdfImage &img)
{
    QByteArray data;
    QByteArray head = "<< /Type /XObject /Subtype /Image /Width " + QByteArray::number(img.width)
                      + " /Height " + QByteArray::number(img.height) + " /BitsPerComponent 8";
    if (!img.jpeg.isEmpty()) {
        data = img.jpeg;
        head += img.gray ? " /ColorSpace /DeviceGray" : " /ColorSpace /DeviceRGB";
        head += " /Filter /DCTDecode";
    } else {
        QByteArray raw;
        raw.reserve(qsizetype(img.width) * img.height * 3);
        for (int y = 0; y < img.height; ++y)
            raw.append(reinterpret_cast<const char *>(img.image.constScanLine(y)), img.width * 3);
        data = qCompress(raw, 6).mid(4);   // a zlib stream without Qt's length prefix
        head += " /ColorSpace /DeviceRGB /Filter /FlateDecode";
    }
    head += " /Length " + QByteArray::number(data.size()) + " >>";
    beginObject(n);
    line(head);
    line("stream");
    out(data);
    line("");
    line("endstream");
    line("endobj");
}

std::vector<char32_t> PdfWriter::usedCharacters(int n) const
{
    std::vector<char32_t> chars;
    const QByteArray &base = m_fonts[size_t(n)];
    const auto it = m_used.find(base);
    if (it != m_used.end())
        for (int b = 0; b < 256; ++b)
            if (it->second[size_t(b)])
                chars.push_back(characterOfByte(static_cast<unsigned char>(b), isSymbol(base)));
    return chars;
}

// Every font the pages draw is embedded, cut down to the characters drawn, as printing
// embeds them: the file then looks the same on every machine. A face without TrueType
// outlines stays a standard font that the reader supplies.
void PdfWriter::makeSubsets()
{
    m_subsets.assign(m_fonts.size(), TFontSubset());
    for (size_t n = 0; n < m_fonts.size(); ++n)
        m_subsets[n] = SubsetTrueTypeFont(QRawFont::fromFont(metricFont(m_fonts[n])), usedCharacters(int(n)));
}

QList<QByteArray> PdfWriter::fontDictionary(int n, int descriptor) const
{
    const QByteArray &base = m_fonts[size_t(n)];
    const TFontSubset &sub = m_subsets[size_t(n)];
    QList<QByteArray> f{"/Type /Font"};
    if (descriptor >= 0)
        f << "/Subtype /TrueType" << "/Name /F" + QByteArray::number(n)
          << "/BaseFont /" + SubsetTag(base, usedCharacters(n)) + sub.postScriptName;
    else
        f << "/Subtype /Type1" << "/Name /F" + QByteArray::number(n) << "/BaseFont /" + base;
    const FontWidths &fw = widthsOf(base);
    if (isSymbol(base) && descriptor < 0) {
        f << "/FirstChar 32" << "/LastChar 255";
    } else {
        // Every code by the name of its glyph: code page 1250, or the symbol font's own codes.
        QByteArray diff = "/Encoding << /Type /Encoding /Differences [32";
        for (int b = 32; b < 256; ++b) {
            diff += (b % 16 == 0) ? "\r\n/" : " /";
            if (isSymbol(base))
                diff += "uni" + QByteArray::number(b, 16).toUpper().rightJustified(4, '0');
            else
                diff += kGlyphs[b - 32];
        }
        f << diff + "] >>" << "/FirstChar 32" << "/LastChar 255";
    }
    QByteArray widths = "/Widths [";
    for (int b = 32; b < 256; ++b) {
        widths += QByteArray::number(qint64(fw.w[size_t(b)]));
        widths += (b % 16 == 15) ? (b == 255 ? "" : "\r\n") : " ";
    }
    f << widths + ']';
    if (descriptor >= 0)
        f << "/FontDescriptor " + QByteArray::number(descriptor) + " 0 R";
    return f;
}

int PdfWriter::write()
{
    m_ps = m_store.pageSetup();
    m_sheetW = m_ps.sheetWidth() * 0.72;
    m_sheetH = m_ps.sheetHeight() * 0.72;
    collect();
    const int nf = int(m_fonts.size());
    const int np = m_store.PageCount();
    const int catalog = 3 + nf;
    const int firstImage = catalog + 2 + 2 * np;

    line("%PDF-1.3");
    dictObject(1, {"/Producer (TOLVA ReportGenerator version 5.50.0)",
                   "/CreationDate (D:" + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddhhmmss")).toLatin1() + ')',
                   "/Title " + pdfTextString(m_title)});
    QList<QByteArray> res{"/Font <<"};
    for (int n = 0; n < nf; ++n)
        res << "/F" + QByteArray::number(n) + ' ' + QByteArray::number(3 + n) + " 0 R";
    res << ">>";
    if (!m_images.empty()) {
        res << "/XObject <<";
        for (size_t i = 0; i < m_images.size(); ++i)
            res << "/Im" + QByteArray::number(qint64(i)) + ' '
                       + QByteArray::number(firstImage + qint64(i)) + " 0 R";
        res << ">>";
    }
    const int firstPattern = firstImage + int(m_images.size());
    if (!m_patterns.empty()) {
        res << "/Pattern <<";
        for (size_t i = 0; i < m_patterns.size(); ++i)
            res << "/P" + QByteArray::number(qint64(i)) + ' '
                       + QByteArray::number(firstPattern + qint64(i)) + " 0 R";
        res << ">>";
    }
    res << "/ProcSet [/PDF /Text /ImageC]";
    dictObject(2, res);

    // The fonts' descriptors and files follow the patterns, two objects per embedded font.
    makeSubsets();
    std::vector<int> descriptors(size_t(nf), -1);
    int nextObject = firstPattern + int(m_patterns.size());
    for (int n = 0; n < nf; ++n)
        if (!m_subsets[size_t(n)].file.isEmpty()) {
            descriptors[size_t(n)] = nextObject;
            nextObject += 2;
        }
    for (int n = 0; n < nf; ++n)
        dictObject(3 + n, fontDictionary(n, descriptors[size_t(n)]));
    dictObject(catalog, {"/Type /Catalog", "/Pages " + QByteArray::number(catalog + 1) + " 0 R"});
    QByteArray kids;
    for (int p = 0; p < np; ++p)
        kids += QByteArray::number(catalog + 2 + 2 * p) + " 0 R ";
    dictObject(catalog + 1, {"/Type /Pages", "/Count " + QByteArray::number(np),
                             "/MediaBox [0 0 " + PdfNumber(m_sheetW, 1) + ' ' + PdfNumber(m_sheetH, 1) + ']',
                             "/Kids [" + kids + ']', "/Resources 2 0 R"});
    QByteArray content;
    TStranaPrvku scratch;
    for (int p = 0; p < np && !m_failed; ++p) {
        const int obj = catalog + 2 + 2 * p;
        dictObject(obj, {"/Type /Page", "/Parent " + QByteArray::number(catalog + 1) + " 0 R",
                         "/Contents " + QByteArray::number(obj + 1) + " 0 R"});
        content.clear();
        m_current = {p, -1};
        pageContent(*m_store.ReadPage(p, scratch), content);
        beginObject(obj + 1);
        line("<< /Length " + QByteArray::number(content.size()) + " >>");
        line("stream");
        out(content);
        line("endstream");
        line("endobj");
    }
    for (size_t i = 0; i < m_images.size() && !m_failed; ++i)
        imageObject(firstImage + int(i), m_images[i]);

    for (size_t i = 0; i < m_patterns.size() && !m_failed; ++i) {
        const QByteArray data = patternStream(m_patterns[i].first, m_patterns[i].second);
        beginObject(firstPattern + int(i));
        line("<< /Type /Pattern /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 6 6] "
             "/XStep 6 /YStep 6 /Resources << >> /Length " + QByteArray::number(data.size()) + " >>");
        line("stream");
        out(data);
        line("endstream");
        line("endobj");
    }
    for (int n = 0; n < nf && !m_failed; ++n) {
        const int d = descriptors[size_t(n)];
        if (d < 0)
            continue;
        const TFontSubset &sub = m_subsets[size_t(n)];
        const QByteArray name = "/" + SubsetTag(m_fonts[size_t(n)], usedCharacters(n)) + sub.postScriptName;
        const QByteArray base = m_fonts[size_t(n)];
        int flags = 32;   // the standard Latin character set
        if (sub.fixedPitch)
            flags |= 1;
        if (base.startsWith("Times"))
            flags |= 2;
        if (base.contains("Oblique") || base.contains("Italic"))
            flags |= 64;
        dictObject(d, {"/Type /FontDescriptor", "/FontName " + name,
                       "/Flags " + QByteArray::number(flags),
                       "/FontBBox [" + QByteArray::number(sub.bboxLeft) + ' ' + QByteArray::number(sub.bboxBottom)
                           + ' ' + QByteArray::number(sub.bboxRight) + ' ' + QByteArray::number(sub.bboxTop) + ']',
                       "/ItalicAngle " + PdfNumber(sub.italicAngle),
                       "/Ascent " + QByteArray::number(sub.ascent), "/Descent " + QByteArray::number(sub.descent),
                       "/CapHeight " + QByteArray::number(sub.capHeight), "/StemV 80",
                       "/FontFile2 " + QByteArray::number(d + 1) + " 0 R"});
        const QByteArray data = qCompress(sub.file, 9).mid(4);   // zlib without Qt's length prefix
        beginObject(d + 1);
        line("<< /Length " + QByteArray::number(data.size()) + " /Length1 "
             + QByteArray::number(sub.file.size()) + " /Filter /FlateDecode >>");
        line("stream");
        out(data);
        line("");
        line("endstream");
        line("endobj");
    }
    const int entries = nextObject;
    m_offsets.resize(size_t(entries), 0);
    const qint64 xref = m_pos;
    line("xref");
    line("0 " + QByteArray::number(entries));
    line("0000000000 65535 f");
    for (int n = 1; n < entries; ++n)
        line(QByteArray::number(m_offsets[size_t(n)]).rightJustified(10, '0') + " 00000 n");
    line("trailer");
    line("<<");
    line("/Root " + QByteArray::number(catalog) + " 0 R");
    line("/Info 1 0 R");
    line("/Size " + QByteArray::number(entries));
    line(">>");
    line("startxref");
    line(QByteArray::number(xref));
    out("%%EOF");
    return m_failed ? seOutputNotWritten : seOk;
}

} // namespace pdfwriter

QByteArray PdfBaseFont(const QString &faceName, bool bold, bool italic)
{
    const QString f = faceName.toLower();
    if (f.contains(QLatin1String("courier")))
        return bold && italic ? "Courier-BoldOblique" : bold ? "Courier-Bold" : italic ? "Courier-Oblique" : "Courier";
    if (f.contains(QLatin1String("times")))
        return bold && italic ? "Times-BoldItalic" : bold ? "Times-Bold" : italic ? "Times-Italic" : "Times-Roman";
    if (f.contains(QLatin1String("symbol")))
        return "Symbol";
    return bold && italic ? "Helvetica-BoldOblique" : bold ? "Helvetica-Bold" : italic ? "Helvetica-Oblique" : "Helvetica";
}

QByteArray PdfStringBytes(const QString &text)
{
    QByteArray out;
    for (char b : pdfwriter::fontBytes(text, false))
        pdfwriter::appendStringByte(out, static_cast<unsigned char>(b));
    return out;
}

QByteArray PdfNumber(double value, int decimals)
{
    if (!std::isfinite(value))
        value = 0;
    // Two decimals, the common case, without the general conversion: the hundredths are
    // rounded from value x 100, which gives the correctly rounded digits unless that
    // product lies next to a half, where the general conversion decides.
    if (decimals == 2 && std::abs(value) < 1e12) {
        const double r = value * 100;
        const double frac = r - std::floor(r);
        if (std::abs(frac - 0.5) > 1e-6) {
            const long long n = std::llround(r);
            unsigned long long a = n < 0 ? 0ULL - static_cast<unsigned long long>(n)
                                         : static_cast<unsigned long long>(n);
            if (a == 0)
                return QByteArrayLiteral("0");
            char buf[32];
            char *end = buf + sizeof buf;
            char *p = end;
            int cents = int(a % 100);
            a /= 100;
            if (cents != 0) {
                if (cents % 10 == 0) {
                    *--p = char('0' + cents / 10);
                } else {
                    *--p = char('0' + cents % 10);
                    *--p = char('0' + cents / 10);
                }
                *--p = '.';
            }
            do {
                *--p = char('0' + a % 10);
                a /= 10;
            } while (a);
            if (n < 0)
                *--p = '-';
            return QByteArray(p, qsizetype(end - p));
        }
    }
    QByteArray s = QByteArray::number(value, 'f', decimals);
    if (decimals > 1 && s.contains('.')) {
        while (s.endsWith('0'))
            s.chop(1);
        if (s.endsWith('.'))
            s.chop(1);
    }
    if (s == "-0")
        s = "0";
    return s;
}

int SavePdf(TSestVystup &store, QIODevice &stream, const QString &title)
{
    try {
        return pdfwriter::PdfWriter(store, stream, title).write();
    } catch (...) {
        logCaughtException("SavePdf");
        return seOutputNotWritten;
    }
}

} // namespace orv
