// The usbdevfs side of one emulated sensor (see SensorIoctl.h).
#include "SensorIoctl.h"

#include <QMutexLocker>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

namespace {
void complete(UMockdevIoctlClient *client, long result = 0, int error = 0)
{
    umockdev_ioctl_client_complete(client, result, error);
}

UMockdevIoctlData *resolve(UMockdevIoctlData *data, size_t offset, size_t length)
{
    GError *error = nullptr;
    UMockdevIoctlData *child = umockdev_ioctl_data_resolve(data, offset, length, &error);
    g_clear_error(&error);
    return child;
}
} // namespace

SensorIoctl::SensorIoctl(const SensorFaults &faults, const QByteArray &serialNumber,
                         WriteHandler onWrite)
    : base(umockdev_ioctl_base_new())
    , faults(faults)
    , serialNumber(serialNumber)
    , onWrite(std::move(onWrite))
{
    g_signal_connect(base, "handle-ioctl", G_CALLBACK(&SensorIoctl::dispatch), this);
}

SensorIoctl::~SensorIoctl()
{
    g_signal_handlers_disconnect_by_data(base, this);
    g_object_unref(base);
    QMutexLocker lock(&mutex);
    for (UMockdevIoctlData *urb : pendingUrbs + finishedUrbs)
        g_object_unref(urb);
}

int SensorIoctl::detachAttempts() const
{
    QMutexLocker lock(&mutex);
    return detaches;
}

int SensorIoctl::claimAttempts() const
{
    QMutexLocker lock(&mutex);
    return claims;
}

gboolean SensorIoctl::dispatch(UMockdevIoctlBase *, UMockdevIoctlClient *client, gpointer self)
{
    return static_cast<SensorIoctl *>(self)->handle(client);
}

bool SensorIoctl::handle(UMockdevIoctlClient *client)
{
    UMockdevIoctlData *arg = umockdev_ioctl_client_get_arg(client);
    switch (umockdev_ioctl_client_get_request(client)) {
    case USBDEVFS_GET_CAPABILITIES: {
        UMockdevIoctlData *caps = resolve(arg, 0, sizeof(uint32_t));
        if (!caps) {
            complete(client, -1, EFAULT);
            break;
        }
        const uint32_t value = USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM;
        std::memcpy(caps->data, &value, sizeof value);
        complete(client);
        g_object_unref(caps);
        break;
    }
    case USBDEVFS_GETDRIVER: {
        UMockdevIoctlData *query = resolve(arg, 0, sizeof(usbdevfs_getdriver));
        if (query && faults.kernelDriverAttached) {
            auto *driver = reinterpret_cast<usbdevfs_getdriver *>(query->data);
            std::strncpy(driver->driver, "ovk_sensor", sizeof driver->driver - 1);
            complete(client);
        } else {
            complete(client, -1, ENODATA);
        }
        if (query)
            g_object_unref(query);
        break;
    }
    case USBDEVFS_IOCTL:
        usbfsIoctl(client, arg);
        break;
    case USBDEVFS_CLAIMINTERFACE: {
        QMutexLocker lock(&mutex);
        ++claims;
        lock.unlock();
        if (faults.claimBusy)
            complete(client, -1, EBUSY);
        else
            complete(client);
        break;
    }
    case USBDEVFS_RELEASEINTERFACE:
        complete(client);
        break;
    case USBDEVFS_SUBMITURB:
        submitUrb(client, arg);
        break;
    case USBDEVFS_REAPURB:
    case USBDEVFS_REAPURBNDELAY:
        reapUrb(client, arg);
        break;
    case USBDEVFS_DISCARDURB:
        discardUrb(client);
        break;
    default:
        complete(client, -1, ENOTTY);
        break;
    }
    return true;
}

void SensorIoctl::usbfsIoctl(UMockdevIoctlClient *client, UMockdevIoctlData *arg)
{
    UMockdevIoctlData *command = resolve(arg, 0, sizeof(usbdevfs_ioctl));
    const bool disconnect =
        command && reinterpret_cast<usbdevfs_ioctl *>(command->data)->ioctl_code ==
                       static_cast<int>(USBDEVFS_DISCONNECT);
    if (command)
        g_object_unref(command);
    if (!disconnect) {
        complete(client, -1, ENOTTY);
        return;
    }
    QMutexLocker lock(&mutex);
    ++detaches;
    lock.unlock();
    if (faults.detachFails)
        complete(client, -1, EIO);
    else
        complete(client);
}

