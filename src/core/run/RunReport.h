// What one update run tells once it has ended, kept by whoever shows it after the run has gone:
// its outcome, what the flashing tool said, and the sensor it was for.
#pragma once

#include "RunOutcome.h"
#include "UsbLink.h"

#include <QString>

struct RunReport
{
    Run::Outcome outcome = Run::Done;
    // How the flashing tool ended, where it ran to an end: its exit code, or the signal that
    // ended it (Linux).
    bool toolEnded = false;
    int toolExitCode = 0;
    int toolSignal = 0;
    // What the window's updateDone carries: the tool's code as the platform reports it, or the
    // program's own for a run that ended without one.
    int updateDoneCode = 0;
    // What the outcome's words add: who holds the lock, or why it cannot be used.
    QString detail;
    // What a person must know besides, whatever the outcome: the lock kept out only this user's
    // programs.
    QString caveat;
    // For a failure's details: what the run's notes, the tool's last output and its log lines say.
    QString details;
    // The last lines the tool wrote, for a terminal.
    QString toolTail;
    // The sensor as it was on USB when the run began, and the port its bootloader was flashed on.
    UsbDeviceId sensor;
    QString port;
};
