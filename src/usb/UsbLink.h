// UsbLink: one libusb context and at most one open device handle.
// Finds a device by its ids, opens it, claims interface 0 and moves bytes over bulk endpoint 1.
#pragma once

#include <QByteArray>
#include <cstdint>

struct libusb_context;
struct libusb_device;
struct libusb_device_handle;

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
    bool open(uint16_t vendorId, uint16_t productId);
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
    bool refuseLength();

    libusb_context *context = nullptr;
    libusb_device *device = nullptr;
    libusb_device_handle *handle = nullptr;
    bool isOpen = false;
    int32_t lastResult = 0;
    // Result of libusb_init: with a failed init, context stays null and libusb would silently
    // fall back to its default context, so every operation checks this first.
    int initResult = 0;
};
