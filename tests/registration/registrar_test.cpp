#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "fakes/transcript.h"
#include "registration/registrar.h"

namespace tovrin {
namespace {

using fakes::FakeLoader;
using fakes::FakePlatform;
using fakes::transcriptIs;
using Lines = std::vector<std::string>;

const std::string SYSTEM32 = "C:\\WINDOWS\\system32\\";
constexpr std::uint32_t LOAD_WITH_ALTERED_SEARCH_PATH = 8;
constexpr std::uint32_t SEM_FAILCRITICALERRORS = 1;
constexpr auto E_FAIL = static_cast<std::int32_t>(0x80004005u);
constexpr auto E_ACCESSDENIED = static_cast<std::int32_t>(0x80070005u);
constexpr auto RPC_E_CHANGED_MODE = static_cast<std::int32_t>(0x80010106u);
constexpr auto E_OUTOFMEMORY = static_cast<std::int32_t>(0x8007000Eu);

// ------------------------------------------------------------------------------------------ set-up and tear-down
struct OleCase {
    const char* name;
    std::int32_t oleResult;
    bool fails;
};
std::ostream& operator<<(std::ostream& out, const OleCase& c) { return out << c.name; }

class RegistrarLifetimeTest : public ::testing::TestWithParam<OleCase> {};

TEST_P(RegistrarLifetimeTest, OleHeldForTheLifetimeAndErrorModeSetOnlyWhenOleWorks) {
    FakePlatform fake;
    fake.loader.oleResult = GetParam().oleResult;
    fake.loader.components[SYSTEM32 + "wintrust.dll"] = {};
    {
        ComponentRegistrar registrar;
        EXPECT_EQ(fake.loader.oleInitializeCalls, 1);
        EXPECT_EQ(fake.loader.oleUninitializeCalls, 0);
        if (GetParam().fails) {
            EXPECT_TRUE(transcriptIs(fake.transcript(), {"", "Error 0x2000: Unable to initialize OLE for registration.",
                                                         "Tovrin will exit!"}));
            EXPECT_EQ(RunStatus, "0x2000");
            EXPECT_TRUE(fake.loader.errorModes.empty());
        } else {
            EXPECT_EQ(fake.transcript(), "");
            EXPECT_EQ(RunStatus, "0xF000");
            EXPECT_EQ(fake.loader.errorModes, std::vector<std::uint32_t>{SEM_FAILCRITICALERRORS});
            registrar.registerComponent("wintrust.dll");  // registrations neither reset nor restore the mode
        }
    }
    EXPECT_EQ(fake.loader.oleInitializeCalls, 1);
    EXPECT_EQ(fake.loader.oleUninitializeCalls, 1);
    EXPECT_EQ(fake.loader.errorModes.size(), GetParam().fails ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(OleResults, RegistrarLifetimeTest,
                         ::testing::Values(OleCase{"S_OK", 0, false}, OleCase{"S_FALSE", 1, false},
                                           OleCase{"RPC_E_CHANGED_MODE", RPC_E_CHANGED_MODE, true},
                                           OleCase{"E_OUTOFMEMORY", E_OUTOFMEMORY, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// ----------------------------------------------------------------------------------------- one file's outcome
struct OutcomeCase {
    const char* name;
    std::optional<FakeLoader::Component> component;  // none: the file is not there
    const char* outcome;
    Lines log;
};
std::ostream& operator<<(std::ostream& out, const OutcomeCase& c) { return out << c.name; }

class RegisterComponentTest : public ::testing::TestWithParam<OutcomeCase> {};

TEST_P(RegisterComponentTest, OneLineOneOutcomeAndTheModuleFreedWhenLoaded) {
    FakePlatform fake;
    if (GetParam().component) fake.loader.components[SYSTEM32 + "wintrust.dll"] = *GetParam().component;
    ComponentRegistrar registrar;
    registrar.registerComponent("wintrust.dll");
    EXPECT_TRUE(transcriptIs(fake.transcript(), {std::string("  Registering wintrust.dll... ") + GetParam().outcome}));
    EXPECT_EQ(fake.loader.log, GetParam().log);
    EXPECT_EQ(fake.loader.loadFlags, std::vector<std::uint32_t>{LOAD_WITH_ALTERED_SEARCH_PATH});
    EXPECT_EQ(fake.loader.loadedModules, 0);
    EXPECT_EQ(RunStatus, "0xF000");
}

const std::string LOAD = "load " + SYSTEM32 + "wintrust.dll";
const std::string CALL = "call " + SYSTEM32 + "wintrust.dll";
const std::string FREE = "free " + SYSTEM32 + "wintrust.dll";
const char* const NOT_LOADED = "failed - file is non-present or unloadable!";

INSTANTIATE_TEST_SUITE_P(
    Outcomes, RegisterComponentTest,
    ::testing::Values(
        OutcomeCase{"Absent", std::nullopt, NOT_LOADED, {LOAD}},
        // A handle below 32 is an error code from the loader, not a module: nothing to free.
        OutcomeCase{"HandleBelow32", FakeLoader::Component{true, 0, 31}, NOT_LOADED, {LOAD}},
        OutcomeCase{"Handle32IsAModule", FakeLoader::Component{true, 0, 32}, "Success!", {LOAD, CALL, FREE}},
        OutcomeCase{"NoEntryPoint", FakeLoader::Component{false, 0, 0}, "failed - cannot find entry point!",
                    {LOAD, FREE}},
        OutcomeCase{"EntryPointFails", FakeLoader::Component{true, E_FAIL, 0}, "failed - cannot call entry point!",
                    {LOAD, CALL, FREE}},
        OutcomeCase{"EntryPointAccessDenied", FakeLoader::Component{true, E_ACCESSDENIED, 0},
                    "failed - cannot call entry point!", {LOAD, CALL, FREE}},
        OutcomeCase{"SOk", FakeLoader::Component{true, 0, 0}, "Success!", {LOAD, CALL, FREE}},
        OutcomeCase{"SFalseIsSuccess", FakeLoader::Component{true, 1, 0}, "Success!", {LOAD, CALL, FREE}},
        OutcomeCase{"LargestSuccessCode", FakeLoader::Component{true, 0x7FFFFFFF, 0}, "Success!",
                    {LOAD, CALL, FREE}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RegisterComponentTest, DescribedComponentLineComesFirstWhateverTheOutcome) {
    FakePlatform fake;
    fake.loader.components[SYSTEM32 + "wintrust.dll"] = {};
    ComponentRegistrar registrar;
    registrar.registerDescribedComponent("wintrust.dll", "MS Trust Verification APIs");
    registrar.registerDescribedComponent("gpkcsp.dll", "Gemplus Crypto Service Provider");
    EXPECT_TRUE(transcriptIs(fake.transcript(), {" Component: MS Trust Verification APIs",
                                                 "  Registering wintrust.dll... Success!",
                                                 " Component: Gemplus Crypto Service Provider",
                                                 "  Registering gpkcsp.dll... " + std::string(NOT_LOADED)}));
}

TEST(RegisterComponentTest, EachModuleIsFreedBeforeTheNextLoadAndAFailedLoadFreesNothing) {
    FakePlatform fake;
    fake.loader.components[SYSTEM32 + "a.dll"] = {true, 0, 0};
    fake.loader.components[SYSTEM32 + "b.dll"] = {false, 0, 0};
    fake.loader.components[SYSTEM32 + "c.ocx"] = {true, E_FAIL, 0};
    fake.loader.components[SYSTEM32 + "d.dll"] = {true, 0, 5};
    ComponentRegistrar registrar;
    for (const char* file : {"a.dll", "missing.dll", "b.dll", "d.dll", "c.ocx", "a.dll", "a.dll"}) {
        registrar.registerComponent(file);
    }
    EXPECT_TRUE(transcriptIs(fake.transcript(), {"  Registering a.dll... Success!",
                                                 "  Registering missing.dll... " + std::string(NOT_LOADED),
                                                 "  Registering b.dll... failed - cannot find entry point!",
                                                 "  Registering d.dll... " + std::string(NOT_LOADED),
                                                 "  Registering c.ocx... failed - cannot call entry point!",
                                                 "  Registering a.dll... Success!",
                                                 "  Registering a.dll... Success!"}));
    // The fake logs "load while N module(s) held" if a load came before the previous module was freed.
    const std::string s = SYSTEM32;
    EXPECT_EQ(fake.loader.log, (Lines{"load " + s + "a.dll", "call " + s + "a.dll", "free " + s + "a.dll",
                                      "load " + s + "missing.dll",
                                      "load " + s + "b.dll", "free " + s + "b.dll",
                                      "load " + s + "d.dll",
                                      "load " + s + "c.ocx", "call " + s + "c.ocx", "free " + s + "c.ocx",
                                      "load " + s + "a.dll", "call " + s + "a.dll", "free " + s + "a.dll",
                                      "load " + s + "a.dll", "call " + s + "a.dll", "free " + s + "a.dll"}));
    EXPECT_EQ(fake.loader.loadedModules, 0);
}

// -------------------------------------------------------------------------------- where the file is loaded from
struct FolderCase {
    const char* name;
    bool readable;
    const char* systemDirectory;
    const char* loadedPath;  // null: nothing is loaded
};
std::ostream& operator<<(std::ostream& out, const FolderCase& c) { return out << c.name; }

class SystemDirectoryTest : public ::testing::TestWithParam<FolderCase> {};

// A copy planted beside the program or in the current directory is what a bare-name load would find first.
TEST_P(SystemDirectoryTest, FileIsLoadedFromTheSystemDirectoryAndNeverByBareName) {
    FakePlatform fake;
    fake.system.directoriesWork = GetParam().readable;
    fake.system.systemDir = GetParam().systemDirectory;
    fake.loader.components["softpub.dll"] = {true, 0, 0};
    if (GetParam().loadedPath) fake.loader.components[GetParam().loadedPath] = {true, 0, 0};
    ComponentRegistrar registrar;
    registrar.registerDescribedComponent("softpub.dll", "SoftPub Forwarder DLL");
    if (GetParam().loadedPath) {
        const std::string path = GetParam().loadedPath;
        EXPECT_TRUE(transcriptIs(fake.transcript(),
                                 {" Component: SoftPub Forwarder DLL", "  Registering softpub.dll... Success!"}));
        EXPECT_EQ(fake.loader.log, (Lines{"load " + path, "call " + path, "free " + path}));
    } else {
        EXPECT_TRUE(transcriptIs(fake.transcript(), {" Component: SoftPub Forwarder DLL",
                                                     "  Registering softpub.dll... " + std::string(NOT_LOADED)}));
        EXPECT_TRUE(fake.loader.log.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Folders, SystemDirectoryTest,
    ::testing::Values(FolderCase{"WindowsXp", true, "C:\\WINDOWS\\system32", "C:\\WINDOWS\\system32\\softpub.dll"},
                      FolderCase{"Windows2000OnD", true, "D:\\WINNT\\System32", "D:\\WINNT\\System32\\softpub.dll"},
                      FolderCase{"TrailingBackslash", true, "E:\\", "E:\\softpub.dll"},
                      FolderCase{"Unreadable", false, "C:\\WINDOWS\\system32", nullptr},
                      FolderCase{"ReadAsEmpty", true, "", nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tovrin
