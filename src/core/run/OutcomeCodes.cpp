// The numbers each way a run ends is told by (see OutcomeCodes.h).
#include "OutcomeCodes.h"

namespace {
struct Codes
{
    Updater::Outcome outcome;
    bool emitsUpdateDone;
    int updateDoneCode; // where the flashing tool gave none
    int exitCode;
    bool errorOnUpdate;
};

constexpr Codes table[] = {
    {Updater::Done, true, 0, ExitCode::updateDone, false},
    {Updater::ToolFailed, true, 0, ExitCode::errorOnUpdate, true},
    {Updater::NoSensor, false, 0, ExitCode::noSensor, false},
    {Updater::AccessDenied, false, 0, ExitCode::accessDenied, false},
    {Updater::NoUsablePackage, true, Updater::noUsablePackage, ExitCode::noUsablePackage, true},
    {Updater::NoBootloaderPort, true, Updater::noBootloaderPort, ExitCode::errorOnUpdate, true},
    {Updater::ToolNotStarted, true, Updater::toolNotStarted, ExitCode::errorOnUpdate, true},
    {Updater::ToolStopped, true, Updater::toolStopped, ExitCode::errorOnUpdate, true},
    {Updater::UpdateAlreadyRunning, true, Updater::updateAlreadyRunning, ExitCode::errorOnUpdate,
     false},
    {Updater::MoreThanOneSensor, true, Updater::moreThanOneSensor, ExitCode::moreThanOneSensor,
     false},
    {Updater::LockUnavailable, true, Updater::lockUnavailable, ExitCode::errorOnUpdate, false},
    {Updater::NoFlashingTool, true, Updater::noFlashingTool, ExitCode::errorOnUpdate, false},
    {Updater::SupervisorLost, true, Updater::supervisorLost, ExitCode::errorOnUpdate, true},
    {Updater::Withdrawn, false, 0, ExitCode::errorOnUpdate, false},
};

const Codes &codesOf(Updater::Outcome outcome)
{
    for (const Codes &codes : table) {
        if (codes.outcome == outcome)
            return codes;
    }
    return table[1]; // never reached: every outcome has its row, which a test checks
}
} // namespace

bool OutcomeCodes::emitsUpdateDone(Updater::Outcome outcome)
{
    return codesOf(outcome).emitsUpdateDone;
}

int OutcomeCodes::updateDoneCode(Updater::Outcome outcome)
{
    return codesOf(outcome).updateDoneCode;
}

int OutcomeCodes::exitCode(Updater::Outcome outcome)
{
    return codesOf(outcome).exitCode;
}

bool OutcomeCodes::isErrorOnUpdate(Updater::Outcome outcome)
{
    return codesOf(outcome).errorOnUpdate;
}
