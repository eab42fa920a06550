// Moments of a run on the monotonic clock, from which scripts/bench takes the program's own time
// around the bootloader wait. Logged in the category "ovk.run.moments", which stays silent unless
// asked for: QT_LOGGING_RULES="ovk.run.moments.debug=true".
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(runMoments)

namespace RunMoments {
// Logs "NAME NANOSECONDS", std::chrono::steady_clock's time (CLOCK_MONOTONIC on Linux).
void mark(const char *name);
} // namespace RunMoments
