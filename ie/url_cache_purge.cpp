#include <cstdint>
#include <new>
#include <stdexcept>
#include <vector>

#include "ie/ie_repair.h"
#include "platform/platform.h"
#include "run/console_out.h"
#include "run/run_status.h"

namespace tovrin {

namespace {

constexpr std::uint32_t ERROR_FILE_NOT_FOUND_CODE = 2;
constexpr std::uint32_t ERROR_NOT_ENOUGH_MEMORY_CODE = 8;
constexpr std::uint32_t ERROR_INSUFFICIENT_BUFFER_CODE = 122;
constexpr std::uint32_t ERROR_NO_MORE_ITEMS_CODE = 259;
constexpr std::uint32_t FLUSH_URLS_ON_DELETE = 2;  // CACHEGROUP_FLAG_FLUSHURL_ONDELETE

constexpr int PASS_LIMIT = 50000;
constexpr int DOT_EVERY = 10000;
// No cache entry record comes near this; a larger size asked for is treated as memory that cannot be had.
constexpr std::uint32_t LARGEST_ENTRY_RECORD = 1024 * 1024;

enum class PassEnd { Done, TimedOut, Failed };

struct PassResult {
    PassEnd end;
    std::uint32_t errorCode;  // for Failed
};

// Counts one iteration of a pass and prints its progress dot. True when the pass has reached its limit.
bool countIteration(int& counter) {
    ++counter;
    if (counter % DOT_EVERY == 0) printText(".", false);
    return counter >= PASS_LIMIT;
}

PassResult deleteGroups(UrlCacheApi& cache, ErrorApi& errors, Handle find, CacheGroupId group) {
    int counter = 1;
    for (;;) {
        if (!cache.deleteGroup(group, FLUSH_URLS_ON_DELETE)) {
            // A successful delete leaves the identifier in place: deleting it again fails and moves on.
            std::uint32_t error = errors.lastError();
            bool advanced = false;
            if (error == ERROR_FILE_NOT_FOUND_CODE) {
                advanced = cache.findNextGroup(find, group);
                if (!advanced) error = errors.lastError();
            }
            if (!advanced && (error == ERROR_NO_MORE_ITEMS_CODE || error == ERROR_FILE_NOT_FOUND_CODE)) {
                return {PassEnd::Done, 0};
            }
        }
        if (countIteration(counter)) {
            printText("failed to clean properly grouped objects!", true);
            return {PassEnd::TimedOut, 0};
        }
    }
}

// Resizes the entry buffer; false when the memory cannot be had.
bool sizeBuffer(std::vector<std::uint8_t>& buffer, std::uint32_t bytes) {
    if (bytes > LARGEST_ENTRY_RECORD) return false;
    try {
        buffer.resize(bytes);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    return true;
}

// Walks the entries with the enumeration `find` (already holding its first entry in `buffer`).
PassResult deleteEntries(UrlCacheApi& cache, ErrorApi& errors, Handle find, std::vector<std::uint8_t>& buffer) {
    // The buffer holds an entry only after a query that succeeded into it: a failed query may leave it
    // half written, and a grown buffer's record points into the old block.
    bool holdsEntry = true;
    std::uint32_t currentSize = static_cast<std::uint32_t>(buffer.size());
    int counter = 1;
    for (;;) {
        std::uint32_t size = currentSize;
        // After a successful delete the same entry stays in the buffer: deleting it again fails and moves on.
        if (!holdsEntry || !cache.deleteEntry(cache.entryUrl(buffer.data()))) {
            holdsEntry = cache.findNextEntry(find, buffer.data(), size);
            if (!holdsEntry) {
                if (errors.lastError() == ERROR_NO_MORE_ITEMS_CODE) return {PassEnd::Done, 0};
                if (size > currentSize) {
                    if (!sizeBuffer(buffer, size)) return {PassEnd::Failed, ERROR_NOT_ENOUGH_MEMORY_CODE};
                    currentSize = size;
                    holdsEntry = cache.findNextEntry(find, buffer.data(), size);
                }
            }
        }
        if (countIteration(counter)) {
            printText("failed to clean orphaned objects!", true);
            return {PassEnd::TimedOut, 0};
        }
    }
}

PassResult purgeEntries(UrlCacheApi& cache, ErrorApi& errors) {
    std::uint32_t size = 0;
    Handle find = cache.findFirstEntry(nullptr, size);
    std::uint32_t error = errors.lastError();
    // No entry can come back without a buffer; should a handle come all the same, it is not leaked.
    if (find != 0) cache.closeFind(find);
    if (error == ERROR_NO_MORE_ITEMS_CODE) return {PassEnd::Done, 0};
    if (error != ERROR_INSUFFICIENT_BUFFER_CODE) return {PassEnd::Failed, error};
    std::vector<std::uint8_t> buffer;
    if (!sizeBuffer(buffer, size)) return {PassEnd::Failed, ERROR_NOT_ENOUGH_MEMORY_CODE};
    find = cache.findFirstEntry(buffer.data(), size);
    if (find == 0) {
        error = errors.lastError();
        // The last entry went between the two queries.
        if (error == ERROR_NO_MORE_ITEMS_CODE) return {PassEnd::Done, 0};
        return {PassEnd::Failed, error};
    }
    const PassResult result = deleteEntries(cache, errors, find, buffer);
    cache.closeFind(find);
    return result;
}

void printCleanerAdvice() {
    printText("This error is nonfatal, but this step should be completed.", true);
    printText(std::string("An alternative is to try running CCleaner from ") + CleanerAddress + ".", true);
}

void printVerdict(const PassResult& result) {
    switch (result.end) {
    case PassEnd::Done:
        printText(" done!", true);
        return;
    case PassEnd::TimedOut:
        printText("Error 0x3101: Unable to clean Temporary Internet Files.", true);
        printText("This is a timeout error; we had tried to delete a large number of objects.", true);
        printCleanerAdvice();
        return;
    case PassEnd::Failed:
        printText("failed to clean orphaned objects!", true);
        printText("Error 0x3101: Unable to clean Temporary Internet Files.", true);
        printText("The error code reported was: ", false);
        printNumber(result.errorCode, true);
        printCleanerAdvice();
        return;
    }
}

}  // namespace

void purgeTemporaryInternetFiles() {
    printText("Flushing IE Temporary Internet Files...", false);
    UrlCacheApi& cache = *platform().urlCache;
    ErrorApi& errors = *platform().errors;
    CacheGroupId group = 0;
    const Handle groupFind = cache.findFirstGroup(group);
    if (groupFind != 0 && errors.lastError() == ERROR_NO_MORE_ITEMS_CODE) {
        // No groups: the entry pass does not run either.
        cache.closeFind(groupFind);
        printVerdict({PassEnd::Done, 0});
        return;
    }
    PassResult result = deleteGroups(cache, errors, groupFind, group);
    if (groupFind != 0) cache.closeFind(groupFind);
    if (result.end == PassEnd::Done) result = purgeEntries(cache, errors);
    printVerdict(result);
}

}  // namespace tovrin
