// Qt Quick Test runner for the program's QML: the documents come from the program's own
// resource bundle, with a stand-in "updater" in the root context, the platform's look as the
// program gives it, and "testLanguage" to speak another language.
#include "Application.h"
#include "FakeUpdater.h"
#include "ProgramLanguage.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QQmlContext>
#include <QQmlEngine>
#include <QtQuickTest>

// The program's catalogs of a language installed, as at its start, for the documents made
// next; "" for English.
class TestLanguage : public QObject
{
    Q_OBJECT

public:
    Q_INVOKABLE void use(const QString &name)
    {
        language.reset();
        if (!name.isEmpty())
            language = std::make_unique<ProgramLanguage>(QStringList(), QStringList{name});
    }

private:
    std::unique_ptr<ProgramLanguage> language;
};

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
        engine->rootContext()->setContextProperty(QStringLiteral("testLanguage"), &language);
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &updater, "openUrl");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &updater, "openUrl");
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &updater, "openUrl");
    }

private:
    FakeUpdater updater;
    TestLanguage language;
};

QUICK_TEST_MAIN_WITH_SETUP(ovk_qml, Setup)
#include "tst_qml.moc"
