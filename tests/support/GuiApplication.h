#pragma once
// Tests that draw or measure text without windows need one QGuiApplication for the whole
// program (offscreen unless QT_QPA_PLATFORM says otherwise); window tests get a
// QApplication from QtApplication.cpp instead, and then this does nothing.

#include <QCoreApplication>
#include <QGuiApplication>

namespace orv::test {

inline void ensureGuiApplication()
{
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "orvalis-test";
    static char *argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
}

} // namespace orv::test
