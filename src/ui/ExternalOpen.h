#pragma once
// Web pages and e-mail go to the desktop's programs. When the desktop has none (no
// xdg-open, no browser or mail program set), the user is told in Czech what is missing and
// what to do, instead of nothing happening.

#include <QString>
#include <QUrl>

#include <functional>

namespace orv::ui {

// The message for a web address or a mailto: address that no program could open.
QString missingProgramText(const QUrl &url);

// Opens `url` with the desktop's program. When there is none, `report` gets the message
// (default: the standard Czech message dialog). Returns true when a program took the URL.
bool openExternal(const QUrl &url, const std::function<void(const QString &)> &report = {});

// The message offered when the material sheet cannot be printed because the print command
// is missing; the question is whether to open the sheet instead.
QString missingPrintCommandText();

} // namespace orv::ui
