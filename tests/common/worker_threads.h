// Runs a body on several threads at once and waits for all of them; the toolchain's thread
// model has no std::thread, so the threads are the system's.
#pragma once
#include <functional>

// body(index) runs on count new threads, each in the multithreaded apartment.
void RunOnThreadsOfTheMultithreadedApartment(int count, const std::function<void(int)>& body);
// body(index) runs on count new threads, each in a single-threaded apartment of its own,
// where apartment-model objects and their windows live.
void RunOnThreadsOfTheirOwnApartments(int count, const std::function<void(int)>& body);
