#include "services/critical_services.h"

#include "services/service_control.h"

namespace tovrin {

namespace {

struct CriticalService {
    const char* serviceName;
    const char* displayText;
};

// Stopped at the start of the run and started again, in this same order, at its end.
const CriticalService CRITICAL_SERVICES[] = {
    {"cryptsvc", "Cryptographic"},
    {"wuauserv", "Automatic Updates"},
    {"bits", "Background Intelligent Transfer"},
};

}  // namespace

void stopCriticalServices() {
    for (const CriticalService& service : CRITICAL_SERVICES) stopService(service.serviceName, service.displayText);
}

void restartCriticalServices() {
    for (const CriticalService& service : CRITICAL_SERVICES) startService(service.serviceName, service.displayText);
}

}  // namespace tovrin
