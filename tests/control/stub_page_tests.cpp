// The pages of the control windows' entry stubs, seen through VirtualQuery: never writable
// and executable at once, each thread's on pages of its own, given back as the windows go
// (by their own thread, or once it has ended), and a system that refuses to make memory
// executable, at once or only on the way back.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "container_fixture.h"
#include "common/dib_canvas.h"
#include "common/import_hook.h"
#include "common/process_counters.h"
#include "common/worker_threads.h"

namespace {

const BYTE* StubOf(HWND window) { return reinterpret_cast<const BYTE*>(GetWindowLongPtrA(window, GWLP_WNDPROC)); }

MEMORY_BASIC_INFORMATION PageOf(const void* address) {
    MEMORY_BASIC_INFORMATION memory{};
    VirtualQuery(address, &memory, sizeof memory);
    return memory;
}

bool ReadsAndExecutesOnly(const void* address) {
    return PageOf(address).State == MEM_COMMIT && PageOf(address).Protect == PAGE_EXECUTE_READ;
}

// The control's frame in the DC that WM_PAINT brings: the message reached the object.
bool PaintsItself(HWND window) {
    DibCanvas canvas(120, 60, 0x808080);
    SendMessageA(window, WM_PAINT, reinterpret_cast<WPARAM>(canvas.DC()), 0);
    return canvas.At(0, 0) == DibCanvas::kBlack && canvas.At(2, 2) == DibCanvas::kWhite;
}

void* refusedPage = nullptr;
BOOL WINAPI RefuseProtectionChange(void* address, SIZE_T, DWORD, DWORD*) {
    refusedPage = address;
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

// Refuses the first change back to read and execute, and lets every other change through.
int executableRefusals = 0;
BOOL WINAPI RefuseOneChangeToExecutable(void* address, SIZE_T size, DWORD protection, DWORD* previous) {
    if (protection == PAGE_EXECUTE_READ && executableRefusals > 0) {
        --executableRefusals;
        refusedPage = address;
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return VirtualProtect(address, size, protection, previous);
}

class StubPages : public ContainerFixture {
protected:
    // A new control in place in parent, with its window (null for none); touches nothing of
    // the fixture's but the library, so any thread may call it.
    InterfacePtr<IOleObject> ActivateInPlace(RecordingSite& clientSite, HWND parent, HWND& window) const {
        clientSite.Options().Parent = parent;
        auto control = server.Create<IOleObject>(IID_IOleObject);
        RECT unused{};
        control->SetClientSite(&clientSite);
        EXPECT_EQ(control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &clientSite, 0, parent, &unused), S_OK);
        window = nullptr;
        InterfacePtr<IOleWindow> oleWindow;
        if (SUCCEEDED(control.QueryInto(IID_IOleWindow, oleWindow))) oleWindow->GetWindow(&window);
        return control;
    }
    ImportHook RefuseProtectionChanges() const {
        refusedPage = nullptr;
        return ImportHook(server.Module(), "kernel32.dll", "VirtualProtect",
                          reinterpret_cast<void*>(RefuseProtectionChange));
    }
    ImportHook RefuseOneChangeBack() const {
        refusedPage = nullptr;
        executableRefusals = 1;
        return ImportHook(server.Module(), "kernel32.dll", "VirtualProtect",
                          reinterpret_cast<void*>(RefuseOneChangeToExecutable));
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
        HWND windows[2] = {};
        bool right = true;
        for (int i = 0; i < 2; ++i) {
            controls[i] = ActivateInPlace(sites[i], threadContainer.Handle(), windows[i]);
            pages[t][i] = PageOf(StubOf(windows[i])).BaseAddress;
            right = right && ReadsAndExecutesOnly(StubOf(windows[i])) && PaintsItself(windows[i]);
        }
        const BYTE* firstStub = StubOf(windows[0]);
        // All threads' windows alive at once, so that their pages are told apart.
        for (++made; made < kThreads;) Sleep(1);
        // One window closed: its stub cleared, the other still at work; the other goes with
        // the container's window, and the page with it, while both objects live on.
        controls[0]->Close(OLECLOSE_NOSAVE);
        right = right && std::all_of(firstStub, firstStub + 16, [](BYTE b) { return b == 0xCC; }) &&
                ReadsAndExecutesOnly(StubOf(windows[1])) && PaintsItself(windows[1]);
        DestroyWindow(threadContainer.Handle());
        sound += right && PageOf(firstStub).Protect != PAGE_EXECUTE_READ;
        for (auto& control : controls) control->SetClientSite(nullptr);
    });
    EXPECT_EQ(sound.load(), kThreads);
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(pages[t][0], pages[t][1]) << "one page a thread";
        for (int other = 0; other < t; ++other) EXPECT_NE(pages[t][0], pages[other][0]);
    }
    EXPECT_EQ(ExecutablePrivateBytes(), executableBefore);
}

