// Whether this test runs with a /run/lock of its own (tests/e2e/isolated.sh's, as root), which
// it may then make full, read-only or root's alone without touching the computer's.
#pragma once

#include <QFile>
#include <QRegularExpression>
#include <unistd.h>

inline bool hasLockFolderOfItsOwn()
{
    QFile mounts("/proc/self/mountinfo");
    return geteuid() == 0 && mounts.open(QIODevice::ReadOnly) &&
           QString::fromUtf8(mounts.readAll())
               .contains(
                   QRegularExpression("^\\S+ \\S+ \\S+ \\S+ /run/lock .* - tmpfs ovk-test-lock ",
                                      QRegularExpression::MultilineOption));
}
