// UsbLink: libusb access to the sensor (enumeration, open, claim, bulk transfers).
#include "UsbLink.h"

#include <QDebug>
#include <libusb.h>

static_assert(UsbLink::errorAccess == LIBUSB_ERROR_ACCESS, "libusb's access-denied code");

namespace {
constexpr int sensorInterface = 0;
constexpr unsigned char endpointOut = 0x01;
constexpr unsigned char endpointIn = 0x81;
constexpr int unreferenceDevices = 1;

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
    if (initResult != 0)
        return false;
    libusb_device **list = nullptr;
    const ssize_t count = libusb_get_device_list(context, &list);
    bool found = false;
    for (ssize_t i = 0; i < count; ++i) {
        int ignored = 0;
        if (matches(list[i], vendorId, productId, &ignored))
            found = true;
    }
    if (count >= 0)
        libusb_free_device_list(list, unreferenceDevices);
    return found;
}

bool UsbLink::open(uint16_t vendorId, uint16_t productId)
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
        if (!matches(list[i], vendorId, productId, &lastResult))
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
