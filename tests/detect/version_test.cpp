#include <gtest/gtest.h>

#include "detect/version.h"
#include "fakes/fake_platform.h"
#include "fakes/transcript.h"

namespace tovrin {
namespace {

using fakes::FakePlatform;
using fakes::transcriptIs;

const std::string LABEL = "Detected Windows Version   : ";
const char* const HOTFIX_KEY = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009";
const char* const OPTIONS_KEY = "SYSTEM\\CurrentControlSet\\Control\\ProductOptions";

const char* const NO_UPDATE_1000 = "Error 0x1000: This version of Windows does not support Windows Update.";
const char* const NO_UPDATE_1001 = "Error 0x1001: This version of Windows does not support Windows Update.";
const char* const NO_UPDATE_1002 = "Error 0x1002: This version of Windows does not support Windows Update.";
const char* const NO_UPDATE_1003 = "Error 0x1003: This version of Windows does not support Windows Update.";
const char* const EXIT_95 = "No repair is currently possible on Windows 95! Tovrin will exit!";
const char* const EXIT_NT351 = "No repair is currently possible on Windows NT 3.51! Tovrin will exit!";
const char* const EXIT_NT4 = "No repair is currently possible on Windows NT 4! Tovrin will exit!";
const char* const EXIT_WIN32S = "No repair is possible on Windows 3.1 with Win32S! Tovrin will exit!";
const char* const UNKNOWN_1100 = "Error 0x1100: Unable to determine/recognize Windows version information.";
const char* const EXIT_UNKNOWN = "Unable to identify the version of Windows properly! Tovrin will exit!";

enum class Query { Extended, BasicOnly, None };
enum class Options { Absent, KeyOnly, Value };

struct VersionCase {
    const char* name;
    OsVersion os;  // major, minor, build, platform, service pack, suite mask, product type
    Query query;
    bool hotfixKey;
    Options options;
    std::string productType;  // raw bytes of the "ProductType" value
    std::vector<std::string> lines;
    const char* status;
    const char* productName;
    const char* edition;
};

constexpr std::uint32_t NT = PLATFORM_WIN32_NT;
constexpr std::uint32_t W9X = PLATFORM_WIN32_WINDOWS;
constexpr std::uint8_t WORKSTATION = 1, DOMAIN_CONTROLLER = 2, SERVER = 3;

const VersionCase VERSION_CASES[] = {
    // Windows XP
    {"XpHome", {5, 1, 2600, NT, "Service Pack 2", 0x0300, WORKSTATION}, Query::Extended, false, Options::Absent, "",
     {LABEL + "Windows XP Home Edition Service Pack 2 Build 2600"}, "0xF000", "Windows XP", "Home Edition"},
    {"XpProfessional", {5, 1, 2600, NT, "Service Pack 2", 0x0100, WORKSTATION}, Query::Extended, false,
     Options::Absent, "", {LABEL + "Windows XP Professional Service Pack 2 Build 2600"}, "0xF000", "Windows XP",
     "Professional"},
    {"XpWithoutServicePack", {5, 1, 2600, NT, "", 0, WORKSTATION}, Query::Extended, false, Options::Absent, "",
     {LABEL + "Windows XP Professional  Build 2600"}, "0xF000", "Windows XP", "Professional"},
    // Windows 2000
    {"Win2000Professional", {5, 0, 2195, NT, "Service Pack 4", 0, WORKSTATION}, Query::Extended, false,
     Options::Absent, "", {LABEL + "Windows 2000 Professional Service Pack 4 Build 2195"}, "0xF000", "Windows 2000",
     "Professional"},
    {"Win2000Server", {5, 0, 2195, NT, "Service Pack 4", 0x0010, SERVER}, Query::Extended, false, Options::Absent,
     "", {LABEL + "Windows 2000 Server Service Pack 4 Build 2195"}, "0xF000", "Windows 2000", ""},
    {"Win2000AdvancedServer", {5, 0, 2195, NT, "Service Pack 4", 0x0002, SERVER}, Query::Extended, false,
     Options::Absent, "", {LABEL + "Windows 2000 Advanced Server Service Pack 4 Build 2195"}, "0xF000",
     "Windows 2000", ""},
    {"Win2000DatacenterBeforeEnterprise", {5, 0, 2195, NT, "Service Pack 3", 0x0082, SERVER}, Query::Extended,
     false, Options::Absent, "", {LABEL + "Windows 2000 Datacenter Server Service Pack 3 Build 2195"}, "0xF000",
     "Windows 2000", ""},
    {"Win2000DomainControllerHasNoEditionWords", {5, 0, 2195, NT, "Service Pack 4", 0x0002, DOMAIN_CONTROLLER},
     Query::Extended, false, Options::Absent, "", {LABEL + "Windows 2000 Service Pack 4 Build 2195"}, "0xF000",
     "Windows 2000", ""},
    // Windows Server 2003
    {"Win2003Web", {5, 2, 3790, NT, "Service Pack 1", 0x0400, SERVER}, Query::Extended, false, Options::Absent, "",
     {LABEL + "Windows 2003 Server Web Edition Service Pack 1 Build 3790"}, "0xF000", "Windows 2003 Server", ""},
    {"Win2003BladeWithOtherFlagsIsStandard", {5, 2, 3790, NT, "Service Pack 1", 0x0410, SERVER}, Query::Extended,
     false, Options::Absent, "", {LABEL + "Windows 2003 Server Standard Edition Service Pack 1 Build 3790"},
     "0xF000", "Windows 2003 Server", ""},
    {"Win2003Standard", {5, 2, 3790, NT, "", 0, SERVER}, Query::Extended, false, Options::Absent, "",
     {LABEL + "Windows 2003 Server Standard Edition  Build 3790"}, "0xF000", "Windows 2003 Server", ""},
    {"Win2003Enterprise", {5, 2, 3790, NT, "Service Pack 2", 0x0402, SERVER}, Query::Extended, false,
     Options::Absent, "", {LABEL + "Windows 2003 Server Enterprise Edition Service Pack 2 Build 3790"}, "0xF000",
     "Windows 2003 Server", ""},
    {"Win2003Datacenter", {5, 2, 3790, NT, "Service Pack 2", 0x0082, SERVER}, Query::Extended, false,
     Options::Absent, "", {LABEL + "Windows 2003 Server Datacenter Edition Service Pack 2 Build 3790"}, "0xF000",
     "Windows 2003 Server", ""},
    {"Workstation52", {5, 2, 3790, NT, "Service Pack 2", 0, WORKSTATION}, Query::Extended, false, Options::Absent,
     "", {LABEL + "Windows 2003 Server Professional Service Pack 2 Build 3790"}, "0xF000", "Windows 2003 Server",
     "Professional"},
    // Later NT versions
    {"Vista", {6, 0, 6001, NT, "Service Pack 1", 0x0100, WORKSTATION}, Query::Extended, false, Options::Absent, "",
     {LABEL + " Professional Service Pack 1 Build 6001", NO_UPDATE_1001, EXIT_NT351}, "0x1001", "", "Professional"},
    {"Server2008", {6, 0, 6001, NT, "Service Pack 1", 0x0110, SERVER}, Query::Extended, false, Options::Absent, "",
     {LABEL + " Server 4.0 Service Pack 1 Build 6001", NO_UPDATE_1001, EXIT_NT351}, "0x1001", "", ""},
    // Windows NT 4 with extended information
    {"Nt4Sp6WithHotfix", {4, 0, 1381, NT, "Service Pack 6", 0, WORKSTATION}, Query::Extended, true, Options::Absent,
     "", {LABEL + "Windows NT Workstation 4.0 Service Pack 6a Build 1381", NO_UPDATE_1002, EXIT_NT4}, "0x1002",
     "Windows NT", ""},
    {"Nt4Sp6WithoutHotfix", {4, 0, 1381, NT, "Service Pack 6", 0, WORKSTATION}, Query::Extended, false,
     Options::Absent, "", {LABEL + "Windows NT Workstation 4.0 Service Pack 6 Build 1381", NO_UPDATE_1002, EXIT_NT4},
     "0x1002", "Windows NT", ""},
    {"Nt4Sp6AnyCaseEnterprise", {4, 0, 1381, NT, "SERVICE PACK 6", 0x0002, SERVER}, Query::Extended, false,
     Options::Absent, "",
     {LABEL + "Windows NT Server 4.0, Enterprise Edition SERVICE PACK 6 Build 1381", NO_UPDATE_1002, EXIT_NT4},
     "0x1002", "Windows NT", ""},
    {"Nt4ReportingSp6aIsNotSp6", {4, 0, 1381, NT, "Service Pack 6a", 0, WORKSTATION}, Query::Extended, true,
     Options::Absent, "",
     {LABEL + "Windows NT Workstation 4.0 Service Pack 6a Build 1381", NO_UPDATE_1001, EXIT_NT351}, "0x1001",
     "Windows NT", ""},
    {"Nt4Sp5Server", {4, 0, 1381, NT, "Service Pack 5", 0, SERVER}, Query::Extended, false, Options::Absent, "",
     {LABEL + "Windows NT Server 4.0 Service Pack 5 Build 1381", NO_UPDATE_1001, EXIT_NT351}, "0x1001",
     "Windows NT", ""},
    // NT without extended information: the product type from the registry, not refused
    {"NoExtendedWorkstation", {4, 0, 1381, NT, "Service Pack 3"}, Query::BasicOnly, false, Options::Value,
     std::string("WINNT\0", 6), {LABEL + "Windows NT Workstation 4.0"}, "0xF000", "Windows NT", ""},
    {"NoExtendedServerWithoutNul", {4, 0, 1381, NT, ""}, Query::BasicOnly, false, Options::Value, "LanmanNT",
     {LABEL + "Windows NT Server 4.0"}, "0xF000", "Windows NT", ""},
    {"NoExtendedAdvancedServer", {4, 0, 1381, NT, ""}, Query::BasicOnly, false, Options::Value,
     std::string("ServerNT\0", 9), {LABEL + "Windows NT Advanced Server 4.0"}, "0xF000", "Windows NT", ""},
    {"NoExtendedNt351", {3, 51, 1057, NT, ""}, Query::BasicOnly, false, Options::Value, std::string("winnt\0", 6),
     {LABEL + "Windows NT Workstation 3.51"}, "0xF000", "Windows NT", ""},
    {"NoExtendedWinXp", {5, 1, 2600, NT, ""}, Query::BasicOnly, false, Options::Value, std::string("WinNT\0", 6),
     {LABEL + "Windows XP Workstation 5.1"}, "0xF000", "Windows XP", ""},
    {"NoExtendedTextAfterNulIgnored", {4, 0, 1381, NT, ""}, Query::BasicOnly, false, Options::Value,
     std::string("WINNT\0LANMANNT", 14), {LABEL + "Windows NT Workstation 4.0"}, "0xF000", "Windows NT", ""},
    {"NoExtendedFullBufferWithoutNul", {4, 0, 1381, NT, ""}, Query::BasicOnly, false, Options::Value,
     "WINNT" + std::string(75, ' '), {LABEL + "Windows NT 4.0"}, "0xF000", "Windows NT", ""},
    {"NoExtendedOtherProductType", {4, 0, 1381, NT, ""}, Query::BasicOnly, false, Options::Value,
     std::string("Terminal\0", 9), {LABEL + "Windows NT 4.0"}, "0xF000", "Windows NT", ""},
    {"NoExtendedValueTooLong", {4, 0, 1381, NT, ""}, Query::BasicOnly, false, Options::Value,
     "WINNT" + std::string(76, ' '), {LABEL + "Windows NT " + UNKNOWN_1100, EXIT_UNKNOWN}, "0x1100", "Windows NT",
     ""},
    {"NoExtendedNoValue", {4, 0, 1381, NT, ""}, Query::BasicOnly, false, Options::KeyOnly, "",
     {LABEL + "Windows NT " + UNKNOWN_1100, EXIT_UNKNOWN}, "0x1100", "Windows NT", ""},
    {"NoExtendedNoKey", {4, 0, 1381, NT, ""}, Query::BasicOnly, false, Options::Absent, "",
     {LABEL + "Windows NT " + UNKNOWN_1100, EXIT_UNKNOWN}, "0x1100", "Windows NT", ""},
    // Windows 9x
    {"Win95", {4, 0, 950, W9X, ""}, Query::BasicOnly, false, Options::Absent, "",
     {LABEL + "Windows 95 ", NO_UPDATE_1000, EXIT_95}, "0x1000", "Windows 95", ""},
    {"Win95Osr2", {4, 0, 1111, W9X, " B"}, Query::BasicOnly, false, Options::Absent, "",
     {LABEL + "Windows 95 OSR2 ", NO_UPDATE_1000, EXIT_95}, "0x1000", "Windows 95", ""},
    {"Win95Osr25", {4, 0, 1212, W9X, " C"}, Query::BasicOnly, false, Options::Absent, "",
     {LABEL + "Windows 95 OSR2 ", NO_UPDATE_1000, EXIT_95}, "0x1000", "Windows 95", ""},
    {"Win98", {4, 10, 1998, W9X, " "}, Query::BasicOnly, false, Options::Absent, "", {LABEL + "Windows 98"},
     "0xF000", "Windows 98", ""},
    {"Win98SecondEdition", {4, 10, 2222, W9X, " A "}, Query::BasicOnly, false, Options::Absent, "",
     {LABEL + "Windows 98SE"}, "0xF000", "Windows 98SE", ""},
    {"WinMe", {4, 90, 3000, W9X, " "}, Query::BasicOnly, false, Options::Absent, "", {LABEL + "Windows ME"},
     "0xF000", "Windows ME", ""},
    {"Win9xUnknownMinor", {4, 20, 0, W9X, ""}, Query::BasicOnly, false, Options::Absent, "", {LABEL}, "0xF000", "",
     ""},
    // Win32s, unknown platforms, no answer at all
    {"Win32s", {1, 30, 0, PLATFORM_WIN32S, ""}, Query::BasicOnly, false, Options::Absent, "",
     {LABEL + "Microsoft Win32s", NO_UPDATE_1003, EXIT_WIN32S}, "0x1003", "", ""},
    {"UnknownPlatformEndsTheLine", {5, 1, 0, 3, ""}, Query::Extended, false, Options::Absent, "", {LABEL}, "0xF000",
     "", ""},
    {"NoQueryWorks", {5, 1, 2600, NT, "Service Pack 2"}, Query::None, false, Options::Absent, "",
     {LABEL + UNKNOWN_1100, EXIT_UNKNOWN}, "0x1100", "", ""},
};

class VersionTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionTest, PrintsTheVersionLineFillsTheRecordAndGatesTheRun) {
    const VersionCase& c = GetParam();
    FakePlatform fake;
    fake.system.version = c.os;
    fake.system.extendedQueryWorks = c.query == Query::Extended;
    fake.system.basicQueryWorks = c.query != Query::None;
    if (c.hotfixKey) fake.registry.addKey(RegistryRoot::LocalMachine, HOTFIX_KEY);
    if (c.options != Options::Absent) fake.registry.addKey(RegistryRoot::LocalMachine, OPTIONS_KEY);
    if (c.options == Options::Value) {
        fake.registry.setBytes(RegistryRoot::LocalMachine, OPTIONS_KEY, "ProductType",
                               std::vector<std::uint8_t>(c.productType.begin(), c.productType.end()));
    }
    std::string status = "0xF000";
    WindowsVersionInfo version;

