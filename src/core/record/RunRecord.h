// One update run as it is told afterwards: when, with which package, on which sensor, its
// steps and how long each took, its log lines, what the flashing tool wrote, and how it ended.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonObject>
#include <QList>
#include <QMutex>
#include <QPair>
#include <QString>
#include <QStringList>

class RunRecord
{
public:
    RunRecord();
    ~RunRecord();
    RunRecord(const RunRecord &) = delete;
    RunRecord &operator=(const RunRecord &) = delete;

    // From now until end(), this program's log lines are this run's too.
    void begin(const QString &package);
    void setSensor(const QString &serialNumber, const QString &portPath);
    void enterStep(const QString &step);
    // A word for a person beside the log lines (what a USB error means, say).
    void addNote(const QString &note);
    void setToolOutput(const QByteArray &output, const QByteArray &errors);
    void end(const QString &outcome, const QString &words, int code);

    bool hasToolOutput() const { return toolRan; }
    // The end of what the tool wrote and the run's log lines, for a person to read or copy.
    QString details() const;
    // The last lines of what the tool wrote to both channels.
    QString toolTail(int lines) const;
    // What the history keeps of it, and the whole log, as its file holds it.
    QJsonObject summary() const;
    QString logText() const;
    QDateTime started() const { return startedAt; }

private:
    static void capture(QtMsgType type, const QMessageLogContext &context, const QString &message);
    void closeStep();

    QDateTime startedAt;
    QElapsedTimer clock;
    QString packagePath;
    QJsonObject package; // name, size, SHA-256 and date, where it could be read
    QString sensor;
    QList<QPair<QString, qint64>> steps; // name and how long, in milliseconds
    QString currentStep;
    qint64 stepStartedMs = 0;
    QStringList notes;
    mutable QMutex linesMutex; // log lines may come from any thread
    QStringList lines;
    bool toolRan = false;
    QByteArray output;
    QByteArray errors;
    QString outcome;
    QString outcomeWords;
    int code = 0;
};
