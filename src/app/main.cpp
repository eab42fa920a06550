// Entry point of the OVK Sensor Updater.
#include "Application.h"

int main(int argc, char *argv[])
{
    return runApplication(argc, argv, QUrl(QStringLiteral("qrc:/main.qml")));
}
