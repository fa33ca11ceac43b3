// TagFile's Save against the least a program must do to put the same bytes on the disk:
//   a  a bare loop: CreateFileW without sharing, the new tag written over the old one in
//      one WriteFile, FlushFileBuffers, CloseHandle
//   b  put_Title and Save of a file whose tag has room (written in place; Save also reads
//      the file before and after, as its checks and its promise to hold what the file holds
//      need)
//   c  CopyFileW of a 5 MB file
//   c2 the same, and the copy flushed to the disk, as a save must before its rename
//   d  put_Title and Save of the same 5 MB file with an ID3v1 tag, which is never changed
//      in place: a whole new file each time
// and what the in-place rule costs a text edit of a 5 MB file whose tag holds a cover:
//   e  before it: the whole tag, cover included, written over itself in one write and
//      flushed (a bare loop: the least the old in-place path did)
//   f  put_Title and Save, a title of the same length: the one page that changes
//   g  put_Title and Save, a title one letter longer or shorter in turn: the cover moves,
//      so a whole new file each time
//   h  Open of that file alone, the read that every Save makes again after its write
//   i  the in-place rule's own work alone: ChooseSaveWay comparing a new tag of one changed
//      byte with the 5 MB on the disk
// and then the same two comparisons for a file of each container format (format_saving.h).
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <string>
#include <vector>

#include "automation/tarvik.h"
#include "bench_run.h"
#include "interleaved_rounds.h"
#include "format_saving.h"
#include "common/media_bytes.h"
#include "common/server_library.h"
#include "common/temp_files.h"
#include "formats/save_plan.h"
#include "support/unique_bstr.h"
#include "tagfile/disk_file_source.h"

namespace {

// A 2.3 tag of a title, an artist and a cover of coverBytes, with room to edit, and audio.
Bytes MakeCoveredFile(size_t coverBytes) {
    Bytes image = BytesOf("\xFF\xD8\xFF\xE0");
    image.resize(coverBytes, 0x5A);
    return Tag(3, TextFrame(3, "TIT2", "Title A") + TextFrame(3, "TPE1", "Artist") +
                      Frame(3, "APIC", PictureBody(3, 3, "", image)) + Bytes(2048, 0)) +
           MpegFrames(240);
}

Bytes MakeMediaFile(int audioFrames, bool id3v1) {
    const Bytes frames = TextFrame(3, "TIT2", "Title A") + TextFrame(3, "TPE1", "Artist") +
                         TextFrame(3, "TALB", "Album of the set") + TextFrame(3, "TRCK", "3/20") +
                         TextFrame(3, "TYER", "2001") + TextFrame(3, "TCON", "(17)");
    const Bytes file = Tag(3, frames + Bytes(2048, 0)) + MpegFrames(audioFrames);
    return id3v1 ? file + Id3v1Tag("Title A", "Artist", 3, 17) : file;
}

// The bytes of the file's ID3v2 tag, header included.
Bytes LeadingTag(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    Bytes tag(10);
    DWORD read = 0;
    ReadFile(file, tag.data(), 10, &read, nullptr);
    tag.resize(10 + ((tag[6] << 21) | (tag[7] << 14) | (tag[8] << 7) | tag[9]));
    ReadFile(file, tag.data() + 10, static_cast<DWORD>(tag.size() - 10), &read, nullptr);
    CloseHandle(file);
    return tag;
}

void WriteBare(const wchar_t* path, const Bytes& tag) {
    const HANDLE file = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, tag.data(), static_cast<DWORD>(tag.size()), &written, nullptr);
    FlushFileBuffers(file);
    CloseHandle(file);
}

}  // namespace

