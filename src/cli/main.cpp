// Entry point of ovk-sensor-update, the OVK Sensor Updater's console companion.
#include "ConsoleProgram.h"
#include "ToolSupervisor.h"

int main(int argc, char *argv[])
{
    int supervisorExit = 0;
    if (ToolSupervisor::runIfAsked(argc, argv, &supervisorExit))
        return supervisorExit;
    return runConsoleProgram(argc, argv);
}
