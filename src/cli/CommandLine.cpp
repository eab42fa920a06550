// The console companion's command line: its options, its exit codes and its help text.
#include "CommandLine.h"

#include "ProgramVersion.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

namespace {
const char description[] = R"(Updates the firmware of an OVK Terravox sensor from a terminal, as
the Updater window does: the sensor restarts into its bootloader, and the
flashing tool (util) writes the package through the bootloader's serial port.
Without --package, the latest package is downloaded from the help server first.

Exit codes:
  0   update done (batch: every sensor updated, at least one)
  1   error on update (batch: any sensor not updated)
  2   no sensor connected
  3   access denied to the sensor
  4   no usable firmware package
  64  usage error
  130 interrupted before an update began)";
}

bool CommandLine::parse()
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(description));
    parser.addHelpOption();
    // -v is --verbose here, so the version option is a long one only.
    const QCommandLineOption versionOption("version", "Displays version information.");
    const QCommandLineOption packageOption(
        "package", "Update with this local firmware package (.zip) instead of downloading one.",
        "file");
    const QCommandLineOption waitOption(
        "wait", "Wait up to this many seconds for a sensor to be connected.", "seconds");
    const QCommandLineOption repeatOption(
        "repeat", "Batch mode: update each sensor plugged in, one after the other, until "
                  "interrupted (Ctrl+C). A running update is always let finish.");
    const QCommandLineOption verboseOption({"v", "verbose"}, "Show the debug log on stderr.");
    parser.addOptions({versionOption, packageOption, waitOption, repeatOption, verboseOption});

    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "%s\n", qPrintable(parser.errorText()));
        return false;
    }
    if (parser.isSet("help"))
        parser.showHelp(0);
    if (parser.isSet(versionOption)) {
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
                    qPrintable(ProgramVersion::current()));
        std::exit(0);
    }
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "Unexpected argument: %s\n",
                     qPrintable(parser.positionalArguments().first()));
        return false;
    }
    package = parser.value(packageOption);
    if (parser.isSet(packageOption) && package.isEmpty()) {
        std::fprintf(stderr, "--package needs a file\n");
        return false;
    }
    if (parser.isSet(waitOption)) {
        bool number = false;
        waitSeconds = parser.value(waitOption).toInt(&number);
        if (!number || waitSeconds < 0) {
            std::fprintf(stderr, "--wait needs a number of seconds\n");
            return false;
        }
    }
    repeat = parser.isSet(repeatOption);
    verbose = parser.isSet(verboseOption);
    return true;
}
