// UsbLink: libusb access to the sensor (enumeration, open, claim, bulk transfers).
#include "UsbLink.h"

#include <QDebug>
#include <QSet>
#include <algorithm>
#include <iterator>
#include <libusb.h>

static_assert(UsbLink::errorAccess == LIBUSB_ERROR_ACCESS, "libusb's access-denied code");

namespace {
constexpr int sensorInterface = 0;
constexpr unsigned char endpointOut = 0x01;
constexpr unsigned char endpointIn = 0x81;
constexpr int unreferenceDevices = 1;

// Empty where the port numbers cannot be read: a place of its own, never the whole bus's.
QString portPathOf(libusb_device *device)
{
    uint8_t ports[7] = {}; // USB allows at most 7 tiers
    const int depth = libusb_get_port_numbers(device, ports, sizeof ports);
    if (depth <= 0)
        return QString();
    QString path = QString::number(libusb_get_bus_number(device));
    for (int i = 0; i < depth; ++i)
        path += QLatin1Char(i == 0 ? '-' : '.') + QString::number(ports[i]);
    return path;
}

bool matches(libusb_device *device, uint16_t vendorId, uint16_t productId, int *result)
{
    libusb_device_descriptor descriptor{};
    *result = libusb_get_device_descriptor(device, &descriptor);
    return *result == 0 && descriptor.idVendor == vendorId && descriptor.idProduct == productId;
}
} // namespace

UsbLink::UsbLink(libusb_context *initialContext)
    : context(initialContext)
{
    initResult = libusb_init(&context);
    if (initResult != 0)
        context = nullptr;
}

UsbLink::~UsbLink()
{
    // Give the handle back first: libusb must not be torn down with a device still open.
    close();
    if (initResult == 0)
        libusb_exit(context);
}

bool UsbLink::isSensorPresent(uint16_t vendorId, uint16_t productId)
{
    return countDevices(vendorId, {productId}) > 0;
}

int UsbLink::countDevices(uint16_t vendorId, std::initializer_list<uint16_t> productIds)
{
    if (initResult != 0)
        return 0;
    libusb_device **list = nullptr;
    const ssize_t count = libusb_get_device_list(context, &list);
    int found = 0;
    for (ssize_t i = 0; i < count; ++i) {
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(list[i], &descriptor) == 0 &&
            descriptor.idVendor == vendorId)
            found += std::find(productIds.begin(), productIds.end(), descriptor.idProduct) !=
                     productIds.end();
    }
    if (count >= 0)
        libusb_free_device_list(list, unreferenceDevices);
    return found;
}

QList<UsbDeviceId> UsbLink::identifyDevices(uint16_t vendorId, uint16_t productId)
{
    QList<UsbDeviceId> devices;
    if (initResult != 0)
        return devices;
    const QString kind = QString::asprintf("%04x:%04x/", vendorId, productId);
    QSet<QString> present;
    libusb_device **list = nullptr;
    const ssize_t count = libusb_get_device_list(context, &list);
    libusb_device **const end = list + qMax<ssize_t>(count, 0);
    // A handle left open on a sensor that has since left the bus is of no more use, and the
    // control transfers below would handle events on it too.
    if (isOpen && std::find(list, end, device) == end)
        close();
    for (ssize_t i = 0; i < count; ++i) {
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(list[i], &descriptor) != 0 ||
            descriptor.idVendor != vendorId || descriptor.idProduct != productId)
            continue;
        UsbDeviceId id;
        id.portPath = portPathOf(list[i]);
        id.productId = productId;
        const QString key = kind + id.portPath + QLatin1Char('@') +
                            QString::number(libusb_get_device_address(list[i]));
        if (serialNumbers.contains(key)) {
            id.serialNumber = serialNumbers.value(key);
        } else {
            id.serialNumber = serialNumberOf(list[i], descriptor.iSerialNumber);
            // One that cannot be read yet (a device just plugged in, whose node's rights come a
            // moment later) is asked for again at the next look: a bench knows a sensor by it.
            if (!id.serialNumber.isEmpty() || descriptor.iSerialNumber == 0)
                serialNumbers.insert(key, id.serialNumber);
        }
        present.insert(key);
        devices.append(id);
    }
    if (count >= 0)
        libusb_free_device_list(list, unreferenceDevices);
    // Forget the devices of this kind that have gone; other kinds wait until asked for again.
    for (auto it = serialNumbers.begin(); it != serialNumbers.end();)
        it = it.key().startsWith(kind) && !present.contains(it.key()) ? serialNumbers.erase(it)
                                                                      : std::next(it);
    return devices;
}

