#pragma once
// A simulated engineer: a process of its own (a card is a window, and windows live in a
// program's main thread, so one program with many engineers would open their cards one after
// another; each real engineer runs a program of their own). It sets up its workstation, says
// "READY" on standard output, then for every "RUN" line on standard input does the operations
// of one run and writes one "OP" line per operation and "DONE"; "QUIT" ends it.
//
//   RUN <start ns> <operations per second> <warm-up s> <measured s> <seed>
//   OP <kind> <variant> <found> <arrival ms> <latency ms> <service ms> <cpu ms> <measured> <error>
//
// Times are of the monotonic clock, which all processes of the machine share. The arrival is
// when the operation was due (Poisson arrivals at the engineer's share of the total rate);
// the latency runs from the arrival to the end (waiting for the engineer's previous operation
// counts), the service from the start to the end.

#include <QString>

namespace orv::bench::teamload {

struct EngineerOptions {
    int index = 0;
    QString conninfo;
    QString planFile;
    QString settingsFile;
    bool newNotes = false;
};

// Weights of the five kinds in the mix, in the order of Kind.
constexpr int mixWeights[] = {35, 35, 10, 10, 10};

// Operations still waiting this long after the end of the measured time are given up and
// counted as errors.
constexpr double giveUpSeconds = 30.0;

int runEngineer(const EngineerOptions &options);

} // namespace orv::bench::teamload
