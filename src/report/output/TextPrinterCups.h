#pragma once
// Text-only printers on CUPS: a queue that takes raw data (a raw queue, or one whose
// driver is "Generic Text-Only") gets the report's text as a raw job through libcups.

#include <QByteArray>
#include <QString>

namespace orv {

// The queue's make and model as the server reports it; empty for an unknown queue.
QString CupsQueueMakeAndModel(const QString &queue);
// Whether the queue is a text-only printer: a raw queue (no driver) or a "Generic
// Text-Only" one.
bool IsTextOnlyQueue(const QString &queue);
// Sends the bytes as one raw job titled title. Returns the job id, or 0 with a Czech
// message in error.
int SendRawJob(const QString &queue, const QString &title, const QByteArray &data,
               QString *error = nullptr);

} // namespace orv
