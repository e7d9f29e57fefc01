// Widget tests need one QApplication for the whole run; gtest_main does not make one.
// Test folders that test windows list this file through orvalis_test(... WIDGETS).
#include <QApplication>

#include <gtest/gtest.h>

namespace {

class QtEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "orvalis-test";
        static char *argv[] = {name, nullptr};
        if (!QApplication::instance())
            m_app = new QApplication(argc, argv);
        QApplication::setApplicationDisplayName(QStringLiteral("Orvalis 2.1"));
    }
    void TearDown() override
    {
        delete m_app;
        m_app = nullptr;
    }

private:
    QApplication *m_app = nullptr;
};

[[maybe_unused]] ::testing::Environment *const g_env = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace
