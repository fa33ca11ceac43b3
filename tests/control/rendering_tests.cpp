// The control drawn by a container: pixels in a 32-bit DIB section through IViewObject::Draw
// and OleDraw, the DC handed back as it came, hit tests and the view's answers.
#include <gtest/gtest.h>

#include <ocidl.h>
#include <ole2.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "common/dib_canvas.h"
#include "common/import_hook.h"
#include "common/loaded_server.h"

namespace {

constexpr DWORD kBackground = 0x00336699;
constexpr DWORD kBlack = 0x00000000;
constexpr DWORD kWhite = 0x00FFFFFF;

// A 200 x 100 canvas filled with one colour.
class Canvas : public DibCanvas {
public:
    static constexpr int kWidth = 200;
    static constexpr int kHeight = 100;
    Canvas() : DibCanvas(kWidth, kHeight, kBackground) {}
};

// The drawing expected for bounds (10, 20, 110, 70) in device pixels: a black frame on the
// bounds (right and bottom exclusive), a white inside, the caption around (60, 45), and
// nothing outside.
void ExpectControlAt10_20_110_70(const Canvas& canvas) {
    for (int y = 20; y < 70; ++y) {
        EXPECT_EQ(canvas.At(10, y), kBlack) << y;
        EXPECT_EQ(canvas.At(109, y), kBlack) << y;
        EXPECT_EQ(canvas.At(9, y), kBackground) << y;
        EXPECT_EQ(canvas.At(110, y), kBackground) << y;
    }
    for (int x = 10; x < 110; ++x) {
        EXPECT_EQ(canvas.At(x, 20), kBlack) << x;
        EXPECT_EQ(canvas.At(x, 69), kBlack) << x;
        EXPECT_EQ(canvas.At(x, 19), kBackground) << x;
        EXPECT_EQ(canvas.At(x, 70), kBackground) << x;
    }
    EXPECT_EQ(canvas.At(12, 22), kWhite);
    // The caption is centred on x = 60 and stands on the baseline y = 45.
    const RECT caption = canvas.BlackBox(11, 21, 109, 69);
    EXPECT_NEAR((caption.left + caption.right) / 2.0, 60, 1.0);
    EXPECT_EQ(caption.bottom, 45);
    EXPECT_GT(caption.right - caption.left, 30);
}

class Rendering : public testing::Test {
protected:
    void TearDown() override {
        view.Reset();
        EXPECT_EQ(server.CanUnloadNow(), S_OK);
    }
    HRESULT DrawInto(HDC dc, DWORD aspect, const RECTL* bounds, DVTARGETDEVICE* device = nullptr) {
        return view->Draw(aspect, -1, nullptr, device, nullptr, dc, bounds, nullptr, nullptr, 0);
    }
    DWORD HitAt(LONG x, LONG y) {
        DWORD hit = 99;
        EXPECT_EQ(view->QueryHitPoint(DVASPECT_CONTENT, &kBounds, POINT{x, y}, 0, &hit), S_OK);
        return hit;
    }
    DWORD HitOf(const RECT& location) {
        DWORD hit = 99;
        EXPECT_EQ(view->QueryHitRect(DVASPECT_CONTENT, &kBounds, &location, 0, &hit), S_OK);
        return hit;
    }

    const RECT kBounds{10, 20, 110, 70};
    const RECTL kBoundsL{10, 20, 110, 70};
    LoadedServer server;
    Canvas canvas;
    InterfacePtr<IViewObjectEx> view = server.Create<IViewObjectEx>(IID_IViewObjectEx);
};

// A target device record naming the display, with a device mode when asked.
std::vector<BYTE> DisplayDevice(bool withMode) {
    const wchar_t driver[] = L"DISPLAY";
    const WORD driverOffset = offsetof(DVTARGETDEVICE, tdData), modeOffset = driverOffset + sizeof driver;
    std::vector<BYTE> record(withMode ? modeOffset + sizeof(DEVMODEW) : modeOffset);
    auto* device = reinterpret_cast<DVTARGETDEVICE*>(record.data());
    device->tdSize = static_cast<DWORD>(record.size());
    device->tdDriverNameOffset = driverOffset;
    std::memcpy(record.data() + driverOffset, driver, sizeof driver);
    if (withMode) {
        device->tdExtDevmodeOffset = modeOffset;
        auto* mode = reinterpret_cast<DEVMODEW*>(record.data() + modeOffset);
        mode->dmSize = sizeof(DEVMODEW);
        mode->dmSpecVersion = DM_SPECVERSION;
    }
    return record;
}

DVTARGETDEVICE& HeaderOf(std::vector<BYTE>& record) { return *reinterpret_cast<DVTARGETDEVICE*>(record.data()); }
DEVMODEW& ModeOf(std::vector<BYTE>& record) {
    return *reinterpret_cast<DEVMODEW*>(record.data() + HeaderOf(record).tdExtDevmodeOffset);
}

// The device contexts the library opens, counted on their way to the platform.
int openedDCs = 0;
void* originalCreateDC = nullptr;
HDC WINAPI CountCreateDC(LPCSTR driver, LPCSTR device, LPCSTR port, const DEVMODEA* mode) {
    ++openedDCs;
    return reinterpret_cast<decltype(&CreateDCA)>(originalCreateDC)(driver, device, port, mode);
}

}  // namespace

