#include "services/false_service.h"

#include <initializer_list>

#include "run/console_out.h"
#include "services/service_control.h"

namespace tovrin {

namespace {

const char* const FALSE_SERVICE_NAME = "Network Client";
constexpr std::uint32_t STOP_LIMIT_MILLISECONDS = 30000;
constexpr std::uint32_t FALSE_SERVICE_RIGHTS =
    RIGHT_STOP | RIGHT_ENUMERATE_DEPENDENTS | RIGHT_QUERY_STATUS | RIGHT_DELETE;

void printLines(std::initializer_list<const char*> lines) {
    for (const char* line : lines) printText(line, true);
}

void stopAndDelete(Handle manager, Handle service) {
    printLines({"The false 'Network Client' service exists!", "Tovrin will now try to stop and delete the service."});
    const std::uint32_t result = stopServiceAndDependents(manager, service, true, STOP_LIMIT_MILLISECONDS);
    if (result != 0) {
        printLines({"The 'Network Client' service could not be stopped. ",
                    "This will need to be done by hand, because this trojan service",
                    "stops Windows Update, antivirus software, and more."});
        printText("The error was: ", false);
        printNumber(result, true);
        return;
    }
    printLines({"The 'Network Client' service was stopped successfully.", "Tovrin will now attempt to delete it."});
    if (platform().services->remove(service)) {
        printLines({"Tovrin deleted the Network Client service succssfully."});
    } else {
        printLines({"Tovrin was unable to delete the false 'Network Client' service.",
                    "This will need to be done by hand, because this trojan service",
                    "stops Windows Update, Antivirus Software, and more."});
    }
}

}  // namespace

void checkFalseService() {
    ServiceApi& services = *platform().services;
    const Handle manager = services.openManager();
    const Handle service = services.openService(manager, FALSE_SERVICE_NAME, FALSE_SERVICE_RIGHTS);
    if (!service) {
        printLines({"The false 'Network Client' service does not exist."});
    } else {
        stopAndDelete(manager, service);
        services.close(service);
    }
    if (manager) services.close(manager);
}

}  // namespace tovrin
