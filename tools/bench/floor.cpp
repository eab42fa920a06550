// The floor of the benchmark: QGuiApplication and QQmlApplicationEngine with a bare window,
// started the way the program starts its own.
#include <QGuiApplication>
#include <QQmlApplicationEngine>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QGuiApplication app(argc, argv);
    QQmlApplicationEngine engine;
    engine.load(QUrl(QStringLiteral("qrc:/floor.qml")));
    if (engine.rootObjects().isEmpty())
        return -1;
    return app.exec();
}
