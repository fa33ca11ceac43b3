// The pages of the control windows' entry stubs, seen through VirtualQuery: never writable
// and executable at once, each thread's on pages of its own, given back as the windows go,
// and a system that refuses to make memory executable.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>

#include "container_fixture.h"
#include "common/dib_canvas.h"
#include "common/import_hook.h"
#include "common/process_counters.h"
#include "common/worker_threads.h"

namespace {

HWND WindowOf(IOleObject* control) {
    InterfacePtr<IOleWindow> window;
    HWND handle = nullptr;
    if (SUCCEEDED(control->QueryInterface(IID_IOleWindow, window.ReceiveVoid()))) window->GetWindow(&handle);
    return handle;
}

const BYTE* StubOf(HWND window) { return reinterpret_cast<const BYTE*>(GetWindowLongPtrA(window, GWLP_WNDPROC)); }

MEMORY_BASIC_INFORMATION PageOf(const void* address) {
    MEMORY_BASIC_INFORMATION memory{};
    VirtualQuery(address, &memory, sizeof memory);
    return memory;
}

bool ReadsAndExecutesOnly(const void* address) {
    const MEMORY_BASIC_INFORMATION page = PageOf(address);
    return page.State == MEM_COMMIT && page.Protect == PAGE_EXECUTE_READ;
}

// The control's frame in the DC that WM_PAINT brings: the message reached the object.
bool PaintsItself(HWND window) {
    DibCanvas canvas(120, 60, 0x808080);
    SendMessageA(window, WM_PAINT, reinterpret_cast<WPARAM>(canvas.DC()), 0);
    return canvas.At(0, 0) == DibCanvas::kBlack && canvas.At(2, 2) == DibCanvas::kWhite;
}

class StubPages : public ContainerFixture {
protected:
    // A new control in place in parent, with a window of its own unless the site takes it
    // windowless; touches nothing of the fixture's but the library, so any thread may call it.
    InterfacePtr<IOleObject> ActivateInPlace(RecordingSite& clientSite, HWND parent) const {
        clientSite.Options().Parent = parent;
        auto control = server.Create<IOleObject>(IID_IOleObject);
        RECT unused{};
        control->SetClientSite(&clientSite);
        EXPECT_EQ(control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &clientSite, 0, parent, &unused), S_OK);
        return control;
    }
};

TEST_F(StubPages, EachThreadsStubsLieOnReadAndExecutePagesOfItsOwnGivenBackAsItsWindowsGo) {
    constexpr int kThreads = 3;
    const size_t executableBefore = ExecutablePrivateBytes();
    void* pages[kThreads][2] = {};
    std::atomic<int> sound{0}, made{0};
    RunOnThreadsOfTheirOwnApartments(kThreads, [&](int t) {
        CallLog threadLog;
        ContainerWindow threadContainer;
        RecordingSite sites[2] = {RecordingSite(threadLog), RecordingSite(threadLog)};
        InterfacePtr<IOleObject> controls[2];
        const BYTE* stubs[2] = {};
        bool right = true;
        for (int i = 0; i < 2; ++i) {
            controls[i] = ActivateInPlace(sites[i], threadContainer.Handle());
            stubs[i] = StubOf(WindowOf(controls[i].Get()));
            pages[t][i] = PageOf(stubs[i]).BaseAddress;
            right = right && ReadsAndExecutesOnly(stubs[i]) && PaintsItself(WindowOf(controls[i].Get()));
        }
        // All threads' windows alive at once, so that their pages are told apart.
        for (++made; made < kThreads;) Sleep(1);
        // One window closed: its stub cleared, the other still at work; the other goes with
        // the container's window, and the page with it, while both objects live on.
        controls[0]->Close(OLECLOSE_NOSAVE);
        right = right && std::all_of(stubs[0], stubs[0] + 16, [](BYTE b) { return b == 0xCC; }) &&
                ReadsAndExecutesOnly(stubs[1]) && PaintsItself(WindowOf(controls[1].Get()));
        DestroyWindow(threadContainer.Handle());
        sound += right && PageOf(stubs[0]).Protect != PAGE_EXECUTE_READ;
        for (auto& control : controls) control->SetClientSite(nullptr);
    });
    EXPECT_EQ(sound.load(), kThreads);
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(pages[t][0], pages[t][1]) << "one page a thread";
        for (int other = 0; other < t; ++other) EXPECT_NE(pages[t][0], pages[other][0]);
    }
    EXPECT_EQ(ExecutablePrivateBytes(), executableBefore);
}

