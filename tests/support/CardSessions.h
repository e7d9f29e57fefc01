#pragma once
// The two sessions a material card or the open-card list reads through, named as the
// program names them, and the card environment over them; `DemoCardTest` is a test over a
// copy of the demo catalogue in a temporary folder with both.

#include "browse/MaterialCard.h"
#include "db/Connection.h"
#include "support/DemoCatalogue.h"

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace orv::test {

class CardSessions {
public:
    // Opens both sessions on catalogue.sqlite and user.sqlite of `dataFolder` (ends in '/').
    void openSessions(const QString &dataFolder)
    {
        const QString catFile = dataFolder + QStringLiteral("catalogue.sqlite");
        const QString userFile = dataFolder + QStringLiteral("user.sqlite");
        cat.open(catFile, userFile, db::Database::Catalogue);
        user.open(catFile, userFile, db::Database::User);
    }
    // A card environment over the sessions: data root `root`, settings in `settingsFile`;
    // the switches keep their defaults.
    browse::CardEnvironment cardEnvironment(const QString &root, const QString &settingsFile)
    {
        browse::CardEnvironment env;
        env.catalogue = &cat;
        env.user = &user;
        env.dataRoot = [root] { return root; };
        env.settingsFile = settingsFile;
        return env;
    }

    db::Connection cat{QStringLiteral("VTX (CD)")};
    db::Connection user{QStringLiteral("VTX")};
};

// `root` is a temporary folder with the demo catalogue copied into root/data; `env` reads it
// through the sessions and keeps its settings in root/Zeb.ini. The sessions close before the
// folder goes.
class DemoCardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        root = dir.path() + QStringLiteral("/");
        ASSERT_TRUE(copyDemoCatalogue(root + QStringLiteral("data")));
        sessions.openSessions(root + QStringLiteral("data/"));
        env = sessions.cardEnvironment(root, root + QStringLiteral("Zeb.ini"));
    }

    QTemporaryDir dir;
    QString root;
    CardSessions sessions;
    db::Connection &cat = sessions.cat;
    db::Connection &user = sessions.user;
    browse::CardEnvironment env;
};

} // namespace orv::test
