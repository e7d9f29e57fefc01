#pragma once
// Character output: the character-cell page TZnakovePole that text items of a store page
// are placed into by rows and columns, and the text files and text-only printer jobs made
// from it.

#include "report/output/OutputStore.h"

#include <QByteArray>
#include <QRect>
#include <QString>

#include <array>
#include <map>
#include <vector>

class QIODevice;

namespace orv {

class TSestavaTyp;
struct TSestavaEntryPoints;

// One row of the grid: a layer string per pitch (0: 10, 1: 12, 2: 17 characters per
// inch) and style (bold 1 + italic 2 + underline 4), indexed pitch x 8 + style.
struct TZnakovyRadek {
    std::array<QString, 24> Layers;
};

class TZnakovePole {
public:
    std::vector<TZnakovyRadek> Rows;
    int UsedRows = 0;           // the highest row used, plus one
    int LinesPerInch = 6;
    QPoint Offset;              // added to every item's position, hundredths of an inch

    // Lines per inch of a store's line spacing: 1 gives 4, 2 gives 3, else 6.
    static int LinesPerInchOf(int lineSpacing);
    // Pitch of a font size in points: over 10 is 0 (10 cpi), 9 or 10 is 1 (12 cpi), less 2.
    static int PitchOf(int pointSize);
    static int CpiOf(int pitch);
    // The point size a font counts as: 11, 10 or 8 for "Roman 10cpi", "12cpi", "17cpi".
    static int FontSizeOf(const TElementFont &font);

    // Discards the rows and makes height x lines per inch / 100 empty ones.
    void Prepare(int pageHeight, int lineSpacing);
    // Empties every layer of every row, keeping the rows.
    void Clear();
    // Places one line of text; rect in hundredths of an inch (only its left, top and
    // width count). Columns below 0 and from 255 on are cut off.
    void Place(const QRect &rect, const QString &text, int alignment, int style, int size,
               int lineOffset);
    // The same into a given row (from 0).
    void PlaceRow(int row, const QRect &rect, const QString &text, int alignment, int style,
                  int size);
    // Places the text items of a store page (texts, and fields without a picture).
    void PlaceItems(const TStranaPrvku &page);
    // The row of every text item's top on the page (with Offset added): the first top by
    // its position, each further one after the lines of the items above it.
    std::map<int, int> RowsOfTops(const TStranaPrvku &page) const;
    // A row with its layers overlaid, earlier layers winning.
    QString OverlayRow(int row) const;
    // The page as bytes in the code page: rows 0..UsedRows-1 (every row unless last), each
    // ended by CR LF.
    QByteArray PageBytes(int exportLanguage, bool isLastPage) const;

    void AttachStream(QIODevice *stream) { m_stream = stream; }
    void DetachStream() { m_stream = nullptr; }
    // Writes PageBytes to the attached stream; false when there is none or it failed.
    bool WriteToStream(int exportLanguage, bool isLastPage);

private:
    QIODevice *m_stream = nullptr;
};

// A text of code page 1250 in the code page of character output (TSestLanguage):
// 0 and 4 leave it in 1250.
QByteArray ConvertCharacterText(const QString &text, int exportLanguage);

// The store's pages first..last (1-based, clipped to the store) as a text file, copies
// times, to the stream. true when nothing needed writing; false when the abort flag
// stopped it or the stream failed. The store's LineSpacing and ExportLanguage are used.
bool SaveText(TSestVystup &store, QIODevice &stream, int first, int last,
              const bool *abortFlag, int copies);

// The job a text-only printer gets for pages first..last: the used rows of each page,
// one form feed between pages.
QByteArray TextPrinterJob(TSestVystup &store, int first, int last, const bool *abortFlag,
                          bool *aborted = nullptr);

// Prints pages first..last on the text-only printer queue (a raw job per copy). The result
// is false when the abort flag stopped it or the printer refused the job; error gets a
// Czech message then.
bool PrintText(TSestVystup &store, const QString &queue, int first, int last,
               const bool *abortFlag, const QString &title, int copies,
               QString *error = nullptr);

// Fills the character-output entry points of the report components: CharacterOutput,
// IsCharacterPrinter and PrintText.
void InstallCharacterOutput(TSestavaEntryPoints &entries);

} // namespace orv
