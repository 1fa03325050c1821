#pragma once

#include <string>
#include <vector>

#include "fakes/fake_errors.h"

namespace tovrin::fakes {

// An empty URL cache with no groups unless a test fills it.
class FakeUrlCache final : public UrlCacheApi {
public:
    explicit FakeUrlCache(FakeLastError& errors) : errors(errors) {}

    int openFinds = 0;

    Handle findFirstGroup(CacheGroupId&) override {
        errors.value = 259;
        return 0;
    }
    bool findNextGroup(Handle, CacheGroupId&) override { return fail(259); }
    bool deleteGroup(CacheGroupId, std::uint32_t) override { return fail(2); }
    Handle findFirstEntry(void*, std::uint32_t&) override {
        errors.value = 259;
        return 0;
    }
    bool findNextEntry(Handle, void*, std::uint32_t&) override { return fail(259); }
    std::string entryUrl(const void*) override { return ""; }
    bool deleteEntry(const std::string&) override { return fail(2); }
    void closeFind(Handle) override { --openFinds; }

private:
    bool fail(std::uint32_t code) {
        errors.value = code;
        return false;
    }
    FakeLastError& errors;
};

}  // namespace tovrin::fakes
