// main() for tests that need the emulated sensor: they exit 77 (skipped) outside umockdev.
// Like the programs, such a test is its flashing tool's supervisor too.
#pragma once

#include "SensorTestbed.h"
#include "ToolSupervisor.h"

#include <QTest>
#include <cstdio>

#define OVK_UMOCKDEV_TEST_MAIN(TestObject)                                                         \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        int supervisorExit = 0;                                                                    \
        if (ToolSupervisor::runIfAsked(argc, argv, &supervisorExit))                               \
            return supervisorExit;                                                                 \
        if (!SensorTestbed::available()) {                                                         \
            std::fprintf(stderr, "SKIP: run under umockdev-wrapper\n");                            \
            return 77;                                                                             \
        }                                                                                          \
        QTEST_MAIN_IMPL(TestObject)                                                                \
    }
