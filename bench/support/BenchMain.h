#pragma once
// The main function of every benchmark program: offscreen unless the caller chose a
// platform, `prepare` once the application exists, the benchmarks given on the command line,
// then `finish` while the application still exists. A program that draws or writes pages
// needs a QGuiApplication (runGuiBenchmarks); one with windows a QApplication
// (runWidgetBenchmarks).

#include <QApplication>
#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <functional>

namespace orv::bench {

template <class Application>
int runBenchmarks(int argc, char **argv, const std::function<void()> &prepare = {},
                  const std::function<void()> &finish = {})
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    if (prepare)
        prepare();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (finish)
        finish();
    return 0;
}

inline int runGuiBenchmarks(int argc, char **argv)
{
    return runBenchmarks<QGuiApplication>(argc, argv);
}

inline int runWidgetBenchmarks(int argc, char **argv, const std::function<void()> &prepare = {},
                               const std::function<void()> &finish = {})
{
    return runBenchmarks<QApplication>(argc, argv, prepare, finish);
}

} // namespace orv::bench
