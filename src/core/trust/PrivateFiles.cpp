// Files and folders a user may trust, and how they are kept private (see PrivateFiles.h).
#include "PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#ifdef Q_OS_WIN
#include "UserIdentity.h"

#include <windows.h>

#include <aclapi.h>
#include <iterator>
#include <sddl.h>
#else
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
QString failure(const QString &path, const QString &why)
{
    return path + QStringLiteral(": ") + why;
}

#ifdef Q_OS_WIN
QString systemError()
{
    return qt_error_string(int(GetLastError()));
}
#else
QString systemError()
{
    return qt_error_string(errno);
}
#endif
} // namespace

#ifdef Q_OS_WIN
namespace {
// The folder at path itself, open so that nobody may move it away meanwhile (no delete sharing),
// with the rights to read and set who may do what with it; invalid where it is no folder, or a
// junction or link, or reached through one.
HANDLE openPlainFolder(const QString &path)
{
    const QString native = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    const HANDLE folder = CreateFileW(
        reinterpret_cast<const wchar_t *>(native.utf16()),
        READ_CONTROL | WRITE_DAC | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return folder;
    BY_HANDLE_FILE_INFORMATION info = {};
    wchar_t reached[MAX_PATH * 2] = {};
    const DWORD length =
        GetFinalPathNameByHandleW(folder, reached, DWORD(std::size(reached)), FILE_NAME_NORMALIZED);
    QString final = QString::fromWCharArray(reached, int(length));
    if (final.startsWith(QLatin1String("\\\\?\\")))
        final = final.mid(4);
    const bool plain = GetFileInformationByHandle(folder, &info) &&
                       (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                       !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && length > 0 &&
                       final.compare(native, Qt::CaseInsensitive) == 0;
    if (plain)
        return folder;
    CloseHandle(folder);
    return INVALID_HANDLE_VALUE;
}

// Whether the held folder belongs to this program's user.
bool ownedByThisUser(HANDLE folder)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(folder, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    LPWSTR text = nullptr;
    bool own = false;
    if (ConvertSidToStringSidW(owner, &text)) {
        own = QString::fromWCharArray(text) == UserIdentity::currentKey();
        LocalFree(text);
    }
    LocalFree(descriptor);
    return own;
}

// Only this user (and the system and the administrators) may do anything in the held folder,
// whatever the folder above it lets others do: nobody else may swap what is kept there.
bool keepToThisUser(HANDLE folder)
{
    const QString rights = QStringLiteral("D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;%1)")
                               .arg(UserIdentity::currentKey());
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
            reinterpret_cast<const wchar_t *>(rights.utf16()), SDDL_REVISION_1, &descriptor,
            nullptr))
        return false;
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL acl = nullptr;
    const bool set =
        GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted) &&
        SetSecurityInfo(folder, SE_FILE_OBJECT,
                        DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                        nullptr, acl, nullptr) == ERROR_SUCCESS;
    LocalFree(descriptor);
    return set;
}
} // namespace

// A folder of this user's own, and no junction or link on the way to it.
bool PrivateFiles::isOwnPlace(const QString &folder)
{
    const HANDLE held = openPlainFolder(folder);
    if (held == INVALID_HANDLE_VALUE)
        return false;
    const bool own = ownedByThisUser(held);
    CloseHandle(held);
    return own;
}

bool PrivateFiles::makePrivate(const QString &folder, QString *error)
{
    if (!QDir().mkpath(folder)) {
        *error = failure(folder, systemError());
        return false;
    }
    const HANDLE held = openPlainFolder(folder);
    if (held == INVALID_HANDLE_VALUE) {
        *error = failure(folder, QStringLiteral("a junction or link, or reached through one"));
        return false;
    }
    const bool own = ownedByThisUser(held) && keepToThisUser(held);
    CloseHandle(held);
    if (!own)
        *error = failure(folder, QStringLiteral("not this user's own"));
    return own;
}

void PrivateFiles::makeFilePrivate(const QString &) {}

