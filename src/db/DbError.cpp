#include "db/DbError.h"

#include "db/Schema.h"

#include <QFileInfo>

#include <sqlite3.h>

namespace orv::db {

namespace {

QString compose(const QString &message, const QString &fileName)
{
    if (fileName.isEmpty())
        return message;
    return message + QStringLiteral(" (") + fileName + QStringLiteral(")");
}

enum class Problem { Other, Damaged, Structure, CannotOpen, NoRights, ReadOnly, DiskFull, InputOutput, Locked };

Problem classify(int code, const QString &message)
{
    switch (code & 0xff) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return Problem::Damaged;
    case SQLITE_CANTOPEN:
        return Problem::CannotOpen;
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return Problem::NoRights;
    case SQLITE_READONLY:
        return Problem::ReadOnly;
    case SQLITE_FULL:
        return Problem::DiskFull;
    case SQLITE_IOERR:
        return Problem::InputOutput;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return Problem::Locked;
    case SQLITE_ERROR:
        if (message.startsWith(QLatin1String("no such table")) || message.startsWith(QLatin1String("no such column"))
            || message.contains(QLatin1String("has no column named")))
            return Problem::Structure;
        if (message.startsWith(QLatin1String("access mode not allowed")))
            return Problem::ReadOnly;
        return Problem::Other;
    default:
        return Problem::Other;
    }
}

// Which of the program's files it is, in the first and the second case.
struct FileWords {
    QString nominative;
    QString genitive;
    bool catalogue = false;
};

FileWords wordsFor(const QString &fileName)
{
    const QString name = QFileInfo(fileName).fileName();
    if (name.compare(catalogueFileName(), Qt::CaseInsensitive) == 0)
        return {QStringLiteral("soubor databáze katalogu"), QStringLiteral("souboru databáze katalogu"), true};
    if (name.compare(userFileName(), Qt::CaseInsensitive) == 0)
        return {QStringLiteral("soubor databáze uživatelských dat"), QStringLiteral("souboru databáze uživatelských dat"), false};
    return {QStringLiteral("soubor databáze"), QStringLiteral("souboru databáze"), false};
}

QString capitalised(QString s)
{
    if (!s.isEmpty())
        s[0] = s[0].toUpper();
    return s;
}

// The text a user is shown: what is wrong with which file and what to do, then the engine's
// own words as a detail. Errors that are no fault of a file (rejected SQL) keep the engine's
// text with the file name.
QString describe(const QString &message, const QString &fileName, int code)
{
    if (code == 0 || fileName.isEmpty())
        return compose(message, fileName);
    const Problem problem = classify(code, message);
    if (problem == Problem::Other)
        return compose(message, fileName);
    const FileWords w = wordsFor(fileName);
    const QString restore = w.catalogue ? QStringLiteral("Obnovte soubor ze zálohy nebo přeinstalujte katalog.")
                                        : QStringLiteral("Obnovte soubor ze zálohy.");
    QString what, todo;
    switch (problem) {
    case Problem::Damaged:
        what = capitalised(w.nominative) + QStringLiteral(" je poškozen nebo to není databáze programu Orvalis");
        todo = restore;
        break;
    case Problem::Structure:
        what = capitalised(w.nominative)
               + QStringLiteral(" nemá tabulky nebo sloupce, které program potřebuje (je poškozen nebo pochází z jiné verze)");
        todo = restore;
        break;
    case Problem::CannotOpen:
        what = capitalised(w.nominative) + QStringLiteral(" nelze otevřít");
        todo = QStringLiteral("Zkontrolujte, že soubor existuje a že jej smíte číst.");
        break;
    case Problem::NoRights:
        what = capitalised(w.nominative) + QStringLiteral(" nelze použít: chybí přístupová práva");
        todo = QStringLiteral("Zkontrolujte práva k souboru a ke složce, v níž leží.");
        break;
    case Problem::ReadOnly:
        what = QStringLiteral("Do ") + w.genitive + QStringLiteral(" nelze zapisovat: soubor, jeho složka nebo médium jsou jen pro čtení");
        todo = QStringLiteral("Zkontrolujte práva k souboru a ke složce, v níž leží.");
        break;
    case Problem::DiskFull:
        what = QStringLiteral("Pro zápis do ") + w.genitive + QStringLiteral(" není na disku dost místa");
        todo = QStringLiteral("Uvolněte místo na disku a akci opakujte.");
        break;
    case Problem::InputOutput:
        what = QStringLiteral("Při čtení nebo zápisu ") + w.genitive + QStringLiteral(" nastala chyba");
        todo = QStringLiteral("Zkontrolujte disk nebo médium a akci opakujte.");
        break;
    case Problem::Locked:
        what = capitalised(w.nominative) + QStringLiteral(" právě používá jiný program");
        todo = QStringLiteral("Počkejte, až jej uvolní, a akci opakujte.");
        break;
    case Problem::Other:
        break;
    }
    return QStringLiteral("%1:\n%2\n\n%3\n\nPodrobnosti: %4").arg(what, fileName, todo, message);
}

QString describeServer(DbErrorKind kind, const QString &serverText, const QString &sqlState)
{
    QString what, todo;
    switch (kind) {
    case DbErrorKind::ServerUnreachable:
        if (sqlState == QLatin1String("53300")) {
            what = QStringLiteral("Databázový server právě nepřijímá další spojení: je jich otevřeno tolik, "
                                  "kolik jeho nastavení dovoluje.");
            todo = QStringLiteral("Akci opakujte později. Trvá-li to, požádejte správce databáze, aby počet spojení "
                                  "zvýšil (max_connections; každý spuštěný program jich potřebuje dvě).");
            break;
        }
        what = QStringLiteral("Databázový server není dostupný.");
        todo = QStringLiteral("Zkontrolujte adresu serveru, síť a to, že server běží.");
        break;
    case DbErrorKind::LoginRefused:
        what = QStringLiteral("Databázový server odmítl přihlášení.");
        todo = QStringLiteral("Zkontrolujte jméno uživatele, heslo a právo k databázi.");
        break;
    case DbErrorKind::ConnectionLost:
        what = QStringLiteral("Spojení s databázovým serverem bylo přerušeno; poslední změna nebyla uložena.");
        todo = QStringLiteral("Zkontrolujte síť a server a akci opakujte.");
        break;
    case DbErrorKind::Constraint:
        what = QStringLiteral("Záznam nelze uložit: porušuje pravidlo databáze (povinná nebo jedinečná hodnota, "
                              "vazba na jiný záznam).");
        todo = QStringLiteral("Opravte hodnoty a záznam uložte znovu.");
        break;
    case DbErrorKind::Serialization:
        what = QStringLiteral("Stejná data mezitím změnil jiný uživatel; změna nebyla uložena.");
        todo = QStringLiteral("Akci opakujte.");
        break;
    case DbErrorKind::PermissionDenied:
        what = QStringLiteral("Na tuto akci nemáte na databázovém serveru právo; nic nebylo změněno.");
        todo = QStringLiteral("Katalog mění jen správce nástrojem katalogu a nastavení každého uživatele jsou jen jeho. "
                              "Potřebujete-li právo, požádejte správce databáze (uživatele programu přidává "
                              "příkazem orv_catalogue pg-add-user).");
        break;
    case DbErrorKind::Other:
        if (sqlState == QLatin1String("42P01") || sqlState == QLatin1String("42703")) {
            what = QStringLiteral("Databáze na serveru nemá tabulky nebo sloupce, které program potřebuje "
                                  "(není připravena nebo pochází z jiné verze).");
            todo = QStringLiteral("Požádejte správce, aby databázi připravil nástrojem katalogu (pg-init, pg-import).");
            break;
        }
        // A lock or statement time limit of the server (an administrator may set one for the
        // team): another session holds the rows, typically one whose window is still open.
        if (sqlState == QLatin1String("55P03") || sqlState == QLatin1String("57014")) {
            what = QStringLiteral("Data právě upravuje jiný uživatel a neuvolnil je včas; změna nebyla uložena.");
            todo = QStringLiteral("Akci opakujte, až jiný uživatel úpravy dokončí.");
            break;
        }
        return serverText;
    }
    return QStringLiteral("%1\n\n%2\n\nPodrobnosti: %3").arg(what, todo, serverText);
}

} // namespace

Q_LOGGING_CATEGORY(lcDb, "orvalis.db")

void logCaught(const QString &where)
{
    QString text = QStringLiteral("výjimka neznámého typu");
    try {
        throw;
    } catch (const std::exception &e) {
        text = QString::fromUtf8(e.what());
    } catch (...) {
        // Not a std::exception: there is no text, the place is logged alone.
    }
    qCWarning(lcDb).noquote() << where + QStringLiteral(": zachycena výjimka: ") + text;
}

DbError::DbError(const QString &message, const QString &fileName, int code)
    : std::runtime_error(describe(message, fileName, code).toStdString()),
      m_message(message), m_fileName(fileName), m_code(code),
      m_kind((code & 0xff) == SQLITE_CONSTRAINT ? DbErrorKind::Constraint : DbErrorKind::Other)
{
}

DbError::DbError(DbErrorKind kind, const QString &serverText, const QString &sqlState)
    : std::runtime_error(describeServer(kind, serverText, sqlState).toStdString()),
      m_message(serverText), m_kind(kind), m_sqlState(sqlState)
{
}

QString DbError::text() const
{
    return QString::fromStdString(what());
}

} // namespace orv::db
