// The console companion's run: options, the Updater and one update session on the event loop.
#include "ConsoleProgram.h"

#include "CommandLine.h"
#include "ConsoleOutput.h"
#include "ProgramLanguage.h"
#include "RunHistory.h"
#include "GroupUpdateSession.h"
#include "RootEnvironment.h"
#include "SensorUpdateSession.h"
#include "StopSignals.h"
#include "TrustedAuthorities.h"
#include "Updater.h"

#include <QCoreApplication>
#include <QDebug>
#include <QJsonDocument>
#include <QTextStream>
#include <QTimer>
#include <cstdio>
#include <optional>
#ifdef Q_OS_WIN
#include <QTextCodec>
#include <cstdlib>
#include <windows.h>
#endif

namespace {
QtMessageHandler defaultHandler = nullptr;

// A Windows console shows what it is given in its own code page (850, 437), not in the
// program's (1252): accented words would come out garbled. While the program runs, the console
// and the program's text both are UTF-8. Where neither output is a console (files, pipes),
// nothing changes.
void speakUtf8ToConsole()
{
#ifdef Q_OS_WIN
    DWORD mode = 0;
    if (!GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) &&
        !GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode))
        return;
    static const UINT consoleCodePage = GetConsoleOutputCP();
    if (!SetConsoleOutputCP(CP_UTF8))
        return;
    std::atexit([] { SetConsoleOutputCP(consoleCodePage); });
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
#endif
}

// The Updater's debug log is for -v only; warnings always reach stderr.
void quietDebugLog(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        defaultHandler(type, context, message);
}

// The last runs, oldest first, read from the end of the history: a production line's long
// one answers at once.
int printHistory(QTextStream &out, const CommandLine &options)
{
    const RunHistory::Recent recent = RunHistory::last(options.historyRuns);
    if (options.json) {
        for (const QJsonObject &entry : recent.entries)
            out << QJsonDocument(entry).toJson(QJsonDocument::Compact) << '\n';
    } else {
        out << RunHistory::table(recent.entries) << '\n';
        if (recent.earlier > 0)
            out << QCoreApplication::translate("ConsoleProgram",
                                               "The last %1 of %2 runs; --history all prints "
                                               "every one.")
                       .arg(recent.total - recent.earlier)
                       .arg(recent.total)
                << '\n';
    }
    out.flush();
    return 0;
}

// One sensor after the other, or every sensor at once: the same words, signals and end.
template <typename Session>
int runSession(QCoreApplication &app, Updater &updater, const CommandLine &options,
               ConsoleOutput &output, StopSignals &stopSignals)
{
    Session session(updater, options, output);
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &session, &Session::stop);
    // Queued: the session may end before the event loop runs.
    QObject::connect(&session, &Session::finished, &app, &QCoreApplication::exit,
                     Qt::QueuedConnection);
    QTimer::singleShot(0, &session, &Session::start);
    return app.exec();
}
} // namespace

int runConsoleProgram(int argc, char *argv[])
{
    const QStringList notRootsOwn = RootEnvironment::keepToRootsOwn();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ovk-sensor-update"));
    speakUtf8ToConsole();
    // Qt's own catalog for the words of its command-line parser (--help, usage errors).
    std::optional<ProgramLanguage> language(std::in_place, QStringList{QStringLiteral("qtbase")});
    CommandLine options;
    if (!options.parse())
        return ExitCode::usage;
    // A script reads what it reads on any computer: its JSON, and all a --json run says, stay
    // English.
    if (options.json)
        language.reset();
    if (!options.verbose)
        defaultHandler = qInstallMessageHandler(quietDebugLog);
    for (const QString &line : notRootsOwn)
        qDebug().noquote() << line;
    QTextStream out(stdout);
    if (options.history)
        return printHistory(out, options);
    trustBuiltInAuthorities();

    ConsoleOutput output(out, ConsoleOutput::modeFor(options.json));
    // Never the working folder's: run from a shared folder, it would flash what someone put there.
    Updater updater(nullptr, Updater::PackageHome::UserFolder);
    if (options.toolTimeoutSeconds > 0)
        updater.setToolTimeoutMs(options.toolTimeoutSeconds * 1000);
    StopSignals stopSignals;
    if (options.all)
        return runSession<GroupUpdateSession>(app, updater, options, output, stopSignals);
    return runSession<SensorUpdateSession>(app, updater, options, output, stopSignals);
}
