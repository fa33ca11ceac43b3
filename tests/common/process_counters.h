// What the test process holds, counted from outside the code under test, for tests that
// check that something leaves the process as it found it.  Each count is taken afresh.
#pragma once
#include <cstddef>

// Committed private memory in bytes: every region of the address space that VirtualQuery
// reports as MEM_COMMIT and MEM_PRIVATE (heaps, VirtualAlloc, stacks; not mapped images or
// files).  Wine answers 0 for the private-bytes counter, so the walk is the measure.
size_t CommittedPrivateBytes();
// The part of it that may execute (stub pages, say).
size_t ExecutablePrivateBytes();

// The bytes in blocks in use on every heap of the process, by HeapWalk; finer than the
// committed memory, which a heap only grows in steps.
size_t HeapBytesInUse();
