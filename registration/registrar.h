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

    void registerComponent(std::string fileName);
    void registerDescribedComponent(std::string fileName, std::string description);
    // Walks the component catalogue.
    void registerCatalogue();

private:
    const char* entryPointName;
};

}  // namespace tovrin
