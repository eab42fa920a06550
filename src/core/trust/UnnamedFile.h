// A file that no path leads to: nobody can swap, replace or plant anything in its place. The
// program reads it through the handle it made it with, and hands a child process a handle to it
// by number, to be inherited.
#pragma once

#include <QByteArray>
#include <QString>

class UnnamedFile
{
public:
    UnnamedFile() = default;
    ~UnnamedFile();
    UnnamedFile(const UnnamedFile &) = delete;
    UnnamedFile &operator=(const UnnamedFile &) = delete;

    // Makes the file: on Linux in memory (memfd); on Windows a temporary file of this user that
    // goes with its last handle. False, with why, where it cannot be made.
    bool open(QString *error);
    bool isOpen() const { return handed >= 0; }

    // What the file holds from offset on. Reading never moves where its writer writes.
    QByteArray read(qint64 offset = 0) const;

    // The handle a child process inherits, as its command line names it (a descriptor number;
    // a handle value on Windows). Inheritable only between setInheritable(true) and (false),
    // around the child's start, so that no other child takes it.
    QString childHandle() const;
    void setInheritable(bool inheritable);

private:
    qintptr handed = -1; // the child's; on Linux the program's too
#ifdef Q_OS_WIN
    qintptr reading = -1; // a handle of its own: the child's moves its own file position
#endif
};
