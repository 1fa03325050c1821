#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "fakes/transcript.h"
#include "services/service_control.h"

namespace tovrin {
namespace {

using fakes::FakePlatform;
using fakes::FakeServices;
using fakes::transcriptIs;

constexpr std::uint32_t STOPPED = SERVICE_STATE_STOPPED;
constexpr std::uint32_t START_PENDING = SERVICE_STATE_START_PENDING;
constexpr std::uint32_t STOP_PENDING = SERVICE_STATE_STOP_PENDING;
constexpr std::uint32_t RUNNING = SERVICE_STATE_RUNNING;

using Lines = std::vector<std::string>;
using Sleeps = std::vector<std::uint32_t>;

FakeServices::Service& service(FakePlatform& fake, const std::string& name) { return fake.services.services[name]; }

// Every operation closes the handles it opened and frees the heap blocks it took.
void expectNothingLeftOpen(const FakePlatform& fake) {
    EXPECT_TRUE(fake.services.openHandles.empty());
    EXPECT_EQ(fake.services.heapBlocks, 0);
    EXPECT_EQ(fake.services.strayCloses, 0);
    EXPECT_EQ(fake.services.strayFrees, 0);
}

const std::string STOPPING = "Stopping the Automatic Updates service...";
const Lines STOPPED_LINE = {STOPPING + " done!"};

Lines notStopped(const std::string& code) {
    return {STOPPING, "The wuauserv service could not be stopped. ", "The error was: " + code};
}

struct StopCase {
    const char* name;
    void (*arrange)(FakePlatform& fake);
    Lines lines;
    std::vector<std::string> controls;
    Sleeps sleeps;
};

void twoDependents(FakePlatform& fake) {
    service(fake, "wuauserv").dependents = {"depA", "depC", "depB"};
    service(fake, "depA");
    service(fake, "depB");
    service(fake, "depC").state = STOPPED;  // not active: not enumerated
}

const StopCase STOP_CASES[] = {
    {"RunningStopsAtOnce", [](FakePlatform&) {}, STOPPED_LINE, {"stop wuauserv"}, {}},
    {"AlreadyStoppedGetsNoControl", [](FakePlatform& f) { service(f, "wuauserv").state = STOPPED; }, STOPPED_LINE,
     {}, {}},
    {"StopPendingReachesStoppedWithoutAControl",
     [](FakePlatform& f) {
         auto& s = service(f, "wuauserv");
         s.state = STOP_PENDING;
         s.replies = {{STOP_PENDING, 1, 2000}, {STOP_PENDING, 2, 2000}, {STOPPED, 0, 0}};
     },
     STOPPED_LINE, {}, {2000, 2000}},
    {"StopPendingThatTurnsBackToRunningIsSentAStop",
     [](FakePlatform& f) {
         auto& s = service(f, "wuauserv");
         s.replies = {{STOP_PENDING, 0, 100}, {RUNNING, 0, 0}};
     },
     STOPPED_LINE, {"stop wuauserv"}, {100}},
    {"PendingAfterTheControlIsWaitedFor",
     [](FakePlatform& f) {
         auto& s = service(f, "wuauserv");
         s.stopReply = {STOP_PENDING, 0, 400};
         s.replies = {{RUNNING, 0, 0}, {STOP_PENDING, 1, 400}, {STOPPED, 0, 0}};
     },
     STOPPED_LINE, {"stop wuauserv"}, {400, 400}},
    {"ActiveDependentsFirstInEnumerationOrder",
     [](FakePlatform& f) {
         twoDependents(f);
         service(f, "depB").stopReply = {STOP_PENDING, 0, 300};
         service(f, "depB").replies = {{STOPPED, 0, 0}};
     },
     STOPPED_LINE, {"stop depA", "stop depB", "stop wuauserv"}, {300}},
    {"DependentThatCannotBeOpened",
     [](FakePlatform& f) {
         twoDependents(f);
         service(f, "depB").openError = 5;
     },
     notStopped("5"), {"stop depA"}, {}},
    {"DependentThatRefusesTheStop",
     [](FakePlatform& f) {
         twoDependents(f);
         service(f, "depA").refusesStop = true;
         service(f, "depA").stopError = 1051;
     },
     notStopped("1051"), {}, {}},
    {"DependentStatusQueryFails",
     [](FakePlatform& f) {
         twoDependents(f);
         service(f, "depA").stopReply = {STOP_PENDING, 0, 50};
         service(f, "depA").queryError = 6;
     },
     notStopped("6"), {"stop depA"}, {50}},
    {"DependentsShareTheOneThirtySecondLimit",
     [](FakePlatform& f) {
         twoDependents(f);
         auto& a = service(f, "depA");
         a.stopReply = {STOP_PENDING, 0, 10000};
         a.replies = {{STOP_PENDING, 1, 10000}, {STOPPED, 0, 0}};  // stopped after 20 s
         service(f, "depB").stopReply = {STOP_PENDING, 0, 10000};    // never stops
     },
     notStopped("1460"), {"stop depA", "stop depB"}, {10000, 10000, 10000, 10000}},
    {"PassesThirtySeconds", [](FakePlatform& f) { service(f, "wuauserv").stopReply = {STOP_PENDING, 0, 5000}; },
     notStopped("1460"), {"stop wuauserv"}, Sleeps(7, 5000)},
    {"ExactlyThirtySecondsHasNotPassed",
     [](FakePlatform& f) {
         auto& s = service(f, "wuauserv");
         s.stopReply = {STOP_PENDING, 0, 10000};
         s.replies = {{RUNNING, 0, 0}, {STOP_PENDING, 1, 10000}, {STOP_PENDING, 2, 10000}, {STOP_PENDING, 3, 10000},
                      {STOPPED, 0, 0}};
     },
     STOPPED_LINE, {"stop wuauserv"}, Sleeps(4, 10000)},
    {"WaitHintZeroPollsWithoutPausing",
     [](FakePlatform& f) {
         auto& s = service(f, "wuauserv");
         s.stopReply = {STOP_PENDING, 0, 0};
         s.replies = {{RUNNING, 0, 0}, {STOP_PENDING, 0, 0}, {STOP_PENDING, 0, 0}, {STOPPED, 0, 0}};
     },
     STOPPED_LINE, {"stop wuauserv"}, {0, 0, 0}},
    {"WaitHintZeroGivesUpAfterThirtySeconds",
     [](FakePlatform& f) {
         f.clock.tickPerRead = 7;  // each poll sees 7 ms pass: 7 * 4286 is the first count above 30000
         service(f, "wuauserv").stopReply = {STOP_PENDING, 0, 0};
     },
     notStopped("1460"), {"stop wuauserv"}, Sleeps(4286, 0)},
    {"TickCountWrapsDuringTheWait",
     [](FakePlatform& f) {
         f.clock.tick = 0xFFFFF000u;  // wraps 4096 ms into a 10-second wait
         auto& s = service(f, "wuauserv");
         s.state = STOP_PENDING;
         for (std::uint32_t i = 0; i < 10; ++i) s.replies.push_back({STOP_PENDING, i, 1000});
         s.replies.push_back({STOPPED, 0, 0});
     },
     STOPPED_LINE, {}, Sleeps(10, 1000)},
    {"UnknownService", [](FakePlatform& f) { f.services.services.erase("wuauserv"); },
     {STOPPING + " ... it does not exist."}, {}, {}},
    {"ManagerCannotBeOpened", [](FakePlatform& f) { f.services.managerOpens = false; },
     {STOPPING + " ... it does not exist."}, {}, {}},
    {"StopRefused", [](FakePlatform& f) { service(f, "wuauserv").refusesStop = true; }, notStopped("1052"), {}, {}},
    {"FirstQueryFailureCountsAsStopped", [](FakePlatform& f) { service(f, "wuauserv").queryError = 5; },
     STOPPED_LINE, {}, {}},
    {"QueryFailsWhileStopPending",
     [](FakePlatform& f) {
         auto& s = service(f, "wuauserv");
         s.replies = {{STOP_PENDING, 0, 100}};
         s.queryError = 6;
     },
     notStopped("6"), {}, {100}},
    {"QueryFailsAfterTheControl",
     [](FakePlatform& f) {
         auto& s = service(f, "wuauserv");
         s.stopReply = {STOP_PENDING, 0, 250};
         s.replies = {{RUNNING, 0, 0}};
         s.queryError = 1053;
     },
     notStopped("1053"), {"stop wuauserv"}, {250}},
    {"DependentsCannotBeCounted", [](FakePlatform& f) { service(f, "wuauserv").sizingError = 5; }, notStopped("5"),
     {}, {}},
    {"DependentsCannotBeListed",
     [](FakePlatform& f) {
         twoDependents(f);
         service(f, "wuauserv").fillingError = 234;  // another dependent started in between
     },
     notStopped("234"), {}, {}},
    {"HeapExhausted",
     [](FakePlatform& f) {
         twoDependents(f);
         f.services.heapFails = true;  // HeapAlloc leaves the sizing call's 234 as the last error
     },
     notStopped("234"), {}, {}},
};

class StopServiceTest : public ::testing::TestWithParam<StopCase> {};

TEST_P(StopServiceTest, PrintsOneOutcomeAndLeavesNothingOpen) {
    const StopCase& c = GetParam();
    FakePlatform fake;
    c.arrange(fake);

    stopService("wuauserv", "Automatic Updates");

    EXPECT_TRUE(transcriptIs(fake.transcript(), c.lines));
    EXPECT_EQ(fake.services.log, c.controls);
    EXPECT_EQ(fake.clock.sleeps, c.sleeps);
    expectNothingLeftOpen(fake);
}

INSTANTIATE_TEST_SUITE_P(Cases, StopServiceTest, ::testing::ValuesIn(STOP_CASES),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StopServiceAndDependentsTest, CallerKeepsItsHandlesAndNeedNotStopDependents) {
    FakePlatform fake;
    twoDependents(fake);
    ServiceApi& services = fake.services;
    const Handle manager = services.openManager();
    const Handle wuauserv = services.openService(manager, "wuauserv", 0x2C);

    EXPECT_EQ(stopServiceAndDependents(manager, wuauserv, false, 30000), 0u);

    EXPECT_EQ(fake.services.log, std::vector<std::string>{"stop wuauserv"});
    EXPECT_EQ(fake.services.openHandles, (std::set<Handle>{manager, wuauserv}));
    EXPECT_EQ(fake.services.heapBlocks, 0);
    EXPECT_EQ(fake.transcript(), "");
}

TEST(ServiceRightsTest, EachOpenAsksForTheRightsItUses) {
    FakePlatform fake;
    twoDependents(fake);
    service(fake, "bits").state = STOPPED;
    stopService("wuauserv", "Automatic Updates");
    startService("bits", "Background Intelligent Transfer");
    const std::vector<std::pair<std::string, std::uint32_t>> expected = {
        {"wuauserv", 0x2C}, {"depA", 0x24}, {"depB", 0x24}, {"bits", 0xF01FF}};
    EXPECT_EQ(fake.services.opens, expected);
}

const std::string STARTING = "Starting the Background Intelligent Transfer service...";

struct StartCase {
    const char* name;
    void (*arrange)(FakePlatform& fake);
    std::string outcome;  // what follows STARTING on the line
    std::vector<std::string> controls;
    Sleeps sleeps;
};

// A stopped service whose start is accepted and leaves it start-pending, then reports `replies`.
void pendingStart(FakePlatform& fake, std::deque<ServiceStatus> replies) {
    auto& s = service(fake, "bits");
    s.state = STOPPED;
    s.startState = START_PENDING;
    s.replies = std::move(replies);
}

const StartCase START_CASES[] = {
    {"PendingThenRunning",
     [](FakePlatform& f) { pendingStart(f, {{START_PENDING, 0, 3000}, {START_PENDING, 1, 3000}, {RUNNING, 0, 0}}); },
     " pending... done!", {"start bits"}, {1000, 1000}},
    {"StartedAtOnce", [](FakePlatform& f) { service(f, "bits").state = STOPPED; }, " pending... done!",
     {"start bits"}, {}},
    {"AlreadyRunning", [](FakePlatform&) {}, " done!", {}, {}},
    {"StartRefusedAndStopped",
     [](FakePlatform& f) {
         service(f, "bits").state = STOPPED;
         service(f, "bits").startError = 1058;
     },
     " failure!", {}, {}},
    {"StartRefusedAndStatusUnknown", [](FakePlatform& f) { service(f, "bits").queryError = 5; },
     " does not exist! Failure!", {}, {}},
    {"UnknownService", [](FakePlatform& f) { f.services.services.erase("bits"); },
     " can't access services subsystem!", {}, {}},
    {"ManagerCannotBeOpened", [](FakePlatform& f) { f.services.managerOpens = false; },
     " can't access services subsystem!", {}, {}},
    {"QueryFailsAfterTheStart",
     [](FakePlatform& f) {
         service(f, "bits").state = STOPPED;
         service(f, "bits").queryError = 5;
     },
     " pending... query failure!", {"start bits"}, {}},
    {"QueryFailsWhilePending",
     [](FakePlatform& f) {
         pendingStart(f, {{START_PENDING, 0, 3000}});
         service(f, "bits").queryError = 5;
     },
     " pending... failure!", {"start bits"}, {1000}},
    {"WithoutProgressAndHintZero", [](FakePlatform& f) { pendingStart(f, {}); }, " pending... failure!",
     {"start bits"}, {1000}},
    {"WithoutProgressBeyondTheHint",
     [](FakePlatform& f) { pendingStart(f, {{START_PENDING, 5, 2500}}); },  // then the same status again
     " pending... failure!", {"start bits"}, {1000, 1000, 1000}},
    {"ProgressKeepsTheWaitGoing",
     [](FakePlatform& f) {
         pendingStart(f, {{START_PENDING, 0, 1000}, {START_PENDING, 1, 1000}, {START_PENDING, 2, 1000},
                          {START_PENDING, 3, 1000}, {RUNNING, 0, 0}});
     },
     " pending... done!", {"start bits"}, Sleeps(4, 1000)},
    {"TickCountWrapsWithinTheHint",
     [](FakePlatform& f) {
         f.clock.tick = 0xFFFFFC00u;  // wraps after 1024 ms
         pendingStart(f, {{START_PENDING, 5, 3000}, {START_PENDING, 5, 3000}, {START_PENDING, 5, 3000},
                          {START_PENDING, 5, 3000}, {RUNNING, 0, 0}});
     },
     " pending... done!", {"start bits"}, Sleeps(4, 1000)},
};

class StartServiceTest : public ::testing::TestWithParam<StartCase> {};

TEST_P(StartServiceTest, PrintsOneOutcomeAndLeavesNothingOpen) {
    const StartCase& c = GetParam();
    FakePlatform fake;
    c.arrange(fake);

    startService("bits", "Background Intelligent Transfer");

    EXPECT_TRUE(transcriptIs(fake.transcript(), {STARTING + c.outcome}));
    EXPECT_EQ(fake.services.log, c.controls);
    EXPECT_EQ(fake.clock.sleeps, c.sleeps);
    expectNothingLeftOpen(fake);
}

INSTANTIATE_TEST_SUITE_P(Cases, StartServiceTest, ::testing::ValuesIn(START_CASES),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StartServiceTest, PauseIsATenthOfTheHintBetweenOneAndTenSeconds) {
    const std::pair<std::uint32_t, std::uint32_t> hintToPause[] = {
        {0, 1000}, {10009, 1000}, {10010, 1001}, {50000, 5000}, {100000, 10000}, {0xFFFFFFFFu, 10000}};
    for (const auto& [hint, pause] : hintToPause) {
        FakePlatform fake;
        pendingStart(fake, {{START_PENDING, 0, hint}, {RUNNING, 0, 0}});
        startService("bits", "Background Intelligent Transfer");
        EXPECT_EQ(fake.clock.sleeps, Sleeps{pause}) << "hint " << hint;
    }
}

}  // namespace
}  // namespace tovrin
