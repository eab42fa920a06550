// Who a user is, on Windows (see UserIdentity.h): the security identifier (SID) of the user a
// process token names. %USERNAME% is not asked: anyone sets it.
#include "UserIdentity.h"

#include <QRegularExpression>
#include <memory>
#include <vector>
// clang-format off
#include <windows.h>
#include <sddl.h>
#include <wtsapi32.h>
// clang-format on

namespace {
struct LocalFreeDeleter
{
    void operator()(void *memory) const { LocalFree(memory); }
};
using LocalSid = std::unique_ptr<void, LocalFreeDeleter>;

struct HandleCloser
{
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

QString keyOf(PSID sid)
{
    wchar_t *text = nullptr;
    if (!sid || !ConvertSidToStringSidW(sid, &text))
        return QString();
    const QString key = QString::fromWCharArray(text);
    LocalFree(text);
    return key;
}

LocalSid sidOf(const QString &key)
{
    PSID sid = nullptr;
    if (!UserIdentity::isKey(key) ||
        !ConvertStringSidToSidW(reinterpret_cast<const wchar_t *>(key.utf16()), &sid))
        return nullptr;
    return LocalSid(sid);
}

// The key of the user a token stands for; empty where the token cannot be read.
QString userOfToken(HANDLE token)
{
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<char> buffer(size);
    if (size == 0 || !GetTokenInformation(token, TokenUser, buffer.data(), size, &size))
        return QString();
    return keyOf(reinterpret_cast<TOKEN_USER *>(buffer.data())->User.Sid);
}

template <typename Function>
Function procedure(HMODULE library, const char *name)
{
    // Through the type that stands for any function: GCC warns of any other cast.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

// What the terminal services tell of pid's user: they name the user of every process, where
// another user's token may not be opened. Loaded from System32 alone, and only when needed.
QString userFromSessions(DWORD pid)
{
    using Enumerate = BOOL(WINAPI *)(HANDLE, DWORD, DWORD, WTS_PROCESS_INFOW **, DWORD *);
    using Free = void(WINAPI *)(void *);
    const HMODULE library = LoadLibraryExW(L"wtsapi32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!library)
        return QString();
    const auto enumerate = procedure<Enumerate>(library, "WTSEnumerateProcessesW");
    const auto release = procedure<Free>(library, "WTSFreeMemory");
    QString key;
    DWORD count = 0;
    WTS_PROCESS_INFOW *processes = nullptr;
    if (enumerate && release && enumerate(WTS_CURRENT_SERVER_HANDLE, 0, 1, &processes, &count)) {
        for (DWORD i = 0; i < count; ++i) {
            if (processes[i].ProcessId == pid)
                key = keyOf(processes[i].pUserSid);
        }
        release(processes);
    }
    FreeLibrary(library);
    return key;
}

// The key of the user that the running process pid runs as; empty where it cannot be told.
QString processUser(DWORD pid)
{
    const Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    DWORD code = 0;
    // A process that has ended is nobody's, however long a handle keeps its number.
    if (!process || !GetExitCodeProcess(process.get(), &code) || code != STILL_ACTIVE)
        return QString();
    HANDLE token = nullptr;
    if (!OpenProcessToken(process.get(), TOKEN_QUERY, &token))
        return userFromSessions(pid);
    const Handle owned(token);
    return userOfToken(token);
}
} // namespace

QString UserIdentity::currentKey()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return QString();
    const Handle owned(token);
    return userOfToken(token);
}

bool UserIdentity::isKey(const QString &text)
{
    // S-1-<authority>-<sub-authorities>, at most 15 of them.
    static const QRegularExpression sid(QStringLiteral("^S-1-\\d{1,13}(-\\d{1,10}){1,15}$"));
    return sid.match(text).hasMatch();
}

QString UserIdentity::nameOf(const QString &key)
{
    const LocalSid sid = sidOf(key);
    wchar_t name[256] = {};
    wchar_t domain[256] = {};
    DWORD nameLength = 256;
    DWORD domainLength = 256;
    SID_NAME_USE use;
    if (!sid ||
        !LookupAccountSidW(nullptr, sid.get(), name, &nameLength, domain, &domainLength, &use))
        return key;
    const QString user = QString::fromWCharArray(name);
    return domainLength > 0 ? QString::fromWCharArray(domain) + QLatin1Char('\\') + user : user;
}

bool UserIdentity::processRunsAs(qint64 pid, const QString &key)
{
    if (pid <= 0 || pid > qint64(MAXDWORD) || !isKey(key))
        return false;
    const LocalSid wanted = sidOf(key);
    const LocalSid found = sidOf(processUser(DWORD(pid)));
    return wanted && found && EqualSid(wanted.get(), found.get());
}

QString UserIdentity::userOfProcess(qint64 pid)
{
    return pid > 0 && pid <= qint64(MAXDWORD) ? processUser(DWORD(pid)) : QString();
}
