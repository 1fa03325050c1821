// A small program built like the product: iostream, the version query, the shell folder query, a registry read.
// It calls laterApi(), which each sample_*.cpp defines: nothing, or one call that Windows 2000 lacks.
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <iostream>
#include <string>

std::string laterApi();

int main() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    GetVersionExA(&info);
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_HISTORY | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path);
    DWORD value = 0, size = sizeof value;
    SHGetValueA(HKEY_CURRENT_USER, "Software", "Sample", nullptr, &value, &size);
    std::cout << "version " << info.dwMajorVersion << " " << path << laterApi() << std::endl;
    return 0;
}
