#pragma once

// What Sestava.cpp and SestavaTyp.cpp share; nothing else includes this.

#include "report/model/SestavaMessages.h"

#include <QString>

namespace orv::sestava_detail {

inline void message(TSestMessageKind kind, const char *caption, const QString &text)
{
    showSestMessage(kind, QString::fromUtf8(caption), text);
}

} // namespace orv::sestava_detail
