// The control at work in a container: drawing into a DIB section against the bare GDI
// calls it makes, the metafile picture of GetData, a windowed in-place activation and
// deactivation, and what the protection changes of a stub page cost, each per call.
#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>

#include <cstdio>
#include <cstring>

#include "bench_run.h"
#include "bench_container.h"
#include "interleaved_rounds.h"
#include "common/server_library.h"

namespace {

constexpr char kCaption[] = "MP3Head";
constexpr RECT kBounds = {10, 10, 190, 90};
constexpr SIZE_T kPageSize = 4096;

// A 32-bit DIB section selected into a memory DC, as a container draws off screen.
class DibSurface {
public:
    DibSurface(int width, int height) : dc_(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        previous_ = SelectObject(dc_, bitmap_);
    }
    DibSurface(const DibSurface&) = delete;
    DibSurface& operator=(const DibSurface&) = delete;
    ~DibSurface() {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC Dc() const { return dc_; }

private:
    HDC dc_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

// What the control's drawing comes down to: its rectangle, its alignment, its caption.
void DrawBare(HDC dc, const RECT& bounds) {
    Rectangle(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
    SetTextAlign(dc, TA_CENTER | TA_BASELINE);
    TextOutA(dc, (bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2, kCaption, sizeof kCaption - 1);
}

// The DC's state kept and given back around the drawing, as Draw does on a screen DC.
void DrawBarePrepared(HDC dc, const RECT& bounds) {
    GetDeviceCaps(dc, TECHNOLOGY);
    RECT device = bounds;
    LPtoDP(dc, reinterpret_cast<POINT*>(&device), 2);
    SaveDC(dc);
    SetMapMode(dc, MM_TEXT);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetViewportOrgEx(dc, 0, 0, nullptr);
    DrawBare(dc, device);
    RestoreDC(dc, -1);
}

// The screen's pixels per inch, which Draw asks for to scale the extent.
void DrawBareAskingScreen(HDC dc, const RECT& bounds) {
    HDC screen = GetDC(nullptr);
    GetDeviceCaps(screen, LOGPIXELSX);
    GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    DrawBare(dc, bounds);
}

void DrawThroughView(IViewObject* view, HDC dc, int calls) {
    const RECTL bounds = {kBounds.left, kBounds.top, kBounds.right, kBounds.bottom};
    for (int i = 0; i < calls; ++i) {
        view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0);
    }
}

void GetMetafilePicture(IDataObject* data, int calls) {
    FORMATETC format = {CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_MFPICT};
    for (int i = 0; i < calls; ++i) {
        STGMEDIUM medium{};
        if (data->GetData(&format, &medium) == S_OK) ReleaseStgMedium(&medium);
    }
}

// The same picture made by hand: a memory metafile with the three drawing calls, wrapped
// in a METAFILEPICT, and freed.  withDisplay adds what GetData needs besides: an information
// context for the screen, made and deleted, and the screen's pixels per inch.
void MakeMetafilePictureBare(int calls, bool withDisplay) {
    const RECT bounds = {0, 0, 192, 192};
    for (int i = 0; i < calls; ++i) {
        if (withDisplay) {
            HDC screen = GetDC(nullptr);
            GetDeviceCaps(screen, LOGPIXELSX);
            GetDeviceCaps(screen, LOGPIXELSY);
            ReleaseDC(nullptr, screen);
            DeleteDC(CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
        }
        HDC dc = CreateMetaFileA(nullptr);
        SetWindowOrgEx(dc, 0, 0, nullptr);
        SetWindowExtEx(dc, bounds.right, bounds.bottom, nullptr);
        DrawBare(dc, bounds);
        HMETAFILE metafile = CloseMetaFile(dc);
        HGLOBAL picture = GlobalAlloc(GMEM_SHARE | GMEM_MOVEABLE, sizeof(METAFILEPICT));
        auto* header = static_cast<METAFILEPICT*>(GlobalLock(picture));
        header->mm = MM_ANISOTROPIC;
        header->hMF = metafile;
        GlobalUnlock(picture);
        STGMEDIUM medium{};
        medium.tymed = TYMED_MFPICT;
        medium.hMetaFilePict = picture;
        ReleaseStgMedium(&medium);
    }
}

void ActivateAndDeactivate(IOleObject* control, IOleInPlaceObject* inPlace, BenchContainer& container, int cycles) {
    for (int i = 0; i < cycles; ++i) container.ActivateAndDeactivate(control, inPlace);
    PumpMessages();
}

// A child window made and destroyed, the least a windowed activation does.
void MakeAndDestroyChildWindow(HWND parent, int cycles) {
    for (int i = 0; i < cycles; ++i) {
        HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 20, 100, 50, parent, nullptr,
                                     nullptr, nullptr);
        DestroyWindow(child);
    }
    PumpMessages();
}

// A stub's worth of bytes written into a page, as writing or clearing a window's stub does.
void WriteStubBytes(void* page) {
    std::memset(page, 0xCC, 32);
}

// A stub written on a page that stays: made writable, written, executable again, flushed.
void RewriteProtectedPage(void* page, int calls) {
    for (int i = 0; i < calls; ++i) {
        DWORD previous = 0;
        VirtualProtect(page, kPageSize, PAGE_READWRITE, &previous);
        WriteStubBytes(page);
        VirtualProtect(page, kPageSize, PAGE_EXECUTE_READ, &previous);
        FlushInstructionCache(GetCurrentProcess(), page, 32);
    }
}

// A page that comes and goes with its only stub; protected, it is made executable only
// once written.
void MakeAndFreeStubPage(int calls, bool protectedPage) {
    for (int i = 0; i < calls; ++i) {
        void* page = VirtualAlloc(nullptr, kPageSize, MEM_COMMIT | MEM_RESERVE,
                                  protectedPage ? PAGE_READWRITE : PAGE_EXECUTE_READWRITE);
        WriteStubBytes(page);
        if (protectedPage) {
            DWORD previous = 0;
            VirtualProtect(page, kPageSize, PAGE_EXECUTE_READ, &previous);
        }
        FlushInstructionCache(GetCurrentProcess(), page, 32);
        VirtualFree(page, 0, MEM_RELEASE);
    }
}

}  // namespace

int main(int argc, char** argv) {
    BenchRun run(argc, argv, "the control");
    const int rounds = run.Pick(31, 11);

    ServerLibrary library;
    InterfacePtr<IOleObject> control = library.Create<IOleObject>(IID_IOleObject);
    InterfacePtr<IViewObject> view;
    InterfacePtr<IDataObject> data;
    InterfacePtr<IOleInPlaceObject> inPlace;
    if (!control || FAILED(control.QueryInto(IID_IViewObject, view)) ||
        FAILED(control.QueryInto(IID_IDataObject, data)) || FAILED(control.QueryInto(IID_IOleInPlaceObject, inPlace))) {
        std::printf("cannot create the control\n");
        return 1;
    }

    PrintSection("IViewObject::Draw into a DIB section against the bare GDI calls");
    const DibSurface surface(200, 100);
    const HDC dc = surface.Dc();
    const int draws = 2000;
    const std::vector<BenchVariant> drawing = {
        {"bare: Rectangle, SetTextAlign, TextOutA",
         [&](int) {
             for (int i = 0; i < draws; ++i) DrawBare(dc, kBounds);
         },
         double(draws)},
        {"IViewObject::Draw", [&](int) { DrawThroughView(view.Get(), dc, draws); }, double(draws)},
        {"bare + the DC saved, set to MM_TEXT, restored",
         [&](int) {
             for (int i = 0; i < draws; ++i) DrawBarePrepared(dc, kBounds);
         },
         double(draws)},
        {"bare + the screen's pixels per inch",
         [&](int) {
             for (int i = 0; i < draws; ++i) DrawBareAskingScreen(dc, kBounds);
         },
         double(draws)},
    };
    std::printf("%d rounds of %d draws each, interleaved\n", rounds, draws);
    const RoundTimes drawTimes = RunInterleaved(drawing, rounds);
    PrintVariantTable(drawing, drawTimes, "draw");
    const double drawRatio = PrintPairedRatio("Draw/bare", drawing, drawTimes, 1, 0);
    std::printf("  target: at most 1.2 (%s)\n", drawRatio <= 1.2 ? "met" : "missed");
    PrintPairedRatio("prepared/bare", drawing, drawTimes, 2, 0);
    PrintPairedRatio("screen/bare", drawing, drawTimes, 3, 0);

    PrintSection("IDataObject::GetData, the metafile picture");
    const int pictures = 500;
    const std::vector<BenchVariant> metafiles = {
        {"bare: memory metafile, three calls, METAFILEPICT", [&](int) { MakeMetafilePictureBare(pictures, false); },
         double(pictures)},
        {"GetData and ReleaseStgMedium", [&](int) { GetMetafilePicture(data.Get(), pictures); }, double(pictures)},
        {"bare + a DISPLAY DC and the screen's pixels per inch", [&](int) { MakeMetafilePictureBare(pictures, true); },
         double(pictures)},
    };
    std::printf("%d rounds of %d pictures each, interleaved\n", rounds, pictures);
    const RoundTimes metafileTimes = RunInterleaved(metafiles, rounds);
    PrintVariantTable(metafiles, metafileTimes, "call");
    PrintPairedRatio("GetData/bare", metafiles, metafileTimes, 1, 0);
    PrintPairedRatio("display/bare", metafiles, metafileTimes, 2, 0);

    PrintSection("windowed in-place activation and deactivation");
    BenchContainer container;
    control->SetClientSite(&container.Site);
    // A second control in a container of its own: while its window lives, the thread's stub
    // page stays between the first control's windows.
    BenchContainer neighbourContainer;
    InterfacePtr<IOleObject> neighbour = library.Create<IOleObject>(IID_IOleObject);
    InterfacePtr<IOleInPlaceObject> neighbourInPlace;
    if (!neighbour || FAILED(neighbour.QueryInto(IID_IOleInPlaceObject, neighbourInPlace))) {
        std::printf("cannot create the second control\n");
        return 1;
    }
    neighbour->SetClientSite(&neighbourContainer.Site);
    const int cycles = 200;
    const std::vector<BenchVariant> activation = {
        {"bare: a child window made and destroyed",
         [&](int) { MakeAndDestroyChildWindow(container.Window.Handle(), cycles); }, double(cycles)},
        {"DoVerb(INPLACEACTIVATE), InPlaceDeactivate",
         [&](int) { ActivateAndDeactivate(control.Get(), inPlace.Get(), container, cycles); }, double(cycles)},
        // The neighbour's own activation and deactivation count as one cycle more.
        {"the same beside a second control window",
         [&](int) {
             RECT position = {10, 20, 110, 70};
             neighbour->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &neighbourContainer.Site, 0,
                               neighbourContainer.Window.Handle(), &position);
             ActivateAndDeactivate(control.Get(), inPlace.Get(), container, cycles);
             neighbourInPlace->InPlaceDeactivate();
             neighbourContainer.Log.Clear();
         },
         double(cycles + 1)},
    };
    const int activationRounds = run.Pick(15, 5);
    std::printf("%d rounds of %d cycles each, interleaved\n", activationRounds, cycles);
    const RoundTimes activationTimes = RunInterleaved(activation, activationRounds);
    PrintVariantTable(activation, activationTimes, "cycle");
    PrintPairedRatio("cycle/bare", activation, activationTimes, 1, 0);
    PrintPairedRatio("beside a second/bare", activation, activationTimes, 2, 0);

    PrintSection("a stub page's protection changes");
    void* page = VirtualAlloc(nullptr, kPageSize, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READ);
    const int changes = 2000;
    const std::vector<BenchVariant> protection = {
        {"kept page: to RW, stub written, to RX, flushed",
         [&](int) { RewriteProtectedPage(page, changes); }, double(changes)},
        {"page made RWX, stub written, freed",
         [&](int) { MakeAndFreeStubPage(changes, false); }, double(changes)},
        {"page made RW, stub written, to RX, freed",
         [&](int) { MakeAndFreeStubPage(changes, true); }, double(changes)},
    };
    std::printf("%d rounds of %d calls each, interleaved\n", rounds, changes);
    const RoundTimes protectionTimes = RunInterleaved(protection, rounds);
    PrintVariantTable(protection, protectionTimes, "call");
    PrintPairedRatio("RW then RX/RWX", protection, protectionTimes, 2, 1);
    VirtualFree(page, 0, MEM_RELEASE);

    neighbour->Close(OLECLOSE_NOSAVE);
    neighbour->SetClientSite(nullptr);
    neighbourInPlace.Reset();
    neighbour.Reset();
    neighbourContainer.ForgetControl();
    control->Close(OLECLOSE_NOSAVE);
    control->SetClientSite(nullptr);
    inPlace.Reset();
    data.Reset();
    view.Reset();
    control.Reset();
    container.ForgetControl();
    const bool referencesBack = container.AllReferencesBack() && neighbourContainer.AllReferencesBack();
    std::printf("\n  every container reference back: %s; DllCanUnloadNow %s\n", referencesBack ? "yes" : "NO",
                library.CanUnloadNow() == S_OK ? "S_OK" : "S_FALSE");
    return 0;
}
