// What the console program tells, for a terminal, plain lines or JSON (see ConsoleOutput.h).
#include "ConsoleOutput.h"

#include "OutcomeWords.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaEnum>
#include <QTextStream>
#include <cstdio>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {
QString outcomeName(Updater::Outcome outcome)
{
    return QString::fromLatin1(QMetaEnum::fromType<Updater::Outcome>().valueToKey(outcome));
}
} // namespace

ConsoleOutput::Mode ConsoleOutput::modeFor(bool json)
{
    if (json)
        return Mode::Json;
#ifdef Q_OS_WIN
    return _isatty(_fileno(stdout)) ? Mode::Terminal : Mode::Lines;
#else
    return isatty(STDOUT_FILENO) ? Mode::Terminal : Mode::Lines;
#endif
}

ConsoleOutput::ConsoleOutput(QTextStream &out, Mode mode)
    : out(out)
    , mode(mode)
{}

void ConsoleOutput::say(const QString &line)
{
    if (mode == Mode::Json) {
        writeJson({{"event", "message"}, {"text", line}});
        return;
    }
    endStepLine();
    write(line + QLatin1Char('\n'));
}

void ConsoleOutput::step(int step, int percent)
{
    const QString words = OutcomeWords::stepLine(step, percent);
    const bool newStep = step != lastStep;
    lastStep = step;
    if (words.isEmpty()) {
        endStepLine();
        return;
    }
    switch (mode) {
    case Mode::Json:
        if (newStep)
            writeJson({{"event", "step"},
                       {"step", OutcomeWords::stepKey(step)},
                       {"text", OutcomeWords::stepLine(step, -1)}});
        if (percent >= 0)
            writeJson({{"event", "progress"},
                       {"step", OutcomeWords::stepKey(step)},
                       {"percent", percent}});
        break;
    case Mode::Lines:
        if (newStep)
            write(words + QLatin1Char('\n'));
        break;
    case Mode::Terminal:
        // One line, rewritten in place: back to its start, the words, the rest cleared.
        write(QStringLiteral("\r") + words + QStringLiteral("\x1b[K"));
        stepLineOpen = true;
        break;
    }
}

void ConsoleOutput::outcome(Updater::Outcome outcome, const QString &line, int exitCode,
                            const RunReport *report, int sensorNumber)
{
    if (mode != Mode::Json) {
        say(line);
        return;
    }
    QVariantMap event{{"event", "outcome"},
                      {"outcome", outcomeName(outcome)},
                      {"title", OutcomeWords::title(outcome)},
                      {"text", line},
                      {"exitCode", exitCode}};
    // The flashing tool's own code only where it ran to an end; a signal is no exit code.
    if (report && report->toolEnded && report->toolSignal == 0)
        event.insert("code", report->toolExitCode);
    if (report && report->toolEnded && report->toolSignal != 0)
        event.insert("signal", report->toolSignal);
    if (sensorNumber > 0)
        event.insert("sensor", sensorNumber);
    writeJson(event);
}

void ConsoleOutput::summary(int updated, int failed, int exitCode)
{
    if (mode == Mode::Json)
        writeJson({{"event", "summary"},
                   {"updated", updated},
                   {"failed", failed},
                   {"exitCode", exitCode}});
    else
        say(QStringLiteral("%1 updated, %2 failed").arg(updated).arg(failed));
}

void ConsoleOutput::endStepLine()
{
    if (!stepLineOpen)
        return;
    stepLineOpen = false;
    write(QStringLiteral("\r\x1b[K"));
}

void ConsoleOutput::writeJson(const QVariantMap &event)
{
    write(QString::fromUtf8(
              QJsonDocument(QJsonObject::fromVariantMap(event)).toJson(QJsonDocument::Compact)) +
          QLatin1Char('\n'));
}

void ConsoleOutput::write(const QString &text)
{
    out << text;
    out.flush();
}
