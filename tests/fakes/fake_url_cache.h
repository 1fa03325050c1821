#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fakes/fake_errors.h"

namespace tovrin::fakes {

// A scripted WinINet URL cache: groups, and entries with URLs and record sizes, enumerated the way WinINet
// does it. Empty unless a test fills it.
//
// - Successful calls leave the last-error value as it was (stale), as Windows does.
// - An entry is copied into the caller's buffer as a record whose URL pointer points into that buffer, so a
//   buffer that has moved or was never filled is caught: entryUrl then counts an invalid read.
// - Every enumeration handle must be closed once; `openFinds` and `faults` tell the test.
class FakeUrlCache final : public UrlCacheApi {
public:
    explicit FakeUrlCache(FakeLastError& errors) : errors(errors) {}

    struct Group {
        CacheGroupId id = 0;
        bool deletable = true;
        bool deleted = false;
    };
    struct Entry {
        std::string url;
        std::uint32_t recordSize = 0;  // bytes the entry's record needs; at least the record itself
        bool deletable = true;
        CacheGroupId group = 0;        // 0: in no group
        bool deleted = false;
    };

    std::vector<Group> groups;
    std::vector<Entry> entries;

    // Scripted behaviour.
    std::uint32_t undeletableGroupError = 5;    // ERROR_ACCESS_DENIED
    std::uint32_t undeletableEntryError = 32;   // ERROR_SHARING_VIOLATION
    bool firstGroupHandleWhenEmpty = false;     // FindFirstUrlCacheGroup on no groups: a handle, or none
    bool groupCallsSetLastError = true;         // false: group calls fail without setting it (Wine)
    std::uint32_t sizingQueryError = 0;         // not 0: the query without a buffer fails with this
    std::uint32_t bufferedFirstQueryError = 0;  // not 0: the first-entry query with a buffer fails with this
    std::map<int, std::uint32_t> nextEntryFailures;  // call number (from 1) -> error; the buffer is then garbage
    bool entryRecordGrowsAfterSizing = false;   // the first entry outgrows the size reported by the sizing query

    // What happened.
    std::set<Handle> openFinds;
    std::vector<std::string> faults;            // misuse: unknown handles, invalid buffer reads
    std::vector<std::uint32_t> groupDeleteFlags;
    std::vector<std::uint32_t> bufferSizes;     // the size handed with each buffer
    int nextEntryCalls = 0;
    int entryDeletes = 0;
    int groupDeletes = 0;

    void addGroup(CacheGroupId id, bool deletable = true) { groups.push_back(Group{id, deletable, false}); }
    void addEntry(const std::string& url, std::uint32_t recordSize = 0, bool deletable = true,
                  CacheGroupId group = 0) {
        entries.push_back(Entry{url, std::max(recordSize, minimumRecordSize(url)), deletable, group, false});
    }
    static std::uint32_t minimumRecordSize(const std::string& url) {
        return static_cast<std::uint32_t>(sizeof(Record) + url.size() + 1);
    }
    std::vector<std::string> remainingUrls() const {
        std::vector<std::string> urls;
        for (const Entry& e : entries) {
            if (!e.deleted) urls.push_back(e.url);
        }
        return urls;
    }
    int remainingGroups() const {
        return static_cast<int>(std::count_if(groups.begin(), groups.end(), [](const Group& g) { return !g.deleted; }));
    }

