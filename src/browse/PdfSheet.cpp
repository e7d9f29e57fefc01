#include "browse/PdfSheet.h"

#include "core/DataRoot.h"
#include "core/Paths.h"
#include "ui/ExternalOpen.h"
#include "ui/MessageDialog.h"
#include "ui/SaveLocation.h"

#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QListWidget>
#include <QMimeDatabase>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>
#include <QVBoxLayout>

namespace orv::browse {

namespace {

DocumentShell *g_shell = nullptr;
std::function<void(const QString &)> g_reporter;

QString withSlash(const QString &dir)
{
    QString d = QDir::fromNativeSeparators(dir);
    if (!d.isEmpty() && !d.endsWith(u'/'))
        d += u'/';
    return d;
}

// The application the desktop opens files of `mimeType` with; empty when none is set or
// the desktop cannot be asked.
QString defaultApplication(const QString &mimeType, bool *asked)
{
    *asked = false;
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return QString();
    QProcess p;
    p.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    if (!p.waitForFinished(3000)) {
        p.kill();
        p.waitForFinished(500);
        return QString();
    }
    *asked = true;
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

// Splits an Exec line of a desktop file into program and arguments, dropping field codes.
QStringList commandWords(const QString &command)
{
    QStringList words = QProcess::splitCommand(command);
    QStringList out;
    for (const QString &w : words) {
        if (w.size() == 2 && w.startsWith(u'%'))
            continue;
        out << w;
    }
    return out;
}

class ChooseApplicationDialog : public QDialog
{
public:
    ChooseApplicationDialog(const QString &path, QWidget *parent) : QDialog(parent)
    {
        setWindowTitle(QStringLiteral("Otevřít v programu"));
        auto *layout = new QVBoxLayout(this);
        m_list = new QListWidget(this);
        const QString mime = QMimeDatabase().mimeTypeForFile(path).name();
        for (const DocumentShell::Application &app : DocumentShell::applicationsFor(mime)) {
            auto *item = new QListWidgetItem(app.name, m_list);
            item->setData(Qt::UserRole, app.command);
        }
        // With no program for the file an empty list and a dead "Otevřít" would be all: the
        // user is told so and may keep the file instead.
        const bool none = m_list->count() == 0;
        const bool pdf = mime == QLatin1String("application/pdf") || path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
        auto *label = new QLabel(
            none ? (pdf ? QStringLiteral("V systému není nainstalován žádný prohlížeč souborů PDF (například balíček "
                                         "evince nebo okular), proto nelze soubor otevřít:\n")
                        : QStringLiteral("V systému není nainstalován žádný program, který by soubor otevřel:\n"))
                       + path
                       + QStringLiteral("\n\nSoubor můžete uložit a otevřít jinde, nebo vybrat program ručně.")
                 : QStringLiteral("Vyberte program, kterým chcete otevřít soubor:\n") + path,
            this);
        label->setObjectName(QStringLiteral("lblProgram"));
        label->setWordWrap(true);
        layout->addWidget(label);
        m_list->setVisible(!none);
        layout->addWidget(m_list);
        auto *buttons = new QDialogButtonBox(this);
        QPushButton *other = buttons->addButton(QStringLiteral("&Jiný program..."), QDialogButtonBox::ActionRole);
        if (none) {
            QPushButton *save = buttons->addButton(QStringLiteral("&Uložit jako..."), QDialogButtonBox::ActionRole);
            save->setObjectName(QStringLiteral("btUlozit"));
            save->setDefault(true);
            connect(save, &QPushButton::clicked, this, [this, path] {
                const QString target = ui::askSaveFile(this, QStringLiteral("Uložit soubor"),
                                                       ui::suggestedSavePath(QFileInfo(path).fileName()),
                                                       QStringLiteral("Dokumenty PDF (*.pdf);;Všechny soubory (*)"));
                if (target.isEmpty())
                    return;
                const QString failure = ui::copyFileSafely(path, target);
                if (!failure.isEmpty()) {
                    ui::message(failure, ui::MsgType::Error, ui::MsgButton::OK);
                    return;
                }
                reject();
            });
        } else {
            buttons->addButton(QStringLiteral("&Otevřít"), QDialogButtonBox::AcceptRole);
        }
        buttons->addButton(QStringLiteral("&Zpět"), QDialogButtonBox::RejectRole);
        layout->addWidget(buttons);
        connect(buttons, &QDialogButtonBox::accepted, this, [this] {
            if (m_list->currentItem()) {
                m_command = m_list->currentItem()->data(Qt::UserRole).toString();
                accept();
            }
        });
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        connect(other, &QPushButton::clicked, this, [this] {
            const QString program = QFileDialog::getOpenFileName(this, QStringLiteral("Vyberte program"),
                                                                 QStringLiteral("/usr/bin"));
            if (!program.isEmpty()) {
                // A program path goes through as one word, blanks and all.
                m_command = QStringLiteral("\"") + program + QStringLiteral("\"");
                accept();
            }
        });
        connect(m_list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
            m_command = item->data(Qt::UserRole).toString();
            accept();
        });
    }
    QString command() const { return m_command; }

private:
    QListWidget *m_list = nullptr;
    QString m_command;
};

} // namespace

QString pdfFolder(const QString &dataRoot)
{
    // On the medium the catalogue folder is spelled "Data".
    return orv::catalogueFolder(withSlash(dataRoot)) + QStringLiteral("pdf/");
}

QString materialSheetPath(const QString &dataRoot, const QString &pdfFile)
{
    return pdfFolder(dataRoot) + pdfFile + QStringLiteral(".pdf");
}

QString diagramsPath(const QString &dataRoot, const QString &pdfFile)
{
    return pdfFolder(dataRoot) + pdfFile + QStringLiteral(" D.pdf");
}

QString materialSheetErrorText(const QString &path, int code)
{
    // The quote and the full stop stand before the path, as the message always read.
    return QStringLiteral("Nepodařilo se otevřít materiálový list \".") + path + QStringLiteral("\r\rChyba: ")
        + QString::number(code);
}

QString diagramsErrorText(int code)
{
    return QStringLiteral("Nepodařilo se otevřít diagramy.\r\rChyba: ") + QString::number(code);
}

int DocumentShell::open(const QString &path)
{
    const QFileInfo info(path);
    if (!info.dir().exists())
        return shell::PathNotFound;
    if (!info.exists())
        return shell::FileNotFound;
    if (!info.isReadable())
        return shell::AccessDenied;
    bool asked = false;
    const QString app = defaultApplication(QMimeDatabase().mimeTypeForFile(info).name(), &asked);
    if (asked && app.isEmpty())
        return shell::NoAssociation;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath())) ? shell::Done
                                                                                   : shell::NoAssociation;
}

