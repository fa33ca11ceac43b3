// The component's own cost, without file I/O: one text field handed out early-bound and
// late-bound against the least a reader must do for it, and name lookup through the
// object's name cache against the type information's own lookup.
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "automation/tarvik.h"
#include "bench_run.h"
#include "interleaved_rounds.h"
#include "common/server_library.h"
#include "common/temp_files.h"
#include "support/unique_bstr.h"

namespace {

// A title of typical length; the other fields as a tag writer fills them.
constexpr char kTitle[] = "Morning Light Overture";

volatile unsigned long long sink;  // keeps results the compiler might otherwise drop

// The least any reader does for one field: the ANSI bytes to wide text in working storage,
// a new BSTR of it for the caller, and the caller's free.
void MakeFieldTheLeastWay(const char* field, int calls) {
    for (int i = 0; i < calls; ++i) {
        wchar_t wide[31];
        MultiByteToWideChar(CP_ACP, 0, field, -1, wide, 31);
        BSTR text = SysAllocString(wide);
        sink = sink + SysStringLen(text);
        SysFreeString(text);
    }
}

void GetTitleEarlyBound(Ilumex* tag, int calls) {
    for (int i = 0; i < calls; ++i) {
        BSTR text = nullptr;
        tag->get_GetTitle(&text);
        sink = sink + SysStringLen(text);
        SysFreeString(text);
    }
}

void GetTitleLateBound(IDispatch* object, int calls) {
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    for (int i = 0; i < calls; ++i) {
        object->Invoke(2, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr);
        sink = sink + result.vt;
        VariantClear(&result);
    }
}

// All six getters of one file, as a reader calls them after a load.
void GetAllFieldsEarlyBound(Ilumex* tag, int files) {
    using Getter = HRESULT (STDMETHODCALLTYPE Ilumex::*)(BSTR*);
    static constexpr Getter kGetters[5] = {&Ilumex::get_GetTitle, &Ilumex::get_GetArtist, &Ilumex::get_GetAlbum,
                                           &Ilumex::get_GetProYear, &Ilumex::get_GetComment};
    for (int i = 0; i < files; ++i) {
        for (Getter getter : kGetters) {
            BSTR text = nullptr;
            (tag->*getter)(&text);
            sink = sink + SysStringLen(text);
            SysFreeString(text);
        }
        short genre = 0;
        tag->get_GetGenreNo(&genre);
        sink = sink + static_cast<unsigned long long>(genre);
    }
}

void MakeAllFieldsTheLeastWay(const char* const (&fields)[5], int files) {
    for (int i = 0; i < files; ++i) {
        for (const char* field : fields) MakeFieldTheLeastWay(field, 1);
    }
}

template <class Lookup>
void LookUpName(Lookup lookUp, const wchar_t* name, int calls) {
    LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
    for (int i = 0; i < calls; ++i) {
        DISPID id = DISPID_UNKNOWN;
        lookUp(names, &id);
        sink = sink + static_cast<unsigned long long>(id);
    }
}

}  // namespace

int main(int argc, char** argv) {
    BenchRun run(argc, argv, "per-field cost and name lookup");
    const int rounds = run.Pick(31, 11);
    const int calls = 20000;

    ServerLibrary library(ServerLibrary::Registration::ForLifetime);
    InterfacePtr<Ilumex> tag = library.Create<Ilumex>(IID_Ilumex);
    InterfacePtr<IDispatch> dispatch;
    if (!tag || FAILED(tag.QueryInto(IID_IDispatch, dispatch))) {
        std::printf("cannot create the object\n");
        return 1;
    }
    const char* const fields[5] = {kTitle, "The Tarvik Ensemble", "Sample Sessions", "2026", "generated with sox"};
    {
        ScratchFolder folder;
        const std::wstring path =
            folder.WriteFile(L"tagged.mp3", MakeTag(fields[0], fields[1], fields[2], fields[3], fields[4], 12));
        UniqueBstr name(SysAllocString(path.c_str()));
        tag->LoadMP3Head(name.Get());
    }

    PrintSection("one text field, without file I/O");
    std::printf("%d rounds of %d calls each, interleaved\n", rounds, calls);
    const std::vector<BenchVariant> field = {
        {"least: MultiByteToWideChar, SysAllocString, SysFreeString", [&](int) { MakeFieldTheLeastWay(kTitle, calls); },
         double(calls)},
        {"early-bound GetTitle, SysFreeString", [&](int) { GetTitleEarlyBound(tag.Get(), calls); }, double(calls)},
        {"late-bound property get, VariantClear", [&](int) { GetTitleLateBound(dispatch.Get(), calls); },
         double(calls)},
    };
    const RoundTimes fieldTimes = RunInterleaved(field, rounds);
    PrintVariantTable(field, fieldTimes, "call");
    PrintPairedRatio("early/least", field, fieldTimes, 1, 0);
    PrintPairedRatio("late/early", field, fieldTimes, 2, 1);

    PrintSection("the six getters of one file, without file I/O");
    const int files = calls / 5;
    const std::vector<BenchVariant> file = {
        {"least: five texts the least way", [&](int) { MakeAllFieldsTheLeastWay(fields, files); }, double(files)},
        {"early-bound: five text getters and GetGenreNo", [&](int) { GetAllFieldsEarlyBound(tag.Get(), files); },
         double(files)},
    };
    const RoundTimes fileTimes = RunInterleaved(file, rounds);
    PrintVariantTable(file, fileTimes, "file");
    PrintPairedRatio("early/least", file, fileTimes, 1, 0);
    std::printf("  the component's own work beyond the least: %.3f us a file\n",
                MicrosecondsPerUnit(file[1], fileTimes[1]) - MicrosecondsPerUnit(file[0], fileTimes[0]));

    PrintSection("name lookup: the object's name cache against ITypeInfo::GetIDsOfNames");
    InterfacePtr<ITypeInfo> typeInfo;
    dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, typeInfo.Receive());
    if (!typeInfo) {
        std::printf("no type information\n");
        return 1;
    }
    auto throughObject = [&](LPOLESTR* names, DISPID* id) {
        dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id);
    };
    auto throughTypeInfo = [&](LPOLESTR* names, DISPID* id) { typeInfo->GetIDsOfNames(names, 1, id); };
    // LoadMP3Head is the cache's first entry, which its search from the last one reaches last.
    const wchar_t* const names[3] = {L"LoadMP3Head", L"loadmp3head", L"NoSuchMember"};
    std::vector<BenchVariant> lookups;
    for (const wchar_t* name : names) {
        char label[64];
        std::snprintf(label, sizeof label, "object     \"%ls\"", name);
        lookups.push_back({label, [&, name](int) { LookUpName(throughObject, name, calls); }, double(calls)});
        std::snprintf(label, sizeof label, "type info  \"%ls\"", name);
        lookups.push_back({label, [&, name](int) { LookUpName(throughTypeInfo, name, calls); }, double(calls)});
    }
    std::printf("%d rounds of %d lookups each, interleaved\n", rounds, calls);
    const RoundTimes lookupTimes = RunInterleaved(lookups, rounds);
    PrintVariantTable(lookups, lookupTimes, "call");
    std::printf("  speed-up of the cache (type info / object):\n");
    PrintPairedRatio("exact name", lookups, lookupTimes, 1, 0);
    PrintPairedRatio("other case", lookups, lookupTimes, 3, 2);
    PrintPairedRatio("unknown", lookups, lookupTimes, 5, 4);
    return 0;
}
