// The flashing tool's supervisor: its command line and what it tells (see ToolSupervisor.h).
// The supervisor itself is ToolSupervisor_unix.cpp and ToolSupervisor_win.cpp.
#include "ToolSupervisor.h"

#include <cstring>

namespace ToolSupervisor {
// Not an option anyone would type: the programs' own options are parsed after this check.
const char modeArgument[] = "--ovk-supervise-flashing-tool";
int run(int argc, char *argv[]);

bool runIfAsked(int argc, char *argv[], int *exitCode)
{
    if (argc < 2 || std::strcmp(argv[1], modeArgument) != 0)
        return false;
    *exitCode = run(argc, argv);
    return true;
}

QStringList arguments(int timeoutMs, int graceMs, const Files &files, const QString &tool,
                      const QStringList &toolArguments)
{
    return QStringList{QString::fromLatin1(modeArgument),
                       QString::number(timeoutMs),
                       QString::number(graceMs),
                       files.status,
                       files.output,
                       files.errors,
                       tool} +
           toolArguments;
}

Ending endingFrom(const QByteArray &status)
{
    Ending ending;
    for (const QByteArray &line : status.split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        const QByteArray &word = words.first();
        if (word == "exit" || word == "signal" || word == "not-started") {
            ending.known = true;
            ending.started = word != "not-started";
            ending.crashed = word == "signal";
            ending.code = words.value(1).toInt();
        } else if (word == "stopped") {
            ending.stopped = true;
        }
    }
    return ending;
}
} // namespace ToolSupervisor
