// The tests' way into an Updater's private settings (timing, help server); the program has
// no such way.
#pragma once

#include "Updater.h"

struct UpdaterTestAccess
{
    static UpdateTiming &timing(Updater &updater) { return updater.timing; }
    static const QString &portName(const Updater &updater) { return updater.portName; }
    static void setHelpHost(Updater &updater, const QString &host) { updater.helpHost = host; }
    // A lock of the test's own: tests that run side by side must not meet in the computer's.
    static void setLockFolders(Updater &updater, const QString &machineFolder,
                               const QString &userFolder)
    {
        updater.lock.machineDir = machineFolder;
        updater.lock.userDir = userFolder;
    }
    static void fireToolTimeout(Updater &updater) { updater.onToolTimeout(); }
    static QNetworkAccessManager *versionManager(Updater &updater)
    {
        return updater.versionManager;
    }
    static QNetworkAccessManager *firmwareManager(Updater &updater)
    {
        return updater.firmwareManager;
    }
};
