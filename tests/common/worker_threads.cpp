#include "common/worker_threads.h"

#include <windows.h>
#include <objbase.h>

#include <vector>

#include "support/unique_handle.h"

namespace {

struct Worker {
    const std::function<void(int)>* Body;
    int Index;
    DWORD Apartment;  // COINIT_MULTITHREADED or COINIT_APARTMENTTHREADED
};

DWORD WINAPI RunWorker(void* argument) {
    const auto& worker = *static_cast<Worker*>(argument);
    CoInitializeEx(nullptr, worker.Apartment);
    (*worker.Body)(worker.Index);
    CoUninitialize();
    return 0;
}

void RunOnThreads(int count, DWORD apartment, const std::function<void(int)>& body) {
    std::vector<Worker> workers;
    for (int i = 0; i < count; ++i) workers.push_back({&body, i, apartment});
    std::vector<UniqueHandle> threads;
    for (Worker& worker : workers) threads.emplace_back(CreateThread(nullptr, 0, RunWorker, &worker, 0, nullptr));
    for (const UniqueHandle& thread : threads) {
        if (thread.IsValid()) WaitForSingleObject(thread.Get(), INFINITE);
    }
}

}  // namespace

void RunOnThreadsOfTheMultithreadedApartment(int count, const std::function<void(int)>& body) {
    RunOnThreads(count, COINIT_MULTITHREADED, body);
}

void RunOnThreadsOfTheirOwnApartments(int count, const std::function<void(int)>& body) {
    RunOnThreads(count, COINIT_APARTMENTTHREADED, body);
}
