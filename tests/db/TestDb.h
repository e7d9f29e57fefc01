#pragma once
// A catalogue file and a user file in a temporary folder, with a connection of each kind.

#include "support/EmptyCatalogue.h"

#include <QDir>

#include <gtest/gtest.h>

namespace orv::db::test {

class TempDb : public orv::test::EmptyCatalogue {
public:
    TempDb() { user.open(catalogueFile, userFile, Database::User); }
    Connection user{QStringLiteral("VTX")};
};

} // namespace orv::db::test
