// Loading and unloading the library over and over leaves the process as it was: COM unloads
// an idle in-process server whenever DllCanUnloadNow allows, so a long-running host that
// drops and recreates the object goes through this cycle again and again.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "automation/tarvik.h"
#include "common/loaded_server.h"
#include "common/process_counters.h"
#include "common/temp_files.h"
#include "support/unique_bstr.h"

namespace {

// The first cycles fill caches of the system DLLs that stay for the process (COM, the
// type library loader); growth is measured over the cycles after them.
constexpr int kWarmUpCycles = 10;
constexpr int kMeasuredCycles = 30;
// Over all measured cycles together.  The heap's count is exact: a leak of 300 bytes a cycle
// exceeds its slack.  Heaps take committed memory from the system in steps of 64 KB, so its
// slack is less than one step, which a leak of a kilobyte or two a cycle brings about.
constexpr size_t kHeapSlack = 8 * 1024;
constexpr size_t kCommittedSlack = 32 * 1024;

// Reads the artist by name, as a script does: through the type information.
std::wstring ReadArtistLateBound(IDispatch* object) {
    LPOLESTR name = const_cast<LPOLESTR>(L"GetArtist");
    DISPID id = DISPID_UNKNOWN;
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(object->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr), S_OK);
    std::wstring artist = result.vt == VT_BSTR && result.bstrVal != nullptr ? result.bstrVal : L"";
    VariantClear(&result);
    return artist;
}

// One client's whole use of the library: load it, create an object, read a tag early and
// late bound, release everything, and unload the library once it says it may go.
void RunClientSession(const std::wstring& path) {
    {
        LoadedServer server;
        auto tag = server.Create<Ilumex>(kIlumexIid);
        ASSERT_TRUE(tag);
        UniqueBstr file(SysAllocString(path.c_str()));
        EXPECT_EQ(tag->LoadMP3Head(file.Get()), S_OK);
        UniqueBstr title;
        EXPECT_EQ(tag->get_GetTitle(title.Receive()), S_OK);
        EXPECT_STREQ(title.Get(), L"Title");
        InterfacePtr<IDispatch> dispatch;
        ASSERT_EQ(tag.QueryInto(IID_IDispatch, dispatch), S_OK);
        EXPECT_EQ(ReadArtistLateBound(dispatch.Get()), L"Artist");
        dispatch.Reset();
        tag.Reset();
        EXPECT_EQ(server.CanUnloadNow(), S_OK);
    }
    // Otherwise the cycles would measure nothing.
    EXPECT_EQ(GetModuleHandleW(L"tarvik.DLL"), nullptr) << "tarvik.DLL stayed loaded";
}

}  // namespace

TEST(UnloadCycle, LeavesTheHeapAndCommittedMemoryWhereTheyWere) {
    ASSERT_EQ(GetModuleHandleW(L"tarvik.DLL"), nullptr) << "loaded by someone else: it would never unload";
    RegisteredTypeLibrary registration;
    ScratchFolder folder;
    const std::wstring path = folder.WriteFile(L"tagged.mp3", MakeTag("Title", "Artist", "Album", "1999", "", 12));

    for (int cycle = 0; cycle < kWarmUpCycles; ++cycle) {
        RunClientSession(path);
        if (HasFailure()) return;
    }
    const size_t heapBefore = HeapBytesInUse();
    const size_t committedBefore = CommittedPrivateBytes();
    for (int cycle = 0; cycle < kMeasuredCycles; ++cycle) {
        RunClientSession(path);
        if (HasFailure()) return;
    }
    const long long heapGrowth = static_cast<long long>(HeapBytesInUse()) - static_cast<long long>(heapBefore);
    const long long committedGrowth =
        static_cast<long long>(CommittedPrivateBytes()) - static_cast<long long>(committedBefore);
    std::printf("growth a cycle over %d cycles: heap %+lld bytes, committed memory %+lld bytes\n", kMeasuredCycles,
                heapGrowth / kMeasuredCycles, committedGrowth / kMeasuredCycles);

    EXPECT_LE(heapGrowth, static_cast<long long>(kHeapSlack));
    EXPECT_LE(committedGrowth, static_cast<long long>(kCommittedSlack));
}
