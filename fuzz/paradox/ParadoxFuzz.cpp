// Fuzz target: bytes as a Paradox table file, checked and then read record by record. A
// damaged file must be refused with ToolError; nothing may crash, read out of bounds or hang
// (run with -timeout so that a loop inside pxlib is caught).

#include "ParadoxImport.h"
#include "SqliteFile.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdlib>
#include <unistd.h>

namespace {

QString tableFile()
{
    static const QString path = [] {
        const QString dir = QDir::tempPath() + QStringLiteral("/orv-fuzz-paradox-%1").arg(::getpid());
        QDir().mkpath(dir);
        return dir + QStringLiteral("/Mat.DB");
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    {
        QFile f(tableFile());
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    try {
        orv::catalogue::readParadoxRecords(tableFile());
    } catch (const orv::catalogue::ToolError &) {
    }
    return 0;
}