namespace {

// Starts `command` (program and arguments) on `path`; false when it cannot start.
bool startCommand(const QString &command, const QString &path)
{
    QStringList words = commandWords(command);
    if (words.isEmpty())
        return false;
    const QString program = words.takeFirst();
    words << path;
    const QString folder = QFileInfo(path).absolutePath();
    return QProcess::startDetached(program, words, QFileInfo(folder).isDir() ? folder : QString());
}

const QString kPdfSection = QStringLiteral("PDF");
const QString kPdfProgram = QStringLiteral("Program");

} // namespace

QString rememberedPdfProgram()
{
    QSettings s(settingsFilePath(), QSettings::IniFormat);
    return s.value(kPdfSection + u'/' + kPdfProgram).toString();
}

void rememberPdfProgram(const QString &command)
{
    QSettings s(settingsFilePath(), QSettings::IniFormat);
    s.setValue(kPdfSection + u'/' + kPdfProgram, command);
    s.sync();
}

void DocumentShell::chooseApplication(const QString &path, QWidget *parent)
{
    ChooseApplicationDialog dialog(path, parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (startCommand(dialog.command(), path) && path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        rememberPdfProgram(dialog.command());
}

int DocumentShell::print(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return shell::FileNotFound;
    const QString lp = QStandardPaths::findExecutable(QStringLiteral("lp"));
    if (lp.isEmpty())
        return shell::NoAssociation;
    // "--" keeps a file name beginning with "-" from being read as an option.
    return QProcess::startDetached(lp, {QStringLiteral("--"), info.absoluteFilePath()}) ? shell::Done
                                                                                       : shell::AccessDenied;
}

QList<DocumentShell::Application> DocumentShell::applicationsFor(const QString &mimeType)
{
    QList<Application> apps;
    QStringList seen;
    // Desktop files are read by hand: their lists are separated by ";", which an INI reader
    // would take for the start of a comment.
    for (const QString &dir : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
        const QDir d(dir);
        for (const QString &file : d.entryList({QStringLiteral("*.desktop")}, QDir::Files, QDir::Name)) {
            if (seen.contains(file))
                continue;
            seen << file; // the first folder's file hides the same name further on
            QFile f(d.filePath(file));
            if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
                continue;
            QHash<QString, QString> entry;
            bool inEntry = false;
            while (!f.atEnd()) {
                const QString line = QString::fromUtf8(f.readLine()).trimmed();
                if (line.startsWith(u'[')) {
                    inEntry = line == QStringLiteral("[Desktop Entry]");
                    continue;
                }
                const int eq = line.indexOf(u'=');
                if (!inEntry || eq <= 0 || line.startsWith(u'#'))
                    continue;
                entry.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
            }
            const QStringList mimes = entry.value(QStringLiteral("MimeType")).split(u';', Qt::SkipEmptyParts);
            const QString exec = entry.value(QStringLiteral("Exec"));
            if (!mimes.contains(mimeType) || exec.isEmpty()
                || entry.value(QStringLiteral("NoDisplay")) == QStringLiteral("true")
                || entry.value(QStringLiteral("Hidden")) == QStringLiteral("true"))
                continue;
            apps.append({entry.value(QStringLiteral("Name"), file), commandWords(exec).join(u' ')});
        }
    }
    return apps;
}

DocumentShell &documentShell()
{
    static DocumentShell standard;
    return g_shell ? *g_shell : standard;
}

void setDocumentShell(DocumentShell *shell)
{
    g_shell = shell;
}

void setShellErrorReporter(std::function<void(const QString &)> reporter)
{
    g_reporter = std::move(reporter);
}

int openDocument(const QString &path, const std::function<QString(int)> &errorText, QWidget *parent)
{
    const int result = documentShell().open(path);
    if (result > 32)
        return result;
    // The program the user chose before for PDF files opens them without asking again.
    const QString remembered = path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive) ? rememberedPdfProgram() : QString();
    if (result == shell::NoAssociation && !remembered.isEmpty() && startCommand(remembered, path))
        return shell::Done;
    if (result == shell::NoAssociation || result == shell::AccessDenied) {
        documentShell().chooseApplication(path, parent);
        return result;
    }
    const QString text = errorText(result);
    if (g_reporter)
        g_reporter(text);
    else
        ui::plainMessage(text, ui::MsgType::Error, ui::MsgButton::OK);
    return result;
}

int openMaterialSheet(const QString &dataRoot, const QString &pdfFile, QWidget *parent)
{
    const QString path = materialSheetPath(dataRoot, pdfFile);
    return openDocument(path, [&path](int code) { return materialSheetErrorText(path, code); }, parent);
}

int openDiagrams(const QString &dataRoot, const QString &pdfFile, QWidget *parent)
{
    return openDocument(diagramsPath(dataRoot, pdfFile), diagramsErrorText, parent);
}

int printMaterialSheet(const QString &dataRoot, const QString &pdfFile)
{
    return documentShell().print(materialSheetPath(dataRoot, pdfFile));
}

int printMaterialSheetOrOpen(const QString &dataRoot, const QString &pdfFile, QWidget *parent,
                             const std::function<bool(const QString &)> &ask)
{
    const int result = printMaterialSheet(dataRoot, pdfFile);
    if (result != shell::NoAssociation)
        return result;
    const QString question = ui::missingPrintCommandText();
    const bool open = ask ? ask(question)
                          : ui::message(question, ui::MsgType::Confirmation, ui::MsgButton::Yes | ui::MsgButton::No)
                                == ui::mrYes;
    if (open)
        openMaterialSheet(dataRoot, pdfFile, parent);
    return result;
}

} // namespace orv::browse
