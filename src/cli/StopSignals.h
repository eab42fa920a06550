// Turns SIGINT, SIGTERM and SIGHUP (on Windows: Ctrl+C, Ctrl+Break and the console closing) into
// a Qt signal on the event loop, so that a running update can be let finish before the program
// stops, even when its terminal has gone.
#pragma once

#include <QObject>

class QSocketNotifier;

class StopSignals : public QObject
{
    Q_OBJECT

public:
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;

signals:
    void stopRequested(int signalNumber);

private:
    static void onSignal(int signalNumber); // POSIX: writes to the pipe the event loop reads
    QSocketNotifier *notifier = nullptr;
};
