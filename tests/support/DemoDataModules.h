#pragma once
// `DemoDataModuleTest` is a test over a copy of the demo catalogue in a program folder of the
// test's own, opened by the main data module and (unless `withOwnData` is cleared) the
// own-data module over it. The modules close before the folder goes; a test's windows over
// them must close first (in its own TearDown before this one's, or as members of the
// derived fixture).

#include "db/MainDataModule.h"
#include "db/OwnDataModule.h"
#include "support/ProgramFolder.h"

#include <QString>

#include <gtest/gtest.h>

#include <memory>

namespace orv::test {

class DemoDataModuleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(folder.addDemoCatalogue());
        data = std::make_unique<db::MainDataModule>(root, root);
        if (withOwnData)
            own = std::make_unique<db::OwnDataModule>(*data);
    }
    void TearDown() override
    {
        own.reset();
        data.reset();
    }

    bool withOwnData = true; // a fixture that wants the main module alone clears it before SetUp
    ProgramFolder folder;
    const QString &root = folder.root; // with a trailing '/'
    std::unique_ptr<db::MainDataModule> data;
    std::unique_ptr<db::OwnDataModule> own;
};

} // namespace orv::test
