// The metafile picture behind IDataObject::GetData: the control drawn into a memory
// metafile, handed out as a METAFILEPICT whose extents are in HIMETRIC.
#include "control/lumex_control.h"
#include "control/rendering.h"

namespace {

// Wraps a metafile in a METAFILEPICT of its own global memory; null when there is none.
HGLOBAL MakeMetafilePicture(HMETAFILE metafile, const SIZEL& himetric) {
    HGLOBAL memory = GlobalAlloc(GMEM_SHARE | GMEM_MOVEABLE, sizeof(METAFILEPICT));
    if (memory == nullptr) return nullptr;
    auto* picture = static_cast<METAFILEPICT*>(GlobalLock(memory));
    if (picture == nullptr) {
        GlobalFree(memory);
        return nullptr;
    }
    picture->mm = MM_ANISOTROPIC;
    picture->xExt = himetric.cx;
    picture->yExt = himetric.cy;
    picture->hMF = metafile;
    GlobalUnlock(memory);
    return memory;
}

}  // namespace

HRESULT LumexControl::RenderMetafile(FORMATETC* format, STGMEDIUM* medium) {
    if ((format->tymed & TYMED_MFPICT) == 0) return DATA_E_FORMATETC;
    const SIZEL metric = Has(ControlFlag::RenderNaturalSize) ? NaturalExtent : Extent;
    const bool inHimetric = Has(ControlFlag::MetafileInHimetric);
    SIZEL drawing = metric;
    if (!inHimetric) HimetricToPixels(metric, drawing);

    const RECT bounds = {0, 0, drawing.cx, drawing.cy};
    DrawRequest request{};
    request.Aspect = DVASPECT_CONTENT;
    request.Index = -1;
    request.Bounds = &bounds;
    request.WindowBounds = &bounds;
    request.CanOptimize = TRUE;
    request.BoundsInHimetric = inHimetric;

    HMETAFILE metafile = nullptr;
    if (HDC dc = CreateMetaFileA(nullptr)) {
        request.DrawDC = dc;
        SaveDC(dc);
        SetWindowOrgEx(dc, 0, 0, nullptr);
        SetWindowExtEx(dc, drawing.cx, drawing.cy, nullptr);
        PrepareAndDraw(request);  // a metafile keeps its mapping; nothing in it can fail
        RestoreDC(dc, -1);
        metafile = CloseMetaFile(dc);
    }
    if (metafile == nullptr) return E_UNEXPECTED;

    HGLOBAL picture = MakeMetafilePicture(metafile, metric);
    if (picture == nullptr) {
        DeleteMetaFile(metafile);
        return STG_E_MEDIUMFULL;
    }
    medium->tymed = TYMED_MFPICT;
    medium->hMetaFilePict = picture;
    medium->pUnkForRelease = nullptr;
    return S_OK;
}
