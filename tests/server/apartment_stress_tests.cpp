// Several apartments on several threads using the library at once from its very first
// call: each makes objects, reads tags through them late-bound and releases them, with
// several objects alive at a time.  Every object gives its module lock back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/loaded_server.h"
#include "common/temp_files.h"
#include "support/unique_bstr.h"
#include "support/unique_handle.h"

namespace {

constexpr int kApartments = 6;
constexpr int kObjectsEach = 400;
constexpr int kAliveAtOnce = 4;

struct Apartment {
    const LoadedServer* Server = nullptr;
    HANDLE Start = nullptr;
    volatile LONG* Ready = nullptr;
    std::wstring Path;  // a file with this apartment's own title
    std::wstring Title;
    int ObjectsRead = 0;  // objects whose title came back right
    std::string Failure;  // the first thing that went wrong
};

void Fail(Apartment& apartment, const std::string& what, HRESULT result) {
    if (apartment.Failure.empty()) apartment.Failure = what + ": " + std::to_string(static_cast<long>(result));
}

HRESULT Invoke(IDispatch* object, DISPID id, WORD flags, VARIANT* argument, VARIANT* result) {
    DISPPARAMS parameters = {argument, nullptr, argument != nullptr ? 1u : 0u, 0};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters, result, nullptr, nullptr);
}

// A script host's use of one object: the names looked up, the file loaded, the title read.
void ReadTitle(Apartment& apartment, IDispatch* object) {
    LPOLESTR names[2] = {const_cast<LPOLESTR>(L"LoadMP3Head"), const_cast<LPOLESTR>(L"GetTitle")};
    DISPID load = DISPID_UNKNOWN;
    DISPID title = DISPID_UNKNOWN;
    HRESULT result = object->GetIDsOfNames(IID_NULL, &names[0], 1, LOCALE_USER_DEFAULT, &load);
    if (result == S_OK) result = object->GetIDsOfNames(IID_NULL, &names[1], 1, LOCALE_USER_DEFAULT, &title);
    if (result != S_OK || load != 1 || title != 2) return Fail(apartment, "GetIDsOfNames", result);
    UniqueBstr path(SysAllocString(apartment.Path.c_str()));
    VARIANT argument;
    VariantInit(&argument);
    argument.vt = VT_BSTR;
    argument.bstrVal = path.Get();
    result = Invoke(object, load, DISPATCH_METHOD, &argument, nullptr);
    if (result != S_OK) return Fail(apartment, "Invoke LoadMP3Head", result);
    VARIANT value;
    VariantInit(&value);
    result = Invoke(object, title, DISPATCH_PROPERTYGET, nullptr, &value);
    const bool right = result == S_OK && value.vt == VT_BSTR && apartment.Title == value.bstrVal;
    VariantClear(&value);
    if (!right) return Fail(apartment, "Invoke GetTitle", result);
    ++apartment.ObjectsRead;
}

DWORD WINAPI RunApartment(void* argument) {
    Apartment& apartment = *static_cast<Apartment*>(argument);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    InterlockedIncrement(apartment.Ready);
    WaitForSingleObject(apartment.Start, INFINITE);
    {
        std::vector<InterfacePtr<IDispatch>> alive(kAliveAtOnce);
        for (int i = 0; i < kObjectsEach && apartment.Failure.empty(); ++i) {
            // Each object through the class object, as CoCreateInstance would do.
            InterfacePtr<IClassFactory> factory;
            HRESULT result = apartment.Server->GetClassObject(kLumexClsid, IID_IClassFactory, factory.ReceiveVoid());
            if (result != S_OK) {
                Fail(apartment, "DllGetClassObject", result);
                break;
            }
            // The slot's previous object goes as this one comes: several live at once.
            InterfacePtr<IDispatch>& slot = alive[static_cast<size_t>(i % kAliveAtOnce)];
            result = factory->CreateInstance(nullptr, IID_IDispatch, slot.ReceiveVoid());
            if (result != S_OK) {
                Fail(apartment, "CreateInstance", result);
                break;
            }
            ReadTitle(apartment, slot.Get());
        }
    }
    CoUninitialize();
    return 0;
}

}  // namespace

TEST(ApartmentStress, ManyApartmentsCreateCallAndReleaseAtOnceAndEveryLockComesBack) {
    RegisteredTypeLibrary registration;
    ScratchFolder folder;
    LoadedServer server;
    UniqueHandle start(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    volatile LONG ready = 0;
    std::vector<Apartment> apartments(kApartments);
    std::vector<UniqueHandle> threads;
    for (int a = 0; a < kApartments; ++a) {
        Apartment& apartment = apartments[static_cast<size_t>(a)];
        apartment.Server = &server;
        apartment.Start = start.Get();
        apartment.Ready = &ready;
        apartment.Title = L"Apartment " + std::to_wstring(a);
        const std::string title(apartment.Title.begin(), apartment.Title.end());
        apartment.Path = folder.WriteFile(L"apartment" + std::to_wstring(a) + L".mp3",
                                          MakeTag(title, "Artist", "Album", "2000", "", 1));
        threads.emplace_back(CreateThread(nullptr, 0, RunApartment, &apartment, 0, nullptr));
        ASSERT_TRUE(threads.back().IsValid());
    }
    // Every thread waits at the start line, so the module's first calls come from all at once.
    while (ready < kApartments) Sleep(1);
    SetEvent(start.Get());
    for (UniqueHandle& thread : threads) {
        ASSERT_EQ(WaitForSingleObject(thread.Get(), 60000), WAIT_OBJECT_0) << "an apartment hangs";
    }
    for (const Apartment& apartment : apartments) {
        EXPECT_EQ(apartment.Failure, "") << std::string(apartment.Title.begin(), apartment.Title.end());
        EXPECT_EQ(apartment.ObjectsRead, kObjectsEach);
    }
    EXPECT_EQ(server.CanUnloadNow(), S_OK);
}
