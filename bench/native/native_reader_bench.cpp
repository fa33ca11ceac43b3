// This project's reader against TagLib, natively, over the same 10,000 files in one
// process: the tag-reading set's small generated files and copies of a few LAME-encoded
// files with ID3v2 tags and a cover picture (native_file_set.h), in the page cache.
//   a  the bare loop of the reader's own reads: open, fstat, the same preads, close
//   b  this project's reader: ReadMediaFile through a PosixFileSource
//   c  TagLib's FileRef: the tags and the audio properties, its default way of reading
// The variants run interleaved in rounds (bench/interleaved_rounds.h); then, untimed, the
// bytes, read calls and allocations of one pass of each, the system calls strace counted
// of such a pass (tools/bench-native.sh), and the fields both readers give, compared.
//
//   bench_native_readers generate FOLDER ENCODED.mp3...   writes the set and its manifest
//   bench_native_readers pass READER FOLDER GROUP         one pass (for strace): READER none,
//                                                         bare, tarvik or taglib; GROUP all,
//                                                         generated or encoded
//   bench_native_readers measure FOLDER [ROUNDS] [STRACE_FOLDER]
#include <taglib/taglib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "allocation_counter.h"
#include "field_agreement.h"
#include "figure_text.h"
#include "interleaved_rounds.h"
#include "io_counters.h"
#include "native_file_set.h"
#include "processor_clock.h"
#include "reader_variants.h"
#include "shared_fields.h"
#include "strace_summary.h"
#include "taglib_reader.h"
#include "tarvik_reader.h"

