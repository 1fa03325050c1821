// The two run records that step 0 fills and the later steps receive.
#pragma once

#include <cstdint>
#include <string>

namespace tovrin {

struct WindowsVersionInfo {
    std::uint32_t majorVersion = 0;
    std::uint32_t minorVersion = 0;
    std::string edition;
    std::string productName;
};

struct SystemFolders {
    std::string windowsDirectory;
    std::string systemDirectory;
    std::string windowsTempFolder;
    std::string userTempFolder;  // or "NULL" when there is none
    std::string internetCacheFolder;
    std::string historyFolder;
    std::string cookiesFolder;
};

}  // namespace tovrin
