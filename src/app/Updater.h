// Updater: the program's logic, published to QML as "updater".
// QML calls its slots and learns every outcome through its three signals.
#pragma once

#include "UpdateTiming.h"
#include "UsbLink.h"

#include <QNetworkRequest>
#include <QObject>
#include <QString>

class QNetworkAccessManager;
class QProcess;

class Updater : public QObject
{
    Q_OBJECT

public:
    explicit Updater(QObject *parent = nullptr);
    ~Updater() override;

    void sendBootloaderCommand();

signals:
    void newVersion(QString currVersion, QString newVersion);
    void updateDone(int exitCode);
    void usbError(int error, QString error_name);

public slots:
    void updatePod(QString firmwarePath);
    bool checkPodConnected();
    void processFinished(int exitCode);
    void checkProgramVersion();
    void downloadLastPodVersion();
    QString handleFileChosen(QString urlString);

private:
    friend struct UpdaterTestAccess;

    UsbLink usbLink;
    QString portName;
    QProcess *process = nullptr;
    QNetworkAccessManager *versionManager = nullptr;
    QNetworkAccessManager *firmwareManager = nullptr;
    QNetworkRequest versionRequest;
    QNetworkRequest firmwareRequest;

    UpdateTiming timing;
};
