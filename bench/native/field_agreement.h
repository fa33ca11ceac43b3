// What two readers saw of the same files, field by field: how often they agree, and every
// disagreement with the kind of file, the field and both values.  Durations agree within
// one MPEG frame (and TagLib's whole milliseconds); every other field exactly.
#pragma once
#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "shared_fields.h"

class FieldAgreement {
public:
    void Compare(const std::string& kind, const SharedFields& ours, const SharedFields& theirs);

    // Fields compared, and of them agreeing.
    size_t Compared() const noexcept { return compared_; }
    size_t Agreeing() const noexcept { return agreeing_; }
    // One line per field; then each disagreement, the same ones (kind, field, both
    // values) once with the number of files that show it.
    void Print(std::FILE* out) const;
    // Markdown tables: the fields that agree by kind of file; the disagreements by kind and
    // field, how many files and the first of them as an example.
    void PrintMarkdown(std::FILE* out) const;

private:
    using Disagreement = std::tuple<std::string, std::string, std::string, std::string>;

    void Count(const std::string& kind, const char* field, bool agree, const std::string& ours,
               const std::string& theirs);

    size_t compared_ = 0;
    size_t agreeing_ = 0;
    // Agreeing and disagreeing, by field in the order compared.
    std::vector<std::pair<std::string, std::pair<size_t, size_t>>> byField_;
    std::map<Disagreement, size_t> disagreements_;
    std::map<std::string, std::pair<size_t, size_t>> byKind_;  // fields compared, agreeing
};
