// The program's run: application, Updater and QML engine, built and torn down in a fixed order.
#include "Application.h"

#include "Endpoints.h"
#include "Updater.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QSslConfiguration>

void trustBuiltInAuthorities()
{
    const auto authorities = QSslCertificate::fromData(Endpoints::extraTrustedAuthorities());
    if (authorities.isEmpty())
        return;
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.addCaCertificates(authorities);
    QSslConfiguration::setDefaultConfiguration(config);
}

int runApplication(int argc, char *argv[], const QUrl &mainDocument)
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QGuiApplication app(argc, argv);
    // The fallback file dialog keeps its size in the settings of the application it runs in.
    QCoreApplication::setOrganizationName(QStringLiteral("OVK"));
    QCoreApplication::setApplicationName(QStringLiteral("Updater"));
    trustBuiltInAuthorities();

    Updater updater;
    QQmlApplicationEngine engine;
    engine.rootContext()->setContextProperty(QStringLiteral("updater"), &updater);
    engine.load(mainDocument);
    if (engine.rootObjects().isEmpty())
        return -1;
    return app.exec();
}
