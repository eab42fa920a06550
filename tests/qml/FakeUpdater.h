// A stand-in for the program's Updater with the same signals and slots, for the QML tests: it
// records every call, lets a test choose what the sensor check answers and end a run as it
// likes. The outcomes' words are the real ones.
#pragma once

#include "Endpoints.h"

#include <QObject>
#include <QStringList>
#include <QUrl>

class FakeUpdater : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool connected MEMBER connected)
    Q_PROPERTY(QStringList calls MEMBER calls NOTIFY callsChanged)
    Q_PROPERTY(QStringList openedUrls MEMBER openedUrls NOTIFY openedUrlsChanged)
    Q_PROPERTY(int pollCount MEMBER pollCount NOTIFY callsChanged)
    Q_PROPERTY(bool running MEMBER running NOTIFY runningChanged)
    Q_PROPERTY(QString packagePath MEMBER packagePath CONSTANT)
    // Whether the run only waits for its package download, which closing the window withdraws.
    Q_PROPERTY(bool waitingForPackage MEMBER waitingForPackage)
    // The run's step and progress as a test sets them; their words are the real ones.
    Q_PROPERTY(int step MEMBER step NOTIFY stepChanged)
    Q_PROPERTY(int progress MEMBER progress NOTIFY stepChanged)
    Q_PROPERTY(QString stepText READ stepText NOTIFY stepChanged)
    Q_PROPERTY(QUrl logFolder MEMBER logFolder CONSTANT)
    Q_PROPERTY(QString details MEMBER details)
    Q_PROPERTY(QString history MEMBER history)

public:
    Q_INVOKABLE void reset();
    // Ends the run that updatePod started, as the Updater does: no longer running, then the
    // outcome.
    Q_INVOKABLE void endRun(int outcome);
    Q_INVOKABLE QString outcomeTitle(int outcome) const;
    Q_INVOKABLE QString outcomeText(int outcome) const;
    Q_INVOKABLE bool withdrawWaitingRun();
    Q_INVOKABLE QString runDetails() const { return details; }
    Q_INVOKABLE QString historyText() const { return history; }
    QString stepText() const;

signals:
    void newVersion(QString currVersion, QString newVersion);
    void updateDone(int exitCode);
    void usbError(int error, QString error_name);
    void runEnded(int outcome);
    void runningChanged();
    void stepChanged();
    void callsChanged();
    void openedUrlsChanged();

public slots:
    void updatePod(QString firmwarePath);
    bool checkPodConnected();
    void processFinished(int exitCode);
    void checkProgramVersion();
    void downloadLastPodVersion();
    QString handleFileChosen(QString urlString);

    // Receives what QML hands to Qt.openUrlExternally (installed as the URL handler).
    void openUrl(const QUrl &url);

private:
    void record(const QString &call);

    bool connected = false;
    bool running = false;
    bool waitingForPackage = false;
    int step = 0;
    int progress = -1;
    const QUrl logFolder = QUrl::fromLocalFile(QStringLiteral("/home/ann/.local/share/logs"));
    QString details;
    QString history;
    const QString packagePath = Endpoints::packagePath();
    int pollCount = 0;
    QStringList calls;
    QStringList openedUrls;
};
