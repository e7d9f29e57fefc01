#include "report/model/CaughtException.h"

#include <exception>

namespace orv {

Q_LOGGING_CATEGORY(lcReport, "orvalis.report")

QString caughtExceptionText()
{
    const std::exception_ptr current = std::current_exception();
    if (!current)
        return QStringLiteral("žádná výjimka");
    try {
        std::rethrow_exception(current);
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        // Not a std::exception: there is no text to give, the caller logs this one.
        return QStringLiteral("výjimka neznámého typu");
    }
}

void logCaughtException(const char *where)
{
    qCWarning(lcReport).noquote() << QString::fromLatin1(where) + QStringLiteral(": zachycena výjimka: ")
                                         + caughtExceptionText();
}

} // namespace orv
