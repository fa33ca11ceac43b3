// Prints the ID3v1 tag of each file named on the command line through the registered
// tarvik control, early-bound through Ilumex.  Register tarvik.DLL first (regsvr32).
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <string>

#include "automation/tarvik.h"
#include "support/interface_ptr.h"
#include "support/unique_bstr.h"

namespace {

// The console of a Wine process is a Unix pipe here: write UTF-8.
std::string ToUtf8(const wchar_t* text) {
    if (text == nullptr) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], size, nullptr, nullptr);
    return out;
}

void PrintField(const char* label, HRESULT (STDMETHODCALLTYPE Ilumex::*getter)(BSTR*), Ilumex* tag) {
    UniqueBstr value;
    (tag->*getter)(value.Receive());
    std::printf("%-8s %s\n", label, ToUtf8(value.Get()).c_str());
}

int PrintTags(int argc, wchar_t** argv) {
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(L"Tarvik.lumex", &clsid))) {
        std::fprintf(stderr, "Tarvik.lumex is not registered\n");
        return 1;
    }
    InterfacePtr<Ilumex> tag;
    const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_Ilumex, tag.ReceiveVoid());
    if (FAILED(hr)) {
        std::fprintf(stderr, "cannot create Tarvik.lumex: 0x%08lx\n", static_cast<unsigned long>(hr));
        return 1;
    }
    for (int i = 1; i < argc; ++i) {
        UniqueBstr path(SysAllocString(argv[i]));
        tag->LoadMP3Head(path.Get());
        tag->DoCutTailSp();
        short genre = 0;
        tag->get_GetGenreNo(&genre);
        std::printf("%s\n", ToUtf8(argv[i]).c_str());
        PrintField("Title", &Ilumex::get_GetTitle, tag.Get());
        PrintField("Artist", &Ilumex::get_GetArtist, tag.Get());
        PrintField("Album", &Ilumex::get_GetAlbum, tag.Get());
        PrintField("Year", &Ilumex::get_GetProYear, tag.Get());
        PrintField("Comment", &Ilumex::get_GetComment, tag.Get());
        std::printf("%-8s %d\n", "Genre", genre);
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int result = PrintTags(argc, argv);
    CoUninitialize();
    return result;
}
