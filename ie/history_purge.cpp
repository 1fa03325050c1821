#include "ie/ie_repair.h"
#include "platform/platform.h"
#include "run/console_out.h"

namespace tovrin {

void purgeHistory() {
    printText("NOTE: Currently, there is a bug that fails cleaning today's history", true);
    printText("      if there is any item from 'My Computer' or an intranet in the", true);
    printText("      today history. I'm looking for a workaround, however, for the", true);
    printText("      time being, you may want to check this by hand when done.", true);
    printText("Flushing History...", false);
    UrlHistoryApi& history = *platform().urlHistory;
    // Only a successful CoInitialize (S_FALSE included) is ours to undo: undoing a failed one would take
    // away the OLE initialisation that the registrar holds for the run.
    const bool comInitialized = history.coInitialize() >= 0;
    Handle urlHistory = 0;
    if (history.createUrlHistory(urlHistory) >= 0) {
        history.clearHistory(urlHistory);
        history.release(urlHistory);
    }
    if (comInitialized) history.coUninitialize();
    printText(" done!", true);
}

}  // namespace tovrin
