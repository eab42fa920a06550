// A timer for QML that is not an animation (see PollTimer.h).
#include "PollTimer.h"

PollTimer::PollTimer(QObject *parent)
    : QObject(parent)
{
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, this, [this] {
        emit runningChanged();
        emit triggered();
    });
}

void PollTimer::setRunning(bool running)
{
    if (running == timer.isActive())
        return;
    running ? timer.start() : timer.stop();
    emit runningChanged();
}
