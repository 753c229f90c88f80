#pragma once

// Stops the Firebird client library and the embedded engine's threads at a
// known point, rather than in the library's own exit handler while the
// process is already unloading it. Call once, after the last connection is
// gone, before returning from main.
void EncerraBanco();
