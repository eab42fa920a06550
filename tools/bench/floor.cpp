// The floor of the benchmark: QGuiApplication and QQmlApplicationEngine with a bare window,
// started the way the program starts its own, with Qt's own translation for the user's
// language. With --dialog-on-input, each line on standard input opens its message dialog, as the
// end of a run opens the program's result (scripts/bench times both the same way).
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QQmlApplicationEngine>
#include <QSocketNotifier>
#include <QTranslator>
#include <memory>
#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QGuiApplication app(argc, argv);
    QTranslator qtTranslation;
    if (qtTranslation.load(QLocale(), QStringLiteral("qt"), QStringLiteral("_"),
                           QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTranslation);
    QQmlApplicationEngine engine;
    engine.load(QUrl(QStringLiteral("qrc:/floor.qml")));
    if (engine.rootObjects().isEmpty())
        return -1;
    std::unique_ptr<QSocketNotifier> input;
    if (app.arguments().contains(QStringLiteral("--dialog-on-input"))) {
        input = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
        QObject::connect(input.get(), &QSocketNotifier::activated, [&input, &engine] {
            char line[64];
            if (read(STDIN_FILENO, line, sizeof line) <= 0) {
                input->setEnabled(false); // its end, or an error: no more dialogs
                return;
            }
            QMetaObject::invokeMethod(engine.rootObjects().constFirst(), "showMessage");
        });
    }
    return app.exec();
}
