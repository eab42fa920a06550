// Turns the console's Ctrl+C and Ctrl+Break, and its closing, into a Qt signal on the event
// loop (see StopSignals.h). Windows calls the handler on a thread of its own.
#include "StopSignals.h"

#include <QMetaObject>
#include <QPointer>
#include <csignal>
#include <windows.h>

namespace {
// One instance at a time: the handler is process-wide.
QPointer<StopSignals> instance;

BOOL WINAPI onConsoleEvent(DWORD event)
{
    // Ctrl+C and Ctrl+Break are a person's keypress; the console closing, a logoff or a
    // shutdown are what a hang-up or SIGTERM are elsewhere.
    const int signalNumber = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? SIGINT : SIGTERM;
    QMetaObject::invokeMethod(
        instance.data(), [signalNumber] { emit instance->stopRequested(signalNumber); },
        Qt::QueuedConnection);
    return TRUE;
}
} // namespace

StopSignals::StopSignals(QObject *parent)
    : QObject(parent)
{
    instance = this;
    SetConsoleCtrlHandler(&onConsoleEvent, TRUE);
}

StopSignals::~StopSignals()
{
    SetConsoleCtrlHandler(&onConsoleEvent, FALSE);
    instance = nullptr;
}

void StopSignals::onSignal(int) {}
