// Turns SIGINT, SIGTERM and SIGHUP into a Qt signal on the event loop (see StopSignals.h).
#include "StopSignals.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
// The handler may only write to a pipe; the event loop reads the other end. One instance at a
// time, so the pipe is process-wide.
int pipeEnds[2] = {-1, -1};
constexpr int stopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// A terminal that has gone is a pipe or tty that fails to take our lines: a failed write is
// ignored, not a reason to die before the update has been reported.
void ignoreBrokenPipe(int) {}
} // namespace

StopSignals::StopSignals(QObject *parent)
    : QObject(parent)
{
    if (pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        unsigned char signalNumber = 0;
        while (read(pipeEnds[0], &signalNumber, 1) == 1)
            emit stopRequested(signalNumber);
    });
    // A handler, not a blocked signal: child processes (the flashing tool) start with the
    // default disposition again.
    struct sigaction action = {};
    action.sa_handler = &onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : stopSignals)
        sigaction(signalNumber, &action, nullptr);
    // A handler rather than SIG_IGN, which the flashing tool would inherit.
    action.sa_handler = &ignoreBrokenPipe;
    sigaction(SIGPIPE, &action, nullptr);
}

StopSignals::~StopSignals()
{
    for (const int signalNumber : stopSignals)
        std::signal(signalNumber, SIG_DFL);
    std::signal(SIGPIPE, SIG_DFL);
    delete notifier;
    for (int &end : pipeEnds) {
        if (end >= 0)
            close(end);
        end = -1;
    }
}

void StopSignals::onSignal(int signalNumber)
{
    const int savedErrno = errno; // the interrupted code may be about to read it
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = write(pipeEnds[1], &byte, 1);
    errno = savedErrno;
}
