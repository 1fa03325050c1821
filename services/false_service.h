#pragma once

namespace tovrin {

// Stops and deletes a service installed under the name "Network Client".
void checkFalseService();

}  // namespace tovrin
