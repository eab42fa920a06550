// Entry point of ovk-sensor-update, the OVK Sensor Updater's console companion.
#include "ConsoleProgram.h"

int main(int argc, char *argv[])
{
    return runConsoleProgram(argc, argv);
}
