// The console companion's command line: its options, its exit codes and its help text.
#pragma once

#include "OutcomeCodes.h"

#include <QCoreApplication>
#include <QString>

struct CommandLine
{
    Q_DECLARE_TR_FUNCTIONS(CommandLine)

public:
    QString package;      // empty: the help server's latest, downloaded first
    int waitSeconds = -1; // how long to wait for a sensor; negative: not at all (batch: for ever)
    int toolTimeoutSeconds = 0; // 0: the program's own (10 minutes)
    bool repeat = false;
    bool all = false;    // every sensor connected, side by side
    int toolsAtOnce = 0; // how many flashing tools may run at once with --all; 0: no limit
    bool verbose = false;
    bool json = false;    // one JSON object per event on standard output
    bool history = false; // print the history of updates instead
    static constexpr int defaultHistoryRuns = 100;
    int historyRuns = defaultHistoryRuns; // how many of the last runs it prints; negative: all

    // Parses the application's arguments. Answers --help and --version itself and exits; on a
    // usage error prints it and returns false.
    bool parse();
};
