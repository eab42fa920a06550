// Where on the USB bus a serial port sits, on Windows (see PortPlace.h): the port's device node,
// found by its port name, then the USB device that presents it, whose location path is its place.
#include "PortPlace.h"

#include <vector>
// clang-format off
#include <windows.h>
#include <setupapi.h>
#include <cfgmgr32.h>
// clang-format on

namespace {
// Serial ports: the Ports class, and the COM port interface, which modems' ports present too.
const GUID portsClass = {
    0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
const GUID comPortInterface = {
    0x86e0d1e0, 0x8089, 0x11d0, {0x9c, 0xe4, 0x08, 0x00, 0x3e, 0x30, 0x1f, 0x73}};

// The name a port's driver gave it ("COM5"), from the device's own registry key.
QString portNameOf(HDEVINFO set, SP_DEVINFO_DATA *device)
{
    HKEY key = SetupDiOpenDevRegKey(set, device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE);
    if (key == INVALID_HANDLE_VALUE)
        return QString();
    wchar_t name[64] = {};
    DWORD size = sizeof name - sizeof name[0]; // a stored value need not end in a NUL
    DWORD type = 0;
    const LONG status =
        RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE *>(name), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_SZ ? QString::fromWCharArray(name) : QString();
}

// The device node of the port named portName; 0 where there is none.
DEVINST nodeOfPort(const QString &portName)
{
    const struct
    {
        const GUID *guid;
        DWORD flags;
    } kinds[] = {{&portsClass, DIGCF_PRESENT},
                 {&comPortInterface, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE}};
    for (const auto &kind : kinds) {
        const HDEVINFO set = SetupDiGetClassDevsW(kind.guid, nullptr, nullptr, kind.flags);
        if (set == INVALID_HANDLE_VALUE)
            continue;
        SP_DEVINFO_DATA device = {sizeof device, {}, 0, 0};
        DEVINST found = 0;
        for (DWORD i = 0; !found && SetupDiEnumDeviceInfo(set, i, &device); ++i) {
            if (portNameOf(set, &device).compare(portName, Qt::CaseInsensitive) == 0)
                found = device.DevInst;
        }
        SetupDiDestroyDeviceInfoList(set);
        if (found)
            return found;
    }
    return 0;
}

// "USB\VID_1915&PID_521F\<serial>" for a USB device, "USB\VID_1915&PID_521F&MI_00\..." for
// an interface of a composite one, "USB\ROOT_HUB30\..." for a root hub.
QString instanceIdOf(DEVINST node)
{
    wchar_t id[MAX_DEVICE_ID_LEN + 1] = {};
    return CM_Get_Device_IDW(node, id, MAX_DEVICE_ID_LEN, 0) == CR_SUCCESS
               ? QString::fromWCharArray(id)
               : QString();
}

// The USB device that presents the port: its own node, or one above it (a composite device
// above its interface's node, or above a node of a driver's own bus), never one past it.
DEVINST usbDeviceOf(DEVINST node)
{
    constexpr int mostSteps = 3;
    for (int step = 0; step <= mostSteps; ++step) {
        const QString id = instanceIdOf(node);
        if (id.startsWith(QLatin1String("USB\\ROOT_HUB"), Qt::CaseInsensitive))
            return 0;
        if (id.startsWith(QLatin1String("USB\\"), Qt::CaseInsensitive) &&
            !id.contains(QLatin1String("&MI_"), Qt::CaseInsensitive))
            return node;
        if (CM_Get_Parent(&node, node, 0) != CR_SUCCESS)
            return 0;
    }
    return 0;
}

// Every location path of the node, as the MULTI_SZ value holds them (NULs between them).
QString locationPathsOf(DEVINST node)
{
    ULONG type = 0;
    ULONG size = 0;
    if (CM_Get_DevNode_Registry_PropertyW(node, CM_DRP_LOCATION_PATHS, &type, nullptr, &size, 0) !=
            CR_BUFFER_SMALL ||
        size == 0)
        return QString();
    std::vector<wchar_t> paths(size / sizeof(wchar_t) + 1);
    if (CM_Get_DevNode_Registry_PropertyW(node, CM_DRP_LOCATION_PATHS, &type, paths.data(), &size,
                                          0) != CR_SUCCESS ||
        type != REG_MULTI_SZ)
        return QString();
    return QString::fromWCharArray(paths.data(), int(size / sizeof(wchar_t)));
}
} // namespace

QString PortPlace::of(const QString &portName)
{
    const DEVINST port = nodeOfPort(portName);
    const DEVINST device = port ? usbDeviceOf(port) : 0;
    return device ? fromLocationPath(locationPathsOf(device)) : QString();
}

bool PortPlace::knowsBus()
{
    return false;
}
