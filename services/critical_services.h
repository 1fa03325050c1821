#pragma once

namespace tovrin {

void stopCriticalServices();
void restartCriticalServices();

}  // namespace tovrin
