// How an update run ends and which step it is at: the run's own words, which the Updater passes
// on to QML ("Updater.Done", "Updater.WritingFirmware") and the console program prints.
#pragma once

#include <QObject>

namespace Run {
Q_NAMESPACE

// One value per way a run ends; their words are OutcomeWords', their numbers OutcomeCodes'.
enum Outcome
{
    Done,
    ToolFailed, // the tool's exit code was not 0, or a signal ended it
    NoSensor,   // found by a front-end before it asks for a run, or gone from its place
    AccessDenied,
    NoUsablePackage,
    NoBootloaderPort,
    ToolNotStarted,
    ToolStopped, // after its time-out, or when asked to stop
    UpdateAlreadyRunning,
    MoreThanOneSensor,
    LockUnavailable, // a lock that keeps updates apart cannot be used
    NoFlashingTool,
    SupervisorLost, // the tool's supervisor died without a word: the tool may still run
    Withdrawn       // while it waited for its package, before the sensor was touched
};
Q_ENUM_NS(Outcome)

enum Step
{
    NoStep,
    WaitingForPackage, // its download, started with the program, is still on its way
    RestartingSensor,
    LookingForBootloader,
    WritingFirmware,
    WaitingForTool // its bootloader found, while other sensors' tools run (ToolTurns)
};
Q_ENUM_NS(Step)

// updateDone codes of runs that ended without a code of the flashing tool. They are only
// numbers for updateDone: the outcome of every run is runEnded's, whatever the tool's code.
constexpr int noBootloaderPort = -1;
constexpr int toolNotStarted = -2;
constexpr int noUsablePackage = -3;
constexpr int toolStopped = -4;          // after its time-out, or when asked to stop
constexpr int updateAlreadyRunning = -5; // in another program on this computer
constexpr int moreThanOneSensor = -6;
constexpr int lockUnavailable = -7;
constexpr int noFlashingTool = -8;
constexpr int supervisorLost = -9;
} // namespace Run
