// Prints the six ID3v1 fields of each file named on the command line, trimmed.
#include <windows.h>

#include <cstdio>
#include <string>

#include "support/unique_bstr.h"
#include "tag/tag_record.h"

namespace {

// The console of a Wine process is a Unix pipe here: write UTF-8.
std::string ToUtf8(const wchar_t* text) {
    if (text == nullptr) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], size, nullptr, nullptr);
    return out;
}

void PrintField(const char* label, HRESULT (TagRecord::*getter)(BSTR*) const, const TagRecord& tag) {
    UniqueBstr value;
    (tag.*getter)(value.Receive());
    std::printf("%-8s %s\n", label, ToUtf8(value.Get()).c_str());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    for (int i = 1; i < argc; ++i) {
        TagRecord tag;
        UniqueBstr path(SysAllocString(argv[i]));
        tag.LoadMP3Head(path.Get());
        tag.DoCutTailSp();
        short genre = 0;
        tag.GetGenreNo(&genre);
        std::printf("%s\n", ToUtf8(argv[i]).c_str());
        PrintField("Title", &TagRecord::GetTitle, tag);
        PrintField("Artist", &TagRecord::GetArtist, tag);
        PrintField("Album", &TagRecord::GetAlbum, tag);
        PrintField("Year", &TagRecord::GetProYear, tag);
        PrintField("Comment", &TagRecord::GetComment, tag);
        std::printf("%-8s %d\n", "Genre", genre);
    }
    return argc > 1 ? 0 : 2;
}
