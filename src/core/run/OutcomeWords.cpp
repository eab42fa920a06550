// What each way an update can end is called (see OutcomeWords.h).
#include "OutcomeWords.h"

#include "FlashingTool.h"
#include "OutcomeCodes.h"

#include <cstring>
#include <iterator>

QString OutcomeWords::title(Run::Outcome outcome, Language language)
{
    return words(titleSource(outcome), language);
}

const char *OutcomeWords::titleSource(Run::Outcome outcome)
{
    if (OutcomeCodes::isErrorOnUpdate(outcome))
        return QT_TR_NOOP("Error on update");
    switch (outcome) {
    case Run::Done:
        return QT_TR_NOOP("Update done");
    case Run::NoSensor:
        return QT_TR_NOOP("No sensor connected");
    case Run::AccessDenied:
        return QT_TR_NOOP("Access denied");
    case Run::UpdateAlreadyRunning:
        return QT_TR_NOOP("Update already running");
    case Run::MoreThanOneSensor:
        return QT_TR_NOOP("More than one sensor connected");
    case Run::LockUnavailable:
        return QT_TR_NOOP("Cannot start the update");
    case Run::NoFlashingTool:
        return QT_TR_NOOP("No flashing tool found");
    case Run::Withdrawn:
        return QT_TR_NOOP("Withdrawn before the sensor was touched");
    default:
        return nullptr;
    }
}

QString OutcomeWords::text(Run::Outcome outcome, const QString &detail, Language language)
{
    const QString words = OutcomeWords::words(textSource(outcome), language);
    switch (outcome) {
    case Run::LockUnavailable:
        return words.arg(detail);
    case Run::NoFlashingTool:
        return words.arg(flashingToolName());
    default:
        return words;
    }
}

const char *OutcomeWords::textSource(Run::Outcome outcome)
{
    if (OutcomeCodes::isErrorOnUpdate(outcome))
        return QT_TR_NOOP("Something went wrong during the update process, please try again.");
    switch (outcome) {
    case Run::Done:
        return QT_TR_NOOP("The update has been completed successfully");
    case Run::NoSensor:
        return QT_TR_NOOP("Please connect a Sensor.");
    case Run::AccessDenied:
        return QT_TR_NOOP("We couldn't access your sensor. Please disconnect your sensor and make "
                          "sure it's not open in any chrome tab");
    case Run::UpdateAlreadyRunning:
        return QT_TR_NOOP("Another program on this computer is updating a sensor. Please wait "
                          "until it has finished.");
    case Run::MoreThanOneSensor:
        return QT_TR_NOOP("Please connect only one sensor.");
    case Run::LockUnavailable:
        return QT_TR_NOOP("The lock that keeps two programs from updating a sensor at the same "
                          "time cannot be used (%1). Please ask whoever looks after this computer "
                          "to remove it.");
    case Run::NoFlashingTool:
        return QT_TR_NOOP("Please put %1 beside the program or on PATH, then try again.");
    case Run::Withdrawn:
        return QT_TR_NOOP("The update was withdrawn while it waited for its firmware package.");
    default:
        return nullptr;
    }
}

QString OutcomeWords::line(Run::Outcome outcome, const QString &package, int toolTimeoutSeconds,
                           const QString &detail)
{
    switch (outcome) {
    case Run::AccessDenied:
    case Run::MoreThanOneSensor:
        return labelled(title(outcome), text(outcome));
    case Run::UpdateAlreadyRunning:
        return detail.isEmpty() ? title(outcome) : labelled(title(outcome), detail);
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
        return labelled(title(outcome), supervisorLost());
    default:
        return title(outcome);
    }
}

QString OutcomeWords::lockOfThisUserOnly(const QString &reason, Language language)
{
    return words(QT_TR_NOOP("Only this user's programs were kept off the sensor: the lock shared "
                            "by every user could not be made (%1)."),
                 language)
        .arg(reason);
}

QString OutcomeWords::labelled(const QString &label, const QString &text)
{
    //: A label, then what it says: "Access denied: ...", "Sensor 3-1: Update done".
    return tr("%1: %2").arg(label, text);
}

QString OutcomeWords::waitsInBootloader()
{
    return tr("The sensor waits in its bootloader; update it again.");
}

QString OutcomeWords::supervisorLost(Language language)
{
    return words(
        QT_TR_NOOP(
            "the flashing tool's supervisor ended unexpectedly; the tool may still be running"),
        language);
}

QString OutcomeWords::toolCrashed(int signalNumber, Language language)
{
#ifdef Q_OS_WIN
    const QString name;
#else
    const QString name = QString::fromLocal8Bit(strsignal(signalNumber));
#endif
    if (name.isEmpty())
        return words(QT_TR_NOOP("The flashing tool was ended by signal %1."), language)
            .arg(signalNumber);
    return words(QT_TR_NOOP("The flashing tool was ended by signal %1 (%2)."), language)
        .arg(signalNumber)
        .arg(name);
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

QString OutcomeWords::usbErrorMeaning(int libusbError, Language language)
{
    switch (libusbError) {
    case 0: // none was there to open
        return words(QT_TR_NOOP("No running sensor was found to restart; its bootloader was "
                                "looked for instead."),
                     language);
    case -3:
        return text(Run::AccessDenied, QString(), language);
    case -4:
        return words(QT_TR_NOOP("The sensor went away while it was being opened: it was "
                                "unplugged or restarted."),
                     language);
    case -6:
        return words(QT_TR_NOOP("Another program holds the sensor. Close it, then try again."),
                     language);
    case -12:
#ifdef Q_OS_WIN
        return words(QT_TR_NOOP("The sensor cannot be opened because Windows has not bound the "
                                "WinUSB driver to it (LIBUSB_ERROR_NOT_SUPPORTED). Install the "
                                "WinUSB driver for the sensor's interface 0, plug the sensor in "
                                "again and try again."),
                     language);
#else
        return words(QT_TR_NOOP("This system does not let the program open the sensor "
                                "(LIBUSB_ERROR_NOT_SUPPORTED)."),
                     language);
#endif
    default:
        return words(QT_TR_NOOP("The sensor could not be opened (libusb error %1)."), language)
            .arg(libusbError);
    }
}

QString OutcomeWords::words(const char *source, Language language)
{
    if (!source)
        return QString();
    return language == English ? QString::fromUtf8(source) : tr(source);
}
