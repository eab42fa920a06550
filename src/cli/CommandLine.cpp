// The console companion's command line: its options, its exit codes and its help text.
#include "CommandLine.h"

#include "ProgramVersion.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {
const char description[] = QT_TRANSLATE_NOOP(
    "CommandLine", R"(Updates the firmware of an OVK Terravox sensor from a terminal, as
the Updater window does: the sensor restarts into its bootloader, and the
flashing tool (util) writes the package through the bootloader's serial port.
Without --package, the latest package is downloaded from the help server first.

With --all, every sensor connected is updated at the same time, each on its
own USB port; --all --repeat does so group after group.

Exit codes:
  0   update done (batch or --all: every sensor updated, at least one)
  1   error on update (batch or --all: any sensor not updated)
  2   no sensor connected
  3   access denied to the sensor
  4   no usable firmware package
  5   more than one sensor connected
  64  usage error
  128+N stopped by signal N before an update began (130 Ctrl+C, 143 SIGTERM,
      129 hang-up), or 130 when a second Ctrl+C stopped a running update

Ctrl+C, SIGTERM and a hang-up let a running update finish; a second Ctrl+C
stops the flashing tool, and the sensor waits in its bootloader.

Each run's log and a history of every run are kept in the user's data folder;
--history prints the last %1 runs of it, --history N the last N, and
--history all every one.)");

const char allRuns[] = "all";

// A usage error, on standard error.
void complain(const QString &error)
{
    std::fprintf(stderr, "%s\n", qPrintable(error));
}

// Seconds that still fit in milliseconds.
constexpr int maximumSeconds = std::numeric_limits<int>::max() / 1000;

// A whole number of seconds from 0 (1 with positive) to maximumSeconds; -1 when it is not.
int seconds(const QString &text, bool positive)
{
    bool number = false;
    const int value = text.toInt(&number);
    return number && value >= (positive ? 1 : 0) && value <= maximumSeconds ? value : -1;
}

// How many runs --history prints: the default without a word, every one for "all", else a
// whole number from 1; 0 when the word is none of these.
int runsToPrint(const QStringList &words)
{
    if (words.isEmpty())
        return CommandLine::defaultHistoryRuns;
    if (words.first() == QLatin1String(allRuns))
        return -1;
    bool number = false;
    const int value = words.first().toInt(&number);
    return number && value > 0 ? value : 0;
}
} // namespace

bool CommandLine::parse()
{
    QCommandLineParser parser;
    parser.setApplicationDescription(tr(description).arg(CommandLine::defaultHistoryRuns));
    parser.addHelpOption();
    // -v is --verbose here, so the version option is a long one only.
    const QCommandLineOption versionOption("version", tr("Displays version information."));
    //: The value of an option in --help: --package <file>
    const QString fileValue = tr("file");
    //: The value of an option in --help: --wait <seconds>
    const QString secondsValue = tr("seconds");
    const QCommandLineOption packageOption(
        "package", tr("Update with this local firmware package (.zip) instead of downloading one."),
        fileValue);
    const QCommandLineOption waitOption(
        "wait", tr("Wait up to this many seconds for a sensor to be connected."), secondsValue);
    const QCommandLineOption toolTimeoutOption(
        "tool-timeout",
        tr("Stop the flashing tool when it has not finished after this many seconds "
           "(default 600)."),
        secondsValue);
    const QCommandLineOption repeatOption(
        "repeat", tr("Batch mode: update each sensor plugged in, one after the other, until "
                     "interrupted (Ctrl+C). A running update is always let finish."));
    const QCommandLineOption allOption(
        "all", tr("Update every sensor connected at the same time, one update each; a sensor "
                  "whose USB port cannot be told apart from another's is left out, and said so."));
    const QCommandLineOption toolsAtOnceOption(
        "tools-at-once",
        tr("With --all: run at most this many flashing tools at the same time (for a tool that "
           "cannot run twice at once: 1); the sensors' restarts still overlap. Default: no "
           "limit."),
        //: The value of an option in --help: --tools-at-once <count>
        tr("count"));
    const QCommandLineOption verboseOption({"v", "verbose"}, tr("Show the debug log on stderr."));
    const QCommandLineOption jsonOption(
        "json", tr("Print one JSON object per event (step, progress, outcome, batch summary), and "
                   "nothing else, on standard output."));
    const QCommandLineOption historyOption(
        "history", tr("Print the last %1 updates (--history N: the last N, --history all: every "
                      "one; with --json: as JSON lines) and exit.")
                       .arg(CommandLine::defaultHistoryRuns));
    parser.addOptions({versionOption, packageOption, waitOption, toolTimeoutOption, repeatOption,
                       allOption, toolsAtOnceOption, verboseOption, jsonOption, historyOption});

    if (!parser.parse(QCoreApplication::arguments())) {
        complain(parser.errorText());
        return false;
    }
    if (parser.isSet("help"))
        parser.showHelp(0);
    if (parser.isSet(versionOption)) {
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
                    qPrintable(ProgramVersion::current()));
        std::exit(0);
    }
    history = parser.isSet(historyOption);
    // QCommandLineParser knows no option with a value that may be left out: --history takes
    // the one word that stands alone.
    const QStringList words = parser.positionalArguments();
    if (words.size() > (history ? 1 : 0)) {
        complain(tr("Unexpected argument: %1").arg(words.value(history ? 1 : 0)));
        return false;
    }
    if (history) {
        historyRuns = runsToPrint(words);
        if (historyRuns == 0) {
            complain(tr("--history takes a number of runs from 1, or all"));
            return false;
        }
    }
    package = parser.value(packageOption);
    if (parser.isSet(packageOption) && package.isEmpty()) {
        complain(tr("--package needs a file"));
        return false;
    }
    if (parser.isSet(waitOption)) {
        waitSeconds = seconds(parser.value(waitOption), false);
        if (waitSeconds < 0) {
            complain(tr("--wait needs a number of seconds"));
            return false;
        }
    }
    if (parser.isSet(toolTimeoutOption)) {
        toolTimeoutSeconds = seconds(parser.value(toolTimeoutOption), true);
        if (toolTimeoutSeconds < 0) {
            complain(tr("--tool-timeout needs a number of seconds"));
            return false;
        }
    }
    if (parser.isSet(toolsAtOnceOption)) {
        bool number = false;
        toolsAtOnce = parser.value(toolsAtOnceOption).toInt(&number);
        if (!number || toolsAtOnce < 1) {
            complain(tr("--tools-at-once needs a number from 1"));
            return false;
        }
    }
    repeat = parser.isSet(repeatOption);
    all = parser.isSet(allOption);
    verbose = parser.isSet(verboseOption);
    json = parser.isSet(jsonOption);
    return true;
}
