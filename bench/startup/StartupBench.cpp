// Time from starting the program to its main window being up, on the catalogue of the
// build's program folder. Each iteration starts a fresh process (offscreen platform), which
// prints the wall-clock moment its frame was exposed and painted, and quits.

#include <benchmark/benchmark.h>

#include "app/MainWindow.h"
#include "app/SplashWindow.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <functional>
#include "support/BenchMain.h"

namespace {

// Starts `program` until its frame is up, `state.iterations()` times; before each start
// `prepare` runs untimed. The figure is the wall time from the start to the painted frame.
void startToFrame(benchmark::State &state, const QString &program, const std::function<void()> &prepare = {})
{
    QTemporaryDir scratch; // registries of its own: catalogue on disk, nothing of a previous version
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("ORVALIS_MACHINE_REGISTRY"), scratch.path() + QStringLiteral("/machine.ini"));
    env.insert(QStringLiteral("ORVALIS_USER_REGISTRY"), scratch.path() + QStringLiteral("/user.ini"));
    env.insert(QStringLiteral("ORVALIS_PREVIOUS_VERSION_DIR"), scratch.path() + QStringLiteral("/old"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), scratch.path());

    double total = 0;
    for (auto _ : state) {
        if (prepare)
            prepare();
        QProcess p;
        p.setProcessEnvironment(env);
        const qint64 started = QDateTime::currentMSecsSinceEpoch();
        p.start(program, {QStringLiteral("--quit-after-frame")});
        if (!p.waitForFinished(60000) || p.exitCode() != 0) {
            state.SkipWithError("the program did not start cleanly");
            return;
        }
        const QByteArray out = p.readAllStandardOutput();
        const qsizetype at = out.indexOf("frame-at-ms ");
        if (at < 0) {
            state.SkipWithError("the program printed no frame time");
            return;
        }
        const qint64 frame = out.mid(at + 12).trimmed().split('\n').first().toLongLong();
        const double seconds = double(frame - started) / 1000.0;
        total += seconds;
        state.SetIterationTime(seconds);
    }
    state.counters["frame_ms"] = benchmark::Counter(total * 1000.0 / double(state.iterations()));
}

void BM_StartToFrame(benchmark::State &state)
{
    const QString program = QStringLiteral(ORVALIS_PROGRAM);
    const QString data = QFileInfo(program).absolutePath() + QStringLiteral("/data/");
    if (!QFileInfo(program).isExecutable() || !QFileInfo::exists(data + QStringLiteral("catalogue.sqlite"))) {
        state.SkipWithError("program or demo catalogue not built");
        return;
    }
    startToFrame(state, program);
}

// The program in a folder of its own with the large generated catalogue (20,000 materials).
// With `firstStart` every start finds a user file without working copies (an installation
// of an earlier version, or one whose catalogue was just replaced): the start includes
// filling them from the catalogue. Otherwise they are current.
void startLarge(benchmark::State &state, bool firstStart)
{
    const QString program = QStringLiteral(ORVALIS_PROGRAM);
    const QString large = QStringLiteral(ORVALIS_BINARY_DIR "/large-catalogue/");
    if (!QFileInfo(program).isExecutable() || !QFileInfo::exists(large + QStringLiteral("catalogue.sqlite"))) {
        state.SkipWithError("program or large catalogue not built (ninja large_catalogue)");
        return;
    }
    QTemporaryDir dir;
    const QString prog = dir.path() + QStringLiteral("/prog/");
    QDir().mkpath(prog + QStringLiteral("data"));
    QFile::copy(program, prog + QStringLiteral("orvalis"));
    QFile::setPermissions(prog + QStringLiteral("orvalis"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::copy(large + QStringLiteral("catalogue.sqlite"), prog + QStringLiteral("data/catalogue.sqlite"));
    const QString pristine = dir.path() + QStringLiteral("/user.sqlite");
    QFile::copy(large + QStringLiteral("user.sqlite"), pristine);
    QFile::setPermissions(pristine, QFile::ReadOwner | QFile::WriteOwner);
    const QString user = prog + QStringLiteral("data/user.sqlite");
    QFile::copy(pristine, user);
    auto fresh = [&] {
        QFile::remove(user);
        QFile::copy(pristine, user);
    };
    if (!firstStart) {
        startToFrame(state, prog + QStringLiteral("orvalis"), {});
        return;
    }
    startToFrame(state, prog + QStringLiteral("orvalis"), fresh);
}

void BM_StartLargeFirstStart(benchmark::State &state)
{
    startLarge(state, true);
}

void BM_StartLarge(benchmark::State &state)
{
    startLarge(state, false);
}

// The parts of the start that are ours alone: drawing the splash picture and building the
// frame with its search window.
void BM_SplashPicture(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(orv::app::SplashWindow::picture());
}

void BM_MainWindow(benchmark::State &state)
{
    for (auto _ : state) {
        orv::app::MainWindow w;
        w.createSearchWindow();
        w.show();
        QApplication::processEvents();
    }
}

BENCHMARK(BM_SplashPicture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MainWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartToFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_StartLarge)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_StartLargeFirstStart)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    return orv::bench::runWidgetBenchmarks(argc, argv);
}
