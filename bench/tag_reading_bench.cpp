// Tag reading over ten thousand generated files, from the least any reader must do to a
// script under cscript:
//   a   a bare Win32 loop: CreateFileA, SetFilePointer, ReadFile, CloseHandle, field copy
//   a2  the same and the five BSTRs every COM reader hands out
//   a3  the bare loop and GetFileType, the component's check that the file is on a disk
//   b   early-bound Ilumex: LoadMP3Head, the five text getters and GetGenreNo
//   c   late-bound IDispatch::Invoke with the DISPIDs looked up once
//   d   late-bound with GetIDsOfNames before every call
//   e   a VBScript under cscript, timed on two file counts so that its start-up cancels
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "automation/tarvik.h"
#include "bench_clock.h"
#include "bench_run.h"
#include "interleaved_rounds.h"
#include "common/server_library.h"
#include "common/process_runner.h"
#include "support/unique_bstr.h"
#include "tag_file_set.h"

namespace {

constexpr int kReadWindow = 129;

// The fields as a bare reader keeps them.
struct BareTag {
    char Texts[5][31];
    unsigned char Genre;
};

constexpr int kTextOffsets[5] = {3, 33, 63, 93, 97};
constexpr int kTextWidths[5] = {30, 30, 30, 4, 30};

// What one reader saw, summed over the files: every character of the five texts and the
// genre.  All readers of the same files must agree.
using FieldSum = unsigned long long;

// The files one pass reads: a tenth of the set, a different tenth each round, so that the
// passes are short and the rounds go through every file.
struct Slice {
    int First;
    int End;
};
constexpr int kSlices = 10;

Slice SliceOfRound(const TagFileSet& files, int round) {
    const int size = files.Count() / kSlices;
    const int first = (round % kSlices) * size;
    return {first, first + size};
}

// checkDisk asks, as the component does, whether the file is on a disk before reading it.
void ReadBareTag(const char* path, BareTag& tag, bool checkDisk = false) {
    std::memset(&tag, 0, sizeof tag);
    tag.Genre = 255;
    HANDLE file =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    if (checkDisk && GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return;
    }
    unsigned char buffer[kReadWindow + 1] = {};
    SetFilePointer(file, -kReadWindow, nullptr, FILE_END);
    DWORD read = 0;
    ReadFile(file, buffer, kReadWindow, &read, nullptr);
    CloseHandle(file);
    int marker = -1;
    for (int p = 0; p + 2 < static_cast<int>(read) && p <= 127; ++p) {
        if (buffer[p] == 'T' && buffer[p + 1] == 'A' && buffer[p + 2] == 'G') {
            marker = p;
            break;
        }
    }
    if (marker < 0) return;
    for (int f = 0; f < 5; ++f) {
        const int start = marker + kTextOffsets[f];
        const int available = static_cast<int>(read) - start;
        const int n = available < kTextWidths[f] ? available : kTextWidths[f];
        if (n > 0) std::memcpy(tag.Texts[f], buffer + start, static_cast<size_t>(n));
    }
    if (marker + 127 < static_cast<int>(read)) tag.Genre = buffer[marker + 127];
}

FieldSum SumOf(const char* text) {
    FieldSum sum = 0;
    for (; *text != 0; ++text) sum += static_cast<unsigned char>(*text);
    return sum;
}

FieldSum SumOf(const wchar_t* text) {
    FieldSum sum = 0;
    for (; text != nullptr && *text != 0; ++text) sum += *text;
    return sum;
}

FieldSum ReadBare(const TagFileSet& files, const Slice& slice, bool checkDisk = false) {
    FieldSum sum = 0;
    BareTag tag;
    for (int i = slice.First; i < slice.End; ++i) {
        ReadBareTag(files.AnsiPath(i), tag, checkDisk);
        for (const char* text : tag.Texts) sum += SumOf(text);
        sum += tag.Genre;
    }
    return sum;
}

// The file calls alone, as far as a stage: 0 opens and closes, 1 also moves the pointer,
// 2 also reads.  Where the bare loop's time goes.
enum class FileStage { OpenClose, Move, Read };

void TouchFiles(const TagFileSet& files, const Slice& slice, FileStage stage) {
    unsigned char buffer[kReadWindow + 1];
    for (int i = slice.First; i < slice.End; ++i) {
        HANDLE file = CreateFileA(files.AnsiPath(i), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) continue;
        if (stage != FileStage::OpenClose) SetFilePointer(file, -kReadWindow, nullptr, FILE_END);
        DWORD read = 0;
        if (stage == FileStage::Read) ReadFile(file, buffer, kReadWindow, &read, nullptr);
        CloseHandle(file);
    }
}

// The least a COM reader adds: each text becomes a new BSTR that the caller frees.
FieldSum ReadBareWithBstrs(const TagFileSet& files, const Slice& slice) {
    FieldSum sum = 0;
    BareTag tag;
    for (int i = slice.First; i < slice.End; ++i) {
        ReadBareTag(files.AnsiPath(i), tag);
        for (const char* text : tag.Texts) {
            wchar_t wide[31];
            MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 31);
            BSTR copy = SysAllocString(wide);
            sum += SumOf(copy);
            SysFreeString(copy);
        }
        sum += tag.Genre;
    }
    return sum;
}

