// Qt Quick Test runner for the program's QML: the documents come from the program's own
// resource bundle, with a stand-in "updater" in the root context and the platform's look as the
// program gives it.
#include "Application.h"
#include "FakeUpdater.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QQmlContext>
#include <QQmlEngine>
#include <QtQuickTest>

class Setup : public QObject
{
    Q_OBJECT

public slots:
    void applicationAvailable()
    {
        // The fallback file dialog keeps its settings under the application's name.
        QCoreApplication::setOrganizationName(QStringLiteral("OVK"));
        QCoreApplication::setApplicationName(QStringLiteral("UpdaterQmlTest"));
    }

    void qmlEngineAvailable(QQmlEngine *engine)
    {
        registerQmlTypes();
        engine->rootContext()->setContextProperty(QStringLiteral("updater"), &updater);
        publishPlatformLook(engine);
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &updater, "openUrl");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &updater, "openUrl");
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &updater, "openUrl");
    }

private:
    FakeUpdater updater;
};

QUICK_TEST_MAIN_WITH_SETUP(ovk_qml, Setup)
#include "tst_qml.moc"
