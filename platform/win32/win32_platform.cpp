// The Win32 adapter: each method makes the one Windows call it names and converts the result. It decides
// nothing; the repair logic decides.
//
// This file alone includes Windows headers. Every function it imports must exist by that name (or ordinal)
// in Windows 2000 SP4, which the import gate checks on the built executable.
#include <windows.h>
#include <objbase.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <wininet.h>
#include <winsvc.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/win32_platform.h"

namespace tovrin {

namespace {

HANDLE asHandle(Handle h) { return reinterpret_cast<HANDLE>(h); }
Handle fromPointer(const void* p) { return reinterpret_cast<Handle>(p); }

class Win32Console final : public ConsoleApi {
public:
    Handle standardOutput() override { return fromPointer(GetStdHandle(STD_OUTPUT_HANDLE)); }
    bool screenBufferSize(Handle console, ConsoleSize& size) override {
        CONSOLE_SCREEN_BUFFER_INFO info;
        if (!GetConsoleScreenBufferInfo(asHandle(console), &info)) return false;
        size.columns = info.dwSize.X;
        size.rows = info.dwSize.Y;
        return true;
    }
    bool fillWithCharacter(Handle console, char c, std::uint32_t cells) override {
        DWORD written = 0;
        COORD home = {0, 0};
        return FillConsoleOutputCharacterA(asHandle(console), c, cells, home, &written) != 0;
    }
    bool moveCursorHome(Handle console) override {
        COORD home = {0, 0};
        return SetConsoleCursorPosition(asHandle(console), home) != 0;
    }
};

class Win32SystemInfo final : public SystemInfoApi {
public:
    bool getVersion(bool extended, OsVersion& version) override {
        OSVERSIONINFOEXA info;
        std::memset(&info, 0, sizeof info);
        info.dwOSVersionInfoSize = extended ? sizeof(OSVERSIONINFOEXA) : sizeof(OSVERSIONINFOA);
        if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) return false;
        version.majorVersion = info.dwMajorVersion;
        version.minorVersion = info.dwMinorVersion;
        version.buildNumber = info.dwBuildNumber;
        version.platformId = info.dwPlatformId;
        info.szCSDVersion[sizeof info.szCSDVersion - 1] = '\0';
        version.csdVersion = info.szCSDVersion;
        version.suiteMask = extended ? info.wSuiteMask : 0;
        version.productType = extended ? info.wProductType : 0;
        return true;
    }
    bool windowsDirectory(std::string& path) override {
        char buffer[261] = {};
        UINT length = GetWindowsDirectoryA(buffer, sizeof buffer);
        if (length == 0 || length >= sizeof buffer) return false;
        path = buffer;
        return true;
    }
    bool systemDirectory(std::string& path) override {
        char buffer[261] = {};
        UINT length = GetSystemDirectoryA(buffer, sizeof buffer);
        if (length == 0 || length >= sizeof buffer) return false;
        path = buffer;
        return true;
    }
    std::int32_t folderPath(int csidl, std::string& path) override {
        char buffer[261] = {};
        HRESULT result = SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer);
        buffer[sizeof buffer - 1] = '\0';
        if (SUCCEEDED(result)) path = buffer;
        return result;
    }
};

