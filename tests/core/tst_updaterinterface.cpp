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
    // Beside the three of the first window: the console program's word on a failed download,
    // and the one outcome of every run with the busy state, which every front-end reads.
    QTest::newRow("packageDownloadFailed")
        << 3 << signal << QByteArray("packageDownloadFailed()") << QByteArray("void") << Names{};
    QTest::newRow("runEnded") << 4 << signal << QByteArray("runEnded(Updater::Outcome)")
                              << QByteArray("void") << Names{"outcome"};
    QTest::newRow("runningChanged")
        << 5 << signal << QByteArray("runningChanged()") << QByteArray("void") << Names{};
    QTest::newRow("updatePod") << 6 << slot << QByteArray("updatePod(QString)")
                               << QByteArray("void") << Names{"firmwarePath"};
    QTest::newRow("checkPodConnected")
        << 7 << slot << QByteArray("checkPodConnected()") << QByteArray("bool") << Names{};
    QTest::newRow("processFinished") << 8 << slot << QByteArray("processFinished(int)")
                                     << QByteArray("void") << Names{"exitCode"};
    QTest::newRow("checkProgramVersion")
        << 9 << slot << QByteArray("checkProgramVersion()") << QByteArray("void") << Names{};
    QTest::newRow("downloadLastPodVersion")
        << 10 << slot << QByteArray("downloadLastPodVersion()") << QByteArray("void") << Names{};
    QTest::newRow("handleFileChosen") << 11 << slot << QByteArray("handleFileChosen(QString)")
                                      << QByteArray("QString") << Names{"urlString"};
    const auto method = QMetaMethod::Method;
    QTest::newRow("outcomeTitle") << 12 << method << QByteArray("outcomeTitle(int)")
                                  << QByteArray("QString") << Names{"outcome"};
    QTest::newRow("outcomeText") << 13 << method << QByteArray("outcomeText(int)")
                                 << QByteArray("QString") << Names{"outcome"};
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
    QCOMPARE(meta.methodCount() - meta.methodOffset(), 14);
    QCOMPARE(meta.propertyCount() - meta.propertyOffset(), 1);
    const QMetaProperty running = meta.property(meta.propertyOffset());
    QCOMPARE(QByteArray(running.name()), QByteArray("running"));
    QVERIFY(!running.isWritable());
    QCOMPARE(running.notifySignal().name(), QByteArray("runningChanged"));
    QCOMPARE(meta.enumeratorCount() - meta.enumeratorOffset(), 1);
    QCOMPARE(meta.enumerator(meta.enumeratorOffset()).keyCount(), 10); // one per way a run ends
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
