// The window's run: application, Updater and QML engine, built and torn down in a fixed order.
#include "Application.h"

#include "TrustedAuthorities.h"
#include "Updater.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQmlContext>

void registerQmlTypes()
{
    qmlRegisterUncreatableType<Updater>("OVK", 1, 0, "Updater",
                                        QStringLiteral("The program's one Updater is \"updater\""));
}

int runApplication(int argc, char *argv[], const QUrl &mainDocument)
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QGuiApplication app(argc, argv);
    // The fallback file dialog keeps its size in the settings of the application it runs in.
    QCoreApplication::setOrganizationName(QStringLiteral("OVK"));
    QCoreApplication::setApplicationName(QStringLiteral("Updater"));
    trustBuiltInAuthorities();
    registerQmlTypes();

    Updater updater;
    QQmlApplicationEngine engine;
    engine.rootContext()->setContextProperty(QStringLiteral("updater"), &updater);
    engine.load(mainDocument);
    if (engine.rootObjects().isEmpty())
        return -1;
    return app.exec();
}
