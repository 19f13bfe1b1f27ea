// The serial port over the Win32 API: \\.\COMn opened for this program
// alone, the line set by a DCB, reads that never block (the timeouts say
// "return what is there"), and the ports from the registry's serial map with
// the adapter's name and driver from SetupAPI.
#include "link/serial/serialport.h"

#include <QTimer>

#include <windows.h>

#include <devguid.h>
#include <setupapi.h>

#include <algorithm>
#include <map>

namespace t880::link {

namespace {

constexpr DWORD kQueueBytes = 4096;
// How often the port is looked at for bytes that came in, for readyRead.
constexpr int kPollMs = 5;

QString systemMessage(DWORD error)
{
    wchar_t *buffer = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    QString text = n ? QString::fromWCharArray(buffer, int(n)).trimmed()
                     : QStringLiteral("error %1").arg(error);
    if (buffer)
        LocalFree(buffer);
    return text;
}

PortError errorKind(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
        return PortError::NotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return PortError::Permission;
    default:
        return PortError::Other;
    }
}

class WindowsSerialPort final : public SerialPort
{
public:
    WindowsSerialPort()
    {
        m_poll.setInterval(kPollMs);
        QObject::connect(&m_poll, &QTimer::timeout, this, [this] {
            if (waiting() > 0)
                emit readyRead();
        });
    }
    ~WindowsSerialPort() override { close(); }

    bool open(const QString &path) override
    {
        close();
        m_handle = CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()),
                               GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (m_handle == INVALID_HANDLE_VALUE)
            return fail();
        SetupComm(m_handle, kQueueBytes, kQueueBytes);
        DCB dcb = {};
        dcb.DCBlength = sizeof dcb;
        if (!GetCommState(m_handle, &dcb))
            return failAndClose(QStringLiteral("not a serial port: "));
        dcb.BaudRate = CBR_9600;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = TWOSTOPBITS;
        dcb.fBinary = TRUE;
        dcb.fParity = FALSE;
        dcb.fOutxCtsFlow = FALSE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fDtrControl = DTR_CONTROL_ENABLE;
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
        dcb.fDsrSensitivity = FALSE;
        dcb.fOutX = FALSE;
        dcb.fInX = FALSE;
        dcb.fNull = FALSE;
        dcb.fAbortOnError = FALSE;
        if (!SetCommState(m_handle, &dcb))
            return failAndClose(QStringLiteral("cannot set 9600 8N2: "));
        // A read returns at once with what is there; a write waits no longer
        // than the line needs for its bytes (11 bits of 9600 a second each)
        // and a second more.
        COMMTIMEOUTS timeouts = {};
        timeouts.ReadIntervalTimeout = MAXDWORD;
        timeouts.WriteTotalTimeoutMultiplier = 2;
        timeouts.WriteTotalTimeoutConstant = 1000;
        if (!SetCommTimeouts(m_handle, &timeouts))
            return failAndClose(QString());
        PurgeComm(m_handle, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);
        setError(PortError::None, {});
        m_poll.start();
        return true;
    }

    void close() override
    {
        m_poll.stop();
        if (m_handle != INVALID_HANDLE_VALUE) {
            CloseHandle(m_handle);
            m_handle = INVALID_HANDLE_VALUE;
        }
    }

    bool isOpen() const override { return m_handle != INVALID_HANDLE_VALUE; }

    void clear(bool output) override
    {
        if (!isOpen())
            return;
        DWORD flags = PURGE_RXABORT | PURGE_RXCLEAR;
        if (output)
            flags |= PURGE_TXABORT | PURGE_TXCLEAR;
        PurgeComm(m_handle, flags);
    }

    QByteArray readAll() override
    {
        const DWORD n = waiting();
        if (n == 0)
            return {};
        QByteArray bytes(int(n), Qt::Uninitialized);
        DWORD got = 0;
        if (!ReadFile(m_handle, bytes.data(), n, &got, nullptr)) {
            setError(PortError::Other, systemMessage(GetLastError()));
            return {};
        }
        bytes.truncate(int(got));
        return bytes;
    }

    bool write(const QByteArray &bytes) override
    {
        if (!isOpen())
            return false;
        DWORD written = 0;
        if (!WriteFile(m_handle, bytes.constData(), DWORD(bytes.size()), &written, nullptr)) {
            setError(errorKind(GetLastError()), systemMessage(GetLastError()));
            return false;
        }
        if (written != DWORD(bytes.size())) {
            setError(PortError::Other, QStringLiteral("%1 of %2 bytes sent before the timeout")
                                           .arg(written)
                                           .arg(bytes.size()));
            return false;
        }
        return true;
    }

private:
    // The bytes in the driver's input queue, with its error state cleared
    // (a framing error or an overrun would otherwise stop the port).
    DWORD waiting()
    {
        if (!isOpen())
            return 0;
        DWORD errors = 0;
        COMSTAT status = {};
        if (!ClearCommError(m_handle, &errors, &status))
            return 0;
        return status.cbInQue;
    }

