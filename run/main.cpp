#include <cstdlib>

#include "platform/win32/win32_platform.h"
#include "run/driver.h"
#include "run/run_status.h"

int main() {
    tovrin::installWin32Platform();
    tovrin::readPlatformVersion();
    return tovrin::runRepair(tovrin::repairOperations(), std::atexit);
}
