// The Updater's interface to QML: its signals and slots, in their order and with the parameter
// names that QML handlers use.
#include "Updater.h"

#include <QMetaMethod>
#include <QtTest>

Q_DECLARE_METATYPE(QMetaMethod::MethodType)

class TestUpdaterInterface : public QObject
{
    Q_OBJECT

private slots:
    void methods_data();
    void methods();
    void onlyTheseMethods();
    void castsByClassName();
};

void TestUpdaterInterface::methods_data()
{
    QTest::addColumn<int>("offset"); // position after QObject's own methods
    QTest::addColumn<QMetaMethod::MethodType>("type");
    QTest::addColumn<QByteArray>("signature");
    QTest::addColumn<QByteArray>("returnType");
    QTest::addColumn<QList<QByteArray>>("parameterNames");

    const auto signal = QMetaMethod::Signal;
    const auto slot = QMetaMethod::Slot;
    using Names = QList<QByteArray>;
    QTest::newRow("newVersion") << 0 << signal << QByteArray("newVersion(QString,QString)")
                                << QByteArray("void") << Names{"currVersion", "newVersion"};
    QTest::newRow("updateDone") << 1 << signal << QByteArray("updateDone(int)")
                                << QByteArray("void") << Names{"exitCode"};
    QTest::newRow("usbError") << 2 << signal << QByteArray("usbError(int,QString)")
                              << QByteArray("void") << Names{"error", "error_name"};
    // Beside the three that QML handles: the console program's word on a failed download.
    QTest::newRow("packageDownloadFailed")
        << 3 << signal << QByteArray("packageDownloadFailed()") << QByteArray("void") << Names{};
    QTest::newRow("updatePod") << 4 << slot << QByteArray("updatePod(QString)")
                               << QByteArray("void") << Names{"firmwarePath"};
    QTest::newRow("checkPodConnected")
        << 5 << slot << QByteArray("checkPodConnected()") << QByteArray("bool") << Names{};
    QTest::newRow("processFinished") << 6 << slot << QByteArray("processFinished(int)")
                                     << QByteArray("void") << Names{"exitCode"};
    QTest::newRow("checkProgramVersion")
        << 7 << slot << QByteArray("checkProgramVersion()") << QByteArray("void") << Names{};
    QTest::newRow("downloadLastPodVersion")
        << 8 << slot << QByteArray("downloadLastPodVersion()") << QByteArray("void") << Names{};
    QTest::newRow("handleFileChosen") << 9 << slot << QByteArray("handleFileChosen(QString)")
                                      << QByteArray("QString") << Names{"urlString"};
}

void TestUpdaterInterface::methods()
{
    QFETCH(int, offset);
    QFETCH(QMetaMethod::MethodType, type);
    QFETCH(QByteArray, signature);
    QFETCH(QByteArray, returnType);
    QFETCH(QList<QByteArray>, parameterNames);

    const QMetaObject &meta = Updater::staticMetaObject;
    const QMetaMethod method = meta.method(meta.methodOffset() + offset);
    QCOMPARE(method.methodSignature(), signature);
    QCOMPARE(method.methodType(), type);
    QCOMPARE(method.access(), QMetaMethod::Public);
    QCOMPARE(QByteArray(method.typeName()), returnType);
    QCOMPARE(method.parameterNames(), parameterNames);
}

void TestUpdaterInterface::onlyTheseMethods()
{
    const QMetaObject &meta = Updater::staticMetaObject;
    QCOMPARE(meta.methodCount() - meta.methodOffset(), 10);
    QCOMPARE(meta.propertyCount(), meta.propertyOffset());
    QCOMPARE(meta.enumeratorCount(), meta.enumeratorOffset());
    QCOMPARE(meta.classInfoCount(), meta.classInfoOffset());
}

void TestUpdaterInterface::castsByClassName()
{
    Updater updater;
    QCOMPARE(QByteArray(updater.metaObject()->className()), QByteArray("Updater"));
    QCOMPARE(updater.qt_metacast("Updater"), static_cast<void *>(&updater));
    QCOMPARE(updater.qt_metacast("QObject"), static_cast<void *>(static_cast<QObject *>(&updater)));
    QCOMPARE(updater.qt_metacast("NotAnUpdater"), nullptr);
}

QTEST_MAIN(TestUpdaterInterface)
#include "tst_updaterinterface.moc"