    bool fail()
    {
        const DWORD error = GetLastError();
        setError(errorKind(error), systemMessage(error));
        return false;
    }

    bool failAndClose(const QString &what)
    {
        const DWORD error = GetLastError();
        setError(PortError::Other, what + systemMessage(error));
        close();
        return false;
    }

    HANDLE m_handle = INVALID_HANDLE_VALUE;
    QTimer m_poll;
};

QString registryText(HKEY key, const wchar_t *name)
{
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ || size == 0)
        return {};
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE *>(value.data()),
                         &size) != ERROR_SUCCESS)
        return {};
    return QString::fromWCharArray(value.c_str());
}

QString deviceProperty(HDEVINFO set, SP_DEVINFO_DATA &device, DWORD property)
{
    wchar_t buffer[512] = {};
    DWORD type = 0;
    if (!SetupDiGetDeviceRegistryPropertyW(set, &device, property, &type,
                                           reinterpret_cast<BYTE *>(buffer),
                                           sizeof buffer - sizeof(wchar_t), nullptr))
        return {};
    // A list (REG_MULTI_SZ) gives its first entry, which is what is wanted.
    return QString::fromWCharArray(buffer);
}

// "USB\VID_1A86&PID_7523&REV_0264" -> "1a86:7523".
QString usbIdOf(const QString &hardwareId)
{
    const int vid = hardwareId.indexOf(QLatin1String("VID_"), 0, Qt::CaseInsensitive);
    const int pid = hardwareId.indexOf(QLatin1String("PID_"), 0, Qt::CaseInsensitive);
    if (vid < 0 || pid < 0)
        return {};
    return (hardwareId.mid(vid + 4, 4) + u':' + hardwareId.mid(pid + 4, 4)).toLower();
}

int comNumber(const QString &name)
{
    return name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive) ? name.mid(3).toInt() : 0;
}

} // namespace

std::unique_ptr<SerialPort> SerialPort::create()
{
    return std::make_unique<WindowsSerialPort>();
}

QList<PortInfo> systemPortInfos()
{
    // The ports the system has now: its serial map. Nothing is opened.
    std::map<QString, PortInfo> byName;
    HKEY map = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &map) ==
        ERROR_SUCCESS) {
        for (DWORD i = 0;; ++i) {
            wchar_t valueName[256];
            DWORD nameLength = 256;
            wchar_t data[64] = {};
            DWORD dataSize = sizeof data - sizeof(wchar_t);
            DWORD type = 0;
            const LONG rc = RegEnumValueW(map, i, valueName, &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE *>(data), &dataSize);
            if (rc == ERROR_NO_MORE_ITEMS)
                break;
            if (rc != ERROR_SUCCESS || type != REG_SZ)
                continue;
            const QString name = QString::fromWCharArray(data).trimmed();
            PortInfo info;
            info.path = QStringLiteral("\\\\.\\") + name;
            byName[name.toUpper()] = info;
        }
        RegCloseKey(map);
    }
    // The adapters' own names and drivers, from the device manager's list.
    const HDEVINFO set =
        SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (set != INVALID_HANDLE_VALUE) {
        SP_DEVINFO_DATA device = {};
        device.cbSize = sizeof device;
        for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &device); ++i) {
            const HKEY key =
                SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
            if (key == INVALID_HANDLE_VALUE)
                continue;
            const QString name = registryText(key, L"PortName").toUpper();
            RegCloseKey(key);
            const auto it = byName.find(name);
            if (it == byName.end())
                continue;
            PortInfo &info = it->second;
            info.description = deviceProperty(set, device, SPDRP_FRIENDLYNAME);
            if (info.description.isEmpty())
                info.description = deviceProperty(set, device, SPDRP_DEVICEDESC);
            info.manufacturer = deviceProperty(set, device, SPDRP_MFG);
            const QString driver = deviceProperty(set, device, SPDRP_SERVICE);
            if (!driver.isEmpty())
                info.manufacturer += QStringLiteral(" (%1)").arg(driver);
            info.manufacturer = info.manufacturer.trimmed();
            info.usbId = usbIdOf(deviceProperty(set, device, SPDRP_HARDWAREID));
        }
        SetupDiDestroyDeviceInfoList(set);
    }
    QList<PortInfo> ports;
    for (const auto &entry : byName)
        ports << entry.second;
    std::sort(ports.begin(), ports.end(), [](const PortInfo &a, const PortInfo &b) {
        return comNumber(a.path.mid(4)) < comNumber(b.path.mid(4));
    });
    return ports;
}

} // namespace t880::link
