// The Updater's interface to QML: its signals and slots, in their order and with the parameter
// names that QML handlers use.
#include "FlashingTool.h"
#include "OutcomeWords.h"
#include "SignalWait.h"
#include "UpdateRun.h"
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
    void everyOutcomeHasWords();
    void toolEndingsAreTold_data();
    void toolEndingsAreTold();
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
    QTest::newRow("runEnded") << 4 << signal << QByteArray("runEnded(Run::Outcome)")
                              << QByteArray("void") << Names{"outcome"};
    QTest::newRow("runningChanged")
        << 5 << signal << QByteArray("runningChanged()") << QByteArray("void") << Names{};
    QTest::newRow("stepChanged") << 6 << signal << QByteArray("stepChanged()") << QByteArray("void")
                                 << Names{};
    QTest::newRow("updatePod") << 7 << slot << QByteArray("updatePod(QString)")
                               << QByteArray("void") << Names{"firmwarePath"};
    QTest::newRow("checkPodConnected")
        << 8 << slot << QByteArray("checkPodConnected()") << QByteArray("bool") << Names{};
    QTest::newRow("processFinished") << 9 << slot << QByteArray("processFinished(int)")
                                     << QByteArray("void") << Names{"exitCode"};
    QTest::newRow("checkProgramVersion")
        << 10 << slot << QByteArray("checkProgramVersion()") << QByteArray("void") << Names{};
    QTest::newRow("downloadLastPodVersion")
        << 11 << slot << QByteArray("downloadLastPodVersion()") << QByteArray("void") << Names{};
    QTest::newRow("handleFileChosen") << 12 << slot << QByteArray("handleFileChosen(QString)")
                                      << QByteArray("QString") << Names{"urlString"};
    // What the window asks besides: to withdraw a run that only waits for its package, a
    // failure's details, the history, and each outcome's words.
    const auto method = QMetaMethod::Method;
    QTest::newRow("withdrawWaitingRun")
        << 13 << method << QByteArray("withdrawWaitingRun()") << QByteArray("bool") << Names{};
    QTest::newRow("runDetails") << 14 << method << QByteArray("runDetails()")
                                << QByteArray("QString") << Names{};
    QTest::newRow("historyText") << 15 << method << QByteArray("historyText()")
                                 << QByteArray("QString") << Names{};
    QTest::newRow("outcomeTitle") << 16 << method << QByteArray("outcomeTitle(int)")
                                  << QByteArray("QString") << Names{"outcome"};
    QTest::newRow("outcomeText") << 17 << method << QByteArray("outcomeText(int)")
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
    QCOMPARE(meta.methodCount() - meta.methodOffset(), 18);
    QCOMPARE(meta.propertyCount() - meta.propertyOffset(), 6);
    const QMetaProperty running = meta.property(meta.propertyOffset());
    QCOMPARE(QByteArray(running.name()), QByteArray("running"));
    QVERIFY(!running.isWritable());
    QCOMPARE(running.notifySignal().name(), QByteArray("runningChanged"));
    const QMetaProperty package = meta.property(meta.propertyOffset() + 1);
    QCOMPARE(QByteArray(package.name()), QByteArray("packagePath"));
    QVERIFY(package.isConstant());
    // A run's words are its own; the Updater passes them on.
    QCOMPARE(meta.enumeratorCount() - meta.enumeratorOffset(), 0);
    QCOMPARE(QMetaEnum::fromType<Run::Outcome>().keyCount(), 14); // one per way a run ends
    QCOMPARE(meta.classInfoCount(), meta.classInfoOffset());
}

void TestUpdaterInterface::everyOutcomeHasWords()
{
    // A way to end that nobody named would show an empty dialog, and an empty console line.
    const QMetaEnum outcomes = QMetaEnum::fromType<Run::Outcome>();
    Updater updater;
    for (int i = 0; i < outcomes.keyCount(); ++i) {
        const auto outcome = Run::Outcome(outcomes.value(i));
        QVERIFY2(!updater.outcomeTitle(outcome).isEmpty(), outcomes.key(i));
        QVERIFY2(!updater.outcomeText(outcome).isEmpty(), outcomes.key(i));
        QVERIFY2(!OutcomeWords::line(outcome, "fw.zip", 600).isEmpty(), outcomes.key(i));
    }
    // And every step, with a name of its own for the history and for scripts.
    const QMetaEnum steps = QMetaEnum::fromType<Run::Step>();
    QSet<QString> keys;
    for (int i = 1; i < steps.keyCount(); ++i) {
        QVERIFY2(!OutcomeWords::stepLine(steps.value(i), -1).isEmpty(), steps.key(i));
        keys.insert(OutcomeWords::stepKey(steps.value(i)));
    }
    QCOMPARE(keys.size(), steps.keyCount() - 1);
    QVERIFY(!keys.contains(QString()));
}

