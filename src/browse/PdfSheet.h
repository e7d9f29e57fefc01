#pragma once
// The material sheet and the diagrams of a material: PDF files below the data root in
// "data/pdf/", "<PdfFile>.pdf" and "<PdfFile> D.pdf". They are opened with the desktop's
// default application and printed through CUPS ("lp"). When the desktop has no application
// for them, the user is offered a choice of one.
//
// Results follow the shell's convention that callers and messages count on: above 32 is
// success, below it an error code (2 file not found, 3 path not found, 5 access denied,
// 31 no application associated).

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace orv::browse {

namespace shell {
constexpr int FileNotFound = 2;
constexpr int PathNotFound = 3;
constexpr int AccessDenied = 5;
constexpr int NoAssociation = 31;
constexpr int Done = 42;
} // namespace shell

// data root + "data/pdf/"; the data root may lack its trailing "/".
QString pdfFolder(const QString &dataRoot);
QString materialSheetPath(const QString &dataRoot, const QString &pdfFile);
QString diagramsPath(const QString &dataRoot, const QString &pdfFile);

// The messages shown for a failure other than a missing association or access.
QString materialSheetErrorText(const QString &path, int code);
QString diagramsErrorText(int code);

// The desktop's document associations. Replaceable (tests, other desktops).
class DocumentShell
{
public:
    virtual ~DocumentShell() = default;
    // Opens `path` with its default application; a shell result code.
    virtual int open(const QString &path);
    // Lets the user choose an application for `path` and opens it there.
    virtual void chooseApplication(const QString &path, QWidget *parent);
    // Sends `path` to the default printer; a shell result code.
    virtual int print(const QString &path);

    // The desktop files' applications that declare they open `mimeType`: name and command.
    struct Application
    {
        QString name;
        QString command; // Exec line without its field codes
    };
    static QList<Application> applicationsFor(const QString &mimeType);
};

DocumentShell &documentShell();
// Installs `shell` (not owned) as the process-wide one; nullptr restores the default.
void setDocumentShell(DocumentShell *shell);

// Where the errors go: (text) in the plain message dialog with the caption "Error".
// Replaceable for tests; the default shows the dialog.
void setShellErrorReporter(std::function<void(const QString &text)> reporter);

// Opens the file at `path`; a missing association or refused access offers the choice of an
// application, any other failure shows `errorText(code)`. Returns the shell result.
int openDocument(const QString &path, const std::function<QString(int code)> &errorText, QWidget *parent);
int openMaterialSheet(const QString &dataRoot, const QString &pdfFile, QWidget *parent = nullptr);
int openDiagrams(const QString &dataRoot, const QString &pdfFile, QWidget *parent = nullptr);
// Prints the material sheet; no messages.
int printMaterialSheet(const QString &dataRoot, const QString &pdfFile);
// Prints the material sheet; when the system cannot print it (no print command), asks
// whether to open the sheet instead and does so on yes. `ask` (default: the standard Czech
// question) gets the question and returns true for yes. Returns the print result.
int printMaterialSheetOrOpen(const QString &dataRoot, const QString &pdfFile, QWidget *parent,
                             const std::function<bool(const QString &question)> &ask = {});

// The program chosen with "Jiný program..." for PDF files, kept in the settings file; empty
// when none was chosen. Documents the desktop has no application for open there.
QString rememberedPdfProgram();
void rememberPdfProgram(const QString &command);

} // namespace orv::browse
