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

public:
    Q_INVOKABLE void reset();
    // Ends the run that updatePod started, as the Updater does: no longer running, then the
    // outcome.
    Q_INVOKABLE void endRun(int outcome);
    Q_INVOKABLE QString outcomeTitle(int outcome) const;
    Q_INVOKABLE QString outcomeText(int outcome) const;
    Q_INVOKABLE bool withdrawWaitingRun();

signals:
    void newVersion(QString currVersion, QString newVersion);
    void updateDone(int exitCode);
    void usbError(int error, QString error_name);
    void runEnded(int outcome);
    void runningChanged();
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
    const QString packagePath = Endpoints::packagePath();
    int pollCount = 0;
    QStringList calls;
    QStringList openedUrls;
};
