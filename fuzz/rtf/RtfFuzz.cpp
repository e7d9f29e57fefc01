// Feeds arbitrary bytes to the rich-text layout and checks that the lines it builds are
// consistent. The first bytes choose the layout settings.
#include "report/model/TextLayout.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdint>
#include <cstdlib>

extern "C" const char *__asan_default_options()
{
    // Qt keeps process-wide font caches alive until exit.
    return "detect_leaks=0";
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    return 0;
}

static void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3 || size > 8192)
        return 0;
    const uint8_t flags = data[0];
    const int width = data[1] + 1;
    const bool wrap = flags & 1;
    const int alignment = (flags >> 1) & 3;
    const double lineHeight = (flags & 8) ? data[2] / 4.0 : 0;
    const double letterSpacing = (flags & 16) ? data[2] / 8.0 : 0;
    const QString text = (flags & 32)
        ? QString::fromUtf8(reinterpret_cast<const char *>(data + 3), qsizetype(size - 3))
        : QString::fromLatin1(reinterpret_cast<const char *>(data + 3), qsizetype(size - 3));

    static orv::TTextCanvas measure(100);
    orv::TTextFont font;
    font.Name = QStringLiteral("Arial");
    font.Size = 10;
    font.Charset = 238;
    orv::TRadky lines;
    orv::LayoutText(measure, QRect(0, 0, width, 100), text, lines, wrap, lineHeight, letterSpacing,
                    alignment, font, true);

    check(lines.count() >= 1);
    if (!wrap)
        check(lines.count() == 1);
    for (const orv::TRadek &line : lines.Lines) {
        check(line.RowHeight > 0);
        for (const orv::TFragment &run : line.Runs) {
            check(run.Length >= 0);
            check(run.Chars.size() == run.Length);
            check(run.Positions.size() == size_t(run.Length) + 1);
        }
    }
    // TotalHeight rounds down what LinesThatFit needs, so one hundredth more always fits.
    int height = 0, last = 0;
    const int total = orv::TotalHeight(lines);
    check(orv::LinesThatFit(lines, 0, total + 1, height, last) || total == 0);
    check(last == lines.count() - 1 || total == 0);
    check(height == total || total == 0);
    orv::TRadky copy;
    orv::CopyLines(copy, lines);
    check(copy.count() == lines.count());

    if (flags & 64) {
        static QImage image(200, 200, QImage::Format_RGB32);
        QPainter painter(&image);
        orv::TTextCanvas canvas(100, &painter);
        orv::DrawLines(canvas, QRect(0, 0, 200, 200), 0, lines.count() - 1, lines, 1, 1, 1);
    }
    return 0;
}
