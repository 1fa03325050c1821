#pragma once

#include <map>
#include <string>
#include <vector>

#include "fakes/fake_errors.h"

namespace tovrin::fakes {

// A loader over a table of components; a file that is not in the table does not load (error 126).
class FakeLoader final : public LoaderApi {
public:
    explicit FakeLoader(FakeLastError& errors) : errors(errors) {}

    struct Component {
        bool hasEntryPoint = true;
        std::int32_t registerResult = 0;
    };
    std::map<std::string, Component> components;  // keyed by the name handed to the loader
    std::int32_t oleResult = 0;
    int oleInitializeCalls = 0;
    int oleUninitializeCalls = 0;
    std::vector<std::uint32_t> errorModes;
    std::vector<std::string> log;  // "load x", "free x", "call x"
    std::vector<std::uint32_t> loadFlags;
    int loadedModules = 0;

    std::int32_t oleInitialize() override {
        ++oleInitializeCalls;
        return oleResult;
    }
    void oleUninitialize() override { ++oleUninitializeCalls; }
    std::uint32_t setErrorMode(std::uint32_t mode) override {
        errorModes.push_back(mode);
        return 0;
    }
    Handle loadLibrary(const std::string& file, std::uint32_t flags) override {
        loadFlags.push_back(flags);
        log.push_back("load " + file);
        auto it = components.find(file);
        if (it == components.end()) {
            errors.value = 126;
            return 0;
        }
        ++loadedModules;
        Handle module = nextModule;
        nextModule += 0x10000;
        modules[module] = file;
        return module;
    }
    EntryPoint findEntryPoint(Handle module, const char*) override {
        auto it = modules.find(module);
        if (it == modules.end() || !components[it->second].hasEntryPoint) {
            errors.value = 127;
            return nullptr;
        }
        return reinterpret_cast<EntryPoint>(module);
    }
    std::int32_t callEntryPoint(EntryPoint entry) override {
        const std::string& file = modules[reinterpret_cast<Handle>(entry)];
        log.push_back("call " + file);
        return components[file].registerResult;
    }
    void freeLibrary(Handle module) override {
        auto it = modules.find(module);
        if (it == modules.end()) {
            log.push_back("free of a module never loaded");
            return;
        }
        log.push_back("free " + it->second);
        modules.erase(it);
        --loadedModules;
    }

private:
    FakeLastError& errors;
    Handle nextModule = 0x10000000;
    std::map<Handle, std::string> modules;
};

}  // namespace tovrin::fakes
