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

    // From now until end(), the program's log lines are this run's too: those logged while one of
    // its Scopes is open, and every other line while it is the only run going.
    void begin(const QString &packagePath);
    // The package as it is now, once the run has fixed it: its size, SHA-256 and date. Read once.
    void describePackage();
    void setSensor(const QString &serialNumber, const QString &portPath);
    void enterStep(const QString &step);
    // A word for a person beside the log lines (what a USB error means, say): the details show
    // it in the program's language, the log in English.
    void addNote(const QString &english, const QString &translated);
    void setToolOutput(const QByteArray &output, const QByteArray &errors);
    // How the flashing tool ended by itself: its exit code, or the signal that ended it.
    void setToolEnding(int exitCode, int signalNumber);
    void end(const QString &outcome, const QString &words);

    // The end of what the tool wrote and the run's log lines, for a person to read or copy.
    QString details() const;
    // The last lines of what the tool wrote to both channels.
    QString toolTail(int lines) const;
    // What the history keeps of it, and the whole log, as its file holds it.
    QJsonObject summary() const;
    QString logText() const;
    QDateTime started() const { return startedAt; }

    // The lines logged while a Scope is open are its run's, whichever other runs are going.
    class Scope
    {
    public:
        explicit Scope(RunRecord &record);
        ~Scope();
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;

    private:
        RunRecord *previous;
        bool previousAside;
    };
    // ... and those logged while an Aside is open are no run's: what the tool wrote, logged
    // whole, is kept apart from the log lines.
    class Aside
    {
    public:
        Aside();
        ~Aside();
        Aside(const Aside &) = delete;
        Aside &operator=(const Aside &) = delete;

    private:
        bool previous;
    };

private:
    static void capture(QtMsgType type, const QMessageLogContext &context, const QString &message);
    void keepLine(const QString &line);
    void closeStep();
    void stopCapturing();

    QDateTime startedAt;
    QElapsedTimer clock;
    QString packagePath;
    QJsonObject package; // name, and once described its size, SHA-256 and date
    bool packageDescribed = false;
    QString sensor;
    QList<QPair<QString, qint64>> steps; // name and how long, in milliseconds
    QString currentStep;
    qint64 stepStartedMs = 0;
    QStringList notes;           // English, for the log
    QStringList translatedNotes; // for the details
    mutable QMutex linesMutex;   // log lines may come from any thread
    QStringList lines;
    bool toolRan = false;
    QByteArray output;
    QByteArray errors;
    bool toolEnded = false;
    int toolExitCode = 0;
    int toolSignal = 0;
    QString outcome;
    QString outcomeWords;
};
