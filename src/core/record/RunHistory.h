// The runs told afterwards, in the user's data folder: each run's log as a file of its own
// (the last 20 runs), and a history with one line per run.
#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

class RunRecord;

namespace RunHistory {
// $XDG_DATA_HOME/ovk-sensor-updater (~/.local/share/...); %LOCALAPPDATA%\OVK Sensor Updater.
QString folder();
QString logFolder();
QString historyFile();

// Keeps the run: its log file and its line in the history. False, with why, when it cannot.
bool keep(const RunRecord &record, QString *error);
// Every run the history holds, oldest first; lines that cannot be read are left out.
QList<QJsonObject> entries();
// The history as a table for a person: when, program, sensor, package, outcome and steps.
QString table(const QList<QJsonObject> &entries);
} // namespace RunHistory
