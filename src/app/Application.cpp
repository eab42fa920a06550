// The window's run: application, Updater and QML engine, built and torn down in a fixed order.
#include "Application.h"

#include "AccessibleControls.h"
#include "PollTimer.h"

#include "ProgramLanguage.h"
#include "RootEnvironment.h"
#include "TrustedAuthorities.h"
#include "Updater.h"

#include <QDir>
#include <QDebug>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQmlContext>

void registerQmlTypes()
{
    // The run's outcomes and steps, by the name QML knows the updater's type by.
    qmlRegisterUncreatableMetaObject(Run::staticMetaObject, "OVK", 1, 0, "Updater",
                                     QStringLiteral("The program's one Updater is \"updater\""));
    // Known by name before QML meets them as runEnded's argument, which it then takes as a number.
    qRegisterMetaType<Run::Outcome>();
    qRegisterMetaType<Run::Step>();
    qmlRegisterType<PollTimer>("OVK", 1, 0, "PollTimer");
}

// The platform's fixed-width font is not always one: offscreen answers with its general font,
// and a computer may lack the family it names (Courier New in a bare Wine prefix). Then the font
// database's own choice for a typewriter, or else any fixed-width family there is. (Looking the
// font up costs some 5 ms here, which the window's first frame then saves: it reads the same
// font database.)
static QFont fixedWidthFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (QFontInfo(font).fixedPitch())
        return font;
    QFont typewriter(QStringLiteral("monospace"));
    typewriter.setStyleHint(QFont::TypeWriter);
    const QFontInfo found(typewriter);
    if (found.fixedPitch()) {
        font.setFamily(found.family());
        return font;
    }
    const QFontDatabase database;
    for (const QString &family : database.families()) {
        if (database.isFixedPitch(family)) {
            font.setFamily(family);
            break;
        }
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
    const QStringList notRootsOwn = RootEnvironment::keepToRootsOwn();
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QGuiApplication app(argc, argv);
    for (const QString &line : notRootsOwn)
        qDebug().noquote() << line;
    // The fallback file dialog keeps its size in the settings of the application it runs in.
    QCoreApplication::setOrganizationName(QStringLiteral("OVK"));
    QCoreApplication::setApplicationName(QStringLiteral("Updater"));
    // Before the documents are loaded: their texts are translated as they are made. Qt's own
    // catalogs for the buttons of its dialogs (qtbase: the report dialog's; qtquickcontrols: the
    // message and file dialogs').
    const ProgramLanguage language({QStringLiteral("qtbase"), QStringLiteral("qtquickcontrols")});
    trustBuiltInAuthorities();
    registerQmlTypes();
    AccessibleControl::install();

    Updater updater;
    QQmlApplicationEngine engine;
    engine.rootContext()->setContextProperty(QStringLiteral("updater"), &updater);
    publishPlatformLook(&engine);
    engine.load(mainDocument);
    if (engine.rootObjects().isEmpty())
        return -1;
    return app.exec();
}
