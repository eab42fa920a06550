// Records the program's debug log lines (see LogCapture.h).
#include "LogCapture.h"

#include <QMutex>
#include <QMutexLocker>

namespace {
QMutex mutex;
QStringList recorded;
QtMessageHandler forward = nullptr;
} // namespace

LogCapture::LogCapture()
{
    QMutexLocker lock(&mutex);
    recorded.clear();
    previous = qInstallMessageHandler(&LogCapture::record);
    forward = previous;
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(previous);
}

QStringList LogCapture::lines() const
{
    QMutexLocker lock(&mutex);
    return recorded;
}

void LogCapture::clear()
{
    QMutexLocker lock(&mutex);
    recorded.clear();
}

void LogCapture::record(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    {
        QMutexLocker lock(&mutex);
        if (type == QtDebugMsg)
            recorded.append(message);
    }
    // Keep the lines in the test's own output, where a failing run shows them.
    if (forward)
        forward(type, context, message);
}