namespace {

constexpr int kSetSize = 10000;
constexpr int kSlices = 10;

using FileList = std::vector<const SetFile*>;

struct Group {
    const char* Name;   // as `pass` takes it
    const char* Label;  // as the count table says it
    const char* Title;  // as the time table says it, after the count of files
    FileList Files;
};

std::vector<Group> GroupsOf(const std::vector<SetFile>& set) {
    std::vector<Group> groups = {{"all", "whole set", "files, the whole set", {}},
                                 {"generated", "generated", "generated files (ID3v1 or none, 0 to 4 KB)", {}},
                                 {"encoded", "encoded", "encoded files (LAME, ID3v2 with a 100 KB cover)", {}}};
    for (const SetFile& file : set) {
        groups[0].Files.push_back(&file);
        groups[file.Generated() ? 1 : 2].Files.push_back(&file);
    }
    return groups;
}

uint64_t ReadAll(Reader reader, const FileList& files) {
    uint64_t sum = 0;
    for (const SetFile* file : files) sum += ReadFile(reader, *file);
    return sum;
}

const char* LabelOf(Reader reader) {
    switch (reader) {
        case Reader::Bare:
            return "a: bare loop of the reader's reads (`open`, `fstat`, the same `pread`s, `close`)";
        case Reader::Tarvik:
            return "b: tarvik, `ReadMediaFile` through a `PosixFileSource`";
        case Reader::TagLib:
            return "c: TagLib, `FileRef` (tags and audio properties, average)";
        case Reader::None:
            break;
    }
    return "";
}

// What one untimed pass of a reader over a group costs, per file.
struct PassCounts {
    double BytesRead = 0, ReadCalls = 0, Allocations = 0;
    double Syscalls = 0;  // 0 when strace gave no count
    std::string SyscallNames;  // "openat 1, fstat 1, pread64 1, close 1"
};

PassCounts CountPass(Reader reader, const Group& group, const std::string& straceFolder) {
    const double files = static_cast<double>(group.Files.size());
    const IoCounts before = ReadIoCounts();
    const uint64_t allocationsBefore = AllocationCount();
    ReadAll(reader, group.Files);
    const uint64_t allocations = AllocationCount() - allocationsBefore;
    const IoCounts after = ReadIoCounts();
    PassCounts counts;
    counts.BytesRead = static_cast<double>(after.BytesRead - before.BytesRead) / files;
    counts.ReadCalls = static_cast<double>(after.ReadCalls - before.ReadCalls) / files;
    counts.Allocations = static_cast<double>(allocations) / files;
    if (straceFolder.empty()) return counts;
    const auto summary = [&](Reader r) {
        return ReadStraceSummary(straceFolder + "/" + NameOf(r) + "-" + group.Name + ".txt");
    };
    const SyscallCounts baseline = summary(Reader::None);
    const SyscallCounts traced = summary(reader);
    if (baseline.Empty() || traced.Empty()) return counts;
    const SyscallCounts own = traced.Minus(baseline);
    counts.Syscalls = static_cast<double>(own.Total) / files;
    for (const auto& entry : own.ByName) {
        const double perFile = static_cast<double>(entry.second) / files;
        if (perFile < 0.005) continue;
        if (!counts.SyscallNames.empty()) counts.SyscallNames += ", ";
        counts.SyscallNames += entry.first + " " + Fixed(perFile, 2);
    }
    return counts;
}

// The three readers over a group, a tenth of its files a round.
std::vector<BenchVariant> VariantsOver(const Group& group, uint64_t* sink) {
    std::vector<BenchVariant> variants;
    const size_t slice = group.Files.size() / kSlices;
    for (Reader reader : kReaders) {
        variants.push_back({std::string(NameOf(reader)) + ", " + group.Name,
                            [&group, reader, slice, sink](int round) {
                                const size_t first = static_cast<size_t>(round % kSlices) * slice;
                                for (size_t i = first; i < first + slice; ++i) {
                                    *sink += ReadFile(reader, *group.Files[i]);
                                }
                            },
                            double(slice)});
    }
    return variants;
}

struct Timing {
    double Microseconds[3] = {};  // a, b, c: median time per file
    double BareRatio = 0;         // b/a, paired
    double TagLibRatio = 0;       // b/c, paired
};

Timing TimeGroup(const Group& group, int rounds, uint64_t* sink) {
    const std::vector<BenchVariant> variants = VariantsOver(group, sink);
    std::printf("\n-- %s %s: %d rounds of a b c, each pass over a tenth of them, the thread's processor time\n",
                Grouped(group.Files.size()).c_str(), group.Title, rounds);
    const RoundTimes times = RunInterleaved(variants, rounds, 0, ThreadProcessorSeconds);
    PrintVariantTable(variants, times, "file");
    Timing timing;
    for (size_t v = 0; v < 3; ++v) timing.Microseconds[v] = MicrosecondsPerUnit(variants[v], times[v]);
    timing.BareRatio = PrintPairedRatio("b/a", variants, times, 1, 0);
    timing.TagLibRatio = PrintPairedRatio("b/c", variants, times, 1, 2);
    return timing;
}

FieldAgreement CompareFields(const std::vector<SetFile>& set) {
    FieldAgreement agreement;
    for (const SetFile& file : set) {
        MediaTags tags;
        TagLibFields theirs;
        ReadWithTarvik(file.Path.c_str(), tags);
        ReadWithTagLib(file.Path.c_str(), theirs);
        agreement.Compare(file.Kind, SharedFieldsOf(tags), SharedFieldsOf(theirs));
    }
    return agreement;
}

const char* Verdict(double ratio, double target) { return ratio <= target ? "met" : "missed"; }

void PrintTimeTable(const std::vector<Group>& groups, const std::vector<Timing>& timings, int rounds) {
    std::printf("\n| time per file (processor time), median of %d rounds |", rounds);
    for (const Group& group : groups) std::printf(" %s %s |", Grouped(group.Files.size()).c_str(), group.Title);
    std::printf("\n|---|---|---|---|\n");
    for (int r = 0; r < 3; ++r) {
        std::printf("| %s |", LabelOf(kReaders[r]));
        for (const Timing& timing : timings) {
            const double us = timing.Microseconds[r];
            std::printf(" %s µs, %s files/s |", Fixed(us, us < 10 ? 2 : 1).c_str(),
                        Grouped(static_cast<uint64_t>(1e6 / us + 0.5)).c_str());
        }
        std::printf("\n");
    }
    std::printf("| **b/a**, the reader over its reads (target: at most 1.5) |");
    for (const Timing& timing : timings) {
        std::printf(" **%s**: %s |", Fixed(timing.BareRatio, 2).c_str(), Verdict(timing.BareRatio, 1.5));
    }
    std::printf("\n| **b/c**, the reader against TagLib (target: at most 0.2) |");
    for (const Timing& timing : timings) {
        std::printf(" **%s**: %s |", Fixed(timing.TagLibRatio, 3).c_str(), Verdict(timing.TagLibRatio, 0.2));
    }
    std::printf("\n");
}

void PrintCountTable(const std::vector<Group>& groups, const std::vector<std::vector<PassCounts>>& counts) {
    std::printf("\n| per file, one pass | bytes read | system calls (strace) | read calls | allocations |"
                " system calls by name |\n|---|---|---|---|---|---|\n");
    for (size_t g = 0; g < groups.size(); ++g) {
        for (int r = 0; r < 3; ++r) {
            const PassCounts& c = counts[g][static_cast<size_t>(r)];
            std::printf("| %s, %s | %s | %s | %s | %s | %s |\n", groups[g].Label, NameOf(kReaders[r]),
                        Grouped(static_cast<uint64_t>(c.BytesRead + 0.5)).c_str(),
                        c.Syscalls > 0 ? Fixed(c.Syscalls, 2).c_str() : "not counted",
                        Fixed(c.ReadCalls, 2).c_str(), Fixed(c.Allocations, 1).c_str(),
                        c.SyscallNames.c_str());
        }
    }
}

int Measure(const std::string& folder, int rounds, const std::string& straceFolder) {
    const std::vector<SetFile> set = ReadFileSet(folder);
    if (set.empty()) {
        std::fprintf(stderr, "no manifest in %s: run generate first\n", folder.c_str());
        return 1;
    }
    const std::vector<Group> groups = GroupsOf(set);
    std::printf("==== tarvik against TagLib %d.%d.%d, natively: %zu files, %zu generated, %zu encoded copies\n",
                TAGLIB_MAJOR_VERSION, TAGLIB_MINOR_VERSION, TAGLIB_PATCH_VERSION, set.size(),
                groups[1].Files.size(), groups[2].Files.size());

    std::vector<std::vector<PassCounts>> counts;
    for (const Group& group : groups) {
        counts.emplace_back();
        for (Reader reader : kReaders) counts.back().push_back(CountPass(reader, group, straceFolder));
    }
    uint64_t sink = 0;
    std::vector<Timing> timings;
    for (const Group& group : groups) timings.push_back(TimeGroup(group, rounds, &sink));

    std::printf("\n-- the fields both readers give, file by file\n");
    const FieldAgreement agreement = CompareFields(set);
    agreement.Print(stdout);

    std::printf("\n-- markdown (sum of what was read: %llu)\n", static_cast<unsigned long long>(sink));
    PrintTimeTable(groups, timings, rounds);
    PrintCountTable(groups, counts);
    std::printf("\nFields that agree (title, artist, album, genre, comment, duration within one MPEG frame, year, "
                "track, bitrate, sample rate, channels): %s of %s.\n",
                Grouped(agreement.Agreeing()).c_str(), Grouped(agreement.Compared()).c_str());
    agreement.PrintMarkdown(stdout);
    return 0;
}

int Pass(const char* readerName, const std::string& folder, const char* groupName) {
    Reader reader;
    const std::vector<SetFile> set = ReadFileSet(folder);
    if (!ReaderNamed(readerName, &reader) || set.empty()) return 1;
    for (const Group& group : GroupsOf(set)) {
        if (std::strcmp(group.Name, groupName) == 0) {
            std::printf("%s %s: %llu\n", readerName, groupName,
                        static_cast<unsigned long long>(ReadAll(reader, group.Files)));
            return 0;
        }
    }
    return 1;
}

int Usage() {
    std::fprintf(stderr, "usage: bench_native_readers generate FOLDER ENCODED.mp3...\n"
                         "       bench_native_readers pass none|bare|tarvik|taglib FOLDER all|generated|encoded\n"
                         "       bench_native_readers measure FOLDER [ROUNDS] [STRACE_FOLDER]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "generate" && argc >= 3) {
        return WriteFileSet(argv[2], std::vector<std::string>(argv + 3, argv + argc), kSetSize) ? 0 : 1;
    }
    if (command == "pass" && argc == 5) return Pass(argv[2], argv[3], argv[4]);
    if (command == "measure" && argc >= 3 && argc <= 5) {
        return Measure(argv[2], argc > 3 ? std::atoi(argv[3]) : 40, argc > 4 ? argv[4] : "");
    }
    return Usage();
}
