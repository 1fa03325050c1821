#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "fakes/fake_errors.h"

namespace tovrin::fakes {

// A service control manager holding named services. By default the three critical services exist and run.
class FakeServices final : public ServiceApi {
public:
    struct Service {
        std::uint32_t state = SERVICE_STATE_RUNNING;
        bool refusesStop = false;  // the stop control fails with stopError
        std::uint32_t stopError = 1052;
        bool refusesDelete = false;
        bool deleted = false;
    };

    explicit FakeServices(FakeLastError& errors) : errors(errors) {
        services["cryptsvc"] = {};
        services["wuauserv"] = {};
        services["bits"] = {};
    }

    std::map<std::string, Service> services;
    bool managerOpens = true;
    std::vector<std::string> log;  // "stop wuauserv", "start bits", "delete Network Client"
    std::set<Handle> openHandles;
    int heapBlocks = 0;

    Handle openManager() override {
        if (!managerOpens) return fail(5), 0;
        return track(managerHandle);
    }
    Handle openService(Handle manager, const std::string& name, std::uint32_t) override {
        if (manager != managerHandle || !openHandles.count(manager)) return fail(6), 0;
        auto it = services.find(name);
        if (it == services.end() || it->second.deleted) return fail(1060), 0;
        Handle h = nextHandle++;
        names[h] = name;
        return track(h);
    }
    bool queryStatus(Handle service, ServiceStatus& status) override {
        Service* s = find(service);
        if (!s) return fail(6);
        status = ServiceStatus{s->state, 0, 0};
        return true;
    }
    bool sendStop(Handle service, ServiceStatus& status) override {
        Service* s = find(service);
        if (!s) return fail(6);
        if (s->state == SERVICE_STATE_STOPPED) return fail(1062);
        if (s->refusesStop) return fail(s->stopError);
        log.push_back("stop " + names[service]);
        s->state = SERVICE_STATE_STOPPED;
        status = ServiceStatus{s->state, 0, 0};
        return true;
    }
    bool enumActiveDependents(Handle service, void*, std::uint32_t, std::uint32_t& needed,
                              std::uint32_t& count) override {
        if (!find(service)) return fail(6);
        needed = 0;
        count = 0;
        return true;
    }
    std::string dependentName(const void*, std::uint32_t) override { return ""; }
    bool start(Handle service) override {
        Service* s = find(service);
        if (!s) return fail(6);
        if (s->state == SERVICE_STATE_RUNNING) return fail(1056);
        log.push_back("start " + names[service]);
        s->state = SERVICE_STATE_RUNNING;
        return true;
    }
    bool remove(Handle service) override {
        Service* s = find(service);
        if (!s) return fail(6);
        if (s->refusesDelete) return fail(5);
        log.push_back("delete " + names[service]);
        s->deleted = true;
        return true;
    }
    void close(Handle handle) override { openHandles.erase(handle); }
    void* heapAllocZeroed(std::uint32_t bytes) override {
        ++heapBlocks;
        return new std::uint8_t[bytes == 0 ? 1 : bytes]();
    }
    void heapFree(void* block) override {
        --heapBlocks;
        delete[] static_cast<std::uint8_t*>(block);
    }

private:
    static constexpr Handle managerHandle = 0x5C;
    Handle track(Handle h) {
        openHandles.insert(h);
        return h;
    }
    bool fail(std::uint32_t code) {
        errors.value = code;
        return false;
    }
    Service* find(Handle h) {
        auto n = names.find(h);
        if (n == names.end() || !openHandles.count(h)) return nullptr;
        return &services[n->second];
    }
    FakeLastError& errors;
    Handle nextHandle = 0x1000;
    std::map<Handle, std::string> names;
};

}  // namespace tovrin::fakes
