#pragma once

#include <string>

#include "detect/records.h"

namespace tovrin {

void flushWindowsUpdateCaches(std::string timeStamp, SystemFolders folders);
void flushCryptoCatalogue(std::string timeStamp, SystemFolders folders);
void flushDnsAndHosts(SystemFolders folders);
void cleanTempFolders(std::string timeStamp, SystemFolders folders);

}  // namespace tovrin
