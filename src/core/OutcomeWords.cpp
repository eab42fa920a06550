// What each way an update can end is called (see OutcomeWords.h).
#include "OutcomeWords.h"

namespace {
bool isErrorOnUpdate(Updater::Outcome outcome)
{
    switch (outcome) {
    case Updater::ToolFailed:
    case Updater::NoUsablePackage:
    case Updater::NoBootloaderPort:
    case Updater::ToolNotStarted:
    case Updater::ToolStopped:
        return true;
    default:
        return false;
    }
}
} // namespace

QString OutcomeWords::title(Updater::Outcome outcome)
{
    if (isErrorOnUpdate(outcome))
        return tr("Error on update");
    switch (outcome) {
    case Updater::Done:
        return tr("Update done");
    case Updater::NoSensor:
        return tr("No sensor connected");
    case Updater::AccessDenied:
        return tr("Access denied");
    case Updater::UpdateAlreadyRunning:
        return tr("Update already running");
    case Updater::MoreThanOneSensor:
        return tr("More than one sensor connected");
    default:
        return QString();
    }
}

QString OutcomeWords::text(Updater::Outcome outcome)
{
    if (isErrorOnUpdate(outcome))
        return tr("Something went wrong during the update process, please try again.");
    switch (outcome) {
    case Updater::Done:
        return tr("The update has been completed successfully");
    case Updater::NoSensor:
        return tr("Please connect a Sensor.");
    case Updater::AccessDenied:
        return tr("We couldn't access your sensor. Please disconnect your sensor and make sure "
                  "it's not open in any chrome tab");
    case Updater::UpdateAlreadyRunning:
        return tr("Another program on this computer is updating a sensor. Please wait until it "
                  "has finished.");
    case Updater::MoreThanOneSensor:
        return tr("Please connect only one sensor.");
    default:
        return QString();
    }
}

QString OutcomeWords::line(Updater::Outcome outcome, const QString &package, int toolTimeoutSeconds)
{
    switch (outcome) {
    case Updater::AccessDenied:
    case Updater::MoreThanOneSensor:
        return title(outcome) + QStringLiteral(": ") + text(outcome);
    case Updater::NoUsablePackage:
        return tr("No usable firmware package: %1").arg(package);
    case Updater::ToolStopped:
        return tr("The flashing tool did not finish in %1 s and was stopped.")
                   .arg(toolTimeoutSeconds) +
               QLatin1Char(' ') + waitsInBootloader();
    default:
        return title(outcome);
    }
}

QString OutcomeWords::waitsInBootloader()
{
    return tr("The sensor waits in its bootloader; update it again.");
}