HKEY rootKey(RegistryRoot root) { return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

class Win32Registry final : public RegistryApi {
public:
    std::uint32_t openKeyForQuery(RegistryRoot root, const std::string& path, Handle& key) override {
        HKEY opened = nullptr;
        LONG result = RegOpenKeyExA(rootKey(root), path.c_str(), 0, KEY_QUERY_VALUE, &opened);
        if (result == ERROR_SUCCESS) key = fromPointer(opened);
        return static_cast<std::uint32_t>(result);
    }
    std::uint32_t queryValue(Handle key, const std::string& name, std::uint8_t* buffer,
                             std::uint32_t& size) override {
        DWORD length = size;
        LONG result = RegQueryValueExA(reinterpret_cast<HKEY>(key), name.c_str(), nullptr, nullptr, buffer, &length);
        size = length;
        return static_cast<std::uint32_t>(result);
    }
    void closeKey(Handle key) override { RegCloseKey(reinterpret_cast<HKEY>(key)); }
    std::uint32_t getNumberValue(RegistryRoot root, const std::string& path, const std::string& name,
                                 std::uint32_t& number, std::uint32_t& size) override {
        DWORD value = number;
        DWORD length = size;
        DWORD result = SHGetValueA(rootKey(root), path.c_str(), name.c_str(), nullptr, &value, &length);
        number = value;
        size = length;
        return result;
    }
    std::uint32_t deleteValue(RegistryRoot root, const std::string& path, const std::string& name) override {
        return SHDeleteValueA(rootKey(root), path.c_str(), name.c_str());
    }
};

// Windows 2000 exports SHCreateDirectory only as ordinal 165 (by name only from XP SP1), so it is looked up
// at run time rather than imported.
using CreateDirectoryFunction = int(WINAPI*)(HWND, LPCWSTR);

class Win32Shell final : public ShellFileApi {
public:
    ShellFileResult fileOperation(const ShellFileRequest& request) override {
        SHFILEOPSTRUCTA operation;
        std::memset(&operation, 0, sizeof operation);
        operation.hwnd = nullptr;
        operation.wFunc = request.operation;
        operation.pFrom = request.from ? request.from->data() : nullptr;
        operation.pTo = request.to ? request.to->data() : nullptr;
        operation.fFlags = request.flags;
        operation.lpszProgressTitle = request.progressTitle;
        ShellFileResult result;
        result.code = SHFileOperationA(&operation);
        result.anyOperationsAborted = operation.fAnyOperationsAborted != FALSE;
        return result;
    }
    int createDirectory(const std::string& ansiPath) override {
        int length = MultiByteToWideChar(CP_ACP, 0, ansiPath.c_str(), -1, nullptr, 0);
        if (length <= 0) return static_cast<int>(GetLastError());
        std::vector<wchar_t> widePath(static_cast<std::size_t>(length));
        MultiByteToWideChar(CP_ACP, 0, ansiPath.c_str(), -1, widePath.data(), length);
        HMODULE shell = GetModuleHandleA("shell32.dll");
        auto create = reinterpret_cast<CreateDirectoryFunction>(
            reinterpret_cast<void*>(GetProcAddress(shell, MAKEINTRESOURCEA(165))));
        if (!create) return static_cast<int>(ERROR_PROC_NOT_FOUND);
        return create(nullptr, widePath.data());
    }
};

SC_HANDLE asService(Handle h) { return reinterpret_cast<SC_HANDLE>(h); }

void copyStatus(const SERVICE_STATUS& from, ServiceStatus& to) {
    to.currentState = from.dwCurrentState;
    to.checkPoint = from.dwCheckPoint;
    to.waitHint = from.dwWaitHint;
}

class Win32Services final : public ServiceApi {
public:
    Handle openManager() override { return fromPointer(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)); }
    Handle openService(Handle manager, const std::string& serviceName, std::uint32_t rights) override {
        return fromPointer(OpenServiceA(asService(manager), serviceName.c_str(), rights));
    }
    bool queryStatus(Handle service, ServiceStatus& status) override {
        SERVICE_STATUS raw;
        std::memset(&raw, 0, sizeof raw);
        if (!QueryServiceStatus(asService(service), &raw)) return false;
        copyStatus(raw, status);
        return true;
    }
    bool sendStop(Handle service, ServiceStatus& status) override {
        SERVICE_STATUS raw;
        std::memset(&raw, 0, sizeof raw);
        if (!ControlService(asService(service), SERVICE_CONTROL_STOP, &raw)) return false;
        copyStatus(raw, status);
        return true;
    }
    bool enumActiveDependents(Handle service, void* buffer, std::uint32_t size, std::uint32_t& bytesNeeded,
                              std::uint32_t& count) override {
        DWORD needed = 0;
        DWORD returned = 0;
        BOOL ok = EnumDependentServicesA(asService(service), SERVICE_ACTIVE,
                                         static_cast<LPENUM_SERVICE_STATUSA>(buffer), size, &needed, &returned);
        bytesNeeded = needed;
        count = returned;
        return ok != 0;
    }
    std::string dependentName(const void* buffer, std::uint32_t index) override {
        const char* name = static_cast<const ENUM_SERVICE_STATUSA*>(buffer)[index].lpServiceName;
        return name ? name : "";
    }
    bool start(Handle service) override { return StartServiceA(asService(service), 0, nullptr) != 0; }
    bool remove(Handle service) override { return DeleteService(asService(service)) != 0; }
    void close(Handle handle) override { CloseServiceHandle(asService(handle)); }
    void* heapAllocZeroed(std::uint32_t bytes) override { return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes); }
    void heapFree(void* block) override { HeapFree(GetProcessHeap(), 0, block); }
};

