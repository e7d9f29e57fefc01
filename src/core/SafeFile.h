#pragma once
// The one way the program and its tools write a file: whole or not at all.
//
// The bytes go to a temporary file in the target's folder (same file system, so the final
// rename is atomic). Every write is checked, including short writes; at commit the file is
// flushed, fsynced and its size compared with what was written, and only then renamed over
// the target. Any failure leaves the old file (and its .BAK) as they were and gives a Czech
// message naming the file and the reason.
//
// QSaveFile is not used: on Qt 6.4 its commit() can report success after its final flush
// failed on a full disk.

#include <QIODevice>
#include <QString>

#include <functional>

namespace orv {

class SafeFile : public QIODevice {
public:
    explicit SafeFile(QString target);
    ~SafeFile() override;   // an uncommitted temporary file is removed

    // Before open(): on commit the file replaced is kept under the target's name with this
    // extension (".BAK"); an older backup of that name is replaced.
    void setBackupExtension(const QString &extension) { m_backupExtension = extension; }

    // Creates the temporary file. False (errorText() says why) when the folder cannot take it.
    bool open();
    using QIODevice::open;
    bool open(OpenMode mode) override;

    // Flush, fsync, size check, rename. False when anything failed or a write before did;
    // the target is then untouched.
    bool commit();
    // Gives up: the temporary file goes, the target stays.
    void cancel();
    // A writer feeding this device says it failed (the reason in Czech, or empty for a
    // general one); commit() then refuses.
    void fail(const QString &reason = QString());
    // The user stopped the writing: commit() refuses with the "stopped" reason.
    void cancelByUser();

    // For writers that insist on opening a file by name themselves (the PDF printer): the
    // temporary file's path. commitWritten() then takes that file as it stands, checked by
    // `check` (which reads it) when given.
    QString temporaryPath() const { return m_tempPath; }
    bool commitWritten(const std::function<bool(const QString &path)> &check = {});

    QString target() const { return m_target; }
    bool failed() const { return !m_error.isEmpty(); }
    bool wasCancelled() const { return m_cancelled; }
    // "Soubor „…“ se nepodařilo zapsat: <reason>. <what stayed>"; empty after success.
    QString errorText() const { return m_error; }
    qint64 bytesWritten() const { return m_written; }

    bool isSequential() const override { return true; }
    void close() override;

    // Tests without a small file system to fill: after this many bytes in one file every
    // write fails as on a full disk (-1: off). Process-wide.
    static void setWriteLimitForTests(qint64 bytes);

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override;

private:
    void setError(int errnoValue, const QString &reason = QString());
    void removeTemporary();

    QString m_target;
    QString m_tempPath;
    QString m_backupExtension;
    QString m_error;
    int m_fd = -1;
    qint64 m_written = 0;
    bool m_cancelled = false;
    bool m_committed = false;
};

// The whole of `bytes` into `target` through SafeFile. False with *error set on failure.
bool writeFileSafely(const QString &target, const QByteArray &bytes, QString *error = nullptr,
                     const QString &backupExtension = QString());

// The Czech reason for an errno value from writing ("na disku není dost místa", ...).
QString writeFailureReason(int errnoValue);

} // namespace orv
