// What the console program tells, for a terminal, plain lines or JSON (see ConsoleOutput.h).
#include "ConsoleOutput.h"

#include "OutcomeWords.h"
#include "PrintableText.h"

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
QString outcomeName(Run::Outcome outcome)
{
    return QString::fromLatin1(QMetaEnum::fromType<Run::Outcome>().valueToKey(outcome));
}

QVariantMap outcomeEvent(Run::Outcome outcome, const QString &line, int exitCode,
                         const RunReport *report)
{
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
    return event;
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
    if (groupLines.isEmpty()) {
        write(line + QLatin1Char('\n'));
        return;
    }
    // Above the group's lines, which are drawn again below it.
    write(QStringLiteral("\x1b[%1A\r\x1b[J").arg(groupLines.size()) + line + QLatin1Char('\n'));
    drawGroup(0);
}

QString ConsoleOutput::Sensor::name() const
{
    if (place.isEmpty())
        return tr("Sensor on %1").arg(port);
    // The serial number is the device's to choose, escape sequences included.
    return serialNumber.isEmpty()
               ? tr("Sensor %1").arg(place)
               : tr("Sensor %1 (%2)").arg(place, PrintableText::of(serialNumber));
}

void ConsoleOutput::sensorStep(const Sensor &sensor, int step, int percent)
{
    while (groupSteps.size() <= sensor.index)
        groupSteps.append(Run::NoStep);
    const bool newStep = groupSteps[sensor.index] != step;
    groupSteps[sensor.index] = step;
    const QString words = OutcomeWords::stepLine(step, percent);
    if (words.isEmpty())
        return;
    switch (mode) {
    case Mode::Json:
        if (newStep)
            writeJson(sensorFields(sensor, {{"event", "step"},
                                            {"step", OutcomeWords::stepKey(step)},
                                            {"text", OutcomeWords::stepLine(step, -1)}}));
        if (percent >= 0)
            writeJson(sensorFields(sensor, {{"event", "progress"},
                                            {"step", OutcomeWords::stepKey(step)},
                                            {"percent", percent}}));
        break;
    case Mode::Lines:
        if (newStep)
            write(OutcomeWords::labelled(sensor.name(), words) + QLatin1Char('\n'));
        break;
    case Mode::Terminal:
        setGroupLine(sensor.index, OutcomeWords::labelled(sensor.name(), words));
        break;
    }
}

void ConsoleOutput::sensorOutcome(const Sensor &sensor, Run::Outcome outcome, const QString &line,
                                  int exitCode, const RunReport *report)
{
    if (report && !report->caveat.isEmpty()) {
        if (mode == Mode::Json)
            writeJson(sensorFields(sensor, {{"event", "message"}, {"text", report->caveat}}));
        else
            say(OutcomeWords::labelled(sensor.name(), report->caveat));
    }
    const QString text = OutcomeWords::labelled(sensor.name(), line);
    switch (mode) {
    case Mode::Json:
        writeJson(sensorFields(sensor, outcomeEvent(outcome, line, exitCode, report)));
        break;
    case Mode::Lines:
        write(text + QLatin1Char('\n'));
        break;
    case Mode::Terminal:
        setGroupLine(sensor.index, text);
        break;
    }
}

QVariantMap ConsoleOutput::sensorFields(const Sensor &sensor, QVariantMap event) const
{
    event.insert("place", sensor.place);
    event.insert("serialNumber", sensor.serialNumber);
    if (sensor.place.isEmpty())
        event.insert("port", sensor.port);
    return event;
}

void ConsoleOutput::setGroupLine(int index, const QString &text)
{
    const int drawn = groupLines.size();
    while (groupLines.size() <= index)
        groupLines.append(QString());
    groupLines[index] = text;
    drawGroup(drawn);
}

// One line per sensor, each rewritten in place: back up over the drawn lines first.
void ConsoleOutput::drawGroup(int drawnLines)
{
    QString text = drawnLines > 0 ? QStringLiteral("\x1b[%1A").arg(drawnLines) : QString();
    for (const QString &line : qAsConst(groupLines))
        text += QStringLiteral("\r") + line + QStringLiteral("\x1b[K\n");
    write(text);
}

void ConsoleOutput::endGroup()
{
    groupLines.clear();
    groupSteps.clear();
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

void ConsoleOutput::outcome(Run::Outcome outcome, const QString &line, int exitCode,
                            const RunReport *report, int sensorNumber)
{
    // Before the outcome, which a script may read as the last word.
    if (report && !report->caveat.isEmpty())
        say(report->caveat);
    if (mode != Mode::Json) {
        say(line);
        return;
    }
    QVariantMap event = outcomeEvent(outcome, line, exitCode, report);
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
        say(tr("%1 updated, %2 failed").arg(updated).arg(failed));
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
