// What each way an update can end is called (see OutcomeWords.h).
#include "OutcomeWords.h"

#include "FlashingTool.h"
#include "OutcomeCodes.h"

#include <cstring>
#include <iterator>

QString OutcomeWords::title(Run::Outcome outcome)
{
    if (OutcomeCodes::isErrorOnUpdate(outcome))
        return tr("Error on update");
    switch (outcome) {
    case Run::Done:
        return tr("Update done");
    case Run::NoSensor:
        return tr("No sensor connected");
    case Run::AccessDenied:
        return tr("Access denied");
    case Run::UpdateAlreadyRunning:
        return tr("Update already running");
    case Run::MoreThanOneSensor:
        return tr("More than one sensor connected");
    case Run::LockUnavailable:
        return tr("Cannot start the update");
    case Run::NoFlashingTool:
        return tr("No flashing tool found");
    case Run::Withdrawn:
        return tr("Withdrawn before the sensor was touched");
    default:
        return QString();
    }
}

QString OutcomeWords::text(Run::Outcome outcome, const QString &detail)
{
    if (OutcomeCodes::isErrorOnUpdate(outcome))
        return tr("Something went wrong during the update process, please try again.");
    switch (outcome) {
    case Run::Done:
        return tr("The update has been completed successfully");
    case Run::NoSensor:
        return tr("Please connect a Sensor.");
    case Run::AccessDenied:
        return tr("We couldn't access your sensor. Please disconnect your sensor and make sure "
                  "it's not open in any chrome tab");
    case Run::UpdateAlreadyRunning:
        return tr("Another program on this computer is updating a sensor. Please wait until it "
                  "has finished.");
    case Run::MoreThanOneSensor:
        return tr("Please connect only one sensor.");
    case Run::LockUnavailable:
        return tr("The lock that keeps two programs from updating a sensor at the same time cannot "
                  "be used (%1). Please ask whoever looks after this computer to remove it.")
            .arg(detail);
    case Run::NoFlashingTool:
        return tr("Please put %1 beside the program or on PATH, then try again.")
            .arg(flashingToolName());
    case Run::Withdrawn:
        return tr("The update was withdrawn while it waited for its firmware package.");
    default:
        return QString();
    }
}

QString OutcomeWords::line(Run::Outcome outcome, const QString &package, int toolTimeoutSeconds,
                           const QString &detail)
{
    switch (outcome) {
    case Run::AccessDenied:
    case Run::MoreThanOneSensor:
        return title(outcome) + QStringLiteral(": ") + text(outcome);
    case Run::UpdateAlreadyRunning:
        return detail.isEmpty() ? title(outcome) : title(outcome) + QStringLiteral(": ") + detail;
    case Run::LockUnavailable:
        return tr("Cannot use the update lock %1").arg(detail);
    case Run::NoFlashingTool:
        return tr("No flashing tool found: put %1 beside the program or on PATH")
            .arg(flashingToolName());
    case Run::NoUsablePackage:
        return tr("No usable firmware package: %1").arg(package);
    case Run::ToolStopped:
        return tr("The flashing tool did not finish in %1 s and was stopped.")
                   .arg(toolTimeoutSeconds) +
               QLatin1Char(' ') + waitsInBootloader();
    case Run::SupervisorLost:
        return title(outcome) + QStringLiteral(": ") + supervisorLost();
    default:
        return title(outcome);
    }
}

QString OutcomeWords::lockOfThisUserOnly(const QString &reason)
{
    return tr("Only this user's programs were kept off the sensor: the lock shared by every user "
              "could not be made (%1).")
        .arg(reason);
}

QString OutcomeWords::waitsInBootloader()
{
    return tr("The sensor waits in its bootloader; update it again.");
}

QString OutcomeWords::supervisorLost()
{
    return tr("the flashing tool's supervisor ended unexpectedly; the tool may still be running");
}

QString OutcomeWords::toolCrashed(int signalNumber)
{
#ifdef Q_OS_WIN
    const QString name;
#else
    const QString name = QString::fromLocal8Bit(strsignal(signalNumber));
#endif
    return name.isEmpty()
               ? tr("The flashing tool was ended by signal %1.").arg(signalNumber)
               : tr("The flashing tool was ended by signal %1 (%2).").arg(signalNumber).arg(name);
}

QString OutcomeWords::stepLine(int step, int percent)
{
    QString words;
    switch (step) {
    case Run::WaitingForPackage:
        words = tr("Waiting for the firmware package");
        break;
    case Run::RestartingSensor:
        words = tr("Restarting the sensor into its bootloader");
        break;
    case Run::LookingForBootloader:
        words = tr("Looking for the bootloader");
        break;
    case Run::WritingFirmware:
        words = tr("Writing the firmware");
        break;
    case Run::WaitingForTool:
        words = tr("Waiting for the flashing tool");
        break;
    default:
        return QString();
    }
    return percent < 0 ? words : tr("%1 (%2 %)").arg(words).arg(percent);
}

QString OutcomeWords::stepKey(int step)
{
    static const char *const keys[] = {"", "package", "restart", "bootloader", "writing", "queue"};
    return step >= 0 && step < int(std::size(keys)) ? QString::fromLatin1(keys[step]) : QString();
}

QString OutcomeWords::usbErrorMeaning(int libusbError)
{
    switch (libusbError) {
    case 0: // none was there to open
        return tr("No running sensor was found to restart; its bootloader was looked for instead.");
    case -3:
        return text(Run::AccessDenied);
    case -4:
        return tr("The sensor went away while it was being opened: it was unplugged or restarted.");
    case -6:
        return tr("Another program holds the sensor. Close it, then try again.");
    case -12:
#ifdef Q_OS_WIN
        return tr("The sensor cannot be opened because Windows has not bound the WinUSB driver to "
                  "it (LIBUSB_ERROR_NOT_SUPPORTED). Install the WinUSB driver for the sensor's "
                  "interface 0, plug the sensor in again and try again.");
#else
        return tr("This system does not let the program open the sensor "
                  "(LIBUSB_ERROR_NOT_SUPPORTED).");
#endif
    default:
        return tr("The sensor could not be opened (libusb error %1).").arg(libusbError);
    }
}