using Getter = HRESULT (STDMETHODCALLTYPE Ilumex::*)(BSTR*);
constexpr Getter kGetters[5] = {&Ilumex::get_GetTitle, &Ilumex::get_GetArtist, &Ilumex::get_GetAlbum,
                                &Ilumex::get_GetProYear, &Ilumex::get_GetComment};

FieldSum ReadEarlyBound(Ilumex* tag, const TagFileSet& files, const Slice& slice) {
    FieldSum sum = 0;
    for (int i = slice.First; i < slice.End; ++i) {
        tag->LoadMP3Head(files.Path(i));
        for (Getter getter : kGetters) {
            BSTR text = nullptr;
            (tag->*getter)(&text);
            sum += SumOf(text);
            SysFreeString(text);
        }
        short genre = 0;
        tag->get_GetGenreNo(&genre);
        sum += static_cast<unsigned short>(genre);
    }
    return sum;
}

// The seven members a reader calls, by name and by the DISPID the names map to.
const wchar_t* const kMemberNames[7] = {L"LoadMP3Head", L"GetTitle",   L"GetArtist", L"GetAlbum",
                                        L"GetProYear",  L"GetComment", L"GetGenreNo"};

DISPID LookUp(IDispatch* object, const wchar_t* name) {
    LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    return id;
}

FieldSum SumOfResult(VARIANT& result) {
    FieldSum sum = 0;
    if (result.vt == VT_BSTR) sum = SumOf(result.bstrVal);
    if (result.vt == VT_I2) sum = static_cast<unsigned short>(result.iVal);
    VariantClear(&result);
    return sum;
}

// Late-bound reading; with lookUpEachCall every call is preceded by its name lookup, as a
// naive script host does.
FieldSum ReadLateBound(IDispatch* object, const TagFileSet& files, const Slice& slice, const DISPID (&ids)[7],
                       bool lookUpEachCall) {
    FieldSum sum = 0;
    VARIANT result;
    VariantInit(&result);
    for (int i = slice.First; i < slice.End; ++i) {
        VARIANT path;
        VariantInit(&path);
        path.vt = VT_BSTR;
        path.bstrVal = files.Path(i);  // borrowed: not cleared
        DISPPARAMS load = {&path, nullptr, 1, 0};
        const DISPID loadId = lookUpEachCall ? LookUp(object, kMemberNames[0]) : ids[0];
        object->Invoke(loadId, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &load, &result, nullptr, nullptr);
        VariantClear(&result);
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        for (int m = 1; m < 7; ++m) {
            const DISPID id = lookUpEachCall ? LookUp(object, kMemberNames[m]) : ids[m];
            object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr);
            sum += SumOfResult(result);
        }
    }
    return sum;
}

// The script host's side: the same reading, in VBScript.  Prints the characters it read.
const char kReadScript[] =
    "' Reads the six fields of the first count files of the set in a folder.\r\n"
    "Set tag = CreateObject(\"Tarvik.lumex\")\r\n"
    "folder = WScript.Arguments(0)\r\n"
    "count = CLng(WScript.Arguments(1))\r\n"
    "total = 0\r\n"
    "For i = 0 To count - 1\r\n"
    "    tag.LoadMP3Head folder & \"\\s\" & (i \\ 1000) & \"\\t\" & i & \".mp3\"\r\n"
    "    title = tag.GetTitle\r\n"
    "    artist = tag.GetArtist\r\n"
    "    album = tag.GetAlbum\r\n"
    "    proYear = tag.GetProYear\r\n"
    "    comment = tag.GetComment\r\n"
    "    genre = tag.GetGenreNo\r\n"
    "    total = total + Len(title) + Len(artist) + Len(album) + Len(proYear) + Len(comment)\r\n"
    "Next\r\n"
    "WScript.Echo total\r\n";

