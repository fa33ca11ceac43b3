// Memory and handles over many cycles of each kind of use: none of the counts may grow with
// the number of cycles.  Wine 8 answers 0 for the private-bytes counter and the handle
// count, so everything is counted for real: committed private memory by a VirtualQuery
// walk (and PagefileUsage, which Wine does keep), the bytes in use on every heap by a heap
// walk, kernel handles by probing GetHandleInformation, and the thread's windows.  Each
// count is first shown to move when something is leaked on purpose.
#include <windows.h>
#include <oleauto.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "automation/tarvik.h"
#include "bench_clock.h"
#include "bench_container.h"
#include "bench_run.h"
#include "shipped_script.h"
#include "common/registry_tree.h"
#include "common/scratch_registry_key.h"
#include "common/server_library.h"
#include "common/gui_counters.h"
#include "common/media_bytes.h"
#include "common/process_counters.h"
#include "common/temp_files.h"
#include "support/unique_bstr.h"

namespace {

struct Counts {
    long long Committed;  // bytes, VirtualQuery walk
    long long Pagefile;   // bytes, PagefileUsage
    long long Heap;       // bytes in use on every heap
    long long Handles;
    long long Windows;
};

Counts TakeCounts() {
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    return {static_cast<long long>(CommittedPrivateBytes()), static_cast<long long>(memory.PagefileUsage),
            static_cast<long long>(HeapBytesInUse()), static_cast<long long>(CountKernelHandles()),
            static_cast<long long>(CountThreadWindows())};
}

Counts Difference(const Counts& after, const Counts& before) {
    return {after.Committed - before.Committed, after.Pagefile - before.Pagefile, after.Heap - before.Heap,
            after.Handles - before.Handles, after.Windows - before.Windows};
}

void PrintCountsHeader() {
    std::printf("  %10s %14s %14s %14s %8s %8s\n", "cycles", "committed", "PagefileUsage", "heap in use", "handles",
                "windows");
}

void PrintCounts(const char* label, const Counts& counts) {
    std::printf("  %10s %14lld %14lld %14lld %8lld %8lld\n", label, counts.Committed, counts.Pagefile, counts.Heap,
                counts.Handles, counts.Windows);
}

// Shows, once, that every count moves: a heap block, committed memory, a kernel handle and a
// window are made and counted, then given back.
void ShowCountersMove() {
    PrintSection("each count moves when something is leaked on purpose");
    PrintCountsHeader();
    // A top-level window brings the thread's input-method window with it: the leaked window
    // is the child of one made beforehand, so that it counts as one.
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    const Counts before = TakeCounts();
    HANDLE heap = GetProcessHeap();
    void* block = HeapAlloc(heap, 0, 64 * 1024);
    // Written to, as leaked memory is: Wine counts PagefileUsage by the pages in use.
    void* pages = VirtualAlloc(nullptr, 1024 * 1024, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (pages != nullptr) std::memset(pages, 1, 1024 * 1024);
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 1, 1, parent, nullptr, nullptr, nullptr);
    const Counts leaked = TakeCounts();
    DestroyWindow(window);
    DestroyWindow(parent);
    CloseHandle(event);
    VirtualFree(pages, 0, MEM_RELEASE);
    HeapFree(heap, 0, block);
    const Counts after = TakeCounts();
    PrintCounts("before", before);
    PrintCounts("leaked", leaked);
    PrintCounts("freed", after);
    const Counts moved = Difference(leaked, before);
    std::printf("  leaked 64 KB of heap, 1 MB committed, 1 event, 1 window; the counts moved by\n");
    PrintCounts("", moved);
    const bool all = moved.Committed >= 1024 * 1024 && moved.Pagefile >= 1024 * 1024 && moved.Heap >= 64 * 1024 &&
                     moved.Handles == 1 && moved.Windows == 1;
    std::printf("  every count saw its leak: %s\n", all ? "yes" : "NO");
}

// Runs cycles of one kind, counting before the first of a run of checkpoints (after a tenth
// of the cycles, which fill the system's caches once) and at each checkpoint.
void MeasureGrowth(const char* title, int cycles, const std::function<void()>& cycle) {
    PrintSection(title);
    const int warmUp = cycles / 10;
    const int checkpoints = 4;
    const Stopwatch watch;
    for (int i = 0; i < warmUp; ++i) cycle();
    PrintCountsHeader();
    const Counts start = TakeCounts();
    PrintCounts(std::to_string(warmUp).c_str(), start);
    Counts last = start;
    const int step = (cycles - warmUp) / checkpoints;
    for (int c = 1; c <= checkpoints; ++c) {
        for (int i = 0; i < step; ++i) cycle();
        last = TakeCounts();
        PrintCounts(std::to_string(warmUp + c * step).c_str(), last);
    }
    const Counts growth = Difference(last, start);
    const int measured = step * checkpoints;
    std::printf(
        "  growth over the last %d cycles: committed %+lld, PagefileUsage %+lld, heap %+lld bytes "
        "(%+.2f a cycle), handles %+lld, windows %+lld; %.1f s\n",
        measured, growth.Committed, growth.Pagefile, growth.Heap, double(growth.Heap) / measured, growth.Handles,
        growth.Windows, watch.Seconds());
    // Heaps keep freed blocks and commit in steps of 64 KB: less than a step over all the
    // cycles is no growth with their number.
    const bool flat =
        growth.Heap < 16 * 1024 && growth.Committed < 256 * 1024 && growth.Handles <= 0 && growth.Windows <= 0;
    std::printf("  grows with the cycles: %s\n", flat ? "no" : "YES");
}

}  // namespace