    detectWindowsVersion(status, version);

    EXPECT_TRUE(transcriptIs(fake.transcript(), c.lines));
    EXPECT_EQ(status, c.status);
    const bool answered = c.query != Query::None;
    EXPECT_EQ(version.majorVersion, answered ? c.os.majorVersion : 0u);
    EXPECT_EQ(version.minorVersion, answered ? c.os.minorVersion : 0u);
    EXPECT_EQ(version.productName, c.productName);
    EXPECT_EQ(version.edition, c.edition);
    const std::vector<bool> queries =
        c.query == Query::Extended ? std::vector<bool>{true} : std::vector<bool>{true, false};
    EXPECT_EQ(fake.system.versionQueries, queries);
    EXPECT_TRUE(fake.registry.openKeys.empty());
}

INSTANTIATE_TEST_SUITE_P(Versions, VersionTest, ::testing::ValuesIn(VERSION_CASES),
                         [](const auto& info) { return std::string(info.param.name); });

// The hotfix key counts only under HKEY_LOCAL_MACHINE.
TEST(VersionHotfixTest, KeyUnderTheCurrentUserIsNotTheHotfix) {
    FakePlatform fake;
    fake.system.version = {4, 0, 1381, NT, "Service Pack 6", 0, WORKSTATION};
    fake.registry.addKey(RegistryRoot::CurrentUser, HOTFIX_KEY);
    std::string status = "0xF000";
    WindowsVersionInfo version;
    detectWindowsVersion(status, version);
    EXPECT_TRUE(transcriptIs(
        fake.transcript(), {LABEL + "Windows NT Workstation 4.0 Service Pack 6 Build 1381", NO_UPDATE_1002, EXIT_NT4}));
}

}  // namespace
}  // namespace tovrin
