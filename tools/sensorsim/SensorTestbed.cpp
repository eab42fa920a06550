// An emulated USB bus for tests and the demo (see SensorTestbed.h).
#include <umockdev.h> // before Qt: GIO's "signals" clashes with Qt's keyword macro

#include "SensorIoctl.h"
#include "SensorTestbed.h"

#include <QFile>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QTimer>
#include <sys/stat.h>

// Resources of a static library must be registered by hand, from the global namespace.
static void initSensorsimResources()
{
    Q_INIT_RESOURCE(sensorsim);
}

SensorTestbed::SensorTestbed(QObject *parent)
    : QObject(parent)
    , testbed(umockdev_testbed_new())
{
    initSensorsimResources();
}

SensorTestbed::~SensorTestbed()
{
    for (const QString &description : syspaths.keys())
        unplug(description);
    g_object_unref(testbed);
}

bool SensorTestbed::available()
{
    // umockdev_in_mock_environment() does not see umockdev-wrapper's preload; the variable does.
    return qEnvironmentVariable("LD_PRELOAD").contains(QLatin1String("libumockdev-preload"));
}

QString SensorTestbed::numberedSensor(int number)
{
    return QStringLiteral("sensor-%1").arg(number);
}

QString SensorTestbed::numberedBootloader(int number)
{
    return QStringLiteral("bootloader-%1").arg(number);
}

namespace {
// A numbered sensor or bootloader, made of the first sensor's description: on bus 3, port n.
QString numbered(QString text, int number)
{
    const QString device = QString::number(number);
    const QString address = QStringLiteral("%1").arg(number + 10, 3, 10, QLatin1Char('0'));
    text.replace(QLatin1String("0000:00:14.0/usb1/1-1"),
                 QLatin1String("0000:00:15.0/usb3/3-") + device)
        .replace(QLatin1String("1-1:1.0"), QLatin1String("3-") + device + QLatin1String(":1.0"))
        .replace(QRegularExpression(QStringLiteral("bus/usb/001/\\d+")),
                 QLatin1String("bus/usb/003/") + address)
        .replace(QLatin1String("BUSNUM=001"), QLatin1String("BUSNUM=003"))
        .replace(QLatin1String("busnum=1"), QLatin1String("busnum=3"))
        .replace(QRegularExpression(QStringLiteral("DEVNUM=\\d+")),
                 QLatin1String("DEVNUM=") + address)
        .replace(QRegularExpression(QStringLiteral("devnum=\\d+")),
                 QLatin1String("devnum=") + QString::number(number + 10))
        .replace(QRegularExpression(QStringLiteral("MINOR=\\d+")),
                 QLatin1String("MINOR=") + QString::number(256 + number + 10))
        .replace(QLatin1String("serial=TVX2024A0001"),
                 QStringLiteral("serial=TVX2024B%1").arg(number, 4, 10, QLatin1Char('0')))
        .replace(QLatin1String("serial=TVXBL0001"),
                 QStringLiteral("serial=TVXBL1%1").arg(number, 3, 10, QLatin1Char('0')))
        .replace(QLatin1String("ttyACM0"), QLatin1String("ttyACM") + QString::number(number + 10));
    return text;
}
} // namespace

QString SensorTestbed::contents(const QString &description)
{
    static const QRegularExpression numberedName(QStringLiteral("^(sensor|bootloader)-(\\d+)$"));
    const auto match = numberedName.match(description);
    if (match.hasMatch())
        return numbered(contents(match.captured(1)), match.captured(2).toInt());
    QFile file(QStringLiteral(":/sensorsim/devices/%1.umockdev").arg(description));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("unknown device description %s", qPrintable(description));
    // Our descriptions open with a comment line; umockdev wants the first device's path first.
    QString text = QString::fromUtf8(file.readAll());
    return text.remove(
        QRegularExpression(QStringLiteral("^#[^\\n]*\\n"), QRegularExpression::MultilineOption));
}

QByteArray SensorTestbed::rootDir() const
{
    gchar *root = umockdev_testbed_get_root_dir(testbed);
    const QByteArray path(root);
    g_free(root);
    return path;
}

QString SensorTestbed::deviceNode(const QString &description)
{
    const auto match =
        QRegularExpression(QStringLiteral("^N: (\\S+)"), QRegularExpression::MultilineOption)
            .match(contents(description));
    return QStringLiteral("/dev/") + match.captured(1);
}

void SensorTestbed::plug(const QString &description)
{
    // A USB device that has a serial number answers for it.
    if (serialNumberOf(description).isEmpty())
        addDevices(description);
    else
        plugSensor(description);
}

void SensorTestbed::addDevices(const QString &description)
{
    const QString text = contents(description);
    GError *error = nullptr;
    if (!umockdev_testbed_add_from_string(testbed, text.toUtf8().constData(), &error))
        qFatal("cannot add %s: %s", qPrintable(description), error->message);
    const auto matches =
        QRegularExpression(QStringLiteral("^P: (\\S+)"), QRegularExpression::MultilineOption)
            .globalMatch(text);
    QStringList paths;
    for (auto it = matches; it.hasNext();)
        paths.append(QStringLiteral("/sys") + it.next().captured(1));
    syspaths.insert(description, paths);
}

