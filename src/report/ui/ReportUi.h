#pragma once
// The report generator's window layer: installing it fills the report components' entry
// points (preview), their message boxes and their progress window. Every control of this
// layer installs it when it is created; programs may call it early.

namespace orv {

// Fills the entry points and handlers that nobody has filled yet. Safe to call often.
void InstallReportUi();

} // namespace orv
