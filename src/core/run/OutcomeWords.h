// What each way an update can end, and each of its steps, is called: the window's dialogs and
// the console program's lines both read these words, which are written here once.
#pragma once

#include "RunOutcome.h"

#include <QCoreApplication>
#include <QString>

class OutcomeWords
{
    Q_DECLARE_TR_FUNCTIONS(OutcomeWords)

public:
    // A dialog's title and text; detail is the run report's.
    static QString title(Run::Outcome outcome);
    static QString text(Run::Outcome outcome, const QString &detail = QString());
    // One line for a terminal: the title, with what a terminal needs besides (the package that
    // could not be used, the tool's time-out in seconds, who holds the lock).
    static QString line(Run::Outcome outcome, const QString &package, int toolTimeoutSeconds,
                        const QString &detail = QString());
    // A run whose lock kept out this user's programs only; reason: why the computer's could not
    // be made ("<path>: <reason>").
    static QString lockOfThisUserOnly(const QString &reason);
    // Where a stopped update leaves the sensor.
    static QString waitsInBootloader();
    // A run whose supervisor died, and a tool that a signal ended.
    static QString supervisorLost();
    static QString toolCrashed(int signalNumber);

    // A step in words, with how far it has got where that is known ("Writing the firmware
    // (45 %)"); empty for no step.
    static QString stepLine(int step, int percent);
    // The step's name in the history and in JSON: "package", "restart", "bootloader", "writing",
    // "queue".
    static QString stepKey(int step);
    // What a failed open of the sensor means, and what to do about it.
    static QString usbErrorMeaning(int libusbError);
};
