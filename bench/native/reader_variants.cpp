#include "reader_variants.h"

#include <cstring>

#include "bare_reads.h"
#include "shared_fields.h"
#include "taglib_reader.h"
#include "tarvik_reader.h"

namespace {

const char* const kNames[] = {"none", "bare", "tarvik", "taglib"};

}  // namespace

const char* NameOf(Reader reader) { return kNames[static_cast<int>(reader)]; }

bool ReaderNamed(const char* name, Reader* reader) {
    for (int i = 0; i < 4; ++i) {
        if (std::strcmp(name, kNames[i]) == 0) {
            *reader = static_cast<Reader>(i);
            return true;
        }
    }
    return false;
}

uint64_t ReadFile(Reader reader, const SetFile& file) {
    switch (reader) {
        case Reader::Bare:
            return ReplayReads(file.Path.c_str(), file.Reads);
        case Reader::Tarvik: {
            MediaTags tags;
            return ReadWithTarvik(file.Path.c_str(), tags) ? FieldSum(tags) : 0;
        }
        case Reader::TagLib: {
            TagLibFields fields;
            return ReadWithTagLib(file.Path.c_str(), fields) ? FieldSum(fields) : 0;
        }
        case Reader::None:
            break;
    }
    return 0;
}
