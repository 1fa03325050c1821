// The seam between the repair logic and Windows.
//
// Every Windows call the run makes is reached through one of the small interfaces below, one per group of
// platform services. The logic never includes a Windows header: it sees only these plain types. The Win32
// adapter (platform/win32) makes the real calls and converts their results; the tests install fakes.
//
// Conventions shared by every group:
// - Handles are opaque numbers; 0 is "no handle".
// - A call that can fail returns bool (true = success) or the platform's own result code, and leaves the
//   failure's reason for lastError(), exactly as the thread's last-error value would hold it.
// - Texts are narrow strings in the system's ANSI code page.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tovrin {

using Handle = std::uintptr_t;

// ---------------------------------------------------------------------------------------------- console
struct ConsoleSize {
    std::int16_t columns = 0;
    std::int16_t rows = 0;
};

class ConsoleApi {
public:
    virtual ~ConsoleApi() = default;
    virtual Handle standardOutput() = 0;                                         // GetStdHandle
    virtual bool screenBufferSize(Handle console, ConsoleSize& size) = 0;        // GetConsoleScreenBufferInfo
    virtual bool fillWithCharacter(Handle console, char c, std::uint32_t cells) = 0;  // FillConsoleOutputCharacterA from (0,0)
    virtual bool moveCursorHome(Handle console) = 0;                             // SetConsoleCursorPosition (0,0)
};

// --------------------------------------------------------------------------------- version and folders
enum : std::uint32_t {
    PLATFORM_WIN32S = 0,
    PLATFORM_WIN32_WINDOWS = 1,
    PLATFORM_WIN32_NT = 2,
};

struct OsVersion {
    std::uint32_t majorVersion = 0;
    std::uint32_t minorVersion = 0;
    std::uint32_t buildNumber = 0;
    std::uint32_t platformId = 0;
    std::string csdVersion;          // szCSDVersion
    std::uint16_t suiteMask = 0;     // extended query only
    std::uint8_t productType = 0;    // extended query only
};

class SystemInfoApi {
public:
    virtual ~SystemInfoApi() = default;
    // GetVersionExA with OSVERSIONINFOEXA (extended = true, 156 bytes) or OSVERSIONINFOA (148 bytes).
    virtual bool getVersion(bool extended, OsVersion& version) = 0;
    // GetWindowsDirectoryA and GetSystemDirectoryA with a 261-character buffer; false when the call fails.
    virtual bool windowsDirectory(std::string& path) = 0;
    virtual bool systemDirectory(std::string& path) = 0;
    // SHGetFolderPathA(no window, csidl, no token, SHGFP_TYPE_CURRENT, 261-character buffer): the HRESULT.
    virtual std::int32_t folderPath(int csidl, std::string& path) = 0;
};

// ---------------------------------------------------------------------------------------------- registry
enum class RegistryRoot { LocalMachine, CurrentUser };

class RegistryApi {
public:
    virtual ~RegistryApi() = default;
    // RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE): the error code; key is set on success.
    virtual std::uint32_t openKeyForQuery(RegistryRoot root, const std::string& path, Handle& key) = 0;
    // RegQueryValueExA into `buffer` of `size` bytes; `size` comes back as the platform reports it.
    virtual std::uint32_t queryValue(Handle key, const std::string& name, std::uint8_t* buffer,
                                     std::uint32_t& size) = 0;
    virtual void closeKey(Handle key) = 0;
    // SHGetValueA into a 32-bit number (`size` in and out, in bytes) and SHDeleteValueA: the error codes.
    virtual std::uint32_t getNumberValue(RegistryRoot root, const std::string& path, const std::string& name,
                                         std::uint32_t& number, std::uint32_t& size) = 0;
    virtual std::uint32_t deleteValue(RegistryRoot root, const std::string& path, const std::string& name) = 0;
};

// ------------------------------------------------------------------------------- shell file operations
enum : std::uint32_t {
    SHELL_OP_DELETE = 3,  // FO_DELETE
    SHELL_OP_RENAME = 4,  // FO_RENAME
};
enum : std::uint16_t { SHELL_FLAG_SIMPLE_PROGRESS = 0x0100 };  // FOF_SIMPLEPROGRESS

constexpr std::size_t SHELL_PATH_BUFFER = 260;
using ShellPathBuffer = std::array<char, SHELL_PATH_BUFFER>;