QString UsbLink::serialNumberOf(libusb_device *device, uint8_t serialIndex)
{
    if (serialIndex == 0)
        return QString();
    libusb_device_handle *probe = nullptr;
    if (libusb_open(device, &probe) != 0)
        return QString(); // held by a driver we may not use, or no access: the port tells
    unsigned char text[128] = {};
    const int length = libusb_get_string_descriptor_ascii(probe, serialIndex, text, sizeof text);
    libusb_close(probe);
    return length > 0 ? QString::fromLatin1(reinterpret_cast<const char *>(text), length)
                      : QString();
}

bool UsbLink::open(uint16_t vendorId, uint16_t productId)
{
    return open(vendorId, productId, QString());
}

bool UsbLink::open(uint16_t vendorId, uint16_t productId, const QString &place)
{
    if (initResult != 0) {
        lastResult = initResult;
        return false;
    }
    libusb_device **list = nullptr;
    const ssize_t count = libusb_get_device_list(context, &list);
    close();

    bool result = false;
    for (ssize_t i = 0; i < count; ++i) {
        if (!matches(list[i], vendorId, productId, &lastResult) ||
            (!place.isEmpty() && portPathOf(list[i]) != place))
            continue;
        device = list[i];
        const int r = libusb_open(device, &handle);
        lastResult = r;
        qDebug() << "Opened device :" << libusb_error_name(r);
        if (r == 0) {
            isOpen = true;
            result = true;
        } else {
            handle = nullptr;
        }
        break;
    }
    if (count >= 0)
        libusb_free_device_list(list, unreferenceDevices);
    return result;
}

bool UsbLink::claimInterface()
{
    if (!requireHandle())
        return false;
    // Also non-zero where the platform cannot tell (LIBUSB_ERROR_NOT_SUPPORTED): try the detach
    // anyway, its failure does not stop the claim.
    if (libusb_kernel_driver_active(handle, sensorInterface) != 0) {
        lastResult = libusb_detach_kernel_driver(handle, sensorInterface);
        if (lastResult != 0)
            qDebug() << "Error detaching kernel driver";
    }
    lastResult = libusb_claim_interface(handle, sensorInterface);
    if (lastResult == 0)
        return true;
    qDebug() << "Error claiming interface";
    return false;
}

void UsbLink::close()
{
    if (!isOpen)
        return;
    libusb_close(handle);
    handle = nullptr;
    isOpen = false;
}

bool UsbLink::write(const unsigned char *data, int16_t length, uint32_t timeoutMs)
{
    // libusb takes a non-const buffer for both directions; an OUT transfer only reads it.
    return bulkTransfer(endpointOut, const_cast<unsigned char *>(data), length, timeoutMs);
}

bool UsbLink::read(unsigned char *buffer, int16_t length, uint32_t timeoutMs)
{
    return bulkTransfer(endpointIn, buffer, length, timeoutMs);
}

bool UsbLink::write(QByteArray &data, uint32_t timeoutMs)
{
    return bulkTransfer(endpointOut, reinterpret_cast<unsigned char *>(data.data()), data.size(),
                        timeoutMs);
}

bool UsbLink::read(QByteArray &buffer, int16_t length, uint32_t timeoutMs)
{
    // libusb would write length bytes into storage that may be shorter.
    if (length > buffer.size())
        return refuseLength();
    return bulkTransfer(endpointIn, reinterpret_cast<unsigned char *>(buffer.data()), length,
                        timeoutMs);
}

const char *UsbLink::lastErrorName() const
{
    return libusb_error_name(lastResult);
}

bool UsbLink::bulkTransfer(unsigned char endpoint, unsigned char *data, int length,
                           uint32_t timeoutMs)
{
    if (length < 0)
        return refuseLength();
    if (!requireHandle())
        return false;
    int transferred = 0;
    lastResult = libusb_bulk_transfer(handle, endpoint, data, length, &transferred, timeoutMs);
    return lastResult == 0;
}

bool UsbLink::refuseLength()
{
    lastResult = LIBUSB_ERROR_INVALID_PARAM;
    return false;
}

bool UsbLink::requireHandle()
{
    if (isOpen)
        return true;
    lastResult = initResult != 0 ? initResult : LIBUSB_ERROR_NO_DEVICE;
    return false;
}
