#include "cleanup/cleanup_steps.h"
#include "datetime/date_time_check.h"
#include "detect/folders.h"
#include "detect/version.h"
#include "ie/ie_repair.h"
#include "policy/policy_check.h"
#include "registration/registrar.h"
#include "run/driver.h"
#include "services/critical_services.h"
#include "services/false_service.h"

namespace tovrin {

RepairOperations repairOperations() {
    RepairOperations ops;
    ops.detectWindowsVersion = detectWindowsVersion;
    ops.discoverFolders = discoverFolders;
    ops.stopCriticalServices = stopCriticalServices;
    ops.checkPoliciesAndFirewall = checkPoliciesAndFirewall;
    ops.checkDateTime = checkDateTime;
    ops.flushWindowsUpdateCaches = flushWindowsUpdateCaches;
    ops.flushCryptoCatalogue = flushCryptoCatalogue;
    ops.flushDnsAndHosts = flushDnsAndHosts;
    ops.checkFalseService = checkFalseService;
    ops.registerCatalogue = [](ComponentRegistrar& registrar) { registrar.registerCatalogue(); };
    ops.cleanTempFolders = cleanTempFolders;
    ops.restartCriticalServices = restartCriticalServices;
    ops.offerIeReinstall = offerIeReinstall;
    return ops;
}

}  // namespace tovrin