void SensorIoctl::submitUrb(UMockdevIoctlClient *client, UMockdevIoctlData *arg)
{
    UMockdevIoctlData *urbData = resolve(arg, 0, sizeof(usbdevfs_urb));
    if (!urbData) {
        complete(client, -1, EFAULT);
        return;
    }
    auto *urb = reinterpret_cast<usbdevfs_urb *>(urbData->data);
    if (urb->type == USBDEVFS_URB_TYPE_CONTROL) {
        answerControl(urb, urbData);
        QMutexLocker lock(&mutex);
        finishedUrbs.append(urbData);
        lock.unlock();
        complete(client);
        return;
    }
    // The sensor has bulk endpoints 0x01 (OUT) and 0x81 (IN) only; usbfs refuses others.
    if (urb->endpoint != 0x01 && urb->endpoint != 0x81) {
        g_object_unref(urbData);
        complete(client, -1, ENOENT);
        return;
    }
    const bool out = urb->endpoint == 0x01;
    UMockdevIoctlData *buffer =
        resolve(urbData, offsetof(usbdevfs_urb, buffer), static_cast<size_t>(urb->buffer_length));
    QByteArray bytes;
    if (buffer && out)
        bytes = QByteArray(reinterpret_cast<const char *>(buffer->data), urb->buffer_length);
    if (buffer)
        g_object_unref(buffer);

    QMutexLocker lock(&mutex);
    if (out && faults.writeStalls) {
        pendingUrbs.append(urbData);
    } else {
        // Reads complete empty: the sensor never answers on endpoint 0x81.
        urb->status = 0;
        urb->actual_length = out ? urb->buffer_length : 0;
        finishedUrbs.append(urbData);
    }
    lock.unlock();
    complete(client);
    if (out && onWrite)
        onWrite(bytes, !faults.writeStalls);
}

void SensorIoctl::answerControl(usbdevfs_urb *urb, UMockdevIoctlData *urbData)
{
    constexpr int setupSize = 8;
    constexpr uint8_t getDescriptor = 6, stringDescriptor = 3, serialIndex = 3;
    urb->status = -EPIPE; // a request the sensor does not know stalls
    urb->actual_length = 0;
    UMockdevIoctlData *buffer =
        resolve(urbData, offsetof(usbdevfs_urb, buffer), static_cast<size_t>(urb->buffer_length));
    if (!buffer || urb->buffer_length < setupSize) {
        if (buffer)
            g_object_unref(buffer);
        return;
    }
    const uint8_t *setup = buffer->data;
    const int wValue = setup[2] | setup[3] << 8;
    const int wLength = setup[6] | setup[7] << 8;
    QByteArray answer;
    if (setup[1] == getDescriptor && wValue >> 8 == stringDescriptor) {
        const int index = wValue & 0xff;
        if (index == 0)
            answer = QByteArray("\x04\x03\x09\x04", 4); // one language: US English
        else if (index == serialIndex && !serialNumber.isEmpty())
            for (const char c : serialNumber)
                answer.append(c).append('\0'); // UTF-16LE
        if (index == serialIndex && !answer.isEmpty())
            answer.prepend(char(stringDescriptor)).prepend(char(answer.size() + 1));
    }
    const int length = qMin(qMin(int(answer.size()), wLength), urb->buffer_length - setupSize);
    if (length > 0) {
        std::memcpy(buffer->data + setupSize, answer.constData(), size_t(length));
        urb->status = 0;
        urb->actual_length = length;
    }
    g_object_unref(buffer);
}

void SensorIoctl::reapUrb(UMockdevIoctlClient *client, UMockdevIoctlData *arg)
{
    QMutexLocker lock(&mutex);
    if (finishedUrbs.isEmpty()) {
        lock.unlock();
        complete(client, -1, EAGAIN);
        return;
    }
    UMockdevIoctlData *urbData = finishedUrbs.takeFirst();
    lock.unlock();
    // The argument points at libusb's "struct usbdevfs_urb *": store the reaped URB there.
    UMockdevIoctlData *slot = resolve(arg, 0, sizeof(void *));
    if (slot) {
        umockdev_ioctl_data_set_ptr(slot, 0, urbData);
        complete(client);
        g_object_unref(slot);
    } else {
        complete(client, -1, EFAULT);
    }
    g_object_unref(urbData);
}

void SensorIoctl::discardUrb(UMockdevIoctlClient *client)
{
    QMutexLocker lock(&mutex);
    if (pendingUrbs.isEmpty()) {
        lock.unlock();
        complete(client, -1, EINVAL);
        return;
    }
    UMockdevIoctlData *urbData = pendingUrbs.takeFirst();
    auto *urb = reinterpret_cast<usbdevfs_urb *>(urbData->data);
    urb->status = -ENOENT;
    urb->actual_length = 0;
    finishedUrbs.append(urbData);
    lock.unlock();
    complete(client);
}
