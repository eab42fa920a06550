// The external flashing tool: where it is found and the command line it is given.
#pragma once

#include <QString>
#include <QStringList>

// The program to start. On Windows the bare "util.exe", found the way Windows finds it. Elsewhere
// "util", looked for the same way: beside this program, in the working directory, on PATH.
QString flashingToolProgram();

QStringList flashingToolArguments(const QString &firmwarePath, const QString &portName);
