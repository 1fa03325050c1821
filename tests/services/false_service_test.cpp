#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "fakes/transcript.h"
#include "services/false_service.h"

namespace tovrin {
namespace {

using fakes::FakePlatform;
using fakes::transcriptIs;

const char* const NAME = "Network Client";
const char* const EXISTS = "The false 'Network Client' service exists!";
const char* const WILL_TRY = "Tovrin will now try to stop and delete the service.";
const char* const STOPPED = "The 'Network Client' service was stopped successfully.";
const char* const WILL_DELETE = "Tovrin will now attempt to delete it.";
const char* const DELETED = "Tovrin deleted the Network Client service succssfully.";
const char* const BY_HAND = "This will need to be done by hand, because this trojan service";

struct FalseServiceCase {
    const char* name;
    void (*arrange)(FakePlatform& fake);
    std::vector<std::string> lines;
    std::vector<std::string> controls;
    bool deleted;
};

const FalseServiceCase FALSE_SERVICE_CASES[] = {
    {"Absent", [](FakePlatform&) {}, {"The false 'Network Client' service does not exist."}, {}, false},
    {"RunningIsStoppedAndDeleted", [](FakePlatform& f) { f.services.services[NAME]; },
     {EXISTS, WILL_TRY, STOPPED, WILL_DELETE, DELETED}, {"stop Network Client", "delete Network Client"}, true},
    {"StoppedIsDeletedWithoutAControl",
     [](FakePlatform& f) { f.services.services[NAME].state = SERVICE_STATE_STOPPED; },
     {EXISTS, WILL_TRY, STOPPED, WILL_DELETE, DELETED}, {"delete Network Client"}, true},
    {"DependentStoppedFirst",
     [](FakePlatform& f) {
         f.services.services[NAME].dependents = {"helper"};
         f.services.services["helper"];
     },
     {EXISTS, WILL_TRY, STOPPED, WILL_DELETE, DELETED},
     {"stop helper", "stop Network Client", "delete Network Client"}, true},
    {"NeverStopsAndIsNotDeleted",
     [](FakePlatform& f) { f.services.services[NAME].stopReply = {SERVICE_STATE_STOP_PENDING, 0, 5000}; },
     {EXISTS, WILL_TRY, "The 'Network Client' service could not be stopped. ", BY_HAND,
      "stops Windows Update, antivirus software, and more.", "The error was: 1460"},
     {"stop Network Client"}, false},
    {"DeletionRefused", [](FakePlatform& f) { f.services.services[NAME].refusesDelete = true; },
     {EXISTS, WILL_TRY, STOPPED, WILL_DELETE, "Tovrin was unable to delete the false 'Network Client' service.",
      BY_HAND, "stops Windows Update, Antivirus Software, and more."},
     {"stop Network Client"}, false},
};

class FalseServiceTest : public ::testing::TestWithParam<FalseServiceCase> {};

TEST_P(FalseServiceTest, ReportsWhatItFoundAndDid) {
    const FalseServiceCase& c = GetParam();
    FakePlatform fake;
    c.arrange(fake);

    checkFalseService();

    EXPECT_TRUE(transcriptIs(fake.transcript(), c.lines));
    EXPECT_EQ(fake.services.log, c.controls);
    auto it = fake.services.services.find(NAME);
    EXPECT_EQ(it != fake.services.services.end() && it->second.deleted, c.deleted);
    EXPECT_EQ(fake.services.opens.front(), (std::pair<std::string, std::uint32_t>{NAME, 0x1002C}));
    EXPECT_TRUE(fake.services.openHandles.empty());
    EXPECT_EQ(fake.services.strayCloses, 0);
    EXPECT_EQ(fake.services.heapBlocks, 0);
    EXPECT_EQ(RunStatus, "0xF000");
}

INSTANTIATE_TEST_SUITE_P(Cases, FalseServiceTest, ::testing::ValuesIn(FALSE_SERVICE_CASES),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tovrin
