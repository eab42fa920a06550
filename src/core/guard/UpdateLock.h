// What keeps two runs off one sensor, whoever starts them on this computer: a lock file per
// sensor, by its USB place, and one of the computer's, which every run shares but a run that
// cannot tell its sensor's place from another's takes alone. Each run takes them at the press
// and gives them back at its outcome; the flashing tool holds them while it runs.
#pragma once

#include <QList>
#include <QString>

class UpdateLock
{
public:
    enum class Result
    {
        Taken,
        HeldElsewhere, // by another run, or a flashing tool that outlived its program
        Unusable       // a file cannot be used: see problem()
    };

    // The folder whose lock files the programs of every user share: /run/lock; on Windows
    // %ProgramData%\OVK Sensor Updater.
    static QString machineFolder();
    // A user's own, where the machine's cannot be used: XDG_RUNTIME_DIR, else the temporary
    // folder.
    static QString userFolder();
    // The lock file of the sensor at place in folder, or the computer's where place is empty:
    // ovk-sensor-update.1-4.2.lock and ovk-sensor-update.lock (on Windows update.1-4.2.lock
    // and update.lock).
    static QString fileIn(const QString &folder, const QString &place = QString());

    explicit UpdateLock(const QString &machineFolder = UpdateLock::machineFolder(),
                        const QString &userFolder = UpdateLock::userFolder());
    ~UpdateLock();

    UpdateLock(const UpdateLock &) = delete;
    UpdateLock &operator=(const UpdateLock &) = delete;

    // Locks the sensor at place (its USB place, "1-4.2") against every other run: its own file
    // alone, and the computer's shared with the runs on other sensors. An empty place takes the
    // computer's file alone. A lock whose holders have all ended, a crashed program included,
    // is free again: the system gives it back with their last handle.
    Result tryLock(const QString &place = QString());
    void unlock();
    bool isLocked() const;
    // The file that decided the last tryLock: once taken, the sensor's (the computer's for a
    // run without a place); else the one held elsewhere or unusable.
    QString path() const { return usedPath; }
    // Why a file could not be used ("<path>: <reason>").
    QString problem() const { return problemText; }
    // Whether the lock is the computer's alone (an empty place, or a sensor's file that could
    // not be made or trusted).
    bool isWholeComputer() const { return wholeComputer; }
    // Why the lock taken keeps out this user's programs only: the computer's file could not be
    // made ("<path>: <reason>"), and the user's own folder was the last resort. Empty where the
    // lock is every user's.
    QString thisUserOnly() const { return userOnlyReason; }

    // A process that the system says holds the lock of a file: on Linux the one that took it
    // (which may have ended while the flashing tool it started still holds it), on Windows
    // every process that has the file open. program: as the system names it, empty where it
    // cannot tell.
    struct Holder
    {
        qint64 pid = 0;
        QString program;
    };
    // Empty where the system tells nothing (Windows' Restart Manager under Wine).
    static QList<Holder> holdersOf(const QString &file);
    // Linux only: the processes the kernel names as holding a lock of the file with this device
    // and inode, as it names them (0 or -1 outside this program's pid namespace); false where
    // it cannot be asked.
    static bool lockersOf(quint64 device, quint64 inode, QList<qint64> *pids);

    // Whether a program started now shares the lock. Set only around the start of the
    // flashing tool: a program killed mid-flash leaves the sensor locked until its tool ends.
    void setInheritable(bool inheritable);

private:
    friend struct UpdaterTestAccess;

    enum class Share
    {
        WithOthers,
        Alone
    };
    enum class Open
    {
        Done, // and locked
        Busy,
        CannotCreate, // no such file, and none may be made here
        Untrusted,    // another user's, who could remove it while it is held
        Failed
    };
    Result lockIn(const QString &folder, const QString &place);
    // Platform parts: opens and locks file, keeping its handle; false with problemText set where
    // the folder itself is not to be trusted (Windows: a junction or link).
    Open openFile(const QString &file, Share share);
    bool checkFolder(const QString &folder);
    void closeAll();

    QString machineDir;
    QString userDir;
    QString usedPath;
    QString problemText;
    QString userOnlyReason;
    bool wholeComputer = false;
    bool saidUserOnly = false;
#ifdef Q_OS_WIN
    QList<void *> handles;
#else
    QList<int> descriptors;
#endif
};
