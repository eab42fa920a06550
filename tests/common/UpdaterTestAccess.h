// The tests' way into an Updater's private settings (timing); the program has no such way.
#pragma once

#include "Updater.h"

struct UpdaterTestAccess
{
    static UpdateTiming &timing(Updater &updater) { return updater.timing; }
    static const QString &portName(const Updater &updater) { return updater.portName; }
};