void TestUpdaterInterface::toolEndingsAreTold_data()
{
    // A tool run under its real supervisor (this test program, as the programs are), and how
    // the run then ends, in the window's words.
    QTest::addColumn<QStringList>("tool");
    QTest::addColumn<QString>("action"); // "kill" the supervisor, or "stop" the tool at once
    QTest::addColumn<Run::Outcome>("outcome");
    QTest::addColumn<QString>("title");

#ifdef Q_OS_WIN
    const QStringList shell{"C:\\windows\\system32\\cmd.exe", "/c"};
    const QString wait = "ping -n 3 127.0.0.1 >nul";
    const QString longWait = "ping -n 60 127.0.0.1 >nul";
    const QString sayAndExit = "echo its words& exit 0";
#else
    const QStringList shell{"/bin/sh", "-c"};
    const QString wait = "sleep 2";
    const QString longWait = "sleep 60";
    const QString sayAndExit = "echo its words; exit 0";
#endif
    QTest::newRow("exit 0") << shell + QStringList{sayAndExit} << QString() << Run::Done
                            << "Update done";
    QTest::newRow("exit 3") << shell + QStringList{"exit 3"} << QString() << Run::ToolFailed
                            << "Error on update";
    QTest::newRow("no such tool") << QStringList{"/no/such/util"} << QString()
                                  << Run::ToolNotStarted << "Error on update";
    // Killed, the supervisor says nothing: the tool may still run.
    QTest::newRow("supervisor killed")
        << shell + QStringList{wait} << "kill" << Run::SupervisorLost << "Error on update";
    // A second Ctrl+C while the supervisor still starts is not lost.
    QTest::newRow("stopped as its supervisor starts")
        << shell + QStringList{longWait} << "stop" << Run::ToolStopped << "Error on update";
#ifdef Q_OS_WIN
    // A Windows exit code is 32 bits: the tool's own, never read as one of the program's codes
    // (-5: another program updates).
    QTest::newRow("exit -5") << shell + QStringList{"exit -5"} << QString() << Run::ToolFailed
                             << "Error on update";
#else
    QTest::newRow("killed by a signal") << shell + QStringList{"kill -SEGV $$"} << QString()
                                        << Run::ToolFailed << "Error on update";
#endif
}

void TestUpdaterInterface::toolEndingsAreTold()
{
    QFETCH(QStringList, tool);
    QFETCH(QString, action);
    QFETCH(Run::Outcome, outcome);
    QFETCH(QString, title);
    FlashingToolProcess process;
    QSignalSpy finished(&process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished));
    QString error;
    QVERIFY2(process.startTool(tool.first(), tool.mid(1), 30000, 1000, &error), qPrintable(error));
    if (action == "stop")
        process.stop();
    QVERIFY(process.waitForStarted(10000));
    if (action == "kill")
        process.kill();
    QVERIFY(waitForSignal(finished, 1, 20000));
    const ToolSupervisor::Ending ending = process.ending();
    QCOMPARE(UpdateRun::outcomeOf(ending), outcome);
    QCOMPARE(OutcomeWords::title(UpdateRun::outcomeOf(ending)), title);
    if (tool.last() == "exit -5")
        QCOMPARE(ending.code, -5);
    // What the tool said reaches the program through the file it was handed.
    QCOMPARE(process.output().trimmed(), QByteArray(outcome == Run::Done ? "its words" : ""));
}

int main(int argc, char *argv[])
{
    // This program is its tools' supervisor, as the window and the console program are.
    int supervisorExit = 0;
    if (ToolSupervisor::runIfAsked(argc, argv, &supervisorExit))
        return supervisorExit;
    QTEST_MAIN_IMPL(TestUpdaterInterface)
}
#include "tst_updaterinterface.moc"
