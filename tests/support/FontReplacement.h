#pragma once
// Some tests compare what the layout measured on screen with what another program reads
// back, and hold only when a Windows face of a template is drawn with its metric-compatible
// replacement (Arial with Liberation Sans, Times New Roman with Liberation Serif). This checks
// the replacement first, so that a machine without it fails with the reason and not with
// misplaced words. Needs the GUI application.

#include <QFont>
#include <QFontInfo>
#include <QString>

#include <gtest/gtest.h>

namespace orv::test {

inline ::testing::AssertionResult fontIsReplacedBy(const QString &asked, const QString &replacement)
{
    const QString drawnWith = QFontInfo(QFont(asked)).family();
    if (drawnWith == replacement)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << asked.toStdString() << " is drawn with \"" << drawnWith.toStdString() << "\", not with "
           << replacement.toStdString() << ": fontconfig replaces it by that face only when the "
           << "package fonts-liberation2 is installed";
}

} // namespace orv::test