void SensorTestbed::plugOtherUsbDevices(int count)
{
    const QString text = contents(QStringLiteral("other-device"));
    for (int i = 0; i < count; ++i) {
        const QString port = QString::number(10 + i);
        const QString devnum = QStringLiteral("%1").arg(10 + i, 3, 10, QLatin1Char('0'));
        QString copy = text;
        copy.replace(QLatin1String("@PORT@"), port).replace(QLatin1String("@DEVNUM@"), devnum);
        GError *error = nullptr;
        if (!umockdev_testbed_add_from_string(testbed, copy.toUtf8().constData(), &error))
            qFatal("cannot add a USB device: %s", error->message);
    }
}

QByteArray SensorTestbed::serialNumberOf(const QString &description)
{
    return QRegularExpression(QStringLiteral("^A: serial=(\\S+)"),
                              QRegularExpression::MultilineOption)
        .match(contents(description))
        .captured(1)
        .toLatin1();
}

void SensorTestbed::plugSensor(const QString &description, const SensorFaults &faults)
{
    auto ioctl = std::make_shared<SensorIoctl>(
        faults, faults.serialNumber.isEmpty() ? serialNumberOf(description) : faults.serialNumber,
        [this, description](const QByteArray &bytes, bool accepted) {
            {
                QMutexLocker lock(&writesMutex);
                written[description].append(bytes);
            }
            if (!accepted || !bytes.contains(bootloaderCommand))
                return;
            // Called on umockdev's worker thread: hand over to this object's thread.
            QMetaObject::invokeMethod(
                this, [this, description] { restart(description); }, Qt::QueuedConnection);
        });
    addDevices(description);
    const QByteArray node = deviceNode(description).toUtf8();
    GError *error = nullptr;
    if (!umockdev_testbed_attach_ioctl(testbed, node.constData(), ioctl->handler(), &error))
        qFatal("cannot emulate %s: %s", node.constData(), error->message);
    sensors.insert(description, ioctl);
    if (faults.openDenied) {
        chmod((rootDir() + node).constData(), 0);
    }
}

void SensorTestbed::unplugSensor(const QString &description, bool announce)
{
    if (!announce) {
        const QStringList paths = syspaths.take(description);
        for (const QString &path : paths)
            umockdev_testbed_remove_device(testbed, path.toUtf8().constData());
    }
    unplug(description);
}

void SensorTestbed::unplug(const QString &description)
{
    const QStringList paths = syspaths.take(description);
    // Children go first, as the kernel announces them.
    for (auto it = paths.crbegin(); it != paths.crend(); ++it)
        umockdev_testbed_uevent(testbed, it->toUtf8().constData(), "remove");
    if (sensors.contains(description)) {
        const QByteArray node = deviceNode(description).toUtf8();
        GError *error = nullptr;
        umockdev_testbed_detach_ioctl(testbed, node.constData(), &error);
        g_clear_error(&error);
        sensors.remove(description);
        // The node outlives the emulation; a program that still lists the device must fail to
        // open it, as it does once the kernel has taken the node away.
        QFile::remove(QString::fromUtf8(rootDir() + node));
    }
    for (auto it = paths.crbegin(); it != paths.crend(); ++it)
        umockdev_testbed_remove_device(testbed, it->toUtf8().constData());
}

void SensorTestbed::setRestart(int delayMs, const QStringList &bootloaders)
{
    restartDelayMs = delayMs;
    restartInto = bootloaders;
}

void SensorTestbed::restart(const QString &description)
{
    emit bootloaderCommandReceived(description);
    if (restartDelayMs < 0 || !sensors.contains(description))
        return;
    QTimer::singleShot(restartDelayMs, this, [this, description] {
        if (!sensors.contains(description))
            return;
        unplug(description);
        QStringList into = restartInto;
        if (into.isEmpty())
            into << (description == sensor ? QString(bootloader)
                     : description == secondSensor
                         ? QString(secondBootloader)
                         : QString(description)
                               .replace(QLatin1String("sensor-"), QLatin1String("bootloader-")));
        for (const QString &next : qAsConst(into))
            plug(next);
        emit restarted(description);
    });
}

QList<QByteArray> SensorTestbed::writes(const QString &description) const
{
    QMutexLocker lock(&writesMutex);
    return written.value(description);
}

int SensorTestbed::detachAttempts(const QString &description) const
{
    const auto ioctl = sensors.value(description);
    return ioctl ? ioctl->detachAttempts() : 0;
}

int SensorTestbed::claimAttempts(const QString &description) const
{
    const auto ioctl = sensors.value(description);
    return ioctl ? ioctl->claimAttempts() : 0;
}
