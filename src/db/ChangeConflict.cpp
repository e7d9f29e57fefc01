#include "db/ChangeConflict.h"

#include "db/ServerAudit.h"

namespace orv::db {

QString ChangeConflict::whoWhen(const ChangeStamp &stamp)
{
    if (stamp.isEmpty())
        return QString();
    QStringList parts;
    if (!stamp.who.isEmpty())
        parts << stamp.who;
    if (stamp.when.isValid())
        parts << stampTimeText(stamp.when);
    return QStringLiteral(" (") + parts.join(QStringLiteral(", ")) + QLatin1Char(')');
}

QString ChangeConflict::changedText(const ChangeStamp &stamp)
{
    return QStringLiteral("Záznam mezitím změnil jiný uživatel%1. Vaše změna nebyla uložena a zůstává v okně; "
                          "zobrazené údaje byly znovu načteny.\n\nUložíte-li znovu, vaše změna přepíše změnu "
                          "druhého uživatele. Chcete-li ji zachovat, změnu zrušte a prohlédněte si nový stav.")
        .arg(whoWhen(stamp));
}

QString ChangeConflict::deletedText()
{
    return QStringLiteral("Záznam mezitím smazal jiný uživatel. Vaše změna nebyla uložena a zůstává v okně, "
                          "abyste si ji mohli zkopírovat.");
}

ChangeConflict::ChangeConflict(const QString &table, bool deleted, const ChangeStamp &stamp)
    : DbError(deleted ? deletedText() : changedText(stamp)), m_table(table), m_deleted(deleted), m_stamp(stamp),
      m_text((deleted ? deletedText() : changedText(stamp)).toStdString())
{
}

QString CommitOutcomeUnknown::userText()
{
    return QStringLiteral("Spojení s databázovým serverem se přerušilo právě při potvrzování změny, takže nelze "
                          "zjistit, zda byla uložena. Změna se proto neopakuje; data byla znovu načtena ze serveru.\n\n"
                          "Zkontrolujte, zda zobrazené údaje obsahují vaši změnu, a případně ji proveďte znovu.");
}

CommitOutcomeUnknown::CommitOutcomeUnknown(const QString &serverText)
    : DbError(DbErrorKind::ConnectionLost, serverText, QStringLiteral("08007")),
      m_text((userText() + QStringLiteral("\n\nPodrobnosti: ") + serverText).toStdString())
{
}

} // namespace orv::db
