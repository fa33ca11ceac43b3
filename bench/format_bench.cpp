// TagFile over ten thousand files of each container format (FLAC, Opus, WAV, AIFF, MP4,
// WMA), each with a title, an album, a small front cover and a little audio, against a bare
// loop of the reads the reader makes for such a file:
//   a  CreateFileW, GetFileType, GetFileSizeEx, one read of the start (where all of these
//      small files lie), CloseHandle; the title found in the bytes
//   b  early-bound ITagFile: Open and every property
// and the process's committed memory and kernel handles after a first pass over every file
// and after all the rounds.
#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "automation/tarvik.h"
#include "bench_run.h"
#include "interleaved_rounds.h"
#include "tag_file_reads.h"
#include "common/container_bytes.h"
#include "common/gui_counters.h"
#include "common/process_counters.h"
#include "common/server_library.h"
#include "common/temp_files.h"
#include "support/unique_bstr.h"

namespace {

// The reader's first read: files up to this size are read whole at once.
constexpr DWORD kFirstRead = 16 * 1024;

std::string TitleOf(int index) { return "Title " + std::to_string(index); }

class FormatFileSet {
public:
    FormatFileSet(size_t format, int count) {
        const Bytes image(1024, 0x5A);
        for (int i = 0; i < count; ++i) {
            const auto file = FilesOfEveryFormat(image, TitleOf(i))[format];
            if (i == 0) name_ = file.first;
            paths_.push_back(folder_.WriteFile(L"f" + std::to_wstring(i), file.second));
            names_.emplace_back(SysAllocString(paths_.back().c_str()));
        }
    }
    const char* Name() const { return name_; }
    const wchar_t* Path(int i) const { return paths_[static_cast<size_t>(i)].c_str(); }
    BSTR Wide(int i) const { return names_[static_cast<size_t>(i)].Get(); }

private:
    ScratchFolder folder_;
    const char* name_ = "";
    std::vector<std::wstring> paths_;
    std::vector<UniqueBstr> names_;
};

// The title's characters: "Title " and digits, in single bytes or UTF-16LE.
FieldSum SumTitle(const unsigned char* bytes, size_t size) {
    static const unsigned char kNarrow[] = "Title ";
    static const unsigned char kWide[] = "T\0i\0t\0l\0e\0 \0";
    for (const auto& marker : {std::basic_string<unsigned char>(kNarrow, 6), std::basic_string<unsigned char>(kWide, 12)}) {
        const unsigned char* at = std::search(bytes, bytes + size, marker.begin(), marker.end());
        if (at == bytes + size) continue;
        const size_t step = marker.size() / 6;
        FieldSum sum = 0;
        for (const unsigned char* c = at; c < bytes + size && (c < at + marker.size() || (*c >= '0' && *c <= '9'));
             c += step) {
            sum += *c;
        }
        return sum;
    }
    return 0;
}

FieldSum ReadBare(const wchar_t* path) {
    static unsigned char head[kFirstRead];
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    LARGE_INTEGER size{};
    DWORD read = 0;
    FieldSum sum = 0;
    if (GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size) &&
        ReadFile(file, head, static_cast<DWORD>(std::min<LONGLONG>(size.QuadPart, kFirstRead)), &read, nullptr)) {
        sum = SumTitle(head, read);
    }
    CloseHandle(file);
    return sum;
}

void MeasureFormat(const BenchRun& run, ITagFile* tag, size_t format) {
    const int count = run.Pick(10000, 2000);
    const FormatFileSet files(format, count);
    constexpr int kSlices = 10;
    const int slice = count / kSlices;
    FieldSum sums[2][kSlices] = {};
    auto reader = [&](const char* name, int index, bool bare) {
        return BenchVariant{name,
                            [&, index, bare](int round) {
                                const int first = round % kSlices * slice;
                                FieldSum sum = 0;
                                for (int i = first; i < first + slice; ++i) {
                                    sum += bare ? ReadBare(files.Path(i)) : ReadThroughTagFile(tag, files.Wide(i));
                                }
                                sums[index][round % kSlices] = sum;
                            },
                            double(slice)};
    };
    const std::vector<BenchVariant> readers = {reader("a   bare Win32 loop, the same reads", 0, true),
                                               reader("b   early-bound ITagFile, Open and every property", 1, false)};
    const int rounds = run.Pick(30, 8);
    std::string title = std::string(files.Name()) + ": " + std::to_string(count) + " files";
    PrintSection(title.c_str());
    // What the process holds after a first pass of TagFile over every file, and after all the
    // rounds: it must not grow.
    for (int round = 0; round < kSlices; ++round) readers[1].Run(round);
    const size_t memory = CommittedPrivateBytes(), handles = CountKernelHandles();
    const RoundTimes times = RunInterleaved(readers, rounds);
    const long long memoryGrowth = static_cast<long long>(CommittedPrivateBytes()) - static_cast<long long>(memory);
    const long long handleGrowth = static_cast<long long>(CountKernelHandles()) - static_cast<long long>(handles);
    PrintVariantTable(readers, times, "file");
    const double ratio = PrintPairedRatio("b/a", readers, times, 1, 0);
    bool agree = true;
    for (int k = 0; k < kSlices && k < rounds; ++k) agree = agree && sums[0][k] == sums[1][k];
    std::printf("  target: b/a at most 1.2 (%s); both readers saw the same titles: %s\n",
                ratio <= 1.2 ? "met" : "missed", agree ? "yes" : "NO");
    std::printf("  growth over %d passes after a first over every file: committed memory %+lld bytes, kernel handles %+lld\n",
                rounds + 1, memoryGrowth, handleGrowth);
}

}  // namespace

int main(int argc, char** argv) {
    BenchRun run(argc, argv, "TagFile: the container formats");
    ServerLibrary library;
    InterfacePtr<ITagFile> tag = library.Create<ITagFile>(IID_ITagFile, kTagFileClsid);
    if (!tag) {
        std::printf("no TagFile object\n");
        return 1;
    }
    const size_t formats = FilesOfEveryFormat(Bytes(1, 0)).size();
    for (size_t format = 0; format < formats; ++format) MeasureFormat(run, tag.Get(), format);
    return 0;
}
