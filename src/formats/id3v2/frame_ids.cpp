#include "formats/id3v2/frame_ids.h"

#include <cstring>

namespace {

struct Rename {
    char Old[4];
    char16_t New[5];
};

const Rename kRenames[] = {
    {"BUF", u"RBUF"}, {"CNT", u"PCNT"}, {"COM", u"COMM"}, {"CRA", u"AENC"}, {"EQU", u"EQUA"}, {"ETC", u"ETCO"}, {"GEO", u"GEOB"}, {"GP1", u"GRP1"},
    {"IPL", u"TIPL"}, {"LNK", u"LINK"}, {"MCI", u"MCDI"}, {"MLL", u"MLLT"}, {"MVI", u"MVIN"}, {"MVN", u"MVNM"}, {"PIC", u"APIC"}, {"POP", u"POPM"},
    {"REV", u"RVRB"}, {"RVA", u"RVAD"}, {"SLT", u"SYLT"}, {"STC", u"SYTC"}, {"TAL", u"TALB"}, {"TBP", u"TBPM"}, {"TCM", u"TCOM"},
    {"TCO", u"TCON"}, {"TCP", u"TCMP"}, {"TCR", u"TCOP"}, {"TDA", u"TDAT"}, {"TDY", u"TDLY"}, {"TEN", u"TENC"},
    {"TFT", u"TFLT"}, {"TIM", u"TIME"}, {"TKE", u"TKEY"}, {"TLA", u"TLAN"}, {"TLE", u"TLEN"}, {"TMT", u"TMED"},
    {"TOA", u"TOPE"}, {"TOF", u"TOFN"}, {"TOL", u"TOLY"}, {"TOR", u"TORY"}, {"TOT", u"TOAL"}, {"TP1", u"TPE1"},
    {"TP2", u"TPE2"}, {"TP3", u"TPE3"}, {"TP4", u"TPE4"}, {"TPA", u"TPOS"}, {"TPB", u"TPUB"}, {"TRC", u"TSRC"},
    {"TRD", u"TRDA"}, {"TRK", u"TRCK"}, {"TS2", u"TSO2"}, {"TSA", u"TSOA"}, {"TSC", u"TSOC"}, {"TSI", u"TSIZ"},
    {"TSP", u"TSOP"}, {"TSS", u"TSSE"}, {"TST", u"TSOT"}, {"TT1", u"TIT1"}, {"TT2", u"TIT2"},
    {"TT3", u"TIT3"}, {"TXT", u"TEXT"}, {"TXX", u"TXXX"}, {"TYE", u"TYER"}, {"UFI", u"UFID"}, {"ULT", u"USLT"},
    {"WAF", u"WOAF"}, {"WAR", u"WOAR"}, {"WAS", u"WOAS"}, {"WCM", u"WCOM"}, {"WCP", u"WCOP"}, {"WPB", u"WPUB"},
    {"WXX", u"WXXX"},
};

}  // namespace

bool IsFrameId(const uint8_t* bytes, size_t length) noexcept {
    for (size_t i = 0; i < length; ++i) {
        const uint8_t c = bytes[i];
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    }
    return true;
}

const char16_t* RenamedFrameId(const uint8_t* bytes) noexcept {
    for (const Rename& rename : kRenames) {
        if (std::memcmp(rename.Old, bytes, 3) == 0) return rename.New;
    }
    return nullptr;
}

const char16_t* PaddedOldFrameId(const uint8_t* bytes) noexcept {
    return bytes[3] == 0 && IsFrameId(bytes, 3) ? RenamedFrameId(bytes) : nullptr;
}

bool IsMissingExtendedHeader(const uint8_t* sizeBytes) noexcept { return IsFrameId(sizeBytes, 4); }

std::u16string FrameIdOf(const uint8_t* bytes, int version) {
    if (version == 2) {
        const char16_t* renamed = RenamedFrameId(bytes);
        return renamed != nullptr ? std::u16string(renamed) : std::u16string(bytes, bytes + 3);
    }
    return std::u16string(bytes, bytes + 4);
}