namespace {
HANDLE openFile(const QString &path, DWORD access, DWORD disposition, QString *error)
{
    const HANDLE file = CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()), access,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        *error = failure(path, systemError());
    return file;
}

bool writeOnce(HANDLE file, const QByteArray &bytes, const QString &path, QString *error)
{
    DWORD written = 0;
    if (WriteFile(file, bytes.constData(), DWORD(bytes.size()), &written, nullptr) &&
        written == DWORD(bytes.size()))
        return true;
    *error = failure(path, systemError());
    return false;
}
} // namespace

bool PrivateFiles::writeNew(const QString &path, const QByteArray &bytes, QString *error)
{
    const QString native = QDir::toNativeSeparators(path);
    const HANDLE file = openFile(native, GENERIC_WRITE, CREATE_NEW, error);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool ok = writeOnce(file, bytes, native, error);
    CloseHandle(file);
    if (!ok)
        DeleteFileW(reinterpret_cast<const wchar_t *>(native.utf16()));
    return ok;
}

bool PrivateFiles::append(const QString &path, const QByteArray &bytes, QString *error)
{
    // Append access without write access: the system puts every write at the end of the file,
    // where a seek and a write of Qt's append could land on another program's line.
    const QString native = QDir::toNativeSeparators(path);
    const HANDLE file = openFile(native, FILE_APPEND_DATA | FILE_READ_DATA, OPEN_ALWAYS, error);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    // Not every file system finds that end and writes there in one step (nor does Wine): writers
    // take turns on a lock far beyond any end, where it keeps no reader from the lines. Reading
    // access is what a lock asks for.
    OVERLAPPED beyondTheEnd = {};
    beyondTheEnd.OffsetHigh = 0x40000000;
    const bool locked = LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &beyondTheEnd);
    if (!locked)
        *error = failure(native, systemError());
    const bool ok = locked && writeOnce(file, bytes, native, error);
    CloseHandle(file); // and with it the lock
    return ok;
}
#else
namespace {
// A file or folder along path (path itself, where it exists, and every folder above it) belongs
// to someone other than self and root, or others could put something where a folder of it is
// still missing or change the path itself (the nearest that exists is writable by them), or
// move a folder of it away (one above it is writable by them without the sticky bit). Links are
// judged as themselves: a link that another user put there is theirs.
bool othersHaveSay(const QString &path, uid_t self)
{
    QString at = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    bool nearestExisting = true;
    for (;;) {
        struct stat info = {};
        if (lstat(QFile::encodeName(at).constData(), &info) == 0) {
            if (info.st_uid != self && info.st_uid != 0)
                return true;
            // A link's own mode is no right to change it: only its owner may replace it.
            const bool othersWrite = !S_ISLNK(info.st_mode) && (info.st_mode & (S_IWGRP | S_IWOTH));
            if (othersWrite &&
                (nearestExisting || (S_ISDIR(info.st_mode) && !(info.st_mode & S_ISVTX))))
                return true;
            nearestExisting = false;
        }
        const QString above = QFileInfo(at).path();
        if (above == at)
            return false;
        at = above;
    }
}

// Where path leads, every link on the way followed; the part that does not exist yet is kept as
// written.
QString whereItLeads(const QString &path)
{
    QString at = path;
    QString rest;
    for (;;) {
        if (char *real = realpath(QFile::encodeName(at).constData(), nullptr)) {
            const QString reached = QFile::decodeName(real);
            free(real);
            return rest.isEmpty() ? reached : QDir(reached).filePath(rest);
        }
        const QString above = QFileInfo(at).path();
        if (above == at)
            return path;
        const QString name = QFileInfo(at).fileName();
        rest = rest.isEmpty() ? name : name + QLatin1Char('/') + rest;
        at = above;
    }
}
} // namespace

bool PrivateFiles::othersHaveSayAlong(const QString &path)
{
    return othersHaveSay(path, geteuid());
}

