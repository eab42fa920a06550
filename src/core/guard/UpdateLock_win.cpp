// Opening and locking the update lock's files on Windows (see UpdateLock.h). A file opened
// without sharing is the lock: nobody else can open it while a handle is left, the flashing
// tool's inherited one included. The computer's file is opened with read sharing by the runs
// that share it, and without by a run that takes it alone. Reading is enough for either. Who
// has a file open, the Restart Manager tells.
#include "UpdateLock.h"

#include <QDir>
#include <QFileInfo>
#include <vector>
// clang-format off
#include <windows.h>
#include <restartmanager.h>
// clang-format on

namespace {
QString describeFailure(const QString &file, DWORD error)
{
    return file + QStringLiteral(": ") + qt_error_string(int(error));
}

std::wstring nativePath(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()).toStdWString();
}

// The path without "\\?\", as a person writes it.
QString plainPath(const std::vector<wchar_t> &path)
{
    const QString text = QString::fromWCharArray(path.data());
    if (text.startsWith(QLatin1String("\\\\?\\UNC\\")))
        return QStringLiteral("\\\\") + text.mid(8);
    return text.startsWith(QLatin1String("\\\\?\\")) ? text.mid(4) : text;
}

// Calls get(buffer, size) with a buffer that grows until the text fits; empty on failure.
template <typename Get>
std::vector<wchar_t> grown(Get get)
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD size = get(buffer.data(), DWORD(buffer.size()));
        if (size == 0)
            return {L'\0'};
        if (size < buffer.size())
            return buffer;
        buffer.resize(size + 1);
    }
}

// Where a junction or link on the way led elsewhere, the system names the opened file by where
// it really is. Short (8.3) names are spelled out first, as the system does.
bool isReachedDirectly(HANDLE opened, const std::wstring &path)
{
    const QString reached = plainPath(grown([opened](wchar_t *buffer, DWORD size) {
        return GetFinalPathNameByHandleW(opened, buffer, size,
                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    }));
    const QString expected = plainPath(grown([&path](wchar_t *buffer, DWORD size) {
        return GetLongPathNameW(path.c_str(), buffer, size);
    }));
    return !reached.isEmpty() && reached.compare(expected, Qt::CaseInsensitive) == 0;
}

// Why the file or folder opened at path is not to be used; empty where it is the one at path
// itself. Wine tells a link by its name only, Windows by the handle too.
QString linkProblem(HANDLE opened, const QString &path)
{
    const std::wstring name = nativePath(path);
    const DWORD byName = GetFileAttributesW(name.c_str());
    FILE_ATTRIBUTE_TAG_INFO byHandle = {};
    if (!GetFileInformationByHandleEx(opened, FileAttributeTagInfo, &byHandle, sizeof byHandle))
        return describeFailure(path, GetLastError());
    if ((byHandle.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        (byName != INVALID_FILE_ATTRIBUTES && (byName & FILE_ATTRIBUTE_REPARSE_POINT)))
        return path + QStringLiteral(": a junction or link, which is not followed");
    if (!isReachedDirectly(opened, name))
        return path + QStringLiteral(": its path goes through a junction or link, which is not "
                                     "followed");
    return QString();
}

template <typename Function>
Function procedure(HMODULE library, const char *name)
{
    // Through the type that stands for any function: GCC warns of any other cast.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

// The program that process pid runs, by its file's name; empty where it cannot be told.
QString programOf(DWORD pid)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process)
        return QString();
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    const bool named = QueryFullProcessImageNameW(process, 0, path, &size);
    CloseHandle(process);
    return named ? QFileInfo(QString::fromWCharArray(path, int(size))).completeBaseName()
                 : QString();
}

// The processes that have file open, as the Restart Manager lists them.
std::vector<DWORD> processesUsing(HMODULE library, const std::wstring &file)
{
    using Start = DWORD(WINAPI *)(DWORD *, DWORD, WCHAR[]);
    using End = DWORD(WINAPI *)(DWORD);
    using Register =
        DWORD(WINAPI *)(DWORD, UINT, LPCWSTR[], UINT, RM_UNIQUE_PROCESS[], UINT, LPCWSTR[]);
    using List = DWORD(WINAPI *)(DWORD, UINT *, UINT *, RM_PROCESS_INFO[], LPDWORD);
    const auto start = procedure<Start>(library, "RmStartSession");
    const auto end = procedure<End>(library, "RmEndSession");
    const auto add = procedure<Register>(library, "RmRegisterResources");
    const auto list = procedure<List>(library, "RmGetList");
    DWORD session = 0;
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    if (!start || !end || !add || !list || start(&session, 0, key) != ERROR_SUCCESS)
        return {};
    std::vector<DWORD> pids;
    LPCWSTR files[] = {file.c_str()};
    std::vector<RM_PROCESS_INFO> found(4);
    UINT needed = 0;
    UINT count = UINT(found.size());
    DWORD reasons = 0;
    if (add(session, 1, files, 0, nullptr, 0, nullptr) == ERROR_SUCCESS) {
        DWORD result = list(session, &needed, &count, found.data(), &reasons);
        // Processes may open it in between: asked once more, with room for what it said.
        if (result == ERROR_MORE_DATA) {
            found.resize(needed + 4);
            count = UINT(found.size());
            result = list(session, &needed, &count, found.data(), &reasons);
        }
        for (UINT i = 0; result == ERROR_SUCCESS && i < count; ++i)
            pids.push_back(found[i].Process.dwProcessId);
    }
    end(session);
    return pids;
}
} // namespace

QList<UpdateLock::Holder> UpdateLock::holdersOf(const QString &file)
{
    // Loaded from System32 alone, and only when asked.
    const HMODULE library = LoadLibraryExW(L"rstrtmgr.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!library)
        return {};
    QList<Holder> holders;
    for (const DWORD pid : processesUsing(library, nativePath(file)))
        holders.append({qint64(pid), programOf(pid)});
    FreeLibrary(library);
    return holders;
}

// The folder stays open, without leave to rename or delete it or a folder above it, until the
// lock is given back: its files are opened in the folder that was checked. A folder that is
// not there yet is made with the first file, which is checked as it is opened.
bool UpdateLock::checkFolder(const QString &folder)
{
    HANDLE opened = CreateFileW(nativePath(folder).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (opened == INVALID_HANDLE_VALUE)
        return true;
    const QString problem = linkProblem(opened, folder);
    if (!problem.isEmpty()) {
        CloseHandle(opened);
        problemText = problem;
        return false;
    }
    handles.append(opened);
    return true;
}

UpdateLock::Open UpdateLock::openFile(const QString &file, Share share)
{
    const std::wstring native = nativePath(file);
    const DWORD sharing = share == Share::Alone ? 0 : FILE_SHARE_READ;
    for (int attempt = 0; attempt < 2; ++attempt) {
        HANDLE opened = CreateFileW(native.c_str(), GENERIC_READ, sharing, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (opened != INVALID_HANDLE_VALUE) {
            problemText = linkProblem(opened, file);
            if (problemText.isEmpty()) {
                handles.append(opened);
                return Open::Done;
            }
            CloseHandle(opened);
            return Open::Failed;
        }
        const DWORD error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION)
            return Open::Busy;
        const bool exists = GetFileAttributesW(native.c_str()) != INVALID_FILE_ATTRIBUTES;
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
