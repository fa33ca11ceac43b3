// The control drawn by a container: pixels in a 32-bit DIB section through IViewObject::Draw
// and OleDraw, the DC handed back as it came, hit tests and the view's answers.
#include <gtest/gtest.h>

#include <ole2.h>

#include <cstring>
#include <vector>

#include "control/recording_container.h"
#include "support/loaded_server.h"

namespace {

constexpr DWORD kBackground = 0x00336699;
constexpr DWORD kBlack = 0x00000000;
constexpr DWORD kWhite = 0x00FFFFFF;

// A 200 x 100 top-down 32-bit DIB section selected into a memory DC, filled with one colour.
class Canvas {
public:
    Canvas() : dc_(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        for (int i = 0; i < kWidth * kHeight; ++i) bits_[i] = kBackground;
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC DC() const { return dc_; }
    DWORD At(int x, int y) const {
        GdiFlush();
        return bits_[y * kWidth + x] & 0x00FFFFFF;
    }
    // Dark pixels inside a box: the caption's strokes.
    int CountBlack(int left, int top, int right, int bottom) const {
        int count = 0;
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) count += At(x, y) == kBlack ? 1 : 0;
        }
        return count;
    }

    static constexpr int kWidth = 200;
    static constexpr int kHeight = 100;

private:
    HDC dc_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    DWORD* bits_ = nullptr;
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
    // The caption stands on the baseline at the centre: strokes above it, none far off.
    EXPECT_GT(canvas.CountBlack(30, 30, 90, 46), 20);
    EXPECT_EQ(canvas.CountBlack(11, 21, 25, 28), 0);
}

class Rendering : public testing::Test {
protected:
    void TearDown() override {
        view.Reset();
        EXPECT_EQ(server.CanUnloadNow(), S_OK);
    }

    LoadedServer server;
    Canvas canvas;
    InterfacePtr<IViewObjectEx> view = server.Create<IViewObjectEx>(IID_IViewObjectEx);
};

}  // namespace

TEST_F(Rendering, DrawPaintsTheFrameAndCaptionOnTheBounds) {
    const RECTL bounds{10, 20, 110, 70};
    ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.DC(), &bounds, nullptr, nullptr, 0),
              S_OK);
    ExpectControlAt10_20_110_70(canvas);
}

TEST_F(Rendering, OleDrawReachesTheSameDrawing) {
    const RECT bounds{10, 20, 110, 70};
    ASSERT_EQ(OleDraw(view.Get(), DVASPECT_CONTENT, canvas.DC(), &bounds), S_OK);
    ExpectControlAt10_20_110_70(canvas);
}

TEST_F(Rendering, LogicalBoundsAreDrawnInDevicePixelsAndTheDCComesBackAsItWas) {
    HDC dc = canvas.DC();
    // Two logical units to a pixel and both origins moved: (20, 40, 220, 140) lands on
    // (10, 20, 110, 70).
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, 200, 200, nullptr);
    SetViewportExtEx(dc, 100, 100, nullptr);
    SetWindowOrgEx(dc, 6, 8, nullptr);
    SetViewportOrgEx(dc, 3, 4, nullptr);
    const RECTL bounds{20, 40, 220, 140};
    const UINT alignment = GetTextAlign(dc);
    ASSERT_EQ(view->Draw(DVASPECT_TRANSPARENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0),
              S_OK);
    EXPECT_EQ(GetMapMode(dc), MM_ANISOTROPIC);
    POINT origin{};
    GetWindowOrgEx(dc, &origin);
    EXPECT_EQ(origin.x, 6);
    EXPECT_EQ(origin.y, 8);
    GetViewportOrgEx(dc, &origin);
    EXPECT_EQ(origin.x, 3);
    EXPECT_EQ(origin.y, 4);
    EXPECT_EQ(GetTextAlign(dc), alignment);
    SetMapMode(dc, MM_TEXT);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetViewportOrgEx(dc, 0, 0, nullptr);
    ExpectControlAt10_20_110_70(canvas);
}

TEST_F(Rendering, AspectsAndMissingBoundsAreRefusedBeforeAnythingIsDrawn) {
    const RECTL bounds{10, 20, 110, 70};
    HDC dc = canvas.DC();
    EXPECT_EQ(view->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0),
              DV_E_DVASPECT);
    EXPECT_EQ(view->Draw(DVASPECT_DOCPRINT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0),
              DV_E_DVASPECT);
    // The bounds are checked first, and only a windowless control may go without them.
    EXPECT_EQ(view->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, dc, nullptr, nullptr, nullptr, 0),
              E_INVALIDARG);
    EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, nullptr, nullptr, nullptr, 0),
              E_INVALIDARG);
    EXPECT_EQ(canvas.CountBlack(0, 0, Canvas::kWidth, Canvas::kHeight), 0);
    EXPECT_EQ(view->Draw(DVASPECT_OPAQUE, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0), S_OK);
}

// A target device naming the display, with and without a device mode: the bounds are
// measured against a DC made from it, and the drawing is the same.
TEST_F(Rendering, ATargetDeviceIsOpenedWithAndWithoutItsDeviceMode) {
    for (const bool withMode : {false, true}) {
        const wchar_t driver[] = L"DISPLAY";
        const size_t modeOffset = 8 + sizeof driver + 2;  // kept even
        std::vector<BYTE> record(modeOffset + sizeof(DEVMODEW));
        auto* device = reinterpret_cast<DVTARGETDEVICE*>(record.data());
        device->tdSize = static_cast<DWORD>(record.size());
        device->tdDriverNameOffset = 8;
        std::memcpy(record.data() + 8, driver, sizeof driver);
        if (withMode) {
            device->tdExtDevmodeOffset = static_cast<WORD>(modeOffset);
            DEVMODEW mode{};
            mode.dmSize = sizeof mode;
            mode.dmSpecVersion = DM_SPECVERSION;
            std::memcpy(record.data() + modeOffset, &mode, sizeof mode);
        }
        Canvas target;
        const RECTL bounds{10, 20, 110, 70};
        ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, device, nullptr, target.DC(), &bounds, nullptr, nullptr,
                             0),
                  S_OK)
            << withMode;
        ExpectControlAt10_20_110_70(target);
    }
}

