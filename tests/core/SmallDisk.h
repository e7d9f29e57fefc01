#pragma once
// A small file system to fill in tests: a tmpfs mounted for the test (the tests run as root
// on CI), filled up to a chosen level. Where mounting is not allowed the folder is an
// ordinary temporary one and a full disk is injected into the safe-write helper instead.

#include "core/SafeFile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <sys/mount.h>
#include <sys/statvfs.h>

namespace orv::test {

class SmallDisk {
public:
    explicit SmallDisk(qint64 size = 512 * 1024)
    {
        m_path = m_dir.path();
        const QByteArray options = "size=" + QByteArray::number(size) + ",mode=0777";
        m_mounted = ::mount("tmpfs", QFile::encodeName(m_path).constData(), "tmpfs", 0,
                            options.constData()) == 0;
    }
    ~SmallDisk()
    {
        SafeFile::setWriteLimitForTests(-1);
        if (m_mounted)
            ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool mounted() const { return m_mounted; }
    QString path() const { return m_path; }
    QString file(const QString &name) const { return QDir(m_path).filePath(name); }

    // Leaves at most `bytes` free for what comes next.
    void leaveFree(qint64 bytes)
    {
        if (!m_mounted) {
            SafeFile::setWriteLimitForTests(bytes);
            return;
        }
        QFile filler(file(QStringLiteral(".filler")));
        filler.open(QIODevice::WriteOnly | QIODevice::Append);
        const QByteArray block(4096, 'f');
        // The disk hands out whole pages: what stays free is `bytes` rounded down to one.
        while (available() > bytes && filler.write(block) == block.size())
            filler.flush();
        filler.close();
    }
    // Room again for everything.
    void empty()
    {
        SafeFile::setWriteLimitForTests(-1);
        QFile::remove(file(QStringLiteral(".filler")));
    }
    qint64 available() const
    {
        struct statvfs st {};
        if (::statvfs(QFile::encodeName(m_path).constData(), &st) != 0)
            return 0;
        return qint64(st.f_bavail) * qint64(st.f_frsize);
    }
    // A read-only mount (false where the disk is not mounted).
    bool makeReadOnly(bool readOnly = true)
    {
        return m_mounted && ::mount("tmpfs", QFile::encodeName(m_path).constData(), "tmpfs",
                                    MS_REMOUNT | (readOnly ? MS_RDONLY : 0), nullptr) == 0;
    }
    // Files in the folder other than the filler (leftover temporaries are faults).
    QStringList files() const
    {
        QStringList names = QDir(m_path).entryList(QDir::Files | QDir::Hidden | QDir::System);
        names.removeAll(QStringLiteral(".filler"));
        return names;
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
    bool m_mounted = false;
};

} // namespace orv::test
