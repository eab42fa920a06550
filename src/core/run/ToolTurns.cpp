// Turns at the flashing tool (see ToolTurns.h).
#include "ToolTurns.h"

namespace {
// How often a kept turn's tool is looked at: a tool's run takes tens of seconds.
constexpr int keptCheckMs = 500;
} // namespace

ToolTurns::ToolTurns(int atOnce, QObject *parent)
    : QObject(parent)
    , atOnce(atOnce)
{
    keptCheck.setInterval(keptCheckMs);
    connect(&keptCheck, &QTimer::timeout, this, &ToolTurns::checkKept);
}

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

void ToolTurns::keepWhile(QObject *holder, std::function<bool()> stillRuns, QDeadlineTimer deadline)
{
    if (holding.removeAll(holder) > 0) {
        kept.append({std::move(stillRuns), deadline});
        keptCheck.start();
    }
    release(holder);
}

void ToolTurns::checkKept()
{
    for (auto it = kept.begin(); it != kept.end();)
        it = it->deadline.hasExpired() || !it->stillRuns() ? kept.erase(it) : std::next(it);
    if (kept.isEmpty())
        keptCheck.stop();
    giveTurns();
}

void ToolTurns::giveTurns()
{
    holding.removeAll(nullptr);
    while (!waiting.isEmpty() && (atOnce <= 0 || holding.size() + kept.size() < atOnce)) {
        auto next = waiting.takeFirst();
        if (!next.first)
            continue;
        holding.append(next.first);
        // Not from inside the call that freed the turn: that run is still ending.
        QTimer::singleShot(0, next.first, next.second);
    }
}
