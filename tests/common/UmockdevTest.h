// main() for tests that need the emulated sensor: they exit 77 (skipped) outside umockdev.
#pragma once

#include "SensorTestbed.h"

#include <QTest>
#include <cstdio>

#define OVK_UMOCKDEV_TEST_MAIN(TestObject)                                                         \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        if (!SensorTestbed::available()) {                                                         \
            std::fprintf(stderr, "SKIP: run under umockdev-wrapper\n");                            \
            return 77;                                                                             \
        }                                                                                          \
        QTEST_MAIN_IMPL(TestObject)                                                                \
    }
