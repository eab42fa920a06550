// Waits on the event loop until a spied signal has arrived often enough, instead of sleeping.
#pragma once

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

// True once spy has recorded at least count emissions; false when timeoutMs passed first.
inline bool waitForSignal(QSignalSpy &spy, int count = 1, int timeoutMs = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (spy.count() < count && timer.elapsed() < timeoutMs)
        spy.wait(static_cast<int>(qMax<qint64>(1, timeoutMs - timer.elapsed())));
    return spy.count() >= count;
}