TEST_F(Rendering, DrawAndOleDrawPaintTheFrameAndCaptionOnTheBounds) {
    ASSERT_EQ(DrawInto(canvas.DC(), DVASPECT_CONTENT, &kBoundsL), S_OK);
    ExpectControlAt10_20_110_70(canvas);
    Canvas other;
    ASSERT_EQ(OleDraw(view.Get(), DVASPECT_CONTENT, other.DC(), &kBounds), S_OK);
    ExpectControlAt10_20_110_70(other);
}

// The bounds are in the draw DC's logical units whatever device the picture is meant for.
TEST_F(Rendering, LogicalBoundsAreDrawnInDevicePixelsWhateverTheTargetDevice) {
    std::vector<BYTE> bare = DisplayDevice(false);
    std::vector<BYTE> withMode = DisplayDevice(true);
    for (BYTE* device : {static_cast<BYTE*>(nullptr), bare.data(), withMode.data()}) {
        Canvas mapped;
        HDC dc = mapped.DC();
        // Two logical units to a pixel and both origins moved: (20, 40, 220, 140) lands on
        // (10, 20, 110, 70).
        SetMapMode(dc, MM_ANISOTROPIC);
        SetWindowExtEx(dc, 200, 200, nullptr);
        SetViewportExtEx(dc, 100, 100, nullptr);
        SetWindowOrgEx(dc, 6, 8, nullptr);
        SetViewportOrgEx(dc, 3, 4, nullptr);
        const RECTL bounds{20, 40, 220, 140};
        const UINT alignment = GetTextAlign(dc);
        ASSERT_EQ(DrawInto(dc, DVASPECT_TRANSPARENT, &bounds, reinterpret_cast<DVTARGETDEVICE*>(device)), S_OK);
        EXPECT_EQ(GetMapMode(dc), MM_ANISOTROPIC);
        POINT window{}, viewport{};
        GetWindowOrgEx(dc, &window);
        GetViewportOrgEx(dc, &viewport);
        EXPECT_TRUE(window.x == 6 && window.y == 8 && viewport.x == 3 && viewport.y == 4);
        EXPECT_EQ(GetTextAlign(dc), alignment);
        ExpectControlAt10_20_110_70(mapped);
    }
}

