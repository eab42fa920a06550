// UsbLink: one libusb context and at most one open device handle.
// Finds a device by its ids, opens it, claims interface 0 and moves bytes over bulk endpoint 1.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <cstdint>
#include <initializer_list>

struct libusb_context;
struct libusb_device;
struct libusb_device_handle;

// Tells one device from another of the same kind: by the serial number it reports, where it has
// one, and by where it is plugged in.
struct UsbDeviceId
{
    QString serialNumber; // empty where the device has none, or it could not be read
    QString portPath;     // bus and ports from the root hub, as "1-4.2"; empty where unknown
    uint16_t productId = 0;
};

class UsbLink
{
public:
    // libusb's LIBUSB_ERROR_ACCESS, for callers that do not include libusb.
    static constexpr int errorAccess = -3;

    explicit UsbLink(libusb_context *initialContext);
    ~UsbLink();

    UsbLink(const UsbLink &) = delete;
    UsbLink &operator=(const UsbLink &) = delete;

    bool isSensorPresent(uint16_t vendorId, uint16_t productId);
    // Devices with this vendor id and any of these product ids, in one enumeration.
    int countDevices(uint16_t vendorId, std::initializer_list<uint16_t> productIds);
    // Every device with these ids. A serial number costs an open and two control transfers, so
    // it is read once per device and kept while the device stays on the bus.
    QList<UsbDeviceId> identifyDevices(uint16_t vendorId, uint16_t productId);
    bool open(uint16_t vendorId, uint16_t productId);
    // The device with these ids at place (UsbDeviceId::portPath); any place where it is empty.
    bool open(uint16_t vendorId, uint16_t productId, const QString &place);
    bool claimInterface();
    void close();

    // A negative length, or a read longer than its array, fails with LIBUSB_ERROR_INVALID_PARAM
    // before libusb is called.
    bool write(const unsigned char *data, int16_t length, uint32_t timeoutMs);
    bool read(unsigned char *buffer, int16_t length, uint32_t timeoutMs);
    bool write(QByteArray &data, uint32_t timeoutMs);
    bool read(QByteArray &buffer, int16_t length, uint32_t timeoutMs);

    int lastError() const { return lastResult; }
    const char *lastErrorName() const;

private:
    bool bulkTransfer(unsigned char endpoint, unsigned char *data, int length, uint32_t timeoutMs);
    bool requireHandle();
    QString serialNumberOf(libusb_device *device, uint8_t serialIndex);
    bool refuseLength();

    libusb_context *context = nullptr;
    libusb_device *device = nullptr;
    libusb_device_handle *handle = nullptr;
    bool isOpen = false;
    int32_t lastResult = 0;
    // Result of libusb_init: with a failed init, context stays null and libusb would silently
    // fall back to its default context, so every operation checks this first.
    int initResult = 0;
    // Serial numbers by bus, port path and address: a device that re-enumerates gets another
    // address, and is asked again.
    QHash<QString, QString> serialNumbers;
};
