#include "ui/CaughtError.h"

#include <exception>

namespace orv::ui {

Q_LOGGING_CATEGORY(lcUi, "orvalis.ui")

void logCaughtError(const char *where)
{
    QString text = QStringLiteral("výjimka neznámého typu");
    try {
        if (const std::exception_ptr caught = std::current_exception())
            std::rethrow_exception(caught);
    } catch (const std::exception &e) {
        text = QString::fromLocal8Bit(e.what());
    } catch (...) {
        // Not a std::exception: it carries no text, and the fixed one above says so.
    }
    qCWarning(lcUi).noquote() << QString::fromLatin1(where) + QStringLiteral(": zachycena výjimka: ") + text;
}

} // namespace orv::ui
