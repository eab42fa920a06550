// The tests' way into an Updater's private settings (timing, help server, lock folders) and
// its run; the program has no such way.
#pragma once

#include "UpdateRun.h"
#include "Updater.h"

struct UpdaterTestAccess
{
    static UpdateTiming &timing(Updater &updater) { return updater.timing; }
    static const QString &portName(const Updater &updater) { return updater.portName; }
    static void setHelpHost(Updater &updater, const QString &host) { updater.helpHost = host; }
    // Locks of the test's own: tests that run side by side must not meet in the computer's.
    static void setLockFolders(Updater &updater, const QString &machineFolder,
                               const QString &userFolder)
    {
        updater.lockFolder = machineFolder;
        updater.userLockFolder = userFolder;
    }
    // The run's time-out, its words on their way to the tool's supervisor when this returns.
    static void fireToolTimeout(Updater &updater)
    {
        if (!updater.run)
            return;
        updater.run->stopAtTimeout();
        if (updater.process)
            updater.process->waitForBytesWritten(5000);
    }
    static QNetworkAccessManager *versionManager(Updater &updater)
    {
        return updater.versionManager;
    }
    static QNetworkAccessManager *firmwareManager(Updater &updater)
    {
        return updater.firmwareManager;
    }
};
