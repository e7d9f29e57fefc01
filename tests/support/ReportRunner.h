#pragma once
// The report runner the build makes, for tests that start it as a user would.

#include <QString>

inline const QString kRunner = QStringLiteral(ORVALIS_BINARY_DIR "/tools/report-runner/orv_report_runner");