    Handle findFirstGroup(CacheGroupId& id) override {
        std::size_t first = nextLiveGroup(0);
        if (first == groups.size()) {
            setGroupError(259);
            if (!firstGroupHandleWhenEmpty) return 0;
            return open(Find{true, first});
        }
        id = groups[first].id;
        return open(Find{true, first});
    }
    bool findNextGroup(Handle find, CacheGroupId& id) override {
        auto it = finds.find(find);
        if (it == finds.end() || !it->second.groups) {
            // WinINet validates the handle; the fake does as Wine's stub does and leaves the last error.
            return false;
        }
        std::size_t next = nextLiveGroup(it->second.position + 1);
        if (next == groups.size()) return failGroup(259);
        it->second.position = next;
        id = groups[next].id;
        return true;
    }
    bool deleteGroup(CacheGroupId id, std::uint32_t flags) override {
        groupDeleteFlags.push_back(flags);
        auto it = std::find_if(groups.begin(), groups.end(),
                               [id](const Group& g) { return g.id == id && !g.deleted; });
        if (it == groups.end()) return failGroup(2);
        if (!it->deletable) return failGroup(undeletableGroupError);
        it->deleted = true;
        ++groupDeletes;
        if (flags & 2) {
            for (Entry& e : entries) {
                if (e.group == id) e.deleted = true;
            }
        }
        return true;
    }
    Handle findFirstEntry(void* buffer, std::uint32_t& size) override {
        if (buffer) bufferSizes.push_back(size);
        if (!buffer && sizingQueryError != 0) return fail(sizingQueryError), 0;
        if (buffer && bufferedFirstQueryError != 0) return fail(bufferedFirstQueryError), 0;
        std::size_t first = nextLiveEntry(0);
        if (first == entries.size()) return fail(259), 0;
        if (buffer && entryRecordGrowsAfterSizing) entries[first].recordSize += 64;
        if (!buffer || size < entries[first].recordSize) {
            size = entries[first].recordSize;
            return fail(122), 0;
        }
        write(first, buffer, size);
        return open(Find{false, first});
    }
    bool findNextEntry(Handle find, void* buffer, std::uint32_t& size) override {
        ++nextEntryCalls;
        bufferSizes.push_back(size);
        auto it = finds.find(find);
        if (it == finds.end() || it->second.groups) {
            faults.push_back("entry query on an unknown handle");
            return fail(6);
        }
        auto scripted = nextEntryFailures.find(nextEntryCalls);
        if (scripted != nextEntryFailures.end()) {
            if (buffer) std::memset(buffer, 0xCD, size);
            filled = nullptr;
            return fail(scripted->second);
        }
        std::size_t next = nextLiveEntry(it->second.position + 1);
        if (next == entries.size()) return fail(259);
        if (size < entries[next].recordSize) {
            size = entries[next].recordSize;
            return fail(122);
        }
        write(next, buffer, size);
        it->second.position = next;
        return true;
    }
    std::string entryUrl(const void* buffer) override {
        if (buffer == nullptr || buffer != filled) {
            faults.push_back("read of a buffer that holds no entry");
            return "";
        }
        const Record* record = static_cast<const Record*>(buffer);
        if (record->magic != RECORD_MAGIC) {
            faults.push_back("read of a damaged entry record");
            return "";
        }
        return record->url;
    }
    bool deleteEntry(const std::string& url) override {
        Entry* entry = liveEntry(url);
        if (!entry) return fail(2);
        if (!entry->deletable) return fail(undeletableEntryError);
        entry->deleted = true;
        ++entryDeletes;
        return true;
    }
    void closeFind(Handle find) override {
        if (finds.erase(find) == 0) {
            faults.push_back("close of a handle not open");
            return;
        }
        openFinds.erase(find);
    }

private:
    static constexpr std::uint32_t RECORD_MAGIC = 0x454E5452;
    struct Record {
        std::uint32_t magic;
        const char* url;  // into the same buffer, as lpszSourceUrlName
    };
    struct Find {
        bool groups;
        std::size_t position;
    };

    std::size_t nextLiveGroup(std::size_t from) const {
        while (from < groups.size() && groups[from].deleted) ++from;
        return std::min(from, groups.size());
    }
    // By URL through an index, so that a cache of tens of thousands of entries stays quick.
    Entry* liveEntry(const std::string& url) {
        if (indexed != entries.size()) {
            byUrl.clear();
            for (std::size_t i = 0; i < entries.size(); ++i) byUrl.emplace(entries[i].url, i);
            indexed = entries.size();
        }
        auto range = byUrl.equal_range(url);
        for (auto it = range.first; it != range.second; ++it) {
            if (!entries[it->second].deleted) return &entries[it->second];
        }
        return nullptr;
    }
    std::size_t nextLiveEntry(std::size_t from) const {
        while (from < entries.size() && entries[from].deleted) ++from;
        return std::min(from, entries.size());
    }
    // WinINet may use the whole buffer it is given; the record goes at its start.
    void write(std::size_t index, void* buffer, std::uint32_t& size) {
        std::memset(buffer, 0, size);
        char* bytes = static_cast<char*>(buffer);
        char* url = bytes + sizeof(Record);
        std::memcpy(url, entries[index].url.c_str(), entries[index].url.size() + 1);
        Record record{RECORD_MAGIC, url};
        std::memcpy(bytes, &record, sizeof record);
        size = entries[index].recordSize;
        filled = buffer;
    }
    Handle open(Find find) {
        Handle h = nextHandle++;
        finds[h] = find;
        openFinds.insert(h);
        return h;
    }
    bool fail(std::uint32_t code) {
        errors.value = code;
        return false;
    }
    bool failGroup(std::uint32_t code) {
        setGroupError(code);
        return false;
    }
    void setGroupError(std::uint32_t code) {
        if (groupCallsSetLastError) errors.value = code;
    }

    FakeLastError& errors;
    Handle nextHandle = 0xCA0001;
    std::map<Handle, Find> finds;
    const void* filled = nullptr;  // the buffer that holds the last entry written
    std::multimap<std::string, std::size_t> byUrl;
    std::size_t indexed = 0;
};

}  // namespace tovrin::fakes
