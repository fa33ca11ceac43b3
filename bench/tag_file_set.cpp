#include "tag_file_set.h"

#include <memory>

#include "support/ansi_conversion.h"
#include "tag_file_generator.h"

namespace {

// Wine looks a new name up in its folder without regard to case, one entry after another:
// small folders keep writing the set linear.
constexpr int kFilesPerFolder = 1000;

// The path as the bare loop opens it, in the system code page.
std::string ToAnsi(const std::wstring& text) {
    std::unique_ptr<char[]> ansi;
    return SUCCEEDED(ConvertToAnsi(text.c_str(), ansi)) ? std::string(ansi.get()) : std::string();
}

}  // namespace

TagFileSet::TagFileSet(int count) {
    TagFileGenerator generator;
    for (int i = 0; i < count; ++i) {
        const std::wstring subfolder = L"s" + std::to_wstring(i / kFilesPerFolder);
        if (i % kFilesPerFolder == 0) folder_.MakeFolder(subfolder);
        bool tagged = false;
        const Bytes bytes = generator.Next(&tagged);
        if (tagged) ++tagged_;
        const std::wstring name = subfolder + L"\\t" + std::to_wstring(i) + L".mp3";
        const std::wstring path = folder_.WriteFile(name, bytes);
        ansiPaths_.push_back(ToAnsi(path));
        widePaths_.emplace_back(SysAllocString(path.c_str()));
    }
}
