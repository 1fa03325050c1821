#pragma once

#include <cstring>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fakes/fake_errors.h"

namespace tovrin::fakes {

// A service control manager holding named services. By default the three critical services exist and run,
// a stop control stops a service at once and a start makes it run at once.
//
// A test scripts anything slower through the fields of a Service: the statuses that the next queries
// report, what a stop control or a start leaves behind, and the calls that fail with which code. The fake
// keeps the rules of the real manager that the logic relies on: a handle can do only what its rights
// allow (5 otherwise), a closed or unknown handle fails with 6, a stop control to a stopped service fails
// with 1062, a start of a running one with 1056, an unknown name with 1060, and the dependents are written
// into the caller's heap block in the layout of ENUM_SERVICE_STATUSA (entries first, names behind them).
class FakeServices final : public ServiceApi {
public:
    struct Service {
        std::uint32_t state = SERVICE_STATE_RUNNING;
        bool refusesStop = false;  // the stop control fails with stopError
        std::uint32_t stopError = 1052;
        bool refusesDelete = false;
        bool deleted = false;

        // Reported with `state` by a query once `replies` is used up.
        std::uint32_t checkPoint = 0;
        std::uint32_t waitHint = 0;
        // The answers of the next status queries, one per query, in order; each one becomes the state.
        std::deque<ServiceStatus> replies;
        // Once `replies` is used up, every query fails with this code (0: queries work).
        std::uint32_t queryError = 0;
        // What an accepted stop control returns, and the state it leaves.
        ServiceStatus stopReply{SERVICE_STATE_STOPPED, 0, 0};
        // The state an accepted start leaves (its checkpoint and hint stay as they are).
        std::uint32_t startState = SERVICE_STATE_RUNNING;
        std::uint32_t startError = 0;  // a start fails with this code (0: it is accepted unless running)
        // Opening this service fails with this code (0: it opens).
        std::uint32_t openError = 0;
        // The services that depend on this one; those not stopped are enumerated as active, in this order.
        std::vector<std::string> dependents;
        std::uint32_t sizingError = 0;  // the enumeration without a buffer fails with this code
        std::uint32_t fillingError = 0;  // the enumeration into a buffer fails with this code
    };

    // The layout of ENUM_SERVICE_STATUSA: two name pointers and the seven fields of SERVICE_STATUS.
    struct EnumEntry {
        const char* serviceName;
        const char* displayName;
        std::uint32_t status[7];
    };

    // A query after this many, in one test, fails with QUERY_LIMIT_ERROR instead of letting a loop spin.
    static constexpr std::uint32_t QUERY_LIMIT = 1000000;
    static constexpr std::uint32_t QUERY_LIMIT_ERROR = 0xFA4E;

    explicit FakeServices(FakeLastError& errors) : errors(errors) {
        services["cryptsvc"] = {};
        services["wuauserv"] = {};
        services["bits"] = {};
    }

    std::map<std::string, Service> services;
    bool managerOpens = true;
    std::vector<std::string> log;  // "stop wuauserv", "start bits", "delete Network Client"
    std::vector<std::pair<std::string, std::uint32_t>> opens;  // every service open asked for, with its rights
    std::set<Handle> openHandles;
    int heapBlocks = 0;
    bool heapFails = false;  // HeapAlloc returns null and, as it does, leaves the last error alone
    int strayCloses = 0;     // closes of a handle that was not open
    int strayFrees = 0;      // frees of a block that was not allocated
    std::uint32_t queries = 0;