std::wstring WriteReadScript(const TagFileSet& files) {
    const std::wstring path = files.Folder() + L"\\read_tags.vbs";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, kReadScript, sizeof kReadScript - 1, &written, nullptr);
    CloseHandle(file);
    return path;
}

// Characters of the five texts of the first n files, early-bound, to check the script.
long long CharactersRead(Ilumex* tag, const TagFileSet& files, int n) {
    long long total = 0;
    for (int i = 0; i < n; ++i) {
        tag->LoadMP3Head(files.Path(i));
        for (Getter getter : kGetters) {
            UniqueBstr text;
            (tag->*getter)(text.Receive());
            total += text.Length();
        }
    }
    return total;
}

class ScriptReader {
public:
    ScriptReader(const TagFileSet& files, int count) : count_(count) {
        commandLine_ = L"cscript //nologo \"" + WriteReadScript(files) + L"\" \"" + files.Folder() + L"\" " +
                       std::to_wstring(count);
    }
    void Run() {
        const ProgramRun run = RunProgram(commandLine_);
        output_ = run.Output;
        exitCode_ = run.ExitCode;
    }
    long long Reported() const { return std::atoll(output_.c_str()); }
    const std::string& Output() const { return output_; }
    DWORD ExitCode() const { return exitCode_; }
    int Count() const { return count_; }

private:
    int count_;
    std::wstring commandLine_;
    std::string output_;
    DWORD exitCode_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    BenchRun run(argc, argv, "tag reading");
    const int fileCount = 10000;
    const int rounds = run.Pick(40, 10);

    ServerLibrary library(ServerLibrary::Registration::ForLifetime);
    InterfacePtr<Ilumex> tag = library.Create<Ilumex>(IID_Ilumex);
    InterfacePtr<IDispatch> dispatch;
    if (!tag || FAILED(tag.QueryInto(IID_IDispatch, dispatch))) {
        std::printf("cannot create the object\n");
        return 1;
    }
    const Stopwatch making;
    const TagFileSet files(fileCount);
    std::printf("%d files (%d with a tag, 0 to 4096 bytes) written in %.1f s\n", files.Count(), files.TaggedCount(),
                making.Seconds());

    DISPID ids[7];
    for (int m = 0; m < 7; ++m) ids[m] = LookUp(dispatch.Get(), kMemberNames[m]);

    // The sums of every slice, by reader, from the last round that read it.
    FieldSum sums[6][kSlices] = {};
    const double sliceSize = files.Count() / kSlices;
    auto reader = [&](const char* name, int index, auto read) {
        return BenchVariant{name,
                            [&files, &sums, index, read](int round) {
                                sums[index][round % kSlices] = read(SliceOfRound(files, round));
                            },
                            sliceSize};
    };
    const std::vector<BenchVariant> readers = {
        reader("a   bare Win32 loop", 0, [&](const Slice& slice) { return ReadBare(files, slice); }),
        reader("a2  bare loop + five BSTRs", 1, [&](const Slice& slice) { return ReadBareWithBstrs(files, slice); }),
        reader("b   early-bound Ilumex", 2,
               [&](const Slice& slice) { return ReadEarlyBound(tag.Get(), files, slice); }),
        reader("c   late-bound, DISPIDs once", 3,
               [&](const Slice& slice) { return ReadLateBound(dispatch.Get(), files, slice, ids, false); }),
        reader("d   late-bound, GetIDsOfNames each call", 4,
               [&](const Slice& slice) { return ReadLateBound(dispatch.Get(), files, slice, ids, true); }),
        reader("a3  bare loop + GetFileType", 5, [&](const Slice& slice) { return ReadBare(files, slice, true); }),
    };
    PrintSection("files read in one process, median of the rounds");
    std::printf("%d rounds of a a2 b c d a3, interleaved, each pass over %d files (all %d files every %d rounds)\n",
                rounds, files.Count() / kSlices, files.Count(), kSlices);
    const RoundTimes times = RunInterleaved(readers, rounds);
    PrintVariantTable(readers, times, "file");

    PrintSection("paired ratios (median of the per-round ratios)");
    const double ba = PrintPairedRatio("b/a", readers, times, 2, 0);
    PrintPairedRatio("b/a2", readers, times, 2, 1);
    const double cb = PrintPairedRatio("c/b", readers, times, 3, 2);
    PrintPairedRatio("d/b", readers, times, 4, 2);
    PrintPairedRatio("a3/a", readers, times, 5, 0);
    PrintPairedRatio("b/a3", readers, times, 2, 5);
    std::printf("  targets: b/a at most 1.10 (%s), c/b at most 1.5 (%s)\n", ba <= 1.10 ? "met" : "missed",
                cb <= 1.5 ? "met" : "missed");

