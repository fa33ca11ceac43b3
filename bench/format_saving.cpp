// For a file of each container format that the tools made, two comparisons, interleaved:
//   in place  put_Title and Save of a title of the same length, after one save laid the file
//             out (so that the edit fits where the old title stood), against a bare write
//             of the bytes that change: CreateFileW without sharing, one WriteFile at their
//             offset, FlushFileBuffers, CloseHandle
//   new file  put_Title and Save of a title that grows past a page, and back, in turn,
//             against CopyFileW of the file that Save writes to another name, then that
//             copy opened and flushed to the disk, as a save must before its rename; and,
//             to show what the rename adds, the least a save through a new file must do:
//             the same bytes written to a new file, flushed, and renamed over the old one
// Which way each save took is checked by the file's identity on its volume (a file renamed
// over the old one has another), before the rounds and after them.
#include "format_saving.h"

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "automation/tarvik.h"
#include "bench_run.h"
#include "interleaved_rounds.h"
#include "common/format_fixtures.h"
#include "common/server_library.h"
#include "common/source_tree.h"
#include "common/temp_files.h"
#include "support/unique_bstr.h"
#include "support/unique_handle.h"

namespace {

const struct SavedFormat {
    const char* Name;
    const wchar_t* Fixture;
} kFormats[] = {
    {"FLAC", L"stereo-44k.flac"},        {"Ogg Vorbis", L"stereo-44k.ogg"}, {"Opus", L"mono-48k.opus"},
    {"MP4 (AAC)", L"stereo-44k-aac.m4a"}, {"WAV", L"stereo-44k-id3.wav"}, {"AIFF", L"stereo-44k.aiff"},
    {"WMA", L"stereo-44k.wma"},
};

// The grown title: more than a page longer than the short one in any text encoding.
constexpr size_t kGrownTitle = 5000;

std::wstring FixtureFolder() {
    const std::wstring named = FormatFixturePath(L"");
    return named.empty() ? ProgramDirectory() + L"..\\tests\\formats\\fixtures\\" : named;
}

std::wstring Extension(const std::wstring& name) { return name.substr(name.find_last_of(L'.')); }

// The file's identity on its volume; 0 when it cannot be asked.
uint64_t FileIdentity(const std::wstring& path) {
    const UniqueHandle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (!file.IsValid() || !GetFileInformationByHandle(file.Get(), &information)) return 0;
    return (uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow;
}

bool WriteBareAt(const wchar_t* path, uint64_t offset, const Bytes& bytes) {
    const UniqueHandle file(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD written = 0;
    return file.IsValid() && SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN) &&
           WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size() && FlushFileBuffers(file.Get());
}

bool CopyFlushed(const wchar_t* from, const wchar_t* to) {
    if (!CopyFileW(from, to, FALSE)) return false;
    const UniqueHandle file(CreateFileW(to, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    return file.IsValid() && FlushFileBuffers(file.Get());
}

bool WriteRenamedOver(const wchar_t* fresh, const wchar_t* target, const Bytes& bytes) {
    {
        const UniqueHandle file(
            CreateFileW(fresh, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (!file.IsValid() ||
            !WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size() || !FlushFileBuffers(file.Get())) {
            return false;
        }
    }
    return MoveFileExW(fresh, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

// One file under one TagFile object, saved with one of two titles in turn.
class TitledFile {
public:
    TitledFile(const ServerLibrary& library, std::wstring path, const std::wstring& first, const std::wstring& second)
        : path_(std::move(path)),
          tag_(library.Create<ITagFile2>(IID_ITagFile2, kTagFileClsid)),
          titles_{UniqueBstr(SysAllocString(first.c_str())), UniqueBstr(SysAllocString(second.c_str()))} {
        const UniqueBstr name(SysAllocString(path_.c_str()));
        opened_ = tag_ && SUCCEEDED(tag_->Open(name.Get()));
    }

    const std::wstring& Path() const { return path_; }
    // Saves title i % 2; false (and said once) when the object refuses.
    bool Save(int i) {
        const bool saved = opened_ && SUCCEEDED(tag_->put_Title(titles_[i % 2].Get())) && SUCCEEDED(tag_->Save());
        if (!saved && !failed_) std::printf("  Save of %ls failed\n", path_.c_str());
        failed_ = failed_ || !saved;
        return saved;
    }
    // Saves title i % 2 and tells whether the file stayed the same file (in place).
    bool SavedInPlace(int i) {
        const uint64_t before = FileIdentity(path_);
        return Save(i) && before != 0 && FileIdentity(path_) == before;
    }
    bool Failed() const { return failed_ || !opened_; }

private:
    std::wstring path_;
    InterfacePtr<ITagFile2> tag_;
    UniqueBstr titles_[2];
    bool opened_ = false;
    bool failed_ = false;
};

// The bytes from the first that differs between two files of one size to the last.
struct ChangedRun {
    uint64_t Offset = 0;
    Bytes Of[2];  // that run as it stands in the first file and in the second
};

bool FindChangedRun(const Bytes& first, const Bytes& second, ChangedRun* run) {
    if (first.size() != second.size() || first == second) return false;
    size_t begin = 0, end = first.size();
    while (first[begin] == second[begin]) ++begin;
    while (first[end - 1] == second[end - 1]) --end;
    run->Offset = begin;
    const auto from = static_cast<std::ptrdiff_t>(begin), to = static_cast<std::ptrdiff_t>(end);
    run->Of[0].assign(first.begin() + from, first.begin() + to);
    run->Of[1].assign(second.begin() + from, second.begin() + to);
    return true;
}

struct FormatFigures {
    double InPlace = 0, Bare = 0, NewFile = 0, Copy = 0, Renamed = 0;
    PairedRatio InPlaceRatio, NewFileRatio, RenamedRatio;
    bool Measured = false;
};

FormatFigures MeasureFormat(const BenchRun& run, const ServerLibrary& library, const SavedFormat& format) {
    FormatFigures figures;
    const Bytes original = ReadWholeFile(FixtureFolder() + format.Fixture);
    if (original.empty()) {
        std::printf("  %s: no %ls in %ls (ctest --test-dir build/x86_64 -R format_fixtures makes it)\n", format.Name,
                    format.Fixture, FixtureFolder().c_str());
        return figures;
    }
    ScratchFolder folder;
    const std::wstring extension = Extension(format.Fixture);

    // In place: one save lays the file out, then each title of the pair is saved once to
    // find the run that changes between them; the bare file starts as Save leaves it.
    TitledFile edited(library, folder.WriteFile(L"in-place" + extension, original), L"Title A", L"Title B");
    edited.Save(1);
    const bool firstInPlace = edited.SavedInPlace(0);
    const Bytes withFirst = ReadWholeFile(edited.Path());
    const bool secondInPlace = edited.SavedInPlace(1);
    const Bytes withSecond = ReadWholeFile(edited.Path());
    ChangedRun changed;
    if (!FindChangedRun(withFirst, withSecond, &changed)) {
        std::printf("  %s: the two titles do not give two files of one size\n", format.Name);
        return figures;
    }
    const std::wstring bare = folder.WriteFile(L"bare" + extension, withSecond);

    // A new file: the grown title and the short one in turn, two of each first so that the
    // layouts settle; the copies are of the very files that Save then writes.
    TitledFile grown(library, folder.WriteFile(L"grown" + extension, original), std::wstring(kGrownTitle, L'x'),
                     L"Title A");
    bool renamed = true;
    for (int i = 0; i < 4; ++i) renamed = !grown.SavedInPlace(i) && renamed;
    std::wstring states[2];
    Bytes stateBytes[2];
    for (int i = 0; i < 2; ++i) {
        grown.Save(i);
        stateBytes[i] = ReadWholeFile(grown.Path());
        states[i] = folder.WriteFile(i == 0 ? L"state-grown" + extension : L"state-short" + extension, stateBytes[i]);
    }
    const std::wstring copy = folder.Path() + L"\\copy" + extension;
    const std::wstring renamedTarget = folder.WriteFile(L"renamed" + extension, stateBytes[1]);
    const std::wstring fresh = folder.Path() + L"\\fresh" + extension;
    if (edited.Failed() || grown.Failed()) return figures;

    const int saves = run.Pick(100, 30), rewrites = run.Pick(20, 6);  // even: each pass ends where it began
    bool bareWritten = true, copied = true;
    const std::vector<BenchVariant> variants = {
        {"in place: put_Title and Save",
         [&](int) {
             for (int i = 0; i < saves; ++i) edited.Save(i);
         },
         double(saves)},
        {"bare write of the changed bytes",
         [&](int) {
             for (int i = 0; i < saves; ++i) {
                 bareWritten = WriteBareAt(bare.c_str(), changed.Offset, changed.Of[i % 2]) && bareWritten;
             }
         },
         double(saves)},
        {"new file: put_Title and Save",
         [&](int) {
             for (int i = 0; i < rewrites; ++i) grown.Save(i);
         },
         double(rewrites)},
        {"CopyFileW of that file, flushed",
         [&](int) {
             for (int i = 0; i < rewrites; ++i) copied = CopyFlushed(states[i % 2].c_str(), copy.c_str()) && copied;
         },
         double(rewrites)},
        {"its bytes to a new file, flushed, renamed over",
         [&](int) {
             for (int i = 0; i < rewrites; ++i) {
                 copied = WriteRenamedOver(fresh.c_str(), renamedTarget.c_str(), stateBytes[i % 2]) && copied;
             }
         },
         double(rewrites)},
    };
    const uint64_t identity = FileIdentity(edited.Path());
    const RoundTimes times = RunInterleaved(variants, run.Pick(30, 8));
    const bool stayed = identity != 0 && FileIdentity(edited.Path()) == identity;

    std::printf("  %-10s %-20ls %7zu bytes: in place %zu bytes at %llu (%s); new files of %zu and %zu bytes (%s)\n",
                format.Name, format.Fixture, withSecond.size(), changed.Of[0].size(),
                static_cast<unsigned long long>(changed.Offset),
                firstInPlace && secondInPlace && stayed ? "every save in place" : "NOT ALL IN PLACE",
                stateBytes[0].size(), stateBytes[1].size(),
                renamed ? "each renamed over the old" : "NOT ALL RENAMED");
    if (!bareWritten || !copied) std::printf("  %s: a bare write, a copy or a rename failed\n", format.Name);
    figures.InPlace = MicrosecondsPerUnit(variants[0], times[0]);
    figures.Bare = MicrosecondsPerUnit(variants[1], times[1]);
    figures.NewFile = MicrosecondsPerUnit(variants[2], times[2]);
    figures.Copy = MicrosecondsPerUnit(variants[3], times[3]);
    figures.Renamed = MicrosecondsPerUnit(variants[4], times[4]);
    figures.InPlaceRatio = PairedRatioOf(variants, times, 0, 1);
    figures.NewFileRatio = PairedRatioOf(variants, times, 2, 3);
    figures.RenamedRatio = PairedRatioOf(variants, times, 2, 4);
    figures.Measured = true;
    return figures;
}

}  // namespace

void MeasureFormatSaving(const BenchRun& run, const ServerLibrary& library) {
    PrintSection("every container format: Save in place and through a new file");
    std::printf("files of %ls; %d rounds of the five, interleaved, %d saves in place and %d new files a pass\n",
                FixtureFolder().c_str(), run.Pick(30, 8), run.Pick(100, 30), run.Pick(20, 6));
    constexpr size_t kCount = sizeof kFormats / sizeof kFormats[0];
    FormatFigures figures[kCount];
    for (size_t f = 0; f < kCount; ++f) figures[f] = MeasureFormat(run, library, kFormats[f]);

    std::printf("\n  %-10s %12s %9s %22s %12s %9s %22s %11s %6s\n", "format", "in place us", "bare us",
                "ratio (middle half)", "new file us", "copy us", "ratio (middle half)", "renamed us", "ratio");
    int inPlaceMet = 0, newFileMet = 0, measured = 0;
    for (size_t f = 0; f < kCount; ++f) {
        const FormatFigures& row = figures[f];
        if (!row.Measured) {
            std::printf("  %-10s not measured\n", kFormats[f].Name);
            continue;
        }
        ++measured;
        inPlaceMet += row.InPlaceRatio.Median <= 1.5;
        newFileMet += row.NewFileRatio.Median <= 1.3;
        std::printf("  %-10s %12.1f %9.1f %6.2f (%5.2f .. %5.2f) %12.1f %9.1f %6.2f (%5.2f .. %5.2f) %11.1f %6.2f\n",
                    kFormats[f].Name, row.InPlace, row.Bare, row.InPlaceRatio.Median, row.InPlaceRatio.Low,
                    row.InPlaceRatio.High, row.NewFile, row.Copy, row.NewFileRatio.Median, row.NewFileRatio.Low,
                    row.NewFileRatio.High, row.Renamed, row.RenamedRatio.Median);
    }
    std::printf("  (renamed: the new file's bytes written to a new file, flushed and renamed over the old one)\n");
    std::printf("  target: in place at most 1.5 (met by %d of %d), new file at most 1.3 (met by %d of %d)\n",
                inPlaceMet, measured, newFileMet, measured);
}
