// Turns at the flashing tool, for a tool that cannot run several times at once on one computer:
// runs that have found their bootloader queue for it, while the others' restarts and waits go on.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
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

private:
    void giveTurns();

    const int atOnce;
    QList<QPointer<QObject>> holding;
    QList<QPair<QPointer<QObject>, std::function<void()>>> waiting;
};
