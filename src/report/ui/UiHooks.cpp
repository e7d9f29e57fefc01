#include "report/ui/UiHooks.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>

namespace orv {

TSaveFileAsker &saveFileAsker()
{
    static TSaveFileAsker asker;
    return asker;
}

TTextAsker &textAsker()
{
    static TTextAsker asker;
    return asker;
}

QString AskSaveFile(QWidget *parent, const TSaveFileRequest &request)
{
    if (saveFileAsker())
        return saveFileAsker()(parent, request);
    // The file dialog may change the working directory; it is restored afterwards.
    const QString cwd = QDir::currentPath();
    QFileDialog dialog(parent, request.Title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(request.Filters);
    dialog.setDefaultSuffix(request.DefaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.ConfirmOverwrite);
    if (!request.StartName.isEmpty())
        dialog.selectFile(request.StartName);
    QString chosen;
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        chosen = dialog.selectedFiles().constFirst();
    QDir::setCurrent(cwd);
    return chosen;
}

std::optional<QString> AskText(QWidget *parent, const QString &title, const QString &label,
                               const QString &initial)
{
    if (textAsker())
        return textAsker()(parent, title, label, initial);
    bool ok = false;
    const QString text = QInputDialog::getText(parent, title, label, QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QStringList QtFilters(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString text = parts.at(i);
        // Patterns are matched without regard to case here; "*.*" means every file.
        text.replace(QStringLiteral("(*.*)"), QStringLiteral("(*)"));
        out << text;
    }
    return out;
}

} // namespace orv
