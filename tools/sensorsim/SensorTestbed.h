// An emulated USB bus for tests and the demo: the sensor, its bootloader and other serial ports,
// seen by the real libusb and QSerialPortInfo of every process that runs under umockdev.
// Build it before the first libusb_init of the process: libusb never sees a later testbed.
#pragma once

#include "SensorFaults.h"

#include <QMap>
#include <QMutex>
#include <QObject>
#include <QStringList>
#include <memory>

struct _UMockdevTestbed;
class SensorIoctl;

class SensorTestbed : public QObject
{
    Q_OBJECT

public:
    // Device descriptions, one per scenario (files under devices/).
    static constexpr const char *sensor = "sensor";
    static constexpr const char *secondSensor = "sensor-second";
    static constexpr const char *bootloader = "bootloader";
    static constexpr const char *secondBootloader = "bootloader-second";
    static constexpr const char *bootloaderTwoPorts = "bootloader-two-ports";
    static constexpr const char *portDecoys = "port-decoys";
    // A bootloader's serial port whose USB place cannot be read (ttyACM20): its tty hangs off
    // no USB device in sysfs.
    static constexpr const char *unplacedBootloaderPort = "bootloader-unplaced";
    // Sensors of a bench, numbered from 1, each on a port of its own (3-1, 3-2, ...) with a
    // serial number of its own (TVX2024B0001, ...), restarting into its own bootloader on its
    // own serial port (ttyACM11, ttyACM12, ...).
    static QString numberedSensor(int number);
    static QString numberedBootloader(int number);

    // The byte that makes the sensor restart into its bootloader.
    static constexpr char bootloaderCommand = 0x12;

    explicit SensorTestbed(QObject *parent = nullptr);
    ~SensorTestbed() override;

    // False when the process does not run under umockdev (tests then skip).
    static bool available();

    // Plugs in a sensor (sensor or secondSensor) that answers with the given faults.
    void plugSensor(const QString &description = sensor, const SensorFaults &faults = {});
    // Unplugs it; without announce, libusb still lists it but can no longer open it.
    void unplugSensor(const QString &description = sensor, bool announce = true);
    // Fills the bus with count other USB devices, for measuring enumeration; they stay.
    void plugOtherUsbDevices(int count);
    // Adds the devices of a description; a USB device with a serial number answers for it.
    void plug(const QString &description);
    void unplug(const QString &description);

    // After the bootloader command a sensor restarts after delayMs (negative: never) into these
    // descriptions; by default into its own bootloader, on its own port.
    void setRestart(int delayMs, const QStringList &bootloaders = {});

    // What the program wrote to the sensor's endpoint 0x01 (stalled writes included), also
    // after the sensor has restarted.
    QList<QByteArray> writes(const QString &description = sensor) const;
    int detachAttempts(const QString &description = sensor) const;
    int claimAttempts(const QString &description = sensor) const;

signals:
    void bootloaderCommandReceived(const QString &description);
    void restarted(const QString &description);

private:
    void restart(const QString &description);
    void addDevices(const QString &description);
    static QString contents(const QString &description);
    static QByteArray serialNumberOf(const QString &description);
    static QString deviceNode(const QString &description);
    QByteArray rootDir() const;

    _UMockdevTestbed *testbed = nullptr;
    QMap<QString, QStringList> syspaths;
    QMap<QString, std::shared_ptr<SensorIoctl>> sensors;
    mutable QMutex writesMutex; // written on umockdev's worker thread
    QMap<QString, QList<QByteArray>> written;
    int restartDelayMs = -1;
    QStringList restartInto;
};
