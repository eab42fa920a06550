// Files in a folder that other users may write, on Windows (see SharedFile.h). Every check is
// made on the opened handle, never on a name that someone may change in between.
#include "SharedFile.h"

#include "UserIdentity.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <memory>
#include <vector>
// clang-format off
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
// clang-format on

namespace {
struct HandleCloser
{
    void operator()(HANDLE handle) const
    {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
};
using Handle = std::unique_ptr<void, HandleCloser>;

std::wstring nativePath(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()).toStdWString();
}

QString describeFailure(const QString &path, DWORD error)
{
    return path + QStringLiteral(": ") + qt_error_string(int(error));
}

// The path without "\\?\", as a person writes it.
QString plainPath(const wchar_t *path)
{
    QString text = QString::fromWCharArray(path);
    if (text.startsWith(QLatin1String("\\\\?\\UNC\\")))
        return QStringLiteral("\\\\") + text.mid(8);
    return text.startsWith(QLatin1String("\\\\?\\")) ? text.mid(4) : text;
}

// Whether the handle's file is the one at path itself: where a junction or link on the way led
// elsewhere, the system names the file by where it really is. Short (8.3) names are spelled
// out first, as the system does.
bool isReachedDirectly(HANDLE file, const std::wstring &path)
{
    std::vector<wchar_t> reached(MAX_PATH);
    std::vector<wchar_t> expected(MAX_PATH);
    for (DWORD size = 0;;) {
        size = GetFinalPathNameByHandleW(file, reached.data(), DWORD(reached.size()),
                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (size == 0)
            return false;
        if (size < reached.size())
            break;
        reached.resize(size + 1);
    }
    for (DWORD size = 0;;) {
        size = GetLongPathNameW(path.c_str(), expected.data(), DWORD(expected.size()));
        if (size == 0)
            return false;
        if (size < expected.size())
            break;
        expected.resize(size + 1);
    }
    return plainPath(reached.data()).compare(plainPath(expected.data()), Qt::CaseInsensitive) == 0;
}

bool isLinkOrFolder(HANDLE file)
{
    FILE_ATTRIBUTE_TAG_INFO info = {};
    return !GetFileInformationByHandleEx(file, FileAttributeTagInfo, &info, sizeof info) ||
           (info.FileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0;
}

SharedFile::Stamp stampOf(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(file, &info))
        return {};
    return {info.dwVolumeSerialNumber,
            (quint64(info.nFileIndexHigh) << 32) | quint64(info.nFileIndexLow)};
}

void deleteByHandle(HANDLE file)
{
    FILE_DISPOSITION_INFO disposition = {TRUE};
    SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
}

// Owned by this user, whoever creates it elevated (the Administrators group would own it
// otherwise, and the record would not be told as this user's); this user, SYSTEM and
// Administrators may change it, every user may read it, and nothing comes from the folder.
struct OwnSecurity
{
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, FALSE};
    OwnSecurity()
    {
        const QString user = UserIdentity::currentKey();
        const QString text = QStringLiteral("O:%1D:P(A;;FA;;;%1)(A;;FA;;;SY)(A;;FA;;;BA)"
                                            "(A;;FR;;;BU)")
                                 .arg(user);
        if (!user.isEmpty())
            ConvertStringSecurityDescriptorToSecurityDescriptorW(
                reinterpret_cast<const wchar_t *>(text.utf16()), SDDL_REVISION_1,
                &attributes.lpSecurityDescriptor, nullptr);
    }
    ~OwnSecurity() { LocalFree(attributes.lpSecurityDescriptor); }
    OwnSecurity(const OwnSecurity &) = delete;
    OwnSecurity &operator=(const OwnSecurity &) = delete;
};

// A file of this program's own beside target, under a name nobody had taken.
Handle makeFresh(const std::wstring &target, std::wstring *fresh, DWORD *error)
{
    OwnSecurity security;
    if (!security.attributes.lpSecurityDescriptor) {
        *error = GetLastError();
        return Handle(INVALID_HANDLE_VALUE);
    }
    for (int attempt = 0; attempt < 8; ++attempt) {
        // A suffix past the user's key: a file being written is nobody's record.
        *fresh = target + L".new-" +
                 QString::number(QRandomGenerator::global()->generate(), 16).toStdWString();
        Handle file(CreateFileW(fresh->c_str(), GENERIC_WRITE | DELETE | FILE_READ_ATTRIBUTES, 0,
                                &security.attributes, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        *error = GetLastError();
        if (file.get() != INVALID_HANDLE_VALUE || *error != ERROR_FILE_EXISTS)
            return file;
    }
    return Handle(INVALID_HANDLE_VALUE);
}

bool writeAll(HANDLE file, const QByteArray &bytes)
{
    DWORD written = 0;
    return WriteFile(file, bytes.constData(), DWORD(bytes.size()), &written, nullptr) &&
           written == DWORD(bytes.size());
}

// Renamed by its handle: what is renamed is what was written, whatever name someone gives
// another file meanwhile; like a rename by name, it replaces a link at target, never what the
// link points to.
bool renameTo(HANDLE file, const std::wstring &target)
{
    const size_t nameBytes = target.size() * sizeof(wchar_t);
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
    auto *rename = reinterpret_cast<FILE_RENAME_INFO *>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->FileNameLength = DWORD(nameBytes);
    std::copy(target.begin(), target.end(), rename->FileName);
    return SetFileInformationByHandle(file, FileRenameInfo, rename, DWORD(buffer.size()));
}
} // namespace

bool SharedFile::replace(const QString &path, const QByteArray &bytes, Stamp *written,
                         QString *error)
{
    const std::wstring target = nativePath(path);
    std::wstring fresh;
    DWORD failure = 0;
    const Handle file = makeFresh(target, &fresh, &failure);
    if (file.get() == INVALID_HANDLE_VALUE) {
        *error = describeFailure(path, failure);
        return false;
    }
    if (!isReachedDirectly(file.get(), fresh)) {
        deleteByHandle(file.get());
        *error = path + QStringLiteral(": its folder is reached through a junction or link, "
                                       "which is not followed");
        return false;
    }
    const Stamp stamp = stampOf(file.get());
    if (!writeAll(file.get(), bytes) || !stamp.isValid() || !renameTo(file.get(), target)) {
        *error = describeFailure(path, GetLastError());
        deleteByHandle(file.get());
        return false;
    }
    *written = stamp;
    return true;
}

void SharedFile::removeIfSame(const QString &path, const Stamp &written)
{
    if (!written.isValid())
        return;
    const Handle file(CreateFileW(nativePath(path).c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE || isLinkOrFolder(file.get()))
        return;
    const Stamp found = stampOf(file.get());
    // Deleted by the handle that was compared: no other file can take its name in between.
    if (found.volume == written.volume && found.id == written.id)
        deleteByHandle(file.get());
}

QByteArray SharedFile::read(const QString &path, int limit, QString *ownerKey)
{
    const Handle file(CreateFileW(nativePath(path).c_str(), GENERIC_READ | READ_CONTROL,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE || GetFileType(file.get()) != FILE_TYPE_DISK ||
        isLinkOrFolder(file.get()))
        return QByteArray();
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR security = nullptr;
    if (GetSecurityInfo(file.get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, &security) != ERROR_SUCCESS)
        return QByteArray();
    wchar_t *ownerText = nullptr;
    if (ConvertSidToStringSidW(owner, &ownerText)) {
        *ownerKey = QString::fromWCharArray(ownerText);
        LocalFree(ownerText);
    }
    LocalFree(security);
    QByteArray bytes(limit, Qt::Uninitialized);
    DWORD length = 0;
    if (ownerKey->isEmpty() || !ReadFile(file.get(), bytes.data(), DWORD(limit), &length, nullptr))
        return QByteArray();
    bytes.resize(int(length));
    return bytes;
}
