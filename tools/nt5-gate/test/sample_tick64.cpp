// GetTickCount64 exists from Windows Vista on.
#define _WIN32_WINNT 0x0600
#include <windows.h>

#include <string>

std::string laterApi() { return std::to_string(GetTickCount64()); }
