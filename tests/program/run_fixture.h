// A whole run of the real operations over the fake platform.
#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "run/driver.h"

namespace tovrin::program {

inline const char* const FIREWALL_KEY = "Software\\Policies\\Microsoft\\WindowsFirewall\\StandardProfile";
inline const char* const WU_POLICY_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\WindowsUpdate";
inline const char* const EXPLORER_POLICY_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
inline const char* const HOSTS_PATH = "C:\\WINDOWS\\system32\\drivers\\etc\\HOSTS";

inline int noAtExit(void (*)()) { return 0; }

// A Windows XP machine with something to repair: the firewall forced off, Windows Update blocked for the
// user, a false "Network Client" service running, the logs, caches, catroot2 and HOSTS present, and the
// first crypto component registering.
inline void seedBrokenXp(fakes::FakePlatform& fake) {
    fake.registry.setNumber(RegistryRoot::LocalMachine, FIREWALL_KEY, "EnableFirewall", 0);
    fake.registry.setNumber(RegistryRoot::CurrentUser, WU_POLICY_KEY, "DisableWindowsUpdateAccess", 1);
    fake.services.services["Network Client"] = {};
    for (const char* path :
         {"C:\\WINDOWS\\WindowsUpdate.log", "C:\\WINDOWS\\Windows Update.log", "C:\\WINDOWS\\SoftwareDistribution\\DataStore",
          "C:\\WINDOWS\\SoftwareDistribution\\Download", "C:\\WINDOWS\\system32\\catroot2", HOSTS_PATH, "C:\\WINDOWS\\temp",
          "C:\\Documents and Settings\\Owner\\temp", "C:\\Documents and Settings\\Owner\\Cookies"}) {
        fake.shell.existing.insert(path);
    }
    fake.loader.components["C:\\WINDOWS\\system32\\softpub.dll"] = {};
}

inline void runWholeRun() { runRepair(repairOperations(), noAtExit); }

inline std::string readExpected(const std::string& name) {
    std::ifstream file(std::string(TOVRIN_TEST_DATA) + "/" + name);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace tovrin::program
