#pragma once

// Stops the Firebird client library and the embedded engine's threads. Left
// to the library's own exit handler, that shutdown runs on a thread of its
// own while the process's exit goes on and unloads the engine under it (an
// occasional crash at exit). Call once, after the last connection is gone,
// before returning from main.
void EncerraBanco();
