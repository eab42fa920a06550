// Records the program's debug log lines while it is alive, so tests can compare them literally.
#pragma once

#include <QStringList>
#include <QtGlobal>

class LogCapture
{
public:
    LogCapture();
    ~LogCapture();

    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QStringList lines() const;
    void clear();

private:
    static void record(QtMsgType type, const QMessageLogContext &context, const QString &message);
    QtMessageHandler previous = nullptr;
};
