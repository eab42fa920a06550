// What the console program's sessions share (see ConsoleSession.h).
#include "ConsoleSession.h"

#include "FirmwarePackage.h"
#include "OutcomeCodes.h"
#include "OutcomeWords.h"

#include <QDate>
#include <QFileInfo>
#include <cstdio>
#include <utility>

namespace {
// As often as a person would look; the window polls every 1500 ms.
constexpr int pollIntervalMs = 500;
} // namespace

ConsoleSession::ConsoleSession(Updater &updater, const CommandLine &options, ConsoleOutput &out)
    : updater(updater)
    , options(options)
    , package(options.package.isEmpty() ? updater.packagePath() : options.package)
    , out(out)
{
    poll.setInterval(pollIntervalMs);
    connect(&updater, &Updater::packageDownloadFailed, this, &ConsoleSession::onDownloadFailed);
}

bool ConsoleSession::open(bool *connected)
{
    *connected = updater.checkPodConnected();
    if (!*connected && !options.repeat && options.waitSeconds < 0) {
        tellNoSensor();
        end(OutcomeCodes::exitCode(Run::NoSensor));
        return false;
    }
    if (options.package.isEmpty()) {
        out.say(tr("Downloading the latest firmware package"));
        updater.downloadLastPodVersion(); // runs started meanwhile wait for it
    }
    return true;
}

// Found by this program before any run was asked for: no run has a word of it.
void ConsoleSession::tellNoSensor()
{
    out.outcome(Run::NoSensor, OutcomeWords::line(Run::NoSensor, package, 0),
                OutcomeCodes::exitCode(Run::NoSensor));
}

void ConsoleSession::onDownloadFailed()
{
    // Only a package that can be flashed is worth the word; without one the runs say so.
    if (!options.package.isEmpty() || !FirmwarePackage::isZipFile(package))
        return;
    stalePackage = tr("Could not download the latest package; updating with the one stored on %1.")
                       .arg(QFileInfo(package).lastModified().date().toString(Qt::ISODate));
    if (isUpdating())
        tellStalePackage();
}

void ConsoleSession::tellStalePackage()
{
    if (!stalePackage.isEmpty())
        out.say(std::exchange(stalePackage, QString()));
}

QString ConsoleSession::interrupted()
{
    return tr("Interrupted");
}

QString ConsoleSession::interruptedLine(Run::Outcome outcome)
{
    return outcome == Run::ToolStopped
               ? interrupted() + QStringLiteral(". ") + OutcomeWords::waitsInBootloader()
               : interrupted();
}

void ConsoleSession::tellToolTail(const QString &who, Run::Outcome outcome, const RunReport &report)
{
    if (outcome == Run::Done || report.toolTail.isEmpty())
        return;
    const QString heading = tr("The flashing tool's last lines:");
    std::fprintf(stderr, "%s\n%s\n",
                 qPrintable(who.isEmpty() ? heading : OutcomeWords::labelled(who, heading)),
                 qPrintable(report.toolTail));
}

void ConsoleSession::endInterrupted(int signalNumber)
{
    out.say(interrupted());
    end(ExitCode::interruptedBy(signalNumber));
}

void ConsoleSession::end(int exitCode)
{
    poll.stop();
    ended = true;
    emit finished(exitCode);
}