// A record that would be read past its size is refused: drawn as without a device.
TEST_F(Rendering, ATargetDeviceIsReadOnlyWithinItsSize) {
    ImportHook hook(server.Module(), "gdi32.dll", "CreateDCA", reinterpret_cast<void*>(&CountCreateDC));
    ASSERT_TRUE(hook.Installed());
    originalCreateDC = hook.Original();
    struct Case {
        const char* What;
        std::vector<BYTE> Record;
    };
    Case cases[] = {{"sound", DisplayDevice(true)},         {"name without terminator", DisplayDevice(false)},
                    {"port outside", DisplayDevice(true)},  {"mode shorter than its fixed part", DisplayDevice(true)},
                    {"driver bytes outside", DisplayDevice(true)}};
    cases[1].Record.resize(cases[1].Record.size() - sizeof(wchar_t));
    HeaderOf(cases[1].Record).tdSize = static_cast<DWORD>(cases[1].Record.size());
    HeaderOf(cases[2].Record).tdPortNameOffset = static_cast<WORD>(cases[2].Record.size());
    ModeOf(cases[3].Record).dmSize = offsetof(DEVMODEW, dmFields);
    ModeOf(cases[4].Record).dmDriverExtra = 0xFFFF;
    // Each record is copied to the end of a page whose successor is inaccessible, so a
    // read past its size faults.
    constexpr SIZE_T kPage = 4096;
    auto* pages = static_cast<BYTE*>(VirtualAlloc(nullptr, 2 * kPage, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(pages + kPage, kPage, PAGE_NOACCESS, &old));
    for (const Case& row : cases) {
        BYTE* placed = pages + kPage - row.Record.size();
        std::memcpy(placed, row.Record.data(), row.Record.size());
        openedDCs = 0;
        Canvas target;
        EXPECT_EQ(DrawInto(target.DC(), DVASPECT_CONTENT, &kBoundsL, reinterpret_cast<DVTARGETDEVICE*>(placed)), S_OK);
        ExpectControlAt10_20_110_70(target);
        EXPECT_EQ(openedDCs, &row == cases ? 1 : 0) << row.What;
    }
    VirtualFree(pages, 0, MEM_RELEASE);
}

TEST_F(Rendering, AspectsAndMissingBoundsAreRefusedBeforeAnythingIsDrawn) {
    HDC dc = canvas.DC();
    EXPECT_EQ(DrawInto(dc, DVASPECT_ICON, &kBoundsL), DV_E_DVASPECT);
    EXPECT_EQ(DrawInto(dc, DVASPECT_DOCPRINT, &kBoundsL), DV_E_DVASPECT);
    // The bounds are checked first, and only a windowless control may go without them.
    EXPECT_EQ(DrawInto(dc, DVASPECT_ICON, nullptr), E_INVALIDARG);
    EXPECT_EQ(DrawInto(dc, DVASPECT_CONTENT, nullptr), E_INVALIDARG);
    const RECT nothing = canvas.BlackBox(0, 0, Canvas::kWidth, Canvas::kHeight);
    EXPECT_TRUE(IsRectEmpty(&nothing));
    EXPECT_EQ(DrawInto(dc, DVASPECT_OPAQUE, &kBoundsL), S_OK);
}

TEST_F(Rendering, HitTestsExcludeTheRightAndBottomEdges) {
    EXPECT_EQ(HitAt(10, 20), static_cast<DWORD>(HITRESULT_HIT));
    EXPECT_EQ(HitAt(110, 40), static_cast<DWORD>(HITRESULT_OUTSIDE));
    EXPECT_EQ(HitAt(50, 70), static_cast<DWORD>(HITRESULT_OUTSIDE));
    EXPECT_EQ(HitOf({110, 20, 150, 70}), static_cast<DWORD>(HITRESULT_OUTSIDE));  // touching the right edge
    EXPECT_EQ(HitOf({500, 500, 600, 600}), static_cast<DWORD>(HITRESULT_OUTSIDE));
    EXPECT_EQ(HitOf({109, 69, 150, 90}), static_cast<DWORD>(HITRESULT_HIT));  // one pixel in common
    DWORD hit = 0;
    EXPECT_EQ(view->QueryHitPoint(DVASPECT_ICON, &kBounds, POINT{50, 40}, 0, &hit), E_FAIL);
    EXPECT_EQ(view->QueryHitRect(DVASPECT_ICON, &kBounds, &kBounds, 0, &hit), E_FAIL);
}

TEST_F(Rendering, TheViewAnswersItsStatusAndExtentsAndNeverFollowsANullPointer) {
    DWORD status = 0;
    ASSERT_EQ(view->GetViewStatus(&status), S_OK);
    EXPECT_EQ(status, static_cast<DWORD>(VIEWSTATUS_DVASPECTTRANSPARENT));
    SIZEL size{};
    DVEXTENTINFO info{sizeof info, DVEXTENT_CONTENT, {0, 0}};
    ASSERT_EQ(view->GetNaturalExtent(DVASPECT_CONTENT, -1, nullptr, nullptr, &info, &size), S_OK);
    EXPECT_TRUE(size.cx == 5080 && size.cy == 5080);
    EXPECT_EQ(view->GetNaturalExtent(DVASPECT_CONTENT, -1, nullptr, nullptr, &info, nullptr), E_POINTER);
    info.dwExtentMode = DVEXTENT_INTEGRAL;
    EXPECT_EQ(view->GetNaturalExtent(DVASPECT_CONTENT, -1, nullptr, nullptr, &info, &size), E_FAIL);

    EXPECT_EQ(view->GetViewStatus(nullptr), E_POINTER);
    EXPECT_EQ(view->QueryHitPoint(DVASPECT_CONTENT, &kBounds, POINT{50, 40}, 0, nullptr), E_POINTER);
    EXPECT_EQ(view->QueryHitRect(DVASPECT_CONTENT, &kBounds, &kBounds, 0, nullptr), E_POINTER);
    EXPECT_EQ(view->GetExtent(DVASPECT_CONTENT, -1, nullptr, nullptr), E_POINTER);
}