SYSTEMTIME toWindows(const SystemTime& t) {
    SYSTEMTIME w;
    w.wYear = t.wYear;
    w.wMonth = t.wMonth;
    w.wDayOfWeek = t.wDayOfWeek;
    w.wDay = t.wDay;
    w.wHour = t.wHour;
    w.wMinute = t.wMinute;
    w.wSecond = t.wSecond;
    w.wMilliseconds = t.wMilliseconds;
    return w;
}

SystemTime fromWindows(const SYSTEMTIME& w) {
    SystemTime t;
    t.wYear = w.wYear;
    t.wMonth = w.wMonth;
    t.wDayOfWeek = w.wDayOfWeek;
    t.wDay = w.wDay;
    t.wHour = w.wHour;
    t.wMinute = w.wMinute;
    t.wSecond = w.wSecond;
    t.wMilliseconds = w.wMilliseconds;
    return t;
}

class Win32Clock final : public ClockApi {
public:
    SystemTime localTime() override {
        SYSTEMTIME now;
        GetLocalTime(&now);
        return fromWindows(now);
    }
    bool setLocalTime(const SystemTime& time) override {
        SYSTEMTIME w = toWindows(time);
        return SetLocalTime(&w) != 0;
    }
    std::uint32_t timeZone(TimeZoneInfo& zone) override {
        TIME_ZONE_INFORMATION w;
        std::memset(&w, 0, sizeof w);
        DWORD result = GetTimeZoneInformation(&w);
        zone.Bias = w.Bias;
        for (std::size_t i = 0; i < 32; ++i) {
            zone.StandardName[i] = static_cast<std::uint16_t>(w.StandardName[i]);
            zone.DaylightName[i] = static_cast<std::uint16_t>(w.DaylightName[i]);
        }
        zone.StandardDate = fromWindows(w.StandardDate);
        zone.StandardBias = w.StandardBias;
        zone.DaylightDate = fromWindows(w.DaylightDate);
        zone.DaylightBias = w.DaylightBias;
        return result;
    }
    bool setTimeZone(const TimeZoneInfo& zone) override {
        TIME_ZONE_INFORMATION w;
        std::memset(&w, 0, sizeof w);
        w.Bias = zone.Bias;
        for (std::size_t i = 0; i < 32; ++i) {
            w.StandardName[i] = static_cast<WCHAR>(zone.StandardName[i]);
            w.DaylightName[i] = static_cast<WCHAR>(zone.DaylightName[i]);
        }
        w.StandardDate = toWindows(zone.StandardDate);
        w.StandardBias = zone.StandardBias;
        w.DaylightDate = toWindows(zone.DaylightDate);
        w.DaylightBias = zone.DaylightBias;
        return SetTimeZoneInformation(&w) != 0;
    }
    std::uint32_t tickCount() override { return GetTickCount(); }
    void sleep(std::uint32_t milliseconds) override { Sleep(milliseconds); }
};

using RegisterServerFunction = HRESULT(STDAPICALLTYPE*)();

class Win32Loader final : public LoaderApi {
public:
    std::int32_t oleInitialize() override { return OleInitialize(nullptr); }
    void oleUninitialize() override { OleUninitialize(); }
    std::uint32_t setErrorMode(std::uint32_t mode) override { return SetErrorMode(mode); }
    Handle loadLibrary(const std::string& file, std::uint32_t flags) override {
        return fromPointer(LoadLibraryExA(file.c_str(), nullptr, flags));
    }
    EntryPoint findEntryPoint(Handle module, const char* name) override {
        return reinterpret_cast<EntryPoint>(GetProcAddress(reinterpret_cast<HMODULE>(module), name));
    }
    std::int32_t callEntryPoint(EntryPoint entry) override {
        return reinterpret_cast<RegisterServerFunction>(entry)();
    }
    void freeLibrary(Handle module) override { FreeLibrary(reinterpret_cast<HMODULE>(module)); }
};

