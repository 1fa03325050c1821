#include "services/service_control.h"

#include "run/console_out.h"

namespace tovrin {

namespace {

constexpr std::uint32_t ERROR_MORE_DATA_CODE = 234;
constexpr std::uint32_t ERROR_TIMEOUT_CODE = 1460;
constexpr std::uint32_t STOP_LIMIT_MILLISECONDS = 30000;

constexpr std::uint32_t STOP_RIGHTS = RIGHT_STOP | RIGHT_ENUMERATE_DEPENDENTS | RIGHT_QUERY_STATUS;
constexpr std::uint32_t DEPENDENT_RIGHTS = RIGHT_STOP | RIGHT_QUERY_STATUS;

std::uint32_t lastError() { return platform().errors->lastError(); }

// Every wait of one stop is measured from the same start tick. Unsigned differences stay right when the
// tick count wraps.
struct StopDeadline {
    std::uint32_t startTick;
    std::uint32_t limit;
    bool passed() const { return platform().clock->tickCount() - startTick > limit; }
};

// Polls a service that has been sent its stop control until it reports stopped.
std::uint32_t waitUntilStopped(Handle service, ServiceStatus& status, const StopDeadline& deadline) {
    ServiceApi& services = *platform().services;
    while (status.currentState != SERVICE_STATE_STOPPED) {
        platform().clock->sleep(status.waitHint);
        if (!services.queryStatus(service, status)) return lastError();
        if (status.currentState == SERVICE_STATE_STOPPED) break;
        if (deadline.passed()) return ERROR_TIMEOUT_CODE;
    }
    return 0;
}

std::uint32_t stopDependent(Handle manager, const std::string& name, ServiceStatus& status,
                            const StopDeadline& deadline) {
    ServiceApi& services = *platform().services;
    const Handle dependent = services.openService(manager, name, DEPENDENT_RIGHTS);
    if (!dependent) return lastError();
    std::uint32_t result = 0;
    if (!services.sendStop(dependent, status)) {
        result = lastError();
    } else {
        result = waitUntilStopped(dependent, status, deadline);
    }
    services.close(dependent);
    return result;
}

std::uint32_t stopActiveDependents(Handle manager, Handle service, ServiceStatus& status,
                                   const StopDeadline& deadline) {
    ServiceApi& services = *platform().services;
    std::uint32_t needed = 0;
    std::uint32_t count = 0;
    if (services.enumActiveDependents(service, nullptr, 0, needed, count)) return 0;
    const std::uint32_t sizingError = lastError();
    if (sizingError != ERROR_MORE_DATA_CODE) return sizingError;

    void* buffer = services.heapAllocZeroed(needed);
    if (!buffer) return lastError();
    std::uint32_t result = 0;
    if (!services.enumActiveDependents(service, buffer, needed, needed, count)) {
        result = lastError();
    } else {
        for (std::uint32_t i = 0; i < count && result == 0; ++i) {
            result = stopDependent(manager, services.dependentName(buffer, i), status, deadline);
        }
    }
    services.heapFree(buffer);
    return result;
}

// StartServiceA's polling pause: a tenth of the hint, kept between one and ten seconds.
std::uint32_t startPause(std::uint32_t waitHint) {
    const std::uint32_t pause = waitHint / 10;
    if (pause < 1000) return 1000;
    if (pause > 10000) return 10000;
    return pause;
}

// Waits while the service reports start-pending and keeps making progress within its wait hint.
void waitWhileStartPending(Handle service, ServiceStatus& status) {
    ServiceApi& services = *platform().services;
    ClockApi& clock = *platform().clock;
    std::uint32_t progressTick = clock.tickCount();
    std::uint32_t checkPoint = status.checkPoint;
    while (status.currentState == SERVICE_STATE_START_PENDING) {
        clock.sleep(startPause(status.waitHint));
        if (!services.queryStatus(service, status)) break;
        if (status.checkPoint > checkPoint) {
            checkPoint = status.checkPoint;
            progressTick = clock.tickCount();
        } else if (clock.tickCount() - progressTick > status.waitHint) {
            break;
        }
    }
}

const char* runningVerdict(const ServiceStatus& status) {
    return status.currentState == SERVICE_STATE_RUNNING ? " done!" : " failure!";
}

void closeIfOpen(Handle handle) {
    if (handle) platform().services->close(handle);
}

}  // namespace

std::uint32_t stopServiceAndDependents(Handle manager, Handle service, bool stopDependents,
                                       std::uint32_t limitMilliseconds) {
    ServiceApi& services = *platform().services;
    const StopDeadline deadline{platform().clock->tickCount(), limitMilliseconds};
    ServiceStatus status;

    // A service whose status cannot be read is taken as stopped.
    if (!services.queryStatus(service, status)) return 0;
    if (status.currentState == SERVICE_STATE_STOPPED) return 0;
    while (status.currentState == SERVICE_STATE_STOP_PENDING) {
        platform().clock->sleep(status.waitHint);
        if (!services.queryStatus(service, status)) return lastError();
        if (status.currentState == SERVICE_STATE_STOPPED) return 0;
        if (deadline.passed()) return ERROR_TIMEOUT_CODE;
    }

    if (stopDependents) {
        const std::uint32_t result = stopActiveDependents(manager, service, status, deadline);
        if (result != 0) return result;
    }

    if (!services.sendStop(service, status)) return lastError();
    return waitUntilStopped(service, status, deadline);
}

void stopService(std::string serviceName, std::string displayText) {
    ServiceApi& services = *platform().services;
    const Handle manager = services.openManager();
    printText("Stopping the " + displayText + " service...", false);
    const Handle service = services.openService(manager, serviceName, STOP_RIGHTS);
    if (!service) {
        printText(" ... it does not exist.", true);
    } else {
        const std::uint32_t result = stopServiceAndDependents(manager, service, true, STOP_LIMIT_MILLISECONDS);
        if (result == 0) {
            printText(" done!", true);
        } else {
            printBlankLine();
            printText("The " + serviceName + " service could not be stopped. ", true);
            printText("The error was: ", false);
            printNumber(result, true);
        }
    }
    closeIfOpen(service);
    closeIfOpen(manager);
}

void startService(std::string serviceName, std::string displayText) {
    ServiceApi& services = *platform().services;
    printText("Starting the " + displayText + " service...", false);
    const Handle manager = services.openManager();
    const Handle service = services.openService(manager, serviceName, RIGHT_SERVICE_ALL);
    if (!service) {
        printText(" can't access services subsystem!", true);
        closeIfOpen(manager);
        return;
    }

    ServiceStatus status;
    if (!services.start(service)) {
        // Also the way a service that already runs answers.
        if (!services.queryStatus(service, status)) {
            printText(" does not exist! Failure!", true);
        } else {
            printText(runningVerdict(status), true);
        }
    } else {
        printText(" pending...", false);
        if (!services.queryStatus(service, status)) {
            printText(" query failure!", true);
        } else {
            waitWhileStartPending(service, status);
            printText(runningVerdict(status), true);
        }
    }
    closeIfOpen(service);
    closeIfOpen(manager);
}

}  // namespace tovrin
