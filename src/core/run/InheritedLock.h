// The sensor's lock as a flashing tool inherited it: whether the tool, or what it started, still
// holds it once the program that took it has let go. A tool whose supervisor was lost tells
// nothing else of itself.
#pragma once

#include <QString>

class InheritedLock
{
public:
    // The lock file at path, which this program has locked and handed on to its tool; read
    // before the program lets go of it.
    explicit InheritedLock(const QString &path);

    // Whether a lock this program took on the file is still held, by a descriptor it handed on.
    // Where the system does not tell (Windows), or the file could not be told, it is taken to be.
    bool isHeld() const;

private:
    bool known = false;
    unsigned long long device = 0;
    unsigned long long inode = 0;
};
