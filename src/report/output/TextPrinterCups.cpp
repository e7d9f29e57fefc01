// Raw jobs and queue checks through libcups.
#include "report/output/TextPrinterCups.h"

#include <cups/cups.h>

namespace orv {

namespace {

// The server's view of one queue; null when it has none of that name.
cups_dest_t *findDest(const QString &queue, cups_dest_t **all, int *count)
{
    *count = cupsGetDests2(CUPS_HTTP_DEFAULT, all);
    const QByteArray name = queue.toUtf8();
    return cupsGetDest(name.constData(), nullptr, *count, *all);
}

} // namespace

QString CupsQueueMakeAndModel(const QString &queue)
{
    cups_dest_t *all = nullptr;
    int count = 0;
    QString result;
    if (cups_dest_t *d = findDest(queue, &all, &count)) {
        const char *mm = cupsGetOption("printer-make-and-model", d->num_options, d->options);
        result = QString::fromUtf8(mm ? mm : "");
    }
    cupsFreeDests(count, all);
    return result;
}

bool IsTextOnlyQueue(const QString &queue)
{
    if (queue.isEmpty())
        return false;
    cups_dest_t *all = nullptr;
    int count = 0;
    bool result = false;
    if (cups_dest_t *d = findDest(queue, &all, &count)) {
        const char *mm = cupsGetOption("printer-make-and-model", d->num_options, d->options);
        const QString makeModel = QString::fromUtf8(mm ? mm : "");
        // A raw queue has no driver: the server names it "Local Raw Printer" or nothing.
        const bool raw = makeModel.isEmpty()
            || makeModel.compare(QLatin1String("Local Raw Printer"), Qt::CaseInsensitive) == 0;
        result = raw || makeModel.contains(QLatin1String("Generic Text-Only"), Qt::CaseInsensitive)
            || makeModel.contains(QLatin1String("Generic Text Only"), Qt::CaseInsensitive);
    }
    cupsFreeDests(count, all);
    return result;
}

int SendRawJob(const QString &queue, const QString &title, const QByteArray &data,
               QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return 0;
    };
    const QByteArray name = queue.toUtf8();
    const QByteArray jobTitle = title.isEmpty() ? QByteArray("Sestava") : title.toUtf8();
    const int job = cupsCreateJob(CUPS_HTTP_DEFAULT, name.constData(), jobTitle.constData(), 0,
                                  nullptr);
    if (job <= 0)
        return fail(QStringLiteral("Tiskárna %1 nepřijala úlohu: %2")
                        .arg(queue, QString::fromUtf8(cupsLastErrorString())));
    if (cupsStartDocument(CUPS_HTTP_DEFAULT, name.constData(), job, jobTitle.constData(),
                          CUPS_FORMAT_RAW, 1) != HTTP_STATUS_CONTINUE) {
        cupsCancelJob2(CUPS_HTTP_DEFAULT, name.constData(), job, 0);
        return fail(QStringLiteral("Tiskárna %1 nepřijala data: %2")
                        .arg(queue, QString::fromUtf8(cupsLastErrorString())));
    }
    constexpr qsizetype chunk = 32 * 1024;
    for (qsizetype at = 0; at < data.size(); at += chunk) {
        if (cupsWriteRequestData(CUPS_HTTP_DEFAULT, data.constData() + at,
                                 size_t(std::min(chunk, data.size() - at)))
            != HTTP_STATUS_CONTINUE) {
            cupsFinishDocument(CUPS_HTTP_DEFAULT, name.constData());
            cupsCancelJob2(CUPS_HTTP_DEFAULT, name.constData(), job, 0);
            return fail(QStringLiteral("Data pro tiskárnu %1 se nepodařilo odeslat.").arg(queue));
        }
    }
    if (cupsFinishDocument(CUPS_HTTP_DEFAULT, name.constData()) != IPP_STATUS_OK)
        return fail(QStringLiteral("Tiskárna %1 úlohu nedokončila: %2")
                        .arg(queue, QString::fromUtf8(cupsLastErrorString())));
    return job;
}

} // namespace orv
