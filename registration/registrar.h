#pragma once

#include <string>

namespace tovrin {

// Holds OLE for the whole run and re-registers components in-process through their DllRegisterServer.
class ComponentRegistrar {
public:
    ComponentRegistrar();
    ~ComponentRegistrar();
    ComponentRegistrar(const ComponentRegistrar&) = delete;
    ComponentRegistrar& operator=(const ComponentRegistrar&) = delete;

    // `fileName` is a bare name; the file is loaded from the system directory, and one outcome line printed.
    void registerComponent(std::string fileName);
    void registerDescribedComponent(std::string fileName, std::string description);
    // Walks the component catalogue.
    void registerCatalogue();

private:
    const char* entryPointName;
};

}  // namespace tovrin
