// The usbdevfs side of one emulated sensor: answers libusb's ioctls on the device node,
// records what the program writes and injects the configured faults.
// Runs on umockdev's worker thread; everything it shares is guarded by its mutex.
#pragma once

#include "SensorFaults.h"

#include <umockdev.h>

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <functional>

struct usbdevfs_urb;

class SensorIoctl
{
public:
    // onWrite is called on the worker thread with every block written to endpoint 0x01, and
    // whether the sensor took it (a stalled write never completes).
    using WriteHandler = std::function<void(const QByteArray &bytes, bool accepted)>;
    // serialNumber: what the sensor answers for its serial number string (descriptor index 3).
    SensorIoctl(const SensorFaults &faults, const QByteArray &serialNumber, WriteHandler onWrite);
    ~SensorIoctl();

    SensorIoctl(const SensorIoctl &) = delete;
    SensorIoctl &operator=(const SensorIoctl &) = delete;

    UMockdevIoctlBase *handler() const { return base; }

    int detachAttempts() const;
    int claimAttempts() const;

private:
    static gboolean dispatch(UMockdevIoctlBase *, UMockdevIoctlClient *client, gpointer self);
    bool handle(UMockdevIoctlClient *client);
    void submitUrb(UMockdevIoctlClient *client, UMockdevIoctlData *arg);
    // Answers a request on endpoint 0 into the URB; only string descriptors are known.
    void answerControl(usbdevfs_urb *urb, UMockdevIoctlData *urbData);
    void reapUrb(UMockdevIoctlClient *client, UMockdevIoctlData *arg);
    void discardUrb(UMockdevIoctlClient *client);
    void usbfsIoctl(UMockdevIoctlClient *client, UMockdevIoctlData *arg);

    UMockdevIoctlBase *base = nullptr;
    const SensorFaults faults;
    const QByteArray serialNumber;
    const WriteHandler onWrite;

    mutable QMutex mutex;
    QList<UMockdevIoctlData *> pendingUrbs;  // submitted, not completed (stalled)
    QList<UMockdevIoctlData *> finishedUrbs; // completed, waiting to be reaped
    int detaches = 0;
    int claims = 0;
};
