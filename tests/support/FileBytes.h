#pragma once
// A whole file as bytes, read or written, for tests that damage files on purpose or compare
// them before and after.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

namespace orv::test {

// The file's bytes; empty when it cannot be read.
inline QByteArray readFileBytes(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Replaces the file's content with `bytes`. Use as ASSERT_TRUE(writeFileBytes(file, bytes)).
inline ::testing::AssertionResult writeFileBytes(const QString &file, const QByteArray &bytes)
{
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return ::testing::AssertionFailure() << "cannot write " << file.toStdString();
    if (f.write(bytes) != bytes.size() || !f.flush())
        return ::testing::AssertionFailure() << "short write to " << file.toStdString();
    return ::testing::AssertionSuccess();
}

} // namespace orv::test
