// Clients in several apartments reaching the module for the first time at once.
#include <gtest/gtest.h>

#include <type_traits>
#include <vector>

#include "support/critical_section.h"
#include "common/loaded_server.h"
#include "support/unique_handle.h"

// The system keeps a critical section's address: a copy would be a second lock.
static_assert(!std::is_copy_constructible_v<CriticalSection> && !std::is_copy_assignable_v<CriticalSection>,
              "a critical section cannot be copied");

namespace {

struct Race {
    const LoadedServer* Server;
    HANDLE Start;
    IUnknown* ClassObject = nullptr;
    ITypeInfo* TypeInfo = nullptr;
    HRESULT Result = E_FAIL;
};

DWORD WINAPI RunClient(void* argument) {
    auto& race = *static_cast<Race*>(argument);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    WaitForSingleObject(race.Start, INFINITE);
    race.Result = race.Server->GetClassObject(kLumexClsid, IID_IUnknown, reinterpret_cast<void**>(&race.ClassObject));
    if (SUCCEEDED(race.Result)) {
        InterfacePtr<IClassFactory> factory;
        race.ClassObject->QueryInterface(IID_IClassFactory, factory.ReceiveVoid());
        InterfacePtr<IDispatch> object;
        factory->CreateInstance(nullptr, IID_IDispatch, object.ReceiveVoid());
        LPOLESTR name = const_cast<LPOLESTR>(L"GetTitle");
        DISPID id = 0;
        race.Result = object->GetIDsOfNames(IID_NULL, &name, 1, 0, &id);
        if (SUCCEEDED(race.Result) && id != 2) race.Result = E_UNEXPECTED;
        object->GetTypeInfo(0, 0, &race.TypeInfo);
    }
    CoUninitialize();
    return 0;
}

}  // namespace

TEST(Concurrency, FirstCallsFromManyApartmentsMakeOneClassObjectAndOneTypeInfo) {
    RegisteredTypeLibrary registration;
    LoadedServer server;
    UniqueHandle start(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::vector<Race> races(8);
    std::vector<UniqueHandle> threads;
    for (Race& race : races) {
        race.Server = &server;
        race.Start = start.Get();
        threads.emplace_back(CreateThread(nullptr, 0, RunClient, &race, 0, nullptr));
    }
    SetEvent(start.Get());
    for (UniqueHandle& thread : threads) WaitForSingleObject(thread.Get(), INFINITE);
    for (Race& race : races) {
        EXPECT_EQ(race.Result, S_OK);
        EXPECT_EQ(race.ClassObject, races[0].ClassObject);
        EXPECT_EQ(race.TypeInfo, races[0].TypeInfo);
        if (race.ClassObject != nullptr) race.ClassObject->Release();
        if (race.TypeInfo != nullptr) race.TypeInfo->Release();
    }
    EXPECT_EQ(server.CanUnloadNow(), S_OK);
}
