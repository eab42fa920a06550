// Turns at the flashing tool, for a tool that cannot run several times at once on one computer:
// runs that have found their bootloader queue for it, while the others' restarts and waits go on.
// Kept by whoever starts the runs for as long as it starts any, so that a tool that outlives its
// run still counts.
#pragma once

#include <QDeadlineTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

class ToolTurns : public QObject
{
    Q_OBJECT

public:
    // atOnce: how many tools may run at the same time; 0: as many as ask.
    explicit ToolTurns(int atOnce, QObject *parent = nullptr);

    // Calls go once holder may start its tool: at once if a turn is free, else when one is.
    void request(QObject *holder, std::function<void()> go);
    // The holder's turn, or its place in the queue, is given up (its run has ended).
    void release(QObject *holder);
    // The holder's run has ended, but its tool may run on (its supervisor was lost): the turn
    // stays taken until stillRuns() says no more, or the deadline has passed.
    void keepWhile(QObject *holder, std::function<bool()> stillRuns, QDeadlineTimer deadline);

private:
    struct Kept
    {
        std::function<bool()> stillRuns;
        QDeadlineTimer deadline;
    };

    void checkKept();
    void giveTurns();

    const int atOnce;
    QList<QPointer<QObject>> holding;
    QList<QPair<QPointer<QObject>, std::function<void()>>> waiting;
    QList<Kept> kept; // turns of tools whose runs have gone
    QTimer keptCheck;
};
