#include "registration/registrar.h"

#include "platform/platform.h"
#include "run/console_out.h"
#include "run/run_status.h"

namespace tovrin {

ComponentRegistrar::ComponentRegistrar() : entryPointName("DllRegisterServer") {
    LoaderApi& loader = *platform().loader;
    if (loader.oleInitialize() < 0) {
        printBlankLine();
        printText("Error 0x2000: Unable to initialize OLE for registration.", true);
        printText("Tovrin will exit!", true);
        RunStatus = "0x2000";
        return;
    }
    loader.setErrorMode(ERROR_MODE_FAIL_CRITICAL);
}

ComponentRegistrar::~ComponentRegistrar() { platform().loader->oleUninitialize(); }

void ComponentRegistrar::registerComponent(std::string fileName) {
    LoaderApi& loader = *platform().loader;
    printText("  Registering " + fileName + "... ", false);
    Handle module = loader.loadLibrary(fileName, LOAD_ALTERED_SEARCH_PATH);
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

}  // namespace tovrin
