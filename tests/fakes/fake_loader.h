#pragma once

#include <map>
#include <string>
#include <vector>

#include "fakes/fake_errors.h"

namespace tovrin::fakes {

// A loader over a table of components; a file that is not in the table does not load (error 126).
// The log records every load, call and free in order, and flags a load made while another module is still
// held and a free of a module that was never loaded.
class FakeLoader final : public LoaderApi {
public:
    explicit FakeLoader(FakeLastError& errors) : errors(errors) {}

    struct Component {
        bool hasEntryPoint = true;          // exports "DllRegisterServer" (no other name is found)
        std::int32_t registerResult = 0;
        Handle handle = 0;                  // 0: the fake picks one; a value below 32 is returned as a failed load
    };
    std::map<std::string, Component> components;  // keyed by the name handed to the loader
    std::int32_t oleResult = 0;
    int oleInitializeCalls = 0;
    int oleUninitializeCalls = 0;
    std::vector<std::uint32_t> errorModes;
    std::vector<std::string> log;  // "load x", "call x", "free x"
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
        if (loadedModules > 0) log.push_back("load while " + std::to_string(loadedModules) + " module(s) held");
        log.push_back("load " + file);
        auto it = components.find(file);
        if (it == components.end()) {
            errors.value = 126;
            return 0;
        }
        if (it->second.handle != 0 && it->second.handle < 32) {
            errors.value = 193;
            return it->second.handle;
        }
        Handle module = it->second.handle != 0 ? it->second.handle : nextModule;
        nextModule += 0x10000;
        ++loadedModules;
        modules[module] = file;
        return module;
    }
    EntryPoint findEntryPoint(Handle module, const char* name) override {
        auto it = modules.find(module);
        if (it == modules.end() || !components[it->second].hasEntryPoint || std::string(name) != "DllRegisterServer") {
            errors.value = 127;
            return nullptr;
        }
        return reinterpret_cast<EntryPoint>(module);
    }
    std::int32_t callEntryPoint(EntryPoint entry) override {
        auto it = modules.find(reinterpret_cast<Handle>(entry));
        if (it == modules.end()) {
            log.push_back("call of an entry point in no loaded module");
            return 0;
        }
        log.push_back("call " + it->second);
        return components[it->second].registerResult;
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
