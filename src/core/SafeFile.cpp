#include "core/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv {

namespace {

std::atomic<qint64> g_writeLimit{-1};

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

// The backup's name: the target with its extension replaced.
QString backupPath(const QString &target, const QString &extension)
{
    const QFileInfo fi(target);
    return fi.dir().filePath(fi.completeBaseName() + extension);
}

void syncFolder(const QString &folder)
{
    const int fd = ::open(nativePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);   // the rename reaches the disk; some file systems refuse, harmlessly
        ::close(fd);
    }
}

} // namespace

QString writeFailureReason(int e)
{
    switch (e) {
    case ENOSPC:
    case EDQUOT:
        return QString::fromUtf8("na disku není dost místa");
    case EACCES:
    case EPERM:
        return QString::fromUtf8("do složky nemáte právo zapisovat");
    case EROFS:
        return QString::fromUtf8("disk je jen pro čtení");
    case ENOENT:
    case ENOTDIR:
        return QString::fromUtf8("složka neexistuje");
    case EISDIR:
        return QString::fromUtf8("pod tím jménem je složka");
    case EFBIG:
        return QString::fromUtf8("soubor je příliš velký");
    case EIO:
        return QString::fromUtf8("chyba vstupu a výstupu na disku");
    default:
        return QString::fromLocal8Bit(std::strerror(e));
    }
}

SafeFile::SafeFile(QString target) : m_target(QFileInfo(std::move(target)).absoluteFilePath()) {}

SafeFile::~SafeFile()
{
    if (!m_committed)
        removeTemporary();
}

void SafeFile::setWriteLimitForTests(qint64 bytes)
{
    g_writeLimit = bytes;
}

bool SafeFile::open()
{
    return open(QIODevice::WriteOnly);
}

bool SafeFile::open(OpenMode mode)
{
    if (m_fd >= 0 || (mode & QIODevice::ReadOnly)) {
        setError(EINVAL);
        return false;
    }
    const QFileInfo fi(m_target);
    if (fi.isDir()) {
        setError(EISDIR);
        return false;
    }
    QByteArray pattern = nativePath(fi.dir().filePath(QLatin1Char('.') + fi.fileName() + QStringLiteral(".XXXXXX")));
    m_fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (m_fd < 0) {
        setError(errno);
        return false;
    }
    m_tempPath = QFile::decodeName(pattern);
    // The new file gets the old one's permissions, or the usual ones for a new file.
    struct stat st {};
    mode_t perms;
    if (::stat(nativePath(m_target).constData(), &st) == 0) {
        perms = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        perms = 0666 & ~mask;
    }
    ::fchmod(m_fd, perms);
    m_written = 0;
    m_error.clear();
    m_cancelled = false;
    return QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 SafeFile::writeData(const char *data, qint64 size)
{
    if (m_fd < 0 || failed())
        return -1;
    qint64 done = 0;
    while (done < size) {
        qint64 chunk = size - done;
        const qint64 limit = g_writeLimit.load();
        if (limit >= 0) {
            chunk = std::min(chunk, limit - m_written);
            if (chunk <= 0) {
                setError(ENOSPC);
                return -1;
            }
        }
        const ssize_t n = ::write(m_fd, data + done, size_t(chunk));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            setError(errno);
            return -1;
        }
        if (n == 0) {
            setError(ENOSPC);
            return -1;
        }
        done += n;
        m_written += n;
    }
    return done;
}

void SafeFile::setError(int errnoValue, const QString &reason)
{
    if (!m_error.isEmpty())
        return;   // the first cause is the one worth telling
    const QString why = !reason.isEmpty() ? reason : writeFailureReason(errnoValue);
    const bool existed = QFileInfo::exists(m_target);
    m_error = QString::fromUtf8("Soubor „%1“ se nepodařilo zapsat: %2. %3")
                  .arg(QDir::toNativeSeparators(m_target), why,
                       existed ? QString::fromUtf8("Původní soubor zůstal beze změny.")
                               : QString::fromUtf8("Žádný soubor nevznikl."));
    setErrorString(m_error);
}

