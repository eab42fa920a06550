// ovk-help-server: the local help server for the demo and the end-to-end tests. It serves the
// program version file and a firmware package on 127.0.0.1 over HTTPS (test CA).
#include "LocalHelpServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Local stand-in for the OVK help server.");
    parser.addHelpOption();
    const QCommandLineOption port("port", "Port to listen on (0: any free one).", "port", "0");
    const QCommandLineOption version("version", "Text of the program version file.", "text", "0.1");
    const QCommandLineOption package("package", "File served as the firmware package.", "file");
    parser.addOptions({port, version, package});
    parser.process(app);

    LocalHelpServer server;
    if (!server.serveHelpFiles(parser.value(version).toUtf8(), parser.value(package)))
        qFatal("cannot read %s", qPrintable(parser.value(package)));
    QTextStream out(stdout);
    QObject::connect(&server, &LocalHelpServer::requested, [&out](const QString &path) {
        out << "help server: GET " << path << Qt::endl;
    });
    if (!server.start(static_cast<quint16>(parser.value(port).toUInt())))
        qFatal("cannot listen: %s", qPrintable(server.errorString()));
    out << "help server: listening on " << server.hostAndPort() << Qt::endl;
    return app.exec();
}