struct ShellFileRequest {
    std::uint32_t operation = 0;
    const ShellPathBuffer* from = nullptr;  // NUL-filled: the path and at least two NULs
    const ShellPathBuffer* to = nullptr;    // rename target, or none
    std::uint16_t flags = 0;
    const char* progressTitle = nullptr;
};

struct ShellFileResult {
    int code = 0;
    // The user cancelled the shell's confirmation (or it could not be shown): code 0, nothing done.
    bool anyOperationsAborted = false;
};

class ShellFileApi {
public:
    virtual ~ShellFileApi() = default;
    virtual ShellFileResult fileOperation(const ShellFileRequest& request) = 0;  // SHFileOperationA, no owner window
    virtual int createDirectory(const std::string& ansiPath) = 0;         // SHCreateDirectory, path made UTF-16
};

// --------------------------------------------------------------------------------- service control
enum : std::uint32_t {
    SERVICE_STATE_STOPPED = 1,
    SERVICE_STATE_START_PENDING = 2,
    SERVICE_STATE_STOP_PENDING = 3,
    SERVICE_STATE_RUNNING = 4,
};
enum : std::uint32_t {
    RIGHT_QUERY_STATUS = 0x0004,
    RIGHT_START = 0x0010,
    RIGHT_STOP = 0x0020,
    RIGHT_ENUMERATE_DEPENDENTS = 0x0008,
    RIGHT_DELETE = 0x00010000,
    RIGHT_SERVICE_ALL = 0x000F01FF,
};

struct ServiceStatus {
    std::uint32_t currentState = 0;
    std::uint32_t checkPoint = 0;
    std::uint32_t waitHint = 0;
};

class ServiceApi {
public:
    virtual ~ServiceApi() = default;
    virtual Handle openManager() = 0;  // OpenSCManagerA(no machine, default database, SC_MANAGER_ALL_ACCESS)
    virtual Handle openService(Handle manager, const std::string& serviceName, std::uint32_t rights) = 0;
    virtual bool queryStatus(Handle service, ServiceStatus& status) = 0;
    virtual bool sendStop(Handle service, ServiceStatus& status) = 0;  // ControlService(SERVICE_CONTROL_STOP)
    // EnumDependentServicesA(SERVICE_ACTIVE) into `buffer` of `size` bytes (buffer may be null with size 0).
    virtual bool enumActiveDependents(Handle service, void* buffer, std::uint32_t size, std::uint32_t& bytesNeeded,
                                      std::uint32_t& count) = 0;
    // The service name of entry `index` of a buffer filled by enumActiveDependents.
    virtual std::string dependentName(const void* buffer, std::uint32_t index) = 0;
    virtual bool start(Handle service) = 0;          // StartServiceA with no arguments
    virtual bool remove(Handle service) = 0;         // DeleteService
    virtual void close(Handle handle) = 0;           // CloseServiceHandle
    virtual void* heapAllocZeroed(std::uint32_t bytes) = 0;   // HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY)
    virtual void heapFree(void* block) = 0;
};

// ------------------------------------------------------------------------------- clock and time zone
struct SystemTime {
    std::uint16_t wYear = 0;
    std::uint16_t wMonth = 0;
    std::uint16_t wDayOfWeek = 0;
    std::uint16_t wDay = 0;
    std::uint16_t wHour = 0;
    std::uint16_t wMinute = 0;
    std::uint16_t wSecond = 0;
    std::uint16_t wMilliseconds = 0;
};

struct TimeZoneInfo {
    std::int32_t Bias = 0;
    std::array<std::uint16_t, 32> StandardName{};  // UTF-16, carried unchanged
    SystemTime StandardDate;
    std::int32_t StandardBias = 0;
    std::array<std::uint16_t, 32> DaylightName{};
    SystemTime DaylightDate;
    std::int32_t DaylightBias = 0;
};

constexpr std::uint32_t TIME_ZONE_ID_INVALID_RESULT = 0xFFFFFFFFu;

class ClockApi {
public:
    virtual ~ClockApi() = default;
    virtual SystemTime localTime() = 0;                                    // GetLocalTime
    virtual bool setLocalTime(const SystemTime& time) = 0;                 // SetLocalTime
    virtual std::uint32_t timeZone(TimeZoneInfo& zone) = 0;                // GetTimeZoneInformation
    virtual bool setTimeZone(const TimeZoneInfo& zone) = 0;                // SetTimeZoneInformation
    virtual std::uint32_t tickCount() = 0;                                 // GetTickCount
    virtual void sleep(std::uint32_t milliseconds) = 0;                    // Sleep
};

