#pragma once
// Where the program saves what the user asks it to save: save dialogs start in the user's
// documents folder with a file name suggested from what is saved, never in whatever folder
// a file dialog was last pointed at (a program folder chosen for a viewer, for instance).

#include <QString>

#include <functional>

class QWidget;

namespace orv::ui {

// The user's documents folder (XDG_DOCUMENTS_DIR), else the home folder.
QString documentsFolder();
// documentsFolder() + `fileName`, with the characters a file name cannot hold ("/", control
// characters) replaced by "_".
QString suggestedSavePath(const QString &fileName);
// Copies `source` to `target` through a temporary file beside the target, renamed over it
// once complete: an old file of that name stays whole when anything fails. Returns a Czech
// message naming the file, or an empty string on success.
QString copyFileSafely(const QString &source, const QString &target);

// The file dialog for saving, started at `startPath` (a path from suggestedSavePath); the
// chosen file or empty for cancel. Replaceable for tests with setSaveFileAsker.
QString askSaveFile(QWidget *parent, const QString &title, const QString &startPath, const QString &filter);
using SaveFileAsker = std::function<QString(QWidget *parent, const QString &title, const QString &startPath,
                                            const QString &filter)>;
void setSaveFileAsker(SaveFileAsker asker);

} // namespace orv::ui