int main(int argc, char** argv) {
    BenchRun run(argc, argv, "TagFile: saving");
    ServerLibrary library;
    InterfacePtr<ITagFile2> tag = library.Create<ITagFile2>(IID_ITagFile2, kTagFileClsid);
    if (!tag) {
        std::printf("no TagFile object\n");
        return 1;
    }
    ScratchFolder folder;
    UniqueBstr titles[] = {UniqueBstr(SysAllocString(L"Title A")), UniqueBstr(SysAllocString(L"Title B"))};
    auto saveTitle = [&](int i) {
        if (FAILED(tag->put_Title(titles[i % 2].Get())) || FAILED(tag->Save())) std::printf("Save failed\n");
    };

    // In place: the bare loop writes the very tag that Save writes.
    const std::wstring small = folder.WriteFile(L"small.mp3", MakeMediaFile(12, false));
    const std::wstring bare = folder.WriteFile(L"bare.mp3", MakeMediaFile(12, false));
    UniqueBstr smallName(SysAllocString(small.c_str()));
    tag->Open(smallName.Get());
    saveTitle(1);
    const Bytes tagBytes = LeadingTag(small);
    const int saves = run.Pick(500, 150);
    const std::vector<BenchVariant> inPlace = {
        {"a   bare: open without sharing, one write, flush, close",
         [&](int) {
             for (int i = 0; i < saves; ++i) WriteBare(bare.c_str(), tagBytes);
         },
         double(saves)},
        {"b   put_Title and Save, in place",
         [&](int) {
             for (int i = 0; i < saves; ++i) saveTitle(i);
         },
         double(saves)},
    };
    const int rounds = run.Pick(30, 8);
    PrintSection("a tag written in place");
    std::printf("%d rounds of a b, interleaved, %d saves each; tag %zu bytes\n", rounds, saves, tagBytes.size());
    const RoundTimes inPlaceTimes = RunInterleaved(inPlace, rounds);
    PrintVariantTable(inPlace, inPlaceTimes, "save");
    const double inPlaceRatio = PrintPairedRatio("b/a", inPlace, inPlaceTimes, 1, 0);
    std::printf("  target: b/a at most 1.5 (%s)\n", inPlaceRatio <= 1.5 ? "met" : "missed");

    // A whole new file: 5 MB of audio and an ID3v1 tag that every title changes.
    const std::wstring large = folder.WriteFile(L"large.mp3", MakeMediaFile(5 * 1024 * 1024 / 417, true));
    const std::wstring copy = folder.Path() + L"\\copy.mp3";
    UniqueBstr largeName(SysAllocString(large.c_str()));
    tag->Open(largeName.Get());
    const int rewrites = run.Pick(8, 4);
    const std::vector<BenchVariant> rewrite = {
        {"c   CopyFileW of the 5 MB file",
         [&](int) {
             for (int i = 0; i < rewrites; ++i) CopyFileW(large.c_str(), copy.c_str(), FALSE);
         },
         double(rewrites)},
        {"c2  CopyFileW, then the copy flushed to the disk",
         [&](int) {
             for (int i = 0; i < rewrites; ++i) {
                 CopyFileW(large.c_str(), copy.c_str(), FALSE);
                 const HANDLE file = CreateFileW(copy.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
                 FlushFileBuffers(file);
                 CloseHandle(file);
             }
         },
         double(rewrites)},
        {"d   put_Title and Save, a new 5 MB file",
         [&](int) {
             for (int i = 0; i < rewrites; ++i) saveTitle(i);
         },
         double(rewrites)},
    };
    PrintSection("a whole new file");
    std::printf("%d rounds of c c2 d, interleaved, %d files each\n", rounds, rewrites);
    const RoundTimes rewriteTimes = RunInterleaved(rewrite, rounds);
    PrintVariantTable(rewrite, rewriteTimes, "file");
    const double rewriteRatio = PrintPairedRatio("d/c", rewrite, rewriteTimes, 2, 0);
    PrintPairedRatio("d/c2", rewrite, rewriteTimes, 2, 1);
    std::printf("  target: d/c at most 1.3 (%s)\n", rewriteRatio <= 1.3 ? "met" : "missed");

    // A text edit of a 5 MB file with a cover, before the in-place rule and after it.
    const std::wstring covered = folder.WriteFile(L"covered.mp3", MakeCoveredFile(5 * 1024 * 1024 - 100 * 1024));
    const std::wstring coveredBare = folder.WriteFile(L"covered-bare.mp3", MakeCoveredFile(5 * 1024 * 1024 - 100 * 1024));
    const Bytes coveredTag = LeadingTag(coveredBare);
    UniqueBstr coveredName(SysAllocString(covered.c_str()));
    tag->Open(coveredName.Get());
    UniqueBstr unequal[] = {UniqueBstr(SysAllocString(L"Title AB")), UniqueBstr(SysAllocString(L"Title A"))};
    const int edits = run.Pick(8, 4);
    std::vector<BenchVariant> covers = {
        {"e   before: the whole 5 MB tag written in place, flushed",
         [&](int) {
             for (int i = 0; i < edits; ++i) WriteBare(coveredBare.c_str(), coveredTag);
         },
         double(edits)},
        {"f   put_Title and Save, the same length: one page in place",
         [&](int) {
             for (int i = 0; i < edits; ++i) saveTitle(i + 1);  // from the title g leaves
         },
         double(edits)},
        {"g   put_Title and Save, another length: a new 5 MB file",
         [&](int) {
             for (int i = 0; i < edits; ++i) {
                 if (FAILED(tag->put_Title(unequal[i % 2].Get())) || FAILED(tag->Save())) std::printf("Save failed\n");
             }
         },
         double(edits)},
        {"h   Open alone, as each Save reads the file again",
         [&](int) {
             InterfacePtr<ITagFile2> reader = library.Create<ITagFile2>(IID_ITagFile2, kTagFileClsid);
             for (int i = 0; i < edits; ++i) reader->Open(coveredName.Get());
         },
         double(edits)},
    };
    SavePlan changedByte;
    changedByte.AddBytes(Bytes(coveredTag.begin(), coveredTag.end()));
    changedByte.Pieces[0].Bytes[20] ^= 1;
    WIN32_FILE_ATTRIBUTE_DATA coveredData{};
    GetFileAttributesExW(coveredBare.c_str(), GetFileExInfoStandard, &coveredData);
    const uint64_t coveredSize = (uint64_t{coveredData.nFileSizeHigh} << 32) | coveredData.nFileSizeLow;
    changedByte.KeepRun(coveredTag.size(), coveredSize);
    covers.push_back({"i   ChooseSaveWay alone: the new tag compared with the disk",
                      [&](int) {
                          const HANDLE file = CreateFileW(coveredBare.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                          OPEN_EXISTING, 0, nullptr);
                          DiskFileSource source(file);
                          uint32_t error = 0;
                          for (int i = 0; i < edits; ++i) ChooseSaveWay(source, coveredSize, changedByte, &error);
                          CloseHandle(file);
                          if (changedByte.Way != SaveWay::InPlace) std::printf("not in place\n");
                      },
                      double(edits)});
    PrintSection("a text edit of a 5 MB file with a cover");
    std::printf("%d rounds of e f g h i, interleaved, %d edits each; tag %zu bytes\n", rounds, edits, coveredTag.size());
    const RoundTimes coverTimes = RunInterleaved(covers, rounds);
    PrintVariantTable(covers, coverTimes, "edit");
    PrintPairedRatio("f/e", covers, coverTimes, 1, 0);
    PrintPairedRatio("g/e", covers, coverTimes, 2, 0);

    MeasureFormatSaving(run, library);
    return 0;
}