    Handle openManager() override {
        if (!managerOpens) return fail(5), 0;
        return track(managerHandle);
    }
    Handle openService(Handle manager, const std::string& name, std::uint32_t rights) override {
        opens.emplace_back(name, rights);
        if (manager != managerHandle || !openHandles.count(manager)) return fail(6), 0;
        auto it = services.find(name);
        if (it == services.end() || it->second.deleted) return fail(1060), 0;
        if (it->second.openError != 0) return fail(it->second.openError), 0;
        Handle h = nextHandle++;
        names[h] = name;
        handleRights[h] = rights;
        return track(h);
    }
    bool queryStatus(Handle service, ServiceStatus& status) override {
        Service* s = find(service, RIGHT_QUERY_STATUS);
        if (!s) return false;
        if (++queries > QUERY_LIMIT) return fail(QUERY_LIMIT_ERROR);
        if (!s->replies.empty()) {
            const ServiceStatus reply = s->replies.front();
            s->replies.pop_front();
            s->state = reply.currentState;
            s->checkPoint = reply.checkPoint;
            s->waitHint = reply.waitHint;
        } else if (s->queryError != 0) {
            return fail(s->queryError);
        }
        status = ServiceStatus{s->state, s->checkPoint, s->waitHint};
        return true;
    }
    bool sendStop(Handle service, ServiceStatus& status) override {
        Service* s = find(service, RIGHT_STOP);
        if (!s) return false;
        if (s->state == SERVICE_STATE_STOPPED) return fail(1062);
        if (s->refusesStop) return fail(s->stopError);
        log.push_back("stop " + names[service]);
        s->state = s->stopReply.currentState;
        s->checkPoint = s->stopReply.checkPoint;
        s->waitHint = s->stopReply.waitHint;
        status = s->stopReply;
        return true;
    }
    bool enumActiveDependents(Handle service, void* buffer, std::uint32_t size, std::uint32_t& needed,
                              std::uint32_t& count) override {
        Service* s = find(service, RIGHT_ENUMERATE_DEPENDENTS);
        if (!s) return false;
        if (!buffer && s->sizingError != 0) return fail(s->sizingError);
        if (buffer && s->fillingError != 0) return fail(s->fillingError);
        std::vector<std::string> active;
        std::uint32_t bytes = 0;
        for (const std::string& name : s->dependents) {
            auto it = services.find(name);
            if (it == services.end() || it->second.deleted || it->second.state == SERVICE_STATE_STOPPED) continue;
            active.push_back(name);
            bytes += static_cast<std::uint32_t>(sizeof(EnumEntry) + 2 * (name.size() + 1));
        }
        needed = bytes;
        count = 0;
        if (active.empty()) return true;
        if (!buffer || size < bytes) return fail(234);
        auto block = blocks.find(buffer);
        if (block == blocks.end() || block->second < size) return fail(998);  // ERROR_NOACCESS
        auto* entries = static_cast<EnumEntry*>(buffer);
        char* nameEnd = static_cast<char*>(buffer) + size;
        for (std::size_t i = 0; i < active.size(); ++i) {
            const std::string& name = active[i];
            nameEnd -= name.size() + 1;
            std::memcpy(nameEnd, name.c_str(), name.size() + 1);
            entries[i].serviceName = nameEnd;
            nameEnd -= name.size() + 1;  // the display name, the same text here
            std::memcpy(nameEnd, name.c_str(), name.size() + 1);
            entries[i].displayName = nameEnd;
            const Service& d = services[name];
            const std::uint32_t status[7] = {0x10, d.state, 0x1, 0, 0, d.checkPoint, d.waitHint};
            std::memcpy(entries[i].status, status, sizeof status);
        }
        count = static_cast<std::uint32_t>(active.size());
        filled[buffer] = count;
        return true;
    }
    std::string dependentName(const void* buffer, std::uint32_t index) override {
        auto it = filled.find(const_cast<void*>(buffer));
        if (it == filled.end() || index >= it->second) return "";
        return static_cast<const EnumEntry*>(buffer)[index].serviceName;
    }
    bool start(Handle service) override {
        Service* s = find(service, RIGHT_START);
        if (!s) return false;
        if (s->state == SERVICE_STATE_RUNNING) return fail(1056);
        if (s->startError != 0) return fail(s->startError);
        log.push_back("start " + names[service]);
        s->state = s->startState;
        return true;
    }
    bool remove(Handle service) override {
        Service* s = find(service, RIGHT_DELETE);
        if (!s) return false;
        if (s->refusesDelete) return fail(5);
        log.push_back("delete " + names[service]);
        s->deleted = true;
        return true;
    }
    void close(Handle handle) override {
        if (!openHandles.erase(handle)) ++strayCloses;
    }
    void* heapAllocZeroed(std::uint32_t bytes) override {
        if (heapFails) return nullptr;
        ++heapBlocks;
        void* block = new std::uint8_t[bytes == 0 ? 1 : bytes]();
        blocks[block] = bytes;
        return block;
    }
    void heapFree(void* block) override {
        auto it = blocks.find(block);
        if (it == blocks.end()) {
            ++strayFrees;
            return;
        }
        blocks.erase(it);
        filled.erase(block);
        --heapBlocks;
        delete[] static_cast<std::uint8_t*>(block);
    }

    ~FakeServices() override {
        for (auto& block : blocks) delete[] static_cast<std::uint8_t*>(block.first);
    }
    FakeServices(const FakeServices&) = delete;
    FakeServices& operator=(const FakeServices&) = delete;

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
    Service* find(Handle h, std::uint32_t right) {
        auto n = names.find(h);
        if (n == names.end() || !openHandles.count(h)) return fail(6), nullptr;
        if ((handleRights[h] & right) != right) return fail(5), nullptr;
        return &services[n->second];
    }
    FakeLastError& errors;
    Handle nextHandle = 0x1000;
    std::map<Handle, std::string> names;
    std::map<Handle, std::uint32_t> handleRights;
    std::map<void*, std::uint32_t> blocks;    // live heap blocks and their sizes
    std::map<void*, std::uint32_t> filled;    // blocks filled by an enumeration, with their entry counts
};

}  // namespace tovrin::fakes
