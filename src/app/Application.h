// The window's run: application, Updater and QML engine, built and torn down in a fixed order.
#pragma once

#include <QUrl>

class QQmlEngine;

// Loads mainDocument with the Updater published as "updater" and runs the event loop.
// Returns -1 when the document yields no root object, otherwise the event loop's result.
int runApplication(int argc, char *argv[], const QUrl &mainDocument);

// Makes the Updater's outcomes known to QML ("import OVK 1.0", Updater.Done, ...), and the
// PollTimer.
void registerQmlTypes();

// Gives QML what Qt Quick 2 keeps out of its reach, so that the window's own dialogs look like
// its message dialogs: "fixedFont", the platform's fixed-width font, and "standardIconFolder",
// the folder (a URL ending in "/") of the images that QtQuick.Dialogs shows for its standard
// icons (information.png, warning.png, critical.png, question.png).
void publishPlatformLook(QQmlEngine *engine);
