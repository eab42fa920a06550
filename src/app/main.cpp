// Entry point of the OVK Sensor Updater.
#include "Application.h"
#include "ToolSupervisor.h"

int main(int argc, char *argv[])
{
    int supervisorExit = 0;
    if (ToolSupervisor::runIfAsked(argc, argv, &supervisorExit))
        return supervisorExit;
    return runApplication(argc, argv, QUrl(QStringLiteral("qrc:/main.qml")));
}