TEST_F(StubPages, ASystemThatRefusesExecutableMemoryFailsTheWindowAsItFailsAnyOther) {
    // What the container hears of a window the system refuses: a parent that is no window.
    UseLevel(InPlaceLevel::Ex);
    site.Options().Parent = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x7FFF1234));
    ASSERT_EQ(Activate(OLEIVERB_INPLACEACTIVATE), S_OK);
    const std::string refusedWindow = log.Format();
    ASSERT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
    site.Options().Parent = container.Handle();
    HWND window = nullptr;
    {
        const ImportHook refuse = RefuseProtectionChanges();
        log.Clear();
        EXPECT_EQ(Activate(OLEIVERB_INPLACEACTIVATE), S_OK);
        EXPECT_EQ(log.Format(), refusedWindow);
        EXPECT_EQ(InPlace()->GetWindow(&window), E_UNEXPECTED);
        EXPECT_EQ(PageOf(refusedPage).State, static_cast<DWORD>(MEM_FREE)) << "the page it could not protect";
    }
    // A page with a live window on it stays as it was, its window at work; windowless, a
    // control needs no executable memory; allowed again, the next window joins the page.
    RecordingSite neighbourSite(log), windowlessSite(log);
    HWND neighbourWindow = nullptr;
    auto neighbour = ActivateInPlace(neighbourSite, container.Handle(), neighbourWindow);
    ASSERT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
    {
        const ImportHook refuse = RefuseProtectionChanges();
        ASSERT_EQ(Activate(OLEIVERB_INPLACEACTIVATE), S_OK);
        EXPECT_EQ(InPlace()->GetWindow(&window), E_UNEXPECTED);
        EXPECT_TRUE(ReadsAndExecutesOnly(StubOf(neighbourWindow)) && PaintsItself(neighbourWindow));
        windowlessSite.Options().AcceptsWindowless = true;
        auto windowless = ActivateInPlace(windowlessSite, container.Handle(), window);
        EXPECT_TRUE(log.Contains("Site.OnInPlaceActivateEx(1)")) << log.Format();
        DropControl(windowless);
    }
    ASSERT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
    ASSERT_EQ(Activate(OLEIVERB_INPLACEACTIVATE), S_OK);
    ASSERT_EQ(InPlace()->GetWindow(&window), S_OK);
    EXPECT_EQ(PageOf(StubOf(window)).BaseAddress, PageOf(StubOf(neighbourWindow)).BaseAddress);
    DropControl(neighbour);
}

TEST_F(StubPages, AWindowsStubGivenBackOnAnotherThreadLeavesThePageToItsOwnThread) {
    ActivateWindowedInPlace();
    const HWND window = ControlWindowHandle();
    RecordingSite secondSite(log);
    HWND secondWindow = nullptr;
    auto second = ActivateInPlace(secondSite, container.Handle(), secondWindow);
    {
        // The releasing thread cannot know whether the page's own thread is running a stub.
        const ImportHook refuse = RefuseProtectionChanges();
        RunOnThreadsOfTheMultithreadedApartment(1, [&](int) { second.Reset(); });
        EXPECT_EQ(refusedPage, nullptr) << "a protection change asked for";
    }
    EXPECT_TRUE(ReadsAndExecutesOnly(StubOf(window)) && PaintsItself(window));
    DestroyWindow(secondWindow);
}

// The last stub of a page given back on another thread while its window lives on its own
// thread, which may be about to enter it: the page stays, executable, until its thread has
// ended (then any thread's next stub gives it back).
TEST_F(StubPages, APageEmptiedOnAnotherThreadStaysUntilItsOwnThreadCanRunNoStubOfIt) {
    const size_t executableBefore = ExecutablePrivateBytes();
    std::atomic<bool> kept{false};
    RunOnThreadsOfTheirOwnApartments(1, [&](int) {
        CallLog threadLog;
        ContainerWindow threadContainer;
        RecordingSite threadSite(threadLog);
        HWND window = nullptr;
        auto control = ActivateInPlace(threadSite, threadContainer.Handle(), window);
        const BYTE* stub = StubOf(window);
        control->SetClientSite(nullptr);
        RunOnThreadsOfTheMultithreadedApartment(1, [&](int) { control.Reset(); });
        // The window outlived its object here: its thread could have read the stub's address.
        kept = IsWindow(window) && ReadsAndExecutesOnly(stub);
        DestroyWindow(window);
    });
    EXPECT_TRUE(kept.load());
    RecordingSite laterSite(log);
    HWND laterWindow = nullptr;
    auto later = ActivateInPlace(laterSite, container.Handle(), laterWindow);
    DropControl(later);
    EXPECT_EQ(ExecutablePrivateBytes(), executableBefore);
}

// A page with a live stub made writable for a new one, and then refused the change back: the
// new window fails, its slot is cleared, and the page executes again for the live one.
TEST_F(StubPages, ARefusedChangeBackFailsTheNewWindowAndKeepsThePageOfTheLiveOnes) {
    RecordingSite neighbourSite(log);
    HWND neighbourWindow = nullptr;
    auto neighbour = ActivateInPlace(neighbourSite, container.Handle(), neighbourWindow);
    const BYTE* page = static_cast<const BYTE*>(PageOf(StubOf(neighbourWindow)).BaseAddress);
    {
        const ImportHook refuse = RefuseOneChangeBack();
        ASSERT_TRUE(refuse.Installed());
        HWND window = nullptr;
        ASSERT_EQ(Activate(OLEIVERB_INPLACEACTIVATE), S_OK);
        EXPECT_EQ(InPlace()->GetWindow(&window), E_UNEXPECTED);
        EXPECT_EQ(refusedPage, page);
    }
    ASSERT_TRUE(ReadsAndExecutesOnly(StubOf(neighbourWindow)));
    EXPECT_TRUE(PaintsItself(neighbourWindow));
    // Every slot but the live one traps.
    const BYTE* live = StubOf(neighbourWindow);
    size_t stubBytes = 0;
    for (const BYTE* at = page; at < page + 4096; ++at) stubBytes += *at != 0xCC && (at < live || at >= live + 32);
    EXPECT_EQ(stubBytes, 0u);
    DropControl(neighbour);
}

}  // namespace