class Win32UrlCache final : public UrlCacheApi {
public:
    Handle findFirstGroup(CacheGroupId& id) override {
        GROUPID group = id;
        HANDLE find = FindFirstUrlCacheGroup(0, CACHEGROUP_SEARCH_ALL, nullptr, 0, &group, nullptr);
        id = group;
        return fromPointer(find);
    }
    bool findNextGroup(Handle find, CacheGroupId& id) override {
        GROUPID group = id;
        BOOL ok = FindNextUrlCacheGroup(asHandle(find), &group, nullptr);
        id = group;
        return ok != 0;
    }
    bool deleteGroup(CacheGroupId id, std::uint32_t flags) override {
        return DeleteUrlCacheGroup(id, flags, nullptr) != 0;
    }
    Handle findFirstEntry(void* buffer, std::uint32_t& size) override {
        DWORD length = size;
        HANDLE find = FindFirstUrlCacheEntryA(nullptr, static_cast<LPINTERNET_CACHE_ENTRY_INFOA>(buffer), &length);
        size = length;
        return fromPointer(find);
    }
    bool findNextEntry(Handle find, void* buffer, std::uint32_t& size) override {
        DWORD length = size;
        BOOL ok = FindNextUrlCacheEntryA(asHandle(find), static_cast<LPINTERNET_CACHE_ENTRY_INFOA>(buffer), &length);
        size = length;
        return ok != 0;
    }
    std::string entryUrl(const void* buffer) override {
        const char* url = static_cast<const INTERNET_CACHE_ENTRY_INFOA*>(buffer)->lpszSourceUrlName;
        return url ? url : "";
    }
    bool deleteEntry(const std::string& url) override { return DeleteUrlCacheEntryA(url.c_str()) != 0; }
    void closeFind(Handle find) override { FindCloseUrlCache(asHandle(find)); }
};

// The URL history object and the one method used, by its place in IUrlHistoryStg2's table: after
// IUnknown's three, IUrlHistoryStg's five and AddUrlAndNotify.
const CLSID CLSID_UrlHistory = {0x3C374A40, 0xBAE4, 0x11CF, {0xBF, 0x7D, 0x00, 0xAA, 0x00, 0x69, 0x46, 0xEE}};
const IID IID_UrlHistoryStg2 = {0xAFA0DC11, 0xC313, 0x11D0, {0x83, 0x1A, 0x00, 0xC0, 0x4F, 0xD5, 0xAE, 0x38}};
constexpr int CLEAR_HISTORY_SLOT = 9;
using ClearHistoryMethod = HRESULT(STDMETHODCALLTYPE*)(void* self);

class Win32UrlHistory final : public UrlHistoryApi {
public:
    std::int32_t coInitialize() override { return CoInitialize(nullptr); }
    std::int32_t createUrlHistory(Handle& history) override {
        void* object = nullptr;
        HRESULT result = CoCreateInstance(CLSID_UrlHistory, nullptr, CLSCTX_INPROC_SERVER, IID_UrlHistoryStg2, &object);
        if (SUCCEEDED(result)) history = fromPointer(object);
        return result;
    }
    std::int32_t clearHistory(Handle history) override {
        void* object = reinterpret_cast<void*>(history);
        void** table = *static_cast<void***>(object);
        return reinterpret_cast<ClearHistoryMethod>(table[CLEAR_HISTORY_SLOT])(object);
    }
    void release(Handle history) override { reinterpret_cast<IUnknown*>(history)->Release(); }
    void coUninitialize() override { CoUninitialize(); }
};

class Win32Commands final : public CommandApi {
public:
    int run(const std::string& commandLine) override { return std::system(commandLine.c_str()); }
};

class Win32Errors final : public ErrorApi {
public:
    std::uint32_t lastError() override { return GetLastError(); }
};

}  // namespace

void installWin32Platform() {
    static Win32Console console;
    static Win32SystemInfo system;
    static Win32Registry registry;
    static Win32Shell shell;
    static Win32Services services;
    static Win32Clock clock;
    static Win32Loader loader;
    static Win32UrlCache urlCache;
    static Win32UrlHistory urlHistory;
    static Win32Commands commands;
    static Win32Errors errors;
    Platform p;
    p.console = &console;
    p.system = &system;
    p.registry = &registry;
    p.shell = &shell;
    p.services = &services;
    p.clock = &clock;
    p.loader = &loader;
    p.urlCache = &urlCache;
    p.urlHistory = &urlHistory;
    p.commands = &commands;
    p.errors = &errors;
    installPlatform(p);
}

}  // namespace tovrin
