#include <gtest/gtest.h>

#include "detect/folders.h"
#include "fakes/fake_platform.h"
#include "fakes/transcript.h"

namespace tovrin {
namespace {

using fakes::FakePlatform;
using fakes::transcriptIs;

const std::string PROFILE = "C:\\Documents and Settings\\Owner";
const std::string HISTORY = PROFILE + "\\Local Settings\\History";
const std::string COOKIES = PROFILE + "\\Cookies";
const std::string CACHE = PROFILE + "\\Local Settings\\Temporary Internet Files";

SystemFolders allFound() {
    SystemFolders f;
    f.windowsDirectory = "C:\\WINDOWS";
    f.systemDirectory = "C:\\WINDOWS\\system32";
    f.windowsTempFolder = "C:\\WINDOWS\\temp\\";
    f.userTempFolder = PROFILE + "\\temp\\";
    f.internetCacheFolder = CACHE;
    f.historyFolder = HISTORY;
    f.cookiesFolder = COOKIES;
    return f;
}

void expectFolders(const SystemFolders& actual, const SystemFolders& expected) {
    EXPECT_EQ(actual.windowsDirectory, expected.windowsDirectory);
    EXPECT_EQ(actual.systemDirectory, expected.systemDirectory);
    EXPECT_EQ(actual.windowsTempFolder, expected.windowsTempFolder);
    EXPECT_EQ(actual.userTempFolder, expected.userTempFolder);
    EXPECT_EQ(actual.internetCacheFolder, expected.internetCacheFolder);
    EXPECT_EQ(actual.historyFolder, expected.historyFolder);
    EXPECT_EQ(actual.cookiesFolder, expected.cookiesFolder);
}

TEST(FolderDiscoveryTest, FindsAllSevenFoldersInLookupOrderAndPrintsNothing) {
    FakePlatform fake;
    SystemFolders folders;
    discoverFolders(folders);
    expectFolders(folders, allFound());
    EXPECT_EQ(fake.system.folderQueries, (std::vector<int>{0x8022, 0x8021, 0x8020, 0x8028}));
    EXPECT_EQ(fake.transcript(), "");
    EXPECT_EQ(RunStatus, "0xF000");
}

TEST(FolderDiscoveryTest, OtherMajorVersionsHaveNoPerUserTempFolderAndNoProfileLookup) {
    FakePlatform fake;
    fake.setPlatformVersion(4, 0);
    fake.system.folders.erase(0x8028);
    SystemFolders folders;
    discoverFolders(folders);
    SystemFolders expected = allFound();
    expected.userTempFolder = "NULL";
    expectFolders(folders, expected);
    EXPECT_EQ(fake.system.folderQueries, (std::vector<int>{0x8022, 0x8021, 0x8020}));
    EXPECT_EQ(fake.transcript(), "");
    EXPECT_EQ(RunStatus, "0xF000");
}

// A failure stops discovery: the folders looked up after it stay empty.
enum class Failing { WindowsDirectory, SystemDirectory, History, Cookies, Cache, Profile };

struct FolderFailureCase {
    const char* name;
    Failing failing;
    int foundBefore;             // lookups that succeeded first, in lookup order
    std::size_t shellQueries;    // folders asked from the shell, the failing one included
    std::vector<std::string> lines;
    const char* code;
};

const char* const EXIT_LINE = "Tovrin will now exit.";

const FolderFailureCase FOLDER_FAILURES[] = {
    {"WindowsDirectory", Failing::WindowsDirectory, 0, 0,
     {"Error 0x3003: Unable to determine the Windows directory.", EXIT_LINE}, "0x3003"},
    {"SystemDirectory", Failing::SystemDirectory, 1, 0,
     {"Error 0x3003: Unable to determine the System directory.", EXIT_LINE}, "0x3003"},
    {"History", Failing::History, 3, 1, {"Error 0x3001: Unable to determine History folder.", EXIT_LINE}, "0x3001"},
    {"Cookies", Failing::Cookies, 4, 2, {"Error 0x3002: Unable to determine Cookies folder.", EXIT_LINE}, "0x3002"},
    {"TemporaryInternetFiles", Failing::Cache, 5, 3,
     {"Error 0x3000: Unable to determine Temporary Internet Files folder.", EXIT_LINE}, "0x3000"},
    {"Profile", Failing::Profile, 6, 4, {"Error 0x3004: Unable to determine the per-user temp folder.", EXIT_LINE},
     "0x3004"},
};

// The expected record when the first `found` lookups succeeded.
SystemFolders foundUpTo(int found) {
    const SystemFolders all = allFound();
    std::string SystemFolders::*const lookupOrder[] = {
        &SystemFolders::windowsDirectory, &SystemFolders::systemDirectory, &SystemFolders::windowsTempFolder,
        &SystemFolders::historyFolder,    &SystemFolders::cookiesFolder,   &SystemFolders::internetCacheFolder,
        &SystemFolders::userTempFolder};
    SystemFolders expected;
    for (int i = 0; i < found; ++i) expected.*lookupOrder[i] = all.*lookupOrder[i];
    return expected;
}

void makeFail(FakePlatform& fake, Failing failing, std::int32_t result) {
    const int csidl[] = {0, 0, 0x8022, 0x8021, 0x8020, 0x8028};
    switch (failing) {
        case Failing::WindowsDirectory: fake.system.windowsDirectoryWorks = false; break;
        case Failing::SystemDirectory: fake.system.systemDirectoryWorks = false; break;
        default: fake.system.folders[csidl[static_cast<int>(failing)]] = {result, "C:\\wrong"}; break;
    }
}

class FolderFailureTest : public ::testing::TestWithParam<FolderFailureCase> {};

TEST_P(FolderFailureTest, PrintsTwoLinesStoresTheCodeAndLooksNoFurther) {
    const FolderFailureCase& c = GetParam();
    FakePlatform fake;
    makeFail(fake, c.failing, static_cast<std::int32_t>(0x80070005u));
    SystemFolders folders;

    discoverFolders(folders);

    EXPECT_TRUE(transcriptIs(fake.transcript(), c.lines));
    EXPECT_EQ(RunStatus, c.code);
    SystemFolders expected = foundUpTo(c.foundBefore);
    if (c.failing == Failing::Profile) expected.userTempFolder = "NULL";
    expectFolders(folders, expected);
    const std::vector<int> allQueries{0x8022, 0x8021, 0x8020, 0x8028};
    EXPECT_EQ(fake.system.folderQueries,
              std::vector<int>(allQueries.begin(), allQueries.begin() + static_cast<long>(c.shellQueries)));
}

INSTANTIATE_TEST_SUITE_P(EachLookup, FolderFailureTest, ::testing::ValuesIn(FOLDER_FAILURES),
                         [](const auto& info) { return std::string(info.param.name); });

// A shell answer that reports success without a path would send the later steps to the root of the drive.
TEST(FolderDiscoveryTest, SuccessWithAnEmptyPathIsTheFolderFailure) {
    FakePlatform fake;
    fake.system.folders[0x8028] = {1, ""};  // S_FALSE, nothing in the buffer
    SystemFolders folders;
    discoverFolders(folders);
    EXPECT_TRUE(transcriptIs(fake.transcript(),
                             {"Error 0x3004: Unable to determine the per-user temp folder.", EXIT_LINE}));
    EXPECT_EQ(RunStatus, "0x3004");
    EXPECT_EQ(folders.userTempFolder, "NULL");
}

TEST(FolderDiscoveryTest, PositiveResultWithAPathIsSuccess) {
    FakePlatform fake;
    fake.system.folders[0x8021] = {1, COOKIES};
    SystemFolders folders;
    discoverFolders(folders);
    expectFolders(folders, allFound());
    EXPECT_EQ(RunStatus, "0xF000");
}

TEST(FolderDiscoveryTest, EmptyWindowsDirectoryIsTheDirectoryFailure) {
    FakePlatform fake;
    fake.system.windowsDir = "";
    SystemFolders folders;
    discoverFolders(folders);
    EXPECT_TRUE(
        transcriptIs(fake.transcript(), {"Error 0x3003: Unable to determine the Windows directory.", EXIT_LINE}));
    EXPECT_EQ(folders.windowsTempFolder, "");
    EXPECT_TRUE(fake.system.folderQueries.empty());
}

}  // namespace
}  // namespace tovrin