// --------------------------------------------------------------------------------- loader and OLE
constexpr std::uint32_t LOAD_ALTERED_SEARCH_PATH = 0x00000008;  // LOAD_WITH_ALTERED_SEARCH_PATH
constexpr std::uint32_t ERROR_MODE_FAIL_CRITICAL = 0x0001;       // SEM_FAILCRITICALERRORS

using EntryPoint = void*;

class LoaderApi {
public:
    virtual ~LoaderApi() = default;
    virtual std::int32_t oleInitialize() = 0;                              // OleInitialize(NULL)
    virtual void oleUninitialize() = 0;
    virtual std::uint32_t setErrorMode(std::uint32_t mode) = 0;
    virtual Handle loadLibrary(const std::string& file, std::uint32_t flags) = 0;  // LoadLibraryExA(file, NULL, flags)
    virtual EntryPoint findEntryPoint(Handle module, const char* name) = 0;        // GetProcAddress
    virtual std::int32_t callEntryPoint(EntryPoint entry) = 0;                     // HRESULT (STDAPI, no arguments)
    virtual void freeLibrary(Handle module) = 0;
};

// ------------------------------------------------------------------------------------- URL cache
using CacheGroupId = std::int64_t;

class UrlCacheApi {
public:
    virtual ~UrlCacheApi() = default;
    // FindFirstUrlCacheGroup(0, CACHEGROUP_SEARCH_ALL, NULL, 0, &id, NULL): a handle or 0.
    virtual Handle findFirstGroup(CacheGroupId& id) = 0;
    virtual bool findNextGroup(Handle find, CacheGroupId& id) = 0;
    virtual bool deleteGroup(CacheGroupId id, std::uint32_t flags) = 0;
    // FindFirstUrlCacheEntryA(NULL, buffer, &size): a handle or 0.
    virtual Handle findFirstEntry(void* buffer, std::uint32_t& size) = 0;
    virtual bool findNextEntry(Handle find, void* buffer, std::uint32_t& size) = 0;
    // lpszSourceUrlName of the INTERNET_CACHE_ENTRY_INFOA held in `buffer`.
    virtual std::string entryUrl(const void* buffer) = 0;
    virtual bool deleteEntry(const std::string& url) = 0;
    virtual void closeFind(Handle find) = 0;  // FindCloseUrlCache
};

// ----------------------------------------------------------------------------------- URL history
class UrlHistoryApi {
public:
    virtual ~UrlHistoryApi() = default;
    virtual std::int32_t coInitialize() = 0;
    // CoCreateInstance(CLSID_CUrlHistory, NULL, CLSCTX_INPROC_SERVER, IID_IUrlHistoryStg2): the HRESULT.
    virtual std::int32_t createUrlHistory(Handle& history) = 0;
    virtual std::int32_t clearHistory(Handle history) = 0;
    virtual void release(Handle history) = 0;
    virtual void coUninitialize() = 0;
};

// ---------------------------------------------------------------------------------- commands
class CommandApi {
public:
    virtual ~CommandApi() = default;
    // The command interpreter through the C runtime's system(); returns when the command has ended.
    virtual int run(const std::string& commandLine) = 0;
};

// ------------------------------------------------------------------------------- last error
class ErrorApi {
public:
    virtual ~ErrorApi() = default;
    virtual std::uint32_t lastError() = 0;  // GetLastError
};

// The platform the run works on: set once by the program's start-up, or by a test.
struct Platform {
    ConsoleApi* console = nullptr;
    SystemInfoApi* system = nullptr;
    RegistryApi* registry = nullptr;
    ShellFileApi* shell = nullptr;
    ServiceApi* services = nullptr;
    ClockApi* clock = nullptr;
    LoaderApi* loader = nullptr;
    UrlCacheApi* urlCache = nullptr;
    UrlHistoryApi* urlHistory = nullptr;
    CommandApi* commands = nullptr;
    ErrorApi* errors = nullptr;
};

Platform& platform();
void installPlatform(const Platform& p);

}  // namespace tovrin
