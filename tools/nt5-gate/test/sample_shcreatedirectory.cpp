// Windows 2000's shell32 exports SHCreateDirectory only by ordinal 165; by name only from XP SP1 on.
#include <windows.h>
#include <shlobj.h>

#include <string>

std::string laterApi() { return std::to_string(SHCreateDirectory(nullptr, L"C:\\sample")); }
