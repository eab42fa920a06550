// Text from outside as a person is shown it: a device's serial number, which a rogue device with
// the sensor's ids chooses, reaches a terminal or a table with its control characters escaped,
// never as the escape sequences they would start.
#pragma once

#include <QString>

namespace PrintableText {
// Control and format characters as \xNN (\uNNNN beyond Latin-1), and a backslash doubled, so
// that an escape shown can be told from the same characters sent.
QString of(const QString &text);
} // namespace PrintableText
