#include "detect/version.h"

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"
#include "run/console_out.h"

namespace tovrin {

namespace {

constexpr std::uint8_t PRODUCT_WORKSTATION = 1;  // VER_NT_WORKSTATION
constexpr std::uint8_t PRODUCT_SERVER = 3;       // VER_NT_SERVER

constexpr std::uint16_t SUITE_ENTERPRISE = 0x0002;
constexpr std::uint16_t SUITE_DATACENTER = 0x0080;
constexpr std::uint16_t SUITE_PERSONAL = 0x0200;
constexpr std::uint16_t SUITE_BLADE = 0x0400;

const char* const HOTFIX_Q246009_KEY = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009";
const char* const PRODUCT_OPTIONS_KEY = "SYSTEM\\CurrentControlSet\\Control\\ProductOptions";
constexpr std::uint32_t PRODUCT_TYPE_BUFFER = 80;

struct ProductRow {
    std::uint32_t major;
    std::uint32_t minor;
    const char* productName;
};

const ProductRow NT_PRODUCTS[] = {
    {5, 2, "Windows 2003 Server"},
    {5, 1, "Windows XP"},
    {5, 0, "Windows 2000"},
};

enum class VersionTest { Any, Major4, Version50, Version52 };

struct EditionRow {
    std::uint8_t productType;
    VersionTest version;
    std::uint16_t suiteFlags;  // 0: any suite mask
    bool wholeMask;            // the suite mask must equal suiteFlags, not merely contain them
    const char* printed;
    const char* edition;  // null: the record's edition is left alone
};

// First matching row wins.
const EditionRow EDITIONS[] = {
    {PRODUCT_WORKSTATION, VersionTest::Major4, 0, false, "Workstation 4.0 ", nullptr},
    {PRODUCT_WORKSTATION, VersionTest::Any, SUITE_PERSONAL, false, "Home Edition ", "Home Edition"},
    {PRODUCT_WORKSTATION, VersionTest::Any, 0, false, "Professional ", "Professional"},
    {PRODUCT_SERVER, VersionTest::Version52, SUITE_DATACENTER, false, "Datacenter Edition ", nullptr},
    {PRODUCT_SERVER, VersionTest::Version52, SUITE_ENTERPRISE, false, "Enterprise Edition ", nullptr},
    {PRODUCT_SERVER, VersionTest::Version52, SUITE_BLADE, true, "Web Edition ", nullptr},
    {PRODUCT_SERVER, VersionTest::Version52, 0, false, "Standard Edition ", nullptr},
    {PRODUCT_SERVER, VersionTest::Version50, SUITE_DATACENTER, false, "Datacenter Server ", nullptr},
    {PRODUCT_SERVER, VersionTest::Version50, SUITE_ENTERPRISE, false, "Advanced Server ", nullptr},
    {PRODUCT_SERVER, VersionTest::Version50, 0, false, "Server ", nullptr},
    {PRODUCT_SERVER, VersionTest::Any, SUITE_ENTERPRISE, false, "Server 4.0, Enterprise Edition ", nullptr},
    {PRODUCT_SERVER, VersionTest::Any, 0, false, "Server 4.0 ", nullptr},
};

struct ProductTypeRow {
    const char* value;
    const char* printed;
};

const ProductTypeRow PRODUCT_TYPES[] = {
    {"WINNT", "Workstation "},
    {"LANMANNT", "Server "},
    {"SERVERNT", "Advanced Server "},
};

bool equalsIgnoringCase(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return i == a.size() && b[i] == '\0';
}

bool versionMatches(VersionTest test, const OsVersion& os) {
    switch (test) {
        case VersionTest::Major4: return os.majorVersion == 4;
        case VersionTest::Version50: return os.majorVersion == 5 && os.minorVersion == 0;
        case VersionTest::Version52: return os.majorVersion == 5 && os.minorVersion == 2;
        case VersionTest::Any: break;
    }
    return true;
}

bool suiteMatches(const EditionRow& row, std::uint16_t suiteMask) {
    if (row.wholeMask) return suiteMask == row.suiteFlags;
    return row.suiteFlags == 0 || (suiteMask & row.suiteFlags) != 0;
}

const char* ntProductName(const OsVersion& os) {
    if (os.majorVersion <= 4) return "Windows NT";
    for (const ProductRow& row : NT_PRODUCTS) {
        if (row.major == os.majorVersion && row.minor == os.minorVersion) return row.productName;
    }
    return nullptr;
}

void printEdition(const OsVersion& os, WindowsVersionInfo& version) {
    for (const EditionRow& row : EDITIONS) {
        if (row.productType != os.productType || !versionMatches(row.version, os) || !suiteMatches(row, os.suiteMask))
            continue;
        printText(row.printed, false);
        if (row.edition) version.edition = row.edition;
        return;
    }
}

void refuse(std::string& status, const char* code, const char* reason, const char* exitLine) {
    printText(std::string("Error ") + code + ": " + reason, true);
    printText(exitLine, true);
    status = code;
}

void refuseUnknownVersion(std::string& status) {
    refuse(status, "0x1100", "Unable to determine/recognize Windows version information.",
           "Unable to identify the version of Windows properly! Tovrin will exit!");
}

const char* const NO_WINDOWS_UPDATE = "This version of Windows does not support Windows Update.";

void printBuild(const std::string& servicePack, std::uint32_t build) {
    printText(servicePack, false);
    printText(" Build ", false);
    printNumber(build, true);
}

bool hotfixQ246009Installed() {
    RegistryApi& registry = *platform().registry;
    Handle key = 0;
    if (registry.openKeyForQuery(RegistryRoot::LocalMachine, HOTFIX_Q246009_KEY, key) != 0) return false;
    registry.closeKey(key);
    return true;
}

// The "ProductType" value as text. The value may lack its terminating NUL, so only the bytes the read
// returned are looked at, never more than the buffer holds.
bool readProductType(std::string& productType) {
    RegistryApi& registry = *platform().registry;
    Handle key = 0;
    if (registry.openKeyForQuery(RegistryRoot::LocalMachine, PRODUCT_OPTIONS_KEY, key) != 0) return false;
    std::uint8_t buffer[PRODUCT_TYPE_BUFFER] = {};
    std::uint32_t size = PRODUCT_TYPE_BUFFER;
    const std::uint32_t result = registry.queryValue(key, "ProductType", buffer, size);
    registry.closeKey(key);
    if (result != 0 || size > PRODUCT_TYPE_BUFFER) return false;
    std::size_t length = 0;
    while (length < size && buffer[length] != '\0') ++length;
    productType.assign(reinterpret_cast<const char*>(buffer), length);
    return true;
}

void detectWithoutExtendedInformation(std::string& status, const OsVersion& os) {
    std::string productType;
    if (!readProductType(productType)) {
        refuseUnknownVersion(status);
        return;
    }
    for (const ProductTypeRow& row : PRODUCT_TYPES) {
        if (equalsIgnoringCase(productType, row.value)) printText(row.printed, false);
    }
    printNumber(os.majorVersion, false);
    printText(".", false);
    printNumber(os.minorVersion, true);
}

void detectNt(std::string& status, const OsVersion& os, bool extended, WindowsVersionInfo& version) {
    if (const char* name = ntProductName(os)) version.productName = name;
    printText(version.productName + " ", false);

    if (!extended) {
        detectWithoutExtendedInformation(status, os);
        return;
    }
    printEdition(os, version);

    if (os.majorVersion == 4 && equalsIgnoringCase(os.csdVersion, "Service Pack 6")) {
        printBuild(hotfixQ246009Installed() ? "Service Pack 6a" : os.csdVersion, os.buildNumber);
        refuse(status, "0x1002", NO_WINDOWS_UPDATE,
               "No repair is currently possible on Windows NT 4! Tovrin will exit!");
        return;
    }
    printBuild(os.csdVersion, os.buildNumber);
    if (os.majorVersion == 5) return;
    refuse(status, "0x1001", NO_WINDOWS_UPDATE,
           "No repair is currently possible on Windows NT 3.51! Tovrin will exit!");
}

char secondCharacter(const std::string& text) { return text.size() > 1 ? text[1] : '\0'; }

void detectWindows9x(std::string& status, const OsVersion& os, WindowsVersionInfo& version) {
    if (os.majorVersion == 4 && os.minorVersion == 0) {
        version.productName = "Windows 95";
        printText("Windows 95 ", false);
        const char revision = secondCharacter(os.csdVersion);
        if (revision == 'C' || revision == 'B') printText("OSR2 ", false);
        printBlankLine();
        refuse(status, "0x1000", NO_WINDOWS_UPDATE, "No repair is currently possible on Windows 95! Tovrin will exit!");
        return;
    }
    if (os.majorVersion == 4 && os.minorVersion == 10) {
        version.productName = secondCharacter(os.csdVersion) == 'A' ? "Windows 98SE" : "Windows 98";
    } else if (os.majorVersion == 4 && os.minorVersion == 90) {
        version.productName = "Windows ME";
    }
    printText(version.productName, true);
}

}  // namespace

void detectWindowsVersion(std::string& status, WindowsVersionInfo& version) {
    printText("Detected Windows Version   : ", false);

    SystemInfoApi& system = *platform().system;
    OsVersion os;
    const bool extended = system.getVersion(true, os);
    if (!extended && !system.getVersion(false, os)) {
        refuseUnknownVersion(status);
        return;
    }
    version.majorVersion = os.majorVersion;
    version.minorVersion = os.minorVersion;

    switch (os.platformId) {
        case PLATFORM_WIN32_NT:
            detectNt(status, os, extended, version);
            return;
        case PLATFORM_WIN32_WINDOWS:
            detectWindows9x(status, os, version);
            return;
        case PLATFORM_WIN32S:
            printText("Microsoft Win32s", true);
            refuse(status, "0x1003", NO_WINDOWS_UPDATE,
                   "No repair is possible on Windows 3.1 with Win32S! Tovrin will exit!");
            return;
        default:
            // Nothing to name, but the label's line must still end before the next line is printed.
            printBlankLine();
            return;
    }
}

}  // namespace tovrin
