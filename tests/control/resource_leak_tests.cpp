// Activation and deactivation leave nothing behind: kernel handles, windows, committed
// private memory and executable stub memory are counted for real before and after.
#include <gtest/gtest.h>

#include <iostream>
#include <vector>

#include "container_fixture.h"
#include "common/gui_counters.h"

namespace {

// The heap keeps freed blocks committed and grows in steps; anything above this after a
// warmed-up run is a leak.
constexpr std::size_t kHeapSlack = 64 * 1024;

void Report(const char* what, const ResourceCounts& before, const ResourceCounts& after) {
    std::cout << what << ": handles " << before.Handles << " -> " << after.Handles << ", windows " << before.Windows
              << " -> " << after.Windows << ", committed " << before.CommittedBytes << " -> "
              << after.CommittedBytes << ", executable " << before.ExecutableBytes << " -> "
              << after.ExecutableBytes << "\n";
}

void ExpectNothingLeaked(const ResourceCounts& before, const ResourceCounts& after) {
    EXPECT_EQ(after.Handles, before.Handles);
    EXPECT_EQ(after.Windows, before.Windows);
    EXPECT_EQ(after.ExecutableBytes, before.ExecutableBytes);
    EXPECT_LE(after.CommittedBytes, before.CommittedBytes + kHeapSlack);
}

class ResourceLeaks : public ContainerFixture {
protected:
    // One full round: UI-activated with a window clipped by a region, then passive again.
    void ActivateAndDeactivate(IOleObject* control, RecordingSite& clientSite) {
        RECT unused{};
        ASSERT_EQ(control->DoVerb(OLEIVERB_UIACTIVATE, nullptr, &clientSite, 0, container.Handle(), &unused), S_OK);
        InterfacePtr<IOleInPlaceObject> inPlace;
        control->QueryInterface(IID_IOleInPlaceObject, inPlace.ReceiveVoid());
        const RECT position{10, 20, 110, 70};
        const RECT clip{50, 0, 400, 300};
        inPlace->SetObjectRects(&position, &clip);
        ASSERT_EQ(inPlace->InPlaceDeactivate(), S_OK);
        log.Clear();
    }
    // A new control, activated once, closed and released.
    void LiveOneControl() {
        auto control = MakeSitedControl(site);
        ActivateAndDeactivate(control.Get(), site);
        DropControl(control);
    }
};

TEST_F(ResourceLeaks, EachCounterMovesWhenSomethingIsLeakedOnPurpose) {
    UseLevel(InPlaceLevel::Ex);
    const ResourceCounts before = TakeResourceCounts();
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HWND window = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 1, 1, container.Handle(), nullptr, nullptr, nullptr);
    void* block = VirtualAlloc(nullptr, 256 * 1024, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_EQ(Activate(OLEIVERB_INPLACEACTIVATE), S_OK);  // a live window and its stub
    const ResourceCounts leaked = TakeResourceCounts();
    Report("leaked on purpose", before, leaked);
    EXPECT_EQ(leaked.Handles, before.Handles + 1);
    EXPECT_EQ(leaked.Windows, before.Windows + 2);
    EXPECT_GE(leaked.CommittedBytes, before.CommittedBytes + 256 * 1024);
    EXPECT_GT(leaked.ExecutableBytes, before.ExecutableBytes);
    ASSERT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
    object.Reset();
    VirtualFree(block, 0, MEM_RELEASE);
    DestroyWindow(window);
    CloseHandle(event);
    const ResourceCounts after = TakeResourceCounts();
    EXPECT_EQ(after.Handles, before.Handles);
    EXPECT_EQ(after.Windows, before.Windows);
    EXPECT_EQ(after.ExecutableBytes, before.ExecutableBytes);
}

TEST_F(ResourceLeaks, AThousandActivationsOfOneControlLeaveNothingBehind) {
    UseLevel(InPlaceLevel::Ex);
    for (int i = 0; i < 20; ++i) ActivateAndDeactivate(object.Get(), site);
    const ResourceCounts before = TakeResourceCounts();
    for (int i = 0; i < 1000; ++i) ActivateAndDeactivate(object.Get(), site);
    const ResourceCounts after = TakeResourceCounts();
    Report("1000 activations", before, after);
    ExpectNothingLeaked(before, after);
}

TEST_F(ResourceLeaks, HundredsOfControlsActivatedOnceLeaveNothingBehind) {
    UseLevel(InPlaceLevel::Ex);
    object.Reset();
    for (int i = 0; i < 10; ++i) LiveOneControl();
    const ResourceCounts before = TakeResourceCounts();
    for (int i = 0; i < 300; ++i) LiveOneControl();
    const ResourceCounts after = TakeResourceCounts();
    Report("300 controls", before, after);
    ExpectNothingLeaked(before, after);
}

TEST_F(ResourceLeaks, StubMemoryIsSharedWhileControlsLiveAndReturnedAfterwards) {
    UseLevel(InPlaceLevel::Ex);
    object.Reset();
    constexpr std::size_t kControls = 200;
    ResourceCounts alive{};
    auto liveTogether = [&] {
        std::vector<InterfacePtr<IOleObject>> controls;
        for (std::size_t i = 0; i < kControls; ++i) {
            controls.push_back(MakeSitedControl(site));
            RECT unused{};
            EXPECT_EQ(controls.back()->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, container.Handle(), &unused),
                      S_OK);
        }
        alive = TakeResourceCounts();
        for (auto& control : controls) DropControl(control);
    };
    liveTogether();  // the heap grows to its size for this many objects once
    const ResourceCounts before = TakeResourceCounts();
    liveTogether();
    const ResourceCounts after = TakeResourceCounts();
    Report("200 live controls", before, alive);
    Report("200 controls released", before, after);
    EXPECT_EQ(alive.Windows, before.Windows + kControls);
    // A few pages of stubs serve them all.
    EXPECT_GT(alive.ExecutableBytes, before.ExecutableBytes);
    EXPECT_LE(alive.ExecutableBytes, before.ExecutableBytes + 8 * 4096);
    ExpectNothingLeaked(before, after);
}

}  // namespace
