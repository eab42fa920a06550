// A small HTTPS server on loopback that stands in for the maker's help server: it answers GET
// requests with the status, headers and body set for each path, and 404 for anything else.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QSslCertificate>
#include <QSslKey>
#include <QStringList>
#include <QTcpServer>

class LocalHelpServer : public QTcpServer
{
    Q_OBJECT

public:
    struct Answer
    {
        int status = 200;
        QByteArray body;
        QList<QPair<QByteArray, QByteArray>> headers;
        int delayMs = 0; // before the answer is sent; negative: never (a server gone silent)
    };

    // Certificates shipped with the tools: the test CA, localhost signed by it, and a
    // self-signed localhost certificate that nobody trusts.
    static QString certificateDirectory();
    static QSslCertificate testAuthority();
    // Makes this process (a test, never the program) trust the test authority.
    static void trustTestAuthority();
    enum class Identity
    {
        Trusted,
        Untrusted
    };

    explicit LocalHelpServer(Identity identity = Identity::Trusted, QObject *parent = nullptr);

    // Listens on 127.0.0.1; port 0 picks a free one.
    bool start(quint16 port = 0);
    QString hostAndPort() const;

    // Serves the two files of the real help server: the program version file with this text,
    // and the firmware package from this file (none when empty), after packageDelayMs. False if
    // it cannot be read.
    bool serveHelpFiles(const QByteArray &programVersion, const QString &packageFile,
                        int packageDelayMs = 0);

    void setAnswer(const QString &path, const Answer &answer);
    void setAnswer(const QString &path, int status, const QByteArray &body = {});
    QStringList requestedPaths() const { return requests; }

signals:
    void requested(const QString &path);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    void respond(QIODevice *socket, const QByteArray &requestHead);
    static void send(QIODevice *socket, const Answer &answer);

    QSslCertificate certificate;
    QSslKey key;
    QMap<QString, Answer> answers;
    QStringList requests;
};
