// Moments of a run for the benchmark (see RunMoments.h).
#include "RunMoments.h"

#include <chrono>

Q_LOGGING_CATEGORY(runMoments, "ovk.run.moments", QtInfoMsg)

void RunMoments::mark(const char *name)
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    if (runMoments().isDebugEnabled())
        qCDebug(runMoments, "%s %lld", name,
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
}
