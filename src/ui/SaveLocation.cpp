#include "ui/SaveLocation.h"

#include "core/SafeFile.h"

#include <QDir>
#include <QFileDialog>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace orv::ui {

QString documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

QString suggestedSavePath(const QString &fileName)
{
    QString name = fileName.trimmed();
    for (QChar &c : name)
        if (c == u'/' || c == u'\\' || c.category() == QChar::Other_Control)
            c = u'_';
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        name = QStringLiteral("dokument");
    return QDir(documentsFolder()).filePath(name);
}

QString copyFileSafely(const QString &source, const QString &target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return QStringLiteral("Soubor %1 nelze přečíst: %2").arg(QDir::toNativeSeparators(source), in.errorString());
    SafeFile out(target);
    if (!out.open())
        return out.errorText();
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 16);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError)
            break;
        out.write(chunk);
    }
    if (in.error() != QFileDevice::NoError) {
        out.cancel();
        return QStringLiteral("Soubor %1 nelze přečíst: %2").arg(QDir::toNativeSeparators(source), in.errorString());
    }
    return out.commit() ? QString() : out.errorText();
}

namespace {
SaveFileAsker &saveFileAsker()
{
    static SaveFileAsker asker;
    return asker;
}
} // namespace

void setSaveFileAsker(SaveFileAsker asker)
{
    saveFileAsker() = std::move(asker);
}

QString askSaveFile(QWidget *parent, const QString &title, const QString &startPath, const QString &filter)
{
    if (saveFileAsker())
        return saveFileAsker()(parent, title, startPath, filter);
    // The file dialog may change the working directory; it is put back afterwards.
    const QString cwd = QDir::currentPath();
    const QString chosen = QFileDialog::getSaveFileName(parent, title, startPath, filter);
    QDir::setCurrent(cwd);
    return chosen;
}

} // namespace orv::ui
