#pragma once

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "fakes/fake_errors.h"

namespace tovrin::fakes {

// A registry of keys with raw values. Values are raw bytes; setNumber stores a 4-byte little-endian DWORD.
class FakeRegistry final : public RegistryApi {
public:
    explicit FakeRegistry(FakeLastError& errors) : errors(errors) {}

    using KeyName = std::pair<RegistryRoot, std::string>;
    std::map<KeyName, std::map<std::string, std::vector<std::uint8_t>>> keys;
    std::map<std::tuple<RegistryRoot, std::string, std::string>, std::uint32_t> readFailures;    // code to fail with
    std::map<std::tuple<RegistryRoot, std::string, std::string>, std::uint32_t> deleteFailures;  // code to fail with
    std::vector<std::string> deleted;      // "path\name"
    std::vector<std::string> numberReads;  // "path\name", every getNumberValue call
    std::set<Handle> openKeys;

    void addKey(RegistryRoot root, const std::string& path) { keys[{root, path}]; }
    void setBytes(RegistryRoot root, const std::string& path, const std::string& name,
                  std::vector<std::uint8_t> bytes) {
        keys[{root, path}][name] = std::move(bytes);
    }
    void setNumber(RegistryRoot root, const std::string& path, const std::string& name, std::uint32_t number) {
        setBytes(root, path, name,
                 {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
                  static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)});
    }
    bool hasValue(RegistryRoot root, const std::string& path, const std::string& name) const {
        auto key = keys.find({root, path});
        return key != keys.end() && key->second.count(name) != 0;
    }

    std::uint32_t openKeyForQuery(RegistryRoot root, const std::string& path, Handle& key) override {
        auto it = keys.find({root, path});
        if (it == keys.end()) return 2;
        key = nextHandle++;
        opened[key] = it->first;
        openKeys.insert(key);
        return 0;
    }
    std::uint32_t queryValue(Handle key, const std::string& name, std::uint8_t* buffer,
                             std::uint32_t& size) override {
        auto open = opened.find(key);
        if (open == opened.end() || !openKeys.count(key)) return 6;
        const auto& values = keys[open->second];
        auto value = values.find(name);
        if (value == values.end()) return 2;
        const std::uint32_t length = static_cast<std::uint32_t>(value->second.size());
        if (buffer && length <= size) {
            std::copy(value->second.begin(), value->second.end(), buffer);
            size = length;
            return 0;
        }
        size = length;
        return buffer ? 234 : 0;
    }
    void closeKey(Handle key) override { openKeys.erase(key); }
    // Like SHGetValueA: only the value's own bytes are copied, so a value shorter than the number leaves the
    // number's other bytes as the caller had them. A value longer than `size` fails with 234 and leaves the
    // buffer undefined: here it gets the value's first bytes, so a caller that trusts it is caught.
    std::uint32_t getNumberValue(RegistryRoot root, const std::string& path, const std::string& name,
                                 std::uint32_t& number, std::uint32_t& size) override {
        numberReads.push_back(path + "\\" + name);
        auto failure = readFailures.find({root, path, name});
        if (failure != readFailures.end()) return failure->second;
        if (!hasValue(root, path, name)) return 2;
        const auto& bytes = keys[{root, path}][name];
        const std::size_t room = std::min<std::size_t>(size, sizeof number);
        for (std::size_t i = 0; i < bytes.size() && i < room; ++i) {
            const std::uint32_t shift = static_cast<std::uint32_t>(8 * i);
            number = (number & ~(0xFFu << shift)) | (static_cast<std::uint32_t>(bytes[i]) << shift);
        }
        const bool fits = bytes.size() <= room;
        size = static_cast<std::uint32_t>(bytes.size());
        return fits ? 0 : 234;
    }
    std::uint32_t deleteValue(RegistryRoot root, const std::string& path, const std::string& name) override {
        auto failure = deleteFailures.find({root, path, name});
        if (failure != deleteFailures.end()) return failure->second;
        if (!hasValue(root, path, name)) return 2;
        keys[{root, path}].erase(name);
        deleted.push_back(path + "\\" + name);
        return 0;
    }

private:
    FakeLastError& errors;
    Handle nextHandle = 0x100;
    std::map<Handle, KeyName> opened;
};

}  // namespace tovrin::fakes
