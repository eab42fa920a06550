// The runs told afterwards, in the user's data folder: each run's log as a file of its own
// (the last 20 runs), and a history with one line per run, read from its end.
#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

class RunRecord;

namespace RunHistory {
// UserFolders::data(): $XDG_DATA_HOME/ovk-sensor-updater; %LOCALAPPDATA%\OVK Sensor Updater.
QString folder();
QString logFolder();
QString historyFile();

// Makes the log folder (and the folder it is in) where missing, private to this user.
bool makeLogFolder(QString *error);
// Keeps the run: its log file and its line in the history. False, with why, when it cannot.
bool keep(const RunRecord &record, QString *error);

// The end of the history: its last runs, each a line of the file.
struct Recent
{
    QList<QJsonObject> entries; // oldest first; lines that cannot be read are left out
    qint64 total = 0;           // how many runs the file holds in all
    qint64 earlier = 0;         // how many of them come before the ones read
};
// The last count runs, read from the end of the file; a negative count: every run.
Recent last(int count);
// Every run the history holds, oldest first; lines that cannot be read are left out.
QList<QJsonObject> entries();
// The history as a table for a person: when, program, sensor, package, outcome and steps.
QString table(const QList<QJsonObject> &entries);
// For the window: the newest runs first, at most rows of them, and a last line that says how
// many earlier runs the history holds, where it holds more.
QString overview(int rows);
} // namespace RunHistory
