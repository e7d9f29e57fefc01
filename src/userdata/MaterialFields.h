#pragma once

#include <QString>
#include <QVariant>

// Field names and small helpers the material editor's source files share.

namespace orv::userdata {

inline const QString kNumber = QStringLiteral("Number");
inline const QString kNoticeNo = QStringLiteral("NoticeNo");
inline const QString kNotice = QStringLiteral("Notice");

inline QVariant nullIfEmpty(const QString &text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

} // namespace orv::userdata
