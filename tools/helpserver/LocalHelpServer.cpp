// A small HTTPS server on loopback that stands in for the maker's help server.
#include "LocalHelpServer.h"

#include <QFile>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTimer>
#include <memory>

static void initHelpServerResources()
{
    Q_INIT_RESOURCE(helpserver);
}

namespace {
QByteArray readResource(const QString &name)
{
    QFile file(LocalHelpServer::certificateDirectory() + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing %s", qPrintable(name));
    return file.readAll();
}

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}
} // namespace

QString LocalHelpServer::certificateDirectory()
{
    initHelpServerResources();
    return QStringLiteral(":/helpserver/certs/");
}

QSslCertificate LocalHelpServer::testAuthority()
{
    return QSslCertificate(readResource(QStringLiteral("test-ca.pem")));
}

void LocalHelpServer::trustTestAuthority()
{
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.addCaCertificate(testAuthority());
    QSslConfiguration::setDefaultConfiguration(config);
}

LocalHelpServer::LocalHelpServer(Identity identity, QObject *parent)
    : QTcpServer(parent)
{
    const QString name =
        identity == Identity::Trusted ? QStringLiteral("localhost") : QStringLiteral("untrusted");
    certificate = QSslCertificate(readResource(name + QStringLiteral(".pem")));
    key = QSslKey(readResource(name + QStringLiteral(".key")), QSsl::Rsa);
}

bool LocalHelpServer::start(quint16 port)
{
    return listen(QHostAddress::LocalHost, port);
}

QString LocalHelpServer::hostAndPort() const
{
    return QStringLiteral("localhost:%1").arg(serverPort());
}

bool LocalHelpServer::serveHelpFiles(const QByteArray &programVersion, const QString &packageFile,
                                     int packageDelayMs)
{
    setAnswer(QStringLiteral("/files/terravox/v2/sensor/updater/updater_version"), 200,
              programVersion);
    if (packageFile.isEmpty())
        return true;
    QFile file(packageFile);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    Answer package;
    package.body = file.readAll();
    package.delayMs = packageDelayMs;
    setAnswer(QStringLiteral("/files/terravox/v2/sensor/firmware/app.zip"), package);
    return true;
}

void LocalHelpServer::setAnswer(const QString &path, const Answer &answer)
{
    answers.insert(path, answer);
}

void LocalHelpServer::setAnswer(const QString &path, int status, const QByteArray &body)
{
    Answer answer;
    answer.status = status;
    answer.body = body;
    setAnswer(path, answer);
}

void LocalHelpServer::incomingConnection(qintptr descriptor)
{
    auto *socket = new QSslSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    socket->setLocalCertificate(certificate);
    socket->setPrivateKey(key);
    connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, QOverload<const QList<QSslError> &>::of(&QSslSocket::sslErrors), socket,
            [socket] { socket->abort(); });
    auto head = std::make_shared<QByteArray>();
    connect(socket, &QSslSocket::readyRead, socket, [this, socket, head] {
        *head += socket->readAll();
        if (head->contains("\r\n\r\n"))
            respond(socket, *head);
    });
    socket->startServerEncryption();
}

void LocalHelpServer::respond(QIODevice *socket, const QByteArray &requestHead)
{
    if (socket->property("answered").toBool())
        return;
    socket->setProperty("answered", true);
    const QList<QByteArray> requestLine = requestHead.left(requestHead.indexOf("\r\n")).split(' ');
    const QString path = QString::fromLatin1(requestLine.value(1));
    requests.append(path);
    emit requested(path);

    const Answer answer = answers.value(path, Answer{404, "not here\n", {}, 0});
    if (answer.delayMs < 0)
        return;
    QTimer::singleShot(answer.delayMs, socket, [socket, answer] { send(socket, answer); });
}

void LocalHelpServer::send(QIODevice *socket, const Answer &answer)
{
    QByteArray response = "HTTP/1.1 " + QByteArray::number(answer.status) + ' ' +
                          reasonPhrase(answer.status) + "\r\n";
    response += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
    response += "Connection: close\r\n";
    for (const auto &header : qAsConst(answer.headers))
        response += header.first + ": " + header.second + "\r\n";
    response += "\r\n";
    socket->write(response);
    socket->write(answer.body);
    auto *ssl = static_cast<QSslSocket *>(socket);
    connect(ssl, &QSslSocket::encryptedBytesWritten, ssl, [ssl] {
        if (ssl->bytesToWrite() == 0 && ssl->encryptedBytesToWrite() == 0)
            ssl->disconnectFromHost();
    });
}
