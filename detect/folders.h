#pragma once

#include "detect/records.h"

namespace tovrin {

// Finds the seven folders the later steps work on; a shell folder that cannot be found is fatal.
void discoverFolders(SystemFolders& folders);

}  // namespace tovrin
