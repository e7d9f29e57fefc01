#include "report/model/SestavaMessages.h"

#include "report/model/ReportContext.h"

#include <QDebug>

namespace orv {

QString sestErrorText(int code)
{
    switch (code) {
    case seOk: return QStringLiteral("Hotovo");
    case seNoPrinter: return QStringLiteral("V systému není nainstalovaná žádná tiskárna");
    case seCancelled: return QStringLiteral("Přerušeno uživatelem");
    case seTemplateNotLoaded: return QStringLiteral("Předloha nebyla načtena");
    case seTemplateNotSaved: return QStringLiteral("Předloha nebyla uložena");
    case seOutputNotWritten: return QStringLiteral("Výstupní soubor se nepodařilo uložit");
    case seBusy: return QStringLiteral("Probíhá jiný tisk nebo náhled");
    case seNotReady: return QStringLiteral("Data nejsou připravena nebo funkce není k dispozici");
    case seRunProblems: return QStringLiteral("Sestava narazila na chyby v předloze");
    default: return QStringLiteral("Chyba %1").arg(code);
    }
}

// The handlers of the context at work, else the session's (the window layer's).
void setSestMessageHandler(TSestMessageHandler h)
{
    sessionContext().Messages = std::move(h);
}

bool showSestMessage(TSestMessageKind kind, const QString &caption, const QString &text)
{
    const TSestMessageHandler &own = reportContext().Messages;
    const TSestMessageHandler &handler = own ? own : sessionContext().Messages;
    if (handler)
        return handler(kind, caption, text);
    qWarning().noquote() << caption + QStringLiteral(": ") + text;
    return false;
}

TSestProgress::~TSestProgress() = default;

void setSestProgressFactory(TSestProgressFactory factory)
{
    sessionContext().Progress = std::move(factory);
}

std::unique_ptr<TSestProgress> createSestProgress(const QString &caption)
{
    const TSestProgressFactory &own = reportContext().Progress;
    const TSestProgressFactory &factory = own ? own : sessionContext().Progress;
    return factory ? factory(caption) : nullptr;
}

} // namespace orv
