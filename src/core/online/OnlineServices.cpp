// Updater: the program version check, the firmware package download and the local choice.
#include "Updater.h"

#include "Endpoints.h"
#include "FirmwarePackage.h"
#include "HelpServerReply.h"
#include "PackageDownload.h"
#include "ProgramVersion.h"

#include <QDebug>
#include <QNetworkAccessManager>
#include <QNetworkReply>

void Updater::checkProgramVersion()
{
    versionRequest.setUrl(ProgramVersion::fileUrl(helpHost));
    versionRequest.setTransferTimeout(timing.helpServerSilenceMs);
    versionManager->get(versionRequest);
}

void Updater::handleVersionReply(QNetworkReply *reply)
{
    reply->deleteLater();
    const HelpServerReply answer = HelpServerReply::read(reply);
    if (!answer.ok) {
        qDebug() << "Error program version DL: " << answer.error;
        return;
    }
    // Any other text counts as a new version, a lower number or an empty file included.
    const QString latest = ProgramVersion::textOf(answer.body);
    if (latest != ProgramVersion::current())
        emit newVersion(ProgramVersion::current(), latest);
}

void Updater::downloadLastPodVersion()
{
    firmwareRequest.setUrl(FirmwarePackage::downloadUrl(helpHost));
    firmwareRequest.setTransferTimeout(timing.helpServerSilenceMs);
    QNetworkReply *reply = firmwareManager->get(firmwareRequest);
    firmwareDownload = reply;
    // One overtaken by a later download hands its waiting runs on to that one.
    if (!packageDownload)
        packageDownload = new PackageDownload(packageFile, this);
    // The body is held whole in memory: stop a package that would not fit before it arrives.
    connect(reply, &QNetworkReply::downloadProgress, this,
            [this, reply](qint64 received, qint64 total) {
                if (received > FirmwarePackage::maximumSize ||
                    total > FirmwarePackage::maximumSize) {
                    reply->setProperty("tooLarge", true);
                    reply->abort();
                    return;
                }
                // A run that waits for the package shows how far it has come.
                if (total > 0 && reply == firmwareDownload && packageDownload)
                    emit packageDownload->progressed(int(received * 100 / total));
            });
}

void Updater::handleFirmwareReply(QNetworkReply *reply)
{
    reply->deleteLater();
    const bool stored = storeFirmware(reply);
    if (reply != firmwareDownload)
        return; // an earlier download, overtaken by a later one
    firmwareDownload = nullptr;
    // Said before a waiting run goes on with what is stored.
    if (!stored)
        emit packageDownloadFailed();
    if (PackageDownload *ended = packageDownload) {
        packageDownload = nullptr;
        emit ended->ended(stored);
        ended->deleteLater();
    }
}

bool Updater::storeFirmware(QNetworkReply *reply)
{
    HelpServerReply answer = HelpServerReply::read(reply);
    if (reply->property("tooLarge").toBool())
        answer = {false, {}, QStringLiteral("Package larger than 64 MiB")};
    // A captive portal or a misconfigured server answers 200 with a web page.
    if (answer.ok && !FirmwarePackage::isZipArchive(answer.body))
        answer = {false, {}, QStringLiteral("Not a zip archive")};
    if (!answer.ok) {
        qDebug() << "Error app.zip DL: " << answer.error;
        return false;
    }
    QString error;
    if (!FirmwarePackage::store(packageFile, answer.body, &error)) {
        qDebug() << "Error app.zip store: " << error;
        return false;
    }
    return true;
}

QString Updater::handleFileChosen(QString urlString)
{
    return FirmwarePackage::pathFromUrl(urlString);
}
