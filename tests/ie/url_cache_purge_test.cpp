#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "fakes/transcript.h"
#include "ie/ie_repair.h"

namespace tovrin {
namespace {

using fakes::FakePlatform;
using fakes::transcriptIs;

const std::string PROGRESS = "Flushing IE Temporary Internet Files...";
const std::string CLEANER_LINE = "An alternative is to try running CCleaner from http://www.ccleaner.com.";
const std::vector<std::string> TIMEOUT_LINES = {
    "Error 0x3101: Unable to clean Temporary Internet Files.",
    "This is a timeout error; we had tried to delete a large number of objects.",
    "This error is nonfatal, but this step should be completed.",
    CLEANER_LINE,
};

std::vector<std::string> withTimeout(const std::string& firstLine) {
    std::vector<std::string> lines{firstLine};
    lines.insert(lines.end(), TIMEOUT_LINES.begin(), TIMEOUT_LINES.end());
    return lines;
}

std::vector<std::string> failureReport(std::uint32_t code) {
    return {PROGRESS + "failed to clean orphaned objects!",
            "Error 0x3101: Unable to clean Temporary Internet Files.",
            "The error code reported was: " + std::to_string(code),
            "This error is nonfatal, but this step should be completed.",
            CLEANER_LINE};
}

// Every enumeration handle closed once, and no read of a buffer that held no entry.
void expectReleased(const FakePlatform& fake) {
    EXPECT_TRUE(fake.urlCache.openFinds.empty()) << fake.urlCache.openFinds.size() << " enumeration(s) left open";
    EXPECT_TRUE(fake.urlCache.faults.empty()) << fake.urlCache.faults.front();
}

std::string entryUrl(int i) { return "http://example.com/" + std::to_string(i); }

TEST(UrlCachePurgeTest, EmptyCacheIsDoneWithoutABuffer) {
    FakePlatform fake;
    purgeTemporaryInternetFiles();
    EXPECT_TRUE(transcriptIs(fake.transcript(), {PROGRESS + " done!"}));
    EXPECT_TRUE(fake.urlCache.bufferSizes.empty());
    expectReleased(fake);
}

TEST(UrlCachePurgeTest, GroupsGoWithTheirEntriesThenLooseEntriesOneByOne) {
    FakePlatform fake;
    fake.urlCache.addGroup(71);
    fake.urlCache.addGroup(72);
    fake.urlCache.addEntry("http://a/grouped", 0, true, 71);
    fake.urlCache.addEntry("http://a/loose-1");
    fake.urlCache.addEntry("http://a/loose-2");
    purgeTemporaryInternetFiles();
    EXPECT_TRUE(transcriptIs(fake.transcript(), {PROGRESS + " done!"}));
    EXPECT_EQ(fake.urlCache.remainingGroups(), 0);
    EXPECT_TRUE(fake.urlCache.remainingUrls().empty());
    EXPECT_EQ(fake.urlCache.groupDeletes, 2);
    EXPECT_EQ(fake.urlCache.entryDeletes, 2);  // the grouped entry went with its group
    for (std::uint32_t flags : fake.urlCache.groupDeleteFlags) EXPECT_EQ(flags, 2u);
    expectReleased(fake);
}

TEST(UrlCachePurgeTest, AHandleWithNoMoreGroupsEndsThePurgeAtOnce) {
    FakePlatform fake;
    fake.urlCache.firstGroupHandleWhenEmpty = true;
    fake.urlCache.addEntry("http://a/stays");
    purgeTemporaryInternetFiles();
    EXPECT_TRUE(transcriptIs(fake.transcript(), {PROGRESS + " done!"}));
    EXPECT_EQ(fake.urlCache.remainingUrls().size(), 1u);  // the entry pass does not run
    expectReleased(fake);
}

struct StuckGroupCase {
    const char* name;
    bool deletable;
    bool groupCallsSetLastError;  // false: Wine's stubs, which leave the last error as it was (0 here)
};
void PrintTo(const StuckGroupCase& c, std::ostream* os) { *os << c.name; }

class StuckGroupTest : public ::testing::TestWithParam<StuckGroupCase> {};

TEST_P(StuckGroupTest, FiveDotsThenTheGroupFailureAndTheTimeoutReport) {
    FakePlatform fake;
    fake.urlCache.addGroup(9, GetParam().deletable);
    fake.urlCache.groupCallsSetLastError = GetParam().groupCallsSetLastError;
    fake.urlCache.addEntry("http://a/loose");
    purgeTemporaryInternetFiles();
    EXPECT_TRUE(transcriptIs(fake.transcript(), withTimeout(PROGRESS + ".....failed to clean properly grouped objects!")));
    EXPECT_EQ(fake.urlCache.groupDeleteFlags.size(), 49999u);
    EXPECT_TRUE(fake.urlCache.bufferSizes.empty());  // the entry pass does not run
    EXPECT_EQ(fake.urlCache.remainingUrls().size(), 1u);
    EXPECT_EQ(RunStatus, STATUS_RUNNING);
    expectReleased(fake);
}

INSTANTIATE_TEST_SUITE_P(Groups, StuckGroupTest,
                         ::testing::Values(StuckGroupCase{"Undeletable", false, true},
                                           StuckGroupCase{"StaleLastError", false, false}),
                         [](const ::testing::TestParamInfo<StuckGroupCase>& info) { return info.param.name; });

TEST(UrlCachePurgeTest, BufferGrowsToEachLargerRecordAndTheWalkGoesOn) {
    FakePlatform fake;
    const std::uint32_t sizes[] = {100, 100, 300, 200, 500, 120};
    for (int i = 0; i < 6; ++i) fake.urlCache.addEntry(entryUrl(i), sizes[i]);
    purgeTemporaryInternetFiles();
    EXPECT_TRUE(transcriptIs(fake.transcript(), {PROGRESS + " done!"}));
    EXPECT_TRUE(fake.urlCache.remainingUrls().empty());
    // The first-entry query, then each next-entry query; 300 and 500 each fail once on the smaller buffer.
    EXPECT_EQ(fake.urlCache.bufferSizes,
              (std::vector<std::uint32_t>{100, 100, 100, 300, 300, 300, 500, 500, 500}));
    expectReleased(fake);
}

TEST(UrlCachePurgeTest, EntryThatNeverDeletesIsPassedOver) {
    FakePlatform fake;
    fake.urlCache.addEntry(entryUrl(1));
    fake.urlCache.addEntry(entryUrl(2), 0, false);
    fake.urlCache.addEntry(entryUrl(3));
    purgeTemporaryInternetFiles();
    EXPECT_TRUE(transcriptIs(fake.transcript(), {PROGRESS + " done!"}));
    EXPECT_EQ(fake.urlCache.remainingUrls(), std::vector<std::string>{entryUrl(2)});
    expectReleased(fake);
}

struct EntryCountCase {
    int entries;
    std::vector<std::string> lines;
};
void PrintTo(const EntryCountCase& c, std::ostream* os) { *os << c.entries << " entries"; }

class EntryCountTest : public ::testing::TestWithParam<EntryCountCase> {};

// n entries take 2n - 1 counted iterations: a dot at each 10000th, the timeout when the counter reaches 50000.
TEST_P(EntryCountTest, DotsAndLimitFollowTheIterationCounter) {
    FakePlatform fake;
    for (int i = 0; i < GetParam().entries; ++i) fake.urlCache.addEntry(entryUrl(i));
    purgeTemporaryInternetFiles();
    EXPECT_TRUE(transcriptIs(fake.transcript(), GetParam().lines));
    EXPECT_TRUE(fake.urlCache.remainingUrls().empty());
    expectReleased(fake);
}

INSTANTIATE_TEST_SUITE_P(Limits, EntryCountTest,
                         ::testing::Values(EntryCountCase{4999, {PROGRESS + " done!"}},
                                           EntryCountCase{5000, {PROGRESS + ". done!"}},
                                           EntryCountCase{24999, {PROGRESS + ".... done!"}},
                                           EntryCountCase{25000, withTimeout(PROGRESS + ".....failed to clean "
                                                                                        "orphaned objects!")}),
                         [](const ::testing::TestParamInfo<EntryCountCase>& info) {
                             return "Entries" + std::to_string(info.param.entries);
                         });

TEST(UrlCachePurgeTest, SizingQueryFailingForAnotherReasonIsReportedAndNothingIsOpened) {
    FakePlatform fake;
    fake.urlCache.addEntry(entryUrl(1));
    fake.urlCache.sizingQueryError = 5;
    purgeTemporaryInternetFiles();
    EXPECT_TRUE(transcriptIs(fake.transcript(), failureReport(5)));
    EXPECT_TRUE(fake.urlCache.bufferSizes.empty());
    EXPECT_EQ(fake.urlCache.remainingUrls().size(), 1u);
    EXPECT_EQ(RunStatus, STATUS_RUNNING);
    expectReleased(fake);
}

struct FirstQueryCase {
    const char* name;
    std::uint32_t error;
    bool recordGrows;
    std::uint32_t reported;
};
void PrintTo(const FirstQueryCase& c, std::ostream* os) { *os << c.name; }

class BufferedFirstQueryTest : public ::testing::TestWithParam<FirstQueryCase> {};

TEST_P(BufferedFirstQueryTest, FailureLeavesNoEntryToReadAndIsReported) {
    FakePlatform fake;
    fake.urlCache.addEntry(entryUrl(1), 200);
    fake.urlCache.bufferedFirstQueryError = GetParam().error;
    fake.urlCache.entryRecordGrowsAfterSizing = GetParam().recordGrows;
    purgeTemporaryInternetFiles();
    EXPECT_TRUE(transcriptIs(fake.transcript(), failureReport(GetParam().reported)));
    EXPECT_EQ(fake.urlCache.remainingUrls().size(), 1u);
    EXPECT_EQ(fake.urlCache.nextEntryCalls, 0);
    expectReleased(fake);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, BufferedFirstQueryTest,
    ::testing::Values(FirstQueryCase{"AccessDenied", 5, false, 5}, FirstQueryCase{"EntryOutgrewTheSize", 0, true, 122}),
    [](const ::testing::TestParamInfo<FirstQueryCase>& info) { return info.param.name; });

TEST(UrlCachePurgeTest, LastEntryGoneBetweenTheTwoFirstQueriesIsDone) {
    FakePlatform fake;
    fake.urlCache.addEntry(entryUrl(1));
    fake.urlCache.bufferedFirstQueryError = 259;
    purgeTemporaryInternetFiles();
    EXPECT_TRUE(transcriptIs(fake.transcript(), {PROGRESS + " done!"}));
    expectReleased(fake);
}

TEST(UrlCachePurgeTest, FailedQueryAfterGrowingIsRetriedWithoutReadingTheBuffer) {
    FakePlatform fake;
    fake.urlCache.addEntry(entryUrl(1), 100);
    fake.urlCache.addEntry(entryUrl(2), 500);
    fake.urlCache.addEntry(entryUrl(3), 100);
    fake.urlCache.nextEntryFailures[2] = 5;  // the query repeated on the grown buffer
    purgeTemporaryInternetFiles();
    EXPECT_TRUE(transcriptIs(fake.transcript(), {PROGRESS + " done!"}));
    EXPECT_TRUE(fake.urlCache.remainingUrls().empty());
    expectReleased(fake);
}

TEST(UrlCachePurgeTest, RecordTooLargeToAllocateEndsThePassWithItsHandleClosed) {
    FakePlatform fake;
    fake.urlCache.addEntry(entryUrl(1), 100);
    fake.urlCache.addEntry(entryUrl(2), 0x7FFFFFF0u);
    fake.urlCache.addEntry(entryUrl(3), 100);
    purgeTemporaryInternetFiles();
    EXPECT_TRUE(transcriptIs(fake.transcript(), failureReport(8)));
    EXPECT_EQ(fake.urlCache.remainingUrls(), (std::vector<std::string>{entryUrl(2), entryUrl(3)}));
    expectReleased(fake);
}

TEST(UrlCachePurgeTest, FirstRecordTooLargeToAllocateIsReportedBeforeAnyBufferedQuery) {
    FakePlatform fake;
    fake.urlCache.addEntry(entryUrl(1), 0xFFFFFFF0u);
    purgeTemporaryInternetFiles();
    EXPECT_TRUE(transcriptIs(fake.transcript(), failureReport(8)));
    EXPECT_TRUE(fake.urlCache.bufferSizes.empty());
    expectReleased(fake);
}

}  // namespace
}  // namespace tovrin
