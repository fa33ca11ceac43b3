#include "field_agreement.h"

#include <algorithm>
#include <cmath>

#include "figure_text.h"

namespace {

// One Layer III frame at the file's rate: 1,152 samples for MPEG-1, 576 below 32 kHz.
double FrameSeconds(long sampleRate) {
    if (sampleRate <= 0) return 0;
    return (sampleRate >= 32000 ? 1152.0 : 576.0) / static_cast<double>(sampleRate);
}

// Control characters shown as \xNN: a NUL inside a value is part of what a reader gave.
std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x20) {
            quoted += c;
            continue;
        }
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(c));
        quoted += escaped;
    }
    return quoted + "\"";
}

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", seconds);
    return text;
}

}  // namespace

void FieldAgreement::Compare(const std::string& kind, const SharedFields& ours, const SharedFields& theirs) {
    for (int i = 0; i < SharedFields::kTexts; ++i) {
        Count(kind, SharedFields::kTextNames[i], ours.Texts[i] == theirs.Texts[i], Quoted(ours.Texts[i]),
              Quoted(theirs.Texts[i]));
    }
    // The duration first among the numbers, as a reader lists them.
    const long rate = ours.Numbers[3] != 0 ? ours.Numbers[3] : theirs.Numbers[3];
    const double tolerance = FrameSeconds(rate) + 0.001;
    Count(kind, "duration", std::fabs(ours.Duration - theirs.Duration) <= tolerance, Seconds(ours.Duration),
          Seconds(theirs.Duration));
    for (int i = 0; i < SharedFields::kNumbers; ++i) {
        Count(kind, SharedFields::kNumberNames[i], ours.Numbers[i] == theirs.Numbers[i],
              std::to_string(ours.Numbers[i]), std::to_string(theirs.Numbers[i]));
    }
}

void FieldAgreement::Count(const std::string& kind, const char* field, bool agree, const std::string& ours,
                           const std::string& theirs) {
    ++compared_;
    std::pair<size_t, size_t>& kindTally = byKind_[kind];
    ++kindTally.first;
    if (agree) ++kindTally.second;
    auto known = std::find_if(byField_.begin(), byField_.end(), [&](const auto& entry) { return entry.first == field; });
    if (known == byField_.end()) known = byField_.insert(known, {field, {0, 0}});
    std::pair<size_t, size_t>& tally = known->second;
    if (agree) {
        ++agreeing_;
        ++tally.first;
        return;
    }
    ++tally.second;
    ++disagreements_[Disagreement(kind, field, ours, theirs)];
}

void FieldAgreement::Print(std::FILE* out) const {
    for (const auto& field : byField_) {
        std::fprintf(out, "  %-12s %6zu agree, %6zu disagree\n", field.first.c_str(), field.second.first,
                     field.second.second);
    }
    std::fprintf(out, "  all fields   %6zu of %zu agree\n", agreeing_, compared_);
    if (disagreements_.empty()) return;
    std::fprintf(out, "\n  every disagreement (kind of file, field: tarvik against TagLib, files):\n");
    for (const auto& entry : disagreements_) {
        const Disagreement& d = entry.first;
        std::fprintf(out, "  %s, %s: %s against %s, %zu file%s\n", std::get<0>(d).c_str(), std::get<1>(d).c_str(),
                     std::get<2>(d).c_str(), std::get<3>(d).c_str(), entry.second, entry.second == 1 ? "" : "s");
    }
}

void FieldAgreement::PrintMarkdown(std::FILE* out) const {
    std::fprintf(out, "\n| kind of file | fields compared | agreeing |\n|---|---|---|\n");
    for (const auto& kind : byKind_) {
        std::fprintf(out, "| %s | %s | %s |\n", kind.first.c_str(), Grouped(kind.second.first).c_str(),
                     Grouped(kind.second.second).c_str());
    }
    if (disagreements_.empty()) return;
    // By kind and field, in the order of the full list: the files, and the first example.
    std::map<std::pair<std::string, std::string>, std::pair<size_t, std::string>> groups;
    for (const auto& entry : disagreements_) {
        const Disagreement& d = entry.first;
        auto& group = groups[{std::get<0>(d), std::get<1>(d)}];
        if (group.first == 0) group.second = std::get<2>(d) + " against " + std::get<3>(d);
        group.first += entry.second;
    }
    std::fprintf(out, "\n| disagreements: kind of file, field | files | first example: tarvik against TagLib |\n"
                      "|---|---|---|\n");
    for (const auto& group : groups) {
        std::fprintf(out, "| %s, %s | %zu | `%s` |\n", group.first.first.c_str(), group.first.second.c_str(),
                     group.second.first, group.second.second.c_str());
    }
}
