#pragma once
// Collects what Qt's logging receives while it lives (one at a time), so a test can check
// that a swallowed failure was written to the log.

#include <QLoggingCategory>
#include <QString>
#include <QStringList>

namespace orv::test {

class LogCapture {
public:
    LogCapture() { previous = qInstallMessageHandler(&LogCapture::handle); }
    ~LogCapture() { qInstallMessageHandler(previous); }
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    // "category: message" for every message received so far.
    static QStringList &lines()
    {
        static QStringList all;
        return all;
    }
    bool contains(const QString &category, const QString &text) const
    {
        for (const QString &l : lines())
            if (l.startsWith(category + QStringLiteral(": ")) && l.contains(text))
                return true;
        return false;
    }

private:
    static void handle(QtMsgType, const QMessageLogContext &ctx, const QString &msg)
    {
        lines().append(QString::fromLatin1(ctx.category ? ctx.category : "default")
                       + QStringLiteral(": ") + msg);
    }
    QtMessageHandler previous = nullptr;
};

} // namespace orv::test