void* refusedPage = nullptr;
BOOL WINAPI RefuseProtectionChange(void* address, SIZE_T, DWORD, DWORD*) {
    refusedPage = address;
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

TEST_F(StubPages, ASystemThatRefusesExecutableMemoryFailsTheWindowAsItFailsAnyOther) {
    // What the container hears of a window the system refuses: a parent that is no window.
    UseLevel(InPlaceLevel::Ex);
    site.Options().Parent = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x7FFF1234));
    ASSERT_EQ(Activate(OLEIVERB_INPLACEACTIVATE), S_OK);
    const std::string refusedWindow = log.Format();
    ASSERT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
    site.Options().Parent = container.Handle();
    const size_t executableBefore = ExecutablePrivateBytes();
    auto refuse = std::make_unique<ImportHook>(server.Module(), "kernel32.dll", "VirtualProtect",
                                               reinterpret_cast<void*>(RefuseProtectionChange));
    ASSERT_TRUE(refuse->Installed());
    log.Clear();
    EXPECT_EQ(Activate(OLEIVERB_INPLACEACTIVATE), S_OK);
    EXPECT_EQ(log.Format(), refusedWindow);
    HWND window = nullptr;
    EXPECT_EQ(InPlace()->GetWindow(&window), E_UNEXPECTED);
    EXPECT_EQ(PageOf(refusedPage).State, static_cast<DWORD>(MEM_FREE)) << "the page it could not make executable";
    EXPECT_EQ(ExecutablePrivateBytes(), executableBefore);

    // A page with a live window on it stays as it was, its window at work; windowless, a
    // control needs no executable memory.
    refuse.reset();
    RecordingSite neighbourSite(log);
    auto neighbour = ActivateInPlace(neighbourSite, container.Handle());
    refuse = std::make_unique<ImportHook>(server.Module(), "kernel32.dll", "VirtualProtect",
                                          reinterpret_cast<void*>(RefuseProtectionChange));
    ASSERT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
    ASSERT_EQ(Activate(OLEIVERB_INPLACEACTIVATE), S_OK);
    EXPECT_EQ(InPlace()->GetWindow(&window), E_UNEXPECTED);
    EXPECT_TRUE(ReadsAndExecutesOnly(StubOf(WindowOf(neighbour.Get()))));
    EXPECT_TRUE(PaintsItself(WindowOf(neighbour.Get())));
    RecordingSite windowlessSite(log);
    windowlessSite.Options().AcceptsWindowless = true;
    log.Clear();
    auto windowless = ActivateInPlace(windowlessSite, container.Handle());
    EXPECT_TRUE(log.Contains("Site.OnInPlaceActivateEx(1)")) << log.Format();
    DropControl(windowless);

    // Allowed again, the next window is made, on the neighbour's page.
    refuse.reset();
    ASSERT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
    ASSERT_EQ(Activate(OLEIVERB_INPLACEACTIVATE), S_OK);
    ASSERT_EQ(InPlace()->GetWindow(&window), S_OK);
    EXPECT_EQ(PageOf(StubOf(window)).BaseAddress, PageOf(StubOf(WindowOf(neighbour.Get()))).BaseAddress);
    DropControl(neighbour);
}

TEST_F(StubPages, AWindowsStubGivenBackOnAnotherThreadLeavesThePageToItsOwnThread) {
    ActivateWindowedInPlace();
    const HWND window = ControlWindowHandle();
    RecordingSite secondSite(log);
    auto second = ActivateInPlace(secondSite, container.Handle());
    const HWND secondWindow = WindowOf(second.Get());
    {
        // The releasing thread cannot know whether the page's own thread is running a stub.
        const ImportHook refuse(server.Module(), "kernel32.dll", "VirtualProtect",
                                reinterpret_cast<void*>(RefuseProtectionChange));
        refusedPage = nullptr;
        RunOnThreadsOfTheMultithreadedApartment(1, [&](int) { second.Reset(); });
        EXPECT_EQ(refusedPage, nullptr) << "no protection change asked for";
    }
    EXPECT_TRUE(ReadsAndExecutesOnly(StubOf(window)));
    EXPECT_TRUE(PaintsItself(window));
    DestroyWindow(secondWindow);
}

}  // namespace
