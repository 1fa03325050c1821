// Whole runs of the real operations over the fake platform. The first bytes of an input choose the machine
// (Windows version, shell results, service and cache troubles), the rest is what the user types. Every run
// must end, leave a valid status code, give each critical service its start attempt and release everything.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fakes/fake_platform.h"
#include "run/driver.h"

using namespace tovrin;

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

int noAtExit(void (*)()) { return 0; }

struct Choice {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
    std::uint8_t next() { return at < size ? data[at++] : 0; }
};

const int SHELL_RESULTS[] = {0, 0, 0x402, 5, 32, 0x7C, -1, 2};

void chooseMachine(fakes::FakePlatform& fake, Choice& choice) {
    switch (choice.next() % 6) {
        case 0: break;  // XP
        case 1: fake.setPlatformVersion(5, 0); break;
        case 2: fake.setPlatformVersion(5, 2); fake.system.version.productType = 3; break;
        case 3: fake.setPlatformVersion(4, 0); fake.system.version.csdVersion = "Service Pack 6"; break;
        case 4:
            fake.setPlatformVersion(4, 10);
            fake.system.version.platformId = PLATFORM_WIN32_WINDOWS;
            fake.system.version.csdVersion = " A ";
            break;
        default: fake.setPlatformVersion(6, 0); break;
    }
    const char* paths[] = {"C:\\WINDOWS\\WindowsUpdate.log", "C:\\WINDOWS\\SoftwareDistribution\\DataStore",
                           "C:\\WINDOWS\\system32\\catroot2", "C:\\WINDOWS\\system32\\drivers\\etc\\HOSTS",
                           "C:\\WINDOWS\\temp\\", "C:\\Documents and Settings\\Owner\\Cookies"};
    for (const char* path : paths) {
        const std::uint8_t pick = choice.next();
        if (pick & 8)
            fake.shell.cancelled.insert(path);
        else
            fake.shell.results[path] = SHELL_RESULTS[pick % 8];
    }

    const std::uint8_t services = choice.next();
    if (services & 1) fake.services.services["wuauserv"].refusesStop = true;
    if (services & 2) fake.services.services["bits"].stopReply = {SERVICE_STATE_STOP_PENDING, 0, 700};
    if (services & 4) fake.services.services.erase("cryptsvc");
    if (services & 8) fake.services.services["Network Client"].refusesDelete = (services & 16) != 0;
    if (services & 32) fake.services.services["bits"].startState = SERVICE_STATE_START_PENDING;
    if (services & 64) fake.services.managerOpens = false;

    const std::uint8_t others = choice.next();
    if (others & 1) fake.loader.oleResult = static_cast<std::int32_t>(0x80004005u);
    if (others & 2) fake.clock.zoneWrites = false;
    if (others & 4) fake.clock.localTimeWrites = false;
    if (others & 8) fake.urlCache.groups.push_back({3, (others & 16) != 0, false});
    for (int i = 0; i < (others >> 5); ++i) fake.urlCache.entries.push_back({"http://e/" + std::to_string(i), 0, i != 2, 0, false});
    if (choice.next() & 1) fake.registry.setNumber(RegistryRoot::LocalMachine,
                                                   "Software\\Policies\\Microsoft\\WindowsFirewall\\StandardProfile",
                                                   "EnableFirewall", choice.next() % 3);
    fake.loader.components["C:\\WINDOWS\\system32\\softpub.dll"].registerResult = (choice.next() & 1) ? -1 : 0;
}

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fakes::FakePlatform fake;
    Choice choice{data, size};
    chooseMachine(fake, choice);
    fake.type(std::string(reinterpret_cast<const char*>(data) + choice.at, size - choice.at));

    runRepair(repairOperations(), noAtExit);

    require(RunStatus.size() == 6 && RunStatus.compare(0, 2, "0x") == 0 &&
            std::all_of(RunStatus.begin() + 2, RunStatus.end(), isHexDigit));
    require(RunStatus != "0xF000");
    for (const char* service : {"cryptsvc", "wuauserv", "bits"}) {
        const auto attempts = std::count(fake.services.opens.begin(), fake.services.opens.end(),
                                         std::make_pair(std::string(service), std::uint32_t{RIGHT_SERVICE_ALL}));
        require(attempts == 1);
    }
    require(fake.services.openHandles.empty() && fake.services.heapBlocks == 0);
    require(fake.services.strayCloses == 0 && fake.services.strayFrees == 0);
    require(fake.registry.openKeys.empty());
    require(fake.urlCache.openFinds.empty() && fake.urlCache.faults.empty());
    require(fake.loader.loadedModules == 0);
    require(fake.urlHistory.liveObjects == 0);
    require(fake.loader.oleInitializeCalls == 1 && fake.loader.oleUninitializeCalls == 1);
    return 0;
}
