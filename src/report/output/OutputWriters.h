#pragma once
// One writer per output format, registered under the format's name, and the one way a
// report's output reaches a file. A new format is one TOutputWriter class and one line in
// the registration list of OutputWriters.cpp (or a RegisterOutputWriter call from a layer
// above).

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QIODevice;

namespace orv {

class TSestVystup;
class TSestavaTyp;

// What a writer is asked to write.
struct TWriteJob {
    int FirstPage = 1;          // whole-store formats (text): 1-based, inclusive
    int LastPage = 9999;
    int Copies = 1;             // text: the pages repeated this many times
    int Language = 0;           // text: TSestLanguage of the characters
    int LineSpacing = 0;        // text: the report's line height code
    int Page = 0;               // one-page formats (metafiles, HTML, PNG): 0-based
    bool Background = false;    // draw the background picture
    QString Directory;          // HTML: the folder the page's pictures go to
    QString PictureFile;        // HTML: the name pattern of the page's pictures
    int Dpi = 150;              // PNG
    QString Title;              // PDF: the document's title (the report's description)
    TSestavaTyp *Report = nullptr;   // XLSX: the report whose store is written (its bands
                                     // make the rows and columns)
    const bool *Abort = nullptr;
};

class TOutputWriter {
public:
    virtual ~TOutputWriter() = default;
    // Writes into the device; a TSestError code (seCancelled when Abort stopped it).
    virtual int Write(TSestVystup &store, const TWriteJob &job, QIODevice &device) = 0;
};

using TOutputWriterFactory = std::function<std::unique_ptr<TOutputWriter>()>;
// Formats: "pdf", "rtf", "html", "text", "emf", "wmf", "png", "xlsx". Registering a name again
// replaces its writer; an empty factory removes it.
void RegisterOutputWriter(const QString &format, TOutputWriterFactory factory);
std::unique_ptr<TOutputWriter> CreateOutputWriter(const QString &format);
TOutputWriterFactory OutputWriterFactory(const QString &format);
QStringList OutputFormats();

// The format's writer into a stream; seNotReady when the format has no writer, exceptions
// of the writer give seOutputNotWritten.
int WriteOutput(const QString &format, TSestVystup &store, const TWriteJob &job, QIODevice &device);

// The format's writer into a file, through the safe-write helper: the target is replaced
// only when every byte is on the disk, else it and its backup stay as they were. seOk;
// seNotReady (no writer), seCancelled (stopped by the user) or seOutputNotWritten, with the
// Czech message naming the file and the reason in *error.
int WriteOutputFile(const QString &format, TSestVystup &store, const TWriteJob &job,
                    const QString &fileName, QString *error = nullptr);

// The message of the last failed WriteOutputFile (or of a printed PDF file) in this
// process; the window layer shows it.
QString lastOutputError();
void setLastOutputError(const QString &text);

} // namespace orv
