#include "Engineer.h"

#include "Workstation.h"

#include <QCoreApplication>
#include <QEvent>

#include <chrono>
#include <ctime>
#include <iostream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace orv::bench::teamload {

namespace {

using Clock = std::chrono::steady_clock;

double threadCpuMs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

double msBetween(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

// One line's error text: no line breaks, never empty.
std::string oneLine(QString text)
{
    text.replace(u'\n', u' ').replace(u'\r', u' ');
    text = text.simplified();
    return text.isEmpty() ? std::string("-") : text.toStdString();
}

struct Due {
    Clock::time_point at;
    Kind kind;
    int variant;
    bool measured;
};

void runSchedule(Workstation &ws, const Plan &plan, const EngineerOptions &o, Clock::time_point start,
                 double rate, double warmup, double measured, unsigned seed)
{
    std::mt19937_64 rng(seed);
    std::exponential_distribution<double> gap(rate);
    std::discrete_distribution<int> kindOf(std::begin(mixWeights), std::end(mixWeights));
    const auto seconds = [](double s) { return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s)); };
    const Clock::time_point end = start + seconds(warmup + measured);
    const Clock::time_point giveUp = end + seconds(giveUpSeconds);

    // The arrivals are drawn first, so that how long one operation takes does not move the
    // next one.
    std::vector<Due> due;
    for (double t = gap(rng); t < warmup + measured; t += gap(rng)) {
        const Kind kind = Kind(kindOf(rng));
        int variant = 0;
        switch (kind) {
        case Kind::QuickFind:
            variant = int(rng() % unsigned(plan.findTexts.size()));
            break;
        case Kind::CardOpen:
            variant = int(rng() % unsigned(plan.cards.size()));
            break;
        case Kind::CompositionSearch:
            variant = int(rng() % unsigned(compositionVariants()));
            break;
        case Kind::PropertySearch:
            variant = int(rng() % unsigned(propertyVariants()));
            break;
        case Kind::NoteSave:
            break;
        }
        due.push_back({start + seconds(t), kind, variant, t >= warmup});
    }

    int notes = 0;
    for (const Due &d : due) {
        // Windows closed meanwhile go now, as the event loop would take them.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        std::this_thread::sleep_until(d.at);
        const Clock::time_point begin = Clock::now();
        const double cpu0 = threadCpuMs();
        int found = -1;
        QString error;
        if (begin > giveUp) {
            error = QStringLiteral("not started within %1 s after the end").arg(giveUpSeconds);
        } else {
            try {
                switch (d.kind) {
                case Kind::QuickFind:
                    found = ws.quickFind(plan.findTexts.at(d.variant));
                    break;
                case Kind::CardOpen:
                    found = ws.openCard(plan.cards.at(d.variant));
                    break;
                case Kind::CompositionSearch:
                    found = ws.compositionSearch(d.variant);
                    break;
                case Kind::PropertySearch:
                    found = ws.propertySearch(d.variant);
                    break;
                case Kind::NoteSave:
                    found = ws.saveNote(plan.noteMaterials.at(o.index),
                                        QStringLiteral("Zátěžová zkouška: inženýr %1, uložení %2").arg(o.index).arg(++notes),
                                        o.newNotes);
                    break;
                }
            } catch (const std::exception &e) {
                error = QString::fromUtf8(e.what());
            }
        }
        const Clock::time_point finish = Clock::now();
        std::ostringstream line;
        line << "OP " << int(d.kind) << ' ' << d.variant << ' ' << found << ' ' << msBetween(start, d.at) << ' '
             << msBetween(d.at, finish) << ' ' << msBetween(begin, finish) << ' ' << threadCpuMs() - cpu0 << ' '
             << (d.measured ? 1 : 0) << ' ' << oneLine(error) << '\n';
        std::cout << line.str();
    }
    std::cout << "DONE" << std::endl;
}

} // namespace

int runEngineer(const EngineerOptions &o)
{
    const Plan plan = Plan::read(o.planFile);
    if (plan.findTexts.isEmpty() || plan.cards.isEmpty() || plan.noteMaterials.size() <= o.index) {
        std::cout << "FAILED the plan " << o.planFile.toStdString() << " is incomplete" << std::endl;
        return 2;
    }
    std::unique_ptr<Workstation> ws;
    try {
        ws = std::make_unique<Workstation>(o.conninfo, o.settingsFile);
        // The note card is opened before the runs, as an engineer has the card open before
        // writing a note.
        ws->saveNote(plan.noteMaterials.at(o.index), QStringLiteral("Zátěžová zkouška: inženýr %1").arg(o.index), false);
    } catch (const std::exception &e) {
        std::cout << "FAILED " << oneLine(QString::fromUtf8(e.what())) << std::endl;
        return 2;
    }
    std::cout << "READY" << std::endl;
    std::string command;
    while (std::getline(std::cin, command)) {
        std::istringstream in(command);
        std::string word;
        in >> word;
        if (word == "QUIT")
            break;
        if (word != "RUN")
            continue;
        long long startNs = 0;
        double rate = 0, warmup = 0, measured = 0;
        unsigned seed = 0;
        in >> startNs >> rate >> warmup >> measured >> seed;
        const Clock::time_point start{std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(startNs))};
        runSchedule(*ws, plan, o, start, rate, warmup, measured, seed + unsigned(o.index) * 7919u);
    }
    return 0;
}

} // namespace orv::bench::teamload
