#pragma once

namespace tovrin {

// Installs the adapters that make the real Windows calls.
void installWin32Platform();

}  // namespace tovrin