TEST_F(Rendering, HitTestsExcludeTheRightAndBottomEdges) {
    const RECT bounds{10, 20, 110, 70};
    DWORD hit = 99;
    EXPECT_EQ(view->QueryHitPoint(DVASPECT_CONTENT, &bounds, POINT{10, 20}, 0, &hit), S_OK);
    EXPECT_EQ(hit, static_cast<DWORD>(HITRESULT_HIT));
    EXPECT_EQ(view->QueryHitPoint(DVASPECT_CONTENT, &bounds, POINT{110, 40}, 0, &hit), S_OK);
    EXPECT_EQ(hit, static_cast<DWORD>(HITRESULT_OUTSIDE));
    EXPECT_EQ(view->QueryHitPoint(DVASPECT_CONTENT, &bounds, POINT{50, 70}, 0, &hit), S_OK);
    EXPECT_EQ(hit, static_cast<DWORD>(HITRESULT_OUTSIDE));
    const RECT touching{110, 20, 150, 70};
    EXPECT_EQ(view->QueryHitRect(DVASPECT_CONTENT, &bounds, &touching, 0, &hit), S_OK);
    EXPECT_EQ(hit, static_cast<DWORD>(HITRESULT_OUTSIDE));
    const RECT overlapping{109, 69, 150, 90};
    EXPECT_EQ(view->QueryHitRect(DVASPECT_CONTENT, &bounds, &overlapping, 0, &hit), S_OK);
    EXPECT_EQ(hit, static_cast<DWORD>(HITRESULT_HIT));
    EXPECT_EQ(view->QueryHitPoint(DVASPECT_ICON, &bounds, POINT{50, 40}, 0, &hit), E_FAIL);
    EXPECT_EQ(view->QueryHitRect(DVASPECT_ICON, &bounds, &overlapping, 0, &hit), E_FAIL);
}

TEST_F(Rendering, NullOutPointersAreAnsweredNotFollowed) {
    const RECT bounds{10, 20, 110, 70};
    EXPECT_EQ(view->GetViewStatus(nullptr), E_POINTER);
    EXPECT_EQ(view->QueryHitPoint(DVASPECT_CONTENT, &bounds, POINT{50, 40}, 0, nullptr), E_POINTER);
    EXPECT_EQ(view->QueryHitRect(DVASPECT_CONTENT, &bounds, &bounds, 0, nullptr), E_POINTER);
    EXPECT_EQ(view->GetExtent(DVASPECT_CONTENT, -1, nullptr, nullptr), E_POINTER);
    DVEXTENTINFO info{sizeof info, DVEXTENT_CONTENT, {0, 0}};
    EXPECT_EQ(view->GetNaturalExtent(DVASPECT_CONTENT, -1, nullptr, nullptr, &info, nullptr), E_POINTER);
}

TEST_F(Rendering, TheViewAnswersItsStatusAndExtents) {
    DWORD status = 0;
    ASSERT_EQ(view->GetViewStatus(&status), S_OK);
    EXPECT_EQ(status, static_cast<DWORD>(VIEWSTATUS_DVASPECTTRANSPARENT));
    SIZEL size{};
    DVEXTENTINFO info{sizeof info, DVEXTENT_CONTENT, {0, 0}};
    ASSERT_EQ(view->GetNaturalExtent(DVASPECT_CONTENT, -1, nullptr, nullptr, &info, &size), S_OK);
    EXPECT_EQ(size.cx, 5080);
    EXPECT_EQ(size.cy, 5080);
    info.dwExtentMode = DVEXTENT_INTEGRAL;
    EXPECT_EQ(view->GetNaturalExtent(DVASPECT_CONTENT, -1, nullptr, nullptr, &info, &size), E_FAIL);
    EXPECT_EQ(view->GetColorSet(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, nullptr), E_NOTIMPL);
    EXPECT_EQ(view->GetRect(DVASPECT_CONTENT, nullptr), E_NOTIMPL);
}

TEST_F(Rendering, TheViewSinkIsHeldOnceAndHandedBack) {
    CallLog log;
    RecordingSink sink(log);
    ASSERT_EQ(view->SetAdvise(DVASPECT_CONTENT, 0, &sink), S_OK);
    ASSERT_EQ(view->SetAdvise(DVASPECT_CONTENT, 0, &sink), S_OK);
    EXPECT_EQ(sink.References(), 1);
    DWORD aspects = 77;
    InterfacePtr<IAdviseSink> got;
    ASSERT_EQ(view->GetAdvise(&aspects, nullptr, got.Receive()), S_OK);
    EXPECT_EQ(got.Get(), static_cast<IAdviseSink*>(&sink));
    EXPECT_EQ(aspects, 77u);  // not kept, so not told
    got.Reset();
    ASSERT_EQ(view->SetAdvise(DVASPECT_CONTENT, 0, nullptr), S_OK);
    EXPECT_EQ(sink.References(), 0);
    EXPECT_TRUE(log.Entries().empty()) << log.Format();
}
