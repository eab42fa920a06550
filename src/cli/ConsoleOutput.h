// What the console program tells, as its reader takes it: a person at a terminal (the step
// rewritten in place as it goes), a log or another program reading plain lines (one per step),
// or a script reading JSON (one object per event, nothing else on standard output).
#pragma once

#include "RunReport.h"
#include "RunOutcome.h"

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

class QTextStream;

class ConsoleOutput
{
    Q_DECLARE_TR_FUNCTIONS(ConsoleOutput)

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
    // report: the run's, where one ran, its caveat told first; sensorNumber: the batch's count, 0
    // outside a batch.
    void outcome(Run::Outcome outcome, const QString &line, int exitCode,
                 const RunReport *report = nullptr, int sensorNumber = 0);
    void summary(int updated, int failed, int exitCode);

    // One of several sensors updated at once: where it is plugged in and its serial number,
    // and in words for a person ("Sensor 3-1 (TVX2024B0001)").
    struct Sensor
    {
        int index = 0; // its line among the group's
        QString place;
        QString serialNumber;
        QString port; // where its place is not known
        QString name() const;
    };
    // A sensor's step: on a terminal its own line of the group's, rewritten in place; else one
    // plain line per step, prefixed by the sensor; in JSON with its place and serial number.
    void sensorStep(const Sensor &sensor, int step, int percent);
    void sensorOutcome(const Sensor &sensor, Run::Outcome outcome, const QString &line,
                       int exitCode, const RunReport *report);
    // The group's lines are done: what follows goes below them.
    void endGroup();

private:
    void write(const QString &text);
    void writeJson(const QVariantMap &event);
    void endStepLine();
    void setGroupLine(int index, const QString &text);
    void drawGroup(int drawnLines);
    QVariantMap sensorFields(const Sensor &sensor, QVariantMap event) const;

    QTextStream &out;
    const Mode mode;
    int lastStep = Run::NoStep;
    bool stepLineOpen = false; // a terminal line that the next step or line rewrites
    QStringList groupLines;    // on a terminal, one per sensor of the group, kept in place
    QList<int> groupSteps;     // each sensor's last step, for one line per step elsewhere
};
