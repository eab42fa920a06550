// A stand-in for the program's Updater with the same signals and slots, for the QML tests: it
// records every call and lets a test choose what the sensor check answers.
#pragma once

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

public:
    Q_INVOKABLE void reset();

signals:
    void newVersion(QString currVersion, QString newVersion);
    void updateDone(int exitCode);
    void usbError(int error, QString error_name);
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
    int pollCount = 0;
    QStringList calls;
    QStringList openedUrls;
};
