#pragma once
// The main function of a benchmark program that needs a widget application: offscreen unless
// the caller chose a platform, `prepare` once the application exists, the benchmarks given on
// the command line, then `finish` while the application still exists.

#include <QApplication>

#include <benchmark/benchmark.h>

#include <functional>

namespace orv::bench {

inline int runWidgetBenchmarks(int argc, char **argv, const std::function<void()> &prepare = {},
                               const std::function<void()> &finish = {})
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (prepare)
        prepare();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (finish)
        finish();
    return 0;
}

} // namespace orv::bench
