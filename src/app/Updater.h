// Updater: the program's logic, published to QML as "updater".
// QML calls its slots and learns every outcome through its three signals.
#pragma once

#include "UpdateTiming.h"
#include "UsbLink.h"

#include <QElapsedTimer>
#include <QNetworkRequest>
#include <QObject>
#include <QPointer>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;
class QProcess;

class Updater : public QObject
{
    Q_OBJECT

public:
    // updateDone codes of runs that ended before the flashing tool could report one.
    static constexpr int noBootloaderPort = -1;
    static constexpr int toolNotStarted = -2;

    explicit Updater(QObject *parent = nullptr);
    ~Updater() override;

    // False when the sensor could not be opened (usbError has been emitted).
    bool sendBootloaderCommand();

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

    // One update run waiting for its bootloader port.
    struct PortSearch
    {
        QString firmwarePath;
        bool reportNoPort = true; // false once usbError has told the user already
        QElapsedTimer sinceFirstLookup;
    };

    void startFlashingTool(PortSearch search);
    void runFlashingTool(const QString &firmwarePath);
    void handleVersionReply(QNetworkReply *reply);
    static void handleFirmwareReply(QNetworkReply *reply);

    UsbLink usbLink;
    QString portName;
    QPointer<QProcess> process;
    QNetworkAccessManager *versionManager = nullptr;
    QNetworkAccessManager *firmwareManager = nullptr;
    QNetworkRequest versionRequest;
    QNetworkRequest firmwareRequest;

    UpdateTiming timing;
    QString helpHost;
};
