// The numbers each way a run ends is told by, in one table: the code the window's updateDone
// carries for a run that ended without one of the flashing tool's, the console program's exit
// code, and whether the window calls it "Error on update".
#pragma once

#include "RunOutcome.h"

namespace ExitCode {
constexpr int updateDone = 0;
constexpr int errorOnUpdate = 1;
constexpr int noSensor = 2;
constexpr int accessDenied = 3;
constexpr int noUsablePackage = 4;
constexpr int moreThanOneSensor = 5;
constexpr int usage = 64;
// Stopped by a signal before an update began (130 for Ctrl+C), or by a second Ctrl+C during one.
constexpr int interruptedBy(int signalNumber)
{
    return 128 + signalNumber;
}
} // namespace ExitCode

namespace OutcomeCodes {
// Whether updateDone is emitted for the outcome (access denied has been said by usbError; a
// withdrawn run ends with its window), and with which code where the tool gave none.
bool emitsUpdateDone(Run::Outcome outcome);
int updateDoneCode(Run::Outcome outcome);
// The console program's exit code.
int exitCode(Run::Outcome outcome);
// Told as "Error on update": the run failed on the way, not refused at the press.
bool isErrorOnUpdate(Run::Outcome outcome);
} // namespace OutcomeCodes
