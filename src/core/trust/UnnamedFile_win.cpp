// A file that no path leads to, on Windows (see UnnamedFile.h): a fresh temporary file of this
// user's, made with CREATE_NEW and deleted with its last handle. While it exists nobody else may
// write, rename or delete it (no write or delete sharing), and the program reads it through a
// handle reopened from its own, never by its name.
#include "UnnamedFile.h"

#include <QDir>
#include <QRandomGenerator>
#include <windows.h>

UnnamedFile::~UnnamedFile()
{
    if (reading >= 0)
        CloseHandle(HANDLE(reading));
    if (handed >= 0)
        CloseHandle(HANDLE(handed));
}

bool UnnamedFile::open(QString *error)
{
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    const QString name =
        QString::fromWCharArray(folder, int(length)) +
        QStringLiteral("ovk-%1.tmp")
            .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
    const HANDLE written =
        CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(name).utf16()),
                    GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (written == INVALID_HANDLE_VALUE) {
        *error = qt_error_string(int(GetLastError()));
        return false;
    }
    const HANDLE read = ReOpenFile(written, GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0);
    if (read == INVALID_HANDLE_VALUE) {
        *error = qt_error_string(int(GetLastError()));
        CloseHandle(written);
        return false;
    }
    handed = qintptr(written);
    reading = qintptr(read);
    return true;
}

QByteArray UnnamedFile::read(qint64 offset) const
{
    QByteArray bytes;
    char chunk[65536];
    while (reading >= 0) {
        OVERLAPPED at = {};
        const quint64 from = quint64(offset + bytes.size());
        at.Offset = DWORD(from & 0xffffffffu);
        at.OffsetHigh = DWORD(from >> 32);
        DWORD length = 0;
        if (!ReadFile(HANDLE(reading), chunk, sizeof chunk, &length, &at) || length == 0)
            break;
        bytes.append(chunk, int(length));
    }
    return bytes;
}

QString UnnamedFile::childHandle() const
{
    return QString::number(quintptr(handed));
}

void UnnamedFile::setInheritable(bool inheritable)
{
    if (handed >= 0)
        SetHandleInformation(HANDLE(handed), HANDLE_FLAG_INHERIT,
                             inheritable ? HANDLE_FLAG_INHERIT : 0);
}
