// A timer for QML that is not an animation. QML's own Timer runs on the animation clock, and
// each start of it wakes the window's render loop for a frame of its own: for a poll every
// 1500 ms, most of what an idle window costs.
#pragma once

#include <QObject>
#include <QTimer>

class PollTimer : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int interval READ interval WRITE setInterval)
    // Fires once per start, as a Timer without repeat does.
    Q_PROPERTY(bool running READ isRunning WRITE setRunning NOTIFY runningChanged)

public:
    explicit PollTimer(QObject *parent = nullptr);

    int interval() const { return timer.interval(); }
    void setInterval(int milliseconds) { timer.setInterval(milliseconds); }
    bool isRunning() const { return timer.isActive(); }
    void setRunning(bool running);

    Q_INVOKABLE void start() { setRunning(true); }
    Q_INVOKABLE void stop() { setRunning(false); }

signals:
    void triggered();
    void runningChanged();

private:
    QTimer timer;
};