int main(int argc, char** argv) {
    BenchRun run(argc, argv, "memory and handles");
    ShowCountersMove();

    ScratchFolder folder;
    const std::wstring file = folder.WriteFile(L"tagged.mp3", MakeTag("Title", "Artist", "Album", "1999", "", 12));
    UniqueBstr path(SysAllocString(file.c_str()));
    {
        ServerLibrary library;
        InterfacePtr<IClassFactory> factory = library.Factory();
        if (!factory) return 1;
        char title[128];
        const int objectCycles = run.Pick(100000, 20000);
        std::snprintf(title, sizeof title, "%d cycles of create, load, read, release", objectCycles);
        MeasureGrowth(title, objectCycles, [&] {
            InterfacePtr<Ilumex> tag;
            factory->CreateInstance(nullptr, IID_Ilumex, tag.ReceiveVoid());
            tag->LoadMP3Head(path.Get());
            UniqueBstr text;
            tag->get_GetTitle(text.Receive());
            tag->get_GetComment(text.Receive());
            short genre = 0;
            tag->get_GetGenreNo(&genre);
        });

        // The TagFile class: an ID3v2.3 tag with a front cover, audio frames and an ID3v1 tag.
        const Bytes media = Tag(3, TextFrame(3, "TIT2", "Title") + TextFrame(3, "TPE1", "Artist") +
                                       Frame(3, "APIC", PictureBody(3, 3, "", Bytes(4096, 1)))) +
                            MpegFrames(4) + Id3v1Tag("Title", "Artist", 1, 17);
        UniqueBstr mediaPath(SysAllocString(folder.WriteFile(L"media.mp3", media).c_str()));
        InterfacePtr<IClassFactory> tagFileFactory = library.Factory(kTagFileClsid);
        std::snprintf(title, sizeof title, "%d cycles of TagFile create, Open, read, release", objectCycles);
        MeasureGrowth(title, objectCycles, [&] {
            InterfacePtr<ITagFile> tagFile;
            tagFileFactory->CreateInstance(nullptr, IID_ITagFile, tagFile.ReceiveVoid());
            tagFile->Open(mediaPath.Get());
            UniqueBstr text;
            tagFile->get_Title(text.Receive());
            tagFile->get_TagTypes(text.Receive());
            double duration = 0;
            tagFile->get_Duration(&duration);
        });
        // Set and save: the title in turn of two lengths, the tag written in place.
        InterfacePtr<ITagFile2> saver;
        tagFileFactory->CreateInstance(nullptr, IID_ITagFile2, saver.ReceiveVoid());
        const Bytes padded = Tag(3, TextFrame(3, "TIT2", "Title") + Bytes(2048, 0)) + MpegFrames(4);
        UniqueBstr savedPath(SysAllocString(folder.WriteFile(L"saved.mp3", padded).c_str()));
        saver->Open(savedPath.Get());
        UniqueBstr titles[] = {UniqueBstr(SysAllocString(L"Short")), UniqueBstr(SysAllocString(L"A longer title"))};
        const int saveCycles = run.Pick(50000, 10000);
        int saved = 0;
        std::snprintf(title, sizeof title, "%d cycles of TagFile set and Save", saveCycles);
        MeasureGrowth(title, saveCycles, [&] {
            saver->put_Title(titles[saved++ % 2].Get());
            saver->Save();
        });
        saver.Reset();
        tagFileFactory.Reset();

        const ScratchRegistryKey scratch("TarvikBench");
        const std::string shipped = ShippedScript(library.Module());
        const int engineRounds = run.Pick(10000, 2000);
        std::snprintf(title, sizeof title, "%d register and unregister rounds of the engine, in a scratch key",
                      engineRounds);
        MeasureGrowth(title, engineRounds, [&] {
            const ClassesRootOverride scope(scratch.Classes());
            RunRegistryScript(shipped, true);
            RunRegistryScript(shipped, false);
        });

        BenchContainer container;
        InterfacePtr<IOleObject> control;
        factory->CreateInstance(nullptr, IID_IOleObject, control.ReceiveVoid());
        InterfacePtr<IOleInPlaceObject> inPlace;
        control.QueryInto(IID_IOleInPlaceObject, inPlace);
        control->SetClientSite(&container.Site);
        const int activations = run.Pick(1000, 300);
        std::snprintf(title, sizeof title, "%d windowed activations of one control", activations);
        MeasureGrowth(title, activations, [&] {
            container.ActivateAndDeactivate(control.Get(), inPlace.Get());
            PumpMessages();
        });
        control->Close(OLECLOSE_NOSAVE);
        control->SetClientSite(nullptr);
        inPlace.Reset();
        control.Reset();
        container.ForgetControl();
    }

    // The library loaded and unloaded, used early and late bound in between.
    ITypeLib* typeLibrary = nullptr;
    std::wstring dllPath = ServerLibrary::DllPath();
    if (SUCCEEDED(LoadTypeLib(dllPath.c_str(), &typeLibrary))) RegisterTypeLib(typeLibrary, &dllPath[0], nullptr);
    MeasureGrowth("40 load and unload cycles of the library", 40 + 4, [&] {
        ServerLibrary library;
        InterfacePtr<IDispatch> object = library.Create<IDispatch>(IID_IDispatch);
        if (!object) return;
        VARIANT argument;
        VariantInit(&argument);
        argument.vt = VT_BSTR;
        argument.bstrVal = path.Get();
        DISPPARAMS load = {&argument, nullptr, 1, 0};
        object->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &load, nullptr, nullptr, nullptr);
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        VARIANT result;
        VariantInit(&result);
        object->Invoke(3, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr);
        VariantClear(&result);
        object.Reset();
        if (library.CanUnloadNow() != S_OK) std::printf("  DllCanUnloadNow said S_FALSE\n");
    });
    std::printf("  tarvik.DLL unloaded at the end: %s\n", GetModuleHandleW(L"tarvik.DLL") == nullptr ? "yes" : "NO");
    if (typeLibrary != nullptr) {
        TLIBATTR* attributes = nullptr;
        typeLibrary->GetLibAttr(&attributes);
        UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum, attributes->lcid,
                          attributes->syskind);
        typeLibrary->ReleaseTLibAttr(attributes);
        typeLibrary->Release();
    }
    return 0;
}
