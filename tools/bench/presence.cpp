// The cost of one presence check (checkPodConnected) on an emulated bus of 1 and of 32 USB
// devices, the sensor among them. Runs under umockdev-wrapper; prints "devices microseconds".
#include "SensorTestbed.h"
#include "Updater.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <libusb.h>
#include <memory>
#include <vector>

namespace {
// Median over rounds of the mean time of one call, in microseconds.
double microsecondsPerCheck(Updater &updater)
{
    constexpr int rounds = 15;
    constexpr int calls = 200;
    std::vector<double> means;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < calls; ++i) {
            if (!updater.checkPodConnected())
                qFatal("the sensor is not seen");
        }
        means.push_back(timer.nsecsElapsed() / 1000.0 / calls);
    }
    std::sort(means.begin(), means.end());
    return means[rounds / 2];
}

// What a libusb context made now lists: the devices the measurement ran on.
ssize_t devicesOnBus()
{
    libusb_context *context = nullptr;
    libusb_init(&context);
    libusb_device **list = nullptr;
    const ssize_t count = libusb_get_device_list(context, &list);
    libusb_free_device_list(list, 1);
    libusb_exit(context);
    return count;
}

void measure()
{
    // A fresh Updater, so that its libusb context starts with the whole bus.
    auto updater = std::make_unique<Updater>();
    const double microseconds = microsecondsPerCheck(*updater);
    std::printf("%zd %.2f\n", devicesOnBus(), microseconds);
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (!SensorTestbed::available()) {
        std::fprintf(stderr, "run me under umockdev-wrapper\n");
        return 77;
    }
    SensorTestbed bed;
    bed.plugSensor();
    measure();
    bed.plugOtherUsbDevices(31);
    measure();
    return 0;
}