    PrintSection("where the bare loop's time goes");
    const std::vector<BenchVariant> stages = {
        {"CreateFileA, CloseHandle",
         [&](int round) { TouchFiles(files, SliceOfRound(files, round), FileStage::OpenClose); }, sliceSize},
        {"CreateFileA, SetFilePointer, CloseHandle",
         [&](int round) { TouchFiles(files, SliceOfRound(files, round), FileStage::Move); }, sliceSize},
        {"CreateFileA, SetFilePointer, ReadFile, CloseHandle",
         [&](int round) { TouchFiles(files, SliceOfRound(files, round), FileStage::Read); }, sliceSize},
        readers[0],
    };
    const int stageRounds = run.Pick(20, 6);
    std::printf("%d rounds, interleaved\n", stageRounds);
    const RoundTimes stageTimes = RunInterleaved(stages, stageRounds);
    PrintVariantTable(stages, stageTimes, "file");
    const double open = MicrosecondsPerUnit(stages[0], stageTimes[0]);
    const double move = MicrosecondsPerUnit(stages[1], stageTimes[1]) - open;
    const double readFile = MicrosecondsPerUnit(stages[2], stageTimes[2]) - open - move;
    const double rest = MicrosecondsPerUnit(stages[3], stageTimes[3]) - open - move - readFile;
    std::printf("  open and close %.1f us, move %.1f us, read %.1f us, finding and copying the fields %.1f us a file\n",
                open, move, readFile, rest);
    std::printf("  the component's check for a disk file (a3 - a): %.1f us a file\n",
                MicrosecondsPerUnit(readers[5], times[5]) - MicrosecondsPerUnit(readers[0], times[0]));

    // The script beside the early-bound reader, with a pause after each pass: a process that
    // has just ended keeps the Wine server busy for a while.
    ScriptReader fewFiles(files, files.Count() / 10);
    ScriptReader allFiles(files, files.Count());
    const std::vector<BenchVariant> scripted = {
        {"b   early-bound Ilumex",
         [&](int) {
             ReadEarlyBound(tag.Get(), files, {0, files.Count()});
         },
         double(files.Count())},
        {"e   cscript, a tenth of the files", [&](int) { fewFiles.Run(); }, double(fewFiles.Count())},
        {"e   cscript, all files", [&](int) { allFiles.Run(); }, double(allFiles.Count())},
    };
    const int scriptRounds = run.Pick(5, 2);
    PrintSection("a VBScript under cscript, against b");
    std::printf("%d rounds of b e e, interleaved; e timed on %d and %d files, so its start-up cancels\n", scriptRounds,
                fewFiles.Count(), allFiles.Count());
    const RoundTimes scriptTimes = RunInterleaved(scripted, scriptRounds, 500);
    std::vector<double> scriptPerFile;
    std::vector<double> scriptOverEarly;
    const double extraFiles = allFiles.Count() - fewFiles.Count();
    for (int r = 0; r < scriptRounds; ++r) {
        const double perFile = (scriptTimes[2][r] - scriptTimes[1][r]) / extraFiles;
        scriptPerFile.push_back(perFile);
        scriptOverEarly.push_back(perFile / (scriptTimes[0][r] / files.Count()));
    }
    const double scriptMicroseconds = Median(scriptPerFile) * 1e6;
    std::printf("  %-56s %10.3f us/file %12.0f file/s   (start-up %.0f ms)\n", "e   VBScript under cscript",
                scriptMicroseconds, 1e6 / scriptMicroseconds,
                (Median(scriptTimes[1]) - Median(scriptPerFile) * fewFiles.Count()) * 1e3);
    std::printf("  %-12s %8.3f\n", "e/b", Median(scriptOverEarly));

    PrintSection("checks");
    bool agree = true;
    for (int r = 1; r < 6; ++r) {
        for (int k = 0; k < kSlices; ++k) agree = agree && sums[r][k] == sums[0][k];
    }
    std::printf("  every reader saw the same fields: %s\n", agree ? "yes" : "NO");
    const long long expected = CharactersRead(tag.Get(), files, allFiles.Count());
    std::printf("  the script read the same characters: %s (%lld, expected %lld)\n",
                allFiles.Reported() == expected ? "yes" : "NO", allFiles.Reported(), expected);
    if (allFiles.Reported() != expected) {
        std::printf("  cscript (exit code %lu) said: %s\n", allFiles.ExitCode(), allFiles.Output().c_str());
    }
    return 0;
}
