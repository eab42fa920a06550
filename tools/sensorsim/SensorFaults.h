// What an emulated sensor gets wrong on purpose, so that tests can meet every USB failure.
#pragma once

#include <QByteArray>

struct SensorFaults
{
    bool openDenied = false;           // its device node is unreadable: open fails with -3
    bool claimBusy = false;            // another program holds interface 0: claim fails with -6
    bool kernelDriverAttached = false; // a kernel driver sits on interface 0
    bool detachFails = false;          // ... and refuses to let go of it
    bool writeStalls = false;          // bulk OUT transfers never complete (libusb times out)
    QByteArray serialNumber;           // answered instead of its own, as a rogue device may
};
