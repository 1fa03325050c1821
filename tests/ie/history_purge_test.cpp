#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "fakes/transcript.h"
#include "ie/ie_repair.h"

namespace tovrin {
namespace {

using fakes::FakePlatform;
using fakes::transcriptIs;

const std::vector<std::string> HISTORY_LINES = {
    "NOTE: Currently, there is a bug that fails cleaning today's history",
    "      if there is any item from 'My Computer' or an intranet in the",
    "      today history. I'm looking for a workaround, however, for the",
    "      time being, you may want to check this by hand when done.",
    "Flushing History... done!",
};

struct HistoryCase {
    const char* name;
    std::int32_t coInitializeResult;
    std::int32_t createResult;
    std::int32_t clearResult;
    std::vector<std::string> calls;
};
void PrintTo(const HistoryCase& c, std::ostream* os) { *os << c.name; }

class HistoryPurgeTest : public ::testing::TestWithParam<HistoryCase> {};

TEST_P(HistoryPurgeTest, SameLinesWhateverHappensAndComPairedOnlyWithASuccessfulStart) {
    const HistoryCase& c = GetParam();
    FakePlatform fake;
    fake.urlHistory.coInitializeResult = c.coInitializeResult;
    fake.urlHistory.createResult = c.createResult;
    fake.urlHistory.clearResult = c.clearResult;
    purgeHistory();
    EXPECT_TRUE(transcriptIs(fake.transcript(), HISTORY_LINES));
    EXPECT_EQ(fake.urlHistory.log, c.calls);
    EXPECT_EQ(fake.urlHistory.liveObjects, 0);
    EXPECT_EQ(RunStatus, STATUS_RUNNING);
}

const std::int32_t CLASS_NOT_REGISTERED = static_cast<std::int32_t>(0x80040154u);
const std::int32_t CHANGED_MODE = static_cast<std::int32_t>(0x80010106u);
const std::int32_t NOT_IMPLEMENTED = static_cast<std::int32_t>(0x80004001u);

INSTANTIATE_TEST_SUITE_P(
    Outcomes, HistoryPurgeTest,
    ::testing::Values(
        HistoryCase{"Cleared", 1, 0, 0,
                    {"CoInitialize", "CoCreateInstance", "ClearHistory", "Release", "CoUninitialize"}},
        HistoryCase{"ClearFails", 0, 0, NOT_IMPLEMENTED,
                    {"CoInitialize", "CoCreateInstance", "ClearHistory", "Release", "CoUninitialize"}},
        HistoryCase{"ClassMissing", 1, CLASS_NOT_REGISTERED, 0, {"CoInitialize", "CoCreateInstance", "CoUninitialize"}},
        // A failed CoInitialize is not undone: that would undo the run's own OLE initialisation.
        HistoryCase{"ComStartFails", CHANGED_MODE, 0, 0,
                    {"CoInitialize", "CoCreateInstance", "ClearHistory", "Release"}}),
    [](const ::testing::TestParamInfo<HistoryCase>& info) { return info.param.name; });

}  // namespace
}  // namespace tovrin
