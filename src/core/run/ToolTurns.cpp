// Turns at the flashing tool (see ToolTurns.h).
#include "ToolTurns.h"

#include <QTimer>

ToolTurns::ToolTurns(int atOnce, QObject *parent)
    : QObject(parent)
    , atOnce(atOnce)
{}

void ToolTurns::request(QObject *holder, std::function<void()> go)
{
    waiting.append({holder, std::move(go)});
    giveTurns();
}

void ToolTurns::release(QObject *holder)
{
    holding.removeAll(holder);
    for (auto it = waiting.begin(); it != waiting.end();)
        it = it->first == holder ? waiting.erase(it) : std::next(it);
    giveTurns();
}

void ToolTurns::giveTurns()
{
    holding.removeAll(nullptr);
    while (!waiting.isEmpty() && (atOnce <= 0 || holding.size() < atOnce)) {
        auto next = waiting.takeFirst();
        if (!next.first)
            continue;
        holding.append(next.first);
        // Not from inside the call that freed the turn: that run is still ending.
        QTimer::singleShot(0, next.first, next.second);
    }
}
