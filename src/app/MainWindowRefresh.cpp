#include "app/MainWindow.h"

#include "browse/CardList.h"
#include "browse/ContentsPane.h"
#include "browse/MaterialCard.h"
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/MainDataModule.h"
#include "ui/MessageDialog.h"
#include "userdata/TfOptions.h"

#include <QDebug>
#include <QLabel>
#include <QPointer>
#include <QStatusBar>

// Working beside colleagues: "Obnovit" (F5) reads again what others may have changed, and the
// window says which server database it works on.

namespace orv::app {

namespace {

QString errorText(const std::exception &e)
{
    if (const auto *db = dynamic_cast<const db::DbError *>(&e))
        return db->text();
    return QString::fromUtf8(e.what());
}

} // namespace

void MainWindow::showDatabasePlace()
{
    m_databasePlace.clear();
    if (!m_data || m_data->userSession().engine() != db::Engine::Postgres)
        return;
    // The host as the options name it (a socket folder says nothing to a user); the rest as
    // the session has it, which is what really serves this window.
    const userdata::DatabaseChoice choice = userdata::readDatabaseChoice();
    QString database = choice.database, user = choice.user, port = QString::number(choice.port);
    try {
        const QStringList live = m_data->userSession()
                                     .scalar(QStringLiteral("select current_database() || '|' || session_user || '|' || "
                                                            "current_setting('port')"))
                                     .toString()
                                     .split(u'|');
        if (live.size() == 3) {
            database = live[0];
            user = live[1];
            port = live[2];
        }
    } catch (const db::DbError &e) {
        qWarning().noquote() << QStringLiteral("MainWindow: údaje o spojení se serverem nelze zjistit:") << e.text();
    }
    const QString host = choice.host.isEmpty() || choice.host.startsWith(u'/') ? QStringLiteral("localhost") : choice.host;
    m_databasePlace = QStringLiteral("server %1:%2, databáze %3, uživatel %4").arg(host, port, database, user);
    setWindowTitle(QStringLiteral("Orvalis 2.1 - ") + m_databasePlace);
    m_placeLabel = new QLabel(QStringLiteral("Databázový ") + m_databasePlace, statusBar());
    m_placeLabel->setObjectName(QStringLiteral("lblDatabasePlace"));
    statusBar()->addPermanentWidget(m_placeLabel);
}

bool MainWindow::refreshData()
{
    if (!m_data)
        return false;
    auto tell = [this](const QString &text) {
        if (refreshMessage)
            refreshMessage(text);
        else
            ui::message(text, ui::MsgType::Error, ui::MsgButton::OK);
    };
    try {
        if (m_pane)
            m_pane->reloadTree();
    } catch (const std::exception &e) {
        tell(QStringLiteral("Obsah se nepodařilo znovu načíst; zůstává, jak byl.\n\n") + errorText(e));
        return false;
    }
    if (!m_cardList)
        return true;
    bool ok = true;
    for (browse::MaterialCard *card : m_cardList->cards()) {
        QPointer<browse::MaterialCard> guard(card);
        try {
            if (card->reload())
                continue;
            const QString title = card->title();
            m_cardList->closeCard(card);
            tell(browse::MaterialCard::deletedMessage(title));
        } catch (const std::exception &e) {
            ok = false;
            tell(QStringLiteral("Kartu %1 se nepodařilo znovu načíst.\n\n%2")
                     .arg(guard ? guard->title() : QString(), errorText(e)));
        }
    }
    return ok;
}

} // namespace orv::app
