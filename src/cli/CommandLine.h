// The console companion's command line: its options, its exit codes and its help text.
#pragma once

#include <QString>

namespace ExitCode {
constexpr int updateDone = 0;
constexpr int errorOnUpdate = 1;
constexpr int noSensor = 2;
constexpr int accessDenied = 3;
constexpr int noUsablePackage = 4;
constexpr int interrupted = 130; // stopped before an update began
constexpr int usage = 64;
} // namespace ExitCode

struct CommandLine
{
    QString package;      // empty: the help server's latest, downloaded first
    int waitSeconds = -1; // how long to wait for a sensor; negative: not at all (batch: for ever)
    bool repeat = false;
    bool verbose = false;

    // Parses the application's arguments. Answers --help and --version itself and exits; on a
    // usage error prints it and returns false.
    bool parse();
};
