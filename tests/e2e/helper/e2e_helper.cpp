// The end-to-end suite's own Windows program, run inside the test prefixes. It sets up what a prefix must hold
// before a run and reports what the platform says afterwards, so that the harness never has to guess:
//   e2e_helper service            a service that runs and refuses every stop (registered with sc create)
//   e2e_helper urlcache-seed N    commits N entries http://tovrin.test/e2e/<i> to the user's URL cache
//   e2e_helper urlcache-count     prints "<seeded> <total>": entries under http://tovrin.test/ and all entries
//   e2e_helper hold PATH MARKER   opens PATH with no sharing, creates MARKER, and keeps the file open until killed
//   e2e_helper version            prints what GetVersionExA reports: platform major minor build "CSD" type suite
//   e2e_helper folders            prints the user's shell folders as the run finds them: name=path, one a line
#include <windows.h>
#include <shlobj.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

SERVICE_STATUS_HANDLE statusHandle;
SERVICE_STATUS status;

DWORD WINAPI controlHandler(DWORD, DWORD, LPVOID, LPVOID) {
    // Accepts no control: the service manager refuses a stop before it reaches this handler.
    SetServiceStatus(statusHandle, &status);
    return NO_ERROR;
}

void WINAPI serviceMain(DWORD, LPSTR*) {
    statusHandle = RegisterServiceCtrlHandlerExA("", controlHandler, nullptr);
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = SERVICE_RUNNING;
    status.dwControlsAccepted = 0;
    SetServiceStatus(statusHandle, &status);
    for (;;) Sleep(INFINITE);
}

int runService() {
    SERVICE_TABLE_ENTRYA table[] = {{const_cast<char*>(""), serviceMain}, {nullptr, nullptr}};
    return StartServiceCtrlDispatcherA(table) ? 0 : 1;
}

const char* const SEEDED_PREFIX = "http://tovrin.test/";

int seedUrlCache(int count) {
    for (int i = 1; i <= count; ++i) {
        std::string url = std::string(SEEDED_PREFIX) + "e2e/" + std::to_string(i);
        char file[MAX_PATH] = {};
        if (!CreateUrlCacheEntryA(url.c_str(), 0, "htm", file, 0)) {
            std::printf("CreateUrlCacheEntryA failed: %lu\n", GetLastError());
            return 1;
        }
        HANDLE h = CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        std::string body = "<html>tovrin e2e " + std::to_string(i) + "</html>";
        WriteFile(h, body.data(), DWORD(body.size()), &written, nullptr);
        CloseHandle(h);
        FILETIME never = {};
        char headers[] = "HTTP/1.1 200 OK\r\n\r\n";
        if (!CommitUrlCacheEntryA(url.c_str(), file, never, never, NORMAL_CACHE_ENTRY, reinterpret_cast<BYTE*>(headers),
                                  DWORD(std::strlen(headers)), "htm", nullptr)) {
            std::printf("CommitUrlCacheEntryA failed: %lu\n", GetLastError());
            return 1;
        }
    }
    return 0;
}

int countUrlCache() {
    int seeded = 0, total = 0;
    std::vector<char> buffer(4096);
    DWORD size = DWORD(buffer.size());
    auto entry = [&] { return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data()); };
    HANDLE find = FindFirstUrlCacheEntryA(nullptr, entry(), &size);
    if (!find && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        buffer.resize(size);
        find = FindFirstUrlCacheEntryA(nullptr, entry(), &size);
    }
    while (find) {
        ++total;
        if (std::strncmp(entry()->lpszSourceUrlName, SEEDED_PREFIX, std::strlen(SEEDED_PREFIX)) == 0) ++seeded;
        size = DWORD(buffer.size());
        if (FindNextUrlCacheEntryA(find, entry(), &size)) continue;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
        buffer.resize(size);
        size = DWORD(buffer.size());
        if (!FindNextUrlCacheEntryA(find, entry(), &size)) break;
    }
    if (find) FindCloseUrlCache(find);
    std::printf("%d %d\n", seeded, total);
    return 0;
}

int hold(const char* path, const char* marker) {
    HANDLE h = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        std::printf("cannot open %s: %lu\n", path, GetLastError());
        return 1;
    }
    HANDLE m = CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    CloseHandle(m);
    for (;;) Sleep(INFINITE);
}

int version() {
    OSVERSIONINFOEXA v = {};
    v.dwOSVersionInfoSize = sizeof v;
    if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&v))) {
        v.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&v))) return 1;
    }
    std::printf("%lu %lu %lu %lu \"%s\" %u %u\n", v.dwPlatformId, v.dwMajorVersion, v.dwMinorVersion, v.dwBuildNumber,
                v.szCSDVersion, unsigned(v.wProductType), unsigned(v.wSuiteMask));
    return 0;
}

int folders() {
    const struct {
        const char* name;
        int csidl;
    } rows[] = {{"profile", CSIDL_PROFILE}, {"cache", CSIDL_INTERNET_CACHE}, {"history", CSIDL_HISTORY},
                {"cookies", CSIDL_COOKIES}};
    for (const auto& row : rows) {
        char path[MAX_PATH] = {};
        if (FAILED(SHGetFolderPathA(nullptr, row.csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path)))
            return 1;
        std::printf("%s=%s\n", row.name, path);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    int result = 2;
    if (mode == "service")
        result = runService();
    else if (mode == "urlcache-seed" && argc == 3)
        result = seedUrlCache(std::atoi(argv[2]));
    else if (mode == "urlcache-count")
        result = countUrlCache();
    else if (mode == "hold" && argc == 4)
        result = hold(argv[2], argv[3]);
    else if (mode == "version")
        result = version();
    else if (mode == "folders")
        result = folders();
    else
        std::fprintf(stderr, "usage: e2e_helper service | urlcache-seed N | urlcache-count | hold PATH MARKER | "
                             "version | folders\n");
    std::fflush(stdout);
    return result;
}
