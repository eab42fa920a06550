// The numbers each way a run ends is told by (see OutcomeCodes.h).
#include "OutcomeCodes.h"

namespace {
struct Codes
{
    Run::Outcome outcome;
    bool emitsUpdateDone;
    int updateDoneCode; // where the flashing tool gave none
    int exitCode;
    bool errorOnUpdate;
};

constexpr Codes table[] = {
    {Run::Done, true, 0, ExitCode::updateDone, false},
    {Run::ToolFailed, true, 0, ExitCode::errorOnUpdate, true},
    {Run::NoSensor, false, 0, ExitCode::noSensor, false},
    {Run::AccessDenied, false, 0, ExitCode::accessDenied, false},
    {Run::NoUsablePackage, true, Run::noUsablePackage, ExitCode::noUsablePackage, true},
    {Run::NoBootloaderPort, true, Run::noBootloaderPort, ExitCode::errorOnUpdate, true},
    {Run::ToolNotStarted, true, Run::toolNotStarted, ExitCode::errorOnUpdate, true},
    {Run::ToolStopped, true, Run::toolStopped, ExitCode::errorOnUpdate, true},
    {Run::UpdateAlreadyRunning, true, Run::updateAlreadyRunning, ExitCode::errorOnUpdate, false},
    {Run::MoreThanOneSensor, true, Run::moreThanOneSensor, ExitCode::moreThanOneSensor, false},
    {Run::LockUnavailable, true, Run::lockUnavailable, ExitCode::errorOnUpdate, false},
    {Run::NoFlashingTool, true, Run::noFlashingTool, ExitCode::errorOnUpdate, false},
    {Run::SupervisorLost, true, Run::supervisorLost, ExitCode::errorOnUpdate, true},
    {Run::Withdrawn, false, 0, ExitCode::errorOnUpdate, false},
};

const Codes &codesOf(Run::Outcome outcome)
{
    for (const Codes &codes : table) {
        if (codes.outcome == outcome)
            return codes;
    }
    return table[1]; // never reached: every outcome has its row, which a test checks
}
} // namespace

bool OutcomeCodes::emitsUpdateDone(Run::Outcome outcome)
{
    return codesOf(outcome).emitsUpdateDone;
}

int OutcomeCodes::updateDoneCode(Run::Outcome outcome)
{
    return codesOf(outcome).updateDoneCode;
}

int OutcomeCodes::exitCode(Run::Outcome outcome)
{
    return codesOf(outcome).exitCode;
}

bool OutcomeCodes::isErrorOnUpdate(Run::Outcome outcome)
{
    return codesOf(outcome).errorOnUpdate;
}
