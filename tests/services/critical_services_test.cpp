#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "fakes/transcript.h"
#include "services/critical_services.h"

namespace tovrin {
namespace {

using fakes::FakePlatform;
using fakes::transcriptIs;

const std::string CRYPTO = "Cryptographic service...";
const std::string UPDATES = "Automatic Updates service...";
const std::string BITS = "Background Intelligent Transfer service...";

TEST(CriticalServicesTest, StopAndRestartWalkTheSameListInTheSameOrder) {
    FakePlatform fake;
    stopCriticalServices();
    restartCriticalServices();
    EXPECT_TRUE(transcriptIs(fake.transcript(), {
                                                    "Stopping the " + CRYPTO + " done!",
                                                    "Stopping the " + UPDATES + " done!",
                                                    "Stopping the " + BITS + " done!",
                                                    "Starting the " + CRYPTO + " pending... done!",
                                                    "Starting the " + UPDATES + " pending... done!",
                                                    "Starting the " + BITS + " pending... done!",
                                                }));
    EXPECT_EQ(fake.services.log, (std::vector<std::string>{"stop cryptsvc", "stop wuauserv", "stop bits",
                                                           "start cryptsvc", "start wuauserv", "start bits"}));
    EXPECT_TRUE(fake.services.openHandles.empty());
}

TEST(CriticalServicesTest, AMissingOrFailingRowLeavesTheOtherRowsAlone) {
    FakePlatform fake;
    fake.services.services.erase("bits");
    fake.services.services["cryptsvc"].refusesStop = true;
    stopCriticalServices();
    restartCriticalServices();
    EXPECT_TRUE(transcriptIs(fake.transcript(), {
                                                    "Stopping the " + CRYPTO,
                                                    "The cryptsvc service could not be stopped. ",
                                                    "The error was: 1052",
                                                    "Stopping the " + UPDATES + " done!",
                                                    "Stopping the " + BITS + " ... it does not exist.",
                                                    "Starting the " + CRYPTO + " done!",
                                                    "Starting the " + UPDATES + " pending... done!",
                                                    "Starting the " + BITS + " can't access services subsystem!",
                                                }));
    EXPECT_EQ(fake.services.log, (std::vector<std::string>{"stop wuauserv", "start wuauserv"}));
    EXPECT_TRUE(fake.services.openHandles.empty());
}

}  // namespace
}  // namespace tovrin
