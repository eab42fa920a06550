// What each way an update can end is called: the window's dialogs and the console program's
// lines both read these words, which are written here once.
#pragma once

#include "Updater.h"

#include <QCoreApplication>
#include <QString>

class OutcomeWords
{
    Q_DECLARE_TR_FUNCTIONS(OutcomeWords)

public:
    // A dialog's title and text; detail is the Updater's outcomeDetail().
    static QString title(Updater::Outcome outcome);
    static QString text(Updater::Outcome outcome, const QString &detail = QString());
    // One line for a terminal: the title, with what a terminal needs besides (the package that
    // could not be used, the tool's time-out in seconds, who holds the lock).
    static QString line(Updater::Outcome outcome, const QString &package, int toolTimeoutSeconds,
                        const QString &detail = QString());
    // Where a stopped update leaves the sensor.
    static QString waitsInBootloader();
};
