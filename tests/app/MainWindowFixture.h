#pragma once
// A main window over a copy of the demo catalogue (without own data), closed before the data
// modules it shows go away.

#include "app/MainWindow.h"
#include "support/DemoDataModules.h"

#include <memory>

namespace orv::test {

class MainWindowOnDemoTest : public DemoDataModuleTest {
protected:
    MainWindowOnDemoTest() { withOwnData = false; }
    void TearDown() override
    {
        w.reset();
        DemoDataModuleTest::TearDown();
    }
    // The window at the size the card tests expect, shown.
    void showFrame()
    {
        w = std::make_unique<app::MainWindow>(data.get());
        w->resize(1200, 760);
        w->show();
    }
    std::unique_ptr<app::MainWindow> w;
};

} // namespace orv::test
