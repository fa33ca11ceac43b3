// The memory the statically linked C++ runtime sets aside for the life of the library.
#pragma once

// Gives back the block the runtime reserves at load for throwing exceptions when the heap
// is exhausted; nothing else in the runtime returns it, so every load and unload of the
// library would leave it behind.  Call it only as the library is unloaded, after the last
// code of the library that can throw has run.
void ReleaseRuntimeReserve() noexcept;
