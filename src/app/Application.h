// The window's run: application, Updater and QML engine, built and torn down in a fixed order.
#pragma once

#include <QUrl>

// Loads mainDocument with the Updater published as "updater" and runs the event loop.
// Returns -1 when the document yields no root object, otherwise the event loop's result.
int runApplication(int argc, char *argv[], const QUrl &mainDocument);

// Makes the Updater's outcomes known to QML ("import OVK 1.0", Updater.Done, ...).
void registerQmlTypes();
