#pragma once
// The texts of the report components' results and messages, and the two ways the report
// generator reaches the user without depending on any window code: a message handler (the
// modal message boxes "Chyba", "Varování", "Potvrzení", "Informace") and a progress window
// with its cancel button. The window layers install the session's; a report's context may
// carry its own (ReportContext.h). Without any, messages go to the log, questions are
// answered No and there is no progress window.

#include "report/model/SestError.h"

#include <QString>

#include <functional>
#include <memory>

namespace orv {

// A short Czech text for a result code (for logs and the command-line runner).
QString sestErrorText(int code);

enum class TSestMessageKind { Error, Warning, Confirm, Information };

namespace SestavaMessages {
inline const char *const CaptionError = "Chyba";
inline const char *const CaptionWarning = "Varování";
inline const char *const CaptionConfirm = "Potvrzení";
inline const char *const CaptionInformation = "Informace";
inline const char *const NoPrinter = "V systému není nainstalovaná žádná tiskárna.";
inline const char *const NoDataSource = "Není definován zdroj dat.";
inline const char *const NoDataSet = "Ke zdroji dat není připojena žádná tabulka.";
inline const char *const AskOpen = "Připojená tabulka není aktivní. Zkusit otevřít?";
inline const char *const CannotOpen = "Připojenou tabulku se nepodařilo otevřít.";
inline const char *const NoResources = "Nedostatek systémových prostředků";
inline const char *const Preparing = "Připravuji tisk položky číslo: ";
inline const char *const Cancel = "Přerušit";
} // namespace SestavaMessages

// Shows a message; for TSestMessageKind::Confirm the result is true for Yes.
using TSestMessageHandler =
    std::function<bool(TSestMessageKind kind, const QString &caption, const QString &text)>;
void setSestMessageHandler(TSestMessageHandler handler);
bool showSestMessage(TSestMessageKind kind, const QString &caption, const QString &text);

// The progress window "Informace" with its button "Přerušit".
class TSestProgress {
public:
    virtual ~TSestProgress();
    virtual void setText(const QString &text) = 0;
    // Processes pending window messages so that the window repaints and its button works.
    virtual void processEvents() = 0;
    virtual bool cancelled() const = 0;
    // The flag the window's cancel button sets, for jobs that watch a flag; null: none.
    virtual const bool *abortFlag() const { return nullptr; }
};
using TSestProgressFactory = std::function<std::unique_ptr<TSestProgress>(const QString &caption)>;
void setSestProgressFactory(TSestProgressFactory factory);
// A progress window, or null when no window layer installed one.
std::unique_ptr<TSestProgress> createSestProgress(const QString &caption);

} // namespace orv
