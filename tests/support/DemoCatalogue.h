#pragma once
// The demo catalogue (catalogue.sqlite and user.sqlite, built by the target demo_catalogue
// into the program folder of the build) copied for a test that may change it.

#include <QDir>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

namespace orv::test {

// Copies both files into `folder` (made if missing). Use as
// ASSERT_TRUE(copyDemoCatalogue(root + "data")).
inline ::testing::AssertionResult copyDemoCatalogue(const QString &folder)
{
    const QString demo = QStringLiteral(ORVALIS_BINARY_DIR "/orvalis/data/");
    if (!QDir().mkpath(folder))
        return ::testing::AssertionFailure() << "cannot make " << folder.toStdString();
    for (const char *f : {"catalogue.sqlite", "user.sqlite"})
        if (!QFile::copy(demo + QLatin1String(f), folder + QLatin1Char('/') + QLatin1String(f)))
            return ::testing::AssertionFailure()
                   << "cannot copy " << f << " of the demo catalogue (built by the target demo_catalogue)";
    return ::testing::AssertionSuccess();
}

} // namespace orv::test
