// The window's run: application, Updater and QML engine, built and torn down in a fixed order.
#include "Application.h"

#include "TrustedAuthorities.h"
#include "Updater.h"

#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQmlContext>

void registerQmlTypes()
{
    qmlRegisterUncreatableType<Updater>("OVK", 1, 0, "Updater",
                                        QStringLiteral("The program's one Updater is \"updater\""));
}

static QFont fixedWidthFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    // A platform without a theme (offscreen) answers with its general font: the font database's
    // own choice for a typewriter then, by the name of the family it finds. (Only then is a font
    // looked up here: that costs some 4 ms at start.)
    if (font == QFontDatabase::systemFont(QFontDatabase::GeneralFont)) {
        QFont typewriter(QStringLiteral("monospace"));
        typewriter.setStyleHint(QFont::TypeWriter);
        font.setFamily(QFontInfo(typewriter).family());
    }
    return font;
}

// The module's plugin resolves its images against the first folder of the engine's import path
// that holds the module, or against its own resources where its documents are not installed
// there (a static Qt).
static QString standardIconFolder(const QQmlEngine &engine)
{
    const QString resources = QStringLiteral("qrc:/QtQuick/Dialogs/images/");
    for (const QString &path : engine.importPathList()) {
        const QDir module(path + QStringLiteral("/QtQuick/Dialogs"));
        if (module.exists(QStringLiteral("qmldir")))
            return module.exists(QStringLiteral("DefaultFileDialog.qml"))
                       ? QUrl::fromLocalFile(module.filePath(QStringLiteral("images/"))).toString()
                       : resources;
    }
    return resources;
}

void publishPlatformLook(QQmlEngine *engine)
{
    engine->rootContext()->setContextProperty(QStringLiteral("fixedFont"), fixedWidthFont());
    engine->rootContext()->setContextProperty(QStringLiteral("standardIconFolder"),
                                              standardIconFolder(*engine));
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
    publishPlatformLook(&engine);
    engine.load(mainDocument);
    if (engine.rootObjects().isEmpty())
        return -1;
    return app.exec();
}
