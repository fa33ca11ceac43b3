// How the control paints: the device contexts and zoom prepared around one drawing, and
// the drawing itself, a rectangle on the bounds with the caption centred in it.
#include "control/rendering.h"

#include "control/lumex_control.h"
#include "control/target_device.h"

namespace {

constexpr char kCaption[] = "MP3Head";
constexpr LONG kHimetricPerInch = 2540;

// Widened so that any loaded extent converts without overflow; the quotient always fits.
LONG ScaleToPixels(LONG himetric, int pixelsPerInch) {
    return static_cast<LONG>((static_cast<LONGLONG>(himetric) * pixelsPerInch + kHimetricPerInch / 2) /
                             kHimetricPerInch);
}

// The middle of two coordinates, truncated toward zero.
LONG Middle(LONG low, LONG high) { return static_cast<LONG>((static_cast<LONGLONG>(low) + high) / 2); }

}  // namespace

HRESULT LumexControl::PrepareAndDraw(DrawRequest& request) {
    HDC madeTargetDC = nullptr;
    if (request.TargetDC == nullptr) {
        request.TargetDC = MakeTargetDC(request.DrawDC, request.TargetDevice);
        if (request.TargetDC != request.DrawDC) madeTargetDC = request.TargetDC;
    }
    RECT bounds = *request.Bounds;
    const bool metafile = IsMetafileDC(request.DrawDC);
    if (!metafile) {
        // Drawn in device units from the DC's own origin; the DC gets its state back below.
        // The bounds are the draw DC's logical units, whatever device the target DC is of.
        LPtoDP(request.DrawDC, reinterpret_cast<POINT*>(&bounds), 2);
        SaveDC(request.DrawDC);
        SetMapMode(request.DrawDC, MM_TEXT);
        SetWindowOrgEx(request.DrawDC, 0, 0, nullptr);
        SetViewportOrgEx(request.DrawDC, 0, 0, nullptr);
        request.CanOptimize = TRUE;
    }
    // The request points at the prepared copy while it is drawn, and at the caller's again after.
    const RECT* callersBounds = request.Bounds;
    request.Bounds = &bounds;
    ComputeZoom(*this, request);
    const HRESULT result = DrawContent(request);
    request.Bounds = callersBounds;
    if (madeTargetDC != nullptr) {
        DeleteDC(madeTargetDC);
        request.TargetDC = nullptr;
    }
    if (!metafile) RestoreDC(request.DrawDC, -1);
    return result;
}

HRESULT LumexControl::DrawContent(DrawRequest& request) {
    const RECT& bounds = *request.Bounds;
    HDC dc = request.DrawDC;
    Rectangle(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
    SetTextAlign(dc, TA_CENTER | TA_BASELINE);
    TextOutA(dc, Middle(bounds.left, bounds.right), Middle(bounds.top, bounds.bottom), kCaption,
             static_cast<int>(sizeof kCaption - 1));
    return S_OK;
}

void ComputeZoom(const ControlState& state, DrawRequest& request) {
    SIZEL size = state.Has(ControlFlag::RenderNaturalSize) ? state.NaturalExtent : state.Extent;
    if (!request.BoundsInHimetric) HimetricToPixels(size, size);
    const RECT& bounds = *request.Bounds;
    request.ZoomNumerator = {bounds.right - bounds.left, bounds.bottom - bounds.top};
    request.ZoomDenominator = size;
    if (request.ZoomNumerator.cx == 0 || request.ZoomNumerator.cy == 0 || size.cx == 0 || size.cy == 0) {
        request.ZoomNumerator = {1, 1};
        request.ZoomDenominator = {1, 1};
        request.Zoomed = FALSE;
        return;
    }
    request.Zoomed = request.ZoomNumerator.cx != size.cx || request.ZoomNumerator.cy != size.cy;
}

void HimetricToPixels(const SIZEL& himetric, SIZEL& pixels) {
    HDC screen = GetDC(nullptr);
    const int pixelsPerInchX = GetDeviceCaps(screen, LOGPIXELSX);
    const int pixelsPerInchY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const SIZEL converted = {ScaleToPixels(himetric.cx, pixelsPerInchX), ScaleToPixels(himetric.cy, pixelsPerInchY)};
    pixels = converted;
}