void SafeFile::fail(const QString &reason)
{
    setError(EIO, reason.isEmpty() ? QString::fromUtf8("zápis se nezdařil") : reason);
}

void SafeFile::cancelByUser()
{
    m_cancelled = true;
    setError(ECANCELED, QString::fromUtf8("zápis byl přerušen"));
}

void SafeFile::removeTemporary()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_tempPath.isEmpty())
        ::unlink(nativePath(m_tempPath).constData());
    m_tempPath.clear();
    if (QIODevice::isOpen())
        QIODevice::close();
}

void SafeFile::close()
{
    // Closing without commit is giving up: nothing half-written may stay.
    if (!m_committed)
        removeTemporary();
    else if (QIODevice::isOpen())
        QIODevice::close();
}

void SafeFile::cancel()
{
    removeTemporary();
}

bool SafeFile::commit()
{
    return commitWritten({});
}

bool SafeFile::commitWritten(const std::function<bool(const QString &path)> &check)
{
    if (m_fd < 0 && !failed())
        setError(EBADF);
    if (failed()) {
        removeTemporary();
        return false;
    }
    // The file as it lies on the disk: a writer that opened it by name wrote past our count.
    struct stat st {};
    if (::fsync(m_fd) != 0) {
        setError(errno);
    } else if (::fstat(m_fd, &st) != 0) {
        setError(errno);
    } else if (!check && qint64(st.st_size) != m_written) {
        setError(EIO, QString::fromUtf8("na disku je jen %1 z %2 bajtů").arg(st.st_size).arg(m_written));
    }
    if (!failed() && check && !check(m_tempPath))
        fail(QString::fromUtf8("zapsaný soubor není úplný"));
    if (!failed() && ::close(m_fd) != 0) {
        m_fd = -1;
        setError(errno);
    }
    m_fd = -1;
    if (failed()) {
        removeTemporary();
        return false;
    }
    const QByteArray target = nativePath(m_target);
    if (!m_backupExtension.isEmpty() && ::access(target.constData(), F_OK) == 0) {
        // The old file becomes the backup without ever leaving the target's name empty: a
        // second name for it replaces the old backup, then the new file replaces the target.
        const QByteArray bak = nativePath(backupPath(m_target, m_backupExtension));
        const QByteArray link = bak + ".new";
        ::unlink(link.constData());
        bool backedUp = ::link(target.constData(), link.constData()) == 0
            && ::rename(link.constData(), bak.constData()) == 0;
        if (!backedUp) {
            ::unlink(link.constData());
            // A file system without hard links: copy the old file the safe way.
            QFile old(m_target);
            QString copyError;
            backedUp = old.open(QIODevice::ReadOnly)
                && writeFileSafely(QFile::decodeName(bak), old.readAll(), &copyError);
        }
        if (!backedUp) {
            setError(errno ? errno : EIO, QString::fromUtf8("zálohu „%1“ nelze vytvořit")
                                              .arg(QFile::decodeName(bak)));
            removeTemporary();
            return false;
        }
    }
    if (::rename(nativePath(m_tempPath).constData(), target.constData()) != 0) {
        setError(errno);
        removeTemporary();
        return false;
    }
    m_committed = true;
    m_tempPath.clear();
    syncFolder(QFileInfo(m_target).absolutePath());
    QIODevice::close();
    return true;
}

bool writeFileSafely(const QString &target, const QByteArray &bytes, QString *error,
                     const QString &backupExtension)
{
    SafeFile f(target);
    f.setBackupExtension(backupExtension);
    const bool ok = f.open() && f.write(bytes) == bytes.size() && f.commit();
    if (!ok && error)
        *error = f.errorText();
    return ok;
}

} // namespace orv
