#include "registration/registrar.h"

#include "platform/platform.h"
#include "registration/catalogue.h"
#include "run/console_out.h"
#include "run/run_status.h"

namespace tovrin {

namespace {

// The catalogue names system components by bare file name. Loaded by bare name, the system would search the
// program's own folder (often a download folder) and the current directory first, and a file planted there
// would run its DllRegisterServer with the user's rights; so the file is loaded from the system directory only.
// False when the system directory cannot be read.
bool systemComponentPath(const std::string& fileName, std::string& path) {
    std::string folder;
    if (!platform().system->systemDirectory(folder) || folder.empty()) return false;
    if (folder.back() != '\\') folder += '\\';
    path = folder + fileName;
    return true;
}

}  // namespace

ComponentRegistrar::ComponentRegistrar() : entryPointName("DllRegisterServer") {
    LoaderApi& loader = *platform().loader;
    if (loader.oleInitialize() < 0) {
        printBlankLine();
        printText("Error 0x2000: Unable to initialize OLE for registration.", true);
        printText("Tovrin will exit!", true);
        RunStatus = "0x2000";
        return;
    }
    // Replaces the whole mode and stays for the run: a file that cannot be loaded comes back as a failed load
    // instead of a critical-error message box.
    loader.setErrorMode(ERROR_MODE_FAIL_CRITICAL);
}

ComponentRegistrar::~ComponentRegistrar() { platform().loader->oleUninitialize(); }

void ComponentRegistrar::registerComponent(std::string fileName) {
    LoaderApi& loader = *platform().loader;
    printText("  Registering " + fileName + "... ", false);
    std::string path;
    // A handle below 32 is an error code, not a module.
    Handle module = systemComponentPath(fileName, path) ? loader.loadLibrary(path, LOAD_ALTERED_SEARCH_PATH) : 0;
    if (module < 32) {
        printText("failed - file is non-present or unloadable!", true);
        return;
    }
    EntryPoint entry = loader.findEntryPoint(module, entryPointName);
    if (!entry) {
        printText("failed - cannot find entry point!", true);
    } else if (loader.callEntryPoint(entry) < 0) {
        printText("failed - cannot call entry point!", true);
    } else {
        printText("Success!", true);
    }
    loader.freeLibrary(module);
}

void ComponentRegistrar::registerDescribedComponent(std::string fileName, std::string description) {
    printText(" Component: " + description, true);
    registerComponent(fileName);
}

void ComponentRegistrar::registerCatalogue() {
    for (const ComponentGroup& group : componentCatalogue()) {
        printText(group.header, true);
        for (const ComponentEntry& entry : group.entries) {
            if (entry.description) {
                registerDescribedComponent(entry.fileName, entry.description);
            } else {
                registerComponent(entry.fileName);
            }
        }
    }
}

}  // namespace tovrin
