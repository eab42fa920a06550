// One update at a time on this computer: a lock that every program of the user takes at the
// press and gives back at the outcome, and that the flashing tool holds while it runs.
#pragma once

#include <QString>

class UpdateLock
{
public:
    // A file in the user's runtime folder (XDG_RUNTIME_DIR), else in the temporary folder.
    static QString defaultPath();

    explicit UpdateLock(const QString &path = defaultPath());
    ~UpdateLock();

    UpdateLock(const UpdateLock &) = delete;
    UpdateLock &operator=(const UpdateLock &) = delete;

    // False while another holder has it: another program, or a flashing tool that another
    // program started and that outlived it. A lock whose holders have all ended, a crashed
    // program included, is free again: the system gives it back with their last handle.
    bool tryLock();
    void unlock();
    bool isLocked() const;

    // Whether a program started now shares the lock. Set only around the start of the
    // flashing tool: a program killed mid-flash leaves the sensor locked until its tool ends.
    void setInheritable(bool inheritable);

private:
    QString path;
#ifdef Q_OS_WIN
    void *handle = nullptr;
#else
    int descriptor = -1;
#endif
};