bool PrivateFiles::onlyRootMayChange(const QString &path)
{
    const QStringList parts = path.split(QLatin1Char('/'));
    return path.startsWith(QLatin1Char('/')) && !parts.contains(QStringLiteral(".")) &&
           !parts.contains(QStringLiteral("..")) && !othersHaveSay(path, 0) &&
           !othersHaveSay(whereItLeads(path), 0);
}

bool PrivateFiles::isOwnPlace(const QString &folder)
{
    struct stat info = {};
    return stat(QFile::encodeName(folder).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == geteuid() && !othersHaveSayAlong(folder);
}

namespace {
// Takes from the file or folder open as descriptor, if it is this user's, whatever its group and
// other users may do with it. What its user may do stays as it is: a folder its user made read
// only stays so.
bool restrictOpened(int descriptor, const QString &path, QString *error)
{
    struct stat info = {};
    if (fstat(descriptor, &info) != 0) {
        *error = failure(path, systemError());
        return false;
    }
    if (info.st_uid != geteuid()) {
        *error = failure(path, QStringLiteral("belongs to another user"));
        return false;
    }
    if ((info.st_mode & 07077) != 0 && fchmod(descriptor, info.st_mode & 0700) != 0) {
        *error = failure(path, systemError());
        return false;
    }
    return true;
}

// One write() of all bytes: a second one could land after another program's.
bool writeOnce(int descriptor, const QByteArray &bytes, const QString &path, QString *error)
{
    ssize_t written = -1;
    do
        written = write(descriptor, bytes.constData(), size_t(bytes.size()));
    while (written < 0 && errno == EINTR);
    if (written == bytes.size())
        return true;
    *error = failure(
        path, written < 0
                  ? systemError()
                  : QStringLiteral("only %1 of %2 bytes written").arg(written).arg(bytes.size()));
    return false;
}

bool closeAfter(int descriptor, bool ok)
{
    close(descriptor);
    return ok;
}
} // namespace

bool PrivateFiles::makePrivate(const QString &folder, QString *error)
{
    const QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    const QString above = QFileInfo(path).path();
    if (above != path && !QFileInfo::exists(above) && !makePrivate(above, error))
        return false;
    const QByteArray name = QFile::encodeName(path);
    if (mkdir(name.constData(), 0700) != 0 && errno != EEXIST) {
        *error = failure(path, systemError());
        return false;
    }
    // An earlier version made it open to all: set right on the folder itself, never through a
    // link that may have taken its place.
    const int descriptor = open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0) {
        *error = failure(path, systemError());
        return false;
    }
    return closeAfter(descriptor, restrictOpened(descriptor, path, error));
}

void PrivateFiles::makeFilePrivate(const QString &path)
{
    const int descriptor = open(QFile::encodeName(path).constData(),
                                O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0)
        return;
    struct stat info = {};
    QString ignored;
    if (fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode))
        restrictOpened(descriptor, path, &ignored);
    close(descriptor);
}

bool PrivateFiles::writeNew(const QString &path, const QByteArray &bytes, QString *error)
{
    const QByteArray name = QFile::encodeName(path);
    const int descriptor =
        open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        *error = failure(path, systemError());
        return false;
    }
    // Made 0600 at most, whatever the umask; a default ACL of the folder may still grant others
    // more, which a mode set on the file itself takes away.
    if (closeAfter(descriptor, restrictOpened(descriptor, path, error) &&
                                   writeOnce(descriptor, bytes, path, error)))
        return true;
    unlink(name.constData());
    return false;
}

bool PrivateFiles::append(const QString &path, const QByteArray &bytes, QString *error)
{
    // O_APPEND: the kernel puts each write() at the end of the file as it is at that moment.
    const int descriptor = open(QFile::encodeName(path).constData(),
                                O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (descriptor < 0) {
        *error = failure(path, systemError());
        return false;
    }
    // A history of an earlier version was readable by all.
    return closeAfter(descriptor, restrictOpened(descriptor, path, error) &&
                                      writeOnce(descriptor, bytes, path, error));
}
#endif
