// Template bytes -> model -> lines -> model -> lines: the reader must survive any input, and
// what the writer produces must read back to a model that writes the same lines again.

#include "FuzzSupport.h"

#include "report/model/PageSetup.h"
#include "report/model/TemplateFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

using namespace orv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    setFontAvailableFunction([](const QString &family) { return family == "Arial"; });
    pageSetup() = TPageSetup();
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList lines = templateLinesFromBytes(bytes);

    fuzz::FuzzReport detail0, detail1;
    fuzz::FuzzReport first;
    first.Details = {&detail0, &detail1};
    first.SetPredloha(lines);
    const QStringList written = writeTemplate(first);

    fuzz::FuzzReport d0, d1;
    fuzz::FuzzReport second;
    second.Details = {&d0, &d1};
    second.SetPredloha(templateLinesFromBytes(templateBytesFromLines(written)));
    const QStringList again = writeTemplate(second);
    if (written != again) {
        for (qsizetype i = 0; i < std::max(written.size(), again.size()); ++i) {
            const QString a = written.value(i), b = again.value(i);
            if (a != b)
                std::fprintf(stderr, "line %d:\n  %s\n  %s\n", int(i), a.toUtf8().constData(),
                             b.toUtf8().constData());
        }
    }
    fuzz::check(written == again, "written template does not read back to the same model");
    fuzz::check(first.Sections.count() == 5 + 2 * first.Groups.count(), "section count");
    return 0;
}
