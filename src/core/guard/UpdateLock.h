// One update at a time on this computer: a lock that every program of every user takes at the
// press and gives back at the outcome, and that the flashing tool holds while it runs.
#pragma once

#include <QString>

class UpdateLock
{
public:
    enum class Result
    {
        Taken,
        HeldElsewhere, // by another program, or a flashing tool that outlived its program
        Unusable       // the file cannot be used: see problem()
    };

    // Shared by every user: /run/lock/ovk-sensor-update.lock; on Windows a file in
    // %ProgramData%\OVK Sensor Updater.
    static QString machineWidePath();
    // A user's own, where the machine-wide one can be neither opened nor created: in the
    // runtime folder (XDG_RUNTIME_DIR), else in the temporary folder.
    static QString userPath();

    explicit UpdateLock(const QString &machineFile = machineWidePath(),
                        const QString &userFile = userPath());
    ~UpdateLock();

    UpdateLock(const UpdateLock &) = delete;
    UpdateLock &operator=(const UpdateLock &) = delete;

    // A lock whose holders have all ended, a crashed program included, is free again: the
    // system gives it back with their last handle.
    Result tryLock();
    void unlock();
    bool isLocked() const;
    // The file the last tryLock used, and why it could not be used ("<path>: <reason>").
    QString path() const { return usedPath; }
    QString problem() const { return problemText; }

    // Whether a program started now shares the lock. Set only around the start of the
    // flashing tool: a program killed mid-flash leaves the sensor locked until its tool ends.
    void setInheritable(bool inheritable);

private:
    friend struct UpdaterTestAccess;

    enum class Open
    {
        Done, // and locked
        Busy,
        CannotCreate, // no such file, and none may be made here
        Failed
    };
    Open openFile(const QString &file);

    QString machinePath;
    QString fallbackPath;
    QString usedPath;
    QString problemText;
    bool saidUserOnly = false;
#ifdef Q_OS_WIN
    void *handle = nullptr;
#else
    int descriptor = -1;
#endif
};
