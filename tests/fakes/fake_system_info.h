#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "fakes/fake_errors.h"

namespace tovrin::fakes {

// Windows XP Professional SP3 in C:\WINDOWS unless a test says otherwise.
class FakeSystemInfo final : public SystemInfoApi {
public:
    explicit FakeSystemInfo(FakeLastError& errors) : errors(errors) {
        version.majorVersion = 5;
        version.minorVersion = 1;
        version.buildNumber = 2600;
        version.platformId = PLATFORM_WIN32_NT;
        version.csdVersion = "Service Pack 3";
        version.productType = 1;
        const std::string profile = "C:\\Documents and Settings\\Owner";
        folders[0x8022] = {0, profile + "\\Local Settings\\History"};
        folders[0x8021] = {0, profile + "\\Cookies"};
        folders[0x8020] = {0, profile + "\\Local Settings\\Temporary Internet Files"};
        folders[0x8028] = {0, profile};
    }

    OsVersion version;
    bool extendedQueryWorks = true;
    bool basicQueryWorks = true;
    std::string windowsDir = "C:\\WINDOWS";
    std::string systemDir = "C:\\WINDOWS\\system32";
    bool directoriesWork = true;  // both directory calls
    bool windowsDirectoryWorks = true;
    bool systemDirectoryWorks = true;
    std::map<int, std::pair<std::int32_t, std::string>> folders;  // csidl -> (HRESULT, path)
    std::vector<int> folderQueries;
    std::vector<bool> versionQueries;  // true for each extended query, false for each basic one, in order

    bool getVersion(bool extended, OsVersion& out) override {
        versionQueries.push_back(extended);
        if (!(extended ? extendedQueryWorks : basicQueryWorks)) {
            errors.value = 87;
            return false;
        }
        out = version;
        if (!extended) {
            out.suiteMask = 0;
            out.productType = 0;
        }
        return true;
    }
    bool windowsDirectory(std::string& path) override {
        if (!directoriesWork || !windowsDirectoryWorks) return failDirectory();
        path = windowsDir;
        return true;
    }
    bool systemDirectory(std::string& path) override {
        if (!directoriesWork || !systemDirectoryWorks) return failDirectory();
        path = systemDir;
        return true;
    }
    std::int32_t folderPath(int csidl, std::string& path) override {
        folderQueries.push_back(csidl);
        auto it = folders.find(csidl);
        if (it == folders.end()) return static_cast<std::int32_t>(0x80070002u);
        if (it->second.first >= 0) path = it->second.second;
        return it->second.first;
    }

private:
    bool failDirectory() {
        errors.value = 122;  // ERROR_INSUFFICIENT_BUFFER: the path does not fit in 261 characters
        return false;
    }
    FakeLastError& errors;
};

}  // namespace tovrin::fakes
