#pragma once

#include "detect/records.h"

namespace tovrin {

void purgeTemporaryInternetFiles();
void purgeHistory();
void offerIeReinstall(SystemFolders folders);

}  // namespace tovrin
