// One drawing of the control: filled by Draw, the paint handler or the metafile, then
// prepared and painted.  Every filler starts from a cleared record.
#pragma once
#include <windows.h>
#include <ole2.h>

struct DrawRequest {
    DWORD Size = sizeof(DrawRequest);
    DWORD Aspect = 0;
    LONG Index = 0;
    DVTARGETDEVICE* TargetDevice = nullptr;
    HDC TargetDC = nullptr;     // made for the call when null
    HDC DrawDC = nullptr;
    const RECT* Bounds = nullptr;        // logical units of DrawDC; repointed while preparing
    const RECT* WindowBounds = nullptr;  // metafile window extent, passed through
    BOOL CanOptimize = FALSE;
    BOOL Zoomed = FALSE;
    BOOL BoundsInHimetric = FALSE;
    SIZEL ZoomNumerator{};
    SIZEL ZoomDenominator{};
};
