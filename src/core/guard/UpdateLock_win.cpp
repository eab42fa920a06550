// Opening and locking the update lock's files on Windows (see UpdateLock.h). A file opened
// without sharing is the lock: nobody else can open it while a handle is left, the flashing
// tool's inherited one included. The computer's file is opened with read sharing by the runs
// that share it, and without by a run that takes it alone. Reading is enough for either.
#include "UpdateLock.h"

#include <QDir>
#include <QFileInfo>
#include <windows.h>

namespace {
QString describeFailure(const QString &file, DWORD error)
{
    return file + QStringLiteral(": ") + qt_error_string(int(error));
}
} // namespace

bool UpdateLock::checkFolder(const QString &)
{
    return true;
}

UpdateLock::Open UpdateLock::openFile(const QString &file, Share share)
{
    const QString native = QDir::toNativeSeparators(file);
    const auto name = reinterpret_cast<const wchar_t *>(native.utf16());
    const DWORD sharing = share == Share::Alone ? 0 : FILE_SHARE_READ;
    for (int attempt = 0; attempt < 2; ++attempt) {
        HANDLE opened = CreateFileW(name, GENERIC_READ, sharing, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (opened != INVALID_HANDLE_VALUE) {
            handles.append(opened);
            return Open::Done;
        }
        const DWORD error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION)
            return Open::Busy;
        const bool exists = GetFileAttributesW(name) != INVALID_FILE_ATTRIBUTES;
        problemText = describeFailure(file, error);
        // The installer makes the folder; a program installed otherwise makes it itself.
        if (error == ERROR_PATH_NOT_FOUND && attempt == 0 &&
            QDir().mkpath(QFileInfo(file).absolutePath()))
            continue;
        return exists ? Open::Failed : Open::CannotCreate;
    }
    return Open::CannotCreate;
}

void UpdateLock::closeAll()
{
    for (void *handle : qAsConst(handles))
        CloseHandle(handle);
    handles.clear();
}

bool UpdateLock::isLocked() const
{
    return !handles.isEmpty();
}

void UpdateLock::setInheritable(bool inheritable)
{
    for (void *handle : handles)
        SetHandleInformation(handle, HANDLE_FLAG_INHERIT, inheritable ? HANDLE_FLAG_INHERIT : 0);
}
