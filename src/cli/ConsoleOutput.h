// What the console program tells, as its reader takes it: a person at a terminal (the step
// rewritten in place as it goes), a log or another program reading plain lines (one per step),
// or a script reading JSON (one object per event, nothing else on standard output).
#pragma once

#include "RunReport.h"
#include "Updater.h"

#include <QString>

class QTextStream;

class ConsoleOutput
{
public:
    enum class Mode
    {
        Terminal,
        Lines,
        Json
    };
    // Terminal where standard output is one, else Lines; Json when asked for.
    static Mode modeFor(bool json);

    ConsoleOutput(QTextStream &out, Mode mode);

    void say(const QString &line);
    void step(int step, int percent);
    // report: the run's, where one ran; sensorNumber: the batch's count, 0 outside a batch.
    void outcome(Updater::Outcome outcome, const QString &line, int exitCode,
                 const RunReport *report = nullptr, int sensorNumber = 0);
    void summary(int updated, int failed, int exitCode);

private:
    void write(const QString &text);
    void writeJson(const QVariantMap &event);
    void endStepLine();

    QTextStream &out;
    const Mode mode;
    int lastStep = Updater::NoStep;
    bool stepLineOpen = false; // a terminal line that the next step or line rewrites
};
