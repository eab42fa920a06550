// The flashing tool runs under a supervisor: this same program, started again in a mode of its
// own, which outlives the program that started it. So the tool's time-out holds, and how the
// tool ended is told, whatever happens to that program: killed, its window closed, its
// terminal gone.
#pragma once

#include <QString>
#include <QStringList>

namespace ToolSupervisor {
// Every main() of a program that may start a flashing tool begins with this: when the command
// line asks for the supervisor, it runs it to its end and returns true with its exit code.
bool runIfAsked(int argc, char *argv[], int *exitCode);

// Where the supervisor writes: how the tool ended (status), and the tool's standard output and
// error. Each is a handle that the supervisor inherits (UnnamedFile::childHandle()), never a
// path, so that nobody can put something else in its place; "-" for none: then nothing is told,
// and the tool writes where the supervisor does, as when it is run by hand.
struct Files
{
    QString status = QStringLiteral("-");
    QString output = QStringLiteral("-");
    QString errors = QStringLiteral("-");
};

// The arguments that run tool under a supervisor. The tool is stopped after timeoutMs (asked
// first, forced after graceMs), or as soon as a line "stop" arrives on the supervisor's
// standard input; the end of that input (its program gone) changes nothing. How the tool ended
// is written to files.status, and the supervisor ends as the tool did.
QStringList arguments(int timeoutMs, int graceMs, const Files &files, const QString &tool,
                      const QStringList &toolArguments);

struct Ending
{
    bool known = false;   // the supervisor said how
    bool started = true;  // false: the tool could not be started
    bool crashed = false; // ended by a signal, whose number is code
    int code = 0;         // the exit code, as the platform reports it
    bool stopped = false; // stopped before it had ended by itself
};
// How the tool ended, as the supervisor wrote it to its status file.
Ending endingFrom(const QByteArray &status);
} // namespace ToolSupervisor
